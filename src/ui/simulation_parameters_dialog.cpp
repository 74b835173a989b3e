#include "ui/simulation_parameters_dialog.h"

#include <array>
#include <string>
#include <utility>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/diagnostics.h"
#include "app/text_convert.h"
#include "editing/editor_session.h"
#include "model/project.h"
#include "simulation/results_mode.h"
#include "ui/text_1252.h"
#include "ui/weather_dialog.h"

namespace avelor::ui {

namespace {

QString text_of(std::string_view text) { return from_1252(std::string(text)); }

QWidget* row_of(std::initializer_list<QWidget*> widgets)
{
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QWidget* w : widgets) layout->addWidget(w);
    layout->addStretch();
    return row;
}

void enable_item(QComboBox* combo, int index, bool on)
{
    if (auto* model = qobject_cast<QStandardItemModel*>(combo->model()))
        if (QStandardItem* item = model->item(index)) item->setEnabled(on);
}

}  // namespace

SimulationParametersDialog::SimulationParametersDialog(EditorSession& session, ResultsMode* results,
                                                       QWidget* parent)
    : QDialog(parent), session_(&session), form_(session.project(), session.document.path)
{
    setWindowTitle(text_of(SimulationParametersForm::kCaption));
    setObjectName(QStringLiteral("SimulationParametersDialog"));
    if (results) form_.set_results_source(current_results_concentrations(*results));

    pages_ = new QTabWidget;
    pages_->addTab(build_run_control_page(), text_of(kSimPageCaptions[0]));
    pages_->addTab(build_weather_page(), text_of(kSimPageCaptions[1]));
    pages_->addTab(build_output_page(), text_of(kSimPageCaptions[2]));
    pages_->addTab(build_airflow_page(), text_of(kSimPageCaptions[3]));
    pages_->addTab(build_contaminant_page(), text_of(kSimPageCaptions[4]));
    pages_->addTab(build_cfd_page(), text_of(kSimPageCaptions[5]));
    connect(pages_, &QTabWidget::currentChanged, this, &SimulationParametersDialog::page_changed);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    run_ = buttons->addButton(text_of(SimulationParametersForm::kRunCaption), QDialogButtonBox::HelpRole);
    run_->setObjectName(QStringLiteral("Run"));
    connect(buttons, &QDialogButtonBox::accepted, this, &SimulationParametersDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SimulationParametersDialog::reject);
    connect(run_, &QPushButton::clicked, this, &SimulationParametersDialog::run_clicked);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_);
    layout->addWidget(buttons);
    refresh();
}

SimPage SimulationParametersDialog::current_page() const { return static_cast<SimPage>(pages_->currentIndex()); }

// Bound widgets.

QCheckBox* SimulationParametersDialog::flag_box(SimFlag flag, const char* caption, const char* name)
{
    auto* box = new QCheckBox(QString::fromLatin1(caption));
    box->setObjectName(QString::fromLatin1(name));
    connect(box, &QCheckBox::toggled, this, [this, flag](bool on) {
        form_.set_flag(flag, on);
        refresh();
    });
    refreshers_.push_back([this, box, flag] {
        const QSignalBlocker block(box);
        box->setChecked(form_.flag(flag));
        box->setEnabled(form_.flag_enabled(flag));
    });
    return box;
}

QLineEdit* SimulationParametersDialog::number_edit(SimNumber number, const char* name)
{
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaximumWidth(110);
    connect(edit, &QLineEdit::textEdited, this, [this, edit] { pending_ = edit; });
    connect(edit, &QLineEdit::editingFinished, this, [this, edit, number] {
        if (checking_ || pending_ != edit) return;
        pending_ = nullptr;
        checking_ = true;
        form_.set_number(number, to_1252(edit->text()).c_str());
        checking_ = false;
        refresh();
    });
    refreshers_.push_back([this, edit, number] {
        if (pending_ == edit) return;
        edit->setText(from_1252(form_.number_text(number)).trimmed());
        edit->setEnabled(form_.number_enabled(number));
    });
    return edit;
}

QWidget* SimulationParametersDialog::number_with_unit(SimNumber number, const char* name)
{
    QLineEdit* edit = number_edit(number, name);
    const UnitKind kind = *form_.number_unit_kind(number);
    auto* unit = new QComboBox;
    unit->setObjectName(QString::fromLatin1(name) + QStringLiteral("Unit"));
    for (const std::string& n : unit_display_names(kind)) unit->addItem(from_1252(n));
    connect(unit, &QComboBox::currentIndexChanged, this, [this, number](int index) {
        leave_pending_edit();
        form_.set_number_unit(number, index);
        refresh();
    });
    refreshers_.push_back([this, unit, number] {
        const QSignalBlocker block(unit);
        unit->setCurrentIndex(form_.number_unit(number));
        unit->setEnabled(form_.number_enabled(number));
    });
    return row_of({edit, unit});
}

