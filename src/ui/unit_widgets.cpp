#include "ui/unit_widgets.h"

#include <QFocusEvent>
#include <QLabel>
#include <QSignalBlocker>

#include <string>
#include <utility>

#include "ui/text_1252.h"

namespace avelor::ui {

UnitFieldEdit::UnitFieldEdit(UnitField& field, QWidget* parent)
    : QLineEdit(parent), field_(&field), own_field_(&field)
{
    bind();
}

UnitFieldEdit::UnitFieldEdit(const UnitField& field, LeaveHook leave, QWidget* parent)
    : QLineEdit(parent), field_(&field), leave_(std::move(leave))
{
    bind();
}

void UnitFieldEdit::bind()
{
    show_field();
    // Return validates at once; losing the focus is handled in
    // focusOutEvent, which validates even an unchanged text.
    connect(this, &QLineEdit::editingFinished, this, [this] {
        if (!in_focus_out_) commit();
    });
}

bool UnitFieldEdit::commit()
{
    // A refusal's box may take the focus while it is open; that must not
    // start another validation of the same text.
    if (validating_) return false;
    validating_ = true;
    const std::string typed = to_1252(text());
    const bool accepted = own_field_ ? own_field_->validate(typed) : (leave_ && leave_(typed));
    validating_ = false;
    show_field();
    emit validated(accepted);
    return accepted;
}

void UnitFieldEdit::show_field()
{
    setText(from_1252(field_->shown_text()));
}

void UnitFieldEdit::set_unit(int unit)
{
    if (own_field_) own_field_->set_unit(unit);
    show_field();
}

void UnitFieldEdit::focusOutEvent(QFocusEvent* event)
{
    in_focus_out_ = true;
    QLineEdit::focusOutEvent(event);
    in_focus_out_ = false;
    // The edit's own context menu takes the focus only for a moment.
    if (event->reason() != Qt::PopupFocusReason) commit();
}

UnitSelectorCombo::UnitSelectorCombo(UnitSelector& selector, QWidget* parent)
    : QComboBox(parent), selector_(&selector), own_selector_(&selector)
{
    bind();
}

UnitSelectorCombo::UnitSelectorCombo(const UnitSelector& selector, SelectHook select,
                                     QWidget* parent)
    : QComboBox(parent), selector_(&selector), select_(std::move(select))
{
    bind();
}

void UnitSelectorCombo::bind()
{
    setEditable(false);
    refill();
    connect(this, &QComboBox::currentIndexChanged, this, &UnitSelectorCombo::choose);
}

void UnitSelectorCombo::pair_with(UnitFieldEdit* edit)
{
    edit_ = edit;
}

void UnitSelectorCombo::set_label(QLabel* label)
{
    label_ = label;
    if (label_) label_->setText(from_1252(selector_->label()));
}

void UnitSelectorCombo::refill()
{
    filling_ = true;
    clear();
    for (const std::string& name : selector_->names()) addItem(from_1252(name));
    filling_ = false;
    show_selected();
}

void UnitSelectorCombo::show_selected()
{
    const QSignalBlocker quiet(this);
    setCurrentIndex(selector_->selected());
    if (label_) label_->setText(from_1252(selector_->label()));
}

void UnitSelectorCombo::choose(int index)
{
    if (filling_ || index < 0 || index == selector_->selected()) return;
    const bool accepted = own_selector_ ? own_selector_->select(index) : (select_ && select_(index));
    show_selected();
    if (!accepted) return;
    if (edit_) edit_->set_unit(index);
    emit unit_changed(index);
}

}  // namespace avelor::ui
