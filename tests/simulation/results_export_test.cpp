#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/file_io.h"
#include "editing/editor_session.h"
#include "model/airflow_element.h"
#include "model/cell_codes.h"
#include "model/project.h"
#include "model/species.h"
#include "simulation/results_display.h"
#include "simulation/results_export.h"
#include "simulation/results_mode.h"
#include "support/results_file_maker.h"
#include "support/scripted_port.h"
#include "support/species_fixtures.h"

namespace avelor {
namespace {

using testing::made_F0;
using testing::made_F1;

std::string file_text(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool any_box(const testing::ScriptedPort& port, const std::string& text)
{
    for (const auto& box : port.boxes)
        if (box.text.find(text) != std::string::npos) return true;
    return false;
}

// Two rooms on level L1 between the outdoors: path 1 from the ambient into
// Z1, path 2 from Z1 to Z2, path 3 from Z2 to the ambient, one contaminant;
// results of Jan01 every 6 hours, whose values the maker derives from the
// day, step and index (path 1 at 06:00: dP 1.011 Pa, Flow0 1.011 g/s; path
// 2: -2.011, -2.011 g/s; path 3: 3.011, 3.011 g/s and Flow1 -1.5055 g/s).
struct ExportFixture {
    testing::ScriptedPort port;
    EditorSession session;
    ResultsMode mode;
    std::string dir, prj, sim, out;
    Level* level = nullptr;
    Zone *z1 = nullptr, *z2 = nullptr;
    ExportContext context;

    explicit ExportFixture(const std::string& name, int njct = 0)
        : dir(::testing::TempDir() + "export_" + name + "/"), prj(dir + "export.prj"), sim(dir + "export.sim"),
          out(dir + "out.txt")
    {
        std::filesystem::create_directories(dir);
        Project& p = session.project();
        p.description = "Two rooms";
        level = p.levels.add(Level{});
        level->name = "L1";
        p.current_level = p.lowest_level = p.top_level = level;
        z1 = add_zone(p, new_zone(p));
        z2 = add_zone(p, new_zone(p));
        for (Zone* z : {z1, z2}) {
            z->level = level;
            z->T0 = 293.15f;
            z->flags = 0;
        }
        z1->name = "Z1", z1->Vol = 30;
        z2->name = "Z2", z2->Vol = 45;
        level->icons = {{5, 5, ICN_ZONE, 1}, {5, 15, ICN_ZONE, 2}};
        AirflowElement door, crack;
        door.name = "door";
        crack.name = "crack";
        AirflowElement* d = p.elements.insert_copy(door);
        AirflowElement* c = p.elements.insert_copy(crack);
        FlowPath a, b, e;
        a.zone_n = ZoneRef::ambient(), a.zone_m = z1, a.element = d, a.level = level;
        b.zone_n = z1, b.zone_m = z2, b.element = d, b.level = level;
        e.zone_n = z2, e.zone_m = ZoneRef::ambient(), e.element = c, e.level = level;
        add_path(p, a);
        add_path(p, b);
        add_path(p, e);
        for (int j = 0; j < njct; ++j) add_junction(p, Junction{});
        EXPECT_NE(testing::add_species(p, "CO2", 0, 0.0f), nullptr);
        EXPECT_EQ(rebuild_contaminants(p), 0);
        session.document.path = prj;
        context.base_name = "export";
        context.file_name = "export.prj";
        context.description = p.description;
        context.now = 1796947200;  // Fri Dec 11 2026, 00:00:00 UTC
        setenv("TZ", "UTC", 1);
        tzset();
    }
    ~ExportFixture()
    {
        mode.leave();
        std::filesystem::remove_all(dir);
    }

    ResultsHeader header(int njct = 0) const
    {
        ResultsHeader h = testing::results_header(2, 3, 1, njct, 0);
        h.zc = 1;
        h.tstep = 6 * 3600;
        return h;
    }
    bool enter(const ResultsHeader& h, const ResultsMaps& maps = {})
    {
        session.project().mark_saved();
        session.document.must_save = false;
        if (!testing::write_results_file(sim, h, maps).written) return false;
        update_results_availability(session);
        return mode.enter(session);
    }
    ExportOutcome write(const ExportRequest& request)
    {
        return write_results_export(mode.reader(), session.project(), context, request, out);
    }
};

ExportRequest at(ExportKind kind, int day, std::int32_t time)
{
    ExportRequest r;
    r.kind = kind;
    r.at = {day, time};
    return r;
}

ExportRequest over(ExportKind kind, ResultsInstant from, ResultsInstant to)
{
    ExportRequest r;
    r.kind = kind;
    r.from = from;
    r.to = to;
    return r;
}

constexpr std::int32_t h6 = 6 * 3600, h12 = 12 * 3600;

TEST(ResultsExport, EachOutputMatchesItsHandCheckedFile)
{
    ExportFixture fx("files");
    ASSERT_TRUE(fx.enter(fx.header())) << (fx.port.boxes.empty() ? "" : fx.port.boxes.back().text);
    const std::string heading = "project:  export" + std::string(30, ' ') +
                                "Fri Dec 11 00:00:00 2026\n\n"
                                "description:  Two rooms\n\n";
    const std::string ambient =
        "    simulation date:    Jan01\n"
        "    simulation time: 06:00:00\n"
        "ambient temperature:      0.1 \xB0" "C\n"
        "barometric pressure: 101325.0 Pa\n"
        "         wind speed:      1.0 m/s\n"
        "     wind direction:      1.0 deg\n\n";
    const std::string matrix_head = "level\t \tL1\tL1\t \t \n \tfrom\\to\tZ1\tZ2\tambt\tvol\n";
    struct Case {
        const char* what;
        ExportRequest request;
        std::string expected;
    };
    ExportRequest path2 = over(ExportKind::PathFlow, {1, h6}, {1, h12});
    path2.path = 2;
    ExportRequest zone2 = over(ExportKind::ZoneConcentrations, {1, h6}, {1, h12});
    zone2.zone = 2;
    const Case cases[] = {
        {"airflow report", at(ExportKind::PathReport, 1, h6 + 60),
         heading + ambient +
             "level: L1    elevation: 0.0 m\n\n"
             "zone      P      T      path        from          dP      Flow1      Flow2\n"
             "Z1       -0.5   20.0  door           Ambt         1.0     0.0010 \n"
             "                      door           Z2/L1        2.0     0.0020 \n\n"
             "Z2       -1.0   20.0  door           Z1/L1       -2.0    -0.0020 \n"
             "                      crack          Ambt        -3.0    -0.0030     0.0015\n\n"
             "\n Note:\n        flows in kg/s\n    pressures in Pa\n temperatures in \xB0" "C\n"
             " * indicates limit exceeded\n\n\n"},
        {"zone flows", at(ExportKind::ZoneFlows, 1, h6),
         "Project File: export.prj\ntime: Jan01 06:00:00\nflows: [kg/s]\n" + matrix_head +
             "L1\tZ1\t0\t0\t0\t30\n"
             "L1\tZ2\t0.002011\t0\t0.003011\t45\n"
             " \tambt\t0.001011\t0.0015055\t0\n"},
        {"path flow", path2,
         "Project File\texport.prj\tPath #\t2\n"
         "\ttime\ttime\tdP\tFlow0\tFlow1\n"
         "date\tof day\t[s]\tPa\tkg/s\tkg/s\n"
         "Jan01\t06:00:00\t21600\t-2.011\t-0.002011\t0\n"
         "Jan01\t12:00:00\t43200\t-2.021\t-0.002021\t0\n"},
        // The trapezoid over two steps is their mean.
        {"average flows", over(ExportKind::AverageFlows, {1, h6}, {1, h12}),
         "Project File: export.prj\nAverage flow From Jan01 06:00:00 to Jan01 12:00:00\nflows: [kg/s]\n" +
             matrix_head +
             "L1\tZ1\t0\t0\t0\t30\n"
             "L1\tZ2\t0.002016\t0\t0.003016\t45\n"
             " \tambt\t0.001016\t0.001508\t0\n"},
        {"concentration report", at(ExportKind::ConcentrationReport, 1, h6),
         heading + ambient +
             "level zone          CO2\n"
             "                [kg/kg]\n"
             "   L1   Z1    1.100e-05\n"
             "   L1   Z2    2.100e-05\n\n\n"},
        {"transient report", over(ExportKind::TransientReport, {1, h6}, {1, h12}),
         heading +
             " date   time    time         CO2\n"
             "       of day    [s]     [kg/kg]\n"
             "\nlevel: L1    zone: Z1\n\n"
             "Jan01 06:00:00 21600   1.100e-05\n"
             "Jan01 12:00:00 43200   1.100e-05\n"
             "\nlevel: L1    zone: Z2\n\n"
             "Jan01 06:00:00 21600   2.100e-05\n"
             "Jan01 12:00:00 43200   2.100e-05\n\n\n"},
        {"all zones", over(ExportKind::ConcentrationExport, {1, h6}, {1, h12}),
         "Project File:\texport.prj\n"
         "level\tzone\tctm\tunits\t21600\t43200\n"
         "L1\tZ1\tCO2\t[kg/kg]\t1.1002e-05\t1.1003e-05\n"
         "L1\tZ2\tCO2\t[kg/kg]\t2.1002e-05\t2.1003e-05\n"},
        {"one zone", zone2,
         "Project File:\texport.prj\n"
         "level:\tL1\tzone:\tZ2\n"
         "date\ttime\ttime\tCO2\n"
         "\tof day\t[s]\t[kg/kg]\n"
         "Jan01\t06:00:00\t21600\t2.1002e-05\n"
         "Jan01\t12:00:00\t43200\t2.1003e-05\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ExportOutcome outcome = fx.write(c.request);
        ASSERT_TRUE(outcome.written) << outcome.failure;
        EXPECT_FALSE(outcome.ended_early);
        EXPECT_EQ(file_text(fx.out), c.expected);
    }
    // Zones without variable pressure are not balanced: no message.
    EXPECT_FALSE(any_box(fx.port, "balance"));
    // The results shown before the exports are shown again.
    EXPECT_EQ(fx.mode.reader().day(), 1);
    EXPECT_EQ(fx.mode.reader().loaded_step(), 0);
}

TEST(ResultsExport, TheFlowMatrixBalanceIsCheckedAndAnAverageOfOneStepIsThatStep)
{
    ExportFixture fx("balance");
    fx.z1->flags = kZoneVariablePressure;
    ASSERT_TRUE(fx.enter(fx.header()));
    ASSERT_TRUE(fx.write(at(ExportKind::ZoneFlows, 1, h6)).written);
    const std::string one_time = file_text(fx.out);
    // Z1 takes in 3.022 g/s and gives out nothing: reported, written anyway.
    EXPECT_TRUE(any_box(fx.port, "Export file flow balance check failed"));
    ASSERT_TRUE(fx.write(over(ExportKind::AverageFlows, {1, h6}, {1, h6})).written);
    const std::string averaged = file_text(fx.out);
    const auto matrix = [](const std::string& text) { return text.substr(text.find("level\t")); };
    EXPECT_EQ(matrix(averaged), matrix(one_time));
}

TEST(ResultsExport, OneTimeOutputsTakeTheRequestedDaysSteps)
{
    // The results start at 06:00 with an hourly step, so Jan01's step 6 is
    // 12:00 while Jan02's step 6 is 06:00.
    ExportFixture fx("day_table");
    ResultsHeader h = fx.header();
    h.tstep = 3600, h.tmres0 = h6, h.dtres1 = 2, h.tmres1 = h12;
    ASSERT_TRUE(fx.enter(h));
    ASSERT_TRUE(fx.mode.go_to(2, h6));
    ASSERT_TRUE(fx.write(at(ExportKind::ZoneFlows, 1, h12 + 1800)).written);
    const std::string text = file_text(fx.out);
    EXPECT_NE(text.find("time: Jan01 12:00:00\n"), std::string::npos) << text;
    char expected[64];
    std::snprintf(expected, sizeof expected, "L1\tZ2\t%g\t0\t%g\t45\n", -double(made_F0(1, 6, 2)),
                  double(made_F0(1, 6, 3)));
    EXPECT_NE(text.find(expected), std::string::npos) << text;
    // The day and step shown before are shown again.
    EXPECT_EQ(fx.mode.reader().day(), 2);
    EXPECT_EQ(fx.mode.reader().loaded_step(), 6);
}

TEST(ResultsExport, PeriodsRunAcrossDaysWithoutWritingMidnightTwice)
{
    ExportFixture fx("midnight");
    ResultsHeader h = fx.header();
    h.tstep = 3600 * 8, h.dtres0 = 365, h.dtres1 = 1, h.tmres1 = 3600 * 16;
    ASSERT_TRUE(fx.enter(h));
    ExportRequest r = over(ExportKind::PathFlow, {365, 3600 * 16}, {1, 3600 * 8});
    r.path = 1;
    ASSERT_TRUE(fx.write(r).written);
    std::vector<std::string> times;
    std::istringstream lines(file_text(fx.out));
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("Dec31", 0) == 0 || line.rfind("Jan01", 0) == 0) times.push_back(line.substr(0, 14));
    const std::vector<std::string> expected = {"Dec31\t16:00:00", "Dec31\t24:00:00", "Jan01\t08:00:00"};
    EXPECT_EQ(times, expected);
}

TEST(ResultsExport, SaveAsChecksTheDates)
{
    ExportFixture fx("checks");
    ResultsHeader h = fx.header();
    h.dtres1 = 3;
    ASSERT_TRUE(fx.enter(h));
    const ResultsLayout& layout = fx.mode.reader().layout();
    using Faults = std::vector<std::string>;
    const struct {
        ExportRequest request;
        Faults faults;
    } cases[] = {
        {at(ExportKind::PathReport, 2, 0), {}},
        {at(ExportKind::PathReport, 4, 0), {"The airflow report date is out of range."}},
        {at(ExportKind::ZoneFlows, 9, 0), {"The airflow export date is out of range."}},
        {at(ExportKind::ConcentrationReport, 365, 0), {"The concentration report date is out of range."}},
        {over(ExportKind::PathFlow, {1, 0}, {3, 86400}), {}},
        {over(ExportKind::AverageFlows, {5, 0}, {6, 0}),
         {"The from date is out of range.", "The to date is out of range."}},
        {over(ExportKind::ConcentrationExport, {1, 0}, {4, 0}), {"The to date is out of range."}},
        {over(ExportKind::ZoneConcentrations, {2, h12}, {2, h6}), {"The to date is after the from date."}},
        {over(ExportKind::TransientReport, {3, 0}, {1, 0}), {"The to date is after the from date."}},
    };
    for (const auto& c : cases) EXPECT_EQ(export_request_faults(layout, c.request), c.faults);
}

TEST(ResultsExport, TheAllZonesExportStopsAtTheStepLimit)
{
    // 200 days at 15 minutes: 19,200 steps asked for.
    ExportFixture fx("limit");
    ResultsHeader h = fx.header();
    h.tstep = 900, h.dtres1 = 200;
    ASSERT_TRUE(fx.enter(h));
    const ExportOutcome outcome = fx.write(over(ExportKind::ConcentrationExport, {1, 0}, {200, 86400}));
    ASSERT_TRUE(outcome.written);
    EXPECT_TRUE(outcome.limited);
    EXPECT_TRUE(any_box(fx.port, "Output limited to 16380 time steps"));
    std::istringstream lines(file_text(fx.out));
    std::string line;
    std::getline(lines, line);
    for (int row = 0; row < 3 && std::getline(lines, line); ++row) {
        const auto cells = std::count(line.begin(), line.end(), '\t') + 1;
        EXPECT_EQ(cells, 4 + kMaxExportSteps) << "row " << row;
    }
}

TEST(ResultsExport, AFailedWriteLeavesTheOldFileAndAReadFailureEndsTheOutput)
{
    ExportFixture fx("failures");
    ResultsHeader h = fx.header();
    ASSERT_TRUE(fx.enter(h));
    { std::ofstream(fx.out) << "kept\n"; }
    for (WriteStage stage : {WriteStage::open, WriteStage::write, WriteStage::fsync, WriteStage::rename}) {
        ScopedWriteFault fault(stage);
        const ExportOutcome outcome = fx.write(over(ExportKind::ConcentrationExport, {1, 0}, {1, 86400}));
        EXPECT_FALSE(outcome.written);
        EXPECT_NE(outcome.failure.find("could not be written"), std::string::npos) << outcome.failure;
        EXPECT_EQ(file_text(fx.out), "kept\n");
    }
    // A damaged record at 18:00: the output ends before it, keeping what
    // came before, and the reader says why.
    fx.mode.leave();
    const ResultsLayout layout(h);
    testing::ResultsDamage damage;
    damage.patches = {{layout.path_position(1, 3, 1), 99}};
    ASSERT_TRUE(testing::write_results_file(fx.sim, h, {}, damage).written);
    update_results_availability(fx.session);
    ASSERT_TRUE(fx.mode.enter(fx.session));
    ExportRequest r = over(ExportKind::PathFlow, {1, 0}, {1, 86400});
    r.path = 1;
    const ExportOutcome outcome = fx.write(r);
    EXPECT_TRUE(outcome.written);
    EXPECT_TRUE(outcome.ended_early);
    const std::string text = file_text(fx.out);
    EXPECT_NE(text.find("Jan01\t12:00:00"), std::string::npos) << text;
    EXPECT_EQ(text.find("Jan01\t18:00:00"), std::string::npos) << text;
    EXPECT_TRUE(any_box(fx.port, ".SIM read error"));
}

TEST(ResultsExport, CommaSeparatedFormsHaveAHeaderRowAndOneRowPerStep)
{
    ExportFixture fx("csv");
    fx.z2->name = "Z,2";
    ASSERT_TRUE(fx.enter(fx.header()));
    ExportRequest r = over(ExportKind::ConcentrationExport, {1, h6}, {1, h12});
    r.format = ExportFormat::Csv;
    ASSERT_TRUE(fx.write(r).written);
    EXPECT_EQ(file_text(fx.out),
              "date,time,seconds,L1/Z1 CO2 [kg/kg],\"L1/Z,2 CO2 [kg/kg]\"\n"
              "Jan01,06:00:00,21600,1.1002e-05,2.1002e-05\n"
              "Jan01,12:00:00,43200,1.1003e-05,2.1003e-05\n");
    r.kind = ExportKind::PathFlow;
    r.path = 3;
    ASSERT_TRUE(fx.write(r).written);
    EXPECT_EQ(file_text(fx.out),
              "date,time,seconds,dP [Pa],Flow0 [kg/s],Flow1 [kg/s]\n"
              "Jan01,06:00:00,21600,3.011,0.003011,-0.0015055\n"
              "Jan01,12:00:00,43200,3.021,0.003021,-0.0015105\n");
}

TEST(ExportDataForm, StartsFromTheCurrentStepAndKeepsItsChoices)
{
    ExportFixture fx("form");
    ASSERT_TRUE(fx.enter(fx.header()));
    ASSERT_TRUE(fx.mode.go_to(1, h12));
    ExportDataForm form;
    form.start(fx.mode, fx.session.project(), 0);
    EXPECT_TRUE(form.can_save());
    EXPECT_EQ(form.kind, ExportKind::PathReport);
    EXPECT_EQ(form.airflow_at, (ResultsInstant{1, h12}));
    EXPECT_EQ(form.from, (ResultsInstant{1, 0}));
    EXPECT_EQ(form.to, (ResultsInstant{1, 86400}));
    EXPECT_EQ(form.path, 1);
    EXPECT_EQ(form.zone, 1);
    form.kind = ExportKind::ZoneConcentrations;
    form.zone = 2;
    form.airflow_at = {1, h6};
    // Opened again over path 3's icon: the path follows the cursor, the rest stays.
    form.start(fx.mode, fx.session.project(), 3);
    EXPECT_EQ(form.kind, ExportKind::ZoneConcentrations);
    EXPECT_EQ(form.zone, 2);
    EXPECT_EQ(form.path, 3);
    EXPECT_EQ(form.airflow_at, (ResultsInstant{1, h6}));
    EXPECT_EQ(form.request().zone, 2);
    EXPECT_EQ(proposed_export_path("/data/office.prj"), "/data/office.txt");
}

TEST(ExportDataForm, AirflowOutputsNeedZoneFlowsAndPaths)
{
    ExportFixture fx("availability");
    ResultsHeader h = fx.header();
    h.zf = 0;
    ASSERT_TRUE(fx.enter(h));
    ExportDataForm form;
    form.start(fx.mode, fx.session.project(), 0);
    EXPECT_FALSE(form.availability.airflows);
    EXPECT_TRUE(form.availability.concentrations);
    EXPECT_EQ(form.kind, ExportKind::ConcentrationReport);
    ResultsHeader none = h;
    none.zc = 0;
    EXPECT_FALSE(export_availability(none, fx.session.project()).allows(ExportKind::ZoneConcentrations));
}

// ---- the results display window's contents

ZoneFlowRow row(const std::string& label, double from, double to) { return {label, from, to}; }

void expect_rows(const std::vector<ZoneFlowRow>& got, const std::vector<ZoneFlowRow>& expected)
{
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].label, expected[i].label);
        EXPECT_NEAR(got[i].from, expected[i].from, 1e-9) << got[i].label;
        EXPECT_NEAR(got[i].to, expected[i].to, 1e-9) << got[i].label;
    }
}