QWidget* SimulationParametersDialog::time_editor(SimTime time, const char* name)
{
    auto* row = new QWidget;
    row->setObjectName(QString::fromLatin1(name));
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    std::array<QSpinBox*, 3> parts{};
    const std::array<int, 3> tops = {24, 59, 59};
    for (std::size_t i = 0; i < parts.size(); ++i) {
        parts[i] = new QSpinBox;
        parts[i]->setRange(0, tops[i]);
        parts[i]->setObjectName(QString::fromLatin1(name) + QString::number(i));
        if (i > 0) layout->addWidget(new QLabel(QStringLiteral(":")));
        layout->addWidget(parts[i]);
    }
    layout->addStretch();
    for (QSpinBox* part : parts)
        connect(part, &QSpinBox::editingFinished, this, [this, parts, time] {
            if (checking_) return;
            checking_ = true;
            form_.set_time(time, parts[0]->value(), parts[1]->value(), parts[2]->value());
            checking_ = false;
            refresh();
        });
    refreshers_.push_back([this, parts, time] {
        const TimeParts t = split_time(form_.time(time));
        const std::array<int, 3> values = {t.hours, t.minutes, t.seconds};
        for (std::size_t i = 0; i < parts.size(); ++i) {
            const QSignalBlocker block(parts[i]);
            parts[i]->setValue(values[i]);
            parts[i]->setEnabled(form_.time_enabled(time));
        }
    });
    return row;
}

QWidget* SimulationParametersDialog::date_editor(SimDate date, const char* name)
{
    auto* month = new QComboBox;
    month->setObjectName(QString::fromLatin1(name) + QStringLiteral("Month"));
    for (std::string_view m : month_names) month->addItem(text_of(m));
    auto* day = new QSpinBox;
    day->setObjectName(QString::fromLatin1(name) + QStringLiteral("Day"));
    day->setRange(1, 31);
    const auto store = [this, month, day, date] {
        form_.set_date(date, month->currentIndex() + 1, day->value());
        refresh();
    };
    connect(month, &QComboBox::currentIndexChanged, this, store);
    connect(day, &QSpinBox::editingFinished, this, store);
    refreshers_.push_back([this, month, day, date] {
        const int d = form_.date(date);
        const QSignalBlocker block_month(month);
        const QSignalBlocker block_day(day);
        month->setCurrentIndex(month_of(d) - 1);
        day->setValue(day_in_month(d));
        const bool on = form_.date_enabled(date);
        month->setEnabled(on);
        day->setEnabled(on);
    });
    return row_of({month, day});
}

QComboBox* SimulationParametersDialog::choice(const QStringList& items, int selected, const char* name,
                                              std::function<void(int)> set)
{
    auto* combo = new QComboBox;
    combo->setObjectName(QString::fromLatin1(name));
    combo->addItems(items);
    combo->setCurrentIndex(selected);
    connect(combo, &QComboBox::currentIndexChanged, this, [this, set = std::move(set)](int index) {
        leave_pending_edit();
        set(index);
        refresh();
    });
    return combo;
}

// Pages.

