#include "ui/sheet_dialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include <string>
#include <utility>

#include "forms/element_form.h"
#include "model/unit_field.h"
#include "sketchpad/palette.h"
#include "model/project.h"
#include "ui/filter_dialogs.h"
#include "ui/schedule_dialogs.h"
#include "ui/sheet_widgets.h"
#include "ui/text_1252.h"

namespace avelor::ui {

namespace {

std::string shown_number(double value) { return format_number(value, 6); }

}  // namespace

// --------------------------------------------------------------- zone sheet

namespace {

constexpr ZonePage kZonePages[] = {ZonePage::ZoneData, ZonePage::ContaminantData, ZonePage::DetailedZone,
                                   ZonePage::Schedule};

}  // namespace

ZoneSheetDialog::ZoneSheetDialog(ZoneSheet& sheet, QWidget* parent) : QDialog(parent), sheet_(sheet)
{
    setWindowTitle(QStringLiteral("Zone Properties"));
    auto* layout = new QVBoxLayout(this);

    auto* frame = new QGroupBox(QStringLiteral("Zone Name"));
    auto* frame_layout = new QHBoxLayout(frame);
    frame_name_ = new QLabel;
    level_ = new QLabel;
    frame_layout->addWidget(frame_name_);
    frame_layout->addWidget(new QLabel(QStringLiteral("on Level")));
    frame_layout->addWidget(level_);
    frame_layout->addStretch();
    layout->addWidget(frame);

    tabs_ = new QTabWidget;
    tabs_->addTab(zone_data_page(), QStringLiteral("Zone Data"));
    tabs_->addTab(contaminant_page(), QStringLiteral("Contaminant Data"));
    tabs_->addTab(detailed_page(), QStringLiteral("Detailed Zone"));
    schedule_ = new SchedulePageWidget(sheet_.schedule(), sheet_.project(), nullptr);
    tabs_->addTab(schedule_, QStringLiteral("Schedule"));
    layout->addWidget(tabs_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &ZoneSheetDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ZoneSheetDialog::reject);
    layout->addWidget(buttons);

    connect(tabs_, &QTabWidget::currentChanged, this, &ZoneSheetDialog::page_changed);
    refresh();
}

SheetValueEdit* ZoneSheetDialog::value_edit(ZoneField field, const char* name)
{
    auto* edit = new SheetValueEdit([this, field](std::string_view text) { return sheet_.enter(field, text); },
                                    [this, field] { return sheet_.shown_text(field); }, nullptr);
    edit->setObjectName(QString::fromLatin1(name));
    edit->on_committed([this] { refresh(); });
    edits_.push_back(edit);
    field_widgets_.emplace_back(field, edit);
    return edit;
}

void ZoneSheetDialog::fill_units(QComboBox* combo, UnitKind kind, int unit) { fill_unit_names(combo, kind, unit); }

QComboBox* ZoneSheetDialog::unit_combo(ZoneField field, UnitKind kind, const char* name)
{
    auto* combo = new QComboBox;
    combo->setObjectName(QString::fromLatin1(name));
    fill_units(combo, kind, sheet_.unit(field));
    connect(combo, &QComboBox::currentIndexChanged, this, [this, field](int index) {
        if (filling_ || index < 0) return;
        sheet_.set_unit(field, index);  // a refused unit is put back below
        refresh();
    });
    units_.emplace_back(combo, field);
    return combo;
}

QWidget* ZoneSheetDialog::zone_data_page()
{
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    int row = 0;
    name_ = new QLineEdit;
    name_->setObjectName(QStringLiteral("name"));
    name_->setMaxLength(static_cast<int>(kZoneNameLength) + 1);  // one more, so that the rule can say so
    connect(name_, &QLineEdit::textEdited, this, [this](const QString& text) { sheet_.set_name(to_1252(text)); });
    grid->addWidget(new QLabel(QStringLiteral("Zone Name")), row, 0);
    grid->addWidget(name_, row++, 1);

    grid->addWidget(new QLabel(QStringLiteral("Volume:")), row, 0);
    grid->addWidget(value_edit(ZoneField::Volume, "volume"), row, 1);
    grid->addWidget(unit_combo(ZoneField::Volume, UnitKind::Volume, "volume_unit"), row++, 2);
    grid->addWidget(new QLabel(QStringLiteral("Floor Area:")), row, 0);
    grid->addWidget(value_edit(ZoneField::FloorArea, "floor_area"), row, 1);
    grid->addWidget(unit_combo(ZoneField::FloorArea, UnitKind::Area, "floor_area_unit"), row++, 2);
    grid->addWidget(new QLabel(QStringLiteral("Temperature:")), row, 0);
    grid->addWidget(value_edit(ZoneField::Temperature, "temperature"), row, 1);
    grid->addWidget(unit_combo(ZoneField::Temperature, UnitKind::Temperature, "temperature_unit"), row++, 2);

    auto* pressure_box = new QGroupBox(QStringLiteral("Pressure:"));
    auto* pressure_layout = new QHBoxLayout(pressure_box);
    pressure_ = new QButtonGroup(this);
    sheet_radio("Variable", pressure_, 1, pressure_layout);
    sheet_radio("Constant", pressure_, 0, pressure_layout);
    pressure_layout->addWidget(value_edit(ZoneField::Pressure, "pressure"));
    pressure_layout->addWidget(unit_combo(ZoneField::Pressure, UnitKind::Pressure, "pressure_unit"));
    connect(pressure_, &QButtonGroup::idClicked, this, [this](int id) {
        sheet_.set_variable_pressure(id == 1);
        refresh();
    });
    grid->addWidget(pressure_box, row++, 0, 1, 3);

    building_ = new QCheckBox(QStringLiteral("Include in building volume"));
    connect(building_, &QCheckBox::clicked, this, [this] {
        sheet_.toggle_building_volume();
        refresh();
    });
    grid->addWidget(building_, row++, 0, 1, 3);

    colour_ = colour_choice("colour");
    connect(colour_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (filling_ || index < 0) return;
        sheet_.set_colour(chosen_colour(index));
    });
    grid->addWidget(new QLabel(QStringLiteral("Color:")), row, 0);
    grid->addWidget(colour_, row++, 1);
    grid->setRowStretch(row, 1);
    return page;
}

