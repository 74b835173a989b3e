#include "ui/control_dialogs.h"

#include <algorithm>
#include <functional>

#include <QButtonGroup>
#include <QColor>
#include <QCloseEvent>
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
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/diagnostics.h"
#include "model/project.h"
#include "model/units.h"
#include "ui/library_manager_dialog.h"
#include "ui/schedule_dialogs.h"
#include "ui/sheet_widgets.h"
#include "ui/text_1252.h"
#include "ui/unit_widgets.h"

namespace avelor::ui {

namespace {

// "Edit Schedule", "New Schedule" and "Library..." in a row; after the
// library manager closes, `after` offers what it copied.
QHBoxLayout* schedule_buttons(QDialog* dialog, Project& project, DefinitionKind kind, QPushButton*& edit,
                              QPushButton*& make, std::function<void()> after)
{
    auto* buttons = new QHBoxLayout;
    edit = new QPushButton(QStringLiteral("Edit Schedule"));
    make = new QPushButton(QStringLiteral("New Schedule"));
    buttons->addWidget(edit);
    buttons->addWidget(make);
    buttons->addWidget(library_manager_button(dialog, project, kind, std::move(after)));
    return buttons;
}

QString text_of(std::string_view text) { return from_1252(text); }

QDialogButtonBox* ok_cancel(QDialog* dialog)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

QLineEdit* line_edit(const char* name, int max_length, std::string_view text)
{
    auto* edit = new QLineEdit(text_of(text));
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaxLength(max_length);
    return edit;
}

// Room for a description of seventy characters.
void wide(QLineEdit* edit, int characters)
{
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('n')) * characters);
}

QSpinBox* spin(const char* name, int max, int value)
{
    auto* box = new QSpinBox;
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(0, max);
    box->setValue(value);
    return box;
}

TimeEdits time_edits(const std::string& name, const TypedTime& t, QFormLayout* form, const char* label)
{
    TimeEdits e;
    e.hours = spin((name + "Hours").c_str(), 24, t.hours);
    e.minutes = spin((name + "Minutes").c_str(), 59, t.minutes);
    e.seconds = spin((name + "Seconds").c_str(), 59, t.seconds);
    auto* row = new QHBoxLayout;
    row->addWidget(e.hours);
    row->addWidget(new QLabel(QStringLiteral("h")));
    row->addWidget(e.minutes);
    row->addWidget(new QLabel(QStringLiteral("m")));
    row->addWidget(e.seconds);
    row->addWidget(new QLabel(QStringLiteral("s")));
    form->addRow(QString::fromLatin1(label), row);
    return e;
}

TypedTime typed(const TimeEdits& e)
{
    return {e.hours->value(), e.minutes->value(), e.seconds->value()};
}

}  // namespace

// ------------------------------------------------------------- chooser

