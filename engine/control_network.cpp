#include "control_network.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <queue>
#include <unordered_map>

#include "contaminant_sources.h"
#include "model/control_node.h"
#include "model/project.h"
#include "model/schedules.h"
#include "schedule_values.h"
#include "simulation_run.h"

namespace avelor::engine {

namespace {

constexpr int kSecondsPerDayHere = 86400;
constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

std::string node_text(const ControlNode& node)
{
    std::string text = "control node " + std::to_string(node.nr);
    if (!node.name.empty()) text += " (" + node.name + ")";
    return text;
}

std::string number_text(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

// What a sensor reads.
enum class Sense : std::uint8_t {
    NodeMassFraction,
    NodeTemperature,
    NodePressure,
    ZoneOccupancy,
    LinkFlow,
    LinkPressureDrop,
    ExposureMassFraction,
};

struct Sensor {
    Sense sense = Sense::NodeTemperature;
    int index = 0;    // node, link or exposure index
    int species = 0;  // contaminant index for mass fractions
};

// One node as evaluated. The parameters' meaning is the type's.
struct Eval {
    std::int16_t type = kCtSet;
    int out = 0;                // slot of its output
    int in1 = -1, in2 = -1;     // slots of its inputs, -1 for none
    int first = 0, last = 0;    // its inputs (list nodes) or coefficients (ply)
    int aux = -1;               // sensor, schedule, column, ring
    double a = 0, b = 0, c = 0, d = 0;
    const DaySchedule* day1 = nullptr;
    const DaySchedule* day2 = nullptr;
    double state = 0;           // integral, switch state
    bool started = false;
    bool warned = false;
    const ControlNode* node = nullptr;
};

struct Ring {
    std::size_t begin = 0, size = 1;
    std::size_t head = 0, filled = 0;
    double sum = 0;
};

struct ColumnSlot {
    ValuesFileKind kind = ValuesFileKind::Continuous;
    std::string name;
    int column = 0;
    int slot = 0;
};

std::string month_day_text(int day, int seconds)
{
    int m = 0;
    int d = day;
    while (m < 11 && d > kMonthDays[m]) d -= kMonthDays[m++];
    char text[32];
    std::snprintf(text, sizeof text, "%02d/%02d %02d:%02d:%02d", m + 1, d, seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
    return text;
}

}  // namespace

struct ControlNetwork::Impl {
    const Project* project = nullptr;
    Warning warning;
    std::vector<const ControlNode*> list;  // in list order: slot k holds list[k]
    std::unordered_map<const ControlNode*, int> slot_of;
    std::vector<Eval> order;               // in evaluation order
    std::vector<int> inputs;               // slots of list nodes' inputs
    std::vector<double> coefficients;      // of polynomials
    std::vector<Sensor> sensors;
    std::vector<Ring> rings;
    std::vector<double> ring_values;
    ScheduleValues schedules;
    std::optional<ValuesSeries> cvf, dvf;
    std::vector<ColumnSlot> columns;       // the elements' values-file signals
    std::vector<double> initial_C;         // nodes x nctm
    int nctm = 0;
    // Occupants, for occupancy and exposure sensors.
    std::vector<const Exposure*> exposures;
    std::vector<int> occupant_node;        // per exposure, at the instant
    std::vector<int> zone_nodes;           // zone number -> node index
    int ambient = 0;
    bool track_occupants = false;
    // Reports.
    std::vector<int> reports;              // slots of report nodes
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> report_file{nullptr, std::fclose};
    std::string error;
    ControlInstant now;

    ValuesSeries& series(ValuesFileKind kind, const std::string& user, const std::string& name);
    void build(const Project& p, const std::vector<Node>& nodes, const std::vector<Link>& links, double time_step);
    void warn_once(Eval& e, const std::string& why, double held);
    void evaluate(std::vector<double>& v, const BuildingState& state);
    double sense(const Sensor& s, const BuildingState& state) const;
};

ValuesSeries& ControlNetwork::Impl::series(ValuesFileKind kind, const std::string& user, const std::string& name)
{
    std::optional<ValuesSeries>& s = kind == ValuesFileKind::Continuous ? cvf : dvf;
    if (!s) {
        const std::string& path =
            kind == ValuesFileKind::Continuous ? project->rc.continuous_values_file : project->rc.discrete_values_file;
        const char* what = kind == ValuesFileKind::Continuous ? "continuous" : "discrete";
        if (path.empty() || path == "null")
            throw EngineError("The " + user + " reads the value " + name + " of the " + what +
                              " values file, but the project names none.");
        s = ValuesSeries::read(path, kind);
    }
    return *s;
}

void ControlNetwork::Impl::build(const Project& p, const std::vector<Node>& nodes, const std::vector<Link>& links,
                                 double time_step)
{
    project = &p;
    nctm = p.nctm();
    ambient = nodes.empty() ? 0 : static_cast<int>(nodes.size()) - 1;
    const std::int32_t count = p.controls.count();
    for (std::int32_t i = 1; i <= count; ++i) {
        const ControlNode* node = p.controls.at(i);
        if (!node)
            throw EngineError("Control node " + std::to_string(i) + " is missing: the control nodes are not numbered 1 to " +
                              std::to_string(count) + ".");
        slot_of.emplace(node, static_cast<int>(list.size()));
        list.push_back(node);
    }
    const auto slot = [&](const ControlNode* ref, const ControlNode& user) {
        if (!ref) return -1;
        const auto it = slot_of.find(ref);
        if (it == slot_of.end())
            throw EngineError("The " + node_text(user) + " reads a node that is not in the control network.");
        return it->second;
    };

    // Where sensors look.
    std::unordered_map<std::int32_t, int> zone_node, junction_node, path_link, duct_link;
    zone_nodes.assign(static_cast<std::size_t>(std::max(0, p.zones.count())) + 1, -1);
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        if (nodes[i].kind == NodeKind::Zone) {
            zone_node[nodes[i].number] = static_cast<int>(i);
            if (nodes[i].number >= 0 && static_cast<std::size_t>(nodes[i].number) < zone_nodes.size())
                zone_nodes[static_cast<std::size_t>(nodes[i].number)] = static_cast<int>(i);
        } else if (nodes[i].kind != NodeKind::Ambient) {
            junction_node[nodes[i].number] = static_cast<int>(i);
        }
    }
    for (std::size_t k = 0; k < links.size(); ++k) {
        if (links[k].kind == LinkKind::FlowPath) path_link.emplace(links[k].number, static_cast<int>(k));
        if (links[k].kind == LinkKind::DuctSegment) duct_link.emplace(links[k].number, static_cast<int>(k));
    }
    for (const Exposure& e : p.exposures) exposures.push_back(&e);
    occupant_node.assign(exposures.size(), -1);

    // The initial concentrations, for runs without contaminants and the
    // first evaluation.
    initial_C.assign(nodes.size() * static_cast<std::size_t>(nctm), 0.0);
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const std::vector<float>* cc = nullptr;
        if (nodes[i].kind == NodeKind::Zone) {
            if (const Zone* z = p.zones.at(nodes[i].number)) cc = &z->CC0;
        } else if (nodes[i].kind != NodeKind::Ambient) {
            if (const Junction* j = p.junctions.at(nodes[i].number)) cc = &j->CC0;
        }
        for (int a = 0; a < nctm; ++a) {
            double v = 0;
            if (nodes[i].kind == NodeKind::Ambient)
                v = p.Ctm[static_cast<std::size_t>(a)]->CCdef;
            else if (cc && static_cast<std::size_t>(a) < cc->size())
                v = (*cc)[static_cast<std::size_t>(a)];
            initial_C[i * static_cast<std::size_t>(nctm) + static_cast<std::size_t>(a)] = v;
        }
    }