QWidget* ZoneSheetDialog::contaminant_page()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* handling = new QGroupBox(QStringLiteral("Contaminants:"));
    auto* handling_layout = new QHBoxLayout(handling);
    contaminants_ = new QButtonGroup(this);
    sheet_radio("Variable", contaminants_, 1, handling_layout);
    sheet_radio("Constant", contaminants_, 0, handling_layout);
    connect(contaminants_, &QButtonGroup::idClicked, this, [this](int id) {
        sheet_.set_variable_contaminants(id == 1);
        refresh();
    });
    layout->addWidget(handling);

    auto* concentrations = new QGroupBox(QStringLiteral("Contaminant Concentrations:"));
    auto* c_layout = new QGridLayout(concentrations);
    species_ = new QListWidget;
    species_->setObjectName(QStringLiteral("contaminants"));
    for (const std::string& name : sheet_.contaminant_names()) species_->addItem(from_1252(name));
    connect(species_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (filling_ || row < 0) return;
        commit_edits();
        sheet_.select_contaminant(row);
        refresh();
    });
    c_layout->addWidget(species_, 0, 0, 1, 3);
    c_layout->addWidget(new QLabel(QStringLiteral("Initial Concentration of selected contaminant:")), 1, 0);
    c_layout->addWidget(value_edit(ZoneField::Concentration, "concentration"), 1, 1);
    c_layout->addWidget(
        unit_combo(ZoneField::Concentration, sheet_.concentration_kind_shown(), "concentration_unit"), 1, 2);
    c_layout->addWidget(new QLabel(QStringLiteral("Sum of non-trace initial concentrations:")), 2, 0);
    sum_ = new QLabel;
    sum_->setObjectName(QStringLiteral("nontrace_sum"));
    c_layout->addWidget(sum_, 2, 1);
    c_layout->addWidget(new QLabel(QStringLiteral("(kg/kg)")), 2, 2);
    layout->addWidget(concentrations);

    auto* reaction = new QGroupBox(QStringLiteral("Kinetic Reaction"));
    auto* r_layout = new QHBoxLayout(reaction);
    reaction_ = new QComboBox;
    reaction_->setObjectName(QStringLiteral("reaction"));
    connect(reaction_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (filling_ || index < 0) return;
        sheet_.choose_reaction(index);
    });
    r_layout->addWidget(reaction_);
    const char* const tip = "Not available from this sheet yet.";
    r_layout->addWidget(unavailable_button("Edit Reaction", tip));
    r_layout->addWidget(unavailable_button("New Reaction", tip));
    r_layout->addWidget(unavailable_button("Library...", tip));
    layout->addWidget(reaction);
    layout->addStretch();
    return page;
}

