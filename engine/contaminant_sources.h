// The source and sink terms of the contaminant equations: the project's
// source/sink instances (each an element model placed in a zone) and the
// contaminant generations of its occupants.
//
// Every term acts on one contaminant a of one node i and enters the node's
// balance as
//
//   M dC/dt = ... + G - D C
//
// with G (kg/s) and D (kg/s per kg/kg, so never negative) evaluated for
// each step. The strength of an instance is its multiplier times the value
// of its week schedule (1 without one) at the end of the step, on the day
// type and time of day the run follows; every model's rates scale with it.
//
// An instance with a control node or a CVF/DVF control follows that
// signal instead of its schedule, and an occupant generation with a
// CVF/DVF control that column: the signal (below 0 taken as 0) is the
// value the schedule would give.
//
// The element models, with s the strength, C the node's concentration,
// rho its air density, V its volume, t the time since the start of the run
// and every parameter in base units:
//   ccf  G = s G0, D = s D0 (D0 is a removal mass flow).
//   prs  G = s G0 |p|^n, p the node's pressure relative to the outdoors at
//        its elevation: over- and under-pressure drive it alike.
//   cut  G = s G0 (1 - C/Ccut): while the concentration at the start of the
//        step is below Ccut, G = s G0 and D = s G0/Ccut; at or above it
//        (and for Ccut = 0) nothing.
//   eds  G = s Go exp(-k t).
//   plm  G = s a th^-b with th the time in hours, a = Ep tp^-b (tp in
//        hours, the coefficient of the element's own dialog); the law is
//        unbounded at t = 0, so before tp it holds its value at tp.
//   pkm  G = s a exp(-0.5 (ln(t/tp) / b)^2).
//   brs  the mass s m is put into the node's air at the step at whose end
//        the schedule rises from 0 to above 0, as a generation m s / dt over
//        that step, and at the start of the run when the schedule is above
//        0 then (there as a jump of the initial concentration by s m / M).
//   dvs  D = s Vd As rho.       drs  D = s Kd V rho.
//   dvr  deposition s Vd Ad rho C onto a surface whose loading L (kg/m2,
//        initially the instance's CC0) resuspends s r Ar L back into the
//        air: Ad dL/dt = s (Vd Ad rho C - r Ar L) for each of the mult
//        surfaces the air sees (so L itself does not depend on mult).
//   bls  exchange s h d (C - Cs/k) with an adsorbing surface whose
//        concentration Cs (kg/kg, initially CC0) has the element's surface
//        mass Ms as capacity: Ms dCs/dt = s h d (C - Cs/k). The instance's
//        multiplier is the exchange area.
//   sup  the terms of each of its sub-elements, each on its own species.
// The generation over a step of eds, plm and pkm is the exact mean of the
// law over the step, so the mass a run emits is the law's integral. The
// surface states are integrated with the time stepping of the air (the
// theta method) and eliminated from the step: within the step the state is
// linear in the node's end concentration, which leaves one diagonal term
// and one constant per instance, and the state is updated from the
// solution. A steady solve evaluates the laws at its instant (t since the
// start), keeps the surface states at their initial values and puts no
// burst in.
//
// Occupants: on each day type an occupant follows its occupancy schedule;
// at the end of each step it is in a zone, outdoors or nowhere. Its
// generations act in the zone it is in, G = rate x mult x schedule value;
// outdoors or nowhere they act nowhere.
//
// Terms on nodes whose concentrations are fixed (constant-concentration
// zones) change nothing; instances placed in no zone and elements of
// species that are not simulated act nowhere.
#pragma once

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "airflow_network.h"
#include "schedule_values.h"

namespace avelor {
class Project;
struct Exposure;
struct ControlNode;
struct ControlValuesLink;
}

