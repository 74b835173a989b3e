// The airflow network solver: Newton's method on the mass balances of the
// nodes with unknown pressure. Each link's flow follows its element from
// the driving pressure across it, which holds the two nodes' pressures, the
// stack effect of the densities between the node and link elevations and the
// wind pressure on the outdoor side: a path's constant one, or the path's
// wind speed modifier times the dynamic pressure of the wind times the
// coefficient its wind pressure profile gives for the wind's angle to the
// wall.
//
// Node pressures are relative to the outdoor air at the node's elevation,
// whose pressure falls as Pb - rho_a g z with the one outdoor density
// rho_a = Pb / (R Ta); the stack terms are exact for that column. Every
// density is therefore taken at the barometric pressure: the outdoor air
// at Pb, a zone at Pb + p (its own excess over the outdoors beside it).
// Taking a zone's density at its absolute pressure at height instead
// (Pb - rho_a g z + p) against the single outdoor density makes every
// zone look warmer by about 0.034 K per metre and drives a flow up any
// tall isothermal building. At the barometric pressure an isothermal
// building with no wind or fans is balanced at p = 0 exactly; what is
// left out, the fall of both densities with height (about 1.2 % per
// 100 m), scales the stack pressures of a tall building's top by as much.
// R is each node's own: air's, or that of the mixture its non-trace
// contaminants make (set_gas_constants).
//
// Duct systems join the same network: junctions and terminals are nodes of
// unknown pressure, segments links between them, each terminal a link into
// its zone and each leaky junction a link into the zone it lies in (see
// add_ducts).
//
// The Jacobian is a weighted graph Laplacian assembled into a fixed sparse
// pattern; it is factored by a sparse LDL^T (the symbolic analysis once)
// or, when that fills in badly or the settings ask for it, solved by
// conjugate gradients with an incomplete Cholesky preconditioner, taken in
// the network's own order (a fill-reducing order weakens it on lattices).
#include "airflow_network.h"

#include <Eigen/IterativeLinearSolvers>
#include <Eigen/OrderingMethods>
#include <Eigen/SparseCholesky>
#include <Eigen/SparseCore>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <numeric>
#include <unordered_map>

#include "airflow_elements.h"
#include "control_network.h"
#include "schedule_values.h"
#include "app/run_log.h"
#include "model/airflow_element.h"
#include "model/cell_codes.h"
#include "model/duct_element.h"
#include "model/project.h"
#include "model/wind_profile.h"

namespace avelor::engine {

namespace {

using SpMat = Eigen::SparseMatrix<double, Eigen::ColMajor, int>;
using Vec = Eigen::VectorXd;

// A link as the solver sees it. The first links are the public ones in
// results order; sub-paths of super elements the project does not hold
// follow them.
struct SolverLink {
    int n = 0, m = 0;
    int model = -1;      // index into the element models; -1: no flow of its own
    int parent = -1;     // the super-element link whose flow this is part of
    bool fixed = false;  // a flow set by an air-handling system, not by pressures
    double fixed_flow = 0;
    double mult = 1;
    double z = 0;
    double wind = 0;     // added to the driving pressure
    // A wind pressure profile on the outdoor side: the pressure is
    // wind_scale q Cp(Wd - azimuth), q the outdoor dynamic pressure and
    // wind_scale the path's wind speed modifier, negative when the
    // outdoors lie on the m side.
    const WindProfile* profile = nullptr;
    double wind_scale = 0;
    double azimuth = 0;
    WindProfileCursor cursor;
    // Slots in the Jacobian's values: diagonal of n and m, off-diagonal.
    int slot_nn = -1, slot_mm = -1, slot_nm = -1;
};

std::string path_text(const FlowPath& path) { return "flow path " + std::to_string(path.nr); }
std::string junction_text(const Junction& j) { return (j.t != 0 ? "terminal " : "junction ") + std::to_string(j.nr); }
std::string duct_text(const DuctSegment& d) { return "duct segment " + std::to_string(d.nr); }

// The duct area a terminal's sheet shows when no segment feeds it, m2.
constexpr double kUnknownDuctArea = 0.0314;

double level_height(const Level* level) { return level ? level->refHt : 0.0; }

using Clock = std::chrono::steady_clock;
double seconds_since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// A sparse LDL^T that tells the size of its factor from the symbolic
// analysis alone, before any numeric work.
template <class Ordering>
class CountingLDLT : public Eigen::SimplicialLDLT<SpMat, Eigen::Lower, Ordering> {
public:
    long factor_nonzeros() const { return static_cast<long>(this->m_nonZerosPerCol.sum()); }
};

// The linear solver of the Newton step on the lower triangle of J.
class LinearSolver {
public:
    void configure(bool iterative, bool natural_order, int max_iterations, double tolerance)
    {
        iterative_ = iterative;
        natural_ = natural_order;
        pcg_.setMaxIterations(std::max(1, max_iterations));
        pcg_.setTolerance(tolerance > 0 ? tolerance : 1e-6);
    }
    bool iterative() const { return iterative_; }

    // Factorizes J (the pattern analysed on the first call); false when the
    // matrix cannot be factored.
    bool factorize(const SpMat& J)
    {
        if (!iterative_) {
            if (!analysed_) {
                if (natural_) ldlt_natural_.analyzePattern(J);
                else ldlt_amd_.analyzePattern(J);
                analysed_ = true;
                // A factor that fills in far beyond the matrix (3-D
                // networks) costs more than the iterative solver.
                const long factor = natural_ ? ldlt_natural_.factor_nonzeros() : ldlt_amd_.factor_nonzeros();
                const long full = 2 * static_cast<long>(J.nonZeros()) - J.rows();
                if (factor > 10 * full) iterative_ = true;
            }
        }
        if (!iterative_) {
            if (natural_) ldlt_natural_.factorize(J);
            else ldlt_amd_.factorize(J);
            return (natural_ ? ldlt_natural_.info() : ldlt_amd_.info()) == Eigen::Success;
        }
        if (!pcg_analysed_) {
            pcg_.analyzePattern(J);
            pcg_analysed_ = true;
        }
        pcg_.factorize(J);
        return pcg_.info() == Eigen::Success;
    }

    // Solves J x = rhs; the conjugate gradient iterations it took (0 for
    // the factor).
    int solve(const Vec& rhs, Vec& x)
    {
        if (!iterative_) {
            x = natural_ ? Vec(ldlt_natural_.solve(rhs)) : Vec(ldlt_amd_.solve(rhs));
            return 0;
        }
        x = pcg_.solve(rhs);
        return static_cast<int>(pcg_.iterations());
    }

private:
    bool iterative_ = false, natural_ = false;
    bool analysed_ = false, pcg_analysed_ = false;
    CountingLDLT<Eigen::AMDOrdering<int>> ldlt_amd_;
    CountingLDLT<Eigen::NaturalOrdering<int>> ldlt_natural_;
    Eigen::ConjugateGradient<SpMat, Eigen::Lower, Eigen::IncompleteCholesky<double, Eigen::Lower, Eigen::NaturalOrdering<int>>>
        pcg_;
};

}  // namespace

struct AirflowNetwork::Impl {
    std::vector<Node> nodes;
    std::vector<Link> links;
    std::vector<SolverLink> solver_links;
    std::vector<ElementModel> models;
    std::vector<int> follows;     // node -> the node whose temperature it takes, -1 none
    std::vector<double> gas_constant;  // per node, J/(kg K)
    std::vector<int> unknown_of;  // node -> unknown index, -1 when fixed
    std::vector<int> node_of;     // unknown index -> node
    SpMat J;
    std::vector<int> diag_slot;   // unknown -> slot of its diagonal
    LinearSolver solver;

