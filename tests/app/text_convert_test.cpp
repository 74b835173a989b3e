#include "app/text_convert.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "app/diagnostics.h"
#include "support/scripted_port.h"

namespace avelor {
namespace {

using testing::ScriptedPort;

constexpr std::int32_t kIntMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kIntMax = std::numeric_limits<std::int32_t>::max();

TEST(TextConv, Numbers)
{
    EXPECT_EQ(int_text(0), "0");
    EXPECT_EQ(int_text(-42), "-42");
    EXPECT_EQ(int_text(kIntMin), "-2147483648");

    struct Case {
        double x;
        int width;
        std::string text;
    };
    const std::vector<Case> cases = {
        {3.5, 0, "3.5"},
        {0.1f, 0, "0.1"},
        {123456789, 0, "1.23457e+08"},
        {1e-5, 10, "     1e-05"},
        {-2.5, 6, "  -2.5"},
        {0.25, -6, "0.25  "},
        {100000, 3, "100000"},
        {1e6, 0, "1e+06"},
        {0, 4, "   0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(float_text(c.x, c.width), c.text);
    }
}

TEST(TextConv, TimesOfDay)
{
    ScriptedPort port;
    struct Case {
        std::int32_t seconds;
        std::string text;
    };
    const std::vector<Case> cases = {
        {0, "00:00:00"}, {59, "00:00:59"}, {3599, "00:59:59"},
        {25500, "07:05:00"}, {86399, "23:59:59"}, {86400, "24:00:00"},
    };
    for (const Case& c : cases) EXPECT_EQ(time_text(c.seconds), c.text);
    EXPECT_EQ(hms_text(7, 5, 0), "07:05:00");
    EXPECT_EQ(hms_text(100, 0, 9), "100:00:09");

    const TimeParts parts = split_time(45296);
    EXPECT_EQ(parts.hours, 12);
    EXPECT_EQ(parts.minutes, 34);
    EXPECT_EQ(parts.seconds, 56);
    EXPECT_TRUE(port.boxes.empty());
}

TEST(TextConv, OutOfRangeTimesAreErrorsNotStops)
{
    ScriptedPort port;
    struct Case {
        std::int32_t seconds;
        std::string text;
    };
    const std::vector<Case> cases = {
        {-1, "00:00:00"}, {86401, "24:00:00"}, {kIntMin, "00:00:00"}, {kIntMax, "24:00:00"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seconds);
        const std::size_t boxes = port.boxes.size();
        EXPECT_EQ(time_text(c.seconds), c.text);
        ASSERT_EQ(port.boxes.size(), boxes + 1);
        EXPECT_EQ(port.boxes.back().caption, "ERROR");
        EXPECT_EQ(port.boxes.back().text.substr(0, port.boxes.back().text.find('\n') + 1),
                  " invalid time: " + int_text(c.seconds) + "\n");
    }
    EXPECT_EQ(error_count(), 4);
    const TimeParts parts = split_time(-5);
    EXPECT_EQ(parts.hours + parts.minutes + parts.seconds, 0);
    EXPECT_EQ(error_count(), 5);
}

TEST(TextConv, DaysOfTheYear)
{
    ScriptedPort port;
    struct Case {
        int day;
        int month;
        int in_month;
        std::string text;
        std::string month_day;
    };
    const std::vector<Case> cases = {
        {1, 1, 1, "Jan01", "1/1"},      {31, 1, 31, "Jan31", "1/31"},
        {32, 2, 1, "Feb01", "2/1"},     {59, 2, 28, "Feb28", "2/28"},
        {60, 3, 1, "Mar01", "3/1"},     {181, 6, 30, "Jun30", "6/30"},
        {334, 11, 30, "Nov30", "11/30"}, {335, 12, 1, "Dec01", "12/1"},
        {365, 12, 31, "Dec31", "12/31"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.day);
        EXPECT_EQ(month_of(c.day), c.month);
        EXPECT_EQ(day_in_month(c.day), c.in_month);
        EXPECT_EQ(day_text(c.day), c.text);
        EXPECT_EQ(month_day_text(c.day), c.month_day);
    }
    EXPECT_TRUE(port.boxes.empty());

    // The month table adds up to the year.
    int total = 0;
    for (std::size_t m = 0; m < 12; ++m) {
        EXPECT_EQ(days_before_month[m], total);
        total += month_days[m];
    }
    EXPECT_EQ(total, kDaysInYear);
}

TEST(TextConv, OutOfRangeDaysAreClamped)
{
    ScriptedPort port;
    struct Case {
        int day;
        int month;
        int in_month;
        std::string text;
    };
    const std::vector<Case> cases = {
        {0, 1, 1, "Jan01"},
        {366, 12, 31, "Dec31"},
        {kIntMin, 1, 1, "Jan01"},
        {kIntMax, 12, 31, "Dec31"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.day);
        EXPECT_EQ(month_of(c.day), c.month);
        EXPECT_EQ(day_in_month(c.day), c.in_month);
        const std::size_t boxes = port.boxes.size();
        EXPECT_EQ(day_text(c.day), c.text);
        ASSERT_EQ(port.boxes.size(), boxes + 1);
        EXPECT_EQ(port.boxes.back().text.substr(0, port.boxes.back().text.find('\n') + 1),
                  " invalid date: " + int_text(c.day) + "\n");
    }
    EXPECT_EQ(error_count(), 4);
}

}  // namespace
}  // namespace avelor
