#include "ui/duct_dialogs.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include <string>

#include "app/description_line.h"
#include "forms/duct_element_form.h"
#include "model/airflow_rules.h"
#include "model/project.h"
#include "ui/point_dialogs.h"
#include "ui/definition_list.h"
#include "ui/library_manager_dialog.h"
#include "ui/text_1252.h"
#include "ui/unit_widgets.h"

namespace avelor::ui {

namespace {

QString qs(std::string_view text) { return from_1252(text); }

QLineEdit* shown_value(QWidget* parent, const char* name)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setReadOnly(true);
    return edit;
}

void show_field(QLineEdit* edit, QLabel* unit, const UnitField& field)
{
    edit->setText(qs(field.shown_text()));
    if (unit) unit->setText(qs(unit_display_name(field.kind(), field.unit())));
}

QPushButton* plain_button(QWidget* parent, const char* text, const char* name)
{
    auto* b = new QPushButton(QString::fromLatin1(text), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

}  // namespace

// ---------------------------------------------------------------- chooser

DuctChooserDialog::DuctChooserDialog(QWidget* parent, const DuctElement* edited, DuctChooserState& state)
    : QDialog(parent), state_(state)
{
    setWindowTitle(qs(kDuctChooserTitle));
    auto* layout = new QVBoxLayout(this);
    group_ = new QButtonGroup(this);
    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);
    const std::vector<DuctChooserGroup> groups = duct_chooser_groups();
    for (std::size_t g = 0; g < groups.size(); ++g) {
        auto* box = new QGroupBox(qs(groups[g].title), this);
        auto* box_layout = new QVBoxLayout(box);
        for (const DuctChooserButton& b : groups[g].buttons) {
            auto* radio = new QRadioButton(qs(b.text), box);
            radio->setObjectName(qs(element_keyword(b.type)));
            box_layout->addWidget(radio);
            group_->addButton(radio, b.type);
            buttons_[b.type] = radio;
        }
        (g < 2 ? left : right)->addWidget(box);
    }
    left->addStretch(1);
    right->addStretch(1);
    layout->addLayout(columns);
    if (QRadioButton* pre = button(duct_chooser_preselection(edited, state))) pre->setChecked(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

int DuctChooserDialog::chosen() const
{
    const int id = group_->checkedId();
    return is_duct_type(id) ? id : kDctDwc;
}

QRadioButton* DuctChooserDialog::button(int type) const
{
    const auto found = buttons_.find(type);
    return found == buttons_.end() ? nullptr : found->second;
}

void DuctChooserDialog::accept()
{
    state_.last_choice = chosen();
    QDialog::accept();
}

// ---------------------------------------------------------------- sheet

DuctElementSheet::DuctElementSheet(QWidget* parent, NamedList<DuctElement>& list, DuctElementForm& form,
                                   DuctElement* stored)
    : QDialog(parent), list_(list), form_(form), stored_(stored)
{
    setWindowTitle(qs(kDuctSheetTitle));
    auto* layout = new QVBoxLayout(this);
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("pages"));
    if (form.has_model_page()) tabs_->addTab(model_page(), qs(form.model_caption()));
    tabs_->addTab(shape_page(), qs(kDuctShapePageTitle));
    layout->addWidget(tabs_);
    connect(tabs_, &QTabWidget::currentChanged, this, &DuctElementSheet::page_chosen);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &DuctElementSheet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    show_model();
    show_shape();
}

QWidget* DuctElementSheet::model_page()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("model_page"));
    auto* layout = new QVBoxLayout(page);
    auto* grid = new QGridLayout;
    name_ = new QLineEdit(qs(form_.name()), page);
    name_->setObjectName(QStringLiteral("name"));
    name_->setMaxLength(static_cast<int>(kNameSize - 1));
    desc_ = new QLineEdit(qs(form_.description()), page);
    desc_->setObjectName(QStringLiteral("description"));
    desc_->setMaxLength(static_cast<int>(kDescriptionLimit));
    grid->addWidget(new QLabel(QStringLiteral("Name:"), page), 0, 0);
    grid->addWidget(name_, 0, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Description:"), page), 1, 0);
    grid->addWidget(desc_, 1, 1, 1, 2);
    for (std::size_t i = 0; i < form_.row_count(); ++i) {
        const DuctRow& row = form_.row(i);
        const int r = static_cast<int>(i) + 2;
        const QString key = QString::fromStdString(row.key);
        grid->addWidget(new QLabel(QString::fromStdString(row.label), page), r, 0);
        auto* edit = new UnitFieldEdit(
            form_.field(i), [this, i](std::string_view text) { return form_.leave_field(i, text); }, page);
        edit->setObjectName(QStringLiteral("row_") + key);
        connect(edit, &UnitFieldEdit::validated, this, [this](bool accepted) {
            if (accepted) show_model();
        });
        grid->addWidget(edit, r, 1);
        edits_.push_back(edit);
        UnitSelectorCombo* combo = nullptr;
        if (const UnitSelector* selector = form_.selector(i)) {
            combo = new UnitSelectorCombo(
                *selector, [this, i](int index) { return form_.select_unit(i, index); }, page);
            combo->setObjectName(QStringLiteral("unit_") + key);
            combo->pair_with(edit);
            connect(combo, &UnitSelectorCombo::unit_changed, this, [this] { show_model(); });
            grid->addWidget(combo, r, 2);
        }
        combos_.push_back(combo);
    }
    layout->addLayout(grid);

    if (form_.has_fan_data()) {
        auto* fan = plain_button(page, "Edit Fan Curve Data", "fan_data");
        connect(fan, &QPushButton::clicked, this, [this] {
            if (run_fan_points_dialog(this, form_.fan(), form_.fan_flow_unit(), form_.fan_pressure_unit())) {
                form_.refresh();
                show_model();
            }
        });
        layout->addWidget(fan);
    }
    if (form_.has_spline_data()) {
        auto* spline = plain_button(page, "Edit Spline Data...", "spline_data");
        connect(spline, &QPushButton::clicked, this, [this] {
            // The spline data dialog shows the name, which must pass first.
            form_.set_name(to_1252(name_->text()));
            form_.set_description(to_1252(desc_->text()));
            const std::string old_name = stored_ ? stored_->name : std::string();
            if (!check_duct_name(list_, form_.name(), old_name)) {
                name_->setFocus();
                return;
            }
            run_duct_spline_dialog(this, form_.spline(), form_.type(), form_.name(), form_.description());
        });
        layout->addWidget(spline);
    }
    layout->addStretch(1);
    return page;
}

QWidget* DuctElementSheet::shape_page()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("shape_page"));
    auto* layout = new QVBoxLayout(page);

    auto* shape_box = new QGroupBox(QStringLiteral("Shape"), page);
    auto* shape_layout = new QHBoxLayout(shape_box);
    shapes_ = new QButtonGroup(page);
    const struct {
        std::int16_t shape;
        const char* text;
        const char* name;
    } shapes[] = {{kDuctCircle, "Circle", "circle"},
                  {kDuctRectangle, "Rectangle", "rectangle"},
                  {kDuctOval, "Oval", "oval"},
                  {kDuctOtherShape, "Other", "other"}};
    for (const auto& s : shapes) {
        auto* radio = new QRadioButton(QString::fromLatin1(s.text), shape_box);
        radio->setObjectName(QString::fromLatin1(s.name));
        radio->setChecked(form_.shape() == s.shape);
        shapes_->addButton(radio, s.shape);
        shape_layout->addWidget(radio);
    }
    connect(shapes_, &QButtonGroup::idClicked, this, [this](int shape) {
        commit_shape();
        form_.choose_shape(static_cast<std::int16_t>(shape));
        show_shape();
    });
    layout->addWidget(shape_box);

    auto* size_box = new QGroupBox(QStringLiteral("Size"), page);
    auto* size = new QGridLayout(size_box);
    first_label_ = new QLabel(size_box);
    second_label_ = new QLabel(size_box);
    first_ = new UnitFieldEdit(
        form_.first_field(), [this](std::string_view text) { return form_.leave_first(text); }, size_box);
    first_->setObjectName(QStringLiteral("first_dimension"));
    second_ = new UnitFieldEdit(
        form_.second_field(), [this](std::string_view text) { return form_.leave_second(text); }, size_box);
    second_->setObjectName(QStringLiteral("second_dimension"));
    first_unit_ = new UnitSelectorCombo(
        form_.first_selector(), [this](int index) { return form_.select_first_unit(index); }, size_box);
    first_unit_->setObjectName(QStringLiteral("first_unit"));
    second_unit_ = new UnitSelectorCombo(
        form_.second_selector(), [this](int index) { return form_.select_second_unit(index); }, size_box);
    second_unit_->setObjectName(QStringLiteral("second_unit"));
    for (UnitFieldEdit* edit : {first_, second_})
        connect(edit, &UnitFieldEdit::validated, this, [this](bool accepted) {
            if (accepted) show_shape();
        });
    for (UnitSelectorCombo* combo : {first_unit_, second_unit_})
        connect(combo, &UnitSelectorCombo::unit_changed, this, [this] { show_shape(); });
    size->addWidget(first_label_, 0, 0);
    size->addWidget(first_, 0, 1);
    size->addWidget(first_unit_, 0, 2);
    size->addWidget(second_label_, 1, 0);
    size->addWidget(second_, 1, 1);
    size->addWidget(second_unit_, 1, 2);
    dh_ = shown_value(size_box, "hydraulic_diameter");
    perim_ = shown_value(size_box, "perimeter");
    area_ = shown_value(size_box, "flow_area");
    dh_unit_ = new QLabel(size_box);
    perim_unit_ = new QLabel(size_box);
    area_unit_ = new QLabel(size_box);
    size->addWidget(new QLabel(QStringLiteral("Hydraulic diameter:"), size_box), 2, 0);
    size->addWidget(dh_, 2, 1);
    size->addWidget(dh_unit_, 2, 2);
    size->addWidget(new QLabel(QStringLiteral("Perimeter:"), size_box), 3, 0);
    size->addWidget(perim_, 3, 1);
    size->addWidget(perim_unit_, 3, 2);
    size->addWidget(new QLabel(QStringLiteral("Cross-sectional area:"), size_box), 4, 0);
    size->addWidget(area_, 4, 1);
    size->addWidget(area_unit_, 4, 2);
    layout->addWidget(size_box);

    auto* leak_box = new QGroupBox(QStringLiteral("Leakage"), page);
    auto* leak = new QGridLayout(leak_box);
    systems_ = new QButtonGroup(page);
    auto* si = new QRadioButton(QStringLiteral("SI"), leak_box);
    si->setObjectName(QStringLiteral("leakage_si"));
    auto* ip = new QRadioButton(QStringLiteral("IP"), leak_box);
    ip->setObjectName(QStringLiteral("leakage_ip"));
    systems_->addButton(si, kLeakageSI);
    systems_->addButton(ip, kLeakageIP);
    (form_.leakage_units() == kLeakageIP ? ip : si)->setChecked(true);
    connect(systems_, &QButtonGroup::idClicked, this, [this](int system) {
        form_.choose_leakage_units(static_cast<std::int16_t>(system));
        show_shape();
    });
    rate_ = new UnitFieldEdit(
        form_.leakage_rate(), [this](std::string_view text) { return form_.leave_leakage_rate(text); }, leak_box);
    rate_->setObjectName(QStringLiteral("leakage_rate"));
    pressure_ = new UnitFieldEdit(
        form_.leakage_pressure(), [this](std::string_view text) { return form_.leave_leakage_pressure(text); },
        leak_box);
    pressure_->setObjectName(QStringLiteral("leakage_pressure"));
    class_ = new UnitFieldEdit(
        form_.leakage_class(), [this](std::string_view text) { return form_.leave_leakage_class(text); }, leak_box);
    class_->setObjectName(QStringLiteral("leakage_class"));
    for (UnitFieldEdit* edit : {rate_, pressure_, class_})
        connect(edit, &UnitFieldEdit::validated, this, [this](bool accepted) {
            if (accepted) show_shape();
        });
    rate_unit_ = new QLabel(leak_box);
    pressure_unit_ = new QLabel(leak_box);
    leak->addWidget(si, 0, 0);
    leak->addWidget(ip, 0, 1);
    leak->addWidget(new QLabel(QStringLiteral("Leakage rate:"), leak_box), 1, 0);
    leak->addWidget(rate_, 1, 1);
    leak->addWidget(rate_unit_, 1, 2);
    leak->addWidget(new QLabel(QStringLiteral("at pressure difference:"), leak_box), 2, 0);
    leak->addWidget(pressure_, 2, 1);
    leak->addWidget(pressure_unit_, 2, 2);
    leak->addWidget(new QLabel(QStringLiteral("Leakage class:"), leak_box), 3, 0);
    leak->addWidget(class_, 3, 1);
    layout->addWidget(leak_box);
    layout->addStretch(1);
    return page;
}