QWidget* SimulationParametersDialog::build_run_control_page()
{
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    const RunControl& rc = form_.working();

    auto* methods = new QGroupBox(QStringLiteral("Simulation Methods"));
    auto* m = new QGridLayout(methods);
    QComboBox* airflow = choice({QStringLiteral("Steady"), QStringLiteral("Transient"), QStringLiteral("Duct Balance"),
                                 QStringLiteral("Building Airflow Test"),
                                 QStringLiteral("Building Pressurization Test")},
                                rc.sim_af, "AirflowMethod", [this](int i) { form_.set_airflow_method(i); });
    QComboBox* contaminant =
        choice({QStringLiteral("None"), QStringLiteral("Steady"), QStringLiteral("Transient"), QStringLiteral("Cyclic")},
               rc.sim_mf, "ContaminantMethod", [this](int i) { form_.set_contaminant_method(i); });
    QComboBox* integration = choice({QStringLiteral("Default Solver (Implicit Euler)"),
                                     QStringLiteral("Short Time Step (Explicit Euler)"), QStringLiteral("CVODE")},
                                    rc.mf_solver, "IntegrationMethod",
                                    [this](int i) { form_.set_integration_method(i); });
    m->addWidget(new QLabel(QStringLiteral("Airflow:")), 0, 0);
    m->addWidget(airflow, 0, 1);
    m->addWidget(new QLabel(QStringLiteral("Contaminant:")), 1, 0);
    m->addWidget(contaminant, 1, 1);
    m->addWidget(new QLabel(QStringLiteral("Integration:")), 2, 0);
    m->addWidget(integration, 2, 1);
    m->addWidget(new QLabel(QStringLiteral("Building pressure:")), 3, 0);
    m->addWidget(number_with_unit(SimNumber::BuildingPressure, "BuildingPressure"), 3, 1);
    refreshers_.push_back([this, airflow, contaminant, integration] {
        const RunControl& w = form_.working();
        for (QComboBox* c : {airflow, contaminant, integration}) c->blockSignals(true);
        airflow->setCurrentIndex(w.sim_af);
        contaminant->setCurrentIndex(w.sim_mf);
        integration->setCurrentIndex(w.mf_solver);
        const bool none_transient = form_.enabled(SimGroup::ContaminantNone);
        enable_item(contaminant, 0, none_transient);
        enable_item(contaminant, 1, form_.enabled(SimGroup::ContaminantSteady));
        enable_item(contaminant, 2, none_transient);
        enable_item(contaminant, 3, form_.enabled(SimGroup::ContaminantCyclic));
        contaminant->setEnabled(form_.has_contaminants() && (w.sim_af == 0 || w.sim_af == 1));
        const bool short_default = form_.enabled(SimGroup::IntegrationDefault);
        enable_item(integration, 0, short_default);
        enable_item(integration, 1, short_default);
        enable_item(integration, 2, form_.enabled(SimGroup::IntegrationCvode));
        integration->setEnabled(short_default || form_.enabled(SimGroup::IntegrationCvode));
        for (QComboBox* c : {airflow, contaminant, integration}) c->blockSignals(false);
    });
    grid->addWidget(methods, 0, 0);

    auto* reset = new QGroupBox(QStringLiteral("Reset initial contaminant concentrations to..."));
    auto* r = new QVBoxLayout(reset);
    const std::array<std::pair<ConcentrationReset, const char*>, 3> options = {
        std::pair{ConcentrationReset::Zero, "Zero"}, std::pair{ConcentrationReset::Ambient, "Ambient Concentrations"},
        std::pair{ConcentrationReset::CurrentResults, "Current Results Concentrations"}};
    for (const auto& [option, caption] : options) {
        auto* box = new QCheckBox(QString::fromLatin1(caption));
        box->setObjectName(QStringLiteral("Reset") + QString::number(static_cast<int>(option)));
        connect(box, &QCheckBox::clicked, this, [this, option = option] {
            form_.click_reset(option);
            refresh();
        });
        refreshers_.push_back([this, box, option = option] {
            const QSignalBlocker block(box);
            box->setChecked(form_.reset() == option);
            box->setEnabled(form_.enabled(SimGroup::ContaminantNone));
        });
        r->addWidget(box);
    }
    grid->addWidget(reset, 1, 0);

    auto* times = new QGroupBox(QStringLiteral("Simulation Dates and Times"));
    auto* t = new QGridLayout(times);
    int row = 0;
    const auto add = [&](const char* caption, QWidget* date, QWidget* time) {
        t->addWidget(new QLabel(QString::fromLatin1(caption)), row, 0);
        if (date) t->addWidget(date, row, 1);
        if (time) t->addWidget(time, row, 2);
        ++row;
    };
    add("Steady state:", date_editor(SimDate::Steady, "SteadyDate"), time_editor(SimTime::Steady, "SteadyTime"));
    add("Start:", date_editor(SimDate::Start, "StartDate"), time_editor(SimTime::Start, "StartTime"));
    add("Stop:", date_editor(SimDate::Stop, "StopDate"), time_editor(SimTime::Stop, "StopTime"));
    add("Calculation time step:", nullptr, time_editor(SimTime::Calculation, "CalculationStep"));
    add("Output time step:", nullptr, time_editor(SimTime::Output, "OutputStep"));
    add("Status time step:", nullptr, time_editor(SimTime::Status, "StatusStep"));
    t->addWidget(flag_box(SimFlag::Restart, "Use restart file", "UseRestart"), row, 0);
    auto* range = new QLabel;
    range->setObjectName(QStringLiteral("RestartRange"));
    t->addWidget(range, row++, 1, 1, 2);
    auto* restart_time = new QLabel;
    add("Restart:", date_editor(SimDate::Restart, "RestartDate"), restart_time);
    refreshers_.push_back([this, range, restart_time] {
        range->setText(from_1252(form_.restart_range_text()));
        restart_time->setText(form_.date_enabled(SimDate::Restart)
                                  ? from_1252(time_text(form_.working().rsttime))
                                  : QString());
    });
    grid->addWidget(times, 0, 1, 2, 1);
    return page;
}

