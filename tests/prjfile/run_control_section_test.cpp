#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "app/data_reader.h"
#include "prjfile/run_control_section.h"
#include "support/scripted_port.h"

namespace avelor {
namespace {

using testing::ScriptedPort;

// The section of a new project, formatted by hand from the file's layout.
const char* const kNewProjectSection =
    "! rows cols ud uf    T   uT     N     wH  u  Ao    a\n"
    "    58   66  0  0 293.150 2    0.00 10.00 0 0.600 0.280\n"
    "!  scale     us  orgRow  orgCol  invYaxis showGeom\n"
    "  1.000e+00   0      56       1     0        0\n"
    "! Ta       Pb      Ws    Wd    rh  day u..\n"
    "293.150 101325.0  0.000   0.0 0.000 1 2 0 0 1 ! steady simulation\n"
    "293.150 101325.0  1.000 270.0 0.000 1 2 0 0 1 ! wind pressure test\n"
    "null ! no weather file\n"
    "null ! no contaminant file\n"
    "null ! no continuous values file\n"
    "null ! no discrete values file\n"
    "null ! no WPC file\n"
    "null ! no EWC file\n"
    "WPC description\n"
    "!  Xref    Yref    Zref   angle u\n"
    "   0.000   0.000   0.000   0.00 0\n"
    "! epsP epsS  tShift  dStart dEnd wp mf wpctrig\n"
    "  0.01 0.01 00:00:00   1/1   1/1  0  0  0\n"
    "! latd  longtd   tznr  altd  Tgrnd u..\n"
    " 40.00  -90.00  -6.00     0 283.15 2 0\n"
    "!sim_af afcalc afmaxi afrcnvg afacnvg afrelax uac Pbldg uPb\n"
    "     0      1     30   1e-05   1e-06    0.75   0 50.00   0\n"
    "!   slae rs aflmaxi aflcnvg aflinit Tadj\n"
    "      0   1    100   1e-06      1    0\n"
    "!sim_mf slae rs maxi   relcnvg   abscnvg relax gamma ucc\n"
    "    0             30  1.00e-04  1.00e-15 1.250         0 ! (cyclic)\n"
    "          0   1  100  1.00e-06  1.00e-15 1.100 1.000   0 ! (non-trace)\n"
    "          0   1  100  1.00e-06  1.00e-15 1.100 1.000   0 ! (trace)\n"
    "          0   1  100  1.00e-06  1.00e-15 1.100         0 ! (cvode)\n"
    "!mf_solver sim_1dz sim_1dd   celldx  sim_vjt udx\n"
    "     0        1       0     1.00e-01    0     0\n"
    "!cvode    rcnvg     acnvg    dtmax\n"
    "   0     1.00e-06  1.00e-13   0.00\n"
    "!tsdens relax tsmaxi cnvgSS densZP stackD dodMdt\n"
    "   0    0.75    20     1      0      0      0\n"
    "!date_st time_st  date_0 time_0   date_1 time_1    t_step   t_list   t_scrn\n"
    "  Jan01 00:00:00  Jan01 00:00:00  Jan01 24:00:00  00:05:00 01:00:00 01:00:00\n"
    "!restart  date  time\n"
    "    0    Jan01 00:00:00\n"
    "!list doDlg pfsave zfsave zcsave\n"
    "   1     1      1      1      1\n"
    "!vol ach -bw cbw exp -bw age -bw\n"
    "  0   0   0   0   0   0   0   0\n"
    "!rzf rzm rz1 csm srf log\n"
    "  0   0   0   1   1   1\n"
    "!bcx dcx pfq zfq zcq\n"
    "  0   0   0   0   0\n"
    "! 0  1  2  3  4  5  6  7  8  9  10 11 12 13 14 15 <- extra[]\n"
    "  0  0  0  0  0  0  0  0  0  0  0  0  0  0  0  0\n"
    "2 ! rvals:\n"
    "1.2041 9.8055 \n"
    "!valZ valD valC\n"
    "   0    0    0\n"
    "!cfd  cfdcnvg   var zref  maxi dtcmo\n"
    "  0   1.00e-02   0   0    1000   1\n"
    "-999\n";

class RunControlSectionTest : public ::testing::Test {
protected:
    RunControl read_back(const std::string& text)
    {
        std::string path = ::testing::TempDir() + "run_control_section.txt";
        std::ofstream(path, std::ios::binary) << text << "* end\n";
        DataReader in;
        EXPECT_EQ(in.open(path, 0), 0);
        RunControl rc;
        rc.rvals = {7.0f};
        read_run_control(in, rc);
        in.close();
        return rc;
    }
    ScriptedPort port;
};

TEST_F(RunControlSectionTest, NewProjectWritesTheDefaults)
{
    RunControl rc;
    TextWriter out;
    write_run_control(out, rc);
    EXPECT_EQ(out.text(), kNewProjectSection);
}

TEST_F(RunControlSectionTest, HeaderLine)
{
    TextWriter out;
    write_project_header(out, "An office", 0);
    EXPECT_EQ(out.text(), "AvelorW 3.2  0\nAn office\n");
}

TEST_F(RunControlSectionTest, ReadsDefaultsAndDerivesWindAndLatitude)
{
    RunControl rc = read_back(kNewProjectSection);
    EXPECT_EQ(error_count(), 0);
    EXPECT_EQ(rc.rows, 58);
    EXPECT_EQ(rc.orgRow, 56);
    EXPECT_EQ(rc.time_1, 86400);
    EXPECT_EQ(rc.t_step, 300);
    EXPECT_EQ(rc.rvals, (std::vector<float>{1.2041f, 9.8055f}));
    EXPECT_NEAR(rc.wind_modifier_squared, 0.36, 1e-6);
    EXPECT_NEAR(rc.sin_latitude, 0.6428, 1e-4);
    EXPECT_NEAR(rc.cos_latitude, 0.7660, 1e-4);
}

TEST_F(RunControlSectionTest, ChangedSettingsRoundTripByteForByte)
{
    RunControl rc;
    rc.rows = 120;
    rc.cols = 200;
    rc.ud = 1;
    rc.weather_file = "/home/user/weather data/site!2.wth";
    rc.contaminant_file = "";
    rc.wpc_file = "";
    rc.ewc_file = "plant.ewc";
    rc.wpc_description = "Tower study";
    rc.tShift = 3600;
    rc.dStart = 59;
    rc.dEnd = 365;
    rc.date_st = 32;
    rc.time_st = 25500;
    rc.date_1 = 365;
    rc.rvals = {1.2f, 9.81f, 3.5f};
    rc.extra[15] = 12;
    rc.nontrace.gamma = 0.5f;
    rc.wH = 25;
    rc.a = 0.33f;

    TextWriter first;
    write_run_control(first, rc);
    RunControl back = read_back(first.text());
    EXPECT_EQ(error_count(), 0);
    EXPECT_EQ(back.weather_file, "/home/user/weather data/site!2.wth");
    EXPECT_EQ(back.contaminant_file, "null");
    EXPECT_EQ(back.wpc_file, "");
    EXPECT_EQ(back.ewc_file, "plant.ewc");
    TextWriter second;
    write_run_control(second, back);
    EXPECT_EQ(second.text(), first.text());
    EXPECT_NEAR(back.wind_modifier_squared, std::pow(0.6 * std::pow(2.5, 0.33), 2), 1e-5);
}

TEST_F(RunControlSectionTest, NullWpcFileSwitchesTriggerOffAndTsmaxiIsAtLeastTwo)
{
    RunControl rc;
    rc.wpctrig = 1;
    rc.tsmaxi = 1;
    TextWriter out;
    write_run_control(out, rc);
    EXPECT_EQ(rc.wpctrig, 0);
    EXPECT_EQ(read_back(out.text()).tsmaxi, 2);
}

TEST_F(RunControlSectionTest, DamagedSectionsAreCountedErrors)
{
    std::string text = kNewProjectSection;
    // A missing terminator, and a bad time.
    std::string no_end = text.substr(0, text.size() - 5) + "12\n";
    read_back(no_end);
    EXPECT_EQ(error_count(), 1);
    EXPECT_NE(port.boxes.back().text.find("PRJ read error; see LOG file"), std::string::npos);

    reset_error_count();
    std::string bad_time = text;
    bad_time.replace(bad_time.find("00:05:00"), 8, "00:65:00");
    read_back(bad_time);
    EXPECT_EQ(error_count(), 1);

    reset_error_count();
    std::string no_rvals = text;
    no_rvals.replace(no_rvals.find("2 ! rvals:\n1.2041 9.8055 \n"), 26, "0 ! rvals:\n\n");
    RunControl rc = read_back(no_rvals);
    EXPECT_EQ(error_count(), 1);
    EXPECT_EQ(rc.rvals, std::vector<float>{7.0f}) << "an empty value list is refused";
}

TEST(FileNameLine, CommentIsTheLastFreeStandingBang)
{
    EXPECT_EQ(file_name_from_line("site.wth ! weather file"), "site.wth");
    EXPECT_EQ(file_name_from_line("a!b.wth ! weather file"), "a!b.wth");
    EXPECT_EQ(file_name_from_line(" ! WPC file"), "");
    EXPECT_EQ(file_name_from_line("plain.wth"), "plain.wth");
    EXPECT_EQ(file_name_from_line("tabbed.wth\t! x"), "tabbed.wth");
}

}  // namespace
}  // namespace avelor
