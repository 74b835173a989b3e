#include "ui/element_dialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/description_line.h"
#include "forms/element_form.h"
#include "model/project.h"
#include "ui/element_manager.h"
#include "ui/point_dialogs.h"
#include "ui/text_1252.h"
#include "ui/unit_widgets.h"

namespace avelor::ui {

namespace {

QString chooser_text(int type)
{
    if (type == kPlrLeak1) return QStringLiteral("Leakage area data");
    if (type == kSupAfe) return from_1252(element_caption(type));
    return from_1252(type_summary(type).model);
}

}  // namespace

// ---------------------------------------------------------------- chooser

ElementChooserDialog::ElementChooserDialog(QWidget* parent, const ChooserContext& context,
                                           const AirflowElement* edited, ChooserState& state)
    : QDialog(parent), state_(state)
{
    setWindowTitle(QStringLiteral("Airflow Element Models"));
    auto* layout = new QVBoxLayout(this);
    group_ = new QButtonGroup(this);

    // The categories in table order, each with its buttons' types.
    std::vector<std::pair<std::string_view, std::vector<int>>> categories;
    int buttons_in_all = 0;
    for (int type = 0; type < kAirflowTypeCount; ++type) {
        if (chooser_button(type) != type) continue;
        const std::string_view line = type_summary(type).category;
        if (categories.empty() || categories.back().first != line) categories.push_back({line, {}});
        categories.back().second.push_back(type);
        ++buttons_in_all;
    }
    // Two columns of category boxes, the first holding about half of the
    // buttons, so the chooser fits a small screen.
    auto* columns = new QHBoxLayout;
    auto* column = new QVBoxLayout;
    columns->addLayout(column);
    int in_first = 0;
    bool second = false;
    for (const auto& [line, types] : categories) {
        if (!second && in_first > 0 && 2 * (in_first + static_cast<int>(types.size())) > buttons_in_all + 2) {
            column->addStretch(1);
            column = new QVBoxLayout;
            columns->addLayout(column);
            second = true;
        }
        if (!second) in_first += static_cast<int>(types.size());
        auto* box = new QGroupBox(from_1252(line), this);
        auto* box_layout = new QVBoxLayout(box);
        column->addWidget(box);
        for (int type : types) {
            auto* radio = new QRadioButton(chooser_text(type), box);
            radio->setObjectName(QString::fromLatin1(element_keyword(type)));
            radio->setEnabled(chooser_enabled(type, context));
            box_layout->addWidget(radio);
            group_->addButton(radio, type);
            buttons_[static_cast<std::size_t>(type)] = radio;
        }
    }
    column->addStretch(1);
    layout->addLayout(columns);
    if (QRadioButton* pre = button(chooser_preselection(context, edited, state))) pre->setChecked(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

int ElementChooserDialog::chosen() const
{
    const int id = group_->checkedId();
    return id >= 0 ? id : kPlrOrfc;
}

QRadioButton* ElementChooserDialog::button(int type) const
{
    if (!is_airflow_type(type)) return nullptr;
    return buttons_[static_cast<std::size_t>(chooser_button(type))];
}

void ElementChooserDialog::accept()
{
    state_.last_choice = chosen();
    QDialog::accept();
}

// ---------------------------------------------------------------- type dialog

ElementDialog::ElementDialog(QWidget* parent, Project& project, ElementForm& form, AirflowElement* stored)
    : QDialog(parent), project_(project), form_(form), stored_(stored)
{
    setWindowTitle(from_1252(form.caption()));
    auto* layout = new QVBoxLayout(this);

    auto* top = new QGridLayout;
    name_ = new QLineEdit(from_1252(form.name()), this);
    name_->setObjectName(QStringLiteral("name"));
    desc_ = new QLineEdit(from_1252(form.description()), this);
    desc_->setObjectName(QStringLiteral("description"));
    desc_->setMaxLength(static_cast<int>(kDescriptionLimit));
    top->addWidget(new QLabel(QStringLiteral("Name:"), this), 0, 0);
    top->addWidget(name_, 0, 1);
    top->addWidget(new QLabel(QStringLiteral("Description:"), this), 1, 0);
    top->addWidget(desc_, 1, 1);
    category_ = new QLabel(this);
    category_->setObjectName(QStringLiteral("summary_category"));
    model_ = new QLabel(this);
    model_->setObjectName(QStringLiteral("summary_model"));
    top->addWidget(category_, 2, 1);
    top->addWidget(model_, 3, 1);
    layout->addLayout(top);

    auto* grid = new QGridLayout;
    rows_.resize(form.row_count());
    for (std::size_t i = 0; i < form.row_count(); ++i) {
        const ElementRow& row = form.row(i);
        const int r = static_cast<int>(i);
        const QString key = QString::fromStdString(row.key);
        RowWidgets& w = rows_[i];
        if (row.kind == ElementRowKind::Check) {
            w.check = new QCheckBox(QString::fromStdString(row.label), this);
            w.check->setObjectName(QStringLiteral("row_") + key);
            w.check->setChecked(form.checked(i));
            connect(w.check, &QCheckBox::toggled, this, [this, i](bool on) { form_.set_checked(i, on); });
            grid->addWidget(w.check, r, 1);
            continue;
        }
        grid->addWidget(new QLabel(QString::fromStdString(row.label), this), r, 0);
        if (row.kind == ElementRowKind::Integer) {
            w.shown = new QLineEdit(QString::fromStdString(form.integer_text(i)), this);
            w.shown->setObjectName(QStringLiteral("row_") + key);
            connect(w.shown, &QLineEdit::editingFinished, this, [this, i] {
                QLineEdit* edit = rows_[i].shown;
                if (edit->isModified()) form_.leave_integer(i, to_1252(edit->text()));
                edit->setText(QString::fromStdString(form_.integer_text(i)));
            });
            grid->addWidget(w.shown, r, 1);
            continue;
        }
        if (!row.editable) {
            w.shown = new QLineEdit(this);
            w.shown->setObjectName(QStringLiteral("row_") + key);
            w.shown->setReadOnly(true);
            w.shown->setEnabled(row.kind == ElementRowKind::Derived);
            grid->addWidget(w.shown, r, 1);
            if (form.field(i).kind() != UnitKind::Dimensionless) {
                auto* unit = new QLabel(this);
                unit->setObjectName(QStringLiteral("unit_") + key);
                grid->addWidget(unit, r, 2);
            }
            continue;
        }
        w.edit = new UnitFieldEdit(
            form.field(i), [this, i](std::string_view text) { return form_.leave_field(i, text); }, this);
        w.edit->setObjectName(QStringLiteral("row_") + key);
        connect(w.edit, &UnitFieldEdit::validated, this, [this](bool accepted) {
            if (accepted) show_rows();
        });
        grid->addWidget(w.edit, r, 1);
        if (const UnitSelector* selector = form.selector(i)) {
            w.combo = new UnitSelectorCombo(
                *selector, [this, i](int index) { return form_.select_unit(i, index); }, this);
            w.combo->setObjectName(QStringLiteral("unit_") + key);
            w.combo->pair_with(w.edit);
            connect(w.combo, &UnitSelectorCombo::unit_changed, this, [this] { show_rows(); });
            grid->addWidget(w.combo, r, 2);
        }
    }
    layout->addLayout(grid);

    if (form.is_leakage()) {
        auto* box = new QGroupBox(QStringLiteral("Leakage Area"), this);
        auto* box_layout = new QHBoxLayout(box);
        auto* group = new QButtonGroup(box);
        const struct {
            int type;
            const char* text;
            const char* name;
        } choices[] = {{kPlrLeak1, "Per Item", "per_item"},
                       {kPlrLeak2, "Per Unit Length", "per_length"},
                       {kPlrLeak3, "Per Unit Area", "per_area"}};
        for (const auto& c : choices) {
            auto* radio = new QRadioButton(QString::fromLatin1(c.text), box);
            radio->setObjectName(QString::fromLatin1(c.name));
            radio->setChecked(form.type() == c.type);
            group->addButton(radio, c.type);
            box_layout->addWidget(radio);
        }
        connect(group, &QButtonGroup::idClicked, this, [this](int type) {
            form_.choose_leakage(type);
            show_rows();
        });
        layout->addWidget(box);
    }

    if (form.has_fan_data()) {
        auto* fan = new QPushButton(QStringLiteral("Fan Data..."), this);
        fan->setObjectName(QStringLiteral("fan_data"));
        fan->setAutoDefault(false);
        connect(fan, &QPushButton::clicked, this, [this] {
            if (run_fan_points_dialog(this, form_.fan(), form_.fan_flow_unit(), form_.fan_pressure_unit())) {
                form_.refresh();
                show_rows();
            }
        });
        layout->addWidget(fan);
    }

    auto* icons = new QGroupBox(QStringLiteral("Icon"), this);
    auto* icon_layout = new QHBoxLayout(icons);
    auto* small = new QRadioButton(QStringLiteral("Small opening"), icons);
    small->setObjectName(QStringLiteral("small_icon"));
    auto* large = new QRadioButton(QStringLiteral("Large opening"), icons);
    large->setObjectName(QStringLiteral("large_icon"));
    (form.large_icon_chosen() ? large : small)->setChecked(true);
    connect(large, &QRadioButton::toggled, this, [this](bool on) { form_.choose_large_icon(on); });
    icon_layout->addWidget(small);
    icon_layout->addWidget(large);
    layout->addWidget(icons);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &ElementDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    show_rows();
}

// Every row shows the form anew: a field that follows another, a derived
// value or a leakage area that changed its kind.
void ElementDialog::show_rows()
{
    // The leakage buttons change the type, and with it the model line.
    const ElementSummary summary = element_summary(&form_.working());
    category_->setText(from_1252(summary.category));
    model_->setText(from_1252(summary.model));
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        RowWidgets& w = rows_[i];
        if (w.combo) w.combo->refill();
        if (w.edit) w.edit->show_field();
        const ElementRow& row = form_.row(i);
        if (w.shown && row.kind != ElementRowKind::Integer) {
            const UnitField& field = form_.field(i);
            w.shown->setText(from_1252(field.shown_text()));
            if (auto* unit = findChild<QLabel*>(QStringLiteral("unit_") + w.shown->objectName().mid(4)))
                unit->setText(from_1252(unit_display_name(field.kind(), field.unit())));
        }
    }
}

// The edits typed into but not yet left are checked as leaving them would.
bool ElementDialog::commit_rows()
{
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        RowWidgets& w = rows_[i];
        if (w.edit && w.edit->isModified() && !w.edit->commit()) {
            w.edit->setFocus();
            return false;
        }
        if (w.shown && form_.row(i).kind == ElementRowKind::Integer && w.shown->isModified()) {
            const bool ok = form_.leave_integer(i, to_1252(w.shown->text()));
            w.shown->setText(QString::fromStdString(form_.integer_text(i)));
            if (!ok) {
                w.shown->setFocus();
                return false;
            }
        }
    }
    return true;
}

void ElementDialog::focus_on(const std::string& field)
{
    if (field == "name") {
        name_->setFocus();
        name_->selectAll();
        return;
    }
    if (auto i = form_.row_of(field)) {
        RowWidgets& w = rows_[*i];
        QWidget* target = w.edit ? static_cast<QWidget*>(w.edit)
                          : w.shown ? static_cast<QWidget*>(w.shown)
                                    : static_cast<QWidget*>(w.check);
        if (target) target->setFocus();
    }
}

void ElementDialog::accept()
{
    if (!commit_rows()) return;
    form_.set_name(to_1252(name_->text()));
    form_.set_description(to_1252(desc_->text()));
    const ElementVerdict verdict = form_.accept(project_, stored_);
    show_rows();
    if (!verdict) {
        focus_on(verdict.field);
        return;
    }
    record_ = form_.stored();
    QDialog::accept();
}

// ---------------------------------------------------------------- entry points

namespace {

// The dialog of the copy's type; the stored element once accepted.
AirflowElement* run_type_dialog(QWidget* parent, Project& project, AirflowElement& copy,
                                AirflowElement* stored, ChooserState& state)
{
    if (is_spline_type(copy.type)) return run_spline_element_dialog(parent, project, copy, stored);
    if (copy.type == kSupAfe) return run_super_element_dialog(parent, project, copy, stored, state);
    if (!ElementForm::handles(copy.type)) return nullptr;
    ElementForm form(copy, new_element_context(project));
    ElementDialog dialog(parent, project, form, stored);
    if (dialog.exec() != QDialog::Accepted) return nullptr;
    return dialog.record();
}

}  // namespace

AirflowElement* create_element_dialog(QWidget* parent, Project& project, const ChooserContext& context,
                                      ChooserState& state)
{
    ElementChooserDialog chooser(parent, context, nullptr, state);
    if (chooser.exec() != QDialog::Accepted) return nullptr;
    AirflowElement copy =
        new_airflow_element(chooser.chosen(), new_element_context(project), state.new_elements);
    return run_type_dialog(parent, project, copy, nullptr, state);
}

bool edit_element_dialog(QWidget* parent, Project& project, AirflowElement& element, ChooserState& state)
{
    AirflowElement copy = element;
    copy.next = nullptr;
    return run_type_dialog(parent, project, copy, &element, state) != nullptr;
}

}  // namespace avelor::ui
