#include "forms/zone_sheet.h"

#include <deque>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/species.h"
#include "sketchpad/zone_detection.h"
#include "support/edit_fixture.h"

namespace avelor {
namespace {

using testing::EditFixture;
using testing::Picture;

// Level 1: zones 1 and 2, and an undefined zone icon in the third room with
// flow path 1 in its east wall. Level 2: zone 3.
const Picture kLower = {
    "..........................",  //
    ".#####..#####..#####......",  //
    ".#.1.#..#.2.#..#.u.A......",  //
    ".#...#..#...#..#...#......",  //
    ".#####..#####..#####......",  //
    "..........................",  //
};
const Picture kUpper = {
    "..........................",  //
    ".#####....................",  //
    ".#.3.#....................",  //
    ".#...#....................",  //
    ".#####....................",  //
    "..........................",  //
};

struct SheetFixture : EditFixture {
    SheetFixture() { build({kLower, kUpper}); }
    ZoneSheet sheet(std::int32_t n) { return ZoneSheet::for_zone(project(), n); }
    // The message of the last box, without the box's own margins.
    std::string last_box() const
    {
        if (port.boxes.empty()) return {};
        const std::string& text = port.boxes.back().text;
        const std::size_t from = text.starts_with(' ') ? 1 : 0;
        const std::size_t to = text.ends_with('\n') ? text.size() - 1 : text.size();
        return text.substr(from, to - from);
    }
};

TEST(ZoneSheet, FieldsEnteredInAShownUnitAreStoredInBaseUnits)
{
    struct Case {
        ZoneField field;
        int unit;
        double typed;
        float Zone::*member;  // or null for the 1D data
        int axis_index;
        double stored;
    };
    const std::vector<Case> cases = {
        {ZoneField::Volume, 1, 100.0, &Zone::Vol, -1, 100.0 / 35.3146667},               // ft³
        {ZoneField::Volume, 5, 2500.0, &Zone::Vol, -1, 2.5},                             // L
        {ZoneField::FloorArea, 1, 100.0, &Zone::Vol, -1, 100.0 * 0.09290304 * 3.0},      // ft² on 3 m
        {ZoneField::Temperature, 2, 20.0, &Zone::T0, -1, 293.15},                        // °C
        {ZoneField::Temperature, 3, 68.0, &Zone::T0, -1, 293.15},                        // °F
        {ZoneField::Pressure, 2, 1.5, &Zone::P0, -1, 1500.0},                            // kPa
        {ZoneField::Point2Elevation, 1, 10.0, nullptr, 5, 3.048},                        // ft
        {ZoneField::CellSize, 2, 5.0, nullptr, 6, 0.05},                                 // cm
        {ZoneField::Dispersion, 2, 10.0, nullptr, 7, 0.001},                             // cm²/s
    };
    for (const Case& c : cases) {
        SheetFixture f;
        ZoneSheet s = f.sheet(1);
        s.set_variable_pressure(false);
        s.set_zone_type(ZoneType::OneDimensional);
        ASSERT_TRUE(s.set_unit(c.field, c.unit));
        ASSERT_TRUE(s.set(c.field, c.typed)) << f.last_box();
        const float stored = c.member ? s.copy().*c.member : s.copy().axis[static_cast<std::size_t>(c.axis_index)];
        EXPECT_NEAR(stored, c.stored, 1e-5 * std::max(1.0, std::abs(c.stored))) << static_cast<int>(c.field);
        EXPECT_EQ(s.unit(c.field), c.unit);
        // The stored record is untouched until the sheet is accepted.
        EXPECT_EQ(f.project().zones.at(1)->Vol, 0.0f);
    }
}

TEST(ZoneSheet, VolumeAndFloorAreaFollowTheLevelHeight)
{
    SheetFixture f;
    ZoneSheet s = f.sheet(1);
    ASSERT_TRUE(s.set(ZoneField::FloorArea, 20));
    EXPECT_FLOAT_EQ(s.copy().Vol, 60.0f);
    ASSERT_TRUE(s.set(ZoneField::Volume, 90));
    EXPECT_EQ(s.shown_text(ZoneField::FloorArea), " 30");  // "%3.5g"
    // The two unit boxes move together.
    ASSERT_TRUE(s.set_unit(ZoneField::FloorArea, 1));
    EXPECT_EQ(s.unit(ZoneField::Volume), 1);

    // Refusals keep the value and say why, in the field's unit.
    EXPECT_FALSE(s.set(ZoneField::Volume, -1));
    EXPECT_EQ(f.last_box(), "Value must not be less than 0 ft^3");
    EXPECT_FLOAT_EQ(s.copy().Vol, 90.0f);
    s.set_zone_type(ZoneType::OneDimensional);
    EXPECT_FALSE(s.set(ZoneField::CellSize, 0.00005));
    EXPECT_FLOAT_EQ(s.copy().axis[6], 0.1f);
}

TEST(ZoneSheet, LowLevelShowsNoFloorArea)
{
    SheetFixture f;
    f.project().current_level->delHt = 0.01f;
    f.project().zones.at(1)->Vol = 50;
    ZoneSheet s = f.sheet(1);
    EXPECT_EQ(f.last_box(), "Height of this level is < 0.01 and must be increased.");
    EXPECT_EQ(s.shown_text(ZoneField::FloorArea), "  0");
}

TEST(ZoneSheet, ZoneNamesFollowTheNameRulesAndAreUniquePerLevel)
{
    struct Case {
        std::string name;
        std::string refusal;  // empty: accepted
    };
    const std::vector<Case> cases = {
        {"", "Empty name not permitted"},
        {"A B", "Blanks not permitted in name"},
        {"A,B", "Commas not permitted in name"},
        {"!Zone", "Exclamation points not permitted in name"},
        {std::string(31, 'n'), ""},
        {std::string(32, 'n'), "Name is longer than 31 characters"},
        {"Z2", "The Zone Name must not match another on this level.\nYou can either enter a different name or CANCEL."},
        {"Z3", ""},  // zone 3 is on the other level
        {"Z1", ""},  // its own name
    };
    for (const Case& c : cases) {
        SheetFixture f;
        ZoneSheet s = f.sheet(1);
        s.set_name(c.name);
        const std::optional<ZoneSheetRefusal> r = s.select_page(ZonePage::ContaminantData);
        if (c.refusal.empty()) {
            EXPECT_FALSE(r) << c.name;
            EXPECT_EQ(s.page(), ZonePage::ContaminantData);
            EXPECT_EQ(s.copy().name, c.name);
            continue;
        }
        ASSERT_TRUE(r) << c.name;
        EXPECT_EQ(r->message, c.refusal);
        EXPECT_EQ(r->focus, ZoneField::Name);
        EXPECT_EQ(f.last_box(), c.refusal);
        EXPECT_EQ(s.page(), ZonePage::ZoneData);
        EXPECT_EQ(s.name_text(), "Z1");  // the stored name comes back
    }
}

TEST(ZoneSheet, NonTraceConcentrationsMustSumToOne)
{
    auto species = [](std::string name, std::int16_t t) {
        Species s = new_species();
        s.name = std::move(name);
        s.molwt = 28.958605f;
        s.t = t;
        update_species_units(s);
        return s;
    };
    struct Case {
        float first, second, water, trace;
        bool leaves;
    };
    const std::vector<Case> cases = {
        {0.7f, 0.2f, 0.0f, 0.0f, false},
        {0.7f, 0.295f, 0.0f, 0.0f, true},
        {0.7f, 0.3f, 0.5f, 0.5f, true},  // H2O and trace contaminants do not count
    };
    for (const Case& c : cases) {
        SheetFixture f;
        std::deque<Species> kept = {species("A", 1), species("B", 1), species("H2O", 1), species("T", 0)};
        for (Species& s : kept) f.project().Ctm.push_back(&s);
        ZoneSheet s = f.sheet(1);
        ASSERT_FALSE(s.select_page(ZonePage::ContaminantData));
        EXPECT_EQ(s.selected_contaminant(), 0);
        // The first one typed in g/kg.
        ASSERT_TRUE(s.set_unit(ZoneField::Concentration, 6));
        ASSERT_EQ(unit_display_name(s.concentration_kind_shown(), 6), "g/kg");
        ASSERT_TRUE(s.set(ZoneField::Concentration, c.first * 1000.0));
        const float values[] = {c.second, c.water, c.trace};
        for (int i = 1; i <= 3; ++i) {
            ASSERT_TRUE(s.select_contaminant(i));
            ASSERT_TRUE(s.set(ZoneField::Concentration, values[i - 1]));
        }
        EXPECT_NEAR(s.copy().CC0[0], c.first, 1e-6);
        const std::optional<ZoneSheetRefusal> r = s.select_page(ZonePage::DetailedZone);
        EXPECT_EQ(!r, c.leaves) << c.second;
        if (r) {
            EXPECT_EQ(r->message, "Concentrations of non-trace contaminants must sum to 1");
        }
    }
}

TEST(ZoneSheet, OnlyOneZoneMayBeTheCfdZoneCountedAfreshEachTime)
{
    SheetFixture f;
    // A flag set behind the sheets' back (as a file read sets it) counts.
    f.project().zones.at(1)->flags |= kZoneCfd;
    f.project().zones.at(1)->cfd_name = "room";
    EXPECT_EQ(count_cfd_zones(f.project()), 1);

    ZoneSheet other = f.sheet(2);
    EXPECT_FALSE(other.cfd_enabled());
    EXPECT_FALSE(other.set_zone_type(ZoneType::Cfd));
    EXPECT_EQ(other.zone_type(), ZoneType::Normal);

    ZoneSheet own = f.sheet(1);
    EXPECT_TRUE(own.cfd_enabled());
    EXPECT_EQ(own.zone_type(), ZoneType::Cfd);
    ASSERT_FALSE(own.select_page(ZonePage::DetailedZone));
    ASSERT_TRUE(own.set_zone_type(ZoneType::Normal));
    ASSERT_FALSE(own.accept());
    EXPECT_EQ(f.project().zones.at(1)->flags & kZoneCfd, 0);
    EXPECT_EQ(count_cfd_zones(f.project()), 0);
    EXPECT_TRUE(f.sheet(2).cfd_enabled());
}

TEST(ZoneSheet, CfdZoneIdChecks)
{
    struct Case {
        bool cfd;
        std::string id;
        std::string refusal;
    };
    const std::vector<Case> cases = {
        {false, "", ""},
        {true, "", "The CFD Zone ID cannot be blank for a CFD zone."},
        {true, "taken", "The CFD Zone ID given is already used by another zone."},
        {false, "bad id", "Blanks not permitted in name"},
        {true, std::string(16, 'c'), "Name is longer than 15 characters"},
        {true, "fresh", ""},
    };
    for (const Case& c : cases) {
        SheetFixture f;
        f.project().zones.at(3)->cfd_name = "taken";
        ZoneSheet s = f.sheet(1);
        ASSERT_FALSE(s.select_page(ZonePage::DetailedZone));
        if (c.cfd) {
            ASSERT_TRUE(s.set_zone_type(ZoneType::Cfd));
        }
        s.set_cfd_id(c.id);
        const std::optional<ZoneSheetRefusal> r = s.accept();
        if (c.refusal.empty()) {
            EXPECT_FALSE(r) << c.id;
            EXPECT_EQ(f.project().zones.at(1)->cfd_name, c.id);
            continue;
        }
        ASSERT_TRUE(r) << c.id;
        EXPECT_EQ(r->message, c.refusal);
        EXPECT_EQ(r->focus, ZoneField::CfdId);
        EXPECT_EQ(f.project().zones.at(1)->cfd_name, "");
        EXPECT_FALSE(f.project().changed());
    }
}

TEST(ZoneSheet, OneDimensionalOrientationSurvivesOtherTypes)
{
    SheetFixture f;
    f.project().zones.at(1)->axs = 3;
    f.project().zones.at(1)->axis[6] = 0;
    f.project().zones.at(1)->axis[7] = 0;
    ZoneSheet s = f.sheet(1);
    EXPECT_EQ(s.zone_type(), ZoneType::OneDimensional);
    ASSERT_TRUE(s.set_zone_type(ZoneType::Normal));
    EXPECT_EQ(s.copy().axs, -3);
    EXPECT_FALSE(s.one_d_enabled());
    EXPECT_FALSE(s.set(ZoneField::CellSize, 1));
    ASSERT_TRUE(s.set_zone_type(ZoneType::OneDimensional));
    EXPECT_EQ(s.copy().axs, 3);
    EXPECT_FLOAT_EQ(s.copy().axis[6], 0.1f);
    EXPECT_FLOAT_EQ(s.copy().axis[7], 0.1f);

    // An oblique axis is only a warning.
    ASSERT_FALSE(s.select_page(ZonePage::DetailedZone));
    ASSERT_TRUE(s.set(ZoneField::Point2X, 4));
    ASSERT_TRUE(s.set(ZoneField::Point2Elevation, 2));
    EXPECT_FALSE(s.select_page(ZonePage::Schedule));
    EXPECT_EQ(f.last_box(), "The axis should be horizontal or vertical.");
}

TEST(ZoneSheet, KineticReactionIsChosenFromTheProjectsList)
{
    SheetFixture f;
    for (const char* name : {"slow", "fast"}) {
        KineticReaction reaction;
        reaction.name = name;
        f.project().reactions.insert_copy(reaction);
    }
    ZoneSheet s = f.sheet(1);
    EXPECT_EQ(s.reaction_choices(), (std::vector<std::string>{" <none>", "fast", "slow"}));
    EXPECT_EQ(s.reaction_choice(), 0);
    EXPECT_FALSE(s.choose_reaction(3));
    ASSERT_TRUE(s.choose_reaction(2));
    ASSERT_FALSE(s.accept());
    ASSERT_NE(f.project().zones.at(1)->reaction, nullptr);
    EXPECT_EQ(f.project().zones.at(1)->reaction->name, "slow");
    EXPECT_EQ(f.sheet(1).reaction_choice(), 2);
}

TEST(SchedulePage, ValuesFileControlAndStatus)
{
    SheetFixture f;
    ZoneSheet plain = f.sheet(1);
    SchedulePage& p = plain.schedule();
    EXPECT_EQ(p.schedule_choices(), std::vector<std::string>{" <none>"});
    EXPECT_FALSE(p.dvf_enabled());
    EXPECT_FALSE(p.set_control_kind(2));
    EXPECT_EQ(p.control_status(), "Not controlled");

    f.project().rc.discrete_values_file = "plant.dvf";
    f.project().zones.at(1)->cdvf = {2, "gone"};
    // A file that could not be read tells nothing against the stored name.
    EXPECT_EQ(f.sheet(1).schedule().cdvf.name, "gone");
    // The loaded file lacks it: the name is cleared, not replaced by the
    // first column, and the page asks for one.
    f.project().dvf_values.names = {"fan", "door"};
    ZoneSheet s = f.sheet(1);
    SchedulePage& page = s.schedule();
    EXPECT_TRUE(page.dvf_enabled());
    EXPECT_FALSE(page.cvf_enabled());
    EXPECT_EQ(page.cdvf.name, "");
    EXPECT_EQ(page.control_status(), "Controlled directly by DVF");
    ASSERT_FALSE(s.select_page(ZonePage::Schedule));
    std::optional<ZoneSheetRefusal> r = s.accept();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->message, "A column must be selected from the cvf/dvf file.");
    EXPECT_EQ(r->severity, ERROR);
    EXPECT_EQ(r->focus, ZoneField::ControlColumn);