    // Settings.
    double gravity = kStandardGravity;
    bool sutherland = false;
    bool linear_start = true;
    bool trust_region = true;
    int max_iterations = 30;
    double relative_tolerance = 1e-5, absolute_tolerance = 1e-6;
    double relaxation = 0.75;
    bool solved_once = false;
    bool warned_lift = false, warned_singular = false;  // each warning logged once

    // Evaluation state.
    double rho_a = kStandardDensity;
    std::vector<double> mu;
    Vec residual;
    std::vector<double> through;   // per unknown: the sum of |flow| of its links
    std::vector<LinkFlow> flows;   // per solver link, multiplied
    std::vector<double> dP;        // per solver link
    SolveReport* timing = nullptr; // where the phases' times are added up
    const ControlNetwork* controls = nullptr;

    // Schedules: each distinct week schedule evaluated once per call, then
    // copied to the links' multipliers and the zones' temperatures.
    struct ScheduledLink {
        int link = 0, schedule = 0;
        double mult = 1;  // the path's own multiplier
    };
    struct ScheduledNode {
        int node = 0, schedule = 0;
        std::string what;  // "zone office", "junction 3"
    };
    ScheduleValues schedules;
    std::vector<ScheduledLink> scheduled_links;
    std::vector<ScheduledNode> scheduled_nodes;

    // Control signals: what follows a control node or a values-file column
    // rather than its schedule, and the slot of its signal once bound.
    struct ControlledLink {
        int link = 0;
        double mult = 1;
        const ControlNode* control = nullptr;
        const ControlValuesLink* cdvf = nullptr;
        int slot = -1;
    };
    struct ControlledNode {
        int node = 0;
        const ControlNode* control = nullptr;
        const ControlValuesLink* cdvf = nullptr;
        std::string what;
        int slot = -1;
    };
    std::vector<ControlledLink> controlled_links;
    std::vector<ControlledNode> controlled_nodes;

