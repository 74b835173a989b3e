#include "prjfile/airflow_section.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "app/data_reader.h"
#include "app/memory.h"
#include "app/text_writer.h"
#include "model/airflow_element.h"
#include "support/scripted_port.h"

namespace avelor {
namespace {

using testing::ScriptedPort;

// Every type's lines, as the writer makes them: descriptions beginning with
// "!" (written with one more blank), empty or holding tabs; a super element
// whose schedulable sub-element is its second.
const char* const kAllTypes = R"(29 ! flow elements:
1 23 plr_orfc e00
 !starts with a bang
 2.70811e-05 0.00848528 0.5 0.01 0.112838 0.6 30 0 0
2 23 plr_leak1 e01

 3.8063e-09 6.00712e-05 0.65 0.6 10 0.0001 0 0 2 2 2 0
3 23 plr_leak2 e02
  leading blanks, tabs<TAB>and ! inside
 9.17445e-09 0.000120142 0.65 0.6 10 0 0.0002 0 2 2 2 0
4 23 plr_leak3 e03
type 3
 1.5349e-08 0.000180214 0.65 0.6 10 0 0 0.0003 2 2 2 0
5 23 plr_conn e04
type 4
 2.4e-05 0.00848528 0.5 0.01 0.6 0
6 23 plr_qcn e05
type 5
 3.52946e-05 0.01 0.5
7 23 plr_fcn e06
type 6
 2.43435e-05 0.01 0.5
8 23 plr_test1 e07
type 7
 2.47343e-05 0.0086575 0.5 4 0.019 0 0
9 23 plr_test2 e08
type 8
 6.35906e-05 0.00913228 0.461488 4 0.019 10 0.029 0 0 0 0
10 23 plr_crack e09
type 9
 1.84e-08 0.000861959 0.68394 2 0.002 0 4
11 25 plr_stair e10
type 10
 0.131788 2.64104 0.5 3 12.5 0 0 0 0
12 25 plr_shaft e11
type 11
 0.306565 30.9005 0.508447 3 6 10 0.1 1 1 1 1
13 23 plr_bdq e12
type 12
 3.52946e-05 0.01 0.5 0.0001 0.5
14 23 plr_bdf e13
type 13
 2.43435e-05 0.01 0.5 0.0001 0.5
15 23 srv_rgv e14
type 14
 0.02 0.5 0.0001 0 0
16 23 qfr_qab e15
type 15
 1.5 250
17 23 qfr_fab e16
type 16
 1.5 250
18 23 qfr_crack e17
type 17
 565.645 90835.5 2 0.002 0.05 2 0 4 2
19 23 qfr_test2 e18
type 18
 -44.6461 13430.1 4 0.019 10 0.029 0 0 0 0
20 27 dor_door e19
type 19
 0.0741669 1.76494 0.5 0.01 2 0.8 0.78 0 0 0
21 24 dor_pl2 e20
type 20
 0.0185417 0.882469 0.5 0.444444 2 0.8 0.78 0 0
22 23 fan_cmf e21
type 21
 1 0
23 23 fan_cvf e22
type 22
 1 0
24 23 fan_fan e23
type 23
 7.2e-06 0.00848528 0.5 1.2041 3.39407 500 0.1
 500 -100 20 -10 4 0.01 0
  0 0 500 0 500 0
  1 5 410 1 410 1
  2 0 300 0 300 0
  3 0 110 0 110 0
25 23 csf_fsp e24
type 24
 4 0 0
  1 0.1
  2 0.25
  3 0.5
  4 0.6
26 23 csf_qsp e25
type 25
 4 0 0
  1 0.1
  2 0.25
  3 0.5
  4 0.6
27 23 csf_psf e26
type 26
 4 0 0
  1 0.1
  2 0.25
  3 0.5
  4 0.6
28 23 csf_psq e27
type 27
 4 0 0
  1 0.1
  2 0.25
  3 0.5
  4 0.6
29 25 sup_afe zsuper
crack, door and stair
  3 20 1
  10 0 0
  20 1.5 1
  11 -0.5 0
-999
)";

std::string all_types_text()
{
    std::string text = kAllTypes;
    const std::string tab = "<TAB>";
    text.replace(text.find(tab), tab.size(), "\t");
    return text;
}

class SectionFile {
public:
    explicit SectionFile(const std::string& text)
        : path_(::testing::TempDir() + "avelor_airflow_section_test.txt")
    {
        std::ofstream(path_, std::ios::binary) << text;
    }
    ~SectionFile() { std::remove(path_.c_str()); }
    SectionFile(const SectionFile&) = delete;
    SectionFile& operator=(const SectionFile&) = delete;

