#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QSpinBox>
#include <QComboBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QFile>
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
#include "ui/results_windows.h"

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
    void the_results_window_follows_the_cursor_with_the_results_commands_numbers();
    void export_data_writes_what_avelor_export_writes();
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

namespace {

// The cell of the first icon whose layer and number match.
GridCell icon_cell(const SketchGrid& g, std::int32_t nr, std::uint16_t flag)
{
    for (int r = 1; r < g.rows() - 1; ++r)
        for (int c = 1; c < g.cols() - 1; ++c)
            if (g.current().Paths(r, c) == nr && has_flag(g.current().Sketch(r, c), flag)) return {r, c};
    return {-1, -1};
}

QStringList run_cli(const QStringList& args)
{
    QProcess cli;
    cli.start(QStringLiteral(AVELOR_CLI_PATH), args);
    if (!cli.waitForFinished(60000) || cli.exitCode() != 0) return {};
    return QString::fromUtf8(cli.readAllStandardOutput()).split(QLatin1Char('\n'));
}

}  // namespace

void ResultsModeViewTest::the_results_window_follows_the_cursor_with_the_results_commands_numbers()
{
    Simulated s;
    QVERIFY(s.ok);
    s.main->run_command(ui::cmd::NextTimeStep);
    s.main->run_command(ui::cmd::NextTimeStep);
    QCOMPARE(s.day_and_time(), QStringLiteral("Jan01/08:00:00 "));
    QVERIFY(s.main->command_action(ui::cmd::ResultsDisplayWindow)->isEnabled());
    s.main->run_command(ui::cmd::ResultsDisplayWindow);
    ui::ResultsDisplayWindow* window = s.main->results_window();
    QVERIFY(window);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QVERIFY(s.main->command_action(ui::cmd::ResultsDisplayWindow)->isChecked());

    // The cursor onto the room's icon.
    const GridCell room = icon_cell(s.session.grid, 1, CC_ZONE_ICON);
    QVERIFY(room.row > 0);
    const SketchView& view = s.session.view;
    const int half = view.cell_size() / 2;
    QTest::mouseClick(s.main->sketchpad()->viewport(), Qt::LeftButton, {},
                      QPoint(view.cell_x(room.col) + half, view.cell_y(room.row) + half));
    QCOMPARE(window->type_text(), QStringLiteral("Zone"));
    QCOMPARE(window->number_text(), QStringLiteral("1"));
    QCOMPARE(window->name_text(), QStringLiteral("room"));

    // The same step from the command-line tool: path 1 brings air in from
    // outdoors, path 2 takes it out; the room's tracer concentration.
    const QStringList lines = run_cli({QStringLiteral("results"), QString::fromStdString(s.project), QStringLiteral("--day"),
                                       QStringLiteral("Jan01"), QStringLiteral("--time"), QStringLiteral("08:00:00"),
                                       QStringLiteral("--tsv")});
    QVERIFY(!lines.isEmpty());
    QCOMPARE(lines[0], QStringLiteral("# Jan01 08:00:00"));
    double in = std::nan(""), out = std::nan(""), tracer = std::nan("");
    for (const QString& line : lines) {
        const QStringList f = line.split(QLatin1Char('\t'));
        if (f.size() == 4 && f[0] == QStringLiteral("1")) in = f[2].toDouble() + std::max(0.0, f[3].toDouble());
        if (f.size() == 4 && f[0] == QStringLiteral("2")) out = f[2].toDouble();
        if (f.size() == 5 && f[0] == QStringLiteral("1")) tracer = f[4].toDouble();
    }
    QVERIFY(in > 0 && out > 0 && tracer > 0);
    double from = 0, to = 0, conc = 0;
    for (const QString& line : window->flow_text().split(QLatin1Char('\n'))) {
        const QStringList f = line.simplified().split(QLatin1Char(' '));
        if (f.size() == 3 && f[2] == QStringLiteral("Ambient")) from = f[0].toDouble(), to = f[1].toDouble();
    }
    const QStringList c = window->results_text().simplified().split(QLatin1Char(' '));
    QVERIFY2(c.size() >= 3 && c[0] == QStringLiteral("tracer"), qPrintable(window->results_text()));
    conc = c[1].toDouble();
    QVERIFY2(std::fabs(from - in) <= 1e-5 * in, qPrintable(window->flow_text()));
    QVERIFY2(std::fabs(to - out) <= 1e-5 * out, qPrintable(window->flow_text()));
    QVERIFY2(std::fabs(conc - tracer) <= 1e-5 * tracer, qPrintable(window->results_text()));
    QVERIFY(window->flow_text().startsWith(QStringLiteral("From adjacent zone")));

    // The window follows the time step, and goes with results mode.
    const QString at_eight = window->results_text();
    s.main->run_command(ui::cmd::LastTimeStep);
    QVERIFY(window->results_text() != at_eight);
    s.main->run_command(ui::cmd::NormalMode);
    QTRY_VERIFY(!s.main->results_window());
    QTRY_VERIFY(!s.main->command_action(ui::cmd::ResultsDisplayWindow)->isChecked());
    QVERIFY(!s.main->command_action(ui::cmd::ResultsDisplayWindow)->isEnabled());
}