    void build(const Project& project);
    void set_system_flows(const Project& project);
    void add_ducts(const Project& project);
    void check_connections(const Project& project) const;
    void bind_schedules(const Project& project);
    void build_pattern();
    void update_densities(const Weather& w);
    void update_wind(const Weather& w);
    void evaluate(bool linear);
    void evaluate_flows(bool linear);
    void assemble();
    double driving_pressure(const SolverLink& l) const;
    bool balanced(SolveReport* report, bool relative_only = false) const;
    void find_unresolved(SolveReport& report) const;
    bool solve_step(Vec& delta);
    void publish();
};

AirflowNetwork::AirflowNetwork(const Project& project) : impl_(std::make_unique<Impl>())
{
    impl_->build(project);
}

AirflowNetwork::~AirflowNetwork() = default;
AirflowNetwork::AirflowNetwork(AirflowNetwork&&) noexcept = default;
AirflowNetwork& AirflowNetwork::operator=(AirflowNetwork&&) noexcept = default;

const std::vector<Node>& AirflowNetwork::nodes() const { return impl_->nodes; }
const std::vector<Link>& AirflowNetwork::links() const { return impl_->links; }
int AirflowNetwork::ambient_index() const { return static_cast<int>(impl_->nodes.size()) - 1; }

void AirflowNetwork::Impl::build(const Project& project)
{
    const RunControl& rc = project.rc;

    if (rc.rvals.size() > 1 && rc.rvals[1] >= 9 && rc.rvals[1] <= 10.5) gravity = rc.rvals[1];
    sutherland = rc.Tadj == 1;
    linear_start = rc.aflinit != 0;
    trust_region = rc.afcalc != 0;
    max_iterations = std::max(1, static_cast<int>(rc.afmaxi));
    relative_tolerance = rc.afrcnvg;
    absolute_tolerance = rc.afacnvg;
    relaxation = rc.afrelax > 0 ? rc.afrelax : 0.75;
    solver.configure(rc.af_slae == 1, rc.af_rs == 0, rc.aflmaxi, rc.aflcnvg);

    // Nodes: the zones by number, then the ambient node.
    const std::int32_t nzones = project.zones.count();
    nodes.reserve(static_cast<std::size_t>(nzones) + 1);
    for (std::int32_t i = 1; i <= nzones; ++i) {
        const Zone* zone = project.zones.at(i);
        if (!zone) throw EngineError("Zone " + std::to_string(i) + " is missing: the zones are not numbered 1 to " +
                                     std::to_string(nzones) + ".");
        const std::string what = "zone " + zone->name;
        if (zone->axs != 0) throw EngineError("One-dimensional zones (" + what + ") are not simulated by this engine yet.");
        if ((zone->flags & kZoneCfd) || !zone->cfd_name.empty())
            throw EngineError("CFD zones (" + what + ") are not simulated by this engine yet.");
        Node node;
        node.kind = NodeKind::Zone;
        node.number = zone->nr;
        node.unknown = (zone->flags & kZoneVariablePressure) && !(zone->flags & kZoneAhs);
        node.variable_ctm = (zone->flags & kZoneVariableContaminants) != 0;
        node.z = level_height(zone->level) + zone->relHt;
        node.T = zone->T0;
        if (!(node.T > 0)) throw EngineError("The temperature of " + what + " is not above 0 K.");
        if (!std::isfinite(node.z) || !std::isfinite(zone->P0) || !std::isfinite(zone->Vol))
            throw EngineError("The elevation, pressure or volume of " + what + " is not a number.");
        node.p = node.unknown ? 0 : zone->P0;
        node.volume = zone->Vol;
        nodes.push_back(node);
    }
    // Then the junctions and terminals by number: their pressures are
    // always unknown, their concentrations always vary.
    const std::int32_t njct = project.junctions.count();
    nodes.reserve(nodes.size() + static_cast<std::size_t>(njct) + 1);
    for (std::int32_t i = 1; i <= njct; ++i) {
        const Junction* junction = project.junctions.at(i);
        if (!junction)
            throw EngineError("Junction " + std::to_string(i) + " is missing: the junctions are not numbered 1 to " +
                              std::to_string(njct) + ".");
        const std::string what = junction_text(*junction);
        if (junction->flags & (kPathWpcPressure | kPathWpcConcentration))
            throw EngineError("Wind pressure and contaminant files (" + what + ") are not simulated by this engine yet.");
        Node node;
        node.kind = junction->t != 0 ? NodeKind::Terminal : NodeKind::Junction;
        node.number = junction->nr;
        node.unknown = true;
        node.variable_ctm = true;
        node.z = level_height(junction->level) + junction->relHt;
        node.T = junction->T0;
        if (!std::isfinite(node.z)) throw EngineError("The elevation of " + what + " is not a number.");
        // A terminal takes its zone's temperature (below); a junction has
        // its own.
        if (node.kind == NodeKind::Junction && !(node.T > 0 && std::isfinite(node.T)))
            throw EngineError("The temperature of " + what + " is not above 0 K.");
        nodes.push_back(node);
    }
    Node ambient;
    ambient.kind = NodeKind::Ambient;
    ambient.number = 0;
    ambient.T = rc.steady.Ta;
    nodes.push_back(ambient);
    const int amb = static_cast<int>(nodes.size()) - 1;
    follows.assign(nodes.size(), -1);

    const auto node_index = [&](const ZoneRef& ref, const FlowPath& path) {
        if (ref.is_ambient()) return amb;
        if (ref.zone() && ref.zone()->nr >= 1 && ref.zone()->nr <= nzones) return ref.zone()->nr - 1;
        throw EngineError("The " + path_text(path) + " does not join two zones.");
    };
    std::unordered_map<const AirflowElement*, int> model_of;
    const auto model_index = [&](const AirflowElement* element, const FlowPath& path) {
        if (!element) throw EngineError("The " + path_text(path) + " has no airflow element.");
        if (!is_airflow_type(element->type))
            throw EngineError("The " + path_text(path) + " uses a duct element.");
        auto [it, fresh] = model_of.emplace(element, static_cast<int>(models.size()));
        if (fresh) {
            try {
                models.emplace_back(*element);
            } catch (const EngineError& e) {
                // The element's own fault, told with the path that uses it.
                throw EngineError("Flow path " + std::to_string(path.nr) + ": " + e.what());
            }
        }
        return it->second;
    };

    // Which paths are the hidden sub-paths of a super element.
    const std::int32_t npaths = project.paths.count();
    std::map<const FlowPath*, int> sub_parent;
    for (std::int32_t i = 1; i <= npaths; ++i) {
        const FlowPath* path = project.paths.at(i);
        if (!path) throw EngineError("Flow path " + std::to_string(i) + " is missing: the flow paths are not numbered 1 to " +
                                     std::to_string(npaths) + ".");
        for (const FlowPath* sub : project.sub_paths.of(path)) sub_parent[sub] = i - 1;
    }

    links.reserve(static_cast<std::size_t>(npaths));
    solver_links.reserve(static_cast<std::size_t>(npaths));
    std::vector<std::pair<int, const FlowPath*>> missing_subs;  // parents to synthesize for
    for (std::int32_t i = 1; i <= npaths; ++i) {
        const FlowPath& path = *project.paths.at(i);
        if (path.flags & (kPathWpcPressure | kPathWpcConcentration))
            throw EngineError("Wind pressure and contaminant files (" + path_text(path) +
                              ") are not simulated by this engine yet.");
        if (!path.cfd_name.empty())
            throw EngineError("CFD links (" + path_text(path) + ") are not simulated by this engine yet.");

        if (!std::isfinite(level_height(path.level) + path.relHt) || !std::isfinite(path.mult) ||
            !std::isfinite(path.wPset) || !std::isfinite(path.Fahs) || !std::isfinite(path.wPmod) ||
            !std::isfinite(path.wazm))
            throw EngineError("The " + path_text(path) + " holds a value that is not a number.");
        Link link;
        link.kind = LinkKind::FlowPath;
        link.number = path.nr;
        if (path.flags & kPathNoElementMask) {
            // Supply and return points and a system's own paths: flows the
            // system sets, added once every path is known.
            link.z = level_height(path.level) + path.relHt;
            links.push_back(link);
            SolverLink sl;
            sl.fixed = true;
            solver_links.push_back(sl);
            continue;
        }
        link.n = node_index(path.zone_n, path);
        link.m = node_index(path.zone_m, path);
        link.z = level_height(path.level) + path.relHt;
        // Between two points of the outdoors the wind pressure alone
        // would drive a flow that no zone's balance holds back; the
        // building check refuses such a path as well.
        if (link.n == amb && link.m == amb)
            throw EngineError("The " + path_text(path) + " has the outdoors on both sides.");
        if (path.mult < 0)
            throw EngineError("The " + path_text(path) + " has a negative multiplier (" + std::to_string(path.mult) + ").");
        links.push_back(link);

        SolverLink sl;
        sl.n = link.n;
        sl.m = link.m;
        sl.z = link.z;
        sl.mult = path.mult;
        if ((path.flags & 0x01) && (link.n == amb || link.m == amb)) {
            const double side = link.n == amb ? 1.0 : -1.0;
            if (path.wind_profile) {
                sl.profile = path.wind_profile;
                sl.wind_scale = side * path.wPmod;
                sl.azimuth = path.wazm;
            } else {
                sl.wind = side * path.wPset;
            }
        }
        if (auto it = sub_parent.find(&path); it != sub_parent.end()) sl.parent = it->second;
        if (path.element && path.element->type == kSupAfe) {
            if (project.sub_paths.of(&path).empty()) missing_subs.emplace_back(i - 1, &path);
        } else {
            sl.model = model_index(path.element, path);
        }
        solver_links.push_back(sl);
    }
    set_system_flows(project);
    add_ducts(project);
    // Super elements whose sub-paths the project does not hold get them
    // here, as the editor would make them.
    for (const auto& [parent, path] : missing_subs) {
        const auto* super = std::get_if<SuperData>(&path->element->data);
        if (!super) continue;
        for (const SubElement& sub : super->subs) {
            if (!sub.element || sub.element->type == kSupAfe)
                throw EngineError("The super element of the " + path_text(*path) + " has an unusable sub-element.");
            SolverLink sl = solver_links[static_cast<std::size_t>(parent)];
            sl.parent = parent;
            sl.z += sub.relHt;
            sl.model = model_index(sub.element, *path);
            solver_links.push_back(sl);
        }
    }

    unknown_of.assign(nodes.size(), -1);
    for (std::size_t i = 0; i < nodes.size(); ++i)
        if (nodes[i].unknown) {
            unknown_of[i] = static_cast<int>(node_of.size());
            node_of.push_back(static_cast<int>(i));
        }
    check_connections(project);
    bind_schedules(project);
    build_pattern();
    flows.assign(solver_links.size(), LinkFlow{});
    dP.assign(solver_links.size(), 0);
    mu.assign(nodes.size(), kViscosityAir);
    gas_constant.assign(nodes.size(), kGasConstantAir);
}

// A simple air-handling system moves its supply points' flows from its
// supply zone into the rooms and its return points' flows from the rooms
// into its return zone. Of the supply, the minimum outdoor air (the
// recirculation path's Fahs) comes from outdoors, the rest is recirculated
// return air; what is not recirculated leaves through the exhaust, a
// negative exhaust flow drawing outdoor air in. The system's zones have a
// fixed pressure, so its flows need no balance there.
void AirflowNetwork::Impl::set_system_flows(const Project& project)
{
    const int amb = static_cast<int>(nodes.size()) - 1;
    const int nzones = project.zones.count();
    const auto zone_node = [&](std::int32_t nr, const FlowPath& path) {
        if (nr < 1 || nr > nzones)
            throw EngineError("The air-handling system of the " + path_text(path) + " has no zone " +
                              std::to_string(nr) + ".");
        return nr - 1;
    };
    const auto room_node = [&](const ZoneRef& ref, const FlowPath& path) {
        if (ref.is_ambient()) return amb;
        if (ref.zone() && ref.zone()->nr >= 1 && ref.zone()->nr <= nzones) return ref.zone()->nr - 1;
        throw EngineError("The " + path_text(path) + " is not in a zone.");
    };
    std::map<const SimpleAhs*, std::pair<double, double>> totals;  // supply, return
    const std::int32_t npaths = project.paths.count();
    for (std::int32_t i = 1; i <= npaths; ++i) {
        const FlowPath& path = *project.paths.at(i);
        if (!(path.flags & kPathAhs)) continue;
        if (!path.ahs) throw EngineError("The " + path_text(path) + " belongs to no air-handling system.");
        const bool supply = path.icn == ICN_SUPPLY || (path.icn != ICN_RETURN && path.zone_n.is_none());
        const double F = static_cast<double>(path.mult) * path.Fahs;
        const std::size_t k = static_cast<std::size_t>(i - 1);
        Link& link = links[k];
        if (supply) {
            link.n = zone_node(path.ahs->zs, path);
            link.m = room_node(path.zone_m, path);
            totals[path.ahs].first += F;
        } else {
            link.n = room_node(path.zone_n, path);
            link.m = zone_node(path.ahs->zr, path);
            totals[path.ahs].second += F;
        }
        solver_links[k].fixed_flow = F;
    }
    for (const SimpleAhs* system : project.system_index) {
        if (!system) continue;
        const auto [supply, back] = totals[system];
        const FlowPath* pr = project.paths.at(system->pr);
        const FlowPath* ps = project.paths.at(system->ps);
        const FlowPath* px = project.paths.at(system->px);
        if (!pr || !ps || !px)
            throw EngineError("The air-handling system " + system->name + " lacks one of its three paths.");
        const double outdoor = std::min(supply, static_cast<double>(pr->Fahs));
        const double recirculated = supply - outdoor;
        const double exhaust = back - recirculated;
        const auto set = [&](const FlowPath* path, int n, int m, double F) {
            const std::size_t k = static_cast<std::size_t>(path->nr - 1);
            links[k].n = n;
            links[k].m = m;
            solver_links[k].fixed_flow = F;
        };
        set(pr, zone_node(system->zr, *pr), zone_node(system->zs, *pr), recirculated);
        set(ps, amb, zone_node(system->zs, *ps), outdoor);
        set(px, zone_node(system->zr, *px), amb, exhaust);
    }
    for (std::size_t k = 0; k < links.size(); ++k) {
        solver_links[k].n = links[k].n;
        solver_links[k].m = links[k].m;
        solver_links[k].z = links[k].z;
    }
}

// The duct system: each segment a link from its junction n to its
// junction m, each terminal a link from the duct into its zone, and where
// the ducts leak a link from the junction into the zone it lies in. A
// segment's elevation is the middle of its two ends, so its stack term
// takes the mean density of the air at the two ends over the rise. Each
// junction holds half the volume of every segment it ends, and half of
// each segment's leakage coefficient leaks at each end.
void AirflowNetwork::Impl::add_ducts(const Project& project)
{
    const int amb = static_cast<int>(nodes.size()) - 1;
    const std::int32_t nzones = project.zones.count();
    const std::int32_t njct = project.junctions.count();
    const auto junction_node = [&](const Junction* j) { return j && j->nr >= 1 && j->nr <= njct ? nzones + j->nr - 1 : -1; };
    // The zone a junction lies in: a zone, the outdoors, or none (-1).
    const auto zone_of = [&](const Junction& j) {
        if (j.zone.is_ambient()) return amb;
        if (j.zone.zone() && j.zone.zone()->nr >= 1 && j.zone.zone()->nr <= nzones) return j.zone.zone()->nr - 1;
        return -1;
    };
    std::vector<double> leakage(static_cast<std::size_t>(njct), 0.0);
    // The segment that feeds each terminal: the first one ending there.
    std::vector<const DuctSegment*> feeder(static_cast<std::size_t>(njct), nullptr);
    std::unordered_map<const DuctElement*, int> shared_model;

    const std::int32_t nduct = project.ducts.count();
    for (std::int32_t i = 1; i <= nduct; ++i) {
        const DuctSegment* segment = project.ducts.at(i);
        if (!segment)
            throw EngineError("Duct segment " + std::to_string(i) + " is missing: the duct segments are not numbered 1 to " +
                              std::to_string(nduct) + ".");
        const std::string what = duct_text(*segment);
        const int n = junction_node(segment->junction_n), m = junction_node(segment->junction_m);
        if (n < 0 || m < 0) throw EngineError("The " + what + " does not join two junctions.");
        if (n == m) throw EngineError("The " + what + " begins and ends at the same junction.");
        if (!segment->element) throw EngineError("The " + what + " has no duct element.");
        const DuctElement& element = *segment->element;
        Link link;
        link.kind = LinkKind::DuctSegment;
        link.number = segment->nr;
        link.n = n;
        link.m = m;
        link.z = 0.5 * (nodes[static_cast<std::size_t>(n)].z + nodes[static_cast<std::size_t>(m)].z);
        links.push_back(link);
        SolverLink sl;
        sl.n = n;
        sl.m = m;
        sl.z = link.z;
        try {
            if (element.type == kDctDwc) {
                // Its law depends on the segment's length and losses.
                sl.model = static_cast<int>(models.size());
                models.push_back(ElementModel::duct(element, segment->len, segment->sllc));
            } else {
                auto [it, fresh] = shared_model.emplace(&element, static_cast<int>(models.size()));
                if (fresh) models.push_back(ElementModel::duct(element, segment->len, segment->sllc));
                sl.model = it->second;
            }
        } catch (const EngineError& e) {
            throw EngineError("Duct segment " + std::to_string(segment->nr) + ": " + e.what());
        }
        solver_links.push_back(sl);

        const DuctSegmentValues values = duct_segment_values(element, segment->len, segment->sllc);
        if (!std::isfinite(values.volume) || !std::isfinite(values.leak_coef) || values.volume < 0 ||
            values.leak_coef < 0)
            throw EngineError("The " + what + " has a length or leakage that is not a number.");
        for (const Junction* end : {segment->junction_n, segment->junction_m}) {
            const auto j = static_cast<std::size_t>(end->nr - 1);
            nodes[static_cast<std::size_t>(nzones) + j].volume += 0.5 * values.volume;
            leakage[j] += 0.5 * values.leak_coef;
            if (!feeder[j]) feeder[j] = segment;
        }
    }

    // Terminals, in junction order.
    for (std::int32_t i = 1; i <= njct; ++i) {
        const Junction& junction = *project.junctions.at(i);
        const int node = nzones + i - 1;
        if (junction.t == 0) continue;
        const std::string what = junction_text(junction);
        const int zone = zone_of(junction);
        if (zone < 0) throw EngineError("The " + what + " lies in no zone.");
        // Its air is the air of the room (or the outdoors) it opens into.
        follows[static_cast<std::size_t>(node)] = zone;
        const TerminalData& t = junction.terminal;
        const double K = static_cast<double>(t.loss_coefficient()) + t.balance_coefficient();
        if (!(K > 0) || !std::isfinite(K) || t.balance_coefficient() < 0)
            throw EngineError("The " + what +
                              " needs a terminal loss coefficient above 0 and a balance loss coefficient not below 0.");
        // The duct area is the feeding segment's; without one, as stored.
        const DuctSegment* feed = feeder[static_cast<std::size_t>(i - 1)];
        double area = feed && feed->element ? feed->element->shape.area : 0.0;
        double diameter = feed && feed->element ? feed->element->shape.Dh : 0.0;
        if (!(area > 0) || !std::isfinite(area)) area = t.duct_area();
        if (!(area > 0) || !std::isfinite(area)) area = kUnknownDuctArea;
        if (!(diameter > 0) || !std::isfinite(diameter)) diameter = std::sqrt(4 * area / 3.14159265358979);
        Link link;
        link.kind = LinkKind::Terminal;
        link.number = junction.nr;
        link.n = node;
        link.m = zone;
        link.z = nodes[static_cast<std::size_t>(node)].z;
        links.push_back(link);
        SolverLink sl;
        sl.n = node;
        sl.m = zone;
        sl.z = link.z;
        sl.model = static_cast<int>(models.size());
        models.push_back(ElementModel::terminal(K, area, diameter));
        if ((junction.flags & kJunctionWind) && zone == amb) {
            // The outdoors lie on the m side.
            if (!std::isfinite(t.wind_pressure()) || !std::isfinite(t.wind_modifier()) ||
                !std::isfinite(t.wall_azimuth()))
                throw EngineError("The wind pressure of " + what + " is not a number.");
            if (junction.terminal.wind_profile) {
                sl.profile = junction.terminal.wind_profile;
                sl.wind_scale = -static_cast<double>(t.wind_modifier());
                sl.azimuth = t.wall_azimuth();
            } else {
                sl.wind = -static_cast<double>(t.wind_pressure());
            }
        }
        solver_links.push_back(sl);
    }

    // Leaks, in junction order.
    for (std::int32_t i = 1; i <= njct; ++i) {
        const double C = leakage[static_cast<std::size_t>(i - 1)];
        if (!(C > 0)) continue;
        const Junction& junction = *project.junctions.at(i);
        const int node = nzones + i - 1;
        const int zone = zone_of(junction);
        if (zone < 0)
            throw EngineError("The ducts of " + junction_text(junction) + " leak, but it lies in no zone.");
        Link link;
        link.kind = LinkKind::Leak;
        link.number = junction.nr;
        link.n = node;
        link.m = zone;
        link.z = nodes[static_cast<std::size_t>(node)].z;
        links.push_back(link);
        SolverLink sl;
        sl.n = node;
        sl.m = zone;
        sl.z = link.z;
        sl.model = static_cast<int>(models.size());
        models.push_back(ElementModel::leak(C));
        solver_links.push_back(sl);
    }
}

// Every zone of unknown pressure needs a chain of links whose flow
// depends on the pressure difference (an element that conducts, with a
// multiplier above 0) to a node of known pressure; without one its
// pressure is free, and Newton's method wanders off with it. Fans,
// closed elements and systems' flows do not tie pressures together.
void AirflowNetwork::Impl::check_connections(const Project& project) const
{
    std::vector<int> parent(nodes.size());
    std::iota(parent.begin(), parent.end(), 0);
    const auto find = [&](int x) {
        while (parent[static_cast<std::size_t>(x)] != x) {
            int& up = parent[static_cast<std::size_t>(x)];
            up = parent[static_cast<std::size_t>(up)];
            x = up;
        }
        return x;
    };
    for (const SolverLink& l : solver_links) {
        if (l.fixed || l.model < 0 || !(l.mult > 0) || !models[static_cast<std::size_t>(l.model)].conducts()) continue;
        const int a = find(l.n), b = find(l.m);
        if (a != b) parent[static_cast<std::size_t>(b)] = a;
    }
    std::vector<char> known_root(nodes.size(), 0);
    for (std::size_t i = 0; i < nodes.size(); ++i)
        if (!nodes[i].unknown) known_root[static_cast<std::size_t>(find(static_cast<int>(i)))] = 1;
    std::string names;
    int loose = 0;
    bool zones_only = true;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        if (!nodes[i].unknown || known_root[static_cast<std::size_t>(find(static_cast<int>(i)))]) continue;
        const bool zone_node = nodes[i].kind == NodeKind::Zone;
        zones_only = zones_only && zone_node;
        if (++loose <= 5) {
            std::string name;
            if (zone_node) {
                const Zone* zone = project.zones.at(nodes[i].number);
                name = zone ? zone->name : std::to_string(nodes[i].number);
            } else {
                const Junction* j = project.junctions.at(nodes[i].number);
                name = j ? junction_text(*j) : "junction " + std::to_string(nodes[i].number);
            }
            names += (loose > 1 ? ", " : "") + name;
        }
    }
    if (loose == 0) return;
    if (loose > 5) names += " and " + std::to_string(loose - 5) + " more";
    if (!zones_only)
        throw EngineError("The pressure of " + names +
                          " is not tied to the outdoors or to a zone of fixed pressure: no chain of flow paths, "
                          "duct segments and terminals that conduct under pressure (not fans, not closed) leads "
                          "there.");
    throw EngineError(std::string(loose == 1 ? "Zone " : "Zones ") + names +
                      ": no flow path that conducts under pressure (multiplier and coefficients above 0, "
                      "not a fan) leads to the outdoors or to a zone of fixed pressure.");
}

