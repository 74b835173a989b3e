// The controls of the unit-bearing fields of the definition dialogs.
//
// They only bind: what a field shows, what it accepts and every message it
// gives come from the field models (model/unit_field.h), whose boxes go
// through the installed user port. Numbers are never converted here; the
// models read and write them in the C locale.
//
// Each control works either directly on a model it may change, or on a
// form's read-only model together with the form's hook that changes it (the
// form's "leave field" or "select unit" call), so that the form's own rules
// run too.
#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QPointer>

#include <functional>
#include <string_view>

#include "model/unit_field.h"

class QFocusEvent;
class QLabel;

namespace avelor::ui {

// An edit control over a UnitField: shows the field's text and, when it
// loses the focus or Return is pressed, has the field check what was typed
// and shows the field's text again (the typed number re-formatted, or the
// stored value after a refusal).
class UnitFieldEdit : public QLineEdit {
    Q_OBJECT
public:
    // Validates through field.validate(); the field must outlive the edit.
    explicit UnitFieldEdit(UnitField& field, QWidget* parent = nullptr);
    // Validates through leave(text), a form's hook that validates the field
    // it owns; field is that form's view of it.
    using LeaveHook = std::function<bool(std::string_view text)>;
    UnitFieldEdit(const UnitField& field, LeaveHook leave, QWidget* parent = nullptr);

    const UnitField& field() const { return *field_; }

    // Validates the text now, as losing the focus does; a dialog calls it
    // before accepting. True when the field accepted it.
    bool commit();
    // Shows the field's text anew, after the model changed elsewhere.
    void show_field();
    // The paired unit box chose another unit: the field shows its stored
    // value in it. (A form's hook has already passed the unit on to its own
    // field; then this only shows it.)
    void set_unit(int unit);

signals:
    // After every validation, with its outcome.
    void validated(bool accepted);

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    void bind();

    const UnitField* field_;
    UnitField* own_field_ = nullptr;
    LeaveHook leave_;
    bool validating_ = false;
    bool in_focus_out_ = false;
};

// A unit combo box over a UnitSelector: lists the kind's unit names with the
// stored unit selected. A choice the selector refuses (the species cannot
// support the unit; its ERROR box has said so) puts the previous unit back;
// an accepted one is passed on to the paired edit and label.
class UnitSelectorCombo : public QComboBox {
    Q_OBJECT
public:
    // Selects through selector.select(); the selector must outlive the box.
    explicit UnitSelectorCombo(UnitSelector& selector, QWidget* parent = nullptr);
    // Selects through select(index), a form's hook; selector is the form's
    // view of its selector.
    using SelectHook = std::function<bool(int index)>;
    UnitSelectorCombo(const UnitSelector& selector, SelectHook select, QWidget* parent = nullptr);

    const UnitSelector& selector() const { return *selector_; }

    // The edit of the same value, told every new unit.
    void pair_with(UnitFieldEdit* edit);
    // A label showing the selected unit's name.
    void set_label(QLabel* label);
    // Refills the names and the selection from the selector, after its kind
    // changed.
    void refill();

signals:
    // The selector accepted a new unit.
    void unit_changed(int index);

private:
    void bind();
    void choose(int index);
    void show_selected();

    const UnitSelector* selector_;
    UnitSelector* own_selector_ = nullptr;
    SelectHook select_;
    QPointer<UnitFieldEdit> edit_;
    QPointer<QLabel> label_;
    bool filling_ = false;
};

}  // namespace avelor::ui