QWidget* ZoneSheetDialog::detailed_page()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* type = new QGroupBox(QStringLiteral("Zone Type"));
    auto* type_layout = new QHBoxLayout(type);
    zone_type_ = new QButtonGroup(this);
    sheet_radio("Normal Zone", zone_type_, static_cast<int>(ZoneType::Normal), type_layout);
    sheet_radio("1D Zone", zone_type_, static_cast<int>(ZoneType::OneDimensional), type_layout);
    sheet_radio("CFD Zone", zone_type_, static_cast<int>(ZoneType::Cfd), type_layout);
    connect(zone_type_, &QButtonGroup::idClicked, this, [this](int id) {
        sheet_.set_zone_type(static_cast<ZoneType>(id));
        refresh();
    });
    layout->addWidget(type);

    auto* one_d = new QGroupBox(QStringLiteral("1D Zone Data"));
    one_d->setObjectName(QStringLiteral("one_d"));
    auto* grid = new QGridLayout(one_d);
    auto* orientation = new QGroupBox(QStringLiteral("Axis Orientation on SketchPad"));
    auto* o_layout = new QHBoxLayout(orientation);
    axis_ = new QButtonGroup(this);
    for (int axs = 1; axs <= 4; ++axs) sheet_radio(std::to_string(axs).c_str(), axis_, axs, o_layout);
    connect(axis_, &QButtonGroup::idClicked, this, [this](int id) {
        sheet_.set_axis_orientation(id);
        refresh();
    });
    grid->addWidget(orientation, 0, 0, 1, 4);
    grid->addWidget(new QLabel(QStringLiteral("Axis End-point Coordinates")), 1, 0, 1, 4);
    grid->addWidget(new QLabel(QStringLiteral("X:")), 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("Y:")), 2, 2);
    grid->addWidget(new QLabel(QStringLiteral("Rel Elevation:")), 2, 3);
    grid->addWidget(new QLabel(QStringLiteral("Point 1")), 3, 0);
    grid->addWidget(value_edit(ZoneField::Point1X, "point1_x"), 3, 1);
    grid->addWidget(value_edit(ZoneField::Point1Y, "point1_y"), 3, 2);
    grid->addWidget(value_edit(ZoneField::Point1Elevation, "point1_elevation"), 3, 3);
    grid->addWidget(new QLabel(QStringLiteral("Point 2")), 4, 0);
    grid->addWidget(value_edit(ZoneField::Point2X, "point2_x"), 4, 1);
    grid->addWidget(value_edit(ZoneField::Point2Y, "point2_y"), 4, 2);
    grid->addWidget(value_edit(ZoneField::Point2Elevation, "point2_elevation"), 4, 3);
    grid->addWidget(unit_combo(ZoneField::Point1X, UnitKind::Length, "axis_unit"), 4, 4);
    grid->addWidget(new QLabel(QStringLiteral("Cell Size:")), 5, 0);
    grid->addWidget(value_edit(ZoneField::CellSize, "cell_size"), 5, 1);
    grid->addWidget(new QLabel(QStringLiteral("Axial Dispersion Coefficient:")), 6, 0);
    grid->addWidget(value_edit(ZoneField::Dispersion, "dispersion"), 6, 1);
    grid->addWidget(unit_combo(ZoneField::Dispersion, UnitKind::Diffusivity, "dispersion_unit"), 6, 2);
    layout->addWidget(one_d);

    auto* cfd = new QGroupBox(QStringLiteral("CFD Zone Data"));
    auto* cfd_layout = new QFormLayout(cfd);
    cfd_id_ = new QLineEdit;
    cfd_id_->setObjectName(QStringLiteral("cfd_id"));
    cfd_id_->setMaxLength(static_cast<int>(kCfdIdLength));
    connect(cfd_id_, &QLineEdit::textEdited, this, [this](const QString& text) { sheet_.set_cfd_id(to_1252(text)); });
    cfd_layout->addRow(QStringLiteral("CFD Zone ID:"), cfd_id_);
    layout->addWidget(cfd);
    layout->addStretch();
    return page;
}

void ZoneSheetDialog::commit_edits()
{
    for (SheetValueEdit* edit : edits_) edit->commit();
}

void ZoneSheetDialog::refresh()
{
    filling_ = true;
    frame_name_->setText(from_1252(sheet_.frame_name()));
    level_->setText(from_1252(sheet_.level_name()));
    if (name_->text() != from_1252(sheet_.name_text())) name_->setText(from_1252(sheet_.name_text()));

    for (auto& [combo, field] : units_) {
        if (field == ZoneField::Concentration) {
            fill_units(combo, sheet_.concentration_kind_shown(), sheet_.unit(field));
            continue;
        }
        const QSignalBlocker block(combo);
        combo->setCurrentIndex(sheet_.unit(field));
    }
    for (SheetValueEdit* edit : edits_) edit->show_value();

    check_button(pressure_, sheet_.variable_pressure() ? 1 : 0);
    findChild<QLineEdit*>(QStringLiteral("pressure"))->setEnabled(sheet_.pressure_enabled());
    building_->setChecked(sheet_.in_building_volume());
    show_colour(colour_, sheet_.copy().clr);

    check_button(contaminants_, sheet_.variable_contaminants() ? 1 : 0);
    const bool concentrations = sheet_.concentrations_enabled();
    species_->setEnabled(concentrations);
    if (sheet_.selected_contaminant() >= 0) species_->setCurrentRow(sheet_.selected_contaminant());
    findChild<QLineEdit*>(QStringLiteral("concentration"))->setEnabled(concentrations);
    findChild<QComboBox*>(QStringLiteral("concentration_unit"))->setEnabled(concentrations);
    sum_->setText(QString::fromStdString(format_number(sheet_.nontrace_sum(), 0)));
    reaction_->clear();
    for (const std::string& r : sheet_.reaction_choices()) reaction_->addItem(from_1252(r));
    reaction_->setCurrentIndex(sheet_.reaction_choice());

    check_button(zone_type_, static_cast<int>(sheet_.zone_type()));
    zone_type_->button(static_cast<int>(ZoneType::Cfd))
        ->setEnabled(sheet_.cfd_enabled() || sheet_.zone_type() == ZoneType::Cfd);
    findChild<QWidget*>(QStringLiteral("one_d"))->setEnabled(sheet_.one_d_enabled());
    if (sheet_.one_d_enabled()) check_button(axis_, sheet_.copy().axs);
    if (cfd_id_->text() != from_1252(sheet_.cfd_id_text())) cfd_id_->setText(from_1252(sheet_.cfd_id_text()));

    schedule_->refresh();
    filling_ = false;
}

