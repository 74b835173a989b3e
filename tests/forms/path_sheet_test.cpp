#include "forms/path_sheet.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "check/building_check.h"
#include "forms/filter_form.h"
#include "model/cell_codes.h"
#include "prjfile/project_file.h"
#include "support/edit_fixture.h"
#include "support/test_files.h"

namespace avelor {
namespace {

using testing::EditFixture;

// Two rooms on a 3 m level; path 1 (A) on the north wall of room 2.
const testing::Picture kRooms = {
    "............",  //
    ".#####A####.",  //
    ".#...#....#.",  //
    ".#.1.#..2.#.",  //
    ".#...#....#.",  //
    ".##########.",  //
    "............",  //
};
constexpr GridCell kSouthWall{5, 3};  // room 1 to the outdoors below
constexpr GridCell kInnerWall{3, 5};  // room 1 to room 2

const std::string kNoElement =
    "A Name must be selected. You can do one of the following:\n1) Select from the Name drop-down "
    "list,\n2) Create a new element by clicking the 'New Element' button, or\n3) CANCEL";
const std::string kNoProfile =
    "Variable wind pressure requires a wind pressure profile.\nYou can do one of the following:\n1) "
    "Select from the Name drop-down list,\n2) Create a new profile,\n3) Select constant wind "
    "pressure, or\n4) CANCEL";

struct Sheets : EditFixture {
    SubPathChains chains;

    Sheets()
    {
        build({testing::Plan(kRooms)});
        project().zones.at(1)->name = "Office";
    }

    AirflowElement* element(const std::string& name, int type)
    {
        NewElementState state;
        AirflowElement e = new_airflow_element(type, {}, state);
        e.name = name;
        return project().elements.insert_copy(e);
    }

    // An undefined path icon at the cell, with the cursor on it.
    void undefined_icon(GridCell cell)
    {
        cells().Sketch(cell.row, cell.col) = ICN_PATH;
        cells().Paths(cell.row, cell.col) = 0;
        at(cell.row, cell.col);
    }

