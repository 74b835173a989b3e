#include "simulation_run.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "air_mixture.h"
#include "airflow_elements.h"
#include "contaminant_solver.h"
#include "control_network.h"
#include "exposure_summary.h"
#include "app/paths.h"
#include "app/text_convert.h"
#include "model/project.h"
#include "model/run_control.h"
#include "outdoor/weather_file.h"
#include "restart_file.h"
#include "simulation/results_writer.h"

namespace avelor::engine {

namespace {

bool valid_day(int d) { return d >= 1 && d <= 365; }
bool valid_time(int t) { return t >= 0 && t <= kSecondsPerDay; }
int day_distance(int from, int to) { return to >= from ? to - from : to + 365 - from; }
int add_days(int day, long long n) { return static_cast<int>((day - 1 + n) % 365) + 1; }
bool is_transient(const RunControl& rc) { return rc.sim_af == 1 || rc.sim_mf == 2 || rc.sim_mf == 3; }
std::int32_t flag(std::int32_t v) { return v != 0 ? 1 : 0; }

}  // namespace

std::string run_control_fault(const RunControl& rc)
{
    if (rc.sim_af != 0 && rc.sim_af != 1)
        return "Airflow simulation methods other than steady and transient are not simulated by this engine yet.";
    if (rc.sim_mf < 0 || rc.sim_mf > 3)
        return "The contaminant simulation method " + std::to_string(rc.sim_mf) + " is not known.";
    if (rc.sim_mf != 0 && rc.mf_solver != 0)
        return "Contaminant solvers other than the default are not simulated by this engine yet.";
    if (rc.sim_mf != 0 && rc.contaminant_file != "null")
        return "Contaminant files are not simulated by this engine yet.";
    if (rc.wpc_in_use())
        return "WPC files are not simulated by this engine yet.";
    if (rc.restart != 0)
        return "Starting from a restart file is not simulated by this engine yet.";
    if (rc.cfd != 0)
        return "CFD coupling is not simulated by this engine yet.";
    if (rc.t_list <= 0 || kSecondsPerDay % rc.t_list != 0)
        return "The output time step (" + std::to_string(rc.t_list) + " s) must divide 24 hours.";
    if (!is_transient(rc)) {
        if (!valid_day(rc.date_st) || !valid_time(rc.time_st))
            return "The steady simulation date or time is out of range.";
        return {};
    }
    if (rc.t_step <= 0)
        return "The calculation time step cannot be 00:00:00.";
    if (rc.t_list % rc.t_step != 0)
        return "The Output time step must be multiple of the Calculation time step";
    if (rc.sim_mf == 3) {
        if (!valid_day(rc.date_st))
            return "The cyclic simulation day is out of range.";
        return {};
    }
    if (!valid_day(rc.date_0) || !valid_day(rc.date_1) || !valid_time(rc.time_0) || !valid_time(rc.time_1))
        return "The simulation start or end date or time is out of range.";
    if (rc.time_0 % rc.t_list != 0)
        return "The Start time must be a multiple of the Output time step";
    if (rc.date_0 == rc.date_1 && rc.time_1 < rc.time_0)
        return "The simulation ends before it starts.";
    return {};
}

RunPlan plan_run(const RunControl& rc, int nctm)
{
    RunPlan plan;
    plan.transient = is_transient(rc);
    plan.contaminants = rc.sim_mf != 0 && nctm > 0;
    plan.steady_contaminants = rc.sim_mf == 1;
    plan.resolve_airflow = rc.sim_af == 1;
    plan.t_step = rc.t_step;
    plan.t_list = rc.t_list;
    if (!plan.transient) {
        plan.first_day = plan.last_day = rc.date_st;
        plan.first_time = plan.last_time = rc.time_st;
        return plan;
    }
    if (rc.sim_mf == 3) {
        // The cyclic day: repeated until it repeats itself, then written.
        plan.cyclic = true;
        plan.first_day = plan.last_day = rc.date_st;
        plan.first_time = 0;
        plan.last_time = kSecondsPerDay;
        plan.steps = kSecondsPerDay / rc.t_step;
        return plan;
    }
    plan.first_day = rc.date_0;
    plan.first_time = rc.time_0;
    const int dist = day_distance(rc.date_0, rc.date_1);
    const long long total = static_cast<long long>(dist) * kSecondsPerDay + rc.time_1 - rc.time_0;
    plan.steps = total / rc.t_step;
    // The last output instant, counted from midnight before the start.
    const long long end = rc.time_0 + plan.steps * rc.t_step;
    const long long last = end / rc.t_list * rc.t_list;
    long long k = last / kSecondsPerDay;
    long long tod = last % kSecondsPerDay;
    if (tod == 0 && k > dist) {
        --k;
        tod = kSecondsPerDay;
    }
    plan.last_day = add_days(rc.date_0, k);
    plan.last_time = static_cast<int>(tod);
    return plan;
}

ResultsHeader results_header(const Project& project, const std::vector<Node>& nodes,
                             const std::vector<Link>& links, const RunPlan& plan)
{
    const RunControl& rc = project.rc;
    ResultsHeader h;
    h.nzones = project.zones.count();
    h.npaths = project.paths.count();
    h.nctm = project.nctm();
    h.njct = project.junctions.count();
    h.nduct = project.ducts.count();
    h.tstep = rc.t_list;
    h.dtres0 = plan.first_day;
    h.tmres0 = plan.first_time;
    h.dtres1 = plan.last_day;
    h.tmres1 = plan.last_time;
    h.pf = flag(rc.pfsave);
    h.zf = flag(rc.zfsave);
    h.zc = rc.zcsave != 0 && plan.contaminants ? 1 : 0;
    h.naf = h.ncn = static_cast<std::int32_t>(nodes.size());
    h.npath = static_cast<std::int32_t>(links.size());
    return h;
}

ResultsMaps results_maps(const std::vector<Node>& nodes, const std::vector<Link>& links)
{
    ResultsMaps m;
    for (const Node& node : nodes) {
        std::int32_t type = kResultsNodeZone;
        if (node.kind == NodeKind::Junction)
            type = kResultsNodeJunction;
        else if (node.kind == NodeKind::Terminal)
            type = kResultsNodeTerminal;
        m.node_types.push_back(type);
        m.node_numbers.push_back(node.kind == NodeKind::Ambient ? 0 : node.number);
    }
    m.ctm_node_types = m.node_types;
    m.ctm_node_numbers = m.node_numbers;
    for (const Link& link : links) {
        std::int32_t type = kResultsPathFlowPath;
        switch (link.kind) {
        case LinkKind::FlowPath: type = kResultsPathFlowPath; break;
        case LinkKind::DuctSegment: type = kResultsPathDuct; break;
        case LinkKind::Terminal: type = kResultsPathTerminal; break;
        case LinkKind::Leak: type = kResultsPathLeak; break;
        }
        m.path_types.push_back(type);
        m.path_numbers.push_back(link.number);
    }
    return m;
}

RestartHeader restart_header(const Project& project)
{
    RestartHeader h;
    h.nzones = project.zones.count();
    h.npaths = project.paths.count();
    h.nctm = project.nctm();
    h.njct = project.junctions.count();
    h.nduct = project.ducts.count();
    h.nsources = project.sources.count();
    h.ncontrols = 0;
    return h;
}

std::string run_instant_text(int day, int time)
{
    static constexpr std::array<int, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    static constexpr std::array<const char*, 12> kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    int month = 0;
    int d = std::clamp(day, 1, 365);
    while (month < 11 && d > kDays[static_cast<std::size_t>(month)])
        d -= kDays[static_cast<std::size_t>(month++)];
    const int t = std::clamp(time, 0, kSecondsPerDay);
    const auto two = [](int v) { return std::string(v < 10 ? "0" : "") + std::to_string(v); };
    return kMonths[static_cast<std::size_t>(month)] + two(d) + " " + two(t / 3600) + ":" + two(t / 60 % 60) + ":" +
           two(t % 60);
}

std::string beside_project(const std::string& project_path, const std::string& extension)
{
    std::filesystem::path p(project_path);
    p.replace_extension(extension);
    return p.string();
}

namespace {

std::string number_text(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", value);
    return text;
}

std::string node_text(const Project& project, const Node& node)
{
    if (node.kind == NodeKind::Ambient) return "the outdoors";
    if (node.kind == NodeKind::Zone) {
        const Zone* zone = project.zones.at(node.number);
        return "zone " + (zone ? zone->name : std::to_string(node.number));
    }
    return (node.kind == NodeKind::Terminal ? "terminal " : "junction ") + std::to_string(node.number);
}

std::string link_text(const Link& link)
{
    switch (link.kind) {
    case LinkKind::DuctSegment: return "duct segment " + std::to_string(link.number);
    case LinkKind::Terminal: return "the terminal of junction " + std::to_string(link.number);
    case LinkKind::Leak: return "the duct leakage at junction " + std::to_string(link.number);
    default: return "flow path " + std::to_string(link.number);
    }
}

}  // namespace

std::string unphysical_solution(const Project& project, const std::vector<Node>& nodes,
                                const std::vector<Link>& links)
{
    for (std::size_t i = 0; i + 1 < nodes.size(); ++i) {
        const Node& node = nodes[i];
        const bool pressure = std::isfinite(node.p) && std::fabs(node.p) <= kMaxZonePressure;
        const bool density = std::isfinite(node.rho) && node.rho > 0 && node.rho <= kMaxZoneDensity;
        if (pressure && density) continue;
        return node_text(project, node) + " has a pressure of " + number_text(node.p) + " Pa and a density of " +
               number_text(node.rho) + " kg/m3";
    }
    for (const Link& link : links)
        if (!std::isfinite(link.dP) || !std::isfinite(link.F0) || !std::isfinite(link.F1))
            return link_text(link) + " has a flow or pressure difference that is not a number";
    return {};
}

std::string not_converged_text(const Project& project, const std::vector<Node>& nodes, const SolveReport& report,
                               int day, int time)
{
    std::string text = run_instant_text(day, time) + ": the airflow did not converge in " +
                       std::to_string(report.iterations) + (report.iterations == 1 ? " iteration" : " iterations");
    if (report.worst_node >= 0 && static_cast<std::size_t>(report.worst_node) < nodes.size())
        text += "; the worst node, " + node_text(project, nodes[static_cast<std::size_t>(report.worst_node)]) +
                ", is out of balance by " + number_text(report.worst_imbalance) + " kg/s of " +
                number_text(report.worst_through) + " kg/s through it";
    return text + ".";
}

std::string unresolved_text(const Project& project, const std::vector<Node>& nodes, const SolveReport& report,
                            int day, int time)
{
    if (report.unresolved_node < 0 || static_cast<std::size_t>(report.unresolved_node) >= nodes.size()) return {};
    return run_instant_text(day, time) + ": the flows of " +
           node_text(project, nodes[static_cast<std::size_t>(report.unresolved_node)]) +
           " are uncertain: round-off in the pressures around it moves them by " +
           number_text(report.unresolved_flow) +
           " kg/s, more than the convergence tolerance (openings of very different sizes meet there).";
}

std::string held_text(const Project& project, const std::vector<Node>& nodes, const SolveReport& report, int day,
                      int time)
{
    if (report.held_node < 0 || static_cast<std::size_t>(report.held_node) >= nodes.size()) return {};
    return run_instant_text(day, time) + ": " +
           node_text(project, nodes[static_cast<std::size_t>(report.held_node)]) +
           " has no open flow path whose flow follows the pressure (closed by a schedule, or fans only); "
           "its pressure is held where it was.";
}

namespace {

// The run's state and its two output files.
class Run {
public:
    Run(const Project& project, FlowModel& flows, const RunOptions& options)
        : project_(project), rc_(project.rc), flows_(flows), options_(options),
          plan_(plan_run(project.rc, project.nctm()))
    {
        weather_.Ta = rc_.steady.Ta;
        weather_.Pb = rc_.steady.Pb;
        weather_.Ws = rc_.steady.Ws;
        weather_.Wd = rc_.steady.Wd;
        weather_.day_type = rc_.steady.day;
        for (const Species* s : project.Ctm)
            outdoor_.push_back(s->CCdef);
    }