void DuctElementSheet::show_model()
{
    for (std::size_t i = 0; i < edits_.size(); ++i) {
        if (combos_[i]) combos_[i]->refill();
        edits_[i]->show_field();
    }
}

void DuctElementSheet::show_shape()
{
    first_label_->setText(qs(form_.first_label()));
    second_label_->setText(qs(form_.second_label()));
    first_unit_->refill();
    second_unit_->refill();
    first_->show_field();
    second_->show_field();
    second_->setEnabled(form_.second_enabled());
    second_unit_->setEnabled(form_.second_enabled());
    show_field(dh_, dh_unit_, form_.hydraulic_diameter());
    show_field(perim_, perim_unit_, form_.perimeter());
    show_field(area_, area_unit_, form_.flow_area());
    rate_->show_field();
    pressure_->show_field();
    class_->show_field();
    rate_unit_->setText(qs(unit_display_name(form_.leakage_rate().kind(), form_.leakage_rate().unit())));
    pressure_unit_->setText(
        qs(unit_display_name(form_.leakage_pressure().kind(), form_.leakage_pressure().unit())));
}

// Edits typed into but not yet left are checked as leaving them would.
bool DuctElementSheet::commit_model()
{
    for (UnitFieldEdit* edit : edits_)
        if (edit->isModified() && !edit->commit()) {
            tabs_->setCurrentIndex(0);
            edit->setFocus();
            return false;
        }
    if (name_) {
        form_.set_name(to_1252(name_->text()));
        form_.set_description(to_1252(desc_->text()));
    }
    return true;
}

