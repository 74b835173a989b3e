#include "ui/junction_dialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStringList>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>
#include <utility>

#include "model/unit_field.h"
#include "ui/filter_dialogs.h"
#include "ui/sheet_dialogs.h"
#include "ui/sheet_widgets.h"
#include "ui/text_1252.h"

namespace avelor::ui {

namespace {

constexpr SegmentPage kSegmentPages[] = {SegmentPage::Element, SegmentPage::Segment, SegmentPage::Schedule,
                                         SegmentPage::Filter};

std::string shown_number(double value) { return format_number(value, 6); }

// A value field: the typed text is read as every field reads one and handed
// to the model's setter in the field's shown unit.
bool enter_value(const std::function<bool(double)>& set, std::string_view text)
{
    const std::optional<double> value = read_typed_value(text);
    return value && set(*value);
}

QLabel* number_row(QVBoxLayout* layout, const char* caption, const std::string& number, const char* name)
{
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QString::fromLatin1(caption)));
    auto* label = new QLabel(QString::fromStdString(number));
    label->setObjectName(QString::fromLatin1(name));
    row->addWidget(label);
    row->addStretch();
    layout->addLayout(row);
    return label;
}

QLabel* wrapped_label(const char* name)
{
    auto* label = new QLabel;
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QString lines_text(const std::vector<std::string>& lines)
{
    QStringList out;
    for (const std::string& line : lines) out << from_1252(line);
    return out.join(QLatin1Char('\n'));
}

}  // namespace

// ------------------------------------------------------------ segment sheet

DuctSegmentSheetDialog::DuctSegmentSheetDialog(DuctSegmentSheet& sheet, DuctSheetHooks hooks, QWidget* parent)
    : QDialog(parent), sheet_(sheet), hooks_(std::move(hooks))
{
    setWindowTitle(QStringLiteral("Duct Segment Properties"));
    auto* layout = new QVBoxLayout(this);
    number_row(layout, "Duct Number:", sheet_.number_text(), "duct_number");

    tabs_ = new QTabWidget;
    tabs_->addTab(element_page(), QStringLiteral("Duct Element"));
    tabs_->addTab(segment_page(), QStringLiteral("Duct Segment"));
    schedule_ = new SchedulePageWidget(sheet_.schedule_page(), sheet_.project(), nullptr);
    tabs_->addTab(schedule_, QStringLiteral("Schedule"));
    tabs_->addTab(filter_page(), QStringLiteral("Filter"));
    layout->addWidget(tabs_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &DuctSegmentSheetDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &DuctSegmentSheetDialog::reject);
    layout->addWidget(buttons);
    connect(tabs_, &QTabWidget::currentChanged, this, &DuctSegmentSheetDialog::page_changed);
    refresh();
}

SheetValueEdit* DuctSegmentSheetDialog::value_edit(const char* name, std::function<bool(double)> set,
                                                   std::function<std::string()> shown)
{
    auto* edit = new SheetValueEdit(
        [set = std::move(set)](std::string_view text) { return enter_value(set, text); }, std::move(shown), nullptr);
    edit->setObjectName(QString::fromLatin1(name));
    edit->on_committed([this] { refresh(); });
    edits_.push_back(edit);
    return edit;
}

