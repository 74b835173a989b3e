// The control network: nodes that sense values in the building, transform
// them and drive the elements that take a control signal, and the control
// super elements (reusable sub-networks with their own node list and small
// sketch, placed in the main network as instance nodes).
//
// References between nodes and to the building's records are pointers once
// a project is read; while a section is being read they are numbers, which
// resolve_controls turns into pointers after every section is in.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "app/lists.h"
#include "model/records.h"

namespace avelor {

struct Species;
struct WeekSchedule;
struct DaySchedule;
struct SuperElement;
class Project;

enum ControlType : std::int16_t {
    kCtSns = 0,   // sensor
    kCtSch = 1,   // schedule
    kCtSet = 2,   // constant
    kCtCvf = 3,   // continuous values file name
    kCtDvf = 4,   // discrete values file name
    kCtLog = 5,   // report a value
    kCtPas = 6,   // signal split
    kCtMod = 7,   // modifier
    kCtHys = 8,   // hysteresis
    kCtAbs = 9,
    kCtBin = 10,
    kCtDls = 11,  // scheduled delay
    kCtDlx = 12,  // exponential delay
    kCtInt = 13,  // integrate over time
    kCtRav = 14,  // running average
    kCtInv = 15,
    kCtAnd = 16,
    kCtOr = 17,
    kCtXor = 18,
    kCtAdd = 19,
    kCtSub = 20,
    kCtMul = 21,
    kCtDiv = 22,
    kCtSum = 23,
    kCtAvg = 24,
    kCtMax = 25,
    kCtMin = 26,
    kCtLls = 27,  // lower limit switch
    kCtUls = 28,  // upper limit switch
    kCtLbs = 29,  // lower band switch
    kCtUbs = 30,  // upper band switch
    kCtLlc = 31,  // lower limit control
    kCtUlc = 32,  // upper limit control
    kCtPc1 = 33,  // proportional controller
    kCtPi1 = 34,  // P/I controller
    kCtSup = 35,  // super element instance
    kCtUnused = 36,
    kCtExp = 37,
    kCtLgn = 38,
    kCtLg1 = 39,
    kCtPow = 40,
    kCtSqt = 41,
    kCtPly = 42,  // polynomial
    kCtSin = 43,
    kCtCos = 44,
    kCtTan = 45,
    kCtMdu = 46,
    kCtCel = 47,
    kCtFlr = 48,
    kCtSph = 49,  // phantom of an instance node
};
inline constexpr int kControlTypeCount = 50;
// Coefficients of a polynomial node: order 0..9.
inline constexpr int kMaxPolynomialOrder = 9;

// The file name ("sns") and label ("Sensor") of a type; nullopt outside
// 0..49 and for the unused code 36.
struct ControlTypeInfo {
    std::string_view name;
    std::string_view label;
};
std::optional<ControlTypeInfo> control_type_info(int type);
// The type a file name stands for (the first match of the table), or -1.
int control_type_of(std::string_view name);
// Whether the type takes a varying number of inputs (sum, average,
// maximum, minimum).
inline bool is_input_list_type(int type) { return type >= kCtSum && type <= kCtMin; }
// The inputs a type reads from links: 0 for the types that make a signal
// (sensor, phantom, schedule, constant, values-file names), 2 for the
// two-input operators, switches and limit controls, kManyInputs for the
// input-list types, 1 for every other type.
inline constexpr int kManyInputs = 1000;
int control_inputs_of_type(int type);

// Sensor target kinds and sensed quantities.
enum SensorTargetKind : std::int16_t {
    kSenseZone = 1,
    kSensePath = 2,
    kSenseJunction = 3,
    kSenseDuct = 4,
    kSenseExposure = 5,
    kSenseTerminal = 6,
};
enum SensedQuantity : std::int16_t {
    kSenseMassFraction = 0,
    kSenseTemperature = 1,
    kSenseFlow = 2,
    kSensePressureDrop = 3,
    kSenseGagePressure = 4,
    kSenseOccupancy = 5,
};

// What a sensor looks at: a zone (or the ambient zone), a path, a duct
// segment, an exposure or a junction. The number is the file's (-1 for the
// ambient zone, 0 none); resolve_controls sets the reference from it, and a
// resolved reference gives the number written.
struct SensorTarget {
    std::int16_t kind = kSenseZone;
    std::int32_t nr = 0;
    std::variant<std::monostate, ZoneRef, FlowPath*, DuctSegment*, Exposure*, Junction*> record;
};

struct SensorData {
    float offset = 0, gain = 1, tau = 0;
    float fourth = 0;  // kept as read and written back
    SensorTarget target;
    std::int16_t quantity = kSenseMassFraction;
    float X = 0, Y = 0, relHt = 0;
    std::int16_t u = 0;  // unit of the location
    Species* species = nullptr;  // the contaminant a mass-fraction sensor senses
};
struct ScheduleNodeData {
    WeekSchedule* schedule = nullptr;
};
struct ConstantData {
    float value = 0;
};
struct ValuesNameData {  // cvf, dvf
    std::string name;    // at most 15 characters
};
struct ReportData {
    float offset = 0, gain = 1;
    std::int16_t unit_switch = 0;
    std::string header;  // at most 31 characters
    std::string units;   // at most 15 characters
};
struct ModifierData {
    float offset = 0, gain = 1;
};
struct HysteresisData {
    float a = 0, b = 0, slack = 0;
};
struct DelayScheduleData {
    DaySchedule* first = nullptr;
    DaySchedule* second = nullptr;
};
struct DelayTimesData {
    std::int32_t first = 0, second = 0;  // seconds
};
struct RunningAverageData {
    std::int32_t time = 0;  // seconds
};
struct InputListData {  // sum, avg, max, min
    std::vector<ControlNode*> inputs;
    std::vector<std::int32_t> numbers;  // while reading
};
struct BandData {
    float width = 0;
};
struct ProportionalData {
    float Kp = 0;
};
struct PiData {
    float Kp = 0, Ki = 0, v3 = 0, v4 = 0;
};
struct SuperInstanceData {
    std::int16_t value = 0;  // kept as read and written back
    SuperElement* element = nullptr;
    ControlNode* input = nullptr;   // among the copies
    ControlNode* output = nullptr;
    std::vector<ControlNode*> copies;  // the element's nodes: the nodes that follow the instance
    std::int32_t element_nr = 0, input_nr = 0, output_nr = 0;  // while reading
};
struct PolynomialData {
    std::vector<float> coefficients;  // order + 1
};

using ControlData = std::variant<std::monostate, SensorData, ScheduleNodeData, ConstantData, ValuesNameData,
                                 ReportData, ModifierData, HysteresisData, DelayScheduleData, DelayTimesData,
                                 RunningAverageData, InputListData, BandData, ProportionalData, PiData,
                                 SuperInstanceData, PolynomialData>;

struct ControlNode : ListLink<ControlNode> {
    std::int16_t type = kCtSet;
    std::int32_t seq = 0;   // evaluation order; 0 = not sequenced
    std::uint16_t f = 0;    // flags
    std::int16_t n = 0;     // inputs
    ControlNode* c1 = nullptr;
    ControlNode* c2 = nullptr;
    std::int32_t c1_nr = 0, c2_nr = 0;  // while reading
    std::string name;  // at most 15 characters
    std::string desc;  // one line
    std::int32_t link_count = 0;  // link icons that show the node
    std::int32_t ref_count = 0;   // phantoms of an instance node
    ControlData data;
};

// The data a type starts with (empty for the types that have none).
ControlData new_control_data(int type);

// A super element's own nodes, numbered 1..size by position. Copies are
// deep: references among the list's nodes are turned to the copies.
class ControlNodeList {
public:
    ControlNodeList() = default;
    ControlNodeList(const ControlNodeList& other);
    ControlNodeList& operator=(const ControlNodeList& other);
    ControlNodeList(ControlNodeList&&) noexcept = default;
    ControlNodeList& operator=(ControlNodeList&&) noexcept = default;
    ~ControlNodeList() = default;

