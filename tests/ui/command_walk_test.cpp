// The whole command table walked in the window: every entry in its menu,
// with its keys and toolbar button, enabled and marked as the core's rules
// say, in normal mode, results mode and super-element mode; no two
// shortcuts alike.
#include <QAction>
#include <QDialog>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/command_rules.h"
#include "editing/editor_session.h"
#include "support/scripted_port.h"
#include "ui/command_table.h"
#include "ui/main_window.h"

using namespace avelor;

namespace {

const std::string kOffice = std::string(AVELOR_SOURCE_DIR) + "/examples/office.prj";

QMenu* submenu_titled(const QList<QAction*>& actions, const QString& title)
{
    for (QAction* a : actions)
        if (a->menu() && a->text() == title) return a->menu();
    return nullptr;
}

// Opens every menu of the bar, as a click would, so that the window applies
// the rules to every item; closes them again afterwards.
class MenusShown {
public:
    explicit MenusShown(ui::MainWindow& window)
    {
        for (QAction* a : window.menuBar()->actions())
            if (QMenu* menu = a->menu()) menus_.push_back(menu);
        for (QMenu* menu : menus_) emit menu->aboutToShow();
    }
    ~MenusShown()
    {
        for (QMenu* menu : menus_) emit menu->aboutToHide();
    }

private:
    QList<QMenu*> menus_;
};

// Each entry: in its menu (and submenu) with its caption, its keys, its
// button with its tooltip, its mark, and enabled as the rules say.
void walk_table(ui::MainWindow& window)
{
    auto* bar = window.findChild<QToolBar*>(QStringLiteral("Toolbar"));
    QVERIFY(bar != nullptr);
    MenusShown shown(window);
    const CommandState state = window.command_state();
    for (const CommandEntry& entry : command_entries()) {
        if (entry.command == 0) continue;
        const QByteArray what = QByteArray::number(entry.command) + " " + QByteArray(entry.caption.data(),
                                                                                     qsizetype(entry.caption.size()));
        QAction* action = window.command_action(entry.command);
        QVERIFY2(action != nullptr, what);
        QCOMPARE(action->text(), ui::table_text(entry.caption));
        if (!entry.menu.empty()) {
            QMenu* menu = submenu_titled(window.menuBar()->actions(), ui::table_text(entry.menu));
            QVERIFY2(menu != nullptr, what);
            if (!entry.submenu.empty()) menu = submenu_titled(menu->actions(), ui::table_text(entry.submenu));
            QVERIFY2(menu != nullptr && menu->actions().contains(action), what);
        } else {
            QVERIFY2(window.actions().contains(action), what);
        }
        QCOMPARE(action->shortcuts(), ui::command_keys(entry));
        if (const ToolButton* button = find_tool_button(entry.command)) {
            auto* tool = qobject_cast<QToolButton*>(bar->widgetForAction(action));
            QVERIFY2(tool != nullptr, what);
            QCOMPARE(tool->toolTip(), ui::table_text(tooltip_text(*button)));
        }
        QVERIFY2(action->isEnabled() == command_enabled(entry.command, state), what);
        QVERIFY2(action->isCheckable() == (entry.mark != Mark::None), what);
        if (action->isCheckable()) QVERIFY2(action->isChecked() == command_checked(entry.command, state), what);
        if (!entry.built) {
            QVERIFY2(!action->isEnabled(), what);
            QCOMPARE(action->statusTip(), QStringLiteral("Not available in this version"));
        }
    }
}

bool enabled_in_menu(ui::MainWindow& window, int command)
{
    MenusShown shown(window);
    return window.command_action(command)->isEnabled();
}

}  // namespace

class CommandWalkTest : public QObject {
    Q_OBJECT
private slots:
    void walk_in_normal_mode();
    void walk_in_results_mode();
    void walk_in_super_element_mode();
    void no_two_shortcuts_alike();
    void keys_reach_their_commands();
    void result_file_item_opens_the_file_beside_the_project();
};

