#include "model/control_node.h"

#include <map>
#include <set>

#include "app/diagnostics.h"
#include "app/run_log.h"

namespace avelor {

namespace {

// Code order; entry 36 is not a type (its name repeats the sensor's, so a
// lookup by name always finds the sensor first).
constexpr std::array<ControlTypeInfo, kControlTypeCount> kTypes{{
    {"sns", "Sensor"},
    {"sch", "Schedule"},
    {"set", "Constant"},
    {"cvf", "CVF Name"},
    {"dvf", "DVF Name"},
    {"log", "Report a value"},
    {"pas", "Signal split"},
    {"mod", "Modifier"},
    {"hys", "Hysteresis"},
    {"abs", "Absolute value"},
    {"bin", "Binary (0 or 1)"},
    {"dls", "Scheduled delay"},
    {"dlx", "Exponential delay"},
    {"int", "Integrate over time"},
    {"rav", "Running average"},
    {"inv", "NOT"},
    {"and", "AND"},
    {"or", "OR"},
    {"xor", "XOR"},
    {"add", "Add"},
    {"sub", "Subtract"},
    {"mul", "Multiply"},
    {"div", "Divide"},
    {"sum", "Sum"},
    {"avg", "Average"},
    {"max", "Maximum"},
    {"min", "Minimum"},
    {"lls", "Lower limit switch"},
    {"uls", "Upper limit switch"},
    {"lbs", "Lower band switch"},
    {"ubs", "Upper band switch"},
    {"llc", "Lower limit control"},
    {"ulc", "Upper limit control"},
    {"pc1", "Proportional controller"},
    {"pi1", "P/I controller"},
    {"sup", "Super element"},
    {"sns", ""},
    {"exp", "EXP(x)"},
    {"lgn", "LN(x)"},
    {"lg1", "LOG10(x)"},
    {"pow", "POW(x,y)"},
    {"sqt", "SQRT(x)"},
    {"ply", "Polynomial(x)"},
    {"sin", "SIN(x)"},
    {"cos", "COS(x)"},
    {"tan", "TAN(x)"},
    {"mdu", "MOD(x,y)"},
    {"cel", "CEIL(x)"},
    {"flr", "FLOOR(x)"},
    {"sph", "Phantom control"},
}};

}  // namespace

std::optional<ControlTypeInfo> control_type_info(int type)
{
    if (type < 0 || type >= kControlTypeCount || type == kCtUnused) return std::nullopt;
    return kTypes[static_cast<std::size_t>(type)];
}

int control_type_of(std::string_view name)
{
    for (int t = 0; t < kControlTypeCount; ++t)
        if (kTypes[static_cast<std::size_t>(t)].name == name) return t;
    return -1;
}

ControlData new_control_data(int type)
{
    switch (type) {
    case kCtSns: return SensorData{};
    case kCtSch: return ScheduleNodeData{};
    case kCtSet: return ConstantData{};
    case kCtCvf:
    case kCtDvf: return ValuesNameData{};
    case kCtLog: return ReportData{};
    case kCtMod: return ModifierData{};
    case kCtHys: return HysteresisData{};
    case kCtDls: return DelayScheduleData{};
    case kCtDlx: return DelayTimesData{};
    case kCtRav: return RunningAverageData{};
    case kCtSum:
    case kCtAvg:
    case kCtMax:
    case kCtMin: return InputListData{};
    case kCtLbs:
    case kCtUbs: return BandData{};
    case kCtPc1: return ProportionalData{};
    case kCtPi1: return PiData{};
    case kCtSup: return SuperInstanceData{};
    case kCtPly: return PolynomialData{{0}};
    default: return std::monostate{};
    }
}

int control_inputs_of_type(int type)
{
    switch (type) {
    case kCtSns:
    case kCtSph:
    case kCtSch:
    case kCtSet:
    case kCtCvf:
    case kCtDvf: return 0;
    case kCtInt:
    case kCtAnd:
    case kCtOr:
    case kCtXor:
    case kCtAdd:
    case kCtSub:
    case kCtMul:
    case kCtDiv:
    case kCtLls:
    case kCtUls:
    case kCtLbs:
    case kCtUbs:
    case kCtLlc:
    case kCtUlc:
    case kCtPow:
    case kCtMdu: return 2;
    default: return is_input_list_type(type) ? kManyInputs : 1;
    }
}

ControlNodeList::ControlNodeList(const ControlNodeList& other)
{
    *this = other;
}

ControlNodeList& ControlNodeList::operator=(const ControlNodeList& other)
{
    if (this == &other) return *this;
    std::vector<std::unique_ptr<ControlNode>> copies;
    copies.reserve(other.nodes_.size());
    std::map<const ControlNode*, ControlNode*> moved;
    for (const auto& node : other.nodes_) {
        copies.push_back(std::make_unique<ControlNode>(*node));
        moved[node.get()] = copies.back().get();
    }
    // References to nodes of the list follow the copies; others stay.
    for (auto& node : copies) {
        node->next = nullptr;
        for_each_node_reference(*node, [&](ControlNode*& ref) {
            if (const auto it = moved.find(ref); it != moved.end()) ref = it->second;
        });
    }
    nodes_ = std::move(copies);
    return *this;
}

ControlNode* ControlNodeList::at(std::int32_t n) const
{
    if (n < 1 || n > count()) return nullptr;
    return nodes_[static_cast<std::size_t>(n - 1)].get();
}

ControlNode* ControlNodeList::add(const ControlNode& node)
{
    nodes_.push_back(std::make_unique<ControlNode>(node));
    ControlNode* stored = nodes_.back().get();
    stored->next = nullptr;
    stored->nr = count();
    return stored;
}

void ControlNodeList::adopt_order(const std::vector<ControlNode*>& order)
{
    std::map<const ControlNode*, std::size_t> position;
    for (std::size_t i = 0; i < nodes_.size(); ++i) position[nodes_[i].get()] = i;
    std::vector<std::unique_ptr<ControlNode>> kept;
    std::set<const ControlNode*> in_order;
    for (ControlNode* node : order) {
        const auto at = position.find(node);
        if (at == position.end() || !nodes_[at->second] || !in_order.insert(node).second) continue;
        kept.push_back(std::move(nodes_[at->second]));
        kept.back()->nr = static_cast<std::int32_t>(kept.size());
    }
    for (auto& node : kept)
        for_each_node_reference(*node, [&](ControlNode*& ref) {
            if (ref && position.count(ref) && !in_order.count(ref)) ref = nullptr;
        });
    for (auto& node : kept)
        if (auto* list = std::get_if<InputListData>(&node->data))
            std::erase(list->inputs, nullptr);
    nodes_ = std::move(kept);
}

namespace {

// The node of other's list at the position of node in from, in to.
ControlNode* same_position(const ControlNodeList& from, const ControlNodeList& to, const ControlNode* node)
{
    if (!node) return nullptr;
    std::int32_t k = 1;
    for (const ControlNode& n : from) {
        if (&n == node) return to.at(k);
        ++k;
    }
    return nullptr;
}

}  // namespace

SuperElement::SuperElement(const SuperElement& other) : NamedLink<SuperElement>(other)
{
    f = other.f;
    nodes = other.nodes;
    sketch = other.sketch;
    input = same_position(other.nodes, nodes, other.input);
    output = same_position(other.nodes, nodes, other.output);
}

SuperElement& SuperElement::operator=(const SuperElement& other)
{
    if (this == &other) return *this;
    NamedLink<SuperElement>::operator=(other);
    f = other.f;
    nodes = other.nodes;
    sketch = other.sketch;
    input = same_position(other.nodes, nodes, other.input);
    output = same_position(other.nodes, nodes, other.output);
    return *this;
}

namespace {

// The nodes a node reads: its inputs, and a phantom its instance node.
template <class Visit>
void for_each_input(const ControlNode& node, Visit visit)
{
    if (node.c1) visit(node.c1);
    if (node.c2) visit(node.c2);
    if (const auto* list = std::get_if<InputListData>(&node.data))
        for (const ControlNode* input : list->inputs)
            if (input) visit(input);
}

bool reads_nothing(const ControlNode& node)
{
    if (node.type == kCtSph) return false;
    bool any = false;
    for_each_input(node, [&](const ControlNode*) { any = true; });
    return !any;
}

}  // namespace

int sequence_controls(const std::vector<ControlNode*>& chain, const SuperElement* element,
                      std::vector<ControlNode*>* unsequenced)
{
    std::set<const ControlNode*> done;
    std::vector<ControlNode*> waiting;
    std::int32_t seq = 0;
    for (ControlNode* node : chain) {
        node->seq = 0;
        if (reads_nothing(*node) || (element && node == element->input)) {
            node->seq = ++seq;
            done.insert(node);
        } else {
            waiting.push_back(node);
        }
    }
    if (seq == 0 && !chain.empty()) {
        report_error(ERROR, {element ? "Super Element has no initial controls or Input node" : "No initial controls"});
        if (unsequenced) *unsequenced = waiting;
        return 1;
    }
    for (bool moved = true; moved && !waiting.empty();) {
        moved = false;
        std::vector<ControlNode*> still;
        for (ControlNode* node : waiting) {
            bool ready = true;
            for_each_input(*node, [&](const ControlNode* input) { ready = ready && done.count(input) != 0; });
            if (ready) {
                node->seq = ++seq;
                done.insert(node);
                moved = true;
            } else {
                still.push_back(node);
            }
        }
        waiting = std::move(still);
    }
    if (unsequenced) *unsequenced = waiting;
    if (waiting.empty()) return 0;
    if (element) {
        report_error(ERROR, {"Circular control network in Super Control Element: ", element->name});
        std::string numbers;
        for (const ControlNode* node : waiting) numbers += std::to_string(node->nr) + " ";
        run_log().write("  Unsequenced controls: " + numbers + "\n");
        std::string text = "Unsequenced control nodes:\n";
        int shown = 0;
        for (const ControlNode* node : waiting) {
            const std::string piece = std::to_string(node->nr) + " ";
            if (shown == 11 || text.size() + piece.size() >= 256) break;
            text += piece;
            ++shown;
        }
        show_message(WARNING, {text});
    }
    return 1;
}

}  // namespace avelor
