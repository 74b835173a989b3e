#include "app/text_convert.h"

#include <algorithm>
#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "app/diagnostics.h"

namespace avelor {

std::string format_text(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int needed = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text;
    if (needed > 0) {
        text.resize(static_cast<std::size_t>(needed) + 1);
        std::vsnprintf(text.data(), text.size(), format, again);
        text.resize(static_cast<std::size_t>(needed));
    }
    va_end(again);
    return text;
}

namespace {

// "%02d": a sign counts toward the width, as printf does it.
void append_two_digits(std::string& out, int value)
{
    if (value >= 0 && value < 10) out.push_back('0');
    out.append(std::to_string(value));
}

int clamp_day(int day) { return std::clamp(day, 1, kDaysInYear); }

}  // namespace

std::string int_text(std::int32_t n) { return std::to_string(n); }

std::string float_text(double x, int width)
{
    // to_chars with a precision is printf's %g in the C locale, so a
    // caller's locale can never turn the decimal point into a comma.
    std::string text(32, '\0');
    auto [end, ec] = std::to_chars(text.data(), text.data() + text.size(), x,
                                   std::chars_format::general, 6);
    text.resize(ec == std::errc{} ? static_cast<std::size_t>(end - text.data()) : 0);

    const std::size_t field = static_cast<std::size_t>(std::abs(static_cast<long>(width)));
    if (text.size() < field) {
        const std::size_t pad = field - text.size();
        if (width < 0)
            text.append(pad, ' ');
        else
            text.insert(0, pad, ' ');
    }
    return text;
}

TimeParts split_time(std::int32_t seconds)
{
    if (seconds < 0 || seconds > kSecondsInDay) {
        report_error(ERROR, {"invalid time: ", int_text(seconds)});
        seconds = std::clamp(seconds, std::int32_t{0}, kSecondsInDay);
    }
    return {seconds / 3600, seconds / 60 % 60, seconds % 60};
}

std::string time_text(std::int32_t seconds)
{
    const TimeParts t = split_time(seconds);
    return hms_text(t.hours, t.minutes, t.seconds);
}

std::string hms_text(int hours, int minutes, int seconds)
{
    std::string text;
    append_two_digits(text, hours);
    text.push_back(':');
    append_two_digits(text, minutes);
    text.push_back(':');
    append_two_digits(text, seconds);
    return text;
}

int month_of(int day)
{
    day = clamp_day(day);
    int month = 0;
    while (days_before_month[static_cast<std::size_t>(month)] +
               month_days[static_cast<std::size_t>(month)] <
           day)
        ++month;
    return month + 1;
}

int day_in_month(int day)
{
    day = clamp_day(day);
    return day - days_before_month[static_cast<std::size_t>(month_of(day) - 1)];
}

std::string day_text(int day)
{
    if (day < 1 || day > kDaysInYear) {
        report_error(ERROR, {"invalid date: ", int_text(day)});
        day = clamp_day(day);
    }
    std::string text(month_names[static_cast<std::size_t>(month_of(day) - 1)]);
    append_two_digits(text, day_in_month(day));
    return text;
}

std::string month_day_text(int day)
{
    return int_text(month_of(day)) + "/" + int_text(day_in_month(day));
}

namespace {

// One or two digits.
std::optional<int> small_number(std::string_view text)
{
    if (text.empty() || text.size() > 2) return std::nullopt;
    int n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + (c - '0');
    }
    return n;
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::optional<int> parse_day_text(std::string_view text)
{
    if (text.size() < 4 || text.size() > 5) return std::nullopt;
    for (std::size_t m = 0; m < month_names.size(); ++m) {
        const std::string_view name = month_names[m];
        bool same = true;
        for (std::size_t i = 0; i < 3; ++i) same = same && lower(text[i]) == lower(name[i]);
        if (!same) continue;
        const std::optional<int> d = small_number(text.substr(3));
        if (!d || *d < 1 || *d > month_days[m]) return std::nullopt;
        return days_before_month[m] + *d;
    }
    return std::nullopt;
}

std::optional<int> parse_month_day_text(std::string_view text)
{
    const std::size_t slash = text.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    const std::optional<int> m = small_number(text.substr(0, slash));
    const std::optional<int> d = small_number(text.substr(slash + 1));
    if (!m || !d || *m < 1 || *m > 12) return std::nullopt;
    const auto month = static_cast<std::size_t>(*m - 1);
    if (*d < 1 || *d > month_days[month]) return std::nullopt;
    return days_before_month[month] + *d;
}

std::optional<std::int32_t> parse_time_text(std::string_view text)
{
    const std::size_t a = text.find(':');
    const std::size_t b = a == std::string_view::npos ? a : text.find(':', a + 1);
    if (b == std::string_view::npos) return std::nullopt;
    const auto h = small_number(text.substr(0, a));
    const auto m = small_number(text.substr(a + 1, b - a - 1));
    const auto s = small_number(text.substr(b + 1));
    if (!h || !m || !s || *m > 59 || *s > 59) return std::nullopt;
    const std::int32_t t = *h * 3600 + *m * 60 + *s;
    if (t > kSecondsInDay) return std::nullopt;
    return t;
}

}  // namespace avelor