QWidget* DuctSegmentSheetDialog::element_page()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* element = new QGroupBox(QStringLiteral("Duct Element"));
    auto* form = new QFormLayout(element);
    element_ = new QComboBox;
    element_->setObjectName(QStringLiteral("element"));
    element_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(element_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (filling_ || index < 0 || static_cast<std::size_t>(index) >= element_items_.size()) return;
        sheet_.choose_element(element_items_[static_cast<std::size_t>(index)]);
        refresh();
    });
    form->addRow(QStringLiteral("Name:"), element_);
    description_ = wrapped_label("element_description");
    form->addRow(QStringLiteral("Description:"), description_);
    auto* summary = new QGroupBox(QStringLiteral("Element Summary"));
    auto* s_layout = new QVBoxLayout(summary);
    summary_ = wrapped_label("element_summary");
    summary_->setMinimumHeight(summary_->fontMetrics().lineSpacing() * 9);
    summary_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    s_layout->addWidget(summary_);
    form->addRow(summary);
    auto* buttons = new QHBoxLayout;
    edit_element_ = new QPushButton(QStringLiteral("Edit Element"));
    edit_element_->setObjectName(QStringLiteral("edit_element"));
    new_element_ = new QPushButton(QStringLiteral("New Element"));
    new_element_->setObjectName(QStringLiteral("new_element"));
    connect(edit_element_, &QPushButton::clicked, this, [this] {
        if (!hooks_.edit_element || !sheet_.segment().element) return;
        hooks_.edit_element(this, *sheet_.segment().element);
        refresh();
    });
    connect(new_element_, &QPushButton::clicked, this, [this] {
        if (!hooks_.new_element) return;
        if (DuctElement* made = hooks_.new_element(this)) sheet_.take_new_element(made);
        refresh();
    });
    buttons->addWidget(edit_element_);
    buttons->addWidget(new_element_);
    buttons->addWidget(library_manager_button(this, sheet_.project(), DefinitionKind::DuctElement, [this] { refresh(); }));
    form->addRow(buttons);
    layout->addWidget(element);
    layout->addStretch();
    return page;
}

QWidget* DuctSegmentSheetDialog::segment_page()
{
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    int row = 0;
    auto* direction = new QGroupBox(QStringLiteral("Positive Flow Direction"));
    auto* d_layout = new QHBoxLayout(direction);
    direction_ = new QButtonGroup(this);
    const std::array<std::string, 2> captions = sheet_.direction_captions();
    for (int i = 0; i < 2; ++i)
        sheet_radio(captions[static_cast<std::size_t>(i)].c_str(), direction_, i, d_layout)
            ->setObjectName(QStringLiteral("direction_%1").arg(i));
    connect(direction_, &QButtonGroup::idClicked, this, [this](int id) {
        sheet_.set_direction_choice(id);
        refresh();
    });
    grid->addWidget(direction, row++, 0, 1, 3);

    grid->addWidget(new QLabel(QStringLiteral("Length:")), row, 0);
    length_ = value_edit("length", [this](double v) { return sheet_.set_length(v); },
                         [this] { return shown_number(sheet_.length_shown()); });
    grid->addWidget(length_, row, 1);
    length_unit_ = new QComboBox;
    length_unit_->setObjectName(QStringLiteral("length_unit"));
    connect(length_unit_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (filling_ || index < 0) return;
        sheet_.set_length_unit(index);
        refresh();
    });
    grid->addWidget(length_unit_, row++, 2);
    grid->addWidget(new QLabel(QStringLiteral("Sum of Loss Coefficients:")), row, 0);
    losses_ = value_edit("loss_coefficients", [this](double v) { return sheet_.set_loss_coefficients(v); },
                         [this] { return sheet_.loss_coefficients_text(); });
    grid->addWidget(losses_, row++, 1);

    auto* derived = new QGroupBox(QStringLiteral("Derived Values"));
    auto* v_layout = new QGridLayout(derived);
    derived_ = wrapped_label("derived_values");
    derived_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    derived_->setMinimumHeight(derived_->fontMetrics().lineSpacing() * 6);
    v_layout->addWidget(derived_, 0, 0, 2, 1);
    area_unit_ = new QComboBox;
    area_unit_->setObjectName(QStringLiteral("area_unit"));
    connect(area_unit_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (filling_ || index < 0) return;
        sheet_.set_area_unit(index);
        refresh();
    });
    v_layout->addWidget(area_unit_, 0, 1, Qt::AlignTop);
    v_layout->setColumnStretch(0, 1);
    grid->addWidget(derived, row++, 0, 1, 3);

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

