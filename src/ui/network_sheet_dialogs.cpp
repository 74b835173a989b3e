#include "ui/network_sheet_dialogs.h"

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
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <string>
#include <utility>

#include "forms/path_sheet.h"
#include "model/unit_field.h"
#include "ui/filter_dialogs.h"
#include "ui/sheet_dialogs.h"
#include "ui/sheet_widgets.h"
#include "ui/text_1252.h"

namespace avelor::ui {

namespace {

std::string shown_number(double value) { return format_number(value, 6); }

QLabel* named_label(const char* name)
{
    auto* label = new QLabel;
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QLabel* note_label(const char* text)
{
    auto* note = new QLabel(QString::fromLatin1(text));
    note->setWordWrap(true);
    return note;
}

// A filter group of the filter pages: element name and description,
// "New Filter"/"Edit Filter" (opening "Filter Properties") and "Delete
// Filter".
struct FilterBox {
    QGroupBox* box = nullptr;
    QLabel* name = nullptr;
    QLabel* description = nullptr;
    QPushButton* button = nullptr;
    QPushButton* remove = nullptr;
};

FilterBox filter_box(const char* title, const char* prefix)
{
    FilterBox f;
    f.box = new QGroupBox(QString::fromLatin1(title));
    auto* form = new QFormLayout(f.box);
    f.name = named_label((std::string(prefix) + "_filter_name").c_str());
    f.description = named_label((std::string(prefix) + "_filter_description").c_str());
    form->addRow(QStringLiteral("Filter Element Name:"), f.name);
    form->addRow(QStringLiteral("Filter Element Description:"), f.description);
    auto* buttons = new QHBoxLayout;
    f.button = new QPushButton(QStringLiteral("New Filter"));
    f.button->setObjectName(QString::fromLatin1((std::string(prefix) + "_filter_button").c_str()));
    f.button->setAutoDefault(false);
    f.remove = new QPushButton(QStringLiteral("Delete Filter"));
    f.remove->setObjectName(QString::fromLatin1((std::string(prefix) + "_delete_filter").c_str()));
    f.remove->setAutoDefault(false);
    buttons->addWidget(f.button);
    buttons->addWidget(f.remove);
    buttons->addStretch();
    form->addRow(buttons);
    return f;
}

void show_filter(QLabel* name, QLabel* description, QPushButton* button, QPushButton* remove, const FilterSlot& slot)
{
    name->setText(from_1252(slot.element_name()));
    description->setText(from_1252(slot.element_description()));
    button->setText(from_1252(slot.button_text()));
    remove->setEnabled(slot.can_delete());
}

// The names of a list into a combo box, the index chosen, quietly.
void fill_names(QComboBox* box, const std::vector<std::string>& names, int chosen)
{
    box->clear();
    for (const std::string& n : names) box->addItem(from_1252(n));
    box->setCurrentIndex(chosen);
}

void fill_list(QListWidget* list, const std::vector<std::string>& names, int selected)
{
    const QSignalBlocker block(list);
    list->clear();
    for (const std::string& n : names) list->addItem(from_1252(n));
    if (selected >= 0 && selected < list->count()) list->setCurrentRow(selected);
}

}  // namespace

// ------------------------------------------------------------- the base

NetworkSheetBase::NetworkSheetBase(const QString& title, const QString& number_label, const std::string& number,
                                   QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(title);
    layout_ = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(number_label));
    auto* n = new QLabel(QString::fromStdString(number));
    n->setObjectName(QStringLiteral("record_number"));
    row->addWidget(n);
    row->addStretch();
    layout_->addLayout(row);
    tabs_ = new QTabWidget;
}

void NetworkSheetBase::finish(const std::vector<std::pair<QWidget*, QString>>& pages)
{
    for (const auto& [page, title] : pages) tabs_->addTab(page, title);
    layout_->addWidget(tabs_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &NetworkSheetBase::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &NetworkSheetBase::reject);
    layout_->addWidget(buttons);
    connect(tabs_, &QTabWidget::currentChanged, this, &NetworkSheetBase::page_changed);
}

SheetValueEdit* NetworkSheetBase::value_edit(const char* name, std::function<bool(double)> set,
                                             std::function<double()> shown)
{
    auto* edit = new SheetValueEdit(
        [set = std::move(set)](std::string_view text) {
            const std::optional<double> value = read_typed_value(text);
            return value && set(*value);
        },
        [shown = std::move(shown)] { return shown_number(shown()); }, nullptr);
    edit->setObjectName(QString::fromLatin1(name));
    edit->on_committed([this] { refresh(); });
    edits_.push_back(edit);
    return edit;
}

QComboBox* NetworkSheetBase::unit_combo(const char* name, std::function<bool(int)> set)
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

void NetworkSheetBase::commit_edits()
{
    for (SheetValueEdit* edit : edits_) edit->commit();
}

void NetworkSheetBase::go_to(const SheetRefusal& refusal)
{
    filling_ = true;
    tabs_->setCurrentIndex(refusal.page);
    current_ = tabs_->currentIndex();
    page_shown(current_);
    filling_ = false;
    refresh();
    if (QWidget* target = focus_widget(refusal.focus)) target->setFocus(Qt::OtherFocusReason);
}

void NetworkSheetBase::page_changed(int index)
{
    if (filling_ || index == current_) return;
    commit_edits();
    if (const std::optional<SheetRefusal> refusal = select_page(index)) {
        SheetRefusal back = *refusal;
        back.page = current_;
        go_to(back);
        return;
    }
    current_ = index;
    refresh();
}

void NetworkSheetBase::accept()
{
    commit_edits();
    if (const std::optional<SheetRefusal> refusal = accept_sheet()) {
        go_to(*refusal);
        return;
    }
    QDialog::accept();
}

// ------------------------------------------------------------- the system

namespace {

constexpr AhsPage kAhsPages[] = {AhsPage::Ahs, AhsPage::Supply, AhsPage::Return, AhsPage::Schedule,
                                 AhsPage::Filters};

}  // namespace

AhsSheetDialog::AhsSheetDialog(AhsSheet& sheet, QWidget* parent)
    : NetworkSheetBase(QStringLiteral("Simple Air Handling System Properties"), QStringLiteral("System"),
                       sheet.number_text(), parent),
      sheet_(sheet)
{
    setObjectName(QStringLiteral("AhsSheetDialog"));
    QWidget* ahs = ahs_page();
    QWidget* supply = zone_page(AhsSide::Supply);
    QWidget* ret = zone_page(AhsSide::Return);
    schedule_ = new SchedulePageWidget(sheet_.schedule_page(), sheet_.project(), nullptr);
    finish({{ahs, QStringLiteral("AHS")},
            {supply, QStringLiteral("Supply System")},
            {ret, QStringLiteral("Return System")},
            {schedule_, QStringLiteral("Schedule")},
            {filters_page(), QStringLiteral("Filters")}});
    refresh();
}

QWidget* AhsSheetDialog::ahs_page()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* form = new QFormLayout;
    name_ = new QLineEdit;
    name_->setObjectName(QStringLiteral("name"));
    name_->setMaxLength(static_cast<int>(kAhsNameLength));
    connect(name_, &QLineEdit::textEdited, this, [this](const QString& t) { sheet_.set_name(to_1252(t)); });
    form->addRow(QStringLiteral("System Name:"), name_);
    description_ = new QLineEdit;
    description_->setObjectName(QStringLiteral("description"));
    description_->setMaxLength(static_cast<int>(kAhsDescriptionLength));
    description_->setMinimumWidth(description_->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 30);
    connect(description_, &QLineEdit::textEdited, this,
            [this](const QString& t) { sheet_.set_description(to_1252(t)); });
    form->addRow(QStringLiteral("Description:"), description_);
    auto* flow = new QHBoxLayout;
    flow->addWidget(value_edit("minimum_oa", [this](double v) { return sheet_.set(AhsField::MinimumOutdoorAir, v); },
                               [this] { return sheet_.shown(AhsField::MinimumOutdoorAir); }));
    flow_unit_ = unit_combo("minimum_oa_unit", [this](int u) { return sheet_.set_unit(AhsField::MinimumOutdoorAir, u); });
    flow->addWidget(flow_unit_);
    form->addRow(QStringLiteral("Minimum OA Flow:"), flow);
    layout->addLayout(form);

