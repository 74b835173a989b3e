// The source/sink element dialogs: the model chooser, one model's dialog
// (with the super element's lists) and the Data menu's manager.
#pragma once

#include <QDialog>

#include <map>
#include <vector>

#include "forms/source_element_form.h"

class QButtonGroup;
class QComboBox;
class QGridLayout;
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

// "Source/Sink Element Models": one radio button per model, codes 0..9 in
// the "AVELOR" group and 10, 11 in the "NRCC" group.
class SourceChooserDialog final : public QDialog {
    Q_OBJECT
public:
    SourceChooserDialog(QWidget* parent, const SourceElement* edited, SourceChooser& chooser);
    int chosen() const;
    QRadioButton* button(int model) const;
    void accept() override;

private:
    SourceChooser& chooser_;
    QButtonGroup* group_ = nullptr;
    std::map<int, QRadioButton*> buttons_;
};

// One model's dialog over the form. OK has the form accept the copy into
// the list; the dialog stays open while the form refuses.
class SourceElementDialog final : public QDialog {
    Q_OBJECT
public:
    SourceElementDialog(QWidget* parent, Project& project, SourceElementForm& form, SourceElement* stored,
                        SourceChooser& chooser);
    SourceElement* record() const { return record_; }
    QComboBox* species_box() const { return species_; }
    QListWidget* sub_elements() const { return subs_; }
    QListWidget* available_elements() const { return available_; }
    void accept() override;

private:
    void clear_fields();
    void build_fields();
    void show_emission();
    void fill_lists();
    bool commit_fields();

    Project& project_;
    SourceElementForm& form_;
    SourceElement* stored_;
    SourceChooser& chooser_;
    SourceElement* record_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* desc_ = nullptr;
    QComboBox* species_ = nullptr;
    QWidget* fields_ = nullptr;
    QGridLayout* grid_ = nullptr;
    std::vector<UnitFieldEdit*> edits_;
    QLineEdit* emission_ = nullptr;
    int generation_ = 0;
    QListWidget* subs_ = nullptr;
    QListWidget* available_ = nullptr;
};

// The chooser, then the dialog on a new element of the chosen model; the
// stored element once accepted, else null.
SourceElement* create_source_element_dialog(QWidget* parent, Project& project, SourceChooser& chooser);
SourceElement* edit_source_element_dialog(QWidget* parent, Project& project, SourceElement& element,
                                          SourceChooser& chooser);

// "AVELORW Data and Library Manager: Source/Sink Elements".
class SourceElementManagerDialog final : public QDialog {
    Q_OBJECT
public:
    SourceElementManagerDialog(QWidget* parent, Project& project, SourceChooser& chooser);
    QListWidget* element_list() const { return list_; }
    QLabel* summary() const { return summary_; }

private:
    void fill(const SourceElement* selected);
    SourceElement* current() const;
    void show_summary();

    Project& project_;
    SourceChooser& chooser_;
    QListWidget* list_ = nullptr;
    QLabel* summary_ = nullptr;
    QPushButton* edit_ = nullptr;
    QPushButton* delete_ = nullptr;
};

void run_source_element_manager(QWidget* parent, Project& project, SourceChooser& chooser);

}  // namespace avelor::ui