QWidget* SimulationParametersDialog::build_weather_page()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* steady = new QGroupBox(QStringLiteral("Steady State Weather"));
    auto* s = new QVBoxLayout(steady);
    auto* steady_text = new QLabel;
    steady_text->setObjectName(QStringLiteral("SteadyWeather"));
    s->addWidget(steady_text);
    auto* edit_weather = new QPushButton(QStringLiteral("Edit Weather Data"));
    edit_weather->setObjectName(QStringLiteral("EditWeatherData"));
    edit_weather->setAutoDefault(false);
    connect(edit_weather, &QPushButton::clicked, this, [this] {
        if (!run_weather_dialog(this, form_.project())) return;
        form_.weather_edited();
        refresh();
    });
    s->addWidget(row_of({edit_weather}));
    layout->addWidget(steady);

    auto* files = new QGroupBox(QStringLiteral("Transient Data Files"));
    auto* g = new QGridLayout(files);
    const auto file_row = [&](int row, const char* caption, const char* name, std::function<std::string()> text,
                              std::function<std::string(bool)> days) {
        auto* label = new QLabel;
        label->setObjectName(QString::fromLatin1(name));
        label->setMinimumWidth(260);
        auto* first = new QLabel;
        auto* last = new QLabel;
        g->addWidget(new QLabel(QString::fromLatin1(caption)), row, 0);
        g->addWidget(label, row, 1);
        g->addWidget(first, row, 2);
        g->addWidget(last, row, 3);
        refreshers_.push_back([label, first, last, text = std::move(text), days = std::move(days)] {
            label->setText(from_1252(text()));
            first->setText(from_1252(days(false)));
            last->setText(from_1252(days(true)));
        });
    };
    g->addWidget(new QLabel(QStringLiteral("First day")), 0, 2);
    g->addWidget(new QLabel(QStringLiteral("Last day")), 0, 3);
    file_row(1, "Weather file:", "WeatherFile", [this] { return form_.weather_file_text(); },
             [this](bool last) { return form_.weather_days_text(last); });
    file_row(3, "Contaminant file:", "ContaminantFile", [this] { return form_.contaminant_file_text(); },
             [this](bool last) { return form_.contaminant_days_text(last); });
    file_row(5, "WPC file:", "WpcFile", [this] { return form_.wpc_file_text(); },
             [this](bool last) { return form_.wpc_days_text(last); });

    auto* choose_weather = new QPushButton(QStringLiteral("Weather File..."));
    auto* steady_weather = new QPushButton(QStringLiteral("Use Steady State"));
    auto* choose_ctm = new QPushButton(QStringLiteral("Contaminant File..."));
    auto* steady_ctm = new QPushButton(QStringLiteral("Use Steady State"));
    auto* transient = new QPushButton(QStringLiteral("Use Transient Data"));
    choose_weather->setObjectName(QStringLiteral("ChooseWeatherFile"));
    steady_weather->setObjectName(QStringLiteral("UseSteadyWeather"));
    choose_ctm->setObjectName(QStringLiteral("ChooseContaminantFile"));
    steady_ctm->setObjectName(QStringLiteral("UseSteadyContaminants"));
    transient->setObjectName(QStringLiteral("UseTransientData"));
    connect(choose_weather, &QPushButton::clicked, this, [this] { choose_data_file(true); });
    connect(choose_ctm, &QPushButton::clicked, this, [this] { choose_data_file(false); });
    connect(steady_weather, &QPushButton::clicked, this, [this] {
        form_.use_steady_weather();
        refresh();
    });
    connect(steady_ctm, &QPushButton::clicked, this, [this] {
        form_.use_steady_contaminants();
        refresh();
    });
    connect(transient, &QPushButton::clicked, this, [this] {
        form_.use_transient_data();
        refresh();
    });
    g->addWidget(row_of({choose_weather, steady_weather}), 2, 1, 1, 3);
    g->addWidget(row_of({choose_ctm, steady_ctm}), 4, 1, 1, 3);
    g->addWidget(row_of({transient}), 6, 1, 1, 3);
    g->addWidget(flag_box(SimFlag::WpcTrigger, "Only allow WPC and DVF files to trigger airflow calculations",
                          "WpcTrigger"),
                 7, 0, 1, 4);
    refreshers_.push_back([this, steady_text, choose_weather, steady_weather, choose_ctm, steady_ctm] {
        QStringList lines;
        for (const std::string& line : form_.steady_weather_lines()) lines << from_1252(line);
        steady_text->setText(lines.join(QLatin1Char('\n')));
        const bool weather = form_.enabled(SimGroup::WeatherFile);
        const bool ctm = form_.enabled(SimGroup::ContaminantFile);
        choose_weather->setEnabled(weather);
        steady_weather->setEnabled(weather);
        choose_ctm->setEnabled(ctm);
        steady_ctm->setEnabled(ctm);
    });
    layout->addWidget(files);
    layout->addStretch();
    return page;
}