    auto* intake = new QGroupBox(QStringLiteral("Outdoor Air Intake Location"));
    auto* grid = new QGridLayout(intake);
    const std::pair<const char*, AhsField> axes[] = {
        {"X:", AhsField::IntakeX}, {"Y:", AhsField::IntakeY}, {"Z:", AhsField::IntakeZ}};
    int row = 0;
    for (const auto& [label, field] : axes) {
        grid->addWidget(new QLabel(QString::fromLatin1(label)), row, 0);
        const AhsField f = field;
        const std::string name = std::string("intake_") + static_cast<char>('x' + row);
        grid->addWidget(value_edit(name.c_str(), [this, f](double v) { return sheet_.set(f, v); },
                                   [this, f] { return sheet_.shown(f); }),
                        row, 1);
        ++row;
    }
    intake_unit_ = unit_combo("intake_unit", [this](int u) { return sheet_.set_unit(AhsField::IntakeX, u); });
    grid->addWidget(intake_unit_, 0, 2);
    grid->addWidget(note_label("Required only when using a WPC file."), row, 0, 1, 3);
    layout->addWidget(intake);
    layout->addStretch();
    return page;
}

QWidget* AhsSheetDialog::zone_page(AhsSide side)
{
    ZoneWidgets& w = side == AhsSide::Supply ? supply_ : return_;
    const AhsField volume = side == AhsSide::Supply ? AhsField::SupplyVolume : AhsField::ReturnVolume;
    const std::string prefix = side == AhsSide::Supply ? "supply_" : "return_";
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* form = new QFormLayout;
    auto* v = new QHBoxLayout;
    v->addWidget(value_edit((prefix + "volume").c_str(), [this, volume](double x) { return sheet_.set(volume, x); },
                            [this, volume] { return sheet_.shown(volume); }));
    w.volume_unit = unit_combo((prefix + "volume_unit").c_str(),
                               [this, volume](int u) { return sheet_.set_unit(volume, u); });
    v->addWidget(w.volume_unit);
    form->addRow(QStringLiteral("System Volume:"), v);
    layout->addLayout(form);

    auto* cc = new QGroupBox(QStringLiteral("Initial Concentrations"));
    auto* grid = new QGridLayout(cc);
    w.species = new QListWidget;
    w.species->setObjectName(QString::fromStdString(prefix + "species"));
    grid->addWidget(w.species, 0, 0, 3, 1);
    connect(w.species, &QListWidget::currentRowChanged, this, [this, side](int row) {
        if (filling_ || row < 0) return;
        commit_edits();
        sheet_.concentrations(side).select(row);
        refresh();
    });
    grid->addWidget(new QLabel(QStringLiteral("Initial Concentration of selected contaminant:")), 0, 1, 1, 2);
    w.concentration = value_edit((prefix + "concentration").c_str(),
                                 [this, side](double x) { return sheet_.concentrations(side).enter(x); },
                                 [this, side] { return sheet_.concentrations(side).shown(); });
    grid->addWidget(w.concentration, 1, 1);
    w.concentration_unit = unit_combo((prefix + "concentration_unit").c_str(),
                                      [this, side](int u) { return sheet_.concentrations(side).set_unit(u); });
    grid->addWidget(w.concentration_unit, 1, 2);
    w.sum = named_label((prefix + "sum").c_str());
    auto* sum = new QHBoxLayout;
    sum->addWidget(new QLabel(QStringLiteral("Sum of non-trace initial concentrations:")));
    sum->addWidget(w.sum);
    sum->addWidget(new QLabel(QStringLiteral("kg/kg")));
    grid->addLayout(sum, 2, 1, 1, 2);
    layout->addWidget(cc);

    auto* reaction = new QGroupBox(QStringLiteral("Kinetic Reaction"));
    auto* r_layout = new QHBoxLayout(reaction);
    w.reaction = new QComboBox;
    w.reaction->setObjectName(QString::fromStdString(prefix + "reaction"));
    connect(w.reaction, &QComboBox::currentIndexChanged, this, [this, side](int index) {
        if (filling_ || index < 0) return;
        sheet_.choose_reaction(side, index);
        refresh();
    });
    r_layout->addWidget(w.reaction);
    r_layout->addWidget(library_manager_button(this, sheet_.project(), DefinitionKind::KineticReaction, [this] { refresh(); }));
    layout->addWidget(reaction);
    layout->addStretch();
    return page;
}

