#include "ui/element_manager.h"

#include "ui/library_manager_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <string>

#include "forms/super_element_form.h"
#include "model/project.h"
#include "ui/element_dialogs.h"
#include "ui/definition_list.h"
#include "ui/text_1252.h"
#include "ui/unit_widgets.h"

namespace avelor::ui {

namespace {

QLabel* summary_label(const char* name)
{
    auto* label = new QLabel;
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QPushButton* button(const char* caption, const char* name)
{
    auto* b = new QPushButton(QString::fromLatin1(caption));
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

void show_summary_lines(const AirflowElement* element, QLabel* category, QLabel* model)
{
    const ElementSummary summary = element_summary(element);
    category->setText(from_1252(summary.category));
    model->setText(from_1252(summary.model));
}

ChooserContext chooser_context(const Project& project, bool inside_super_dialog)
{
    ChooserContext context;
    context.place = PathPlace::None;
    context.inside_super_dialog = inside_super_dialog;
    context.project_has_elements = project.elements.count() > 0;
    return context;
}

}  // namespace

SuperElementDialog::SuperElementDialog(QWidget* parent, Project& project, AirflowElement& copy,
                                       AirflowElement* stored, ChooserState& state)
    : QDialog(parent),
      project_(project),
      copy_(copy),
      stored_(stored),
      state_(state),
      form_(std::make_unique<SuperElementForm>(copy, project.elements))
{
    setWindowTitle(from_1252(element_caption(kSupAfe)));
    setObjectName(QStringLiteral("SuperElementDialog"));

    name_ = new QLineEdit(from_1252(copy_.name));
    name_->setObjectName(QStringLiteral("Name"));
    desc_ = new QLineEdit(from_1252(copy_.desc));
    desc_->setObjectName(QStringLiteral("Description"));
    auto* names = new QFormLayout;
    names->addRow(QStringLiteral("&Name:"), name_);
    names->addRow(QStringLiteral("&Description:"), desc_);

    rows_ = new QTreeWidget;
    rows_->setObjectName(QStringLiteral("SubElements"));
    rows_->setRootIsDecorated(false);
    rows_->setColumnCount(4);
    rows_->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* list_group = new QGroupBox(QStringLiteral("Sub-Elements"));
    auto* list_layout = new QVBoxLayout(list_group);
    list_layout->addWidget(rows_);

    element_ = new QComboBox;
    element_->setObjectName(QStringLiteral("Element"));
    category_ = summary_label("Category");
    model_ = summary_label("Model");
    elevation_ = new UnitFieldEdit(form_->elevation_field());
    elevation_->setObjectName(QStringLiteral("Elevation"));
    unit_ = new UnitSelectorCombo(form_->elevation_unit(), [this](int index) {
        const bool accepted = form_->select_unit(index);
        if (accepted) fill_rows();
        return accepted;
    });
    unit_->setObjectName(QStringLiteral("ElevationUnit"));
    unit_->pair_with(elevation_);
    filtered_ = new QCheckBox(QStringLiteral("&Filtered"));
    filtered_->setObjectName(QStringLiteral("Filtered"));
    schedulable_ = new QCheckBox(QStringLiteral("&Schedulable"));
    schedulable_->setObjectName(QStringLiteral("Schedulable"));

    auto* entry_group = new QGroupBox(QStringLiteral("Sub-Element"));
    auto* entry = new QGridLayout(entry_group);
    entry->addWidget(new QLabel(QStringLiteral("Element:")), 0, 0);
    entry->addWidget(element_, 0, 1, 1, 2);
    entry->addWidget(category_, 1, 1, 1, 2);
    entry->addWidget(model_, 2, 1, 1, 2);
    entry->addWidget(new QLabel(QStringLiteral("Relative elevation:")), 3, 0);
    entry->addWidget(elevation_, 3, 1);
    entry->addWidget(unit_, 3, 2);
    entry->addWidget(filtered_, 4, 1);
    entry->addWidget(schedulable_, 5, 1);

    add_ = button("&Add", "Add");
    replace_ = button("&Replace", "Replace");
    delete_ = button("De&lete", "Delete");
    auto* new_element = button("New &Element", "NewElement");
    auto* list_buttons = new QHBoxLayout;
    list_buttons->addWidget(add_);
    list_buttons->addWidget(replace_);
    list_buttons->addWidget(delete_);
    list_buttons->addStretch();
    list_buttons->addWidget(new_element);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(names);
    layout->addWidget(list_group);
    layout->addWidget(entry_group);
    layout->addLayout(list_buttons);
    layout->addWidget(buttons);

    connect(element_, &QComboBox::currentIndexChanged, this, [this](int index) {
        form_->choose(index);
        show_summary();
        sync_buttons();
    });
    connect(rows_, &QTreeWidget::itemSelectionChanged, this, [this] {
        const QList<QTreeWidgetItem*> chosen = rows_->selectedItems();
        form_->select(chosen.isEmpty() ? -1 : rows_->indexOfTopLevelItem(chosen.front()));
        show_entry();
        sync_buttons();
    });
    connect(filtered_, &QCheckBox::toggled, this, [this](bool on) { form_->set_filtered(on); });
    connect(schedulable_, &QCheckBox::toggled, this, [this](bool on) { form_->set_schedulable(on); });

    // The entry's elevation counts as typed when a list button is pressed,
    // even with the focus still in its field.
    auto take_entry = [this] {
        if (elevation_->text() == from_1252(form_->elevation_field().shown_text())) return true;
        return elevation_->commit();
    };
    connect(add_, &QPushButton::clicked, this, [this, take_entry] {
        if (take_entry() && form_->add()) fill_rows();
    });
    connect(replace_, &QPushButton::clicked, this, [this, take_entry] {
        if (take_entry() && form_->replace()) fill_rows();
    });
    connect(delete_, &QPushButton::clicked, this, [this] {
        if (!form_->remove()) return;
        fill_rows();
        show_entry();
    });
    connect(new_element, &QPushButton::clicked, this, &SuperElementDialog::new_element);

    fill_candidates();
    fill_rows();
    show_entry();
}

SuperElementDialog::~SuperElementDialog() = default;

void SuperElementDialog::fill_candidates()
{
    const QSignalBlocker quiet(element_);
    element_->clear();
    for (const AirflowElement* candidate : form_->candidates()) element_->addItem(from_1252(candidate->name));
    element_->setCurrentIndex(form_->chosen());
    show_summary();
}

void SuperElementDialog::fill_rows()
{
    const QSignalBlocker quiet(rows_);
    rows_->clear();
    rows_->setHeaderLabels({QStringLiteral("Element"), from_1252(form_->elevation_header()),
                            QStringLiteral("Filtered"), QStringLiteral("Schedulable")});
    for (const SubElementRow& row : form_->rows()) {
        auto* item = new QTreeWidgetItem(rows_, {from_1252(row.name), from_1252(row.elevation),
                                                 from_1252(row.filtered), from_1252(row.schedulable)});
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    }
    if (QTreeWidgetItem* selected = rows_->topLevelItem(form_->selected())) {
        selected->setSelected(true);
        rows_->setCurrentItem(selected);
    }
    sync_buttons();
}

void SuperElementDialog::show_entry()
{
    {
        const QSignalBlocker quiet(element_);
        element_->setCurrentIndex(form_->chosen());
    }
    show_summary();
    elevation_->show_field();
    const SubElement& entry = form_->entry();
    const QSignalBlocker quiet_filtered(filtered_);
    const QSignalBlocker quiet_schedulable(schedulable_);
    filtered_->setChecked(entry.filtered != 0);
    schedulable_->setChecked(entry.scheduled != 0);
}

void SuperElementDialog::show_summary() { show_summary_lines(form_->entry().element, category_, model_); }

void SuperElementDialog::sync_buttons()
{
    add_->setEnabled(form_->can_add());
    replace_->setEnabled(form_->can_replace());
    delete_->setEnabled(form_->can_remove());
}

void SuperElementDialog::new_element()
{
    AirflowElement* made = create_element_dialog(this, project_, chooser_context(project_, true), state_);
    form_->refresh_candidates();
    if (made) form_->choose(made);
    fill_candidates();
    sync_buttons();
}

void SuperElementDialog::accept()
{
    copy_.name = to_1252(name_->text());
    copy_.desc = to_1252(desc_->text());
    const AcceptOutcome outcome = accept_element(project_, copy_, stored_);
    if (!outcome.record) {
        if (outcome.verdict.field == "name")
            name_->setFocus();
        else if (outcome.verdict.field == "subs")
            rows_->setFocus();
        return;
    }
    record_ = outcome.record;
    QDialog::accept();
}

AirflowElement* run_super_element_dialog(QWidget* parent, Project& project, AirflowElement& copy,
                                         AirflowElement* stored, ChooserState& state)
{
    SuperElementDialog dialog(parent, project, copy, stored, state);
    return dialog.exec() == QDialog::Accepted ? dialog.record() : nullptr;
}

ElementManagerDialog::ElementManagerDialog(QWidget* parent, Project& project, ChooserState& state)
    : QDialog(parent), project_(project), state_(state)
{
    setWindowTitle(QStringLiteral("AVELORW Data and Library Manager: Airflow Elements"));
    setObjectName(QStringLiteral("ElementManagerDialog"));

    list_ = new QListWidget;
    list_->setObjectName(QStringLiteral("Elements"));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    category_ = summary_label("Category");
    model_ = summary_label("Model");
    auto* new_button = button("&New...", "New");
    edit_ = button("&Edit...", "Edit");
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* group = new QGroupBox(QStringLiteral("Project Elements"));
    auto* group_layout = new QVBoxLayout(group);
    group_layout->addWidget(list_);
    group_layout->addWidget(category_);
    group_layout->addWidget(model_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(new_button);
    buttons->addWidget(edit_);
    auto* library = button("&Library...", "Library");
    buttons->addWidget(library);
    buttons->addStretch();
    connect(library, &QPushButton::clicked, this, [this] {
        run_library_manager(this, project_, DefinitionKind::AirflowElement);
        fill(project_.elements.head());
    });
    group_layout->addLayout(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(close);

    connect(list_, &QListWidget::currentRowChanged, this, [this] { show_summary(); });
    connect(list_, &QListWidget::itemDoubleClicked, this, [this] { edit_element(); });
    connect(new_button, &QPushButton::clicked, this, &ElementManagerDialog::new_element);
    connect(edit_, &QPushButton::clicked, this, &ElementManagerDialog::edit_element);

    fill(project_.elements.head());
}

void ElementManagerDialog::fill(const AirflowElement* selected)
{
    fill_definition_list(*list_, project_.elements, selected);
    show_summary();
}

AirflowElement* ElementManagerDialog::current() const { return current_definition<AirflowElement>(*list_); }

void ElementManagerDialog::show_summary()
{
    AirflowElement* element = current();
    show_summary_lines(element, category_, model_);
    edit_->setEnabled(element != nullptr);
}

void ElementManagerDialog::new_element()
{
    AirflowElement* made = create_element_dialog(this, project_, chooser_context(project_, false), state_);
    fill(made ? made : current());
}

void ElementManagerDialog::edit_element()
{
    AirflowElement* element = current();
    if (!element) return;
    edit_element_dialog(this, project_, *element, state_);
    // The record keeps its address when its name moves it.
    fill(element);
}

void run_element_manager(QWidget* parent, Project& project, ChooserState& state)
{
    ElementManagerDialog dialog(parent, project, state);
    dialog.exec();
}

}  // namespace avelor::ui
