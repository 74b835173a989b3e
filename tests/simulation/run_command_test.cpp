#include "simulation/run_command.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <iomanip>
#include <sstream>
#include <thread>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/file_io.h"
#include "editing/editor_session.h"
#include "model/airflow_element.h"
#include "model/project.h"
#include "support/scripted_port.h"
#include "support/test_files.h"

namespace avelor {
namespace {

std::string temp_folder()
{
    const char* tmp = std::getenv("TEST_TMPDIR");
    return std::string(tmp ? tmp : "/tmp") + "/";
}

// The text of a box without its leading blank and closing line end.
std::string box_text(const testing::ShownBox& box)
{
    std::string t = box.text;
    if (!t.empty() && t.front() == ' ') t.erase(0, 1);
    while (!t.empty() && t.back() == '\n') t.pop_back();
    return t;
}

std::vector<std::string> lines_of(const std::string& path)
{
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// ---------------------------------------------------------------------------
// The results size estimate, worked by hand from the rule: step size S,
// the steps of the period, then (68 + 8 (P + 2 (N + 1)) + steps S) bytes.

TEST(ResultsSize, HandWorkedCases)
{
    struct Case {
        const char* what;
        int date_0, time_0, date_1, time_1, t_list, pfsave, zcsave;
        int n, N, P;
        double bytes;
    };
    const std::vector<Case> cases = {
        // S = 24 + 16*3 + 16*2 + 4*2 = 112; one whole day: 86400/3600 + 2 = 26
        // steps; header and maps 68 + 8*(3 + 2*3) = 140.
        {"one whole day", 1, 0, 1, 86400, 3600, 1, 1, 0, 2, 3, 140 + 26 * 112},
        // Dec 31 12:00 to Jan 2 01:00 wraps: D = 2. S = 28 + 32 = 60. First
        // day 43200/3600 + 2 = 14, last day 3600/3600 + 2 = 3, one whole day
        // (D - 1) of 26: 43 steps; maps 68 + 8*(1 + 4) = 108.
        {"across the year end", 365, 43200, 2, 3600, 3600, 1, 0, 1, 1, 1, 108 + 43 * 60},
        // Part of one day: (7200 - 3600)/600 + 2 = 8 steps of S = 32 + 12*3 =
        // 68; maps 68 + 8*(4 + 8) = 164.
        {"part of a day", 10, 3600, 10, 7200, 600, 0, 1, 2, 3, 4, 164 + 8 * 68},
        // From midnight of day 1 to noon of day 3: no first partial day, a
        // last day of 43200/3600 + 2 = 14 and D = 2 whole days of 26: 66 steps
        // of S = 24 + 16 + 4 = 44; maps 68 + 8*(0 + 4) = 100.
        {"midnight start, noon end", 1, 0, 3, 43200, 3600, 1, 1, 0, 1, 0, 100 + 66 * 44},
    };
    for (const Case& c : cases) {
        RunControl rc;
        rc.date_0 = c.date_0;
        rc.time_0 = c.time_0;
        rc.date_1 = c.date_1;
        rc.time_1 = c.time_1;
        rc.t_list = c.t_list;
        rc.pfsave = c.pfsave;
        rc.zcsave = c.zcsave;
        EXPECT_DOUBLE_EQ(results_size_megabytes(rc, c.n, c.N, c.P), c.bytes / 1048576.0) << c.what;
    }
}

TEST(ResultsSize, AYearAtOneSecondCrossesTheQuestionLimit)
{
    RunControl rc;
    rc.date_0 = 1;
    rc.date_1 = 365;
    rc.t_list = 1;
    // 365 whole days of 86402 steps with 20 paths and 10 zones: S = 24 +
    // 16*20 + 16*10 + 4*10 = 544 bytes, far beyond 4096 MB.
    EXPECT_GE(results_size_megabytes(rc, 0, 10, 20), kLargeResultsMegabytes);
    rc.t_list = 3600;
    EXPECT_LT(results_size_megabytes(rc, 0, 10, 20), kLargeResultsMegabytes);
}

// ---------------------------------------------------------------------------
// Time step checks and data file headers.

TEST(RunChecks, TimeStepsEveryRunNeeds)
{
    struct Case {
        int t_step, t_list;
        const char* message;  // empty: accepted
    };
    const std::vector<Case> cases = {
        {300, 3600, ""},
        {1, 1, ""},
        {0, 3600, "The calculation time step cannot be 00:00:00."},
        {-5, 3600, "The calculation time step cannot be 00:00:00."},
        {300, 0, "The Output time step cannot be 00:00:00."},
        {300, 3500, "The Output time step must be multiple of the Calculation time step"},
        {7, 7 * 5, "24 hours must be a multiple of the Output time step."},
    };
    for (const Case& c : cases) {
        testing::ScriptedPort port;
        RunControl rc;
        rc.t_step = c.t_step;
        rc.t_list = c.t_list;
        const bool expected = std::string(c.message).empty();
        EXPECT_EQ(check_run_time_steps(rc), expected) << c.t_step << " " << c.t_list;
        if (expected) {
            EXPECT_TRUE(port.boxes.empty());
        } else {
            ASSERT_EQ(port.boxes.size(), 1u);
            EXPECT_EQ(port.boxes[0].caption, "ERROR");
            EXPECT_EQ(box_text(port.boxes[0]), c.message);
        }
    }
}

TEST(RunChecks, DataFileHeader)
{
    testing::RunLogFile log;
    struct Case {
        const char* text;
        DataFileKind kind;
        bool ok;
        int first, last;
    };
    const std::vector<Case> cases = {
        {"WeatherFile AvelorW 2.0\n! comment\nA test year\n1/1 12/31\n", DataFileKind::Weather, true, 1, 365},
        {"SpeciesFile AvelorW 2.0\nOutdoor data\n2/1 3/1\n", DataFileKind::Contaminant, true, 32, 60},
        {"SpeciesFile AvelorW 2.0\nOutdoor data\n2/1 3/1\n", DataFileKind::Weather, false, 0, 0},
        {"WeatherFile AvelorW 1.0\nOld\n1/1 1/2\n", DataFileKind::Weather, false, 0, 0},
    };
    int i = 0;
    for (const Case& c : cases) {
        testing::ScriptedPort port;
        const std::string path = temp_folder() + "data" + std::to_string(i++) + ".txt";
        std::ofstream(path, std::ios::binary) << c.text;
        const DataFileSpan span = check_data_file_header(path, c.kind);
        EXPECT_EQ(span.ok, c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(span.first_day, c.first);
            EXPECT_EQ(span.last_day, c.last);
        }
    }
    EXPECT_NE(log.text().find("Invalid header data: WeatherFile AvelorW 1.0"), std::string::npos);
    EXPECT_FALSE(check_data_file_header(temp_folder() + "missing.wth", DataFileKind::Weather).ok);
}

// ---------------------------------------------------------------------------
// The command on a real project with a stand-in engine.

class RunCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        open_example("two_rooms.prj");
        std::filesystem::create_directories(temp_folder() + "bin");
        engine_path = temp_folder() + "bin/AVELORX3";
        args_file = temp_folder() + "engine_args.txt";
        std::filesystem::remove(args_file);
        write_engine("exit 0");
        port.boxes.clear();
    }

