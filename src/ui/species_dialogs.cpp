#include "ui/species_dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <string_view>
#include <utility>

#include "app/description_line.h"
#include "model/project.h"
#include "ui/library_manager_dialog.h"
#include "ui/text_1252.h"
#include "ui/unit_widgets.h"

namespace avelor::ui {

namespace {

QDialogButtonBox* ok_cancel(QDialog* dialog)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

void fill_list(QListWidget* list, const std::vector<std::string>& lines)
{
    const QSignalBlocker quiet(list);
    list->clear();
    for (const std::string& line : lines) list->addItem(from_1252(line));
}

std::vector<std::size_t> selected_rows(const QListWidget* list)
{
    std::vector<std::size_t> rows;
    for (int row = 0; row < list->count(); ++row)
        if (list->item(row)->isSelected()) rows.push_back(static_cast<std::size_t>(row));
    return rows;
}

// An edit whose text was typed over and not checked yet (the focus has not
// left it) is checked now; false when it was refused.
bool check_pending(UnitFieldEdit* edit)
{
    if (edit->text() == from_1252(edit->field().shown_text())) return true;
    if (edit->commit()) return true;
    edit->setFocus(Qt::OtherFocusReason);
    return false;
}

// The controls go before the form they are bound to: the edit holding the
// focus is told it lost it as it goes, and its field must still be there.
void remove_controls(QDialog* dialog)
{
    qDeleteAll(dialog->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly));
}

template <class T>
T* record_at(const NamedList<T>& list, int line)
{
    int i = 0;
    for (T& r : list)
        if (i++ == line) return &r;
    return nullptr;
}

template <class T>
std::vector<std::string> names_of(const NamedList<T>& list)
{
    std::vector<std::string> names;
    for (const T& r : list) names.push_back(r.name);
    return names;
}

}  // namespace

// ---------------------------------------------------------------- species

