// The records of the building network: levels with their icons, zones,
// flow paths, duct junctions and terminals, duct segments, simple
// air-handling systems, source/sink instances, exposures and annotations.
//
// References to other records are pointers in memory and record numbers in
// files (0 for none). A zone reference may also be the ambient zone, which
// files write as -1.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/lists.h"

namespace avelor {

struct AirflowElement;
struct ControlNode;
struct DuctElement;
struct Filter;
struct KineticReaction;
struct OccupancySchedule;
struct SourceElement;
struct Species;
struct WeekSchedule;
struct WindProfile;
struct Zone;
struct DuctSegment;
struct SimpleAhs;
struct Level;

// A zone reference: none, the ambient zone, or a zone record.
class ZoneRef {
public:
    ZoneRef() = default;
    ZoneRef(Zone* zone) : zone_(zone) {}  // NOLINT: a zone converts to its reference
    static ZoneRef ambient()
    {
        ZoneRef r;
        r.ambient_ = true;
        return r;
    }
    bool is_none() const { return !ambient_ && !zone_; }
    bool is_ambient() const { return ambient_; }
    Zone* zone() const { return zone_; }
    bool operator==(const ZoneRef&) const = default;

private:
    Zone* zone_ = nullptr;
    bool ambient_ = false;
};

// A control-values link: kind 0 none, 1 or 2 with a name.
struct ControlValuesLink {
    std::int16_t kind = 0;
    std::string name;  // at most 15 characters
    bool operator==(const ControlValuesLink&) const = default;
};

// One SketchPad cell that holds an icon: the persistent form of a level.
struct IconEntry {
    std::int16_t row = 0;
    std::int16_t col = 0;
    std::uint8_t code = 0;
    std::int32_t nr = 0;  // meaning depends on the icon code
    bool operator==(const IconEntry&) const = default;
};

// Icon codes the model itself needs to know.
inline constexpr std::uint8_t kIconSimpleAhs = 130;
inline constexpr std::uint8_t kFirstPathIcon = 23;
inline constexpr std::uint8_t kLastPathIcon = 27;

struct Level : ListLink<Level> {
    float refHt = 0;  // m
    float delHt = 0;  // m, to the level above
    std::array<std::int16_t, 2> u{};  // display units of refHt, delHt
    std::string name;                 // at most 15 characters
    std::vector<IconEntry> icons;
    Level* below = nullptr;
    Level* above = nullptr;
};

// Zone flag bits.
inline constexpr std::uint16_t kZoneVariablePressure = 0x01;
inline constexpr std::uint16_t kZoneVariableContaminants = 0x02;
inline constexpr std::uint16_t kZoneAhs = 0x08;
inline constexpr std::uint16_t kZoneNotInBuildingVolume = 0x10;
inline constexpr std::uint16_t kZoneCfd = 0x20;

struct Zone : ListLink<Zone> {
    std::uint16_t flags = 0;
    float relHt = 0;  // m, floor above its level
    float Vol = 0;    // m³
    float T0 = 0;     // K
    float P0 = 0;     // Pa
    WeekSchedule* schedule = nullptr;
    ControlNode* control = nullptr;
    KineticReaction* reaction = nullptr;
    Level* level = nullptr;
    // One-dimensional zone: first and second axis points (X, Y, relative
    // elevation), cell size, axial dispersion coefficient.
    std::array<float, 8> axis{};
    std::array<std::int16_t, 2> axis_u{};
    std::int16_t axs = 0;  // axis orientation; 0 = not a 1D zone
    std::int16_t clr = -1;
    std::array<std::int16_t, 4> u{};
    std::vector<float> CC0;  // initial concentrations, contaminant order
    std::string name;        // at most 31 characters
    std::string cfd_name;    // at most 15; empty = not a CFD zone
    ControlValuesLink cdvf;
};

// Flow path flag bits.
inline constexpr std::uint16_t kPathWindPressure = 0x01;  // takes wind pressure
inline constexpr std::uint16_t kPathWpcPressure = 0x02;
inline constexpr std::uint16_t kPathWpcConcentration = 0x04;
inline constexpr std::uint16_t kPathAhs = 0x08;
inline constexpr std::uint16_t kPathRecirculation = 0x10;
inline constexpr std::uint16_t kPathOutdoorAir = 0x20;
inline constexpr std::uint16_t kPathExhaust = 0x40;
inline constexpr std::uint16_t kPathNoElementMask = 0x08 | 0x10 | 0x20 | 0x40;

// The three CFD values of a flow path: boundary condition, pressure type,
// and a third one.
inline constexpr int kCfdBoundaryMassFlow = 0;
inline constexpr int kCfdBoundaryPressure = 1;
inline constexpr int kCfdPressureLinear = 1;
inline constexpr int kCfdPressureStagnation = 2;

struct FlowPath : ListLink<FlowPath> {
    std::uint16_t flags = 0;
    ZoneRef zone_n;
    ZoneRef zone_m;
    AirflowElement* element = nullptr;
    Filter* filter = nullptr;
    WindProfile* wind_profile = nullptr;
    SimpleAhs* ahs = nullptr;
    WeekSchedule* schedule = nullptr;
    ControlNode* control = nullptr;
    Level* level = nullptr;
    float X = 0, Y = 0, relHt = 0;
    float mult = 0;
    float wPset = 0;  // constant wind pressure
    float wPmod = 0;  // wind speed modifier
    float wazm = 0;   // wall azimuth
    float Fahs = 0;
    float Xmax = 0, Xmin = 0;
    std::uint8_t icn = 0;
    std::uint8_t dir = 0;
    std::array<std::int16_t, 4> u{};
    ControlValuesLink cdvf;
    std::string cfd_name;  // at most 15; empty = none
    std::array<std::int16_t, 3> cfd_values{};

