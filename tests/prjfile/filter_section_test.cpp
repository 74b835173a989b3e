#include "prjfile/filter_section.h"

#include <gtest/gtest.h>

#include <cmath>
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

// One element of each type, in name order, and three filters: one on an
// ordinary element with a species load, one on the super element (a load
// per sub-element, in sub-element order), one on the UVGI element, whose
// line ends with the mass flow unit before the velocity unit.
const char* const kSection = R"(5 ! filter elements:
1 cef 1 0.1 100 0 0 carbon
charcoal bed
  2
  VOC 0.5
  CO2 0.1
2 gf0 2 0.05 50 1 1 gas

 1
  VOC 0.05 4
  0 0.9
  0.1 0.8
  0.2 0.5
  0.3 0.05
3 pf0 1 0.1 100 0 0 merv
 !bang description
 3 6
  1e-07 0.1
  1e-06 0.5
  1e-05 0.5
4 spf 1 0.1 100 0 0 train

2
 3 1
5 uv1 1 0.1 100 0 0 uvgi

 0.01 4 0.5 0.02172 0 5.79 5.66 -20.3 -0.0701 4.01 0 0 1 2
-999
3 ! filters:
  1   1   1
   0.25 1
   VOC 0.001
  2   4   2
   0.1 0
   0.2 0
  3   5   1
   0 0
-999
)";

class FilterSectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing::add_species(project, "CO2", 0, 0);
        testing::add_species(project, "VOC", 0, 0);
    }

    int read(const std::string& text)
    {
        const std::string path = ::testing::TempDir() + "avelor_filter_section_test.txt";
        std::ofstream(path, std::ios::binary) << text;
        reset_error_count();
        DataReader in;
        if (in.open(path, 1) != 0) return -1;
        if (read_filter_elements_section(in, project.filter_elements, project.species) == 0)
            read_filters_section(in, project);
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

TEST_F(FilterSectionTest, ElementsAndFiltersRoundTripByteExactly)
{
    ASSERT_EQ(read(kSection), 0);
    ASSERT_EQ(project.filter_elements.count(), 5);
    const FilterElement* uvgi = project.filter_elements.find_by_name("uvgi");
    const auto& u = std::get<UvgiFilterData>(uvgi->data);
    EXPECT_EQ(u.u_F, 1);
    EXPECT_EQ(u.u_v, 2);
    // A = F / (v 1.2041), D = -ln(S) / k.
    EXPECT_NEAR(u.A, 0.10381, 1e-5);
    EXPECT_NEAR(u.D, 212.02, 0.01);
    const FilterElement* train = project.filter_elements.find_by_name("train");
    const auto& subs = std::get<SuperFilterData>(train->data).subs;
    ASSERT_EQ(subs.size(), 2u);
    EXPECT_EQ(subs[0], project.filter_elements.find_by_name("merv"));
    EXPECT_EQ(subs[1], project.filter_elements.find_by_name("carbon"));
    const Filter* on_train = project.filters.at(2);
    ASSERT_NE(on_train, nullptr);
    ASSERT_EQ(on_train->loads.size(), 2u);
    EXPECT_EQ(on_train->loads[0].element, subs[0]);
    EXPECT_EQ(on_train->loads[1].element, subs[1]);
    EXPECT_FLOAT_EQ(on_train->loads[1].loading, 0.2f);
    EXPECT_EQ(project.filters.at(1)->loads[0].species[0].species, project.species.find_by_name("VOC"));
    EXPECT_FLOAT_EQ(filter_mass(*project.filter_elements.find_by_name("gas")), 5.0f);

    TextWriter out;
    EXPECT_EQ(write_filter_elements_section(out, project.filter_elements), 0);
    EXPECT_EQ(write_filters_section(out, project), 0);
    EXPECT_EQ(error_count(), 0);
    EXPECT_EQ(out.text(), kSection);
}

TEST_F(FilterSectionTest, DamagedSectionsAreCountedErrors)
{
    struct Case {
        const char* name;
        std::string from, to;
        const char* message;
    };
    const Case cases[] = {
        {"element number", "2 gf0 2", "7 gf0 2", "Filter element number mis-match: 2"},
        {"keyword", "2 gf0 2", "2 xyz 2", "Undefined Element Type: xyz"},
        {"species", "  VOC 0.5\n", "  NO2 0.5\n", "Name not found: NO2"},
        {"point count", " 3 6\n", " 300 6\n", "Invalid point count, filter element 3"},
        {"unit index", " 3 6\n", " 3 60\n", "Invalid unit index, filter element 3"},
        {"super sub-element", "2\n 3 1\n", "2\n 3 4\n", "Invalid sub-element number, filter element 4"},
        {"filter number", "  2   4   2", "  5   4   2", "Filter number mis-match: 2"},
        {"filter element", "  2   4   2", "  2   9   2", "Invalid filter element number: 9"},
        {"load count of a super filter", "  2   4   2", "  2   4   1", "Invalid load count, filter 2"},
        {"missing end", "   0 0\n-999\n", "   0 0\n", "PRJ read error; see LOG file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string text = kSection;
        const auto at = text.find(c.from);
        ASSERT_NE(at, std::string::npos);
        text.replace(at, c.from.size(), c.to);
        project.filter_elements.clear();
        project.filters.clear();
        port.boxes.clear();
        EXPECT_GE(read(text), 1);
        EXPECT_TRUE(told(c.message)) << (port.boxes.empty() ? std::string("no message") : port.boxes.front().text);
    }
}

TEST(FilterElements, DefaultsAndLoads)
{
    FilterElement e = new_filter_element(kFltUv1);
    EXPECT_FLOAT_EQ(filter_mass(e), 10.0f);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(e.data));
    EXPECT_FALSE(filter_data_fits(e));
    e.data = new_filter_data(kFltUv1);
    EXPECT_TRUE(filter_data_fits(e));
    EXPECT_EQ(filter_caption(7), "UNKNOWN Filter Type");

    FilterElement a = new_filter_element(kFltCef);
    FilterElement super = new_filter_element(kFltSpf);
    super.data = SuperFilterData{{&a, &a, &e}};
    const std::vector<FilterLoad> loads = loads_for(&super);
    ASSERT_EQ(loads.size(), 3u);
    EXPECT_EQ(loads[2].element, &e);
    EXPECT_EQ(loads_for(&a).size(), 1u);
}

}  // namespace
}  // namespace avelor