TEST(ResultsDisplay, AZonesBalanceListsItsNeighboursAndTheSum)
{
    ExportFixture fx("display");
    ASSERT_TRUE(fx.enter(fx.header()));
    ASSERT_TRUE(fx.mode.go_to(1, h6));
    const ResultsReader& reader = fx.mode.reader();
    const double f1 = made_F0(1, 1, 1), f2 = -made_F0(1, 1, 2), f3 = made_F0(1, 1, 3), f3b = -made_F1(1, 1, 3);
    // Z1: from the ambient through path 1 (Z1 its m side) and, through the
    // reversed path 2, from Z2.
    expect_rows(zone_flow_balance(fx.session.project(), reader, fx.z1),
                {row("Z2 / L1", f2, 0), row("Ambient", f1, 0), row("Sum", f1 + f2, 0)});
    // Z2: to Z1, and both ways with the ambient through the two-way path 3.
    expect_rows(zone_flow_balance(fx.session.project(), reader, fx.z2),
                {row("Z1 / L1", 0, f2), row("Ambient", f3b, f3), row("Sum", f3b, f2 + f3)});
    // The ambient sees the zones.
    expect_rows(zone_flow_balance(fx.session.project(), reader, nullptr),
                {row("Z1 / L1", 0, f1), row("Z2 / L1", f3, f3b), row("Sum", f3, f1 + f3b)});
}

