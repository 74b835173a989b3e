#include <QAction>
#include <QLineEdit>
#include <QApplication>
#include <QMenu>
#include <QtTest>

#include "editing/editor_session.h"
#include "editing/sketch_editor.h"
#include "model/project.h"
#include "sketchpad/renderer.h"
#include "support/scripted_port.h"
#include "ui/command_table.h"
#include "ui/edit_dialogs.h"
#include "ui/main_window.h"
#include "ui/sketchpad_widget.h"

using namespace avelor;

namespace {

// The centre of a cell in the SketchPad's viewport.
QPoint cell_centre(const ui::SketchPadWidget& pad, int row, int col)
{
    const SketchView& view = pad.session().view;
    const int s = view.cell_size();
    return {view.cell_x(col) + s / 2, view.cell_y(row) + s / 2};
}

QRgb pixel_of_cell(ui::SketchPadWidget& pad, int row, int col)
{
    const QImage shot = pad.viewport()->grab().toImage();
    const QPoint at = cell_centre(pad, row, col);
    return shot.pixel(at.x() - 1, at.y() - 1);
}

}  // namespace

class SketchEditingTest : public QObject {
    Q_OBJECT
private slots:
    void box_by_mouse_then_zone_and_path();
    void right_click_and_escape_leave_the_stroke_then_the_tool();
    void context_menu_follows_the_placement_rules();
    void annotation_dialog_keeps_seventy_characters();
};

void SketchEditingTest::box_by_mouse_then_zone_and_path()
{
    testing::ScriptedPort port;
    EditorSession session;
    prepare_sketchpad(session);
    ui::MainWindow window(session);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    ui::SketchPadWidget& pad = *window.sketchpad();
    QWidget* viewport = pad.viewport();

    window.run_command(ui::cmd::DrawBoxes);
    QVERIFY(window.command_action(ui::cmd::DrawBoxes)->isChecked());
    // Press at one corner, drag to the other, click again.
    QTest::mouseClick(viewport, Qt::LeftButton, {}, cell_centre(pad, 5, 5));
    QVERIFY(window.editor().stroke.in_progress);
    QTest::mouseMove(viewport, cell_centre(pad, 15, 21));
    QCOMPARE(session.grid.cursor, (GridCell{15, 21}));
    QTest::mouseClick(viewport, Qt::LeftButton, {}, cell_centre(pad, 15, 21));
    QVERIFY(!window.editor().stroke.in_progress);
    QVERIFY(port.boxes.empty());
    const LevelCells& cells = session.grid.current();
    QCOMPARE(cells.Walls(5, 5), std::uint8_t{14});   // corners
    QCOMPARE(cells.Walls(15, 21), std::uint8_t{16});
    QCOMPARE(cells.Walls(5, 11), std::uint8_t{11});  // a straight run
    QVERIFY(session.project().changed());

    // The tool stays for the next box until it is chosen again.
    QVERIFY(window.command_action(ui::cmd::DrawBoxes)->isChecked());
    window.run_command(ui::cmd::DrawBoxes);
    QCOMPARE(window.editor().tool, DrawingTool::None);

    // A zone icon in the room by its key fills the room.
    const QRgb outdoors = pixel_of_cell(pad, 10, 30);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, cell_centre(pad, 10, 10));
    QTest::keyClick(&window, Qt::Key_Z);
    QCOMPARE(cells.Sketch(10, 10), ICN_ZONE);
    QCOMPARE(cells.Zones(7, 7), ZONE_UNDEFINED);
    QCOMPARE(cells.Zones(14, 20), ZONE_UNDEFINED);
    QCOMPARE(cells.Zones(4, 4), ZONE_AMBIENT);
    // The drawing shows the new wall.
    QVERIFY(pixel_of_cell(pad, 5, 9) != outdoors);

    // A flow path on the room's top wall.
    QTest::mouseClick(viewport, Qt::LeftButton, {}, cell_centre(pad, 5, 11));
    QTest::keyClick(&window, Qt::Key_F);
    QCOMPARE(cells.Sketch(5, 11), ICN_PATH);
    QCOMPARE(cells.Paths(5, 11), 0);  // undefined until its sheet is done
    QVERIFY(port.boxes.empty());
    // The zone icon shows now that the cursor has left it.
    QVERIFY(pixel_of_cell(pad, 10, 10) != outdoors);
}

void SketchEditingTest::right_click_and_escape_leave_the_stroke_then_the_tool()
{
    testing::ScriptedPort port;
    EditorSession session;
    prepare_sketchpad(session);
    ui::MainWindow window(session);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    ui::SketchPadWidget& pad = *window.sketchpad();

    window.run_command(ui::cmd::DrawWalls);
    QTest::mouseClick(pad.viewport(), Qt::LeftButton, {}, cell_centre(pad, 7, 7));
    QVERIFY(window.editor().stroke.in_progress);
    // Arrow keys move a wall stroke two cells at a time.
    QTest::keyClick(&pad, Qt::Key_Right);
    QCOMPARE(session.grid.cursor, (GridCell{7, 9}));
    QTest::mouseClick(pad.viewport(), Qt::RightButton, {}, cell_centre(pad, 7, 9));
    QVERIFY(!window.editor().stroke.in_progress);
    QCOMPARE(window.editor().tool, DrawingTool::Walls);
    QCOMPARE(session.grid.Scolors(7, 8), session.grid.colours.background);
    QTest::keyClick(&pad, Qt::Key_Escape);
    QCOMPARE(window.editor().tool, DrawingTool::None);
    QVERIFY(!window.command_action(ui::cmd::DrawWalls)->isChecked());
    QVERIFY(!session.project().changed());
}

void SketchEditingTest::context_menu_follows_the_placement_rules()
{
    testing::ScriptedPort port;
    EditorSession session;
    prepare_sketchpad(session);
    ui::MainWindow window(session);
    session.grid.cursor = {10, 10};  // outdoors on an empty level
    std::unique_ptr<QMenu> menu = window.make_context_menu();
    auto enabled = [&](int command) {
        QAction* a = menu->findChild<QAction*>(QStringLiteral("Command%1").arg(command));
        return a && a->isEnabled();
    };
    QVERIFY(!enabled(ui::cmd::FirstContextIcon + 0));  // zone: not in an enclosed room
    QVERIFY(enabled(ui::cmd::FirstContextIcon + 2));   // ambient
    QVERIFY(enabled(ui::cmd::FirstContextIcon + 4));   // air handling system
    QVERIFY(!enabled(ui::cmd::FirstContextIcon + 7));  // source/sink: no species
    QVERIFY(!enabled(ui::cmd::ContextPaste));           // nothing to paste
    QVERIFY(!enabled(ui::cmd::ContextCut));
}

void SketchEditingTest::annotation_dialog_keeps_seventy_characters()
{
    AnnotationForm form;
    form.text = "old";
    ui::AnnotationDialog dialog(form);
    auto* field = dialog.findChild<QLineEdit*>(QStringLiteral("AnnotationText"));
    QVERIFY(field != nullptr);
    QCOMPARE(field->text(), QStringLiteral("old"));
    field->clear();
    QTest::keyClicks(field, QString(80, QLatin1Char('x')));
    dialog.accept();
    QCOMPARE(form.text, std::string(70, 'x'));
}

QTEST_MAIN(SketchEditingTest)
#include "sketch_editing_test.moc"