    std::int32_t count() const { return static_cast<std::int32_t>(nodes_.size()); }
    // Node n (1-based); nullptr outside 1..count.
    ControlNode* at(std::int32_t n) const;
    // Appends a copy numbered count + 1.
    ControlNode* add(const ControlNode& node);
    // Renumbers the list 1..order.size() in the given order (nodes of the
    // list, each at most once); the nodes left out are dropped, and every
    // reference to one of them, from the nodes kept, becomes none.
    void adopt_order(const std::vector<ControlNode*>& order);
    void clear() { nodes_.clear(); }

    class Iterator {
    public:
        explicit Iterator(const std::unique_ptr<ControlNode>* p) : p_(p) {}
        ControlNode& operator*() const { return **p_; }
        ControlNode* operator->() const { return p_->get(); }
        Iterator& operator++()
        {
            ++p_;
            return *this;
        }
        bool operator==(const Iterator&) const = default;

    private:
        const std::unique_ptr<ControlNode>* p_;
    };
    Iterator begin() const { return Iterator(nodes_.data()); }
    Iterator end() const { return Iterator(nodes_.data() + nodes_.size()); }

private:
    std::vector<std::unique_ptr<ControlNode>> nodes_;
};

// One icon of a super element's private sketch.
struct SketchIcon {
    std::int16_t code = 0;
    std::int16_t col = 0;
    std::int16_t row = 0;
    std::int32_t nr = 0;
    bool operator==(const SketchIcon&) const = default;
};

struct SuperElement : NamedLink<SuperElement> {
    std::uint16_t f = 0;
    ControlNode* input = nullptr;   // in nodes
    ControlNode* output = nullptr;  // in nodes
    ControlNodeList nodes;
    std::vector<SketchIcon> sketch;  // the level "SEsketch"