QWidget* AhsSheetDialog::filters_page()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto make = [&](FilterWidgets& w, const char* title, const char* prefix, AhsFilter which) {
        const FilterBox f = filter_box(title, prefix);
        w = {f.name, f.description, f.button, f.remove};
        connect(f.button, &QPushButton::clicked, this, [this, which] {
            if (auto filter = run_filter_properties(this, sheet_.project(), sheet_.working_filter(which)))
                sheet_.store_filter(which, *filter);
            refresh();
        });
        connect(f.remove, &QPushButton::clicked, this, [this, which] {
            sheet_.delete_filter(which);
            refresh();
        });
        layout->addWidget(f.box);
    };
    make(outdoor_, "Outdoor Air Filter", "outdoor", AhsFilter::OutdoorAir);
    make(recirculation_, "Recirculation Air Filter", "recirculation", AhsFilter::Recirculation);
    layout->addStretch();
    return page;
}

std::optional<SheetRefusal> AhsSheetDialog::select_page(int index)
{
    return sheet_.select_page(kAhsPages[index]);
}

void AhsSheetDialog::page_shown(int index) { sheet_.show_page(kAhsPages[index]); }

std::optional<SheetRefusal> AhsSheetDialog::accept_sheet() { return sheet_.accept(); }

QWidget* AhsSheetDialog::focus_widget(const std::string& focus) const
{
    if (focus == "name") return name_;
    if (focus == "column") return schedule_->column();
    return nullptr;
}

void AhsSheetDialog::refresh()
{
    filling_ = true;
    if (name_->text() != from_1252(sheet_.name_text())) name_->setText(from_1252(sheet_.name_text()));
    if (description_->text() != from_1252(sheet_.description_text()))
        description_->setText(from_1252(sheet_.description_text()));
    fill_unit_names(flow_unit_, sheet_.kind(AhsField::MinimumOutdoorAir), sheet_.unit(AhsField::MinimumOutdoorAir));
    fill_unit_names(intake_unit_, UnitKind::Length, sheet_.unit(AhsField::IntakeX));
    for (AhsSide side : {AhsSide::Supply, AhsSide::Return}) {
        ZoneWidgets& w = side == AhsSide::Supply ? supply_ : return_;
        const ConcentrationList& cc = sheet_.concentrations(side);
        fill_unit_names(w.volume_unit, UnitKind::Volume,
                        sheet_.unit(side == AhsSide::Supply ? AhsField::SupplyVolume : AhsField::ReturnVolume));
        fill_list(w.species, cc.names(), cc.selected());
        w.species->setEnabled(cc.enabled());
        w.concentration->setEnabled(cc.enabled());
        w.concentration_unit->setEnabled(cc.enabled());
        if (cc.enabled()) fill_unit_names(w.concentration_unit, cc.kind(), cc.unit());
        w.sum->setText(QString::fromStdString(format_number(cc.nontrace_sum(), 1, 6)));
        fill_names(w.reaction, sheet_.reaction_choices(), sheet_.reaction_choice(side));
    }
    show_filter(outdoor_.name, outdoor_.description, outdoor_.button, outdoor_.remove,
                sheet_.filter_slot(AhsFilter::OutdoorAir));
    show_filter(recirculation_.name, recirculation_.description, recirculation_.button, recirculation_.remove,
                sheet_.filter_slot(AhsFilter::Recirculation));
    for (SheetValueEdit* edit : edits_) edit->show_value();
    schedule_->refresh();
    filling_ = false;
}