    EXPECT_EQ(page.column_choices(), (std::vector<std::string>{"fan", "door"}));
    ASSERT_TRUE(page.set_control_kind(0));
    ASSERT_TRUE(page.set_control_kind(2));
    EXPECT_EQ(page.cdvf.name, "fan");  // the first column
    EXPECT_TRUE(page.choose_column("door"));
    EXPECT_FALSE(page.choose_column("window"));
    page.network_control = true;
    EXPECT_EQ(page.control_status(), "Controlled via the control network");
    ASSERT_FALSE(s.accept());
    EXPECT_EQ(f.project().zones.at(1)->cdvf, (ControlValuesLink{2, "door"}));
}

TEST(ZoneSheet, CreateZoneAddsTheRecordAndNumbersItsRegion)
{
    for (bool ok : {false, true}) {
        SheetFixture f;
        f.at(2, 17);
        ASSERT_EQ(f.cells().Paths(2, 17), ZONE_UNDEFINED);
        f.project().paths.at(1)->dir = initial_path_dir(f.grid(), 2, 19);
        f.project().rc.showGeom = 1;  // the volume comes from the drawing
        f.project().rc.scale = 1;
        const std::int32_t before = f.project().zones.count();
        const int result = create_zone(f.project(), f.grid(), [&](ZoneSheet& s) {
            EXPECT_TRUE(s.creating());
            EXPECT_EQ(s.level_name(), "L1");
            EXPECT_FLOAT_EQ(s.copy().Vol, 12.0f * 3.0f);  // 3 x 2 cells inside, up to mid-wall
            s.set_name("Office");
            EXPECT_TRUE(s.set(ZoneField::Temperature, 27));  // °C, the default unit
            return ok && !s.accept();
        });
        if (!ok) {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(f.project().zones.count(), before);
            EXPECT_EQ(f.cells().Paths(2, 17), ZONE_UNDEFINED);
            EXPECT_EQ(f.cells().Zones(3, 18), ZONE_UNDEFINED);
            EXPECT_FALSE(f.project().changed());
            continue;
        }
        EXPECT_EQ(result, 1);
        const std::int32_t n = before + 1;
        ASSERT_EQ(f.project().zones.count(), n);
        const Zone& z = *f.project().zones.at(n);
        EXPECT_EQ(z.name, "Office");
        EXPECT_FLOAT_EQ(z.T0, 300.15f);
        EXPECT_EQ(z.level, f.levels[0]);
        EXPECT_EQ(f.cells().Paths(2, 17), n);
        EXPECT_EQ(f.cells().Zones(3, 18), n);
        // The path in its wall now joins the new zone.
        const FlowPath& path = *f.project().paths.at(1);
        EXPECT_TRUE(path.zone_n.zone() == &z || path.zone_m.zone() == &z);
        EXPECT_TRUE(f.project().changed());
    }
}

TEST(ZoneSheet, EditZoneChangesTheRecordOnlyWhenAccepted)
{
    for (bool ok : {false, true}) {
        SheetFixture f;
        const int result = edit_zone(f.project(), 2, [&](ZoneSheet& s) {
            EXPECT_TRUE(s.set_unit(ZoneField::Temperature, 3));
            EXPECT_TRUE(s.set(ZoneField::Temperature, 77));  // °F
            s.toggle_building_volume();
            EXPECT_TRUE(s.set_colour(5));
            return ok;  // OK without calling accept: the entry point accepts
        });
        const Zone& z = *f.project().zones.at(2);
        EXPECT_EQ(result, ok ? 1 : 0);
        EXPECT_EQ(f.project().changed(), ok);
        EXPECT_FLOAT_EQ(z.T0, ok ? 298.15f : 293.15f);
        EXPECT_EQ(z.u[kZoneUnitTemperature], ok ? 3 : 2);
        EXPECT_EQ(z.flags & kZoneNotInBuildingVolume, ok ? kZoneNotInBuildingVolume : 0);
        EXPECT_EQ(z.clr, ok ? 5 : -1);
        EXPECT_EQ(z.nr, 2);
    }
    SheetFixture f;
    EXPECT_EQ(edit_zone(f.project(), 9, [](ZoneSheet&) { return true; }), 0);
}

TEST(ZoneSheet, SheetOpensBesideTheCellAndStaysOnTheMonitor)
{
    const ScreenRect monitor{0, 0, 1000, 800};
    const ScreenRect work{0, 0, 1000, 760};  // a task bar at the bottom
    struct Case {
        const char* name;
        ScreenRect cell;
        ScreenPoint expected;
    };
    // A 300 x 400 sheet.
    for (const Case& c : {Case{"right of the cell", {100, 50, 10, 10}, {110, 50}},
                          Case{"left when the right is too narrow", {800, 50, 10, 10}, {500, 50}},
                          Case{"raised above the work area's bottom margin", {100, 500, 10, 10}, {110, 292}}}) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(sheet_position(c.cell, 300, 400, monitor, work), c.expected);
    }
    EXPECT_EQ(sheet_position({100, 10, 10, 10}, 300, 900, monitor, work), (ScreenPoint{110, 0}));
}

}  // namespace
}  // namespace avelor
