#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QtTest>

#include <string>

#include "editing/editor_session.h"
#include "model/cell_codes.h"
#include "model/project.h"
#include "model/schedules.h"
#include "model/species.h"
#include "support/scripted_port.h"
#include "ui/network_sheet_dialogs.h"

using namespace avelor;

namespace {

constexpr GridCell kCell{5, 6};

// A one-level project with one contaminant in a SketchPad with nothing drawn.
struct Fixture {
    testing::ScriptedPort port;
    EditorSession session;
    Species* co2 = nullptr;

    Fixture()
    {
        prepare_sketchpad(session);
        Species s = new_species();
        s.name = "CO2";
        co2 = project().species.insert_copy(s);
        project().Ctm.push_back(co2);
        port.boxes.clear();
    }
    Project& project() { return session.project(); }
    SketchGrid& grid() { return session.grid; }
    void icon(std::uint8_t code)
    {
        grid().current().Sketch(kCell.row, kCell.col) = code;
        grid().current().Paths(kCell.row, kCell.col) = 0;
    }
    // The last box's message without its margins.
    QString last_box() const
    {
        return port.boxes.empty() ? QString() : QString::fromStdString(port.boxes.back().text).trimmed();
    }
};

template <class T>
T* child(QWidget& dialog, const char* name)
{
    return dialog.findChild<T*>(QString::fromLatin1(name));
}

void type_into(QLineEdit* edit, const QString& text)
{
    QVERIFY(edit);
    edit->setFocus(Qt::TabFocusReason);
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Tab);
}

void press_ok(QDialog& dialog)
{
    auto* box = dialog.findChild<QDialogButtonBox*>();
    QVERIFY(box);
    QTest::mouseClick(box->button(QDialogButtonBox::Ok), Qt::LeftButton);
}

}  // namespace

class NetworkSheetDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void ahs_name_of_another_system_is_refused_then_a_new_one_accepted();
    void supply_point_needs_a_system_before_ok();
    void burst_source_needs_a_schedule_before_ok();
    void occupant_needs_all_twelve_day_types_before_ok();
};

void NetworkSheetDialogsTest::ahs_name_of_another_system_is_refused_then_a_new_one_accepted()
{
    Fixture f;
    create_simple_ahs(f.project(), "AHU1", "");
    f.icon(ICN_AHS);
    AhsSheet sheet(f.project(), f.grid(), kCell, 0);
    ui::AhsSheetDialog dialog(sheet);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Simple Air Handling System Properties"));
    QCOMPARE(dialog.tabs()->count(), 5);
    for (const char* filter : {"outdoor", "recirculation"}) {
        auto* button = child<QPushButton>(dialog, (std::string(filter) + "_filter_button").c_str());
        QVERIFY(button && button->isEnabled());
        QCOMPARE(button->text(), QStringLiteral("New Filter"));
        QVERIFY(!child<QPushButton>(dialog, (std::string(filter) + "_delete_filter").c_str())->isEnabled());
    }

    auto* name = child<QLineEdit>(dialog, "name");
    type_into(name, QStringLiteral("AHU1"));
    dialog.tabs()->setCurrentIndex(1);
    QCOMPARE(f.last_box(), QStringLiteral("May not use existing name"));
    QCOMPARE(dialog.tabs()->currentIndex(), 0);
    QCOMPARE(name->text(), QString());  // the stored name comes back
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(name));

    type_into(name, QStringLiteral("AHU2"));
    type_into(child<QLineEdit>(dialog, "minimum_oa"), QStringLiteral("0.5"));
    dialog.tabs()->setCurrentIndex(1);
    QCOMPARE(dialog.tabs()->currentIndex(), 1);
    type_into(child<QLineEdit>(dialog, "supply_volume"), QStringLiteral("20"));
    press_ok(dialog);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(f.project().systems.count(), 2);
    const SimpleAhs* made = f.project().systems.find_by_name("AHU2");
    QVERIFY(made);
    QCOMPARE(f.project().paths.at(made->pr)->Fahs, 0.5f);
    QCOMPARE(f.project().zones.at(made->zs)->Vol, 20.0f);
    QCOMPARE(f.grid().current().Paths(kCell.row, kCell.col), made->nr);
}

