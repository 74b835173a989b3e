// The shipped example projects with analytic answers, drawn the way a user
// draws them: walls on the SketchPad, a zone icon in every room, flow path
// icons on the walls, elements defined through the dialogs' derivations.
// Each builder leaves a complete session that write_session_file saves in
// the canonical form; the tests compare the shipped files with it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bench/duct_network_generator.h"
#include "check/building_check.h"
#include "editing/editor_session.h"
#include "forms/schedule_forms.h"
#include "forms/path_sheet.h"
#include "forms/wind_profile_form.h"
#include "model/airflow_rules.h"
#include "model/duct_element.h"
#include "model/control_node.h"
#include "model/duct_rules.h"
#include "model/point_lists.h"
#include "model/project.h"
#include "model/source_element.h"
#include "model/species.h"
#include "sketchpad/level_navigation.h"
#include "sketchpad/sketch_drawing.h"
#include "sketchpad/zone_detection.h"

namespace avelor::testing::examples {

// Physical data the derivations in the tests use as well.
inline constexpr double kPb = 101325;          // Pa
inline constexpr double kGravity = 9.8055;     // m/s2
inline constexpr double kGasConstant = 287.055;  // J/(kg K)
inline constexpr double kWarm = 293.15;        // K
inline constexpr double kCold = 273.15;        // K
inline constexpr int kSteadyDay = 15;          // Jan15
inline constexpr int kSteadyTime = 43200;      // 12:00:00

// Where the drawing sits on the smallest SketchPad.
inline constexpr int kTop = 10;
inline constexpr int kLeft = 10;

// The drawing placed on an empty SketchPad of the minimum size.
inline Picture on_sketchpad(const std::vector<std::string>& drawing)
{
    Picture page(static_cast<std::size_t>(kMinSketchRows), std::string(kMinSketchCols, '.'));
    for (std::size_t r = 0; r < drawing.size(); ++r)
        page[kTop + r].replace(kLeft, drawing[r].size(), drawing[r]);
    return page;
}

// One flow path as the path sheet leaves it.
struct PathSpec {
    std::string element;
    std::uint8_t dir = kDirNorth;
    float relHt = 0;
};

struct ZoneSpec {
    std::string name;
    float volume = 100;
    float T0 = static_cast<float>(kWarm);
    std::uint16_t flags = kZoneVariablePressure | kZoneVariableContaminants;
};

// Run control shared by the examples: a steady run at one instant, tight
// airflow convergence, standard air and gravity.
inline void steady_run(RunControl& rc, double ambient_temperature)
{
    rc.steady.Ta = static_cast<float>(ambient_temperature);
    rc.steady.Pb = static_cast<float>(kPb);
    rc.steady.Ws = 0;
    rc.steady.Wd = 0;
    rc.sim_af = 0;
    rc.sim_mf = 0;
    rc.afrcnvg = 1e-8f;
    rc.afacnvg = 1e-10f;
    rc.rvals = {1.2041f, 9.8055f};
    rc.date_st = kSteadyDay;
    rc.time_st = kSteadyTime;
}

// An element made as its dialog's OK makes it.
inline AirflowElement* define_element(Project& project, int type, const std::string& name,
                                      const std::string& desc, const std::function<void(AirflowElement&)>& fill)
{
    NewElementState state;
    AirflowElement copy = new_airflow_element(type, new_element_context(project), state);
    copy.name = name;
    copy.desc = desc;
    fill(copy);
    AcceptOutcome outcome = accept_element(project, copy, nullptr);
    EXPECT_NE(outcome.record, nullptr) << name << ": " << outcome.verdict.text;
    return outcome.record;
}

inline AirflowElement* orifice(Project& project, const std::string& name, const std::string& desc, float area,
                               float cd)
{
    return define_element(project, kPlrOrfc, name, desc, [&](AirflowElement& e) {
        OrificeData& d = std::get<OrificeData>(e.data);
        orifice_set_area(d, area);
        d.coef = cd;
    });
}

inline AirflowElement* constant_mass_fan(Project& project, const std::string& name, const std::string& desc,
                                         float flow)
{
    return define_element(project, kFanCmf, name, desc,
                          [&](AirflowElement& e) { std::get<ConstantFlowData>(e.data).Flow = flow; });
}

// Draws one level from the picture, gives the drawn zones and paths their
// records (zones and paths numbered in the picture's reading order) and
// relinks and renumbers the whole as a save does.
// A duct layer, when given, is drawn over the plan (its runs expanded and
// their segment numbers spread as a level's loading leaves them), and
// add_ducts makes its junction and segment records, numbered in the
// picture's reading order, before the check relinks them to the drawing.
// A link layer, when given, is drawn over the plan as well (its nodes
// numbered in reading order); add_ducts may then number its pieces.
inline void draw_building(EditorSession& session, const std::vector<std::string>& drawing,
                          const std::vector<ZoneSpec>& zones, const std::vector<PathSpec>& paths,
                          const std::vector<std::string>& duct_drawing = {},
                          const std::function<void(Project&, Level&)>& add_ducts = {},
                          const std::vector<std::string>& link_drawing = {})
{
    Project& project = session.project();
    prepare_sketchpad(session);
    ASSERT_TRUE(session.grid.allocated());
    Level& level = *project.lowest_level;
    level.name = "ground";
    const Picture page = on_sketchpad(drawing);
    draw_plan(session.grid, Plan(page, duct_drawing.empty() ? Picture{} : on_sketchpad(duct_drawing),
                                 link_drawing.empty() ? Picture{} : on_sketchpad(link_drawing)));
    if (!duct_drawing.empty()) expand_duct_runs(session.grid, kCurrentLevel);
    for (const ZoneSpec& want : zones) {
        Zone zone = new_zone(project);
        zone.name = want.name;
        zone.Vol = want.volume;
        zone.T0 = want.T0;
        zone.flags = want.flags;
        add_zone(project, zone)->level = &level;
    }
    for (const PathSpec& want : paths) {
        FlowPath path;
        path.mult = 1;
        path.wazm = -1;
        path.dir = want.dir;
        path.relHt = want.relHt;
        path.element = project.elements.find_by_name(want.element);
        ASSERT_NE(path.element, nullptr) << want.element;
        path.icn = path.element->icon;
        path.level = &level;
        add_path(project, path);
    }
    if (add_ducts) add_ducts(project, level);
    // Path icons show their element's icon, as the path sheet leaves them.
    LevelCells& cells = session.grid.current();
    for (int r = 0; r < session.grid.rows(); ++r)
        for (int c = 0; c < session.grid.cols(); ++c)
            if (cells.Sketch(r, c) == ICN_PATH) {
                const FlowPath* path = project.paths.at(cells.Paths(r, c));
                ASSERT_NE(path, nullptr);
                cells.Sketch(r, c) = path->icn;
            }
    store_level_icons(session.grid, level);
    ASSERT_EQ(check_building(session, kRenumberOnly), 0);
    // Exterior walls face the way the path sheet says once a path has zones.
    for (FlowPath& path : project.paths)
        if (path.zone_n.is_ambient() || path.zone_m.is_ambient())
            path.wazm = default_wall_azimuth(path, project.rc.N);
}

// (a) Stack effect through two orifices of one warm room on a cold day:
// the lower one at 0.5 m, the upper at 2.5 m, both drawn from the outdoors
// into the room.
inline void stack_two_orifices(EditorSession& session)
{
    Project& project = session.project();
    set_project_description(project, "Stack effect through two orifices of a warm room");
    steady_run(project.rc, kCold);
    orifice(project, "orifice", "Wall orifice, 0.01 m2", 0.01f, 0.6f);
    draw_building(session,
                  {"#########",
                   "#.......#",
                   "#...1...#",
                   "#.......#",
                   "##A###B##"},
                  {{"room"}}, {{"orifice", kDirNorth, 0.5f}, {"orifice", kDirNorth, 2.5f}});
}

// (b) A constant mass flow fan blowing into a room that leaks out through
// a wall leak; no temperature difference. Air crosses the plan from north
// to south: the fan in the north wall, the leak in the south wall.
inline void fan_and_leak(EditorSession& session)
{
    Project& project = session.project();
    set_project_description(project, "Supply fan against a wall leak");
    steady_run(project.rc, kWarm);
    constant_mass_fan(project, "supply_fan", "Supply fan, 0.03 kg/s", 0.03f);
    define_element(project, kPlrLeak1, "wall_leak", "Wall leakage, 0.01 m2 at 4 Pa", [](AirflowElement& e) {
        LeakageData& d = std::get<LeakageData>(e.data);
        d.area1 = 0.01f;
        d.expt = 0.65f;
        d.coef = 0.6f;
        d.pres = 4;
    });
    draw_building(session,
                  {"####A####",
                   "#.......#",
                   "#...1...#",
                   "#.......#",
                   "####B####"},
                  {{"room"}}, {{"supply_fan", kDirSouth, 1.5f}, {"wall_leak", kDirSouth, 1.5f}});
}

// (d) A tracer in a room ventilated by a supply fan and an exhaust
// orifice, released at 06:00 on Jan01 and followed for two days at
// 5-minute steps with hourly results.
inline constexpr float kTracerStart = 1.0e-3f;  // kg/kg
inline void decay_ventilated_zone(EditorSession& session)
{
    Project& project = session.project();
    set_project_description(project, "Tracer decay in a ventilated room");
    RunControl& rc = project.rc;
    steady_run(rc, kWarm);
    rc.sim_mf = 2;
    rc.t_step = 300;
    rc.t_list = 3600;
    rc.date_0 = 1;
    rc.time_0 = 6 * 3600;
    rc.date_1 = 2;
    rc.time_1 = 86400;
    rc.date_st = rc.date_0;
    rc.time_st = rc.time_0;
    Species tracer = new_species();
    tracer.name = "tracer";
    tracer.desc = "Inert tracer gas";
    tracer.molwt = 146.06f;  // sulphur hexafluoride
    tracer.t = 0;
    tracer.s = 1;
    tracer.CCdef = 0;
    project.species.insert_copy(tracer);
    ASSERT_EQ(rebuild_contaminants(project), 0);
    constant_mass_fan(project, "supply_fan", "Supply fan, 0.05 kg/s", 0.05f);
    orifice(project, "exhaust", "Exhaust opening, 0.05 m2", 0.05f, 0.6f);
    draw_building(session,
                  {"####A####",
                   "#.......#",
                   "#...1...#",
                   "#.......#",
                   "####B####"},
                  {{"room"}}, {{"supply_fan", kDirSouth, 1.5f}, {"exhaust", kDirSouth, 1.5f}});
    for (Zone& zone : project.zones) zone.CC0 = {kTracerStart};
}

// A tracer in a room cleared by an exhaust fan that follows the working
// day: off at night, ramped up from 06:00 to 08:00, on until 18:00 and
// ramped down by 19:00; off on the weekend. A wall leak lets the make-up
// air in. One Monday (the steady weather's day type) at 1-minute steps
// with half-hourly results.
inline constexpr float kExhaustFlow = 0.01f;  // kg/s at full speed
inline constexpr std::int32_t kRampUpStart = 6 * 3600, kRampUpEnd = 8 * 3600;
inline constexpr std::int32_t kRampDownStart = 18 * 3600, kRampDownEnd = 19 * 3600;
inline constexpr int kMonday = 2;
// A dimensionless day schedule as its dialog's OK makes it from typed
// points (time, value).
inline DaySchedule* define_day_schedule(Project& project, const std::string& name, const std::string& desc,
                                        bool trapezoidal, const std::vector<std::pair<TypedTime, std::string>>& points)
{
    DayScheduleForm form(new_day_schedule(kScheduleDimensionless, 0));
    form.set_name(name);
    form.set_description(desc);
    form.set_trapezoidal(trapezoidal);
    for (const auto& [time, value] : points) {
        form.edit_time = time;
        EXPECT_TRUE(form.value_field().validate(value)) << name << " " << value;
        EXPECT_TRUE(form.insert()) << name << " " << value;
    }
    EXPECT_TRUE(form.accept(project.day_schedules, nullptr)) << name;
    return form.stored();
}
inline void scheduled_exhaust(EditorSession& session)
{
    Project& project = session.project();
    set_project_description(project, "Tracer cleared by a scheduled exhaust fan");
    RunControl& rc = project.rc;
    steady_run(rc, kWarm);
    rc.steady.day = kMonday;
    rc.sim_mf = 2;
    rc.t_step = 60;
    rc.t_list = 1800;
    rc.date_0 = 1;
    rc.time_0 = 0;
    rc.date_1 = 1;
    rc.time_1 = 86400;
    rc.date_st = rc.date_0;
    rc.time_st = rc.time_0;
    Species tracer = new_species();
    tracer.name = "tracer";
    tracer.desc = "Inert tracer gas";
    tracer.molwt = 146.06f;
    tracer.t = 0;
    tracer.s = 1;
    tracer.CCdef = 0;
    project.species.insert_copy(tracer);
    ASSERT_EQ(rebuild_contaminants(project), 0);

    DaySchedule* working =
        define_day_schedule(project, "working_day", "Exhaust on from 08:00 to 18:00, ramped", true,
                            {{TypedTime::from(0), "0"},
                             {TypedTime::from(kRampUpStart), "0"},
                             {TypedTime::from(kRampUpEnd), "1"},
                             {TypedTime::from(kRampDownStart), "1"},
                             {TypedTime::from(kRampDownEnd), "0"},
                             {TypedTime::from(kSecondsInDay), "0"}});
    DaySchedule* off = define_day_schedule(project, "off", "Exhaust off all day", false,
                                           {{TypedTime::from(0), "0"}, {TypedTime::from(kSecondsInDay), "0"}});
    ASSERT_NE(working, nullptr);
    ASSERT_NE(off, nullptr);
    // Monday to Friday work, the weekend and the holiday types are off.
    WeekScheduleForm week(project, new_week_schedule(kScheduleDimensionless, 0));
    week.set_name("office_week");
    week.set_description("Working days Monday to Friday");
    ASSERT_TRUE(week.replace({1, 2, 3, 4, 5}, working));
    ASSERT_TRUE(week.replace({0, 6, 7, 8, 9, 10, 11}, off));
    ASSERT_TRUE(week.accept(project.week_schedules, nullptr));
    WeekSchedule* schedule = week.stored();

    constant_mass_fan(project, "exhaust_fan", "Exhaust fan, 0.01 kg/s", kExhaustFlow);
    define_element(project, kPlrLeak1, "wall_leak", "Wall leakage, 0.01 m2 at 4 Pa", [](AirflowElement& e) {
        LeakageData& d = std::get<LeakageData>(e.data);
        d.area1 = 0.01f;
        d.expt = 0.65f;
        d.coef = 0.6f;
        d.pres = 4;
    });
    // The leak in the north wall lets air in; the fan in the south wall
    // blows it out.
    draw_building(session,
                  {"####A####",
                   "#.......#",
                   "#...1...#",
                   "#.......#",
                   "####B####"},
                  {{"room"}}, {{"wall_leak", kDirSouth, 1.5f}, {"exhaust_fan", kDirSouth, 1.5f}});
    // The fan's Schedule page.
    project.paths.at(2)->schedule = schedule;
    for (Zone& zone : project.zones) zone.CC0 = {kTracerStart};
}

// A warm room open to the cold outdoors through a single door: cold air
// comes in low, warm air leaves high, and the net flow is zero.
inline constexpr float kDoorHeight = 2.0f, kDoorWidth = 0.8f, kDoorCd = 0.78f;
inline void door_temperature_difference(EditorSession& session)
{
    Project& project = session.project();
    set_project_description(project, "Two-way flow through a door to the cold outdoors");
    steady_run(project.rc, kCold);
    define_element(project, kDorDoor, "door", "Open door, 2 m by 0.8 m", [](AirflowElement& e) {
        DoorData& d = std::get<DoorData>(e.data);
        d.ht = kDoorHeight;
        d.wd = kDoorWidth;
        d.cd = kDoorCd;
    });
    draw_building(session,
                  {"#########",
                   "#.......#",
                   "#...1...#",
                   "#.......#",
                   "####A####"},
                  {{"room", 60}}, {{"door", kDirNorth, 0}});
}

// Ambient -> room 1 -> room 2 -> ambient in a row: a supply fan in the west
// wall, an interior orifice and an exterior orifice, all at floor height.
inline constexpr float kSeriesFlow = 0.04f;                         // kg/s
inline constexpr float kInnerArea = 0.02f, kOuterArea = 0.01f, kSeriesCd = 0.6f;  // m2, -
inline void zones_in_series(EditorSession& session)
{
    Project& project = session.project();
    set_project_description(project, "Two rooms in series behind a supply fan");
    steady_run(project.rc, kWarm);
    constant_mass_fan(project, "supply_fan", "Supply fan, 0.04 kg/s", kSeriesFlow);
    orifice(project, "inner_opening", "Opening between the rooms, 0.02 m2", kInnerArea, kSeriesCd);
    orifice(project, "outer_opening", "Exterior opening, 0.01 m2", kOuterArea, kSeriesCd);
    draw_building(session,
                  {"#############",
                   "#.....#.....#",
                   "A..1..B..2..C",
                   "#.....#.....#",
                   "#############"},
                  {{"west_room", 50}, {"east_room", 40}},
                  {{"supply_fan", kDirEast, 0}, {"inner_opening", kDirEast, 0}, {"outer_opening", kDirEast, 0}});
}

// A wind pressure profile as its dialog's OK makes it from typed rows.
inline WindProfile* define_wind_profile(Project& project, const std::string& name, const std::string& desc,
                                        const std::vector<std::pair<std::string, std::string>>& rows, int fit)
{
    WindProfileForm form(project.wind_profiles);
    form.set_name(name);
    form.set_description(desc);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_TRUE(form.leave_angle(static_cast<int>(i), rows[i].first)) << name << " row " << i;
        EXPECT_TRUE(form.leave_coefficient(static_cast<int>(i), rows[i].second)) << name << " row " << i;
    }
    EXPECT_TRUE(form.choose_fit(fit)) << name;
    EXPECT_TRUE(form.accept().accepted) << name;
    return form.stored();
}