    RunOutcome run(const std::string& results_path, const std::string& restart_path)
    {
        // The exposure file of an earlier run would pass for this run's.
        exposure_path_ = beside_project(results_path, ".ebw");
        std::error_code ignored;
        std::filesystem::remove(exposure_path_, ignored);
        const std::string report_path = beside_project(results_path, ".log");
        std::filesystem::remove(report_path, ignored);
        const std::vector<Node>& nodes = flows_.nodes();
        const std::vector<Link>& links = flows_.links();
        load_weather(results_path);
        follow_weather(plan_.first_day, plan_.first_time);
        // The network's signals drive the first solve already.
        controls_ = ControlNetwork(project_, nodes, links, plan_.transient ? plan_.t_step : 0.0,
                                   [this](const std::string& text) {
                                       if (options_.warning) options_.warning(text);
                                   });
        flows_.bind_controls(controls_);
        evaluate_controls(plan_.first_day, plan_.first_time, 0.0);
        follow_schedules(plan_.first_day, plan_.first_time);
        SolveReport report = flows_.solve(weather_);
        if (nodes.empty() || nodes.back().kind != NodeKind::Ambient)
            throw EngineError("The airflow network does not end with the ambient node.");
        if (plan_.contaminants) {
            contaminants_.emplace(contaminant_model(project_, nodes, links), nodes, links);
            contaminants_->bind_controls(controls_);
            try {
                contaminants_->start_sources(source_instant(plan_.first_day, plan_.first_time), nodes);
            } catch (const EngineError& e) {
                throw EngineError(run_instant_text(plan_.first_day, plan_.first_time) + ": " + e.what());
            }
            if (project_.exposures.head()) {
                const long long instants = plan_.transient ? plan_.steps * plan_.t_step / plan_.t_list + 2 : 1;
                exposures_.emplace(project_, nodes, static_cast<std::size_t>(instants));
            }
            mixture_ = AirMixture(project_);
            // The first airflow takes the densities of the initial air.
            if (mixture_.active() && update_mixture(1.0) > 0)
                report = flows_.solve(weather_);
        }
        judge(report, plan_.first_day, plan_.first_time);
        if (contaminants_ && plan_.steady_contaminants)
            solve_contaminants(report, plan_.first_day, plan_.first_time);
        if (!results_.open(results_path, results_header(project_, nodes, links, plan_), results_maps(nodes, links)))
            throw EngineError(results_.error());
        if (!restart_.open(restart_path, restart_header(project_)))
            throw EngineError(restart_.error());
        if (!controls_.open_report(report_path))
            throw EngineError(controls_.error());

        if (!plan_.transient) {
            progress(plan_.first_day, plan_.first_time, report.iterations, 1.0);
            if (stop_requested())
                return stop();
            record_exposures(plan_.first_day, plan_.first_time);
            output(plan_.first_day, plan_.first_time);
            save_day(plan_.first_day, plan_.first_time);
            return finish();
        }

        if (plan_.cyclic && !converge_cycle(report))
            return stop();
        const int dist = plan_.cyclic ? 0 : day_distance(rc_.date_0, rc_.date_1);
        emit(plan_.first_time, dist);
        progress(plan_.first_day, plan_.first_time, report.iterations, 0.0);
        long long abs = plan_.first_time;
        for (long long s = 1; s <= plan_.steps; ++s) {
            if (stop_requested())
                return stop();
            abs += plan_.t_step;
            const auto [step_day, step_time] = instant(abs);
            advance(report, step_day, step_time);
            emit(abs, dist);
            const auto [day, tod] = instant(abs);
            progress(day, tod, report.iterations, static_cast<double>(s) / static_cast<double>(plan_.steps));
        }
        const auto [day, tod] = instant(abs);
        if (restart_.blocks() == 0 || last_saved_ != abs)
            save_day(day, tod);
        return finish();
    }

private:
    // A solve that is physically impossible ends the run; one that did
    // not converge is told as a warning and the run goes on.
    void judge(const SolveReport& report, int day, int time)
    {
        const std::string fault = unphysical_solution(project_, flows_.nodes(), flows_.links());
        if (!fault.empty())
            throw EngineError("The airflow at " + run_instant_text(day, time) + " is physically impossible: " + fault +
                              ". No results were written.");
        if (!options_.warning) return;
        if (!report.converged)
            options_.warning(not_converged_text(project_, flows_.nodes(), report, day, time));
        else if (report.unresolved_node >= 0)
            options_.warning(unresolved_text(project_, flows_.nodes(), report, day, time));
        // Told once a run: schedules close the same paths day after day.
        if (report.held_node >= 0 && !told_held_) {
            options_.warning(held_text(project_, flows_.nodes(), report, day, time));
            told_held_ = true;
        }
    }

