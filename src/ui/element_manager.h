// The super airflow element dialog and the project's airflow element
// manager (the Data menu's airflow elements entry).
#pragma once

#include <QDialog>

#include <memory>

#include "model/airflow_element.h"
#include "model/airflow_rules.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeWidget;

namespace avelor {
class Project;
class SuperElementForm;
}  // namespace avelor

namespace avelor::ui {

class UnitFieldEdit;
class UnitSelectorCombo;

// "Super Airflow Element" over the working copy of a super element. OK runs
// the element rules (name, at least two sub-elements) and stores the copy:
// as a new element when stored is null, else over stored. A refusal keeps
// the dialog open with every entry.
class SuperElementDialog final : public QDialog {
    Q_OBJECT
public:
    SuperElementDialog(QWidget* parent, Project& project, AirflowElement& copy, AirflowElement* stored,
                       ChooserState& state);
    ~SuperElementDialog() override;

    // The stored element once OK was accepted, else null.
    AirflowElement* record() const { return record_; }

    void accept() override;

private:
    void fill_candidates();
    void fill_rows();
    void show_entry();
    void show_summary();
    void sync_buttons();
    void new_element();

    Project& project_;
    AirflowElement& copy_;
    AirflowElement* stored_;
    ChooserState& state_;
    std::unique_ptr<SuperElementForm> form_;
    AirflowElement* record_ = nullptr;

    QLineEdit* name_ = nullptr;
    QLineEdit* desc_ = nullptr;
    QTreeWidget* rows_ = nullptr;
    QComboBox* element_ = nullptr;
    QLabel* category_ = nullptr;
    QLabel* model_ = nullptr;
    UnitFieldEdit* elevation_ = nullptr;
    UnitSelectorCombo* unit_ = nullptr;
    QCheckBox* filtered_ = nullptr;
    QCheckBox* schedulable_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* replace_ = nullptr;
    QPushButton* delete_ = nullptr;
};

// Runs the super element dialog; the stored element once accepted, else
// null.
AirflowElement* run_super_element_dialog(QWidget* parent, Project& project, AirflowElement& copy,
                                         AirflowElement* stored, ChooserState& state);

// "AVELORW Data and Library Manager: Airflow Elements": the project's
// elements in name order with the summary of the selected one; "New..."
// makes an element through the type chooser, "Edit..." edits the selected
// one in its type's dialog.
class ElementManagerDialog final : public QDialog {
    Q_OBJECT
public:
    ElementManagerDialog(QWidget* parent, Project& project, ChooserState& state);

private:
    // Lists the elements anew, selecting selected when it is among them.
    void fill(const AirflowElement* selected);
    AirflowElement* current() const;
    void show_summary();
    void new_element();
    void edit_element();

    Project& project_;
    ChooserState& state_;
    QListWidget* list_ = nullptr;
    QLabel* category_ = nullptr;
    QLabel* model_ = nullptr;
    QPushButton* edit_ = nullptr;
};

void run_element_manager(QWidget* parent, Project& project, ChooserState& state);

}  // namespace avelor::ui