// An isothermal room ventilated by the wind: equal orifices in its north
// and south walls at 1.5 m, both with variable wind pressure through one
// linear profile, and a steady wind from 30 degrees east of north.
inline constexpr float kWindSpeed = 5.0f;       // m/s
inline constexpr float kWindDirection = 30.0f;  // degrees
inline constexpr float kOpeningArea = 0.01f, kOpeningCd = 0.6f, kOpeningHeight = 1.5f;
inline const std::vector<std::pair<std::string, std::string>>& wall_profile_rows()
{
    static const std::vector<std::pair<std::string, std::string>> rows = {
        {"0", "0.6"}, {"90", "-0.3"}, {"180", "-0.2"}, {"270", "-0.3"}, {"360", "0.6"}};
    return rows;
}
inline void wind_cross_ventilation(EditorSession& session)
{
    Project& project = session.project();
    set_project_description(project, "Cross ventilation of a room by the wind");
    steady_run(project.rc, kWarm);
    project.rc.steady.Ws = kWindSpeed;
    project.rc.steady.Wd = kWindDirection;
    orifice(project, "opening", "Wall opening, 0.01 m2", kOpeningArea, kOpeningCd);
    WindProfile* wall = define_wind_profile(project, "low_rise_wall", "Wall of a low-rise building",
                                            wall_profile_rows(), kWindFitLinear);
    ASSERT_NE(wall, nullptr);
    draw_building(session,
                  {"####A####",
                   "#.......#",
                   "#...1...#",
                   "#.......#",
                   "####B####"},
                  {{"room"}}, {{"opening", kDirSouth, kOpeningHeight}, {"opening", kDirSouth, kOpeningHeight}});
    // "Variable" on the path sheet's Wind Pressure page, with the profile.
    for (FlowPath& path : project.paths) {
        path.flags |= kPathWindPressure;
        path.wPmod = project.rc.wind_modifier_squared;
        path.wind_profile = wall;
    }
}

