#include "forms/filter_slot.h"

#include "app/diagnostics.h"
#include "forms/filter_form.h"
#include "model/project.h"

namespace avelor {

FilterSlot::FilterSlot(Project& project, Filter* original) : project_(&project), original_(original) {}

const Filter* FilterSlot::shown() const
{
    if (pending_) return &*pending_;
    return keeps_original_ ? original_ : nullptr;
}

std::string FilterSlot::element_name() const
{
    const Filter* f = shown();
    return f && f->element ? f->element->name : std::string("<none>");
}

std::string FilterSlot::element_description() const
{
    const Filter* f = shown();
    return f && f->element ? f->element->desc : std::string();
}

std::int32_t FilterSlot::number() const
{
    return keeps_original_ && original_ ? original_->nr : project_->filters.count() + 1;
}

Filter FilterSlot::working() const
{
    const Filter* f = shown();
    Filter copy = f ? *f : Filter{};
    copy.next = nullptr;
    copy.nr = number();
    return copy;
}

void FilterSlot::store(const Filter& edited)
{
    if (!has_filter()) keeps_original_ = false;
    pending_ = edited;
}

void FilterSlot::clear()
{
    keeps_original_ = false;
    pending_.reset();
}

bool FilterSlot::remove()
{
    if (!has_filter()) return false;
    if (ask_question(kDeleteFilterQuestion) != 1) return false;
    clear();
    return true;
}

Filter* FilterSlot::commit()
{
    Filter* result = nullptr;
    if (keeps_original_) {
        result = original_;
        if (result && pending_) project_->filters.put(result->nr, *pending_);
    } else {
        if (original_ && project_->filters.at(original_->nr) == original_) project_->filters.release(original_->nr);
        if (pending_) result = project_->filters.add(*pending_);
    }
    // The element may have changed since the loads were made (a super
    // element edited meanwhile).
    if (result && sync_filter_loads(*result)) project_->mark_changed();
    original_ = result;
    keeps_original_ = true;
    pending_.reset();
    return result;
}

void FilterSlot::rollback()
{
    keeps_original_ = true;
    pending_.reset();
}

void FilterSlot::start_from(const FilterSlot& outer)
{
    original_ = outer.original_;
    keeps_original_ = outer.keeps_original_;
    pending_ = outer.pending_;
}

void FilterSlot::adopt(const FilterSlot& inner)
{
    keeps_original_ = inner.keeps_original_;
    pending_ = inner.pending_;
}

}  // namespace avelor
