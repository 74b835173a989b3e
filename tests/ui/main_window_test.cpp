#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QLabel>
#include <QLineEdit>
#include <QDialog>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QSet>
#include <QtTest>

#include <fstream>

#include "app/diagnostics.h"
#include "app/startup.h"
#include "editing/editor_session.h"
#include "editing/sketch_editor.h"
#include "forms/control_node_forms.h"
#include "model/project.h"
#include "prjfile/library_file.h"
#include "sketchpad/renderer.h"
#include "support/scripted_port.h"
#include "ui/command_table.h"
#include "ui/main_window.h"
#include "ui/qt_port.h"
#include "ui/sketchpad_widget.h"
#include "ui/text_1252.h"

using namespace avelor;

namespace {

const std::string kOffice = std::string(AVELOR_SOURCE_DIR) + "/examples/office.prj";

// A session on an untitled project, ready for a window.
struct FreshSession {
    FreshSession() { prepare_sketchpad(session); }
    EditorSession session;
};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void starts_untitled_with_sketchpad_size();
    void menus_keep_their_titles();
    void toolbar_tooltips();
    void exit_closes_the_window();
    void open_from_menu_sets_title_and_fits_window();
    void level_commands_follow_the_level();
    void new_project_replaces_the_open_one();
    void cell_size_commands_stop_at_the_ends();
    void view_toggles_and_their_enabling();
    void close_cancelled_keeps_window();
    void file_filter_matches_either_case();
    void error_box_has_caption_icon_and_stays_on_screen();
    void question_escape_is_cancel();
    void super_elements_window_takes_an_element_from_a_library();
    void wind_pressure_mode_draws_the_test_wind_and_steps_through_a_weather_file();
    void text_1252_round_trip();
    void desktop_keys_join_the_table_keys_and_the_title_marks_changes();
};

void MainWindowTest::starts_untitled_with_sketchpad_size()
{
    FreshSession fresh;
    ui::MainWindow window(fresh.session);
    QCOMPARE(window.windowTitle(), QStringLiteral("AVELORW3 - (untitled)"));
    QCOMPARE(window.size(), QSize(66 * 8 + 25, 58 * 8 + 100));
    QVERIFY(window.findChild<QWidget*>(QStringLiteral("SketchPadWindow")) == window.sketchpad());
    QCOMPARE(window.position_text(), QStringLiteral("Col 1, Row 1"));
}

void MainWindowTest::menus_keep_their_titles()
{
    FreshSession fresh;
    ui::MainWindow window(fresh.session);
    QStringList titles;
    for (QAction* a : window.menuBar()->actions()) titles << a->text();
    // Level, Data and Weather leave Alt+L, Alt+D and Alt+W to the table's
    // accelerators; View and Tools give up their letters to them in turn.
    QCOMPARE(titles, (QStringList{"&File", "&Edit", "V&iew", "Le&vel", "T&ools", "D&ata", "Wea&ther", "&Simulation",
                                  "&Help"}));
    struct Case {
        int command;
        const char* caption;
        const char* keys;
    };
    const Case cases[] = {
        {101, "&Open Project...", "Ctrl+O"},   {252, "L&arger Icons", "Ctrl+PgUp"},
        {253, "S&maller Icons", "Ctrl+PgDown"}, {400, "Reveal Level &Below", "Ctrl+Shift+B"},
        {408, "Level &Above", "PgUp"},          {409, "Level Belo&w", "PgDown"},
        {4071, "Control &Links", "Alt+L"},      {285, "Floa&ting Status", "Ctrl+T"},
        {4088, "Color &Zones", "Ctrl+Z"},       {294, "Color D&ucts", "Ctrl+U"},
        {4011, "Draw &Walls", "Ctrl+W"},        {4030, "&Delete", "Del"},
        {4040, "&Zone", "Z"},                   {4049, "A&nnotation", "N"},
    };
    for (const Case& c : cases) {
        QAction* action = window.command_action(c.command);
        QVERIFY2(action != nullptr, c.caption);
        QCOMPARE(action->text(), QString::fromLatin1(c.caption));
        QCOMPARE(action->shortcut(), QKeySequence(QString::fromLatin1(c.keys)));
    }
    auto* go_to = qobject_cast<QMenu*>(window.command_action(408)->parent());
    QVERIFY(go_to != nullptr);
    QCOMPARE(go_to->title(), QStringLiteral("&Go to"));
}

