#include "forms/kinetic_reaction_form.h"
#include "forms/project_species_form.h"
#include "forms/species_form.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/project.h"
#include "support/scripted_port.h"
#include "support/species_fixtures.h"

namespace avelor {
namespace {

using testing::ScriptedPort;

using testing::add_species;

std::vector<std::string> names_of_order(const Project& project)
{
    std::vector<std::string> names;
    for (const Species* s : contaminant_order(project.species)) names.push_back(s->name);
    return names;
}

std::string warning_box(std::string_view text) { return " " + std::string(text) + "\n"; }

class SpeciesFormTest : public ::testing::Test {
protected:
    void SetUp() override { project.mark_saved(); }
    ScriptedPort port;
    Project project;
};

TEST_F(SpeciesFormTest, NewSpeciesIsStoredOnlyByAnAcceptedOk)
{
    {
        SpeciesForm cancelled(project.species);
        cancelled.set_name("CO2");
    }
    EXPECT_EQ(project.species.count(), 0);
    EXPECT_FALSE(project.changed());

    SpeciesForm form(project.species);
    EXPECT_EQ(form.field(SpeciesField::Diffusivity).shown_text(), " 2e-05");
    EXPECT_EQ(form.field(SpeciesField::SpecificHeat).shown_text(), "  1000");
    form.set_name("CO2");
    form.set_description("carbon\ndioxide");
    ASSERT_TRUE(form.leave_field(SpeciesField::MolecularWeight, "44"));
    const FormAnswer<SpeciesField> answer = form.accept();
    EXPECT_TRUE(answer.accepted);
    ASSERT_EQ(project.species.count(), 1);
    const Species* stored = project.species.head();
    EXPECT_EQ(form.stored(), stored);
    EXPECT_EQ(stored->molwt, 44.0f);
    EXPECT_EQ(stored->desc, "carbon dioxide");
    EXPECT_EQ(stored->display_unit_name, "kg/kg");
    EXPECT_TRUE(project.changed());
    EXPECT_TRUE(port.boxes.empty());
}

TEST_F(SpeciesFormTest, NameRulesRefuseWithTheirMessages)
{
    add_species(project, "N2", 1, 0.79f);
    struct Case {
        std::string name;
        int severity;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"N2", ERROR, "May not use existing name"},
        {"carbon dioxide", WARNING, "Blanks not permitted in name"},
        {"", WARNING, "Empty name not permitted"},
        {"abcdefghijklmnop", WARNING, "Name is longer than 15 characters"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedPort local;
        SpeciesForm form(project.species);
        form.set_name(c.name);
        const FormAnswer<SpeciesField> answer = form.accept();
        EXPECT_FALSE(answer.accepted);
        EXPECT_EQ(answer.severity, c.severity);
        EXPECT_EQ(answer.text, c.text);
        EXPECT_EQ(answer.focus, SpeciesField::Name);
        ASSERT_EQ(local.boxes.size(), 1u);
        EXPECT_EQ(local.boxes[0].caption, severity_word(c.severity));
        EXPECT_EQ(local.boxes[0].text, warning_box(c.text));
    }
    EXPECT_EQ(project.species.count(), 1);

    // Editing keeps its own name.
    SpeciesForm edit(project.species, project.species.head());
    edit.set_description("nitrogen");
    EXPECT_TRUE(edit.accept().accepted);
    EXPECT_EQ(project.species.head()->desc, "nitrogen");
}

TEST_F(SpeciesFormTest, LeavingAPropertyThatSetsTheUnitsWarnsFirst)
{
    SpeciesForm form(project.species);
    EXPECT_TRUE(form.leave_field(SpeciesField::MolecularWeight, "44"));
    EXPECT_TRUE(port.boxes.empty()) << "no warning while the stored value is 0";
    EXPECT_FALSE(form.leave_field(SpeciesField::MolecularWeight, "-1"));
    ASSERT_EQ(port.boxes.size(), 2u);
    EXPECT_EQ(port.boxes[0].caption, "WARNING");
    EXPECT_EQ(port.boxes[0].text, warning_box(SpeciesForm::kPropertyWarning));
    EXPECT_EQ(port.boxes[1].text, " Value must not be less than 0 \n");
    EXPECT_EQ(form.working().molwt, 44.0f);
    port.boxes.clear();
    EXPECT_TRUE(form.leave_field(SpeciesField::DecayRate, "0.001"));
    EXPECT_TRUE(port.boxes.empty()) << "the decay rate changes no emission rates";
}

TEST_F(SpeciesFormTest, ConcentrationUnitFollowsTheProperties)
{
    // A particle with a decay constant starts in Bq/kg of the full list.
    Species radon = new_species();
    radon.name = "Rn";
    radon.molwt = 222;
    radon.mdiam = 1e-7f;
    radon.edens = 1000;
    radon.decay = 2e-6f;
    radon.u[0] = 3;
    Species* stored = project.species.insert_copy(radon);
    SpeciesForm form(project.species, stored);
    EXPECT_EQ(form.selector(SpeciesField::DefaultConcentration).label(), "Bq/kg");

    ASSERT_TRUE(form.leave_field(SpeciesField::DecayRate, "0"));
    const UnitSelector& units = form.selector(SpeciesField::DefaultConcentration);
    EXPECT_EQ(units.kind(), UnitKind::ConcentrationNoDecay);
    EXPECT_EQ(form.working().u[0], 0) << "Bq/kg falls back to kg/kg";

    ASSERT_TRUE(form.select_unit(SpeciesField::DefaultConcentration, 21));  // ng/ft³
    ASSERT_TRUE(form.leave_field(SpeciesField::DecayRate, "1e-6"));
    EXPECT_EQ(form.working().u[0], 25) << "ng/ft\xB3 stays ng/ft\xB3 in the full list";
    EXPECT_EQ(units.label(), "ng/ft\xB3");
    EXPECT_EQ(form.field(SpeciesField::DefaultConcentration).unit(), 25);

    ASSERT_TRUE(form.leave_field(SpeciesField::DecayRate, "0"));
    ASSERT_TRUE(form.select_unit(SpeciesField::DefaultConcentration, 36));  // #/kg
    ASSERT_TRUE(form.leave_field(SpeciesField::MolecularWeight, "0"));
    EXPECT_EQ(units.kind(), UnitKind::ConcentrationNoVolume);
    EXPECT_EQ(form.working().u[0], 20) << "#/kg stays #/kg";

    ASSERT_TRUE(form.select_unit(SpeciesField::DefaultConcentration, 21));  // #/m³ in kind 28
    ASSERT_TRUE(form.leave_field(SpeciesField::MeanDiameter, "0"));
    EXPECT_EQ(form.working().u[0], 0) << "a count unit without a diameter falls back to kg/kg";

    EXPECT_TRUE(form.accept().accepted);
    EXPECT_EQ(stored->display_unit_name, "kg/kg");
}

class SpeciesProjectFormTest : public ::testing::Test {
protected:
    ScriptedPort port;
    Project project;
};

TEST_F(SpeciesProjectFormTest, ListsAndSummaryFollowTheFlagsAtOnce)
{
    add_species(project, "CO2", 0, 0.001f, 0);
    add_species(project, "N2", 1, 0.79f, 0);
    add_species(project, "O2", 1, 0.21f, 0);
    ProjectSpeciesForm form(project);
    EXPECT_EQ(form.contaminant_lines(), (std::vector<std::string>{"No contaminants"}));
    EXPECT_FALSE(form.add_enabled());
    form.select_contaminants({0});
    EXPECT_FALSE(form.remove_enabled()) << "\"No contaminants\" is not a contaminant";

    form.select_species({0, 1, 2});
    ASSERT_TRUE(form.add_enabled());
    form.add_contaminants();
    EXPECT_EQ(form.contaminant_lines(), (std::vector<std::string>{"N2", "O2", "CO2"}));
    const auto lines = form.summary_lines();
    EXPECT_EQ(lines[0].caption, "Total Number of Contaminants:");
    EXPECT_EQ(lines[0].value, "3");
    EXPECT_EQ(lines[1].caption, "Number of Non-Trace Contaminants:");
    EXPECT_EQ(lines[1].value, "2");
    EXPECT_EQ(lines[2].caption, "Default Concentration of non-Trace Contaminants:");
    EXPECT_EQ(lines[2].value, "1");

    form.select_contaminants({2});
    form.remove_contaminants();
    EXPECT_EQ(form.contaminant_lines(), (std::vector<std::string>{"N2", "O2"}));
    EXPECT_TRUE(project.nctm() == 0) << "the order itself waits for the dialog to close";
    EXPECT_EQ(form.close(), 0);
    EXPECT_EQ(project.nctm(), 2);
}

TEST_F(SpeciesProjectFormTest, PaneShowsTheSelectedSpeciesInItsUnits)
{
    Species dust = new_species();
    dust.name = "Dust";
    dust.mdiam = 2.54e-6f;
    dust.u[1] = 3;  // in
    dust.t = 1;
    project.species.insert_copy(dust);
    ProjectSpeciesForm form(project);
    EXPECT_FALSE(form.pane().has_value());
    form.select_species({0});
    const auto pane = form.pane();
    ASSERT_TRUE(pane.has_value());
    EXPECT_EQ(pane->mdiam, "0.0001");
    EXPECT_EQ(pane->mdiam_unit, "in");
    EXPECT_EQ(pane->Dm, "2e-05");
    EXPECT_EQ(pane->CCdef_unit, "kg/kg");
    EXPECT_EQ(pane->trace, "Non-trace");
    EXPECT_EQ(pane->use, "Use");
}

TEST_F(SpeciesProjectFormTest, SpeciesInUseCannotBeDeleted)
{
    Species* a = add_species(project, "A", 0, 0);
    Species* b = add_species(project, "B", 0, 0);
    add_species(project, "C", 0, 0);
    KineticReaction r;
    r.name = "R";
    r.pairs = {{b, b, 1}};
    project.reactions.insert_copy(r);
    a->use_count = 5;  // stale: the dialog recounts when it opens

    ProjectSpeciesForm form(project);
    form.select_species({0, 1});
    EXPECT_FALSE(form.delete_enabled());
    form.select_species({0, 2});
    ASSERT_TRUE(form.delete_enabled());

    port.answers = {Answer::No};
    EXPECT_FALSE(form.delete_selected());
    EXPECT_EQ(project.species.count(), 3);
    port.answers = {Answer::Yes};
    EXPECT_TRUE(form.delete_selected());
    EXPECT_EQ(port.questions, (std::vector<std::string>{"Delete the selected species?",
                                                        "Delete the selected species?"}));
    EXPECT_EQ(form.species_lines(), (std::vector<std::string>{"B"}));
}

TEST_F(SpeciesProjectFormTest, CloseRefusesAnUnacceptableSetAndStaysOpen)
{
    add_species(project, "N2", 1, 1.0f);
    ProjectSpeciesForm form(project);
    EXPECT_NE(form.close(), 0);
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].text, " More than one non-trace contaminants required.\n");
    EXPECT_EQ(project.nctm(), 0);
}