QWidget* DuctSegmentSheetDialog::filter_page()
{
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    filter_name_ = new QLabel;
    filter_name_->setObjectName(QStringLiteral("filter_name"));
    form->addRow(QStringLiteral("Filter Element Name:"), filter_name_);
    filter_description_ = new QLabel;
    filter_description_->setObjectName(QStringLiteral("filter_description"));
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

void DuctSegmentSheetDialog::commit_edits()
{
    for (SheetValueEdit* edit : edits_) edit->commit();
}

void DuctSegmentSheetDialog::refresh()
{
    filling_ = true;
    const DuctSegment& segment = sheet_.segment();
    fill_element_box(*element_, element_items_, sheet_.element_choices(), segment.element, sheet_.element_text());
    description_->setText(from_1252(sheet_.element_description()));
    summary_->setText(lines_text(sheet_.element_summary()));
    edit_element_->setEnabled(sheet_.can_edit_element() && static_cast<bool>(hooks_.edit_element));
    new_element_->setEnabled(static_cast<bool>(hooks_.new_element));

    check_button(direction_, sheet_.direction_choice());
    fill_unit_names(length_unit_, UnitKind::Length, sheet_.length_unit());
    losses_->setEnabled(sheet_.loss_coefficients_enabled());
    fill_unit_names(area_unit_, UnitKind::Area, sheet_.area_unit());
    derived_->setText(lines_text(sheet_.derived_lines()));
    show_colour(colour_, segment.clr);

    filter_name_->setText(from_1252(sheet_.filter_name()));
    filter_description_->setText(from_1252(sheet_.filter_description()));
    filter_button_->setText(from_1252(sheet_.filter_button()));
    delete_filter_->setEnabled(sheet_.can_delete_filter());

    for (SheetValueEdit* edit : edits_) edit->show_value();
    schedule_->refresh();
    filling_ = false;
}

void DuctSegmentSheetDialog::go_to(const SegmentSheetVerdict& verdict)
{
    filling_ = true;
    tabs_->setCurrentIndex(static_cast<int>(verdict.page));
    current_ = tabs_->currentIndex();
    filling_ = false;
    refresh();
    QWidget* target = nullptr;
    if (verdict.focus == "element") target = element_;
    if (verdict.focus == "length") target = length_;
    if (verdict.focus == "column") target = schedule_->column();
    if (target) target->setFocus(Qt::OtherFocusReason);
}

void DuctSegmentSheetDialog::page_changed(int index)
{
    if (filling_ || index == current_) return;
    commit_edits();
    const SegmentSheetVerdict verdict = sheet_.leave_page(kSegmentPages[current_]);
    if (!verdict) {
        go_to(verdict);
        return;
    }
    current_ = index;
    refresh();
}

void DuctSegmentSheetDialog::accept()
{
    commit_edits();
    const SegmentSheetVerdict verdict = sheet_.accept();
    if (!verdict) {
        go_to(verdict);
        return;
    }
    QDialog::accept();
}

// ----------------------------------------------------------- junction sheet

JunctionSheetDialog::JunctionSheetDialog(JunctionSheet& sheet, DuctSheetHooks hooks, QWidget* parent)
    : QDialog(parent), sheet_(sheet), hooks_(std::move(hooks))
{
    setWindowTitle(QStringLiteral("Duct Junction Properties"));
    auto* layout = new QVBoxLayout(this);
    number_row(layout, "Junction Number:", sheet_.number_text(), "junction_number");

    tabs_ = new QTabWidget;
    junction_ = junction_page();
    terminal_ = terminal_page();
    wind_page_ = wind_page();
    schedule_ = new SchedulePageWidget(sheet_.schedule_page(), sheet_.project(), nullptr);
    filter_ = filter_page();
    layout->addWidget(tabs_);
    sync_tabs();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &JunctionSheetDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &JunctionSheetDialog::reject);
    layout->addWidget(buttons);
    connect(tabs_, &QTabWidget::currentChanged, this, &JunctionSheetDialog::page_changed);
    refresh();
}