void MainWindowTest::toolbar_tooltips()
{
    FreshSession fresh;
    ui::MainWindow window(fresh.session);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* bar = window.findChild<QToolBar*>(QStringLiteral("Toolbar"));
    QVERIFY(bar != nullptr);
    const std::pair<int, const char*> cases[] = {
        {101, "Open Project"},
        {102, "Save Project"},
        {408, "Move up one level"},
        {409, "Move down one level"},
        {252, "Zoom SketchPad - Increase cell size"},
        {253, "Zoom SketchPad - Reduce cell size"},
        {201, "Cut"},
        {4011, "Draw Walls"},
        {4097, "Box Delete"},
        {4099, "Area Delete"},
    };
    for (const auto& [command, tooltip] : cases) {
        auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(window.command_action(command)));
        QVERIFY2(button != nullptr, tooltip);
        QCOMPARE(button->toolTip(), QString::fromLatin1(tooltip));
    }
}

void MainWindowTest::exit_closes_the_window()
{
    FreshSession fresh;
    ui::MainWindow window(fresh.session);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* file = window.menuBar()->findChild<QMenu*>(QStringLiteral("FileMenu"));
    QVERIFY(file != nullptr);
    QVERIFY(file->actions().contains(window.exit_action()));
    window.exit_action()->trigger();
    QVERIFY(!window.isVisible());
}

void MainWindowTest::open_from_menu_sets_title_and_fits_window()
{
    FreshSession fresh;
    ui::MainWindow window(fresh.session);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    testing::ScriptedPort port;
    port.files.push_back(kOffice);
    window.command_action(101)->trigger();
    QCOMPARE(port.file_requests.size(), std::size_t{1});
    QCOMPARE(port.file_requests[0].filter, std::string("Project Files (*.PRJ)"));
    QVERIFY(port.boxes.empty());
    QCOMPARE(window.windowTitle(), QStringLiteral("AVELORW3 - office.prj"));
    QCOMPARE(fresh.session.project().current_level->name, std::string("L1"));
    // The whole drawing shows when the screen has room for it.
    const QSize whole = window.sketchpad()->full_size();
    const QSize room = window.screen()->availableGeometry().size();
    if (whole.width() + 100 < room.width() && whole.height() + 200 < room.height())
        QCOMPARE(window.sketchpad()->viewport()->size(), whole);
    else
        QVERIFY(window.frameGeometry().width() <= room.width());
}

void MainWindowTest::level_commands_follow_the_level()
{
    EditorSession session;
    testing::ScriptedPort port;
    QVERIFY(open_in_session(session, kOffice));
    ui::MainWindow window(session);
    window.project_replaced();
    QAction* up = window.command_action(ui::cmd::LevelAbove);
    QAction* down = window.command_action(ui::cmd::LevelBelow);
    QAction* top = window.command_action(ui::cmd::TopLevel);
    QAction* bottom = window.command_action(ui::cmd::BottomLevel);
    struct Step {
        QAction* action;
        const char* level;
        bool up_enabled;
        bool down_enabled;
    };
    const Step steps[] = {
        {nullptr, "L1", true, false}, {up, "L2", true, true},  {up, "L3", false, true},
        {down, "L2", true, true},      {bottom, "L1", true, false}, {top, "L3", false, true},
    };
    for (const Step& step : steps) {
        if (step.action) step.action->trigger();
        QCOMPARE(session.project().current_level->name, std::string(step.level));
        QCOMPARE(up->isEnabled(), step.up_enabled);
        QCOMPARE(top->isEnabled(), step.up_enabled);
        QCOMPARE(down->isEnabled(), step.down_enabled);
        QCOMPARE(bottom->isEnabled(), step.down_enabled);
    }
    // A disabled command does nothing, from the menu or through the table.
    window.run_command(ui::cmd::LevelAbove);
    QCOMPARE(session.project().current_level->name, std::string("L3"));
    QVERIFY(port.boxes.empty());
}