ControlChooserDialog::ControlChooserDialog(ControlTypeChooser& chooser, QWidget* parent)
    : QDialog(parent), chooser_(chooser)
{
    setWindowTitle(text_of(kChooserCaption));
    setObjectName(QStringLiteral("ControlChooserDialog"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(text_of(kChooserPrompt)));
    auto* grid = new QGridLayout;
    group_ = new QButtonGroup(this);
    constexpr int kRows = 17;
    for (std::size_t i = 0; i < kControlChoiceCount; ++i) {
        auto* button = new QRadioButton(text_of(control_choices()[i].label));
        button->setObjectName(QStringLiteral("Type%1").arg(control_choices()[i].type));
        button->setEnabled(chooser_.enabled(i));
        button->setChecked(i == chooser_.selected());
        group_->addButton(button, static_cast<int>(i));
        grid->addWidget(button, static_cast<int>(i) % kRows, static_cast<int>(i) / kRows);
    }
    layout->addLayout(grid);
    layout->addWidget(ok_cancel(this));
}

void ControlChooserDialog::accept()
{
    if (!chooser_.select(static_cast<std::size_t>(group_->checkedId()))) return;
    QDialog::accept();
}

// ------------------------------------------------------------- type dialogs

UnitFieldEdit* ControlNodeDialog::numeric(ControlField field, const char* name)
{
    UnitField* model = form_.field(field);
    if (!model) return nullptr;
    auto* edit = new UnitFieldEdit(*model);
    edit->setObjectName(QString::fromLatin1(name));
    edits_.emplace_back(field, edit);
    return edit;
}

ControlNodeDialog::ControlNodeDialog(ControlNodeForm& form, Project& project, QWidget* parent)
    : QDialog(parent), form_(form), project_(project)
{
    setWindowTitle(text_of(form_.caption()));
    setObjectName(QStringLiteral("ControlNodeDialog"));
    auto* layout = new QVBoxLayout(this);
    auto* fields = new QFormLayout;
    layout->addLayout(fields);
    const int type = form_.type();
    const bool values = type == kCtCvf || type == kCtDvf;

    name_ = line_edit("Name", static_cast<int>(kControlNameLimit), form_.name_text());
    description_ = line_edit("Description", static_cast<int>(kControlDescriptionLimit), form_.working().desc);
    wide(description_, 50);
    fields->addRow(values ? QStringLiteral("Node Name:") : QStringLiteral("Name:"), name_);
    fields->addRow(values ? QStringLiteral("Node Description:") : QStringLiteral("Description:"), description_);

    auto add_numeric = [&](ControlField field, const char* name, const char* label) {
        if (UnitFieldEdit* edit = numeric(field, name)) fields->addRow(QString::fromLatin1(label), edit);
    };
    switch (type) {
    case kCtSch: {
        auto* box = new QGroupBox(QStringLiteral("Schedule"));
        auto* sf = new QFormLayout(box);
        auto* kinds = new QHBoxLayout;
        schedule_kind_ = new QButtonGroup(this);
        const char* labels[] = {"None", "Temperature"};
        for (int k = 0; k < 2; ++k) {
            auto* b = new QRadioButton(QString::fromLatin1(labels[k]));
            b->setObjectName(QString::fromLatin1(labels[k]));
            b->setChecked((k == 1) == form_.temperature_schedules());
            schedule_kind_->addButton(b, k);
            kinds->addWidget(b);
        }
        sf->addRow(QStringLiteral("Units:"), kinds);
        schedule_ = new QComboBox;
        schedule_->setObjectName(QStringLiteral("Schedule"));
        sf->addRow(QStringLiteral("Name:"), schedule_);
        schedule_description_ = new QLabel;
        sf->addRow(QStringLiteral("Description:"), schedule_description_);
        QPushButton* edit = nullptr;
        QPushButton* make = nullptr;
        sf->addRow(schedule_buttons(this, project_, DefinitionKind::WeekSchedule, edit, make,
                                    [this] { fill_schedules(); }));
        layout->addWidget(box);
        connect(schedule_kind_, &QButtonGroup::idClicked, this, [this](int id) {
            form_.set_temperature_schedules(id == 1);
            fill_schedules();
        });
        connect(schedule_, &QComboBox::currentIndexChanged, this, [this](int index) {
            if (filling_) return;
            const auto choices = form_.schedule_choices();
            form_.choose_schedule(index > 0 ? choices[static_cast<std::size_t>(index - 1)] : nullptr);
            schedule_description_->setText(text_of(form_.schedule() ? form_.schedule()->desc : std::string()));
        });
        connect(edit, &QPushButton::clicked, this, [this] {
            if (WeekSchedule* w = form_.schedule()) run_week_schedule_dialog(this, project_, *w, w);
            fill_schedules();
        });
        connect(make, &QPushButton::clicked, this, [this] {
            const std::int16_t utyp = form_.temperature_schedules() ? kScheduleTemperature : kScheduleDimensionless;
            if (WeekSchedule* w = run_week_schedule_dialog(this, project_, new_week_schedule(utyp, 0), nullptr))
                form_.choose_schedule(w);
            fill_schedules();
        });
        fill_schedules();
        break;
    }
    case kCtSet: add_numeric(ControlField::Value, "Value", "Value:"); break;
    case kCtCvf:
    case kCtDvf: {
        value_name_ = new QComboBox;
        value_name_->setObjectName(QStringLiteral("ValueName"));
        value_name_->addItem(QString());
        for (const std::string& n : form_.value_names()) value_name_->addItem(text_of(n));
        value_name_->setCurrentText(text_of(form_.value_name()));
        fields->addRow(QStringLiteral("Value Name:"), value_name_);
        auto* file = new QGroupBox(QStringLiteral("CVF/DVF File Information"));
        auto* info = new QFormLayout(file);
        info->addRow(QStringLiteral("File Name"), new QLabel(text_of(form_.file_name())));
        info->addRow(QStringLiteral("Description"), new QLabel(text_of(form_.file_description())));
        layout->addWidget(file);
        break;
    }
    case kCtLog: {
        add_numeric(ControlField::Gain, "Gain", "Gain:");
        add_numeric(ControlField::Offset, "Offset", "Offset:");
        fields->addRow(new QLabel(text_of(kOutputFormula)));
        const auto& r = std::get<ReportData>(form_.working().data);
        header_ = line_edit("Header", static_cast<int>(kReportHeaderLimit), r.header);
        units_ = line_edit("Units", static_cast<int>(kReportUnitsLimit), r.units);
        fields->addRow(QStringLiteral("Header:"), header_);
        fields->addRow(QStringLiteral("Units:"), units_);
        fields->addRow(QStringLiteral("Default Sensor Units:"), new QLabel(text_of(form_.default_units())));
        auto* reset = new QPushButton(QStringLiteral("Reset to default units"));
        reset->setObjectName(QStringLiteral("ResetUnits"));
        connect(reset, &QPushButton::clicked, this, [this] {
            form_.reset_units();
            units_->setText(text_of(std::get<ReportData>(form_.working().data).units));
        });
        fields->addRow(reset);
        break;
    }
    case kCtMod:
        add_numeric(ControlField::Gain, "Gain", "Gain:");
        add_numeric(ControlField::Offset, "Offset", "Offset:");
        fields->addRow(new QLabel(text_of(kOutputFormula)));
        break;
    case kCtHys: add_numeric(ControlField::Slack, "Slack", "Slack:"); break;
    case kCtDls: {
        const char* captions[] = {"Schedule - Signal Increasing", "Schedule - Signal Decreasing"};
        for (int k = 0; k < 2; ++k) {
            const bool increasing = k == 0;
            auto* box = new QGroupBox(QString::fromLatin1(captions[k]));
            auto* v = new QVBoxLayout(box);
            delays_[static_cast<std::size_t>(k)] = new QComboBox;
            delays_[static_cast<std::size_t>(k)]->setObjectName(increasing ? QStringLiteral("Increasing")
                                                                           : QStringLiteral("Decreasing"));
            v->addWidget(delays_[static_cast<std::size_t>(k)]);
            QPushButton* edit = nullptr;
            QPushButton* make = nullptr;
            v->addLayout(schedule_buttons(this, project_, DefinitionKind::DaySchedule, edit, make,
                                          [this] { fill_delays(); }));
            layout->addWidget(box);
            connect(delays_[static_cast<std::size_t>(k)], &QComboBox::currentIndexChanged, this,
                    [this, increasing](int index) {
                        if (filling_) return;
                        const auto choices = form_.delay_choices(increasing);
                        form_.choose_delay(increasing,
                                           index > 0 ? choices[static_cast<std::size_t>(index - 1)] : nullptr);
                    });
            connect(edit, &QPushButton::clicked, this, [this, increasing] {
                if (DaySchedule* d = form_.delay(increasing)) {
                    run_day_schedule_dialog(this, project_, *d, d);
                    // An edit may have made it unfit.
                    if (!delay_schedule_fits(*d, increasing)) form_.choose_delay(increasing, nullptr);
                }
                fill_delays();
            });
            connect(make, &QPushButton::clicked, this, [this, increasing] {
                DaySchedule fresh = new_day_schedule(kScheduleDimensionless, 0);
                fresh.shap = kShapeTrapezoidal;
                fresh.points = {{0, increasing ? 0.0f : 1.0f}, {86400, increasing ? 1.0f : 0.0f}};
                if (DaySchedule* d = run_day_schedule_dialog(this, project_, fresh, nullptr))
                    form_.choose_delay(increasing, d);
                fill_delays();
            });
        }
        fill_delays();
        break;
    }
    case kCtDlx: {
        auto* box = new QGroupBox(QStringLiteral("Time Constants"));
        auto* f = new QFormLayout(box);
        times_.emplace_back(ControlField::TimeIncreasing,
                            time_edits("Increasing", form_.time(ControlField::TimeIncreasing), f,
                                       "Signal Increasing:"));
        times_.emplace_back(ControlField::TimeDecreasing,
                            time_edits("Decreasing", form_.time(ControlField::TimeDecreasing), f,
                                       "Signal Decreasing:"));
        layout->addWidget(box);
        break;
    }
    case kCtRav:
        times_.emplace_back(ControlField::TimeSpan,
                            time_edits("Span", form_.time(ControlField::TimeSpan), fields, "Time Span:"));
        break;
    case kCtLbs:
    case kCtUbs: add_numeric(ControlField::BandWidth, "BandWidth", "Band width:"); break;
    case kCtPc1: add_numeric(ControlField::Kp, "Kp", "Kp:"); break;
    case kCtPi1:
        add_numeric(ControlField::Kp, "Kp", "Kp:");
        add_numeric(ControlField::Ki, "Ki", "Ki :");
        break;
    case kCtPly: {
        order_ = spin("Order", kMaxPolynomialOrder, form_.order());
        fields->addRow(QStringLiteral("Order of Polynomial:"), order_);
        coefficients_ = new QTreeWidget;
        coefficients_->setObjectName(QStringLiteral("Coefficients"));
        coefficients_->setHeaderLabels({QStringLiteral("Coefficient"), QStringLiteral("Value")});
        coefficients_->setRootIsDecorated(false);
        coefficients_->setMinimumHeight(coefficients_->fontMetrics().height() * 8);
        layout->addWidget(coefficients_);
        auto* entry = new QFormLayout;
        UnitFieldEdit* value = numeric(ControlField::Coefficient, "CoefficientValue");
        auto* replace = new QPushButton(QStringLiteral("Replace"));
        replace->setObjectName(QStringLiteral("Replace"));
        auto* row = new QHBoxLayout;
        row->addWidget(value);
        row->addWidget(replace);
        entry->addRow(QStringLiteral("Coefficient Value:"), row);
        layout->addLayout(entry);
        connect(order_, &QSpinBox::valueChanged, this, [this](int order) {
            if (!form_.set_order(order)) order_->setValue(form_.order());
            fill_coefficients();
        });
        connect(coefficients_, &QTreeWidget::currentItemChanged, this, [this, value](QTreeWidgetItem* item) {
            if (filling_ || !item) return;
            form_.select_coefficient(coefficients_->indexOfTopLevelItem(item));
            value->show_field();
        });
        connect(replace, &QPushButton::clicked, this, [this, value] {
            if (!value->commit()) return;
            form_.replace_coefficient();
            fill_coefficients();
        });
        fill_coefficients();
        break;
    }
    default: break;
    }
    layout->addWidget(ok_cancel(this));
}

void ControlNodeDialog::fill_schedules()
{
    filling_ = true;
    schedule_->clear();
    schedule_->addItem(text_of(" <none>"));
    int current = 0;
    int i = 1;
    for (WeekSchedule* w : form_.schedule_choices()) {
        schedule_->addItem(text_of(w->name));
        if (w == form_.schedule()) current = i;
        ++i;
    }
    schedule_->setCurrentIndex(current);
    schedule_description_->setText(text_of(form_.schedule() ? form_.schedule()->desc : std::string()));
    filling_ = false;
}

void ControlNodeDialog::fill_delays()
{
    filling_ = true;
    for (int k = 0; k < 2; ++k) {
        const bool increasing = k == 0;
        QComboBox* box = delays_[static_cast<std::size_t>(k)];
        box->clear();
        box->addItem(text_of(" <none>"));
        int current = 0;
        int i = 1;
        for (DaySchedule* d : form_.delay_choices(increasing)) {
            box->addItem(text_of(d->name));
            if (d == form_.delay(increasing)) current = i;
            ++i;
        }
        box->setCurrentIndex(current);
    }
    filling_ = false;
}

void ControlNodeDialog::fill_coefficients()
{
    filling_ = true;
    coefficients_->clear();
    int i = 0;
    for (const std::string& row : form_.coefficient_rows()) {
        const std::size_t blank = row.find(' ');
        auto* item = new QTreeWidgetItem(QStringList{
            QString::number(i++), text_of(blank == std::string::npos ? row : row.substr(blank + 1))});
        coefficients_->addTopLevelItem(item);
    }
    coefficients_->setCurrentItem(coefficients_->topLevelItem(form_.selected_coefficient()));
    filling_ = false;
}

QWidget* ControlNodeDialog::focus_of(ControlField field) const
{
    for (const auto& [key, edit] : edits_)
        if (key == field) return edit;
    for (const auto& [key, t] : times_)
        if (key == field) return t.hours;
    switch (field) {
    case ControlField::Description: return description_;
    case ControlField::Schedule: return schedule_;
    case ControlField::ValueName: return value_name_;
    case ControlField::Header: return header_;
    case ControlField::Units: return units_;
    case ControlField::Increasing: return delays_[0];
    case ControlField::Decreasing: return delays_[1];
    default: return name_;
    }
}

void ControlNodeDialog::accept()
{
    for (const auto& [key, edit] : edits_)
        if (key != ControlField::Coefficient && !edit->commit()) {
            edit->setFocus(Qt::OtherFocusReason);
            return;
        }
    for (const auto& [key, t] : times_)
        if (!form_.set_time(key, typed(t))) {
            t.hours->setFocus(Qt::OtherFocusReason);
            return;
        }
    form_.set_name(to_1252(name_->text()));
    form_.set_description(to_1252(description_->text()));
    if (value_name_) form_.choose_value_name(to_1252(value_name_->currentText()));
    if (header_) form_.set_header(to_1252(header_->text()));
    if (units_) form_.set_units(to_1252(units_->text()));
    const ControlAnswer answer = form_.accept();
    if (!answer.accepted) {
        if (QWidget* w = focus_of(answer.focus)) w->setFocus(Qt::OtherFocusReason);
        return;
    }
    QDialog::accept();
}

// ------------------------------------------------------------- sensors

SensorDialog::SensorDialog(SensorForm& form, QWidget* parent) : QDialog(parent), form_(form)
{
    setWindowTitle(text_of(form_.caption()));
    setObjectName(QStringLiteral("SensorDialog"));
    auto* layout = new QVBoxLayout(this);

    auto* sensed = new QGroupBox(QStringLiteral("Sensed Value"));
    auto* sv = new QVBoxLayout(sensed);
    sensed_ = new QButtonGroup(this);
    for (const SensedChoice& c : form_.sensed_choices()) {
        auto* b = new QRadioButton(text_of(c.label));
        b->setObjectName(QStringLiteral("Sensed%1").arg(c.quantity));
        b->setEnabled(c.enabled);
        b->setChecked(c.quantity == form_.sensor().quantity);
        sensed_->addButton(b, c.quantity);
        sv->addWidget(b);
        if (c.quantity == kSenseMassFraction) {
            species_ = new QComboBox;
            species_->setObjectName(QStringLiteral("Species"));
            for (const std::string& n : form_.species_names()) species_->addItem(text_of(n));
            sv->addWidget(species_);
            connect(species_, &QComboBox::currentIndexChanged, this, [this](int i) { form_.choose_species(i); });
        }
    }
    layout->addWidget(sensed);
    connect(sensed_, &QButtonGroup::idClicked, this, [this](int q) {
        form_.choose_quantity(static_cast<std::int16_t>(q));
        refresh();
    });

    auto* output = new QGroupBox(QStringLiteral("Sensor Output"));
    auto* of = new QFormLayout(output);
    gain_ = new UnitFieldEdit(form_.field(ControlField::Gain));
    gain_->setObjectName(QStringLiteral("Gain"));
    offset_ = new UnitFieldEdit(form_.field(ControlField::Offset));
    offset_->setObjectName(QStringLiteral("Offset"));
    tau_ = new UnitFieldEdit(form_.field(ControlField::TimeConstant));
    tau_->setObjectName(QStringLiteral("TimeConstant"));
    of->addRow(QStringLiteral("Gain:"), gain_);
    of->addRow(QStringLiteral("Offset:"), offset_);
    of->addRow(new QLabel(text_of(kSensorOutputFormula)));
    auto* tau_row = new QHBoxLayout;
    tau_row->addWidget(tau_);
    tau_row->addWidget(new QLabel(QStringLiteral("sec")));
    of->addRow(QStringLiteral("Time Constant:"), tau_row);
    layout->addWidget(output);

    if (form_.dialog() == SensorDialogKind::ZoneJunctionOccupant) {
        auto* cell = new QGroupBox(QStringLiteral("1D Zone"));
        auto* cv = new QVBoxLayout(cell);
        average_ = new QRadioButton(QStringLiteral("Zone Average"));
        average_->setObjectName(QStringLiteral("ZoneAverage"));
        cell_ = new QRadioButton(QStringLiteral("1D Cell"));
        cell_->setObjectName(QStringLiteral("Cell1D"));
        auto* choice = new QHBoxLayout;
        choice->addWidget(average_);
        choice->addWidget(cell_);
        cv->addLayout(choice);
        auto* note = new QLabel(text_of(kSensorCellNote));
        note->setWordWrap(true);
        cv->addWidget(note);
        auto* lf = new QFormLayout;
        const char* labels[] = {"X:", "Y:", "Rel Elevation:"};
        for (int a = 0; a < 3; ++a) {
            location_[static_cast<std::size_t>(a)] = new UnitFieldEdit(form_.location(a));
            location_[static_cast<std::size_t>(a)]->setObjectName(QStringLiteral("Location%1").arg(a));
            lf->addRow(QString::fromLatin1(labels[a]), location_[static_cast<std::size_t>(a)]);
        }
        location_unit_ = new QComboBox;
        location_unit_->setObjectName(QStringLiteral("LocationUnit"));
        for (const std::string& n : unit_display_names(UnitKind::Length)) location_unit_->addItem(text_of(n));
        location_unit_->setCurrentIndex(form_.location_unit());
        lf->addRow(QStringLiteral("Units:"), location_unit_);
        cv->addLayout(lf);
        layout->addWidget(cell);
        connect(cell_, &QRadioButton::toggled, this, [this](bool on) {
            form_.set_in_cell(on);
            refresh();
        });
        connect(location_unit_, &QComboBox::currentIndexChanged, this, [this](int u) {
            if (u < 0) return;
            form_.set_location_unit(u);
            for (UnitFieldEdit* e : location_) e->show_field();
        });
    }

    auto* df = new QFormLayout;
    description_ = line_edit("Description", static_cast<int>(kControlDescriptionLimit), form_.working().desc);
    wide(description_, 50);
    df->addRow(QStringLiteral("Description:"), description_);
    layout->addLayout(df);
    layout->addWidget(ok_cancel(this));
    refresh();
}

void SensorDialog::refresh()
{
    if (species_) {
        species_->setEnabled(form_.species_enabled());
        if (form_.chosen_species() >= 0) species_->setCurrentIndex(form_.chosen_species());
    }
    if (cell_) {
        const bool offered = form_.cell_option_offered();
        average_->setEnabled(offered);
        cell_->setEnabled(offered);
        (form_.in_cell() ? cell_ : average_)->setChecked(true);
        for (UnitFieldEdit* e : location_) e->setEnabled(form_.location_enabled());
        location_unit_->setEnabled(form_.location_enabled());
    }
}

void SensorDialog::accept()
{
    for (UnitFieldEdit* e : {gain_, offset_, tau_})
        if (!e->commit()) {
            e->setFocus(Qt::OtherFocusReason);
            return;
        }
    if (form_.location_enabled())
        for (UnitFieldEdit* e : location_)
            if (!e->commit()) {
                e->setFocus(Qt::OtherFocusReason);
                return;
            }
    form_.set_description(to_1252(description_->text()));
    const ControlAnswer answer = form_.accept();
    if (!answer.accepted) {
        QWidget* w = answer.focus == ControlField::TimeConstant ? static_cast<QWidget*>(tau_) : gain_;
        w->setFocus(Qt::OtherFocusReason);
        return;
    }
    QDialog::accept();
}

// ------------------------------------------------------------- phantoms

PhantomDialog::PhantomDialog(PhantomForm& form, QWidget* parent) : QDialog(parent), form_(form)
{
    setWindowTitle(text_of(kPhantomCaption));
    setObjectName(QStringLiteral("PhantomDialog"));
    auto* layout = new QVBoxLayout(this);
    auto* f = new QFormLayout;
    name_ = new QLabel;
    name_->setObjectName(QStringLiteral("Name"));
    description_ = new QLabel;
    description_->setObjectName(QStringLiteral("Description"));
    type_ = new QLabel;
    type_->setObjectName(QStringLiteral("Type"));
    f->addRow(QStringLiteral("Name:"), name_);
    f->addRow(QStringLiteral("Description:"), description_);
    f->addRow(QStringLiteral("Type:"), type_);
    layout->addLayout(f);
    list_ = new QListWidget;
    list_->setObjectName(QStringLiteral("Nodes"));
    for (const std::string& n : form_.names()) list_->addItem(text_of(n));
    list_->setCurrentRow(form_.selected());
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        form_.select(row);
        show_chosen();
    });
    layout->addWidget(list_);
    layout->addWidget(ok_cancel(this));
    show_chosen();
}

