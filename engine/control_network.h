// The control network of a run: the project's main control nodes evaluated
// once per time step, in an order where every node follows the nodes it
// reads, and the signals they and the values files give the elements.
//
// Order. The nodes are taken in ascending sequence number (ties and nodes
// not yet sequenced, number 0, in list order) and then put in dependency
// order, which keeps that order wherever it already is one: a node waits
// for its inputs, a super-element instance for its output copy, the
// instance's input copy for the instance's own input, and a phantom for its
// instance. Nodes that wait on each other in a circle are an EngineError
// naming them.
//
// Timing. The network is evaluated at the start of every step for the
// instant at its end: sensors read the building as the step before left it
// (its solved flows, pressures, temperatures and concentrations), schedule
// and values-file nodes the values at the end instant, and the elements
// then take the signals for the step's solve. The first evaluation, before
// the first solve, reads the initial state (the zones' initial
// temperatures, pressures 0, no flows, the initial concentrations) with a
// time step of 0; a steady run evaluates the network once that way.
//
// Node types (x = the first input, y = the second, dt = the time step; a
// missing input reads 0; "state" is kept from step to step and starts from
// the first evaluation):
//   sns  (sensed - offset) * gain, through a first-order lag of time
//        constant tau: out += (target - out) (1 - exp(-dt / tau)); tau 0, or
//        the first evaluation, gives the target itself. Sensed: a zone's
//        (or the ambient's) mass fraction of the species, temperature [K],
//        gage pressure [Pa] or occupancy (the sum of the multipliers of the
//        occupants in it); a path's or duct segment's net flow [kg/s,
//        positive from its n to its m side] or pressure drop [Pa]; a
//        junction's or terminal's mass fraction, temperature or gage
//        pressure; an occupant's exposure: the mass fraction of the species
//        where it is (outdoors the outdoor value, nowhere 0). Without a
//        contaminant simulation mass fractions are the initial ones. Other
//        pairs of target and quantity are refused when the network is
//        built.
//   sch  the week schedule's value at the instant (day type, time of day).
//   set  the constant.
//   cvf, dvf  the named column of the continuous (interpolated) or discrete
//        (held) values file at the instant (values_series.h).
//   log  (x - offset) * gain; written to the report file (below).
//   pas  x.                           mod  (x - offset) * gain.
//   hys  backlash of width slack: out stays while |x - out| <= slack / 2,
//        else moves to x -/+ slack / 2 (state; starts at x). Its two
//        further values are kept, not used.
//   abs  |x|.                         bin  1 when x > 0, else 0.
//   dls  out moves towards x by at most r dt, r the value at the time of
//        day of the first day schedule while x is above out, of the second
//        while below (units of the signal per second; r <= 0 holds out).
//        State; starts at x.
//   dlx  exponential approach to x with the first time constant while x is
//        above out and the second while below: out += (x - out)
//        (1 - exp(-dt / tau)); tau 0 follows x. State; starts at x.
//   int  out += x dt (the input at the end of the step); while y > 0 out is
//        reset to 0 (and nothing is added). State; starts at 0.
//   rav  the mean of x over the averaging time: the last k = max(1,
//        round(time / dt)) values of x (fewer until k are in).
//   inv  1 when x <= 0, else 0. and, or, xor: of x > 0 and y > 0, 1 or 0.
//   add x + y, sub x - y, mul x * y, div x / y (y = 0 holds the last
//        output, warned once).
//   sum, avg, max, min  of the input list (0 for an empty list).
//   lls  1 when x < y, else 0.        uls  1 when x > y, else 0.
//   lbs  switches on (1) when x < y and off (0) when x > y + width; holds
//        between (state; starts off).
//   ubs  switches on when x > y and off when x < y - width; holds between.
//   llc  max(x, y): x limited from below by y.
//   ulc  min(x, y): x limited from above by y.
//   pc1  Kp e, with the error e = x (x - y when a second input is set), the
//        error as drawn: with a sensor whose offset is the set point, x is
//        the deviation from it.
//   pi1  Kp e + Ki I, clamped to 0..1, with I the integral of e over time
//        (state; starts at 0) and e as for pc1. Anti-windup: the step's
//        e dt is not added to I while it would drive the clamped output
//        further beyond its bound. Its two further values are kept.
//   sup  the value of its output copy (its copies are evaluated in the
//        list; the input copy reads the instance's own first input).
//   sph  the value of the instance its first input names.
//   exp, lgn, lg1, pow (x^y), sqt, sin, cos, tan (radians), mdu (fmod(x,
//        y)), cel, flr: as named. A result that is not a finite number (x
//        <= 0 for the logarithms, x < 0 for sqt, y = 0 for mdu, ...) holds
//        the last output, warned once.
//   ply  c0 + c1 x + ... + cn x^n.
//
// Signals. An element takes the output of its control node; else, with a
// CVF/DVF control, the named column of that values file; else its schedule
// (signal_slot()).
//
// Report file. With report (log) nodes, a run writes the controls log PROJECT.log beside
// its results: a first line "date time" followed by each report node's
// "header[units]" (in list order, separated by single blanks; blanks in a
// header become "_"), then one line per output instant "mm/dd hh:mm:ss v1
// v2 ...", the values with 6 significant digits; 24:00:00 ends a day.
//
// Evaluating costs O(nodes + inputs) per step and allocates nothing.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "airflow_network.h"
#include "values_series.h"

