#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#include "check/building_check.h"
#include "editing/editor_session.h"
#include "model/project.h"
#include "sketchpad/status_text.h"
#include "sketchpad/renderer.h"
#include "support/scripted_port.h"
#include "ui/command_table.h"
#include "ui/main_window.h"
#include "ui/problems_window.h"
#include "ui/sketchpad_widget.h"

using namespace avelor;

namespace {

const std::string kOffice = std::string(AVELOR_SOURCE_DIR) + "/examples/office.prj";
const QString kUnclaimedL1 = QStringLiteral("Error: At least one zone is not defined on level: L1");
// An empty room drawn on L1 east of the offices: rows 3..7, columns 25..31.
constexpr GridCell kBoxCorner{3, 25};
constexpr GridCell kBoxOpposite{7, 31};
constexpr GridCell kBoxTopWall{3, 28};

// office.prj opened in a shown main window.
struct Office {
    Office()
    {
        // A copy: Run Building Check saves the project.
        const QString copy = dir.filePath(QStringLiteral("office.prj"));
        ok = QFile::copy(QString::fromStdString(kOffice), copy) &&
             open_in_session(session, copy.toStdString()) && port.boxes.empty();
        main = std::make_unique<ui::MainWindow>(session);
        main->show();
        ok = ok && QTest::qWaitForWindowExposed(main.get());
    }
    Level* level(const char* name)
    {
        for (Level& l : session.project().levels)
            if (l.name == name) return &l;
        return nullptr;
    }
    // Draws a box with the box tool on L1: a room no zone claims.
    void draw_empty_room()
    {
        main->run_command(ui::cmd::BottomLevel);
        main->run_command(ui::cmd::DrawBoxes);
        session.grid.cursor = kBoxCorner;
        edit(EditAction::LeftClick);
        edit(EditAction::PointerAt, kBoxOpposite);
        edit(EditAction::LeftClick);
        main->run_command(ui::cmd::DrawBoxes);
    }
    // Deletes the box's top wall run: the room opens to the outdoors.
    void open_the_room()
    {
        main->run_command(ui::cmd::BottomLevel);
        session.grid.cursor = kBoxTopWall;
        main->update_commands();
        port.answers.push_back(Answer::Yes);
        main->run_command(ui::cmd::Delete);
    }
    void edit(EditAction action, GridCell cell = {})
    {
        EditCommand command;
        command.action = action;
        command.cell = cell;
        main->sketchpad()->run_edit(command);
    }
    bool shown(const char* text) const
    {
        return std::any_of(port.boxes.begin(), port.boxes.end(), [&](const testing::ShownBox& b) {
            return QString::fromStdString(b.text).trimmed() == QLatin1String(text);
        });
    }
    QTemporaryDir dir;
    testing::ScriptedPort port;
    EditorSession session;
    std::unique_ptr<ui::MainWindow> main;
    bool ok = false;
};

int highlighted_cells(const SketchGrid& grid)
{
    const std::uint8_t* colours = grid.Scolors.data();
    return static_cast<int>(std::count(colours, colours + grid.cells(), grid.colours.highlight));
}

QStringList row_texts(const QTreeWidget& list)
{
    QStringList rows;
    for (int i = 0; i < list.topLevelItemCount(); ++i) rows << list.topLevelItem(i)->text(0);
    return rows;
}

void click_row(QTreeWidget& list, int row)
{
    const QRect rect = list.visualItemRect(list.topLevelItem(row));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, rect.center());
}

}  // namespace

class ProblemsWindowTest : public QObject {
    Q_OBJECT
private slots:
    void commands_sit_in_their_menus();
    void unclaimed_room_listed_shown_fixed_and_closed();
    void clean_checks_open_no_window();
    void run_simulation_closes_and_asks_for_the_run();
};

void ProblemsWindowTest::commands_sit_in_their_menus()
{
    Office o;
    QVERIFY(o.ok);
    const struct {
        int command;
        const char* menu;
        const char* caption;
    } cases[] = {
        {ui::cmd::CheckCurrentLevel, "LevelMenu", "Check C&urrent Level"},
        {ui::cmd::RunBuildingCheck, "SimulationMenu", "Run Building C&heck"},
    };
    for (const auto& c : cases) {
        QAction* action = o.main->command_action(c.command);
        QVERIFY(action);
        QCOMPARE(action->text(), QString::fromLatin1(c.caption));
        auto* menu = o.main->menuBar()->findChild<QMenu*>(QString::fromLatin1(c.menu));
        QVERIFY(menu);
        QVERIFY2(menu->actions().contains(action), c.menu);
    }
    // The level check follows the "Go to" submenu.
    auto* level = o.main->menuBar()->findChild<QMenu*>(QStringLiteral("LevelMenu"));
    const QList<QAction*> items = level->actions();
    QCOMPARE(items.last(), o.main->command_action(ui::cmd::CheckCurrentLevel));
    QVERIFY(items[items.size() - 3]->menu());
}