    // The evaluation records, in list order first.
    std::vector<Eval> evals(list.size());
    std::vector<std::vector<int>> deps(list.size());
    const auto species_index = [&](const Species* s, const ControlNode& node) {
        if (!s) throw EngineError("The " + node_text(node) + " senses a mass fraction but names no species.");
        const auto it = std::find(p.Ctm.begin(), p.Ctm.end(), s);
        if (it == p.Ctm.end())
            throw EngineError("The " + node_text(node) + " senses the species " + s->name +
                              ", which is not a simulated contaminant.");
        return static_cast<int>(it - p.Ctm.begin());
    };
    for (std::size_t k = 0; k < list.size(); ++k) {
        const ControlNode& node = *list[k];
        Eval& e = evals[k];
        e.node = &node;
        e.type = node.type;
        e.out = static_cast<int>(k);
        e.in1 = slot(node.c1, node);
        e.in2 = slot(node.c2, node);
        if (e.in1 >= 0) deps[k].push_back(e.in1);
        if (e.in2 >= 0) deps[k].push_back(e.in2);
        const auto fault = [&](const std::string& why) { return EngineError("The " + node_text(node) + " " + why); };
        if (node.type < 0 || node.type >= kControlTypeCount || node.type == kCtUnused)
            throw fault("has the invalid type " + std::to_string(node.type) + ".");
        const auto data = [&]<class T>(T*) -> const T& {
            const T* d = std::get_if<T>(&node.data);
            if (!d) throw fault("holds no data of its type.");
            return *d;
        };
        switch (node.type) {
        case kCtSns: {
            const SensorData& s = data(static_cast<SensorData*>(nullptr));
            e.a = s.offset;
            e.b = s.gain;
            e.c = s.tau;
            Sensor sensor;
            const int q = s.quantity;
            const auto& rec = s.target.record;
            const auto refuse = [&] {
                return fault("senses a quantity (" + std::to_string(q) + ") its target (kind " +
                             std::to_string(s.target.kind) + ") does not have.");
            };
            // What a zone, the ambient, a junction or a terminal gives alike:
            // false for any other quantity.
            const auto sense_node = [&](int quantity) {
                if (quantity == kSenseMassFraction) {
                    sensor.sense = Sense::NodeMassFraction;
                    sensor.species = species_index(s.species, node);
                } else if (quantity == kSenseTemperature) {
                    sensor.sense = Sense::NodeTemperature;
                } else if (quantity == kSenseGagePressure) {
                    sensor.sense = Sense::NodePressure;
                } else {
                    return false;
                }
                return true;
            };
            if (const ZoneRef* z = std::get_if<ZoneRef>(&rec); z && !z->is_none()) {
                int index = ambient;
                if (!z->is_ambient()) {
                    const auto it = zone_node.find(z->zone()->nr);
                    if (it == zone_node.end()) throw fault("senses a zone that is not in the airflow network.");
                    index = it->second;
                }
                sensor.index = index;
                if (q == kSenseOccupancy) {
                    sensor.sense = Sense::ZoneOccupancy;
                    track_occupants = true;
                } else if (!sense_node(q)) {
                    throw refuse();
                }
            } else if (const auto* j = std::get_if<Junction*>(&rec); j && *j) {
                const auto it = junction_node.find((*j)->nr);
                if (it == junction_node.end()) throw fault("senses a junction that is not in the airflow network.");
                sensor.index = it->second;
                if (!sense_node(q)) throw refuse();
            } else if (std::holds_alternative<FlowPath*>(rec) || std::holds_alternative<DuctSegment*>(rec)) {
                const FlowPath* const* path = std::get_if<FlowPath*>(&rec);
                const DuctSegment* const* duct = std::get_if<DuctSegment*>(&rec);
                if ((path && !*path) || (duct && !*duct)) throw fault("has no target.");
                const auto& map = path ? path_link : duct_link;
                const auto it = map.find(path ? (*path)->nr : (*duct)->nr);
                if (it == map.end()) throw fault("senses a path that is not in the airflow network.");
                sensor.index = it->second;
                if (q == kSenseFlow)
                    sensor.sense = Sense::LinkFlow;
                else if (q == kSensePressureDrop)
                    sensor.sense = Sense::LinkPressureDrop;
                else
                    throw refuse();
            } else if (const auto* x = std::get_if<Exposure*>(&rec); x && *x) {
                if (q != kSenseMassFraction) throw refuse();
                const auto it = std::find(exposures.begin(), exposures.end(), *x);
                if (it == exposures.end()) throw fault("senses an occupant that is not in the project.");
                sensor.sense = Sense::ExposureMassFraction;
                sensor.index = static_cast<int>(it - exposures.begin());
                sensor.species = species_index(s.species, node);
                track_occupants = true;
            } else {
                throw fault("has no target.");
            }
            e.aux = static_cast<int>(sensors.size());
            sensors.push_back(sensor);
            break;
        }
        case kCtSch: {
            const ScheduleNodeData& s = data(static_cast<ScheduleNodeData*>(nullptr));
            if (!s.schedule) throw fault("names no week schedule.");
            check_week_schedule(*s.schedule, s.schedule->utyp, node_text(node));
            e.aux = schedules.add(*s.schedule);
            break;
        }
        case kCtSet: e.a = data(static_cast<ConstantData*>(nullptr)).value; break;
        case kCtCvf:
        case kCtDvf: {
            const ValuesNameData& s = data(static_cast<ValuesNameData*>(nullptr));
            const ValuesFileKind kind = node.type == kCtCvf ? ValuesFileKind::Continuous : ValuesFileKind::Discrete;
            ValuesSeries& values = series(kind, node_text(node), s.name);
            e.aux = values.column(s.name);
            if (e.aux < 0)
                throw fault("reads the value " + s.name + ", which the values file " + values.path() + " does not hold.");
            break;
        }
        case kCtLog: {
            const ReportData& r = data(static_cast<ReportData*>(nullptr));
            e.a = r.offset;
            e.b = r.gain;
            reports.push_back(e.out);
            break;
        }
        case kCtMod: {
            const ModifierData& m = data(static_cast<ModifierData*>(nullptr));
            e.a = m.offset;
            e.b = m.gain;
            break;
        }
        case kCtHys: e.a = std::fabs(data(static_cast<HysteresisData*>(nullptr)).slack); break;
        case kCtDls: {
            const DelayScheduleData& s = data(static_cast<DelayScheduleData*>(nullptr));
            if (!s.first || !s.second) throw fault("needs two day schedules.");
            e.day1 = s.first;
            e.day2 = s.second;
            break;
        }
        case kCtDlx: {
            const DelayTimesData& t = data(static_cast<DelayTimesData*>(nullptr));
            if (t.first < 0 || t.second < 0) throw fault("has a negative time constant.");
            e.a = t.first;
            e.b = t.second;
            break;
        }
        case kCtRav: {
            const RunningAverageData& r = data(static_cast<RunningAverageData*>(nullptr));
            if (r.time < 0) throw fault("has a negative averaging time.");
            Ring ring;
            ring.begin = ring_values.size();
            ring.size = time_step > 0 ? static_cast<std::size_t>(std::max(1.0, std::round(r.time / time_step))) : 1;
            ring_values.resize(ring_values.size() + ring.size, 0.0);
            e.aux = static_cast<int>(rings.size());
            rings.push_back(ring);
            break;
        }
        case kCtSum:
        case kCtAvg:
        case kCtMax:
        case kCtMin: {
            const InputListData& l = data(static_cast<InputListData*>(nullptr));
            e.first = static_cast<int>(inputs.size());
            for (const ControlNode* input : l.inputs) {
                const int s = slot(input, node);
                if (s < 0) continue;
                inputs.push_back(s);
                deps[k].push_back(s);
            }
            e.last = static_cast<int>(inputs.size());
            break;
        }
        case kCtLbs:
        case kCtUbs: e.a = std::fabs(data(static_cast<BandData*>(nullptr)).width); break;
        case kCtPc1: e.a = data(static_cast<ProportionalData*>(nullptr)).Kp; break;
        case kCtPi1: {
            const PiData& pi = data(static_cast<PiData*>(nullptr));
            e.a = pi.Kp;
            e.b = pi.Ki;
            break;
        }
        case kCtSup: {
            const SuperInstanceData& s = data(static_cast<SuperInstanceData*>(nullptr));
            if (!s.output) throw fault("is an instance of a super element without an output node.");
            // The instance's value is its output copy's; its own input is
            // what its input copy reads (set below, once every node has its
            // record).
            const int output = slot(s.output, node);
            deps[k].push_back(output);
            e.aux = s.input ? slot(s.input, node) : -1;
            e.d = e.in1;  // the instance's own input
            e.in1 = output;
            e.in2 = -1;
            break;
        }
        case kCtPly: {
            const PolynomialData& poly = data(static_cast<PolynomialData*>(nullptr));
            if (poly.coefficients.empty() || poly.coefficients.size() > kMaxPolynomialOrder + 1)
                throw fault("has no polynomial of order 0 to 9.");
            e.first = static_cast<int>(coefficients.size());
            coefficients.insert(coefficients.end(), poly.coefficients.begin(), poly.coefficients.end());
            e.last = static_cast<int>(coefficients.size());
            break;
        }
        default: break;
        }
        if (!std::isfinite(e.a) || !std::isfinite(e.b) || !std::isfinite(e.c))
            throw fault("holds a value that is not a number.");
    }