void PhantomDialog::show_chosen()
{
    name_->setText(text_of(form_.name()));
    description_->setText(text_of(form_.description()));
    type_->setText(text_of(form_.type_name()));
}

// ------------------------------------------------------------- super nodes

SuperNodeDialog::SuperNodeDialog(SuperNodeForm& form, QWidget* parent) : QDialog(parent), form_(form)
{
    setWindowTitle(text_of(kSuperNodeCaption));
    setObjectName(QStringLiteral("SuperNodeDialog"));
    auto* layout = new QVBoxLayout(this);
    auto* element = new QGroupBox(QStringLiteral("Element Data"));
    auto* ef = new QFormLayout(element);
    elements_ = new QComboBox;
    elements_->setObjectName(QStringLiteral("Elements"));
    for (const std::string& n : form_.element_names()) elements_->addItem(text_of(n));
    elements_->setCurrentIndex(form_.chosen_element());
    element_name_ = new QLabel;
    element_description_ = new QLabel;
    element_description_->setWordWrap(true);
    element_defined_ = new QLabel;
    ef->addRow(elements_);
    ef->addRow(QStringLiteral("Name:"), element_name_);
    ef->addRow(QStringLiteral("Description:"), element_description_);
    ef->addRow(QStringLiteral("Defined?"), element_defined_);
    layout->addWidget(element);

    auto* node = new QGroupBox(QStringLiteral("Node Data"));
    auto* nf = new QFormLayout(node);
    name_ = line_edit("Name", static_cast<int>(kControlNameLimit), form_.name());
    description_ = line_edit("Description", static_cast<int>(kControlDescriptionLimit), form_.description());
    wide(description_, 50);
    nf->addRow(QStringLiteral("Name:"), name_);
    nf->addRow(QStringLiteral("Description:"), description_);
    layout->addWidget(node);

    create_ = new QPushButton(QStringLiteral("Create Super Node"));
    create_->setObjectName(QStringLiteral("CreateSuperNode"));
    status_ = new QLabel;
    status_->setObjectName(QStringLiteral("Status"));
    status_->setWordWrap(true);
    layout->addWidget(create_);
    auto* sub = new QGroupBox(QStringLiteral("Phantom Nodes of the Super Node"));
    auto* sv = new QVBoxLayout(sub);
    phantoms_ = new QListWidget;
    phantoms_->setObjectName(QStringLiteral("PhantomNodes"));
    phantoms_->setMaximumHeight(fontMetrics().height() * 6);
    set_phantom_ = new QPushButton(QStringLiteral("Set Phantom Node..."));
    set_phantom_->setObjectName(QStringLiteral("SetPhantom"));
    sv->addWidget(phantoms_);
    sv->addWidget(set_phantom_);
    layout->addWidget(sub);
    layout->addWidget(status_);
    layout->addWidget(ok_cancel(this));
    connect(set_phantom_, &QPushButton::clicked, this, [this] { set_chosen_phantom(); });
    connect(phantoms_, &QListWidget::itemActivated, this, [this] { set_chosen_phantom(); });

    connect(elements_, &QComboBox::currentIndexChanged, this, [this](int i) {
        form_.choose_element(i);
        show_element();
    });
    connect(create_, &QPushButton::clicked, this, [this] {
        form_.set_name(to_1252(name_->text()));
        form_.set_description(to_1252(description_->text()));
        form_.create();
        show_element();
    });
    show_element();
}

