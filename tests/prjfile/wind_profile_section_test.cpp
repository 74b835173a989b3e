#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "app/data_reader.h"
#include "model/project.h"
#include "prjfile/project_file.h"
#include "prjfile/wind_profile_section.h"
#include "support/scripted_port.h"

namespace avelor {
namespace {

using testing::ScriptedPort;
using Points = std::vector<std::pair<float, float>>;

WindProfile profile(const std::string& name, const std::string& desc, const Points& points, std::int16_t type)
{
    WindProfile p = new_wind_profile();
    p.name = name;
    p.desc = desc;
    for (std::size_t i = 0; i < points.size(); ++i) {
        p.angles[i] = points[i].first;
        p.coefficients[i] = points[i].second;
    }
    p.type = type;
    normalize_wind_profile(p);
    return p;
}

class WindProfileSectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (WindProfile p : {
                 profile("square", "Low-rise wall, square plan", {{0, 0.6f}, {90, -0.3f}, {180, -0.2f}, {270, -0.3f}, {360, 0}},
                         kWindFitTrigonometric),
                 profile("long_wall", "", {{0, 0.7f}, {45, 0.35f}, {90, -0.5f}, {180, -0.25f}, {315, 0.35f}, {360, 0}},
                         kWindFitSpline),
                 profile("flat", "!roof", {{0, -0.6f}, {360, 0}}, kWindFitLinear),
             }) {
            fit_wind_profile(p, ERROR);
            written.insert_copy(p);
        }
    }

    // Reads the text into list and answers what reading said.
    int read(const std::string& text, NamedList<WindProfile>& list)
    {
        const std::string path = ::testing::TempDir() + "wind_profile_section.txt";
        std::ofstream(path, std::ios::binary) << text << "* end\n";
        DataReader in;
        EXPECT_EQ(in.open(path, 0), 0);
        const int result = read_wind_profiles_section(in, list);
        in.close();
        return result;
    }

    std::string write(NamedList<WindProfile>& list)
    {
        TextWriter out;
        write_wind_profiles_section(out, list);
        return out.text();
    }

    ScriptedPort port;
    BlockPool pool{32000, "block"};
    NamedList<WindProfile> written{pool};
    NamedList<WindProfile> back{pool};
};

TEST_F(WindProfileSectionTest, LinesFollowTheirFormatsAndReadBackByteExact)
{
    const std::string text = write(written);
    EXPECT_EQ(text.substr(0, text.find("2 6 2")),
              "3 ! wind pressure profiles:\n"
              "1 2 1 flat\n"
              " !roof\n"
              "   0.0 -0.600\n"
              " 360.0 -0.600\n");
    EXPECT_NE(text.find("2 6 2 long_wall\n\n   0.0  0.700\n  45.0  0.350\n"), std::string::npos);
    EXPECT_NE(text.find(" 315.0  0.350\n 360.0  0.700\n3 5 3 square\nLow-rise wall, square plan\n"),
              std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 5), "-999\n");

    ASSERT_EQ(read(text, back), 0);
    EXPECT_EQ(write(back), text);
    EXPECT_TRUE(port.boxes.empty());

    // The fits are made again from the points read.
    const WindProfile* square = back.find_by_name("square");
    ASSERT_NE(square, nullptr);
    EXPECT_EQ(square->trig, written.find_by_name("square")->trig);
    const WindProfile* wall = back.find_by_name("long_wall");
    ASSERT_NE(wall, nullptr);
    EXPECT_EQ(wall->spline.size(), 6u);
    EXPECT_EQ(wall->nr, 2) << "a record keeps its file number for the references read after it";
}

TEST_F(WindProfileSectionTest, HandEditedSpacingReadsAsTheCanonicalText)
{
    const std::string odd =
        "  3   ! wind pressure profiles:\n"
        "1\t2  1   flat\n"
        " !roof\n"
        "0 -0.6\n"
        "360,-0.6\n"
        "! a comment between records\n"
        "2 6 2 long_wall\n"
        "\n"
        "  0   0.70 45 0.35\n 90 -0.5\n180 -0.25 315 0.35 360 0.7\n"
        "3 5 3 square\n"
        "Low-rise wall, square plan\n"
        "0 0.6\n90 -0.3\n180 -0.2\n270 -0.3\n360 0.6\n"
        "   -999\n";
    ASSERT_EQ(read(odd, back), 0);
    EXPECT_EQ(write(back), write(written));
}

TEST_F(WindProfileSectionTest, TheLastCoefficientIsTheFirstsAndUnknownTypesAreLinear)
{
    ASSERT_EQ(read("2 ! wind pressure profiles:\n"
                   "1 3 1 open\n\n 0 0.6\n 180 -0.3\n 360 0.2\n"
                   "2 2 0 shown_all\n\n 0 0.4\n 360 0.4\n"
                   "-999\n",
                   back),
              0);
    const WindProfile* open = back.find_by_name("open");
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->coefficients[2], 0.6f);
    EXPECT_EQ(open->angles[3], 360.0f);
    EXPECT_EQ(open->coefficients[3], 0.0f);
    EXPECT_EQ(back.find_by_name("shown_all")->type, kWindFitLinear);
}