void ZoneSheetDialog::go_to(ZonePage page, ZoneField focus)
{
    filling_ = true;
    tabs_->setCurrentIndex(static_cast<int>(page));
    current_ = tabs_->currentIndex();
    filling_ = false;
    refresh();
    QWidget* target = nullptr;
    switch (focus) {
    case ZoneField::Name: target = name_; break;
    case ZoneField::CfdId: target = cfd_id_; break;
    case ZoneField::ControlColumn: target = schedule_->column(); break;
    case ZoneField::ZoneType: target = zone_type_->checkedButton(); break;
    default:
        for (const auto& [field, widget] : field_widgets_)
            if (field == focus) target = widget;
        break;
    }
    if (target) target->setFocus(Qt::OtherFocusReason);
}

void ZoneSheetDialog::page_changed(int index)
{
    if (filling_ || index == current_) return;
    commit_edits();
    const ZonePage to = kZonePages[index];
    if (std::optional<ZoneSheetRefusal> refusal = sheet_.select_page(to)) {
        go_to(refusal->page, refusal->focus);
        return;
    }
    current_ = index;
    refresh();
}

void ZoneSheetDialog::accept()
{
    commit_edits();
    if (std::optional<ZoneSheetRefusal> refusal = sheet_.accept()) {
        go_to(refusal->page, refusal->focus);
        return;
    }
    QDialog::accept();
}

// --------------------------------------------------------------- path sheet

namespace {

constexpr PathPage kPathPages[] = {PathPage::FlowElement, PathPage::FlowPath, PathPage::WindPressure,
                                   PathPage::Schedule,    PathPage::Filter,   PathPage::Cfd};

// A value field of the path sheet: the typed text is read as every field
// reads one and handed to the model's setter in the field's shown unit.
bool enter_value(const std::function<bool(double)>& set, std::string_view text)
{
    const std::optional<double> value = read_typed_value(text);
    return value && set(*value);
}

}  // namespace

PathSheetDialog::PathSheetDialog(PathSheet& sheet, SubPathChains& chains, PathSheetHooks hooks, QWidget* parent)
    : QDialog(parent), sheet_(sheet), chains_(chains), hooks_(std::move(hooks))
{
    setWindowTitle(QStringLiteral("Airflow Path Properties"));
    auto* layout = new QVBoxLayout(this);
    auto* number = new QHBoxLayout;
    number->addWidget(new QLabel(QStringLiteral("Path Number:")));
    auto* number_label = new QLabel(QString::fromStdString(sheet_.number_text()));
    number_label->setObjectName(QStringLiteral("path_number"));
    number->addWidget(number_label);
    number->addStretch();
    layout->addLayout(number);

    tabs_ = new QTabWidget;
    tabs_->addTab(element_page(), QStringLiteral("Flow Element"));
    tabs_->addTab(path_page(), QStringLiteral("Flow Path"));
    tabs_->addTab(wind_page(), QStringLiteral("Wind Pressure"));
    schedule_ = new SchedulePageWidget(sheet_.schedule_page(), sheet_.project(), nullptr);
    tabs_->addTab(schedule_, QStringLiteral("Schedule"));
    tabs_->addTab(filter_page(), QStringLiteral("Filter"));
    tabs_->addTab(cfd_page(), QStringLiteral("CFD"));
    layout->addWidget(tabs_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &PathSheetDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PathSheetDialog::reject);
    layout->addWidget(buttons);
    connect(tabs_, &QTabWidget::currentChanged, this, &PathSheetDialog::page_changed);
    refresh();
}

SheetValueEdit* PathSheetDialog::value_edit(const char* name, std::function<bool(double)> set,
                                            std::function<std::string()> shown)
{
    auto* edit = new SheetValueEdit(
        [set = std::move(set)](std::string_view text) { return enter_value(set, text); }, std::move(shown), nullptr);
    edit->setObjectName(QString::fromLatin1(name));
    edit->on_committed([this] { refresh(); });
    edits_.push_back(edit);
    return edit;
}

QComboBox* PathSheetDialog::unit_combo(const char* name, std::function<void(int)> set)
{
    auto* combo = new QComboBox;
    combo->setObjectName(QString::fromLatin1(name));
    connect(combo, &QComboBox::currentIndexChanged, this, [this, set = std::move(set)](int index) {
        if (filling_ || index < 0) return;
        set(index);
        refresh();
    });
    return combo;
}

