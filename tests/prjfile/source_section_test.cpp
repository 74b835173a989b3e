#include "prjfile/source_section.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "app/data_reader.h"
#include "app/text_writer.h"
#include "model/project.h"
#include "support/scripted_port.h"
#include "support/species_fixtures.h"

namespace avelor {
namespace {

using testing::ScriptedPort;

// One element of every model a file may hold, in name order, with a
// super element that lists two of them, names and descriptions the writer
// must escape, and the peak model's two units told apart.
const char* const kSection = R"(14 ! source/sink elements:
1 CO2 brs burst
a burst of 2 g
 0.002 3
2 CO2 ccf const
 !bang description
 1e-06 0.001 5 1
3 HCHO cut cutoff

 2e-07 5e-06 0 3
4 CO2 eds decay

 1e-06 0.0001 0 2
5 HCHO bls film

 0.001 1.2 2 0.05 0 0 1
6 HCHO pkm peak

 2.77778e-10 1 3600 29 2
7 HCHO plm powerlaw

 1 0.5 7200 29 2
8 CO2 prs pressure

 1e-06 0.65 0
9 HCHO drs rate

 0.0002 2
10 HCHO dvr resusp

 1e-05 1e-07 10 5 0 1 0 0
11 null sup super
two of them
2
 2 4
12 CO2 sxd sxd_kept
written back as read
 1.5 2.5
13 HCHO dvs velocity

 0.0001 20 1 0
14 CO2 dxd zdxd

 1 2 3 4
-999
)";

class SourceSectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing::add_species(project, "CO2", 0, 0);
        Species* hcho = testing::add_species(project, "HCHO", 0, 0);
        hcho->molwt = 30;
    }

    int read(const std::string& text)
    {
        const std::string path = ::testing::TempDir() + "avelor_source_section_test.txt";
        std::ofstream(path, std::ios::binary) << text;
        reset_error_count();
        DataReader in;
        if (in.open(path, 1) != 0) return -1;
        read_source_elements_section(in, project.source_elements, project.species);
        in.close();
        std::remove(path.c_str());
        return error_count();
    }

    bool told(const std::string& text) const
    {
        for (const auto& box : port.boxes)
            if (box.text.find(text) != std::string::npos) return true;
        return false;
    }

    ScriptedPort port;
    Project project;
};

TEST_F(SourceSectionTest, EveryModelRoundTripsByteExactly)
{
    ASSERT_EQ(read(kSection), 0);
    ASSERT_EQ(project.source_elements.count(), 14);
    const SourceElement* peak = project.source_elements.find_by_name("peak");
    ASSERT_NE(peak, nullptr);
    // The file writes the unit of a first; the model holds the unit of tp first.
    EXPECT_EQ(peak->u[0], 2);
    EXPECT_EQ(peak->u[1], 29);
    const SourceElement* super = project.source_elements.find_by_name("super");
    ASSERT_NE(super, nullptr);
    ASSERT_EQ(super->subs.size(), 2u);
    EXPECT_EQ(super->subs[0], project.source_elements.find_by_name("const"));
    EXPECT_EQ(super->subs[1], project.source_elements.find_by_name("decay"));
    EXPECT_EQ(super->species, nullptr);
    EXPECT_EQ(project.source_elements.find_by_name("const")->desc, "!bang description");
    EXPECT_EQ(project.species.find_by_name("HCHO")->use_count, 7);

    TextWriter out;
    EXPECT_EQ(write_source_elements_section(out, project.source_elements), 0);
    EXPECT_EQ(error_count(), 0);
    EXPECT_EQ(out.text(), kSection);
}

