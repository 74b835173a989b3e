#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editing/editor_session.h"
#include "model/project.h"
#include "support/scripted_port.h"
#include "support/stand_in_engine_window.h"
#include "ui/command_table.h"
#include "ui/main_window.h"
#include "ui/simulation_parameters_dialog.h"
#include "ui/simulation_runner.h"

using namespace avelor;

namespace {

// A shipped example in a shown main window whose stand-in engine records
// its arguments and ends.
struct Fixture : testing::StandInEngineWindow {
    Fixture() : StandInEngineWindow("exit 0") {}
};

// Runs step on the sheet once it is the modal window.
void when_sheet_opens(std::function<void(ui::SimulationParametersDialog&)> step)
{
    QTimer::singleShot(0, [step = std::move(step)] {
        auto* sheet = qobject_cast<ui::SimulationParametersDialog*>(QApplication::activeModalWidget());
        QVERIFY(sheet);
        step(*sheet);
    });
}

}  // namespace

class SimulationParametersTest : public QObject {
    Q_OBJECT
private slots:
    void the_sheet_has_six_pages_and_a_run_button();
    void ok_brings_a_changed_setting_into_the_project();
    void a_refused_page_keeps_the_user_there();
    void a_weather_file_is_taken_only_with_a_valid_header();
    void run_button_runs_the_simulation();
    void edited_weather_survives_the_sheets_ok();
};

void SimulationParametersTest::the_sheet_has_six_pages_and_a_run_button()
{
    Fixture f;
    QVERIFY(f.ok);
    QAction* action = f.main->command_action(ui::cmd::SimulationParameters);
    QVERIFY(action);
    QCOMPARE(action->text(), QStringLiteral("Set Simulation &Parameters..."));
    QCOMPARE(action->shortcut(), QKeySequence(QStringLiteral("F4")));
    ui::SimulationParametersDialog sheet(f.session, nullptr);
    QCOMPARE(sheet.windowTitle(), QStringLiteral("Simulation Parameters"));
    const QStringList captions = {QStringLiteral("Run Control"),      QStringLiteral("Weather"),
                                  QStringLiteral("Output"),           QStringLiteral("Airflow Numerics"),
                                  QStringLiteral("Contaminant Numerics"), QStringLiteral("CFD Parameters")};
    QCOMPARE(sheet.pages()->count(), captions.size());
    for (int i = 0; i < captions.size(); ++i) QCOMPARE(sheet.pages()->tabText(i), captions[i]);
    QCOMPARE(sheet.run_button()->text(), QStringLiteral("Run"));
}

void SimulationParametersTest::ok_brings_a_changed_setting_into_the_project()
{
    Fixture f;
    QVERIFY(f.ok);
    const int before = f.session.project().rc.afmaxi;
    when_sheet_opens([](ui::SimulationParametersDialog& sheet) {
        sheet.pages()->setCurrentIndex(static_cast<int>(SimPage::AirflowNumerics));
        auto* edit = sheet.findChild<QLineEdit*>(QStringLiteral("AirflowMaxIterations"));
        QVERIFY(edit);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("45"));
        auto* vary = sheet.findChild<QCheckBox*>(QStringLiteral("VaryDensity"));
        QVERIFY(vary);
        vary->click();  // the edit is left for the box
        sheet.accept();
    });
    f.main->command_action(ui::cmd::SimulationParameters)->trigger();
    const RunControl& rc = f.session.project().rc;
    QVERIFY(before != 45);
    QCOMPARE(rc.afmaxi, 45);
    QCOMPARE(rc.tsdens + rc.densZP + rc.dodMdt, 3);
    QVERIFY(f.session.project().changed());
    QVERIFY(!f.main->simulation_runner()->running());
}

void SimulationParametersTest::a_refused_page_keeps_the_user_there()
{
    Fixture f;
    QVERIFY(f.ok);
    f.session.project().rc.t_list = 1000;  // not a multiple of the 300 s step
    ui::SimulationParametersDialog sheet(f.session, nullptr);
    sheet.show();
    sheet.pages()->setCurrentIndex(static_cast<int>(SimPage::Output));
    QCOMPARE(sheet.current_page(), SimPage::RunControl);
    QVERIFY(!f.port.boxes.empty());
    QCOMPARE(f.port.boxes.back().caption, std::string("ERROR"));
    QVERIFY(f.port.boxes.back().text.find("The Output time step must be multiple of the Calculation time step") !=
            std::string::npos);
    sheet.run_button()->click();
    QVERIFY(sheet.isVisible());
    QVERIFY(!sheet.form().run_requested());
}