QWidget* JunctionSheetDialog::page_widget(JunctionPage page) const
{
    switch (page) {
    case JunctionPage::Junction: return junction_;
    case JunctionPage::TerminalData: return terminal_;
    case JunctionPage::WindPressure: return wind_page_;
    case JunctionPage::Schedule: return schedule_;
    case JunctionPage::Filter: return filter_;
    }
    return nullptr;
}

void JunctionSheetDialog::sync_tabs()
{
    const std::vector<JunctionPage> pages = sheet_.pages();
    if (pages == shown_) return;
    const JunctionPage front = shown_.empty() ? JunctionPage::Junction : shown_[static_cast<std::size_t>(current_)];
    filling_ = true;
    while (tabs_->count() > 0) tabs_->removeTab(0);
    // Pages out of the sheet stay hidden children of the dialog.
    for (JunctionPage page : {JunctionPage::Junction, JunctionPage::TerminalData, JunctionPage::WindPressure,
                              JunctionPage::Schedule, JunctionPage::Filter}) {
        QWidget* widget = page_widget(page);
        if (std::find(pages.begin(), pages.end(), page) == pages.end()) {
            widget->setParent(this);
            widget->hide();
        }
    }
    for (JunctionPage page : pages)
        tabs_->addTab(page_widget(page), QString::fromLatin1(std::string(junction_page_title(page)).c_str()));
    shown_ = pages;
    const auto at = std::find(shown_.begin(), shown_.end(), front);
    current_ = at == shown_.end() ? 0 : static_cast<int>(at - shown_.begin());
    tabs_->setCurrentIndex(current_);
    filling_ = false;
}

SheetValueEdit* JunctionSheetDialog::value_edit(const char* name, std::function<bool(double)> set,
                                                std::function<std::string()> shown)
{
    auto* edit = new SheetValueEdit(
        [set = std::move(set)](std::string_view text) { return enter_value(set, text); }, std::move(shown), nullptr);
    edit->setObjectName(QString::fromLatin1(name));
    edit->on_committed([this] { refresh(); });
    edits_.push_back(edit);
    return edit;
}

QComboBox* JunctionSheetDialog::unit_combo(const char* name, std::function<void(int)> set)
{
    auto* combo = new QComboBox;
    combo->setObjectName(QString::fromLatin1(name));
    connect(combo, &QComboBox::currentIndexChanged, this, [this, set = std::move(set)](int index) {
        if (filling_ || index < 0) return;
        commit_edits();
        set(index);
        refresh();
    });
    return combo;
}