QWidget* SimulationParametersDialog::build_output_page()
{
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);

    auto* airflow = new QGroupBox(QStringLiteral("Airflow Rates"));
    auto* a = new QVBoxLayout(airflow);
    a->addWidget(flag_box(SimFlag::PathFlows, "Detailed", "PathFlows"));
    a->addWidget(flag_box(SimFlag::AirflowSqlite, "SQLite", "AirflowSqlite"));
    a->addWidget(flag_box(SimFlag::StandardDensity, "Use Standard Density", "StandardDensity"));
    a->addWidget(flag_box(SimFlag::AirChangeFile, "Air Change Rates (.ACH)", "AirChangeFile"));
    a->addWidget(flag_box(SimFlag::AirChangeBoxWhisker, "Air Change Box-Whisker", "AirChangeBoxWhisker"));
    a->addWidget(flag_box(SimFlag::AgeFile, "Age of Air (.AGE)", "AgeFile"));
    a->addWidget(flag_box(SimFlag::AgeBoxWhisker, "Age of Air Box-Whisker", "AgeBoxWhisker"));
    grid->addWidget(airflow, 0, 0);

    auto* test = new QGroupBox(QStringLiteral("Building Airflow Test (.VAL)"));
    auto* v = new QVBoxLayout(test);
    v->addWidget(flag_box(SimFlag::TestZones, "Zones", "TestZones"));
    v->addWidget(flag_box(SimFlag::TestDucts, "Ducts", "TestDucts"));
    v->addWidget(flag_box(SimFlag::TestClassified, "Classified Flows", "TestClassified"));
    grid->addWidget(test, 1, 0);

    auto* ctm = new QGroupBox(QStringLiteral("Contaminant Concentrations"));
    auto* c = new QVBoxLayout(ctm);
    c->addWidget(flag_box(SimFlag::Concentrations, "Detailed", "Concentrations"));
    c->addWidget(flag_box(SimFlag::ContaminantSqlite, "SQLite", "ContaminantSqlite"));
    c->addWidget(flag_box(SimFlag::ConcentrationBoxWhisker, "Box-Whisker (.CBW)", "ConcentrationBoxWhisker"));
    c->addWidget(flag_box(SimFlag::Exposures, "Occupant Exposure", "Exposures"));
    c->addWidget(flag_box(SimFlag::ExposureBoxWhisker, "Exposure Box-Whisker (.EBW)", "ExposureBoxWhisker"));
    c->addWidget(flag_box(SimFlag::SummaryFile, "Summary File", "SummaryFile"));
    c->addWidget(flag_box(SimFlag::SurfaceFile, "Surface File", "SurfaceFile"));
    auto* exfiltration = new QLabel(QStringLiteral("Contaminant Exfiltration"));
    c->addWidget(exfiltration);
    c->addWidget(row_of({flag_box(SimFlag::ExfiltrationBasic, "Basic", "ExfiltrationBasic"),
                         flag_box(SimFlag::ExfiltrationDetailed, "Detailed", "ExfiltrationDetailed")}));
    grid->addWidget(ctm, 0, 1, 2, 1);

    auto* engine = new QGroupBox(QStringLiteral("Simulation Engine"));
    auto* e = new QVBoxLayout(engine);
    auto* dialog = new QRadioButton(QStringLiteral("Windows dialog box"));
    auto* console = new QRadioButton(QStringLiteral("Console window"));
    dialog->setObjectName(QStringLiteral("DisplayDialog"));
    console->setObjectName(QStringLiteral("DisplayConsole"));
    connect(dialog, &QRadioButton::toggled, this, [this](bool on) { form_.set_display_mode(on ? 1 : 0); });
    e->addWidget(row_of({dialog, console}));
    QComboBox* list = choice({QStringLiteral("Minimum output ( list = 0 )"),
                              QStringLiteral("Dump matrix analysis ( list > 0 )"),
                              QStringLiteral("Dump .SIM output ( list = 2 )"),
                              QStringLiteral("Dump .LOG notes ( list > 2 )")},
                             form_.working().list, "LogDetail", [this](int i) { form_.set_log_detail(i); });
    e->addWidget(list);
    e->addWidget(flag_box(SimFlag::ControlsLog, "Log File", "ControlsLog"));
    refreshers_.push_back([this, dialog, console] {
        const QSignalBlocker block(dialog);
        (form_.working().doDlg ? dialog : console)->setChecked(true);
    });
    grid->addWidget(engine, 2, 0, 1, 2);
    return page;
}