void CommandWalkTest::walk_in_normal_mode()
{
    EditorSession session;
    testing::ScriptedPort port;
    QVERIFY(open_in_session(session, kOffice));
    ui::MainWindow window(session);
    window.project_replaced();
    session.grid.cursor = {4, 4};
    walk_table(window);
    if (QTest::currentTestFailed()) return;
    // The rules seen from outside: drawing yes, stepping through time no.
    QVERIFY(enabled_in_menu(window, cmd::DrawWalls));
    QVERIFY(enabled_in_menu(window, cmd::ResultsMode));
    QVERIFY(!enabled_in_menu(window, cmd::NextTimeStep));
    QVERIFY(enabled_in_menu(window, cmd::DrawLinks));
    QVERIFY(window.command_action(cmd::NormalMode)->isChecked());
    // The tool's button and menu mark go with the tool.
    window.command_action(cmd::DrawWalls)->trigger();
    walk_table(window);
    QVERIFY(window.command_action(cmd::DrawWalls)->isChecked());
    window.command_action(cmd::DeleteByBox)->trigger();
    QVERIFY(!window.command_action(cmd::DrawWalls)->isChecked());
    QVERIFY(window.command_action(cmd::DeleteByBox)->isChecked());
}

void CommandWalkTest::walk_in_results_mode()
{
    QTemporaryDir dir;
    const std::string project = dir.path().toStdString() + "/decay.prj";
    QVERIFY(QFile::copy(QString::fromStdString(std::string(AVELOR_SOURCE_DIR) + "/examples/decay_ventilated_zone.prj"),
                        QString::fromStdString(project)));
    QProcess run;
    run.start(QStringLiteral(AVELOR_CLI_PATH), {QStringLiteral("run"), QString::fromStdString(project), QStringLiteral("--yes")});
    QVERIFY(run.waitForFinished(60000) && run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0);
    testing::ScriptedPort port;
    EditorSession session;
    QVERIFY(open_in_session(session, project));
    ui::MainWindow window(session);
    window.project_replaced();
    QVERIFY(window.results_mode().active());
    walk_table(window);
    if (QTest::currentTestFailed()) return;
    QVERIFY(window.command_action(cmd::ResultsMode)->isChecked());
    QVERIFY(!window.command_action(cmd::NormalMode)->isChecked());
    QVERIFY(enabled_in_menu(window, cmd::NextTimeStep));
    QVERIFY(enabled_in_menu(window, cmd::GoToDateTime));
    QVERIFY(!enabled_in_menu(window, cmd::DrawWalls));
    QVERIFY(!enabled_in_menu(window, cmd::DeleteByCoordinates));
    QVERIFY(!enabled_in_menu(window, cmd::Paste));
    // Outside the menus too, a greyed command's key does nothing here.
    QVERIFY(!window.command_action(cmd::Delete)->isEnabled());
    // Back in normal mode the walk holds again.
    window.command_action(cmd::NormalMode)->trigger();
    QVERIFY(!window.results_mode().active());
    walk_table(window);
}

void CommandWalkTest::walk_in_super_element_mode()
{
    EditorSession session;
    testing::ScriptedPort port;
    QVERIFY(open_in_session(session, kOffice));
    ui::MainWindow window(session);
    window.project_replaced();
    window.run_command(cmd::SuperElements);
    auto* elements = window.findChild<QDialog*>(QStringLiteral("SuperElementsWindow"));
    QVERIFY(elements && elements->isVisible());
    QVERIFY(window.command_state().super_element_editing);
    walk_table(window);
    if (QTest::currentTestFailed()) return;
    // Without an element there is no sketch to draw on.
    QVERIFY(!enabled_in_menu(window, cmd::DrawLinks));
    elements->findChild<QPushButton*>(QStringLiteral("NewElement"))->click();
    walk_table(window);
    if (QTest::currentTestFailed()) return;
    // The reduced menu: links and the window's own command, not the walls.
    QVERIFY(enabled_in_menu(window, cmd::DrawLinks));
    QVERIFY(!enabled_in_menu(window, cmd::DrawWalls));
    QVERIFY(!enabled_in_menu(window, cmd::SaveProject));
    QVERIFY(!enabled_in_menu(window, cmd::ResultsMode));
    // Closing the window brings the building back, and the whole menu.
    elements->reject();
    QVERIFY(!window.command_state().super_element_editing);
    walk_table(window);
    QVERIFY(enabled_in_menu(window, cmd::DrawWalls));
}