// Zones follow temperature schedules, flow paths dimensionless ones. The
// flows a system sets and the parts of super elements do not follow
// schedules here.
void AirflowNetwork::Impl::bind_schedules(const Project& project)
{
    const auto controlled = [](const ControlNode* control, const ControlValuesLink& cdvf) {
        return control != nullptr || cdvf.kind != 0;
    };
    for (std::size_t i = 0; i + 1 < nodes.size(); ++i) {
        if (nodes[i].kind == NodeKind::Zone) {
            const Zone* zone = project.zones.at(nodes[i].number);
            if (zone && controlled(zone->control, zone->cdvf)) {
                controlled_nodes.push_back({static_cast<int>(i), zone->control, &zone->cdvf, "zone " + zone->name});
                continue;
            }
            if (!zone || !zone->schedule) continue;
            check_week_schedule(*zone->schedule, kScheduleTemperature, "zone " + zone->name);
            scheduled_nodes.push_back({static_cast<int>(i), schedules.add(*zone->schedule), "zone " + zone->name});
            continue;
        }
        // Junctions follow temperature schedules too; a terminal with one
        // takes its value rather than its zone's temperature.
        const Junction* junction = project.junctions.at(nodes[i].number);
        if (junction && controlled(junction->control, junction->cdvf)) {
            controlled_nodes.push_back({static_cast<int>(i), junction->control, &junction->cdvf, junction_text(*junction)});
            follows[i] = -1;
            continue;
        }
        if (!junction || !junction->schedule) continue;
        const std::string what = junction_text(*junction);
        check_week_schedule(*junction->schedule, kScheduleTemperature, what);
        scheduled_nodes.push_back({static_cast<int>(i), schedules.add(*junction->schedule), what});
        follows[i] = -1;
    }
    std::vector<char> has_subs(links.size(), 0);
    for (const SolverLink& l : solver_links)
        if (l.parent >= 0) has_subs[static_cast<std::size_t>(l.parent)] = 1;
    for (std::size_t k = 0; k < links.size(); ++k) {
        if (links[k].kind == LinkKind::DuctSegment) {
            // A segment's schedule scales its flow as a path's does.
            const DuctSegment* segment = project.ducts.at(links[k].number);
            if (segment && controlled(segment->control, segment->cdvf)) {
                controlled_links.push_back({static_cast<int>(k), solver_links[k].mult, segment->control, &segment->cdvf});
                continue;
            }
            if (!segment || !segment->schedule) continue;
            check_week_schedule(*segment->schedule, kScheduleDimensionless, duct_text(*segment));
            scheduled_links.push_back({static_cast<int>(k), schedules.add(*segment->schedule), solver_links[k].mult});
            continue;
        }
        if (links[k].kind != LinkKind::FlowPath) continue;
        const FlowPath* path = project.paths.at(links[k].number);
        if (!path) continue;
        const SolverLink& l = solver_links[k];
        if (controlled(path->control, path->cdvf)) {
            if (l.fixed)
                throw EngineError("Controls on the paths of air-handling systems (" + path_text(*path) +
                                  ") are not simulated by this engine yet.");
            if (l.parent >= 0 || has_subs[k])
                throw EngineError("Controls on super elements and their sub-paths (" + path_text(*path) +
                                  ") are not simulated by this engine yet.");
            controlled_links.push_back({static_cast<int>(k), l.mult, path->control, &path->cdvf});
            continue;
        }
        if (!path->schedule) continue;
        if (l.fixed)
            throw EngineError("Schedules on the paths of air-handling systems (" + path_text(*path) +
                              ") are not simulated by this engine yet.");
        if (l.parent >= 0 || has_subs[k])
            throw EngineError("Schedules on super elements and their sub-paths (" + path_text(*path) +
                              ") are not simulated by this engine yet.");
        check_week_schedule(*path->schedule, kScheduleDimensionless, path_text(*path));
        scheduled_links.push_back({static_cast<int>(k), schedules.add(*path->schedule), l.mult});
    }
}