QWidget* JunctionSheetDialog::junction_page()
{
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    int row = 0;
    kinds_ = new QButtonGroup(this);
    auto* junction = new QGroupBox(QStringLiteral("Junction"));
    auto* j_layout = new QVBoxLayout(junction);
    sheet_radio("Horizontal connection only", kinds_, 158, j_layout);
    sheet_radio("Connected upward to duct", kinds_, 159, j_layout);
    sheet_radio("Connected downward to duct", kinds_, 160, j_layout);
    sheet_radio("Connected up and down to ducts", kinds_, 161, j_layout);
    auto* terminal = new QGroupBox(QStringLiteral("Terminal"));
    auto* t_layout = new QVBoxLayout(terminal);
    sheet_radio("Horizontal connection", kinds_, 162, t_layout);
    sheet_radio("Connected upward to duct", kinds_, 163, t_layout);
    sheet_radio("Connected downward to duct", kinds_, 164, t_layout);
    t_layout->addStretch();
    for (int id = 158; id <= 164; ++id)
        kinds_->button(id)->setObjectName(QStringLiteral("kind_%1").arg(id));
    connect(kinds_, &QButtonGroup::idClicked, this, &JunctionSheetDialog::kind_chosen);
    auto* kinds = new QHBoxLayout;
    kinds->addWidget(junction);
    kinds->addWidget(terminal);
    auto* down = new QVBoxLayout;
    downward_ = new QPushButton(QStringLiteral("Define Downward\nDuct"));
    downward_->setObjectName(QStringLiteral("define_downward"));
    connect(downward_, &QPushButton::clicked, this, &JunctionSheetDialog::define_downward);
    downward_state_ = new QLabel;
    downward_state_->setObjectName(QStringLiteral("downward_state"));
    down->addWidget(downward_);
    down->addWidget(downward_state_);
    down->addStretch();
    kinds->addLayout(down);
    grid->addLayout(kinds, row++, 0, 1, 4);

    grid->addWidget(new QLabel(QStringLiteral("Relative Elevation:")), row, 0);
    grid->addWidget(value_edit("relative_elevation", [this](double v) { return sheet_.set_relative_elevation(v); },
                               [this] { return shown_number(sheet_.relative_elevation_shown()); }),
                    row, 1);
    length_unit_ = unit_combo("length_unit", [this](int u) { sheet_.set_length_unit(u); });
    grid->addWidget(length_unit_, row++, 2);
    grid->addWidget(new QLabel(QStringLiteral("Temperature:")), row, 0);
    temperature_ = value_edit("temperature", [this](double v) { return sheet_.set_temperature(v); },
                              [this] { return sheet_.temperature_text(); });
    grid->addWidget(temperature_, row, 1);
    temperature_unit_ = unit_combo("temperature_unit", [this](int u) { sheet_.set_temperature_unit(u); });
    grid->addWidget(temperature_unit_, row++, 2);

    auto* location = new QGroupBox(QStringLiteral("Location"));
    auto* loc = new QGridLayout(location);
    loc->addWidget(new QLabel(QStringLiteral("X :")), 0, 0);
    loc->addWidget(value_edit("x", [this](double v) { return sheet_.set_x(v); },
                              [this] { return shown_number(sheet_.x_shown()); }),
                   0, 1);
    loc->addWidget(new QLabel(QStringLiteral("Y :")), 1, 0);
    loc->addWidget(value_edit("y", [this](double v) { return sheet_.set_y(v); },
                              [this] { return shown_number(sheet_.y_shown()); }),
                   1, 1);
    location_unit_ = unit_combo("location_unit", [this](int u) { sheet_.set_length_unit(u); });
    loc->addWidget(location_unit_, 0, 2);
    auto* note = new QLabel(QStringLiteral(
        "These values are only required if using an external wind pressure and contaminant file (WPC) or the "
        "junction connects to a 1D convection/diffusion zone."));
    note->setWordWrap(true);
    loc->addWidget(note, 2, 0, 1, 4);
    loc->setColumnStretch(3, 1);
    grid->addWidget(location, row++, 0, 1, 4);

    colour_ = colour_choice("colour");
    connect(colour_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (filling_ || index < 0) return;
        sheet_.set_colour(chosen_colour(index));
    });
    grid->addWidget(new QLabel(QStringLiteral("Color:")), row, 0);
    grid->addWidget(colour_, row++, 1);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(3, 1);
    return page;
}

