#include "forms/sheet_parts.h"

#include <cmath>
#include <utility>

#include "app/diagnostics.h"
#include "model/project.h"
#include "model/unit_field.h"

namespace avelor {

SheetRefusal refuse_sheet(int page, std::string focus, std::string message, int severity)
{
    show_message(severity, {message});
    return SheetRefusal{page, std::move(focus), std::move(message), severity};
}

bool ValueField::enter(double shown) const
{
    if (!value) return false;
    // Nine significant digits carry any float through the text unchanged.
    UnitField field(*value, kind, unit, lower, NO_LIMIT, species);
    return field.validate(format_number(shown, 1, 9));
}

double ValueField::shown() const
{
    return value ? convert_units(*value, true, kind, unit, species) : 0.0;
}

std::string one_line(std::string_view text, std::size_t longest)
{
    std::string out;
    for (std::size_t i = 0; i < text.size() && out.size() < longest; ++i) {
        const char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out.push_back(c == '\n' || c == '\r' ? ' ' : c);
    }
    return out;
}

// ------------------------------------------------------- concentrations

namespace {

bool counts_in_sum(const Species& species) { return species.t == 1 && species.name != "H2O"; }

}  // namespace

ConcentrationList::ConcentrationList(const Project& project, std::vector<float>* values)
    : project_(&project), values_(values)
{
    values_->resize(static_cast<std::size_t>(project.nctm()), 0.0f);
    select(0);
}

std::vector<std::string> ConcentrationList::names() const
{
    std::vector<std::string> out;
    if (project_)
        for (const Species* s : project_->Ctm) out.push_back(s->name);
    return out;
}

bool ConcentrationList::enabled() const { return project_ && project_->nctm() > 0; }

bool ConcentrationList::select(int index)
{
    if (!project_ || index < 0 || index >= project_->nctm()) return false;
    selected_ = index;
    unit_ = project_->Ctm[static_cast<std::size_t>(index)]->u[0];
    return true;
}

const Species* ConcentrationList::species() const
{
    if (!project_ || selected_ < 0 || selected_ >= project_->nctm()) return nullptr;
    return project_->Ctm[static_cast<std::size_t>(selected_)];
}

UnitKind ConcentrationList::kind() const
{
    const Species* s = species();
    return s ? concentration_kind(*s) : UnitKind::Concentration;
}

bool ConcentrationList::set_unit(int index)
{
    const Species* s = species();
    if (!s || !unit_index_valid(kind(), index)) return false;
    if (!convert_units_checked(1.0f, true, kind(), index, s).ok()) return false;
    unit_ = index;
    return true;
}

bool ConcentrationList::enter(double shown)
{
    const Species* s = species();
    if (!s) return false;
    ValueField field{&(*values_)[static_cast<std::size_t>(selected_)], kind(), unit_, 0.0f, s};
    if (!field.enter(shown)) return false;
    if (has_nontrace() && std::fabs(nontrace_sum() - 1.0) > 0.01)
        show_message(WARNING, {kNontraceSumWarning});
    return true;
}

double ConcentrationList::shown() const
{
    const Species* s = species();
    if (!s) return 0;
    return convert_units((*values_)[static_cast<std::size_t>(selected_)], true, kind(), unit_, s);
}

double ConcentrationList::nontrace_sum() const
{
    double sum = 0;
    if (!project_) return sum;
    for (std::size_t i = 0; i < project_->Ctm.size() && i < values_->size(); ++i)
        if (counts_in_sum(*project_->Ctm[i])) sum += (*values_)[i];
    return sum;
}

bool ConcentrationList::has_nontrace() const
{
    if (!project_) return false;
    for (const Species* s : project_->Ctm)
        if (counts_in_sum(*s)) return true;
    return false;
}

ZoneRef cell_zone(const Project& project, std::int32_t zone_value)
{
    if (zone_value > 0) return ZoneRef(project.zones.at(zone_value));
    return {};
}

}  // namespace avelor
