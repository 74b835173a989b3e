#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QSpinBox>
#include <QComboBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QLabel>
#include <QStatusBar>
#include <QtTest>

#include <cmath>
#include <memory>
#include <string>

#include "app/diagnostics.h"
#include "editing/editor_session.h"
#include "model/cell_codes.h"
#include "support/scripted_port.h"
#include "ui/command_table.h"
#include "ui/main_window.h"
#include "ui/qt_port.h"
#include "ui/sketchpad_widget.h"
#include "ui/results_view.h"

using namespace avelor;

namespace {

// The two-day decay example simulated by the command-line tool, then
// opened in a shown main window: its matching results show at once.
struct Simulated {
    Simulated()
    {
        project = dir.path().toStdString() + "/decay.prj";
        ok = QFile::copy(QString::fromStdString(std::string(AVELOR_SOURCE_DIR) + "/examples/decay_ventilated_zone.prj"),
                         QString::fromStdString(project));
        QProcess run;
        run.start(QStringLiteral(AVELOR_CLI_PATH),
                  {QStringLiteral("run"), QString::fromStdString(project), QStringLiteral("--yes")});
        ok = ok && run.waitForFinished(60000) && run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0;
        ok = ok && open_in_session(session, project);
        main = std::make_unique<ui::MainWindow>(session);
        main->show();
        ok = ok && QTest::qWaitForWindowExposed(main.get());
        main->project_replaced();
    }

    QString day_and_time() const { return main->status_text().left(15); }

    QTemporaryDir dir;
    std::string project;
    testing::ScriptedPort port;
    EditorSession session;
    std::unique_ptr<ui::MainWindow> main;
    bool ok = false;
};

// Fills the Go To dialog once it shows, and presses OK.
void answer_go_to(const QString& month, int day, int hours, int minutes, int seconds)
{
    QTimer::singleShot(0, [=] {
        auto* dialog = qobject_cast<ui::GoToDateTimeDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Go To Date/Time"));
        dialog->findChild<QComboBox*>()->setCurrentText(month);
        dialog->findChild<QSpinBox*>()->setValue(day);
        // The hours, minutes and seconds (the day box has a field of its own).
        const QList<QLineEdit*> fields = dialog->findChildren<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly);
        if (fields.size() != 3) {
            dialog->reject();
            QFAIL("the dialog does not hold three time fields");
        }
        fields[0]->setText(QString::number(hours));
        fields[1]->setText(QString::number(minutes));
        fields[2]->setText(QString::number(seconds));
        dialog->accept();
        // A refused time leaves the dialog open: take what it moved to.
        if (dialog->isVisible()) dialog->accept();
    });
}

}  // namespace

class ResultsModeViewTest : public QObject {
    Q_OBJECT
private slots:
    void opening_a_simulated_project_shows_its_first_step();
    void stepping_crosses_days_as_the_results_file_is_laid_out();
    void go_to_date_time_moves_and_clamps();
    void the_status_shows_a_paths_flow_as_the_results_command_does();
};

// The number after "; NAME: " in a text.
double value_after(const QString& text, const QString& name)
{
    const int at = text.indexOf(QStringLiteral("; ") + name + QStringLiteral(": "));
    if (at < 0) return std::nan("");
    return text.mid(at + name.size() + 4).section(QLatin1Char(' '), 0, 0).toDouble();
}