// ------------------------------------------------------ supply and return

namespace {

constexpr PointPage kPointPages[] = {PointPage::System, PointPage::Schedule, PointPage::Filter};

}  // namespace

AhsPointSheetDialog::AhsPointSheetDialog(AhsPointSheet& sheet, NetworkSheetHooks hooks, QWidget* parent)
    : NetworkSheetBase(QString::fromStdString(sheet.title()), QStringLiteral("Path Number:"),
                       std::to_string(sheet.number()), parent),
      sheet_(sheet),
      hooks_(std::move(hooks))
{
    setObjectName(QStringLiteral("AhsPointSheetDialog"));
    QWidget* system = system_page();
    schedule_ = new SchedulePageWidget(sheet_.schedule_page(), sheet_.project(), nullptr);
    finish({{system, QStringLiteral("System")},
            {schedule_, QStringLiteral("Schedule")},
            {filter_page(), QStringLiteral("Filter")}});
    refresh();
}

QWidget* AhsPointSheetDialog::system_page()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* ahs = new QGroupBox(QStringLiteral("AHS"));
    auto* form = new QFormLayout(ahs);
    system_ = new QComboBox;
    system_->setObjectName(QStringLiteral("system"));
    connect(system_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (filling_ || index < 0 || static_cast<std::size_t>(index) >= system_items_.size()) return;
        if (SimpleAhs* s = system_items_[static_cast<std::size_t>(index)]) sheet_.choose_system(s);
        refresh();
    });
    form->addRow(QStringLiteral("Name:"), system_);
    system_description_ = named_label("system_description");
    form->addRow(QStringLiteral("Description:"), system_description_);
    edit_system_ = new QPushButton(QStringLiteral("Edit AHS"));
    edit_system_->setObjectName(QStringLiteral("edit_system"));
    connect(edit_system_, &QPushButton::clicked, this, [this] {
        if (!hooks_.edit_system || !sheet_.path().ahs) return;
        commit_edits();
        hooks_.edit_system(this, *sheet_.path().ahs);
        refresh();
    });
    form->addRow(edit_system_);
    layout->addWidget(ahs);

    auto* flow = new QHBoxLayout;
    flow->addWidget(new QLabel(QStringLiteral("Design Flow Rate:")));
    flow->addWidget(value_edit("design_flow", [this](double v) { return sheet_.set(PointField::DesignFlow, v); },
                               [this] { return sheet_.shown(PointField::DesignFlow); }));
    flow_unit_ = unit_combo("design_flow_unit", [this](int u) { return sheet_.set_unit(PointField::DesignFlow, u); });
    flow->addWidget(flow_unit_);
    layout->addLayout(flow);

    auto* location = new QGroupBox(QStringLiteral("Location"));
    auto* grid = new QGridLayout(location);
    const std::pair<const char*, PointField> fields[] = {
        {"X:", PointField::X}, {"Y:", PointField::Y}, {"Rel Height:", PointField::RelativeHeight}};
    const char* names[] = {"x", "y", "relative_height"};
    int row = 0;
    for (const auto& [label, field] : fields) {
        const PointField f = field;
        grid->addWidget(new QLabel(QString::fromLatin1(label)), row, 0);
        grid->addWidget(value_edit(names[row], [this, f](double v) { return sheet_.set(f, v); },
                                   [this, f] { return sheet_.shown(f); }),
                        row, 1);
        ++row;
    }
    location_unit_ = unit_combo("location_unit", [this](int u) { return sheet_.set_unit(PointField::X, u); });
    grid->addWidget(location_unit_, 0, 2);
    grid->addWidget(note_label("These values are only required if located within a 1D convection/diffusion zone."),
                    row, 0, 1, 3);
    layout->addWidget(location);
    layout->addStretch();
    return page;
}

