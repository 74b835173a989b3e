#include "forms/control_sensor_form.h"

#include <array>

#include "app/diagnostics.h"
#include "forms/sheet_parts.h"
#include "model/cell_codes.h"
#include "model/project.h"
#include "sketchpad/sketch_grid.h"

namespace avelor {

namespace {

bool path_icon(std::uint8_t code)
{
    return (code >= ICN_PATH && code <= 31 && has_flag(code, CC_PATH_ICON)) || code == ICN_SUPPLY ||
           code == ICN_RETURN;
}

SensedLookup refused(std::string_view text)
{
    SensedLookup out;
    out.refusal = std::string(text);
    return out;
}

SensedLookup found(SensorTarget target, SensorDialogKind dialog, bool one_d = false, bool terminal = false)
{
    SensedLookup out;
    SensedIcon icon;
    icon.target = std::move(target);
    icon.dialog = dialog;
    icon.one_d = one_d;
    icon.terminal = terminal;
    out.icon = icon;
    return out;
}

}  // namespace

SensedLookup sensed_zone_of_cell(const Project& project, const SketchGrid& grid, int row, int col,
                                 ControlEditMode mode)
{
    SensorTarget target;
    target.kind = kSenseZone;
    if (mode == ControlEditMode::SuperElement) return found(target, SensorDialogKind::ZoneJunctionOccupant);
    const std::int32_t z = grid.current().Zones(row, col);
    if (z == ZONE_UNDEFINED || z == ZONE_WALL) return refused(kSensorNotInZone);
    if (z > 0) {
        Zone* zone = project.zones.at(z);
        if (!zone) return refused(kSensorNotInZone);
        target.nr = z;
        target.record = ZoneRef(zone);
        return found(target, SensorDialogKind::ZoneJunctionOccupant, zone->axs != 0);
    }
    target.nr = -1;
    target.record = ZoneRef::ambient();
    return found(target, SensorDialogKind::ZoneJunctionOccupant);
}

SensedLookup sensed_icon(const Project& project, const SketchGrid& grid, int row, int col, ControlEditMode mode)
{
    const LevelCells& l = grid.current();
    const std::uint8_t end = l.Links(row, col);
    static constexpr std::array<GridCell, 4> kLook{{{-1, 0}, {0, 1}, {1, 0}, {0, -1}}};
    if (end < 181 || end > 184) return refused(kNotAtSensor);
    const GridCell d = kLook[static_cast<std::size_t>(end - 181)];
    const int r = row + d.row;
    const int c = col + d.col;
    if (!grid.in_grid(r, c)) return refused(kSensorNotAdjacent);
    const std::int32_t n = l.Paths(r, c);

    const std::uint8_t duct = l.Ducts(r, c);
    SensorTarget target;
    target.nr = n;
    if (is_segment_icon(duct)) {
        DuctSegment* segment = project.ducts.at(n);
        if (!segment) return refused(kSensorNotAdjacent);
        target.kind = kSenseDuct;
        target.record = segment;
        return found(target, SensorDialogKind::PathOrDuct);
    }
    if (is_duct_node(duct)) {
        Junction* junction = project.junctions.at(n);
        if (!junction) return refused(kSensorNotAdjacent);
        const bool terminal = duct >= ICN_TERMINAL && duct <= ICN_LAST_DUCT_NODE;
        target.kind = terminal ? kSenseTerminal : kSenseJunction;
        target.record = junction;
        return found(target, SensorDialogKind::ZoneJunctionOccupant, false, terminal);
    }

    const std::uint8_t icon = l.Sketch(r, c);
    if (icon == 0 || icon == ICN_ZONE || icon == ICN_PHANTOM || icon == ICN_AMBIENT)
        return sensed_zone_of_cell(project, grid, row, col, mode);
    if (path_icon(icon)) {
        FlowPath* path = project.paths.at(n);
        if (!path) return refused(kSensorNotAdjacent);
        target.kind = kSensePath;
        target.record = path;
        return found(target, SensorDialogKind::PathOrDuct);
    }
    if (icon == ICN_EXPOSURE) {
        Exposure* exposure = project.exposures.at(n);
        if (!exposure) return refused(kSensorNotAdjacent);
        target.kind = kSenseExposure;
        target.record = exposure;
        return found(target, SensorDialogKind::ZoneJunctionOccupant);
    }
    // A simple air-handling system, a source/sink, a note: nothing to sense.
    return refused(kSensorNotAdjacent);
}

std::string_view sensed_units(std::int16_t quantity)
{
    switch (quantity) {
    case kSenseMassFraction: return "kg/kg";
    case kSenseTemperature: return "K";
    case kSenseFlow: return "kg/s";
    case kSensePressureDrop:
    case kSenseGagePressure: return "Pa";
    default: return "-";
    }
}

SensorForm::SensorForm(Project& project, const ControlNode& node, const SensedIcon& icon, SensorDialogKind dialog,
                       ControlEditMode mode)
    : project_(project),
      working_(node),
      data_(nullptr),
      icon_(icon),
      dialog_(dialog),
      mode_(mode),
      gain_(dummy_, UnitKind::Dimensionless, 0),
      offset_(dummy_, UnitKind::Dimensionless, 0),
      tau_(dummy_, UnitKind::Dimensionless, 0),
      x_(dummy_, UnitKind::Length, 0),
      y_(dummy_, UnitKind::Length, 0),
      z_(dummy_, UnitKind::Length, 0)
{
    working_.next = nullptr;
    working_.type = kCtSns;
    if (!std::holds_alternative<SensorData>(working_.data)) working_.data = SensorData{};
    data_ = &std::get<SensorData>(working_.data);
    data_->target = icon_.target;
    gain_ = UnitField(data_->gain, UnitKind::Dimensionless, 0, kMinSensorGain);
    offset_ = UnitField(data_->offset, UnitKind::Dimensionless, 0);
    tau_ = UnitField(data_->tau, UnitKind::Dimensionless, 0, 0.0f, kMaxSensorTimeConstant);
    x_ = UnitField(data_->X, UnitKind::Length, data_->u);
    y_ = UnitField(data_->Y, UnitKind::Length, data_->u);
    z_ = UnitField(data_->relHt, UnitKind::Length, data_->u);
    if (!quantity_enabled(data_->quantity)) {
        for (const SensedChoice& choice : sensed_choices())
            if (choice.enabled) {
                data_->quantity = choice.quantity;
                break;
            }
    }
    if (data_->quantity == kSenseMassFraction && !data_->species && !project_.Ctm.empty())
        data_->species = project_.Ctm.front();
}

std::string_view SensorForm::caption() const
{
    return dialog_ == SensorDialogKind::PathOrDuct ? kSensorPathCaption : kSensorZoneCaption;
}

bool SensorForm::quantity_enabled(std::int16_t quantity) const
{
    if (dialog_ == SensorDialogKind::PathOrDuct) return quantity == kSenseFlow || quantity == kSensePressureDrop;
    const SensorTarget& t = icon_.target;
    const bool exposure = t.kind == kSenseExposure;
    const bool zone = t.kind == kSenseZone;
    const bool ambient = zone && mode_ != ControlEditMode::SuperElement && t.nr == -1;
    switch (quantity) {
    case kSenseMassFraction: return !project_.Ctm.empty();
    case kSenseTemperature: return !exposure;
    case kSenseGagePressure: return !exposure && !ambient;
    case kSenseOccupancy: return zone && !ambient;
    default: return false;
    }
}

std::vector<SensedChoice> SensorForm::sensed_choices() const
{
    std::vector<SensedChoice> out;
    auto add = [&](std::string_view label, std::int16_t q) { out.push_back({label, q, quantity_enabled(q)}); };
    if (dialog_ == SensorDialogKind::PathOrDuct) {
        add("Flow rate [kg/s]", kSenseFlow);
        add("Pressure drop [Pa]", kSensePressureDrop);
    } else {
        add("Temperature [K]", kSenseTemperature);
        add("Mass fraction of contaminant [kg/kg]", kSenseMassFraction);
        add("Gage Pressure [Pa]", kSenseGagePressure);
        add("Zone Occupancy", kSenseOccupancy);
    }
    return out;
}

bool SensorForm::choose_quantity(std::int16_t quantity)
{
    if (!quantity_enabled(quantity)) return false;
    data_->quantity = quantity;
    if (quantity == kSenseMassFraction && !data_->species && !project_.Ctm.empty())
        data_->species = project_.Ctm.front();
    if (!cell_option_offered()) working_.f = static_cast<std::uint16_t>(working_.f & ~kSensorIn1DCell);
    return true;
}

std::vector<std::string> SensorForm::species_names() const
{
    if (project_.Ctm.empty()) return {std::string(kNoSpeciesDefined)};
    std::vector<std::string> out;
    for (const Species* s : project_.Ctm) out.push_back(s->name);
    return out;
}

bool SensorForm::species_enabled() const
{
    return data_->quantity == kSenseMassFraction && !project_.Ctm.empty();
}

int SensorForm::chosen_species() const
{
    for (std::size_t i = 0; i < project_.Ctm.size(); ++i)
        if (project_.Ctm[i] == data_->species) return static_cast<int>(i);
    return -1;
}

bool SensorForm::choose_species(int index)
{
    if (!species_enabled() || index < 0 || static_cast<std::size_t>(index) >= project_.Ctm.size()) return false;
    data_->species = project_.Ctm[static_cast<std::size_t>(index)];
    return true;
}

UnitField& SensorForm::field(ControlField which)
{
    if (which == ControlField::Offset) return offset_;
    if (which == ControlField::TimeConstant) return tau_;
    return gain_;
}

bool SensorForm::cell_option_offered() const
{
    return dialog_ == SensorDialogKind::ZoneJunctionOccupant && icon_.target.kind == kSenseZone && icon_.one_d &&
           data_->quantity == kSenseMassFraction;
}

bool SensorForm::set_in_cell(bool on)
{
    if (on && !cell_option_offered()) return false;
    working_.f = static_cast<std::uint16_t>(on ? (working_.f | kSensorIn1DCell) : (working_.f & ~kSensorIn1DCell));
    return true;
}

UnitField& SensorForm::location(int axis)
{
    if (axis == 1) return y_;
    if (axis == 2) return z_;
    return x_;
}

void SensorForm::set_location_unit(int unit)
{
    data_->u = static_cast<std::int16_t>(unit);
    x_.set_unit(unit);
    y_.set_unit(unit);
    z_.set_unit(unit);
}

void SensorForm::set_description(std::string_view text)
{
    working_.desc = one_line(text, kControlDescriptionLimit);
}

ControlAnswer SensorForm::accept()
{
    // Values read from a file may lie outside the fields' bounds.
    for (auto [field, which] : {std::pair{&gain_, ControlField::Gain}, std::pair{&tau_, ControlField::TimeConstant}}) {
        const float v = field->value();
        const bool out = which == ControlField::Gain ? v < kMinSensorGain : (v < 0 || v > kMaxSensorTimeConstant);
        if (!out) continue;
        LastBox box;
        field->refresh();
        field->validate(field->shown_text());
        return ControlAnswer::refused(WARNING, box.message(), which);
    }
    if (!quantity_enabled(data_->quantity)) {
        std::string text = "Select a sensed value.";
        show_message(WARNING, {text});
        return ControlAnswer::refused(WARNING, text, ControlField::SensedValue);
    }
    if (data_->quantity != kSenseMassFraction) data_->species = nullptr;
    if (!cell_option_offered()) working_.f = static_cast<std::uint16_t>(working_.f & ~kSensorIn1DCell);
    return ControlAnswer::ok();
}

}  // namespace avelor