TEST_F(SpeciesProjectFormTest, DeletedContaminantsStorageDoesNotPassForIt)
{
    add_species(project, "N2", 1, 0.7f);
    add_species(project, "O2", 1, 0.3f);
    add_species(project, "Xe", 0, 0);
    ASSERT_EQ(rebuild_contaminants(project), 0);
    Zone* zone = add_zone(project, new_zone(project));
    zone->CC0 = {0.6f, 0.4f, 0.5f};

    ProjectSpeciesForm form(project);
    form.select_species({2});
    port.answers = {Answer::Yes};
    ASSERT_TRUE(form.delete_selected());
    // The next species made takes the deleted one's storage.
    SpeciesForm added(project.species);
    added.set_name("Ar");
    ASSERT_TRUE(added.accept().accepted);
    ASSERT_EQ(names_of_order(project), (std::vector<std::string>{"N2", "O2", "Ar"}));
    ASSERT_EQ(form.close(), 0);
    EXPECT_EQ(zone->CC0, (std::vector<float>{0.7f, 0.3f, 0}))
        << "a new member resets the zones, whatever its storage";
}

class KineticFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"NO", "NO2", "O3"}) add_species(project, name, 0, 0);
        project.mark_saved();
    }
    ScriptedPort port;
    Project project;
};