QWidget* JunctionSheetDialog::terminal_page()
{
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    int row = 0;
    grid->addWidget(new QLabel(QStringLiteral("Duct Area:")), row, 0);
    duct_area_ = new QLineEdit;
    duct_area_->setObjectName(QStringLiteral("duct_area"));
    duct_area_->setReadOnly(true);
    duct_area_->setFocusPolicy(Qt::NoFocus);
    grid->addWidget(duct_area_, row, 1);
    area_unit_ = unit_combo("area_unit", [this](int u) { sheet_.set_area_unit(u); });
    grid->addWidget(area_unit_, row++, 2);
    grid->addWidget(new QLabel(QStringLiteral("Free Face Area:")), row, 0);
    grid->addWidget(value_edit("free_face_area", [this](double v) { return sheet_.set_free_face_area(v); },
                               [this] { return shown_number(sheet_.free_face_area_shown()); }),
                    row++, 1);
    grid->addWidget(new QLabel(QStringLiteral("Design Flow Rate :")), row, 0);
    grid->addWidget(value_edit("design_flow", [this](double v) { return sheet_.set_design_flow(v); },
                               [this] { return shown_number(sheet_.design_flow_shown()); }),
                    row, 1);
    flow_unit_ = unit_combo("design_flow_unit", [this](int u) { sheet_.set_design_flow_unit(u); });
    grid->addWidget(flow_unit_, row++, 2);
    grid->addWidget(new QLabel(QStringLiteral("Terminal Loss Coefficient:")), row, 0);
    grid->addWidget(value_edit("terminal_loss", [this](double v) { return sheet_.set_terminal_loss(v); },
                               [this] { return shown_number(sheet_.junction().terminal.loss_coefficient()); }),
                    row++, 1);
    grid->addWidget(new QLabel(QStringLiteral("Balance Loss Coefficient:")), row, 0);
    grid->addWidget(value_edit("balance_loss", [this](double v) { return sheet_.set_balance_loss(v); },
                               [this] { return shown_number(sheet_.junction().terminal.balance_coefficient()); }),
                    row++, 1);
    grid->addWidget(new QLabel(QStringLiteral("Max Balance Coefficient:")), row, 0);
    grid->addWidget(value_edit("max_balance", [this](double v) { return sheet_.set_max_balance(v); },
                               [this] { return shown_number(sheet_.junction().terminal.max_balance_coefficient()); }),
                    row++, 1);
    balance_terminal_ = new QCheckBox;
    balance_terminal_->setObjectName(QStringLiteral("balance_terminal"));
    connect(balance_terminal_, &QCheckBox::clicked, this, [this](bool on) {
        sheet_.set_balance_terminal(on);
        refresh();
    });
    auto* balance_label = new QLabel(QStringLiteral("Balance Terminal:"));
    balance_label->setBuddy(balance_terminal_);
    grid->addWidget(balance_label, row, 0);
    grid->addWidget(balance_terminal_, row++, 1);
    grid->setRowStretch(row, 1);
    // The fields keep their natural width; the room left goes to the right.
    grid->setColumnStretch(3, 1);
    return page;
}