bool AirflowNetwork::follow_schedules(int day_type, double seconds)
{
    Impl& s = *impl_;
    if (s.schedules.size() == 0 || !s.schedules.evaluate(day_type, seconds)) return false;
    const auto value_text = [](double v) {
        char text[32];
        std::snprintf(text, sizeof text, "%g", v);
        return std::string(text);
    };
    for (const Impl::ScheduledLink& sl : s.scheduled_links) {
        const double v = s.schedules.value(sl.schedule);
        if (!(v >= 0) || !std::isfinite(v))
        {
            const Link& link = s.links[static_cast<std::size_t>(sl.link)];
            throw EngineError("The schedule " + s.schedules.schedule(sl.schedule).name + " gives " +
                              (link.kind == LinkKind::DuctSegment ? "duct segment " : "flow path ") +
                              std::to_string(link.number) + " the factor " + value_text(v) +
                              "; it must be a number not below 0.");
        }
        s.solver_links[static_cast<std::size_t>(sl.link)].mult = sl.mult * v;
    }
    for (const Impl::ScheduledNode& sn : s.scheduled_nodes) {
        const double v = s.schedules.value(sn.schedule);
        Node& node = s.nodes[static_cast<std::size_t>(sn.node)];
        if (!(v > 0) || !std::isfinite(v))
            throw EngineError("The schedule " + s.schedules.schedule(sn.schedule).name + " gives " + sn.what +
                              " the temperature " + value_text(v) +
                              " K; it must be above 0 K.");
        node.T = v;
    }
    return true;
}