QWidget* SimulationParametersDialog::build_airflow_page()
{
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    const RunControl& rc = form_.working();

    auto* nonlinear = new QGroupBox(QStringLiteral("Non-linear Airflow Solver"));
    auto* n = new QGridLayout(nonlinear);
    n->addWidget(choice({QStringLiteral("SUR"), QStringLiteral("Simple Trust Region")}, rc.afcalc, "AirflowSolver",
                        [this](int i) { form_.set_airflow_solver(i); }),
                 0, 0, 1, 2);
    n->addWidget(new QLabel(QStringLiteral("Maximum iterations:")), 1, 0);
    n->addWidget(number_edit(SimNumber::AirflowMaxIterations, "AirflowMaxIterations"), 1, 1);
    n->addWidget(new QLabel(QStringLiteral("Relative convergence:")), 2, 0);
    n->addWidget(number_edit(SimNumber::AirflowRelConvergence, "AirflowRelConvergence"), 2, 1);
    n->addWidget(new QLabel(QStringLiteral("Absolute convergence:")), 3, 0);
    n->addWidget(number_with_unit(SimNumber::AirflowAbsConvergence, "AirflowAbsConvergence"), 3, 1);
    n->addWidget(new QLabel(QStringLiteral("Relaxation coefficient:")), 4, 0);
    n->addWidget(number_edit(SimNumber::AirflowRelaxation, "AirflowRelaxation"), 4, 1);
    grid->addWidget(nonlinear, 0, 0);

    auto* linear = new QGroupBox(QStringLiteral("Linear Airflow Solver"));
    auto* l = new QGridLayout(linear);
    l->addWidget(choice({QStringLiteral("Skyline"), QStringLiteral("PCG")}, rc.af_slae, "AirflowLinearSolver",
                        [this](int i) { form_.set_airflow_linear_solver(i); }),
                 0, 0, 1, 2);
    l->addWidget(new QLabel(QStringLiteral("Maximum iterations:")), 1, 0);
    l->addWidget(number_edit(SimNumber::LinearMaxIterations, "LinearMaxIterations"), 1, 1);
    l->addWidget(new QLabel(QStringLiteral("Relative convergence:")), 2, 0);
    l->addWidget(number_edit(SimNumber::LinearConvergence, "LinearConvergence"), 2, 1);
    l->addWidget(flag_box(SimFlag::AirflowResequence, "Resequence Linear Equations", "AirflowResequence"), 3, 0, 1, 2);
    grid->addWidget(linear, 0, 1);

    auto* other = new QGroupBox(QStringLiteral("Initialization and Density"));
    auto* o = new QGridLayout(other);
    o->addWidget(flag_box(SimFlag::LinearInitialization, "Linear Airflow Initialization", "LinearInitialization"), 0, 0);
    o->addWidget(flag_box(SimFlag::AdjustTemperatures, "Adjust temperatures in flow elements", "AdjustTemperatures"),
                 1, 0);
    o->addWidget(flag_box(SimFlag::VaryDensity, "Vary density during time step", "VaryDensity"), 2, 0);
    o->addWidget(row_of({new QLabel(QStringLiteral("Maximum density iterations:")),
                         number_edit(SimNumber::DensityIterations, "DensityIterations")}),
                 3, 0);
    o->addWidget(flag_box(SimFlag::SteadyConvergence, "Run steady state initialization to convergence",
                          "SteadyConvergence"),
                 4, 0);
    o->addWidget(flag_box(SimFlag::HydrostaticEquation, "Use advanced hydrostatic equation", "HydrostaticEquation"),
                 5, 0);
    grid->addWidget(other, 1, 0, 1, 2);
    return page;
}