    SuperElement() = default;
    SuperElement(const SuperElement& other);
    SuperElement& operator=(const SuperElement& other);
    SuperElement(SuperElement&&) noexcept = default;
    SuperElement& operator=(SuperElement&&) noexcept = default;
    ~SuperElement() = default;
};
// Super element flags: the element passed its check ("Element defined?");
// its sensors take the target of the cell the instance node sits in.
inline constexpr std::uint16_t kSuperDefined = 0x01;
inline constexpr std::uint16_t kSuperSensorsFollowCell = 0x02;

// Descriptions of super elements hold up to this many characters.
inline constexpr std::size_t kSuperDescriptionLimit = 254;

// Gives the nodes of a chain (the main network, or a super element's own
// list with the element) their sequence numbers, so that every node comes
// after the nodes it reads: first the nodes that read none (and a super
// element's input node) in chain order, then in passes over the rest each
// node whose inputs all have their number, until a pass numbers none.
// Returns 0 when every node has its number. A chain that cannot start is a
// counted ERROR ("No initial controls", or for a super element "Super
// Element has no initial controls or Input node"); the nodes left over
// (a circular network) are given in unsequenced, and for a super element
// reported as well. Nodes left over keep sequence number 0.
int sequence_controls(const std::vector<ControlNode*>& chain, const SuperElement* element,
                      std::vector<ControlNode*>* unsequenced = nullptr);

// The references of a node that name nodes: its two inputs, a list node's
// inputs, an instance node's input, output and copies.
template <class Visit>
void for_each_node_reference(ControlNode& node, Visit visit)
{
    visit(node.c1);
    visit(node.c2);
    if (auto* list = std::get_if<InputListData>(&node.data))
        for (ControlNode*& input : list->inputs) visit(input);
    if (auto* instance = std::get_if<SuperInstanceData>(&node.data)) {
        visit(instance->input);
        visit(instance->output);
        for (ControlNode*& copy : instance->copies) visit(copy);
    }
}

}  // namespace avelor
