#include "ui/source_dialogs.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <string>

#include "model/project.h"
#include "ui/definition_list.h"
#include "ui/library_manager_dialog.h"
#include "ui/text_1252.h"
#include "ui/unit_widgets.h"

namespace avelor::ui {

namespace {

QString qs(std::string_view text) { return from_1252(text); }

QPushButton* plain_button(QWidget* parent, const QString& text, const char* name)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

}  // namespace

// ---------------------------------------------------------------- chooser

SourceChooserDialog::SourceChooserDialog(QWidget* parent, const SourceElement* edited, SourceChooser& chooser)
    : QDialog(parent), chooser_(chooser)
{
    setWindowTitle(qs(kSourceChooserTitle));
    setObjectName(QStringLiteral("SourceChooserDialog"));
    auto* layout = new QVBoxLayout(this);
    group_ = new QButtonGroup(this);
    auto* columns = new QHBoxLayout;
    const struct {
        const char* title;
        int first, last;
    } groups[] = {{"AVELOR", kSrcCcf, kSrcSup}, {"NRCC", kSrcPlm, kSrcPkm}};
    for (const auto& g : groups) {
        auto* box = new QGroupBox(QString::fromLatin1(g.title), this);
        auto* box_layout = new QVBoxLayout(box);
        for (int m = g.first; m <= g.last; ++m) {
            const auto info = source_model_info(m);
            auto* radio = new QRadioButton(qs(info->button), box);
            radio->setObjectName(qs(info->keyword));
            radio->setEnabled(chooser_.enabled(m));
            box_layout->addWidget(radio);
            group_->addButton(radio, m);
            buttons_[m] = radio;
        }
        box_layout->addStretch(1);
        columns->addWidget(box);
    }
    layout->addLayout(columns);
    if (QRadioButton* pre = button(chooser_.preselection(edited))) pre->setChecked(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

int SourceChooserDialog::chosen() const
{
    const int id = group_->checkedId();
    return chooser_.enabled(id) ? id : kSrcCcf;
}

QRadioButton* SourceChooserDialog::button(int model) const
{
    const auto found = buttons_.find(model);
    return found == buttons_.end() ? nullptr : found->second;
}

void SourceChooserDialog::accept()
{
    chooser_.last_choice = chosen();
    QDialog::accept();
}

// ---------------------------------------------------------------- element

SourceElementDialog::SourceElementDialog(QWidget* parent, Project& project, SourceElementForm& form,
                                         SourceElement* stored, SourceChooser& chooser)
    : QDialog(parent), project_(project), form_(form), stored_(stored), chooser_(chooser)
{
    setWindowTitle(qs(form_.caption()));
    setObjectName(QStringLiteral("SourceElementDialog"));
    auto* layout = new QVBoxLayout(this);
    auto* head = new QFormLayout;
    name_ = new QLineEdit(from_1252(form_.name()), this);
    name_->setObjectName(QStringLiteral("Name"));
    name_->setMaxLength(static_cast<int>(kNameSize) - 1);
    desc_ = new QLineEdit(from_1252(form_.description()), this);
    desc_->setObjectName(QStringLiteral("Description"));
    desc_->setMaxLength(70);
    head->addRow(QStringLiteral("Name:"), name_);
    head->addRow(QStringLiteral("Description:"), desc_);
    layout->addLayout(head);

    if (!form_.is_super()) {
        species_ = new QComboBox(this);
        species_->setObjectName(QStringLiteral("Species"));
        for (const std::string& n : form_.species_names()) species_->addItem(from_1252(n));
        species_->setCurrentIndex(form_.species_index());
        head->addRow(QStringLiteral("Species:"), species_);
        const auto info = source_model_info(form_.model());
        auto* formula = new QLabel(qs(info->formula), this);
        formula->setObjectName(QStringLiteral("Formula"));
        layout->addWidget(formula);
        fields_ = new QWidget(this);
        grid_ = new QGridLayout(fields_);
        grid_->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(fields_);
        build_fields();
        connect(species_, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int index) {
            // The rows' edits go before the form drops the fields they show.
            commit_fields();
            clear_fields();
            form_.choose_species(index);
            build_fields();
        });
    } else {
        layout->addWidget(new QLabel(qs(source_model_info(kSrcSup)->formula), this));
        auto* lists = new QHBoxLayout;
        auto* left = new QGroupBox(QStringLiteral("Sub-Elements"), this);
        auto* left_layout = new QVBoxLayout(left);
        subs_ = new QListWidget(left);
        subs_->setObjectName(QStringLiteral("SubElements"));
        left_layout->addWidget(subs_);
        auto* middle = new QVBoxLayout;
        auto* add = plain_button(this, QStringLiteral("<<  Add  <<"), "Add");
        auto* remove = plain_button(this, QStringLiteral("Remove"), "Remove");
        auto* edit = plain_button(this, QStringLiteral("Edit Element"), "EditElement");
        auto* create = plain_button(this, QStringLiteral("New Element"), "NewElement");
        middle->addStretch(1);
        for (QPushButton* b : {add, remove, edit, create}) middle->addWidget(b);
        middle->addStretch(1);
        auto* right = new QGroupBox(QStringLiteral("Available Elements"), this);
        auto* right_layout = new QVBoxLayout(right);
        available_ = new QListWidget(right);
        available_->setObjectName(QStringLiteral("Available"));
        right_layout->addWidget(available_);
        lists->addWidget(left);
        lists->addLayout(middle);
        lists->addWidget(right);
        layout->addLayout(lists);
        fill_lists();
        connect(add, &QPushButton::clicked, this, [this] {
            if (auto* e = current_definition<SourceElement>(*available_)) form_.add_sub_element(e);
            fill_lists();
        });
        connect(remove, &QPushButton::clicked, this, [this] {
            if (subs_->currentRow() >= 0) form_.remove_sub_element(static_cast<std::size_t>(subs_->currentRow()));
            fill_lists();
        });
        connect(edit, &QPushButton::clicked, this, [this] {
            if (auto* e = current_definition<SourceElement>(*available_)) {
                SourceChooser inner{true, chooser_.last_choice};
                edit_source_element_dialog(this, project_, *e, inner);
            }
            fill_lists();
        });
        connect(create, &QPushButton::clicked, this, [this] {
            SourceChooser inner{true, chooser_.last_choice};
            create_source_element_dialog(this, project_, inner);
            fill_lists();
        });
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &SourceElementDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

// The field rows are made anew whenever the form rebuilds its fields (a
// new species brings other unit lists).
void SourceElementDialog::clear_fields()
{
    while (QLayoutItem* item = grid_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    edits_.clear();
    emission_ = nullptr;
}

void SourceElementDialog::build_fields()
{
    clear_fields();
    // A hook of a row already dropped answers without touching the form.
    const int generation = ++generation_;
    int row = 0;
    for (std::size_t i = 0; i < form_.field_count(); ++i, ++row) {
        const SourceField& info = form_.field_info(i);
        const bool coefficient = form_.is_power_law() && info.value == 0;
        auto* label = new QLabel(coefficient ? QStringLiteral("Coefficient (a):") : qs(info.label) + QLatin1Char(':'),
                                 fields_);
        auto* edit = new UnitFieldEdit(form_.field(i), [this, i, generation](std::string_view text) {
            if (generation != generation_) return true;
            const bool ok = form_.leave_field(i, text);
            show_emission();
            return ok;
        }, fields_);
        edit->setObjectName(QStringLiteral("Field%1").arg(i));
        label->setBuddy(edit);
        grid_->addWidget(label, row, 0);
        grid_->addWidget(edit, row, 1);
        edits_.push_back(edit);
        if (const UnitSelector* selector = form_.selector(i)) {
            auto* combo = new UnitSelectorCombo(
                *selector,
                [this, i, generation](int index) { return generation == generation_ && form_.select_unit(i, index); },
                fields_);
            combo->setObjectName(QStringLiteral("Unit%1").arg(i));
            combo->pair_with(edit);
            grid_->addWidget(combo, row, 2);
        }
    }
    if (form_.is_power_law()) {
        auto* label = new QLabel(QStringLiteral("Initial Emission Factor (Ep):"), fields_);
        emission_ = new QLineEdit(fields_);
        emission_->setObjectName(QStringLiteral("Emission"));
        emission_->setReadOnly(true);
        grid_->addWidget(label, row, 0);
        grid_->addWidget(emission_, row, 1);
        grid_->addWidget(new QLabel(QStringLiteral("mg/h"), fields_), row, 2);
        show_emission();
    }
}

void SourceElementDialog::show_emission()
{
    if (emission_) emission_->setText(qs(form_.emission_text()));
}

void SourceElementDialog::fill_lists()
{
    if (!subs_) return;
    const int keep = subs_->currentRow();
    subs_->clear();
    for (const SourceElement* e : form_.working().subs) subs_->addItem(from_1252(e->name));
    subs_->setCurrentRow(std::min(keep, subs_->count() - 1));
    const SourceElement* chosen = current_definition<SourceElement>(*available_);
    available_->clear();
    for (SourceElement* e : form_.available(project_.source_elements)) {
        auto* item = new QListWidgetItem(from_1252(e->name), available_);
        item->setData(Qt::UserRole, QVariant::fromValue(static_cast<void*>(e)));
        if (e == chosen) available_->setCurrentItem(item);
    }
}

bool SourceElementDialog::commit_fields()
{
    for (UnitFieldEdit* edit : edits_)
        if (!edit->commit()) return false;
    return true;
}

void SourceElementDialog::accept()
{
    if (!commit_fields()) return;
    form_.set_name(to_1252(name_->text()));
    form_.set_description(to_1252(desc_->text()));
    if (!form_.accept(project_.source_elements, stored_)) {
        name_->setFocus();
        return;
    }
    record_ = form_.stored();
    QDialog::accept();
}

SourceElement* create_source_element_dialog(QWidget* parent, Project& project, SourceChooser& chooser)
{
    if (!source_models_available(project.species)) return nullptr;
    SourceChooserDialog choose(parent, nullptr, chooser);
    if (choose.exec() != QDialog::Accepted) return nullptr;
    SourceElementForm form(new_source_element(choose.chosen(), nullptr), project.species);
    SourceElementDialog dialog(parent, project, form, nullptr, chooser);
    return dialog.exec() == QDialog::Accepted ? dialog.record() : nullptr;
}

SourceElement* edit_source_element_dialog(QWidget* parent, Project& project, SourceElement& element,
                                          SourceChooser& chooser)
{
    // The read-only kinds kept from files have no dialog.
    if (element.model >= kSourceModelCount) return nullptr;
    SourceElementForm form(element, project.species);
    SourceElementDialog dialog(parent, project, form, &element, chooser);
    return dialog.exec() == QDialog::Accepted ? dialog.record() : nullptr;
}

// ---------------------------------------------------------------- manager

SourceElementManagerDialog::SourceElementManagerDialog(QWidget* parent, Project& project, SourceChooser& chooser)
    : QDialog(parent), project_(project), chooser_(chooser)
{
    setWindowTitle(qs(kSourceManagerTitle));
    setObjectName(QStringLiteral("SourceElementManagerDialog"));
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("Elements"));
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("Summary"));
    summary_->setTextFormat(Qt::PlainText);
    summary_->setMinimumHeight(summary_->fontMetrics().lineSpacing() * 7);
    summary_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    summary_->setWordWrap(true);
    const ManagerButtons buttons =
        lay_out_manager(*this, QStringLiteral("Project Source/Sink Elements"), list_, summary_);
    QPushButton* new_button = buttons.create;
    edit_ = buttons.edit;
    delete_ = buttons.remove;
    connect(buttons.library, &QPushButton::clicked, this, [this] {
        run_library_manager(this, project_, DefinitionKind::SourceElement);
        fill(project_.source_elements.head());
    });

    connect(list_, &QListWidget::currentRowChanged, this, [this] { show_summary(); });
    const auto edit = [this] {
        if (SourceElement* e = current()) fill(edit_source_element_dialog(this, project_, *e, chooser_));
    };
    connect(list_, &QListWidget::itemDoubleClicked, this, edit);
    connect(edit_, &QPushButton::clicked, this, edit);
    connect(new_button, &QPushButton::clicked, this, [this] {
        if (SourceElement* e = create_source_element_dialog(this, project_, chooser_)) fill(e);
    });
    connect(delete_, &QPushButton::clicked, this, [this] {
        if (SourceElement* e = current(); e && delete_source_element(project_, e->name))
            fill(project_.source_elements.head());
    });
    fill(project_.source_elements.head());
}

void SourceElementManagerDialog::fill(const SourceElement* selected)
{
    if (!selected) selected = current();
    fill_definition_list(*list_, project_.source_elements, selected);
    show_summary();
}

SourceElement* SourceElementManagerDialog::current() const { return current_definition<SourceElement>(*list_); }

void SourceElementManagerDialog::show_summary()
{
    const SourceElement* element = current();
    QString text;
    if (element) {
        const SourceSummary s = source_summary(*element);
        text = qs(s.title) + QLatin1Char('\n') + qs(s.formula) + QLatin1Char('\n');
        if (element->species) text += QStringLiteral("Species: ") + from_1252(element->species->name) + QLatin1Char('\n');
        for (const std::string& line : s.lines) text += qs(line) + QLatin1Char('\n');
        for (const SourceElement* sub : element->subs) text += from_1252(sub->name) + QLatin1Char('\n');
    }
    summary_->setText(text.trimmed());
    edit_->setEnabled(element != nullptr && element->model < kSourceModelCount);
    delete_->setEnabled(element != nullptr);
}

void run_source_element_manager(QWidget* parent, Project& project, SourceChooser& chooser)
{
    SourceElementManagerDialog dialog(parent, project, chooser);
    dialog.exec();
}

}  // namespace avelor::ui
