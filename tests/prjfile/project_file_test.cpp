#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "app/file_io.h"
#include "prjfile/project_file.h"
#include "support/scripted_port.h"
#include "support/test_files.h"

namespace avelor {
namespace {

namespace fs = std::filesystem;
using testing::ScriptedPort;
using testing::read_file;

bool has_box_starting(const ScriptedPort& port, const std::string& start)
{
    for (const auto& box : port.boxes)
        if (box.text.rfind(start, 0) == 0) return true;
    return false;
}

// A small project made in memory: two levels, zones, a path with an element,
// two contaminants.
void build_small_project(Project& p)
{
    p.description = "Small test building";
    for (const char* name : {"CO2", "N2", "O2"}) {
        Species s;
        s.name = name;
        s.molwt = 28;
        s.s = name[0] == 'C' ? 0 : 1;
        s.t = name[0] == 'C' ? 0 : 1;
        s.CCdef = name[0] == 'N' ? 0.77f : 0.23f;
        p.species.insert_copy(s);
    }
    p.Ctm = {p.species.find_by_name("N2"), p.species.find_by_name("O2")};
    p.CC0 = {0.77f, 0.23f};
    NewElementState state;
    AirflowElement orifice = new_airflow_element(kPlrOrfc, NewElementContext{}, state);
    orifice.name = "orifice";
    p.elements.insert_copy(orifice);

    Level ground;
    ground.name = "ground";
    ground.delHt = 3;
    Level* g = p.levels.add(ground);
    p.current_level = g;
    Zone office = new_zone(p);
    office.name = "office";
    office.Vol = 60;
    add_zone(p, office);
    FlowPath window;
    window.element = p.elements.head();
    window.zone_n = p.zones.at(1);
    window.zone_m = ZoneRef::ambient();
    window.icn = 23;
    window.mult = 1;
    add_path(p, window);
    g->icons = {{5, 5, 5, 1}, {5, 10, 23, 1}};
}

class ProjectFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::path(::testing::TempDir()) / "project_file_test";
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    std::string file(const std::string& name) { return (dir / name).string(); }
    std::string write_small(const std::string& name)
    {
        Project p;
        build_small_project(p);
        TextWriter out;
        write_project(out, p);
        EXPECT_EQ(error_count(), 0) << (port.boxes.empty() ? "" : port.boxes[0].text);
        EXPECT_TRUE(write_file_atomically(file(name), out.text()));
        return out.text();
    }