QWidget* JunctionSheetDialog::wind_page()
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
    c_layout->addWidget(value_edit("wind_pressure", [this](double v) { return sheet_.set_wind_pressure(v); },
                                   [this] { return shown_number(sheet_.wind_pressure_shown()); }));
    pressure_unit_ = unit_combo("wind_pressure_unit", [this](int u) { sheet_.set_wind_pressure_unit(u); });
    c_layout->addWidget(pressure_unit_);
    layout->addWidget(constant);

    auto* variable = new QGroupBox(QStringLiteral("Variable Pressure Data"));
    variable_box_ = variable;
    auto* v_form = new QFormLayout(variable);
    v_form->addRow(QStringLiteral("Wind Pressure Modifier:"),
                   value_edit("wind_modifier", [this](double v) { return sheet_.set_wind_modifier(v); },
                              [this] { return shown_number(sheet_.wind_modifier()); }));
    auto* azimuth = new QHBoxLayout;
    azimuth->addWidget(value_edit("wall_azimuth", [this](double v) { return sheet_.set_wall_azimuth(v); },
                                  [this] { return shown_number(sheet_.wall_azimuth()); }));
    azimuth->addWidget(new QLabel(QStringLiteral("[deg]")));
    v_form->addRow(QStringLiteral("Wall Azimuth Angle:"), azimuth);
    profile_ = new QComboBox;
    profile_->setObjectName(QStringLiteral("profile"));
    connect(profile_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (filling_ || index < 0 || static_cast<std::size_t>(index) >= profile_items_.size()) return;
        if (WindProfile* p = profile_items_[static_cast<std::size_t>(index)]) sheet_.choose_profile(p);
        refresh();
    });
    v_form->addRow(QStringLiteral("Name:"), profile_);
    profile_description_ = wrapped_label("profile_description");
    v_form->addRow(QStringLiteral("Profile Description:"), profile_description_);
    auto* buttons = new QHBoxLayout;
    edit_profile_ = new QPushButton(QStringLiteral("Edit Profile"));
    new_profile_ = new QPushButton(QStringLiteral("New Profile"));
    connect(edit_profile_, &QPushButton::clicked, this, [this] {
        if (!hooks_.edit_profile || !sheet_.profile()) return;
        commit_edits();
        hooks_.edit_profile(this, *sheet_.profile());
        refresh();
    });
    connect(new_profile_, &QPushButton::clicked, this, [this] {
        if (!hooks_.new_profile) return;
        commit_edits();
        if (WindProfile* made = hooks_.new_profile(this)) sheet_.take_new_profile(made);
        refresh();
    });
    buttons->addWidget(edit_profile_);
    buttons->addWidget(new_profile_);
    buttons->addWidget(library_manager_button(this, sheet_.project(), DefinitionKind::WindProfile, [this] { refresh(); }));
    v_form->addRow(buttons);
    layout->addWidget(variable);
    layout->addStretch();
    return page;
}

