#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/console_port.h"
#include "app/diagnostics.h"
#include "app/run_log.h"
#include "support/scripted_port.h"
#include "support/test_files.h"

namespace avelor {
namespace {

using testing::ScriptedPort;
using testing::read_file;

class DiagnosticsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        log_path = ::testing::TempDir() + "diagnostics_test.log";
        ASSERT_TRUE(run_log().open(log_path));
    }
    void TearDown() override { run_log().close(); }
    std::string log_text()
    {
        run_log().flush();
        return read_file(log_path);
    }
    ScriptedPort port;
    std::string log_path;
};

TEST_F(DiagnosticsTest, ErrorCountRisesOnlyAtSeverityTwo)
{
    report_error(ERROR, {"a"});
    report_error(ERROR, {"b"});
    report_error(WARNING, {"w"});
    report_error(NOTE, {"n"});
    EXPECT_EQ(report_error(ERROR, {"c"}), 3);
    EXPECT_EQ(report_error(-1, {}), 3);
    EXPECT_EQ(port.boxes.size(), 5u);
    EXPECT_EQ(report_error(-2, {}), 0);
    EXPECT_EQ(report_error(-1, {}), 0);
    EXPECT_EQ(report_error(-7, {}), 0);
}

TEST_F(DiagnosticsTest, LogsTwoLinesAndShowsBoxWithSuffix)
{
    report_error_at(WARNING, "..\\source\\PrjRead.c", 42, {"Bad float value: ", "1e39", "", "ignored"});
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].caption, "WARNING");
    EXPECT_EQ(port.boxes[0].icon, BoxIcon::Exclamation);
    EXPECT_EQ(port.boxes[0].text, " Bad float value: 1e39\n  (file PrjRead, line 42)\n");
    EXPECT_EQ(log_text(), "WARNING  (file PrjRead, line 42)\n Bad float value: 1e39\n");
}

TEST_F(DiagnosticsTest, SeverityAboveThreeIsFatalButNotCounted)
{
    EXPECT_THROW(report_error(5, {"boom"}), FatalStop);
    EXPECT_EQ(error_count(), 0);
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].caption, "FATAL");
    EXPECT_EQ(port.boxes[0].icon, BoxIcon::Stop);
    EXPECT_NE(log_text().find("FATAL  (file diagnostics_tes, line "), std::string::npos);
}

TEST_F(DiagnosticsTest, FatalStopCarriesTheMessage)
{
    try {
        report_fatal({"Insufficient memory to allocate: ", "zone"});
        FAIL() << "report_fatal returned";
    } catch (const FatalStop& stop) {
        EXPECT_STREQ(stop.what(), " Insufficient memory to allocate: zone\n");
    }
}

TEST_F(DiagnosticsTest, LongMessagesAreCutAt255WithWholeSuffix)
{
    std::string long_piece(300, 'x');
    report_error_at(NOTE, "m.c", 7, {"head ", long_piece});
    const std::string& text = port.boxes.at(0).text;
    std::string expected_body = " head " + std::string(255 - 6, 'x') + "\n";
    EXPECT_EQ(text, expected_body + "  (file m, line 7)\n");
    EXPECT_EQ(build_message_text({std::string(254, 'y')}).size(), 256u);
}

TEST_F(DiagnosticsTest, ShowMessageClampsAndNeverCountsOrLogs)
{
    show_message(-1, {"nothing"});
    show_message(7, {"shown as error"});
    show_message(NOTE, {"note"});
    ASSERT_EQ(port.boxes.size(), 2u);
    EXPECT_EQ(port.boxes[0].caption, "ERROR");
    EXPECT_EQ(port.boxes[0].text, " shown as error\n");
    EXPECT_EQ(port.boxes[1].icon, BoxIcon::Information);
    EXPECT_EQ(error_count(), 0);
    EXPECT_EQ(log_text(), "");
}

TEST_F(DiagnosticsTest, LogMessageWritesOneLineAndEndsAtFatal)
{
    log_message(ERROR, "PathSplit: file name overrun");
    EXPECT_TRUE(port.boxes.empty());
    EXPECT_EQ(error_count(), 0);
    EXPECT_THROW(log_message(9, "stop"), FatalStop);
    EXPECT_EQ(log_text(), "ERROR PathSplit: file name overrun\nFATAL stop\n");
}

TEST_F(DiagnosticsTest, QuestionsMapAnswers)
{
    port.answers = {Answer::Yes, Answer::No, Answer::Other, Answer::Yes, Answer::No,
                    Answer::Cancel, Answer::Other};
    EXPECT_EQ(ask_question("q1"), 1);
    EXPECT_EQ(ask_question("q2"), 0);
    EXPECT_EQ(ask_question("q3"), 0);
    EXPECT_EQ(ask_question_or_cancel("q4"), 1);
    EXPECT_EQ(ask_question_or_cancel("q5"), 0);
    EXPECT_EQ(ask_question_or_cancel("q6"), -1);
    EXPECT_EQ(ask_question_or_cancel("q7"), -2);
    EXPECT_EQ(port.asked_with_cancel, (std::vector<bool>{false, false, false, true, true, true, true}));
}

TEST(DiagnosticsModuleName, BaseNameRules)
{
    EXPECT_EQ(module_base_name("..\\source\\PrjRead.c"), "PrjRead");
    EXPECT_EQ(module_base_name("/src/prjfile/prj_read.cpp"), "prj_read");
    EXPECT_EQ(module_base_name("averyveryverylongmodulename.cpp"), "averyveryverylo");
    EXPECT_EQ(module_base_name("noext"), "noext");
}

TEST(DiagnosticsCentring, CentresOnMainAndStaysInWorkArea)
{
    const Rect area{0, 0, 1920, 1040};
    // Centred on the main window (integer division).
    Point p = centre_box({100, 50, 553, 564}, area, 301, 121);
    EXPECT_EQ(p.x, 100 + (553 - 301) / 2);
    EXPECT_EQ(p.y, 50 + (564 - 121) / 2);
    // Pushed back inside at each edge.
    p = centre_box({-400, -300, 500, 400}, area, 400, 300);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
    p = centre_box({1800, 1000, 300, 200}, area, 400, 300);
    EXPECT_EQ(p.x, 1920 - 400);
    EXPECT_EQ(p.y, 1040 - 300);
}

TEST(ConsolePortTest, LinesOnStderrAndQuestionPolicy)
{
    std::ostringstream out;
    ConsolePort refuse(out);
    refuse.show_box("ERROR", BoxIcon::Stop, " Bad integer: 12a\n  (file x, line 1)\n");
    EXPECT_EQ(out.str(), "ERROR: Bad integer: 12a\n  (file x, line 1)\n");
    EXPECT_EQ(refuse.ask("Save?", false), Answer::No);
    EXPECT_EQ(refuse.ask("Save?", true), Answer::Cancel);
    ConsolePort yes(out, QuestionPolicy::AnswerYes);
    EXPECT_EQ(yes.ask("Save?", true), Answer::Yes);
    ConsolePort no(out, QuestionPolicy::AnswerNo);
    EXPECT_EQ(no.ask("Save?", true), Answer::No);
    EXPECT_NE(out.str().find("Question: Save? -> Yes\n"), std::string::npos);
}

}  // namespace
}  // namespace avelor
