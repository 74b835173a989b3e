#include "forms/exposure_sheet.h"

#include <algorithm>
#include <utility>

#include "app/diagnostics.h"
#include "model/cell_codes.h"

namespace avelor {

ExposureSheet::ExposureSheet(Project& project, SketchGrid& grid, GridCell cell, std::int32_t number)
    : project_(project), grid_(grid), cell_(cell), number_(number)
{
    std::optional<Exposure> stored = number > 0 ? project.exposures.get(number) : std::nullopt;
    if (stored) {
        exposure_ = std::move(*stored);
    } else {
        number_ = 0;
        exposure_ = new_exposure(project);
    }
    desc_text_ = exposure_.desc;
    select_species(0);
}

std::optional<SheetRefusal> ExposureSheet::select_page(ExposurePage page)
{
    if (page == page_) return std::nullopt;
    if (auto refusal = leave_page(page_)) return refusal;
    page_ = page;
    return std::nullopt;
}

// ---- occupancy schedule

std::string ExposureSheet::day_schedule_text(int day) const
{
    if (day < 0 || day >= 12) return {};
    const OccupancySchedule* o = exposure_.occupancy[static_cast<std::size_t>(day)];
    return o ? o->name : std::string();
}

std::vector<OccupancySchedule*> ExposureSheet::available_schedules() const
{
    std::vector<OccupancySchedule*> out;
    for (OccupancySchedule& o : project_.occupancy_schedules) out.push_back(&o);
    return out;
}

bool ExposureSheet::replace(int day, OccupancySchedule* schedule)
{
    if (day < 0 || day >= 12 || !schedule) return false;
    exposure_.occupancy[static_cast<std::size_t>(day)] = schedule;
    return true;
}

// ---- contaminant generation

void ExposureSheet::set_generates(bool on)
{
    if (on)
        exposure_.flags |= kExposureGenerates;
    else
        exposure_.flags &= static_cast<std::uint16_t>(~kExposureGenerates);
}

bool ExposureSheet::set_multiplier(double value)
{
    return ValueField{&exposure_.mult, UnitKind::Dimensionless, 0, 0.0f}.enter(value);
}

std::vector<std::string> ExposureSheet::species_names() const
{
    std::vector<std::string> out;
    for (const Species* s : project_.Ctm) out.push_back(s->name);
    return out;
}

const Species* ExposureSheet::species() const
{
    if (species_ < 0 || species_ >= project_.nctm()) return nullptr;
    return project_.Ctm[static_cast<std::size_t>(species_)];
}

ExposureGeneration* ExposureSheet::generation_of(const Species* s)
{
    if (!s) return nullptr;
    for (ExposureGeneration& g : exposure_.generations)
        if (g.species == s) return &g;
    return nullptr;
}

const ExposureGeneration* ExposureSheet::generation() const
{
    return const_cast<ExposureSheet*>(this)->generation_of(species());
}

void ExposureSheet::commit_schedule()
{
    if (ExposureGeneration* g = generation_of(species())) {
        g->schedule = schedule_.chosen();
        g->cdvf = schedule_.cdvf;
    }
}

void ExposureSheet::load_schedule()
{
    const ExposureGeneration* g = generation();
    schedule_ = SchedulePage::make(project_, UnitKind::Dimensionless, g ? g->cdvf : ControlValuesLink{},
                                   g ? g->schedule : nullptr, false);
}

bool ExposureSheet::select_species(int index)
{
    if (index < 0 || index >= project_.nctm()) return false;
    commit_schedule();
    species_ = index;
    pending_unit_ = 0;
    load_schedule();
    return true;
}

bool ExposureSheet::set_rate(double shown)
{
    Species* s = species_ >= 0 && species_ < project_.nctm() ? project_.Ctm[static_cast<std::size_t>(species_)]
                                                              : nullptr;
    if (!s) return false;
    ExposureGeneration* g = generation_of(s);
    float rate = g ? g->rate : 0.0f;
    if (!ValueField{&rate, UnitKind::SourceStrength, rate_unit(), 0.0f}.enter(shown)) return false;
    if (rate == 0.0f) {
        if (g) {
            auto& list = exposure_.generations;
            list.erase(std::remove_if(list.begin(), list.end(),
                                      [s](const ExposureGeneration& e) { return e.species == s; }),
                       list.end());
            load_schedule();
        }
        return true;
    }
    if (g) {
        commit_schedule();
        g->rate = rate;
        return true;
    }
    ExposureGeneration made;
    made.species = s;
    made.rate = rate;
    made.u = static_cast<std::int16_t>(pending_unit_);
    made.schedule = schedule_.chosen();
    made.cdvf = schedule_.cdvf;
    exposure_.generations.insert(exposure_.generations.begin(), made);
    return true;
}

double ExposureSheet::rate_shown() const
{
    const ExposureGeneration* g = generation();
    return g ? convert_units(g->rate, true, UnitKind::SourceStrength, g->u) : 0.0;
}

int ExposureSheet::rate_unit() const
{
    const ExposureGeneration* g = generation();
    return g ? g->u : pending_unit_;
}

bool ExposureSheet::set_rate_unit(int unit)
{
    if (!unit_index_valid(UnitKind::SourceStrength, unit)) return false;
    if (ExposureGeneration* g = generation_of(species()))
        g->u = static_cast<std::int16_t>(unit);
    else
        pending_unit_ = unit;
    return true;
}

// ---- checks

std::optional<SheetRefusal> ExposureSheet::leave_page(ExposurePage page)
{
    if (page == ExposurePage::Generation && generation()) {
        if (std::optional<std::string> message = schedule_.leave())
            return SheetRefusal{static_cast<int>(page), "column", *message, ERROR};
    }
    return std::nullopt;
}

std::optional<SheetRefusal> ExposureSheet::accept()
{
    if (accepted_) return std::nullopt;
    if (auto refusal = leave_page(ExposurePage::Generation)) return refusal;
    commit_schedule();
    for (const OccupancySchedule* o : exposure_.occupancy)
        if (!o)
            return refuse_sheet(static_cast<int>(ExposurePage::Occupancy), "days", std::string(kOccupancyUndefined),
                                WARNING);
    for (const ExposureGeneration& g : exposure_.generations)
        if ((g.cdvf.kind == 1 || g.cdvf.kind == 2) && g.cdvf.name.empty())
            return refuse_sheet(static_cast<int>(ExposurePage::Generation), "column",
                                "A column must be selected from the cvf/dvf file.", ERROR);
    desc_text_ = one_line(desc_text_, kExposureDescriptionLength);
    exposure_.desc = desc_text_;
    if (number_ == 0) {
        Exposure* stored = project_.exposures.add(exposure_);
        number_ = stored->nr;
        if (grid_.in_grid(cell_.row, cell_.col)) grid_.current().Paths(cell_.row, cell_.col) = number_;
    } else {
        project_.exposures.put(number_, exposure_);
    }
    project_.mark_changed();
    accepted_ = true;
    return std::nullopt;
}

// ---- entry points

int create_exposure(Project& project, SketchGrid& grid, const ExposureSheetDialog& dialog)
{
    const GridCell at = grid.cursor;
    if (!grid.in_grid(at.row, at.col) || grid.current().Sketch(at.row, at.col) != ICN_EXPOSURE) return 0;
    ExposureSheet sheet(project, grid, at, 0);
    if (!dialog(sheet)) return 0;
    if (!sheet.accepted() && sheet.accept()) return 0;
    return 1;
}

int edit_exposure(Project& project, SketchGrid& grid, std::int32_t number, const ExposureSheetDialog& dialog)
{
    if (!project.exposures.at(number)) return 0;
    ExposureSheet sheet(project, grid, grid.cursor, number);
    if (!dialog(sheet)) return 0;
    if (!sheet.accepted() && sheet.accept()) return 0;
    return 1;
}

}  // namespace avelor