void SuperNodeDialog::show_element()
{
    element_name_->setText(text_of(form_.element_name()));
    element_description_->setText(text_of(form_.element_description()));
    element_defined_->setText(text_of(form_.element_defined()));
    elements_->setEnabled(!form_.instance());
    create_->setEnabled(form_.can_create());
    const int row = phantoms_->currentRow();
    phantoms_->clear();
    for (const ControlNode* copy : form_.phantom_copies()) {
        auto* item = new QListWidgetItem(text_of(form_.phantom_line(*copy)));
        // Those still to be set stand out, as OK asks for them.
        if (!copy->c1) item->setForeground(QColor(0xC0, 0, 0));
        phantoms_->addItem(item);
    }
    phantoms_->setCurrentRow(std::clamp(row, 0, std::max(0, phantoms_->count() - 1)));
    phantoms_->setEnabled(phantoms_->count() > 0);
    set_phantom_->setEnabled(phantoms_->count() > 0);
    const std::size_t unset = form_.unset_phantoms().size();
    if (!form_.instance())
        status_->clear();
    else if (unset > 0)
        status_->setText(QStringLiteral("%1 phantom node(s) of the super node are still to be set.").arg(unset));
    else
        status_->setText(QStringLiteral("Every phantom node of the super node is set."));
}

