#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QRegularExpression>
#include <QtTest>

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "editing/editor_session.h"
#include "support/scripted_port.h"
#include "support/stand_in_engine_window.h"
#include "ui/command_table.h"
#include "ui/main_window.h"
#include "ui/navigator_window.h"
#include "ui/simulation_runner.h"
#include "ui/sketchpad_widget.h"

using namespace avelor;

namespace {

// A copy of a shipped example in a shown main window, with a stand-in
// engine that records its arguments, works a little and ends.
struct Fixture : testing::StandInEngineWindow {
    explicit Fixture(const std::string& ending) : StandInEngineWindow("sleep 0.3\n" + ending) {}

    // Everything a run must make refuse input.
    bool interface_enabled() const
    {
        const QList<QAction*> menus = main->menuBar()->actions();
        const bool menus_on = std::all_of(menus.begin(), menus.end(), [](QAction* a) { return a->isEnabled(); });
        const bool menus_off = std::none_of(menus.begin(), menus.end(), [](QAction* a) { return a->isEnabled(); });
        const auto* bar = main->findChild<QToolBar*>(QStringLiteral("Toolbar"));
        const bool sketchpad = main->sketchpad()->isEnabled();
        // Either all on or all off; a mixture fails both answers.
        if (menus_on && bar->isEnabled() && sketchpad) return true;
        if (menus_off && !bar->isEnabled() && !sketchpad) return false;
        mixed = true;
        return false;
    }

    std::string last_box() const
    {
        if (port.boxes.empty()) return {};
        std::string t = port.boxes.back().text;
        if (!t.empty() && t.front() == ' ') t.erase(0, 1);
        while (!t.empty() && t.back() == '\n') t.pop_back();
        return port.boxes.back().caption + ": " + t;
    }

    mutable bool mixed = false;
};

}  // namespace

class RunSimulationTest : public QObject {
    Q_OBJECT
private slots:
    void the_command_sits_in_the_simulation_menu();
    void interface_disabled_while_running_then_results_mode();
    void real_engine_run_enters_results_mode_with_arrows();
    void abnormal_end_reported_and_no_results();
    void missing_engine_disables_nothing();
};

void RunSimulationTest::the_command_sits_in_the_simulation_menu()
{
    Fixture f("exit 0");
    QVERIFY(f.ok);
    QAction* action = f.main->command_action(ui::cmd::RunSimulation);
    QVERIFY(action);
    QCOMPARE(action->text(), QStringLiteral("&Run Simulation"));
    auto* menu = f.main->menuBar()->findChild<QMenu*>(QStringLiteral("SimulationMenu"));
    QVERIFY(menu && menu->actions().contains(action));
}

void RunSimulationTest::interface_disabled_while_running_then_results_mode()
{
    Fixture f("exit 0");
    QVERIFY(f.ok);
    // A tool window that is open during the run.
    f.main->run_command(ui::cmd::SketchNavigator);
    auto* navigator = f.main->findChild<ui::NavigatorWindow*>();
    QVERIFY(navigator && navigator->isVisible());

    f.main->command_action(ui::cmd::RunSimulation)->trigger();
    ui::SimulationRunner* runner = f.main->simulation_runner();
    QVERIFY(runner->running());
    QVERIFY(!f.interface_enabled());
    QVERIFY(!f.mixed);
    QVERIFY(!navigator->isEnabled());
    // Commands that reach the window another way are refused too.
    const int boxes = static_cast<int>(f.port.boxes.size());
    f.main->run_command(ui::cmd::RunBuildingCheck);
    QCOMPARE(static_cast<int>(f.port.boxes.size()), boxes);

    QTRY_VERIFY_WITH_TIMEOUT(!runner->running(), 10000);
    QVERIFY(f.interface_enabled());
    QVERIFY(navigator->isEnabled());
    QVERIFY(f.session.document.results_available);
    // The project as saved, with the engine's window asked for.
    QCOMPARE(f.engine_args(), (std::vector<std::string>{f.project, "-d"}));
    // The stand-in wrote no results file: results mode finds nothing to
    // show and the SketchPad stays in normal mode.
    QVERIFY(!f.main->results_mode().active());
    QVERIFY(f.main->command_action(ui::cmd::NormalMode)->isChecked());
}