QWidget* AhsPointSheetDialog::filter_page()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    const FilterBox f = filter_box("Filter", "point");
    filter_name_ = f.name;
    filter_description_ = f.description;
    filter_button_ = f.button;
    delete_filter_ = f.remove;
    connect(filter_button_, &QPushButton::clicked, this, [this] {
        if (auto filter = run_filter_properties(this, sheet_.project(), sheet_.working_filter()))
            sheet_.store_filter(*filter);
        refresh();
    });
    connect(delete_filter_, &QPushButton::clicked, this, [this] {
        sheet_.delete_filter();
        refresh();
    });
    layout->addWidget(f.box);
    layout->addStretch();
    return page;
}

std::optional<SheetRefusal> AhsPointSheetDialog::select_page(int index)
{
    return sheet_.select_page(kPointPages[index]);
}

void AhsPointSheetDialog::page_shown(int index) { sheet_.show_page(kPointPages[index]); }

std::optional<SheetRefusal> AhsPointSheetDialog::accept_sheet() { return sheet_.accept(); }

QWidget* AhsPointSheetDialog::focus_widget(const std::string& focus) const
{
    if (focus == "system") return system_;
    if (focus == "column") return schedule_->column();
    return nullptr;
}

void AhsPointSheetDialog::refresh()
{
    filling_ = true;
    fill_element_box(*system_, system_items_, sheet_.system_choices(), sheet_.path().ahs, sheet_.system_text());
    system_description_->setText(from_1252(sheet_.system_description()));
    edit_system_->setEnabled(sheet_.can_edit_system() && static_cast<bool>(hooks_.edit_system));
    fill_unit_names(flow_unit_, UnitKind::MassFlow, sheet_.unit(PointField::DesignFlow));
    fill_unit_names(location_unit_, UnitKind::Length, sheet_.unit(PointField::X));
    show_filter(filter_name_, filter_description_, filter_button_, delete_filter_, sheet_.filter_slot());
    for (SheetValueEdit* edit : edits_) edit->show_value();
    schedule_->refresh();
    filling_ = false;
}

// --------------------------------------------------------- source/sink

namespace {

constexpr SourcePage kSourcePages[] = {SourcePage::Element, SourcePage::MultiplierLocation, SourcePage::Schedule};

}  // namespace

SourceSheetDialog::SourceSheetDialog(SourceSheet& sheet, NetworkSheetHooks hooks, QWidget* parent)
    : NetworkSheetBase(QStringLiteral("Source/sink Properties"), QStringLiteral("Source/Sink Number:"),
                       sheet.number_text(), parent),
      sheet_(sheet),
      hooks_(std::move(hooks))
{
    setObjectName(QStringLiteral("SourceSheetDialog"));
    QWidget* element = element_page();
    QWidget* location = location_page();
    schedule_ = new SchedulePageWidget(sheet_.schedule_page(), sheet_.project(), nullptr);
    finish({{element, QStringLiteral("Source/sink Element")},
            {location, QStringLiteral("Multiplier and Location")},
            {schedule_, QStringLiteral("Schedule")}});
    refresh();
}

QWidget* SourceSheetDialog::element_page()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* group = new QGroupBox(QStringLiteral("Source/sink Element"));
    auto* form = new QFormLayout(group);
    element_ = new QComboBox;
    element_->setObjectName(QStringLiteral("element"));
    connect(element_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (filling_ || index < 0 || static_cast<std::size_t>(index) >= element_items_.size()) return;
        if (SourceElement* e = element_items_[static_cast<std::size_t>(index)]) sheet_.choose_element(e);
        refresh();
    });
    form->addRow(QStringLiteral("Name:"), element_);
    auto* buttons = new QHBoxLayout;
    edit_element_ = new QPushButton(QStringLiteral("Edit Element"));
    edit_element_->setObjectName(QStringLiteral("edit_element"));
    new_element_ = new QPushButton(QStringLiteral("New Element"));
    new_element_->setObjectName(QStringLiteral("new_element"));
    connect(edit_element_, &QPushButton::clicked, this, [this] {
        if (!hooks_.edit_source_element || !sheet_.source().element) return;
        hooks_.edit_source_element(this, *sheet_.source().element);
        refresh();
    });
    connect(new_element_, &QPushButton::clicked, this, [this] {
        if (!hooks_.new_source_element) return;
        if (SourceElement* made = hooks_.new_source_element(this)) sheet_.choose_element(made);
        refresh();
    });
    buttons->addWidget(edit_element_);
    buttons->addWidget(new_element_);
    buttons->addWidget(library_manager_button(this, sheet_.project(), DefinitionKind::SourceElement, [this] { refresh(); }));
    form->addRow(buttons);
    description_ = named_label("element_description");
    form->addRow(QStringLiteral("Description:"), description_);
    contaminant_ = named_label("contaminant");
    form->addRow(QStringLiteral("Contaminant:"), contaminant_);
    auto* summary = new QGroupBox(QStringLiteral("Model Summary"));
    auto* s_form = new QFormLayout(summary);
    model_ = named_label("summary_model");
    formula_ = named_label("summary_formula");
    parameters_ = named_label("summary_parameters");
    s_form->addRow(QStringLiteral("Model:"), model_);
    s_form->addRow(QStringLiteral("Formula:"), formula_);
    s_form->addRow(QStringLiteral("Parameters:"), parameters_);
    form->addRow(summary);
    layout->addWidget(group);
    layout->addStretch();
    return page;
}

