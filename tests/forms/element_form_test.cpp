#include "forms/element_form.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <variant>
#include <vector>

#include "model/project.h"
#include "support/scripted_port.h"

namespace avelor {
namespace {

using testing::ScriptedPort;

AirflowElement fresh(int type)
{
    NewElementState state;
    return new_airflow_element(type, NewElementContext{}, state);
}

std::size_t row_named(const ElementForm& form, std::string_view key)
{
    auto i = form.row_of(key);
    EXPECT_TRUE(i.has_value()) << key;
    return i.value_or(0);
}

std::string typed(double base, UnitKind kind, int unit)
{
    return format_number(convert_units(static_cast<float>(base), true, kind, unit), 0, 9);
}

// Every editable value of the type's parameter table has a row, and a value
// typed into that row (inside its bounds, in the row's unit) lands in that
// very member of the record.
template <class D>
void check_binding(ElementForm& form, int type)
{
    for (const ParamField<D>& f : param_fields<D>(type)) {
        const std::string key(f.name);
        if (is_leakage_type(type) && key.starts_with("area") && key != (type == kPlrLeak1   ? "area1"
                                                                        : type == kPlrLeak2 ? "area2"
                                                                                            : "area3"))
            continue;  // only the area of the chosen button is shown
        SCOPED_TRACE(key);
        const auto i = form.row_of(key);
        ASSERT_TRUE(i.has_value());
        EXPECT_TRUE(form.row(*i).editable);
        EXPECT_EQ(form.selector(*i) != nullptr, f.unit != nullptr);
        const D& d = std::get<D>(form.working().data);
        const bool has_low = f.low_of || f.low != NO_LIMIT;
        const bool has_high = f.high_of || f.high != NO_LIMIT;
        const double low = f.low_of ? f.low_of(d) : f.low;
        const double high = f.high_of ? f.high_of(d) : f.high;
        const double target = has_low && has_high ? (low + high) / 2 : has_low ? low + 1.5 : 2.5;
        const int unit = form.field(*i).unit();
        ASSERT_TRUE(form.leave_field(*i, typed(target, f.kind, unit)));
        EXPECT_NEAR(std::get<D>(form.working().data).*(f.value), target, 1e-5 * target);
    }
}

TEST(ElementForm, EveryTypeBindsItsRowsToTheRecord)
{
    ScriptedPort port;
    for (int type = 0; type <= kFanFan; ++type) {
        SCOPED_TRACE(element_keyword(type));
        ElementForm form(fresh(type));
        EXPECT_EQ(form.caption(), element_caption(type));
        EXPECT_GT(form.row_count(), 0u);
        std::visit([&](auto& d) { check_binding<std::decay_t<decltype(d)>>(form, type); },
                   const_cast<ElementData&>(form.working().data));
    }
    EXPECT_TRUE(port.boxes.empty());
}

TEST(ElementForm, FixedAndDerivedValuesAreShownNotEdited)
{
    ScriptedPort port;
    struct Case {
        int type;
        const char* key;
        ElementRowKind kind;
    };
    const Case cases[] = {
        {kPlrConn, "expt", ElementRowKind::Plain},     {kPlrStair, "expt", ElementRowKind::Plain},
        {kDorDoor, "expt", ElementRowKind::Plain},     {kPlrTest2, "expt", ElementRowKind::Derived},
        {kPlrShaft, "expt", ElementRowKind::Derived},  {kDorPl2, "hmid", ElementRowKind::Derived},
        {kQfrCrack, "a", ElementRowKind::Derived},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(element_keyword(c.type));
        ElementForm form(fresh(c.type));
        const std::size_t i = row_named(form, c.key);
        EXPECT_EQ(form.row(i).kind, c.kind);
        EXPECT_FALSE(form.row(i).editable);
        const float before = form.field(i).value();
        EXPECT_FALSE(form.leave_field(i, "0.7"));
        EXPECT_EQ(form.field(i).value(), before);
    }
}

TEST(ElementForm, TwoOpeningMidpointIsShownInTheHeightUnit)
{
    ScriptedPort port;
    ElementForm form(fresh(kDorPl2));
    ASSERT_TRUE(form.select_unit(row_named(form, "ht"), 1));  // ft
    EXPECT_EQ(form.field(row_named(form, "hmid")).unit(), 1);
    form.set_name("pl2");
    Project project;
    ASSERT_TRUE(form.accept(project, nullptr));
    const float h = std::get<TwoOpeningData>(form.working().data).hmid;
    EXPECT_NEAR(h, 2 * 2 / 9.0, 1e-6);
    EXPECT_EQ(form.field(row_named(form, "hmid")).shown_text(), format_number(h / 0.3048, 6));
}

TEST(ElementForm, OrificeAreaAndDiameterFollowEachOtherWithTheirUnits)
{
    ScriptedPort port;
    ElementForm form(fresh(kPlrOrfc));
    const std::size_t area = row_named(form, "area");
    const std::size_t dia = row_named(form, "dia");
    ASSERT_TRUE(form.leave_field(dia, "0.2"));
    EXPECT_NEAR(form.field(area).value(), 0.0314159, 1e-7);
    EXPECT_EQ(form.field(area).shown_text(), format_number(form.field(area).value(), 6));

    // Choosing cm for the diameter puts the area in cm2.
    ASSERT_TRUE(form.select_unit(dia, 2));
    const auto& d = std::get<OrificeData>(form.working().data);
    EXPECT_EQ(d.u_A, 2);
    EXPECT_EQ(d.u_D, 2);
    EXPECT_EQ(form.selector(area)->selected(), 2);
    EXPECT_EQ(form.field(area).unit(), 2);

    ASSERT_TRUE(form.leave_field(area, "100"));  // cm2
    EXPECT_NEAR(d.area, 0.01, 1e-9);
    EXPECT_NEAR(d.dia, std::sqrt(4 * 0.01 / 3.1415927), 1e-6);
    EXPECT_EQ(form.field(dia).shown_text(), format_number(d.dia * 100, 6));
}

TEST(ElementForm, LeakageButtonsMoveTheAreaAndRebindItsRow)
{
    ScriptedPort port;
    ElementForm form(fresh(kPlrLeak1));
    std::size_t area = row_named(form, "area1");
    ASSERT_TRUE(form.leave_field(area, "100"));  // cm2
    form.choose_leakage(kPlrLeak2);
    EXPECT_EQ(form.type(), kPlrLeak2);
    area = row_named(form, "area2");
    EXPECT_FALSE(form.row_of("area1").has_value());
    EXPECT_EQ(form.field(area).kind(), UnitKind::PerUnitLength);
    EXPECT_EQ(form.selector(area)->kind(), UnitKind::PerUnitLength);
    const auto& d = std::get<LeakageData>(form.working().data);
    EXPECT_EQ(d.area1, 0.0f);
    EXPECT_NEAR(d.area2, 0.01, 1e-9);  // 100 cm2/m

    // The row now edits the per-length area.
    ASSERT_TRUE(form.leave_field(area, "50"));
    EXPECT_NEAR(d.area2, 0.005, 1e-9);

    // OK with every area 0 is refused.
    ASSERT_TRUE(form.leave_field(area, "0"));
    form.set_name("leak");
    Project project;
    const ElementVerdict verdict = form.accept(project, nullptr);
    EXPECT_FALSE(verdict);
    EXPECT_EQ(verdict.text, "Leakage area must be greater than 0.");
    EXPECT_TRUE(project.elements.count() == 0);
}

TEST(ElementForm, OutOfBoundEntriesAreRefusedAndTheValueKept)
{
    struct Case {
        int type;
        const char* key;
        const char* text;
        const char* box;
    };
    const Case cases[] = {
        {kPlrOrfc, "coef", "1.5", " Value must not be greater than 1 \n"},
        {kPlrOrfc, "area", "0", " Value must not be less than 1e-06 m^2\n"},
        {kPlrStair, "peo", "4", " Value must not be greater than 3 \n"},
        // 0.5 sqrt(6 m2) = 1.22474 m
        {kPlrShaft, "rough", "2", " Value must not be greater than 1.22474 m\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ScriptedPort port;
        ElementForm form(fresh(c.type));
        const std::size_t i = row_named(form, c.key);
        const float before = form.field(i).value();
        EXPECT_FALSE(form.leave_field(i, c.text));
        EXPECT_EQ(form.field(i).value(), before);
        ASSERT_EQ(port.boxes.size(), 1u);
        EXPECT_EQ(port.boxes[0].caption, "WARNING");
        EXPECT_EQ(port.boxes[0].text, c.box);
    }
}

TEST(ElementForm, ShaftRoughnessBoundFollowsTheArea)
{
    ScriptedPort port;
    ElementForm form(fresh(kPlrShaft));
    const std::size_t rough = row_named(form, "rough");
    EXPECT_FALSE(form.leave_field(rough, "2"));
    ASSERT_TRUE(form.leave_field(row_named(form, "area"), "24"));  // 0.5 sqrt(24) = 2.449
    EXPECT_TRUE(form.leave_field(rough, "2"));
    EXPECT_FLOAT_EQ(std::get<ShaftData>(form.working().data).rough, 2.0f);
}

TEST(ElementForm, CountsAndCheckBoxes)
{
    ScriptedPort port;
    ElementForm crack(fresh(kQfrCrack));
    const std::size_t bends = row_named(crack, "nB");
    EXPECT_EQ(crack.row(bends).kind, ElementRowKind::Integer);
    EXPECT_FALSE(crack.leave_integer(bends, "-1"));
    EXPECT_EQ(crack.integer_text(bends), "2");
    EXPECT_TRUE(crack.leave_integer(bends, "3"));
    EXPECT_EQ(std::get<QuadCrackData>(crack.working().data).nB, 3);
    EXPECT_EQ(port.boxes.size(), 1u);

    ElementForm stair(fresh(kPlrStair));
    const std::size_t treads = row_named(stair, "tread");
    EXPECT_FALSE(stair.checked(treads));
    stair.set_checked(treads, true);
    EXPECT_EQ(std::get<StairData>(stair.working().data).tread, 1);
}

TEST(ElementForm, IconRadioButtonsUseTheTypesCodes)
{
    struct Case {
        int type;
        std::uint8_t small, large;
    };
    const Case cases[] = {{kPlrOrfc, 23, 25}, {kFanFan, 23, 25}, {kDorDoor, 24, 27}, {kDorPl2, 24, 27}};
    for (const Case& c : cases) {
        ElementForm form(fresh(c.type));
        EXPECT_EQ(form.small_icon(), c.small);
        EXPECT_EQ(form.large_icon(), c.large);
        form.choose_large_icon(true);
        EXPECT_EQ(form.working().icon, c.large);
        EXPECT_TRUE(form.large_icon_chosen());
        form.choose_large_icon(false);
        EXPECT_EQ(form.working().icon, c.small);
    }
}

std::vector<std::string> names(const Project& project)
{
    std::vector<std::string> out;
    for (const AirflowElement& e : project.elements) out.push_back(e.name);
    return out;
}

TEST(ElementForm, AcceptAddsInNameOrderReplacesOnEditAndAppliesTheNameRules)
{
    ScriptedPort port;
    Project project;
    for (const char* name : {"orf_b", "orf_a"}) {
        ElementForm form(fresh(kPlrOrfc));
        form.set_name(name);
        form.choose_large_icon(true);
        ASSERT_TRUE(form.accept(project, nullptr));
        EXPECT_EQ(form.stored(), project.elements.find_by_name(name));
    }
    EXPECT_EQ(names(project), (std::vector<std::string>{"orf_a", "orf_b"}));
    EXPECT_EQ(project.elements.find_by_name("orf_a")->icon, kIconLargeOpening);
    EXPECT_GT(std::get<OrificeData>(project.elements.find_by_name("orf_a")->data).turb, 0.0f);

    struct Case {
        const char* name;
        const char* box;
    };
    const Case refusals[] = {
        {"Door 1", " Blanks not permitted in name\n"},
        {"orf_a", " May not use existing name\n"},
        {"abcdefghijklmnop", " Name is longer than 15 characters\n"},
    };
    AirflowElement* stored = project.elements.find_by_name("orf_b");
    for (const Case& c : refusals) {
        SCOPED_TRACE(c.name);
        port.boxes.clear();
        ElementForm form(*stored);
        form.set_name(c.name);
        const ElementVerdict verdict = form.accept(project, stored);
        EXPECT_FALSE(verdict);
        EXPECT_EQ(verdict.field, "name");
        ASSERT_EQ(port.boxes.size(), 1u);
        EXPECT_EQ(port.boxes[0].text, c.box);
        EXPECT_EQ(form.stored(), nullptr);
    }
    EXPECT_EQ(names(project), (std::vector<std::string>{"orf_a", "orf_b"}));

    // Editing renames in place: the list keeps its size and its order.
    ElementForm form(*stored);
    form.set_name("orf_0");
    form.set_description(std::string(80, 'x'));
    ASSERT_TRUE(form.leave_field(row_named(form, "dia"), "0.2"));
    ASSERT_TRUE(form.accept(project, stored));
    EXPECT_EQ(names(project), (std::vector<std::string>{"orf_0", "orf_a"}));
    const AirflowElement* edited = project.elements.find_by_name("orf_0");
    EXPECT_EQ(edited->desc.size(), 70u);
    EXPECT_NEAR(std::get<OrificeData>(edited->data).area, 0.0314159, 1e-7);
}

TEST(ElementForm, FanDataUnitsFollowTheProjectOrThePoints)
{
    NewElementContext ip;
    ip.ip_units = true;
    ip.uf = 1;
    ElementForm fresh_fan(fresh(kFanFan), ip);
    EXPECT_TRUE(fresh_fan.has_fan_data());
    EXPECT_EQ(fresh_fan.fan_flow_unit(), 1);
    EXPECT_EQ(fresh_fan.fan_pressure_unit(), 1);

    AirflowElement fan = fresh(kFanFan);
    std::get<FanData>(fan.data).points.push_back({0.1f, 5, 10, 0, 10, 0});
    ElementForm with_points(fan, ip);
    EXPECT_EQ(with_points.fan_flow_unit(), 5);
    EXPECT_EQ(with_points.fan_pressure_unit(), 0);
}

TEST(ElementForm, ParameterLinesShowWhatTheDialogShowsInTheStoredUnits)
{
    AirflowElement orifice = fresh(kPlrOrfc);
    std::get<OrificeData>(orifice.data).u_A = 1;  // not the base unit
    const std::vector<std::string> lines = element_parameter_lines(orifice);
    ElementForm form(orifice);
    ASSERT_EQ(lines.size(), form.row_count());
    const std::size_t area = row_named(form, "area");
    std::string shown = form.field(area).shown_text();
    shown.erase(0, shown.find_first_not_of(' '));
    EXPECT_EQ(lines[area], form.row(area).label + " " + shown + " " + form.selector(area)->label());
    EXPECT_NE(form.selector(area)->label(), unit_display_name(UnitKind::Area, 0));

    AirflowElement stair = fresh(kPlrStair);
    const std::vector<std::string> stair_lines = element_parameter_lines(stair);
    EXPECT_EQ(stair_lines.back(), "Open Treads No");

    AirflowElement spline = fresh(kCsfFsp);
    std::get<SplineData>(spline.data).x = {1, 2, 3, 4};
    std::get<SplineData>(spline.data).y = {1, 2, 3, 4};
    EXPECT_EQ(element_parameter_lines(spline), (std::vector<std::string>{"Data points: 4"}));
}

}  // namespace
}  // namespace avelor