TEST(ResultsDisplay, TheDuctsRowCountsTerminalsOnceAndSkipsJunctionsWithout)
{
    // Two junctions in Z1: a terminal with its own path record, and a
    // plain junction without a terminal path.
    ExportFixture fx("display_ducts", 2);
    Project& p = fx.session.project();
    p.junctions.at(1)->t = kJunctionTerminal;
    p.junctions.at(1)->zone = fx.z1;
    p.junctions.at(2)->zone = fx.z1;
    ResultsHeader h = fx.header(2);
    h.npath = 4;  // the three flow paths and the terminal
    ResultsMaps maps = testing::default_results_maps(h);
    maps.path_types = {kResultsPathFlowPath, kResultsPathFlowPath, kResultsPathFlowPath, kResultsPathTerminal};
    maps.path_numbers = {1, 2, 3, 1};
    ASSERT_TRUE(fx.enter(h, maps)) << (fx.port.boxes.empty() ? "" : fx.port.boxes.back().text);
    ASSERT_TRUE(fx.mode.go_to(1, h6));
    // The terminal's record 4 holds dP -4.011 and Flow0 -0.004011 (into the duct).
    const double t = -made_F0(1, 1, 4);
    const double f1 = made_F0(1, 1, 1), f2 = -made_F0(1, 1, 2);
    expect_rows(zone_flow_balance(p, fx.mode.reader(), fx.z1),
                {row("Z2 / L1", f2, 0), row("Ducts", 0, t), row("Ambient", f1, 0), row("Sum", f1 + f2, t)});
}