    bool has_element() const { return (flags & kPathNoElementMask) == 0; }
};

// Junction flag bits: a terminal in the open takes wind pressure (0x01);
// the WPC bits are those of the flow paths.
inline constexpr std::uint16_t kJunctionWind = 0x01;
// Junction t values: a plain junction, a terminal, a terminal in the open.
inline constexpr std::int16_t kJunctionPlain = 0;
inline constexpr std::int16_t kJunctionTerminal = 1;
inline constexpr std::int16_t kJunctionExposed = 3;

// Terminal data of a junction whose terminal flag is set, in file order.
// The stored fields hold, in SI base units:
//   f1: duct area (m2), free face area (m2), design flow rate (kg/s);
//   i1: unit of the design flow rate;
//   f2: terminal loss coefficient, constant wind pressure (Pa), wind
//       pressure modifier, wall azimuth (degrees, -1 not set), balance loss
//       coefficient, maximum balance coefficient (the duct balance results
//       are the last two of the six);
//   i2: unit of the two areas, unit of the wind pressure;
//   b:  balance terminal (1 when it is one), terminal direction (1..6, the
//       direction of flow from the duct into the terminal).
struct TerminalData {
    Filter* filter = nullptr;
    WindProfile* wind_profile = nullptr;
    std::array<float, 3> f1{};
    std::int16_t i1 = 0;
    std::array<float, 6> f2{};
    std::array<std::int16_t, 2> i2{};
    std::array<std::uint8_t, 2> b{};

