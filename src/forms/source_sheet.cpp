#include "forms/source_sheet.h"

#include <utility>

#include "app/diagnostics.h"
#include "app/lists.h"
#include "model/cell_codes.h"
#include "model/species.h"

namespace avelor {

namespace {

// Partition coefficient k of the boundary layer diffusion model.
constexpr std::size_t kPartitionCoefficient = 2;

}  // namespace

float source_initial_concentration(const SourceElement& element, float current)
{
    if (element.model == kSrcBls)
        return element.species ? element.species->CCdef * element.v[kPartitionCoefficient] : 0.0f;
    if (element.model == kSrcDvr) return current;
    return 0.0f;
}

SourceSheet::SourceSheet(Project& project, SketchGrid& grid, GridCell cell, std::int32_t number)
    : project_(project), grid_(grid), cell_(cell), number_(number)
{
    std::optional<SourceSink> stored = number > 0 ? project.sources.get(number) : std::nullopt;
    if (stored) {
        source_ = *stored;
    } else {
        number_ = 0;
        source_.mult = 1;
        if (project.rc.ud != 0) source_.u = 1;
    }
    if (const Species* s = species()) concentration_unit_ = s->u[0];
    cfd_id_ = source_.cfd_name;
    schedule_ = SchedulePage::make(project, UnitKind::Dimensionless, source_.cdvf, source_.schedule,
                                   source_.control != nullptr);
}

const Species* SourceSheet::species() const { return source_.element ? source_.element->species : nullptr; }

std::optional<SheetRefusal> SourceSheet::select_page(SourcePage page)
{
    if (page == page_) return std::nullopt;
    if (auto refusal = leave_page(page_)) return refusal;
    page_ = page;
    return std::nullopt;
}

// ---- element page

std::vector<SourceElement*> SourceSheet::element_choices() const
{
    std::vector<SourceElement*> out;
    for (SourceElement& e : project_.source_elements) out.push_back(&e);
    return out;
}

std::string SourceSheet::element_text() const
{
    return source_.element ? source_.element->name : std::string(" <required>");
}

std::string SourceSheet::element_description() const { return source_.element ? source_.element->desc : std::string(); }

std::string SourceSheet::contaminant_text() const
{
    const Species* s = species();
    return s ? s->name : std::string();
}

SourceSummary SourceSheet::summary() const
{
    return source_.element ? source_summary(*source_.element) : SourceSummary{};
}

void SourceSheet::choose_element(SourceElement* element)
{
    if (!element) return;
    const bool new_species = species() != element->species;
    source_.element = element;
    source_.CC0 = source_initial_concentration(*element, source_.CC0);
    if (new_species && species()) concentration_unit_ = species()->u[0];
}

// ---- multiplier and location page

ValueField SourceSheet::field(SourceSheetField which) const
{
    auto* self = const_cast<SourceSheet*>(this);  // the fields write into this sheet's own copy
    SourceSink& s = self->source_;
    switch (which) {
    case SourceSheetField::Multiplier: return {&s.mult, UnitKind::Dimensionless, 0, 0.0f};
    case SourceSheetField::InitialConcentration: {
        const Species* sp = species();
        if (!sp) return {};
        return {&s.CC0, concentration_kind(*sp), concentration_unit_, 0.0f, sp};
    }
    case SourceSheetField::MaxX: return {&s.box_max[0], UnitKind::Length, s.u};
    case SourceSheetField::MaxY: return {&s.box_max[1], UnitKind::Length, s.u};
    case SourceSheetField::MaxH: return {&s.box_max[2], UnitKind::Length, s.u};
    case SourceSheetField::MinX: return {&s.box_min[0], UnitKind::Length, s.u};
    case SourceSheetField::MinY: return {&s.box_min[1], UnitKind::Length, s.u};
    case SourceSheetField::MinH: return {&s.box_min[2], UnitKind::Length, s.u};
    }
    return {};
}

bool SourceSheet::set(SourceSheetField which, double shown) { return field(which).enter(shown); }
double SourceSheet::shown(SourceSheetField which) const { return field(which).shown(); }
UnitKind SourceSheet::kind(SourceSheetField which) const { return field(which).kind; }
int SourceSheet::unit(SourceSheetField which) const { return field(which).unit; }
bool SourceSheet::enabled(SourceSheetField which) const { return field(which).value != nullptr; }

bool SourceSheet::set_unit(SourceSheetField which, int unit)
{
    const ValueField f = field(which);
    if (!f.value || !unit_index_valid(f.kind, unit)) return false;
    if (which == SourceSheetField::Multiplier) return false;
    if (which == SourceSheetField::InitialConcentration) {
        if (!convert_units_checked(1.0f, true, f.kind, unit, f.species).ok()) return false;
        concentration_unit_ = unit;
        return true;
    }
    source_.u = static_cast<std::int16_t>(unit);
    return true;
}

// ---- checks

std::optional<SheetRefusal> SourceSheet::leave_page(SourcePage page)
{
    const int p = static_cast<int>(page);
    switch (page) {
    case SourcePage::Element:
        if (!source_.element) return refuse_sheet(p, "element", std::string(kSourceNoElement), WARNING);
        break;
    case SourcePage::MultiplierLocation:
        if (!cfd_id_.empty()) {
            if (check_name(cfd_id_, kNameSize) != 0) return SheetRefusal{p, "cfd_id", {}, WARNING};
            for (const SourceSink& other : project_.sources)
                if (other.nr != number_ && other.cfd_name == cfd_id_)
                    return refuse_sheet(p, "cfd_id", std::string(kSourceCfdIdUsed), WARNING);
        }
        break;
    case SourcePage::Schedule:
        if (std::optional<std::string> message = schedule_.leave()) return SheetRefusal{p, "column", *message, ERROR};
        break;
    }
    return std::nullopt;
}

std::optional<SheetRefusal> SourceSheet::accept()
{
    if (accepted_) return std::nullopt;
    for (SourcePage page : {SourcePage::Element, SourcePage::MultiplierLocation, SourcePage::Schedule})
        if (auto refusal = leave_page(page)) return refusal;
    const int location = static_cast<int>(SourcePage::MultiplierLocation);
    if (source_.element->model == kSrcBrs && !schedule_.chosen())
        return refuse_sheet(static_cast<int>(SourcePage::Schedule), "schedule", std::string(kBurstNeedsSchedule),
                            WARNING);
    if (source_.box_min[0] > source_.box_max[0])
        return refuse_sheet(location, "max_x", std::string(kSourceXOrder), WARNING);
    if (source_.box_min[1] > source_.box_max[1])
        return refuse_sheet(location, "max_y", std::string(kSourceYOrder), WARNING);
    if (source_.box_min[2] > source_.box_max[2])
        return refuse_sheet(location, "max_h", std::string(kSourceHOrder), WARNING);

    source_.cfd_name = cfd_id_;
    source_.schedule = schedule_.chosen();
    source_.cdvf = schedule_.cdvf;
    if (grid_.in_grid(cell_.row, cell_.col))
        source_.zone = cell_zone(project_, grid_.current().Zones(cell_.row, cell_.col)).zone();
    if (number_ == 0) {
        SourceSink* stored = project_.sources.add(source_);
        number_ = stored->nr;
        if (grid_.in_grid(cell_.row, cell_.col)) grid_.current().Paths(cell_.row, cell_.col) = number_;
    } else {
        project_.sources.put(number_, source_);
    }
    project_.mark_changed();
    accepted_ = true;
    return std::nullopt;
}

// ---- entry points

int create_source_sink(Project& project, SketchGrid& grid, const SourceSheetDialog& dialog)
{
    const GridCell at = grid.cursor;
    if (!grid.in_grid(at.row, at.col) || grid.current().Sketch(at.row, at.col) != ICN_SOURCE) return 0;
    SourceSheet sheet(project, grid, at, 0);
    if (!dialog(sheet)) return 0;
    if (!sheet.accepted() && sheet.accept()) return 0;
    return 1;
}

int edit_source_sink(Project& project, SketchGrid& grid, std::int32_t number, const SourceSheetDialog& dialog)
{
    if (!project.sources.at(number)) return 0;
    SourceSheet sheet(project, grid, grid.cursor, number);
    if (!dialog(sheet)) return 0;
    if (!sheet.accepted() && sheet.accept()) return 0;
    return 1;
}

}  // namespace avelor
