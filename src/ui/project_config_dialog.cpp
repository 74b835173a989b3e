#include "ui/project_config_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include "editing/editor_session.h"
#include "ui/text_1252.h"

namespace avelor::ui {

namespace {

QComboBox* unit_combo(std::span<const std::string> names, int selected, const char* name)
{
    auto* combo = new QComboBox;
    combo->setObjectName(QString::fromLatin1(name));
    for (const std::string& unit : names) combo->addItem(from_1252(unit));
    combo->setCurrentIndex(selected);
    return combo;
}

QWidget* beside(QWidget* first, QWidget* second)
{
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(first);
    layout->addWidget(second);
    return row;
}

bool on_units_page(ConfigField field)
{
    return field == ConfigField::UnitSystem || field == ConfigField::FlowUnit ||
           field == ConfigField::Temperature;
}

}  // namespace

ProjectConfigDialog::ProjectConfigDialog(EditorSession& session, QWidget* parent)
    : QDialog(parent), session_(&session), form_(session.project(), session.grid)
{
    setWindowTitle(from_1252(ProjectConfigForm::kCaption));
    setObjectName(QStringLiteral("ProjectConfigDialog"));

    pages_ = new QTabWidget;
    units_page_ = build_units_page();
    dimensions_page_ = build_dimensions_page();
    pages_->addTab(units_page_, QStringLiteral("Units"));
    pages_->addTab(dimensions_page_, QStringLiteral("SketchPad Dimensions"));
    shown_page_ = pages_->currentIndex();
    connect(pages_, &QTabWidget::currentChanged, this, &ProjectConfigDialog::page_changed);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &ProjectConfigDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ProjectConfigDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_);
    layout->addWidget(buttons);
    refresh_extents();
}

QWidget* ProjectConfigDialog::build_units_page()
{
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);

    unit_system_ = new QComboBox;
    unit_system_->setObjectName(QStringLiteral("UnitSystem"));
    unit_system_->addItems({QStringLiteral("SI"), QStringLiteral("IP")});
    unit_system_->setCurrentIndex(form_.working().ud == 0 ? 0 : 1);
    connect(unit_system_, &QComboBox::currentIndexChanged, this,
            [this](int index) { form_.set_unit_system(index); });
    form->addRow(QStringLiteral("Unit &system:"), unit_system_);

    flow_unit_ = unit_combo(form_.flow_unit_names(), form_.working().uf, "FlowUnit");
    connect(flow_unit_, &QComboBox::currentIndexChanged, this,
            [this](int index) { form_.set_flow_unit(index); });
    form->addRow(QStringLiteral("&Flow units:"), flow_unit_);

    temperature_ = bound_edit(
        "Temperature", [this](std::string_view text) { return form_.leave_temperature(text); },
        [this] { return form_.temperature().shown_text(); });
    temperature_unit_ =
        unit_combo(form_.temperature_unit().names(), form_.temperature_unit().selected(), "TemperatureUnit");
    connect(temperature_unit_, &QComboBox::currentIndexChanged, this, [this](int index) {
        // The value being typed is taken in the unit it was typed in.
        leave_pending_edit();
        if (!form_.select_temperature_unit(index)) {
            const QSignalBlocker block(temperature_unit_);
            temperature_unit_->setCurrentIndex(form_.temperature_unit().selected());
        }
        temperature_->setText(from_1252(form_.temperature().shown_text()));
    });
    form->addRow(QStringLiteral("Default &temperature:"), beside(temperature_, temperature_unit_));
    return page;
}

QWidget* ProjectConfigDialog::build_dimensions_page()
{
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);

    width_ = bound_edit(
        "Width", [this](std::string_view text) { return form_.leave_width(text); },
        [this] { return form_.width().shown_text(); });
    width_extent_ = new QLabel;
    width_extent_->setObjectName(QStringLiteral("WidthExtent"));
    form->addRow(QStringLiteral("&Width:"), beside(width_, width_extent_));

    height_ = bound_edit(
        "Height", [this](std::string_view text) { return form_.leave_height(text); },
        [this] { return form_.height().shown_text(); });
    height_extent_ = new QLabel;
    height_extent_->setObjectName(QStringLiteral("HeightExtent"));
    form->addRow(QStringLiteral("&Height:"), beside(height_, height_extent_));

    scale_ = bound_edit(
        "Scale", [this](std::string_view text) { return form_.leave_scale(text); },
        [this] { return form_.scale().shown_text(); });
    length_unit_ = unit_combo(form_.length_unit().names(), form_.length_unit().selected(), "LengthUnit");
    connect(length_unit_, &QComboBox::currentIndexChanged, this, [this](int index) {
        leave_pending_edit();
        if (!form_.select_length_unit(index)) {
            const QSignalBlocker block(length_unit_);
            length_unit_->setCurrentIndex(form_.length_unit().selected());
        }
        scale_->setText(from_1252(form_.scale().shown_text()));
        refresh_extents();
    });
    form->addRow(QStringLiteral("&Scaling Factor:"), beside(scale_, length_unit_));

    origin_column_ = bound_edit(
        "OriginColumn", [this](std::string_view text) { return form_.leave_origin_column(text); },
        [this] { return form_.origin_column().shown_text(); });
    form->addRow(QStringLiteral("Origin &Column:"), origin_column_);
    origin_row_ = bound_edit(
        "OriginRow", [this](std::string_view text) { return form_.leave_origin_row(text); },
        [this] { return form_.origin_row().shown_text(); });
    form->addRow(QStringLiteral("Origin &Row:"), origin_row_);

    show_geometry_ = new QCheckBox(from_1252(ProjectConfigForm::kPseudoGeometryCaption));
    show_geometry_->setObjectName(QStringLiteral("ShowGeometry"));
    show_geometry_->setChecked(form_.working().showGeom);
    connect(show_geometry_, &QCheckBox::toggled, this, [this](bool on) { form_.set_show_geometry(on); });
    form->addRow(show_geometry_);

    invert_y_ = new QCheckBox(from_1252(ProjectConfigForm::kInvertYCaption));
    invert_y_->setObjectName(QStringLiteral("InvertY"));
    invert_y_->setChecked(form_.working().invYaxis);
    connect(invert_y_, &QCheckBox::toggled, this, [this](bool on) { form_.set_invert_y(on); });
    form->addRow(invert_y_);
    return page;
}