// A duct element made as its sheet's OK makes it.
inline DuctElement* define_duct_element(Project& project, int type, const std::string& name,
                                        const std::string& desc, const std::function<void(DuctElement&)>& fill)
{
    DuctElement copy = new_duct_element(type, new_element_context(project));
    copy.name = name;
    copy.desc = desc;
    fill(copy);
    const DuctAcceptOutcome outcome = accept_duct_element(project.duct_elements, copy, nullptr);
    EXPECT_NE(outcome.record, nullptr) << name << ": " << outcome.verdict.text;
    return outcome.record;
}
// A round galvanized duct of diameter D with a leakage rate (L/s per m2
// of duct surface at 1 Pa).
inline DuctElement* round_duct(Project& project, const std::string& name, const std::string& desc, float D,
                               float leak_rate)
{
    return define_duct_element(project, kDctDwc, name, desc, [&](DuctElement& e) {
        e.shape.shape = kDuctCircle;
        e.shape.Dh = D;
        derive_shape(e.shape);
        e.shape.leak_rate = leak_rate;
        e.shape.leak_dP = 1;
        update_leakage_class(e.shape);
    });
}

// A ventilation system: a supply fan draws outdoor air through an intake
// terminal on the west side into a supply main that runs east over four
// rooms; at each of the first three rooms a junction branches down to the
// room's supply terminal, and the main ends in the fourth room's supply
// terminal. One return terminal in the fourth room exhausts through a duct
// to an outdoor terminal on the east side. Each room leaks to the outdoors
// through its south wall. All at 20 C; ducts at 2.7 m, the leaks at 1.5 m.
// The numbers are those of tests/engine/duct_reference.py, which solves
// the same system on its own.
inline constexpr float kDuctHeight = 2.7f;  // m above the floor
inline constexpr float kFanCurve[4] = {150, -100, 0, -500};  // rise, Pa, over F, kg/s
inline constexpr float kFanPointFlows[5] = {0, 0.15f, 0.3f, 0.45f, 0.57f};
inline constexpr float kMainDiameter = 0.25f, kBranchDiameter = 0.15f, kReturnDiameter = 0.2f;  // m
inline constexpr float kMainLeakage = 0.1f;  // L/s per m2 at 1 Pa
struct SegmentSpec {
    std::string element;
    float len = 0, sllc = 0;
    std::uint8_t dir = kDirEast;
};
struct TerminalSpec {
    bool exposed = false;
    float loss = bench::kNewTerminalLoss;
    // The direction of flow from its duct into it, which the sheet sets
    // from the side its duct piece is on: 4 above, 5 east, 1 below, 2 west.
    std::uint8_t direction = 4;
};
// Segments and nodes in the duct picture's reading order.
inline const std::vector<SegmentSpec>& duct_system_segments()
{
    static const std::vector<SegmentSpec> all = {
        {"supply_fan", 1, 0, kDirEast},    // intake terminal 1 -> junction 2
        {"main", 7, 0.3f, kDirEast},       // junction 2 -> junction 3
        {"main", 7, 0.3f, kDirEast},       // junction 3 -> junction 4
        {"main", 9, 0.5f, kDirEast},       // junction 4 -> terminal 8, round the corner
        {"branch", 3, 1.0f, kDirSouth},    // junction 2 -> terminal 5
        {"branch", 3, 1.0f, kDirSouth},    // junction 3 -> terminal 6
        {"branch", 3, 1.0f, kDirSouth},    // junction 4 -> terminal 7
        {"return_duct", 6, 1.2f, kDirEast},  // terminal 9 -> terminal 10
    };
    return all;
}
// Nodes 1..10: the intake, three junctions, four supply terminals, the
// return and the exhaust; nullopt for a plain junction.
inline const std::vector<std::optional<TerminalSpec>>& duct_system_nodes()
{
    static const std::vector<std::optional<TerminalSpec>> all = {
        TerminalSpec{true, 0.5f, 5},  std::nullopt, std::nullopt, std::nullopt,
        TerminalSpec{false, 2.0f, 4}, TerminalSpec{false, 2.0f, 4}, TerminalSpec{false, 2.0f, 4},
        TerminalSpec{false, 2.0f, 4}, TerminalSpec{false, 1.5f, 5}, TerminalSpec{true, 1.0f, 2},
    };
    return all;
}
inline void duct_system(EditorSession& session)
{
    Project& project = session.project();
    set_project_description(project, "Supply fan, a main with branches to four rooms, one return");
    steady_run(project.rc, kWarm);
    define_element(project, kPlrLeak1, "wall_leak", "Wall leakage, 0.01 m2 at 4 Pa", [](AirflowElement& e) {
        LeakageData& d = std::get<LeakageData>(e.data);
        d.area1 = 0.01f;
        d.expt = 0.65f;
        d.coef = 0.6f;
        d.pres = 4;
    });
    define_duct_element(project, kDctFan, "supply_fan", "Supply fan, 150 Pa at no flow", [](DuctElement& e) {
        e.shape.shape = kDuctCircle;
        e.shape.Dh = kMainDiameter;
        derive_shape(e.shape);
        FanData& fan = std::get<FanData>(e.data);
        for (float F : kFanPointFlows) {
            FanPoint point;
            point.F = F;
            point.dP = kFanCurve[0] + F * (kFanCurve[1] + F * (kFanCurve[2] + F * kFanCurve[3]));
            point.rP = point.dP;
            fan.points.push_back(point);
        }
        EXPECT_TRUE(fit_fan_curve(fan).accepted);
    });
    round_duct(project, "main", "Supply main, 250 mm", kMainDiameter, kMainLeakage);
    round_duct(project, "branch", "Supply branch, 150 mm", kBranchDiameter, 0);
    round_duct(project, "return_duct", "Return and exhaust, 200 mm", kReturnDiameter, 0);
    const auto add_ducts = [&](Project& p, Level&) {
        for (const std::optional<TerminalSpec>& want : duct_system_nodes()) {
            Junction j;
            j.T0 = static_cast<float>(kWarm);
            j.relHt = kDuctHeight;
            j.clr = -1;
            j.icon = want ? ICN_TERMINAL : ICN_JUNCTION;
            j.CC0.assign(static_cast<std::size_t>(p.nctm()), 0.0f);
            if (want) {
                j.t = want->exposed ? kJunctionExposed : kJunctionTerminal;
                j.terminal = bench::new_terminal_data();
                j.terminal.loss_coefficient() = want->loss;
                j.terminal.direction() = want->direction;
            }
            add_junction(p, j);
        }
        for (const SegmentSpec& want : duct_system_segments()) {
            DuctSegment d;
            d.element = p.duct_elements.find_by_name(want.element);
            ASSERT_NE(d.element, nullptr) << want.element;
            d.len = want.len;
            d.sllc = want.sllc;
            d.dir = want.dir;
            d.clr = -1;
            p.ducts.add(d);
        }
    };
    draw_building(session,
                  {"...#############################...",
                   "...#......#......#......#......#...",
                   "...#......#......#......#......#...",
                   "...#..1...#..2...#..3...#..4...#...",
                   "...#......#......#......#......#...",
                   "...###A######B######C######D####..."},
                  {{"room1", 60}, {"room2", 60}, {"room3", 60}, {"room4", 60}},
                  {{"wall_leak", kDirSouth, 1.5f}, {"wall_leak", kDirSouth, 1.5f},
                   {"wall_leak", kDirSouth, 1.5f}, {"wall_leak", kDirSouth, 1.5f}},
                  {"...................................",
                   "To>ooooJooo>ooJooo>ooJooo>ooo......",
                   ".......v......v......v......o......",
                   ".......T......T......T......T......",
                   ".............................T>oooT",
                   "..................................."},
                  add_ducts);
    // The Terminal Data page shows each terminal the area of the duct that
    // feeds it, and keeps it.
    for (const DuctSegment& d : project.ducts)
        for (Junction* end : {d.junction_n, d.junction_m})
            if (end && end->t != 0) end->terminal.duct_area() = d.element->shape.area;
}