QWidget* SourceSheetDialog::location_page()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* form = new QGridLayout;
    form->addWidget(new QLabel(QStringLiteral("Multiplier:")), 0, 0);
    form->addWidget(value_edit("multiplier", [this](double v) { return sheet_.set(SourceSheetField::Multiplier, v); },
                               [this] { return sheet_.shown(SourceSheetField::Multiplier); }),
                    0, 1);
    form->addWidget(new QLabel(QStringLiteral("Initial Concentration:")), 1, 0);
    concentration_ =
        value_edit("initial_concentration", [this](double v) { return sheet_.set(SourceSheetField::InitialConcentration, v); },
                   [this] { return sheet_.shown(SourceSheetField::InitialConcentration); });
    form->addWidget(concentration_, 1, 1);
    concentration_unit_ = unit_combo("concentration_unit", [this](int u) {
        return sheet_.set_unit(SourceSheetField::InitialConcentration, u);
    });
    form->addWidget(concentration_unit_, 1, 2);
    layout->addLayout(form);

    auto* location = new QGroupBox(QStringLiteral("Location"));
    auto* grid = new QGridLayout(location);
    grid->addWidget(new QLabel(QStringLiteral("Maximum")), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Minimum")), 0, 2);
    struct Row {
        const char* label;
        SourceSheetField max, min;
        const char* max_name;
        const char* min_name;
    };
    const Row rows[] = {{"X:", SourceSheetField::MaxX, SourceSheetField::MinX, "max_x", "min_x"},
                        {"Y:", SourceSheetField::MaxY, SourceSheetField::MinY, "max_y", "min_y"},
                        {"Rel Elevation:", SourceSheetField::MaxH, SourceSheetField::MinH, "max_h", "min_h"}};
    int r = 1;
    for (const Row& row : rows) {
        grid->addWidget(new QLabel(QString::fromLatin1(row.label)), r, 0);
        for (int k = 0; k < 2; ++k) {
            const SourceSheetField f = k == 0 ? row.max : row.min;
            SheetValueEdit* edit = value_edit(k == 0 ? row.max_name : row.min_name,
                                              [this, f](double v) { return sheet_.set(f, v); },
                                              [this, f] { return sheet_.shown(f); });
            box_.emplace_back(f, edit);
            grid->addWidget(edit, r, 1 + k);
        }
        ++r;
    }
    length_unit_ = unit_combo("length_unit", [this](int u) { return sheet_.set_unit(SourceSheetField::MaxX, u); });
    grid->addWidget(length_unit_, 1, 3);
    grid->addWidget(
        note_label("These values are only needed for source/sinks located within 1D convection diffusion zones."), r,
        0, 1, 4);
    layout->addWidget(location);

    auto* cfd = new QGroupBox(QStringLiteral("CFD Source Data"));
    auto* c_form = new QFormLayout(cfd);
    cfd_id_ = new QLineEdit;
    cfd_id_->setObjectName(QStringLiteral("cfd_id"));
    cfd_id_->setMaxLength(static_cast<int>(kCfdIdLength));
    connect(cfd_id_, &QLineEdit::textEdited, this, [this](const QString& t) { sheet_.set_cfd_id(to_1252(t)); });
    c_form->addRow(QStringLiteral("CFD Source ID:"), cfd_id_);
    layout->addWidget(cfd);
    layout->addStretch();
    return page;
}

std::optional<SheetRefusal> SourceSheetDialog::select_page(int index)
{
    return sheet_.select_page(kSourcePages[index]);
}

void SourceSheetDialog::page_shown(int index) { sheet_.show_page(kSourcePages[index]); }

std::optional<SheetRefusal> SourceSheetDialog::accept_sheet() { return sheet_.accept(); }

QWidget* SourceSheetDialog::focus_widget(const std::string& focus) const
{
    if (focus == "element") return element_;
    if (focus == "cfd_id") return cfd_id_;
    if (focus == "column") return schedule_->column();
    for (const auto& [field, edit] : box_)
        if (edit->objectName() == QString::fromStdString(focus)) return edit;
    return nullptr;
}

void SourceSheetDialog::refresh()
{
    filling_ = true;
    fill_element_box(*element_, element_items_, sheet_.element_choices(), sheet_.source().element,
                     sheet_.element_text());
    edit_element_->setEnabled(sheet_.can_edit_element() && static_cast<bool>(hooks_.edit_source_element));
    new_element_->setEnabled(static_cast<bool>(hooks_.new_source_element));
    description_->setText(from_1252(sheet_.element_description()));
    contaminant_->setText(from_1252(sheet_.contaminant_text()));
    const SourceSummary summary = sheet_.summary();
    model_->setText(from_1252(summary.title));
    formula_->setText(from_1252(summary.formula));
    QStringList lines;
    for (const std::string& line : summary.lines) lines << from_1252(line);
    parameters_->setText(lines.join(QLatin1Char('\n')));
    const bool cc = sheet_.enabled(SourceSheetField::InitialConcentration);
    concentration_->setEnabled(cc);
    concentration_unit_->setEnabled(cc);
    if (cc)
        fill_unit_names(concentration_unit_, sheet_.kind(SourceSheetField::InitialConcentration),
                        sheet_.unit(SourceSheetField::InitialConcentration));
    fill_unit_names(length_unit_, UnitKind::Length, sheet_.unit(SourceSheetField::MaxX));
    if (cfd_id_->text() != from_1252(sheet_.cfd_id())) cfd_id_->setText(from_1252(sheet_.cfd_id()));
    for (SheetValueEdit* edit : edits_) edit->show_value();
    schedule_->refresh();
    filling_ = false;
}

