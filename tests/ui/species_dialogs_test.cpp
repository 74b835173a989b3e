#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <string>
#include <vector>

#include "model/project.h"
#include "model/species.h"
#include "support/scripted_port.h"
#include "ui/species_dialogs.h"
#include "ui/unit_widgets.h"

using namespace avelor;

namespace {

Species* add_species(Project& project, const std::string& name, std::int16_t t, float CCdef,
                     std::int16_t s)
{
    Species species = new_species();
    species.name = name;
    species.t = t;
    species.s = s;
    species.CCdef = CCdef;
    return project.species.insert_copy(species);
}

QStringList lines_of(const QListWidget* list)
{
    QStringList lines;
    for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
    return lines;
}

void type_into(QWidget* edit, const QString& text)
{
    auto* line = qobject_cast<QLineEdit*>(edit);
    QVERIFY(line);
    line->selectAll();
    QTest::keyClicks(line, text);
}

ui::UnitFieldEdit* unit_edit(const ui::SpeciesDialog& dialog, SpeciesField field)
{
    return qobject_cast<ui::UnitFieldEdit*>(dialog.field_widget(field));
}

std::string box_text(const std::string& message) { return " " + message + "\n"; }

}  // namespace

class SpeciesDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void new_species_takes_values_in_the_units_chosen();
    void refusal_shows_its_text_and_keeps_the_dialog_open();
    void project_species_move_between_the_lists();
    void reaction_is_accepted_with_a_pair();
    void manager_lists_the_project_elements_and_edits_them();
};

void SpeciesDialogsTest::new_species_takes_values_in_the_units_chosen()
{
    testing::ScriptedPort port;
    Project project;
    project.mark_saved();
    ui::SpeciesDialog dialog(project.species, nullptr);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Species Properties"));

    type_into(dialog.field_widget(SpeciesField::Name), QStringLiteral("CO2"));
    // Diameter in micrometres.
    ui::UnitSelectorCombo* diameter_units = dialog.unit_box(SpeciesField::MeanDiameter);
    diameter_units->setCurrentIndex(diameter_units->findText(QString::fromUtf8("\u00b5m")));
    type_into(dialog.field_widget(SpeciesField::MeanDiameter), QStringLiteral("2.5"));
    QVERIFY(unit_edit(dialog, SpeciesField::MeanDiameter)->commit());  // as leaving it does
    // A molecular weight brings the volumetric units into the concentration
    // list, which had only mass units before.
    ui::UnitSelectorCombo* concentration_units = dialog.unit_box(SpeciesField::DefaultConcentration);
    QCOMPARE(concentration_units->findText(QStringLiteral("ppm")), -1);
    type_into(dialog.field_widget(SpeciesField::MolecularWeight), QStringLiteral("44"));
    QVERIFY(unit_edit(dialog, SpeciesField::MolecularWeight)->commit());
    const int ppm = concentration_units->findText(QStringLiteral("ppm"));
    QVERIFY(ppm > 0);
    concentration_units->setCurrentIndex(ppm);
    type_into(dialog.field_widget(SpeciesField::DefaultConcentration), QStringLiteral("400"));
    dialog.non_trace_box()->setChecked(true);

    dialog.accept();  // checks the fields still being typed in first
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(port.boxes.empty());
    QCOMPARE(project.species.count(), 1);
    const Species* stored = project.species.find_by_name("CO2");
    QVERIFY(stored);
    QCOMPARE(dialog.stored(), stored);
    QCOMPARE(stored->mdiam, 2.5e-6f);
    QCOMPARE(stored->u[1], std::int16_t(6));
    QCOMPARE(stored->molwt, 44.0f);
    QCOMPARE(stored->u[0], std::int16_t(ppm));
    QCOMPARE(stored->CCdef,
             convert_units(400, false, concentration_kind(*stored), ppm, stored));
    QVERIFY(stored->CCdef > 0 && stored->CCdef < 1e-3f);
    QCOMPARE(stored->display_unit_name, std::string("ppm"));
    QCOMPARE(stored->t, std::int16_t(1));
    QVERIFY(project.changed());
}