    ScriptedPort port;
    fs::path dir;
};

// The values files the run control names are read when the project opens:
// a relative name beside the project; a file that cannot be read is told
// and keeps its name in the project.
TEST_F(ProjectFileTest, OpeningLoadsTheValuesFilesAndKeepsTheNameOfOneThatFails)
{
    Project p;
    build_small_project(p);
    p.rc.continuous_values_file = "plant.cvf";
    p.rc.discrete_values_file = file("broken.dvf");
    TextWriter out;
    write_project(out, p);
    ASSERT_TRUE(write_file_atomically(file("values.prj"), out.text()));
    std::ofstream(file("plant.cvf"), std::ios::binary) << "ContinuousValuesFile AvelorW 2.1\nplant\n1/1 12/31\n2\n"
                                                          "fan\nwindow\n";
    std::ofstream(file("broken.dvf"), std::ios::binary) << "DiscreteValuesFile AvelorW 2.1\nbroken\n1/1 12/31\n0\n";

    ProjectDocument doc;
    ASSERT_TRUE(open_project(doc, file("values.prj"), {}));
    EXPECT_EQ(doc.project->cvf_values.names, (std::vector<std::string>{"fan", "window"}));
    EXPECT_EQ(doc.project->cvf_values.description, "plant");
    EXPECT_TRUE(doc.project->dvf_values.names.empty());
    EXPECT_EQ(doc.project->rc.discrete_values_file, file("broken.dvf"));
    ASSERT_FALSE(port.boxes.empty());
    EXPECT_NE(port.boxes.back().text.find("File must have at least one named value"), std::string::npos);
    EXPECT_FALSE(doc.project->changed());
}

TEST_F(ProjectFileTest, WrittenProjectOpensAndWritesBackIdentically)
{
    const std::string text = write_small("small.prj");
    ProjectDocument doc;
    ReadOptions options;
    options.backup_path = file("PROJECT.BKP");
    ASSERT_TRUE(open_project(doc, file("small.prj"), options));
    EXPECT_EQ(error_count(), 0);
    EXPECT_EQ(doc.title_name(), "small.prj");
    EXPECT_FALSE(doc.project->changed());
    EXPECT_EQ(read_file(file("PROJECT.BKP")), text) << "the backup holds the file read";

    TextWriter again;
    write_project(again, *doc.project);
    EXPECT_EQ(again.text(), text);
    EXPECT_EQ(text.rfind("* end project file.\n"), text.size() - 20);
}

// Schedules and their users: the zone's temperature, the window's flow
// and an occupant moving between the office and outdoors.
TEST_F(ProjectFileTest, SchedulesAndTheirUsersRoundTrip)
{
    Project p;
    build_small_project(p);
    DaySchedule on = new_day_schedule(kScheduleDimensionless, 0);
    on.name = "open";
    on.shap = kShapeTrapezoidal;
    on.points = {{0, 0}, {8 * 3600, 1}, {86400, 0}};
    DaySchedule warm = new_day_schedule(kScheduleTemperature, 1);
    warm.name = "warm";
    DaySchedule* open_day = p.day_schedules.insert_copy(on);
    DaySchedule* warm_day = p.day_schedules.insert_copy(warm);
    WeekSchedule windows = new_week_schedule(kScheduleDimensionless, 0);
    windows.name = "windows";
    windows.days.fill(open_day);
    WeekSchedule heating = new_week_schedule(kScheduleTemperature, 1);
    heating.name = "heating";
    heating.days.fill(warm_day);
    p.paths.at(1)->schedule = p.week_schedules.insert_copy(windows);
    p.zones.at(1)->schedule = p.week_schedules.insert_copy(heating);
    OccupancySchedule day = new_occupancy_schedule(0);
    day.name = "worker";
    insert_occupancy_point(day.points, {9 * 3600, p.zones.at(1), 0, 0, 0});
    insert_occupancy_point(day.points, {17 * 3600, ZoneRef::ambient(), 0, 0, 0});
    close_occupancy_day(day.points);
    Exposure x;
    x.occupancy.fill(p.occupancy_schedules.insert_copy(day));
    x.exposure.assign(2, 0.0f);
    p.exposures.add(x);

    TextWriter out;
    write_project(out, p);
    ASSERT_EQ(error_count(), 0) << (port.boxes.empty() ? "" : port.boxes[0].text);
    ASSERT_TRUE(write_file_atomically(file("sched.prj"), out.text()));
    ProjectDocument doc;
    ASSERT_TRUE(open_project(doc, file("sched.prj"), {}));
    const Project& q = *doc.project;
    ASSERT_NE(q.paths.at(1)->schedule, nullptr);
    EXPECT_EQ(q.paths.at(1)->schedule->name, "windows");
    EXPECT_EQ(q.zones.at(1)->schedule->name, "heating");
    EXPECT_EQ(q.exposures.at(1)->occupancy[5]->points[1].zone.zone(), q.zones.at(1));
    TextWriter again;
    write_project(again, *doc.project);
    EXPECT_EQ(again.text(), out.text());
}

TEST_F(ProjectFileTest, FailedBackupStillOpensAndReadOnlyFilesOpenUntitled)
{
    write_small("ro.prj");
    fs::permissions(file("ro.prj"), fs::perms::owner_read | fs::perms::group_read);
    ProjectDocument doc;
    ReadOptions options;
    options.backup_path = file("no/such/folder/PROJECT.BKP");
    ASSERT_TRUE(open_project(doc, file("ro.prj"), options));
    EXPECT_EQ(error_count(), 0);
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].caption, "WARNING");
    fs::permissions(file("ro.prj"), fs::perms::owner_all);
    // Whether a file is read-only is the user's access to it, and root may
    // write every file.
    if (::geteuid() == 0) GTEST_SKIP() << "root may write any file";
    EXPECT_TRUE(doc.must_save_as_new);
    EXPECT_EQ(doc.title_name(), "") << "a read-only project is saved under a new name";
}