void RunSimulationTest::real_engine_run_enters_results_mode_with_arrows()
{
    Fixture f("exit 0");
    QVERIFY(f.ok);
    // The shipped stack example, run by the real engine.
    const std::string project = f.folder + "stack_two_orifices.prj";
    QVERIFY(QFile::copy(QString::fromStdString(std::string(AVELOR_SOURCE_DIR) + "/examples/stack_two_orifices.prj"),
                        QString::fromStdString(project)));
    QVERIFY(open_in_session(f.session, project));
    f.main->project_replaced();
    QVERIFY(!f.main->results_mode().active());
    f.main->simulation_runner()->set_engine_path(QStringLiteral(AVELOR_ENGINE_PATH));
    f.session.project().rc.doDlg = 0;  // no engine window under the test

    f.main->command_action(ui::cmd::RunSimulation)->trigger();
    QVERIFY(f.main->simulation_runner()->running());
    QVERIFY(!f.interface_enabled());
    QTRY_VERIFY_WITH_TIMEOUT(!f.main->simulation_runner()->running(), 30000);
    QVERIFY(f.interface_enabled());
    QVERIFY(f.session.document.results_available);

    const ResultsMode& results = f.main->results_mode();
    QVERIFY(results.active());
    QVERIFY(f.main->command_action(ui::cmd::ResultsMode)->isChecked());
    QVERIFY(f.main->command_action(ui::cmd::NextTimeStep)->isEnabled());
    // Both paths of the level carry an arrow, and the stack drives air in
    // low and out high.
    QCOMPARE(results.display_list().size(), std::size_t{2});
    float inflow = 0, outflow = 0;
    for (const ResultsDisplayEntry& e : results.display_list()) {
        if (e.F0 > 0) inflow += e.F0;
        else outflow -= e.F0;
    }
    QVERIFY(inflow > 1e-3f);
    QVERIFY(std::abs(inflow - outflow) < 1e-5f);
    QVERIFY(f.main->status_text().startsWith(QStringLiteral("Jan15/12:00:00 ")));
    // The keys step through the results at once, and the status bar says
    // how the run ended.
    QCOMPARE(f.main->focusWidget(), static_cast<QWidget*>(f.main->sketchpad()));
    const QString ended = f.main->run_status_text();
    const QRegularExpression finished(QStringLiteral("^Simulation finished: ([0-9]+) time steps?, 0 warnings$"));
    const QRegularExpressionMatch match = finished.match(ended);
    QVERIFY2(match.hasMatch(), qPrintable(ended));
    QVERIFY(match.captured(1).toInt() >= 1);

    // The lines are drawn in the flow colour over the drawing.
    const QImage shot = f.main->sketchpad()->viewport()->grab().toImage();
    bool flow_colour = false;
    for (int y = 0; y < shot.height() && !flow_colour; ++y)
        for (int x = 0; x < shot.width() && !flow_colour; ++x)
            flow_colour = shot.pixelColor(x, y) == QColor(255, 51, 204);
    QVERIFY(flow_colour);

    // Normal mode takes the lines away and gives the editing back.
    f.main->run_command(ui::cmd::NormalMode);
    QVERIFY(!results.active());
    const QImage plain = f.main->sketchpad()->viewport()->grab().toImage();
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x)
            QVERIFY(plain.pixelColor(x, y) != QColor(255, 51, 204));
}

void RunSimulationTest::abnormal_end_reported_and_no_results()
{
    Fixture f("exit 3");
    QVERIFY(f.ok);
    f.main->run_command(ui::cmd::RunSimulation);
    QVERIFY(f.main->simulation_runner()->running());
    QTRY_VERIFY_WITH_TIMEOUT(!f.main->simulation_runner()->running(), 10000);
    QVERIFY(f.interface_enabled());
    QVERIFY(!f.session.document.results_available);
    QVERIFY(f.port.boxes.size() >= 2);
    const testing::ShownBox& end = f.port.boxes[f.port.boxes.size() - 2];
    QCOMPARE(QString::fromStdString(end.caption), QStringLiteral("ERROR"));
    QVERIFY(end.text.find("AVELORX.EXE: simulation terminated abnormally.") != std::string::npos);
    QCOMPARE(QString::fromStdString(f.last_box()), QStringLiteral("WARNING: SketchPad results not available."));
}

void RunSimulationTest::missing_engine_disables_nothing()
{
    Fixture f("exit 0");
    QVERIFY(f.ok);
    f.main->simulation_runner()->set_engine_path(QString::fromStdString(f.folder + "elsewhere/AVELORX3"));
    f.main->run_command(ui::cmd::RunSimulation);
    QVERIFY(!f.main->simulation_runner()->running());
    QVERIFY(f.interface_enabled());
    QCOMPARE(QString::fromStdString(f.last_box()),
             QStringLiteral("ERROR: AVELORX3.exe was not found in the AvelorW directory."));
}

QTEST_MAIN(RunSimulationTest)
#include "run_simulation_test.moc"