void SpeciesDialogsTest::refusal_shows_its_text_and_keeps_the_dialog_open()
{
    struct Case {
        const char* label;
        SpeciesField field;
        QString typed;
        std::string caption;
        std::string message;
    };
    const Case cases[] = {
        {"blank in name", SpeciesField::Name, QStringLiteral("carbon dioxide"), "WARNING",
         "Blanks not permitted in name"},
        {"name in use", SpeciesField::Name, QStringLiteral("N2"), "ERROR",
         "May not use existing name"},
        {"negative diameter", SpeciesField::MeanDiameter, QStringLiteral("-1"), "WARNING",
         "Value must not be less than 0 m"},
    };
    for (const Case& c : cases) {
        testing::ScriptedPort port;
        Project project;
        add_species(project, "N2", 1, 1, 1);
        project.mark_saved();
        ui::SpeciesDialog dialog(project.species, nullptr);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        if (c.field != SpeciesField::Name)
            type_into(dialog.field_widget(SpeciesField::Name), QStringLiteral("PM"));
        type_into(dialog.field_widget(c.field), c.typed);
        dialog.field_widget(SpeciesField::Description)->setFocus(Qt::OtherFocusReason);

        dialog.accept();
        QVERIFY2(dialog.isVisible(), c.label);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(port.boxes.size(), std::size_t{1});
        QCOMPARE(port.boxes[0].caption, c.caption);
        QCOMPARE(port.boxes[0].text, box_text(c.message));
        QVERIFY2(dialog.field_widget(c.field)->hasFocus(), c.label);
        QCOMPARE(project.species.count(), 1);
        QVERIFY(!project.changed());
    }
}

void SpeciesDialogsTest::project_species_move_between_the_lists()
{
    testing::ScriptedPort port;
    Project project;
    Species* n2 = add_species(project, "N2", 1, 0.79f, 1);
    Species* o2 = add_species(project, "O2", 1, 0.21f, 0);
    Species* co2 = add_species(project, "CO2", 0, 0, 0);
    ui::ProjectSpeciesDialog dialog(project);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Project Species"));
    QCOMPARE(lines_of(dialog.species_list()), QStringList({"CO2", "N2", "O2"}));
    QCOMPARE(lines_of(dialog.contaminant_list()), QStringList({"N2"}));
    QVERIFY(!dialog.add_button()->isEnabled());

    // A single non-trace contaminant is refused and the dialog stays.
    dialog.accept();
    QVERIFY(dialog.isVisible());
    QCOMPARE(port.boxes.size(), std::size_t{1});
    QCOMPARE(port.boxes[0].text, box_text("More than one non-trace contaminants required."));

    // Add CO2 and O2: non-trace first by default concentration, trace last.
    dialog.species_list()->item(0)->setSelected(true);
    dialog.species_list()->item(2)->setSelected(true);
    QVERIFY(dialog.add_button()->isEnabled());
    QCOMPARE(dialog.pane_value(QStringLiteral("Use in Simulation:"))->text(),
             QStringLiteral("Don't use"));
    dialog.add_button()->click();
    QCOMPARE(lines_of(dialog.contaminant_list()), QStringList({"N2", "O2", "CO2"}));
    QCOMPARE(dialog.summary_value(0)->text(), QStringLiteral("3"));
    QCOMPARE(dialog.summary_value(1)->text(), QStringLiteral("2"));
    QCOMPARE(dialog.pane_value(QStringLiteral("Use in Simulation:"))->text(),
             QStringLiteral("Use"));

    // Remove CO2 again.
    QVERIFY(!dialog.remove_button()->isEnabled());
    dialog.contaminant_list()->item(2)->setSelected(true);
    QVERIFY(dialog.remove_button()->isEnabled());
    dialog.remove_button()->click();
    QCOMPARE(lines_of(dialog.contaminant_list()), QStringList({"N2", "O2"}));
    QCOMPARE(co2->s, std::int16_t(0));

    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
    QCOMPARE(port.boxes.size(), std::size_t{1});
    QCOMPARE(project.Ctm, (std::vector<Species*>{n2, o2}));
}