void ResultsModeViewTest::the_status_shows_a_paths_flow_as_the_results_command_does()
{
    Simulated s;
    QVERIFY(s.ok);
    QVERIFY(s.main->results_mode().active());
    // The first step as the command-line tool reads it: path 1's Flow0.
    QProcess results;
    results.start(QStringLiteral(AVELOR_CLI_PATH), {QStringLiteral("results"), QString::fromStdString(s.project)});
    QVERIFY(results.waitForFinished(60000));
    double expected = std::nan("");
    for (const QString& line : QString::fromUtf8(results.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        const QStringList fields = line.simplified().split(QLatin1Char(' '));
        if (fields.size() == 4 && fields[0] == QStringLiteral("1")) {
            expected = fields[2].toDouble();
            break;
        }
    }
    QVERIFY(!std::isnan(expected));

    // Stepping through the window's own port, as the editor does.
    ui::QtUserPort qt_port;
    qt_port.set_main_window(s.main.get());
    set_user_port(&qt_port);
    s.main->run_command(ui::cmd::NextTimeStep);
    s.main->run_command(ui::cmd::PreviousTimeStep);
    set_user_port(&s.port);
    // The step's day and time show in the status text, not hidden under a
    // note.
    QVERIFY(s.main->statusBar()->currentMessage().isEmpty());
    QVERIFY(s.main->findChild<QLabel*>(QStringLiteral("StatusText"))->isVisible());

    // A click on path 1's icon.
    const SketchGrid& g = s.session.grid;
    GridCell icon{-1, -1};
    for (int r = 1; r < g.rows() - 1 && icon.row < 0; ++r)
        for (int c = 1; c < g.cols() - 1; ++c)
            if (g.current().Paths(r, c) == 1 && has_flag(g.current().Sketch(r, c), CC_PATH_ICON)) {
                icon = {r, c};
                break;
            }
    QVERIFY(icon.row > 0);
    const SketchView& view = s.session.view;
    const int half = view.cell_size() / 2;
    QTest::mouseClick(s.main->sketchpad()->viewport(), Qt::LeftButton, {},
                      QPoint(view.cell_x(icon.col) + half, view.cell_y(icon.row) + half));
    const QString status = s.main->status_text();
    QVERIFY2(status.startsWith(QStringLiteral("Jan01/06:00:00 ")), qPrintable(status));
    QVERIFY2(status.contains(QStringLiteral(" kg/s")), qPrintable(status));
    QVERIFY2(std::fabs(value_after(status, QStringLiteral("Flow")) - expected) <= 1e-3 * std::fabs(expected) + 1e-9,
             qPrintable(status));

    // Normal mode takes the day, the time and the values away.
    s.main->run_command(ui::cmd::NormalMode);
    QVERIFY2(!s.main->status_text().contains(QStringLiteral("Jan01")), qPrintable(s.main->status_text()));
    QVERIFY2(!s.main->status_text().contains(QStringLiteral("; Flow:")), qPrintable(s.main->status_text()));
}

void ResultsModeViewTest::opening_a_simulated_project_shows_its_first_step()
{
    Simulated s;
    QVERIFY(s.ok);
    QVERIFY(s.main->results_mode().active());
    QCOMPARE(s.day_and_time(), QStringLiteral("Jan01/06:00:00 "));
    QCOMPARE(s.main->results_mode().display_list().size(), std::size_t{2});
    // Editing tools are off in results mode, the steps on.
    QVERIFY(!s.main->command_action(ui::cmd::DrawWalls)->isEnabled());
    QVERIFY(s.main->command_action(ui::cmd::GoToDateTime)->isEnabled());
    s.main->run_command(ui::cmd::NormalMode);
    QVERIFY(!s.main->results_mode().active());
    QVERIFY(s.main->command_action(ui::cmd::DrawWalls)->isEnabled());
    QVERIFY(!s.main->command_action(ui::cmd::NextTimeStep)->isEnabled());
}

void ResultsModeViewTest::stepping_crosses_days_as_the_results_file_is_laid_out()
{
    Simulated s;
    QVERIFY(s.ok);
    s.main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(s.main.get()));
    QTest::keyClick(s.main.get(), Qt::Key_End);  // Next Time Step
    QCOMPARE(s.day_and_time(), QStringLiteral("Jan01/07:00:00 "));
    QTest::keyClick(s.main.get(), Qt::Key_End, Qt::ControlModifier);  // Last Time Step
    QCOMPARE(s.day_and_time(), QStringLiteral("Jan01/24:00:00 "));
    // 24:00 and the next 00:00 are one instant: Next goes on to 01:00.
    s.main->run_command(ui::cmd::NextTimeStep);
    QCOMPARE(s.day_and_time(), QStringLiteral("Jan02/01:00:00 "));
    s.main->run_command(ui::cmd::PreviousTimeStep);
    QCOMPARE(s.day_and_time(), QStringLiteral("Jan02/00:00:00 "));
    s.main->run_command(ui::cmd::PreviousTimeStep);
    QCOMPARE(s.day_and_time(), QStringLiteral("Jan01/23:00:00 "));
    s.main->run_command(ui::cmd::JumpAhead);
    QCOMPARE(s.day_and_time(), QStringLiteral("Jan02/09:00:00 "));
    // Past the last day nothing moves.
    s.main->run_command(ui::cmd::LastTimeStep);
    s.main->run_command(ui::cmd::LastTimeStep);
    QCOMPARE(s.day_and_time(), QStringLiteral("Jan02/24:00:00 "));
}

void ResultsModeViewTest::go_to_date_time_moves_and_clamps()
{
    Simulated s;
    QVERIFY(s.ok);
    answer_go_to(QStringLiteral("Jan"), 2, 5, 0, 0);
    s.main->run_command(ui::cmd::GoToDateTime);
    QCOMPARE(s.day_and_time(), QStringLiteral("Jan02/05:00:00 "));
    // Before the first result: the warning, then the first result.
    answer_go_to(QStringLiteral("Jan"), 1, 3, 0, 0);
    s.main->run_command(ui::cmd::GoToDateTime);
    QVERIFY(!s.port.boxes.empty());
    QCOMPARE(QString::fromStdString(s.port.boxes.back().text).trimmed(), QStringLiteral("Time too early; < 06:00:00"));
    QCOMPARE(s.day_and_time(), QStringLiteral("Jan01/06:00:00 "));
}

QTEST_MAIN(ResultsModeViewTest)
#include "results_mode_test.moc"