void SuperNodeDialog::set_chosen_phantom()
{
    const std::vector<ControlNode*> copies = form_.phantom_copies();
    const int row = phantoms_->currentRow();
    if (row < 0 || row >= static_cast<int>(copies.size())) return;
    ControlNode& copy = *copies[static_cast<std::size_t>(row)];
    PhantomForm choice = form_.phantom_form(copy);
    if (choice.empty()) {
        show_message(WARNING, {kNoPhantomTargets});
        return;
    }
    PhantomDialog dialog(choice, this);
    if (dialog.exec() != QDialog::Accepted) return;
    form_.set_phantom(copy, choice.chosen());
    show_element();
}

void SuperNodeDialog::accept()
{
    form_.set_name(to_1252(name_->text()));
    form_.set_description(to_1252(description_->text()));
    if (!form_.accept().accepted) return;
    QDialog::accept();
}

void SuperNodeDialog::reject()
{
    form_.cancel();
    QDialog::reject();
}

// ------------------------------------------------------------- super elements

SuperElementsWindow::SuperElementsWindow(SuperElementsEditing& editing, QWidget* parent)
    : QDialog(parent), editing_(editing)
{
    setWindowTitle(text_of(kSuperElementsCaption));
    setObjectName(QStringLiteral("SuperElementsWindow"));
    setModal(false);
    // Compact and upright, so that it leaves the sketch in sight.
    auto* layout = new QVBoxLayout(this);

    auto* manager = new QGroupBox(QStringLiteral("Element Manager"));
    auto* mh = new QHBoxLayout(manager);
    list_ = new QListWidget;
    list_->setObjectName(QStringLiteral("Elements"));
    list_->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('M')) * 12);
    list_->setMaximumHeight(fontMetrics().height() * 7);
    mh->addWidget(list_);
    auto* mv = new QVBoxLayout;
    mh->addLayout(mv);
    auto* make = new QPushButton(QStringLiteral("New Element"));
    make->setObjectName(QStringLiteral("NewElement"));
    auto* library = new QPushButton(QStringLiteral("Library..."));
    library->setObjectName(QStringLiteral("Library"));
    library->setAutoDefault(false);
    auto* check = new QPushButton(QStringLiteral("Check Element"));
    check->setObjectName(QStringLiteral("CheckElement"));
    mv->addWidget(make);
    mv->addWidget(library);
    mv->addWidget(check);
    auto* nf = new QFormLayout;
    name_ = line_edit("Name", 15, "");
    auto* rename = new QPushButton(QStringLiteral("Rename Element"));
    rename->setObjectName(QStringLiteral("RenameElement"));
    nf->addRow(QStringLiteral("Name:"), name_);
    nf->addRow(rename);
    mv->addLayout(nf);
    mv->addStretch();
    layout->addWidget(manager);

    auto* props = new QGroupBox(QStringLiteral("Edit Element Properties"));
    auto* pf = new QFormLayout(props);
    description_ = line_edit("Description", static_cast<int>(kSuperDescriptionLimit), "");
    wide(description_, 28);
    input_ = new QComboBox;
    input_->setObjectName(QStringLiteral("InputNode"));
    output_ = new QComboBox;
    output_->setObjectName(QStringLiteral("OutputNode"));
    references_ = new QLabel;
    defined_ = new QLabel;
    check_result_ = new QLabel;
    check_result_->setWordWrap(true);
    locked_ = new QLabel;
    locked_->setWordWrap(true);
    pf->addRow(QStringLiteral("Description:"), description_);
    pf->addRow(QStringLiteral("Input Node:"), input_);
    pf->addRow(QStringLiteral("Output Node:"), output_);
    pf->addRow(QStringLiteral("Super Node Reference Count:"), references_);
    pf->addRow(QStringLiteral("Element defined?"), defined_);
    pf->addRow(check_result_);
    pf->addRow(locked_);
    pf->addRow(ok_cancel(this));
    layout->addWidget(props);

    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (filling_ || row < 0) return;
        change([&](SuperElementsForm& form) { form.select(row); });
    });
    connect(make, &QPushButton::clicked, this,
            [this] { change([](SuperElementsForm& form) { form.new_element(); }); });
    connect(library, &QPushButton::clicked, this, [this] {
        change([this](SuperElementsForm& form) {
            run_library_manager(this, form.project(), DefinitionKind::SuperElement, true);
            form.lists_changed();
        });
    });
    connect(rename, &QPushButton::clicked, this, [this] {
        const std::string name = to_1252(name_->text());
        change([&](SuperElementsForm& form) { form.rename(name); });
    });
    connect(check, &QPushButton::clicked, this, [this] {
        editing_.change([&](SuperElementsForm& form) { form.set_description(to_1252(description_->text())); });
        const SuperElementCheck c = editing_.check();
        check_result_->setText(c.defined ? QString() : text_of(c.message));
        refresh();
        emit sketchChanged();
    });
    connect(input_, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (filling_) return;
        change([&](SuperElementsForm& form) { form.choose_input(i - 1); });
    });
    connect(output_, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (filling_) return;
        change([&](SuperElementsForm& form) { form.choose_output(i - 1); });
    });
    refresh();
}