// A fit that the points read cannot make is told as a WARNING and leaves
// the profile linear; the read succeeds.
TEST_F(WindProfileSectionTest, FitsThatCannotBeMadeLeaveLinearProfiles)
{
    ASSERT_EQ(read("2 ! wind pressure profiles:\n"
                   "1 2 2 two_points\n\n 0 0.4\n 360 0.4\n"
                   "2 3 3 no_quarters\n\n 0 0.4\n 100 0.1\n 360 0.4\n"
                   "-999\n",
                   back),
              0) << (port.boxes.empty() ? "" : port.boxes.back().text);
    EXPECT_EQ(error_count(), 0);
    for (const WindProfile& p : back) EXPECT_EQ(p.type, kWindFitLinear) << p.name;
    ASSERT_EQ(port.boxes.size(), 3u);
    EXPECT_EQ(port.boxes[0].text.rfind(" too few data points for spline\n", 0), 0u);
    for (const auto& box : port.boxes) EXPECT_EQ(box.caption, "WARNING");
}

struct Damage {
    const char* name;
    const char* record;  // the second of two records
    const char* message;
};

TEST_F(WindProfileSectionTest, BadRecordsAreCountedErrors)
{
    const Damage cases[] = {
        {"number", "7 2 1 b\n\n 0 1\n 360 1\n-999\n", " Wind number mis-match: 2\n"},
        {"one point", "2 1 1 b\n\n 0 1\n-999\n", " Invalid number of points 1, wind profile 2\n"},
        {"no points", "2 0 1 b\n\n-999\n", " Invalid number of points 0, wind profile 2\n"},
        {"seventeen points", "2 17 1 b\n\n 0 1\n-999\n", " Invalid number of points 17, wind profile 2\n"},
        {"falling angles", "2 4 1 b\n\n 0 1\n 200 1\n 100 1\n 360 1\n-999\n",
         " Invalid angles, wind profile 2: they must rise from 0 to 360 degrees\n"},
        {"repeated angle", "2 3 2 b\n\n 0 1\n 0 1\n 360 1\n-999\n",
         " Invalid angles, wind profile 2: they must rise from 0 to 360 degrees\n"},
        {"first not at 0", "2 2 1 b\n\n 10 1\n 360 1\n-999\n",
         " Invalid angles, wind profile 2: they must rise from 0 to 360 degrees\n"},
        {"last not at 360", "2 2 1 b\n\n 0 1\n 350 1\n-999\n",
         " Invalid angles, wind profile 2: they must rise from 0 to 360 degrees\n"},
        {"beyond a turn", "2 3 1 b\n\n 0 1\n 370 1\n 360 1\n-999\n",
         " Invalid angles, wind profile 2: they must rise from 0 to 360 degrees\n"},
        {"no end", "2 2 1 b\n\n 0 1\n 360 1\n0\n", " PRJ read error; see LOG file\n"},
    };
    for (const Damage& d : cases) {
        ScriptedPort local;
        BlockPool local_pool(32000, "block");
        NamedList<WindProfile> list{local_pool};
        EXPECT_EQ(read(std::string("2 ! wind pressure profiles:\n1 2 1 a\n\n 0 1\n 360 1\n") + d.record, list), 1)
            << d.name;
        EXPECT_EQ(error_count(), 1) << d.name;
        ASSERT_FALSE(local.boxes.empty()) << d.name;
        EXPECT_EQ(local.boxes.back().text.rfind(d.message, 0), 0u) << d.name << ": " << local.boxes.back().text;
    }
}

// Paths and terminals refer to profiles by number; the numbers are those
// the section wrote, whatever order the names take.
TEST_F(WindProfileSectionTest, PathsFindTheirProfilesInAProjectFile)
{
    Project p;
    for (const WindProfile& w : written) p.wind_profiles.insert_copy(w);
    Level ground;
    ground.name = "ground";
    p.current_level = p.levels.add(ground);
    Zone room = new_zone(p);
    room.name = "room";
    add_zone(p, room);
    AirflowElement crack;
    crack.name = "crack";
    p.elements.insert_copy(crack);
    for (const char* name : {"square", "flat"}) {
        FlowPath path;
        path.flags = 0x01;
        path.element = p.elements.head();
        path.zone_n = p.zones.at(1);
        path.zone_m = ZoneRef::ambient();
        path.wind_profile = p.wind_profiles.find_by_name(name);
        path.mult = 1;
        add_path(p, path);
    }
    TextWriter out;
    write_project(out, p);
    const std::string file = ::testing::TempDir() + "wind_profiles.prj";
    std::ofstream(file, std::ios::binary) << out.text();

    Project read_back;
    ASSERT_EQ(read_project(file, read_back, {}), 0) << (port.boxes.empty() ? "" : port.boxes[0].text);
    ASSERT_EQ(read_back.paths.count(), 2);
    EXPECT_EQ(read_back.paths.at(1)->wind_profile, read_back.wind_profiles.find_by_name("square"));
    EXPECT_EQ(read_back.paths.at(2)->wind_profile, read_back.wind_profiles.find_by_name("flat"));
    TextWriter again;
    write_project(again, read_back);
    EXPECT_EQ(again.text(), out.text());
}

}  // namespace
}  // namespace avelor