bool DuctElementSheet::commit_shape()
{
    for (UnitFieldEdit* edit : {first_, second_, rate_, pressure_, class_})
        if (edit->isEnabled() && edit->isModified() && !edit->commit()) {
            edit->setFocus();
            return false;
        }
    return true;
}

bool DuctElementSheet::leave_model()
{
    if (!form_.has_model_page()) return true;
    if (!commit_model()) return false;
    const std::string old_name = stored_ ? stored_->name : std::string();
    const ElementVerdict verdict = form_.leave_model_page(list_, old_name);
    if (verdict) return true;
    if (verdict.field == "name") name_->setFocus();
    return false;
}

void DuctElementSheet::page_chosen(int index)
{
    if (returning_) return;
    if (page_ == 0 && index != 0 && form_.has_model_page() && !leave_model()) {
        // The sheet stays on the model page while its check fails.
        returning_ = true;
        tabs_->setCurrentIndex(0);
        returning_ = false;
        return;
    }
    page_ = index;
    show_shape();
}

void DuctElementSheet::accept()
{
    if (!form_.has_model_page()) return;
    if (!commit_shape()) return;
    if (!leave_model()) {
        returning_ = true;
        tabs_->setCurrentIndex(0);
        returning_ = false;
        page_ = 0;
        return;
    }
    const ElementVerdict verdict = form_.accept(list_, stored_);
    if (!verdict) {
        if (verdict.field == "name") {
            tabs_->setCurrentIndex(0);
            name_->setFocus();
        }
        return;
    }
    record_ = form_.stored();
    QDialog::accept();
}