void MainWindowTest::new_project_replaces_the_open_one()
{
    EditorSession session;
    testing::ScriptedPort port;
    QVERIFY(open_in_session(session, kOffice));
    ui::MainWindow window(session);
    window.project_replaced();
    session.grid.cursor = {4, 4};
    window.sketchpad()->refresh();
    QVERIFY(!window.status_text().isEmpty());

    // New asks for the new project's description at once.
    bool described = false;
    QTimer::singleShot(0, [&described] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        auto* text = dialog->findChild<QLineEdit*>(QStringLiteral("description"));
        if (!text) return;
        text->setText(QStringLiteral("Ventilation study\nof the lab"));
        described = true;
        dialog->accept();
    });
    window.command_action(ui::cmd::NewProject)->trigger();
    QVERIFY(described);
    QCOMPARE(session.project().description, std::string("Ventilation study of the lab"));
    QVERIFY(session.project().changed());
    QVERIFY(port.questions.empty());
    // Described, the new project has changes to save.
    QCOMPARE(window.windowTitle(), QStringLiteral("AVELORW3 - (untitled)*"));
    QCOMPARE(session.project().levels.count(), 1);
    QCOMPARE(session.grid.cursor, (GridCell{1, 1}));
    QVERIFY(window.status_text().isEmpty());
    QVERIFY(!window.command_action(ui::cmd::LevelAbove)->isEnabled());
    QVERIFY(!window.command_action(ui::cmd::LevelBelow)->isEnabled());
}

void MainWindowTest::cell_size_commands_stop_at_the_ends()
{
    FreshSession fresh;
    ui::MainWindow window(fresh.session);
    QAction* larger = window.command_action(ui::cmd::LargerIcons);
    QAction* smaller = window.command_action(ui::cmd::SmallerIcons);
    const SketchView& view = fresh.session.view;
    QCOMPARE(view.cell_size(), 8);
    larger->trigger();
    QCOMPARE(view.cell_size(), 16);
    QVERIFY(!larger->isEnabled());
    QVERIFY(smaller->isEnabled());
    window.run_command(ui::cmd::LargerIcons);
    QCOMPARE(view.cell_size(), 16);
    std::vector<int> seen;
    while (smaller->isEnabled()) {
        smaller->trigger();
        seen.push_back(view.cell_size());
    }
    QCOMPARE(seen, (std::vector<int>{8, 5, 4, 3, 2, 1}));
    QVERIFY(larger->isEnabled());
    QCOMPARE(fresh.session.view.visible_cols(), std::min(fresh.session.grid.cols(),
                                                         window.sketchpad()->viewport()->width()));
}

void MainWindowTest::view_toggles_and_their_enabling()
{
    FreshSession fresh;
    ui::MainWindow window(fresh.session);
    const ViewFlags& flags = fresh.session.view.flags;
    QAction* below = window.command_action(ui::cmd::RevealLevelBelow);
    QAction* zones_below = window.command_action(ui::cmd::ColourZonesBelow);
    QVERIFY(!zones_below->isEnabled());
    below->trigger();
    QVERIFY(flags.reveal_below);
    QVERIFY(below->isChecked());
    QVERIFY(zones_below->isEnabled());
    zones_below->trigger();
    QVERIFY(flags.colour_zones_below && zones_below->isChecked());

    window.command_action(ui::cmd::ColourZones)->trigger();
    window.command_action(ui::cmd::HighlightFiltered)->trigger();
    window.command_action(ui::cmd::ControlLinks)->trigger();
    QVERIFY(flags.colour_zones && flags.highlight_filtered && flags.control_links);
    QVERIFY(window.command_action(ui::cmd::ControlLinks)->isChecked());

    // The origin can be set only while the pseudo-geometry is shown.
    QAction* origin = window.command_action(ui::cmd::SetOrigin);
    QVERIFY(!origin->isEnabled());
    fresh.session.project().rc.showGeom = 1;
    window.update_commands();
    QVERIFY(origin->isEnabled());
    fresh.session.grid.cursor = {7, 5};
    origin->trigger();
    QCOMPARE(fresh.session.project().rc.orgRow, std::int16_t{7});
    QCOMPARE(fresh.session.project().rc.orgCol, std::int16_t{5});
}

