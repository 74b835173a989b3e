#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <cmath>
#include <variant>

#include "forms/element_form.h"
#include "model/project.h"
#include "support/scripted_port.h"
#include "ui/element_dialogs.h"
#include "ui/unit_widgets.h"

using namespace avelor;

namespace {

AirflowElement fresh(int type)
{
    NewElementState state;
    return new_airflow_element(type, NewElementContext{}, state);
}

void type_into(QLineEdit* edit, const QString& text)
{
    edit->setFocus(Qt::TabFocusReason);
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

void press_ok(QDialog& dialog)
{
    auto* box = dialog.findChild<QDialogButtonBox*>();
    QVERIFY(box);
    QTest::mouseClick(box->button(QDialogButtonBox::Ok), Qt::LeftButton);
}

}  // namespace

class ElementDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void chooser_enables_and_preselects_by_the_paths_place();
    void orifice_dialog_stores_a_diameter_typed_in_another_unit();
    void blank_in_the_name_keeps_the_dialog_open();
};

void ElementDialogsTest::chooser_enables_and_preselects_by_the_paths_place()
{
    struct Case {
        PathPlace place;
        int last_choice;
        int preselected;
        bool stair_enabled;
        bool door_enabled;
    };
    const Case cases[] = {
        {PathPlace::OnWall, kPlrShaft, kPlrOrfc, false, true},
        {PathPlace::OnWall, kPlrLeak3, kPlrLeak1, false, true},
        {PathPlace::FromLevelBelow, kDorPl2, kPlrOrfc, true, false},
        {PathPlace::FromLevelBelow, kPlrStair, kPlrStair, true, false},
    };
    for (const Case& c : cases) {
        ChooserState state;
        state.last_choice = c.last_choice;
        ChooserContext context;
        context.place = c.place;
        context.project_has_elements = true;
        ui::ElementChooserDialog chooser(nullptr, context, nullptr, state);
        QCOMPARE(chooser.windowTitle(), QStringLiteral("Airflow Element Models"));
        QCOMPARE(chooser.button(kPlrStair)->isEnabled(), c.stair_enabled);
        QCOMPARE(chooser.button(kPlrShaft)->isEnabled(), c.stair_enabled);
        QCOMPARE(chooser.button(kDorDoor)->isEnabled(), c.door_enabled);
        QCOMPARE(chooser.button(kDorPl2)->isEnabled(), c.door_enabled);
        QVERIFY(chooser.button(kSupAfe)->isEnabled());
        QVERIFY(chooser.button(c.preselected)->isChecked());
        QCOMPARE(chooser.chosen(), c.preselected);
    }

    // OK remembers the choice; the super element needs elements to choose from.
    ChooserState state;
    ui::ElementChooserDialog chooser(nullptr, ChooserContext{}, nullptr, state);
    QVERIFY(!chooser.button(kSupAfe)->isEnabled());
    chooser.button(kPlrCrack)->setChecked(true);
    chooser.accept();
    QCOMPARE(state.last_choice, static_cast<int>(kPlrCrack));
}

void ElementDialogsTest::orifice_dialog_stores_a_diameter_typed_in_another_unit()
{
    testing::ScriptedPort port;
    Project project;
    ElementForm form(fresh(kPlrOrfc));
    ui::ElementDialog dialog(nullptr, project, form, nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Powerlaw Model: Orifice"));
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("summary_category"))->text(),
             QStringLiteral("One-way flow using powerlaw"));
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("summary_model"))->text(), QStringLiteral("Orifice area data"));

    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("name"));
    auto* dia = dialog.findChild<ui::UnitFieldEdit*>(QStringLiteral("row_dia"));
    auto* area = dialog.findChild<ui::UnitFieldEdit*>(QStringLiteral("row_area"));
    auto* dia_unit = dialog.findChild<QComboBox*>(QStringLiteral("unit_dia"));
    auto* area_unit = dialog.findChild<QComboBox*>(QStringLiteral("unit_area"));
    QVERIFY(name && dia && area && dia_unit && area_unit);

    type_into(name, QStringLiteral("orf1"));
    dia_unit->setCurrentIndex(2);  // cm: the area follows to cm2
    QCOMPARE(area_unit->currentIndex(), 2);
    type_into(dia, QStringLiteral("20"));
    name->setFocus(Qt::TabFocusReason);  // leaving the field validates it
    QCOMPARE(area->text().trimmed(), QStringLiteral("314.159"));

    press_ok(dialog);
    QCOMPARE(dialog.result(), static_cast<int>(QDialog::Accepted));
    QVERIFY(port.boxes.empty());
    const AirflowElement* stored = project.elements.find_by_name("orf1");
    QVERIFY(stored);
    QCOMPARE(dialog.record(), stored);
    const auto& d = std::get<OrificeData>(stored->data);
    QVERIFY(std::fabs(d.dia - 0.2) < 1e-6);
    QVERIFY(std::fabs(d.area - 0.0314159) < 1e-7);
    QCOMPARE(d.u_D, static_cast<std::int16_t>(2));
    QCOMPARE(d.u_A, static_cast<std::int16_t>(2));
    QVERIFY(d.turb > 0);
}

void ElementDialogsTest::blank_in_the_name_keeps_the_dialog_open()
{
    testing::ScriptedPort port;
    Project project;
    ElementForm form(fresh(kDorDoor));
    ui::ElementDialog dialog(nullptr, project, form, nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("name"));
    type_into(name, QStringLiteral("Door 1"));
    // A height typed but not left is checked by OK too.
    type_into(dialog.findChild<ui::UnitFieldEdit*>(QStringLiteral("row_ht")), QStringLiteral("2.5"));
    press_ok(dialog);
    QVERIFY(dialog.isVisible());
    QVERIFY(dialog.result() != QDialog::Accepted);
    QCOMPARE(port.boxes.size(), std::size_t{1});
    QCOMPARE(port.boxes[0].text, std::string(" Blanks not permitted in name\n"));
    QVERIFY(project.elements.count() == 0);
    QCOMPARE(std::get<DoorData>(form.working().data).ht, 2.5f);
    QVERIFY(name->hasFocus());
}

QTEST_MAIN(ElementDialogsTest)
#include "element_dialogs_test.moc"
