#include "model/species.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "app/data_reader.h"
#include "app/text_writer.h"
#include "model/filter_element.h"
#include "model/project.h"
#include "model/source_element.h"
#include "model/units.h"
#include "prjfile/species_section.h"
#include "support/scripted_port.h"
#include "support/species_fixtures.h"

namespace avelor {
namespace {

using testing::ScriptedPort;

using testing::add_species;

std::vector<std::string> names_of(const std::vector<Species*>& order)
{
    std::vector<std::string> names;
    for (const Species* s : order) names.push_back(s->name);
    return names;
}

// The message of a box, without the source position a counted error adds.
std::string first_line(const std::string& box_text)
{
    return box_text.substr(0, box_text.find('\n') + 1);
}

TEST(Species, NewSpeciesDefaults)
{
    const Species s = new_species();
    EXPECT_EQ(s.molwt, 0.0f);
    EXPECT_EQ(s.mdiam, 0.0f);
    EXPECT_EQ(s.edens, 0.0f);
    EXPECT_EQ(s.decay, 0.0f);
    EXPECT_EQ(s.Dm, 2.0e-5f);
    EXPECT_EQ(s.CCdef, 0.0f);
    EXPECT_EQ(s.Cp, 1000.0f);
    EXPECT_EQ(s.Kuv, 0.0f);
    EXPECT_EQ(s.s, 1);
    EXPECT_EQ(s.t, 0);
    EXPECT_EQ(s.u, (std::array<std::int16_t, 5>{0, 0, 0, 0, 0}));
    EXPECT_EQ(s.display_factor, 1.0f);
    EXPECT_EQ(s.display_unit_name, "kg/kg");
    EXPECT_EQ(s.plain_unit_name, "kg/kg");
}

TEST(Species, DerivedFieldsFollowTheConcentrationUnit)
{
    Species co2 = new_species();
    co2.molwt = 44;
    co2.u[0] = 1;  // ppm of kind 27
    update_species_units(co2);
    EXPECT_FLOAT_EQ(co2.display_factor, 658150.11f);  // 1e6 × 24.05 ÷ 44 × 1.2041
    EXPECT_EQ(co2.display_unit_name, "ppm");
    co2.u[0] = 5;  // lb/ft³
    update_species_units(co2);
    EXPECT_EQ(co2.display_unit_name, "lb/ft\xB3");
    EXPECT_EQ(co2.plain_unit_name, "lb/ft^3");
}

class ContaminantsTest : public ::testing::Test {
protected:
    ScriptedPort port;
    Project project;
};

TEST_F(ContaminantsTest, NonTraceDefaultsMustSumToOne)
{
    struct Case {
        std::vector<float> non_trace;
        std::string warning;  // empty: accepted
    };
    const std::vector<Case> cases = {
        {{0.7f, 0.3f}, ""},
        {{0.5f, 0.495f}, ""},
        {{0.5f, 0.48f}, " Concentrations of non-trace contaminants should sum to 1\n"},
        {{1.0f}, " More than one non-trace contaminants required.\n"},
        {{}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.warning);
        ScriptedPort local;
        Project p;
        for (std::size_t i = 0; i < c.non_trace.size(); ++i)
            add_species(p, "gas" + std::to_string(i), 1, c.non_trace[i]);
        add_species(p, "tracer", 0, 0.5f);
        EXPECT_EQ(rebuild_contaminants(p) == 0, c.warning.empty());
        if (c.warning.empty()) {
            EXPECT_TRUE(local.boxes.empty());
            EXPECT_EQ(p.nctm(), static_cast<int>(c.non_trace.size()) + 1);
        } else {
            ASSERT_EQ(local.boxes.size(), 1u);
            EXPECT_EQ(local.boxes[0].caption, "WARNING");
            EXPECT_EQ(local.boxes[0].text, c.warning);
            EXPECT_EQ(p.nctm(), 0) << "a refused set changes nothing";
        }
    }
}

TEST_F(ContaminantsTest, OrderIsNonTraceByDefaultThenTraceByName)
{
    add_species(project, "a_trace", 0, 0.9f);
    add_species(project, "O2", 1, 0.21f);
    add_species(project, "Ar", 1, 0.01f);
    add_species(project, "N2", 1, 0.78f);
    add_species(project, "CO2", 0, 0);
    add_species(project, "Xe", 1, 0.0f);
    add_species(project, "He", 1, 0.0f);
    add_species(project, "unused", 1, 0.5f, 0);
    ASSERT_EQ(rebuild_contaminants(project), 0);
    EXPECT_EQ(names_of(project.Ctm),
              (std::vector<std::string>{"N2", "O2", "Ar", "He", "Xe", "CO2", "a_trace"}))
        << "equal defaults keep name order; trace ones follow";
    EXPECT_EQ(project.CC0, (std::vector<float>{0.78f, 0.21f, 0.01f, 0, 0, 0, 0.9f}));
    EXPECT_EQ(project.h2o_index, -1);
}

TEST_F(ContaminantsTest, WaterIsLeftOutOfTheSumAndFound)
{
    add_species(project, "N2", 1, 0.79f);
    add_species(project, "O2", 1, 0.21f);
    add_species(project, "H2O", 1, 0.01f);
    ASSERT_EQ(rebuild_contaminants(project), 0);
    EXPECT_EQ(names_of(project.Ctm), (std::vector<std::string>{"N2", "O2", "H2O"}));
    EXPECT_EQ(project.h2o_index, 2);
    EXPECT_FLOAT_EQ(tally_contaminants(project.species).non_trace_sum, 1.0f);
}

TEST_F(ContaminantsTest, OnlyAChangedOrderResetsTheArrays)
{
    Species* n2 = add_species(project, "N2", 1, 0.7f);
    add_species(project, "O2", 1, 0.3f);
    ASSERT_EQ(rebuild_contaminants(project), 0);
    Zone* zone = add_zone(project, new_zone(project));
    Junction* junction = add_junction(project, Junction{});
    junction->CC0 = project.CC0;
    Exposure* exposure = project.exposures.add(new_exposure(project));
    zone->CC0 = {0.6f, 0.4f};
    exposure->exposure = {5, 6};

    // Same members, same order: the zones keep their values; only the
    // defaults follow a changed default concentration.
    n2->CCdef = 0.71f;
    project.species.find_by_name("O2")->CCdef = 0.29f;
    ASSERT_EQ(rebuild_contaminants(project), 0);
    EXPECT_EQ(zone->CC0, (std::vector<float>{0.6f, 0.4f}));
    EXPECT_EQ(exposure->exposure, (std::vector<float>{5, 6}));
    EXPECT_EQ(project.CC0, (std::vector<float>{0.71f, 0.29f}));

    // A new contaminant: every array is laid out afresh.
    add_species(project, "CO2", 0, 0.001f);
    ASSERT_EQ(rebuild_contaminants(project), 0);
    EXPECT_EQ(zone->CC0, (std::vector<float>{0.71f, 0.29f, 0.001f}));
    EXPECT_EQ(junction->CC0, zone->CC0);
    EXPECT_EQ(exposure->exposure, (std::vector<float>{0, 0, 0}));

    // None left: nothing per contaminant remains.
    for (Species& s : project.species) s.s = 0;
    ASSERT_EQ(rebuild_contaminants(project), 0);
    EXPECT_EQ(project.nctm(), 0);
    EXPECT_TRUE(project.CC0.empty());
    EXPECT_TRUE(zone->CC0.empty());
    EXPECT_TRUE(exposure->exposure.empty());
}

TEST_F(ContaminantsTest, UseCountsAreRecountedFromScratch)
{
    Species* a = add_species(project, "A", 0, 0);
    Species* b = add_species(project, "B", 0, 0);
    Species* c = add_species(project, "C", 0, 0);
    c->use_count = 7;
    KineticReaction r;
    r.name = "R";
    r.pairs = {{b, a, 0.1f}, {a, a, 0.2f}};  // product, reactant
    project.reactions.insert_copy(r);
    Exposure e = new_exposure(project);
    e.generations.push_back({b, nullptr, 1, 0, {}});
    project.exposures.add(e);

    recount_species_use(project);
    EXPECT_EQ(a->use_count, 3);
    EXPECT_EQ(b->use_count, 2);
    EXPECT_EQ(c->use_count, 0);

    // Source/sink elements, filter element entries and filter loads name
    // species as well: a species any of them names is in use.
    SourceElement source = new_source_element(kSrcCcf, c);
    source.name = "S";
    project.source_elements.insert_copy(source);
    FilterElement cef = new_filter_element(kFltCef);
    cef.name = "F";
    cef.data = ConstantEfficiencyData{{c, a}, {0.5f, 0.5f}};
    FilterElement* element = project.filter_elements.insert_copy(cef);
    FilterElement gf0 = new_filter_element(kFltGf0);
    gf0.name = "G";
    gf0.data = GaseousFilterData{{GaseousCurve{c, 0, {0, 1, 2, 3}, {1, 1, 0.5f, 0.5f}}}};
    project.filter_elements.insert_copy(gf0);
    Filter filter;
    filter.element = element;
    filter.loads = loads_for(element);
    filter.loads[0].species.push_back({c, 0.1f});
    project.filters.add(filter);
    recount_species_use(project);
    EXPECT_EQ(a->use_count, 4);
    EXPECT_EQ(b->use_count, 2);
    EXPECT_EQ(c->use_count, 4);

    ControlNode sensor;
    sensor.type = kCtSns;
    sensor.data = SensorData{};
    std::get<SensorData>(sensor.data).species = b;
    project.controls.add(sensor);
    std::get<SensorData>(sensor.data).quantity = kSenseTemperature;  // names no species
    std::get<SensorData>(sensor.data).species = a;
    project.controls.add(sensor);
    recount_species_use(project);
    EXPECT_EQ(a->use_count, 4);
    EXPECT_EQ(b->use_count, 3);
}

class KineticPairsTest : public ::testing::Test {
protected:
    Species make(const std::string& name)
    {
        Species s;
        s.name = name;
        return s;
    }
    ReactionPair pair(const Species& reactant, const Species& product, float k)
    {
        return {const_cast<Species*>(&product), const_cast<Species*>(&reactant), k};
    }
    std::vector<float> coefficients() const
    {
        std::vector<float> k;
        for (const ReactionPair& p : reaction.pairs) k.push_back(p.coefficient);
        return k;
    }
    ScriptedPort port;
    Species A = make("A"), B = make("B"), AB = make("AB"), C = make("C"), BC = make("BC");
    KineticReaction reaction;
};

TEST_F(KineticPairsTest, PairsAreOrderedByNamesThenCoefficient)
{
    insert_pair(reaction, pair(A, B, 0.5f));
    EXPECT_EQ(insert_pair(reaction, pair(A, B, 0.1f)), 0u);
    insert_pair(reaction, pair(B, C, -1));
    insert_pair(reaction, pair(AB, C, 0.3f));
    insert_pair(reaction, pair(A, BC, 0.2f));  // same key "ABC" as AB -> C
    EXPECT_EQ(coefficients(), (std::vector<float>{0.1f, 0.5f, 0.2f, 0.3f, -1}));
    EXPECT_EQ(compare_pairs(pair(A, BC, 0.2f), pair(AB, C, 0.2f)), 0);
    // An equal pair goes after those equal to it.
    EXPECT_EQ(insert_pair(reaction, pair(A, B, 0.1f)), 1u);
}

TEST_F(KineticPairsTest, ReplacingMovesThePairToItsPlace)
{
    insert_pair(reaction, pair(A, B, 0.1f));
    insert_pair(reaction, pair(B, C, 0.2f));
    EXPECT_EQ(replace_pair(reaction, 0, pair(C, A, 0.3f)), 1u);
    EXPECT_EQ(reaction.pairs[0].reactant, &B);
    EXPECT_EQ(reaction.pairs[1].reactant, &C);
    EXPECT_EQ(replace_pair(reaction, 1, pair(C, A, 0.3f)), 1u) << "no change";
}

TEST_F(KineticPairsTest, ReplacingATiedPairWithOtherSpeciesStillReplacesIt)
{
    insert_pair(reaction, pair(A, BC, 0.1f));
    replace_pair(reaction, 0, pair(AB, C, 0.1f));
    ASSERT_EQ(reaction.pairs.size(), 1u);
    EXPECT_EQ(reaction.pairs[0].reactant, &AB);
    EXPECT_EQ(reaction.pairs[0].product, &C);
}

TEST_F(KineticPairsTest, RemovingAPairThatIsNotThereIsFatal)
{
    insert_pair(reaction, pair(A, B, 0.1f));
    remove_pair(reaction, 0);
    EXPECT_TRUE(reaction.pairs.empty());
    try {
        remove_pair(reaction, 0);
        ADD_FAILURE() << "no stop";
    } catch (const FatalStop& stop) {
        EXPECT_STREQ(stop.what(), " Failed to delete kinetic reaction pair.\n");
    }
}

// ------------------------------------------------------------- sections

std::string temp_path(const std::string& tag)
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return ::testing::TempDir() + info->test_suite_name() + "_" + info->name() + "_" + tag;
}

// Opens the text as a data file.
class FileText {
public:
    explicit FileText(const std::string& text) : path_(temp_path("in.txt"))
    {
        std::ofstream(path_, std::ios::binary) << text;
        reader.open(path_, 0);
    }
    ~FileText() { std::remove(path_.c_str()); }
    DataReader reader;

private:
    std::string path_;
};

const std::string kSpeciesText =
    "3 ! contaminants:\n"
    "   3 4 1\n"
    "4 ! species:\n"
    "! # s t   molwt    mdiam       edens       decay         Dm         CCdef        Cp"
    "          Kuv     u[5]      name\n"
    "  1 1 0  44.0100  0.0000e+00  0.0000e+00  0.0000e+00  2.0000e-05  6.0000e-04"
    "  1.0000e+03  0.0000e+00 1 0 0 0 0 CO2\n"
    " !carbon dioxide\n"
    "  2 0 0   0.0000  2.5000e-06  1.5000e+03  1.0000e-05  2.0000e-05  0.0000e+00"
    "  1.0000e+03  1.0000e-03 0 3 1 2 1 Dust\n"
    "fine dust\n"
    "  3 1 1  28.0134  0.0000e+00  0.0000e+00  0.0000e+00  2.0000e-05  7.9000e-01"
    "  1.0000e+03  0.0000e+00 0 0 0 0 0 N2\n"
    "nitrogen line two\n"
    "  4 1 1  31.9988  0.0000e+00  0.0000e+00  0.0000e+00  2.0000e-05  2.1000e-01"
    "  1.0000e+03  0.0000e+00 0 0 0 0 0 O2\n"
    "\n"
    "-999\n";

const std::string kReactionsText =
    "1 ! kinetic reactions:\n"
    "1 2 oxidation\n"
    "burns\n"
    " CO2 O2 0.1\n"
    " CO2 O2 0.5\n"
    "-999\n";

class SpeciesSectionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Species co2 = new_species();
        co2.name = "CO2";
        co2.desc = "!carbon dioxide";
        co2.molwt = 44.01f;
        co2.CCdef = 6e-4f;
        co2.u[0] = 1;
        Species dust = new_species();
        dust.name = "Dust";
        dust.desc = "fine dust";
        dust.s = 0;
        dust.mdiam = 2.5e-6f;
        dust.edens = 1500;
        dust.decay = 1e-5f;
        dust.Kuv = 1e-3f;
        dust.u = {0, 3, 1, 2, 1};
        Species n2 = new_species();
        n2.name = "N2";
        n2.desc = "nitrogen\nline two";
        n2.molwt = 28.0134f;
        n2.t = 1;
        n2.CCdef = 0.79f;
        Species o2 = new_species();
        o2.name = "O2";
        o2.molwt = 31.9988f;
        o2.t = 1;
        o2.CCdef = 0.21f;
        for (Species* s : {&co2, &dust, &n2, &o2}) project.species.insert_copy(*s);
        ASSERT_EQ(rebuild_contaminants(project), 0);