void ProblemsWindowTest::unclaimed_room_listed_shown_fixed_and_closed()
{
    Office o;
    QVERIFY(o.ok);
    o.draw_empty_room();
    QVERIFY(o.port.boxes.empty());
    QVERIFY(o.session.grid.current().Walls(kBoxTopWall.row, kBoxTopWall.col) != 0);
    o.main->run_command(ui::cmd::TopLevel);
    QCOMPARE(o.session.project().current_level, o.level("L3"));

    o.main->run_command(ui::cmd::RunBuildingCheck);
    ui::ProblemsWindow* w = o.main->problems_window();
    QVERIFY(w);
    QVERIFY(w->isVisible());
    QVERIFY(!w->isModal());
    QCOMPARE(w->windowTitle(), QStringLiteral("Building Check Problems"));
    QTreeWidget& list = *w->list();
    QCOMPARE(list.columnCount(), 1);
    QCOMPARE(list.headerItem()->text(0), QStringLiteral("Messages"));
    const QStringList rows = row_texts(list);
    QCOMPARE(rows.count(kUnclaimedL1), 1);
    QCOMPARE(rows.size(), static_cast<qsizetype>(o.session.problems.size()));
    QVERIFY(!w->run_simulation_button()->isEnabled());

    // The row takes the SketchPad to L1 and to a cell of the empty room,
    // scrolled into view.
    o.main->resize(320, 260);
    QApplication::processEvents();
    o.session.view.scroll_to(40, 40, o.session.grid);
    QVERIFY(o.session.view.first_row() > kBoxOpposite.row);
    const int row = static_cast<int>(rows.indexOf(kUnclaimedL1));
    click_row(list, row);
    QCOMPARE(o.session.project().current_level, o.level("L1"));
    const GridCell cursor = o.session.grid.cursor;
    QCOMPARE(cursor, (GridCell{o.session.problems.at(static_cast<std::size_t>(row)).row,
                               o.session.problems.at(static_cast<std::size_t>(row)).col}));
    QVERIFY(cursor.row > kBoxCorner.row && cursor.row < kBoxOpposite.row);
    QVERIFY(cursor.col > kBoxCorner.col && cursor.col < kBoxOpposite.col);
    QCOMPARE(o.session.grid.Scolors(cursor.row, cursor.col), o.session.grid.colours.highlight);
    QCOMPARE(o.main->position_text(),
             QString::fromStdString(position_text(o.session.project(), cursor)));
    const SketchView& view = o.session.view;
    QVERIFY(view.cell_x(cursor.col) >= 0 && view.cell_y(cursor.row) >= 0);
    QVERIFY(view.cell_x(cursor.col) < o.main->sketchpad()->viewport()->width());
    QVERIFY(view.cell_y(cursor.row) < o.main->sketchpad()->viewport()->height());
    // The cell is framed in the error colour on the drawing.
    const QImage shown = o.main->sketchpad()->viewport()->grab().toImage();
    const Rgb error = sketch_colour(view.palette.errors, Rgb{});
    QCOMPARE(QColor(shown.pixel(view.cell_x(cursor.col), view.cell_y(cursor.row) + view.cell_size() / 2)),
             QColor(error.r, error.g, error.b));

    // Open the room and check again from the window.
    o.open_the_room();
    QCOMPARE(o.session.grid.current().Walls(kBoxTopWall.row, kBoxTopWall.col), std::uint8_t{0});
    w->rerun_button()->click();
    QCOMPARE(list.topLevelItemCount(), 0);
    QVERIFY(w->run_simulation_button()->isEnabled());

    // A highlight left by a row goes with the window.
    o.session.problems.add(o.level("L2"), 3, 3, "listed");
    w->refresh();
    click_row(list, 0);
    QCOMPARE(o.session.project().current_level, o.level("L2"));
    QCOMPARE(highlighted_cells(o.session.grid), 1);
    QVERIFY(render_settings(o.session.view, o.session.project(), o.session.grid).show_problem);
    w->close_button()->click();
    QVERIFY(!w->isVisible());
    QCOMPARE(highlighted_cells(o.session.grid), 0);
    QVERIFY(!render_settings(o.session.view, o.session.project(), o.session.grid).show_problem);
}

void ProblemsWindowTest::clean_checks_open_no_window()
{
    Office o;
    QVERIFY(o.ok);
    o.main->run_command(ui::cmd::RunBuildingCheck);
    QVERIFY(o.session.problems.empty());
    QVERIFY(!o.main->problems_window());
    QVERIFY(o.shown("Building data is complete"));
    o.main->run_command(ui::cmd::CheckCurrentLevel);
    QVERIFY(!o.main->problems_window());
    QVERIFY(o.shown("Level data is complete"));
}

void ProblemsWindowTest::run_simulation_closes_and_asks_for_the_run()
{
    Office o;
    QVERIFY(o.ok);
    o.draw_empty_room();
    o.main->run_command(ui::cmd::CheckCurrentLevel);
    ui::ProblemsWindow* w = o.main->problems_window();
    QVERIFY(w && w->isVisible());
    QVERIFY(row_texts(*w->list()).contains(kUnclaimedL1));
    QVERIFY(!o.shown("Level data is complete"));

    o.open_the_room();
    w->rerun_button()->click();
    QSignalSpy run(w, &ui::ProblemsWindow::runSimulationWanted);
    w->run_simulation_button()->click();
    QCOMPARE(run.count(), 1);
    QVERIFY(!w->isVisible());
}

QTEST_MAIN(ProblemsWindowTest)
#include "problems_window_test.moc"

