#include "outdoor/wpc_file.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string_view>

#include "app/data_fields.h"
#include "app/data_reader.h"
#include "app/diagnostics.h"
#include "app/run_log.h"
#include "app/text_convert.h"
#include "model/run_control.h"

namespace avelor {

namespace {

constexpr double kGravity = 9.8055;
// A line of pressures holds one number per location.
constexpr std::size_t kLineSize = std::size_t{1} << 24;

// The file's data lines, field by field; "!" starts a comment.
class Fields {
public:
    explicit Fields(DataReader& in) : in_(in), errors_(error_count()) {}

    // The fields of the next line that holds any, taken whole; false at the
    // end (or a line beyond the limit).
    bool next_line()
    {
        if (!load()) return false;
        at_ = fields_.size();
        return true;
    }
    // The whole next line, comment or not (the description).
    bool raw_line(std::string& text)
    {
        while (const std::optional<std::string> line = in_.read_line(kLineSize)) {
            if (!line->empty() && line->front() == '!') continue;
            text = *line;
            return true;
        }
        return false;
    }
    const std::vector<std::string_view>& fields() const { return fields_; }
    // The next field, across lines.
    std::optional<std::string_view> next()
    {
        while (at_ >= fields_.size())
            if (!load()) return std::nullopt;
        return fields_[at_++];
    }

private:
    bool load()
    {
        while (const std::optional<std::string> line = in_.read_line(kLineSize)) {
            if (error_count() != errors_) return false;
            line_ = *line;
            split();
            if (!fields_.empty()) return true;
        }
        return false;
    }

    void split()
    {
        split_data_fields(line_, fields_);
        at_ = 0;
    }