    // A copy of a shipped example, opened in the session.
    void open_example(const std::string& name)
    {
        project_path = temp_folder() + name;
        std::filesystem::copy_file(std::string(AVELOR_SOURCE_DIR) + "/examples/" + name, project_path,
                                   std::filesystem::copy_options::overwrite_existing);
        ASSERT_TRUE(open_in_session(session, project_path));
    }

    // The stand-in engine records its arguments, then ends as told.
    void write_engine(const std::string& ending, double sleep_seconds = 0)
    {
        std::ofstream out(engine_path, std::ios::binary);
        out << "#!/bin/sh\n"
            << "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" << args_file << "'\n";
        if (sleep_seconds > 0) out << "sleep " << sleep_seconds << "\n";
        out << ending << "\n";
        out.close();
        ::chmod(engine_path.c_str(), 0755);
    }

    RunHooks hooks()
    {
        RunHooks h;
        h.leave_results_mode = [this] { events.push_back("leave results"); };
        h.enter_results_mode = [this] { events.push_back("results mode"); };
        h.building_checked = [this] { events.push_back("checked"); };
        h.refresh_status = [this] { events.push_back("status"); };
        h.close_results_display = [this] { events.push_back("close display"); };
        h.set_interface_enabled = [this](bool on) { events.push_back(on ? "enabled" : "disabled"); };
        return h;
    }

