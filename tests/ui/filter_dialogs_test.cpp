#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "forms/filter_data_forms.h"
#include "forms/filter_element_form.h"
#include "forms/filter_form.h"
#include "model/project.h"
#include "support/scripted_port.h"
#include "ui/filter_dialogs.h"

using namespace avelor;

namespace {

void press_ok(QDialog& dialog)
{
    auto* box = dialog.findChild<QDialogButtonBox*>();
    QVERIFY(box);
    QTest::mouseClick(box->button(QDialogButtonBox::Ok), Qt::LeftButton);
}

void type_into(QLineEdit* edit, const QString& text)
{
    edit->setFocus(Qt::TabFocusReason);
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

}  // namespace

class FilterDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void chooser_disables_what_cannot_be_made();
    void element_dialog_needs_data_then_stores();
    void filter_properties_needs_an_element();
};

void FilterDialogsTest::chooser_disables_what_cannot_be_made()
{
    Project project;
    FilterChooser chooser;
    ui::FilterChooserDialog dialog(nullptr, project, chooser, false);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Filter Element Models"));
    QVERIFY(!dialog.button(kFltCef)->isEnabled());
    QVERIFY(!dialog.button(kFltGf0)->isEnabled());
    QVERIFY(!dialog.button(kFltSpf)->isEnabled());
    QVERIFY(dialog.button(kFltPf0)->isChecked());
    QCOMPARE(dialog.button(kFltUv1)->text(), QStringLiteral("Penn State UVGI"));
    dialog.button(kFltUv1)->setChecked(true);
    dialog.accept();
    QCOMPARE(chooser.last_choice, static_cast<int>(kFltUv1));
}

void FilterDialogsTest::element_dialog_needs_data_then_stores()
{
    testing::ScriptedPort port;
    Project project;
    FilterElementForm form(new_filter_element(kFltPf0));
    ui::FilterElementDialog dialog(nullptr, project, form, nullptr);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Filter Element: Simple Particle"));
    dialog.show();
    QCOMPARE(dialog.mass()->text(), QStringLiteral("10"));
    QCOMPARE(dialog.mass_unit()->text(), QStringLiteral("kg"));
    auto* density_unit = dialog.findChild<QComboBox*>(QStringLiteral("DensityUnit"));
    QVERIFY(density_unit);
    density_unit->setCurrentIndex(1);
    QCOMPARE(dialog.mass_unit()->text(), QStringLiteral("lb"));
    auto* area_unit = dialog.findChild<QComboBox*>(QStringLiteral("AreaUnit"));
    auto* depth_unit = dialog.findChild<QComboBox*>(QStringLiteral("DepthUnit"));
    area_unit->setCurrentIndex(1);
    QCOMPARE(depth_unit->currentIndex(), 1);

    type_into(dialog.findChild<QLineEdit*>(QStringLiteral("Name")), QStringLiteral("pf1"));
    press_ok(dialog);
    QVERIFY(dialog.isVisible());
    QVERIFY(!port.boxes.empty());
    QVERIFY(port.boxes.back().text.find("Filter element must have data defined.") != std::string::npos);
    QCOMPARE(project.filter_elements.count(), 0);

    form.set_data(ParticleFilterData{});
    press_ok(dialog);
    QCOMPARE(dialog.result(), static_cast<int>(QDialog::Accepted));
    QVERIFY(dialog.record());
    QCOMPARE(project.filter_elements.find_by_name("pf1"), dialog.record());
    QCOMPARE(dialog.record()->u_length, static_cast<std::int16_t>(1));
    QVERIFY(project.changed());
}

void FilterDialogsTest::filter_properties_needs_an_element()
{
    testing::ScriptedPort port;
    Project project;
    FilterElement e = new_filter_element(kFltCef);
    e.data = ConstantEfficiencyData{};
    e.name = "a";
    FilterElement* a = project.filter_elements.insert_copy(e);
    e.name = "b";
    FilterElement* b = project.filter_elements.insert_copy(e);
    e.name = "sup";
    e.type = kFltSpf;
    e.data = SuperFilterData{{a, b, a}};
    project.filter_elements.insert_copy(e);

    Filter working;
    working.nr = 4;
    FilterForm form(working, project.filter_elements);
    ui::FilterPropertiesDialog dialog(nullptr, project, form, ui::session_filter_chooser());
    dialog.show();
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("Number"))->text(), QStringLiteral("4"));
    QVERIFY(dialog.findChild<QPushButton*>(QStringLiteral("Library"))->isEnabled());  // the filter element library
    QVERIFY(!dialog.findChild<QPushButton*>(QStringLiteral("Replace"))->isEnabled());
    press_ok(dialog);
    QVERIFY(dialog.isVisible());
    QVERIFY(port.boxes.back().text.find("A Name must be selected.") != std::string::npos);

    dialog.element_box()->setCurrentIndex(dialog.element_box()->findText(QStringLiteral("sup")));
    QCOMPARE(dialog.loads()->count(), 3);
    QCOMPARE(dialog.loads()->item(1)->text(), QStringLiteral("               b  0"));
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("Type"))->text(), QStringLiteral("Super Filter Element"));
    dialog.loads()->setCurrentRow(2);
    QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("Loading"))->text(), QStringLiteral("0"));
    press_ok(dialog);
    QCOMPARE(dialog.result(), static_cast<int>(QDialog::Accepted));
    QCOMPARE(form.working().loads.size(), std::size_t{3});
    QCOMPARE(form.working().loads[2].element, a);
}

QTEST_MAIN(FilterDialogsTest)
#include "filter_dialogs_test.moc"
