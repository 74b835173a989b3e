#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest>

#include <cmath>
#include <variant>

#include "forms/duct_element_form.h"
#include "model/project.h"
#include "support/scripted_port.h"
#include "ui/duct_dialogs.h"
#include "ui/unit_widgets.h"

using namespace avelor;

namespace {

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

class DuctDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void chooser_groups_and_preselects();
    void sheet_checks_the_name_then_takes_shape_and_leakage();
    void manager_refuses_to_delete_an_element_in_use();
};

void DuctDialogsTest::chooser_groups_and_preselects()
{
    DuctChooserState state;
    {
        ui::DuctChooserDialog chooser(nullptr, nullptr, state);
        QCOMPARE(chooser.windowTitle(), QStringLiteral("Duct Flow Element Models"));
        QVERIFY(chooser.button(kDctDwc)->isChecked());
        QCOMPARE(chooser.button(kDctBdq)->text(), QStringLiteral("Q = C(dP)^n"));
        QCOMPARE(chooser.button(kDctFan)->text(), QStringLiteral("Performance Curve"));
        chooser.button(kDctPsq)->setChecked(true);
        chooser.accept();
    }
    QCOMPARE(state.last_choice, static_cast<int>(kDctPsq));
    ui::DuctChooserDialog again(nullptr, nullptr, state);
    QVERIFY(again.button(kDctPsq)->isChecked());
    const DuctElement edited = new_duct_element(kDctCvf, NewElementContext{});
    ui::DuctChooserDialog editing(nullptr, &edited, state);
    QCOMPARE(editing.chosen(), static_cast<int>(kDctCvf));
}

void DuctDialogsTest::sheet_checks_the_name_then_takes_shape_and_leakage()
{
    testing::ScriptedPort port;
    Project project;
    DuctElementForm form(new_duct_element(kDctDwc, NewElementContext{}));
    ui::DuctElementSheet sheet(nullptr, project.duct_elements, form, nullptr);
    sheet.show();
    QVERIFY(QTest::qWaitForWindowActive(&sheet));
    QCOMPARE(sheet.windowTitle(), QStringLiteral("Duct Airflow Element Properties"));
    QTabWidget* pages = sheet.pages();
    QCOMPARE(pages->tabText(0), QStringLiteral("Darcey-Colebrook Model"));
    QCOMPARE(pages->tabText(1), QStringLiteral("Shape, Size and Leakage"));

    // No name yet: the sheet stays on the model page.
    pages->setCurrentIndex(1);
    QCOMPARE(pages->currentIndex(), 0);
    QCOMPARE(port.boxes.size(), std::size_t{1});
    QCOMPARE(port.boxes[0].caption, std::string("WARNING"));
    QCOMPARE(port.boxes[0].text, std::string(" Empty element name or leading blank in name not permitted.\n"
                                             "You can either enter a valid name or CANCEL.\n"));

    type_into(sheet.findChild<QLineEdit*>(QStringLiteral("name")), QStringLiteral("main"));
    pages->setCurrentIndex(1);
    QCOMPARE(pages->currentIndex(), 1);

    auto* rectangle = sheet.findChild<QRadioButton*>(QStringLiteral("rectangle"));
    QVERIFY(rectangle);
    QTest::mouseClick(rectangle, Qt::LeftButton);
    auto* width = sheet.findChild<ui::UnitFieldEdit*>(QStringLiteral("first_dimension"));
    QVERIFY(width && width->isEnabled());
    auto* height = sheet.findChild<ui::UnitFieldEdit*>(QStringLiteral("second_dimension"));
    QVERIFY(height->isEnabled());
    type_into(width, QStringLiteral("400"));  // mm
    height->setFocus(Qt::TabFocusReason);     // leaving the field validates it
    // 1.3 (0.4 * 0.2)^0.625 / 0.6^0.25 m, shown in mm.
    QCOMPARE(sheet.findChild<QLineEdit*>(QStringLiteral("hydraulic_diameter"))->text().trimmed(),
             QStringLiteral("304.675"));

    auto* ip = sheet.findChild<QRadioButton*>(QStringLiteral("leakage_ip"));
    ip->setFocus(Qt::TabFocusReason);
    QTest::keyClick(ip, Qt::Key_Space);
    QVERIFY(ip->isChecked());
    auto* leak_class = sheet.findChild<ui::UnitFieldEdit*>(QStringLiteral("leakage_class"));
    type_into(leak_class, QStringLiteral("24"));
    press_ok(sheet);
    QCOMPARE(sheet.result(), static_cast<int>(QDialog::Accepted));
    QCOMPARE(port.boxes.size(), std::size_t{1});

    const DuctElement* stored = project.duct_elements.find_by_name("main");
    QVERIFY(stored);
    QCOMPARE(sheet.record(), stored);
    QCOMPARE(stored->shape.shape, static_cast<std::int16_t>(kDuctRectangle));
    QVERIFY(std::fabs(stored->shape.Dh - 0.304675) < 1e-6);
    QCOMPARE(stored->shape.leak_dP, 248.84f);
    QVERIFY(std::fabs(stored->shape.leak_rate - 24 * std::pow(248.84, 0.65) / 710.37) < 1e-6);
    QCOMPARE(std::get<DarcyData>(stored->data).Dh, stored->shape.Dh);
}

void DuctDialogsTest::manager_refuses_to_delete_an_element_in_use()
{
    testing::ScriptedPort port;
    Project project;
    for (const char* name : {"main", "spare"}) {
        DuctElement e = new_duct_element(kDctDwc, NewElementContext{});
        e.name = name;
        project.duct_elements.insert_copy(e);
    }
    DuctSegment segment;
    segment.element = project.duct_elements.find_by_name("main");
    segment.len = 3;
    project.ducts.add(segment);

    DuctChooserState state;
    ui::DuctElementManagerDialog manager(nullptr, project, state);
    QCOMPARE(manager.windowTitle(), QStringLiteral("AVELORW Data and Library Manager: Duct Elements"));
    QListWidget* list = manager.element_list();
    QCOMPARE(list->count(), 2);
    QVERIFY(manager.findChild<QLabel*>(QStringLiteral("Summary"))->text().startsWith(
        QStringLiteral("Darcey-Colebrook Model")));
    auto* remove = manager.findChild<QPushButton*>(QStringLiteral("Delete"));
    QTest::mouseClick(remove, Qt::LeftButton);
    QCOMPARE(port.boxes.size(), std::size_t{1});
    QCOMPARE(port.boxes[0].text,
             std::string(" \"main\" is in use and cannot be deleted. It is used by:\nduct segment 1\n"));
    QCOMPARE(list->count(), 2);

    list->setCurrentRow(1);
    QTest::mouseClick(remove, Qt::LeftButton);
    QCOMPARE(list->count(), 1);
    QCOMPARE(project.duct_elements.count(), 1);
    QCOMPARE(port.boxes.size(), std::size_t{1});
}

QTEST_MAIN(DuctDialogsTest)
#include "duct_dialogs_test.moc"
