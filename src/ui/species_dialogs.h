// The species and kinetic reaction dialogs over the core's forms
// (model/species_forms.h), and the project-side lists the Data menu opens
// for those two kinds.
//
// The dialogs only bind: every rule, refusal and message is the form's.
// A refused OK keeps the dialog open with the focus on the field the form
// names.
#pragma once

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

#include "forms/kinetic_reaction_form.h"
#include "forms/project_species_form.h"
#include "forms/species_form.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace avelor {
class Project;
}

namespace avelor::ui {

class UnitFieldEdit;
class UnitSelectorCombo;

// "Species Properties": a new species (original null) or an edit of one of
// the list's species. OK stores it in the list, which marks its owner
// changed.
class SpeciesDialog final : public QDialog {
    Q_OBJECT
public:
    SpeciesDialog(NamedList<Species>& list, Species* original, QWidget* parent = nullptr);
    ~SpeciesDialog() override;

    // The stored species after an accepted OK, else null.
    Species* stored() const { return form_.stored(); }
    // The controls, for tests and the opener.
    QWidget* field_widget(SpeciesField field) const;
    UnitSelectorCombo* unit_box(SpeciesField field) const;
    QCheckBox* non_trace_box() const { return non_trace_; }
    QCheckBox* use_box() const { return use_; }

public slots:
    void accept() override;

private:
    void add_numeric_row(QGridLayout* grid, int row, const char* caption, SpeciesField field,
                         const char* fixed_unit);
    void property_left(SpeciesField field);

    SpeciesForm form_;
    bool closing_ = false;  // the controls are going; the form must not be asked
    QLineEdit* name_ = nullptr;
    QLineEdit* description_ = nullptr;
    QCheckBox* non_trace_ = nullptr;
    QCheckBox* use_ = nullptr;
    struct Row {
        SpeciesField field;
        UnitFieldEdit* edit;
        UnitSelectorCombo* units;  // null for the fields without a unit box
    };
    std::vector<Row> rows_;
};

// "Project Species": the buttons act on the project at once; OK and Cancel
// both lay the contaminants out again and close only when that succeeds.
class ProjectSpeciesDialog final : public QDialog {
    Q_OBJECT
public:
    explicit ProjectSpeciesDialog(Project& project, QWidget* parent = nullptr);
    ~ProjectSpeciesDialog() override;

    QListWidget* species_list() const { return species_; }
    QListWidget* contaminant_list() const { return contaminants_; }
    QPushButton* add_button() const { return add_; }
    QPushButton* remove_button() const { return remove_; }
    QPushButton* new_button() const { return new_; }
    QPushButton* edit_button() const { return edit_; }
    QPushButton* delete_button() const { return delete_; }
    // The summary values, in the order of the form's summary lines.
    QLabel* summary_value(int line) const { return summary_.at(static_cast<std::size_t>(line)); }
    // The species pane's values, by caption.
    QLabel* pane_value(const QString& caption) const;

public slots:
    void accept() override;
    void reject() override;

private:
    void refresh();
    void show_selection();
    void species_selected();
    void contaminants_selected();
    void new_species();
    void edit_species();
    void delete_species();
    void finish(int result);

    Project* project_;
    ProjectSpeciesForm form_;
    QListWidget* species_ = nullptr;
    QListWidget* contaminants_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* remove_ = nullptr;
    QPushButton* new_ = nullptr;
    QPushButton* edit_ = nullptr;
    QPushButton* delete_ = nullptr;
    std::vector<QLabel*> summary_;
    std::vector<std::pair<QString, QLabel*>> pane_;
    bool refreshing_ = false;
};

// "Kinetic Reaction Data": a new reaction (original null) or an edit of one
// of the list's reactions, naming species of the given list.
class KineticReactionDialog final : public QDialog {
    Q_OBJECT
public:
    KineticReactionDialog(NamedList<KineticReaction>& reactions, const NamedList<Species>& species,
                          KineticReaction* original, QWidget* parent = nullptr);
    ~KineticReactionDialog() override;

    KineticReaction* stored() const { return form_.stored(); }
    QLineEdit* name_edit() const { return name_; }
    QListWidget* pair_list() const { return pairs_; }
    QComboBox* reactant_box() const { return reactant_; }
    QComboBox* product_box() const { return product_; }
    UnitFieldEdit* coefficient_edit() const { return coefficient_; }
    QPushButton* add_button() const { return add_; }
    QPushButton* replace_button() const { return replace_; }
    QPushButton* delete_button() const { return delete_; }

public slots:
    void accept() override;

private:
    bool coefficient_ready();
    void refresh_pairs();
    void show_editor();
    void pair_selected(int line);
    void add_pair();
    void replace_pair();
    void delete_pair();

    KineticReactionForm form_;
    bool closing_ = false;  // the controls are going; the form must not be asked
    QLineEdit* name_ = nullptr;
    QLineEdit* description_ = nullptr;
    QListWidget* pairs_ = nullptr;
    QComboBox* reactant_ = nullptr;
    QComboBox* product_ = nullptr;
    UnitFieldEdit* coefficient_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* replace_ = nullptr;
    QPushButton* delete_ = nullptr;
    bool refreshing_ = false;
};

// The project half of the data manager for one element kind: the project's
// elements of that kind by name, "New..." and "Edit..." (or a double click)
// opening the kind's own dialog.
class ProjectElementsDialog final : public QDialog {
    Q_OBJECT
public:
    struct Kind {
        QString name;                                  // "Species", ...
        std::function<std::vector<std::string>()> names;  // in list order
        std::function<bool(QWidget*)> create;          // true when one was stored
        std::function<bool(QWidget*, int line)> edit;  // true when accepted
        std::function<void(QWidget*)> library;         // "Library...", when the kind has one
    };
    explicit ProjectElementsDialog(Kind kind, QWidget* parent = nullptr);

    QListWidget* element_list() const { return list_; }
    QPushButton* new_button() const { return new_; }
    QPushButton* edit_button() const { return edit_; }

private:
    void refresh();
    void edit_selected();

    Kind kind_;
    QListWidget* list_ = nullptr;
    QPushButton* new_ = nullptr;
    QPushButton* edit_ = nullptr;
};

// The title of the data manager for an element kind.
QString data_manager_title(const QString& kind);

// "Species Properties" on a new species (original null) or a project
// species; the stored species once accepted, else null.
Species* run_species_dialog(QWidget* parent, Project& project, Species* original = nullptr);
// "Project Species" ("&Contaminants..."); true when closed by OK. Its
// buttons change the project at once, so Cancel may have changed it too.
bool run_project_species_dialog(QWidget* parent, Project& project);
// "Kinetic Reaction Data" on a new reaction (original null) or a project
// reaction; the stored reaction once accepted, else null.
KineticReaction* run_reaction_dialog(QWidget* parent, Project& project,
                                     KineticReaction* original = nullptr);
// The project-side data manager's kinds for species and kinetic reactions.
ProjectElementsDialog::Kind species_manager_kind(Project& project);
ProjectElementsDialog::Kind reaction_manager_kind(Project& project);
// The Data menu's species and kinetic reaction entries.
void run_species_manager(QWidget* parent, Project& project);
void run_reaction_manager(QWidget* parent, Project& project);

}  // namespace avelor::ui
