#include "model/control_node.h"

#include <map>

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

}  // namespace avelor