namespace avelor {
class Project;
struct ControlNode;
struct ControlValuesLink;
struct WeekSchedule;
struct DaySchedule;
struct Exposure;
}  // namespace avelor

namespace avelor::engine {

// The instant an evaluation is for, and the step that leads to it.
struct ControlInstant {
    int day = 1;           // 1..365
    int day_type = 1;      // 1..12
    double seconds = 0;    // time of day, 0..86400
    double dt = 0;         // s since the last evaluation; 0 on the first
};

// What sensors read: the network's nodes and links as last solved, and
// the concentrations (nodes x nctm, kg/kg), null for the initial ones.
struct BuildingState {
    const std::vector<Node>* nodes = nullptr;
    const std::vector<Link>* links = nullptr;
    const std::vector<double>* concentrations = nullptr;
};

class ControlNetwork {
public:
    using Warning = std::function<void(const std::string&)>;

    ControlNetwork();
    // The network of a project's main node list over the airflow network's
    // nodes and links (for the sensors' targets). Throws EngineError for
    // what cannot be evaluated: a circular network, a node whose data or
    // references are missing or out of range, a sensor's target or
    // quantity it cannot sense, a values-file name the file does not hold.
    // time_step (s) sizes the running averages. Warnings (division by 0,
    // domain errors) go to warning, once a node.
    ControlNetwork(const Project& project, const std::vector<Node>& nodes, const std::vector<Link>& links,
                   double time_step, Warning warning = {});
    ~ControlNetwork();
    ControlNetwork(ControlNetwork&&) noexcept;
    ControlNetwork& operator=(ControlNetwork&&) noexcept;

    std::size_t size() const;
    bool empty() const { return size() == 0; }

    // The slot of the signal an element follows: its control node's output,
    // else the column of its CVF/DVF control (kind 1 continuous, 2
    // discrete), else -1 (it follows its schedule). user names the element
    // in messages ("flow path 3"). Throws EngineError for a node not in the
    // main list, a values file the project does not name or that lacks the
    // column.
    int signal_slot(const ControlNode* control, const ControlValuesLink& cdvf, const std::string& user);
    double signal(int slot) const { return values_[static_cast<std::size_t>(slot)]; }

    // Evaluates every node once, in order, and the values-file columns the
    // elements follow.
    void evaluate(const ControlInstant& at, const BuildingState& state);

    // The output of a node of the main list (tests, reports).
    double output(const ControlNode* node) const;

    // The report file: opened when the network has report nodes (false
    // when it cannot be written; error() says why), one line per output
    // instant, closed (true when all was written).
    bool has_reports() const;
    bool open_report(const std::string& path);
    bool write_report(int day, int seconds);
    bool close_report();
    const std::string& error() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::vector<double> values_;  // node outputs in list order, then element columns
};

}  // namespace avelor::engine