void AirflowNetwork::bind_controls(ControlNetwork& controls)
{
    Impl& s = *impl_;
    for (Impl::ControlledLink& c : s.controlled_links) {
        const Link& link = s.links[static_cast<std::size_t>(c.link)];
        const std::string user =
            (link.kind == LinkKind::DuctSegment ? "duct segment " : "flow path ") + std::to_string(link.number);
        c.slot = controls.signal_slot(c.control, *c.cdvf, user);
    }
    for (Impl::ControlledNode& c : s.controlled_nodes) c.slot = controls.signal_slot(c.control, *c.cdvf, c.what);
    s.controls = &controls;
}

bool AirflowNetwork::follow_controls()
{
    Impl& s = *impl_;
    if (!s.controls) return false;
    bool changed = false;
    for (const Impl::ControlledLink& c : s.controlled_links) {
        // A signal scales the flow as a schedule does; below 0 it closes.
        const double v = s.controls->signal(c.slot);
        const double mult = c.mult * (std::isfinite(v) ? std::max(0.0, v) : 0.0);
        double& now = s.solver_links[static_cast<std::size_t>(c.link)].mult;
        if (mult != now) changed = true;
        now = mult;
    }
    for (const Impl::ControlledNode& c : s.controlled_nodes) {
        const double v = s.controls->signal(c.slot);
        if (!(v > 0) || !std::isfinite(v)) {
            char text[32];
            std::snprintf(text, sizeof text, "%g", v);
            throw EngineError("The control signal of " + c.what + " gives it the temperature " + text +
                              " K; it must be above 0 K.");
        }
        double& T = s.nodes[static_cast<std::size_t>(c.node)].T;
        if (v != T) changed = true;
        T = v;
    }
    return changed;
}

bool AirflowNetwork::set_gas_constants(const std::vector<double>& R)
{
    Impl& s = *impl_;
    if (R.size() != s.gas_constant.size())
        throw EngineError("The gas constants do not match the network's nodes.");
    bool changed = false;
    for (std::size_t i = 0; i < R.size(); ++i) {
        if (!(R[i] > 0) || !std::isfinite(R[i]))
            throw EngineError("The air of a node has no gas constant above 0.");
        if (R[i] != s.gas_constant[i]) changed = true;
        s.gas_constant[i] = R[i];
    }
    return changed;
}

void AirflowNetwork::Impl::build_pattern()
{
    const int nu = static_cast<int>(node_of.size());
    std::vector<Eigen::Triplet<double, int>> entries;
    entries.reserve(static_cast<std::size_t>(nu) + solver_links.size());
    for (int u = 0; u < nu; ++u) entries.emplace_back(u, u, 0.0);
    for (const SolverLink& l : solver_links) {
        const int a = unknown_of[static_cast<std::size_t>(l.n)], b = unknown_of[static_cast<std::size_t>(l.m)];
        if (l.model >= 0 && a >= 0 && b >= 0 && a != b) entries.emplace_back(std::max(a, b), std::min(a, b), 0.0);
    }
    J.resize(nu, nu);
    J.setFromTriplets(entries.begin(), entries.end());
    J.makeCompressed();
    const auto slot = [&](int row, int col) {
        const int* outer = J.outerIndexPtr();
        const int* inner = J.innerIndexPtr();
        const int* begin = inner + outer[col];
        const int* end = inner + outer[col + 1];
        const int* at = std::lower_bound(begin, end, row);
        return static_cast<int>(at - inner);
    };
    diag_slot.resize(static_cast<std::size_t>(nu));
    for (int u = 0; u < nu; ++u) diag_slot[static_cast<std::size_t>(u)] = slot(u, u);
    for (SolverLink& l : solver_links) {
        const int a = unknown_of[static_cast<std::size_t>(l.n)], b = unknown_of[static_cast<std::size_t>(l.m)];
        if (l.model < 0) continue;
        if (a >= 0) l.slot_nn = diag_slot[static_cast<std::size_t>(a)];
        if (b >= 0) l.slot_mm = diag_slot[static_cast<std::size_t>(b)];
        if (a >= 0 && b >= 0 && a != b) l.slot_nm = slot(std::max(a, b), std::min(a, b));
    }
}

