// Numbers, times of day and days of the year as the program writes them.
//
// A time of day is whole seconds from 0 to 86400 (24:00:00 closes the day);
// a day of the year is 1..365 with no leap day, written as a month
// abbreviation and a two-digit day (Jan01 … Dec31). Every result is plain
// text in the C locale, whatever locale the process runs in.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace avelor {

inline constexpr int kDaysInYear = 365;
inline constexpr std::int32_t kSecondsInDay = 86400;

inline constexpr std::array<std::string_view, 12> month_names = {
    "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
inline constexpr std::array<int, 12> month_days = {31, 28, 31, 30, 31, 30,
                                                   31, 31, 30, 31, 30, 31};
inline constexpr std::array<int, 12> days_before_month = {0,   31,  59,  90,  120, 151,
                                                          181, 212, 243, 273, 304, 334};

// printf into a string of the length it needs. Numbers follow the process's
// numeric locale, which the programs keep at "C".
#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
std::string format_text(const char* format, ...);

// "%d".
std::string int_text(std::int32_t n);

// "%<width>g": six significant digits, right-aligned in width characters
// (left-aligned for a negative width).
std::string float_text(double x, int width);

struct TimeParts {
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
};

// Hours, minutes and seconds of a time of day. A time outside 0..86400 is an
// ERROR "invalid time: " with the number, and is taken clamped into range.
TimeParts split_time(std::int32_t seconds);

// HH:MM:SS of a time of day (24:00:00 for 86400); out-of-range times as in
// split_time().
std::string time_text(std::int32_t seconds);

// HH:MM:SS from its parts, each zero-padded to two digits.
std::string hms_text(int hours, int minutes, int seconds);

// "Jan01" … "Dec31". A day outside 1..365 is an ERROR "invalid date: " with
// the number, and is taken clamped into range.
std::string day_text(int day);

// Month 1..12 and day within it of a day of the year; days outside 1..365
// are clamped into range.
int month_of(int day);
int day_in_month(int day);

// "MmmDD" (the month in any case, the day one or two digits) as a day of
// the year; nothing for any other text.
std::optional<int> parse_day_text(std::string_view text);
// "HH:MM:SS" (each part one or two digits, minutes and seconds below 60)
// as seconds of the day, at most 24:00:00; nothing for any other text.
std::optional<std::int32_t> parse_time_text(std::string_view text);

// "m/d" of a day of the year ("1/1" for day 1); clamped as month_of().
std::string month_day_text(int day);
// "m/d" (month and day one or two digits each) as a day of the year;
// nothing for any other text or a day the month does not have.
std::optional<int> parse_month_day_text(std::string_view text);

}  // namespace avelor
