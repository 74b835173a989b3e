#include "model/duct_element.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "model/duct_rules.h"
#include "model/project.h"
#include "support/scripted_port.h"

namespace avelor {
namespace {

using testing::ScriptedPort;

DuctElement named(int type, const std::string& name, bool ip = false)
{
    NewElementContext context;
    context.ip_units = ip;
    context.uf = 2;
    DuctElement e = new_duct_element(type, context);
    e.name = name;
    return e;
}

TEST(DuctElement, ShapesDeriveTheirSection)
{
    struct Case {
        const char* what;
        std::int16_t shape;
        float first, second;  // diameter, width/height or perimeter/area
        double P, A, Dh;
    };
    const Case cases[] = {
        // P = pi D, A = D P / 4, Dh = D.
        {"circle", kDuctCircle, 0.2f, 0, 0.6283185, 0.0314159, 0.2},
        // Dh = 1.3 (0.08)^0.625 / 0.6^0.25, not 4A/P = 0.2667.
        {"rectangle", kDuctRectangle, 0.4f, 0.2f, 1.2, 0.08, 0.304675},
        // P = 0.2 pi + 2 (0.4 - 0.2); A = 0.04 pi/4 + 0.2 * 0.2; Dh = 1.55 A^0.625 / P^0.25.
        {"oval", kDuctOval, 0.4f, 0.2f, 1.0283185, 0.0714159, 0.295748},
        // Dh = 4 A / P.
        {"other", kDuctOtherShape, 1.0f, 0.05f, 1.0, 0.05, 0.2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DuctShape s;
        s.shape = c.shape;
        const ShapeDimension first = shape_first_dimension(c.shape);
        const ShapeDimension second = shape_second_dimension(c.shape);
        s.*(first.value) = c.first;
        if (second.enabled) s.*(second.value) = c.second;
        derive_shape(s);
        EXPECT_NEAR(s.perim, c.P, 2e-6);
        EXPECT_NEAR(s.area, c.A, 2e-7);
        EXPECT_NEAR(s.Dh, c.Dh, 2e-6);
    }
    EXPECT_EQ(shape_first_dimension(kDuctOval).label, "Major dimension:");
    EXPECT_EQ(shape_second_dimension(kDuctOtherShape).label, "Flow area:");
    EXPECT_FALSE(shape_second_dimension(kDuctCircle).enabled);
}

TEST(DuctElement, DefaultsFollowTheProjectUnits)
{
    const DuctElement si = named(kDctCmf, "si");
    const DuctElement ip = named(kDctCmf, "ip", true);
    EXPECT_EQ(si.icon, kIconSmallOpening);
    EXPECT_FLOAT_EQ(si.shape.Dh, 0.2f);
    EXPECT_FLOAT_EQ(si.shape.area, 0.0314159f);
    EXPECT_FLOAT_EQ(si.shape.leak_dP, 1);
    EXPECT_FLOAT_EQ(ip.shape.leak_dP, 248.84f);
    const DuctShape& a = si.shape;
    const DuctShape& b = ip.shape;
    EXPECT_EQ((std::array{a.u_Dh, a.u_P, a.u_A, a.u_W, a.u_H, a.leak_units, a.u_dP}),
              (std::array<std::int16_t, 7>{4, 4, 2, 4, 4, 0, 0}));
    EXPECT_EQ((std::array{b.u_Dh, b.u_P, b.u_A, b.u_W, b.u_H, b.leak_units, b.u_dP}),
              (std::array<std::int16_t, 7>{3, 3, 3, 3, 3, 1, 1}));
    // A constant mass flow takes the project's flow unit, a volume flow SI/IP.
    EXPECT_EQ(std::get<ConstantFlowData>(ip.data).u_F, 2);
    EXPECT_EQ(std::get<ConstantFlowData>(named(kDctCvf, "v", true).data).u_F, 1);
    EXPECT_EQ(std::get<DarcyData>(named(kDctDwc, "d", true).data).u_R, 3);
    EXPECT_FLOAT_EQ(std::get<DarcyData>(named(kDctDwc, "d").data).rough, 0.00009f);
}

TEST(DuctElement, LeakageClassAndRate)
{
    DuctShape s;
    set_leakage_units(s, kLeakageIP);
    set_leakage_class(s, 24);
    EXPECT_FLOAT_EQ(s.leak_dP, 248.84f);
    EXPECT_NEAR(s.leak_rate, 24 * std::pow(248.84, 0.65) / 710.37, 1e-6);  // 1.2192
    EXPECT_NEAR(leakage_class_of(s), 24, 1e-4);
    EXPECT_FLOAT_EQ(s.class_dP, 248.84f);

    set_leakage_units(s, kLeakageSI);
    set_leakage_class(s, 10);
    EXPECT_FLOAT_EQ(s.leak_dP, 1);
    EXPECT_FLOAT_EQ(s.leak_rate, 0.01f);  // 10 * 1^0.65 / 1000
    EXPECT_EQ(s.u_dP, 0);
}

TEST(DuctElement, ApplyingDerivesEachTypesCoefficients)
{
    ScriptedPort port;
    DuctElement dwc = named(kDctDwc, "dwc");
    ASSERT_TRUE(derive_duct_element(dwc));
    const DarcyData& d = std::get<DarcyData>(dwc.data);
    EXPECT_FLOAT_EQ(d.Dh, 0.2f);
    EXPECT_FLOAT_EQ(d.area, dwc.shape.area);
    EXPECT_NEAR(d.rel_rough, 0.00009 / 0.2, 1e-9);

    // turb = 0.6 sqrt(2) 0.01; lam from Ft = 30 mu A / D and
    // dPt = (Ft / (turb sqrt(rho)))^2 (values from a separate calculation).
    DuctElement plr = named(kDctPlr, "plr");
    ASSERT_TRUE(derive_duct_element(plr));
    EXPECT_NEAR(std::get<DuctOrificeData>(plr.data).turb, 0.00848528, 1e-8);
    EXPECT_NEAR(std::get<DuctOrificeData>(plr.data).lam, 2.70811e-05, 1e-10);

    // An orifice of Cd 0.6 passing C: mode 0 for Q, mode 2 for F.
    DuctElement qcn = named(kDctQcn, "qcn");
    DuctElement fcn = named(kDctFcn, "fcn");
    ASSERT_TRUE(derive_duct_element(qcn));
    ASSERT_TRUE(derive_duct_element(fcn));
    EXPECT_NEAR(std::get<PowerLawData>(qcn.data).lam, 3.52946e-05, 1e-10);
    EXPECT_NEAR(std::get<PowerLawData>(fcn.data).lam, 2.43435e-05, 1e-10);
    DuctElement bdf = named(kDctBdf, "bdf");
    ASSERT_TRUE(derive_duct_element(bdf));
    EXPECT_NEAR(std::get<BackdraftData>(bdf.data).lam, 2.43435e-05, 1e-10);

    // Fan-off: turb = 0.01 * 0.8485; Qt = 0.01 * 0.00181625 / (0.1 rho).
    DuctElement fan = named(kDctFan, "fan");
    auto& f = std::get<FanData>(fan.data);
    f.rdens = 1;
    ASSERT_TRUE(derive_duct_element(fan));
    EXPECT_NEAR(f.turb, 0.00848528, 1e-8);
    EXPECT_NEAR(f.lam, 7.2e-06, 1e-10);
    EXPECT_FLOAT_EQ(f.rdens, 1.2041f);
    EXPECT_TRUE(port.boxes.empty());
}

TEST(DuctElement, RefusalsLeaveTheCopyAlone)
{
    ScriptedPort port;
    DuctElement bad_type = named(kDctDwc, "x");
    bad_type.type = kPlrOrfc;
    EXPECT_FALSE(derive_duct_element(bad_type));
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].text.rfind(" Invalid duct element type 0\n", 0), 0u);
    EXPECT_EQ(port.boxes[0].caption, "ERROR");

