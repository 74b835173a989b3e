// A zone and a flow path defined on the SketchPad by a double click, with
// values typed in other units than the stored ones, saved by the window,
// written again by the command-line tool and read back.
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <filesystem>

#include "editing/editor_session.h"
#include "model/cell_codes.h"
#include "model/project.h"
#include "model/units.h"
#include "prjfile/project_file.h"
#include "support/scripted_port.h"
#include "ui/command_table.h"
#include "ui/main_window.h"
#include "ui/sheet_dialogs.h"
#include "ui/sketchpad_widget.h"

using namespace avelor;

namespace {

QPoint cell_centre(const ui::SketchPadWidget& pad, int row, int col)
{
    const SketchView& view = pad.session().view;
    const int s = view.cell_size();
    return {view.cell_x(col) + s / 2, view.cell_y(row) + s / 2};
}

void type_into(QWidget& dialog, const char* name, const QString& text)
{
    auto* edit = dialog.findChild<QLineEdit*>(QString::fromLatin1(name));
    QVERIFY2(edit, name);
    edit->setFocus(Qt::TabFocusReason);
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Tab);
}

void choose(QWidget& dialog, const char* name, const QString& text)
{
    auto* combo = dialog.findChild<QComboBox*>(QString::fromLatin1(name));
    QVERIFY2(combo, name);
    const int index = combo->findText(text);
    QVERIFY2(index >= 0, qPrintable(text));
    combo->setCurrentIndex(index);
}

void press_ok(QWidget& dialog)
{
    auto* box = dialog.findChild<QDialogButtonBox*>();
    QVERIFY(box);
    QTest::mouseClick(box->button(QDialogButtonBox::Ok), Qt::LeftButton);
}

// Runs fill on the modal dialog of type T once it is up.
template <class T>
void when_shown(std::function<void(T&)> fill, bool& ran)
{
    QTimer::singleShot(0, [fill = std::move(fill), &ran] {
        QWidget* modal = QApplication::activeModalWidget();
        auto* dialog = qobject_cast<T*>(modal);
        if (!dialog) {
            qWarning("expected dialog not shown: %s", modal ? modal->metaObject()->className() : "none");
            return;
        }
        ran = true;
        fill(*dialog);
    });
}

}  // namespace

class DefineAndSaveTest : public QObject {
    Q_OBJECT
private slots:
    void zone_and_path_defined_by_double_click_survive_a_save();
};

void DefineAndSaveTest::zone_and_path_defined_by_double_click_survive_a_save()
{
    testing::ScriptedPort port;
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::string path = dir.filePath("rooms.prj").toStdString();
    std::filesystem::copy_file(AVELOR_SOURCE_DIR "/examples/two_rooms.prj", path);

    EditorSession session;
    QVERIFY(open_in_session(session, path));
    ui::MainWindow window(session);
    window.project_replaced();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    ui::SketchPadWidget& pad = *window.sketchpad();
    QWidget* viewport = pad.viewport();
    const LevelCells& cells = session.grid.current();

    // Take the corridor's zone icon away, and the path on room 1's south wall.
    for (const GridCell at : {GridCell{17, 29}, GridCell{23, 18}}) {
        QTest::mouseClick(viewport, Qt::LeftButton, {}, cell_centre(pad, at.row, at.col));
        QCOMPARE(session.grid.cursor, at);
        port.answers.push_back(Answer::Yes);
        QVERIFY(window.command_action(ui::cmd::Delete)->isEnabled());
        window.run_command(ui::cmd::Delete);
        QVERIFY2(port.boxes.empty(), port.boxes.empty() ? "" : port.boxes.back().text.c_str());
        QCOMPARE(cells.Sketch(at.row, at.col), std::uint8_t{0});
    }

    // A double click in the empty room opens a new zone's sheet.
    bool zone_sheet_ran = false;
    when_shown<ui::ZoneSheetDialog>(
        [](ui::ZoneSheetDialog& d) {
            type_into(d, "name", "lab");
            choose(d, "volume_unit", QString::fromUtf8("ft\u00b3"));
            type_into(d, "volume", "1500");
            choose(d, "temperature_unit", QString::fromUtf8("\u00b0F"));
            type_into(d, "temperature", "77");
            press_ok(d);
        },
        zone_sheet_ran);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, cell_centre(pad, 17, 29));
    QVERIFY(zone_sheet_ran);
    QCOMPARE(cells.Sketch(17, 29), std::uint8_t{ICN_ZONE});
    QVERIFY(cells.Paths(17, 29) > 0);

    // A path icon by its key on the wall, then its sheet by a double click.
    QTest::mouseClick(viewport, Qt::LeftButton, {}, cell_centre(pad, 23, 18));
    // The sheet that just closed had the focus.
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_F);
    QCOMPARE(cells.Sketch(23, 18), std::uint8_t{ICN_PATH});
    QCOMPARE(cells.Paths(23, 18), 0);
    bool path_sheet_ran = false;
    when_shown<ui::PathSheetDialog>(
        [](ui::PathSheetDialog& d) {
            choose(d, "element", "window");
            choose(d, "length_unit", "ft");
            type_into(d, "relative_elevation", "5");
            type_into(d, "multiplier", "2");
            press_ok(d);
        },
        path_sheet_ran);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, cell_centre(pad, 23, 18));
    QVERIFY2(port.boxes.empty(), port.boxes.empty() ? "" : port.boxes.back().text.c_str());
    QVERIFY(path_sheet_ran);
    QVERIFY(cells.Paths(23, 18) > 0);
    QVERIFY(session.project().changed());

    // The window saves in place; the command-line tool writes it again.
    window.run_command(ui::cmd::SaveProject);
    QVERIFY2(port.boxes.empty(), port.boxes.empty() ? "" : port.boxes.front().text.c_str());
    QVERIFY(!session.project().changed());
    const QString out = dir.filePath("again.prj");
    QProcess cli;
    cli.start(QStringLiteral(AVELOR_CLI_PATH), {"save", QString::fromStdString(path), "-o", out});
    QVERIFY(cli.waitForFinished(60000));
    QCOMPARE(cli.exitCode(), 0);

    Project read;
    QCOMPARE(read_project(out.toStdString(), read, ReadOptions{}), 0);
    const Zone* lab = nullptr;
    for (const Zone& z : read.zones)
        if (z.name == "lab") lab = &z;
    QVERIFY(lab);
    // The values come back in base units, and the units the user chose
    // show them as typed.
    QVERIFY(lab->u[0] != 0 && lab->u[1] != 0);
    QVERIFY(std::abs(convert_units(lab->Vol, true, UnitKind::Volume, lab->u[0]) - 1500.0f) < 1e-2f);
    QVERIFY(std::abs(lab->Vol - 42.4753f) < 1e-3f);
    QVERIFY(std::abs(convert_units(lab->T0, true, UnitKind::Temperature, lab->u[1]) - 77.0f) < 1e-3f);
    QVERIFY(std::abs(lab->T0 - 298.15f) < 1e-3f);
    const FlowPath* window_path = nullptr;
    for (const FlowPath& p : read.paths)
        if (p.element && p.element->name == "window" && p.mult == 2.0f) window_path = &p;
    QVERIFY(window_path);
    QVERIFY(std::abs(window_path->relHt - 1.524f) < 1e-5f);
    QVERIFY(std::abs(convert_units(window_path->relHt, true, UnitKind::Length, window_path->u[0]) - 5.0f) < 1e-4f);
}

QTEST_MAIN(DefineAndSaveTest)
#include "define_and_save_test.moc"