void CommandWalkTest::no_two_shortcuts_alike()
{
    EditorSession session;
    prepare_sketchpad(session);
    ui::MainWindow window(session);
    QMap<QKeySequence, QString> owner;
    auto claim = [&owner](const QKeySequence& key, const QString& who) {
        QVERIFY2(!owner.contains(key), qPrintable(key.toString() + ": " + who + " and " + owner.value(key)));
        owner.insert(key, who);
    };
    for (QAction* a : window.menuBar()->actions()) {
        const QKeySequence mnemonic = QKeySequence::mnemonic(a->text());
        QVERIFY2(!mnemonic.isEmpty(), qPrintable(a->text()));
        claim(mnemonic, a->text());
    }
    for (QAction* a : window.findChildren<QAction*>())
        for (const QKeySequence& key : a->shortcuts()) claim(key, a->text());
    // The table's accelerators kept their keys.
    QCOMPARE(owner.value(QKeySequence(QStringLiteral("Alt+L"))), QStringLiteral("Control &Links"));
    QCOMPARE(owner.value(QKeySequence(QStringLiteral("Alt+D"))), QStringLiteral("Du&ct Coloring..."));
    QCOMPARE(owner.value(QKeySequence(QStringLiteral("Alt+W"))), QStringLiteral("&Wind Pressure Mode"));
    QCOMPARE(owner.value(QKeySequence(QStringLiteral("Alt+N"))), QStringLiteral("&Normal Mode"));
    QCOMPARE(owner.value(QKeySequence(QStringLiteral("Alt+R"))), QStringLiteral("&Results Mode"));
}

void CommandWalkTest::keys_reach_their_commands()
{
    EditorSession session;
    prepare_sketchpad(session);
    ui::MainWindow window(session);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    const ViewFlags& flags = session.view.flags;
    struct Case {
        const char* key;
        const bool* flag;
    };
    const Case cases[] = {
        {"Alt+L", &flags.control_links},
        {"Ctrl+U", &flags.colour_ducts},
        {"Ctrl+Z", &flags.colour_zones},
        {"Ctrl+Shift+B", &flags.reveal_below},
    };
    for (const Case& c : cases) {
        const bool before = *c.flag;
        QTest::keySequence(&window, QKeySequence(QString::fromLatin1(c.key)));
        QVERIFY2(*c.flag != before, c.key);
    }
    // Ctrl+W switches the wall tool on, and again off.
    QTest::keySequence(&window, QKeySequence(QStringLiteral("Ctrl+W")));
    QCOMPARE(window.editor().tool, DrawingTool::Walls);
    QTest::keySequence(&window, QKeySequence(QStringLiteral("Ctrl+W")));
    QCOMPARE(window.editor().tool, DrawingTool::None);
}

void CommandWalkTest::result_file_item_opens_the_file_beside_the_project()
{
    QTemporaryDir dir;
    const std::filesystem::path folder = dir.path().toStdString();
    // A stand-in desktop opener first on PATH, writing down what it was given.
    std::filesystem::create_directories(folder / "bin");
    const std::filesystem::path opener = folder / "bin" / "xdg-open";
    std::ofstream(opener) << "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$(dirname \"$0\")/args\"\n";
    std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString((folder / "bin").string()) + ":" + path);

    testing::ScriptedPort port;
    EditorSession session;
    QVERIFY(open_in_session(session, kOffice));
    session.document.path = (folder / "office.prj").string();
    ui::MainWindow window(session);
    window.update_commands();
    QVERIFY(!enabled_in_menu(window, cmd::OpenAchFile));
    const std::string ach = (folder / "office.ach").string();
    std::ofstream(ach) << "x";
    QVERIFY(enabled_in_menu(window, cmd::OpenAchFile));
    {
        MenusShown shown(window);
        window.command_action(cmd::OpenAchFile)->trigger();
    }
    qputenv("PATH", path);
    std::ifstream args(folder / "bin" / "args");
    std::string given;
    std::getline(args, given);
    QCOMPARE(given, ach);
    QVERIFY(port.boxes.empty());
}

QTEST_MAIN(CommandWalkTest)
#include "command_walk_test.moc"