void NetworkSheetDialogsTest::supply_point_needs_a_system_before_ok()
{
    Fixture f;
    create_simple_ahs(f.project(), "AHU1", "the main one");
    f.icon(ICN_SUPPLY);
    AhsPointSheet sheet(f.project(), f.grid(), kCell, true, 0);
    int edits = 0;
    ui::NetworkSheetHooks hooks;
    hooks.edit_system = [&](QWidget*, SimpleAhs&) { return ++edits > 0; };
    ui::AhsPointSheetDialog dialog(sheet, hooks);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Supply Point Properties"));
    auto* system = child<QComboBox>(dialog, "system");
    QCOMPARE(system->currentText(), QStringLiteral(" <required>"));
    QVERIFY(!child<QPushButton>(dialog, "edit_system")->isEnabled());

    press_ok(dialog);
    QVERIFY(dialog.isVisible());
    QVERIFY(f.last_box().startsWith(QStringLiteral("An AHS must be selected.")));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(system));

    system->setCurrentIndex(system->findText(QStringLiteral("AHU1")));
    QCOMPARE(child<QLabel>(dialog, "system_description")->text(), QStringLiteral("the main one"));
    QTest::mouseClick(child<QPushButton>(dialog, "edit_system"), Qt::LeftButton);
    QCOMPARE(edits, 1);
    type_into(child<QLineEdit>(dialog, "design_flow"), QStringLiteral("0.2"));
    press_ok(dialog);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const FlowPath* point = f.project().paths.at(sheet.number());
    QVERIFY(point);
    QCOMPARE(point->Fahs, 0.2f);
    QCOMPARE(point->ahs, f.project().systems.head());
}

void NetworkSheetDialogsTest::burst_source_needs_a_schedule_before_ok()
{
    Fixture f;
    SourceElement burst = new_source_element(kSrcBrs, f.co2);
    burst.name = "spill";
    f.project().source_elements.insert_copy(burst);
    WeekSchedule w;
    w.name = "once";
    w.utyp = 1;
    f.project().week_schedules.insert_copy(w);
    f.icon(ICN_SOURCE);
    SourceSheet sheet(f.project(), f.grid(), kCell, 0);
    ui::SourceSheetDialog dialog(sheet, {});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Source/sink Properties"));
    QVERIFY(!child<QPushButton>(dialog, "new_element")->isEnabled());  // no hook, no button
    auto* element = child<QComboBox>(dialog, "element");
    element->setCurrentIndex(element->findText(QStringLiteral("spill")));
    QCOMPARE(child<QLabel>(dialog, "contaminant")->text(), QStringLiteral("CO2"));
    QCOMPARE(child<QLabel>(dialog, "summary_formula")->text(), QStringLiteral("S(t) = Mass"));

    press_ok(dialog);
    QVERIFY(dialog.isVisible());
    QCOMPARE(f.last_box(), QStringLiteral("Burst source requires a schedule. You can either associate a schedule, or CANCEL"));
    QCOMPARE(dialog.tabs()->currentIndex(), 2);

    auto* schedule = child<QComboBox>(dialog, "schedule");
    QVERIFY(schedule);
    schedule->setCurrentIndex(1);
    press_ok(dialog);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(f.project().sources.count(), 1);
    QCOMPARE(f.project().sources.at(1)->schedule, f.project().week_schedules.head());
}

void NetworkSheetDialogsTest::occupant_needs_all_twelve_day_types_before_ok()
{
    Fixture f;
    OccupancySchedule o = new_occupancy_schedule(0);
    o.name = "office";
    f.project().occupancy_schedules.insert_copy(o);
    f.icon(ICN_EXPOSURE);
    ExposureSheet sheet(f.project(), f.grid(), kCell, 0);
    ui::ExposureSheetDialog dialog(sheet, {});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Occupant Exposure Properties"));
    auto* days = child<QTreeWidget>(dialog, "day_types");
    QCOMPARE(days->topLevelItemCount(), 12);
    QCOMPARE(days->topLevelItem(7)->text(0), QStringLiteral("8"));
    auto* replace = child<QPushButton>(dialog, "replace");
    QVERIFY(replace->isEnabled());
    for (int d = 0; d < 11; ++d) QTest::mouseClick(replace, Qt::LeftButton);  // each moves to the next day type
    QCOMPARE(days->topLevelItem(10)->text(1), QStringLiteral("office"));
    QCOMPARE(days->topLevelItem(11)->text(1), QString());

    press_ok(dialog);
    QVERIFY(dialog.isVisible());
    QVERIFY(f.last_box().startsWith(QStringLiteral("You must define the occupancy schedule.")));
    QCOMPARE(f.project().exposures.count(), 0);

    QTest::mouseClick(replace, Qt::LeftButton);
    dialog.tabs()->setCurrentIndex(1);
    QCOMPARE(child<QLabel>(dialog, "generation_note")->text(), QStringLiteral("Generation Rate is 0"));
    type_into(child<QLineEdit>(dialog, "rate"), QStringLiteral("0.001"));
    QCOMPARE(child<QLabel>(dialog, "generation_note")->text(), QString());
    press_ok(dialog);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(f.project().exposures.count(), 1);
    QCOMPARE(f.project().exposures.at(1)->generations.size(), std::size_t(1));
}

QTEST_MAIN(NetworkSheetDialogsTest)
#include "network_sheet_dialogs_test.moc"
