// One run of the engine: the time loop over the simulated period, the
// airflow and contaminant solves of every step, and the results and
// restart files written as it goes.
//
// Cyclic runs repeat the steady date's day until the concentrations at its
// end equal those at its start, then write that day.
//
// Steady runs solve once at the steady date and time and write that one
// instant (and its maxima). Transient runs step from the start to the end
// by the calculation time step, crossing from day 365 to day 1, and write
// every instant whose time of day is a multiple of the output time step;
// at 24:00 of a day that is not the last the instant is written twice, as
// 24:00 of the day and as 00:00 of the next.
//
// Schedules are followed at the end of every calculation step, where the
// backward Euler step of the concentrations takes its flows, on the day
// type of the steady weather; with a steady airflow method the airflow is
// solved again only at the steps where a scheduled value changed,
// starting from the pressures of the solve before. Steady runs take the
// schedules' values at the steady date and time. Sources and sinks follow
// theirs at the same instants, with the time since the start of the run
// (counted on through the repeats of a cyclic day).
//
// A run that simulates contaminants in a project with occupants also
// writes their exposure summary beside the results file (PROJECT.ebw, see
// exposure_summary.h), sampled at every output instant; a run removes the
// exposure file of an earlier run when it starts.
//
// Non-trace contaminants make up the air: the first airflow takes the
// densities of the initial concentrations, and each step's concentrations
// give the densities of the next step's airflow, which is then solved
// again; with the vary-density flag the two are solved in turn within the
// step (see solve_contaminants in the .cpp).
//
// The control network (control_network.h) is evaluated at the start of
// every step, from the state the step before left, for the instant at the
// step's end; the elements then take its signals (before their schedules,
// which the signals replace) and the airflow is solved again when any
// signal changed. A run whose network has report nodes writes them to
// PROJECT.log (the controls log) beside the results file at every output instant; a run
// removes the report file of an earlier run when it starts.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "airflow_network.h"
#include "simulation/results_layout.h"

namespace avelor {
class Project;
struct RunControl;
}

namespace avelor::engine {

// The airflows a run steps through: the project's airflow network, or in
// tests a network with flows of their choosing.
class FlowModel {
public:
    virtual ~FlowModel() = default;
    virtual const std::vector<Node>& nodes() const = 0;
    virtual const std::vector<Link>& links() const = 0;
    virtual SolveReport solve(const Weather& weather) = 0;
    // Sets the scheduled values for a day type and time of day; true when
    // any changed since the last call, so that the flows must be solved
    // again. Flows without schedules never change.
    virtual bool follow_schedules(int /*day_type*/, double /*seconds*/) { return false; }
    // Sets the gas constant of each node's air (one per node); true when
    // any changed, so that the flows must be solved again. Flows that do not
    // follow densities ignore them.
    virtual bool set_gas_constants(const std::vector<double>& /*R*/) { return false; }
    // Takes the slots of the control signals its elements follow, once
    // before the run; then, after every evaluation of the network, sets
    // them: true when any changed. Flows without controls ignore them.
    virtual void bind_controls(ControlNetwork& /*controls*/) {}
    virtual bool follow_controls() { return false; }
};

// The project's airflow network as a flow model.
class NetworkFlowModel final : public FlowModel {
public:
    explicit NetworkFlowModel(const Project& project) : network_(project) {}
    const std::vector<Node>& nodes() const override { return network_.nodes(); }
    const std::vector<Link>& links() const override { return network_.links(); }
    SolveReport solve(const Weather& weather) override { return network_.solve(weather); }
    bool follow_schedules(int day_type, double seconds) override { return network_.follow_schedules(day_type, seconds); }
    bool set_gas_constants(const std::vector<double>& R) override { return network_.set_gas_constants(R); }
    void bind_controls(ControlNetwork& controls) override { network_.bind_controls(controls); }
    bool follow_controls() override { return network_.follow_controls(); }

private:
    AirflowNetwork network_;
};

// How the run-control settings are read.
struct RunPlan {
    bool transient = false;
    bool contaminants = false;  // concentrations are solved (sim_mf != 0 and contaminants exist)
    bool steady_contaminants = false;  // sim_mf 1: the steady state of the flows
    bool resolve_airflow = false;      // sim_af 1: the airflow is solved every step
    bool cyclic = false;               // sim_mf 3: the day date_st repeated until it repeats itself
    int first_day = 1, first_time = 0;  // of the results
    int last_day = 1, last_time = 0;
    int t_step = 300, t_list = 3600;
    long long steps = 0;  // calculation steps after the start
};

// What the engine refuses in the run control ("" when it can run): zero or
// negative steps, an output step that does not divide a day or is not a
// multiple of the calculation step, a start off the output grid, an end
// before the start, and the methods and input files not simulated yet.
std::string run_control_fault(const RunControl& rc);

// The plan of a run; the run control must be free of faults.
RunPlan plan_run(const RunControl& rc, int nctm);

// The results file's header and maps for a project, its network and plan.
ResultsHeader results_header(const Project& project, const std::vector<Node>& nodes,
                             const std::vector<Link>& links, const RunPlan& plan);
ResultsMaps results_maps(const std::vector<Node>& nodes, const std::vector<Link>& links);
RestartHeader restart_header(const Project& project);

// What a run reports while it goes, once per calculation step.
struct RunProgress {
    int day = 1;
    int time = 0;           // s of the day
    int iterations = 0;     // airflow iterations of the step
    double fraction = 0;    // of the whole run, 0..1
};

struct RunOptions {
    std::function<void(const RunProgress&)> progress;
    // Told of every warning of the run, once each: a step whose airflow
    // did not converge ("Jan15 12:00:00: ..."). The run goes on.
    std::function<void(const std::string&)> warning;
    // Checked once per step; when set the run stops, its results file is
    // abandoned and its restart file closed.
    const std::atomic<bool>* stop = nullptr;
};

enum class RunOutcome { Finished, Stopped };

// Runs the project over its flow model and writes the results file and the
// restart file. Throws EngineError when it cannot (the results file is
// then left unwritten), among others when a step's airflow is physically
// impossible: a zone pressure beyond kMaxZonePressure, a density above
// kMaxZoneDensity or not above 0, or any value that is not a number.
RunOutcome run_simulation(const Project& project, FlowModel& flows, const std::string& results_path,
                          const std::string& restart_path, const RunOptions& options);

inline constexpr double kMaxZonePressure = 1e6;  // Pa, either sign
inline constexpr double kMaxZoneDensity = 100;   // kg/m3

// What is physically impossible in a solved network ("" when nothing):
// the first node or link at fault, named for the user.
std::string unphysical_solution(const Project& project, const std::vector<Node>& nodes,
                                const std::vector<Link>& links);

// The warning of a solve that did not converge: the step, the iterations
// and the node furthest from balance.
std::string not_converged_text(const Project& project, const std::vector<Node>& nodes, const SolveReport& report,
                               int day, int time);
// The warning of a converged solve with a node round-off keeps from its
// tolerance ("" when the report names none).
std::string unresolved_text(const Project& project, const std::vector<Node>& nodes, const SolveReport& report,
                            int day, int time);

// The warning of a solve that held a node's pressure for want of any flow
// that follows it ("" when the report names none).
std::string held_text(const Project& project, const std::vector<Node>& nodes, const SolveReport& report, int day,
                      int time);

// "Jan01 06:00:00": a day of the year (1..365) and a time of day in s.
std::string run_instant_text(int day, int time);

// PROJECT.prj -> PROJECT<extension> in the same folder.
std::string beside_project(const std::string& project_path, const std::string& extension);

}  // namespace avelor::engine