TEST(ResultsDisplay, TheWindowsTextsForZonesOccupantsAndJunctions)
{
    ExportFixture fx("display_texts", 1);
    Project& p = fx.session.project();
    p.junctions.at(1)->zone = fx.z1;
    fx.level->icons.push_back({8, 8, ICN_EXPOSURE, 1});
    fx.level->icons.push_back({9, 9, ICN_AMBIENT, 0});
    SketchGrid& g = fx.session.grid;
    ASSERT_TRUE(allocate_sketch_arrays(g, 20, 20));
    show_level(g, fx.level, kCurrentLevel);
    g.current().Ducts(10, 10) = ICN_JUNCTION;
    g.current().Paths(10, 10) = 1;
    ResultsHeader h = fx.header(1);
    ASSERT_TRUE(fx.enter(h));
    ASSERT_TRUE(fx.mode.go_to(1, h6));

    const auto content = [&](int r, int c) { return results_display_content(fx.mode, p, g, {r, c}); };
    const auto zone = content(5, 5);
    ASSERT_TRUE(zone.has_value());
    EXPECT_EQ(zone->type, "Zone");
    EXPECT_EQ(zone->number, "1");
    EXPECT_EQ(zone->name, "Z1");
    EXPECT_EQ(zone->level, "L1");
    EXPECT_EQ(zone->flow_title, "Zone Airflow Results [kg/s]");
    EXPECT_EQ(zone->flow_text, format_text("%13g %13g Z2 / L1\r\n%13g %13g Ambient\r\n%13g %13g Sum\r\n",
                                           -double(made_F0(1, 1, 2)), 0.0, double(made_F0(1, 1, 1)), 0.0,
                                           double(made_F0(1, 1, 1)) - double(made_F0(1, 1, 2)), 0.0));
    EXPECT_EQ(zone->results_text, format_text("%12s %13g [kg/kg]\r\n", "CO2", double(testing::made_cc(1, 1, 1, 0))));

    const auto ambient = content(9, 9);
    ASSERT_TRUE(ambient.has_value());
    EXPECT_EQ(ambient->name, "Ambient");
    EXPECT_EQ(ambient->number, "");
    EXPECT_EQ(ambient->results_text, format_text("%12s %13g [kg/kg]\r\n", "CO2", double(testing::made_cc(1, 1, 0, 0))));

    const auto occupant = content(8, 8);
    ASSERT_TRUE(occupant.has_value());
    EXPECT_EQ(occupant->type, "Occupant");
    EXPECT_FALSE(occupant->flow_box);
    EXPECT_EQ(occupant->results_title, "Exposure Results");
    EXPECT_EQ(occupant->results_text, "Set simulation output parameters to\r\nprovide occupant exposure data.");

    const auto junction = content(10, 10);
    ASSERT_TRUE(junction.has_value());
    EXPECT_EQ(junction->type, "Junction");
    EXPECT_EQ(junction->name, "N/A");
    EXPECT_EQ(junction->flow_text, "N/A");
    EXPECT_EQ(junction->results_text, format_text("%12s %13g [kg/kg]\r\n", "CO2", double(testing::made_cc(1, 1, 3, 0))));

    EXPECT_FALSE(content(15, 2).has_value());  // empty cell: the window keeps its place

    // Without concentration or flow records the boxes say so.
    fx.mode.leave();
    h.zc = 0, h.zf = 0;
    ASSERT_TRUE(fx.enter(h));
    const auto bare = content(5, 5);
    ASSERT_TRUE(bare.has_value());
    EXPECT_EQ(bare->flow_text,
              "Zone airflow results not available.\r\nSet simulation output parameters\r\nto provide flow data.");
    EXPECT_EQ(bare->results_text, "Contaminant results not available.\r\nSet simulation output parameters to\r\n"
                                  "provide detailed contaminant data.");
}

}  // namespace
}  // namespace avelor