QWidget* SimulationParametersDialog::build_contaminant_page()
{
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);

    auto* solver = new QGroupBox(QStringLiteral("Linear Contaminant Solver"));
    auto* s = new QGridLayout(solver);
    QComboBox* method = choice({QStringLiteral("Skyline"), QStringLiteral("BCG"), QStringLiteral("SOR"),
                                QStringLiteral("LU")},
                               form_.contaminant_solver(), "ContaminantSolver",
                               [this](int i) { form_.set_contaminant_solver(i); });
    s->addWidget(method, 0, 0, 1, 2);
    struct Field {
        SimNumber number;
        const char* caption;
        const char* name;
    };
    const std::array<Field, 5> fields = {
        Field{SimNumber::SolverMaxIterations, "Maximum iterations:", "SolverMaxIterations"},
        Field{SimNumber::SolverRelaxation, "Relaxation coefficient:", "SolverRelaxation"},
        Field{SimNumber::SolverRelConvergence, "Relative convergence:", "SolverRelConvergence"},
        Field{SimNumber::SolverAbsConvergence, "Absolute convergence (kg/kg):", "SolverAbsConvergence"},
        Field{SimNumber::Gamma, "Trapezoidal integration factor:", "Gamma"}};
    int row = 1;
    for (const Field& f : fields) {
        s->addWidget(new QLabel(QString::fromLatin1(f.caption)), row, 0);
        s->addWidget(number_edit(f.number, f.name), row++, 1);
    }
    s->addWidget(flag_box(SimFlag::ContaminantResequence, "Resequence Linear Equations", "ContaminantResequence"), row,
                 0, 1, 2);
    refreshers_.push_back([this, method] {
        const QSignalBlocker block(method);
        method->setCurrentIndex(form_.contaminant_solver());
        const bool linear = form_.enabled(SimGroup::LinearSolver);
        for (int i : {0, 2, 3}) enable_item(method, i, linear);
        enable_item(method, 1, form_.enabled(SimGroup::BcgAndGamma));
        method->setEnabled(linear || form_.enabled(SimGroup::BcgAndGamma));
    });
    grid->addWidget(solver, 0, 0, 2, 1);

    auto* cyclic = new QGroupBox(QStringLiteral("Cyclic Convergence"));
    auto* c = new QGridLayout(cyclic);
    const std::array<Field, 4> cyclic_fields = {
        Field{SimNumber::CyclicMaxIterations, "Maximum iterations:", "CyclicMaxIterations"},
        Field{SimNumber::CyclicRelConvergence, "Relative convergence:", "CyclicRelConvergence"},
        Field{SimNumber::CyclicAbsConvergence, "Absolute convergence (kg/kg):", "CyclicAbsConvergence"},
        Field{SimNumber::CyclicRelaxation, "Relaxation coefficient:", "CyclicRelaxation"}};
    row = 0;
    for (const Field& f : cyclic_fields) {
        c->addWidget(new QLabel(QString::fromLatin1(f.caption)), row, 0);
        c->addWidget(number_edit(f.number, f.name), row++, 1);
    }
    grid->addWidget(cyclic, 0, 1);

    auto* cvode = new QGroupBox(QStringLiteral("CVODE"));
    auto* v = new QGridLayout(cvode);
    QComboBox* cvode_method =
        choice({QStringLiteral("Backward Differentiation Formulas"), QStringLiteral("Adams-Moulton")},
               form_.working().cvode, "CvodeMethod", [this](int i) { form_.set_cvode_method(i); });
    v->addWidget(cvode_method, 0, 0, 1, 2);
    const std::array<Field, 3> cvode_fields = {
        Field{SimNumber::CvodeRelConvergence, "Relative convergence:", "CvodeRelConvergence"},
        Field{SimNumber::CvodeAbsConvergence, "Absolute convergence (kg/kg):", "CvodeAbsConvergence"},
        Field{SimNumber::CvodeMaxStep, "Maximum time step (s):", "CvodeMaxStep"}};
    row = 1;
    for (const Field& f : cvode_fields) {
        v->addWidget(new QLabel(QString::fromLatin1(f.caption)), row, 0);
        v->addWidget(number_edit(f.number, f.name), row++, 1);
    }
    refreshers_.push_back([this, cvode_method] { cvode_method->setEnabled(form_.enabled(SimGroup::CvodeOptions)); });
    grid->addWidget(cvode, 1, 1);

    auto* short_step = new QGroupBox(QStringLiteral("Short Time Step"));
    auto* t = new QGridLayout(short_step);
    t->addWidget(flag_box(SimFlag::RzfFile, ".RZF File", "RzfFile"), 0, 0);
    t->addWidget(flag_box(SimFlag::RzmFile, ".RZM File", "RzmFile"), 0, 1);
    t->addWidget(flag_box(SimFlag::Rz1File, ".RZ1 File", "Rz1File"), 0, 2);
    auto* rxr = new QCheckBox(QStringLiteral(".RXR File"));
    rxr->setEnabled(false);
    t->addWidget(rxr, 0, 3);
    t->addWidget(flag_box(SimFlag::ZoneModel1D, "1D Zone Model", "ZoneModel1D"), 1, 0);
    t->addWidget(flag_box(SimFlag::DuctModel1D, "1D Duct Model", "DuctModel1D"), 1, 1);
    t->addWidget(flag_box(SimFlag::JunctionTemperatures, "Variable Junction Temperatures", "JunctionTemperatures"), 1,
                 2, 1, 2);
    t->addWidget(new QLabel(QStringLiteral("Cell size:")), 2, 0);
    t->addWidget(number_with_unit(SimNumber::CellSize, "CellSize"), 2, 1, 1, 3);
    refreshers_.push_back([this, rxr] { rxr->setChecked(form_.rxr_ticked()); });
    grid->addWidget(short_step, 2, 0, 1, 2);
    return page;
}