// ---------------------------------------------------------------- entry points

namespace {

NewElementContext duct_context(const Project& project)
{
    NewElementContext context;
    context.ip_units = project.rc.ud != 0;
    context.uf = project.rc.uf;
    return context;
}

DuctElement* run_sheet(QWidget* parent, Project& project, const DuctElement& copy, DuctElement* stored)
{
    DuctElementForm form(copy, duct_context(project));
    if (!form.has_model_page()) return nullptr;
    DuctElementSheet sheet(parent, project.duct_elements, form, stored);
    if (sheet.exec() != QDialog::Accepted) return nullptr;
    return sheet.record();
}

}  // namespace

DuctElement* create_duct_element_dialog(QWidget* parent, Project& project, DuctChooserState& state)
{
    DuctChooserDialog chooser(parent, nullptr, state);
    if (chooser.exec() != QDialog::Accepted) return nullptr;
    return run_sheet(parent, project, new_duct_element(chooser.chosen(), duct_context(project)), nullptr);
}

DuctElement* edit_duct_element_dialog(QWidget* parent, Project& project, DuctElement& element)
{
    DuctElement copy = element;
    copy.next = nullptr;
    return run_sheet(parent, project, copy, &element);
}

// ---------------------------------------------------------------- manager

DuctElementManagerDialog::DuctElementManagerDialog(QWidget* parent, Project& project, DuctChooserState& state)
    : QDialog(parent), project_(project), state_(state)
{
    setWindowTitle(qs(kDuctManagerTitle));
    setObjectName(QStringLiteral("DuctElementManagerDialog"));
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("Elements"));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("Summary"));
    summary_->setTextFormat(Qt::PlainText);
    summary_->setMinimumHeight(summary_->fontMetrics().lineSpacing() * 9);
    summary_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    const ManagerButtons buttons = lay_out_manager(*this, QStringLiteral("Project Duct Elements"), list_, summary_);
    QPushButton* new_button = buttons.create;
    edit_ = buttons.edit;
    delete_ = buttons.remove;
    connect(buttons.library, &QPushButton::clicked, this, [this] {
        run_library_manager(this, project_, DefinitionKind::DuctElement);
        fill(project_.duct_elements.head());
    });

    connect(list_, &QListWidget::currentRowChanged, this, [this] { show_summary(); });
    connect(list_, &QListWidget::itemDoubleClicked, this, [this] { edit_element(); });
    connect(new_button, &QPushButton::clicked, this, &DuctElementManagerDialog::new_element);
    connect(edit_, &QPushButton::clicked, this, &DuctElementManagerDialog::edit_element);
    connect(delete_, &QPushButton::clicked, this, &DuctElementManagerDialog::delete_element);
    fill(project_.duct_elements.head());
}

