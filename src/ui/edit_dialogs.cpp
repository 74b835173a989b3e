#include "ui/edit_dialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "app/diagnostics.h"
#include "ui/control_dialogs.h"
#include "ui/duct_dialogs.h"
#include "ui/element_dialogs.h"
#include "ui/junction_dialogs.h"
#include "ui/network_sheet_dialogs.h"
#include "ui/schedule_dialogs.h"
#include "ui/sheet_dialogs.h"
#include "ui/source_dialogs.h"
#include "ui/text_1252.h"
#include "ui/wind_profile_dialog.h"

namespace avelor::ui {

namespace {

QDialogButtonBox* ok_cancel(QDialog* dialog)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

QCheckBox* kind_box(const char* caption, const char* name, bool on)
{
    auto* box = new QCheckBox(QString::fromLatin1(caption));
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(on);
    return box;
}

}  // namespace

AreaDeleteDialog::AreaDeleteDialog(AreaDeleteForm& form, QWidget* parent) : QDialog(parent), form_(form)
{
    setWindowTitle(QStringLiteral("Multiple Icon Deletion Options"));
    setObjectName(QStringLiteral("AreaDeleteDialog"));
    const AreaDeleteOptions& o = form_.options;
    walls_ = kind_box("&Wall", "Walls", o.walls);
    zones_ = kind_box("&Zone", "Zones", o.zones);
    paths_ = kind_box("Airflow &Path", "Paths", o.paths);
    ahs_ = kind_box("Simple &AHS", "SimpleAhs", o.simple_ahs);
    supplies_ = kind_box("AHS S&upply", "Supplies", o.supplies);
    returns_ = kind_box("AHS &Return", "Returns", o.returns);
    ducts_ = kind_box("&Duct", "Ducts", o.ducts);
    sources_ = kind_box("&Source/Sink", "Sources", o.sources);
    occupants_ = kind_box("&Occupant", "Occupants", o.occupants);
    controls_ = kind_box("&Control", "Controls", o.controls);
    notes_ = kind_box("A&nnotation", "Notes", o.notes);

    auto* kinds = new QGroupBox(QStringLiteral("Icons"));
    auto* grid = new QGridLayout(kinds);
    QCheckBox* const boxes[] = {walls_, zones_, paths_, ahs_, supplies_, returns_,
                                ducts_, sources_, occupants_, controls_, notes_};
    int i = 0;
    for (QCheckBox* box : boxes) {
        grid->addWidget(box, i % 6, i / 6);
        ++i;
    }
    auto* all_icons = new QPushButton(QStringLiteral("Select All Icons"));
    all_icons->setObjectName(QStringLiteral("SelectAllIcons"));
    grid->addWidget(all_icons, 6, 0, 1, 2);

    auto* level_group = new QGroupBox(QStringLiteral("Levels"));
    auto* level_layout = new QVBoxLayout(level_group);
    levels_ = new QListWidget;
    levels_->setObjectName(QStringLiteral("Levels"));
    levels_->setSelectionMode(QAbstractItemView::MultiSelection);
    QFont fixed(QStringLiteral("monospace"));
    fixed.setStyleHint(QFont::TypeWriter);
    levels_->setFont(fixed);
    for (const AreaDeleteForm::LevelRow& row : form_.level_rows) {
        auto* item = new QListWidgetItem(from_1252(row.text), levels_);
        item->setData(Qt::UserRole, row.level);
        const auto& chosen = form_.options.levels;
        item->setSelected(std::find(chosen.begin(), chosen.end(), row.level) != chosen.end());
    }
    level_layout->addWidget(levels_);
    auto* all_levels = new QPushButton(QStringLiteral("Select All Levels"));
    all_levels->setObjectName(QStringLiteral("SelectAllLevels"));
    level_layout->addWidget(all_levels);

    auto* columns = new QHBoxLayout;
    columns->addWidget(kinds);
    columns->addWidget(level_group);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(ok_cancel(this));

    connect(walls_, &QCheckBox::toggled, this, [this](bool on) {
        form_.set_walls(on);
        sync_boxes();
    });
    connect(ahs_, &QCheckBox::toggled, this, [this](bool on) {
        form_.set_simple_ahs(on);
        sync_boxes();
    });
    connect(all_icons, &QPushButton::clicked, this, [this] {
        form_.select_all_icons();
        sync_boxes();
    });
    connect(all_levels, &QPushButton::clicked, this, [this] { levels_->selectAll(); });
    sync_boxes();
}

void AreaDeleteDialog::sync_boxes()
{
    const AreaDeleteOptions& o = form_.options;
    const std::pair<QCheckBox*, bool> states[] = {
        {walls_, o.walls},       {zones_, o.zones},         {paths_, o.paths},   {ahs_, o.simple_ahs},
        {supplies_, o.supplies}, {returns_, o.returns},     {ducts_, o.ducts},   {sources_, o.sources},
        {occupants_, o.occupants}, {controls_, o.controls}, {notes_, o.notes},
    };
    for (const auto& [box, on] : states) {
        const QSignalBlocker quiet(box);
        box->setChecked(on);
    }
    zones_->setEnabled(form_.zones_enabled());
    supplies_->setEnabled(form_.supplies_enabled());
    returns_->setEnabled(form_.returns_enabled());
}

void AreaDeleteDialog::accept()
{
    AreaDeleteOptions& o = form_.options;
    form_.set_walls(walls_->isChecked());
    form_.set_simple_ahs(ahs_->isChecked());
    if (!o.walls) o.zones = zones_->isChecked();
    o.paths = paths_->isChecked();
    if (!o.simple_ahs) {
        o.supplies = supplies_->isChecked();
        o.returns = returns_->isChecked();
    }
    o.ducts = ducts_->isChecked();
    o.sources = sources_->isChecked();
    o.occupants = occupants_->isChecked();
    o.controls = controls_->isChecked();
    o.notes = notes_->isChecked();
    o.levels.clear();
    for (int row = 0; row < levels_->count(); ++row)
        if (levels_->item(row)->isSelected()) o.levels.push_back(levels_->item(row)->data(Qt::UserRole).toInt());
    QDialog::accept();
}

CoordinatesDialog::CoordinatesDialog(CoordinatesForm& form, QWidget* parent) : QDialog(parent), form_(form)
{
    setWindowTitle(QStringLiteral("Delete by Coordinates"));
    setObjectName(QStringLiteral("CoordinatesDialog"));
    auto spin = [](int highest, int value, const char* name) {
        auto* box = new QSpinBox;
        box->setObjectName(QString::fromLatin1(name));
        box->setRange(1, std::max(1, highest));
        box->setValue(std::clamp(value, 1, std::max(1, highest)));
        return box;
    };
    a_row_ = spin(form_.max_row, form_.a.row, "ARow");
    a_col_ = spin(form_.max_col, form_.a.col, "ACol");
    b_row_ = spin(form_.max_row, form_.b.row, "BRow");
    b_col_ = spin(form_.max_col, form_.b.col, "BCol");
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Row")), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Column")), 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Point A")), 1, 0);
    grid->addWidget(a_row_, 1, 1);
    grid->addWidget(a_col_, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Point B")), 2, 0);
    grid->addWidget(b_row_, 2, 1);
    grid->addWidget(b_col_, 2, 2);
    grid->addWidget(new QLabel(from_1252(form_.max_row_text())), 3, 1);
    grid->addWidget(new QLabel(from_1252(form_.max_col_text())), 3, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(ok_cancel(this));
}

void CoordinatesDialog::accept()
{
    form_.a = {a_row_->value(), a_col_->value()};
    form_.b = {b_row_->value(), b_col_->value()};
    const std::string refusal = form_.check();
    if (!refusal.empty()) {
        show_message(WARNING, {refusal});
        return;
    }
    QDialog::accept();
}

AnnotationDialog::AnnotationDialog(AnnotationForm& form, QWidget* parent) : QDialog(parent), form_(form)
{
    setWindowTitle(QStringLiteral("Annotation"));
    setObjectName(QStringLiteral("AnnotationDialog"));
    text_ = new QLineEdit(from_1252(form_.text));
    text_->setObjectName(QStringLiteral("AnnotationText"));
    text_->setMaxLength(static_cast<int>(AnnotationForm::kMaxText));
    text_->setMinimumWidth(text_->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 40);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(ok_cancel(this));
}

void AnnotationDialog::accept()
{
    form_.text = to_1252(text_->text());
    if (form_.text.size() > AnnotationForm::kMaxText) form_.text.resize(AnnotationForm::kMaxText);
    QDialog::accept();
}

bool QtEditorDialogs::area_delete_options(AreaDeleteForm& form)
{
    AreaDeleteDialog dialog(form, parent_);
    return dialog.exec() == QDialog::Accepted;
}

bool QtEditorDialogs::delete_coordinates(CoordinatesForm& form)
{
    CoordinatesDialog dialog(form, parent_);
    return dialog.exec() == QDialog::Accepted;
}

bool QtEditorDialogs::annotation(AnnotationForm& form)
{
    AnnotationDialog dialog(form, parent_);
    return dialog.exec() == QDialog::Accepted;
}

bool QtEditorDialogs::zone_sheet(ZoneSheet& sheet, const SheetRequest& request)
{
    return run_zone_sheet(parent_, sheet, cell_rect_(request.cell));
}

bool QtEditorDialogs::path_sheet(PathSheet& sheet, const SheetRequest& request)
{
    PathSheetHooks hooks;
    hooks.new_element = [this](QWidget* parent, const ChooserContext& context) {
        return create_element_dialog(parent, session_.project(), context, chooser_);
    };
    hooks.edit_element = [this](QWidget* parent, AirflowElement& element) {
        return edit_element_dialog(parent, session_.project(), element, chooser_);
    };
    hooks.new_profile = [this](QWidget* parent) { return run_wind_profile_dialog(parent, session_.project()); };
    hooks.edit_profile = [this](QWidget* parent, WindProfile& profile) {
        return run_wind_profile_dialog(parent, session_.project(), &profile) != nullptr;
    };
    return run_path_sheet(parent_, sheet, session_.project().sub_paths, cell_rect_(request.cell), hooks);
}

namespace {

DuctSheetHooks duct_hooks(Project& project, DuctChooserState& chooser)
{
    DuctSheetHooks hooks;
    hooks.new_element = [&project, &chooser](QWidget* parent) {
        return create_duct_element_dialog(parent, project, chooser);
    };
    hooks.edit_element = [&project](QWidget* parent, DuctElement& element) {
        return edit_duct_element_dialog(parent, project, element) != nullptr;
    };
    hooks.new_profile = [&project](QWidget* parent) { return run_wind_profile_dialog(parent, project); };
    hooks.edit_profile = [&project](QWidget* parent, WindProfile& profile) {
        return run_wind_profile_dialog(parent, project, &profile) != nullptr;
    };
    return hooks;
}

}  // namespace

bool QtEditorDialogs::junction_sheet(JunctionSheet& sheet, const SheetRequest& request)
{
    return run_junction_sheet(parent_, sheet, cell_rect_(request.cell), duct_hooks(session_.project(), duct_chooser_));
}

bool QtEditorDialogs::duct_segment_sheet(DuctSegmentSheet& sheet, const SheetRequest& request)
{
    return run_duct_segment_sheet(parent_, sheet, cell_rect_(request.cell),
                                  duct_hooks(session_.project(), duct_chooser_));
}

namespace {

// The buttons of the network sheets: "Edit AHS" opens the system's own
// sheet beside the same cell.
NetworkSheetHooks network_hooks(EditorSession& session, SourceChooser& source_chooser,
                                const std::function<QRect(GridCell)>& cell_rect, const SheetRequest& request)
{
    NetworkSheetHooks hooks;
    Project& project = session.project();
    hooks.edit_system = [&session, cell_rect, request](QWidget* parent, SimpleAhs& system) {
        AhsSheet sheet(session.project(), session.grid, request.cell, system.nr);
        return run_ahs_sheet(parent, sheet, cell_rect(request.cell));
    };
    hooks.new_source_element = [&project, &source_chooser](QWidget* parent) {
        return create_source_element_dialog(parent, project, source_chooser);
    };
    hooks.edit_source_element = [&project, &source_chooser](QWidget* parent, SourceElement& element) {
        return edit_source_element_dialog(parent, project, element, source_chooser) != nullptr;
    };
    hooks.new_occupancy = [&project](QWidget* parent) {
        return run_occupancy_schedule_dialog(parent, project,
                                             new_occupancy_schedule(static_cast<std::int16_t>(project.rc.ud != 0)),
                                             nullptr);
    };
    hooks.edit_occupancy = [&project](QWidget* parent, OccupancySchedule& schedule) {
        return run_occupancy_schedule_dialog(parent, project, schedule, &schedule) != nullptr;
    };
    return hooks;
}

}  // namespace

bool QtEditorDialogs::ahs_sheet(AhsSheet& sheet, const SheetRequest& request)
{
    return run_ahs_sheet(parent_, sheet, cell_rect_(request.cell));
}

bool QtEditorDialogs::ahs_point_sheet(AhsPointSheet& sheet, const SheetRequest& request)
{
    return run_ahs_point_sheet(parent_, sheet, cell_rect_(request.cell),
                               network_hooks(session_, source_chooser_, cell_rect_, request));
}

bool QtEditorDialogs::source_sheet(SourceSheet& sheet, const SheetRequest& request)
{
    return run_source_sheet(parent_, sheet, cell_rect_(request.cell),
                            network_hooks(session_, source_chooser_, cell_rect_, request));
}

bool QtEditorDialogs::exposure_sheet(ExposureSheet& sheet, const SheetRequest& request)
{
    return run_exposure_sheet(parent_, sheet, cell_rect_(request.cell),
                              network_hooks(session_, source_chooser_, cell_rect_, request));
}

bool QtEditorDialogs::control_chooser(ControlTypeChooser& chooser, const SheetRequest&)
{
    return run_control_chooser(parent_, chooser);
}

bool QtEditorDialogs::control_node_dialog(ControlNodeForm& form, const SheetRequest&)
{
    return run_control_node_dialog(parent_, form, session_.project());
}

bool QtEditorDialogs::sensor_dialog(SensorForm& form, const SheetRequest&) { return run_sensor_dialog(parent_, form); }

int QtEditorDialogs::terminal_sensor_type(const SheetRequest&) { return run_terminal_sensor_type(parent_); }

bool QtEditorDialogs::phantom_dialog(PhantomForm& form, const SheetRequest&)
{
    return run_phantom_dialog(parent_, form);
}

bool QtEditorDialogs::super_node_dialog(SuperNodeForm& form, const SheetRequest&)
{
    return run_super_node_dialog(parent_, form);
}

}  // namespace avelor::ui