    DataReader& in_;
    int errors_;
    std::string line_;
    std::vector<std::string_view> fields_;
    std::size_t at_ = 0;
};

std::optional<double> number_of(std::optional<std::string_view> text)
{
    return text ? finite_number(*text) : std::nullopt;
}

std::optional<long long> integer_of(std::optional<std::string_view> text)
{
    return text ? whole_number(*text) : std::nullopt;
}

// H:MM:SS, HH:MM:SS or a count of seconds.
std::optional<int> time_of(std::optional<std::string_view> text)
{
    if (!text) return std::nullopt;
    if (text->find(':') != std::string_view::npos) return parse_time_text(*text);
    const std::optional<long long> s = integer_of(text);
    if (!s || *s < 0 || *s > 86400) return std::nullopt;
    return static_cast<int>(*s);
}

}  // namespace

int read_wpc_file(RunControl& settings, const std::string& path, int level, WpcData& data, bool building_check)
{
    data = WpcData{};
    if (level <= 0) return 0;
    DataReader in;
    if (in.open(path, 0) != 0) return -1;
    Fields f(in);
    const auto bad = [&](const std::string& why) {
        report_error(ERROR, {why});
        return -1;
    };

    // The header.
    if (!f.next_line() || f.fields().size() < 3 || f.fields()[0] != "WPCfile" || f.fields()[1] != "AvelorW" ||
        (f.fields()[2] != "2.1" && f.fields()[2] != "2.4")) {
        in.rewind();
        const std::optional<std::string> first = in.read_line();
        report_error(NOTE, {"File header line: ", first ? *first : std::string()});
        return bad("Bad WPC file: " + path);
    }
    data.version = std::string(f.fields()[2]);
    std::string description;
    if (!f.raw_line(description)) return bad("Bad WPC file: " + path);
    settings.wpc_description = description.substr(0, std::min<std::size_t>(description.size(), 70));
    long long counts[4] = {};
    for (long long& c : counts) {
        if (!f.next_line()) return bad("Bad WPC file: " + path);
        const std::optional<long long> v = integer_of(f.fields()[0]);
        if (!v || *v < 0 || *v > 10000000) return bad("Bad WPC file: " + path);
        c = *v;
    }
    data.locations = static_cast<int>(counts[0]);
    data.species = static_cast<int>(counts[1]);
    data.pressures = static_cast<int>(counts[2]);
    data.time_step = static_cast<int>(counts[3]);
    settings.mf = data.species > 0 ? 1 : 0;
    settings.wp = data.pressures != 0 ? 1 : 0;
    if (!f.next_line() || f.fields().size() < 2) return bad("Bad WPC file: " + path);
    const std::optional<int> first_day = parse_month_day_text(f.fields()[0]);
    const std::optional<int> last_day = parse_month_day_text(f.fields()[1]);
    if (!first_day || !last_day) return bad("Error in WPC file date value");
    settings.dStart = *first_day;
    settings.dEnd = *last_day;
    if (level == 1) return 0;

    // The species and the locations.
    for (int s = 0; s < data.species; ++s)
        if (!f.next_line()) return bad("Bad WPC file: " + path);
    RunLog& log = run_log();
    log.write("Look for mapping errors in WPC file: \n");
    data.location_list.reserve(static_cast<std::size_t>(data.locations));
    for (int k = 1; k <= data.locations; ++k) {
        if (!f.next_line() || f.fields().size() < 5) return bad("Bad WPC file: " + path);
        const auto& v = f.fields();
        const std::optional<long long> id = integer_of(v[0]);
        const std::optional<double> X = number_of(v[1]), Y = number_of(v[2]), Z = number_of(v[3]);
        const std::optional<long long> flag = integer_of(v[4]);
        if (!id || !X || !Y || !Z || !flag) return bad("Bad WPC file: " + path);
        WpcLocation loc{static_cast<float>(*X), static_cast<float>(*Y), static_cast<float>(*Z),
                        static_cast<int>(std::clamp<long long>(*flag, -1000000, 1000000))};
        data.location_list.push_back(loc);
        if (loc.flag != 0 || *id != k) {
            ++data.mapping_errors;
            log.write(format_text(" map (%3lld %3d %.3f %.3f %.3f %d)\n", *id, k, *X, *Y, *Z, loc.flag));
        }
    }
    if (data.mapping_errors > 0) {
        if (!building_check) report_error(ERROR, {"Mapping errors in WPC file, see details in LOG file"});
        return 1;
    }
    log.write("End search for mapping errors.\n");
    if (level == 2) return 0;

    // The records.
    const std::size_t n = static_cast<std::size_t>(data.locations);
    double largest = 0.001;
    for (;;) {
        const std::optional<std::string_view> date = f.next();
        if (!date) return bad("Error in WPC file date value");
        const std::optional<int> day = parse_month_day_text(*date);
        if (!day) return bad("Error in WPC file date value");
        const std::optional<int> time = time_of(f.next());
        if (!time) return bad("Error in WPC file time value");
        const std::optional<double> Pbar = number_of(f.next()), rho = number_of(f.next());
        if (!Pbar || !rho) return bad("Bad WPC file: " + path);
        if (*rho > 10 || *rho < 0.1) return bad("Check WPC air density value");
        WpcRecord r;
        r.day = *day;
        r.time = *time;
        r.Pbar = static_cast<float>(*Pbar);
        r.density = static_cast<float>(*rho);
        if (data.pressures != 0) {
            r.pressures.resize(n);
            for (std::size_t k = 0; k < n; ++k) {
                const std::optional<double> p = number_of(f.next());
                if (!p) return bad("Bad WPC file: " + path);
                // Version 2.1 stores the absolute pressure at the opening.
                const double value = data.version == "2.1"
                                         ? data.location_list[k].Z * *rho * kGravity + (*p - *Pbar)
                                         : *p;
                r.pressures[k] = static_cast<float>(value);
                largest = std::max(largest, std::fabs(value));
            }
        }
        for (int s = 0; s < data.species; ++s)
            for (std::size_t k = 0; k < n; ++k)
                if (!number_of(f.next())) return bad("Bad WPC file: " + path);
        data.records.push_back(std::move(r));
        data.max_pressure = largest;
        if (*day == settings.dEnd && *time == 86400) break;
    }
    return 0;
}

int count_unmatched_locations(PathLocationList& list, const WpcData& data)
{
    RunLog& log = run_log();
    int count = 0;
    for (PathLocation& e : list.entries) {
        e.error = 1;
        for (const WpcLocation& w : data.location_list)
            if (same_location(e.X, e.Y, e.Z, w.X, w.Y, w.Z)) {
                e.error = w.flag;
                break;
            }
        if (e.error == 0) continue;
        if (count == 0) log.write("Paths/Terminals/Junctions not found in WPC file.\n");
        ++count;
        log.write(format_text("%3d : %s %d at (%f %f %f) not in WPC file.\n", count, e.kind == 0 ? "path" : "term",
                              static_cast<int>(e.nr), double(e.X), double(e.Y), double(e.Z)));
    }
    return count;
}

}  // namespace avelor