        Species* product = project.species.find_by_name("CO2");
        Species* reactant = project.species.find_by_name("O2");
        KineticReaction r;
        r.name = "oxidation";
        r.desc = "burns";
        insert_pair(r, {product, reactant, 0.5f});
        insert_pair(r, {product, reactant, 0.1f});
        project.reactions.insert_copy(r);
    }

    ScriptedPort port;
    Project project;
};

TEST_F(SpeciesSectionsTest, SpeciesAndReactionsAreWrittenInTheirFormats)
{
    TextWriter out;
    EXPECT_EQ(write_species_section(out, project), 0);
    EXPECT_EQ(out.text(), kSpeciesText);
    out.clear();
    write_reactions_section(out, project.reactions);
    EXPECT_EQ(out.text(), kReactionsText);
    EXPECT_TRUE(port.boxes.empty());
}

TEST_F(SpeciesSectionsTest, WhatIsWrittenReadsBackToTheSameBytes)
{
    Project copy;
    {
        FileText file(kSpeciesText + kReactionsText);
        ASSERT_EQ(read_species_section(file.reader, copy), 0);
        ASSERT_EQ(read_reactions_section(file.reader, copy.reactions, copy.species), 0);
    }
    EXPECT_TRUE(port.boxes.empty());
    TextWriter out;
    write_species_section(out, copy);
    write_reactions_section(out, copy.reactions);
    EXPECT_EQ(out.text(), kSpeciesText + kReactionsText);

    // Descriptions come back as they were stored, a leading "!" included.
    EXPECT_EQ(copy.species.find_by_name("CO2")->desc, "!carbon dioxide");
    EXPECT_EQ(copy.species.find_by_name("N2")->desc, "nitrogen line two");
    EXPECT_EQ(copy.species.find_by_name("O2")->desc, "");
}