// A room whose CO2 an exhaust fan holds near a set point: occupants
// (a constant source of CO2 following the office hours, 08:00 to 17:00)
// in a 240 m3 room; a constant mass flow exhaust fan of 0.2 kg/s in the
// north wall and a make-up opening in the south wall. A CO2 sensor in the
// room reads (C - set point) / band, a proportional controller (Kp 1)
// passes it on, an upper limit control clamps it at 1 and a lower limit
// control at 0: the fan runs at that fraction of its flow. One day from
// 00:00 at 1-minute steps with 5-minute results. The numbers are those of
// tests/engine/controlled_exhaust_reference.py, which integrates the same
// room on its own.
inline constexpr float kOutdoorCO2 = 6.0e-4f;     // kg/kg, about 395 ppm
inline constexpr float kCO2SetPoint = 1.5e-3f;    // kg/kg, about 990 ppm
inline constexpr float kCO2Band = 2.5e-4f;        // kg/kg from off to full speed
inline constexpr float kCO2Gain = 4000;           // 1 / band
inline constexpr float kCO2Generation = 1.0e-4f;  // kg/s while occupied
inline constexpr float kControlledFanFlow = 0.2f; // kg/s at full speed
inline constexpr float kOfficeVolume = 240;       // m3
inline constexpr std::int32_t kOccupiedFrom = 8 * 3600, kOccupiedUntil = 17 * 3600;
inline void controlled_exhaust_fan(EditorSession& session)
{
    Project& project = session.project();
    set_project_description(project, "Exhaust fan holding the CO2 of an office near a set point");
    RunControl& rc = project.rc;
    steady_run(rc, kWarm);
    rc.sim_mf = 2;
    rc.t_step = 60;
    rc.t_list = 300;
    rc.date_0 = 1;
    rc.time_0 = 0;
    rc.date_1 = 1;
    rc.time_1 = 86400;
    rc.date_st = rc.date_0;
    rc.time_st = rc.time_0;
    Species co2 = new_species();
    co2.name = "CO2";
    co2.desc = "Carbon dioxide";
    co2.molwt = 44.01f;
    co2.t = 0;
    co2.s = 1;
    co2.CCdef = kOutdoorCO2;
    Species* stored_co2 = project.species.insert_copy(co2);
    ASSERT_EQ(rebuild_contaminants(project), 0);

    DaySchedule* hours = define_day_schedule(project, "office_hours", "Occupied from 08:00 to 17:00", false,
                                             {{TypedTime::from(0), "0"},
                                              {TypedTime::from(kOccupiedFrom), "1"},
                                              {TypedTime::from(kOccupiedUntil), "0"},
                                              {TypedTime::from(kSecondsInDay), "0"}});
    ASSERT_NE(hours, nullptr);
    WeekScheduleForm week(project, new_week_schedule(kScheduleDimensionless, 0));
    week.set_name("occupants");
    week.set_description("Office hours every day");
    ASSERT_TRUE(week.replace({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, hours));
    ASSERT_TRUE(week.accept(project.week_schedules, nullptr));
    WeekSchedule* occupants = week.stored();

    SourceElement breath = new_source_element(kSrcCcf, stored_co2);
    breath.name = "occupants_co2";
    breath.desc = "CO2 of the occupants, 1e-4 kg/s";
    breath.v[0] = kCO2Generation;
    SourceElement* element = project.source_elements.insert_copy(breath);

    constant_mass_fan(project, "exhaust_fan", "Exhaust fan, 0.2 kg/s", kControlledFanFlow);
    define_element(project, kPlrLeak1, "makeup_opening", "Make-up air opening, 0.1 m2 at 4 Pa",
                   [](AirflowElement& e) {
                       LeakageData& d = std::get<LeakageData>(e.data);
                       d.area1 = 0.1f;
                       d.expt = 0.65f;
                       d.coef = 0.6f;
                       d.pres = 4;
                   });
    // The control network on the link layer: the sensor end beside the
    // zone icon, whose sensor (2) feeds the controller (3), the upper limit (4)
    // with the constant 1 (1) from the north and the lower limit (5) with
    // the constant 0 (6) from the south; its arrowhead points into the fan.
    // Each piece carries the number of the node that drives it.
    const std::vector<std::string> links = {
        ".................",
        "...............^.",
        "............N..o.",
        "............o..o.",
        "............v..o.",
        "...soooo>No>No>N.",
        "...............^.",
        "...............o.",
        "...............N.",
        ".................",
        "................."};
    const std::vector<std::string> numbers = {
        ".................",
        "...............5.",
        "............1..5.",
        "............1..5.",
        "............1..5.",
        "...2222223334445.",
        "...............6.",
        "...............6.",
        "...............6.",
        ".................",
        "................."};
    constexpr int kSourceRow = 8, kSourceCol = 3;
    const auto add_network = [&](Project& p, Level&) {
        LevelCells& cells = session.grid.current();
        for (std::size_t r = 0; r < numbers.size(); ++r)
            for (std::size_t c = 0; c < numbers[r].size(); ++c)
                if (numbers[r][c] != '.')
                    cells.Ctrls(kTop + static_cast<int>(r), kLeft + static_cast<int>(c)) = numbers[r][c] - '0';
        SourceSink source;
        source.zone = p.zones.at(1);
        source.element = element;
        source.schedule = occupants;
        source.mult = 1;
        const SourceSink* placed = p.sources.add(source);
        cells.Sketch(kTop + kSourceRow, kLeft + kSourceCol) = ICN_SOURCE;
        cells.Paths(kTop + kSourceRow, kLeft + kSourceCol) = placed->nr;
        // The nodes as their dialogs define them, numbered as their icons.
        const auto node = [&](int type, const std::string& name, const std::string& desc,
                              const std::function<void(ControlNode&)>& fill) {
            ControlNode n;
            n.type = static_cast<std::int16_t>(type);
            n.data = new_control_data(type);
            n.name = name;
            n.desc = desc;
            fill(n);
            return p.controls.add(n);
        };
        ControlNode* full = node(kCtSet, "full", "Full speed", [](ControlNode& n) {
            std::get<ConstantData>(n.data).value = 1;
        });
        ControlNode* sensor = node(kCtSns, "co2_sensor", "CO2 above the set point, in bands", [&](ControlNode& n) {
            SensorData& d = std::get<SensorData>(n.data);
            d.offset = kCO2SetPoint;
            d.gain = kCO2Gain;
            d.tau = 0;
            d.target.kind = kSenseZone;
            d.target.nr = 1;
            d.target.record = ZoneRef(p.zones.at(1));
            d.quantity = kSenseMassFraction;
            d.species = stored_co2;
        });
        ControlNode* controller = node(kCtPc1, "controller", "Proportional controller", [&](ControlNode& n) {
            n.n = 1;
            n.c1 = sensor;
            std::get<ProportionalData>(n.data).Kp = 1;
        });
        ControlNode* upper = node(kCtUlc, "upper_limit", "At most full speed", [&](ControlNode& n) {
            n.n = 2;
            n.c1 = controller;
            n.c2 = full;
        });
        ControlNode* lower = node(kCtLlc, "lower_limit", "At least off", [&](ControlNode& n) {
            n.n = 2;
            n.c1 = upper;
        });
        ControlNode* off = node(kCtSet, "off", "Off", [](ControlNode& n) { std::get<ConstantData>(n.data).value = 0; });
        lower->c2 = off;
        std::vector<ControlNode*> chain;
        for (ControlNode& n : p.controls) chain.push_back(&n);
        ASSERT_EQ(sequence_controls(chain, nullptr), 0);
        p.paths.at(1)->control = lower;
    };
    draw_building(session,
                  {"###############A#",
                   "#...............#",
                   "#...............#",
                   "#...............#",
                   "#...............#",
                   "#.1.............#",
                   "#...............#",
                   "#...............#",
                   "#...............#",
                   "#...............#",
                   "########B########"},
                  {{"office", kOfficeVolume}}, {{"exhaust_fan", kDirNorth, 2.5f}, {"makeup_opening", kDirNorth, 0.5f}},
                  {}, add_network, links);

}

struct Example {
    std::string file;  // under examples/
    void (*build)(EditorSession&);
};
inline void PrintTo(const Example& example, std::ostream* os) { *os << example.file; }

inline const std::vector<Example>& shipped_examples()
{
    static const std::vector<Example> all = {
        {"stack_two_orifices.prj", stack_two_orifices},
        {"fan_and_leak.prj", fan_and_leak},
        {"decay_ventilated_zone.prj", decay_ventilated_zone},
        {"scheduled_exhaust.prj", scheduled_exhaust},
        {"door_temperature_difference.prj", door_temperature_difference},
        {"zones_in_series.prj", zones_in_series},
        {"wind_cross_ventilation.prj", wind_cross_ventilation},
        {"duct_system.prj", duct_system},
        {"controlled_exhaust_fan.prj", controlled_exhaust_fan},
    };
    return all;
}

}  // namespace avelor::testing::examples
