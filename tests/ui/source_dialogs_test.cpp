#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "forms/source_element_form.h"
#include "model/project.h"
#include "support/scripted_port.h"
#include "support/species_fixtures.h"
#include "ui/source_dialogs.h"
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

bool told(const testing::ScriptedPort& port, const std::string& text)
{
    for (const auto& box : port.boxes)
        if (box.text.find(text) != std::string::npos) return true;
    return false;
}

}  // namespace

class SourceDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void chooser_groups_and_disables_super_inside_a_super();
    void element_dialog_takes_species_and_fields();
    void super_dialog_needs_two_sub_elements();
    void manager_shows_summary_and_refuses_deleting_in_use();
};

void SourceDialogsTest::chooser_groups_and_disables_super_inside_a_super()
{
    SourceChooser chooser;
    {
        ui::SourceChooserDialog dialog(nullptr, nullptr, chooser);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Source/Sink Element Models"));
        QVERIFY(dialog.button(kSrcCcf)->isChecked());
        QCOMPARE(dialog.button(kSrcDrs)->text(), QStringLiteral("Depositon Rate"));
        QCOMPARE(qobject_cast<QGroupBox*>(dialog.button(kSrcPkm)->parentWidget())->title(), QStringLiteral("NRCC"));
        QCOMPARE(qobject_cast<QGroupBox*>(dialog.button(kSrcSup)->parentWidget())->title(), QStringLiteral("AVELOR"));
        dialog.button(kSrcEds)->setChecked(true);
        dialog.accept();
    }
    QCOMPARE(chooser.last_choice, static_cast<int>(kSrcEds));
    SourceChooser inner{true, kSrcSup};
    ui::SourceChooserDialog dialog(nullptr, nullptr, inner);
    QVERIFY(!dialog.button(kSrcSup)->isEnabled());
    QCOMPARE(dialog.chosen(), static_cast<int>(kSrcCcf));
}

void SourceDialogsTest::element_dialog_takes_species_and_fields()
{
    testing::ScriptedPort port;
    Project project;
    testing::add_species(project, "CO2", 0, 0)->molwt = 44;
    testing::add_species(project, "dust", 0, 0);
    SourceChooser chooser;
    SourceElementForm form(new_source_element(kSrcCut, nullptr), project.species);
    ui::SourceElementDialog dialog(nullptr, project, form, nullptr, chooser);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Cutoff Concentration Model"));
    QCOMPARE(dialog.species_box()->currentText(), QStringLiteral("CO2"));

    type_into(dialog.findChild<QLineEdit*>(QStringLiteral("Name")), QStringLiteral("printer"));
    type_into(dialog.findChild<QLineEdit*>(QStringLiteral("Field0")), QStringLiteral("0.5"));
    dialog.species_box()->setCurrentIndex(1);  // dust: the fields are made anew
    type_into(dialog.findChild<QLineEdit*>(QStringLiteral("Field1")), QStringLiteral("2"));
    press_ok(dialog);
    QCOMPARE(dialog.result(), static_cast<int>(QDialog::Accepted));
    const SourceElement* stored = project.source_elements.find_by_name("printer");
    QVERIFY(stored);
    QCOMPARE(stored->species, project.species.find_by_name("dust"));
    QCOMPARE(stored->v[0], 0.5f);
    QCOMPARE(stored->v[1], 2.0f);
    QVERIFY(port.boxes.empty());
}

void SourceDialogsTest::super_dialog_needs_two_sub_elements()
{
    testing::ScriptedPort port;
    Project project;
    Species* co2 = testing::add_species(project, "CO2", 0, 0);
    for (const char* name : {"a", "b"}) {
        SourceElement e = new_source_element(kSrcBrs, co2);
        e.name = name;
        project.source_elements.insert_copy(e);
    }
    SourceChooser chooser;
    SourceElementForm form(new_source_element(kSrcSup, nullptr), project.species);
    ui::SourceElementDialog dialog(nullptr, project, form, nullptr, chooser);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(dialog.available_elements()->count(), 2);
    type_into(dialog.findChild<QLineEdit*>(QStringLiteral("Name")), QStringLiteral("mix"));
    auto* add = dialog.findChild<QPushButton*>(QStringLiteral("Add"));
    dialog.available_elements()->setCurrentRow(0);
    QTest::mouseClick(add, Qt::LeftButton);
    press_ok(dialog);
    QVERIFY(dialog.isVisible());
    QVERIFY(told(port, "A super source element requires at least 2 sub elements."));
    dialog.available_elements()->setCurrentRow(1);
    QTest::mouseClick(add, Qt::LeftButton);
    QCOMPARE(dialog.sub_elements()->count(), 2);
    press_ok(dialog);
    QCOMPARE(dialog.result(), static_cast<int>(QDialog::Accepted));
    QCOMPARE(project.source_elements.find_by_name("mix")->subs.size(), std::size_t{2});
}

void SourceDialogsTest::manager_shows_summary_and_refuses_deleting_in_use()
{
    testing::ScriptedPort port;
    Project project;
    Species* co2 = testing::add_species(project, "CO2", 0, 0);
    SourceElement e = new_source_element(kSrcCcf, co2);
    e.name = "printer";
    e.v[0] = 2e-6f;
    SourceSink s;
    s.element = project.source_elements.insert_copy(e);
    project.sources.add(s);
    SourceChooser chooser;
    ui::SourceElementManagerDialog manager(nullptr, project, chooser);
    manager.show();
    QVERIFY(QTest::qWaitForWindowActive(&manager));
    QCOMPARE(manager.windowTitle(), QStringLiteral("AVELORW Data and Library Manager: Source/Sink Elements"));
    QCOMPARE(manager.element_list()->count(), 1);
    QVERIFY(manager.summary()->text().contains(QStringLiteral("S(t) = G - D*C(t)")));
    QVERIFY(manager.summary()->text().contains(QStringLiteral("Generation Rate (G): 2e-06 kg/s")));
    QTest::mouseClick(manager.findChild<QPushButton*>(QStringLiteral("Delete")), Qt::LeftButton);
    QVERIFY(told(port, "is in use and cannot be deleted"));
    QCOMPARE(project.source_elements.count(), 1);
}

QTEST_MAIN(SourceDialogsTest)
#include "source_dialogs_test.moc"