    // One calculation step of the flows and concentrations, ending at the
    // instant (day, time).
    void advance(SolveReport& report, int day, int time)
    {
        elapsed_ += plan_.t_step;
        follow_weather(day, time);
        evaluate_controls(day, time, plan_.t_step);
        const bool scheduled_change = follow_schedules(day, time);
        if (plan_.resolve_airflow || scheduled_change || density_changed_) {
            report = flows_.solve(weather_);
            density_changed_ = false;
            judge(report, day, time);
        } else {
            report.iterations = 0;
        }
        if (contaminants_)
            solve_contaminants(report, day, time);
    }

    // The concentrations of a step (or the steady ones) with the flows now
    // solved. Non-trace contaminants change the air's densities: without
    // the run control's vary-density flag (tsdens) the densities of the
    // new concentrations serve the next step's airflow; with it the
    // airflow and the concentrations of the step are solved in turn, the
    // gas constants relaxed by tsrelax, until no node's gas constant moves
    // by more than the non-trace relative tolerance or tsmaxi rounds are
    // done.
    void solve_contaminants(SolveReport& report, int day, int time)
    {
        const bool iterate = mixture_.active() && rc_.tsdens != 0;
        const int rounds = std::max(1, static_cast<int>(rc_.tsmaxi));
        const double relax = rc_.tsrelax > 0 && rc_.tsrelax <= 1 ? static_cast<double>(rc_.tsrelax) : 1.0;
        const double tolerance = std::max(1e-12, static_cast<double>(rc_.nontrace.relcnvg));
        if (iterate)
            contaminants_->save_state();
        for (int round = 1;; ++round) {
            if (plan_.steady_contaminants)
                contaminants_->solve_steady(flows_.nodes(), flows_.links());
            else
                contaminants_->step(flows_.nodes(), flows_.links(), plan_.t_step);
            if (!mixture_.active())
                return;
            const double change = update_mixture(iterate ? relax : 1.0);
            density_changed_ = change > 0;
            if (!iterate || change <= tolerance || round >= rounds)
                return;
            const int iterations = report.iterations;
            report = flows_.solve(weather_);
            report.iterations += iterations;
            judge(report, day, time);
            contaminants_->restore_state();
        }
    }