    int read_into(NamedList<AirflowElement>& list)
    {
        DataReader in;
        if (in.open(path_, 1) != 0) return -1;
        const int result = read_flow_elements_section(in, list);
        in.close();
        return result;
    }

private:
    std::string path_;
};

struct Elements {
    BlockPool pool{32000, "block"};
    NamedList<AirflowElement> list{pool};
};

std::string written(NamedList<AirflowElement>& list)
{
    TextWriter out;
    write_flow_elements_section(out, list);
    return out.take();
}

TEST(AirflowSection, EveryTypeRoundTripsByteExactly)
{
    ScriptedPort port;
    Elements e;
    SectionFile file(all_types_text());
    ASSERT_EQ(file.read_into(e.list), 0);
    EXPECT_EQ(error_count(), 0);
    EXPECT_TRUE(port.boxes.empty());
    ASSERT_EQ(e.list.count(), 29);
    EXPECT_EQ(written(e.list), all_types_text());

    EXPECT_EQ(e.list.find_by_name("e00")->desc, "!starts with a bang");
    EXPECT_EQ(e.list.find_by_name("e01")->desc, "");
    const AirflowElement* super = e.list.find_by_name("zsuper");
    ASSERT_NE(super, nullptr);
    const auto& subs = std::get<SuperData>(super->data).subs;
    ASSERT_EQ(subs.size(), 3u);
    EXPECT_EQ(subs[0].element, e.list.find_by_name("e09"));
    EXPECT_EQ(subs[1].element, e.list.find_by_name("e19"));
    EXPECT_EQ(subs[2].element, e.list.find_by_name("e10"));
    EXPECT_EQ(subs[1].scheduled, 1);
    EXPECT_EQ(subs[0].scheduled + subs[2].scheduled, 0);
    EXPECT_EQ(e.list.find_by_name("e19")->use_count, 1);
}

TEST(AirflowSection, OrificeDiameterAndLaminarCoefficientComeFromTheArea)
{
    ScriptedPort port;
    Elements e;
    SectionFile file("1 ! flow elements:\n1 23 plr_orfc o\nhand-made\n 1 0.00848528 0.5 0.01 5 0.6 30 0 0\n-999\n");
    ASSERT_EQ(file.read_into(e.list), 0);
    const auto& d = std::get<OrificeData>(e.list.head()->data);
    const double D = std::sqrt(0.01f * 1.27324);
    EXPECT_NEAR(d.dia, D, 1e-7);
    const double Ft = static_cast<float>(30 * 1.81625e-5 * 0.01f / static_cast<float>(D));
    const double dPt = std::pow(Ft / (0.00848528f * 1.097315), 2);
    EXPECT_NEAR(d.lam, Ft * 1.81625e-5 / (dPt * 1.2041), 1e-11);
}

struct BadSection {
    const char* what;
    const char* text;
    std::vector<std::string> messages;  // the first ERRORs, in order
};

TEST(AirflowSection, ReaderChecksWhatItWillTrust)
{
    const BadSection cases[] = {
        // An index beyond the kind's list would end the program the first
        // time the element is shown.
        {"unit index beyond its kind", "1 ! flow elements:\n1 23 plr_orfc o\n\n 0 0 0.5 0.01 0.112838 0.6 30 9 0\n-999\n",
         {"Invalid unit index, element 1"}},
        {"negative unit index", "1 ! flow elements:\n1 23 fan_cvf f\n\n 1 -1\n-999\n",
         {"Invalid unit index, element 1"}},
        {"duct keyword", "1 ! flow elements:\n1 23 dct_dwc d\n\n 1 2 3\n-999\n",
         {"Undefined Element Type: dct_dwc", "Invalid element type 29"}},
        {"unknown keyword", "1 ! flow elements:\n1 23 plr_oops d\n\n 1 2 3\n-999\n",
         {"Undefined Element Type: plr_oops", "Invalid element type 42"}},
        {"icon of no element", "1 ! flow elements:\n1 26 plr_orfc o\n\n 0 0 0.5 0.01 0.112838 0.6 30 0 0\n-999\n",
         {"Invalid element icon, element 1"}},
        // Fan icons belong to fans only.
        {"fan icon on an orifice", "1 ! flow elements:\n1 28 plr_orfc o\n\n 0 0 0.5 0.01 0.112838 0.6 30 0 0\n-999\n",
         {"Invalid element icon, element 1"}},
        {"eleven fan points",
         "1 ! flow elements:\n1 23 fan_fan f\n\n 0 0 0.5 1.2041 0 0 0.1\n 0 0 0 0 11 0.01 0\n-999\n",
         {"Invalid fan point count, element 1"}},
        {"257 spline points", "1 ! flow elements:\n1 23 csf_fsp s\n\n 257 0 0\n-999\n",
         {"Invalid spline point count, element 1"}},
        {"negative sub-element count", "1 ! flow elements:\n1 23 sup_afe s\n\n  -1 0 0\n-999\n",
         {"Invalid sub-element count, element 1"}},
        {"sub-element beyond the section",
         "2 ! flow elements:\n1 23 plr_orfc o\n\n 0 0 0.5 0.01 0.112838 0.6 30 0 0\n"
         "2 23 sup_afe s\n\n  2 0 0\n  1 0 0\n  5 0 0\n-999\n",
         {"Invalid sub-element number, element 2"}},
        {"super element as its own sub-element",
         "2 ! flow elements:\n1 23 plr_orfc o\n\n 0 0 0.5 0.01 0.112838 0.6 30 0 0\n"
         "2 23 sup_afe s\n\n  2 0 0\n  1 0 0\n  2 0 0\n-999\n",
         {"Invalid sub-element number, element 2"}},
        {"number out of place", "1 ! flow elements:\n2 23 plr_orfc o\n\n 0 0 0.5 0.01 0.112838 0.6 30 0 0\n-999\n",
         {"Element number mis-match: 1"}},
        {"no end", "1 ! flow elements:\n1 23 plr_orfc o\n\n 0 0 0.5 0.01 0.112838 0.6 30 0 0\n-998\n",
         {"PRJ read error; see LOG file"}},
        {"orifice without area", "1 ! flow elements:\n1 23 plr_orfc o\n\n 0 0 0.5 0 0.112838 0.6 30 0 0\n-999\n",
         {"Invalid orifice area, element 1"}},
    };
    for (const BadSection& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedPort port;
        Elements e;
        SectionFile file(c.text);
        EXPECT_EQ(file.read_into(e.list), 1);
        EXPECT_EQ(error_count(), static_cast<int>(c.messages.size()));
        ASSERT_GE(port.boxes.size(), c.messages.size());
        for (std::size_t i = 0; i < c.messages.size(); ++i) {
            EXPECT_EQ(port.boxes[i].caption, "ERROR");
            EXPECT_EQ(port.boxes[i].text.rfind(" " + c.messages[i] + "\n", 0), 0u) << port.boxes[i].text;
        }
    }
}

TEST(AirflowSection, OnlyOneSubElementTakesTheSchedule)
{
    // Sub-elements 1 and 2 both use element 1, which the file names as the
    // schedulable one: flagging both would schedule two sub-paths.
    ScriptedPort port;
    Elements e;
    SectionFile file("2 ! flow elements:\n1 23 plr_orfc o\n\n 0 0 0.5 0.01 0.112838 0.6 30 0 0\n"
                     "2 23 sup_afe s\n\n  3 1 0\n  1 0 0\n  1 2 0\n  1 4 1\n-999\n");
    ASSERT_EQ(file.read_into(e.list), 0);
    const auto& subs = std::get<SuperData>(e.list.find_by_name("s")->data).subs;
    ASSERT_EQ(subs.size(), 3u);
    EXPECT_EQ(subs[0].scheduled, 1);
    EXPECT_EQ(subs[1].scheduled, 0);
    EXPECT_EQ(subs[2].scheduled, 0);
    EXPECT_EQ(e.list.find_by_name("o")->use_count, 3);
}

TEST(AirflowSection, DescriptionsReadBackAsWritten)
{
    ScriptedPort port;
    Elements before;
    const std::vector<std::string> typed = {"!a comment?", "two\nlines", "  !indented", ""};
    const std::vector<std::string> stored = {"!a comment?", "two lines", "  !indented", ""};
    for (std::size_t i = 0; i < typed.size(); ++i) {
        AirflowElement el;
        el.name = "e" + std::to_string(i);
        el.desc = typed[i];
        before.list.insert_copy(el);
    }
    Elements after;
    SectionFile file(written(before.list));
    ASSERT_EQ(file.read_into(after.list), 0);
    ASSERT_EQ(after.list.count(), 4);
    std::size_t i = 0;
    for (const AirflowElement& el : after.list) EXPECT_EQ(el.desc, stored[i++]);
}

TEST(AirflowSection, WriterRefusesSubElementOutsideTheList)
{
    ScriptedPort port;
    Elements e;
    AirflowElement stranger;  // never put in the list
    AirflowElement super;
    super.name = "s";
    super.type = kSupAfe;
    super.data = SuperData{{{&stranger, 0, 0, 0}}, 0};
    e.list.insert_copy(super);
    TextWriter out;
    EXPECT_EQ(write_flow_elements_section(out, e.list), 1);
    EXPECT_EQ(out.text(), "1 ! flow elements:\n1 23 sup_afe s\n\n  1 0 0\n  0 0 0\n-999\n");
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].text.rfind(" Invalid sub-element number, element 1\n", 0), 0u);
}

}  // namespace
}  // namespace avelor