    bool engine_ran() const { return std::filesystem::exists(args_file); }

    bool has_event(const std::string& e) const
    {
        return std::find(events.begin(), events.end(), e) != events.end();
    }

    testing::ScriptedPort port;
    testing::RunLogFile log;
    EditorSession session;
    std::string project_path, engine_path, args_file;
    std::vector<std::string> events;
};

TEST_F(RunCommandTest, EngineEndingsTheirMessagesAndTheAfterRunStep)
{
    struct Case {
        std::string ending;
        int doDlg;
        const char* caption;  // empty: no message
        const char* message;
        bool results;
    };
    const std::vector<Case> cases = {
        {"exit 0", 1, "", "", true},
        {"exit 1", 0, "NOTE", "AVELORX.EXE: simulation terminated by user.", false},
        {"exit 3", 1, "ERROR", "AVELORX.EXE: simulation terminated abnormally.", false},
        {"kill -9 $$", 0, "ERROR", "AVELORX.EXE: simulation terminated abnormally.", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ending);
        write_engine(c.ending);
        std::filesystem::remove(args_file);
        port.boxes.clear();
        events.clear();
        session.project().rc.doDlg = static_cast<std::int16_t>(c.doDlg);
        session.document.results_available = true;  // a run starts by clearing it

        SimulationRun run(session, hooks());
        run.set_engine_path(engine_path);
        ASSERT_EQ(run.run(RunKind::Simulation), RunOutcome::Running);
        EXPECT_TRUE(run.running());
        EXPECT_FALSE(session.document.results_available);
        EXPECT_EQ(events.back(), "disabled");
        while (!run.poll()) std::this_thread::sleep_for(std::chrono::milliseconds(5));

        if (std::string(c.caption).empty()) {
            EXPECT_TRUE(port.boxes.empty());
        } else {
            ASSERT_EQ(port.boxes.size(), 1u);
            EXPECT_EQ(port.boxes[0].caption, c.caption);
            EXPECT_EQ(box_text(port.boxes[0]), c.message);
        }
        EXPECT_EQ(session.document.results_available, c.results);
        // Enabled again, then results mode left and entered whatever the code.
        const std::vector<std::string> tail(events.end() - 3, events.end());
        EXPECT_EQ(tail, (std::vector<std::string>{"enabled", "leave results", "results mode"}));
        EXPECT_EQ(lines_of(args_file),
                  (std::vector<std::string>{project_path, c.doDlg ? "-d" : "-w"}));
        EXPECT_NE(log.text().find("\nTime to check/save/simulate: "), std::string::npos);
        EXPECT_FALSE(run.running());
    }
}

TEST_F(RunCommandTest, ChecksThatRefuseTheRunBeforeTheSave)
{
    const std::string saved = testing::read_file(project_path);
    struct Case {
        const char* what;
        std::function<void(RunControl&)> change;
        const char* caption;
        const char* message;
    };
    const std::string missing = temp_folder() + "missing.file";
    const std::string bad_header = temp_folder() + "bad.wth";
    std::ofstream(bad_header) << "WeatherFile Other 2.0\nx\n1/1 1/2\n";
    const std::vector<Case> cases = {
        {"missing WPC file", [&](RunControl& rc) { rc.wpc_file = missing; }, "WARNING", "WPC file not found."},
        {"missing weather file", [&](RunControl& rc) { rc.sim_af = 1, rc.weather_file = missing; }, "ERROR",
         "The weather file path given is not valid."},
        {"bad weather header", [&](RunControl& rc) { rc.sim_af = 1, rc.weather_file = bad_header; }, "ERROR",
         "The weather file header is not valid."},
        {"missing contaminant file", [&](RunControl& rc) { rc.sim_mf = 2, rc.contaminant_file = missing; },
         "ERROR", "The contaminant file path given is not valid."},
        {"missing CVF", [&](RunControl& rc) { rc.sim_af = 1, rc.continuous_values_file = missing; }, "ERROR",
         "CVF does not include entire simulation period"},
        {"output step 0", [](RunControl& rc) { rc.t_list = 0; }, "ERROR",
         "The Output time step cannot be 00:00:00."},
        {"calculation step 0", [](RunControl& rc) { rc.t_step = 0; }, "ERROR",
         "The calculation time step cannot be 00:00:00."},
        {"output step not dividing a day", [](RunControl& rc) { rc.t_step = 7, rc.t_list = 35; }, "ERROR",
         "24 hours must be a multiple of the Output time step."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RunControl before = session.project().rc;
        c.change(session.project().rc);
        port.boxes.clear();
        events.clear();
        SimulationRun run(session, hooks());
        run.set_engine_path(engine_path);
        EXPECT_EQ(run.run(RunKind::Simulation), RunOutcome::Refused);
        ASSERT_FALSE(port.boxes.empty());
        EXPECT_EQ(port.boxes.back().caption, c.caption);
        EXPECT_EQ(box_text(port.boxes.back()), c.message);
        EXPECT_FALSE(engine_ran());
        EXPECT_TRUE(has_event("close display"));
        EXPECT_FALSE(has_event("disabled"));
        // Nothing was saved: the changed settings never reached the file.
        EXPECT_EQ(testing::read_file(project_path), saved);
        session.project().rc = before;
    }
}

TEST_F(RunCommandTest, BuildingCheckProblemsEndTheCommand)
{
    // Constant-flow fans on every path leave the rooms without a
    // pressure-dependent link to the outdoors.
    AirflowElement fan;
    fan.name = "fan";
    fan.type = kFanCmf;
    fan.data = element_data_for(kFanCmf);
    AirflowElement* fan_element = session.project().elements.insert_copy(fan);
    ASSERT_GT(session.project().paths.count(), 0);
    for (FlowPath& path : session.project().paths) path.element = fan_element;
    SimulationRun run(session, hooks());
    run.set_engine_path(engine_path);
    EXPECT_EQ(run.run(RunKind::Simulation), RunOutcome::Refused);
    EXPECT_FALSE(session.problems.empty());
    EXPECT_TRUE(has_event("checked"));
    EXPECT_TRUE(has_event("close display"));
    EXPECT_FALSE(engine_ran());
}

TEST_F(RunCommandTest, FailedSaveStopsTheRun)
{
    session.project().description = "changed before the run";
    const std::string saved = testing::read_file(project_path);
    {
        ScopedWriteFault fault(WriteStage::write);
        SimulationRun run(session, hooks());
        run.set_engine_path(engine_path);
        EXPECT_EQ(run.run(RunKind::Simulation), RunOutcome::Refused);
    }
    EXPECT_FALSE(engine_ran());
    EXPECT_EQ(testing::read_file(project_path), saved);
    EXPECT_TRUE(has_event("close display"));
}

TEST_F(RunCommandTest, UntitledProjectWhoseSaveIsCancelledIsNotRun)
{
    session.document.path.clear();
    SimulationRun run(session, hooks());
    run.set_engine_path(engine_path);
    EXPECT_EQ(run.run(RunKind::Simulation), RunOutcome::Refused);  // no file chosen
    ASSERT_EQ(port.file_requests.size(), 1u);
    EXPECT_EQ(port.file_requests[0].kind, FileChoice::Save);
    EXPECT_FALSE(engine_ran());
}

TEST_F(RunCommandTest, LargeResultsQuestion)
{
    // The larger example, for a year at one-second steps.
    open_example("office.prj");
    RunControl& rc = session.project().rc;
    rc.date_0 = 1;
    rc.date_1 = 365;
    rc.t_step = 1;
    rc.t_list = 1;
    const double megabytes = results_size_megabytes(session.project());
    ASSERT_GE(megabytes, kLargeResultsMegabytes);
    for (Answer answer : {Answer::No, Answer::Yes}) {
        port.answers = {answer};
        port.questions.clear();
        events.clear();
        std::filesystem::remove(args_file);
        SimulationRun run(session, hooks());
        run.set_engine_path(engine_path);
        const RunOutcome outcome = run.run(RunKind::Simulation);
        ASSERT_EQ(port.questions.size(), 1u);
        std::ostringstream expected;
        expected << "The size of the simfile will be: " << std::setprecision(4) << megabytes << " Megabytes.";
        EXPECT_EQ(port.questions[0].rfind(expected.str(), 0), 0u) << port.questions[0];
        EXPECT_NE(port.questions[0].find("Do you want to run the simulation?"), std::string::npos);
        if (answer == Answer::No) {
            EXPECT_EQ(outcome, RunOutcome::Refused);
            EXPECT_TRUE(has_event("status"));
            EXPECT_FALSE(engine_ran());
        } else {
            ASSERT_EQ(outcome, RunOutcome::Running);
            while (!run.poll()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
            EXPECT_TRUE(engine_ran());
        }
    }
}

TEST_F(RunCommandTest, RunBuildingCheckSavesButNeverLaunches)
{
    session.project().description = "saved by the check";
    SimulationRun run(session, hooks());
    run.set_engine_path(engine_path);
    EXPECT_EQ(run.run(RunKind::BuildingCheck), RunOutcome::Checked);
    EXPECT_FALSE(engine_ran());
    EXPECT_FALSE(has_event("disabled"));
    EXPECT_NE(testing::read_file(project_path).find("saved by the check"), std::string::npos);
    ASSERT_FALSE(port.boxes.empty());
    EXPECT_EQ(box_text(port.boxes.back()), "Building data is complete");
}

TEST_F(RunCommandTest, MissingEngineIsReportedAndNothingIsDisabled)
{
    SimulationRun run(session, hooks());
    run.set_engine_path(engine_path_in(temp_folder() + "empty_folder"));
    EXPECT_EQ(run.run(RunKind::Simulation), RunOutcome::EngineMissing);
    ASSERT_FALSE(port.boxes.empty());
    EXPECT_EQ(port.boxes.back().caption, "ERROR");
    EXPECT_EQ(box_text(port.boxes.back()), "AVELORX3.exe was not found in the AvelorW directory.");
    EXPECT_FALSE(has_event("disabled"));
    EXPECT_FALSE(run.running());
}

TEST_F(RunCommandTest, SecondRunRefusedWhileTheEngineRuns)
{
    write_engine("exit 0", 0.3);
    SimulationRun run(session, hooks());
    run.set_engine_path(engine_path);
    ASSERT_EQ(run.run(RunKind::Simulation), RunOutcome::Running);
    EXPECT_EQ(run.run(RunKind::Simulation), RunOutcome::Refused);
    EXPECT_EQ(port.beeps, 1);
    while (!run.poll()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(session.document.results_available);
}

// ---------------------------------------------------------------------------
// About box facts.

TEST(AboutFacts, VersionLinesAndFileTimes)
{
    EXPECT_EQ(about_version_line("AvelorX", std::vector<int>{3, 2, 0, 1}), "AvelorX 3.2.0.1");
    EXPECT_EQ(about_version_line("AvelorX", std::nullopt), "AvelorX --.--.--.--");
    EXPECT_EQ(file_time_text(temp_folder() + "no_such_file"), "xx/xx/xx xx:xx");

    std::tm when{};
    when.tm_year = 2026 - 1900;
    when.tm_mon = 2;
    when.tm_mday = 7;
    when.tm_hour = 9;
    when.tm_min = 5;
    when.tm_isdst = -1;
    EXPECT_EQ(file_time_text(std::mktime(&when)), "March 07, 2026  09:05");

    // A program file that carries the marker shows its version.
    const std::string marked = temp_folder() + "marked.bin";
    {
        std::ofstream out(marked, std::ios::binary);
        out << std::string(70000, '\0') << "AVELOR-FILE-VERSION 4.5.6.7" << '\0' << "tail";
    }
    EXPECT_EQ(file_version(marked), (std::vector<int>{4, 5, 6, 7}));
    const std::string plain = temp_folder() + "plain.bin";
    std::ofstream(plain, std::ios::binary) << "no marker here";
    EXPECT_EQ(file_version(plain), std::nullopt);
    EXPECT_EQ(file_version(marked + ".missing"), std::nullopt);
    // The marker of this build names this build's version.
    const std::vector<int> v = program_version();
    ASSERT_EQ(v.size(), 4u);
    const std::string own = temp_folder() + "own.bin";
    std::ofstream(own, std::ios::binary) << "x" << file_version_marker() << '\0';
    EXPECT_EQ(file_version(own), v);
}

}  // namespace
}  // namespace avelor