    // Moves each node's gas constant towards that of its air now, by the
    // fraction relax, and gives them to the flows; the largest relative
    // change.
    double update_mixture(double relax)
    {
        mixture_.gas_constants(contaminants_->concentrations(), target_gas_);
        if (gas_.size() != target_gas_.size())
            gas_.assign(target_gas_.size(), kGasConstantAir);
        double change = 0;
        for (std::size_t i = 0; i < gas_.size(); ++i) {
            const double next = gas_[i] + relax * (target_gas_[i] - gas_[i]);
            change = std::max(change, std::fabs(next - gas_[i]) / gas_[i]);
            gas_[i] = next;
        }
        flows_.set_gas_constants(gas_);
        return change;
    }

    // The day type of a day: the weather file's for the day, else the
    // steady weather's; the results file gives it every step.
    int day_type(int day) const { return weather_file_ ? weather_file_->day_type(day) : weather_.day_type; }

    // A transient airflow follows the weather file the run control names;
    // a relative name not found where the engine runs is looked for beside
    // the project.
    void load_weather(const std::string& results_path)
    {
        if (rc_.sim_af != 1 || rc_.weather_file.empty() || rc_.weather_file == "null")
            return;
        // The results lie beside the project.
        const std::filesystem::path path(input_file_location(rc_.weather_file, results_path));
        WeatherFile file;
        if (!file.read(path.string()))
            throw EngineError(file.error());
        // Every day the run passes through must be in the file.
        const int first = plan_.first_day;
        const int days = plan_.cyclic ? 1 : day_distance(first, plan_.last_day) + 1;
        for (int k = 0; k < days; ++k)
            if (!file.covers(add_days(first, k)))
                throw EngineError("The weather file " + path.string() + " (" + day_text(file.first_day()) + " to " +
                                  day_text(file.last_day()) + ") does not hold the simulation's day " +
                                  day_text(add_days(first, k)) + ".");
        weather_file_ = std::move(file);
    }