QWidget* PathSheetDialog::element_page()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* element = new QGroupBox(QStringLiteral("Airflow Element"));
    auto* form = new QFormLayout(element);
    element_ = new QComboBox;
    element_->setObjectName(QStringLiteral("element"));
    connect(element_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (filling_ || index < 0 || static_cast<std::size_t>(index) >= element_items_.size()) return;
        if (element_items_[static_cast<std::size_t>(index)]) sheet_.choose_element(element_items_[static_cast<std::size_t>(index)]);
        refresh();
    });
    form->addRow(QStringLiteral("Name:"), element_);
    description_ = new QLabel;
    description_->setObjectName(QStringLiteral("element_description"));
    form->addRow(QStringLiteral("Description:"), description_);
    auto* summary = new QGroupBox(QStringLiteral("Model Summary"));
    auto* s_form = new QFormLayout(summary);
    summary_type_ = new QLabel;
    summary_type_->setObjectName(QStringLiteral("summary_type"));
    summary_formula_ = new QLabel;
    summary_formula_->setObjectName(QStringLiteral("summary_formula"));
    s_form->addRow(QStringLiteral("Type:"), summary_type_);
    s_form->addRow(QStringLiteral("Formula:"), summary_formula_);
    summary_parameters_ = new QLabel;
    summary_parameters_->setObjectName(QStringLiteral("summary_parameters"));
    s_form->addRow(QStringLiteral("Model Parameters:"), summary_parameters_);
    form->addRow(summary);
    auto* buttons = new QHBoxLayout;
    edit_element_ = new QPushButton(QStringLiteral("Edit Element"));
    new_element_ = new QPushButton(QStringLiteral("New Element"));
    connect(edit_element_, &QPushButton::clicked, this, &PathSheetDialog::edit_element);
    connect(new_element_, &QPushButton::clicked, this, &PathSheetDialog::new_element);
    buttons->addWidget(edit_element_);
    buttons->addWidget(new_element_);
    buttons->addWidget(library_manager_button(this, sheet_.project(), DefinitionKind::AirflowElement, [this] { refresh(); }));
    form->addRow(buttons);
    layout->addWidget(element);
    layout->addStretch();
    return page;
}

QWidget* PathSheetDialog::path_page()
{
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    int row = 0;
    grid->addWidget(new QLabel(QStringLiteral("Relative Elevation:")), row, 0);
    grid->addWidget(value_edit("relative_elevation", [this](double v) { return sheet_.set_relative_elevation(v); },
                               [this] { return shown_number(sheet_.relative_elevation_shown()); }),
                    row, 1);
    length_unit_ = unit_combo("length_unit", [this](int u) { sheet_.set_length_unit(u); });
    grid->addWidget(length_unit_, row++, 2);

    multiplier_label_ = new QLabel;
    multiplier_label_->setObjectName(QStringLiteral("multiplier_label"));
    grid->addWidget(multiplier_label_, row, 0);
    grid->addWidget(value_edit("multiplier", [this](double v) { return sheet_.set_multiplier(v); },
                               [this] { return shown_number(sheet_.multiplier_shown()); }),
                    row, 1);
    multiplier_unit_ = unit_combo("multiplier_unit", [this](int u) { sheet_.set_multiplier_unit(u); });
    grid->addWidget(multiplier_unit_, row++, 2);

    auto* direction = new QGroupBox(QStringLiteral("Positive Flow Direction"));
    auto* d_layout = new QVBoxLayout(direction);
    direction_ = new QButtonGroup(this);
    sheet_radio("", direction_, 0, d_layout);
    sheet_radio("", direction_, 1, d_layout);
    connect(direction_, &QButtonGroup::idClicked, this, [this](int id) {
        sheet_.set_direction_choice(id);
        refresh();
    });
    grid->addWidget(direction, row++, 0, 1, 3);

    auto* limits = new QGroupBox(QStringLiteral("Limits"));
    auto* l_grid = new QGridLayout(limits);
    limits_ = new QButtonGroup(this);
    auto* l_choices = new QHBoxLayout;
    sheet_radio("None", limits_, static_cast<int>(PathLimits::None), l_choices);
    sheet_radio("Pressure", limits_, static_cast<int>(PathLimits::Pressure), l_choices);
    sheet_radio("Flow", limits_, static_cast<int>(PathLimits::Flow), l_choices);
    connect(limits_, &QButtonGroup::idClicked, this, [this](int id) {
        sheet_.set_limits(static_cast<PathLimits>(id));
        refresh();
    });
    l_grid->addLayout(l_choices, 0, 0, 1, 3);
    l_grid->addWidget(new QLabel(QStringLiteral("Maximum:")), 1, 0);
    maximum_ = value_edit("maximum", [this](double v) { return sheet_.set_maximum(v); },
                          [this] { return sheet_.maximum_text(); });
    l_grid->addWidget(maximum_, 1, 1);
    l_grid->addWidget(new QLabel(QStringLiteral("Minimum:")), 2, 0);
    minimum_ = value_edit("minimum", [this](double v) { return sheet_.set_minimum(v); },
                          [this] { return sheet_.minimum_text(); });
    l_grid->addWidget(minimum_, 2, 1);
    limit_unit_ = unit_combo("limit_unit", [this](int u) { sheet_.set_limit_unit(u); });
    l_grid->addWidget(limit_unit_, 1, 2);
    grid->addWidget(limits, row++, 0, 1, 3);

    auto* location = new QGroupBox(QStringLiteral("Location"));
    auto* loc = new QGridLayout(location);
    loc->addWidget(new QLabel(QStringLiteral("X:")), 0, 0);
    loc->addWidget(value_edit("x", [this](double v) { return sheet_.set_x(v); },
                              [this] { return shown_number(sheet_.x_shown()); }),
                   0, 1);
    loc->addWidget(new QLabel(QStringLiteral("Y:")), 1, 0);
    loc->addWidget(value_edit("y", [this](double v) { return sheet_.set_y(v); },
                              [this] { return shown_number(sheet_.y_shown()); }),
                   1, 1);
    location_unit_ = unit_combo("location_unit", [this](int u) { sheet_.set_length_unit(u); });
    loc->addWidget(location_unit_, 0, 2);
    auto* note = new QLabel(QStringLiteral(
        "These values are only required if using an external wind pressure and contaminant file (WPC) or the path "
        "connects to a 1D convection/diffusion zone."));
    note->setWordWrap(true);
    loc->addWidget(note, 2, 0, 1, 3);
    grid->addWidget(location, row++, 0, 1, 3);
    grid->setRowStretch(row, 1);
    return page;
}

