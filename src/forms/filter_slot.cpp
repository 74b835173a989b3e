#include "forms/filter_slot.h"

#include "app/diagnostics.h"
#include "forms/filter_form.h"
#include "model/project.h"

namespace avelor {

FilterSlot::FilterSlot(Project& project, Filter* original)
    : project_(project), original_(original), current_(original)
{
}

FilterSlot::~FilterSlot()
{
    if (!settled_) rollback();
}

const Filter* FilterSlot::shown() const
{
    if (current_ && current_ == original_ && edit_) return &*edit_;
    return current_;
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

Filter FilterSlot::working() const
{
    const Filter* f = shown();
    Filter copy = f ? *f : Filter{};
    copy.next = nullptr;
    copy.nr = number();
    return copy;
}

std::int32_t FilterSlot::number() const
{
    return current_ ? current_->nr : project_.filters.count() + 1;
}

void FilterSlot::store(const Filter& edited)
{
    settled_ = false;
    if (!current_) {
        created_ = current_ = project_.filters.add(edited);
    } else if (current_ == created_) {
        project_.filters.put(created_->nr, edited);
    } else {
        edit_ = edited;
        edit_->nr = original_->nr;
    }
}

void FilterSlot::drop_current()
{
    if (!current_) return;
    if (current_ == created_) {
        project_.filters.release(created_->nr);
        created_ = nullptr;
    }
    edit_.reset();
    current_ = nullptr;
}

void FilterSlot::clear()
{
    settled_ = false;
    drop_current();
}

bool FilterSlot::remove()
{
    if (!current_) return false;
    if (ask_question(kDeleteFilterQuestion) != 1) return false;
    settled_ = false;
    drop_current();
    return true;
}

Filter* FilterSlot::commit()
{
    if (original_ && current_ != original_ && project_.filters.at(original_->nr) == original_)
        project_.filters.release(original_->nr);
    if (current_ && current_ == original_ && edit_) project_.filters.put(original_->nr, *edit_);
    // The element may have changed since the loads were made (a super
    // element edited meanwhile).
    if (current_) sync_filter_loads(*current_);
    edit_.reset();
    created_ = nullptr;
    original_ = current_;
    settled_ = true;
    return current_;
}

void FilterSlot::rollback()
{
    if (created_) project_.filters.release(created_->nr);
    created_ = nullptr;
    edit_.reset();
    current_ = original_;
    settled_ = true;
}

void FilterSlot::start_from(const FilterSlot& outer)
{
    if (current_ && current_ == original_ && current_ == outer.current_ && outer.edit_ &&
        outer.current_ == outer.original_)
        edit_ = outer.edit_;
}

void FilterSlot::adopt(FilterSlot& inner)
{
    settled_ = false;
    if (inner.current_ == inner.original_) {
        if (inner.current_ && inner.edit_) store(*inner.edit_);
    } else {
        drop_current();
        if (inner.current_) created_ = current_ = inner.current_;
    }
    inner.created_ = nullptr;
    inner.edit_.reset();
    inner.original_ = inner.current_;
    inner.settled_ = true;
}

}  // namespace avelor