    // The outdoor conditions at an instant, from the weather file.
    void follow_weather(int day, int time)
    {
        if (!weather_file_)
            return;
        const OutdoorConditions c = weather_file_->at(day, time);
        weather_.Ta = c.Ta;
        weather_.Pb = c.Pb;
        weather_.Ws = c.Ws;
        weather_.Wd = c.Wd;
        weather_.day_type = c.day_type;
    }

    // The instant the sources follow at the end of the step to come.
    SourceInstant source_instant(int day, int time) const
    {
        return SourceInstant{elapsed_, day_type(day), static_cast<double>(time)};
    }

    // The scheduled values at an instant; true when any changed. A value
    // the records cannot take ends the run, naming the instant.
    bool follow_schedules(int day, int time)
    {
        try {
            if (contaminants_)
                contaminants_->follow_sources(source_instant(day, time));
            const bool scheduled = flows_.follow_schedules(day_type(day), time);
            const bool controlled = flows_.follow_controls();
            return scheduled || controlled;
        } catch (const EngineError& e) {
            throw EngineError(run_instant_text(day, time) + ": " + e.what());
        }
    }

    // The control network for the instant (day, time), from the state the
    // last solve left.
    void evaluate_controls(int day, int time, double dt)
    {
        BuildingState state;
        state.nodes = &flows_.nodes();
        state.links = &flows_.links();
        state.concentrations = contaminants_ ? &contaminants_->concentrations() : nullptr;
        controls_.evaluate(ControlInstant{day, day_type(day), static_cast<double>(time), dt}, state);
    }