void MainWindowTest::close_cancelled_keeps_window()
{
    FreshSession fresh;
    ui::MainWindow window(fresh.session);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    testing::ScriptedPort port;
    fresh.session.project().mark_changed();
    port.answers.push_back(Answer::Cancel);
    QVERIFY(!window.close());
    QVERIFY(window.isVisible());
    QCOMPARE(port.questions, (std::vector<std::string>{"Save changes to current project file: (untitled) ?"}));
    port.answers.push_back(Answer::No);
    QVERIFY(window.close());
}

void MainWindowTest::file_filter_matches_either_case()
{
    QCOMPARE(ui::file_dialog_filter("Project Files (*.PRJ)"), QStringLiteral("Project Files (*.PRJ *.prj)"));
    QCOMPARE(ui::file_dialog_filter("Bitmap Files (*.bmp)"), QStringLiteral("Bitmap Files (*.bmp *.BMP)"));
    QCOMPARE(ui::file_dialog_filter("All Files"), QStringLiteral("All Files"));
}

void MainWindowTest::error_box_has_caption_icon_and_stays_on_screen()
{
    FreshSession fresh;
    ui::MainWindow window(fresh.session);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    ui::QtUserPort port;
    port.set_main_window(&window);
    set_user_port(&port);

    QString caption, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QRect geometry;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box != nullptr);
        caption = box->windowTitle();
        text = box->text();
        icon = box->icon();
        geometry = box->frameGeometry();
        box->accept();
    });
    reset_error_count();
    int count = report_error(ERROR, {"Bad integer: ", "12a"});
    set_user_port(nullptr);

    QCOMPARE(count, 1);
    QCOMPARE(caption, QStringLiteral("ERROR"));
    QVERIFY(text.startsWith(QStringLiteral(" Bad integer: 12a\n  (file main_window_tes, line ")));
    QCOMPARE(icon, QMessageBox::Critical);
    const QRect area = window.screen()->availableGeometry();
    QVERIFY(area.contains(geometry.topLeft()));

    // Status texts of long work go to the status bar and are cleared.
    port.show_status("Reading Project");
    QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("Reading Project"));
    port.show_status("");
    QVERIFY(window.statusBar()->currentMessage().isEmpty());
}

void MainWindowTest::question_escape_is_cancel()
{
    ui::QtUserPort port;
    set_user_port(&port);
    QString caption;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box != nullptr);
        caption = box->windowTitle();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    int answer = ask_question_or_cancel("Save changes to current project file: a.prj ?");
    set_user_port(nullptr);
    QCOMPARE(caption, QStringLiteral("Question"));
    QCOMPARE(answer, -1);
}

void MainWindowTest::text_1252_round_trip()
{
    const std::string bytes = "m\xB2 \xB5g \xB0""C \x80 \x9F";
    QString text = ui::from_1252(bytes);
    QCOMPARE(text, QString::fromUtf8("m² µg °C € Ÿ"));
    QCOMPARE(ui::to_1252(text), bytes);
    QCOMPARE(ui::to_1252(QString::fromUtf8("\u4e2d")), std::string("?"));
}