TEST_F(ProjectFileTest, SystemsOutOfNameOrderKeepTheirIcons)
{
    Project p;
    build_small_project(p);
    create_simple_ahs(p, "A", "first");
    SimpleAhs* b = create_simple_ahs(p, "B", "second");
    FlowPath supply;
    supply.flags = kPathAhs;
    supply.ahs = b;
    supply.zone_n = p.zones.at(1);
    supply.zone_m = p.zones.at(1);
    supply.icn = 128;
    FlowPath* sp = add_path(p, supply);
    p.levels.at(1)->icons.push_back({20, 20, kIconSimpleAhs, b->nr});
    p.levels.at(1)->icons.push_back({20, 30, 128, sp->nr});
    TextWriter out;
    write_project(out, p);
    ASSERT_EQ(error_count(), 0);

    // A hand-edited file that lists B as system 1 and A as system 2.
    std::string text = out.text();
    auto swap_names = [&](const std::string& from, const std::string& to) {
        auto at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
    };
    swap_names(" A\nfirst\n", " B\nsecond\n");
    swap_names(" B\nsecond\n-999", " A\nfirst\n-999");
    // Every reference to system 2 (B) now says 1, and the other way round.
    swap_names(" 130  20  20   2\n", " 130  20  20   1\n");
    ASSERT_TRUE(write_file_atomically(file("ahs.prj"), text));

    ProjectDocument doc;
    ASSERT_TRUE(open_project(doc, file("ahs.prj"), {})) << port.boxes.front().text;
    // Written back in name order, B's icon must follow B to number 2.
    TextWriter again;
    write_project(again, *doc.project);
    EXPECT_EQ(error_count(), 0);
    EXPECT_NE(again.text().find(" 130  20  20   2\n"), std::string::npos);
    EXPECT_NE(again.text().find(" B\nsecond\n-999"), std::string::npos);
}