    // Repeats the cyclic day until the concentrations at its end equal
    // those at its start, over-relaxing each repeat; false when stopped.
    // Every repeat starts from the filters' loadings of the project: the
    // day is the same day each time, not one more day of loading.
    bool converge_cycle(SolveReport& report)
    {
        if (!contaminants_)
            return true;
        const SolverSet& set = rc_.cyclic;
        const int cycles = std::max(1, static_cast<int>(set.maxi));
        const std::vector<double> loadings = contaminants_->filters().loadings();
        for (int cycle = 1; cycle <= cycles; ++cycle) {
            contaminants_->set_filter_loadings(loadings);
            const std::vector<double> before = contaminants_->concentrations();
            for (long long s = 1; s <= plan_.steps; ++s) {
                if (stop_requested())
                    return false;
                advance(report, plan_.first_day, static_cast<int>(s * plan_.t_step));
            }
            std::vector<double> after = contaminants_->concentrations();
            double change = 0, size = 0;
            for (std::size_t i = 0; i < after.size(); ++i) {
                change = std::max(change, std::fabs(after[i] - before[i]));
                size = std::max(size, std::fabs(after[i]));
                after[i] = std::max(0.0, before[i] + set.relax * (after[i] - before[i]));
            }
            contaminants_->set_concentrations(after);
            if (mixture_.active())
                density_changed_ = update_mixture(1.0) > 0 || density_changed_;
            progress(plan_.first_day, kSecondsPerDay, cycle, 0.0);
            if (change <= set.abscnvg || change <= set.relcnvg * size)
                break;
        }
        contaminants_->set_filter_loadings(loadings);
        return true;
    }

    // The day and time of an instant, 24:00 rather than 00:00 of the next day.
    std::pair<int, int> instant(long long abs) const
    {
        long long k = abs / kSecondsPerDay, tod = abs % kSecondsPerDay;
        if (tod == 0 && abs > 0) {
            --k;
            tod = kSecondsPerDay;
        }
        return {add_days(plan_.first_day, k), static_cast<int>(tod)};
    }

    // Writes what falls on an instant: nothing off the output grid; at
    // midnight the end of one day and, within the period, the start of
    // the next.
    void emit(long long abs, int dist)
    {
        if (abs % plan_.t_list != 0)
            return;
        if (abs > 0 && abs % kSecondsPerDay == 0) {
            const long long k = abs / kSecondsPerDay;
            record_exposures(add_days(plan_.first_day, k - 1), kSecondsPerDay);
            output(add_days(plan_.first_day, k - 1), kSecondsPerDay);
            save_day(add_days(plan_.first_day, k - 1), kSecondsPerDay);
            last_saved_ = abs;
            if (k <= dist)
                output(add_days(plan_.first_day, k), 0);
            return;
        }
        record_exposures(add_days(plan_.first_day, abs / kSecondsPerDay), static_cast<int>(abs % kSecondsPerDay));
        output(add_days(plan_.first_day, abs / kSecondsPerDay), static_cast<int>(abs % kSecondsPerDay));
    }

    // Every occupant's exposure at an output instant (once per instant:
    // 24:00 of a day and 00:00 of the next are one).
    void record_exposures(int day, int time)
    {
        if (exposures_ && contaminants_)
            exposures_->record(day_type(day), time, contaminants_->concentrations(), outdoor_);
    }