void AirflowNetwork::Impl::update_densities(const Weather& w)
{
    rho_a = w.Pb / (gas_constant.back() * w.Ta);
    nodes.back().T = w.Ta;
    for (std::size_t i = 0; i + 1 < nodes.size(); ++i) {
        Node& node = nodes[i];
        if (follows[i] >= 0) node.T = nodes[static_cast<std::size_t>(follows[i])].T;
        // At the barometric pressure, as the outdoor density (see the top
        // of this file): no elevation term.
        node.rho = (w.Pb + node.p) / (gas_constant[i] * node.T);
        mu[i] = air_viscosity(node.T, sutherland);
    }
    Node& ambient = nodes.back();
    ambient.T = w.Ta;
    ambient.p = 0;
    ambient.rho = rho_a;
    mu.back() = air_viscosity(w.Ta, sutherland);
}

// The dynamic pressure of the wind is taken with the outdoor density at the
// barometric pressure, as every density here is.
void AirflowNetwork::Impl::update_wind(const Weather& w)
{
    const double q = 0.5 * w.Pb / (gas_constant.back() * w.Ta) * w.Ws * w.Ws;
    for (SolverLink& l : solver_links)
        if (l.profile) l.wind = l.wind_scale * q * evaluate_wind_profile(*l.profile, w.Wd - l.azimuth, l.cursor);
}

double AirflowNetwork::Impl::driving_pressure(const SolverLink& l) const
{
    const Node& a = nodes[static_cast<std::size_t>(l.n)];
    const Node& b = nodes[static_cast<std::size_t>(l.m)];
    const bool a_out = a.kind == NodeKind::Ambient, b_out = b.kind == NodeKind::Ambient;
    const double stack_n = a_out ? 0 : (rho_a - a.rho) * (l.z - a.z);
    const double stack_m = b_out ? 0 : (rho_a - b.rho) * (l.z - b.z);
    return a.p - b.p + gravity * (stack_n - stack_m) + l.wind;
}

void AirflowNetwork::Impl::evaluate(bool linear)
{
    Clock::time_point start = Clock::now();
    evaluate_flows(linear);
    if (timing) timing->element_seconds += seconds_since(start);
    start = Clock::now();
    assemble();
    if (timing) timing->assembly_seconds += seconds_since(start);
}

void AirflowNetwork::Impl::evaluate_flows(bool linear)
{
    for (std::size_t k = 0; k < solver_links.size(); ++k) {
        const SolverLink& l = solver_links[k];
        if (l.fixed) {
            dP[k] = 0;
            flows[k] = LinkFlow{l.fixed_flow, 0, 0};
            continue;
        }
        const double d = driving_pressure(l);
        dP[k] = d;
        if (l.model < 0) {
            flows[k] = LinkFlow{};
            continue;
        }
        const Node& a = nodes[static_cast<std::size_t>(l.n)];
        const Node& b = nodes[static_cast<std::size_t>(l.m)];
        FlowState s;
        s.rho_n = a.rho;
        s.rho_m = b.rho;
        s.mu_n = mu[static_cast<std::size_t>(l.n)];
        s.mu_m = mu[static_cast<std::size_t>(l.m)];
        s.T_n = a.T;
        s.T_m = b.T;
        s.gravity = gravity;
        const ElementModel& model = models[static_cast<std::size_t>(l.model)];
        LinkFlow f;
        if (linear) {
            f = model.linear(s);
            f.F0 += f.g * d;
        } else {
            f = model.flow(d, s);
        }
        f.F0 *= l.mult;
        f.F1 *= l.mult;
        f.g *= l.mult;
        flows[k] = f;
    }
}

void AirflowNetwork::Impl::assemble()
{
    std::fill(J.valuePtr(), J.valuePtr() + J.nonZeros(), 0.0);
    residual.setZero(static_cast<Eigen::Index>(node_of.size()));
    through.assign(node_of.size(), 0.0);
    double* values = J.valuePtr();
    for (std::size_t k = 0; k < solver_links.size(); ++k) {
        const SolverLink& l = solver_links[k];
        const LinkFlow& f = flows[k];
        const double F = f.total();
        const double size = std::abs(f.F0) + std::abs(f.F1);
        const int un = unknown_of[static_cast<std::size_t>(l.n)], um = unknown_of[static_cast<std::size_t>(l.m)];
        if (un >= 0) {
            residual[un] += F;
            through[static_cast<std::size_t>(un)] += size;
        }
        if (um >= 0) {
            residual[um] -= F;
            through[static_cast<std::size_t>(um)] += size;
        }
        if (l.slot_nn >= 0) values[l.slot_nn] += f.g;
        if (l.slot_mm >= 0) values[l.slot_mm] += f.g;
        if (l.slot_nm >= 0) values[l.slot_nm] -= f.g;
    }
}

// Node by node: the imbalance against the flows through the node, with
// the absolute tolerance as its floor. A global sum would let a few zones
// of a large building stay far from balance while the others hide them.
bool AirflowNetwork::Impl::balanced(SolveReport* report, bool relative_only) const
{
    double worst_ratio = -1;
    int worst = -1;
    bool all = true;
    for (std::size_t u = 0; u < node_of.size(); ++u) {
        const double r = std::abs(residual[static_cast<Eigen::Index>(u)]);
        const double relative = relative_tolerance * through[u];
        const double tolerance = relative_only ? relative : std::max(absolute_tolerance, relative);
        const double ratio = tolerance > 0 ? r / tolerance : (r > 0 ? HUGE_VAL : 0.0);
        if (!(ratio <= 1)) all = false;  // NaN too
        if (report && (ratio > worst_ratio || std::isnan(ratio))) {
            worst_ratio = std::isnan(ratio) ? HUGE_VAL : ratio;
            worst = static_cast<int>(u);
        }
    }
    if (report && worst >= 0) {
        report->worst_node = node_of[static_cast<std::size_t>(worst)];
        report->worst_imbalance = std::abs(residual[worst]);
        report->worst_through = through[static_cast<std::size_t>(worst)];
    }
    return all;
}

// The driving pressure of a link is a sum of the nodes' pressures, the
// stack terms and the wind, each rounded to its last binary digit; that
// rounding moves the link's flow by about its slope times epsilon times
// those terms' sizes. Where the sum over a node's links exceeds the node's
// tolerance, no pressure can balance it to the tolerance.
void AirflowNetwork::Impl::find_unresolved(SolveReport& report) const
{
    std::vector<double> noise(node_of.size(), 0.0);
    for (std::size_t k = 0; k < solver_links.size(); ++k) {
        const SolverLink& l = solver_links[k];
        if (l.fixed || l.model < 0) continue;
        const double size = std::abs(nodes[static_cast<std::size_t>(l.n)].p) +
                            std::abs(nodes[static_cast<std::size_t>(l.m)].p) + std::abs(l.wind) + std::abs(dP[k]);
        const double e = flows[k].g * std::numeric_limits<double>::epsilon() * size;
        const int un = unknown_of[static_cast<std::size_t>(l.n)], um = unknown_of[static_cast<std::size_t>(l.m)];
        if (un >= 0) noise[static_cast<std::size_t>(un)] += e;
        if (um >= 0) noise[static_cast<std::size_t>(um)] += e;
    }
    double worst = 1;
    for (std::size_t u = 0; u < node_of.size(); ++u) {
        const double tolerance = std::max(absolute_tolerance, relative_tolerance * through[u]);
        if (!(noise[u] > worst * tolerance)) continue;
        worst = tolerance > 0 ? noise[u] / tolerance : HUGE_VAL;
        report.unresolved_node = node_of[u];
        report.unresolved_flow = noise[u];
    }
}

