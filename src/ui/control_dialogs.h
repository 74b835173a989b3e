// The control network's dialogs over their forms: the type chooser, the
// dialog of each node type, the sensor dialogs and the terminal question,
// the phantom and super node dialogs, and the "Control Super Elements"
// window. Every rule is the form's; these only show and pass on.
#pragma once

#include <QDialog>

#include <array>
#include <vector>

#include "forms/control_node_forms.h"
#include "forms/control_sensor_form.h"
#include "editing/super_element_editing.h"
#include "forms/control_super_forms.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTreeWidget;

namespace avelor {
class Project;
}

namespace avelor::ui {

class UnitFieldEdit;

class ControlChooserDialog final : public QDialog {
    Q_OBJECT
public:
    ControlChooserDialog(ControlTypeChooser& chooser, QWidget* parent = nullptr);
    void accept() override;

private:
    ControlTypeChooser& chooser_;
    QButtonGroup* group_ = nullptr;
};

// Hours, minutes and seconds side by side.
struct TimeEdits {
    QSpinBox* hours = nullptr;
    QSpinBox* minutes = nullptr;
    QSpinBox* seconds = nullptr;
};

class ControlNodeDialog final : public QDialog {
    Q_OBJECT
public:
    ControlNodeDialog(ControlNodeForm& form, Project& project, QWidget* parent = nullptr);
    void accept() override;

private:
    QWidget* focus_of(ControlField field) const;
    UnitFieldEdit* numeric(ControlField field, const char* name);
    void fill_schedules();
    void fill_delays();
    void fill_coefficients();

    ControlNodeForm& form_;
    Project& project_;
    QLineEdit* name_ = nullptr;
    QLineEdit* description_ = nullptr;
    std::vector<std::pair<ControlField, UnitFieldEdit*>> edits_;
    QComboBox* schedule_ = nullptr;
    QLabel* schedule_description_ = nullptr;
    QButtonGroup* schedule_kind_ = nullptr;
    QComboBox* value_name_ = nullptr;
    QLineEdit* header_ = nullptr;
    QLineEdit* units_ = nullptr;
    std::array<QComboBox*, 2> delays_{};
    std::vector<std::pair<ControlField, TimeEdits>> times_;
    QSpinBox* order_ = nullptr;
    QTreeWidget* coefficients_ = nullptr;
    bool filling_ = false;
};

class SensorDialog final : public QDialog {
    Q_OBJECT
public:
    SensorDialog(SensorForm& form, QWidget* parent = nullptr);
    void accept() override;

private:
    void refresh();

    SensorForm& form_;
    QButtonGroup* sensed_ = nullptr;
    QComboBox* species_ = nullptr;
    UnitFieldEdit* gain_ = nullptr;
    UnitFieldEdit* offset_ = nullptr;
    UnitFieldEdit* tau_ = nullptr;
    QRadioButton* average_ = nullptr;
    QRadioButton* cell_ = nullptr;
    std::array<UnitFieldEdit*, 3> location_{};
    QComboBox* location_unit_ = nullptr;
    QLineEdit* description_ = nullptr;
};

class PhantomDialog final : public QDialog {
    Q_OBJECT
public:
    PhantomDialog(PhantomForm& form, QWidget* parent = nullptr);

private:
    void show_chosen();

    PhantomForm& form_;
    QLabel* name_ = nullptr;
    QLabel* description_ = nullptr;
    QLabel* type_ = nullptr;
    QListWidget* list_ = nullptr;
};

class SuperNodeDialog final : public QDialog {
    Q_OBJECT
public:
    SuperNodeDialog(SuperNodeForm& form, QWidget* parent = nullptr);
    void accept() override;
    void reject() override;

private:
    void show_element();

    SuperNodeForm& form_;
    QComboBox* elements_ = nullptr;
    QLabel* element_name_ = nullptr;
    QLabel* element_description_ = nullptr;
    QLabel* element_defined_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* description_ = nullptr;
    QPushButton* create_ = nullptr;
    QLabel* status_ = nullptr;
    // The sub-network's phantom nodes, set one by one.
    QListWidget* phantoms_ = nullptr;
    QPushButton* set_phantom_ = nullptr;
    void set_chosen_phantom();
};

// "Control Super Elements", modeless beside the SketchPad, which shows the
// chosen element's own sketch meanwhile. finished() tells that OK or
// Cancel ended the editing.
class SuperElementsWindow final : public QDialog {
    Q_OBJECT
public:
    SuperElementsWindow(SuperElementsEditing& editing, QWidget* parent = nullptr);
    void accept() override;
    void reject() override;
    // The SketchPad changed the element's nodes: the node lists follow.
    void sketch_edited();

signals:
    // The SketchPad shows something else: repaint it and the commands.
    void sketchChanged();
    void finishedEditing();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void refresh();
    void end();
    template <class Change>
    void change(Change&& f);

    SuperElementsEditing& editing_;
    QListWidget* list_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* description_ = nullptr;
    QComboBox* input_ = nullptr;
    QComboBox* output_ = nullptr;
    QLabel* references_ = nullptr;
    QLabel* defined_ = nullptr;
    QLabel* check_result_ = nullptr;
    QLabel* locked_ = nullptr;
    bool filling_ = false;
};

// Each runs its dialog modally; true on an accepted OK.
bool run_control_chooser(QWidget* parent, ControlTypeChooser& chooser);
bool run_control_node_dialog(QWidget* parent, ControlNodeForm& form, Project& project);
bool run_sensor_dialog(QWidget* parent, SensorForm& form);
// "Terminal Sensor Type": 1 for the zone, junction or occupant dialog, 2
// for the path or duct dialog, 0 Cancel.
int run_terminal_sensor_type(QWidget* parent);
bool run_phantom_dialog(QWidget* parent, PhantomForm& form);
bool run_super_node_dialog(QWidget* parent, SuperNodeForm& form);

}  // namespace avelor::ui