// A sub-element that sorts after its super element still gets the number
// it is written under, because the list is numbered before anything is
// written.
TEST_F(SourceSectionTest, SuperElementNamesItsSubElementsByTheirWrittenNumbers)
{
    Species* co2 = project.species.find_by_name("CO2");
    SourceElement a = new_source_element(kSrcCcf, co2);
    a.name = "zz_late";
    SourceElement b = new_source_element(kSrcBrs, co2);
    b.name = "b_early";
    SourceElement* late = project.source_elements.insert_copy(a);
    SourceElement* early = project.source_elements.insert_copy(b);
    SourceElement s = new_source_element(kSrcSup, nullptr);
    s.name = "m_super";
    s.subs = {late, early};
    project.source_elements.insert_copy(s);
    TextWriter out;
    EXPECT_EQ(write_source_elements_section(out, project.source_elements), 0);
    EXPECT_NE(out.text().find("2 null sup m_super\n\n2\n 3 1\n"), std::string::npos) << out.text();
}

TEST_F(SourceSectionTest, DamagedSectionsAreCountedErrors)
{
    struct Case {
        const char* name;
        std::string from, to;
        const char* message;
    };
    const Case cases[] = {
        {"number", "2 CO2 ccf const", "7 CO2 ccf const", "S/S element number mis-match: 2"},
        {"keyword", "2 CO2 ccf const", "2 CO2 xyz const", "Undefined Element Type: xyz"},
        {"species", "2 CO2 ccf const", "2 NO2 ccf const", "Name not found: NO2"},
        {"sub-element beyond the list", "2\n 2 4\n", "2\n 2 40\n", "Invalid sub-element number, S/S element 11"},
        {"sub-element that is a super element", "2\n 2 4\n", "2\n 2 11\n",
         "Invalid sub-element number, S/S element 11"},
        {"sub-element count", "2\n 2 4\n", "-2\n 2 4\n", "Invalid sub-element count, S/S element 11"},
        {"unit index", " 1e-06 0.001 5 1", " 1e-06 0.001 500 1", "Invalid unit index, S/S element 2"},
        {"missing end", "-999\n", "\n", "PRJ read error; see LOG file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string text = kSection;
        const auto at = text.find(c.from);
        ASSERT_NE(at, std::string::npos);
        text.replace(at, c.from.size(), c.to);
        project.source_elements.clear();
        port.boxes.clear();
        EXPECT_GE(read(text), 1);
        EXPECT_TRUE(told(c.message)) << (port.boxes.empty() ? std::string("no message") : port.boxes.front().text);
    }
}

TEST(SourceElements, NewElementDefaultsAndSummary)
{
    const SourceElement ccf = new_source_element(kSrcCcf, nullptr);
    EXPECT_EQ(ccf.v[0], 0);
    EXPECT_EQ(ccf.v[1], 0);
    EXPECT_EQ(ccf.u[0], 0);
    EXPECT_EQ(ccf.u[1], 0);

    Species co2 = new_species();
    co2.name = "CO2";
    SourceElement plm = new_source_element(kSrcPlm, &co2);
    EXPECT_EQ(plm.v[0], 1);  // kg/s
    EXPECT_EQ(plm.v[1], 1);
    EXPECT_EQ(plm.v[2], 1);  // s
    EXPECT_EQ(plm.u[0], 29);  // mg/h
    EXPECT_EQ(plm.u[1], 2);   // h
    // Ep of 1 kg/s is 3.6e9 mg/h; with tp = 1 s and b = 1, a = Ep (1/3600)^-1.
    EXPECT_NEAR(power_law_coefficient(3.6e9, 1, 1), 3.6e9 * 3600, 1);
    EXPECT_NEAR(power_law_emission(power_law_coefficient(3.6e9, 0.5, 7200), 0.5, 7200), 3.6e9, 1e-3);

    const SourceSummary s = source_summary(plm);
    EXPECT_EQ(s.title, "NRC Power Law");
    EXPECT_EQ(s.formula, "E = a*tp^-b");
    ASSERT_EQ(s.lines.size(), 3u);
    EXPECT_EQ(s.lines[0], "Initial Emission Factor (Ep): 3.6e+09 mg/h");
    EXPECT_EQ(s.lines[1], "Exponent (b): 1");
}

}  // namespace
}  // namespace avelor
