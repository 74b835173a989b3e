#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include <string>

#include "model/airflow_rules.h"
#include "model/project.h"
#include "support/scripted_port.h"
#include "ui/element_manager.h"
#include "ui/text_1252.h"
#include "ui/unit_widgets.h"

using namespace avelor;

namespace {

constexpr int kFeet = 1;  // Length units: m, ft, ...

AirflowElement* add_element(Project& project, int type, const std::string& name)
{
    NewElementState state;
    AirflowElement e = new_airflow_element(type, NewElementContext{}, state);
    e.name = name;
    return project.elements.insert_copy(e);
}

template <class W>
W* child(const QWidget& parent, const char* name)
{
    W* widget = parent.findChild<W*>(QString::fromLatin1(name));
    if (!widget) qFatal("no child %s", name);
    return widget;
}

QStringList combo_items(const QComboBox& combo)
{
    QStringList items;
    for (int i = 0; i < combo.count(); ++i) items << combo.itemText(i);
    return items;
}

}  // namespace

class ElementManagerTest : public QObject {
    Q_OBJECT
private slots:
    void super_element_needs_two_sub_elements_and_one_schedule();
    void manager_lists_elements_in_name_order();
};

void ElementManagerTest::super_element_needs_two_sub_elements_and_one_schedule()
{
    testing::ScriptedPort port;
    Project project;
    AirflowElement* door = add_element(project, kDorDoor, "door");
    AirflowElement* crack = add_element(project, kPlrCrack, "crack");
    add_element(project, kSupAfe, "combo");
    const int before = project.elements.count();

    NewElementState made;
    AirflowElement copy = new_airflow_element(kSupAfe, NewElementContext{}, made);
    ChooserState state;
    ui::SuperElementDialog dialog(nullptr, project, copy, nullptr, state);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Super Airflow Element"));

    auto* element = child<QComboBox>(dialog, "Element");
    QCOMPARE(combo_items(*element), (QStringList{"crack", "door"}));
    element->setCurrentIndex(1);
    QCOMPARE(child<QLabel>(dialog, "Category")->text(), QStringLiteral("Two-way flow"));

    child<QLineEdit>(dialog, "Name")->setText(QStringLiteral("stack"));
    child<ui::UnitSelectorCombo>(dialog, "ElevationUnit")->setCurrentIndex(kFeet);
    auto* elevation = child<ui::UnitFieldEdit>(dialog, "Elevation");
    auto* schedulable = child<QCheckBox>(dialog, "Schedulable");
    auto* add = child<QPushButton>(dialog, "Add");
    auto* rows = child<QTreeWidget>(dialog, "SubElements");
    auto enter = [&](int index, const char* feet) {
        element->setCurrentIndex(index);
        elevation->setText(QString::fromLatin1(feet));  // still in the field when Add is pressed
        schedulable->setChecked(true);
        QTest::mouseClick(add, Qt::LeftButton);
    };

    enter(1, "10");
    QCOMPARE(rows->topLevelItemCount(), 1);
    dialog.accept();
    QCOMPARE(port.boxes.size(), std::size_t{1});
    QCOMPARE(port.boxes[0].text, std::string(" A super air flow element requires at least 2 sub elements.\n"));
    QVERIFY(dialog.isVisible());
    QVERIFY(dialog.record() == nullptr);
    QCOMPARE(project.elements.count(), before);

    enter(0, "-5");
    QCOMPARE(rows->topLevelItem(0)->text(3), QStringLiteral("No"));
    QCOMPARE(rows->topLevelItem(1)->text(1), QStringLiteral("-5"));
    dialog.accept();
    QCOMPARE(port.boxes.size(), std::size_t{1});
    QVERIFY(!dialog.isVisible());

    AirflowElement* stored = dialog.record();
    QVERIFY(stored != nullptr);
    QCOMPARE(project.elements.find_by_name("stack"), stored);
    const auto& super = std::get<SuperData>(stored->data);
    QCOMPARE(super.u_H, std::int16_t{kFeet});
    QCOMPARE(super.subs.size(), std::size_t{2});
    QCOMPARE(super.subs[0].element, door);
    QCOMPARE(super.subs[1].element, crack);
    QCOMPARE(super.subs[0].relHt, 3.048f);
    QCOMPARE(super.subs[1].relHt, -1.524f);
    QCOMPARE(super.subs[0].scheduled, std::int16_t{0});
    QCOMPARE(super.subs[1].scheduled, std::int16_t{1});
}

void ElementManagerTest::manager_lists_elements_in_name_order()
{
    testing::ScriptedPort port;
    Project project;
    add_element(project, kPlrOrfc, "zeta");
    add_element(project, kFanCmf, "alpha");
    add_element(project, kDorPl2, "Mid");
    ChooserState state;
    ui::ElementManagerDialog dialog(nullptr, project, state);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("AVELORW Data and Library Manager: Airflow Elements"));

    auto* list = child<QListWidget>(dialog, "Elements");
    QStringList names;
    for (int i = 0; i < list->count(); ++i) names << list->item(i)->text();
    QCOMPARE(names, (QStringList{"Mid", "alpha", "zeta"}));

    list->setCurrentRow(1);
    const ElementSummary fan = element_summary(project.elements.find_by_name("alpha"));
    QCOMPARE(child<QLabel>(dialog, "Category")->text(), ui::from_1252(fan.category));
    QCOMPARE(child<QLabel>(dialog, "Model")->text(), ui::from_1252(fan.model));
}

QTEST_MAIN(ElementManagerTest)
#include "element_manager_test.moc"
