#include "forms/super_element_form.h"

#include <algorithm>
#include <iterator>
#include <variant>

#include "model/airflow_rules.h"

namespace avelor {

namespace {

// The copy's super element record, made one when the copy holds another,
// with an elevation unit the length list has (a file may hold any number).
SuperData& super_record(AirflowElement& copy)
{
    if (!std::holds_alternative<SuperData>(copy.data)) copy.data = SuperData{};
    SuperData& data = std::get<SuperData>(copy.data);
    if (!unit_index_valid(UnitKind::Length, data.u_H)) data.u_H = 0;
    return data;
}

std::string yes_no(std::int16_t flag) { return flag ? "Yes" : "No"; }

}  // namespace

SuperElementForm::SuperElementForm(AirflowElement& copy, const NamedList<AirflowElement>& list)
    : list_(&list),
      data_(&super_record(copy)),
      candidates_(super_candidates(list)),
      elevation_field_(entry_.relHt, UnitKind::Length, data_->u_H),
      elevation_unit_(UnitKind::Length, entry_.relHt, data_->u_H)
{
    if (!candidates_.empty()) entry_.element = candidates_.front();
}

void SuperElementForm::refresh_candidates()
{
    candidates_ = super_candidates(*list_);
    if (chosen() < 0) entry_.element = nullptr;
}

int SuperElementForm::chosen() const
{
    const auto found = std::find(candidates_.begin(), candidates_.end(), entry_.element);
    if (!entry_.element || found == candidates_.end()) return -1;
    return static_cast<int>(std::distance(candidates_.begin(), found));
}

void SuperElementForm::choose(int index)
{
    const bool valid = index >= 0 && static_cast<std::size_t>(index) < candidates_.size();
    entry_.element = valid ? candidates_[static_cast<std::size_t>(index)] : nullptr;
}

bool SuperElementForm::choose(const AirflowElement* element)
{
    const auto found = std::find(candidates_.begin(), candidates_.end(), element);
    if (!element || found == candidates_.end()) return false;
    entry_.element = *found;
    return true;
}

bool SuperElementForm::select_unit(int index)
{
    if (!elevation_unit_.select(index)) return false;
    elevation_field_.set_unit(index);
    return true;
}

std::vector<SubElementRow> SuperElementForm::rows() const
{
    std::vector<SubElementRow> rows;
    rows.reserve(data_->subs.size());
    for (const SubElement& sub : data_->subs) {
        const float shown = convert_units(sub.relHt, true, UnitKind::Length, data_->u_H);
        rows.push_back({sub.element ? sub.element->name : std::string(), format_number(shown, 1, 6),
                        yes_no(sub.filtered), yes_no(sub.scheduled)});
    }
    return rows;
}

std::string SuperElementForm::elevation_header() const
{
    return "Relative Elevation [" + unit_display_name(UnitKind::Length, data_->u_H) + "]";
}

void SuperElementForm::select(int row)
{
    if (!row_valid(row)) {
        selected_ = -1;
        return;
    }
    selected_ = row;
    entry_ = data_->subs[static_cast<std::size_t>(row)];
    // A sub-element whose element is no candidate (none at all) leaves the
    // element choice empty rather than showing what cannot be chosen.
    if (chosen() < 0) entry_.element = nullptr;
    elevation_field_.refresh();
}

bool SuperElementForm::add()
{
    if (!can_add()) return false;
    add_sub_element(*data_, entry_);
    selected_ = static_cast<int>(data_->subs.size()) - 1;
    return true;
}

bool SuperElementForm::replace()
{
    if (!can_replace()) return false;
    replace_sub_element(*data_, static_cast<std::size_t>(selected_), entry_);
    return true;
}

bool SuperElementForm::remove()
{
    if (!can_remove()) return false;
    remove_sub_element(*data_, static_cast<std::size_t>(selected_));
    const int last = static_cast<int>(data_->subs.size()) - 1;
    select(std::min(selected_, last));
    return true;
}

}  // namespace avelor
