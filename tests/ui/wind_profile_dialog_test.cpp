// The Wind Pressure Profile dialog driven as a user drives it: rows typed
// out of order, the fit buttons and Redraw, the chart, OK; and the Data
// menu's manager refusing to delete a profile a path uses.
#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

#include "model/project.h"
#include "support/scripted_port.h"
#include "ui/chart_facility.h"
#include "ui/wind_profile_dialog.h"

using namespace avelor;

namespace {

template <class W>
W* child(QWidget& parent, const QString& name)
{
    W* w = parent.findChild<W*>(name);
    if (!w) qWarning("missing %s", qPrintable(name));
    return w;
}

// Types into a field and leaves it, as the Tab key would.
void type_and_leave(QWidget& dialog, const QString& name, const QString& text)
{
    auto* edit = child<QLineEdit>(dialog, name);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
    emit edit->editingFinished();
}

int visible_series(const ui::Chart& chart)
{
    int shown = 0;
    for (const QLineSeries* s : chart.series())
        if (s->isVisible()) ++shown;
    return shown;
}

}  // namespace

class WindProfileDialogTest : public QObject {
    Q_OBJECT
private slots:
    void typed_rows_fits_and_ok_store_the_profile();
    void the_manager_refuses_to_delete_a_profile_in_use();
};

void WindProfileDialogTest::typed_rows_fits_and_ok_store_the_profile()
{
    testing::ScriptedPort port;
    Project project;
    ui::WindProfileDialog dialog(project.wind_profiles, nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(child<QLineEdit>(dialog, QStringLiteral("angle2"))->text(), QStringLiteral("360"));
    QCOMPARE(visible_series(dialog.chart()), 2);  // the points and the linear fit

    const char* rows[][2] = {{"180", "-0.2"}, {"90", "-0.3"}, {"0", "0.6"}, {"270", "-0.3"}};
    for (int i = 0; i < 4; ++i) {
        type_and_leave(dialog, QStringLiteral("angle%1").arg(i + 1), QString::fromLatin1(rows[i][0]));
        type_and_leave(dialog, QStringLiteral("coefficient%1").arg(i + 1), QString::fromLatin1(rows[i][1]));
    }
    auto* trig = child<QAbstractButton>(dialog, QStringLiteral("fit3"));
    QVERIFY(!trig->isEnabled());
    child<QPushButton>(dialog, QStringLiteral("redraw"))->click();
    // Sorted, closed at 360 with the first coefficient, and fit for Curve Fit 3.
    QCOMPARE(child<QLineEdit>(dialog, QStringLiteral("angle1"))->text(), QStringLiteral("0"));
    QCOMPARE(child<QLineEdit>(dialog, QStringLiteral("angle4"))->text(), QStringLiteral("270"));
    QCOMPARE(child<QLineEdit>(dialog, QStringLiteral("coefficient5"))->text(), QStringLiteral("0.6"));
    QVERIFY(trig->isEnabled());

    child<QAbstractButton>(dialog, QStringLiteral("fit0"))->click();
    QCOMPARE(dialog.form().fit(), static_cast<int>(kWindFitShowAll));
    QCOMPARE(visible_series(dialog.chart()), 4);  // the points and the three fits
    child<QAbstractButton>(dialog, QStringLiteral("polar"))->click();
    QCOMPARE(visible_series(dialog.chart()), 4);
    trig->click();
    QCOMPARE(visible_series(dialog.chart()), 2);

    // Too close a point keeps the dialog open with nothing drawn.
    type_and_leave(dialog, QStringLiteral("name"), QStringLiteral("square_plan"));
    type_and_leave(dialog, QStringLiteral("angle6"), QStringLiteral("270.5"));
    type_and_leave(dialog, QStringLiteral("coefficient6"), QStringLiteral("-0.3"));
    child<QDialogButtonBox>(dialog, QString())->button(QDialogButtonBox::Ok)->click();
    QVERIFY(dialog.isVisible());
    QVERIFY(!port.boxes.empty());
    QCOMPARE(QString::fromStdString(port.boxes.back().text), QStringLiteral(" Insufficient spacing between points\n"));
    QCOMPARE(visible_series(dialog.chart()), 0);
    // The rows were sorted again: 270.5 is the fifth.
    QCOMPARE(child<QLineEdit>(dialog, QStringLiteral("angle5"))->text(), QStringLiteral("270.5"));
    type_and_leave(dialog, QStringLiteral("angle5"), QStringLiteral("360"));
    child<QDialogButtonBox>(dialog, QString())->button(QDialogButtonBox::Ok)->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), static_cast<int>(QDialog::Accepted));
    const WindProfile* stored = project.wind_profiles.find_by_name("square_plan");
    QVERIFY(stored);
    QCOMPARE(stored, dialog.stored());
    QCOMPARE(static_cast<int>(stored->type), static_cast<int>(kWindFitTrigonometric));
    QCOMPARE(static_cast<int>(stored->npts), 5);
    QVERIFY(std::abs(evaluate_wind_profile(*stored, 45) - 0.4016) < 1e-3);
}

void WindProfileDialogTest::the_manager_refuses_to_delete_a_profile_in_use()
{
    testing::ScriptedPort port;
    Project project;
    for (const char* name : {"corner", "wall"}) {
        WindProfile p = new_wind_profile();
        p.name = name;
        p.desc = std::string(name) + " of the block";
        project.wind_profiles.insert_copy(p);
    }
    Level ground;
    ground.name = "ground";
    project.current_level = project.levels.add(ground);
    FlowPath path;
    path.wind_profile = project.wind_profiles.find_by_name("corner");
    add_path(project, path);

    ui::WindProfileManagerDialog dialog(project);
    dialog.show();
    QListWidget* list = dialog.profile_list();
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->currentRow(), 0);
    QCOMPARE(child<QLabel>(dialog, QStringLiteral("Description"))->text(), QStringLiteral("corner of the block"));
    child<QPushButton>(dialog, QStringLiteral("Delete"))->click();
    QCOMPARE(list->count(), 2);
    QVERIFY(!port.boxes.empty());
    QVERIFY(port.boxes.back().text.find("path 1") != std::string::npos);

    list->setCurrentRow(1);
    port.answers = {Answer::Yes};
    child<QPushButton>(dialog, QStringLiteral("Delete"))->click();
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), QStringLiteral("corner"));
    QVERIFY(project.changed());
}

QTEST_MAIN(WindProfileDialogTest)
#include "wind_profile_dialog_test.moc"