QWidget* SimulationParametersDialog::build_cfd_page()
{
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    QComboBox* method = choice({QStringLiteral("Avelor Only"), QStringLiteral("Avelor -> CFD"),
                                QStringLiteral("Avelor -> CFD -> Avelor"), QStringLiteral("Avelor <-> CFD")},
                               form_.working().cfd, "CfdMethod", [this](int i) { form_.set_cfd_method(i); });
    grid->addWidget(method, 0, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Convergence Factor for Airflow Coupling")), 1, 0);
    grid->addWidget(number_edit(SimNumber::CfdConvergence, "CfdConvergence"), 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Maximum Coupling Iterations")), 2, 0);
    grid->addWidget(number_edit(SimNumber::CfdMaxIterations, "CfdMaxIterations"), 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("Output Frequency of Coupling Results")), 3, 0);
    grid->addWidget(number_edit(SimNumber::CfdOutputFrequency, "CfdOutputFrequency"), 3, 1);
    grid->addWidget(flag_box(SimFlag::RestartCoupling, "Restart Coupling", "RestartCoupling"), 4, 0, 1, 2);
    grid->setRowStretch(5, 1);
    return page;
}

// Behaviour.

void SimulationParametersDialog::refresh()
{
    for (const auto& refresher : refreshers_) refresher();
}

bool SimulationParametersDialog::leave_pending_edit()
{
    QLineEdit* edit = pending_;
    if (!edit) return true;
    // The edit's own check runs through its editingFinished handler.
    emit edit->editingFinished();
    return true;
}

void SimulationParametersDialog::page_changed(int index)
{
    if (turning_back_) return;
    leave_pending_edit();
    const int left = shown_page_;
    shown_page_ = index;
    if (form_.leave_page(static_cast<SimPage>(left))) {
        refresh();
        return;
    }
    turning_back_ = true;
    pages_->setCurrentIndex(left);
    shown_page_ = left;
    turning_back_ = false;
    refresh();
}

void SimulationParametersDialog::choose_data_file(bool weather)
{
    const std::string filter = weather ? "Weather Files (*.WTH)" : "Contaminant Files (*.CTM)";
    const std::string path = user_port().choose_file(FileChoice::Open, filter, weather ? "wth" : "ctm", "");
    if (path.empty()) return;
    if (weather)
        form_.choose_weather_file(path);
    else
        form_.choose_contaminant_file(path);
    refresh();
}

void SimulationParametersDialog::accept()
{
    leave_pending_edit();
    if (!form_.accept(current_page())) {
        refresh();
        return;
    }
    QDialog::accept();
}

void SimulationParametersDialog::reject()
{
    form_.cancel();
    QDialog::reject();
}

void SimulationParametersDialog::run_clicked()
{
    leave_pending_edit();
    if (!form_.run(current_page())) {
        refresh();
        return;
    }
    QDialog::accept();
}

bool edit_simulation_parameters(EditorSession& session, ResultsMode* results, QWidget* parent)
{
    SimulationParametersDialog dialog(session, results, parent);
    dialog.exec();
    return dialog.form().run_requested();
}

}  // namespace avelor::ui