QWidget* JunctionSheetDialog::filter_page()
{
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    filter_name_ = new QLabel;
    filter_name_->setObjectName(QStringLiteral("filter_name"));
    form->addRow(QStringLiteral("Filter Element Name:"), filter_name_);
    filter_description_ = new QLabel;
    filter_description_->setObjectName(QStringLiteral("filter_description"));
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

void JunctionSheetDialog::commit_edits()
{
    for (SheetValueEdit* edit : edits_) edit->commit();
}

void JunctionSheetDialog::kind_chosen(int kind)
{
    commit_edits();
    sheet_.set_kind(static_cast<std::uint8_t>(kind));
    sync_tabs();
    refresh();
}

void JunctionSheetDialog::define_downward()
{
    commit_edits();
    sheet_.define_downward_duct([this](DuctSegmentSheet& segment) {
        DuctSegmentSheetDialog dialog(segment, hooks_, this);
        return dialog.exec() == QDialog::Accepted;
    });
    refresh();
}

void JunctionSheetDialog::refresh()
{
    filling_ = true;
    const Junction& j = sheet_.junction();
    for (int id = 158; id <= 164; ++id)
        kinds_->button(id)->setEnabled(sheet_.kind_enabled(static_cast<std::uint8_t>(id)));
    check_button(kinds_, sheet_.kind());
    downward_->setEnabled(sheet_.downward_button_enabled());
    downward_state_->setText(sheet_.downward_button_enabled()
                                 ? (sheet_.downward_defined() ? QStringLiteral("Defined") : QStringLiteral("Not defined"))
                                 : QString());
    fill_unit_names(length_unit_, UnitKind::Length, sheet_.length_unit());
    fill_unit_names(location_unit_, UnitKind::Length, sheet_.length_unit());
    fill_unit_names(temperature_unit_, UnitKind::Temperature, sheet_.temperature_unit());
    temperature_->setEnabled(sheet_.temperature_enabled());
    temperature_unit_->setEnabled(sheet_.temperature_enabled());
    show_colour(colour_, j.clr);

    duct_area_->setText(QString::fromStdString(shown_number(sheet_.duct_area_shown())));
    fill_unit_names(area_unit_, UnitKind::Area, sheet_.area_unit());
    fill_unit_names(flow_unit_, UnitKind::MassFlow, sheet_.design_flow_unit());
    balance_terminal_->setChecked(sheet_.balance_terminal());

    wind_options_->setEnabled(sheet_.wind_page_enabled());
    check_button(wind_, static_cast<int>(sheet_.wind_option()));
    constant_box_->setEnabled(sheet_.constant_fields_enabled());
    variable_box_->setEnabled(sheet_.variable_fields_enabled());
    fill_unit_names(pressure_unit_, UnitKind::PressureDifference, sheet_.wind_pressure_unit());
    profile_->clear();
    profile_items_.clear();
    if (!sheet_.profile()) {
        profile_->addItem(from_1252(sheet_.profile_text()));
        profile_items_.push_back(nullptr);
    }
    for (WindProfile* p : sheet_.profile_choices()) {
        profile_->addItem(from_1252(p->name));
        profile_items_.push_back(p);
    }
    for (std::size_t i = 0; i < profile_items_.size(); ++i)
        if (profile_items_[i] == sheet_.profile()) profile_->setCurrentIndex(static_cast<int>(i));
    profile_description_->setText(from_1252(sheet_.profile_description()));
    edit_profile_->setEnabled(sheet_.can_edit_profile() && static_cast<bool>(hooks_.edit_profile));
    new_profile_->setEnabled(sheet_.variable_fields_enabled() && static_cast<bool>(hooks_.new_profile));

    filter_name_->setText(from_1252(sheet_.filter_name()));
    filter_description_->setText(from_1252(sheet_.filter_description()));
    filter_button_->setText(from_1252(sheet_.filter_button()));
    delete_filter_->setEnabled(sheet_.can_delete_filter());

    for (SheetValueEdit* edit : edits_) edit->show_value();
    schedule_->refresh();
    filling_ = false;
}

void JunctionSheetDialog::go_to(const JunctionSheetVerdict& verdict)
{
    const auto at = std::find(shown_.begin(), shown_.end(), verdict.page);
    filling_ = true;
    if (at != shown_.end()) tabs_->setCurrentIndex(static_cast<int>(at - shown_.begin()));
    current_ = tabs_->currentIndex();
    filling_ = false;
    refresh();
    QWidget* target = nullptr;
    if (verdict.focus == "downward") target = downward_;
    if (verdict.focus == "profile") target = profile_;
    if (verdict.focus == "column") target = schedule_->column();
    if (target) target->setFocus(Qt::OtherFocusReason);
}

void JunctionSheetDialog::page_changed(int index)
{
    if (filling_ || index == current_ || index < 0) return;
    commit_edits();
    const JunctionSheetVerdict verdict = sheet_.leave_page(shown_[static_cast<std::size_t>(current_)]);
    if (!verdict) {
        go_to(verdict);
        return;
    }
    current_ = index;
    if (shown_[static_cast<std::size_t>(index)] == JunctionPage::TerminalData) sheet_.show_terminal_page();
    refresh();
}

void JunctionSheetDialog::accept()
{
    commit_edits();
    const JunctionSheetVerdict verdict = sheet_.accept();
    if (!verdict) {
        go_to(verdict);
        return;
    }
    QDialog::accept();
}

// ------------------------------------------------------------ entry points

bool run_duct_segment_sheet(QWidget* parent, DuctSegmentSheet& sheet, const QRect& cell, const DuctSheetHooks& hooks)
{
    DuctSegmentSheetDialog dialog(sheet, hooks, parent);
    place_beside(dialog, cell);
    return dialog.exec() == QDialog::Accepted && sheet.accepted();
}

bool run_junction_sheet(QWidget* parent, JunctionSheet& sheet, const QRect& cell, const DuctSheetHooks& hooks)
{
    JunctionSheetDialog dialog(sheet, hooks, parent);
    place_beside(dialog, cell);
    return dialog.exec() == QDialog::Accepted && sheet.accepted();
}

}  // namespace avelor::ui