QWidget* PathSheetDialog::wind_page()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* options = new QGroupBox(QStringLiteral("Wind Pressure Option"));
    wind_options_ = options;
    auto* o_layout = new QHBoxLayout(options);
    wind_ = new QButtonGroup(this);
    sheet_radio("None", wind_, static_cast<int>(WindOption::None), o_layout);
    sheet_radio("Constant", wind_, static_cast<int>(WindOption::Constant), o_layout);
    sheet_radio("Variable", wind_, static_cast<int>(WindOption::Variable), o_layout);
    connect(wind_, &QButtonGroup::idClicked, this, [this](int id) {
        commit_edits();
        sheet_.set_wind_option(static_cast<WindOption>(id));
        refresh();
    });
    layout->addWidget(options);

    auto* constant = new QGroupBox(QStringLiteral("Constant Pressure Data"));
    constant_box_ = constant;
    auto* c_layout = new QHBoxLayout(constant);
    c_layout->addWidget(new QLabel(QStringLiteral("Wind Pressure:")));
    wind_pressure_ = value_edit("wind_pressure", [this](double v) { return sheet_.set_wind_pressure(v); },
                                [this] { return shown_number(sheet_.wind_pressure_shown()); });
    c_layout->addWidget(wind_pressure_);
    pressure_unit_ = unit_combo("wind_pressure_unit", [this](int u) { sheet_.set_pressure_unit(u); });
    c_layout->addWidget(pressure_unit_);
    layout->addWidget(constant);

    auto* variable = new QGroupBox(QStringLiteral("Variable Pressure Data"));
    variable_box_ = variable;
    auto* v_form = new QFormLayout(variable);
    v_form->addRow(QStringLiteral("Wind Speed Modifier:"),
                   value_edit("wind_modifier", [this](double v) { return sheet_.set_wind_modifier(v); },
                              [this] { return shown_number(sheet_.path().wPmod); }));
    auto* azimuth = new QHBoxLayout;
    azimuth->addWidget(value_edit("wall_azimuth", [this](double v) { return sheet_.set_wall_azimuth(v); },
                                  [this] { return shown_number(sheet_.path().wazm); }));
    azimuth->addWidget(new QLabel(QStringLiteral("[deg]")));
    v_form->addRow(QStringLiteral("Wall Azimuth Angle:"), azimuth);
    profile_ = new QComboBox;
    profile_->setObjectName(QStringLiteral("profile"));
    connect(profile_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (filling_ || index < 0 || static_cast<std::size_t>(index) >= profile_items_.size()) return;
        if (profile_items_[static_cast<std::size_t>(index)]) sheet_.choose_profile(profile_items_[static_cast<std::size_t>(index)]);
        refresh();
    });
    v_form->addRow(QStringLiteral("Name:"), profile_);
    profile_description_ = new QLabel;
    profile_description_->setObjectName(QStringLiteral("profile_description"));
    v_form->addRow(QStringLiteral("Profile Description:"), profile_description_);
    auto* buttons = new QHBoxLayout;
    edit_profile_ = new QPushButton(QStringLiteral("Edit Profile"));
    edit_profile_->setObjectName(QStringLiteral("edit_profile"));
    new_profile_ = new QPushButton(QStringLiteral("New Profile"));
    new_profile_->setObjectName(QStringLiteral("new_profile"));
    connect(edit_profile_, &QPushButton::clicked, this, &PathSheetDialog::edit_profile);
    connect(new_profile_, &QPushButton::clicked, this, &PathSheetDialog::new_profile);
    buttons->addWidget(edit_profile_);
    buttons->addWidget(new_profile_);
    buttons->addWidget(library_manager_button(this, sheet_.project(), DefinitionKind::WindProfile, [this] { refresh(); }));
    v_form->addRow(buttons);
    layout->addWidget(variable);
    layout->addStretch();
    return page;
}

