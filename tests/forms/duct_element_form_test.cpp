#include "forms/duct_element_form.h"

#include <gtest/gtest.h>

#include <cmath>

#include "model/project.h"
#include "support/scripted_port.h"

namespace avelor {
namespace {

using testing::ScriptedPort;

// Fields show "%6g".
std::string trimmed(const std::string& text) { return text.substr(text.find_first_not_of(' ')); }

DuctElement fresh(int type, bool ip = false)
{
    NewElementContext context;
    context.ip_units = ip;
    return new_duct_element(type, context);
}

TEST(DuctElementForm, ChooserGroupsHoldEveryTypeOnce)
{
    const std::vector<DuctChooserGroup> groups = duct_chooser_groups();
    ASSERT_EQ(groups.size(), 4u);
    EXPECT_EQ(groups[0].title, "Resistance Flow Models");
    EXPECT_EQ(groups[1].title, "Backdraft Damper Flow Models");
    EXPECT_EQ(groups[2].title, "Fan and Forced-flow Models");
    EXPECT_EQ(groups[3].title, "Cubic Spline Flow Models");
    std::vector<int> seen;
    for (const DuctChooserGroup& g : groups)
        for (const DuctChooserButton& b : g.buttons) seen.push_back(b.type);
    std::sort(seen.begin(), seen.end());
    std::vector<int> all;
    for (int t = kFirstDuctType; t <= kLastDuctType; ++t) all.push_back(t);
    EXPECT_EQ(seen, all);
    EXPECT_EQ(groups[1].buttons[0].text, "Q = C(dP)^n");
    EXPECT_EQ(duct_caption(kDctBdq), "Backdraft Damper:  Q=C(dP)^n");
    EXPECT_EQ(duct_caption(kDctDwc), "Darcey-Colebrook Model");
}

TEST(DuctElementForm, OrificeAreaAndDiameterFollowEachOther)
{
    ScriptedPort port;
    DuctElementForm form(fresh(kDctPlr));
    const auto dia = form.row_of("dia");
    const auto area = form.row_of("area");
    ASSERT_TRUE(dia && area);
    ASSERT_TRUE(form.leave_field(*dia, "0.2"));
    EXPECT_NEAR(std::get<DuctOrificeData>(form.working().data).area, 0.0314159, 1e-7);  // 0.04 * 0.785398175
    EXPECT_EQ(trimmed(form.field(*area).shown_text()), "0.0314159");
    ASSERT_TRUE(form.select_unit(*area, 2));  // cm2, so cm for the diameter
    EXPECT_EQ(std::get<DuctOrificeData>(form.working().data).u_D, 2);
    EXPECT_EQ(trimmed(form.field(*dia).shown_text()), "20");
    EXPECT_FALSE(form.leave_field(*area, "0.0000001")) << "below 1e-5 m2";
}

TEST(DuctElementForm, ShapePageFollowsTheShape)
{
    ScriptedPort port;
    DuctElementForm form(fresh(kDctDwc));
    EXPECT_EQ(form.first_label(), "Diameter:");
    EXPECT_FALSE(form.second_enabled());
    EXPECT_EQ(trimmed(form.first_field().shown_text()), "200");  // mm

    form.choose_shape(kDuctRectangle);
    EXPECT_EQ(form.first_label(), "Width:");
    EXPECT_EQ(form.second_label(), "Height:");
    ASSERT_TRUE(form.leave_first("400"));
    EXPECT_NEAR(form.working().shape.Dh, 0.304675, 1e-6);  // 1.3 * 0.08^0.625 / 0.6^0.25
    EXPECT_EQ(trimmed(form.flow_area().shown_text()), "800");       // cm2
    EXPECT_FALSE(form.leave_second("0.01")) << "below 1e-4 m";

    form.choose_shape(kDuctOtherShape);
    EXPECT_EQ(form.first_label(), "Perimeter:");
    EXPECT_EQ(form.second_label(), "Flow area:");
    EXPECT_EQ(form.second_field().kind(), UnitKind::Area);
}

TEST(DuctElementForm, LeakageClassSetsRateAndPressure)
{
    ScriptedPort port;
    DuctElementForm form(fresh(kDctDwc));
    form.choose_leakage_units(kLeakageIP);
    ASSERT_TRUE(form.leave_leakage_class("24"));
    EXPECT_FLOAT_EQ(form.working().shape.leak_dP, 248.84f);
    EXPECT_NEAR(form.working().shape.leak_rate, 24 * std::pow(248.84, 0.65) / 710.37, 1e-6);
    ASSERT_TRUE(form.leave_leakage_rate("0"));
    EXPECT_EQ(trimmed(form.leakage_class().shown_text()), "0");
    EXPECT_FALSE(form.leave_leakage_class("-1"));
}

TEST(DuctElementForm, AcceptStoresInNameOrder)
{
    ScriptedPort port;
    Project p;
    DuctElementForm b(fresh(kDctQcn));
    b.set_name("b");
    ASSERT_TRUE(b.accept(p.duct_elements, nullptr));
    DuctElementForm a(fresh(kDctDwc));
    a.set_name("a");
    ASSERT_TRUE(a.accept(p.duct_elements, nullptr));
    EXPECT_EQ(p.duct_elements.head(), a.stored());
    EXPECT_TRUE(p.changed());

    DuctElementForm edit(*b.stored());
    edit.set_name("c");
    ASSERT_TRUE(edit.accept(p.duct_elements, b.stored()));
    EXPECT_EQ(p.duct_elements.count(), 2);
    EXPECT_EQ(p.duct_elements.head()->next->name, "c");
}

TEST(DuctElementForm, UnknownTypeHasNoModelPage)
{
    ScriptedPort port;
    DuctElement odd = fresh(kDctDwc);
    odd.type = 50;
    DuctElementForm form(odd);
    EXPECT_FALSE(form.has_model_page());
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].caption, "ERROR");
    EXPECT_EQ(port.boxes[0].text.rfind(" Invalid duct element type 50\n", 0), 0u);
    Project p;
    form.set_name("odd");
    EXPECT_FALSE(form.accept(p.duct_elements, nullptr));
    EXPECT_EQ(p.duct_elements.count(), 0);
}

}  // namespace
}  // namespace avelor
