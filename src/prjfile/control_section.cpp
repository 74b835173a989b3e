#include "prjfile/control_section.h"

#include <string>
#include <vector>

#include "app/description_line.h"
#include "app/diagnostics.h"
#include "app/text_convert.h"
#include "model/control_node.h"
#include "model/project.h"
#include "prjfile/definition_io.h"

namespace avelor {

namespace {

std::string number_text(std::int64_t n) { return std::to_string(n); }

// Lists in a file longer than any project could hold are damage.
constexpr std::int32_t kMaxNodes = 1000000;
constexpr std::size_t kHeaderSize = 32;  // report header: at most 31 characters
// The icon that shows a control node on a link.
constexpr std::uint8_t kLinkNodeIcon = 186;

int node_number(const ControlNode* node) { return node ? node->nr : 0; }

template <class T>
int number_of(const T* record)
{
    return record ? record->nr : 0;
}

// The definitions of a named list by number, as their sections numbered
// them while reading.
template <class T>
std::vector<T*> by_number(const NamedList<T>& list)
{
    std::vector<T*> index;
    for (T& record : list) index.push_back(&record);
    return index;
}

std::int32_t sensor_target_number(const SensorTarget& target)
{
    struct Visit {
        std::int32_t stored;
        std::int32_t operator()(std::monostate) const { return stored; }
        std::int32_t operator()(const ZoneRef& zone) const
        {
            if (zone.is_ambient()) return -1;
            return zone.zone() ? zone.zone()->nr : 0;
        }
        std::int32_t operator()(const FlowPath* p) const { return p ? p->nr : stored; }
        std::int32_t operator()(const DuctSegment* d) const { return d ? d->nr : stored; }
        std::int32_t operator()(const Exposure* e) const { return e ? e->nr : stored; }
        std::int32_t operator()(const Junction* j) const { return j ? j->nr : stored; }
    };
    return std::visit(Visit{target.nr}, target.record);
}

void write_data_line(TextWriter& out, const ControlNode& node)
{
    struct Visit {
        TextWriter& out;
        void operator()(std::monostate) const { out.write("\n"); }
        void operator()(const SensorData& s) const
        {
            out.printf(" %g %g %g %g %d %d %d %7.3f %7.3f %7.3f %d %s\n", static_cast<double>(s.offset),
                       static_cast<double>(s.gain), static_cast<double>(s.tau), static_cast<double>(s.fourth),
                       sensor_target_number(s.target), s.target.kind, s.quantity, static_cast<double>(s.X),
                       static_cast<double>(s.Y), static_cast<double>(s.relHt), s.u,
                       s.species ? s.species->name.c_str() : "none");
        }
        void operator()(const ScheduleNodeData& s) const { out.printf(" %d\n", number_of(s.schedule)); }
        void operator()(const ConstantData& c) const { out.printf(" %g\n", static_cast<double>(c.value)); }
        void operator()(const ValuesNameData& v) const { out.printf(" %s\n", v.name.c_str()); }
        void operator()(const ReportData& r) const
        {
            out.printf(" %g %g %d %s %s\n", static_cast<double>(r.offset), static_cast<double>(r.gain),
                       r.unit_switch, r.header.c_str(), r.units.c_str());
        }
        void operator()(const ModifierData& m) const
        {
            out.printf(" %g %g\n", static_cast<double>(m.offset), static_cast<double>(m.gain));
        }
        void operator()(const HysteresisData& h) const
        {
            out.printf(" %g %g %g\n", static_cast<double>(h.a), static_cast<double>(h.b),
                       static_cast<double>(h.slack));
        }
        void operator()(const DelayScheduleData& d) const
        {
            out.printf(" %d %d\n", number_of(d.first), number_of(d.second));
        }
        void operator()(const DelayTimesData& d) const
        {
            out.printf(" %s %s\n", time_text(d.first).c_str(), time_text(d.second).c_str());
        }
        void operator()(const RunningAverageData& r) const { out.printf(" %s\n", time_text(r.time).c_str()); }
        void operator()(const InputListData& l) const
        {
            out.printf(" %d ", static_cast<int>(l.inputs.size()));
            for (const ControlNode* input : l.inputs) out.printf(" %d", node_number(input));
            out.write("\n");
        }
        void operator()(const BandData& b) const { out.printf(" %g\n", static_cast<double>(b.width)); }
        void operator()(const ProportionalData& p) const { out.printf(" %g\n", static_cast<double>(p.Kp)); }
        void operator()(const PiData& p) const
        {
            out.printf(" %g %g %g %g\n", static_cast<double>(p.Kp), static_cast<double>(p.Ki),
                       static_cast<double>(p.v3), static_cast<double>(p.v4));
        }
        void operator()(const SuperInstanceData& s) const
        {
            out.printf(" %d %d %d %d\n", s.value, number_of(s.element), node_number(s.input),
                       node_number(s.output));
        }
        void operator()(const PolynomialData& p) const
        {
            out.printf(" %d", static_cast<int>(p.coefficients.size()) - 1);
            for (float c : p.coefficients) out.printf(" %g", static_cast<double>(c));
            out.write("\n");
        }
    };
    std::visit(Visit{out}, node.data);
}

// One list of nodes: the main list (ended by -999) or a super element's.
template <class NodeAt>
int write_node_list(TextWriter& out, std::int32_t count, NodeAt node_at, bool sub_nodes)
{
    int faults = 0;
    out.printf(sub_nodes ? "%d ! sub-nodes:\n" : "%d ! control nodes:\n", static_cast<int>(count));
    if (count > 0) out.write("! # typ seq f n  c1  c2 name\n");
    for (std::int32_t i = 1; i <= count; ++i) {
        const ControlNode* node = node_at(i);
        if (!node) {
            // A gap in the list: the save stops here rather than ending the
            // program with the user's work unsaved.
            report_error(ERROR, {"Null pointer - control: ", number_text(i)});
            return 1;
        }
        if (node->nr != i) {
            report_error(ERROR, {"Controls out of order"});
            faults = 1;
        }
        const auto info = control_type_info(node->type);
        // A name is one word on the line: a node without one is "<none>",
        // as the dialogs name it, so the line still reads back.
        out.printf("%3d %3s %3d %1u %1d %3d %3d %s\n", static_cast<int>(node->nr),
                   info ? std::string(info->name).c_str() : "", static_cast<int>(node->seq),
                   static_cast<unsigned>(node->f), node->n, node_number(node->c1), node_number(node->c2),
                   node->name.empty() ? "<none>" : node->name.c_str());
        out.printf("%s\n", description_to_line(node->desc).c_str());
        if (!info) {
            report_error(ERROR, {"Invalid element type ", number_text(node->type)});
            faults = 1;
            continue;
        }
        write_data_line(out, *node);
    }
    if (!sub_nodes) out.printf("%d\n", kSectionEnd);
    return faults;
}

// ------------------------------------------------------------- reading

struct ReadContext {
    Project& project;
    std::vector<WeekSchedule*> weeks;
    std::vector<DaySchedule*> days;
};

template <class T>
T* numbered(const std::vector<T*>& index, std::int32_t n, bool& bad)
{
    if (n == 0) return nullptr;
    if (n < 1 || static_cast<std::size_t>(n) > index.size()) {
        bad = true;
        return nullptr;
    }
    return index[static_cast<std::size_t>(n - 1)];
}

// The data line of a node of the given type; false after a counted error.
bool read_data(DataReader& in, ReadContext& cx, ControlNode& node, std::int32_t count)
{
    const std::string nr = number_text(node.nr);
    bool bad = false;
    switch (node.type) {
    case kCtSns: {
        SensorData s;
        s.offset = in.read_float();
        s.gain = in.read_float();
        s.tau = in.read_float();
        s.fourth = in.read_float();
        s.target.nr = in.read_int();
        s.target.kind = in.read_short();
        s.quantity = in.read_short();
        s.X = in.read_float();
        s.Y = in.read_float();
        s.relHt = in.read_float();
        s.u = in.read_short();
        const std::string name = read_definition_name(in);
        if (s.quantity == kSenseMassFraction) {
            s.species = cx.project.species.find_by_name(name);
            if (!s.species) {
                report_error(ERROR, {"Name not found: ", name});
                return false;
            }
        }
        node.data = std::move(s);
        break;
    }
    case kCtSch: {
        ScheduleNodeData d;
        d.schedule = numbered(cx.weeks, in.read_int(), bad);
        if (bad) report_error(ERROR, {"Invalid schedule number, node ", nr});
        node.data = d;
        break;
    }
    case kCtSet: node.data = ConstantData{in.read_float()}; break;
    case kCtCvf:
    case kCtDvf: node.data = ValuesNameData{read_definition_name(in)}; break;
    case kCtLog: {
        ReportData r;
        r.offset = in.read_float();
        r.gain = in.read_float();
        r.unit_switch = in.read_short();
        r.header = in.read_field(FieldKind::Next, kHeaderSize).value_or(std::string());
        r.units = read_definition_name(in);
        node.data = std::move(r);
        break;
    }
    case kCtMod: {
        ModifierData m;
        m.offset = in.read_float();
        m.gain = in.read_float();
        node.data = m;
        break;
    }
    case kCtHys: {
        HysteresisData h;
        h.a = in.read_float();
        h.b = in.read_float();
        h.slack = in.read_float();
        node.data = h;
        break;
    }
    case kCtDls: {
        DelayScheduleData d;
        d.first = numbered(cx.days, in.read_int(), bad);
        d.second = numbered(cx.days, in.read_int(), bad);
        if (bad) report_error(ERROR, {"Invalid day schedule number, node ", nr});
        node.data = d;
        break;
    }
    case kCtDlx: {
        DelayTimesData d;
        d.first = in.read_time();
        d.second = in.read_time();
        node.data = d;
        break;
    }
    case kCtRav: node.data = RunningAverageData{in.read_time()}; break;
    case kCtSum:
    case kCtAvg:
    case kCtMax:
    case kCtMin: {
        InputListData l;
        const std::int32_t n = in.read_int();
        if (n < 0 || n > count) {
            report_error(ERROR, {"Invalid input count, node ", nr});
            return false;
        }
        for (std::int32_t k = 0; k < n; ++k) {
            const std::int32_t input = in.read_int();
            if (input < 1 || input > count) bad = true;
            l.numbers.push_back(input);
        }
        if (bad) report_error(ERROR, {"Invalid control node number, node ", nr});
        node.data = std::move(l);
        break;
    }
    case kCtLbs:
    case kCtUbs: node.data = BandData{in.read_float()}; break;
    case kCtPc1: node.data = ProportionalData{in.read_float()}; break;
    case kCtPi1: {
        PiData p;
        p.Kp = in.read_float();
        p.Ki = in.read_float();
        p.v3 = in.read_float();
        p.v4 = in.read_float();
        node.data = p;
        break;
    }
    case kCtSup: {
        SuperInstanceData s;
        s.value = in.read_short();
        s.element_nr = in.read_int();
        s.input_nr = in.read_int();
        s.output_nr = in.read_int();
        if (s.element_nr < 1 || s.element_nr > cx.project.super_elements.count())
            report_error(ERROR, {"Invalid super element number, node ", nr});
        else if (s.input_nr < 0 || s.input_nr > count || s.output_nr < 0 || s.output_nr > count)
            report_error(ERROR, {"Invalid control node number, node ", nr});
        node.data = std::move(s);
        break;
    }
    case kCtPly: {
        PolynomialData p;
        const std::int32_t order = in.read_int();
        if (order < 0 || order > kMaxPolynomialOrder) {
            report_error(ERROR, {"Invalid polynomial order, node ", nr});
            return false;
        }
        for (std::int32_t k = 0; k <= order; ++k) p.coefficients.push_back(in.read_float());
        node.data = std::move(p);
        break;
    }
    default: node.data = std::monostate{}; break;
    }
    return error_count() == 0;
}

// Reads count nodes, each stored through store(node) as number i; false
// after the first node that raised the error count.
template <class Store>
bool read_node_list(DataReader& in, ReadContext& cx, std::int32_t count, Store store)
{
    for (std::int32_t i = 1; i <= count; ++i) {
        ControlNode node;
        node.nr = i;
        if (in.read_int(FieldKind::FirstOfNextLine) != i) {
            report_error(ERROR, {"Control number mis-match: ", number_text(i)});
            return false;
        }
        const std::string type_name = in.read_field(FieldKind::Next).value_or(std::string());
        const int type = control_type_of(type_name);
        if (type < 0) {
            report_error(ERROR, {"Undefined Element Type: ", type_name});
            return false;
        }
        node.type = static_cast<std::int16_t>(type);
        node.seq = in.read_int();
        node.f = in.read_ushort();
        node.n = in.read_short();
        node.c1_nr = in.read_int();
        node.c2_nr = in.read_int();
        if (node.c1_nr < 0 || node.c1_nr > count || node.c2_nr < 0 || node.c2_nr > count) {
            report_error(ERROR, {"Invalid control node number, node ", number_text(i)});
            return false;
        }
        node.name = read_definition_name(in);
        node.desc = read_definition_description(in);
        if (!read_data(in, cx, node, count)) return false;
        store(node);
        if (error_count() != 0) return false;
    }
    return true;
}

// Turns a list's input numbers into references of the same list.
template <class NodeAt>
void resolve_inputs(ControlNode& node, NodeAt node_at)
{
    node.c1 = node_at(node.c1_nr);
    node.c2 = node_at(node.c2_nr);
    if (auto* list = std::get_if<InputListData>(&node.data)) {
        list->inputs.clear();
        for (std::int32_t n : list->numbers)
            if (ControlNode* input = node_at(n)) list->inputs.push_back(input);
        list->numbers.clear();
    }
}

std::int32_t read_count(DataReader& in, const char* what)
{
    const std::int32_t count = in.read_int(FieldKind::FirstOfNextLine);
    if (error_count() != 0) return -1;
    if (count < 0 || count > kMaxNodes) {
        report_error(ERROR, {"Invalid record count ", number_text(count), " for ", what});
        return -1;
    }
    return count;
}

// The sensor's target from its number and kind; false for a number that
// names no record of the kind.
bool resolve_target(Project& project, SensorTarget& target)
{
    const std::int32_t n = target.nr;
    target.record = std::monostate{};
    if (n == 0) return true;
    switch (target.kind) {
    case kSenseZone:
        if (n == -1) {
            target.record = ZoneRef::ambient();
            return true;
        }
        if (Zone* zone = n > 0 ? project.zones.at(n) : nullptr) {
            target.record = ZoneRef(zone);
            return true;
        }
        return false;
    case kSensePath:
        if (FlowPath* path = n > 0 ? project.paths.at(n) : nullptr) {
            target.record = path;
            return true;
        }
        return false;
    case kSenseDuct:
        if (DuctSegment* duct = n > 0 ? project.ducts.at(n) : nullptr) {
            target.record = duct;
            return true;
        }
        return false;
    case kSenseExposure:
        if (Exposure* exposure = n > 0 ? project.exposures.at(n) : nullptr) {
            target.record = exposure;
            return true;
        }
        return false;
    case kSenseJunction:
    case kSenseTerminal:
        if (Junction* junction = n > 0 ? project.junctions.at(n) : nullptr) {
            target.record = junction;
            return true;
        }
        return false;
    default: return false;
    }
}

}  // namespace

int write_super_elements_section(TextWriter& out, Project& project)
{
    project.super_elements.renumber();
    int faults = 0;
    out.printf("%d ! control super elements:\n", static_cast<int>(project.super_elements.count()));
    if (project.super_elements.count() > 0) out.write("! #   f  in out  nn  ni name\n");
    for (const SuperElement& e : project.super_elements) {
        out.printf("%3d %3d", static_cast<int>(e.nr), static_cast<int>(e.f));
        out.printf(" %3d", node_number(e.input));
        out.printf(" %3d", node_number(e.output));
        out.printf(" %3d %3d %s\n%s\n", static_cast<int>(e.nodes.count()), static_cast<int>(e.sketch.size()),
                   e.name.c_str(), description_to_line(e.desc).c_str());
        faults |= write_node_list(out, e.nodes.count(), [&](std::int32_t i) { return e.nodes.at(i); }, true);
        for (const SketchIcon& icon : e.sketch)
            out.printf(" %3d %3d %3d %3d\n", icon.code, icon.col, icon.row, static_cast<int>(icon.nr));
    }
    out.printf("%d\n", kSectionEnd);
    return faults;
}

int write_control_nodes_section(TextWriter& out, Project& project)
{
    return write_node_list(out, project.controls.count(), [&](std::int32_t i) { return project.controls.at(i); },
                           false);
}

void read_super_elements_section(DataReader& in, Project& project)
{
    const std::int32_t count = read_count(in, "control super elements");
    if (count < 0) return;
    ReadContext cx{project, by_number(project.week_schedules), by_number(project.day_schedules)};
    for (std::int32_t i = 1; i <= count; ++i) {
        SuperElement e;
        if (in.read_int(FieldKind::FirstOfNextLine) != i) {
            report_error(ERROR, {"Element number mis-match: ", number_text(i)});
            return;
        }
        e.nr = i;
        e.f = in.read_ushort();
        const std::int32_t input = in.read_int();
        const std::int32_t output = in.read_int();
        in.read_int();  // nn: the node list's own count holds
        const std::int16_t ni = in.read_short();
        e.name = read_definition_name(in);
        e.desc = description_from_line(
            in.read_field(FieldKind::NextLine, kSuperDescriptionLimit + 2).value_or(std::string()));
        if (ni < 0) report_error(ERROR, {"Invalid icon count, super element ", number_text(i)});
        if (error_count() != 0) return;
        const std::int32_t nodes = read_count(in, "sub-nodes");
        if (nodes < 0) return;
        if (!read_node_list(in, cx, nodes, [&](const ControlNode& node) { e.nodes.add(node); })) return;
        for (ControlNode& node : e.nodes) resolve_inputs(node, [&](std::int32_t n) { return e.nodes.at(n); });
        if (input < 0 || input > nodes || output < 0 || output > nodes) {
            report_error(ERROR, {"Invalid control node number, super element ", number_text(i)});
            return;
        }
        e.input = e.nodes.at(input);
        e.output = e.nodes.at(output);
        for (std::int16_t k = 0; k < ni; ++k) {
            SketchIcon icon;
            icon.code = in.read_short(FieldKind::FirstOfNextLine);
            icon.col = in.read_short();
            icon.row = in.read_short();
            icon.nr = in.read_int();
            e.sketch.push_back(icon);
        }
        if (error_count() != 0) return;
        project.super_elements.insert_copy(e);
    }
    // The elements are numbered in file order, which instance nodes name;
    // their chain keeps name order.
    read_section_end(in);
}

void read_control_nodes_section(DataReader& in, Project& project)
{
    const std::int32_t count = read_count(in, "control nodes");
    if (count < 0) return;
    project.controls.reserve(count);
    ReadContext cx{project, by_number(project.week_schedules), by_number(project.day_schedules)};
    if (!read_node_list(in, cx, count, [&](const ControlNode& node) { project.controls.put(node.nr, node); }))
        return;
    for (ControlNode& node : project.controls)
        resolve_inputs(node, [&](std::int32_t n) { return n > 0 ? project.controls.at(n) : nullptr; });
    read_section_end(in);
}

int resolve_controls(Project& project)
{
    int faults = 0;
    auto fault = [&](Pieces pieces) {
        report_error(ERROR, pieces);
        ++faults;
    };
    for (const Level& level : project.levels)
        for (const IconEntry& icon : level.icons)
            if (icon.code == kLinkNodeIcon && icon.nr > 0) {
                if (ControlNode* node = project.controls.at(icon.nr))
                    ++node->link_count;
                else
                    fault({"Invalid control #", number_text(icon.nr)});
            }
    // Super elements by the numbers their instances use.
    std::vector<SuperElement*> elements(static_cast<std::size_t>(project.super_elements.count()), nullptr);
    for (SuperElement& e : project.super_elements)
        if (e.nr >= 1 && e.nr <= project.super_elements.count()) elements[static_cast<std::size_t>(e.nr - 1)] = &e;

    const std::int32_t count = project.controls.count();
    for (std::int32_t i = 1; i <= count; ++i) {
        ControlNode* node = project.controls.at(i);
        if (!node) continue;
        if (auto* sensor = std::get_if<SensorData>(&node->data)) {
            if (sensor->target.kind < kSenseZone || sensor->target.kind > kSenseTerminal)
                fault({" Unidentified sensor type"});
            else if (!resolve_target(project, sensor->target))
                fault({"Invalid sensor target, node ", number_text(i)});
        } else if (auto* instance = std::get_if<SuperInstanceData>(&node->data)) {
            SuperElement* e = instance->element_nr >= 1 &&
                                      static_cast<std::size_t>(instance->element_nr) <= elements.size()
                                  ? elements[static_cast<std::size_t>(instance->element_nr - 1)]
                                  : nullptr;
            if (!e) {
                fault({"Invalid super element number, node ", number_text(i)});
                continue;
            }
            instance->element = e;
            ++e->use_count;
            // The element's node copies are the nodes that follow the
            // instance; a list that ends before them is damage.
            const std::int32_t nn = e->nodes.count();
            if (i + nn > count) {
                fault({"Invalid super element instance, node ", number_text(i)});
                continue;
            }
            instance->copies.clear();
            for (std::int32_t k = 1; k <= nn; ++k) instance->copies.push_back(project.controls.at(i + k));
            instance->input = instance->input_nr > 0 ? project.controls.at(instance->input_nr) : nullptr;
            instance->output = instance->output_nr > 0 ? project.controls.at(instance->output_nr) : nullptr;
        } else if (node->type == kCtSph) {
            if (!node->c1 || node->c1->type != kCtSup)
                fault({"Invalid phantom control, node ", number_text(i)});
            else
                ++node->c1->ref_count;
        }
    }
    // Sensors of super elements name records of the project only when
    // they carry a number of their own.
    for (SuperElement& e : project.super_elements)
        for (ControlNode& node : e.nodes)
            if (auto* sensor = std::get_if<SensorData>(&node.data); sensor && sensor->target.nr != 0)
                if (!resolve_target(project, sensor->target))
                    fault({"Invalid sensor target, super element ", number_text(e.nr)});
    return faults;
}

}  // namespace avelor
