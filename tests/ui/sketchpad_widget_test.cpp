#include <QScrollBar>
#include <QWheelEvent>
#include <QtTest>

#include "editing/editor_session.h"
#include "model/project.h"
#include "sketchpad/renderer.h"
#include "sketchpad/status_text.h"
#include "support/scripted_port.h"
#include "ui/command_table.h"
#include "ui/floating_status.h"
#include "ui/main_window.h"
#include "ui/navigator_window.h"
#include "ui/sketchpad_widget.h"
#include "ui/text_1252.h"

using namespace avelor;

namespace {

const std::string kOffice = std::string(AVELOR_SOURCE_DIR) + "/examples/office.prj";

// office.prj in a shown, active main window smaller than its drawing, so
// that the SketchPad scrolls, with the keyboard focus on the SketchPad.
struct OfficeWindow {
    OfficeWindow()
    {
        ok = open_in_session(session, kOffice) && port.boxes.empty();
        window.project_replaced();
        window.resize(360, 320);
        window.show();
        window.activateWindow();
        pad->setFocus();
    }
    bool ready() { return ok && QTest::qWaitForWindowActive(&window) && pad->hasFocus(); }

    testing::ScriptedPort port;
    EditorSession session;
    ui::MainWindow window{session};
    ui::SketchPadWidget* pad = window.sketchpad();
    bool ok = false;
};

}  // namespace

class SketchPadWidgetTest : public QObject {
    Q_OBJECT
private slots:
    void keys_move_the_cursor_and_the_status_follows();
    void picture_is_the_renderers_picture_data();
    void picture_is_the_renderers_picture();
    void click_places_the_cursor();
    void wheel_and_scroll_bars_scroll();
    void tool_windows_follow_the_cursor();
};

