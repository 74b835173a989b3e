#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <functional>
#include <string>

#include "model/project.h"
#include "support/scripted_port.h"
#include "prjfile/library_file.h"
#include "ui/schedule_dialogs.h"
#include "ui/unit_widgets.h"

using namespace avelor;

namespace {

template <class W>
W* child(const QWidget& parent, const char* name)
{
    W* widget = parent.findChild<W*>(QString::fromLatin1(name));
    if (!widget) qFatal("no child %s", name);
    return widget;
}

// Runs step on the modal dialog of the given name once it shows.
void when_modal(const char* name, std::function<void(QDialog&)> step)
{
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer,
                     [timer, name = QString::fromLatin1(name), step = std::move(step), tries = 0]() mutable {
                         auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                         if ((!dialog || dialog->objectName() != name) && ++tries < 300) return;
                         timer->stop();
                         timer->deleteLater();
                         if (dialog && dialog->objectName() == name) step(*dialog);
                     });
    timer->start();
}

void click(const QWidget& dialog, const char* name) { QTest::mouseClick(child<QPushButton>(dialog, name), Qt::LeftButton); }

}  // namespace

class ScheduleDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void a_week_is_made_from_the_manager_with_a_new_day();
    void a_week_takes_a_day_schedule_from_a_library();
};

// From the Data menu's manager: New makes a week schedule, whose dialog
// makes its day schedule (a noon dip to 0.5), gives it to every day type and
// is accepted; the day schedule in use cannot then be deleted.
void ScheduleDialogsTest::a_week_is_made_from_the_manager_with_a_new_day()
{
    testing::ScriptedPort port;
    Project project;
    bool week_done = false;
    bool day_done = false;
    when_modal("ScheduleManagerDialog", [&](QDialog& manager) {
        when_modal("WeekScheduleDialog", [&](QDialog& week) {
            when_modal("DayScheduleDialog", [&](QDialog& day) {
                child<QLineEdit>(day, "Name")->setText(QStringLiteral("dip"));
                child<QSpinBox>(day, "Hours")->setValue(12);
                child<ui::UnitFieldEdit>(day, "Value")->setText(QStringLiteral("0.5"));
                click(day, "Insert");
                QCOMPARE(child<QListWidget>(day, "Points")->count(), 3);
                QCOMPARE(child<QListWidget>(day, "Points")->item(1)->text(), QStringLiteral("12:00:00  0.5"));
                day.accept();
                day_done = !day.isVisible();
            });
            click(week, "NewDay");
            QCOMPARE(child<QListWidget>(week, "Available")->currentItem()->text(), QStringLiteral("dip"));
            child<QLineEdit>(week, "Name")->setText(QStringLiteral("office"));
            week.accept();
            QVERIFY(week.isVisible());  // a day type is unset
            QCOMPARE(port.boxes.back().text, std::string(" All day-schedules must be set\n"));
            child<QTreeWidget>(week, "Days")->selectAll();
            click(week, "Replace");
            QCOMPARE(child<QTreeWidget>(week, "Days")->topLevelItem(11)->text(1), QStringLiteral("dip"));
            week.accept();
            week_done = !week.isVisible();
        });
        click(manager, "New");
        QCOMPARE(child<QListWidget>(manager, "Schedules")->currentItem()->text(), QStringLiteral("office"));
        manager.reject();
    });
    ui::run_schedule_manager(nullptr, project, ScheduleKind::Week, kScheduleDimensionless);
    QVERIFY(day_done);
    QVERIFY(week_done);
    const WeekSchedule* week = project.week_schedules.find_by_name("office");
    QVERIFY(week);
    QCOMPARE(week->days[3]->name, std::string("dip"));
    QCOMPARE(day_schedule_value(*week->days[3], 12 * 3600), 0.5);

    when_modal("ScheduleManagerDialog", [&](QDialog& manager) {
        click(manager, "Delete");
        QCOMPARE(child<QListWidget>(manager, "Schedules")->count(), 1);
        manager.reject();
    });
    ui::run_schedule_manager(nullptr, project, ScheduleKind::Day, kScheduleDimensionless);
    QVERIFY(port.boxes.back().text.find("It is used by:\nweek schedule office") != std::string::npos);
    QCOMPARE(project.day_schedules.count(), 1);
}

// The week dialog's Library button: a day schedule of a schedule library
// is copied into the project and offered at once.
void ScheduleDialogsTest::a_week_takes_a_day_schedule_from_a_library()
{
    testing::ScriptedPort port;
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/nights.LB1";
    {
        Library library;
        library.kind = LibraryKind::Schedule;
        library.description = "Night set-back";
        DaySchedule night = new_day_schedule(kScheduleDimensionless, 0);
        night.name = "night";
        night.points = {{0, 0.2f}, {86400, 0.2f}};
        library.lists->day_schedules.insert_copy(night);
        QVERIFY(write_library(path, library));
    }
    Project project;
    bool copied = false;
    when_modal("ScheduleManagerDialog", [&](QDialog& manager) {
        when_modal("WeekScheduleDialog", [&](QDialog& week) {
            when_modal("LibraryManagerDialog", [&](QDialog& libraries) {
                QCOMPARE(libraries.windowTitle(), QStringLiteral("AVELORW Data and Library Manager: Day Schedules"));
                port.files = {path};
                click(libraries, "Browse");
                auto* list = child<QListWidget>(libraries, "LibraryList");
                QCOMPARE(list->count(), 1);
                list->item(0)->setSelected(true);
                click(libraries, "CopyToProject");
                QCOMPARE(child<QListWidget>(libraries, "ProjectList")->count(), 1);
                QVERIFY(!child<QPushButton>(libraries, "DeleteFromProject")->isEnabled());
                libraries.reject();
                copied = !libraries.isVisible();
            });
            click(week, "Library");
            QCOMPARE(child<QListWidget>(week, "Available")->count(), 1);
            QCOMPARE(child<QListWidget>(week, "Available")->item(0)->text(), QStringLiteral("night"));
            week.reject();
        });
        click(manager, "New");
        manager.reject();
    });
    ui::run_schedule_manager(nullptr, project, ScheduleKind::Week, kScheduleDimensionless);
    QVERIFY(copied);
    const DaySchedule* night = project.day_schedules.find_by_name("night");
    QVERIFY(night);
    QCOMPARE(day_schedule_value(*night, 3600), 0.2f);
    QVERIFY(project.changed());
}

QTEST_MAIN(ScheduleDialogsTest)
#include "schedule_dialogs_test.moc"