// -------------------------------------------------------------- occupant

namespace {

constexpr ExposurePage kExposurePages[] = {ExposurePage::Occupancy, ExposurePage::Generation};

}  // namespace

ExposureSheetDialog::ExposureSheetDialog(ExposureSheet& sheet, NetworkSheetHooks hooks, QWidget* parent)
    : NetworkSheetBase(QStringLiteral("Occupant Exposure Properties"), QStringLiteral("Occupant Number:"),
                       sheet.number_text(), parent),
      sheet_(sheet),
      hooks_(std::move(hooks))
{
    setObjectName(QStringLiteral("ExposureSheetDialog"));
    QWidget* occupancy = occupancy_page();
    finish({{occupancy, QStringLiteral("Occupancy Schedule")}, {generation_page(), QStringLiteral("Contaminant Generation")}});
    refresh();
}

QWidget* ExposureSheetDialog::occupancy_page()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* form = new QFormLayout;
    description_ = new QLineEdit;
    description_->setObjectName(QStringLiteral("description"));
    description_->setMaxLength(static_cast<int>(kExposureDescriptionLength));
    description_->setMinimumWidth(description_->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 30);
    connect(description_, &QLineEdit::textEdited, this,
            [this](const QString& t) { sheet_.set_description(to_1252(t)); });
    form->addRow(QStringLiteral("Description:"), description_);
    layout->addLayout(form);

    auto* lists = new QHBoxLayout;
    days_ = new QTreeWidget;
    days_->setObjectName(QStringLiteral("day_types"));
    days_->setColumnCount(2);
    days_->setHeaderLabels({QStringLiteral("Day Type"), QStringLiteral("Schedule")});
    days_->setRootIsDecorated(false);
    days_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    for (std::string_view day : day_type_names())
        days_->addTopLevelItem(new QTreeWidgetItem({from_1252(day), QString()}));
    days_->setCurrentItem(days_->topLevelItem(0));
    lists->addWidget(days_);

    auto* middle = new QVBoxLayout;
    middle->addStretch();
    replace_ = new QPushButton(QStringLiteral("<< Replace <<"));
    replace_->setObjectName(QStringLiteral("replace"));
    connect(replace_, &QPushButton::clicked, this, [this] {
        const int day = days_->indexOfTopLevelItem(days_->currentItem());
        sheet_.replace(day, selected_available());
        if (day >= 0 && day + 1 < days_->topLevelItemCount()) days_->setCurrentItem(days_->topLevelItem(day + 1));
        refresh();
    });
    middle->addWidget(replace_);
    middle->addStretch();
    lists->addLayout(middle);

    auto* right = new QVBoxLayout;
    right->addWidget(new QLabel(QStringLiteral("Available Schedules")));
    available_ = new QListWidget;
    available_->setObjectName(QStringLiteral("available"));
    connect(available_, &QListWidget::currentRowChanged, this, [this](int) {
        if (!filling_) refresh();
    });
    right->addWidget(available_);
    lists->addLayout(right);
    layout->addLayout(lists);

    auto* buttons = new QHBoxLayout;
    edit_day_ = new QPushButton(QStringLiteral("Edit Day Schedule"));
    edit_day_->setObjectName(QStringLiteral("edit_day"));
    new_day_ = new QPushButton(QStringLiteral("New Day Schedule"));
    new_day_->setObjectName(QStringLiteral("new_day"));
    connect(edit_day_, &QPushButton::clicked, this, [this] {
        OccupancySchedule* o = selected_available();
        if (!hooks_.edit_occupancy || !o) return;
        hooks_.edit_occupancy(this, *o);
        refresh();
    });
    connect(new_day_, &QPushButton::clicked, this, [this] {
        if (!hooks_.new_occupancy) return;
        if (OccupancySchedule* made = hooks_.new_occupancy(this)) {
            refresh();
            for (std::size_t i = 0; i < available_items_.size(); ++i)
                if (available_items_[i] == made) available_->setCurrentRow(static_cast<int>(i));
        }
        refresh();
    });
    buttons->addStretch();
    buttons->addWidget(edit_day_);
    buttons->addWidget(new_day_);
    layout->addLayout(buttons);
    return page;
}