QLineEdit* ProjectConfigDialog::bound_edit(const char* name, Leave leave, Shown shown)
{
    auto* edit = new QLineEdit(from_1252(shown()));
    edit->setObjectName(QString::fromLatin1(name));
    edits_.push_back({edit, std::move(leave), std::move(shown)});
    connect(edit, &QLineEdit::textEdited, this, [this, edit] {
        // Typing elsewhere leaves the field typed in before.
        if (pending_ && pending_ != edit) leave_edit(pending_);
        pending_ = edit;
    });
    connect(edit, &QLineEdit::editingFinished, this, [this, edit] {
        if (leave_edit(edit)) return;
        // A page change that took the focus away turns back to this field;
        // the mark lasts until control returns to the event loop.
        refused_ = edit;
        QMetaObject::invokeMethod(this, [this] { refused_ = nullptr; }, Qt::QueuedConnection);
        edit->setFocus();
        edit->selectAll();
    });
    return edit;
}

bool ProjectConfigDialog::leave_edit(QLineEdit* edit)
{
    if (checking_) return true;
    for (const BoundEdit& bound : edits_) {
        if (bound.edit != edit) continue;
        if (pending_ == edit) pending_ = nullptr;
        checking_ = true;
        const bool taken = bound.leave(to_1252(edit->text()));
        checking_ = false;
        edit->setText(from_1252(bound.shown()));
        refresh_extents();
        return taken;
    }
    return true;
}

bool ProjectConfigDialog::leave_pending_edit()
{
    QLineEdit* edit = pending_;
    if (!edit) return true;
    if (leave_edit(edit)) return true;
    focus_edit(edit);
    return false;
}

void ProjectConfigDialog::turn_to(QWidget* page)
{
    turning_back_ = true;
    pages_->setCurrentWidget(page);
    shown_page_ = pages_->currentIndex();
    turning_back_ = false;
}

void ProjectConfigDialog::focus_edit(QLineEdit* edit)
{
    turn_to(units_page_->isAncestorOf(edit) ? units_page_ : dimensions_page_);
    edit->setFocus();
    edit->selectAll();
}

void ProjectConfigDialog::refresh_extents()
{
    const QString unit = from_1252(form_.length_unit().label());
    width_extent_->setText(from_1252(form_.width_extent()) + QLatin1Char(' ') + unit);
    height_extent_->setText(from_1252(form_.height_extent()) + QLatin1Char(' ') + unit);
}

QWidget* ProjectConfigDialog::field_widget(ConfigField field) const
{
    switch (field) {
    case ConfigField::UnitSystem: return unit_system_;
    case ConfigField::FlowUnit: return flow_unit_;
    case ConfigField::Temperature: return temperature_;
    case ConfigField::Width: return width_;
    case ConfigField::Height: return height_;
    case ConfigField::Scale: return scale_;
    case ConfigField::OriginColumn: return origin_column_;
    case ConfigField::OriginRow: return origin_row_;
    }
    return nullptr;
}

void ProjectConfigDialog::show_field(ConfigField field)
{
    turn_to(on_units_page(field) ? units_page_ : dimensions_page_);
    if (QWidget* widget = field_widget(field)) {
        widget->setFocus();
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) edit->selectAll();
    }
}

void ProjectConfigDialog::page_changed(int index)
{
    if (turning_back_) return;
    const int left = shown_page_;
    shown_page_ = index;
    if (pages_->widget(left) != dimensions_page_) return;
    // Leaving the dimensions page: what is typed there is checked first,
    // then the origin against the size.
    if (pending_ && dimensions_page_->isAncestorOf(pending_)) {
        QLineEdit* edit = pending_;
        if (!leave_edit(edit)) {
            focus_edit(edit);
            return;
        }
    }
    if (refused_ && dimensions_page_->isAncestorOf(refused_)) {
        focus_edit(refused_);
        return;
    }
    const FormAnswer<ConfigField> answer = form_.leave_dimensions_page();
    if (!answer.accepted) show_field(answer.focus);
}

void ProjectConfigDialog::accept()
{
    if (!leave_pending_edit()) return;
    const FormAnswer<ConfigField> answer = form_.accept();
    if (!answer.accepted) {
        show_field(answer.focus);
        return;
    }
    // The grid may have a new size: the view fits it and the cursor stays
    // in the drawable area.
    SketchView& view = session_->view;
    SketchGrid& grid = session_->grid;
    if (grid.allocated()) {
        view.set_window_pixels(view.window_width(), view.window_height(), grid);
        view.place_cursor(grid, grid.cursor);
    }
    QDialog::accept();
}

}  // namespace avelor::ui