TEST_F(KineticFormTest, PairsAreListedInCourierColumns)
{
    KineticReactionForm form(project.reactions, project.species);
    EXPECT_EQ(form.species_names(), (std::vector<std::string>{"NO", "NO2", "O3"}));
    EXPECT_FALSE(form.replace_enabled());
    form.choose_reactant(0);
    form.choose_product(1);
    ASSERT_TRUE(form.leave_coefficient("0.5"));
    ASSERT_TRUE(form.add_pair());
    ASSERT_TRUE(form.leave_coefficient("1.25e-9"));
    ASSERT_TRUE(form.add_pair());
    EXPECT_EQ(form.pair_lines(),
              (std::vector<std::string>{
                  "              NO               NO2          1.25e-09",
                  "              NO               NO2               0.5"}));
    EXPECT_EQ(form.selected_pair(), 0u);

    form.select_pair(1);
    EXPECT_EQ(form.coefficient_field().shown_text(), "   0.5");
    form.choose_reactant(2);
    ASSERT_TRUE(form.replace_pair());
    EXPECT_EQ(form.working().pairs[1].reactant->name, "O3");
    ASSERT_TRUE(form.delete_pair());
    EXPECT_EQ(form.working().pairs.size(), 1u);
    EXPECT_FALSE(form.delete_pair()) << "nothing selected";
}

TEST_F(KineticFormTest, OkNeedsANameAndAPair)
{
    KineticReactionForm form(project.reactions, project.species);
    form.set_name("smog");
    FormAnswer<ReactionField> answer = form.accept();
    EXPECT_FALSE(answer.accepted);
    EXPECT_EQ(answer.text, "No reactions defined.\nEither Cancel or define reactions.");
    EXPECT_EQ(answer.severity, WARNING);
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].text, " No reactions defined.\nEither Cancel or define reactions.\n");
    EXPECT_FALSE(project.changed());

    form.set_name("smog,1");
    ASSERT_TRUE(form.add_pair());
    answer = form.accept();
    EXPECT_EQ(answer.text, "Commas not permitted in name");
    EXPECT_EQ(answer.focus, ReactionField::Name);

    form.set_name("smog");
    ASSERT_TRUE(form.accept().accepted);
    ASSERT_EQ(project.reactions.count(), 1);
    EXPECT_EQ(project.reactions.head()->pairs.size(), 1u);
    EXPECT_TRUE(project.changed());

    KineticReactionForm again(project.reactions, project.species);
    again.set_name("smog");
    again.add_pair();
    EXPECT_EQ(again.accept().text, "May not use existing name");
}

}  // namespace
}  // namespace avelor