QWidget* PathSheetDialog::filter_page()
{
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    filter_name_ = new QLabel;
    filter_name_->setObjectName(QStringLiteral("filter_name"));
    filter_description_ = new QLabel;
    form->addRow(QStringLiteral("Filter Element Name:"), filter_name_);
    form->addRow(QStringLiteral("Filter Element Description:"), filter_description_);
    auto* buttons = new QHBoxLayout;
    filter_button_ = new QPushButton(QStringLiteral("New Filter"));
    filter_button_->setObjectName(QStringLiteral("filter_button"));
    filter_button_->setAutoDefault(false);
    connect(filter_button_, &QPushButton::clicked, this, [this] {
        if (auto filter = run_filter_properties(this, sheet_.project(), sheet_.working_filter()))
            sheet_.store_filter(*filter);
        refresh();
    });
    delete_filter_ = new QPushButton(QStringLiteral("Delete Filter"));
    delete_filter_->setObjectName(QStringLiteral("delete_filter"));
    delete_filter_->setAutoDefault(false);
    connect(delete_filter_, &QPushButton::clicked, this, [this] {
        sheet_.delete_filter();
        refresh();
    });
    buttons->addWidget(filter_button_);
    buttons->addWidget(delete_filter_);
    form->addRow(buttons);
    return page;
}

QWidget* PathSheetDialog::cfd_page()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* id = new QFormLayout;
    cfd_id_ = new QLineEdit;
    cfd_id_->setObjectName(QStringLiteral("cfd_id"));
    cfd_id_->setMaxLength(static_cast<int>(kCfdIdLength));
    connect(cfd_id_, &QLineEdit::textEdited, this, [this](const QString& text) { sheet_.set_cfd_id(to_1252(text)); });
    id->addRow(QStringLiteral("CFD Path ID:"), cfd_id_);
    layout->addLayout(id);

    auto* boundary = new QGroupBox(QStringLiteral("Boundary Condition - Avelor to CFD"));
    boundary_box_ = boundary;
    auto* b_layout = new QHBoxLayout(boundary);
    boundary_ = new QButtonGroup(this);
    sheet_radio("Mass Flow Rate", boundary_, kCfdBoundaryMassFlow, b_layout);
    sheet_radio("Pressure", boundary_, kCfdBoundaryPressure, b_layout);
    connect(boundary_, &QButtonGroup::idClicked, this, [this](int v) {
        sheet_.set_boundary(v);
        refresh();
    });
    layout->addWidget(boundary);

    auto* type = new QGroupBox(QStringLiteral("Pressure Boundary Condition Type"));
    pressure_type_box_ = type;
    auto* t_layout = new QHBoxLayout(type);
    pressure_type_ = new QButtonGroup(this);
    sheet_radio("Linear", pressure_type_, kCfdPressureLinear, t_layout);
    sheet_radio("Stagnation and Static Pressure", pressure_type_, kCfdPressureStagnation, t_layout);
    connect(pressure_type_, &QButtonGroup::idClicked, this, [this](int v) {
        sheet_.set_pressure_type(v);
        refresh();
    });
    layout->addWidget(type);
    layout->addStretch();
    return page;
}

void PathSheetDialog::commit_edits()
{
    for (SheetValueEdit* edit : edits_) edit->commit();
}

void PathSheetDialog::refresh()
{
    filling_ = true;
    const FlowPath& path = sheet_.path();

    // Flow element.
    fill_element_box(*element_, element_items_, sheet_.element_choices(), path.element, sheet_.element_text());
    description_->setText(from_1252(sheet_.element_description()));
    const ElementSummary summary = sheet_.element_summary_lines();
    summary_type_->setText(from_1252(summary.category));
    summary_formula_->setText(from_1252(summary.model));
    QStringList parameters;
    if (const AirflowElement* element = sheet_.path().element)
        for (const std::string& line : element_parameter_lines(*element)) parameters << from_1252(line);
    summary_parameters_->setText(parameters.join(QLatin1Char('\n')));
    edit_element_->setEnabled(sheet_.can_edit_element() && static_cast<bool>(hooks_.edit_element));
    new_element_->setEnabled(static_cast<bool>(hooks_.new_element));

    // Flow path.
    fill_unit_names(length_unit_, UnitKind::Length, path.u[kPathUnitLength]);
    fill_unit_names(location_unit_, UnitKind::Length, path.u[kPathUnitLength]);
    multiplier_label_->setText(from_1252(sheet_.multiplier_label()));
    multiplier_unit_->setVisible(sheet_.multiplier_unit_shown());
    if (sheet_.multiplier_unit_shown())
        fill_unit_names(multiplier_unit_, sheet_.multiplier_kind(), path.u[kPathUnitMultiplier]);
    const std::array<std::string, 2> directions = sheet_.direction_choices();
    for (int i = 0; i < 2; ++i) direction_->button(i)->setText(from_1252(directions[static_cast<std::size_t>(i)]));
    check_button(direction_, sheet_.direction_choice());
    check_button(limits_, static_cast<int>(sheet_.limits()));
    maximum_->setEnabled(sheet_.limit_fields_enabled());
    minimum_->setEnabled(sheet_.limit_fields_enabled());
    limit_unit_->setEnabled(sheet_.limit_fields_enabled());
    fill_unit_names(limit_unit_, sheet_.limit_kind(), sheet_.limit_unit());

    // Wind pressure.
    wind_options_->setEnabled(sheet_.wind_page_enabled());
    check_button(wind_, static_cast<int>(sheet_.wind_option()));
    constant_box_->setEnabled(sheet_.constant_fields_enabled());
    variable_box_->setEnabled(sheet_.variable_fields_enabled());
    fill_unit_names(pressure_unit_, UnitKind::PressureDifference, path.u[kPathUnitPressure]);
    profile_->clear();
    profile_items_.clear();
    if (!path.wind_profile) {
        profile_->addItem(from_1252(sheet_.profile_text()));
        profile_items_.push_back(nullptr);
    }
    for (WindProfile* p : sheet_.profile_choices()) {
        profile_->addItem(from_1252(p->name));
        profile_items_.push_back(p);
    }
    for (std::size_t i = 0; i < profile_items_.size(); ++i)
        if (profile_items_[i] == path.wind_profile) profile_->setCurrentIndex(static_cast<int>(i));
    profile_description_->setText(from_1252(sheet_.profile_description()));
    edit_profile_->setEnabled(sheet_.can_edit_profile() && static_cast<bool>(hooks_.edit_profile));
    new_profile_->setEnabled(sheet_.variable_fields_enabled() && static_cast<bool>(hooks_.new_profile));

    // Filter.
    filter_name_->setText(from_1252(sheet_.filter_name()));
    filter_description_->setText(from_1252(sheet_.filter_description()));
    filter_button_->setText(from_1252(sheet_.filter_button()));
    delete_filter_->setEnabled(sheet_.can_delete_filter());

    // CFD.
    if (cfd_id_->text() != from_1252(sheet_.cfd_id())) cfd_id_->setText(from_1252(sheet_.cfd_id()));
    boundary_box_->setEnabled(sheet_.boundary_enabled());
    check_button(boundary_, path.cfd_values[0]);
    pressure_type_box_->setEnabled(sheet_.pressure_type_enabled());
    check_button(pressure_type_, path.cfd_values[1]);

    for (SheetValueEdit* edit : edits_) edit->show_value();
    schedule_->refresh();
    filling_ = false;
}

