#include "forms/ahs_sheet.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

#include "app/diagnostics.h"
#include "app/lists.h"
#include "forms/path_sheet.h"
#include "model/cell_codes.h"

namespace avelor {

namespace {

const std::string kNoReaction = " <none>";

SimpleAhs* system_numbered(const Project& project, std::int32_t number)
{
    if (number < 1 || static_cast<std::size_t>(number) > project.system_index.size()) return nullptr;
    return project.system_index[static_cast<std::size_t>(number - 1)];
}

std::vector<std::string> reaction_names(const Project& project)
{
    std::vector<std::string> choices{kNoReaction};
    for (const KineticReaction& r : project.reactions) choices.push_back(r.name);
    return choices;
}

int reaction_index(const Project& project, const KineticReaction* reaction)
{
    int i = 1;
    for (const KineticReaction& r : project.reactions) {
        if (&r == reaction) return i;
        ++i;
    }
    return 0;
}

bool reaction_at(Project& project, int index, KineticReaction*& out)
{
    if (index == 0) {
        out = nullptr;
        return true;
    }
    int i = 1;
    for (KineticReaction& r : project.reactions)
        if (i++ == index) {
            out = &r;
            return true;
        }
    return false;
}

bool valid_unit(UnitKind kind, int unit) { return unit_index_valid(kind, unit); }

// The filter a stored path carries, or null.
Filter* stored_filter(const Project& project, std::int32_t path_number)
{
    const FlowPath* path = project.paths.at(path_number);
    return path ? path->filter : nullptr;
}

Filter* system_filter(const Project& project, std::int32_t system_number, std::int32_t SimpleAhs::*path)
{
    const SimpleAhs* stored = system_numbered(project, system_number);
    return stored ? stored_filter(project, stored->*path) : nullptr;
}

}  // namespace

// ------------------------------------------------------------ numbering

SystemNumbers::SystemNumbers(const Project& project)
{
    for (const SimpleAhs& s : project.systems) before_.emplace_back(&s, s.nr);
}

void SystemNumbers::renumber(Project& project, SketchGrid& grid) const
{
    renumber_simple_ahs(project);
    std::unordered_map<std::int32_t, std::int32_t> renumbered;
    for (const SimpleAhs& s : project.systems)
        for (const auto& [system, old] : before_)
            if (system == &s && old > 0) renumbered[old] = s.nr;
    if (!grid.allocated()) return;
    for (int which : {kCurrentLevel, kLevelBelow}) {
        LevelCells& l = grid.level(which);
        for (std::size_t i = 0; i < grid.cells(); ++i) {
            if (l.Sketch[i] != ICN_AHS || l.Paths[i] < 1) continue;
            // A number no system had before stays as it is (an icon made
            // by this very edit gets its number afterwards).
            auto found = renumbered.find(l.Paths[i]);
            if (found != renumbered.end()) l.Paths[i] = found->second;
        }
    }
}

// ------------------------------------------------------------- the system

AhsSheet::AhsSheet(Project& project, SketchGrid& grid, GridCell cell, std::int32_t number)
    : project_(project),
      grid_(grid),
      cell_(cell),
      number_(number),
      outdoor_filter_(project, system_filter(project, number, &SimpleAhs::ps)),
      recirculation_filter_(project, system_filter(project, number, &SimpleAhs::pr))
{
    const SimpleAhs* stored = system_numbered(project, number);
    std::optional<Zone> zs, zr;
    std::optional<FlowPath> pr, ps;
    if (stored) {
        system_ = *stored;
        system_.next = nullptr;
        zs = project.zones.get(stored->zs);
        zr = project.zones.get(stored->zr);
        pr = project.paths.get(stored->pr);
        ps = project.paths.get(stored->ps);
    } else {
        number_ = 0;
    }
    Zone zone = new_zone(project);
    zone.flags |= kZoneAhs;
    supply_ = zs ? *zs : zone;
    return_ = zr ? *zr : zone;
    FlowPath path;
    path.u[kPathUnitFlow] = project.rc.uf;
    if (project.rc.ud != 0) path.u[kPathUnitLength] = 1;
    pr_ = pr ? *pr : path;
    ps_ = ps ? *ps : path;
    pr_.flags |= kPathRecirculation;
    ps_.flags |= kPathOutdoorAir;
    name_text_ = system_.name;
    desc_text_ = system_.desc;
    supply_cc_ = ConcentrationList(project, &supply_.CC0);
    return_cc_ = ConcentrationList(project, &return_.CC0);
    schedule_ = SchedulePage::make(project, UnitKind::Dimensionless, pr_.cdvf, pr_.schedule, pr_.control != nullptr);
}

ValueField AhsSheet::field(AhsField which) const
{
    auto* self = const_cast<AhsSheet*>(this);  // the fields write into this sheet's own copies
    switch (which) {
    case AhsField::MinimumOutdoorAir:
        return {&self->pr_.Fahs, UnitKind::MassFlow, pr_.u[kPathUnitFlow], 0.0f};
    case AhsField::IntakeX: return {&self->ps_.X, UnitKind::Length, ps_.u[kPathUnitLength]};
    case AhsField::IntakeY: return {&self->ps_.Y, UnitKind::Length, ps_.u[kPathUnitLength]};
    case AhsField::IntakeZ: return {&self->ps_.relHt, UnitKind::Length, ps_.u[kPathUnitLength]};
    case AhsField::SupplyVolume: return {&self->supply_.Vol, UnitKind::Volume, supply_.u[kZoneUnitVolume], 0.0f};
    case AhsField::ReturnVolume: return {&self->return_.Vol, UnitKind::Volume, return_.u[kZoneUnitVolume], 0.0f};
    }
    return {};
}

bool AhsSheet::set(AhsField which, double shown) { return field(which).enter(shown); }
double AhsSheet::shown(AhsField which) const { return field(which).shown(); }
UnitKind AhsSheet::kind(AhsField which) const { return field(which).kind; }
int AhsSheet::unit(AhsField which) const { return field(which).unit; }

bool AhsSheet::set_unit(AhsField which, int unit)
{
    if (!valid_unit(kind(which), unit)) return false;
    const auto u = static_cast<std::int16_t>(unit);
    switch (which) {
    case AhsField::MinimumOutdoorAir: pr_.u[kPathUnitFlow] = u; break;
    case AhsField::IntakeX:
    case AhsField::IntakeY:
    case AhsField::IntakeZ: ps_.u[kPathUnitLength] = u; break;
    case AhsField::SupplyVolume: supply_.u[kZoneUnitVolume] = u; break;
    case AhsField::ReturnVolume: return_.u[kZoneUnitVolume] = u; break;
    }
    return true;
}

std::vector<std::string> AhsSheet::reaction_choices() const { return reaction_names(project_); }

int AhsSheet::reaction_choice(AhsSide side) const { return reaction_index(project_, zone(side).reaction); }

bool AhsSheet::choose_reaction(AhsSide side, int index)
{
    return reaction_at(project_, index, side == AhsSide::Supply ? supply_.reaction : return_.reaction);
}

bool AhsSheet::delete_filter(AhsFilter which)
{
    if (!slot(which).remove()) return false;
    (which == AhsFilter::OutdoorAir ? ps_ : pr_).filter = nullptr;
    return true;
}

Filter AhsSheet::working_filter(AhsFilter which) const
{
    Filter working = filter_slot(which).working();
    const std::int32_t next = project_.filters.count() + 1;
    const bool outdoor_added = outdoor_filter_.has_filter() && outdoor_filter_.number() == next;
    if (which == AhsFilter::Recirculation && working.nr == next && outdoor_added) ++working.nr;
    return working;
}

void AhsSheet::store_filter(AhsFilter which, const Filter& filter) { slot(which).store(filter); }

std::optional<SheetRefusal> AhsSheet::select_page(AhsPage page)
{
    if (page == page_) return std::nullopt;
    if (auto refusal = leave_page(page_)) return refusal;
    page_ = page;
    return std::nullopt;
}

std::optional<SheetRefusal> AhsSheet::leave_page(AhsPage page)
{
    switch (page) {
    case AhsPage::Ahs: {
        auto restore = [&](std::string message) {
            name_text_ = system_.name;
            return SheetRefusal{static_cast<int>(AhsPage::Ahs), "name", std::move(message), WARNING};
        };
        if (check_name(name_text_, kAhsNameLength + 1) != 0) return restore({});
        const SimpleAhs* self = system_numbered(project_, number_);
        for (const SimpleAhs& other : project_.systems)
            if (&other != self && other.name == name_text_) {
                show_message(WARNING, {kAhsNameUsed});
                return restore(std::string(kAhsNameUsed));
            }
        system_.name = name_text_;
        desc_text_ = one_line(desc_text_, kAhsDescriptionLength);
        system_.desc = desc_text_;
        break;
    }
    case AhsPage::Schedule:
        if (std::optional<std::string> message = schedule_.leave())
            return SheetRefusal{static_cast<int>(page), "column", *message, ERROR};
        break;
    case AhsPage::Supply:
    case AhsPage::Return:
    case AhsPage::Filters: break;
    }
    return std::nullopt;
}

std::optional<SheetRefusal> AhsSheet::accept()
{
    if (accepted_) return std::nullopt;
    for (AhsPage page : {AhsPage::Ahs, AhsPage::Supply, AhsPage::Return, AhsPage::Schedule, AhsPage::Filters})
        if (auto refusal = leave_page(page)) return refusal;
    pr_.schedule = schedule_.chosen();
    pr_.cdvf = schedule_.cdvf;
    ps_.filter = outdoor_filter_.commit();
    pr_.filter = recirculation_filter_.commit();

    const SystemNumbers numbers(project_);
    SimpleAhs* stored = system_numbered(project_, number_);
    if (stored) {
        system_.nr = stored->nr;
        system_.use_count = stored->use_count;
        project_.systems.replace_record(stored, system_);
    } else {
        stored = create_simple_ahs(project_, system_.name, system_.desc);
    }
    // The zones and paths the system made keep what only the system sets:
    // their names, flags, sides and level.
    auto put_zone = [&](std::int32_t nr, Zone copy) {
        if (const Zone* z = project_.zones.at(nr)) {
            copy.name = z->name;
            copy.flags = static_cast<std::uint16_t>(copy.flags | kZoneAhs);
            copy.level = z->level;
        }
        project_.zones.put(nr, copy);
    };
    auto put_path = [&](std::int32_t nr, FlowPath copy) {
        if (const FlowPath* p = project_.paths.at(nr)) {
            copy.zone_n = p->zone_n;
            copy.zone_m = p->zone_m;
            copy.flags = p->flags;
            copy.level = p->level;
        }
        project_.paths.put(nr, copy);
    };
    put_zone(stored->zs, supply_);
    put_zone(stored->zr, return_);
    put_path(stored->pr, pr_);
    put_path(stored->ps, ps_);
    numbers.renumber(project_, grid_);
    if (number_ == 0 && grid_.in_grid(cell_.row, cell_.col)) grid_.current().Paths(cell_.row, cell_.col) = stored->nr;
    number_ = stored->nr;
    system_.nr = stored->nr;
    project_.mark_changed();
    accepted_ = true;
    return std::nullopt;
}

// ------------------------------------------------------- supply and return

AhsPointSheet::AhsPointSheet(Project& project, SketchGrid& grid, GridCell cell, bool supply, std::int32_t number)
    : project_(project),
      grid_(grid),
      cell_(cell),
      supply_(supply),
      number_(number),
      filter_(project, number > 0 ? stored_filter(project, number) : nullptr)
{
    std::optional<FlowPath> stored = number > 0 ? project.paths.get(number) : std::nullopt;
    if (stored) {
        path_ = *stored;
    } else {
        number_ = 0;
        path_.flags = kPathAhs;
        path_.mult = 1;
        path_.wazm = -1;
        path_.icn = supply ? ICN_SUPPLY : ICN_RETURN;
        path_.u[kPathUnitFlow] = project.rc.uf;
        if (project.rc.ud != 0) path_.u[kPathUnitLength] = 1;
        path_.level = project.current_level;
    }
    schedule_ = SchedulePage::make(project, UnitKind::Dimensionless, path_.cdvf, path_.schedule,
                                   path_.control != nullptr);
}

std::vector<SimpleAhs*> AhsPointSheet::system_choices() const
{
    std::vector<SimpleAhs*> out;
    for (SimpleAhs& s : project_.systems) out.push_back(&s);
    return out;
}

std::string AhsPointSheet::system_text() const { return path_.ahs ? path_.ahs->name : std::string(" <required>"); }

std::string AhsPointSheet::system_description() const { return path_.ahs ? path_.ahs->desc : std::string(); }

ValueField AhsPointSheet::field(PointField which) const
{
    auto* self = const_cast<AhsPointSheet*>(this);  // the fields write into this sheet's own copy
    switch (which) {
    case PointField::DesignFlow: return {&self->path_.Fahs, UnitKind::MassFlow, path_.u[kPathUnitFlow], 0.0f};
    case PointField::X: return {&self->path_.X, UnitKind::Length, path_.u[kPathUnitLength]};
    case PointField::Y: return {&self->path_.Y, UnitKind::Length, path_.u[kPathUnitLength]};
    case PointField::RelativeHeight: return {&self->path_.relHt, UnitKind::Length, path_.u[kPathUnitLength]};
    }
    return {};
}

bool AhsPointSheet::set(PointField which, double shown) { return field(which).enter(shown); }
double AhsPointSheet::shown(PointField which) const { return field(which).shown(); }
UnitKind AhsPointSheet::kind(PointField which) const { return field(which).kind; }
int AhsPointSheet::unit(PointField which) const { return field(which).unit; }

bool AhsPointSheet::set_unit(PointField which, int unit)
{
    if (!valid_unit(kind(which), unit)) return false;
    path_.u[which == PointField::DesignFlow ? kPathUnitFlow : kPathUnitLength] = static_cast<std::int16_t>(unit);
    return true;
}

bool AhsPointSheet::delete_filter()
{
    if (!filter_.remove()) return false;
    path_.filter = nullptr;
    return true;
}

std::optional<SheetRefusal> AhsPointSheet::select_page(PointPage page)
{
    if (page == page_) return std::nullopt;
    if (auto refusal = leave_page(page_)) return refusal;
    page_ = page;
    return std::nullopt;
}

std::optional<SheetRefusal> AhsPointSheet::leave_page(PointPage page)
{
    switch (page) {
    case PointPage::System:
        if (!path_.ahs)
            return refuse_sheet(static_cast<int>(page), "system", std::string(kNoSystemMessage), WARNING);
        break;
    case PointPage::Schedule:
        if (std::optional<std::string> message = schedule_.leave())
            return SheetRefusal{static_cast<int>(page), "column", *message, ERROR};
        break;
    case PointPage::Filter: break;
    }
    return std::nullopt;
}

std::optional<SheetRefusal> AhsPointSheet::accept()
{
    if (accepted_) return std::nullopt;
    for (PointPage page : {PointPage::System, PointPage::Schedule, PointPage::Filter})
        if (auto refusal = leave_page(page)) return refusal;
    path_.schedule = schedule_.chosen();
    path_.cdvf = schedule_.cdvf;
    path_.flags |= kPathAhs;
    path_.filter = filter_.commit();
    // Air comes from the system's supply zone into the room, and goes from
    // the room into its return zone.
    ZoneRef room;
    if (grid_.in_grid(cell_.row, cell_.col)) room = cell_zone(project_, grid_.current().Zones(cell_.row, cell_.col));
    if (supply_) {
        path_.zone_n = ZoneRef(project_.zones.at(path_.ahs->zs));
        path_.zone_m = room;
    } else {
        path_.zone_n = room;
        path_.zone_m = ZoneRef(project_.zones.at(path_.ahs->zr));
    }
    if (number_ == 0) {
        path_.level = project_.current_level;
        FlowPath* stored = add_path(project_, path_);
        number_ = stored->nr;
        if (grid_.in_grid(cell_.row, cell_.col)) grid_.current().Paths(cell_.row, cell_.col) = number_;
    } else {
        project_.paths.put(number_, path_);
    }
    project_.mark_changed();
    accepted_ = true;
    return std::nullopt;
}

// ------------------------------------------------------------ entry points

namespace {

template <class Sheet, class Dialog>
int run_sheet(Sheet& sheet, const Dialog& dialog)
{
    if (!dialog(sheet)) return 0;
    if (!sheet.accepted() && sheet.accept()) return 0;
    return 1;
}

}  // namespace

int create_simple_ahs_sheet(Project& project, SketchGrid& grid, const AhsSheetDialog& dialog)
{
    const GridCell at = grid.cursor;
    if (!grid.in_grid(at.row, at.col) || grid.current().Sketch(at.row, at.col) != ICN_AHS) return 0;
    AhsSheet sheet(project, grid, at, 0);
    return run_sheet(sheet, dialog);
}

int edit_simple_ahs(Project& project, SketchGrid& grid, std::int32_t number, const AhsSheetDialog& dialog)
{
    if (!system_numbered(project, number)) return 0;
    AhsSheet sheet(project, grid, grid.cursor, number);
    return run_sheet(sheet, dialog);
}

int create_ahs_point(Project& project, SketchGrid& grid, bool supply, const AhsPointSheetDialog& dialog)
{
    const GridCell at = grid.cursor;
    if (!grid.in_grid(at.row, at.col)) return 0;
    AhsPointSheet sheet(project, grid, at, supply, 0);
    return run_sheet(sheet, dialog);
}

int edit_ahs_point(Project& project, SketchGrid& grid, bool supply, std::int32_t number,
                   const AhsPointSheetDialog& dialog)
{
    if (!project.paths.at(number)) return 0;
    AhsPointSheet sheet(project, grid, grid.cursor, supply, number);
    return run_sheet(sheet, dialog);
}

}  // namespace avelor
