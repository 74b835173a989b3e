// Trace contaminants carried by the airflows through well-mixed nodes.
//
// The unknowns are the mass fractions of every contaminant in every node
// whose concentrations vary; the other nodes (constant-concentration zones
// and the ambient node) are boundaries. For node i and contaminant a, with
// the node's air mass M = rho V,
//
//   M dC_a/dt = sum_in F C_up,a - sum_out F C_a - decay_a M C_a
//               + M sum_b K_ab C_b
//
// where each link contributes its two flow parts separately, each taking
// the concentration of its own upstream node (times the fraction its filter
// lets pass, see filter_model.h), and K_ab is the coefficient of the node's
// reaction set with product a and reactant b. The sources and sinks of the
// node add sum (G - D C_a) (see contaminant_sources.h): their D goes onto
// the diagonal slot the node already has, so the pattern stays that of the
// links and reactions. Time steps use
// the theta method (theta = 1 is backward Euler) with the flows and masses
// at the end of the step; the matrix is an M-matrix, so backward Euler keeps
// every concentration non-negative for any step.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "airflow_network.h"
#include "contaminant_sources.h"
#include "filter_model.h"

namespace avelor {
class Project;
struct SolverSet;
}

namespace avelor::engine {

// One coupling term of a node's reactions: d C_product/dt += k C_reactant.
struct ReactionTerm {
    int product = 0;   // contaminant indices
    int reactant = 0;
    double k = 0;      // 1/s, negative allowed
};

enum class LinearMethod { DirectLU, BiCGStab, Sor };

struct ContaminantSettings {
    LinearMethod method = LinearMethod::DirectLU;
    int max_iterations = 100;   // iterative methods
    double rel_tolerance = 1e-6;
    double abs_tolerance = 1e-15;
    double relax = 1.1;         // SOR over-relaxation
    double theta = 1;           // 1 backward Euler, 0.5 Crank-Nicolson
};

// The settings of the trace solver row of the run control; an unknown
// linear solver code is refused.
ContaminantSettings contaminant_settings(const SolverSet& trace);

// What the solver needs to know of the contaminants, node by node in the
// network's order.
struct ContaminantModel {
    int nctm = 0;
    std::vector<double> decay;    // per contaminant, 1/s
    std::vector<double> outdoor;  // per contaminant, kg/kg
    std::vector<std::vector<double>> initial;          // per node, nctm each
    std::vector<std::vector<ReactionTerm>> reactions;  // per node
    ContaminantSources sources;
    FilterModel filters;  // on the links; empty when none is filtered
    ContaminantSettings settings;
};

// The model of a project's contaminants for its network's nodes and links.
// Throws EngineError for what the engine does not simulate (what
// ContaminantSources refuses) and for filters it cannot use.
ContaminantModel contaminant_model(const Project& project, const std::vector<Node>& nodes,
                                   const std::vector<Link>& links);

struct ContaminantReport {
    int iterations = 0;   // of an iterative linear method; 1 for LU
    bool converged = true;
};

class ContaminantSolver {
public:
    // The links give the pattern of the equations (which nodes can
    // exchange air); it stays fixed for the solver's life.
    ContaminantSolver(ContaminantModel model, const std::vector<Node>& nodes, const std::vector<Link>& links);
    ~ContaminantSolver();
    ContaminantSolver(ContaminantSolver&&) noexcept;
    ContaminantSolver& operator=(ContaminantSolver&&) noexcept;

    int nctm() const;
    // Concentration of contaminant a in node i, kg/kg (boundary nodes
    // included: the ambient node holds the outdoor values).
    double concentration(int node, int a) const;
    // All of them, node by node, nctm per node.
    const std::vector<double>& concentrations() const;
    // Sets the concentrations of the unknown nodes (a restart or a cyclic
    // repeat); boundary nodes keep theirs.
    void set_concentrations(const std::vector<double>& values);

    // The start of the run for the sources and sinks (their schedules, the
    // occupants' places and the bursts due at the start, which raise the
    // initial concentrations), with the network's first solved state.
    void start_sources(const SourceInstant& instant, const std::vector<Node>& nodes);
    // The instant the next step or steady solve ends at.
    void follow_sources(const SourceInstant& instant);
    // The control signals the sources and occupant generations follow
    // (see ContaminantSources::bind_controls).
    void bind_controls(ControlNetwork& controls);
    const ContaminantSources& sources() const;

    // Advances by dt seconds with the flows and masses now in the network.
    ContaminantReport step(const std::vector<Node>& nodes, const std::vector<Link>& links, double dt);
    // The steady state of the current flows: every time derivative zero.
    // The filters' loadings stay as they are.
    ContaminantReport solve_steady(const std::vector<Node>& nodes, const std::vector<Link>& links);

    // The filters and what they have collected; setting the loadings
    // back to ones taken from loadings().
    const FilterModel& filters() const;
    void set_filter_loadings(const std::vector<double>& loadings);
    // Keeps the concentrations, the filters' loadings and the sources'
    // surface states, to take a step again from them.
    void save_state();
    void restore_state();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace avelor::engine