void DuctElementManagerDialog::fill(const DuctElement* selected)
{
    fill_definition_list(*list_, project_.duct_elements, selected);
    show_summary();
}

DuctElement* DuctElementManagerDialog::current() const { return current_definition<DuctElement>(*list_); }

void DuctElementManagerDialog::show_summary()
{
    const DuctElement* element = current();
    QString text;
    if (element)
        for (const std::string& line : duct_summary_lines(*element)) text += qs(line) + QLatin1Char('\n');
    summary_->setText(text.trimmed());
    edit_->setEnabled(element != nullptr);
    delete_->setEnabled(element != nullptr);
}

void DuctElementManagerDialog::new_element()
{
    DuctElement* made = create_duct_element_dialog(this, project_, state_);
    fill(made ? made : current());
}

void DuctElementManagerDialog::edit_element()
{
    DuctElement* element = current();
    if (!element) return;
    // An accepted edit replaces the record with one in the new name's place.
    DuctElement* edited = edit_duct_element_dialog(this, project_, *element);
    fill(edited ? edited : element);
}

void DuctElementManagerDialog::delete_element()
{
    DuctElement* element = current();
    if (!element) return;
    if (delete_duct_element(project_, element->name)) fill(project_.duct_elements.head());
}

void run_duct_element_manager(QWidget* parent, Project& project, DuctChooserState& state)
{
    DuctElementManagerDialog dialog(parent, project, state);
    dialog.exec();
}

}  // namespace avelor::ui
