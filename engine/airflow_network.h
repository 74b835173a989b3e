// The airflow network of a project as the engine solves it: nodes (the
// zones, then the junctions, then the ambient node last, exactly the order
// of the results file's node map) and links (the flow paths by number,
// then duct segments, terminals and leaks, the order of its path map).
// Solving finds every unknown node pressure from the node mass balances
// with Newton's method and leaves each link's driving pressure and flows.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace avelor {
class Project;
struct RunControl;
}

namespace avelor::engine {

class ControlNetwork;

// A project the engine cannot simulate (a feature it does not handle, or
// data that cannot be solved); the message says why, in the user's words.
class EngineError : public std::runtime_error {
public:
    explicit EngineError(const std::string& text) : std::runtime_error(text) {}
};

enum class NodeKind : std::uint8_t { Zone, Junction, Terminal, Ambient };

struct Node {
    NodeKind kind = NodeKind::Zone;
    std::int32_t number = 0;  // zone or junction number; 0 for ambient
    bool unknown = false;     // pressure solved for (else fixed)
    bool variable_ctm = false;  // concentrations solved for (else fixed)
    double z = 0;       // elevation of the node's reference point, m
    double T = 293.15;  // temperature, K
    double p = 0;       // pressure relative to ambient at z, Pa
    // Density, kg/m3: at the barometric pressure plus p, as the outdoor
    // air's is at the barometric pressure (see update_densities), with
    // the gas constant of the node's air.
    double rho = 1.2041;
    double volume = 0;  // m3
};

enum class LinkKind : std::uint8_t { FlowPath, DuctSegment, Terminal, Leak };

struct Link {
    LinkKind kind = LinkKind::FlowPath;
    std::int32_t number = 0;  // path or segment number; junction number for terminals and leaks
    int n = 0, m = 0;         // node indices; positive flow goes n -> m
    double z = 0;             // elevation of the link, m
    // Results of the last solve, as the results file reports them: the
    // driving pressure at the link's elevation and the two flow parts
    // (kg/s, positive n -> m). One-way links carry all in F0. A physical
    // flow is reported once: a super-element path carries the sum of its
    // sub-paths (positive parts in F0, negative in F1), the sub-paths zero.
    double dP = 0, F0 = 0, F1 = 0;
};

// Outdoor conditions of one solve.
struct Weather {
    double Ta = 293.15;   // K
    double Pb = 101325;   // Pa
    double Ws = 0;        // m/s
    double Wd = 0;        // degrees from north
    int day_type = 1;
};

// How a solve ended. Convergence is judged node by node: a node is
// balanced when its imbalance is at most the relative tolerance times the
// flows through it (the sum of the magnitudes of every flow in and out)
// or at most the absolute tolerance; the solve converged when every node
// with an unknown pressure is balanced.
struct SolveReport {
    int iterations = 0;
    bool converged = false;
    double max_residual = 0;  // kg/s, the largest imbalance of any node
    bool used_iterative_solver = false;
    // The node furthest from its own tolerance (-1 when no pressure is
    // unknown): its index in nodes(), its imbalance and the flows through
    // it, kg/s.
    int worst_node = -1;
    double worst_imbalance = 0;
    double worst_through = 0;
    // A node whose balance round-off alone keeps from its tolerance (-1
    // when none): the last digit of the pressures around it moves its
    // flows by more than that (openings of very different sizes meet
    // there), so its flows are uncertain whatever the test says. The
    // node furthest beyond, and that flow, kg/s.
    int unresolved_node = -1;
    double unresolved_flow = 0;
    // A node with an unknown pressure and no slope in any of its flows (-1
    // when none): every path of it closed (a schedule at 0) or carrying a
    // constant flow. Its pressure is held where it was by a tiny diagonal
    // term; the first such node, its index in nodes().
    int held_node = -1;
    // Where the solve's time went, s: the elements' flows and slopes, the
    // residual and Jacobian assembled from them, the factorization (or
    // the preconditioner) and the linear solves.
    double element_seconds = 0;
    double assembly_seconds = 0;
    double factor_seconds = 0;
    double linear_solve_seconds = 0;
    int linear_iterations = 0;  // conjugate gradient iterations, all steps together
};

class AirflowNetwork {
public:
    // Builds the network of a project read by the core's reader, with the
    // solver settings of its run control. Throws EngineError for what the
    // engine cannot simulate: features it does not handle, element data
    // out of range (naming the path and element), a path with the
    // outdoors on both sides, and zones of unknown pressure that no
    // element conducting under pressure ties, path by path, to the
    // outdoors or to a zone of fixed pressure (naming them).
    explicit AirflowNetwork(const Project& project);
    ~AirflowNetwork();
    AirflowNetwork(AirflowNetwork&&) noexcept;
    AirflowNetwork& operator=(AirflowNetwork&&) noexcept;

    const std::vector<Node>& nodes() const;
    const std::vector<Link>& links() const;
    int ambient_index() const;  // always nodes().size() - 1

    // Solves for the weather, starting from the last solution (the first
    // solve of a network honours the linear initialization setting). The
    // nodes' pressures and densities and the links' results are updated.
    SolveReport solve(const Weather& weather);

    // Follows the week schedules of the zones and flow paths at a day type
    // (1..12) and a time of day (s, 0..86400): a path's flow is the
    // schedule's value times its multiplier times its element's flow (a
    // value of 0 closes it), and a zone's temperature is the value of its
    // temperature schedule. True when any of them changed since the last
    // call (always on the first), so that the airflow must be solved
    // again. Throws EngineError for a value a path or zone cannot take: a
    // negative factor, a temperature not above 0 K, or not a number.
    bool follow_schedules(int day_type, double seconds);

    // The signals of the zones, junctions, flow paths and duct segments
    // that have a control node or a CVF/DVF control: these follow the
    // signal rather than their schedule. A path's or segment's signal
    // multiplies its flow (and a fan's) as a schedule's value does, a
    // value below 0 (or not a number) closing it; a zone's or junction's
    // is its temperature, K. bind_controls takes the slots once (throws
    // EngineError for a signal the network cannot give);
    // follow_controls reads them after each evaluation of the network:
    // true when any changed, so that the airflow must be solved again.
    // Throws EngineError for a temperature not above 0 K.
    void bind_controls(ControlNetwork& controls);
    bool follow_controls();

    // The gas constant of each node's air, J/(kg K), one per node (the
    // ambient node's last), for air whose composition differs from dry
    // air's (see air_mixture.h); every node starts with air's. The next
    // solve takes the densities from them. True when any changed.
    bool set_gas_constants(const std::vector<double>& R);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace avelor::engine