bool AirflowNetwork::Impl::solve_step(Vec& delta)
{
    const int nu = static_cast<int>(node_of.size());
    double* values = J.valuePtr();
    // Nodes whose links carry no slope (all closed, or constant flows
    // only) leave a zero on the diagonal: give them a tiny one.
    double mean = 0;
    for (int u = 0; u < nu; ++u) mean += values[diag_slot[static_cast<std::size_t>(u)]];
    mean = nu > 0 ? mean / nu : 0;
    const double floor = 1e-12 * (mean > 0 ? mean : 1.0);
    bool lifted = false;
    for (int u = 0; u < nu; ++u) {
        double& d = values[diag_slot[static_cast<std::size_t>(u)]];
        if (!(d > floor)) {
            d += floor;
            if (!lifted && timing && timing->held_node < 0) timing->held_node = node_of[static_cast<std::size_t>(u)];
            lifted = true;
        }
    }
    if (lifted && !warned_lift) {
        run_log().write("Airflow: nodes without a flow slope; the Jacobian's diagonal was raised.\n");
        warned_lift = true;
    }
    Clock::time_point start = Clock::now();
    bool factored = solver.factorize(J);
    if (!factored) {
        // A part of the network without a fixed pressure: tie every node
        // weakly to its current pressure and try once more.
        for (int u = 0; u < nu; ++u) values[diag_slot[static_cast<std::size_t>(u)]] += floor;
        if (!warned_singular) run_log().write("Airflow: singular Jacobian; the diagonal was raised.\n");
        warned_singular = true;
        factored = solver.factorize(J);
    }
    if (timing) timing->factor_seconds += seconds_since(start);
    if (!factored) return false;
    start = Clock::now();
    const int inner = solver.solve(-residual, delta);
    if (timing) {
        timing->linear_solve_seconds += seconds_since(start);
        timing->linear_iterations += inner;
    }
    for (Eigen::Index i = 0; i < delta.size(); ++i)
        if (!std::isfinite(delta[i])) return false;
    return true;
}

void AirflowNetwork::Impl::publish()
{
    for (Link& link : links) link.F0 = link.F1 = 0;
    for (std::size_t k = 0; k < solver_links.size(); ++k) {
        const SolverLink& l = solver_links[k];
        if (k < links.size()) {
            links[k].dP = dP[k];
            if (l.parent < 0) {
                links[k].F0 = flows[k].F0;
                links[k].F1 = flows[k].F1;
            }
        }
        if (l.parent >= 0) {
            // A sub-path's flow is reported once, by its parent.
            Link& parent = links[static_cast<std::size_t>(l.parent)];
            for (double part : {flows[k].F0, flows[k].F1}) {
                if (part > 0) parent.F0 += part;
                else parent.F1 += part;
            }
        }
    }
}

SolveReport AirflowNetwork::solve(const Weather& weather)
{
    Impl& s = *impl_;
    SolveReport report;
    s.timing = &report;
    if (!(weather.Ta > 0) || !(weather.Pb > 0) || !std::isfinite(weather.Ta) || !std::isfinite(weather.Pb))
        throw EngineError("The outdoor temperature and the barometric pressure must be above zero.");
    if (!std::isfinite(weather.Ws) || !std::isfinite(weather.Wd))
        throw EngineError("The wind speed and direction must be numbers.");
    s.update_wind(weather);
    const int nu = static_cast<int>(s.node_of.size());
    Vec delta(nu);

    const auto set_pressures = [&](const Vec& p) {
        for (int u = 0; u < nu; ++u) s.nodes[static_cast<std::size_t>(s.node_of[static_cast<std::size_t>(u)])].p = p[u];
    };
    Vec p(nu);
    for (int u = 0; u < nu; ++u) p[u] = s.nodes[static_cast<std::size_t>(s.node_of[static_cast<std::size_t>(u)])].p;

    if (!s.solved_once && s.linear_start && nu > 0) {
        s.update_densities(weather);
        s.evaluate(true);
        if (s.solve_step(delta)) {
            p += delta;
            set_pressures(p);
        }
    }
    s.solved_once = true;

    const auto phi = [&]() { return 0.5 * s.residual.squaredNorm(); };
    const auto converged = [&]() { return s.balanced(nullptr); };

    s.update_densities(weather);
    s.evaluate(false);
    double radius = 100;  // Pa, on the largest pressure change
    Vec previous = Vec::Zero(nu);
    while (!converged() && report.iterations < s.max_iterations) {
        ++report.iterations;
        if (!s.solve_step(delta)) break;
        if (!s.trust_region) {
            // Under-relaxation, stronger where the correction oscillates.
            for (int u = 0; u < nu; ++u) {
                double w = s.relaxation;
                if (report.iterations > 1 && previous[u] != 0) {
                    const double r = delta[u] / previous[u];
                    if (r < -0.5) w = 1 / (1 - r);
                }
                p[u] += w * delta[u];
            }
            previous = delta;
            set_pressures(p);
            s.update_densities(weather);
            s.evaluate(false);
            continue;
        }
        const double step = delta.lpNorm<Eigen::Infinity>();
        const double phi0 = phi();
        for (int attempt = 0; attempt < 30; ++attempt) {
            const double t = step > 0 ? std::min(1.0, radius / step) : 1.0;
            const Vec trial = p + t * delta;
            set_pressures(trial);
            s.update_densities(weather);
            s.evaluate(false);
            const double predicted = phi0 * (1 - (1 - t) * (1 - t));
            const double ratio = predicted > 0 ? (phi0 - phi()) / predicted : 1.0;
            if (ratio < 0.25) radius = 0.25 * t * step;
            else if (ratio > 0.75) radius *= 2;
            if (ratio > 0 || radius <= 1e-12 || attempt == 29) {
                p = trial;
                break;
            }
        }
    }
    if (report.iterations > 0 && report.iterations < s.max_iterations && nu > 0 && converged() &&
        !s.balanced(nullptr, true)) {
        // The test passed, but only by the absolute tolerance at some
        // zones (those whose flows are below afacnvg / afrcnvg), which may
        // still be out of balance by a good part of their own flows. One
        // more Newton step, taken whole and kept only when every node
        // stays balanced, removes nearly all of what is left: near the
        // answer each step squares the error.
        ++report.iterations;
        const Vec before = p;
        if (s.solve_step(delta)) {
            p += delta;
            set_pressures(p);
            s.update_densities(weather);
            s.evaluate(false);
            if (!converged()) {
                p = before;
                set_pressures(p);
                s.update_densities(weather);
                s.evaluate(false);
            }
        }
    }
    report.converged = s.balanced(&report);
    s.find_unresolved(report);
    report.max_residual = nu > 0 ? s.residual.lpNorm<Eigen::Infinity>() : 0;
    report.used_iterative_solver = s.solver.iterative();
    s.timing = nullptr;
    s.publish();
    return report;
}

}  // namespace avelor::engine
