// The "Duct System Coloring" window over the duct example: its line for the
// supply fan, the line showing its cell, the Color Picker of a swatch, and
// "Set Colors" giving the fan system its colours.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <memory>
#include <string>

#include "editing/editor_session.h"
#include "model/project.h"
#include "support/scripted_port.h"
#include "ui/command_table.h"
#include "ui/duct_colouring_window.h"
#include "ui/main_window.h"

using namespace avelor;

namespace {

const std::string kDucts = std::string(AVELOR_SOURCE_DIR) + "/examples/duct_system.prj";

struct Opened {
    Opened()
    {
        ok = open_in_session(session, kDucts) && port.boxes.empty();
        main = std::make_unique<ui::MainWindow>(session);
        main->project_replaced();
    }
    testing::ScriptedPort port;
    EditorSession session;
    std::unique_ptr<ui::MainWindow> main;
    bool ok = false;
};

}  // namespace

class DuctColouringWindowTest : public QObject {
    Q_OBJECT
private slots:
    void lists_the_fan_and_shows_its_cell();
    void set_colors_colours_the_fan_system();
    void color_picker_sets_a_swatch();
};

void DuctColouringWindowTest::lists_the_fan_and_shows_its_cell()
{
    Opened o;
    QVERIFY(o.ok);
    QVERIFY(o.main->command_action(ui::cmd::DuctColouring)->isEnabled());
    o.main->run_command(ui::cmd::DuctColouring);
    ui::DuctColouringWindow* w = o.main->duct_colouring_window();
    QVERIFY(w != nullptr);
    QCOMPARE(w->windowTitle(), QStringLiteral("Duct System Coloring"));
    QCOMPARE(w->list()->count(), 1);
    QCOMPARE(w->list()->item(0)->text(), QStringLiteral("         1           ground    11    12"));
    QVERIFY(!w->set_colors_button()->isEnabled());

    o.session.grid.cursor = {2, 2};
    QSignalSpy shown(w, &ui::DuctColouringWindow::lineShown);
    const QRect line = w->list()->visualItemRect(w->list()->item(0));
    w->show();
    QTest::mouseClick(w->list()->viewport(), Qt::LeftButton, {}, line.center());
    QCOMPARE(shown.count(), 1);
    QCOMPARE(o.session.grid.cursor.row, 11 - o.session.grid.origin.row);
    QCOMPARE(o.session.grid.cursor.col, 12 - o.session.grid.origin.col);
    QVERIFY(w->set_colors_button()->isEnabled());
}

void DuctColouringWindowTest::set_colors_colours_the_fan_system()
{
    Opened o;
    QVERIFY(o.ok);
    o.main->run_command(ui::cmd::DuctColouring);
    ui::DuctColouringWindow* w = o.main->duct_colouring_window();
    QVERIFY(w != nullptr);
    w->set_colour(ui::DuctColouringWindow::InletColour, 3);
    w->set_colour(ui::DuctColouringWindow::OutletColour, 4);
    w->set_colour(ui::DuctColouringWindow::FanColour, 9);
    w->list()->setCurrentRow(0);
    QSignalSpy set(w, &ui::DuctColouringWindow::coloursSet);
    QTest::mouseClick(w->set_colors_button(), Qt::LeftButton);
    QCOMPARE(set.count(), 1);
    const Project& p = o.session.project();
    QCOMPARE(p.ducts.at(1)->clr, std::int16_t(9));
    QCOMPARE(p.junctions.at(1)->clr, std::int16_t(3));  // the outdoor intake
    for (int supply : {2, 3, 4, 5, 6, 7}) QCOMPARE(p.ducts.at(supply)->clr, std::int16_t(4));
    QCOMPARE(p.junctions.at(8)->clr, std::int16_t(4));
    // The exhaust duct is another system.
    QCOMPARE(p.ducts.at(8)->clr, std::int16_t(-1));
    QVERIFY(p.changed());
    QVERIFY(o.port.boxes.empty());
}

void DuctColouringWindowTest::color_picker_sets_a_swatch()
{
    Opened o;
    QVERIFY(o.ok);
    o.main->run_command(ui::cmd::DuctColouring);
    ui::DuctColouringWindow* w = o.main->duct_colouring_window();
    QVERIFY(w != nullptr);
    w->show();
    bool picked = false;
    QTimer::singleShot(0, [&] {
        auto* picker = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!picker || picker->objectName() != QStringLiteral("ColorPicker")) return;
        picker->findChild<QComboBox*>(QStringLiteral("colour"))->setCurrentIndex(12 + 1);
        picked = true;
        picker->accept();
    });
    QTest::mouseClick(w->swatch(ui::DuctColouringWindow::OutletColour), Qt::LeftButton);
    QVERIFY(picked);
    QCOMPARE(w->options().outlet_colour, std::int16_t(12));
}

QTEST_MAIN(DuctColouringWindowTest)
#include "duct_colouring_window_test.moc"