    // An oval narrower than high would have a negative area.
    DuctElement oval = named(kDctDwc, "oval");
    oval.shape.shape = kDuctOval;
    oval.shape.width = 0.1f;
    oval.shape.height = 0.3f;
    const DuctShape before = oval.shape;
    EXPECT_FALSE(derive_duct_element(oval));
    EXPECT_EQ(oval.shape, before);

    DuctElement leak = named(kDctDwc, "leak");
    leak.shape.leak_dP = 0.5f;  // below 1 Pa
    EXPECT_FALSE(derive_duct_element(leak));
    EXPECT_EQ(port.boxes.back().caption, "WARNING");

    // A spline element is not applied without points that pass the test.
    DuctElement spline = named(kDctQsp, "spline");
    EXPECT_FALSE(derive_duct_element(spline));
    EXPECT_EQ(port.boxes.back().text, " Minimum of 4 points required.\n");
}

TEST(DuctElement, ModelPageNeedsANameAndAFittedFan)
{
    ScriptedPort port;
    BlockPool pool(32000, "block");
    NamedList<DuctElement> list(pool);
    list.insert_copy(named(kDctDwc, "main"));
    const std::string empty_text =
        " Empty element name or leading blank in name not permitted.\nYou can either enter a valid name or CANCEL.\n";
    for (const char* name : {"", " lead"}) {
        EXPECT_FALSE(leave_duct_model_page(list, named(kDctDwc, name), ""));
        EXPECT_EQ(port.boxes.back().text, empty_text);
    }
    EXPECT_FALSE(leave_duct_model_page(list, named(kDctDwc, "main"), ""));
    EXPECT_EQ(port.boxes.back().text, " May not use existing name\n");
    EXPECT_TRUE(leave_duct_model_page(list, named(kDctDwc, "main"), "main"));

    DuctElement fan = named(kDctFan, "fan");
    auto& points = std::get<FanData>(fan.data).points;
    for (float F : {0.0f, 1.0f, 2.0f}) points.push_back({F, 0, 100 - 10 * F, 0, 100 - 10 * F, 0});
    const std::size_t boxes = port.boxes.size();
    EXPECT_FALSE(leave_duct_model_page(list, fan, ""));
    ASSERT_EQ(port.boxes.size(), boxes + 1);
    EXPECT_EQ(port.boxes.back().text, " Valid fan data and curve fit are required.\n");
    EXPECT_EQ(port.boxes.back().caption, "ERROR");
    points.push_back({3, 0, 60, 0, 60, 0});
    EXPECT_TRUE(leave_duct_model_page(list, fan, ""));
}

TEST(DuctElement, SegmentRulesAndDerivedValues)
{
    ScriptedPort port;
    DuctElement dwc = named(kDctDwc, "dwc");
    ASSERT_TRUE(derive_duct_element(dwc));
    struct Case {
        float len, sllc;
        bool accepted;
    };
    for (const Case& c : {Case{0, 0, false}, Case{0, 1.5f, true}, Case{2, 0, true}})
        EXPECT_EQ(check_segment_element(&dwc, c.len, c.sllc), c.accepted) << c.len << " " << c.sllc;
    EXPECT_EQ(port.boxes.back().text.rfind(" Darcy-Colebrook duct elements require", 0), 0u);
    EXPECT_FALSE(check_segment_element(nullptr, 1, 0));
    EXPECT_EQ(port.boxes.back().text.rfind(" A Name must be selected.", 0), 0u);
    const DuctElement cmf = named(kDctCmf, "fan");
    EXPECT_TRUE(check_segment_element(&cmf, 0, 0)) << "only Darcy-Colebrook segments need a length";

    // A 0.2 m circle, 10 m long, leaking 2 at 250 Pa (expected values from
    // a separate calculation of the formulas).
    dwc.shape.leak_rate = 2;
    dwc.shape.leak_dP = 250;
    const DuctSegmentValues v = duct_segment_values(dwc, 10, 1.5f);
    EXPECT_NEAR(v.volume, 0.314159, 1e-6);
    EXPECT_NEAR(v.surface, 6.283185, 1e-6);
    EXPECT_NEAR(v.flow_area, 0.0314159, 1e-7);
    EXPECT_NEAR(v.leak_coef, 3.471753e-4, 1e-9);   // 2 * 0.001 * S / 250^0.65
    EXPECT_NEAR(v.leak_class_ip, 39.25126, 1e-4);  // 2 * 710.37 / 250^0.65
    // Ft = A 30 mu / Dh, f = 64/30, dPt = (f L/Dh + 1.5) Ft^2 / (2 A^2 rho).
    EXPECT_NEAR(v.lam, 3.872534e-06, 1e-11);

    DuctElement plr = named(kDctPlr, "plr");
    plr.shape.leak_dP = 0;
    const DuctSegmentValues o = duct_segment_values(plr, 10, 0);
    EXPECT_FLOAT_EQ(static_cast<float>(o.flow_area), 0.01f);  // the orifice's area
    EXPECT_EQ(o.leak_coef, 0);
    EXPECT_EQ(o.lam, 0);
}

TEST(DuctElement, DeletingRefusesWhileASegmentUsesIt)
{
    ScriptedPort port;
    Project p;
    DuctElement* used = p.duct_elements.insert_copy(named(kDctDwc, "used"));
    p.duct_elements.insert_copy(named(kDctDwc, "spare"));
    DuctSegment d;
    d.element = used;
    p.ducts.add(d);
    p.ducts.add(d);
    EXPECT_FALSE(delete_duct_element(p, "used"));
    ASSERT_FALSE(port.boxes.empty());
    EXPECT_EQ(port.boxes.back().text,
              " \"used\" is in use and cannot be deleted. It is used by:\nduct segment 1\nduct segment 2\n");
    EXPECT_TRUE(delete_duct_element(p, "spare"));
    EXPECT_EQ(p.duct_elements.count(), 1);
}

TEST(DuctElement, ChooserPreselection)
{
    DuctChooserState state;
    EXPECT_EQ(duct_chooser_preselection(nullptr, state), kDctDwc);
    state.last_choice = kDctFan;
    EXPECT_EQ(duct_chooser_preselection(nullptr, state), kDctFan);
    const DuctElement edited = named(kDctBdq, "b");
    EXPECT_EQ(duct_chooser_preselection(&edited, state), kDctBdq);
}

}  // namespace
}  // namespace avelor