    PathSheet sheet_at(GridCell cell)
    {
        undefined_icon(cell);
        return PathSheet(project(), grid(), cell, new_flow_path(project(), grid(), cell), 0);
    }
};

TEST(PathSheet, CreateStoresTheRecordAndItsNumberInTheCell)
{
    Sheets f;
    ASSERT_EQ(f.cells().Zones(3, 3), 1);
    AirflowElement* door = f.element("door", kDorDoor);
    AirflowElement* orifice = f.element("orf", kPlrOrfc);
    f.undefined_icon(kSouthWall);
    std::vector<float> heights;
    const int made = create_path(f.project(), f.grid(), f.chains, [&](PathSheet& s) {
        heights.push_back(s.path().relHt);  // half the 3 m level
        s.choose_element(door);
        heights.push_back(s.path().relHt);  // two-way: 0
        s.choose_element(orifice);
        heights.push_back(s.path().relHt);
        return true;
    });
    EXPECT_EQ(made, 1);
    EXPECT_EQ(heights, (std::vector<float>{1.5f, 0.0f, 1.5f}));
    ASSERT_EQ(f.project().paths.count(), 2);
    const FlowPath* p = f.project().paths.at(2);
    EXPECT_EQ(f.cells().Paths(kSouthWall.row, kSouthWall.col), 2);
    EXPECT_EQ(f.cells().Sketch(kSouthWall.row, kSouthWall.col), orifice->icon);
    EXPECT_EQ(p->element, orifice);
    EXPECT_EQ(p->dir, kDirNorth);
    EXPECT_TRUE(p->zone_n.is_ambient());
    EXPECT_EQ(p->zone_m.zone(), f.project().zones.at(1));
    EXPECT_EQ(p->mult, 1.0f);
    EXPECT_EQ(p->wazm, -1.0f);
    EXPECT_EQ(p->level, f.project().current_level);
    EXPECT_EQ(p->cfd_values, (std::array<std::int16_t, 3>{1, 1, 1}));
    EXPECT_TRUE(f.project().changed());
}

TEST(PathSheet, CancelLeavesTheIconUndefined)
{
    Sheets f;
    f.element("orf", kPlrOrfc);
    f.undefined_icon(kSouthWall);
    f.project().mark_saved();
    EXPECT_EQ(create_path(f.project(), f.grid(), f.chains, [](PathSheet&) { return false; }), 0);
    EXPECT_EQ(f.project().paths.count(), 1);
    EXPECT_EQ(f.cells().Paths(kSouthWall.row, kSouthWall.col), 0);
    EXPECT_EQ(f.cells().Sketch(kSouthWall.row, kSouthWall.col), ICN_PATH);
    EXPECT_FALSE(f.project().changed());
}

TEST(PathSheet, RefusalsSayWhyAndStoreNothing)
{
    struct Case {
        const char* name;
        void (*set_up)(Sheets&, PathSheet&);
        int severity;
        std::string box;
        PathPage page;
        std::string focus;
    };
    const Case cases[] = {
        {"no element", [](Sheets&, PathSheet&) {}, 1, kNoElement, PathPage::FlowElement, "element"},
        {"variable wind without profile",
         [](Sheets& f, PathSheet& s) {
             s.choose_element(f.project().elements.head());
             s.set_wind_option(WindOption::Variable);
         },
         1, kNoProfile, PathPage::WindPressure, "profile"},
        {"values file without column",
         [](Sheets& f, PathSheet& s) {
             s.choose_element(f.project().elements.head());
             EXPECT_TRUE(s.schedule_page().set_control_kind(1));
         },
         2, "A column must be selected from the cvf/dvf file.", PathPage::Schedule, "column"},
        {"CFD ID of another path",
         [](Sheets& f, PathSheet& s) {
             f.project().paths.at(1)->cfd_name = "P1";
             s.choose_element(f.project().elements.head());
             s.set_cfd_id("P1");
         },
         1, "The CFD Path ID given is already used by another path.", PathPage::Cfd, "cfd_id"},
        {"bad CFD ID",
         [](Sheets& f, PathSheet& s) {
             s.choose_element(f.project().elements.head());
             s.set_cfd_id("P!1");
         },
         1, "Exclamation points not permitted in name", PathPage::Cfd, "cfd_id"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Sheets f;
        f.element("orf", kPlrOrfc);
        // A values file whose columns are not loaded.
        f.project().rc.continuous_values_file = "run.cvf";
        PathSheet s = f.sheet_at(kSouthWall);
        c.set_up(f, s);
        f.port.boxes.clear();
        const PathSheetVerdict v = s.accept(f.chains);
        EXPECT_FALSE(v);
        EXPECT_EQ(v.page, c.page);
        EXPECT_EQ(v.focus, c.focus);
        EXPECT_EQ(v.severity, c.severity);
        ASSERT_EQ(f.port.boxes.size(), 1u);
        EXPECT_EQ(f.port.boxes[0].text, " " + c.box + "\n");
        EXPECT_EQ(f.project().paths.count(), 1);
        EXPECT_EQ(f.cells().Paths(kSouthWall.row, kSouthWall.col), 0);
        // The page check says the same when its page is left.
        f.port.boxes.clear();
        EXPECT_FALSE(s.leave_page(c.page));
        ASSERT_EQ(f.port.boxes.size(), 1u);
        EXPECT_EQ(f.port.boxes[0].text, " " + c.box + "\n");
    }
}

TEST(PathSheet, SettersTakeTheShownUnitAndStoreBaseUnits)
{
    struct Case {
        const char* name;
        int type;
        int unit;
        bool (*set)(PathSheet&, double);
        float FlowPath::*stored;
        double typed;
        float expected;
    };
    const Case cases[] = {
        {"elevation in ft", kPlrOrfc, 1,
         [](PathSheet& s, double v) { return s.set_relative_elevation(v); }, &FlowPath::relHt, 10, 3.048f},
        {"X in cm", kPlrOrfc, 2, [](PathSheet& s, double v) { return s.set_x(v); }, &FlowPath::X, 250, 2.5f},
        {"total length in ft", kPlrLeak2, 1, [](PathSheet& s, double v) { return s.set_multiplier(v); },
         &FlowPath::mult, 100, 30.48f},
        {"total area in ft2", kPlrLeak3, 1, [](PathSheet& s, double v) { return s.set_multiplier(v); },
         &FlowPath::mult, 10, 0.9290304f},
        {"flow limit in kg/h", kPlrOrfc, 8, [](PathSheet& s, double v) { return s.set_maximum(v); },
         &FlowPath::Xmax, 3600, 1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Sheets f;
        PathSheet s = f.sheet_at(kSouthWall);
        s.choose_element(f.element("e", c.type));
        if (c.stored == &FlowPath::Xmax) {
            s.set_limits(PathLimits::Flow);
            s.set_limit_unit(c.unit);
        } else if (c.stored == &FlowPath::mult) {
            s.set_multiplier_unit(c.unit);
        } else {
            s.set_length_unit(c.unit);
        }
        EXPECT_TRUE(c.set(s, c.typed));
        EXPECT_NEAR(s.path().*c.stored, c.expected, 1e-5f * c.expected);
    }
}

TEST(PathSheet, MultiplierFieldFollowsTheLeakageType)
{
    struct Case {
        int type;
        std::string label;
        bool unit_shown;
    };
    for (const Case& c : {Case{kPlrOrfc, "Multiplier:", false}, Case{kPlrLeak1, "Multiplier:", false},
                          Case{kPlrLeak2, "Total length:", true}, Case{kPlrLeak3, "Total area:", true}}) {
        Sheets f;
        PathSheet s = f.sheet_at(kSouthWall);
        s.choose_element(f.element("e", c.type));
        EXPECT_EQ(s.multiplier_label(), c.label);
        EXPECT_EQ(s.multiplier_unit_shown(), c.unit_shown);
    }
    Sheets f;
    PathSheet s = f.sheet_at(kSouthWall);
    EXPECT_FALSE(s.set_multiplier(-1));
    EXPECT_EQ(s.path().mult, 1.0f);
}

TEST(PathSheet, LimitsChooseTheirFlagAndUnitKind)
{
    Sheets f;
    PathSheet s = f.sheet_at(kSouthWall);
    EXPECT_EQ(s.maximum_text(), " N/A");
    EXPECT_FALSE(s.limit_fields_enabled());
    s.set_limits(PathLimits::Pressure);
    EXPECT_EQ(s.path().flags & (kPathPressureLimit | kPathFlowLimit), kPathPressureLimit);
    EXPECT_EQ(s.limit_kind(), UnitKind::PressureDifference);
    s.set_limits(PathLimits::Flow);
    EXPECT_EQ(s.path().flags & (kPathPressureLimit | kPathFlowLimit), kPathFlowLimit);
    EXPECT_EQ(s.limit_kind(), UnitKind::MassFlow);
    s.set_limits(PathLimits::None);
    EXPECT_EQ(s.path().flags & (kPathPressureLimit | kPathFlowLimit), 0);
    EXPECT_EQ(s.minimum_text(), " N/A");
}

TEST(PathSheet, ReversingTheDirectionNamesAndSwapsTheZones)
{
    Sheets f;
    PathSheet s = f.sheet_at(kSouthWall);
    const std::array<std::string, 2> labels{"From Ambt to Office", "From Office to Ambt"};
    EXPECT_EQ(s.direction_choices(), labels);
    EXPECT_EQ(s.direction_choice(), 0);
    s.set_direction_choice(1);
    EXPECT_EQ(s.path().dir, kDirSouth);
    EXPECT_EQ(s.direction_choice(), 1);
    EXPECT_EQ(s.path().zone_n.zone(), f.project().zones.at(1));
    EXPECT_TRUE(s.path().zone_m.is_ambient());
    EXPECT_EQ(s.direction_choices(), labels);  // the base direction is unchanged

    PathSheet inner = f.sheet_at(kInnerWall);
    EXPECT_EQ(inner.direction_choices()[0], "From Office to Z2");
}

TEST(PathSheet, FanIconFollowsTheDirection)
{
    struct Case {
        std::uint8_t dir;
        std::uint8_t icon;
    };
    for (const Case& c : {Case{1, 30}, Case{2, 28}, Case{3, 30}, Case{4, 31}, Case{5, 29}, Case{6, 31}}) {
        FlowPath p;
        AirflowElement fan;
        fan.type = kFanFan;
        p.element = &fan;
        p.dir = c.dir;
        EXPECT_EQ(path_icon_for(p), c.icon) << int(c.dir);
    }
    Sheets f;
    AirflowElement* fan = f.element("fan", kFanCvf);
    f.undefined_icon(kSouthWall);
    ASSERT_EQ(create_path(f.project(), f.grid(), f.chains, [&](PathSheet& s) {
                  s.choose_element(fan);
                  s.set_direction_choice(1);
                  return true;
              }),
              1);
    EXPECT_EQ(f.cells().Sketch(kSouthWall.row, kSouthWall.col), 31);
    EXPECT_EQ(fan->icon, 31);
}

// A fan path in each wall direction, defined through the sheet, saved and
// read back: the fan element carries the path's fan icon, and the file
// that holds it must open again.
TEST(PathSheet, FanPathsInEveryDirectionSurviveSaveAndOpen)
{
    struct Case {
        GridCell cell;
        int choice;
        std::uint8_t icon;
    };
    const Case cases[] = {{kSouthWall, 0, 30}, {kSouthWall, 1, 31}, {kInnerWall, 0, 28}, {kInnerWall, 1, 29}};
    const std::string file = ::testing::TempDir() + "fan_round_trip.prj";
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.icon));
        // The rooms, without the path the picture names, on a SketchPad of
        // the least size a project file holds.
        testing::Picture picture = kRooms;
        picture.resize(58, std::string());
        for (std::string& row : picture) {
            std::replace(row.begin(), row.end(), 'A', '#');
            row.resize(66, '.');
        }
        testing::EditFixture f;
        f.build({testing::Plan(picture)});
        SubPathChains chains;
        NewElementState state;
        AirflowElement fan = new_airflow_element(kFanCmf, {}, state);
        fan.name = "fan";
        AirflowElement* element = f.project().elements.insert_copy(fan);
        f.cells().Sketch(c.cell.row, c.cell.col) = ICN_PATH;
        f.at(c.cell.row, c.cell.col);
        ASSERT_EQ(create_path(f.project(), f.grid(), chains, [&](PathSheet& s) {
                      s.choose_element(element);
                      s.set_direction_choice(c.choice);
                      return true;
                  }),
                  1);
        ASSERT_EQ(element->icon, c.icon);
        ASSERT_EQ(check_building(f.session, kRenumberOnly), 0);
        ASSERT_TRUE(write_session_file(f.session, file));

        ProjectDocument read_back;
        EXPECT_TRUE(open_project(read_back, file, {}));
        EXPECT_EQ(error_count(), 0);
        ASSERT_EQ(read_back.project->elements.count(), 1);
        EXPECT_EQ(read_back.project->elements.head()->icon, c.icon);
        ASSERT_EQ(read_back.project->paths.count(), 1);
        EXPECT_EQ(read_back.project->paths.at(1)->icn, c.icon);
    }
    std::remove(file.c_str());
}

// The wall faces the side where ambient lies, whichever way the path runs.
TEST(PathSheet, DefaultAzimuthFacesTheAmbientSideWithinAFullCircle)
{
    struct Case {
        std::uint8_t dir;
        bool ambient_n;
        bool ambient_m;
        float north;
        float azimuth;
    };
    const Case cases[] = {
        {1, true, false, 0, 180},   {4, false, true, 0, 180},   {4, true, false, 0, 0},
        {1, false, true, 0, 0},     {2, true, false, 0, 270},   {5, false, true, 0, 270},
        {5, true, false, 0, 90},    {1, true, false, 30, 150},  {1, true, false, 200, 340},
        {4, true, false, -90, 90},  {2, true, false, -90, 0},   {3, true, false, 0, 0},
    };
    for (const Case& c : cases) {
        FlowPath p;
        p.dir = c.dir;
        if (c.ambient_n) p.zone_n = ZoneRef::ambient();
        if (c.ambient_m) p.zone_m = ZoneRef::ambient();
        const float a = default_wall_azimuth(p, c.north);
        EXPECT_EQ(a, c.azimuth) << int(c.dir) << " N " << c.north;
        EXPECT_GE(a, 0.0f);
        EXPECT_LT(a, 360.0f);
    }
}

TEST(PathSheet, WindOptionsSetTheirFlagModifierAndAzimuth)
{
    Sheets f;
    PathSheet s = f.sheet_at(kSouthWall);
    EXPECT_EQ(s.wind_option(), WindOption::None);
    s.set_wind_option(WindOption::Variable);
    EXPECT_EQ(s.path().wazm, 180.0f);
    EXPECT_EQ(s.path().wPmod, f.project().rc.wind_modifier_squared);
    EXPECT_TRUE(s.path().flags & kPathWindPressure);
    EXPECT_EQ(s.profile_text(), " <req'd>");
    EXPECT_FALSE(s.set_wall_azimuth(361));
    s.set_wind_option(WindOption::Constant);
    EXPECT_TRUE(s.constant_fields_enabled());
    EXPECT_FALSE(s.variable_fields_enabled());
    s.set_wind_option(WindOption::None);
    EXPECT_EQ(s.path().wPmod, 0.0f);
    EXPECT_FALSE(s.path().flags & kPathWindPressure);

    f.project().rc.wp = 1;  // pressures from a WPC file
    EXPECT_FALSE(s.wind_page_enabled());
    s.set_wind_option(WindOption::Constant);
    EXPECT_EQ(s.wind_option(), WindOption::None);
}

TEST(PathSheet, VariableWindTakesOneOfTheProjectsProfiles)
{
    Sheets f;
    for (const char* name : {"wall", "corner"}) {
        WindProfile p = new_wind_profile();
        p.name = name;
        p.desc = std::string(name) + " profile";
        f.project().wind_profiles.insert_copy(p);
    }
    PathSheet s = f.sheet_at(kSouthWall);
    s.set_wind_option(WindOption::Variable);
    const std::vector<WindProfile*> choices = s.profile_choices();
    ASSERT_EQ(choices.size(), 2u);
    EXPECT_EQ(choices[0]->name, "corner");
    EXPECT_FALSE(s.can_edit_profile());
    EXPECT_FALSE(s.leave_page(PathPage::WindPressure));

    s.choose_profile(choices[1]);
    EXPECT_EQ(s.profile_text(), "wall");
    EXPECT_EQ(s.profile_description(), "wall profile");
    EXPECT_TRUE(s.can_edit_profile());
    EXPECT_TRUE(s.leave_page(PathPage::WindPressure));
    s.set_wind_option(WindOption::Constant);
    EXPECT_EQ(s.path().wind_profile, nullptr);
    EXPECT_FALSE(s.can_edit_profile());
}

TEST(PathSheet, EditChangesTheRecordOnlyOnAccept)
{
    Sheets f;
    AirflowElement* orifice = f.element("orf", kPlrOrfc);
    FlowPath* p = f.project().paths.at(1);
    p->element = orifice;
    p->mult = 1;
    f.at(1, 6);
    f.project().mark_saved();
    auto change = [](PathSheet& s) { return s.set_multiplier(4); };
    EXPECT_EQ(edit_path(f.project(), f.grid(), f.chains, 1, [&](PathSheet& s) { return !change(s); }), 0);
    EXPECT_EQ(p->mult, 1.0f);
    EXPECT_FALSE(f.project().changed());
    EXPECT_EQ(edit_path(f.project(), f.grid(), f.chains, 1, change), 1);
    EXPECT_EQ(f.project().paths.at(1), p);
    EXPECT_EQ(p->mult, 4.0f);
    EXPECT_TRUE(f.project().changed());
}

TEST(PathSheet, SuperElementGetsOneHiddenPathPerSubElementEachTimeItIsAccepted)
{
    Sheets f;
    AirflowElement* a = f.element("a", kPlrOrfc);
    AirflowElement* b = f.element("b", kPlrLeak1);
    AirflowElement* super = f.element("sup", kSupAfe);
    std::get<SuperData>(super->data).subs = {{a, 0.5f, 1, 0}, {b, 1.0f, 0, 1}, {a, 2.0f, 0, 0}};
    f.undefined_icon(kSouthWall);
    ASSERT_EQ(create_path(f.project(), f.grid(), f.chains, [&](PathSheet& s) {
                  s.choose_element(super);
                  return true;
              }),
              1);
    const FlowPath* parent = f.project().paths.at(2);
    const std::vector<FlowPath*>& subs = f.chains.of(parent);
    ASSERT_EQ(subs.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(subs[i]->nr, 3 + i);
        EXPECT_EQ(subs[i]->relHt, parent->relHt + std::get<SuperData>(super->data).subs[i].relHt);
        EXPECT_EQ(subs[i]->zone_m, parent->zone_m);
    }
    EXPECT_EQ(subs[1]->element, b);
    for (int r = 0; r < f.grid().rows(); ++r)
        for (int c = 0; c < f.grid().cols(); ++c) EXPECT_LT(f.cells().Paths(r, c), 3);

    ASSERT_EQ(edit_path(f.project(), f.grid(), f.chains, 2, [](PathSheet&) { return true; }), 1);
    for (int n = 3; n <= 5; ++n) EXPECT_EQ(f.project().paths.at(n), nullptr) << n;
    ASSERT_EQ(f.chains.of(parent).size(), 3u);
    EXPECT_EQ(f.chains.of(parent)[0]->nr, 6);
    EXPECT_EQ(f.chains.of(parent)[2]->nr, 8);
}

TEST(PathSheet, DialogThatAcceptsItselfStoresThePathOnce)
{
    Sheets f;
    AirflowElement* orifice = f.element("orf", kPlrOrfc);
    f.undefined_icon(kSouthWall);
    int accepted = 0;
    EXPECT_EQ(create_path(f.project(), f.grid(), f.chains, [&](PathSheet& s) {
                  s.choose_element(orifice);
                  accepted += s.accept(f.chains) ? 1 : 0;
                  return s.accepted();
              }),
              1);
    EXPECT_EQ(accepted, 1);
    EXPECT_EQ(f.project().paths.count(), 2);
    EXPECT_EQ(f.cells().Paths(kSouthWall.row, kSouthWall.col), 2);
}

TEST(PathSheet, ChooserContextFollowsTheWallAtTheCell)
{
    Sheets f;
    const PathSheet on_wall = f.sheet_at(kSouthWall);
    EXPECT_EQ(on_wall.chooser_context().place, PathPlace::OnWall);
    EXPECT_FALSE(on_wall.chooser_context().project_has_elements);
    EXPECT_FALSE(on_wall.chooser_context().inside_super_dialog);
    f.element("orf", kPlrOrfc);
    const PathSheet in_room = f.sheet_at({2, 3});
    EXPECT_EQ(in_room.chooser_context().place, PathPlace::FromLevelBelow);
    EXPECT_TRUE(in_room.chooser_context().project_has_elements);
}

TEST(PathSheet, TypedValuesAreReadAsEveryFieldReadsThem)
{
    struct Case {
        const char* text;
        std::optional<double> value;
        std::string box;
    };
    for (const Case& c : {Case{" 2.5e1 ", 25.0, ""}, Case{"-0.125", -0.125, ""},
                          Case{"1,5", std::nullopt, " Not a valid number: \"1,5\"\n"},
                          Case{"", std::nullopt, " Not a valid number: \"\"\n"}}) {
        SCOPED_TRACE(c.text);
        testing::ScriptedPort port;
        EXPECT_EQ(read_typed_value(c.text), c.value);
        if (c.box.empty()) {
            EXPECT_TRUE(port.boxes.empty());
        } else {
            ASSERT_EQ(port.boxes.size(), 1u);
            EXPECT_EQ(port.boxes[0].text, c.box);
        }
    }
}

TEST(PathSheet, ConstantWindPressureSharesThePressureLimitUnit)
{
    Sheets f;
    PathSheet s = f.sheet_at(kSouthWall);
    s.set_wind_option(WindOption::Constant);
    s.set_pressure_unit(1);  // in. H2O
    s.set_pressure_unit(2);  // beyond the two units of the kind: ignored
    EXPECT_TRUE(s.set_wind_pressure(2));
    EXPECT_NEAR(s.path().wPset, 2 * 248.84, 0.5);
    EXPECT_NEAR(s.wind_pressure_shown(), 2.0, 1e-5);
    s.set_limits(PathLimits::Pressure);
    EXPECT_EQ(s.limit_unit(), 1);
}

TEST(PathSheet, DeletedFilterComesBackOnCancel)
{
    Sheets f;
    f.element("orf", kPlrOrfc);
    FlowPath* p = f.project().paths.at(1);
    p->element = f.project().elements.head();
    // Filters are only referred to here, never looked into.
    int storage = 0;
    Filter* filter = reinterpret_cast<Filter*>(&storage);
    p->filter = filter;
    f.at(1, 6);
    f.port.answers = {Answer::Yes};
    std::vector<std::string> buttons;
    EXPECT_EQ(edit_path(f.project(), f.grid(), f.chains, 1, [&](PathSheet& s) {
                  buttons.push_back(s.filter_button());
                  EXPECT_TRUE(s.delete_filter());
                  buttons.push_back(s.filter_button());
                  buttons.push_back(s.filter_name());
                  return false;
              }),
              0);
    EXPECT_EQ(buttons, (std::vector<std::string>{"Edit Filter", "New Filter", "<none>"}));
    EXPECT_EQ(f.port.questions, std::vector<std::string>{"Delete this filter?"});
    EXPECT_EQ(p->filter, filter);
}

TEST(PathSheet, AFilterMadeOnTheSheetIsStoredOnlyOnAccept)
{
    Sheets f;
    AirflowElement* orf = f.element("orf", kPlrOrfc);
    FilterElement e = new_filter_element(kFltPf0);
    e.name = "pf";
    e.data = ParticleFilterData{};
    FilterElement* pf = f.project().filter_elements.insert_copy(e);
    const auto sheet = [&](bool ok) {
        return [&, ok](PathSheet& s) {
            s.choose_element(orf);
            FilterForm form(s.working_filter(), f.project().filter_elements);
            EXPECT_EQ(form.number_text(), "1");
            form.choose_element(pf);
            EXPECT_TRUE(form.accept().accepted);
            s.store_filter(form.working());
            EXPECT_EQ(s.filter_name(), "pf");
            EXPECT_EQ(s.filter_button(), "Edit Filter");
            return ok;
        };
    };
    f.undefined_icon(kSouthWall);
    EXPECT_EQ(create_path(f.project(), f.grid(), f.chains, sheet(false)), 0);
    EXPECT_EQ(f.project().filters.head(), nullptr);

    f.undefined_icon(kSouthWall);
    EXPECT_EQ(create_path(f.project(), f.grid(), f.chains, sheet(true)), 1);
    const FlowPath* path = f.project().paths.at(f.cells().Paths(kSouthWall.row, kSouthWall.col));
    ASSERT_NE(path, nullptr);
    ASSERT_NE(path->filter, nullptr);
    EXPECT_EQ(path->filter, f.project().filters.head());
    EXPECT_EQ(path->filter->element, pf);
}

TEST(PathSheet, CfdChoicesFollowTheModeAndTheElement)
{
    Sheets f;
    PathSheet s = f.sheet_at(kSouthWall);
    EXPECT_FALSE(s.boundary_enabled());
    EXPECT_FALSE(s.pressure_type_enabled());
    f.project().rc.cfd = 1;
    s.choose_element(f.element("orf", kPlrOrfc));
    EXPECT_TRUE(s.boundary_enabled());
    s.set_boundary(kCfdBoundaryMassFlow);
    EXPECT_FALSE(s.pressure_type_enabled());
    s.set_boundary(kCfdBoundaryPressure);
    s.set_pressure_type(kCfdPressureStagnation);
    EXPECT_EQ(s.path().cfd_values[1], kCfdPressureStagnation);
    s.choose_element(f.element("cvf", kFanCvf));
    EXPECT_FALSE(s.boundary_enabled());
    f.project().rc.cfd = 2;
    s.show_cfd_page();
    EXPECT_EQ(s.path().cfd_values[0], kCfdBoundaryMassFlow);
}

}  // namespace
}  // namespace avelor
