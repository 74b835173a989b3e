#include "forms/zone_sheet.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "app/diagnostics.h"
#include "model/project.h"
#include "model/species.h"
#include "model/unit_field.h"
#include "sketchpad/palette.h"
#include "sketchpad/zone_detection.h"

namespace avelor {

namespace {

const std::string kNoSchedule = " <none>";
const std::string kNoReaction = " <none>";
const std::vector<std::string> kNoColumns;

// The name rules of every list, as a message: empty when the name passes.
// The same rules and texts as check_name(), which only shows its box.
std::string name_problem(std::string_view name, std::size_t longest)
{
    if (name.empty()) return "Empty name not permitted";
    if (name.find(' ') != std::string_view::npos) return "Blanks not permitted in name";
    if (name.find(',') != std::string_view::npos) return "Commas not permitted in name";
    if (name.find('!') != std::string_view::npos) return "Exclamation points not permitted in name";
    const bool control = std::any_of(name.begin(), name.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
    if (control) return "Tabs and control characters not permitted in name";
    if (name.front() == '*') return "Name may not begin with \"*\"";
    if (name.size() > longest) return "Name is longer than " + std::to_string(longest) + " characters";
    return {};
}

ZoneSheetRefusal refuse(ZonePage page, ZoneField focus, std::string message, int severity = WARNING)
{
    show_message(severity, {message});
    return ZoneSheetRefusal{page, focus, std::move(message), severity};
}

float level_height_of(const Project& project)
{
    return project.current_level ? project.current_level->delHt : 0.0f;
}

bool is_h2o(const Species& species) { return species.name == "H2O"; }

}  // namespace

// ------------------------------------------------------------ schedule page

SchedulePage SchedulePage::make(const Project& project, UnitKind kind, const ControlValuesLink& link,
                                WeekSchedule* current, bool network_control)
{
    SchedulePage page;
    page.schedule_kind = kind;
    page.network_control = network_control;
    auto named = [](const std::string& file) { return !file.empty() && file != "null"; };
    page.cvf_file = named(project.rc.continuous_values_file);
    page.dvf_file = named(project.rc.discrete_values_file);
    page.cdvf = link;
    page.cvf_columns = project.cvf_values.names;
    page.dvf_columns = project.dvf_values.names;
    // A stored column the loaded file lacks is cleared, not replaced by
    // another column: leaving the page then asks for a choice. Without the
    // file's names (it could not be read) the stored name stays as it is.
    if ((page.cdvf.kind == 1 || page.cdvf.kind == 2) && !page.column_choices().empty()) {
        const std::vector<std::string>& columns = page.column_choices();
        if (std::find(columns.begin(), columns.end(), page.cdvf.name) == columns.end()) page.cdvf.name.clear();
    }
    page.reload(project, current);
    return page;
}

void SchedulePage::reload(const Project& project, WeekSchedule* choose)
{
    schedules.clear();
    for (WeekSchedule& w : project.week_schedules)
        if (w.utyp == kind_number(schedule_kind) || &w == choose) schedules.push_back(&w);
    auto at = std::find(schedules.begin(), schedules.end(), choose);
    schedule = choose && at != schedules.end() ? static_cast<int>(at - schedules.begin()) + 1 : 0;
}

WeekSchedule* SchedulePage::chosen() const
{
    return schedule > 0 && schedule <= static_cast<int>(schedules.size())
               ? schedules[static_cast<std::size_t>(schedule - 1)]
               : nullptr;
}

std::vector<std::string> SchedulePage::schedule_choices() const
{
    std::vector<std::string> choices{kNoSchedule};
    for (const WeekSchedule* w : schedules) choices.push_back(w->name);
    return choices;
}

bool SchedulePage::choose_schedule(int index)
{
    if (index < 0 || index > static_cast<int>(schedules.size())) return false;
    schedule = index;
    return true;
}

std::string SchedulePage::description() const
{
    const WeekSchedule* w = chosen();
    return w ? w->desc : std::string();
}

bool SchedulePage::set_control_kind(int kind)
{
    if (kind == 1 && !cvf_enabled()) return false;
    if (kind == 2 && !dvf_enabled()) return false;
    if (kind < 0 || kind > 2) return false;
    cdvf.kind = static_cast<std::int16_t>(kind);
    fit_column();
    return true;
}

const std::vector<std::string>& SchedulePage::column_choices() const
{
    if (cdvf.kind == 1) return cvf_columns;
    if (cdvf.kind == 2) return dvf_columns;
    return kNoColumns;
}

bool SchedulePage::choose_column(std::string_view name)
{
    const std::vector<std::string>& columns = column_choices();
    if (std::find(columns.begin(), columns.end(), name) == columns.end()) return false;
    cdvf.name = std::string(name);
    return true;
}

void SchedulePage::fit_column()
{
    if (cdvf.kind != 1 && cdvf.kind != 2) return;
    const std::vector<std::string>& columns = column_choices();
    if (!cdvf.name.empty() && std::find(columns.begin(), columns.end(), cdvf.name) == columns.end())
        cdvf.name.clear();
    if (cdvf.name.empty() && !columns.empty()) cdvf.name = columns.front();
}

std::string SchedulePage::control_status() const
{
    if (network_control) return "Controlled via the control network";
    if (cdvf.kind == 1) return "Controlled directly by CVF";
    if (cdvf.kind == 2) return "Controlled directly by DVF";
    if (has_schedule()) return "Controlled by a schedule";
    return "Not controlled";
}

std::optional<std::string> SchedulePage::leave() const
{
    if ((cdvf.kind == 1 || cdvf.kind == 2) && cdvf.name.empty()) {
        std::string message = "A column must be selected from the cvf/dvf file.";
        show_message(ERROR, {message});
        return message;
    }
    return std::nullopt;
}

// --------------------------------------------------------------- zone sheet

int count_cfd_zones(const Project& project)
{
    int n = 0;
    for (const Zone& zone : project.zones)
        if (zone.flags & kZoneCfd) ++n;
    return n;
}

ZoneSheet::ZoneSheet(Project& project, Zone copy, std::int32_t number, SketchGrid* grid, GridCell cell)
    : project_(&project),
      copy_(std::move(copy)),
      number_(number),
      grid_(grid),
      cell_(cell),
      height_(level_height_of(project))
{
    // The count is taken afresh from the list each time a sheet opens, so
    // that no stored counter can drift from the flags themselves.
    for (const Zone& zone : project.zones)
        if ((zone.flags & kZoneCfd) && zone.nr != number_) ++other_cfd_zones_;
    name_text_ = copy_.name;
    cfd_id_text_ = copy_.cfd_name;
    copy_.CC0.resize(static_cast<std::size_t>(project.nctm()), 0.0f);
    schedule_ = SchedulePage::make(project, UnitKind::Temperature, copy_.cdvf, copy_.schedule,
                                   copy_.control != nullptr);
    show(ZonePage::ZoneData);
}

ZoneSheet ZoneSheet::for_new_zone(Project& project, SketchGrid& grid, GridCell cell)
{
    Zone zone = new_zone(project);
    zone.level = project.current_level;
    if (project.rc.showGeom != 0) {
        const double area = region_floor_area(grid, cell.row, cell.col, project.rc.scale);
        zone.Vol = static_cast<float>(area * level_height_of(project));
    }
    return ZoneSheet(project, std::move(zone), 0, &grid, cell);
}

ZoneSheet ZoneSheet::for_zone(Project& project, std::int32_t number)
{
    std::optional<Zone> copy = project.zones.get(number);
    return ZoneSheet(project, copy ? std::move(*copy) : new_zone(project), copy ? number : 0, nullptr, {});
}

std::string ZoneSheet::level_name() const
{
    const Level* level = copy_.level ? copy_.level : project_->current_level;
    return level ? level->name : std::string();
}

// ---- pages

void ZoneSheet::show(ZonePage page)
{
    page_ = page;
    const auto i = static_cast<std::size_t>(page);
    if (shown_[i]) return;
    shown_[i] = true;
    if (page == ZonePage::ZoneData && height_ <= 0.01f)
        show_message(WARNING, {"Height of this level is < 0.01 and must be increased."});
    if (page == ZonePage::ContaminantData) contaminant_ = project_->nctm() > 0 ? 0 : -1;
    if (page == ZonePage::ContaminantData && contaminant_ >= 0)
        concentration_unit_ = project_->Ctm[0]->u[0];
}

std::optional<ZoneSheetRefusal> ZoneSheet::select_page(ZonePage page)
{
    if (page == page_) return std::nullopt;
    if (auto refusal = leave()) return refusal;
    show(page);
    return std::nullopt;
}

std::optional<ZoneSheetRefusal> ZoneSheet::leave()
{
    switch (page_) {
    case ZonePage::ZoneData: return leave_zone_data();
    case ZonePage::ContaminantData: return leave_contaminants();
    case ZonePage::DetailedZone: return leave_detailed();
    case ZonePage::Schedule:
        if (auto message = schedule_.leave())
            return ZoneSheetRefusal{ZonePage::Schedule, ZoneField::ControlColumn, *message, ERROR};
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<ZoneSheetRefusal> ZoneSheet::leave_zone_data()
{
    std::string problem = name_problem(name_text_, kZoneNameLength);
    if (problem.empty()) {
        const Level* level = copy_.level ? copy_.level : project_->current_level;
        for (const Zone& zone : project_->zones)
            if (zone.nr != number_ && zone.level == level && zone.name == name_text_) {
                problem =
                    "The Zone Name must not match another on this level.\n"
                    "You can either enter a different name or CANCEL.";
                break;
            }
    }
    if (!problem.empty()) {
        name_text_ = copy_.name;
        return refuse(ZonePage::ZoneData, ZoneField::Name, std::move(problem));
    }
    copy_.name = name_text_;
    return std::nullopt;
}

std::optional<ZoneSheetRefusal> ZoneSheet::leave_contaminants()
{
    bool any = false;
    for (const Species* species : project_->Ctm)
        if (species->t == 1 && !is_h2o(*species)) any = true;
    if (any && std::fabs(nontrace_sum() - 1.0) > 0.01)
        return refuse(ZonePage::ContaminantData, ZoneField::Concentration,
                      "Concentrations of non-trace contaminants must sum to 1");
    return std::nullopt;
}

std::optional<ZoneSheetRefusal> ZoneSheet::leave_detailed()
{
    const std::array<float, 8>& a = copy_.axis;
    if (copy_.axs > 0 && a[2] != a[5] && (a[0] != a[3] || a[1] != a[4]))
        show_message(WARNING, {"The axis should be horizontal or vertical."});
    if (cfd_id_text_.empty()) {
        if (copy_.flags & kZoneCfd)
            return refuse(ZonePage::DetailedZone, ZoneField::CfdId, "The CFD Zone ID cannot be blank for a CFD zone.");
        return std::nullopt;
    }
    std::string problem = name_problem(cfd_id_text_, kCfdIdLength);
    if (problem.empty())
        for (const Zone& zone : project_->zones)
            if (zone.nr != number_ && zone.cfd_name == cfd_id_text_) {
                problem = "The CFD Zone ID given is already used by another zone.";
                break;
            }
    if (!problem.empty()) return refuse(ZonePage::DetailedZone, ZoneField::CfdId, std::move(problem));
    return std::nullopt;
}

// ---- numeric fields

const Species* ZoneSheet::selected_species() const
{
    if (contaminant_ < 0 || contaminant_ >= project_->nctm()) return nullptr;
    return project_->Ctm[static_cast<std::size_t>(contaminant_)];
}

std::optional<ZoneSheet::FieldInfo> ZoneSheet::field_info(ZoneField field) const
{
    auto length = [&](int i) {
        return FieldInfo{&copy_.axis[static_cast<std::size_t>(i)], UnitKind::Length,
                         copy_.axis_u[kAxisUnitLength], NO_LIMIT, nullptr};
    };
    switch (field) {
    case ZoneField::Volume: return FieldInfo{&copy_.Vol, UnitKind::Volume, copy_.u[kZoneUnitVolume], 0.0f, nullptr};
    case ZoneField::FloorArea:
        floor_area_ = height_ > 0.01f ? static_cast<float>(static_cast<double>(copy_.Vol) / height_) : 0.0f;
        return FieldInfo{&floor_area_, UnitKind::Area, copy_.u[kZoneUnitVolume], 0.0f, nullptr};
    case ZoneField::Temperature:
        return FieldInfo{&copy_.T0, UnitKind::Temperature, copy_.u[kZoneUnitTemperature], NO_LIMIT, nullptr};
    case ZoneField::Pressure:
        return FieldInfo{&copy_.P0, UnitKind::Pressure, copy_.u[kZoneUnitPressure], NO_LIMIT, nullptr};
    case ZoneField::Concentration: {
        const Species* species = selected_species();
        if (!species) return std::nullopt;
        return FieldInfo{&copy_.CC0[static_cast<std::size_t>(contaminant_)], concentration_kind(*species),
                         concentration_unit_, 0.0f, species};
    }
    case ZoneField::Point1X: return length(0);
    case ZoneField::Point1Y: return length(1);
    case ZoneField::Point1Elevation: return length(2);
    case ZoneField::Point2X: return length(3);
    case ZoneField::Point2Y: return length(4);
    case ZoneField::Point2Elevation: return length(5);
    case ZoneField::CellSize: {
        FieldInfo s = length(6);
        s.lower = kLeastCellSize;
        return s;
    }
    case ZoneField::Dispersion:
        return FieldInfo{&copy_.axis[7], UnitKind::Diffusivity, copy_.axis_u[kAxisUnitDispersion], NO_LIMIT, nullptr};
    default: return std::nullopt;
    }
}

bool ZoneSheet::enter(ZoneField field, std::string_view text)
{
    const bool one_d = field >= ZoneField::Point1X && field <= ZoneField::Dispersion;
    if (one_d && !one_d_enabled()) return false;
    if (field == ZoneField::Pressure && !pressure_enabled()) return false;
    std::optional<FieldInfo> s = field_info(field);
    if (!s) return false;
    // The sheet itself is not const here, so neither is the value.
    float& value = *const_cast<float*>(s->value);
    UnitField edit(value, s->kind, s->unit, s->lower, NO_LIMIT, s->species);
    if (!edit.validate(text)) return false;
    if (field == ZoneField::FloorArea)
        copy_.Vol = static_cast<float>(static_cast<double>(floor_area_) * static_cast<double>(height_));
    return true;
}

bool ZoneSheet::set(ZoneField field, double value)
{
    // Nine significant digits carry every float the field can take.
    return enter(field, format_number(value, 0, 9));
}

std::string ZoneSheet::shown_text(ZoneField field) const
{
    std::optional<FieldInfo> s = field_info(field);
    if (!s) return {};
    const float shown = convert_units(*s->value, true, s->kind, s->unit, s->species);
    if (s->kind == UnitKind::Pressure) return format_number(shown, 4, 6);
    return format_number(shown, 3, 5);
}

int ZoneSheet::unit(ZoneField field) const
{
    std::optional<FieldInfo> s = field_info(field);
    return s ? s->unit : 0;
}

bool ZoneSheet::set_unit(ZoneField field, int index)
{
    std::optional<FieldInfo> s = field_info(field);
    if (!s || !unit_index_valid(s->kind, index)) return false;
    const auto u = static_cast<std::int16_t>(index);
    switch (field) {
    case ZoneField::Volume:
    case ZoneField::FloorArea:
        if (!unit_index_valid(UnitKind::Volume, index) || !unit_index_valid(UnitKind::Area, index)) return false;
        copy_.u[kZoneUnitVolume] = u;
        return true;
    case ZoneField::Temperature: copy_.u[kZoneUnitTemperature] = u; return true;
    case ZoneField::Pressure: copy_.u[kZoneUnitPressure] = u; return true;
    case ZoneField::Concentration: {
        // Only the display changes; a unit the species cannot support
        // keeps the previous one (the converter has said why).
        if (!convert_units_checked(1.0f, true, s->kind, index, s->species).ok()) return false;
        concentration_unit_ = index;
        return true;
    }
    case ZoneField::Dispersion: copy_.axis_u[kAxisUnitDispersion] = u; return true;
    default: copy_.axis_u[kAxisUnitLength] = u; return true;  // the 1D lengths share one unit box
    }
}

// ---- "Zone Data"

void ZoneSheet::set_variable_pressure(bool on)
{
    if (on)
        copy_.flags |= kZoneVariablePressure;
    else
        copy_.flags &= static_cast<std::uint16_t>(~kZoneVariablePressure);
}

bool ZoneSheet::set_colour(int index)
{
    if (index < -1 || index >= kSketchColourCount) return false;
    copy_.clr = static_cast<std::int16_t>(index);
    return true;
}

// ---- "Contaminant Data"

void ZoneSheet::set_variable_contaminants(bool on)
{
    if (on)
        copy_.flags |= kZoneVariableContaminants;
    else
        copy_.flags &= static_cast<std::uint16_t>(~kZoneVariableContaminants);
}

std::vector<std::string> ZoneSheet::contaminant_names() const
{
    std::vector<std::string> names;
    for (const Species* species : project_->Ctm) names.push_back(species->name);
    return names;
}

bool ZoneSheet::concentrations_enabled() const { return project_->nctm() > 0; }

bool ZoneSheet::select_contaminant(int index)
{
    if (index < 0 || index >= project_->nctm()) return false;
    contaminant_ = index;
    concentration_unit_ = project_->Ctm[static_cast<std::size_t>(index)]->u[0];
    return true;
}

UnitKind ZoneSheet::concentration_kind_shown() const
{
    const Species* species = selected_species();
    return species ? concentration_kind(*species) : UnitKind::Concentration;
}

double ZoneSheet::nontrace_sum() const
{
    double sum = 0;
    for (std::size_t i = 0; i < project_->Ctm.size(); ++i) {
        const Species& species = *project_->Ctm[i];
        if (species.t == 1 && !is_h2o(species)) sum += copy_.CC0[i];
    }
    return sum;
}

std::vector<std::string> ZoneSheet::reaction_choices() const
{
    std::vector<std::string> choices{kNoReaction};
    for (const KineticReaction& reaction : project_->reactions) choices.push_back(reaction.name);
    return choices;
}

int ZoneSheet::reaction_choice() const
{
    int i = 1;
    for (const KineticReaction& reaction : project_->reactions) {
        if (&reaction == copy_.reaction) return i;
        ++i;
    }
    return 0;
}

bool ZoneSheet::choose_reaction(int index)
{
    if (index == 0) {
        copy_.reaction = nullptr;
        return true;
    }
    int i = 1;
    for (KineticReaction& reaction : project_->reactions) {
        if (i++ == index) {
            copy_.reaction = &reaction;
            return true;
        }
    }
    return false;
}

// ---- "Detailed Zone"

ZoneType ZoneSheet::zone_type() const
{
    if (copy_.flags & kZoneCfd) return ZoneType::Cfd;
    return copy_.axs > 0 ? ZoneType::OneDimensional : ZoneType::Normal;
}

bool ZoneSheet::set_zone_type(ZoneType type)
{
    if (type == ZoneType::Cfd && !cfd_enabled()) return false;
    if (type == ZoneType::OneDimensional) {
        if (copy_.axs < 0)
            copy_.axs = static_cast<std::int16_t>(-copy_.axs);
        else if (copy_.axs == 0)
            copy_.axs = 1;
        copy_.flags &= static_cast<std::uint16_t>(~kZoneCfd);
    } else {
        // The orientation is kept, negated, for a later return to 1D.
        if (copy_.axs > 0) copy_.axs = static_cast<std::int16_t>(-copy_.axs);
        if (type == ZoneType::Cfd)
            copy_.flags |= kZoneCfd;
        else
            copy_.flags &= static_cast<std::uint16_t>(~kZoneCfd);
    }
    if (copy_.axs > 0 && copy_.axis[6] == 0 && copy_.axis[7] == 0) {
        copy_.axis[6] = 0.1f;
        copy_.axis[7] = 0.1f;
    }
    return true;
}

bool ZoneSheet::set_axis_orientation(int axs)
{
    if (!one_d_enabled() || axs < 1 || axs > 4) return false;
    copy_.axs = static_cast<std::int16_t>(axs);
    return true;
}

// ---- accepting

std::optional<ZoneSheetRefusal> ZoneSheet::accept()
{
    if (accepted_) return std::nullopt;
    if (auto refusal = leave()) return refusal;
    store();
    accepted_ = true;
    return std::nullopt;
}

void ZoneSheet::store()
{
    if (shown(ZonePage::DetailedZone)) copy_.cfd_name = cfd_id_text_;
    copy_.cdvf = schedule_.cdvf;
    copy_.schedule = schedule_.chosen();
    Project& p = *project_;
    if (number_ > 0) {
        p.zones.put(number_, copy_);
    } else {
        Zone* zone = add_zone(p, copy_);
        number_ = zone->nr;
        if (grid_ && grid_->in_grid(cell_.row, cell_.col)) {
            SketchGrid& g = *grid_;
            g.current().Paths(cell_.row, cell_.col) = number_;
            seed_fill(g, kCurrentLevel, cell_.row, cell_.col, number_);
            // The region was undefined; any error colour it showed is stale.
            const LevelCells& l = g.current();
            for (std::size_t i = 0; i < g.cells(); ++i)
                if (l.Zones[i] == number_ && g.Scolors[i] == g.colours.errors) g.Scolors[i] = g.colours.background;
            relink_icons(p, g);
        }
    }
    p.mark_changed();
}

// ------------------------------------------------------------ placement

ScreenPoint sheet_position(const ScreenRect& cell, int width, int height, const ScreenRect& monitor,
                           const ScreenRect& work_area)
{
    ScreenPoint at;
    const int right = cell.x + cell.width;
    at.x = right + width <= monitor.x + monitor.width ? right : cell.x - width;
    at.x = std::max(at.x, monitor.x);
    at.y = cell.y;
    const int lowest = work_area.y + work_area.height - kSheetBottomMargin;
    if (at.y + height > lowest) at.y = lowest - height;
    at.y = std::max(at.y, work_area.y);
    return at;
}

// ------------------------------------------------------------ entry points

int create_zone(Project& project, SketchGrid& grid, const ZoneSheetDialog& dialog)
{
    const GridCell at = grid.cursor;
    if (!grid.in_grid(at.row, at.col) || grid.current().Paths(at.row, at.col) != ZONE_UNDEFINED) return 0;
    ZoneSheet sheet = ZoneSheet::for_new_zone(project, grid, at);
    if (!dialog(sheet)) return 0;
    if (!sheet.accepted() && sheet.accept()) return 0;
    return 1;
}

int edit_zone(Project& project, std::int32_t number, const ZoneSheetDialog& dialog)
{
    if (!project.zones.at(number)) return 0;
    ZoneSheet sheet = ZoneSheet::for_zone(project, number);
    if (!dialog(sheet)) return 0;
    if (!sheet.accepted() && sheet.accept()) return 0;
    return 1;
}

}  // namespace avelor