template <class Change>
void SuperElementsWindow::change(Change&& f)
{
    const std::string description = to_1252(description_->text());
    editing_.change([&](SuperElementsForm& form) {
        form.set_description(description);
        f(form);
    });
    check_result_->clear();
    refresh();
    emit sketchChanged();
}

void SuperElementsWindow::refresh()
{
    filling_ = true;
    const SuperElementsForm& form = editing_.form();
    list_->clear();
    for (const std::string& n : form.names()) list_->addItem(text_of(n));
    list_->setCurrentRow(form.selected());
    const SuperElement* e = form.current();
    name_->setText(text_of(e ? e->name : std::string()));
    description_->setText(text_of(form.description()));
    for (QComboBox* box : {input_, output_}) {
        box->clear();
        box->addItem(box == output_ ? text_of(kOutputRequired) : QStringLiteral(" <none>"));
        for (const std::string& n : form.node_choices()) box->addItem(text_of(n));
        box->setEnabled(e && !form.sketch_locked());
    }
    input_->setCurrentIndex(form.input_choice() + 1);
    output_->setCurrentIndex(form.output_choice() + 1);
    references_->setText(QString::number(form.reference_count()));
    defined_->setText(text_of(form.defined_text()));
    if (!e)
        locked_->setText(QStringLiteral("Make a new element to draw its control network on the SketchPad."));
    else if (form.sketch_locked())
        locked_->setText(QStringLiteral("Super nodes use this element: its sketch cannot be changed."));
    else
        locked_->setText(QStringLiteral("Draw the element's control network on the SketchPad with the link tool."));
    filling_ = false;
}