QWidget* ExposureSheetDialog::generation_page()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    generates_ = new QCheckBox(QStringLiteral("Generate Contaminants"));
    generates_->setObjectName(QStringLiteral("generates"));
    connect(generates_, &QCheckBox::toggled, this, [this](bool on) {
        if (filling_) return;
        sheet_.set_generates(on);
        refresh();
    });
    layout->addWidget(generates_);
    auto* mult = new QFormLayout;
    mult->addRow(QStringLiteral("Multiplier:"),
                 value_edit("multiplier", [this](double v) { return sheet_.set_multiplier(v); },
                            [this] { return static_cast<double>(sheet_.exposure().mult); }));
    layout->addLayout(mult);

    auto* row = new QHBoxLayout;
    species_ = new QListWidget;
    species_->setObjectName(QStringLiteral("species"));
    connect(species_, &QListWidget::currentRowChanged, this, [this](int r) {
        if (filling_ || r < 0) return;
        commit_edits();
        sheet_.select_species(r);
        refresh();
    });
    row->addWidget(species_);
    auto* right = new QVBoxLayout;
    auto* rate = new QHBoxLayout;
    rate->addWidget(new QLabel(QStringLiteral("Generation Rate:")));
    rate_ = value_edit("rate", [this](double v) { return sheet_.set_rate(v); },
                       [this] { return sheet_.rate_shown(); });
    rate->addWidget(rate_);
    rate_unit_ = unit_combo("rate_unit", [this](int u) { return sheet_.set_rate_unit(u); });
    rate->addWidget(rate_unit_);
    right->addLayout(rate);
    note_ = named_label("generation_note");
    right->addWidget(note_);
    schedule_ = new SchedulePageWidget(sheet_.generation_schedule(), sheet_.project(), nullptr);
    right->addWidget(schedule_);
    row->addLayout(right, 1);
    layout->addLayout(row);
    return page;
}

OccupancySchedule* ExposureSheetDialog::selected_available() const
{
    const int r = available_->currentRow();
    return r >= 0 && static_cast<std::size_t>(r) < available_items_.size() ? available_items_[static_cast<std::size_t>(r)]
                                                                           : nullptr;
}

std::optional<SheetRefusal> ExposureSheetDialog::select_page(int index)
{
    return sheet_.select_page(kExposurePages[index]);
}

void ExposureSheetDialog::page_shown(int index) { sheet_.show_page(kExposurePages[index]); }

std::optional<SheetRefusal> ExposureSheetDialog::accept_sheet() { return sheet_.accept(); }

QWidget* ExposureSheetDialog::focus_widget(const std::string& focus) const
{
    if (focus == "days") return days_;
    if (focus == "column") return schedule_->column();
    return nullptr;
}

void ExposureSheetDialog::refresh()
{
    filling_ = true;
    if (description_->text() != from_1252(sheet_.description_text()))
        description_->setText(from_1252(sheet_.description_text()));
    for (int d = 0; d < days_->topLevelItemCount(); ++d)
        days_->topLevelItem(d)->setText(1, from_1252(sheet_.day_schedule_text(d)));
    const int row = available_->currentRow();
    available_items_ = sheet_.available_schedules();
    std::vector<std::string> names;
    for (const OccupancySchedule* o : available_items_) names.push_back(o->name);
    fill_list(available_, names, row >= 0 ? row : 0);
    replace_->setEnabled(selected_available() != nullptr);
    edit_day_->setEnabled(selected_available() != nullptr && static_cast<bool>(hooks_.edit_occupancy));
    new_day_->setEnabled(static_cast<bool>(hooks_.new_occupancy));

    generates_->setChecked(sheet_.generates());
    fill_list(species_, sheet_.species_names(), sheet_.selected_species());
    fill_unit_names(rate_unit_, UnitKind::SourceStrength, sheet_.rate_unit());
    note_->setText(from_1252(sheet_.generation_note()));
    schedule_->setEnabled(sheet_.generation_schedule_enabled());
    for (SheetValueEdit* edit : edits_) edit->show_value();
    schedule_->refresh();
    filling_ = false;
}

// ------------------------------------------------------------ entry points

bool run_ahs_sheet(QWidget* parent, AhsSheet& sheet, const QRect& cell)
{
    AhsSheetDialog dialog(sheet, parent);
    place_beside(dialog, cell);
    return dialog.exec() == QDialog::Accepted && sheet.accepted();
}

bool run_ahs_point_sheet(QWidget* parent, AhsPointSheet& sheet, const QRect& cell, const NetworkSheetHooks& hooks)
{
    AhsPointSheetDialog dialog(sheet, hooks, parent);
    place_beside(dialog, cell);
    return dialog.exec() == QDialog::Accepted && sheet.accepted();
}

bool run_source_sheet(QWidget* parent, SourceSheet& sheet, const QRect& cell, const NetworkSheetHooks& hooks)
{
    SourceSheetDialog dialog(sheet, hooks, parent);
    place_beside(dialog, cell);
    return dialog.exec() == QDialog::Accepted && sheet.accepted();
}

bool run_exposure_sheet(QWidget* parent, ExposureSheet& sheet, const QRect& cell, const NetworkSheetHooks& hooks)
{
    ExposureSheetDialog dialog(sheet, hooks, parent);
    place_beside(dialog, cell);
    return dialog.exec() == QDialog::Accepted && sheet.accepted();
}

}  // namespace avelor::ui
