#include "values_series.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include "airflow_network.h"
#include "app/data_fields.h"
#include "app/data_reader.h"
#include "app/diagnostics.h"

namespace avelor::engine {

namespace {

constexpr int kSecondsPerDay = 86400;
// A data line may hold many columns; longer lines are damage.
constexpr std::size_t kLineSize = std::size_t{1} << 20;
constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

std::string kind_text(ValuesFileKind kind)
{
    return kind == ValuesFileKind::Continuous ? "continuous values file " : "discrete values file ";
}

std::optional<int> whole(std::string_view text)
{
    int v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return v;
}

// "mm/dd" -> day of the year 1..365.
std::optional<int> day_of(std::string_view text)
{
    const std::size_t slash = text.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    const std::optional<int> m = whole(text.substr(0, slash)), d = whole(text.substr(slash + 1));
    if (!m || !d || *m < 1 || *m > 12 || *d < 1 || *d > kMonthDays[*m - 1]) return std::nullopt;
    int day = *d;
    for (int k = 0; k < *m - 1; ++k) day += kMonthDays[k];
    return day;
}

// "hh:mm:ss" (or "hh:mm") -> seconds 0..86400.
std::optional<int> time_of(std::string_view text)
{
    int parts[3] = {0, 0, 0};
    int count = 0;
    std::size_t from = 0;
    for (;;) {
        if (count == 3) return std::nullopt;
        const std::size_t colon = text.find(':', from);
        const std::optional<int> v = whole(text.substr(from, colon == std::string_view::npos ? text.npos : colon - from));
        if (!v || *v < 0) return std::nullopt;
        parts[count++] = *v;
        if (colon == std::string_view::npos) break;
        from = colon + 1;
    }
    if (count < 2 || parts[1] > 59 || parts[2] > 59) return std::nullopt;
    const int t = parts[0] * 3600 + parts[1] * 60 + parts[2];
    if (t > kSecondsPerDay) return std::nullopt;
    return t;
}

std::optional<double> number_of(std::string_view text) { return finite_number(text); }

bool blank_or_comment(std::string_view line)
{
    const std::size_t text = line.find_first_not_of(" \t\r");
    return text == std::string_view::npos || line[text] == '!';
}

}  // namespace

ValuesSeries ValuesSeries::read(const std::string& path, ValuesFileKind kind)
{
    const std::string what = "The " + kind_text(kind) + path;
    ValuesFileHeader header;
    if (!load_values_file(path, kind, header, 2))
        throw EngineError(what + " cannot be read: it is missing or its header is not that of a " + kind_text(kind) +
                          "(see the log).");
    DataReader in;
    if (in.open(path, 0) != 0) throw EngineError(what + " cannot be opened.");

    ValuesSeries series;
    series.kind_ = kind;
    series.path_ = path;
    series.names_ = header.names;
    const std::size_t n = series.names_.size();
    // The header's lines: the type line, the description line (the next
    // line that is not a comment), then the days, the count and the names,
    // each the next line with a field.
    std::size_t header_lines = 2 + n;
    bool type_line = true, description = false;
    int line_number = 0;
    const int errors = error_count();
    while (const std::optional<std::string> line = in.read_line(kLineSize)) {
        ++line_number;
        if (error_count() != errors)
            throw EngineError(what + ", line " + std::to_string(line_number) + ": the line is too long.");
        if (description) {
            description = false;
            if (!line->empty() && line->front() == '!') description = true;
            continue;
        }
        if (blank_or_comment(*line)) continue;
        if (type_line) {
            type_line = false;
            description = true;
            continue;
        }
        if (header_lines > 0) {
            --header_lines;
            continue;
        }
        const std::vector<std::string_view> fields = data_fields(*line);
        if (fields.empty()) continue;
        if (fields.front().front() == '*') break;
        const auto fail = [&](const std::string& why) {
            return EngineError(what + ", line " + std::to_string(line_number) + ": " + why + ": " + *line);
        };
        const std::optional<int> day = day_of(fields[0]);
        if (!day) throw fail("the date is not mm/dd");
        if (fields.size() < 2) throw fail("the time is missing");
        const std::optional<int> tod = time_of(fields[1]);
        if (!tod) throw fail("the time is not hh:mm:ss");
        if (fields.size() - 2 != n)
            throw fail("the record holds " + std::to_string(fields.size() - 2) + " values for " + std::to_string(n) +
                       " names");
        const double t = static_cast<double>(*day - 1) * kSecondsPerDay + *tod;
        if (!series.times_.empty() && t < series.times_.back()) throw fail("the time is before the record above");
        series.times_.push_back(t);
        for (std::size_t k = 0; k < n; ++k) {
            const std::optional<double> v = number_of(fields[2 + k]);
            if (!v) throw fail("the value " + std::string(fields[2 + k]) + " is not a number");
            series.values_.push_back(*v);
        }
    }
    if (series.times_.empty()) throw EngineError(what + " holds no data record.");
    series.seek(series.times_.front());
    return series;
}

ValuesSeries ValuesSeries::from_records(ValuesFileKind kind, std::vector<std::string> names, std::vector<double> times,
                                        std::vector<double> values)
{
    if (times.empty() || values.size() != times.size() * names.size() || !std::is_sorted(times.begin(), times.end()))
        throw EngineError("The values records are not one row per time in ascending order.");
    ValuesSeries series;
    series.kind_ = kind;
    series.path_ = "(records)";
    series.names_ = std::move(names);
    series.times_ = std::move(times);
    series.values_ = std::move(values);
    series.seek(series.times_.front());
    return series;
}

int ValuesSeries::column(std::string_view name) const
{
    for (std::size_t k = 0; k < names_.size(); ++k)
        if (names_[k] == name) return static_cast<int>(k);
    return -1;
}

void ValuesSeries::seek(double instant)
{
    if (times_.empty()) return;
    // Forwards from the last place: runs rise through the file.
    if (instant < times_[at_]) {
        const auto it = std::upper_bound(times_.begin(), times_.end(), instant);
        at_ = it == times_.begin() ? 0 : static_cast<std::size_t>(it - times_.begin()) - 1;
    }
    while (at_ + 1 < times_.size() && times_[at_ + 1] <= instant) ++at_;
    weight_ = 0;
    if (kind_ == ValuesFileKind::Continuous && at_ + 1 < times_.size() && instant > times_[at_]) {
        const double span = times_[at_ + 1] - times_[at_];
        weight_ = span > 0 ? (instant - times_[at_]) / span : 0;
    }
}

double ValuesSeries::value(int column) const
{
    const std::size_t n = names_.size();
    const std::size_t c = static_cast<std::size_t>(column);
    const double v0 = values_[at_ * n + c];
    if (weight_ == 0) return v0;
    return v0 + weight_ * (values_[(at_ + 1) * n + c] - v0);
}

}  // namespace avelor::engine
