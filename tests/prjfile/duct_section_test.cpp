#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "app/data_reader.h"
#include "app/memory.h"
#include "app/text_writer.h"
#include "model/duct_element.h"
#include "model/duct_rules.h"
#include "prjfile/airflow_section.h"
#include "support/scripted_port.h"

namespace avelor {
namespace {

using testing::ScriptedPort;

struct Elements {
    BlockPool pool{32000, "block"};
    NamedList<DuctElement> list{pool};
};

std::string written(NamedList<DuctElement>& list)
{
    TextWriter out;
    write_duct_elements_section(out, list);
    return out.take();
}

int read_text(const std::string& text, NamedList<DuctElement>& list)
{
    const std::string path = ::testing::TempDir() + "avelor_duct_section_test.txt";
    std::ofstream(path, std::ios::binary) << text;
    DataReader in;
    if (in.open(path, 1) != 0) return -1;
    const int result = read_duct_elements_section(in, list);
    in.close();
    std::remove(path.c_str());
    return result;
}

// One element of every record the duct types keep, each applied as the
// sheet's OK applies it.
void add_every_kind(NamedList<DuctElement>& list)
{
    auto add = [&](int type, const char* name, bool ip, auto&& fill) {
        NewElementContext context;
        context.ip_units = ip;
        DuctElement e = new_duct_element(type, context);
        e.name = name;
        e.desc = std::string("type ") + std::to_string(type);
        fill(e);
        ASSERT_TRUE(derive_duct_element(e)) << name;
        list.insert_copy(e);
    };
    auto none = [](DuctElement&) {};
    add(kDctDwc, "dwc", false, none);
    add(kDctPlr, "plr", false, none);
    add(kDctQcn, "qcn", false, none);
    add(kDctCvf, "cvf", true, [](DuctElement& e) {
        e.shape.shape = kDuctRectangle;
        e.shape.width = 0.4f;
        set_leakage_class(e.shape, 24);
    });
    add(kDctBdf, "bdf", false, [](DuctElement& e) { e.shape.kept = 7; });
    add(kDctFan, "fan", false, [](DuctElement& e) {
        auto& f = std::get<FanData>(e.data);
        for (float F : {0.0f, 1.0f, 2.0f, 3.0f}) f.points.push_back({F, 0, 100 - 10 * F, 0, 100 - 10 * F, 0});
        f.c = {100, -10, 0, 0};
    });
    add(kDctQsp, "spline", false, [](DuctElement& e) {
        auto& s = std::get<SplineData>(e.data);
        s.x = {0, 1, 2, 3};
        s.y = {0, 1, 4, 9};
    });
}

TEST(DuctSection, EveryKindRoundTripsByteExactly)
{
    ScriptedPort port;
    Elements first;
    add_every_kind(first.list);
    const std::string text = written(first.list);
    EXPECT_EQ(text.rfind("7 ! duct elements:\n", 0), 0u);
    // Each element in name order: the type's own lines, then the shape
    // block's two lines.
    EXPECT_NE(text.find("1 23 dct_bdf bdf\ntype 37\n 2.43435e-05 0.01 0.5 0.0001 0.5\n"
                        " 0.2 0.628319 0.0314159 0.2 0.2 7 0 1\n 0 4 4 2 4 4 0 0\n"),
              std::string::npos);
    // A rectangle 0.4 x 0.2 in IP units with leakage class 24 at 1 in. water.
    EXPECT_NE(text.find("2 23 dct_cvf cvf\ntype 35\n 1 1\n 0.304675 1.2 0.08 0.4 0.2 0 1.2192 248.84\n"
                        " 1 3 3 3 3 3 1 1\n"),
              std::string::npos);
    EXPECT_NE(text.find("3 23 dct_dwc dwc\ntype 29\n 9e-05 0 4\n"), std::string::npos);
    EXPECT_NE(text.find("4 23 dct_fan fan\n"), std::string::npos);
    EXPECT_NE(text.find("5 23 dct_plr plr\ntype 30\n 2.70811e-05 0.00848528 0.5 0.01 0.112838 0.6 0 0\n"),
              std::string::npos);
    EXPECT_NE(text.find("7 23 dct_qsp spline\ntype 39\n 4 0 0\n  0 0\n  1 1\n  2 4\n  3 9\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 5), "-999\n");

    Elements back;
    ASSERT_EQ(read_text(text, back.list), 0);
    EXPECT_EQ(error_count(), 0);
    EXPECT_TRUE(port.boxes.empty());
    EXPECT_EQ(written(back.list), text);

    // What is not written is derived again on reading.
    const DuctElement* dwc = back.list.find_by_name("dwc");
    ASSERT_NE(dwc, nullptr);
    const auto& darcy = std::get<DarcyData>(dwc->data);
    EXPECT_FLOAT_EQ(darcy.Dh, 0.2f);
    EXPECT_FLOAT_EQ(darcy.area, 0.0314159f);
    EXPECT_NEAR(darcy.rel_rough, 0.00045, 1e-9);
    EXPECT_NEAR(back.list.find_by_name("cvf")->shape.leak_class, 24, 1e-3);
}

TEST(DuctSection, OrificeDiameterAndLaminarCoefficientComeFromTheArea)
{
    ScriptedPort port;
    Elements e;
    const std::string text = "1 ! duct elements:\n1 23 dct_plr plr\n\n 1 0.00848528 0.5 0.01 9 0.6 0 0\n"
                             " 0.2 0.628319 0.0314159 0.2 0.2 0 0 1\n 0 4 4 2 4 4 0 0\n-999\n";
    ASSERT_EQ(read_text(text, e.list), 0);
    const auto& o = std::get<DuctOrificeData>(e.list.head()->data);
    EXPECT_NEAR(o.dia, 0.112838, 1e-6);  // sqrt(0.01 * 1.27324)
    EXPECT_NEAR(o.lam, 2.70811e-05, 1e-10);
}

TEST(DuctSection, ReaderChecksWhatItWillTrust)
{
    const std::string good = "1 ! duct elements:\n1 23 dct_dwc d\n\n 9e-05 0 4\n"
                             " 0.2 0.628319 0.0314159 0.2 0.2 0 0 1\n 0 4 4 2 4 4 0 0\n-999\n";
    struct Case {
        const char* what;
        const char* from;
        const char* to;
        const char* message;
    };
    const Case cases[] = {
        {"airflow keyword", "dct_dwc", "plr_orfc", " Undefined Element Type: plr_orfc\n"},
        {"number", "1 23 dct", "2 23 dct", " Element number mis-match: 1\n"},
        {"shape code", " 0 4 4 2", " 9 4 4 2", " Invalid duct shape, element 1\n"},
        {"zero diameter", " 0.2 0.628319", " 0 0.628319", " Invalid duct shape, element 1\n"},
        {"unit index", " 0 4 4 2 4 4 0 0", " 0 4 4 2 4 4 5 0", " Invalid unit index, element 1\n"},
        {"end marker", "-999", "12", " PRJ read error; see LOG file\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedPort port;
        std::string text = good;
        text.replace(text.find(c.from), std::string(c.from).size(), c.to);
        Elements e;
        EXPECT_EQ(read_text(text, e.list), 1);
        ASSERT_FALSE(port.boxes.empty());
        EXPECT_EQ(port.boxes.front().text.rfind(c.message, 0), 0u) << port.boxes.front().text;
    }
}

}  // namespace
}  // namespace avelor