SpeciesDialog::SpeciesDialog(NamedList<Species>& list, Species* original, QWidget* parent)
    : QDialog(parent), form_(list, original)
{
    setWindowTitle(QStringLiteral("Species Properties"));
    auto* grid = new QGridLayout;
    int row = 0;

    name_ = new QLineEdit(from_1252(form_.working().name), this);
    grid->addWidget(new QLabel(QStringLiteral("Name:"), this), row, 0);
    grid->addWidget(name_, row++, 1, 1, 2);
    description_ = new QLineEdit(from_1252(form_.working().desc), this);
    description_->setMaxLength(static_cast<int>(kDescriptionLimit));
    grid->addWidget(new QLabel(QStringLiteral("Description:"), this), row, 0);
    grid->addWidget(description_, row++, 1, 1, 2);

    add_numeric_row(grid, row++, "Molecular Weight:", SpeciesField::MolecularWeight, "kg/kmol");
    add_numeric_row(grid, row++, "Mean Diameter:", SpeciesField::MeanDiameter, nullptr);
    add_numeric_row(grid, row++, "Effective Density:", SpeciesField::EffectiveDensity, nullptr);
    add_numeric_row(grid, row++, "Decay Rate:", SpeciesField::DecayRate, "1/s");
    add_numeric_row(grid, row++, "Diffusion Coefficient:", SpeciesField::Diffusivity, nullptr);
    add_numeric_row(grid, row++, "Default Concentration:", SpeciesField::DefaultConcentration,
                    nullptr);
    add_numeric_row(grid, row++, "Specific Heat:", SpeciesField::SpecificHeat, nullptr);
    add_numeric_row(grid, row++, "UVGI Susceptibility Constant:", SpeciesField::UvSusceptibility,
                    "m\u00b2/J");

    non_trace_ = new QCheckBox(this);
    non_trace_->setChecked(form_.working().t != 0);
    grid->addWidget(new QLabel(QStringLiteral("Non-trace Contaminant:"), this), row, 0);
    grid->addWidget(non_trace_, row++, 1);
    use_ = new QCheckBox(this);
    use_->setChecked(form_.working().s != 0);
    grid->addWidget(new QLabel(QStringLiteral("Use in Simulation:"), this), row, 0);
    grid->addWidget(use_, row++, 1);
    connect(non_trace_, &QCheckBox::toggled, this, [this](bool on) { form_.set_non_trace(on); });
    connect(use_, &QCheckBox::toggled, this, [this](bool on) { form_.set_use_in_simulation(on); });

    const QString guideline = from_1252(std::string(SpeciesForm::kGuidelineText));
    for (const QString& caption :
         {QStringLiteral("Guideline Value:"), QStringLiteral("Guideline Description:")}) {
        auto* label = new QLabel(caption, this);
        auto* value = new QLineEdit(guideline, this);
        label->setEnabled(false);
        value->setEnabled(false);
        grid->addWidget(label, row, 0);
        grid->addWidget(value, row++, 1, 1, 2);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(ok_cancel(this));
}

SpeciesDialog::~SpeciesDialog()
{
    closing_ = true;
    remove_controls(this);
}

void SpeciesDialog::add_numeric_row(QGridLayout* grid, int row, const char* caption,
                                    SpeciesField field, const char* fixed_unit)
{
    auto* edit = new UnitFieldEdit(
        form_.field(field),
        [this, field](std::string_view text) {
            if (closing_) return false;
            const bool accepted = form_.leave_field(field, text);
            if (accepted) property_left(field);
            return accepted;
        },
        this);
    grid->addWidget(new QLabel(QString::fromUtf8(caption), this), row, 0);
    grid->addWidget(edit, row, 1);
    UnitSelectorCombo* units = nullptr;
    if (fixed_unit) {
        grid->addWidget(new QLabel(QString::fromUtf8(fixed_unit), this), row, 2);
    } else {
        units = new UnitSelectorCombo(
            form_.selector(field), [this, field](int index) { return form_.select_unit(field, index); },
            this);
        units->pair_with(edit);
        grid->addWidget(units, row, 2);
    }
    rows_.push_back({field, edit, units});
}

// A property that decides the concentration units may have changed the
// concentration kind, and with it the unit list and the value shown.
void SpeciesDialog::property_left(SpeciesField field)
{
    if (field == SpeciesField::DefaultConcentration) return;
    for (const Row& r : rows_) {
        if (r.field != SpeciesField::DefaultConcentration) continue;
        r.units->refill();
        r.edit->show_field();
    }
}

QWidget* SpeciesDialog::field_widget(SpeciesField field) const
{
    if (field == SpeciesField::Name) return name_;
    if (field == SpeciesField::Description) return description_;
    for (const Row& r : rows_)
        if (r.field == field) return r.edit;
    return nullptr;
}

UnitSelectorCombo* SpeciesDialog::unit_box(SpeciesField field) const
{
    for (const Row& r : rows_)
        if (r.field == field) return r.units;
    return nullptr;
}

void SpeciesDialog::accept()
{
    for (const Row& r : rows_)
        if (!check_pending(r.edit)) return;
    form_.set_name(to_1252(name_->text()));
    form_.set_description(to_1252(description_->text()));
    const FormAnswer<SpeciesField> answer = form_.accept();
    if (!answer.accepted) {
        if (QWidget* w = field_widget(answer.focus)) w->setFocus(Qt::OtherFocusReason);
        return;
    }
    QDialog::accept();
}

// -------------------------------------------------------- project species

ProjectSpeciesDialog::ProjectSpeciesDialog(Project& project, QWidget* parent)
    : QDialog(parent), project_(&project), form_(project)
{
    setWindowTitle(QStringLiteral("Project Species"));

    species_ = new QListWidget(this);
    species_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    contaminants_ = new QListWidget(this);
    contaminants_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    add_ = new QPushButton(QStringLiteral("Add CTMs"), this);
    remove_ = new QPushButton(QStringLiteral("Remove CTMs"), this);
    new_ = new QPushButton(QStringLiteral("New"), this);
    edit_ = new QPushButton(QStringLiteral("Edit"), this);
    delete_ = new QPushButton(QStringLiteral("Delete"), this);
    for (QPushButton* b : {add_, remove_, new_, edit_, delete_}) b->setAutoDefault(false);

    auto* lists = new QGridLayout;
    lists->addWidget(new QLabel(QStringLiteral("Species:"), this), 0, 0);
    lists->addWidget(new QLabel(QStringLiteral("Contaminants:"), this), 0, 2);
    lists->addWidget(species_, 1, 0);
    auto* moves = new QVBoxLayout;
    moves->addStretch();
    moves->addWidget(add_);
    moves->addWidget(remove_);
    moves->addStretch();
    lists->addLayout(moves, 1, 1);
    lists->addWidget(contaminants_, 1, 2);
    auto* edits = new QHBoxLayout;
    edits->addWidget(new_);
    edits->addWidget(edit_);
    edits->addWidget(delete_);
    edits->addStretch();
    lists->addLayout(edits, 2, 0);

    auto* pane_box = new QGroupBox(QStringLiteral("Species Properties"), this);
    auto* pane_grid = new QGridLayout(pane_box);
    const char* pane_captions[] = {"Molecular Weight:",   "Mean Diameter:",
                                   "Effective Density:",  "Decay Rate:",
                                   "Diffusion Coefficient:", "Default Concentration:",
                                   "Specific Heat:",      "UVGI Susceptibility Constant:",
                                   "Trace Contaminant:",  "Use in Simulation:"};
    int row = 0;
    for (const char* caption : pane_captions) {
        auto* value = new QLabel(pane_box);
        pane_grid->addWidget(new QLabel(QString::fromUtf8(caption), pane_box), row, 0);
        pane_grid->addWidget(value, row++, 1);
        pane_.emplace_back(QString::fromUtf8(caption), value);
    }

    auto* summary_box = new QGroupBox(QStringLiteral("Contaminant Summary"), this);
    auto* summary_grid = new QGridLayout(summary_box);
    row = 0;
    for (const SummaryLine& line : form_.summary_lines()) {
        auto* value = new QLabel(summary_box);
        summary_grid->addWidget(new QLabel(from_1252(line.caption), summary_box), row, 0);
        summary_grid->addWidget(value, row++, 1);
        summary_.push_back(value);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists);
    auto* boxes = new QHBoxLayout;
    boxes->addWidget(pane_box);
    boxes->addWidget(summary_box, 0, Qt::AlignTop);
    layout->addLayout(boxes);
    layout->addWidget(ok_cancel(this));

    connect(species_, &QListWidget::itemSelectionChanged, this,
            &ProjectSpeciesDialog::species_selected);
    connect(contaminants_, &QListWidget::itemSelectionChanged, this,
            &ProjectSpeciesDialog::contaminants_selected);
    connect(species_, &QListWidget::itemDoubleClicked, this, [this] {
        if (form_.edit_enabled()) edit_species();
    });
    connect(add_, &QPushButton::clicked, this, [this] {
        form_.add_contaminants();
        refresh();
    });
    connect(remove_, &QPushButton::clicked, this, [this] {
        form_.remove_contaminants();
        refresh();
    });
    connect(new_, &QPushButton::clicked, this, &ProjectSpeciesDialog::new_species);
    connect(edit_, &QPushButton::clicked, this, &ProjectSpeciesDialog::edit_species);
    connect(delete_, &QPushButton::clicked, this, &ProjectSpeciesDialog::delete_species);
    refresh();
}

ProjectSpeciesDialog::~ProjectSpeciesDialog()
{
    refreshing_ = true;
    remove_controls(this);
}

// The lists and the summary anew. The species keep their selection when
// the list still has the same lines; the contaminants lose theirs, as the
// form forgets it whenever they change.
void ProjectSpeciesDialog::refresh()
{
    const std::vector<std::size_t> kept = selected_rows(species_);
    const int old_count = species_->count();
    const std::vector<std::string> lines = form_.species_lines();
    refreshing_ = true;
    fill_list(species_, lines);
    fill_list(contaminants_, form_.contaminant_lines());
    std::vector<std::size_t> rows;
    if (static_cast<int>(lines.size()) == old_count) rows = kept;
    for (std::size_t r : rows) species_->item(static_cast<int>(r))->setSelected(true);
    refreshing_ = false;
    form_.select_species(rows);
    form_.select_contaminants({});
    show_selection();
}

void ProjectSpeciesDialog::show_selection()
{
    add_->setEnabled(form_.add_enabled());
    remove_->setEnabled(form_.remove_enabled());
    edit_->setEnabled(form_.edit_enabled());
    delete_->setEnabled(form_.delete_enabled());

    const auto lines = form_.summary_lines();
    for (std::size_t i = 0; i < lines.size(); ++i) summary_[i]->setText(from_1252(lines[i].value));

    const std::optional<SpeciesPane> pane = form_.pane();
    auto with_unit = [](const std::string& value, const std::string& unit) {
        return from_1252(value) + QLatin1Char(' ') + from_1252(unit);
    };
    const QString texts[] = {
        pane ? from_1252(pane->molwt) : QString(),
        pane ? with_unit(pane->mdiam, pane->mdiam_unit) : QString(),
        pane ? with_unit(pane->edens, pane->edens_unit) : QString(),
        pane ? from_1252(pane->decay) : QString(),
        pane ? with_unit(pane->Dm, pane->Dm_unit) : QString(),
        pane ? with_unit(pane->CCdef, pane->CCdef_unit) : QString(),
        pane ? with_unit(pane->Cp, pane->Cp_unit) : QString(),
        pane ? from_1252(pane->Kuv) : QString(),
        pane ? from_1252(pane->trace) : QString(),
        pane ? from_1252(pane->use) : QString(),
    };
    for (std::size_t i = 0; i < pane_.size(); ++i) pane_[i].second->setText(texts[i].trimmed());
}

QLabel* ProjectSpeciesDialog::pane_value(const QString& caption) const
{
    for (const auto& [c, label] : pane_)
        if (c == caption) return label;
    return nullptr;
}

void ProjectSpeciesDialog::species_selected()
{
    if (refreshing_) return;
    form_.select_species(selected_rows(species_));
    show_selection();
}

void ProjectSpeciesDialog::contaminants_selected()
{
    if (refreshing_) return;
    form_.select_contaminants(selected_rows(contaminants_));
    show_selection();
}

void ProjectSpeciesDialog::new_species()
{
    SpeciesDialog dialog(project_->species, nullptr, this);
    if (dialog.exec() != QDialog::Accepted) return;
    species_->clearSelection();
    refresh();
}

void ProjectSpeciesDialog::edit_species()
{
    Species* target = form_.edit_target();
    if (!target) return;
    SpeciesDialog dialog(project_->species, target, this);
    if (dialog.exec() != QDialog::Accepted) return;
    species_->clearSelection();
    refresh();
}

void ProjectSpeciesDialog::delete_species()
{
    if (!form_.delete_selected()) return;
    species_->clearSelection();
    refresh();
}

void ProjectSpeciesDialog::finish(int result)
{
    if (form_.close() != 0) return;
    done(result);
}

void ProjectSpeciesDialog::accept() { finish(QDialog::Accepted); }
void ProjectSpeciesDialog::reject() { finish(QDialog::Rejected); }

// ------------------------------------------------------ kinetic reactions

KineticReactionDialog::KineticReactionDialog(NamedList<KineticReaction>& reactions,
                                             const NamedList<Species>& species,
                                             KineticReaction* original, QWidget* parent)
    : QDialog(parent), form_(reactions, species, original)
{
    setWindowTitle(QStringLiteral("Kinetic Reaction Data"));

    name_ = new QLineEdit(from_1252(form_.working().name), this);
    description_ = new QLineEdit(from_1252(form_.working().desc), this);
    description_->setMaxLength(static_cast<int>(kDescriptionLimit));
    pairs_ = new QListWidget(this);
    pairs_->setFont(QFont(QStringLiteral("Courier New"), 8));
    reactant_ = new QComboBox(this);
    product_ = new QComboBox(this);
    for (const std::string& name : form_.species_names()) {
        reactant_->addItem(from_1252(name));
        product_->addItem(from_1252(name));
    }
    coefficient_ = new UnitFieldEdit(
        form_.coefficient_field(),
        [this](std::string_view text) { return !closing_ && form_.leave_coefficient(text); },
        this);
    add_ = new QPushButton(QStringLiteral("Add R->P Pair"), this);
    replace_ = new QPushButton(QStringLiteral("Replace R->P Pair"), this);
    delete_ = new QPushButton(QStringLiteral("Delete R->P Pair"), this);
    for (QPushButton* b : {add_, replace_, delete_}) b->setAutoDefault(false);

    auto* grid = new QGridLayout;
    int row = 0;
    grid->addWidget(new QLabel(QStringLiteral("Name:"), this), row, 0);
    grid->addWidget(name_, row++, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Description:"), this), row, 0);
    grid->addWidget(description_, row++, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Reactant -> Product Pairs"), this), row++, 0, 1, 3);
    grid->addWidget(pairs_, row++, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Reactant Species"), this), row, 0);
    grid->addWidget(reactant_, row++, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Product Species"), this), row, 0);
    grid->addWidget(product_, row++, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Reaction Coefficient"), this), row, 0);
    grid->addWidget(coefficient_, row, 1);
    grid->addWidget(new QLabel(QStringLiteral("1/s"), this), row++, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add_);
    buttons->addWidget(replace_);
    buttons->addWidget(delete_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->addWidget(ok_cancel(this));

    connect(pairs_, &QListWidget::currentRowChanged, this, &KineticReactionDialog::pair_selected);
    // Clicking the current line again loads its pair again, over any edits.
    connect(pairs_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { pair_selected(pairs_->row(item)); });
    connect(reactant_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (refreshing_ || index < 0) return;
        form_.choose_reactant(static_cast<std::size_t>(index));
        show_editor();
    });
    connect(product_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (refreshing_ || index < 0) return;
        form_.choose_product(static_cast<std::size_t>(index));
        show_editor();
    });
    connect(add_, &QPushButton::clicked, this, &KineticReactionDialog::add_pair);
    connect(replace_, &QPushButton::clicked, this, &KineticReactionDialog::replace_pair);
    connect(delete_, &QPushButton::clicked, this, &KineticReactionDialog::delete_pair);
    refresh_pairs();
}

KineticReactionDialog::~KineticReactionDialog()
{
    closing_ = true;
    remove_controls(this);
}

bool KineticReactionDialog::coefficient_ready() { return check_pending(coefficient_); }

void KineticReactionDialog::refresh_pairs()
{
    refreshing_ = true;
    fill_list(pairs_, form_.pair_lines());
    if (const auto selected = form_.selected_pair()) {
        const QSignalBlocker quiet(pairs_);
        pairs_->setCurrentRow(static_cast<int>(*selected));
    }
    refreshing_ = false;
    show_editor();
}

// The pair editor and the buttons from the form.
void KineticReactionDialog::show_editor()
{
    const std::vector<std::string> names = form_.species_names();
    auto line_of = [&](const Species* s) {
        if (!s) return -1;
        const auto at = std::find(names.begin(), names.end(), s->name);
        return at == names.end() ? -1 : static_cast<int>(at - names.begin());
    };
    const bool was_refreshing = refreshing_;
    refreshing_ = true;
    reactant_->setCurrentIndex(line_of(form_.reactant()));
    product_->setCurrentIndex(line_of(form_.product()));
    refreshing_ = was_refreshing;
    coefficient_->show_field();
    add_->setEnabled(form_.add_enabled());
    replace_->setEnabled(form_.replace_enabled());
    delete_->setEnabled(form_.delete_enabled());
}

void KineticReactionDialog::pair_selected(int line)
{
    if (refreshing_ || line < 0) return;
    form_.select_pair(static_cast<std::size_t>(line));
    show_editor();
}

void KineticReactionDialog::add_pair()
{
    if (!coefficient_ready()) return;
    if (form_.add_pair()) refresh_pairs();
}

void KineticReactionDialog::replace_pair()
{
    if (!coefficient_ready()) return;
    if (form_.replace_pair()) refresh_pairs();
}

void KineticReactionDialog::delete_pair()
{
    if (form_.delete_pair()) refresh_pairs();
}

void KineticReactionDialog::accept()
{
    if (!coefficient_ready()) return;
    form_.set_name(to_1252(name_->text()));
    form_.set_description(to_1252(description_->text()));
    const FormAnswer<ReactionField> answer = form_.accept();
    if (!answer.accepted) {
        QWidget* focus = name_;
        switch (answer.focus) {
        case ReactionField::Name: focus = name_; break;
        case ReactionField::Description: focus = description_; break;
        case ReactionField::Pairs: focus = pairs_; break;
        case ReactionField::Reactant: focus = reactant_; break;
        case ReactionField::Product: focus = product_; break;
        case ReactionField::Coefficient: focus = coefficient_; break;
        }
        focus->setFocus(Qt::OtherFocusReason);
        return;
    }
    QDialog::accept();
}

// ------------------------------------------------------ project elements

QString data_manager_title(const QString& kind)
{
    return QStringLiteral("AVELORW Data and Library Manager: ") + kind;
}

ProjectElementsDialog::ProjectElementsDialog(Kind kind, QWidget* parent)
    : QDialog(parent), kind_(std::move(kind))
{
    setWindowTitle(data_manager_title(kind_.name));
    list_ = new QListWidget(this);
    new_ = new QPushButton(QStringLiteral("New..."), this);
    edit_ = new QPushButton(QStringLiteral("Edit..."), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(new_);
    buttons->addWidget(edit_);
    if (kind_.library) {
        auto* library = new QPushButton(QStringLiteral("Library..."), this);
        library->setObjectName(QStringLiteral("Library"));
        library->setAutoDefault(false);
        buttons->addWidget(library);
        connect(library, &QPushButton::clicked, this, [this] {
            kind_.library(this);
            refresh();
        });
    }
    buttons->addStretch();
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(kind_.name, this));
    layout->addWidget(list_);
    layout->addLayout(buttons);
    layout->addWidget(close);

    connect(list_, &QListWidget::itemSelectionChanged, this,
            [this] { edit_->setEnabled(!list_->selectedItems().isEmpty()); });
    connect(list_, &QListWidget::itemDoubleClicked, this, [this] { edit_selected(); });
    connect(new_, &QPushButton::clicked, this, [this] {
        if (kind_.create(this)) refresh();
    });
    connect(edit_, &QPushButton::clicked, this, [this] { edit_selected(); });
    refresh();
}

void ProjectElementsDialog::refresh()
{
    fill_list(list_, kind_.names());
    edit_->setEnabled(false);
}

void ProjectElementsDialog::edit_selected()
{
    const int line = list_->currentRow();
    if (line < 0 || !list_->item(line)->isSelected()) return;
    if (kind_.edit(this, line)) refresh();
}

// ------------------------------------------------------------ entry points

Species* run_species_dialog(QWidget* parent, Project& project, Species* original)
{
    SpeciesDialog dialog(project.species, original, parent);
    return dialog.exec() == QDialog::Accepted ? dialog.stored() : nullptr;
}

bool run_project_species_dialog(QWidget* parent, Project& project)
{
    ProjectSpeciesDialog dialog(project, parent);
    return dialog.exec() == QDialog::Accepted;
}

KineticReaction* run_reaction_dialog(QWidget* parent, Project& project, KineticReaction* original)
{
    KineticReactionDialog dialog(project.reactions, project.species, original, parent);
    return dialog.exec() == QDialog::Accepted ? dialog.stored() : nullptr;
}

ProjectElementsDialog::Kind species_manager_kind(Project& project)
{
    return {QStringLiteral("Species"),
            [&project] { return names_of(project.species); },
            [&project](QWidget* owner) { return run_species_dialog(owner, project) != nullptr; },
            [&project](QWidget* owner, int line) {
                Species* s = record_at(project.species, line);
                return s && run_species_dialog(owner, project, s) != nullptr;
            },
            [&project](QWidget* owner) { run_library_manager(owner, project, DefinitionKind::Species); }};
}

ProjectElementsDialog::Kind reaction_manager_kind(Project& project)
{
    return {QStringLiteral("Kinetic Reactions"),
            [&project] { return names_of(project.reactions); },
            [&project](QWidget* owner) { return run_reaction_dialog(owner, project) != nullptr; },
            [&project](QWidget* owner, int line) {
                KineticReaction* r = record_at(project.reactions, line);
                return r && run_reaction_dialog(owner, project, r) != nullptr;
            },
            [&project](QWidget* owner) { run_library_manager(owner, project, DefinitionKind::KineticReaction); }};
}

void run_species_manager(QWidget* parent, Project& project)
{
    ProjectElementsDialog dialog(species_manager_kind(project), parent);
    dialog.exec();
}

void run_reaction_manager(QWidget* parent, Project& project)
{
    ProjectElementsDialog dialog(reaction_manager_kind(project), parent);
    dialog.exec();
}

}  // namespace avelor::ui