void SketchPadWidgetTest::keys_move_the_cursor_and_the_status_follows()
{
    OfficeWindow w;
    QVERIFY(w.ready());
    const SketchGrid& grid = w.session.grid;
    QCOMPARE(grid.cursor, (GridCell{1, 1}));
    QCOMPARE(w.window.position_text(), QStringLiteral("Col 1, Row 1"));

    // Zone 1 of the lowest level sits at column 4, row 4.
    for (int i = 0; i < 3; ++i) QTest::keyClick(w.pad, Qt::Key_Right);
    for (int i = 0; i < 3; ++i) QTest::keyClick(w.pad, Qt::Key_Down);
    QCOMPARE(grid.cursor, (GridCell{4, 4}));
    QCOMPARE(w.window.position_text(), QStringLiteral("Col 4, Row 4"));
    QVERIFY(w.window.status_text().startsWith(QStringLiteral(" Zone(1): L1_lobby / L1")));
    QCOMPARE(w.window.status_text(), ui::from_1252(item_text(w.session.project(), grid, grid.cursor)));

    // Shift jumps by the cell jump, Ctrl goes to the next item.
    QTest::keyClick(w.pad, Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(grid.cursor, (GridCell{4, 14}));
    QCOMPARE(w.window.position_text(), QStringLiteral("Col 14, Row 4"));
    QTest::keyClick(w.pad, Qt::Key_Left, Qt::ControlModifier);  // over the plain wall at column 13
    QCOMPARE(grid.cursor, (GridCell{4, 10}));
    QVERIFY(w.window.status_text().startsWith(QStringLiteral(" Zone(2): L1_reception / L1")));

    // Far moves scroll the view so that the cursor stays in sight.
    for (int i = 0; i < 6; ++i) QTest::keyClick(w.pad, Qt::Key_Down, Qt::ShiftModifier);
    const SketchView& view = w.session.view;
    QCOMPARE(grid.cursor.row, grid.rows() - 2);
    QVERIFY(view.first_row() > 0);
    QVERIFY(grid.cursor.row < view.first_row() + view.visible_rows());
    QCOMPARE(w.pad->verticalScrollBar()->value(), view.first_row());
    QCOMPARE(w.pad->verticalScrollBar()->maximum(), view.vertical_range(grid));
}

void SketchPadWidgetTest::picture_is_the_renderers_picture_data()
{
    QTest::addColumn<int>("cell_size");
    QTest::addColumn<int>("first_row");
    QTest::addColumn<int>("first_col");
    QTest::addColumn<bool>("reveal_below");
    QTest::newRow("size 8 at the corner") << 8 << 0 << 0 << false;
    QTest::newRow("size 16 scrolled") << 16 << 3 << 5 << false;
    QTest::newRow("size 8 scrolled, level below revealed") << 8 << 4 << 6 << true;
    QTest::newRow("size 1, level below revealed") << 1 << 0 << 0 << true;
}

void SketchPadWidgetTest::picture_is_the_renderers_picture()
{
    QFETCH(int, cell_size);
    QFETCH(int, first_row);
    QFETCH(int, first_col);
    QFETCH(bool, reveal_below);
    OfficeWindow w;
    QVERIFY(w.ready());
    EditorSession& s = w.session;
    QVERIFY(s.view.set_cell_size(cell_size, s.grid));
    s.view.flags.reveal_below = reveal_below;
    w.window.run_command(408);  // up to L2, which has a level below
    s.grid.cursor = {first_row + 2, first_col + 3};
    w.pad->refresh();
    s.view.scroll_to(first_row, first_col, s.grid);
    w.pad->refresh();
    QCOMPARE(s.view.first_row(), first_row);
    QCOMPARE(s.view.first_col(), first_col);

    const QImage shot = w.pad->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect area = w.pad->viewport()->geometry();
    PixelImage expected;
    QVERIFY(expected.resize(s.view.visible_cols() * cell_size, s.view.visible_rows() * cell_size));
    RenderSettings settings = render_settings(s.view, s.project(), s.grid);
    settings.show_cursor = true;
    render_cells(s.grid, &s.project(), settings, first_row, first_col, expected);
    QVERIFY(area.width() >= expected.width && area.height() >= expected.height);
    int differ = 0;
    for (int y = 0; y < expected.height; ++y)
        for (int x = 0; x < expected.width; ++x)
            if (shot.pixel(area.x() + x, area.y() + y) != expected.at(x, y)) ++differ;
    QCOMPARE(differ, 0);
    // The caret is there: the cursor cell differs from the picture without it.
    settings.show_cursor = false;
    PixelImage plain;
    QVERIFY(plain.resize(expected.width, expected.height));
    render_cells(s.grid, &s.project(), settings, first_row, first_col, plain);
    QVERIFY(plain.pixels != expected.pixels);
}

void SketchPadWidgetTest::click_places_the_cursor()
{
    OfficeWindow w;
    QVERIFY(w.ready());
    const int s = w.session.view.cell_size();
    QTest::mouseClick(w.pad->viewport(), Qt::LeftButton, {}, QPoint(10 * s + s / 2, 4 * s + 1));
    QCOMPARE(w.session.grid.cursor, (GridCell{4, 10}));
    QVERIFY(w.window.status_text().startsWith(QStringLiteral(" Zone(2): L1_reception / L1")));
    // The border cannot hold the cursor.
    QTest::mouseClick(w.pad->viewport(), Qt::LeftButton, {}, QPoint(1, 1));
    QCOMPARE(w.session.grid.cursor, (GridCell{1, 1}));
}

void SketchPadWidgetTest::wheel_and_scroll_bars_scroll()
{
    OfficeWindow w;
    QVERIFY(w.ready());
    const SketchView& view = w.session.view;
    QVERIFY(view.vertical_range(w.session.grid) > 6);
    QVERIFY(view.horizontal_range(w.session.grid) > 6);
    auto wheel = [&](QPoint delta, Qt::KeyboardModifiers mods) {
        const QPointF at(20, 20);
        QWheelEvent event(at, w.pad->viewport()->mapToGlobal(at), QPoint(), delta, Qt::NoButton, mods,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(w.pad->viewport(), &event);
    };
    wheel(QPoint(0, -120), Qt::NoModifier);
    QCOMPARE(view.first_row(), 3);
    wheel(QPoint(0, -240), Qt::ShiftModifier);
    QCOMPARE(view.first_col(), 6);
    QCOMPARE(w.pad->horizontalScrollBar()->value(), 6);
    QCOMPARE(w.session.grid.cursor, (GridCell{1, 1}));  // the wheel moves the view only

    w.pad->verticalScrollBar()->setValue(5);
    QCOMPARE(view.first_row(), 5);
    w.pad->horizontalScrollBar()->setValue(w.pad->horizontalScrollBar()->maximum());
    QCOMPARE(view.first_col(), view.horizontal_range(w.session.grid));
}

void SketchPadWidgetTest::tool_windows_follow_the_cursor()
{
    OfficeWindow w;
    QVERIFY(w.ready());
    w.session.grid.cursor = {4, 4};
    w.pad->refresh();
    auto* box = w.window.findChild<ui::FloatingStatusBox*>();
    QVERIFY(box != nullptr && box->isVisible());
    QStringList lines;
    for (const std::string& line : floating_status_lines(item_text(w.session.project(), w.session.grid, {4, 4})))
        lines << ui::from_1252(line);
    QCOMPARE(box->lines(), lines);
    QAction* floating = w.window.command_action(ui::cmd::FloatingStatus);
    QVERIFY(floating->isChecked());
    floating->trigger();
    QVERIFY(!floating->isChecked() && !box->isVisible());

    QAction* navigator = w.window.command_action(ui::cmd::SketchNavigator);
    navigator->trigger();
    auto* window = w.window.findChild<ui::NavigatorWindow*>();
    QVERIFY(window != nullptr && window->isVisible());
    QVERIFY(navigator->isChecked());
    const QRect before = window->outline();
    for (int i = 0; i < 6; ++i) QTest::keyClick(w.pad, Qt::Key_Down, Qt::ShiftModifier);
    QVERIFY(window->outline() != before);
    // Closing it from its own frame switches it off.
    window->close();
    QVERIFY(!navigator->isChecked());
    QVERIFY(!w.session.view.flags.navigator);
}

QTEST_MAIN(SketchPadWidgetTest)
#include "sketchpad_widget_test.moc"
