#include "outdoor/weather_file.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string_view>

#include "app/data_fields.h"
#include "app/data_reader.h"
#include "app/diagnostics.h"
#include "app/text_convert.h"
#include "outdoor/weather.h"

namespace avelor {

namespace {

constexpr int kSecondsPerDay = 86400;
// A record line holds a dozen numbers; anything much longer is damage.
constexpr std::size_t kLineSize = 4096;

int day_distance(int from, int to) { return to >= from ? to - from : to + 365 - from; }

// Seconds of the day: hh:mm:ss, or a plain count of seconds.
std::optional<int> time_of(std::string_view text)
{
    if (text.find(':') != std::string_view::npos) return parse_time_text(text);
    const std::optional<long long> s = whole_number(text);
    if (!s || *s < 0 || *s > kSecondsPerDay) return std::nullopt;
    return static_cast<int>(*s);
}

double normal_direction(double degrees)
{
    double d = std::fmod(degrees, 360.0);
    if (d < 0) d += 360.0;
    return d;
}

}  // namespace

bool WeatherFile::read(const std::string& path)
{
    *this = WeatherFile();
    path_ = path;
    int line_number = 0;
    const auto fail = [&](const std::string& why) {
        const std::string where = line_number > 0 ? ", line " + std::to_string(line_number) : std::string();
        error_ = "Bad weather file: " + path + where + ": " + why;
        days_.clear();
        records_.clear();
        instants_.clear();
        return false;
    };

    DataReader in;
    if (in.open(path, 0) != 0) return fail("it cannot be opened.");
    const int errors = error_count();
    enum class Stage { Header, Description, Span, Days, Records, Done } stage = Stage::Header;
    std::vector<std::string_view> f;
    int expected_day = 0;
    while (stage != Stage::Done) {
        const std::optional<std::string> line = in.read_line(kLineSize);
        if (!line) break;
        ++line_number;
        if (error_count() != errors) return fail("the line is too long.");
        const std::string_view text = *line;
        if (stage == Stage::Description) {
            // The description is the next line that is not a comment.
            if (!text.empty() && text.front() == '!') continue;
            description_ = std::string(text.substr(0, std::min<std::size_t>(text.size(), 70)));
            stage = Stage::Span;
            continue;
        }
        split_data_fields(text, f);
        const int n = static_cast<int>(f.size());
        if (n == 0) continue;
        switch (stage) {
        case Stage::Header:
            if (n < 3 || f[0] != "WeatherFile" || f[1] != "AvelorW" || f[2] != "2.0")
                return fail("Invalid header data: " + std::string(text));
            stage = Stage::Description;
            break;
        case Stage::Span: {
            const std::optional<int> a = n >= 2 ? parse_month_day_text(f[0]) : std::nullopt;
            const std::optional<int> b = n >= 2 ? parse_month_day_text(f[1]) : std::nullopt;
            if (!a || !b) return fail("the first and last days (m/d m/d) are not dates.");
            first_day_ = *a;
            last_day_ = *b;
            expected_day = first_day_;
            stage = Stage::Days;
            break;
        }
        case Stage::Days: {
            const std::optional<int> day = parse_month_day_text(f[0]);
            if (!day || *day != expected_day)
                return fail(" Incorrect weather file date: " + std::to_string(expected_day) + " (" +
                            month_day_text(expected_day) + ") expected.");
            if (n != 5) return fail("a daily record holds the date and four values.");
            const std::optional<long long> type = whole_number(f[1]), dst = whole_number(f[2]), reserved = whole_number(f[3]);
            const std::optional<double> ground = finite_number(f[4]);
            if (!type || !dst || !reserved || !ground) return fail("a daily record's value is not a number.");
            if (*type < 1 || *type > 12) return fail("the day type must be 1 to 12.");
            WeatherDay d;
            d.day = *day;
            d.day_type = static_cast<std::int16_t>(*type);
            d.daylight_saving = static_cast<std::int16_t>(std::clamp<long long>(*dst, -32768, 32767));
            d.reserved = static_cast<std::int32_t>(std::clamp<long long>(*reserved, INT32_MIN, INT32_MAX));
            d.ground_temperature = *ground;
            days_.push_back(d);
            if (expected_day == last_day_)
                stage = Stage::Records;
            else
                expected_day = expected_day == 365 ? 1 : expected_day + 1;
            break;
        }
        case Stage::Records: {
            if (n != 12) return fail("a time record holds the date, the time and ten values.");
            const std::optional<int> day = parse_month_day_text(f[0]);
            const std::optional<int> time = time_of(f[1]);
            if (!day) return fail("the record's date is not a date (m/d).");
            if (!time) return fail("the record's time is not a time of day.");
            if (!covers(*day)) return fail("the record's date lies outside the file's days.");
            WeatherRecord r;
            r.day = *day;
            r.time = *time;
            std::array<double, 10> v{};
            for (std::size_t k = 0; k < v.size(); ++k) {
                const std::optional<double> x = finite_number(f[k + 2]);
                if (!x) return fail("value " + std::to_string(k + 1) + " of the record is not a number.");
                v[k] = *x;
            }
            r.Ta = v[0];
            r.Pb = v[1];
            r.Ws = v[2];
            r.Wd = normal_direction(v[3]);
            std::copy(v.begin() + 4, v.end(), r.more.begin());
            if (r.Ta <= 0) return fail("the ambient temperature must be above 0 K.");
            if (r.Pb <= 0) return fail("the barometric pressure must be above 0 Pa.");
            if (r.Ws < 0) return fail("the wind speed must not be negative.");
            const long long at = elapsed(r.day, r.time);
            if (!instants_.empty() && at < instants_.back()) return fail("the record's instant comes before the one above.");
            records_.push_back(r);
            instants_.push_back(at);
            if (r.day == last_day_ && r.time == kSecondsPerDay) stage = Stage::Done;
            break;
        }
        case Stage::Description:
        case Stage::Done: break;
        }
    }
    switch (stage) {
    case Stage::Done: return true;
    case Stage::Header: return fail("it is empty.");
    case Stage::Records:
        return fail("it ends before the record of its last day (" + month_day_text(last_day_) + ") at 24:00:00.");
    default: return fail("it ends before its daily records are complete.");
    }
}

long long WeatherFile::elapsed(int day, int time) const
{
    return static_cast<long long>(day_distance(first_day_, day)) * kSecondsPerDay + time;
}

bool WeatherFile::covers(int day) const
{
    if (first_day_ <= last_day_) return day >= first_day_ && day <= last_day_;
    return day >= first_day_ || day <= last_day_;
}

int WeatherFile::day_type(int day) const
{
    if (days_.empty()) return 1;
    if (!covers(day)) return days_.front().day_type;
    const auto k = static_cast<std::size_t>(day_distance(first_day_, day));
    return k < days_.size() ? days_[k].day_type : days_.front().day_type;
}

double WeatherFile::max_dynamic_pressure() const
{
    if (records_.empty()) return 0;
    double Pb = 0, Ta = records_.front().Ta, Ws = 0;
    for (const WeatherRecord& r : records_) {
        Pb = std::max(Pb, r.Pb);
        Ta = std::min(Ta, r.Ta);
        Ws = std::max(Ws, r.Ws);
    }
    return dynamic_pressure(Pb, Ta, Ws);
}

OutdoorConditions WeatherFile::at(int day, int time) const
{
    OutdoorConditions c;
    c.day_type = day_type(day);
    if (records_.empty()) return c;
    const auto from = [&](const WeatherRecord& r) {
        c.Ta = r.Ta;
        c.Pb = r.Pb;
        c.Ws = r.Ws;
        c.Wd = r.Wd;
        return c;
    };
    const long long at = covers(day) ? elapsed(day, time) : -1;
    if (at <= instants_.front()) return from(records_.front());
    if (at >= instants_.back()) return from(records_.back());
    // The last record at or before the instant, and the one after it.
    const auto next = std::upper_bound(instants_.begin(), instants_.end(), at);
    const auto k = static_cast<std::size_t>(next - instants_.begin());
    const WeatherRecord& a = records_[k - 1];
    const WeatherRecord& b = records_[k];
    const double span = static_cast<double>(instants_[k] - instants_[k - 1]);
    const double w = span > 0 ? static_cast<double>(at - instants_[k - 1]) / span : 0.0;
    c.Ta = a.Ta + w * (b.Ta - a.Ta);
    c.Pb = a.Pb + w * (b.Pb - a.Pb);
    c.Ws = a.Ws + w * (b.Ws - a.Ws);
    // The direction of the interpolated wind vector; where the two winds
    // cancel, the direction nearer in time.
    constexpr double kRad = 3.14159265358979323846 / 180.0;
    const double east = (1 - w) * a.Ws * std::sin(a.Wd * kRad) + w * b.Ws * std::sin(b.Wd * kRad);
    const double north = (1 - w) * a.Ws * std::cos(a.Wd * kRad) + w * b.Ws * std::cos(b.Wd * kRad);
    if (std::hypot(east, north) > 1e-9 * std::max(a.Ws, b.Ws))
        c.Wd = normal_direction(std::atan2(east, north) / kRad);
    else
        c.Wd = w < 0.5 ? a.Wd : b.Wd;
    return c;
}

}  // namespace avelor
