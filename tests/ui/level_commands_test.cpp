// The Level menu on a three-level project: inserting, copying and pasting,
// deleting, and the Level Data dialog reached by F8 and by Go to › Level...
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <string>

#include "editing/editor_session.h"
#include "model/project.h"
#include "support/scripted_port.h"
#include "ui/command_table.h"
#include "ui/level_data_dialog.h"
#include "ui/main_window.h"
#include "ui/sketchpad_widget.h"

using namespace avelor;

namespace {

const std::string kOffice = std::string(AVELOR_SOURCE_DIR) + "/examples/office.prj";

QStringList level_names(const Project& p)
{
    QStringList names;
    for (const Level* l = p.lowest_level; l; l = l->above) names << QString::fromStdString(l->name);
    return names;
}

// Runs the step on the Level Data dialog once it is open.
void on_level_dialog(std::function<void(ui::LevelDataDialog&)> step)
{
    QTimer::singleShot(0, [step = std::move(step)] {
        auto* dialog = qobject_cast<ui::LevelDataDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        step(*dialog);
    });
}

}  // namespace

class LevelCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void level_menu_inserts_pastes_and_deletes();
    void level_data_dialog_renames_and_goes_to_a_level();
};

void LevelCommandsTest::level_menu_inserts_pastes_and_deletes()
{
    testing::ScriptedPort port;
    EditorSession session;
    QVERIFY(open_in_session(session, kOffice));
    ui::MainWindow window(session);
    window.project_replaced();
    Project& p = session.project();
    QCOMPARE(level_names(p), (QStringList{"L1", "L2", "L3"}));

    QAction* paste_above = window.command_action(ui::cmd::PasteLevelAbove);
    QVERIFY(paste_above);
    window.update_commands();
    QVERIFY(!paste_above->isEnabled());
    window.command_action(ui::cmd::CopyLevel)->trigger();
    QVERIFY(paste_above->isEnabled());
    const int zones = p.zones.count();
    paste_above->trigger();
    QCOMPARE(level_names(p), (QStringList{"L1", "<4>", "L2", "L3"}));
    QCOMPARE(QString::fromStdString(p.current_level->name), QStringLiteral("<4>"));
    QVERIFY(p.zones.count() > zones);
    QVERIFY(window.windowTitle().endsWith(QLatin1Char('*')));

    window.command_action(ui::cmd::InsertLevelAbove)->trigger();
    QCOMPARE(level_names(p), (QStringList{"L1", "<4>", "<5>", "L2", "L3"}));
    // Inserting forgets the copied level.
    QVERIFY(!paste_above->isEnabled());

    port.answers.push_back(Answer::Yes);
    window.command_action(ui::cmd::DeleteLevel)->trigger();
    QCOMPARE(port.questions.back(), std::string("Delete current level '<5>'?"));
    QCOMPARE(level_names(p), (QStringList{"L1", "<4>", "L2", "L3"}));
    QCOMPARE(QString::fromStdString(p.current_level->name), QStringLiteral("<4>"));
    QVERIFY(window.command_action(ui::cmd::LevelAbove)->isEnabled());
}

void LevelCommandsTest::level_data_dialog_renames_and_goes_to_a_level()
{
    testing::ScriptedPort port;
    EditorSession session;
    QVERIFY(open_in_session(session, kOffice));
    ui::MainWindow window(session);
    window.project_replaced();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    Project& p = session.project();

    QStringList rows;
    on_level_dialog([&rows](ui::LevelDataDialog& dialog) {
        for (int i = 0; i < dialog.level_list()->count(); ++i) rows << dialog.level_list()->item(i)->text();
        // The top level is renamed.
        dialog.level_list()->setCurrentRow(0);
        dialog.name_edit()->setText(QStringLiteral("Roof"));
        dialog.replace_button()->click();
        dialog.reject();
    });
    window.sketchpad()->setFocus();
    QTest::keyClick(window.sketchpad(), Qt::Key_F8);
    QCOMPARE(rows.size(), 3);
    QVERIFY(rows[0].startsWith(QStringLiteral("  3")));
    QVERIFY(rows[2].startsWith(QStringLiteral("  1")));
    QCOMPARE(QString::fromStdString(p.top_level->name), QStringLiteral("Roof"));
    QVERIFY(window.windowTitle().endsWith(QLatin1Char('*')));

    on_level_dialog([](ui::LevelDataDialog& dialog) {
        dialog.level_list()->setCurrentRow(0);
        dialog.go_to_button()->click();
    });
    window.command_action(ui::cmd::GoToLevel)->trigger();
    QCOMPARE(p.current_level, p.top_level);
    QVERIFY(!window.command_action(ui::cmd::LevelAbove)->isEnabled());
    QVERIFY(port.boxes.empty());
}

QTEST_MAIN(LevelCommandsTest)
#include "level_commands_test.moc"