TEST_F(SpeciesSectionsTest, ReadingTakesTheFilesContaminantOrderAndDerivesTheRest)
{
    Project copy;
    FileText file(kSpeciesText);
    ASSERT_EQ(read_species_section(file.reader, copy), 0);
    EXPECT_EQ(names_of(copy.Ctm), (std::vector<std::string>{"N2", "O2", "CO2"}));
    EXPECT_EQ(copy.CC0, (std::vector<float>{0.79f, 0.21f, 6e-4f}));
    EXPECT_EQ(copy.h2o_index, -1);
    const Species* co2 = copy.species.find_by_name("CO2");
    EXPECT_EQ(co2->display_unit_name, "ppm");
    EXPECT_NEAR(co2->display_factor, 1e6f * 24.05f / 44.01f * 1.2041f, 0.5f);
    const Species* dust = copy.species.find_by_name("Dust");
    EXPECT_EQ(dust->s, 0);
    EXPECT_EQ(dust->u, (std::array<std::int16_t, 5>{0, 3, 1, 2, 1}));
}

TEST_F(SpeciesSectionsTest, ContaminantNumbersMakeTheirSpeciesContaminants)
{
    std::string text = kSpeciesText;
    text.replace(0, text.find("4 ! species"), "4 ! contaminants:\n   3 4 1 2\n");
    Project copy;
    FileText file(text);
    ASSERT_EQ(read_species_section(file.reader, copy), 0);
    EXPECT_EQ(copy.species.find_by_name("Dust")->s, 1) << "its line says 0";
    EXPECT_EQ(names_of(copy.Ctm), (std::vector<std::string>{"N2", "O2", "CO2", "Dust"}));
}