    float& duct_area() { return f1[0]; }
    float duct_area() const { return f1[0]; }
    float& free_face_area() { return f1[1]; }
    float free_face_area() const { return f1[1]; }
    float& design_flow() { return f1[2]; }
    float design_flow() const { return f1[2]; }
    std::int16_t& design_flow_unit() { return i1; }
    std::int16_t design_flow_unit() const { return i1; }
    float& loss_coefficient() { return f2[0]; }
    float loss_coefficient() const { return f2[0]; }
    float& wind_pressure() { return f2[1]; }
    float wind_pressure() const { return f2[1]; }
    float& wind_modifier() { return f2[2]; }
    float wind_modifier() const { return f2[2]; }
    float& wall_azimuth() { return f2[3]; }
    float wall_azimuth() const { return f2[3]; }
    float& balance_coefficient() { return f2[4]; }
    float balance_coefficient() const { return f2[4]; }
    float& max_balance_coefficient() { return f2[5]; }
    float max_balance_coefficient() const { return f2[5]; }
    std::int16_t& area_unit() { return i2[0]; }
    std::int16_t area_unit() const { return i2[0]; }
    std::int16_t& wind_pressure_unit() { return i2[1]; }
    std::int16_t wind_pressure_unit() const { return i2[1]; }
    std::uint8_t& balance_terminal() { return b[0]; }
    std::uint8_t balance_terminal() const { return b[0]; }
    std::uint8_t& direction() { return b[1]; }
    std::uint8_t direction() const { return b[1]; }
};

// Which display unit of a junction holds which value.
inline constexpr int kJunctionUnitLength = 0;  // X, Y and relative elevation
inline constexpr int kJunctionUnitTemperature = 1;

struct Junction : ListLink<Junction> {
    std::uint16_t flags = 0;
    std::int16_t t = 0;  // 0 junction, 1 terminal
    ZoneRef zone;
    DuctSegment* duct = nullptr;
    // The duct segment number as read, until the segments are read too.
    std::int32_t duct_nr = 0;
    KineticReaction* reaction = nullptr;
    WeekSchedule* schedule = nullptr;
    ControlNode* control = nullptr;
    Level* level = nullptr;
    float X = 0, Y = 0, relHt = 0, T0 = 0, P0 = 0;
    std::uint8_t icon = 0;
    std::int16_t clr = 0;
    std::array<std::int16_t, 4> u{};
    std::vector<float> CC0;
    ControlValuesLink cdvf;
    TerminalData terminal;
};

struct DuctSegment : ListLink<DuctSegment> {
    std::uint16_t flags = 0;
    Junction* junction_n = nullptr;
    Junction* junction_m = nullptr;
    DuctElement* element = nullptr;
    Filter* filter = nullptr;
    WeekSchedule* schedule = nullptr;
    ControlNode* control = nullptr;
    std::uint8_t dir = 0;
    float len = 0, Ain = 0, Aout = 0, sllc = 0;
    std::int16_t clr = 0;
    // Display units: the length's, and that of the segment's derived areas
    // and volume (the same index in both kinds).
    std::array<std::int16_t, 2> u{};
    ControlValuesLink cdvf;
};

// A simple air-handling system: two zones and three paths made with it.
struct SimpleAhs : NamedLink<SimpleAhs> {
    std::int32_t zr = 0, zs = 0;          // return and supply zone numbers
    std::int32_t pr = 0, ps = 0, px = 0;  // recirculation, outdoor-air, exhaust paths
};

struct SourceSink : ListLink<SourceSink> {
    Zone* zone = nullptr;
    SourceElement* element = nullptr;
    WeekSchedule* schedule = nullptr;
    ControlNode* control = nullptr;
    float mult = 0;
    float CC0 = 0;
    std::array<float, 3> box_min{};  // X, Y, H
    std::array<float, 3> box_max{};
    std::int16_t u = 0;
    ControlValuesLink cdvf;
    std::string cfd_name;
};

// One contaminant generation of an occupant.
struct ExposureGeneration {
    Species* species = nullptr;
    WeekSchedule* schedule = nullptr;
    float rate = 0;
    std::int16_t u = 0;
    ControlValuesLink cdvf;
};

struct Exposure : ListLink<Exposure> {
    std::uint16_t flags = 0;
    float mult = 1;
    std::string desc;
    std::array<OccupancySchedule*, 12> occupancy{};  // one per day type
    std::vector<float> exposure;                     // contaminant order
    std::vector<ExposureGeneration> generations;
};

struct Annotation : ListLink<Annotation> {
    std::string text;  // at most 70 characters
};

}  // namespace avelor
