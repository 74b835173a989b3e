// The sensor dialogs without the widgets: what a sensor end looks at, the
// terminal question, and the two sensor dialogs over a working copy of the
// sensor node.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "forms/control_node_forms.h"
#include "model/control_node.h"
#include "model/unit_field.h"

namespace avelor {

class Project;
class SketchGrid;

enum class SensorDialogKind { ZoneJunctionOccupant, PathOrDuct };

inline constexpr std::string_view kSensorZoneCaption = "Sensor (zone, junction, or occupant)";
inline constexpr std::string_view kSensorPathCaption = "Sensor (path or duct)";
inline constexpr std::string_view kTerminalSensorCaption = "Terminal Sensor Type";
inline constexpr std::string_view kTerminalSensorPrompt = "Select type of sensor to create for this terminal:";
inline constexpr std::string_view kTerminalZoneChoice = "Mass Fraction, Temperature and Gage Pressure";
inline constexpr std::string_view kTerminalPathChoice = "Flow Rate and Pressure Drop";
inline constexpr std::string_view kSensorNotInZone = " Sensor is not within a defined zone";
inline constexpr std::string_view kSensorNotAdjacent = " Sensor is not adjacent to sensible icon";
inline constexpr std::string_view kNotAtSensor = " Icon is not at a sensor";
inline constexpr std::string_view kNoSpeciesDefined = "No Species defined";
inline constexpr std::string_view kSensorOutputFormula = "Output = (Sensed Value - Offset) * Gain";
inline constexpr std::string_view kSensorCellNote =
    "The values below are only required for Mass fraction zone sensors located within a 1D Cell.";
inline constexpr float kMinSensorGain = 1e-16f;
inline constexpr float kMaxSensorTimeConstant = 86400.0f;
// Node flag: a mass fraction sensor of a one-dimensional zone senses its
// cell rather than the zone average.
inline constexpr std::uint16_t kSensorIn1DCell = 0x04;

// What a sensor senses, as found beside its sensor end.
struct SensedIcon {
    SensorTarget target;
    bool terminal = false;  // a terminal: the terminal question comes first
    bool one_d = false;     // a one-dimensional zone
    SensorDialogKind dialog = SensorDialogKind::ZoneJunctionOccupant;
};
// The icon the sensor end at a cell looks at (181 north, 182 east, 183
// south, 184 west; the duct layer first, then the icon layer), or the
// refusal to show (ERROR) when there is nothing a sensor can sense.
struct SensedLookup {
    std::optional<SensedIcon> icon;
    std::string refusal;
};
SensedLookup sensed_icon(const Project& project, const SketchGrid& grid, int row, int col, ControlEditMode mode);
// A sensor made from the chooser on a node senses the zone of its own cell.
SensedLookup sensed_zone_of_cell(const Project& project, const SketchGrid& grid, int row, int col,
                                 ControlEditMode mode);

// The units a sensed quantity is reported in ("kg/kg", "K", "kg/s", "Pa",
// "-" for occupancy).
std::string_view sensed_units(std::int16_t quantity);

struct SensedChoice {
    std::string_view label;
    std::int16_t quantity;
    bool enabled;
};

class SensorForm {
public:
    // node: a new sensor node or a copy of the one edited; its target
    // becomes the icon's; every other value (the fourth one too) is kept.
    SensorForm(Project& project, const ControlNode& node, const SensedIcon& icon, SensorDialogKind dialog,
               ControlEditMode mode);
    SensorForm(const SensorForm&) = delete;
    SensorForm& operator=(const SensorForm&) = delete;

    SensorDialogKind dialog() const { return dialog_; }
    std::string_view caption() const;
    const ControlNode& working() const { return working_; }
    const SensorData& sensor() const { return *data_; }

    // "Sensed Value".
    std::vector<SensedChoice> sensed_choices() const;
    bool choose_quantity(std::int16_t quantity);
    // The species list of a mass fraction sensor ("No Species defined"
    // without contaminants); index into project species order.
    std::vector<std::string> species_names() const;
    bool species_enabled() const;
    int chosen_species() const;
    bool choose_species(int index);

    // "Sensor Output": Gain (at least 1e-16), Offset, TimeConstant (0 to
    // 86400 s).
    UnitField& field(ControlField which);

    // "Zone Average" or "1D Cell" for a mass fraction sensor of a
    // one-dimensional zone; the cell's X, Y and relative elevation in one
    // length unit.
    bool cell_option_offered() const;
    bool in_cell() const { return (working_.f & kSensorIn1DCell) != 0; }
    bool set_in_cell(bool on);
    bool location_enabled() const { return cell_option_offered() && in_cell(); }
    UnitField& location(int axis);  // 0 X, 1 Y, 2 relative elevation
    int location_unit() const { return data_->u; }
    void set_location_unit(int unit);

    void set_description(std::string_view text);

    ControlAnswer accept();

private:
    bool quantity_enabled(std::int16_t quantity) const;

    Project& project_;
    ControlNode working_;
    SensorData* data_;
    SensedIcon icon_;
    SensorDialogKind dialog_;
    ControlEditMode mode_;
    float dummy_ = 0;  // what the fields are made over before they bind
    UnitField gain_, offset_, tau_;
    UnitField x_, y_, z_;
};

}  // namespace avelor