void SimulationParametersTest::a_weather_file_is_taken_only_with_a_valid_header()
{
    Fixture f;
    QVERIFY(f.ok);
    const std::string good = f.folder + "winter.wth";
    const std::string bad = f.folder + "old.wth";
    std::ofstream(good, std::ios::binary) << "WeatherFile AvelorW 2.0\nA winter\n12/1 1/31\n";
    std::ofstream(bad, std::ios::binary) << "WeatherFile AvelorW 1.0\nOld\n1/1 12/31\n";
    ui::SimulationParametersDialog sheet(f.session, nullptr);
    auto* choose = sheet.findChild<QPushButton*>(QStringLiteral("ChooseWeatherFile"));
    auto* shown = sheet.findChild<QLabel*>(QStringLiteral("WeatherFile"));
    QVERIFY(choose && shown);
    QVERIFY(!choose->isEnabled());  // steady airflow needs no weather file
    sheet.findChild<QComboBox*>(QStringLiteral("AirflowMethod"))->setCurrentIndex(1);
    QVERIFY(choose->isEnabled());
    f.port.files = {bad, good};
    choose->click();
    QCOMPARE(shown->text(), QStringLiteral(" <required>"));
    choose->click();
    QCOMPARE(shown->text(), QString::fromStdString(good));
    sheet.findChild<QPushButton*>(QStringLiteral("UseSteadyWeather"))->click();
    QCOMPARE(shown->text(), QStringLiteral("None: Use Steady State Weather"));
}

void SimulationParametersTest::run_button_runs_the_simulation()
{
    Fixture f;
    QVERIFY(f.ok);
    when_sheet_opens([](ui::SimulationParametersDialog& sheet) {
        auto* airflow = sheet.findChild<QComboBox*>(QStringLiteral("AirflowMethod"));
        QVERIFY(airflow);
        airflow->setCurrentIndex(1);  // Transient
        sheet.run_button()->click();
    });
    f.main->command_action(ui::cmd::SimulationParameters)->trigger();
    QCOMPARE(f.session.project().rc.sim_af, 1);
    ui::SimulationRunner* runner = f.main->simulation_runner();
    QVERIFY(runner->running());
    QTRY_VERIFY_WITH_TIMEOUT(!runner->running(), 10000);
    QCOMPARE(f.engine_args(), (std::vector<std::string>{f.project, "-d"}));
    QVERIFY(f.session.document.results_available);
}

// Edit Weather Data on the Weather page opens the Weather and Wind
// Parameters sheet; its new steady temperature is shown on the page and
// the sheet's OK keeps it (the sheet's own copy is not put back over it).
void SimulationParametersTest::edited_weather_survives_the_sheets_ok()
{
    Fixture f;
    QVERIFY(f.ok);
    QString pages, shown;
    when_sheet_opens([&](ui::SimulationParametersDialog& sheet) {
        sheet.pages()->setCurrentIndex(static_cast<int>(SimPage::Weather));
        QTimer::singleShot(0, [&] {
            auto* weather = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!weather) return;
            if (auto* tabs = weather->findChild<QTabWidget*>(QStringLiteral("Pages")))
                for (int i = 0; i < tabs->count(); ++i) pages += tabs->tabText(i) + QLatin1Char(';');
            if (auto* t = weather->findChild<QLineEdit*>(QStringLiteral("Temperature"))) {
                t->selectAll();
                QTest::keyClicks(t, QStringLiteral("-5"));
            }
            weather->accept();
        });
        sheet.findChild<QPushButton*>(QStringLiteral("EditWeatherData"))->click();
        shown = sheet.findChild<QLabel*>(QStringLiteral("SteadyWeather"))->text();
        sheet.accept();
    });
    f.main->command_action(ui::cmd::SimulationParameters)->trigger();
    QVERIFY2(shown.contains(QStringLiteral("-5")), qPrintable(shown));
    QCOMPARE(pages, QStringLiteral("Weather;Wind;Location;Wind Pressure Display;"));
    QCOMPARE(f.session.project().rc.steady.Ta, 268.15f);
    QVERIFY(f.session.project().changed());
}

QTEST_MAIN(SimulationParametersTest)
#include "simulation_parameters_test.moc"
