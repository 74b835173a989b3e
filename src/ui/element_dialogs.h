// The airflow element dialogs: the type chooser and the one dialog that
// shows any element type's form; the spline and super element types are
// passed on to their own dialogs.
#pragma once

#include <QDialog>

#include <array>
#include <vector>

#include "model/airflow_element.h"
#include "model/airflow_rules.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace avelor {
class ElementForm;
class Project;
}  // namespace avelor

namespace avelor::ui {

class UnitFieldEdit;
class UnitSelectorCombo;

// "Airflow Element Models": one radio button per type under its category
// line (the three leakage types share one), enabled and preselected by the
// chooser rules. OK remembers the choice in the state.
class ElementChooserDialog final : public QDialog {
    Q_OBJECT
public:
    ElementChooserDialog(QWidget* parent, const ChooserContext& context, const AirflowElement* edited,
                         ChooserState& state);

    // The type of the checked button (kPlrLeak1 for the leakage button).
    int chosen() const;
    // The button of a type (the leakage types share one); null for others.
    QRadioButton* button(int type) const;

    void accept() override;

private:
    ChooserState& state_;
    QButtonGroup* group_ = nullptr;
    std::array<QRadioButton*, kAirflowTypeCount> buttons_{};
};

// A type's dialog (types 0..23) over an element form: name, description,
// the form's rows, the icon buttons and the type's own buttons. OK has the
// form accept the copy into the project (new when stored is null, else over
// stored); a refusal keeps the dialog open with every entry.
class ElementDialog final : public QDialog {
    Q_OBJECT
public:
    ElementDialog(QWidget* parent, Project& project, ElementForm& form, AirflowElement* stored);

    // The stored element once OK was accepted, else null.
    AirflowElement* record() const { return record_; }

    void accept() override;

private:
    struct RowWidgets {
        UnitFieldEdit* edit = nullptr;
        UnitSelectorCombo* combo = nullptr;
        QLineEdit* shown = nullptr;    // derived or fixed values, and counts
        QCheckBox* check = nullptr;
    };
    void show_rows();
    bool commit_rows();
    void focus_on(const std::string& field);

    Project& project_;
    ElementForm& form_;
    AirflowElement* stored_;
    AirflowElement* record_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* desc_ = nullptr;
    QLabel* category_ = nullptr;  // the two summary lines of the type
    QLabel* model_ = nullptr;
    std::vector<RowWidgets> rows_;
};

// "Airflow Element Models", then the chosen type's dialog on a new element
// with the defaults of this project. Returns the stored element once OK
// added it, null on Cancel in either dialog.
AirflowElement* create_element_dialog(QWidget* parent, Project& project, const ChooserContext& context,
                                      ChooserState& state);

// The element's type dialog on a copy; OK replaces the stored element.
// True when accepted.
bool edit_element_dialog(QWidget* parent, Project& project, AirflowElement& element, ChooserState& state);

}  // namespace avelor::ui