void MainWindowTest::desktop_keys_join_the_table_keys_and_the_title_marks_changes()
{
    // The desktop keys are free in the table, and the table's own keys stay.
    QSet<QString> table_keys;
    for (const CommandEntry& row : command_entries())
        if (!row.keys.empty()) table_keys.insert(ui::table_text(row.keys));
    FreshSession fresh;
    ui::MainWindow window(fresh.session);
    const struct {
        int command;
        const char* key;
    } cases[] = {{ui::cmd::NewProject, "Ctrl+N"}, {ui::cmd::SaveProjectAs, "Ctrl+Shift+S"}, {ui::cmd::Exit, "Ctrl+Q"}};
    for (const auto& c : cases) {
        QVERIFY2(!table_keys.contains(QString::fromLatin1(c.key)), c.key);
        const QList<QKeySequence> keys = window.command_action(c.command)->shortcuts();
        QVERIFY2(keys.contains(QKeySequence(QString::fromLatin1(c.key), QKeySequence::PortableText)), c.key);
    }
    QVERIFY(window.command_action(ui::cmd::SaveProject)->shortcuts().contains(QKeySequence(QStringLiteral("Ctrl+S"))));

    // A change to the project marks the title until it is saved.
    testing::ScriptedPort port;
    QVERIFY(open_in_session(fresh.session, kOffice));
    window.project_replaced();
    QCOMPARE(window.windowTitle(), QStringLiteral("AVELORW3 - office.prj"));
    // A wall stroke of two steps along row 1 of free cells.
    ui::SketchPadWidget* pad = window.sketchpad();
    EditCommand tool;
    tool.action = EditAction::ToggleTool;
    tool.tool = DrawingTool::Walls;
    pad->run_edit(tool);
    fresh.session.grid.cursor = {1, 1};
    EditCommand click;
    click.action = EditAction::LeftClick;
    pad->run_edit(click);
    EditCommand east;
    east.action = EditAction::StepCursor;
    east.direction = 2;
    pad->run_edit(east);
    const EditOutcome outcome = pad->run_edit(click);
    QVERIFY(outcome.modified);
    QCOMPARE(window.windowTitle(), QStringLiteral("AVELORW3 - office.prj*"));
}

// Data > Controls > Super Elements: the window's Library button opens the
// controls library manager; an element copied from a library file is in
// the window's list when the manager closes.
void MainWindowTest::super_elements_window_takes_an_element_from_a_library()
{
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/controls.LB5";
    {
        Library library;
        library.kind = LibraryKind::Controls;
        SuperElement e;
        e.name = "SE_7";
        ControlNode gain = new_control_node(kCtMod, ControlEditMode::SuperElement);
        gain.name = "gain";
        e.nodes.add(gain);
        e.sketch = {{185, 4, 4, 1}};
        library.lists->super_elements.insert_copy(e);
        QVERIFY(write_library(path, library));
    }
    FreshSession fresh;
    ui::MainWindow window(fresh.session);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    testing::ScriptedPort port;
    window.run_command(ui::cmd::SuperElements);
    auto* elements_window = window.findChild<QDialog*>(QStringLiteral("SuperElementsWindow"));
    QVERIFY(elements_window && elements_window->isVisible());
    auto* elements = elements_window->findChild<QListWidget*>(QStringLiteral("Elements"));
    QVERIFY(elements);
    const int before = elements->count();

    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* manager = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!manager) return;
        seen = manager->windowTitle() == QStringLiteral("AVELORW Data and Library Manager: Control Super Elements");
        port.files = {path};
        manager->findChild<QPushButton*>(QStringLiteral("Browse"))->click();
        auto* library_list = manager->findChild<QListWidget*>(QStringLiteral("LibraryList"));
        if (library_list && library_list->count() == 1) library_list->item(0)->setSelected(true);
        manager->findChild<QPushButton*>(QStringLiteral("CopyToProject"))->click();
        manager->reject();
    });
    elements_window->findChild<QPushButton*>(QStringLiteral("Library"))->click();
    QVERIFY(seen);
    QCOMPARE(elements->count(), before + 1);
    QVERIFY(!elements->findItems(QStringLiteral("SE_7"), Qt::MatchExactly).isEmpty());
    const SuperElement* copied = fresh.session.project().super_elements.find_by_name("SE_7");
    QVERIFY(copied);
    QCOMPARE(copied->nodes.count(), 1);
    QCOMPARE(copied->nodes.at(1)->name, std::string("gain"));
}

