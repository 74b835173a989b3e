#include "forms/filter_element_form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "forms/filter_data_forms.h"
#include "forms/filter_form.h"
#include "model/project.h"
#include "support/scripted_port.h"
#include "support/species_fixtures.h"

namespace avelor {
namespace {

using testing::ScriptedPort;

struct FilterForms : ::testing::Test {
    FilterElement* element(const std::string& name, int type, FilterData data)
    {
        FilterElement e = new_filter_element(type);
        e.name = name;
        e.data = std::move(data);
        return project.filter_elements.insert_copy(e);
    }
    FilterElement* super_of(const std::string& name, std::vector<FilterElement*> subs)
    {
        return element(name, kFltSpf, SuperFilterData{std::move(subs)});
    }
    std::string last_box() const { return port.boxes.empty() ? std::string() : port.boxes.back().text; }

    ScriptedPort port;
    Project project;
};

TEST_F(FilterForms, ChooserFollowsTheSpeciesAndElements)
{
    FilterChooser chooser;
    using Enabled = std::array<bool, kFilterTypeCount>;
    // No species, no elements: particle and UVGI only, particle chosen.
    Enabled on = chooser.enabled(project.filter_elements, project.species, false);
    EXPECT_EQ(on, (Enabled{false, true, false, true, false}));
    EXPECT_EQ(chooser.preselection(on), kFltPf0);
    // A particle species only: no gaseous type.
    Species* dust = testing::add_species(project, "dust", 1, 0);
    dust->mdiam = 1e-6f;
    element("pf", kFltPf0, ParticleFilterData{});
    on = chooser.enabled(project.filter_elements, project.species, false);
    EXPECT_EQ(on, (Enabled{true, true, false, true, true}));
    EXPECT_EQ(chooser.preselection(on), kFltCef);
    // A gaseous species; from inside the super dialog no super element, and
    // a super choice falls back to the first button.
    testing::add_species(project, "voc", 0, 0);
    chooser.last_choice = kFltSpf;
    on = chooser.enabled(project.filter_elements, project.species, true);
    EXPECT_EQ(on, (Enabled{true, true, true, true, false}));
    EXPECT_EQ(chooser.preselection(on), kFltCef);
}

TEST_F(FilterForms, ElementMassAndCoupledUnits)
{
    FilterElementForm form(new_filter_element(kFltPf0));
    EXPECT_EQ(form.caption(), "Filter Element: Simple Particle");
    EXPECT_EQ(form.mass_text(), "    10");
    EXPECT_EQ(form.mass_unit(), "kg");
    form.select_density_unit(1);  // lb/ft3
    EXPECT_EQ(form.mass_unit(), "lb");
    EXPECT_EQ(form.mass_text(), "22.0462");
    form.select_length_unit(1);  // ft2 and ft
    EXPECT_EQ(form.working().u_length, 1);
    EXPECT_EQ(form.area_unit().selected(), 1);
    EXPECT_EQ(form.depth_unit().selected(), 1);
    EXPECT_EQ(form.depth().unit(), 1);
    EXPECT_EQ(filter_caption(7), "UNKNOWN Filter Type");
}

TEST_F(FilterForms, ElementRefusals)
{
    struct Case {
        const char* what;
        std::string name;
        bool data;
        std::string text;
    } cases[] = {
        {"bad name", "two words", true, ""},
        {"used name", "taken", true, "May not use existing name"},
        {"no data", "fresh", false, "Filter element must have data defined."},
    };
    element("taken", kFltCef, ConstantEfficiencyData{});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        port.boxes.clear();
        FilterElementForm form(new_filter_element(kFltPf0));
        form.set_name(c.name);
        if (c.data) form.set_data(form.data_copy());
        const FilterElementAnswer answer = form.accept(project, nullptr);
        EXPECT_FALSE(answer.accepted);
        ASSERT_EQ(port.boxes.size(), 1u);
        if (!c.text.empty()) {
            EXPECT_EQ(answer.text, c.text);
        }
    }
}

TEST_F(FilterForms, SizeBoundsRefuseAndKeepTheValue)
{
    FilterElementForm form(new_filter_element(kFltCef));
    EXPECT_FALSE(form.leave_area("0.0005"));
    EXPECT_FALSE(form.leave_depth("0"));
    EXPECT_FALSE(form.leave_density("0.001"));
    EXPECT_EQ(port.boxes.size(), 3u);
    EXPECT_TRUE(form.leave_area("2"));
    EXPECT_EQ(form.mass_text(), "    20");
}

TEST_F(FilterForms, ConstantEfficiencyListRunsInDescendingNameOrder)
{
    testing::add_species(project, "A", 0, 0);
    testing::add_species(project, "B", 0, 0);
    testing::add_species(project, "C", 0, 0);
    ConstantEfficiencyForm form(ConstantEfficiencyData{}, project.species);
    EXPECT_FALSE(form.accept().accepted);
    EXPECT_EQ(last_box().find("No filtered species.\nEither Cancel or define a filtered species."), 1u);
    for (int s : {0, 2, 1}) {
        form.choose_species(s);
        ASSERT_TRUE(form.leave_efficiency("0.5"));
        EXPECT_TRUE(form.can_add());
        form.add();
        EXPECT_FALSE(form.can_add());
    }
    EXPECT_EQ(form.lines(), (std::vector<std::string>{"               C         0.5", "               B         0.5",
                                                      "               A         0.5"}));
    // Replace is for the selected entry's species only.
    form.select(0);
    EXPECT_EQ(form.species_index(), 2);
    EXPECT_TRUE(form.can_replace());
    form.choose_species(0);
    EXPECT_FALSE(form.can_replace());
    form.choose_species(2);
    ASSERT_TRUE(form.leave_efficiency("0.9"));
    form.replace();
    EXPECT_FLOAT_EQ(form.data().efficiency[0], 0.9f);
    EXPECT_FALSE(form.leave_efficiency("1.5"));
    form.remove();
    EXPECT_EQ(form.data().species.size(), 2u);
    EXPECT_TRUE(form.accept().accepted);
}

// Sizes in um, efficiencies.
ParticleFilterData particle(std::vector<float> um, std::vector<float> eff)
{
    ParticleFilterData d;
    for (float s : um) d.size.push_back(s * 1e-6f);
    d.efficiency = std::move(eff);
    return d;
}

TEST_F(FilterForms, ParticleCurveAcceptance)
{
    struct Case {
        const char* what;
        ParticleFilterData data;
        bool accepted;
        int severity;
    } cases[] = {
        {"two points", particle({1, 10}, {0.5f, 0.5f}), false, WARNING},
        {"flat ends", particle({0.1f, 1, 10, 100}, {0.2f, 0.2f, 0.9f, 0.9f}), true, 0},
        {"rising first end", particle({0.1f, 1, 10, 100}, {0.1f, 0.2f, 0.9f, 0.9f}), false, ERROR},
        // Three points make two straight end segments: both must be flat.
        {"three, flat", particle({0.1f, 1, 10}, {0.5f, 0.5f, 0.5f}), true, 0},
        {"three, flat last only", particle({0.1f, 1, 10}, {0.1f, 0.5f, 0.5f}), false, ERROR},
        {"three, rising last", particle({0.1f, 1, 10}, {0.5f, 0.5f, 0.9f}), false, ERROR},
        {"above one", particle({0.1f, 1, 10, 100}, {0.5f, 0.5f, 1.0f, 1.0f}), true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        port.boxes.clear();
        ParticleFilterForm form(c.data, "pf");
        const FilterDataAnswer answer = form.accept();
        EXPECT_EQ(answer.accepted, c.accepted);
        if (c.accepted) continue;
        ASSERT_EQ(port.boxes.size(), 1u);
        if (c.severity == WARNING) {
            EXPECT_EQ(answer.text, kTooFewParticlePointsMessage);
        } else {
            EXPECT_EQ(answer.text.rfind("Unacceptable curve fit.\n  seg ", 0), 0u);
        }
    }
}

TEST_F(FilterForms, ManyFailedSegmentsStopBeforeTheBoxIsFull)
{
    std::vector<float> um, eff;
    for (int i = 0; i < 100; ++i) {
        um.push_back(0.01f * static_cast<float>(i + 1));
        eff.push_back(0.5f * static_cast<float>(i % 3));  // a saw: 0, 0.5, 1
    }
    ParticleFilterForm form(particle(um, eff), "zigzag");
    const FilterDataAnswer answer = form.accept();
    ASSERT_FALSE(answer.accepted);
    EXPECT_LT(answer.text.size(), 256u);
    EXPECT_GT(answer.text.size(), 200u);
}

TEST_F(FilterForms, PointEditingReplacesNearlyEqualSizesAndSorts)
{
    ParticleFilterForm form(ParticleFilterData{}, "pf");
    EXPECT_EQ(form.size_unit().selected(), 6);  // um
    const auto add = [&](const char* size, const char* eff) {
        EXPECT_TRUE(form.leave_size(size));
        EXPECT_TRUE(form.leave_efficiency(eff));
        return form.add();
    };
    EXPECT_EQ(add("10", "0.9"), 0);
    EXPECT_EQ(add("1", "0.2"), 0);
    EXPECT_EQ(add("10.000001", "0.95"), 1);  // within 1e-6: replaces
    EXPECT_EQ(add("5", "0.5"), 1);
    EXPECT_EQ(form.point_count(), 3u);
    EXPECT_FLOAT_EQ(form.data().efficiency[2], 0.95f);
    EXPECT_EQ(form.lines()[0], " 1.000e+00                          0.200");
    EXPECT_FALSE(form.can_delete());
    EXPECT_FALSE(form.leave_size("20000"));  // 2 cm: beyond 1 cm
    form.select_size_unit(0);  // m
    EXPECT_EQ(form.lines()[0], " 1.000e-06                          0.200");
    EXPECT_EQ(form.x_axis_title(), "Particle Mean Diameter [m]");
    const CurveRun curve = form.chart_curve();
    ASSERT_EQ(curve.size(), 1001u);
    EXPECT_NEAR(curve.x.front(), 1e-7, 1e-12);
    EXPECT_NEAR(curve.x.back(), 1e-4, 1e-9);
}

GaseousCurve gaseous(Species* s, std::vector<float> loading, std::vector<float> eff)
{
    return GaseousCurve{s, 0.0f, std::move(loading), std::move(eff)};
}

TEST_F(FilterForms, GaseousCurveAcceptance)
{
    Species* voc = testing::add_species(project, "voc", 0, 0);
    Species* dust = testing::add_species(project, "dust", 1, 0);
    dust->mdiam = 1e-6f;
    Species* smoke = testing::add_species(project, "smoke", 1, 0);
    smoke->edens = 1000;
    const std::vector<float> x{0, 0.01f, 0.02f, 0.03f};
    struct Case {
        const char* what;
        GaseousFilterData data;
        bool accepted;
        std::string text;
    } cases[] = {
        {"no species", {}, false, "Minimum of 4 data points required."},
        {"three points", {{gaseous(voc, {0, 0.01f, 0.02f}, {0.9f, 0.5f, 0.5f})}}, false,
         "Minimum of 4 data points required."},
        {"falling, flat ends", {{gaseous(voc, x, {0.9f, 0.9f, 0.1f, 0.1f})}}, true, ""},
        {"rising again", {{gaseous(voc, {0, 0.01f, 0.02f, 0.03f, 0.04f, 0.05f}, {0.9f, 0.9f, 0.3f, 0.6f, 0.9f, 0.9f})}},
         false, "Unacceptable curve fit."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GaseousFilterForm form(c.data, project.species, "gf");
        EXPECT_EQ(form.species_names(), std::vector<std::string>{"voc"});
        const FilterDataAnswer answer = form.accept();
        EXPECT_EQ(answer.accepted, c.accepted);
        if (!c.accepted) {
            EXPECT_EQ(answer.text.substr(0, c.text.size()), c.text);
        }
    }
}

TEST_F(FilterForms, GaseousAddBringsTheSpeciesIn)
{
    testing::add_species(project, "voc", 0, 0);
    GaseousFilterForm form(GaseousFilterData{}, project.species, "gf");
    EXPECT_EQ(form.curve(), nullptr);
    EXPECT_TRUE(form.leave_breakthrough("0.3"));  // not filtered yet: kept nowhere
    EXPECT_TRUE(form.leave_loading("0.5"));
    EXPECT_TRUE(form.leave_efficiency("0.4"));
    EXPECT_EQ(form.add(), 0);
    ASSERT_NE(form.curve(), nullptr);
    EXPECT_FLOAT_EQ(form.curve()->breakthrough, 0.0f);
    EXPECT_TRUE(form.leave_breakthrough("0.3"));
    EXPECT_FLOAT_EQ(form.curve()->breakthrough, 0.3f);
    EXPECT_FALSE(form.leave_loading("-0.1"));
    EXPECT_FALSE(form.can_delete());
}

TEST_F(FilterForms, UvgiDerivedValues)
{
    const FilterData data = new_filter_data(kFltUv1);
    UvgiFilterForm form(std::get<UvgiFilterData>(data));
    EXPECT_NEAR(form.data().A, 0.10381, 1e-5);
    EXPECT_NEAR(form.data().D, 212.02, 0.01);
    EXPECT_EQ(form.area_text(), "0.103812");
    EXPECT_EQ(form.dose_text(), "212.024");
    EXPECT_TRUE(form.leave(UvgiValue::F, "1"));
    EXPECT_EQ(form.area_text(), "0.207624");
    EXPECT_FALSE(form.leave(UvgiValue::S, "2"));
    EXPECT_FALSE(form.leave(UvgiValue::k, "0"));
    EXPECT_TRUE(form.leave(UvgiValue::C2, "-40"));
    EXPECT_FALSE(form.age_constants_enabled());
    form.set_age_model(true);
    EXPECT_TRUE(form.age_constants_enabled());
}

TEST_F(FilterForms, SuperElementRulesAndLoads)
{
    FilterElement* a = element("a", kFltCef, ConstantEfficiencyData{});
    FilterElement* b = element("b", kFltPf0, ParticleFilterData{});
    FilterElement* uv = element("uv", kFltUv1, new_filter_data(kFltUv1));
    FilterElement* other = super_of("other", {a, b});

    SuperFilterForm form(new_filter_element(kFltSpf));
    EXPECT_EQ(SuperFilterForm::available(project.filter_elements), (std::vector<FilterElement*>{a, b, uv}));
    form.set_name("sup");
    form.add(a);
    form.add(other);  // not a choice
    EXPECT_FALSE(form.accept(project, nullptr).accepted);
    EXPECT_EQ(last_box().find("A super filter element requires at least 2 sub elements."), 1u);
    form.add(uv);
    form.add(b);
    EXPECT_EQ(form.sub_lines(), (std::vector<std::string>{"               a  Constant Efficiency",
                                                          "              uv",
                                                          "               b  Simple Particle"}));
    EXPECT_FALSE(form.can_move_up(0));
    EXPECT_FALSE(form.can_move_down(2));
    EXPECT_EQ(form.move_down(0), 1);
    EXPECT_EQ(form.move_up(1), 0);
    ASSERT_TRUE(form.accept(project, nullptr).accepted);
    FilterElement* sup = form.stored();

    // A filter on the super element: one load per sub-element, in order.
    FilterForm filter(Filter{}, project.filter_elements);
    EXPECT_FALSE(filter.accept().accepted);
    EXPECT_EQ(port.boxes.back().text.find(kNoFilterElementMessage), 1u);
    filter.choose_element(sup);
    EXPECT_EQ(filter.type_text(), "Super Filter Element");
    EXPECT_EQ(filter.load_lines(), (std::vector<std::string>{"               a  0", "              uv  0",
                                                             "               b  0"}));
    ASSERT_TRUE(filter.accept().accepted);
    Filter* stored = project.filters.add(filter.working());
    ASSERT_EQ(stored->loads.size(), 3u);
    EXPECT_EQ(stored->loads[1].element, uv);

    // Editing the super element takes the filter's loads with it.
    SuperFilterForm edit(*sup);
    edit.remove(1);
    ASSERT_TRUE(edit.accept(project, sup).accepted);
    ASSERT_EQ(stored->loads.size(), 2u);
    EXPECT_EQ(stored->loads[0].element, a);
    EXPECT_EQ(stored->loads[1].element, b);

    // Choosing a plain element makes one load for it.
    filter.choose_element(b);
    ASSERT_EQ(filter.working().loads.size(), 1u);
    EXPECT_EQ(filter.working().loads[0].element, b);
}

TEST_F(FilterForms, UseCountsBlockDeletion)
{
    FilterElement* a = element("a", kFltCef, ConstantEfficiencyData{});
    FilterElement* b = element("b", kFltPf0, ParticleFilterData{});
    FilterElement* c = element("c", kFltPf0, ParticleFilterData{});
    super_of("sup", {a, b, a});
    Filter f;
    f.element = c;
    f.loads = loads_for(c);
    FlowPath path;
    path.filter = project.filters.add(f);
    FlowPath* stored = project.paths.add(path);
    project.paths.add(*stored);  // a hidden sub-path sharing the filter
    a->use_count = 99;
    count_filter_element_uses(project);
    EXPECT_EQ(a->use_count, 2);
    EXPECT_EQ(b->use_count, 1);
    EXPECT_EQ(c->use_count, 1);
    EXPECT_FALSE(delete_filter_element(project, *c));
    EXPECT_NE(last_box().find("Filter 1"), std::string::npos);
    EXPECT_FALSE(delete_filter_element(project, *a));
    EXPECT_NE(last_box().find("Super filter element sup"), std::string::npos);
    EXPECT_TRUE(delete_filter_element(project, *project.filter_elements.find_by_name("sup")));
    EXPECT_TRUE(delete_filter_element(project, *a));
    EXPECT_EQ(project.filter_elements.find_by_name("a"), nullptr);
}

}  // namespace
}  // namespace avelor