void SpeciesDialogsTest::reaction_is_accepted_with_a_pair()
{
    testing::ScriptedPort port;
    Project project;
    Species* a = add_species(project, "A", 0, 0, 1);
    Species* b = add_species(project, "B", 0, 0, 1);
    project.mark_saved();
    ui::KineticReactionDialog dialog(project.reactions, project.species, nullptr);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Kinetic Reaction Data"));
    QCOMPARE(dialog.pair_list()->font().family(), QStringLiteral("Courier New"));
    type_into(dialog.name_edit(), QStringLiteral("Decay"));

    // No pair yet.
    dialog.accept();
    QVERIFY(dialog.isVisible());
    QCOMPARE(port.boxes.size(), std::size_t{1});
    QCOMPARE(port.boxes[0].caption, std::string("WARNING"));
    QCOMPARE(port.boxes[0].text, box_text("No reactions defined.\nEither Cancel or define reactions."));
    QVERIFY(!dialog.replace_button()->isEnabled());
    QVERIFY(!dialog.delete_button()->isEnabled());

    dialog.reactant_box()->setCurrentIndex(0);
    dialog.product_box()->setCurrentIndex(1);
    type_into(dialog.coefficient_edit(), QStringLiteral("-0.25"));
    dialog.add_button()->click();  // takes the coefficient still being typed
    QCOMPARE(dialog.pair_list()->count(), 1);
    QVERIFY(dialog.pair_list()->item(0)->text().endsWith(QStringLiteral("-0.25")));
    QVERIFY(dialog.replace_button()->isEnabled());

    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(port.boxes.size(), std::size_t{1});
    const KineticReaction* stored = project.reactions.find_by_name("Decay");
    QVERIFY(stored);
    QCOMPARE(dialog.stored(), stored);
    QCOMPARE(stored->pairs.size(), std::size_t{1});
    QCOMPARE(stored->pairs[0].reactant, a);
    QCOMPARE(stored->pairs[0].product, b);
    QCOMPARE(stored->pairs[0].coefficient, -0.25f);
    QVERIFY(project.changed());
}

void SpeciesDialogsTest::manager_lists_the_project_elements_and_edits_them()
{
    testing::ScriptedPort port;
    Project project;
    add_species(project, "O2", 1, 0.21f, 1);
    add_species(project, "N2", 1, 0.79f, 1);
    ui::ProjectElementsDialog manager(ui::species_manager_kind(project));
    manager.show();
    QCOMPARE(manager.windowTitle(), QStringLiteral("AVELORW Data and Library Manager: Species"));
    QCOMPARE(lines_of(manager.element_list()), QStringList({"N2", "O2"}));
    QVERIFY(!manager.edit_button()->isEnabled());

    // Edit renames O2 through its own dialog, opened modally.
    manager.element_list()->setCurrentRow(1);
    QVERIFY(manager.edit_button()->isEnabled());
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<ui::SpeciesDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        seen = true;
        QCOMPARE(qobject_cast<QLineEdit*>(dialog->field_widget(SpeciesField::Name))->text(),
                 QStringLiteral("O2"));
        type_into(dialog->field_widget(SpeciesField::Name), QStringLiteral("Oxygen"));
        dialog->accept();
    });
    manager.edit_button()->click();
    QVERIFY(seen);
    QCOMPARE(lines_of(manager.element_list()), QStringList({"N2", "Oxygen"}));
    QCOMPARE(project.species.count(), 2);

    ui::ProjectElementsDialog reactions(ui::reaction_manager_kind(project));
    QCOMPARE(reactions.windowTitle(),
             QStringLiteral("AVELORW Data and Library Manager: Kinetic Reactions"));
    QCOMPARE(reactions.element_list()->count(), 0);

    // Library... opens the contaminant library manager for the kind.
    QString library_title;
    QTimer::singleShot(0, [&] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            library_title = dialog->windowTitle();
            dialog->reject();
        }
    });
    auto* library = manager.findChild<QPushButton*>(QStringLiteral("Library"));
    QVERIFY(library);
    library->click();
    QCOMPARE(library_title, QStringLiteral("AVELORW Data and Library Manager: Species"));
    QCOMPARE(lines_of(manager.element_list()), QStringList({"N2", "Oxygen"}));
}

QTEST_MAIN(SpeciesDialogsTest)
#include "species_dialogs_test.moc"