void ResultsModeViewTest::export_data_writes_what_avelor_export_writes()
{
    Simulated s;
    QVERIFY(s.ok);
    const QString mine = s.dir.path() + QStringLiteral("/dialog.txt");
    const QString theirs = s.dir.path() + QStringLiteral("/cli.txt");
    s.port.files.push_back(mine.toStdString());
    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<ui::ExportDataDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        shown = true;
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Export Data"));
        QVERIFY(dialog->output_button(ExportKind::PathReport)->isChecked());
        // A "to" before the "from": the warning, and no file is asked for.
        dialog->output_button(ExportKind::PathFlow)->click();
        dialog->from_day()->setText(QStringLiteral("Jan02"));
        dialog->to_day()->setText(QStringLiteral("Jan01"));
        QVERIFY(!dialog->save_as());
        QCOMPARE(QString::fromStdString(s.port.boxes.back().text).trimmed(), QStringLiteral("The to date is after the from date."));
        QCOMPARE(s.port.files.size(), std::size_t{1});
        dialog->from_day()->setText(QStringLiteral("Jan01"));
        dialog->from_time()->setText(QStringLiteral("12:00:00"));
        dialog->to_day()->setText(QStringLiteral("Jan02"));
        dialog->to_time()->setText(QStringLiteral("06:00:00"));
        dialog->path_field()->setValue(2);
        QTest::mouseClick(dialog->save_button(), Qt::LeftButton);
        QVERIFY(dialog->isVisible());  // the dialog stays open
        dialog->accept();
    });
    s.main->run_command(ui::cmd::ExportResults);
    QVERIFY(shown);
    QVERIFY(QFile::exists(mine));
    QVERIFY(!run_cli({QStringLiteral("export"), QString::fromStdString(s.project), QStringLiteral("path-flow"),
                      QStringLiteral("--path"), QStringLiteral("2"), QStringLiteral("--from"), QStringLiteral("Jan01"),
                      QStringLiteral("--from-time"), QStringLiteral("12:00:00"), QStringLiteral("--to"),
                      QStringLiteral("Jan02"), QStringLiteral("--to-time"), QStringLiteral("06:00:00"),
                      QStringLiteral("-o"), theirs})
                 .isEmpty());
    QFile a(mine), b(theirs);
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    const QByteArray dialog_text = a.readAll();
    QCOMPARE(dialog_text, b.readAll());
    // 12:00 to 24:00 and 01:00 to 06:00: 19 steps after the three heading lines.
    QCOMPARE(dialog_text.count('\n'), 3 + 19);
    // The step shown before the export is shown again.
    QCOMPARE(s.day_and_time(), QStringLiteral("Jan01/06:00:00 "));
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