void MainWindowTest::wind_pressure_mode_draws_the_test_wind_and_steps_through_a_weather_file()
{
    FreshSession fresh;
    testing::ScriptedPort port;
    QVERIFY(open_in_session(fresh.session, std::string(AVELOR_SOURCE_DIR) + "/examples/wind_cross_ventilation.prj"));
    ui::MainWindow window(fresh.session);
    window.project_replaced();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* status = window.findChild<QLabel*>(QStringLiteral("StatusText"));
    QVERIFY(status);
    QVERIFY(!window.command_action(ui::cmd::WindWeatherFile)->isEnabled());  // no weather file named

    window.command_action(ui::cmd::WindPressureMode)->trigger();
    QVERIFY(window.command_action(ui::cmd::WindPressureMode)->isChecked());
    QVERIFY(!window.command_action(ui::cmd::DrawWalls)->isEnabled());
    const ResultsOverlay* overlay = window.sketchpad()->results_overlay();
    QVERIFY(overlay);
    QCOMPARE(overlay->lines, ResultLines::PressureOnly);
    QVERIFY(!overlay->marks.empty());
    QVERIFY2(status->text().startsWith(QStringLiteral("Wind: 1 m/s, 270 deg")), qPrintable(status->text()));
    QVERIFY(!window.command_action(ui::cmd::NextTimeStep)->isEnabled());

    fresh.session.project().rc.weather_file = std::string(AVELOR_SOURCE_DIR) + "/examples/synthetic_year.wth";
    window.update_commands();
    window.run_command(ui::cmd::WindWeatherFile);
    QVERIFY(window.command_action(ui::cmd::WindWeatherFile)->isChecked());
    QVERIFY2(status->text().startsWith(QStringLiteral("Jan01 00:00:00")), qPrintable(status->text()));
    window.run_command(ui::cmd::NextTimeStep);
    QVERIFY2(status->text().startsWith(QStringLiteral("Jan01 01:00:00")), qPrintable(status->text()));
    window.run_command(ui::cmd::LastTimeStep);
    QVERIFY2(status->text().startsWith(QStringLiteral("Dec31 24:00:00")), qPrintable(status->text()));

    // WPC type: the openings the file does not place are framed.
    QTemporaryDir dir;
    const std::string wpc = dir.path().toStdString() + "/site.wpc";
    std::ofstream(wpc, std::ios::binary) << "WPCfile AvelorW 2.4\nsite\n1\n0\n1\n3600\n1/1 1/1\n1 7 7 7 0\n"
                                            "1/1 0:00:00 101325 1.2\n3\n1/1 24:00:00 101300 1.2\n4\n";
    fresh.session.project().rc.wp = 1;
    fresh.session.project().rc.wpc_file = wpc;
    window.update_commands();
    window.run_command(ui::cmd::WindWpc);
    QVERIFY(window.command_action(ui::cmd::WindWpc)->isChecked());
    QVERIFY2(status->text().startsWith(QStringLiteral("Jan01 00:00:00; Pbar = 101325 Pa; Density: 1.2 kg/m^3")),
             qPrintable(status->text()));
    QVERIFY(!window.sketchpad()->results_overlay()->highlighted.empty());
    window.run_command(ui::cmd::NextTimeStep);
    QVERIFY2(status->text().startsWith(QStringLiteral("Jan01 24:00:00; Pbar = 101300 Pa")), qPrintable(status->text()));

    window.run_command(ui::cmd::NormalMode);
    QVERIFY(!window.command_action(ui::cmd::WindPressureMode)->isChecked());
    QCOMPARE(window.sketchpad()->results_overlay(), nullptr);
    QVERIFY(window.command_action(ui::cmd::DrawWalls)->isEnabled());
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
