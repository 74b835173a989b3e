// The duct element dialogs: the model chooser, the two-page property sheet
// and the Data menu's duct element manager.
#pragma once

#include <QDialog>

#include <map>
#include <vector>

#include "model/duct_element.h"
#include "model/duct_rules.h"

class QButtonGroup;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace avelor {
class DuctElementForm;
class Project;
}  // namespace avelor

namespace avelor::ui {

class UnitFieldEdit;
class UnitSelectorCombo;

// "Duct Flow Element Models": one radio button per duct type in its group,
// the edited element's type (else the last choice, else Darcy-Colebrook)
// preselected. OK remembers the choice in the state.
class DuctChooserDialog final : public QDialog {
    Q_OBJECT
public:
    DuctChooserDialog(QWidget* parent, const DuctElement* edited, DuctChooserState& state);

    int chosen() const;
    QRadioButton* button(int type) const;

    void accept() override;

private:
    DuctChooserState& state_;
    QButtonGroup* group_ = nullptr;
    std::map<int, QRadioButton*> buttons_;
};

// "Duct Airflow Element Properties": the type's model page and "Shape, Size
// and Leakage". Leaving the model page checks the name (and the fan's
// data); the sheet stays on the page while the check fails. OK has the form
// accept the copy into the list, new when stored is null, else over stored.
class DuctElementSheet final : public QDialog {
    Q_OBJECT
public:
    DuctElementSheet(QWidget* parent, NamedList<DuctElement>& list, DuctElementForm& form, DuctElement* stored);

    DuctElement* record() const { return record_; }
    QTabWidget* pages() const { return tabs_; }

    void accept() override;

private:
    QWidget* model_page();
    QWidget* shape_page();
    void show_model();
    void show_shape();
    bool commit_model();
    bool commit_shape();
    bool leave_model();
    void page_chosen(int index);

    NamedList<DuctElement>& list_;
    DuctElementForm& form_;
    DuctElement* stored_;
    DuctElement* record_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    int page_ = 0;
    bool returning_ = false;

    QLineEdit* name_ = nullptr;
    QLineEdit* desc_ = nullptr;
    std::vector<UnitFieldEdit*> edits_;
    std::vector<UnitSelectorCombo*> combos_;

    QButtonGroup* shapes_ = nullptr;
    QLabel* first_label_ = nullptr;
    QLabel* second_label_ = nullptr;
    UnitFieldEdit* first_ = nullptr;
    UnitFieldEdit* second_ = nullptr;
    UnitSelectorCombo* first_unit_ = nullptr;
    UnitSelectorCombo* second_unit_ = nullptr;
    QLineEdit* dh_ = nullptr;
    QLineEdit* perim_ = nullptr;
    QLineEdit* area_ = nullptr;
    QLabel* dh_unit_ = nullptr;
    QLabel* perim_unit_ = nullptr;
    QLabel* area_unit_ = nullptr;
    QButtonGroup* systems_ = nullptr;
    UnitFieldEdit* rate_ = nullptr;
    UnitFieldEdit* pressure_ = nullptr;
    UnitFieldEdit* class_ = nullptr;
    QLabel* rate_unit_ = nullptr;
    QLabel* pressure_unit_ = nullptr;
};

// The chooser, then the sheet on a new element of the chosen type with the
// project's defaults; the stored element once accepted, else null.
DuctElement* create_duct_element_dialog(QWidget* parent, Project& project, DuctChooserState& state);
// The sheet on a copy of the element; the record that replaced it once OK
// was accepted, else null.
DuctElement* edit_duct_element_dialog(QWidget* parent, Project& project, DuctElement& element);

// "AVELORW Data and Library Manager: Duct Elements": the project's duct
// elements in name order with the summary of the selected one, and New,
// Edit and Delete (refused while a duct segment uses the element).
class DuctElementManagerDialog final : public QDialog {
    Q_OBJECT
public:
    DuctElementManagerDialog(QWidget* parent, Project& project, DuctChooserState& state);

    QListWidget* element_list() const { return list_; }

private:
    void fill(const DuctElement* selected);
    DuctElement* current() const;
    void show_summary();
    void new_element();
    void edit_element();
    void delete_element();

    Project& project_;
    DuctChooserState& state_;
    QListWidget* list_ = nullptr;
    QLabel* summary_ = nullptr;
    QPushButton* edit_ = nullptr;
    QPushButton* delete_ = nullptr;
};

void run_duct_element_manager(QWidget* parent, Project& project, DuctChooserState& state);

}  // namespace avelor::ui