    void output(int day, int time)
    {
        const std::vector<Node>& nodes = flows_.nodes();
        const std::vector<Link>& links = flows_.links();
        const ResultsHeader& h = results_.layout().header();
        ResultsStep step;
        step.day = static_cast<std::int16_t>(day);
        step.day_type = static_cast<std::int16_t>(day_type(day));
        step.time = time;
        step.Ta = static_cast<float>(weather_.Ta);
        step.Pb = static_cast<float>(weather_.Pb);
        step.Ws = static_cast<float>(weather_.Ws);
        step.Wd = static_cast<float>(weather_.Wd);
        for (double c : outdoor_)
            step.outdoor.push_back(static_cast<float>(c));
        if (h.pf)
            for (const Link& l : links)
                step.paths.push_back(
                    {static_cast<float>(l.dP), static_cast<float>(l.F0), static_cast<float>(l.F1)});
        const std::size_t inner = nodes.size() - 1;
        if (h.zf)
            for (std::size_t i = 0; i < inner; ++i)
                step.nodes.push_back({static_cast<float>(nodes[i].T), static_cast<float>(nodes[i].p),
                                      static_cast<float>(nodes[i].rho)});
        if (h.zc)
            for (std::size_t i = 0; i < inner; ++i)
                for (int a = 0; a < h.nctm; ++a)
                    step.concentrations.push_back(
                        static_cast<float>(contaminants_->concentration(static_cast<int>(i), a)));
        if (!results_.write_step(step))
            throw EngineError(results_.error());
        if (!controls_.write_report(day, time))
            throw EngineError(controls_.error());
    }

    void save_day(int day, int time)
    {
        const std::vector<Node>& nodes = flows_.nodes();
        const std::size_t inner = nodes.size() - 1;
        std::vector<double> p, T, C;
        for (std::size_t i = 0; i < inner; ++i) {
            p.push_back(nodes[i].p);
            T.push_back(nodes[i].T);
            for (int a = 0; a < project_.nctm(); ++a)
                C.push_back(contaminants_ ? contaminants_->concentration(static_cast<int>(i), a)
                                          : outdoor_[static_cast<std::size_t>(a)]);
        }
        if (!restart_.write_day(day, time, p, T, C))
            throw EngineError(restart_.error());
    }

    void progress(int day, int time, int iterations, double fraction) const
    {
        if (options_.progress)
            options_.progress(RunProgress{day, time, iterations, fraction});
    }

    bool stop_requested() const { return options_.stop && options_.stop->load(); }

    RunOutcome stop()
    {
        results_.abandon();
        restart_.close();
        controls_.close_report();
        return RunOutcome::Stopped;
    }

    RunOutcome finish()
    {
        if (!results_.finish())
            throw EngineError(results_.error());
        if (exposures_ && !exposures_->write(exposure_path_))
            throw EngineError(exposures_->error());
        if (!restart_.close())
            throw EngineError(restart_.error());
        if (!controls_.close_report())
            throw EngineError(controls_.error());
        return RunOutcome::Finished;
    }

    const Project& project_;
    const RunControl& rc_;
    FlowModel& flows_;
    const RunOptions& options_;
    RunPlan plan_;
    Weather weather_;
    std::optional<WeatherFile> weather_file_;
    std::vector<double> outdoor_;
    std::optional<ContaminantSolver> contaminants_;
    std::optional<ExposureRecorder> exposures_;
    ControlNetwork controls_;
    std::string exposure_path_;
    double elapsed_ = 0;  // s since the start of the run, cyclic repeats included
    AirMixture mixture_;
    std::vector<double> gas_, target_gas_;  // per node, J/(kg K)
    bool density_changed_ = false;          // since the last airflow solve
    ResultsWriter results_;
    RestartWriter restart_;
    long long last_saved_ = -1;
    bool told_held_ = false;
};

}  // namespace

RunOutcome run_simulation(const Project& project, FlowModel& flows, const std::string& results_path,
                          const std::string& restart_path, const RunOptions& options)
{
    const std::string fault = run_control_fault(project.rc);
    if (!fault.empty())
        throw EngineError(fault);
    for (const Zone& zone : project.zones)
        if (zone.axs != 0)
            throw EngineError("One-dimensional zones are not simulated by this engine yet.");
    Run run(project, flows, options);
    return run.run(results_path, restart_path);
}

}  // namespace avelor::engine