TEST_F(SpeciesSectionsTest, ProjectWriterChecksTheContaminantCount)
{
    project.species.find_by_name("Dust")->s = 1;  // not in Ctm
    TextWriter out;
    EXPECT_EQ(write_species_section(out, project), 1);
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(first_line(port.boxes[0].text), "  nctm mis-match\n");
    EXPECT_EQ(error_count(), 1);
}

TEST_F(SpeciesSectionsTest, LibraryFormHoldsNoContaminants)
{
    TextWriter out;
    write_species_library_section(out, project.species);
    std::string expected = kSpeciesText;
    expected.replace(0, expected.find("4 ! species"), "0 ! contaminants:\n");
    for (const char* line : {"  1 1 0", "  3 1 1", "  4 1 1"}) {
        std::string cleared = line;
        cleared[4] = '0';
        expected.replace(expected.find(line), cleared.size(), cleared);
    }
    EXPECT_EQ(out.text(), expected);
    for (const Species& s : project.species) EXPECT_EQ(s.s, 0) << s.name;

    // A project's species section read as a library: its contaminant
    // numbers are passed over, not taken for the species count.
    NamedList<Species> library(project.pool);
    FileText file(kSpeciesText);
    ASSERT_EQ(read_species_library_section(file.reader, library), 0);
    EXPECT_EQ(library.count(), 4);
}