    for (std::size_t k = 0; k < evals.size(); ++k) {
        const Eval& e = evals[k];
        if (e.type != kCtSup || e.aux < 0 || e.d < 0) continue;
        Eval& copy = evals[static_cast<std::size_t>(e.aux)];
        if (copy.in1 >= 0) continue;
        copy.in1 = static_cast<int>(e.d);
        deps[static_cast<std::size_t>(e.aux)].push_back(copy.in1);
    }

    // Evaluation order: by sequence number then list position, every node
    // after the nodes it reads.
    std::vector<int> rank(list.size());
    {
        std::vector<int> by(list.size());
        for (std::size_t k = 0; k < by.size(); ++k) by[k] = static_cast<int>(k);
        std::stable_sort(by.begin(), by.end(), [&](int x, int y) {
            const auto key = [&](int n) {
                const std::int32_t s = list[static_cast<std::size_t>(n)]->seq;
                return s > 0 ? static_cast<std::int64_t>(s) : std::numeric_limits<std::int64_t>::max();
            };
            return key(x) < key(y);
        });
        for (std::size_t r = 0; r < by.size(); ++r) rank[static_cast<std::size_t>(by[r])] = static_cast<int>(r);
    }
    std::vector<int> waiting(list.size(), 0);
    std::vector<std::vector<int>> readers(list.size());
    for (std::size_t k = 0; k < list.size(); ++k) {
        std::sort(deps[k].begin(), deps[k].end());
        deps[k].erase(std::unique(deps[k].begin(), deps[k].end()), deps[k].end());
        waiting[k] = static_cast<int>(deps[k].size());
        for (int d : deps[k]) readers[static_cast<std::size_t>(d)].push_back(static_cast<int>(k));
    }
    const auto later = [&](int x, int y) { return rank[static_cast<std::size_t>(x)] > rank[static_cast<std::size_t>(y)]; };
    std::priority_queue<int, std::vector<int>, decltype(later)> ready(later);
    for (std::size_t k = 0; k < list.size(); ++k)
        if (waiting[k] == 0) ready.push(static_cast<int>(k));
    order.reserve(list.size());
    while (!ready.empty()) {
        const int k = ready.top();
        ready.pop();
        order.push_back(evals[static_cast<std::size_t>(k)]);
        for (int r : readers[static_cast<std::size_t>(k)])
            if (--waiting[static_cast<std::size_t>(r)] == 0) ready.push(r);
    }
    if (order.size() != list.size()) {
        std::string names;
        int shown = 0;
        for (std::size_t k = 0; k < list.size(); ++k) {
            if (waiting[k] == 0) continue;
            if (++shown > 10) {
                names += " ...";
                break;
            }
            names += (shown > 1 ? ", " : "") + std::to_string(list[k]->nr);
        }
        throw EngineError("The control network cannot be ordered: nodes " + names +
                          " read each other in a circle (or read a node that does).");
    }
}

void ControlNetwork::Impl::warn_once(Eval& e, const std::string& why, double held)
{
    if (e.warned) return;
    e.warned = true;
    if (warning)
        warning(run_instant_text(now.day, static_cast<int>(now.seconds)) + ": the " + node_text(*e.node) + " " + why +
                "; its output is held at " + number_text(held) + ".");
}

double ControlNetwork::Impl::sense(const Sensor& s, const BuildingState& state) const
{
    const std::vector<double>& C = state.concentrations ? *state.concentrations : initial_C;
    const auto mass_fraction = [&](int node, int a) {
        const std::size_t k = static_cast<std::size_t>(node) * static_cast<std::size_t>(nctm) + static_cast<std::size_t>(a);
        return k < C.size() ? C[k] : 0.0;
    };
    switch (s.sense) {
    case Sense::NodeMassFraction: return mass_fraction(s.index, s.species);
    case Sense::NodeTemperature: return (*state.nodes)[static_cast<std::size_t>(s.index)].T;
    case Sense::NodePressure: return (*state.nodes)[static_cast<std::size_t>(s.index)].p;
    case Sense::ZoneOccupancy: {
        double n = 0;
        for (std::size_t x = 0; x < exposures.size(); ++x)
            if (occupant_node[x] == s.index) n += exposures[x]->mult;
        return n;
    }
    case Sense::LinkFlow: {
        const Link& l = (*state.links)[static_cast<std::size_t>(s.index)];
        return l.F0 + l.F1;
    }
    case Sense::LinkPressureDrop: return (*state.links)[static_cast<std::size_t>(s.index)].dP;
    case Sense::ExposureMassFraction: {
        const int node = occupant_node[static_cast<std::size_t>(s.index)];
        return node >= 0 ? mass_fraction(node, s.species) : 0.0;
    }
    }
    return 0;
}

void ControlNetwork::Impl::evaluate(std::vector<double>& v, const BuildingState& state)
{
    const double dt = now.dt > 0 ? now.dt : 0.0;
    if (schedules.size() > 0) schedules.evaluate(now.day_type, now.seconds);
    const double instant = static_cast<double>(now.day - 1) * kSecondsPerDayHere + now.seconds;
    if (cvf) cvf->seek(instant);
    if (dvf) dvf->seek(instant);
    if (track_occupants)
        for (std::size_t x = 0; x < exposures.size(); ++x)
            occupant_node[x] = engine::occupant_node(*exposures[x], now.day_type, now.seconds, zone_nodes, ambient);
    const auto in = [&](int slot) { return slot >= 0 ? v[static_cast<std::size_t>(slot)] : 0.0; };
    const auto lag = [&](Eval& e, double target, double tau) {
        const double last = v[static_cast<std::size_t>(e.out)];
        if (!e.started || tau <= 0 || dt <= 0) return target;
        return last + (target - last) * -std::expm1(-dt / tau);
    };
    for (Eval& e : order) {
        double& out = v[static_cast<std::size_t>(e.out)];
        const double x = in(e.in1), y = in(e.in2);
        double r = 0;
        switch (e.type) {
        case kCtSns: r = lag(e, (sense(sensors[static_cast<std::size_t>(e.aux)], state) - e.a) * e.b, e.c); break;
        case kCtSch: r = schedules.value(e.aux); break;
        case kCtSet: r = e.a; break;
        case kCtCvf: r = cvf->value(e.aux); break;
        case kCtDvf: r = dvf->value(e.aux); break;
        case kCtLog:
        case kCtMod: r = (x - e.a) * e.b; break;
        case kCtPas:
        case kCtSph: r = x; break;
        case kCtHys:
            r = !e.started ? x : std::clamp(out, x - 0.5 * e.a, x + 0.5 * e.a);
            break;
        case kCtAbs: r = std::fabs(x); break;
        case kCtBin: r = x > 0 ? 1 : 0; break;
        case kCtDls: {
            if (!e.started) {
                r = x;
                break;
            }
            const double rate = day_schedule_value(x > out ? *e.day1 : *e.day2, now.seconds);
            const double step = rate > 0 ? rate * dt : 0.0;
            r = x > out ? std::min(x, out + step) : std::max(x, out - step);
            break;
        }
        case kCtDlx: r = lag(e, x, x > out ? e.a : e.b); break;
        case kCtInt:
            if (e.in2 >= 0 && y > 0)
                e.state = 0;
            else
                e.state += x * dt;
            r = e.state;
            break;
        case kCtRav: {
            Ring& ring = rings[static_cast<std::size_t>(e.aux)];
            double& slot = ring_values[ring.begin + ring.head];
            if (ring.filled == ring.size) ring.sum -= slot;
            else ++ring.filled;
            slot = x;
            ring.sum += x;
            ring.head = (ring.head + 1) % ring.size;
            // Round-off of the running sum is wiped out once a cycle.
            if (ring.head == 0 && ring.filled == ring.size) {
                ring.sum = 0;
                for (std::size_t k = 0; k < ring.size; ++k) ring.sum += ring_values[ring.begin + k];
            }
            r = ring.sum / static_cast<double>(ring.filled);
            break;
        }
        case kCtInv: r = x > 0 ? 0 : 1; break;
        case kCtAnd: r = x > 0 && y > 0 ? 1 : 0; break;
        case kCtOr: r = x > 0 || y > 0 ? 1 : 0; break;
        case kCtXor: r = (x > 0) != (y > 0) ? 1 : 0; break;
        case kCtAdd: r = x + y; break;
        case kCtSub: r = x - y; break;
        case kCtMul: r = x * y; break;
        case kCtDiv:
            if (y == 0) {
                r = e.started ? out : 0.0;
                warn_once(e, "divides by 0", r);
            } else {
                r = x / y;
            }
            break;
        case kCtSum:
        case kCtAvg:
        case kCtMax:
        case kCtMin: {
            if (e.first == e.last) {
                r = 0;
                break;
            }
            r = v[static_cast<std::size_t>(inputs[static_cast<std::size_t>(e.first)])];
            for (int k = e.first + 1; k < e.last; ++k) {
                const double w = v[static_cast<std::size_t>(inputs[static_cast<std::size_t>(k)])];
                if (e.type == kCtMax) r = std::max(r, w);
                else if (e.type == kCtMin) r = std::min(r, w);
                else r += w;
            }
            if (e.type == kCtAvg) r /= static_cast<double>(e.last - e.first);
            break;
        }
        case kCtLls: r = x < y ? 1 : 0; break;
        case kCtUls: r = x > y ? 1 : 0; break;
        case kCtLbs:
            if (x < y) e.state = 1;
            else if (x > y + e.a) e.state = 0;
            r = e.state;
            break;
        case kCtUbs:
            if (x > y) e.state = 1;
            else if (x < y - e.a) e.state = 0;
            r = e.state;
            break;
        case kCtLlc: r = std::max(x, y); break;
        case kCtUlc: r = std::min(x, y); break;
        case kCtPc1: r = e.a * (e.in2 >= 0 ? x - y : x); break;
        case kCtPi1: {
            const double err = e.in2 >= 0 ? x - y : x;
            const double integral = e.state + err * dt;
            const double u = e.a * err + e.b * integral;
            // The step's integral counts unless it drives the output
            // further beyond a bound.
            const bool winds_up = (u > 1 && e.b * err > 0) || (u < 0 && e.b * err < 0);
            if (!winds_up) e.state = integral;
            r = std::clamp(e.a * err + e.b * e.state, 0.0, 1.0);
            break;
        }
        case kCtSup: r = x; break;
        case kCtExp: r = std::exp(x); break;
        case kCtLgn: r = std::log(x); break;
        case kCtLg1: r = std::log10(x); break;
        case kCtPow: r = std::pow(x, y); break;
        case kCtSqt: r = std::sqrt(x); break;
        case kCtSin: r = std::sin(x); break;
        case kCtCos: r = std::cos(x); break;
        case kCtTan: r = std::tan(x); break;
        case kCtMdu: r = std::fmod(x, y); break;
        case kCtCel: r = std::ceil(x); break;
        case kCtFlr: r = std::floor(x); break;
        case kCtPly:
            r = 0;
            for (int k = e.last - 1; k >= e.first; --k) r = r * x + coefficients[static_cast<std::size_t>(k)];
            break;
        default: r = 0; break;
        }
        if (!std::isfinite(r)) {
            const double held = e.started ? out : 0.0;
            if (e.type >= kCtExp && e.type <= kCtFlr)
                warn_once(e, "has no finite value for its input " + number_text(x) +
                                 (e.in2 >= 0 ? " and " + number_text(y) : std::string()),
                          held);
            else
                warn_once(e, "has no finite value", held);
            r = held;
        }
        out = r;
        e.started = true;
    }
    for (const ColumnSlot& c : columns)
        v[static_cast<std::size_t>(c.slot)] =
            (c.kind == ValuesFileKind::Continuous ? *cvf : *dvf).value(c.column);
}

ControlNetwork::ControlNetwork(const Project& project, const std::vector<Node>& nodes, const std::vector<Link>& links,
                               double time_step, Warning warning)
    : impl_(std::make_unique<Impl>())
{
    impl_->warning = std::move(warning);
    impl_->build(project, nodes, links, time_step);
    values_.assign(impl_->list.size(), 0.0);
}

ControlNetwork::ControlNetwork() = default;
ControlNetwork::~ControlNetwork() = default;
ControlNetwork::ControlNetwork(ControlNetwork&&) noexcept = default;
ControlNetwork& ControlNetwork::operator=(ControlNetwork&&) noexcept = default;

std::size_t ControlNetwork::size() const { return impl_ ? impl_->list.size() : 0; }

int ControlNetwork::signal_slot(const ControlNode* control, const ControlValuesLink& cdvf, const std::string& user)
{
    if (control) {
        if (impl_)
            if (const auto it = impl_->slot_of.find(control); it != impl_->slot_of.end()) return it->second;
        throw EngineError("The " + user + " follows a control node that is not in the control network.");
    }
    if (cdvf.kind == 0) return -1;
    if (cdvf.kind != 1 && cdvf.kind != 2)
        throw EngineError("The " + user + " has the unknown control-values kind " + std::to_string(cdvf.kind) + ".");
    if (!impl_) throw EngineError("The control network of the " + user + " was not built.");
    const ValuesFileKind kind = cdvf.kind == 1 ? ValuesFileKind::Continuous : ValuesFileKind::Discrete;
    for (const ColumnSlot& c : impl_->columns)
        if (c.kind == kind && c.name == cdvf.name) return c.slot;
    ValuesSeries& series = impl_->series(kind, user, cdvf.name);
    const int column = series.column(cdvf.name);
    if (column < 0)
        throw EngineError("The " + user + " follows the value " + cdvf.name + ", which the values file " +
                          series.path() + " does not hold.");
    ColumnSlot c;
    c.kind = kind;
    c.name = cdvf.name;
    c.column = column;
    c.slot = static_cast<int>(values_.size());
    impl_->columns.push_back(c);
    values_.push_back(series.value(column));
    return c.slot;
}

void ControlNetwork::evaluate(const ControlInstant& at, const BuildingState& state)
{
    if (!impl_) return;
    impl_->now = at;
    impl_->evaluate(values_, state);
}

double ControlNetwork::output(const ControlNode* node) const
{
    if (!impl_) return 0;
    const auto it = impl_->slot_of.find(node);
    return it == impl_->slot_of.end() ? 0.0 : values_[static_cast<std::size_t>(it->second)];
}

bool ControlNetwork::has_reports() const { return impl_ && !impl_->reports.empty(); }

bool ControlNetwork::open_report(const std::string& path)
{
    if (!has_reports()) return true;
    impl_->report_file.reset(std::fopen(path.c_str(), "w"));
    if (!impl_->report_file) {
        impl_->error = "Could not open the report file " + path + ".";
        return false;
    }
    std::string header = "date time";
    for (int slot : impl_->reports) {
        const ReportData* r = std::get_if<ReportData>(&impl_->list[static_cast<std::size_t>(slot)]->data);
        std::string text = (r ? r->header : std::string()) + "[" + (r ? r->units : std::string()) + "]";
        std::replace(text.begin(), text.end(), ' ', '_');
        header += " " + text;
    }
    header += "\n";
    if (std::fputs(header.c_str(), impl_->report_file.get()) < 0) {
        impl_->error = "Could not write the report file " + path + ".";
        return false;
    }
    return true;
}

bool ControlNetwork::write_report(int day, int seconds)
{
    if (!impl_ || !impl_->report_file) return true;
    std::FILE* f = impl_->report_file.get();
    bool ok = std::fputs(month_day_text(day, seconds).c_str(), f) >= 0;
    for (int slot : impl_->reports) ok = std::fprintf(f, " %.6g", values_[static_cast<std::size_t>(slot)]) > 0 && ok;
    ok = std::fputc('\n', f) != EOF && ok;
    if (!ok) impl_->error = "Could not write the report file.";
    return ok;
}

bool ControlNetwork::close_report()
{
    if (!impl_ || !impl_->report_file) return true;
    const bool ok = std::fclose(impl_->report_file.release()) == 0;
    if (!ok) impl_->error = "Could not write the report file.";
    return ok;
}

const std::string& ControlNetwork::error() const
{
    static const std::string none;
    return impl_ ? impl_->error : none;
}

}  // namespace avelor::engine
