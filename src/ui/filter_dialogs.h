// The filter dialogs: the element type chooser, "Filter Element" and its
// four type data dialogs, "Super Filter Element", "Filter Properties" and
// the Data menu's filter element manager. They bind the forms of
// forms/filter_element_form.h, filter_data_forms.h and filter_form.h.
#pragma once

#include <QDialog>

#include <array>
#include <optional>
#include <string>

#include "forms/filter_element_form.h"
#include "forms/filter_form.h"

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace avelor {
class Project;
}

namespace avelor::ui {

class UnitFieldEdit;

// The chooser's last choice, kept for the program's run.
FilterChooser& session_filter_chooser();

// "Filter Element Models".
class FilterChooserDialog final : public QDialog {
    Q_OBJECT
public:
    FilterChooserDialog(QWidget* parent, const Project& project, FilterChooser& chooser, bool inside_super);
    int chosen() const;
    QRadioButton* button(int type) const { return buttons_.at(static_cast<std::size_t>(type)); }
    void accept() override;

private:
    FilterChooser& chooser_;
    std::array<bool, kFilterTypeCount> enabled_{};
    QButtonGroup* group_ = nullptr;
    std::array<QRadioButton*, kFilterTypeCount> buttons_{};
};

// "Filter Element" (types 0..3). OK has the form accept the copy; the
// dialog stays open while it refuses.
class FilterElementDialog final : public QDialog {
    Q_OBJECT
public:
    FilterElementDialog(QWidget* parent, Project& project, FilterElementForm& form, FilterElement* stored);
    FilterElement* record() const { return record_; }
    QLabel* mass() const { return mass_; }
    QLabel* mass_unit() const { return mass_unit_; }
    void accept() override;

private:
    void show_mass();
    void edit_data();

    Project& project_;
    FilterElementForm& form_;
    FilterElement* stored_;
    FilterElement* record_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* desc_ = nullptr;
    std::array<UnitFieldEdit*, 3> edits_{};
    QLabel* mass_ = nullptr;
    QLabel* mass_unit_ = nullptr;
};

// The type data dialog of an element: true when its OK replaced data.
bool run_filter_data_dialog(QWidget* parent, const Project& project, int type, const std::string& name,
                            FilterData& data);

// "Super Filter Element".
class SuperFilterDialog final : public QDialog {
    Q_OBJECT
public:
    SuperFilterDialog(QWidget* parent, Project& project, SuperFilterForm& form, FilterElement* stored);
    FilterElement* record() const { return record_; }
    QListWidget* sub_elements() const { return subs_; }
    QListWidget* available_elements() const { return available_; }
    void accept() override;

private:
    void fill(int sub_row);
    void show_available();

    Project& project_;
    SuperFilterForm& form_;
    FilterElement* stored_;
    FilterElement* record_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* desc_ = nullptr;
    QListWidget* subs_ = nullptr;
    QListWidget* available_ = nullptr;
    QLabel* type_ = nullptr;
    QLabel* about_ = nullptr;
    QPushButton* remove_ = nullptr;
    QPushButton* up_ = nullptr;
    QPushButton* down_ = nullptr;
};

// The chooser, then the element's dialog on a new element: the stored
// element once accepted, else null.
FilterElement* create_filter_element_dialog(QWidget* parent, Project& project, FilterChooser& chooser,
                                            bool inside_super = false);
FilterElement* edit_filter_element_dialog(QWidget* parent, Project& project, FilterElement& element,
                                          FilterChooser& chooser);

// "Filter Properties" over a form on a filter's working copy.
class FilterPropertiesDialog final : public QDialog {
    Q_OBJECT
public:
    FilterPropertiesDialog(QWidget* parent, Project& project, FilterForm& form, FilterChooser& chooser);
    QComboBox* element_box() const { return element_; }
    QListWidget* loads() const { return loads_; }
    void accept() override;

private:
    void fill_elements();
    void show_element();

    Project& project_;
    FilterForm& form_;
    FilterChooser& chooser_;
    QComboBox* element_ = nullptr;
    QLabel* type_ = nullptr;
    QLabel* about_ = nullptr;
    QPushButton* edit_ = nullptr;
    QListWidget* loads_ = nullptr;
    QLineEdit* loading_ = nullptr;
};

// "Filter Properties" on working: the accepted copy, or nothing on Cancel.
std::optional<Filter> run_filter_properties(QWidget* parent, Project& project, const Filter& working);

// "AVELORW Data and Library Manager: Filter Elements".
class FilterElementManagerDialog final : public QDialog {
    Q_OBJECT
public:
    FilterElementManagerDialog(QWidget* parent, Project& project, FilterChooser& chooser);
    QListWidget* element_list() const { return list_; }
    QLabel* summary() const { return summary_; }

private:
    void fill(const FilterElement* selected);
    FilterElement* current() const;
    void show_summary();

    Project& project_;
    FilterChooser& chooser_;
    QListWidget* list_ = nullptr;
    QLabel* summary_ = nullptr;
    QPushButton* edit_ = nullptr;
    QPushButton* delete_ = nullptr;
};

void run_filter_element_manager(QWidget* parent, Project& project);

}  // namespace avelor::ui