TEST_F(SpeciesSectionsTest, ReaderFaultsAreCountedErrors)
{
    auto replaced = [](std::string text, const std::string& from, const std::string& to) {
        return text.replace(text.find(from), from.size(), to);
    };
    struct Case {
        std::string text;
        std::string message;
    };
    const std::vector<Case> cases = {
        {replaced(kSpeciesText, "  2 0 0   0.0000", "  3 0 0   0.0000"),
         " Species number mis-match: 2\n"},
        {replaced(kSpeciesText, "-999", "-998"), " PRJ read error; see LOG file\n"},
        {replaced(kSpeciesText, "1.0000e-03 0 3 1 2 1", "1.0000e-03 0 7 1 2 1"),
         " Invalid units index, species 2\n"},
        // CO2 has no particle size, so kind 27 has 36 units.
        {replaced(kSpeciesText, "0.0000e+00 1 0 0 0 0 CO2", "0.0000e+00 36 0 0 0 0 CO2"),
         " Invalid units index, species 1\n"},
        {replaced(kSpeciesText, "   3 4 1", "   3 4 5"),
         " Invalid species number, contaminant 3\n"},
        {replaced(kSpeciesText, "   3 4 1", "   3 4 3"),
         " Invalid species number, contaminant 3\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        ScriptedPort local;
        Project copy;
        FileText file(c.text);
        EXPECT_EQ(read_species_section(file.reader, copy), 1);
        EXPECT_EQ(error_count(), 1);
        ASSERT_FALSE(local.boxes.empty());
        EXPECT_EQ(local.boxes[0].caption, "ERROR");
        EXPECT_EQ(first_line(local.boxes[0].text), c.message);
        EXPECT_EQ(copy.nctm(), 0);
    }
}

TEST_F(SpeciesSectionsTest, ReactionReaderFaultsAreCountedErrors)
{
    struct Case {
        std::string text;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"1 ! kinetic reactions:\n2 1 r\n\n CO2 O2 0.1\n-999\n", " Reaction number mis-match: 1\n"},
        {"1 ! kinetic reactions:\n1 1 r\n\n CO2 Ozone 0.1\n-999\n", " Species not found: Ozone\n"},
        {"1 ! kinetic reactions:\n1 1 r\n\n CO2 O2 0.1\n-99\n", " PRJ read error; see LOG file\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        ScriptedPort local;
        NamedList<KineticReaction> reactions(project.pool);
        FileText file(c.text);
        EXPECT_EQ(read_reactions_section(file.reader, reactions, project.species), 1);
        EXPECT_EQ(error_count(), 1);
        ASSERT_FALSE(local.boxes.empty());
        EXPECT_EQ(first_line(local.boxes[0].text), c.message);
    }
}

TEST_F(SpeciesSectionsTest, ResolvedPairsCountAsUses)
{
    for (Species& s : project.species) s.use_count = 0;
    NamedList<KineticReaction> reactions(project.pool);
    FileText file(kReactionsText);
    ASSERT_EQ(read_reactions_section(file.reader, reactions, project.species), 0);
    EXPECT_EQ(project.species.find_by_name("CO2")->use_count, 2);
    EXPECT_EQ(project.species.find_by_name("O2")->use_count, 2);
    ASSERT_EQ(reactions.count(), 1);
    EXPECT_EQ(reactions.head()->pairs[0].coefficient, 0.1f) << "pairs in file order";
}

}  // namespace
}  // namespace avelor
