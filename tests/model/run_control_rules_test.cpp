#include "model/run_control_rules.h"

#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/project.h"
#include "model/run_control.h"
#include "support/scripted_port.h"
#include "support/test_files.h"

namespace avelor {
namespace {

std::string box_text(const testing::ShownBox& box)
{
    std::string t = box.text;
    if (!t.empty() && t.front() == ' ') t.erase(0, 1);
    while (!t.empty() && t.back() == '\n') t.pop_back();
    return t;
}

// Day numbers of the dates the cases use.
constexpr int Jan01 = 1, Jan05 = 5, Jan10 = 10, Jan20 = 20, Jan31 = 31, Feb01 = 32, Feb10 = 41, Mar01 = 60,
              Dec01 = 335, Dec20 = 354, Dec31 = 365;

DataFileSpan file_span(int first, int last) { return {true, first, last}; }
RestartSpan restart_span(int first, int last) { return {true, first, last}; }

void write_file(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// One check's answer: "" when it passed, else the ERROR box that ended it
// (a bad header has been logged as a WARNING before it).
template <class Check>
std::string answer_of(Check check, bool& passed)
{
    testing::ScriptedPort port;
    passed = check();
    if (port.boxes.empty()) return "";
    EXPECT_EQ(port.boxes.back().caption, "ERROR");
    return box_text(port.boxes.back());
}

TEST(RunControlRules, DaysWrapOverTheYearsEnd)
{
    EXPECT_TRUE(day_in_span(Jan05, Dec01, Jan31));
    EXPECT_TRUE(day_in_span(Dec20, Dec01, Jan31));
    EXPECT_FALSE(day_in_span(Mar01, Dec01, Jan31));
    EXPECT_FALSE(day_in_span(0, Dec01, Jan31));
    EXPECT_FALSE(day_in_span(366, Dec01, Jan31));
    EXPECT_TRUE(span_covered(Dec20, Jan05, Dec01, Jan31));
    EXPECT_FALSE(span_covered(Jan20, Jan10, Jan01, Jan31));  // nearly a year, both ends inside
    EXPECT_TRUE(span_covered(Dec20, Jan05, Jan01, Dec31));   // the whole year
    EXPECT_FALSE(span_covered(Jan10, Feb10, Jan01, Jan31));
}

// The Run Control page check over steady, transient and cyclic runs, with
// weather and restart files: each case passes or shows its one message.
TEST(RunControlRules, RunControlCheckInOrder)
{
    struct Case {
        const char* what;
        std::function<void(RunControl&, RunFileSpans&)> set;
        const char* message;
    };
    const auto transient = [](RunControl& rc) { rc.sim_af = 1; };
    const char* status = "The Status time step must be a multiple of\n the Calculation time step.";
    const std::vector<Case> cases = {
        {"steady defaults", [](RunControl&, RunFileSpans&) {}, ""},
        {"transient defaults", [&](RunControl& rc, RunFileSpans&) { transient(rc); }, ""},
        {"transient airflow, steady contaminants",
         [&](RunControl& rc, RunFileSpans&) {
             transient(rc);
             rc.sim_mf = 1;
         },
         "Invalid combination of flow/contaminant simulation methods.\n"
         "    Airflow simulation method-     transient\n"
         "    Contaminant simulation method- steady"},
        {"no calculation step", [](RunControl& rc, RunFileSpans&) { rc.t_step = 0; },
         "The calculation time step cannot be 00:00:00."},
        {"negative calculation step", [](RunControl& rc, RunFileSpans&) { rc.t_step = -300; },
         "The calculation time step cannot be 00:00:00."},
        {"transient status below the step",
         [&](RunControl& rc, RunFileSpans&) {
             transient(rc);
             rc.t_scrn = 150;
         },
         status},
        {"cyclic status not a multiple",
         [](RunControl& rc, RunFileSpans&) {
             rc.sim_mf = 3;
             rc.t_scrn = 450;
         },
         status},
        {"status over an hour not dividing a day", [](RunControl& rc, RunFileSpans&) { rc.t_scrn = 25200; },
         "24 hours must be a multiple of the Status time step."},
        {"steady status under an hour not a multiple", [](RunControl& rc, RunFileSpans&) { rc.t_scrn = 1000; },
         status},
        {"output not a multiple", [](RunControl& rc, RunFileSpans&) { rc.t_list = 1000; },
         "The Output time step must be multiple of the Calculation time step"},
        {"output over an hour", [](RunControl& rc, RunFileSpans&) { rc.t_list = 7200; },
         "The Output time step must be less than an or equal to an hour."},
        {"no output step", [](RunControl& rc, RunFileSpans&) { rc.t_list = 0; },
         "The Output time step cannot be 00:00:00."},
        {"start between output steps", [](RunControl& rc, RunFileSpans&) { rc.time_0 = 1800; },
         "The Start time must be a multiple of the Output time step"},
        {"status 3600 with a step of 7",
         [](RunControl& rc, RunFileSpans&) {
             rc.t_step = 7;
             rc.t_list = 7;
         },
         "There must be an integral number of time steps in one hour"},
        {"output step not dividing a day",
         [](RunControl& rc, RunFileSpans&) {
             rc.t_step = 1;
             rc.t_list = 7;
         },
         "24 hours must be a multiple of the Output time step."},
        {"weather file over the year's end",
         [&](RunControl& rc, RunFileSpans& s) {
             transient(rc);
             s.weather = file_span(Dec01, Jan31);
             rc.date_0 = Dec20;
             rc.date_1 = Jan05;
         },
         ""},
        {"start before the weather file",
         [&](RunControl& rc, RunFileSpans& s) {
             transient(rc);
             s.weather = file_span(Jan01, Jan31);
             rc.date_0 = rc.date_1 = Feb01;
         },
         "The start date of the simulation must be within the date range in the weather file."},
        {"end after the weather file",
         [&](RunControl& rc, RunFileSpans& s) {
             transient(rc);
             s.weather = file_span(Jan01, Jan31);
             rc.date_0 = Jan10;
             rc.date_1 = Feb10;
         },
         "The end date of the simulation must be within the date range in the weather file."},
        {"steady airflow ignores the weather file",
         [](RunControl& rc, RunFileSpans& s) {
             s.weather = file_span(Jan01, Jan31);
             rc.date_0 = rc.date_1 = Mar01;
         },
         ""},
        {"cyclic day outside the weather file",
         [&](RunControl& rc, RunFileSpans& s) {
             transient(rc);
             rc.sim_mf = 3;
             s.weather = file_span(Jan01, Jan31);
             rc.date_st = Mar01;
         },
         "The cyclic date of the simulation must be within the date range in the weather file."},
        {"restart inside its file over the year's end",
         [&](RunControl& rc, RunFileSpans& s) {
             transient(rc);
             rc.restart = 1;
             s.restart = restart_span(Dec20, Jan10);
             rc.rstdate = Jan05;
         },
         ""},
        {"restart outside its file",
         [&](RunControl& rc, RunFileSpans& s) {
             transient(rc);
             rc.restart = 1;
             s.restart = restart_span(Jan01, Jan10);
             rc.rstdate = Jan20;
         },
         "The restart date must be in the range shown."},
        {"steady run with its restart switch on",
         [](RunControl& rc, RunFileSpans&) { rc.restart = 1; },
         ""},
        {"restart without a restart file",
         [&](RunControl& rc, RunFileSpans&) {
             transient(rc);
             rc.restart = 1;
         },
         "The restart date must be in the range shown."},
    };
    for (const Case& c : cases) {
        RunControl rc;
        RunFileSpans spans;
        c.set(rc, spans);
        bool passed = false;
        EXPECT_EQ(answer_of([&] { return check_run_control(rc, spans); }, passed), c.message) << c.what;
        EXPECT_EQ(passed, std::string(c.message).empty()) << c.what;
    }
}

TEST(RunControlRules, RunControlCheckNormalisesTheEnds)
{
    testing::ScriptedPort port;
    RunControl rc;
    rc.sim_af = 1;
    rc.date_0 = Dec31;
    rc.time_0 = 86400;
    rc.date_1 = Jan01;
    rc.time_1 = 0;
    ASSERT_TRUE(check_run_control(rc, {}));
    EXPECT_EQ(rc.date_0, Jan01);
    EXPECT_EQ(rc.time_0, 0);
    EXPECT_EQ(rc.date_1, Dec31);
    EXPECT_EQ(rc.time_1, 86400);
}

class WeatherCheck : public ::testing::Test {
protected:
    void SetUp() override
    {
        weather = ::testing::TempDir() + "rules_weather.wth";
        contaminants = ::testing::TempDir() + "rules_outdoor.ctm";
        write_file(weather, "WeatherFile AvelorW 2.0\nA winter\n12/1 1/31\n");
        write_file(contaminants, "SpeciesFile AvelorW 2.0\nOutdoor air\n1/1 1/31\n");
    }
    std::string weather;
    std::string contaminants;
    testing::RunLogFile log;
};

TEST_F(WeatherCheck, FailuresInOrder)
{
    const std::string bad = ::testing::TempDir() + "rules_bad.wth";
    write_file(bad, "WeatherFile AvelorW 1.0\nOld\n1/1 12/31\n");
    struct Case {
        const char* what;
        std::function<void(RunControl&, RunFileSpans&)> set;
        const char* message;
    };
    const auto transient_weather = [this](RunControl& rc, RunFileSpans& s) {
        rc.sim_af = 1;
        rc.weather_file = weather;
        s.weather = file_span(Dec01, Jan31);
        rc.date_0 = Dec20;
        rc.date_1 = Jan05;
    };
    const std::vector<Case> cases = {
        {"weather file over the year's end", transient_weather, ""},
        {"cyclic day outside the weather file",
         [&](RunControl& rc, RunFileSpans& s) {
             transient_weather(rc, s);
             rc.sim_mf = 3;
             rc.date_st = Mar01;
         },
         "The cyclic simulation date is not included in the selected weather file."},
        {"restart day outside its file",
         [&](RunControl& rc, RunFileSpans& s) {
             transient_weather(rc, s);
             rc.restart = 1;
             rc.rstdate = Mar01;
             s.restart = restart_span(Jan01, Jan10);
         },
         "The restart date is not included in restart file."},
        {"output not a multiple",
         [](RunControl& rc, RunFileSpans&) { rc.t_list = 1000; },
         "The Output time step must be multiple of the Calculation time step"},
        {"no calculation step", [](RunControl& rc, RunFileSpans&) { rc.t_step = 0; },
         "The calculation time step cannot be 00:00:00."},
        {"no output step", [](RunControl& rc, RunFileSpans&) { rc.t_list = 0; },
         "The Output time step cannot be 00:00:00."},
        {"weather file missing",
         [&](RunControl& rc, RunFileSpans& s) {
             transient_weather(rc, s);
             rc.weather_file = weather + ".gone";
         },
         "The weather file path given is not valid."},
        {"weather file header",
         [&](RunControl& rc, RunFileSpans& s) {
             transient_weather(rc, s);
             rc.weather_file = bad;
         },
         "The weather file header is not valid."},
        {"contaminant file missing",
         [&](RunControl& rc, RunFileSpans&) {
             rc.sim_mf = 3;
             rc.contaminant_file = contaminants + ".gone";
         },
         "The contaminant file path given is not valid."},
        {"contaminant file header",
         [&](RunControl& rc, RunFileSpans&) {
             rc.sim_mf = 2;
             rc.contaminant_file = weather;
         },
         "The contaminant file header is not valid."},
    };
    for (const Case& c : cases) {
        RunControl rc;
        RunFileSpans spans;
        c.set(rc, spans);
        bool passed = false;
        EXPECT_EQ(answer_of([&] { return check_weather(rc, spans); }, passed), c.message) << c.what;
        EXPECT_EQ(passed, std::string(c.message).empty()) << c.what;
    }
}

TEST_F(WeatherCheck, UncoveredDaysMoveToTheFilesFirstDayOnYes)
{
    for (const bool yes : {true, false}) {
        testing::ScriptedPort port;
        port.answers.push_back(yes ? Answer::Yes : Answer::No);
        RunControl rc;
        rc.sim_af = 1;
        rc.sim_mf = 2;
        rc.contaminant_file = contaminants;
        RunFileSpans spans;
        spans.contaminant = file_span(Jan01, Jan31);
        rc.date_0 = Mar01;
        rc.date_1 = Mar01;
        EXPECT_EQ(check_weather(rc, spans), yes);
        ASSERT_EQ(port.questions.size(), 1u);
        EXPECT_EQ(port.questions[0],
                  "The selected contaminant file does not include all of the simulation days.\n"
                  "Would you like the simulation days to be set to the first day in the contaminant file?\n"
                  "Select 'No' if you intend to change the contaminant file instead.");
        EXPECT_EQ(rc.date_0, yes ? Jan01 : Mar01);
        EXPECT_EQ(rc.date_1, yes ? Jan01 : Mar01);
        EXPECT_TRUE(port.boxes.empty());
    }
    testing::ScriptedPort port;
    RunControl rc;
    rc.sim_af = 1;
    rc.weather_file = weather;
    RunFileSpans spans;
    spans.weather = file_span(Dec01, Jan31);
    rc.date_0 = rc.date_1 = Mar01;
    EXPECT_FALSE(check_weather(rc, spans));
    ASSERT_EQ(port.questions.size(), 1u);
    EXPECT_EQ(port.questions[0].substr(0, 70),
              "The selected weather file does not include all of the simulation days.");
}

// A restart file is ten little-endian integers.
void write_restart(const std::string& path, const std::vector<std::int32_t>& values)
{
    std::ofstream out(path, std::ios::binary);
    for (std::int32_t v : values) {
        const auto u = static_cast<std::uint32_t>(v);
        const char bytes[4] = {static_cast<char>(u & 0xff), static_cast<char>((u >> 8) & 0xff),
                               static_cast<char>((u >> 16) & 0xff), static_cast<char>((u >> 24) & 0xff)};
        out.write(bytes, 4);
    }
}

TEST(RunControlRules, RestartHeaderMatchesTheProject)
{
    Project project;
    add_zone(project, new_zone(project));
    const std::string path = restart_path_for(::testing::TempDir() + "restart_case.prj");
    EXPECT_EQ(path, ::testing::TempDir() + "restart_case.rst");
    struct Case {
        std::vector<std::int32_t> values;
        bool ok;
    };
    const std::vector<Case> cases = {
        {{1, 0, 0, 0, 0, 0, 0, Dec20, Jan10, 7}, true},
        {{2, 0, 0, 0, 0, 0, 0, Dec20, Jan10, 7}, false},  // one zone more
        {{1, 0, 0, 0, 0, 0, 0, 0, Jan10, 7}, false},      // not a day
        {{1, 0, 0, 0, 0, 0, 0, Jan01, 366, 7}, false},
        {{1, 0, 0, 0, 0, 0, 0, Jan01, Jan10}, false},     // short
    };
    for (const Case& c : cases) {
        write_restart(path, c.values);
        const RestartSpan span = read_restart_header(path, project);
        EXPECT_EQ(span.ok, c.ok) << c.values[0] << " " << c.values[7] << " " << c.values.size();
        if (c.ok) {
            EXPECT_EQ(span.first_day, Dec20);
            EXPECT_EQ(span.last_day, Jan10);
        }
    }
    EXPECT_FALSE(read_restart_header(path + ".gone", project).ok);
}

}  // namespace
}  // namespace avelor