void SuperElementsWindow::sketch_edited()
{
    editing_.form().set_description(to_1252(description_->text()));
    refresh();
}

void SuperElementsWindow::end()
{
    editing_.change([&](SuperElementsForm& form) { form.set_description(to_1252(description_->text())); });
    if (!editing_.finish().accepted) return;
    emit finishedEditing();
}

// OK and Cancel both leave the way the element's name allows.
void SuperElementsWindow::accept() { end(); }
void SuperElementsWindow::reject() { end(); }

void SuperElementsWindow::closeEvent(QCloseEvent* event)
{
    event->ignore();
    end();
}

// ------------------------------------------------------------- running

bool run_control_chooser(QWidget* parent, ControlTypeChooser& chooser)
{
    ControlChooserDialog dialog(chooser, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool run_control_node_dialog(QWidget* parent, ControlNodeForm& form, Project& project)
{
    ControlNodeDialog dialog(form, project, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool run_sensor_dialog(QWidget* parent, SensorForm& form)
{
    SensorDialog dialog(form, parent);
    return dialog.exec() == QDialog::Accepted;
}

int run_terminal_sensor_type(QWidget* parent)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(text_of(kTerminalSensorCaption));
    dialog.setObjectName(QStringLiteral("TerminalSensorType"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(text_of(kTerminalSensorPrompt)));
    auto* group = new QButtonGroup(&dialog);
    auto* zone = new QRadioButton(text_of(kTerminalZoneChoice));
    zone->setObjectName(QStringLiteral("ZoneSensor"));
    zone->setChecked(true);
    auto* path = new QRadioButton(text_of(kTerminalPathChoice));
    path->setObjectName(QStringLiteral("PathSensor"));
    group->addButton(zone, 1);
    group->addButton(path, 2);
    layout->addWidget(zone);
    layout->addWidget(path);
    layout->addWidget(ok_cancel(&dialog));
    return dialog.exec() == QDialog::Accepted ? group->checkedId() : 0;
}

bool run_phantom_dialog(QWidget* parent, PhantomForm& form)
{
    PhantomDialog dialog(form, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool run_super_node_dialog(QWidget* parent, SuperNodeForm& form)
{
    SuperNodeDialog dialog(form, parent);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace avelor::ui