void PathSheetDialog::new_element()
{
    if (!hooks_.new_element) return;
    if (AirflowElement* made = hooks_.new_element(this, sheet_.chooser_context())) sheet_.take_new_element(made);
    refresh();
}

void PathSheetDialog::edit_element()
{
    if (!hooks_.edit_element || !sheet_.path().element) return;
    hooks_.edit_element(this, *sheet_.path().element);
    refresh();
}

void PathSheetDialog::new_profile()
{
    if (!hooks_.new_profile) return;
    commit_edits();
    if (WindProfile* made = hooks_.new_profile(this)) sheet_.take_new_profile(made);
    refresh();
}

void PathSheetDialog::edit_profile()
{
    if (!hooks_.edit_profile || !sheet_.path().wind_profile) return;
    commit_edits();
    hooks_.edit_profile(this, *sheet_.path().wind_profile);
    refresh();
}

void PathSheetDialog::go_to(const PathSheetVerdict& verdict)
{
    filling_ = true;
    tabs_->setCurrentIndex(static_cast<int>(verdict.page));
    current_ = tabs_->currentIndex();
    filling_ = false;
    refresh();
    QWidget* target = nullptr;
    if (verdict.focus == "element") target = element_;
    if (verdict.focus == "profile") target = profile_;
    if (verdict.focus == "column") target = schedule_->column();
    if (verdict.focus == "cfd_id") target = cfd_id_;
    if (target) target->setFocus(Qt::OtherFocusReason);
}

void PathSheetDialog::page_changed(int index)
{
    if (filling_ || index == current_) return;
    commit_edits();
    const PathSheetVerdict verdict = sheet_.leave_page(kPathPages[current_]);
    if (!verdict) {
        go_to(verdict);
        return;
    }
    current_ = index;
    if (kPathPages[index] == PathPage::Cfd) sheet_.show_cfd_page();
    refresh();
}

void PathSheetDialog::accept()
{
    commit_edits();
    const PathSheetVerdict verdict = sheet_.accept(chains_);
    if (!verdict) {
        go_to(verdict);
        return;
    }
    QDialog::accept();
}

// ------------------------------------------------------------ entry points

void place_beside(QWidget& dialog, const QRect& cell)
{
    QScreen* screen = QGuiApplication::screenAt(cell.center());
    if (!screen) screen = dialog.screen();
    if (!screen) return;
    dialog.adjustSize();
    const QRect frame = dialog.frameGeometry();
    const QRect monitor = screen->geometry();
    const QRect work = screen->availableGeometry();
    const ScreenPoint at = sheet_position({cell.x(), cell.y(), cell.width(), cell.height()}, frame.width(),
                                          frame.height(), {monitor.x(), monitor.y(), monitor.width(), monitor.height()},
                                          {work.x(), work.y(), work.width(), work.height()});
    dialog.move(at.x, at.y);
}

bool run_zone_sheet(QWidget* parent, ZoneSheet& sheet, const QRect& cell)
{
    ZoneSheetDialog dialog(sheet, parent);
    place_beside(dialog, cell);
    return dialog.exec() == QDialog::Accepted && sheet.accepted();
}

bool run_path_sheet(QWidget* parent, PathSheet& sheet, SubPathChains& chains, const QRect& cell,
                    const PathSheetHooks& hooks)
{
    PathSheetDialog dialog(sheet, chains, hooks, parent);
    place_beside(dialog, cell);
    return dialog.exec() == QDialog::Accepted && sheet.accepted();
}

}  // namespace avelor::ui