TEST_F(ProjectFileTest, VersionTests)
{
    std::string text = write_small("base.prj");
    struct Case {
        const char* name;
        std::string first_line;
        const char* message;
    };
    const Case cases[] = {
        {"older", "AvelorW 2.4 0", " is a AvelorW 2.4 file; converting older"},
        {"first", "AvelorW 1.0 0", " is a AvelorW 1.0 file\n"},
        {"unknown", "AvelorW 9.9 0", " is a AvelorW 9.9 file\n"},
        {"foreign", "Something else", "Cannot convert to AvelorW 3.2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string changed = c.first_line + text.substr(text.find('\n'));
        ASSERT_TRUE(write_file_atomically(file("v.prj"), changed));
        port.boxes.clear();
        ProjectDocument doc;
        EXPECT_FALSE(open_project(doc, file("v.prj"), {}));
        ASSERT_FALSE(port.boxes.empty());
        EXPECT_NE(port.boxes[0].text.find(c.message), std::string::npos) << port.boxes[0].text;
    }
}

// A 3.1 project (tests/data/office_v31.prj, written from the office
// example by tests/data/make_v31_fixture.py along the differences between
// the two layouts) opens as the same project, converted: untitled, to be
// saved under a new name, and its file is left as it was.
TEST_F(ProjectFileTest, AVersion31ProjectOpensConverted)
{
    const std::string old_file = std::string(AVELOR_TEST_DATA) + "/office_v31.prj";
    const std::string example = std::string(AVELOR_TEST_DATA) + "/../../examples/office.prj";
    std::ifstream before_in(old_file, std::ios::binary);
    const std::string before((std::istreambuf_iterator<char>(before_in)), std::istreambuf_iterator<char>());

    ProjectDocument current;
    ASSERT_TRUE(open_project(current, example, {}));
    TextWriter expected;
    write_project(expected, *current.project);

    port.boxes.clear();
    ProjectDocument doc;
    ASSERT_TRUE(open_project(doc, old_file, {}));
    EXPECT_TRUE(doc.must_save_as_new);
    EXPECT_TRUE(doc.project->changed());
    EXPECT_EQ(doc.title_name(), "");
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_NE(port.boxes[0].text.find("converted from an older version"), std::string::npos);
    TextWriter converted;
    write_project(converted, *doc.project);
    EXPECT_EQ(converted.text(), expected.text());

    std::ifstream after_in(old_file, std::ios::binary);
    const std::string after((std::istreambuf_iterator<char>(after_in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(after, before);
}

TEST_F(ProjectFileTest, NewerRevisionOpensWithAWarning)
{
    std::string text = write_small("rev.prj");
    text.replace(0, text.find('\n'), "AvelorW 3.2a 0");
    ASSERT_TRUE(write_file_atomically(file("rev.prj"), text));
    ProjectDocument doc;
    EXPECT_TRUE(open_project(doc, file("rev.prj"), {}));
    ASSERT_FALSE(port.boxes.empty());
    EXPECT_EQ(port.boxes[0].caption, "WARNING");
    EXPECT_TRUE(has_box_starting(port, " PRJ file may require revision (a) of AvelorW 3.2\n"));
}

TEST_F(ProjectFileTest, FailedReadLeavesAnEmptyUntitledProject)
{
    std::string text = write_small("bad.prj");
    text.replace(text.find("1 ! flow paths:"), 15, "3 ! flow paths:");
    ASSERT_TRUE(write_file_atomically(file("bad.prj"), text));

    ProjectDocument doc;
    doc.path = "previous.prj";
    EXPECT_FALSE(open_project(doc, file("bad.prj"), {}));
    EXPECT_TRUE(has_box_starting(port, " Failed to read project file: \n" + file("bad.prj")));
    EXPECT_EQ(doc.project->zones.count(), 0) << "nothing partly read survives";
    EXPECT_TRUE(doc.path.empty());
    EXPECT_EQ(doc.title_name(), "");
}

TEST_F(ProjectFileTest, MissingFileAndADamagedControlSection)
{
    ProjectDocument doc;
    EXPECT_FALSE(open_project(doc, file("missing.prj"), {}));
    EXPECT_TRUE(has_box_starting(port, " Could not open file: "));

    reset_error_count();
    std::string text = write_small("sched.prj");
    text.replace(text.find("0 ! control nodes:"), 18, "2 ! control nodes:");
    ASSERT_TRUE(write_file_atomically(file("sched.prj"), text));
    port.boxes.clear();
    EXPECT_FALSE(open_project(doc, file("sched.prj"), {}));
    EXPECT_TRUE(has_box_starting(port, " Control number mis-match: 1\n"));
}

TEST_F(ProjectFileTest, SketchPadSizeIsChecked)
{
    std::string text = write_small("size.prj");
    text.replace(text.find("    58   66"), 11, "    10   66");
    ASSERT_TRUE(write_file_atomically(file("size.prj"), text));
    ProjectDocument doc;
    EXPECT_FALSE(open_project(doc, file("size.prj"), {}));
    EXPECT_TRUE(has_box_starting(port, " Invalid SketchPad size: 10 rows, 66 columns\n"));
}

TEST_F(ProjectFileTest, CheckIconsCorrectsOrFails)
{
    struct Case {
        IconEntry icon;
        const char* message;
        std::int32_t corrected_nr;  // the number afterwards
        bool fatal;
    };
    const Case cases[] = {
        {{5, 5, 5, 0}, "Invalid zone #: level 1 icon (5 5 5 0)\nThe icon has been set to undefined.",
         -2, false},
        {{5, 5, 7, 3}, "Invalid AMBT #: level 1 icon (7 5 5 3)\nThe icon has been corrected.", -1,
         false},
        {{5, 5, 11, 4}, "Invalid wall #: level 1 icon (11 5 5 4)\nThe icon has been corrected.", 0,
         false},
        {{5, 5, 23, 9}, "Invalid path #: level 1 icon (23 5 5 9)\nThe icon has been set to undefined.",
         0, false},
        {{5, 5, 130, 2}, "Invalid AHS #", 0, false},
        {{5, 5, 154, 0}, "Invalid duct #: level 1 icon (154 5 5 0)\nThis icon cannot be undefined.", 0,
         true},
        {{5, 5, 13, 0}, "Invalid icon: level 1 icon (13 5 5 0)", 0, true},
        {{5, 5, 5, 1}, nullptr, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message ? c.message : "valid");
        Project p;
        build_small_project(p);
        p.levels.at(1)->nr = 1;
        p.levels.at(1)->icons = {c.icon};
        port.boxes.clear();
        EXPECT_EQ(check_icons(p), c.fatal);
        ASSERT_EQ(p.levels.at(1)->icons.size(), 1u);
        EXPECT_EQ(p.levels.at(1)->icons[0].nr, c.corrected_nr);
        if (c.message)
            EXPECT_TRUE(has_box_starting(port, std::string(" ") + c.message));
        else
            EXPECT_TRUE(port.boxes.empty());
    }
}

TEST_F(ProjectFileTest, IconsOutsideTheDrawingAreRemoved)
{
    Project p;
    build_small_project(p);
    p.levels.at(1)->nr = 1;
    p.levels.at(1)->icons = {{0, 5, 5, 1}, {5, 65, 5, 1}, {57, 5, 5, 1}, {56, 64, 5, 1}};
    EXPECT_FALSE(check_icons(p));
    ASSERT_EQ(p.levels.at(1)->icons.size(), 1u);
    EXPECT_EQ(p.levels.at(1)->icons[0].row, 56);
    EXPECT_EQ(error_count(), 3);
    EXPECT_TRUE(has_box_starting(port, " Invalid icon position: level 1 icon (5 5 0 1)\nThe icon "
                                       "has been removed."));
}

TEST_F(ProjectFileTest, AtomicWriteKeepsTheOldFileOnFailure)
{
    ASSERT_TRUE(write_file_atomically(file("keep.prj"), "old contents\n"));
    // A target inside a folder that does not exist cannot be written.
    EXPECT_FALSE(write_file_atomically(file("no/such/folder/keep.prj"), "new"));
    // A target that is a folder cannot be replaced; the folder stays.
    fs::create_directories(dir / "adir");
    fs::create_directories(dir / "adir" / "inner");
    EXPECT_FALSE(write_file_atomically(file("adir"), "new"));
    EXPECT_TRUE(fs::is_directory(dir / "adir"));
    EXPECT_FALSE(fs::exists(file("adir.saving")));
    EXPECT_EQ(read_file(file("keep.prj")), "old contents\n");
}

}  // namespace
}  // namespace avelor

#include "bench/project_generator.h"

namespace avelor {
namespace {

TEST_F(ProjectFileTest, ShippedExamplesOpenAndWriteBackIdentically)
{
    for (const char* name : {"two_rooms.prj", "office.prj", "duct_system.prj"}) {
        SCOPED_TRACE(name);
        const std::string path = std::string(AVELOR_SOURCE_DIR) + "/examples/" + name;
        ProjectDocument doc;
        ASSERT_TRUE(open_project(doc, path, {}));
        EXPECT_GT(doc.project->zones.count(), 1);
        EXPECT_GT(doc.project->paths.count(), 2);
        TextWriter again;
        write_project(again, *doc.project);
        EXPECT_EQ(again.text(), read_file(path));
    }
    EXPECT_EQ(error_count(), 0);
    EXPECT_TRUE(port.boxes.empty());
}

TEST_F(ProjectFileTest, GeneratedProjectsOpenAndWriteBackIdentically)
{
    Project p;
    bench::GeneratorOptions options;
    options.levels = 3;
    options.room_rows = 3;
    options.room_cols = 4;
    bench::generate_project(p, options);
    TextWriter out;
    write_project(out, p);
    ASSERT_EQ(error_count(), 0);
    ASSERT_TRUE(write_file_atomically(file("generated.prj"), out.text()));

    ProjectDocument doc;
    ASSERT_TRUE(open_project(doc, file("generated.prj"), {}));
    EXPECT_EQ(doc.project->zones.count(), 36);
    EXPECT_EQ(doc.project->paths.count(), 3 * (12 * 3 + 3 + 4));
    TextWriter again;
    write_project(again, *doc.project);
    EXPECT_EQ(again.text(), out.text());
    EXPECT_TRUE(port.boxes.empty()) << port.boxes.front().text;
}

// A generated building that carries one source/sink element of every model
// (with an instance of each), a filter element of every type with filters
// on its paths, an occupant that generates, and a small control network:
// every section written reads back and writes again byte for byte.
TEST_F(ProjectFileTest, EveryContaminantRecordWritesBackIdentically)
{
    Project p;
    bench::GeneratorOptions options;
    options.levels = 1;
    options.room_rows = 2;
    options.room_cols = 2;
    bench::generate_project(p, options);
    auto species = [&](const char* name, float mdiam) {
        Species s = new_species();
        s.name = name;
        s.molwt = 44;
        s.mdiam = mdiam;
        return p.species.insert_copy(s);
    };
    Species* co2 = species("CO2", 0);
    Species* pm = species("PM25", 2.5e-6f);
    ASSERT_EQ(rebuild_contaminants(p), 0);

    std::vector<SourceElement*> elements;
    for (int model = kSrcCcf; model < kSourceModelCount; ++model) {
        SourceElement e = new_source_element(model, model == kSrcSup ? nullptr : co2);
        e.name = "m" + std::to_string(model);
        e.desc = std::string(source_model_info(model)->button);
        for (float& v : e.v) v = v == 0 ? 0.5f : v;
        if (model == kSrcSup) e.subs = {elements[0], elements[3]};
        elements.push_back(p.source_elements.insert_copy(e));
    }
    for (SourceElement* e : elements) {
        SourceSink s;
        s.zone = p.zones.at(1 + (e->model % 4));
        s.element = e;
        s.mult = 1;
        s.box_max = {1, 1, 1};
        p.sources.add(s);
    }

    FilterElement cef = new_filter_element(kFltCef);
    cef.name = "cef";
    cef.data = ConstantEfficiencyData{{co2, pm}, {0.25f, 0.75f}};
    FilterElement* cef_stored = p.filter_elements.insert_copy(cef);
    FilterElement pf0 = new_filter_element(kFltPf0);
    pf0.name = "pf0";
    pf0.data = ParticleFilterData{{1e-7f, 1e-6f, 1e-5f, 1e-4f}, {0.2f, 0.2f, 0.9f, 0.9f}, 6};
    FilterElement* pf0_stored = p.filter_elements.insert_copy(pf0);
    FilterElement gf0 = new_filter_element(kFltGf0);
    gf0.name = "gf0";
    gf0.data = GaseousFilterData{{GaseousCurve{co2, 0.05f, {0, 0.1f, 0.2f, 0.3f}, {0.9f, 0.9f, 0.1f, 0.1f}}}};
    p.filter_elements.insert_copy(gf0);
    FilterElement uv1 = new_filter_element(kFltUv1);
    uv1.name = "uv1";
    uv1.data = new_filter_data(kFltUv1);
    p.filter_elements.insert_copy(uv1);
    FilterElement spf = new_filter_element(kFltSpf);
    spf.name = "spf";
    spf.data = SuperFilterData{{pf0_stored, cef_stored}};
    FilterElement* spf_stored = p.filter_elements.insert_copy(spf);
    int k = 0;
    for (FilterElement* e : {cef_stored, pf0_stored, spf_stored}) {
        Filter f;
        f.element = e;
        f.loads = loads_for(e);
        f.loads[0].loading = 0.125f;
        f.loads[0].species.push_back({co2, 0.001f});
        p.paths.at(++k)->filter = p.filters.add(f);
    }

    OccupancySchedule day = new_occupancy_schedule(0);
    day.name = "office_hours";
    day.points = {{0, ZoneRef::ambient()}, {8 * 3600, ZoneRef(p.zones.at(2))}, {86400, ZoneRef::ambient()}};
    OccupancySchedule* occupancy = p.occupancy_schedules.insert_copy(day);
    Exposure person = new_exposure(p);
    person.desc = "!an occupant";
    person.occupancy.fill(occupancy);
    person.generations.push_back({co2, nullptr, 5e-6f, 0, {}});
    p.exposures.add(person);

    ControlNode sensor;
    sensor.type = kCtSns;
    sensor.name = "co2_sensor";
    SensorData data;
    data.target.kind = kSenseZone;
    data.target.record = ZoneRef(p.zones.at(2));
    data.species = co2;
    sensor.data = data;
    ControlNode* sensed = p.controls.add(sensor);
    ControlNode report;
    report.type = kCtLog;
    report.n = 1;
    report.c1 = sensed;
    report.name = "co2_report";
    report.data = ReportData{0, 1e6f, 0, "CO2", "ppm"};
    p.controls.add(report);

    // A super element and an instance of it, whose copies of the element's
    // nodes follow it in the list.
    SuperElement element;
    element.name = "SE_1";
    element.desc = "scaled signal";
    ControlNode in;
    in.type = kCtPas;
    in.name = "in";
    ControlNode scale;
    scale.type = kCtMod;
    scale.name = "scale";
    scale.data = ModifierData{400, 0.01f};
    element.input = element.nodes.add(in);
    element.output = element.nodes.add(scale);
    element.output->c1 = element.input;
    element.output->n = 1;
    element.sketch = {{189, 2, 2, 1}, {168, 3, 2, 1}, {188, 4, 2, 2}};
    SuperElement* stored_element = p.super_elements.insert_copy(element);
    ControlNode instance;
    instance.type = kCtSup;
    instance.name = "scaler";
    instance.c1 = sensed;
    instance.n = 1;
    ControlNode* placed = p.controls.add(instance);
    ControlNode* copy_in = p.controls.add(in);
    ControlNode* copy_out = p.controls.add(scale);
    copy_out->c1 = copy_in;
    placed->data = SuperInstanceData{0, stored_element, copy_in, copy_out, {copy_in, copy_out}};

    TextWriter out;
    write_project(out, p);
    ASSERT_EQ(error_count(), 0);
    ASSERT_TRUE(write_file_atomically(file("contaminants.prj"), out.text()));
    ProjectDocument doc;
    ASSERT_TRUE(open_project(doc, file("contaminants.prj"), {}));
    EXPECT_EQ(doc.project->source_elements.count(), kSourceModelCount);
    EXPECT_EQ(doc.project->sources.count(), kSourceModelCount);
    EXPECT_EQ(doc.project->filters.count(), 3);
    EXPECT_EQ(doc.project->controls.count(), 5);
    ASSERT_EQ(doc.project->super_elements.count(), 1);
    const auto* read_instance = std::get_if<SuperInstanceData>(&doc.project->controls.at(3)->data);
    ASSERT_NE(read_instance, nullptr);
    EXPECT_EQ(read_instance->copies.size(), 2u);
    EXPECT_EQ(read_instance->output, doc.project->controls.at(5));
    TextWriter again;
    write_project(again, *doc.project);
    EXPECT_EQ(again.text(), out.text());
    EXPECT_TRUE(port.boxes.empty()) << port.boxes.front().text;
}

}  // namespace
}  // namespace avelor