namespace avelor::engine {

class ControlNetwork;

// The instant at the end of the step to come (or of a steady solve).
struct SourceInstant {
    double elapsed = 0;   // s since the start of the run
    int day_type = 1;     // 1..12
    double seconds = 0;   // time of day, 0..86400
};

// One term's share of the equation of an unknown of the solver.
struct SourceContribution {
    int row = -1;
    double D = 0;  // kg/s, on the diagonal of the rate
    double G = 0;  // kg/s
};

// Where an occupant is at a time of day on a day type: the node index of
// its zone, the ambient node's index when outdoors, -1 when nowhere.
// zone_nodes maps zone numbers to node indices (-1 where none).
int occupant_node(const Exposure& exposure, int day_type, double seconds, const std::vector<int>& zone_nodes,
                  int ambient);

class ContaminantSources {
public:
    ContaminantSources() = default;
    // The terms of a project on its network's nodes. Throws EngineError for
    // what the engine does not simulate (controls and control values on
    // instances or generations, CFD-linked instances, the elements "sxd"
    // and "dxd") and for data it cannot take (values below the element
    // dialogs' bounds or not numbers, a partition coefficient of 0,
    // schedules that are not dimensionless or miss a day).
    ContaminantSources(const Project& project, const std::vector<Node>& nodes);

    bool empty() const { return terms_.empty() && generations_.empty(); }

    // The rows of the solver's unknowns: node * nctm + a -> row, -1 for a
    // boundary. Called once by the solver.
    void bind(std::vector<int> rows, int nctm);

    // The start of the run: schedules and occupants at the instant, the
    // bursts whose schedule is above 0 then added to C (all nodes, nctm
    // each) by their mass over the node's air mass.
    void start(const SourceInstant& instant, const std::vector<Node>& nodes, std::vector<double>& C);
    // The instant the next step or steady solve ends at. Throws EngineError
    // for a schedule value that is not a number or is below 0.
    void follow(const SourceInstant& instant);
    // Takes the slots of the control signals once, before the start; the
    // values are read at every follow. Throws EngineError for a signal the
    // network cannot give.
    void bind_controls(ControlNetwork& controls);

    // The terms of a step of dt seconds from the concentrations C (all
    // nodes) with the theta method: the rate the solver weighs is
    // theta (G - D C1) + (1 - theta) (G - D C0) for each contribution.
    const std::vector<SourceContribution>& step_terms(const std::vector<Node>& nodes, const std::vector<double>& C,
                                                      double dt, double theta);
    // The surface states at the end of the step just solved, from the
    // solution C1 (all nodes).
    void finish_step(const std::vector<double>& C1);
    // Keeps the surface states and pending bursts, and puts them back: a
    // step solved again (the density iteration) starts where it started.
    void save_state();
    void restore_state();
    // The terms of a steady solve at the instant followed.
    const std::vector<SourceContribution>& steady_terms(const std::vector<Node>& nodes,
                                                        const std::vector<double>& C);

    // A surface state (dvr loading kg/m2, bls concentration kg/kg) of the
    // n-th term that has one, in the order of the instances and their
    // sub-elements; for tests and reports.
    int surface_count() const;
    double surface_state(int n) const;

private:
    struct Term {
        int node = 0, species = 0;
        int row = -1;
        std::int16_t model = 0;
        std::array<double, 5> v{};
        double mult = 1;
        int schedule = -1;   // index into schedules_, -1 for none
        double state = 0;    // dvr loading, bls surface concentration
        double alpha = 0, beta = 0;  // the state at the end of the step: alpha C1 + beta
        double last_value = 0;  // brs: the schedule's value at the last instant
        bool burst = false;     // brs: a burst falls on the step to come
        int source_number = 0;  // of the instance, for messages
        const ControlNode* control = nullptr;
        const ControlValuesLink* cdvf = nullptr;
        int signal = -1;  // slot of its control signal, -1 none
    };
    struct Generation {
        const Exposure* exposure = nullptr;
        int species = 0;
        double rate = 0;  // kg/s, rate x multiplier
        int schedule = -1;
        int node = -1;    // where it acts at the instant followed, -1 nowhere
        int row = -1;
        const ControlValuesLink* cdvf = nullptr;
        int signal = -1;
    };

    double strength(const Term& t) const;
    // The schedule's value, or the control signal's.
    template <class T>
    double factor(const T& t) const;
    double law_mean(const Term& t, double t0, double t1) const;
    double law_at(const Term& t, double time) const;
    void locate_occupants();

    std::vector<Term> terms_;
    std::vector<std::pair<double, bool>> saved_;  // state, burst per term
    std::vector<Generation> generations_;
    std::vector<SourceContribution> out_;
    std::vector<int> rows_;
    std::vector<int> zone_nodes_;
    int ambient_ = 0;
    int nctm_ = 0;
    ScheduleValues schedules_;
    const ControlNetwork* controls_ = nullptr;
    SourceInstant last_, next_;
};

}  // namespace avelor::engine
