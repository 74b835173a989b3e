#include "simulation/results_export.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <map>
#include <utility>

#include "app/diagnostics.h"
#include "app/file_io.h"
#include "app/paths.h"
#include "app/run_log.h"
#include "app/text_convert.h"
#include "model/cell_codes.h"
#include "model/project.h"
#include "model/units.h"

namespace avelor {

namespace {

constexpr std::uint16_t kPathPressureLimits = 0x80;
constexpr std::uint16_t kPathFlowLimits = 0x100;

struct KindInfo {
    std::string_view label;
    std::string_view key;
};
constexpr std::array<KindInfo, kExportKindCount> kKinds = {{
    {"Report airflows of all paths for", "path-report"},
    {"Export airflows of all zones for", "zone-flows"},
    {"Export transient flow for airflow path number", "path-flow"},
    {"Export average transient flows for each zone between export result times.", "average-flows"},
    {"Report transient concentrations of all zones for", "concentration-report"},
    {"Report transient concentrations of all zones.", "transient-report"},
    {"Export transient concentrations of all zones.", "concentrations"},
    {"Export transient concentrations for zone", "zone-concentrations"},
}};

// A unit index from a file that its kind lacks shows the base unit.
int shown_unit(UnitKind kind, int index) { return unit_index_valid(kind, index) ? index : 0; }

double to_display(float value, UnitKind kind, int unit, const Species* species = nullptr)
{
    return double(convert_units(value, true, kind, shown_unit(kind, unit), species));
}

const std::string& plain_unit(UnitKind kind, int unit) { return unit_plain_name(kind, shown_unit(kind, unit)); }

// Zone and level names as the outputs print them.
const std::string& level_name(const Zone& zone)
{
    static const std::string none;
    return zone.level ? zone.level->name : none;
}

// The zones level by level, lowest first, each level's in the order of its
// zone icons.
std::vector<const Zone*> zones_by_level(const Project& project)
{
    std::vector<const Zone*> zones;
    std::vector<bool> seen(static_cast<std::size_t>(std::max(0, project.zones.count())) + 1, false);
    for (const Level& level : project.levels)
        for (const IconEntry& icon : level.icons) {
            if (!has_flag(icon.code, CC_ZONE_ICON) || icon.nr <= 0 || icon.nr > project.zones.count()) continue;
            const Zone* zone = project.zones.at(icon.nr);
            if (!zone || seen[static_cast<std::size_t>(icon.nr)]) continue;
            seen[static_cast<std::size_t>(icon.nr)] = true;
            zones.push_back(zone);
        }
    return zones;
}

std::vector<const Zone*> zones_by_number(const Project& project)
{
    std::vector<const Zone*> zones;
    for (std::int32_t nr = 1; nr <= project.zones.count(); ++nr)
        if (const Zone* zone = project.zones.at(nr)) zones.push_back(zone);
    return zones;
}

std::string date_line_text(std::time_t now)
{
    std::tm parts{};
    localtime_r(&now, &parts);
    static constexpr std::array<const char*, 7> days = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr std::array<const char*, 12> months = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                           "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return format_text("%s %s %2d %02d:%02d:%02d %d\n", days[static_cast<std::size_t>(parts.tm_wday % 7)],
                       months[static_cast<std::size_t>(parts.tm_mon % 12)], parts.tm_mday, parts.tm_hour,
                       parts.tm_min, parts.tm_sec, parts.tm_year + 1900);
}

// Whether day d lies in the results, across the end of the year.
bool day_in_results(const ResultsLayout& layout, int day) { return day >= 1 && day <= 365 && layout.has_day(day); }

// Orders two instants of the results: days counted from the first day.
std::int64_t instant_key(const ResultsLayout& layout, ResultsInstant at)
{
    return std::int64_t{layout.day_distance(at.day)} * kSecondsPerDay + at.time;
}

// Numbers of the long tables, formatted as printf's "%<width>.<precision>e"
// and "%g" do (to_chars promises the same text) without printf's cost.
void append_e(std::string& out, double value, int width, int precision)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, precision);
    const std::size_t length = static_cast<std::size_t>(result.ptr - buffer);
    if (static_cast<int>(length) < width) out.append(static_cast<std::size_t>(width) - length, ' ');
    out.append(buffer, length);
}

void append_g(std::string& out, double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
    out.append(buffer, static_cast<std::size_t>(result.ptr - buffer));
}

// A field for comma-separated text, quoted when it must be.
std::string csv_field(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

// One output being written: the file, the reader, the project, and the
// reader's day and step to restore afterwards.
class ExportWriter {
public:
    ExportWriter(ResultsReader& reader, const Project& project, const ExportContext& context,
                 const ExportRequest& request)
        : reader_(reader),
          project_(project),
          context_(context),
          request_(request),
          rc_(project.rc),
          home_day_(reader.day()),
          home_step_(reader.loaded_step())
    {
    }
    ExportWriter(const ExportWriter&) = delete;
    ExportWriter& operator=(const ExportWriter&) = delete;

    ~ExportWriter()
    {
        // The results state shown before the export comes back.
        if (home_day_ != 0 && reader_.day() != home_day_) reader_.load_day(home_day_);
        if (home_step_ >= 0) reader_.load_step(home_step_);
    }

    ExportOutcome run(const std::string& path)
    {
        if (!out_.open(path)) return failed(path);
        switch (request_.kind) {
        case ExportKind::PathReport: path_report(); break;
        case ExportKind::ZoneFlows: zone_flows(); break;
        case ExportKind::PathFlow: path_flow(); break;
        case ExportKind::AverageFlows: average_flows(); break;
        case ExportKind::ConcentrationReport: concentration_report(); break;
        case ExportKind::TransientReport: transient_report(); break;
        case ExportKind::ConcentrationExport: concentration_export(); break;
        case ExportKind::ZoneConcentrations: zone_concentrations(); break;
        }
        if (!out_.commit()) return failed(path);
        outcome_.written = true;
        return outcome_;
    }

private:
    // One step of a period: its day, index and time of day.
    struct Step {
        int day = 0;
        std::int64_t k = 0;
        std::int32_t time = 0;
    };

    ExportOutcome failed(const std::string& path)
    {
        ExportOutcome outcome;
        outcome.failure = "The export file " + path + " could not be written (" +
                          std::string(write_stage_name(out_.failure().stage)) + ": " +
                          std::strerror(out_.failure().error) + "); nothing was saved.";
        return outcome;
    }

    void put(std::string_view text) { out_.write(text); }
    template <class... A>
    void putf(const char* format, A... args)
    {
        out_.write(format_text(format, args...));
    }

    const ResultsLayout& layout() const { return reader_.layout(); }
    const ResultsIndices& indices() const { return reader_.indices(); }
    bool ip() const { return rc_.ud != 0; }

    // Display units of the reports: SI or IP by the project's ud.
    int pressure_unit() const { return ip() ? 1 : 0; }
    int temperature_unit() const { return ip() ? 3 : 2; }
    int length_unit() const { return ip() ? 1 : 0; }
    const char* pressure_format() const { return ip() ? "%8.3f" : "%8.1f"; }
    const char* flow_format() const
    {
        static constexpr std::array<const char*, 9> formats = {"%10.4f", "%10.2f", "%10.2f", "%10.4f", "%10.2f",
                                                               "%10.1f", "%10.0f", "%10.0f", "%10.2f"};
        const int u = shown_unit(UnitKind::MassFlow, rc_.uf);
        return formats[static_cast<std::size_t>(std::clamp(u, 0, 8))];
    }
    double flow(float value) const { return to_display(value, UnitKind::MassFlow, rc_.uf); }
    const std::string& flow_unit() const { return plain_unit(UnitKind::MassFlow, rc_.uf); }

    // Species in contaminant order: display values and unit names. The
    // kinds and units are looked up once per output.
    struct SpeciesUnit {
        const Species* species = nullptr;
        UnitKind kind = UnitKind::Concentration;
        int unit = 0;
    };
    double concentration(std::size_t c, float value)
    {
        if (species_units_.empty())
            for (const Species* s : project_.Ctm) {
                SpeciesUnit u{s};
                if (s) {
                    u.kind = concentration_kind(*s);
                    u.unit = shown_unit(u.kind, s->u[0]);
                }
                species_units_.push_back(u);
            }
        const SpeciesUnit& u = species_units_[c];
        if (!u.species) return value;
        return double(convert_units(value, true, u.kind, u.unit, u.species));
    }
    std::string species_name(std::size_t c) const { return project_.Ctm[c] ? project_.Ctm[c]->name : std::string("-"); }
    std::string species_unit(std::size_t c) const
    {
        const Species* s = project_.Ctm[c];
        return s ? plain_unit(concentration_kind(*s), s->u[0]) : std::string("kg/kg");
    }
    std::size_t nctm() const { return std::min(project_.Ctm.size(), static_cast<std::size_t>(reader_.header().nctm)); }

    // The step of a one-time output: the last step of the requested day
    // whose time is not after the requested time (the first when none is).
    bool one_time_step(ResultsInstant at, Step& step)
    {
        if (reader_.day() != at.day && !reader_.load_day(at.day)) return false;
        std::int64_t k = 0;
        for (std::int64_t i = 0; i <= reader_.last_step(); ++i)
            if (reader_.shown_time(i) <= at.time) k = i;
        step = {at.day, k, step_time(k)};
        return true;
    }

    // The time of step k of the loaded day as the outputs print it: the
    // last step of a whole day is 24:00:00.
    std::int32_t step_time(std::int64_t k) const
    {
        const std::vector<std::int32_t>& times = reader_.step_times();
        if (k > 0 && static_cast<std::size_t>(k) < times.size()) return times[static_cast<std::size_t>(k)];
        return reader_.shown_time(k);
    }

    // The steps from the "from" instant to the "to" instant inclusive; on
    // each day after the first, 00:00:00 is the previous day's 24:00:00
    // and is left out. False when a day cannot be read.
    bool period_steps(std::vector<Step>& steps)
    {
        const ResultsInstant from = request_.from, to = request_.to;
        int day = from.day;
        for (int n = 0; n <= 366; ++n) {
            if (!reader_.load_day(day)) return false;
            for (std::int64_t k = n == 0 ? 0 : 1; k <= reader_.last_step(); ++k) {
                const std::int32_t t = step_time(k);
                if (n == 0 && t < from.time) continue;
                if (day == to.day && t > to.time) return true;
                steps.push_back({day, k, t});
            }
            if (day == to.day) return true;
            day = day >= 365 ? 1 : day + 1;
        }
        return true;
    }

    bool load(const Step& step)
    {
        if (reader_.day() != step.day && !reader_.load_day(step.day)) return false;
        return true;
    }

    void end_early() { outcome_.ended_early = true; }

    // ---- headings shared by the reports

    void report_heading()
    {
        putf("project:  %s", context_.base_name.c_str());
        putf("%30s%s\n", "", date_line_text(context_.now).c_str());
        putf("description:  %s\n\n", context_.description.c_str());
    }

    void ambient_block(const Step& step)
    {
        ResultsTimeRecord record;
        reader_.read_time_record(step.k, record);
        const SteadyWeather& w = rc_.steady;
        putf("    simulation date: %8s\n", day_text(step.day).c_str());
        putf("    simulation time: %8s\n", time_text(step.time).c_str());
        putf("ambient temperature:%9.1f %s\n", to_display(record.Ta, UnitKind::Temperature, w.u[0]),
             plain_unit(UnitKind::Temperature, w.u[0]).c_str());
        putf("barometric pressure:%9.1f %s\n", to_display(record.Pb, UnitKind::Pressure, w.u[1]),
             plain_unit(UnitKind::Pressure, w.u[1]).c_str());
        putf("         wind speed:%9.1f %s\n", to_display(record.Ws, UnitKind::Speed, w.u[2]),
             plain_unit(UnitKind::Speed, w.u[2]).c_str());
        putf("     wind direction:%9.1f deg\n\n", double(record.Wd));
    }

    // ---- 1: the airflow report

    bool outside(float value, const FlowPath& path) const { return value > path.Xmax || value < path.Xmin; }

    void path_report()
    {
        Step step;
        if (!one_time_step(request_.at, step) || !reader_.load_step(step.k)) return end_early();
        report_heading();
        ambient_block(step);
        const ResultsIndices& ix = indices();

        // Paths and junctions by zone, in number order.
        const std::size_t nz = static_cast<std::size_t>(std::max(0, project_.zones.count())) + 1;
        std::vector<std::vector<const FlowPath*>> zone_paths(nz);
        for (std::int32_t nr = 1; nr <= project_.paths.count(); ++nr) {
            const FlowPath* path = project_.paths.at(nr);
            if (!path) continue;
            const Zone* n = path->zone_n.zone();
            const Zone* m = path->zone_m.zone();
            if (n && n->nr > 0 && static_cast<std::size_t>(n->nr) < nz) zone_paths[static_cast<std::size_t>(n->nr)].push_back(path);
            if (m && m != n && m->nr > 0 && static_cast<std::size_t>(m->nr) < nz)
                zone_paths[static_cast<std::size_t>(m->nr)].push_back(path);
        }
        std::vector<std::vector<const Junction*>> zone_junctions(nz);
        for (std::int32_t nr = 1; nr <= project_.junctions.count(); ++nr) {
            const Junction* j = project_.junctions.at(nr);
            const Zone* z = j ? j->zone.zone() : nullptr;
            if (z && z->nr > 0 && static_cast<std::size_t>(z->nr) < nz) zone_junctions[static_cast<std::size_t>(z->nr)].push_back(j);
        }

        const char* pf = pressure_format();
        const char* ff = flow_format();
        const std::vector<const Zone*> zones = zones_by_level(project_);
        for (const Level& level : project_.levels) {
            putf("level: %s    elevation: %.1f %s\n\n", level.name.c_str(),
                 to_display(level.refHt, UnitKind::Length, length_unit()),
                 plain_unit(UnitKind::Length, length_unit()).c_str());
            put("zone      P      T      path        from          dP      Flow1      Flow2\n");
            for (const Zone* zone : zones) {
                if (zone->level != &level) continue;
                const NodeAirflowResult* node = reader_.node(ResultsIndices::of(ix.zone_node, zone->nr));
                putf("%-4s ", zone->name.c_str());
                putf(pf, to_display(node ? node->P : 0.0f, UnitKind::Pressure, pressure_unit()));
                putf("%7.1f ", to_display(zone->T0, UnitKind::Temperature, temperature_unit()));
                bool first = true;
                const auto line_start = [&] {
                    if (!first) put(std::string(21, ' '));
                    first = false;
                };
                for (const FlowPath* path : zone_paths[static_cast<std::size_t>(zone->nr)]) {
                    const PathResult* r = reader_.path(ResultsIndices::of(ix.path_index, path->nr));
                    if (!r) continue;
                    line_start();
                    const bool zone_is_n = path->zone_n.zone() == zone;
                    const float sign = zone_is_n ? -1.0f : 1.0f;
                    const ZoneRef from = zone_is_n ? path->zone_m : path->zone_n;
                    if (path->ahs) {
                        putf(zone_is_n ? " return   %12s " : " supply   %12s ", path->ahs->name.c_str());
                    } else {
                        putf(" %-12s", path->element ? path->element->name.c_str() : "");
                        if (from.zone())
                            putf(" %4s/%-4s", from.zone()->name.c_str(), level_name(*from.zone()).c_str());
                        else
                            put("   Ambt   ");
                    }
                    if (path->ahs) {
                        put("      n/a ");
                    } else {
                        put(" ");
                        putf(pf, to_display(sign * r->dP, UnitKind::PressureDifference, pressure_unit()));
                        put((path->flags & kPathPressureLimits) && outside(r->dP, *path) ? "*" : " ");
                    }
                    putf(ff, flow(sign * r->F0));
                    put((path->flags & kPathFlowLimits) && outside(r->F0, *path) ? "*" : " ");
                    if (r->F1 != 0) {
                        putf(ff, flow(sign * r->F1));
                        if ((path->flags & kPathFlowLimits) && outside(r->F1, *path)) put("*");
                    }
                    put("\n");
                }
                for (const Junction* j : zone_junctions[static_cast<std::size_t>(zone->nr)]) {
                    if (j->t != 0) {
                        if (const PathResult* r = reader_.path(ResultsIndices::of(ix.terminal_index, j->nr))) {
                            // A terminal's flow is positive from the duct into its zone.
                            line_start();
                            put("          duct terminal          ");
                            putf(ff, flow(r->F0));
                            put("\n");
                        }
                    }
                    if (const PathResult* r = reader_.path(ResultsIndices::of(ix.leak_index, j->nr))) {
                        line_start();
                        put("              duct leak          ");
                        putf(ff, flow(r->F0));
                        put("\n");
                    }
                }
                if (first) put("\n");
                put("\n");
            }
        }
        if (project_.systems.head()) {
            put("systems:\n");
            put("        name       air flows:\n");
            put("                recirc    outside\n");
            for (const SimpleAhs* system : project_.system_index) {
                if (!system) continue;
                const PathResult* recirc = reader_.path(ResultsIndices::of(ix.path_index, system->pr));
                const PathResult* outside_air = reader_.path(ResultsIndices::of(ix.path_index, system->ps));
                putf("%12s", system->name.c_str());
                putf(ff, flow(recirc ? recirc->F0 : 0.0f));
                putf(ff, flow(outside_air ? outside_air->F0 : 0.0f));
                put("\n");
            }
            put("\n");
        }
        put("\n Note:\n");
        putf("        flows in %s\n", flow_unit().c_str());
        putf("    pressures in %s\n", plain_unit(UnitKind::Pressure, pressure_unit()).c_str());
        putf(" temperatures in %s\n", plain_unit(UnitKind::Temperature, temperature_unit()).c_str());
        put(" * indicates limit exceeded\n\n\n");
    }

    // ---- 2 and 4: flow matrices

    // F+ and F- of every path record (index 1..npath at entry index - 1).
    struct SplitFlows {
        std::vector<double> plus, minus;
    };

    static void add_split(const PathResult& r, double weight, double& plus, double& minus)
    {
        for (float f : {r.F0, r.F1}) {
            if (f > 0)
                plus += weight * f;
            else
                minus -= weight * f;
        }
    }

    // Writes the matrix of zones in number order, "duct" and "ambt" from
    // the split flows (kg/s) of the path records, with its balance check.
    void flow_matrix(const SplitFlows& flows)
    {
        const ResultsIndices& ix = indices();
        const std::vector<const Zone*> zones = zones_by_number(project_);
        const bool ducts = project_.junctions.count() > 0 && project_.junctions.head() != nullptr;
        const std::size_t Z = zones.size();
        const std::size_t duct = Z;
        const std::size_t ambt = ducts ? Z + 1 : Z;
        const std::size_t size = ambt + 1;
        std::vector<std::size_t> row_of(static_cast<std::size_t>(std::max(0, project_.zones.count())) + 1, size);
        for (std::size_t i = 0; i < Z; ++i) row_of[static_cast<std::size_t>(zones[i]->nr)] = i;
        const auto side = [&](const ZoneRef& ref) {
            if (ref.is_ambient()) return ambt;
            const Zone* z = ref.zone();
            return z && z->nr > 0 && static_cast<std::size_t>(z->nr) < row_of.size() ? row_of[static_cast<std::size_t>(z->nr)]
                                                                                    : size;
        };
        // Sparse rows: only links carry flow.
        std::vector<std::map<std::size_t, double>> rows(size);
        const auto flows_of = [&](std::int32_t index, double& plus, double& minus) {
            if (index < 1 || static_cast<std::size_t>(index) > flows.plus.size()) return false;
            plus = flows.plus[static_cast<std::size_t>(index - 1)];
            minus = flows.minus[static_cast<std::size_t>(index - 1)];
            return true;
        };
        const auto link = [&](std::size_t n, std::size_t m, double plus, double minus) {
            if (n >= size || m >= size) return;
            if (plus != 0) rows[n][m] += plus;
            if (minus != 0) rows[m][n] += minus;
        };
        for (std::int32_t nr = 1; nr <= project_.paths.count(); ++nr) {
            const FlowPath* path = project_.paths.at(nr);
            double plus = 0, minus = 0;
            if (!path || !flows_of(ResultsIndices::of(ix.path_index, nr), plus, minus)) continue;
            link(side(path->zone_n), side(path->zone_m), plus, minus);
        }
        // The ducts meet the zones at terminals and leaks, both positive from
        // the duct into the zone (so no air is counted twice).
        if (ducts)
            for (std::int32_t nr = 1; nr <= project_.junctions.count(); ++nr) {
                const Junction* j = project_.junctions.at(nr);
                if (!j) continue;
                const std::size_t z = side(j->zone);
                double plus = 0, minus = 0;
                if (j->t != 0 && flows_of(ResultsIndices::of(ix.terminal_index, nr), plus, minus))
                    link(duct, z, plus, minus);
                if (flows_of(ResultsIndices::of(ix.leak_index, nr), plus, minus)) link(duct, z, plus, minus);
            }
        // Converted to the flow unit; row and column sums for the check.
        std::vector<double> row_sum(size, 0.0), col_sum(size, 0.0);
        double total = 0;
        for (std::size_t r = 0; r < size; ++r)
            for (auto& [c, value] : rows[r]) {
                value = to_display(static_cast<float>(value), UnitKind::MassFlow, rc_.uf);
                row_sum[r] += value;
                col_sum[c] += value;
                total += value;
            }
        const double tolerance = total * double(rc_.afrcnvg);
        bool balanced = true;
        for (std::size_t i = 0; i < Z; ++i)
            if ((zones[i]->flags & kZoneVariablePressure) && std::fabs(row_sum[i] - col_sum[i]) > tolerance)
                balanced = false;
        if (!balanced) {
            report_error(ERROR, {"Export file flow balance check failed"});
            RunLog& log = run_log();
            log.printf("Sum of flows: %f\n", total);
            log.printf("Convergence:  %f\n", tolerance);
            for (std::size_t i = 0; i < size; ++i)
                log.printf("zone %d  row %g  col %g err %g\n", static_cast<int>(i + 1), row_sum[i], col_sum[i],
                           row_sum[i] - col_sum[i]);
        }

        if (request_.format == ExportFormat::Csv) return csv_matrix(zones, ducts, rows);
        put("level\t ");
        for (const Zone* z : zones) putf("\t%s", level_name(*z).c_str());
        if (ducts) put("\t ");
        put("\t \t \n");
        put(" \tfrom\\to");
        for (const Zone* z : zones) putf("\t%s", z->name.c_str());
        if (ducts) put("\tduct");
        put("\tambt\tvol\n");
        const auto values = [&](std::size_t r) {
            auto it = rows[r].begin();
            line_.clear();
            for (std::size_t c = 0; c < size; ++c) {
                double value = 0;
                if (it != rows[r].end() && it->first == c) value = (it++)->second;
                line_ += '\t';
                append_g(line_, value);
            }
            put(line_);
        };
        for (std::size_t i = 0; i < Z; ++i) {
            const Zone& z = *zones[i];
            putf("%s\t%s", level_name(z).c_str(), z.name.c_str());
            values(i);
            putf("\t%g", to_display(z.Vol, UnitKind::Volume, z.u[0]));
            put("\n");
        }
        if (ducts) {
            put(" \tduct");
            values(duct);
            put("\n");
        }
        put(" \tambt");
        values(ambt);
        put("\n");
    }

    void csv_matrix(const std::vector<const Zone*>& zones, bool ducts,
                    const std::vector<std::map<std::size_t, double>>& rows)
    {
        std::vector<std::string> names;
        for (const Zone* z : zones) names.push_back(level_name(*z) + "/" + z->name);
        if (ducts) names.push_back("duct");
        names.push_back("ambt");
        putf("from\\to [%s]", csv_field(flow_unit()).c_str());
        for (const std::string& n : names) put("," + csv_field(n));
        put("\n");
        for (std::size_t r = 0; r < rows.size(); ++r) {
            put(csv_field(names[r]));
            auto it = rows[r].begin();
            for (std::size_t c = 0; c < rows.size(); ++c) {
                double value = 0;
                if (it != rows[r].end() && it->first == c) value = (it++)->second;
                putf(",%g", value);
            }
            put("\n");
        }
    }

    SplitFlows empty_flows() const
    {
        const std::size_t n = static_cast<std::size_t>(std::max(0, reader_.header().npath));
        return {std::vector<double>(n, 0.0), std::vector<double>(n, 0.0)};
    }

    void zone_flows()
    {
        Step step;
        if (!one_time_step(request_.at, step) || !reader_.load_step(step.k)) return end_early();
        SplitFlows flows = empty_flows();
        const std::vector<PathResult>& records = reader_.paths();
        for (std::size_t i = 0; i < records.size() && i < flows.plus.size(); ++i)
            add_split(records[i], 1.0, flows.plus[i], flows.minus[i]);
        if (request_.format == ExportFormat::Text) {
            putf("Project File: %s\n", context_.file_name.c_str());
            putf("time: %s %s\n", day_text(step.day).c_str(), time_text(step.time).c_str());
            putf("flows: [%s]\n", flow_unit().c_str());
        }
        flow_matrix(flows);
    }

    void average_flows()
    {
        std::vector<Step> steps;
        const bool whole = period_steps(steps);
        if (request_.format == ExportFormat::Text) {
            putf("Project File: %s\n", context_.file_name.c_str());
            putf("Average flow From %s %s to ", day_text(request_.from.day).c_str(), time_text(request_.from.time).c_str());
            putf("%s %s\n", day_text(request_.to.day).c_str(), time_text(request_.to.time).c_str());
            putf("flows: [%s]\n", flow_unit().c_str());
        }
        if (!whole || steps.empty()) return end_early();
        SplitFlows flows = empty_flows();
        for (std::size_t s = 0; s < steps.size(); ++s) {
            if (!load(steps[s]) || !reader_.load_step(steps[s].k)) return end_early();
            const double weight = s == 0 || s + 1 == steps.size() ? 0.5 : 1.0;
            const std::vector<PathResult>& records = reader_.paths();
            for (std::size_t i = 0; i < records.size() && i < flows.plus.size(); ++i)
                add_split(records[i], weight, flows.plus[i], flows.minus[i]);
        }
        const double scale = steps.size() == 1 ? 2.0 : 1.0 / double(steps.size() - 1);
        for (std::size_t i = 0; i < flows.plus.size(); ++i) {
            flows.plus[i] *= scale;
            flows.minus[i] *= scale;
        }
        flow_matrix(flows);
    }

    // ---- 3: one path over a period

    void path_flow()
    {
        const std::int32_t index = ResultsIndices::of(indices().path_index, request_.path);
        const std::string& dp_unit = plain_unit(UnitKind::PressureDifference, rc_.ud);
        const std::string& fu = flow_unit();
        if (request_.format == ExportFormat::Csv) {
            putf("date,time,seconds,dP [%s],Flow0 [%s],Flow1 [%s]\n", csv_field(dp_unit).c_str(), csv_field(fu).c_str(),
                 csv_field(fu).c_str());
        } else {
            putf("Project File\t%s\tPath #\t%d\n", context_.file_name.c_str(), int{request_.path});
            put("\ttime\ttime\tdP\tFlow0\tFlow1\n");
            putf("date\tof day\t[s]\t%s\t%s\t%s\n", dp_unit.c_str(), fu.c_str(), fu.c_str());
        }
        std::vector<Step> steps;
        const bool whole = period_steps(steps);
        const char* line = request_.format == ExportFormat::Csv ? "%s,%s,%ld,%g,%g,%g\n" : "%s\t%s\t%ld\t%g\t%g\t%g\n";
        for (const Step& step : steps) {
            PathResult r;
            if (index <= 0 || !load(step) || !reader_.read_path(index, step.k, r)) return end_early();
            putf(line, day_text(step.day).c_str(), time_text(step.time).c_str(), long{step.time},
                 to_display(r.dP, UnitKind::PressureDifference, rc_.ud), flow(r.F0), flow(r.F1));
        }
        if (!whole) end_early();
    }

    // ---- 5 to 8: concentrations

    void species_header(const char* name_format, const char* unit_format)
    {
        for (std::size_t c = 0; c < nctm(); ++c) putf(name_format, species_name(c).c_str());
        put("\n");
        for (std::size_t c = 0; c < nctm(); ++c) putf(unit_format, ("[" + species_unit(c) + "]").c_str());
        put("\n");
    }

    void concentration_report()
    {
        Step step;
        if (!one_time_step(request_.at, step)) return end_early();
        report_heading();
        ambient_block(step);
        put("level zone ");
        for (std::size_t c = 0; c < nctm(); ++c) putf("%12s", species_name(c).c_str());
        put("\n");
        put(std::string(11, ' '));
        for (std::size_t c = 0; c < nctm(); ++c) putf("%12s", ("[" + species_unit(c) + "]").c_str());
        put("\n");
        std::vector<float> cc;
        if (!reader_.read_step_concentrations(step.k, cc)) return end_early();
        const std::size_t n = static_cast<std::size_t>(reader_.header().nctm);
        for (const Zone* zone : zones_by_level(project_)) {
            const std::int32_t node = ResultsIndices::of(indices().zone_ctm_node, zone->nr);
            putf("%5s%5s ", level_name(*zone).c_str(), zone->name.c_str());
            for (std::size_t c = 0; c < nctm(); ++c) {
                const std::size_t at = static_cast<std::size_t>(node - 1) * n + c;
                putf("%12.3e", node > 0 && at < cc.size() ? concentration(c, cc[at]) : 0.0);
            }
            put("\n");
        }
        put("\n\n");
    }

    // The concentrations of a group of zones over the steps, gathered by
    // reading each step's records once: values[z][s * nctm + c].
    bool gather(const std::vector<Step>& steps, const std::vector<const Zone*>& group,
                std::vector<std::vector<float>>& values)
    {
        const std::size_t n = static_cast<std::size_t>(reader_.header().nctm);
        values.assign(group.size(), std::vector<float>(steps.size() * n, 0.0f));
        std::vector<std::int32_t> nodes;
        for (const Zone* z : group) nodes.push_back(ResultsIndices::of(indices().zone_ctm_node, z->nr));
        std::vector<float> cc;
        for (std::size_t s = 0; s < steps.size(); ++s) {
            if (!load(steps[s]) || !reader_.read_step_concentrations(steps[s].k, cc)) return false;
            for (std::size_t z = 0; z < group.size(); ++z) {
                if (nodes[z] <= 0) continue;
                const std::size_t at = static_cast<std::size_t>(nodes[z] - 1) * n;
                if (at + n > cc.size()) continue;
                std::copy_n(cc.begin() + static_cast<std::ptrdiff_t>(at), n, values[z].begin() + static_cast<std::ptrdiff_t>(s * n));
            }
        }
        return true;
    }

    // Zones per pass so that one pass holds at most about 16 M values (64 MB).
    std::size_t zones_per_pass(std::size_t steps) const
    {
        const std::size_t per_zone = std::max<std::size_t>(1, steps * std::max<std::size_t>(1, nctm()));
        return std::max<std::size_t>(1, (std::size_t{16} << 20) / per_zone);
    }

    void transient_report()
    {
        std::vector<Step> steps;
        const bool whole = period_steps(steps);
        report_heading();
        put(" date   time    time");
        for (std::size_t c = 0; c < nctm(); ++c) putf("%12s", species_name(c).c_str());
        put("\n");
        put("       of day    [s]");
        for (std::size_t c = 0; c < nctm(); ++c) putf("%12s", ("[" + species_unit(c) + "]").c_str());
        put("\n");
        const std::size_t n = static_cast<std::size_t>(reader_.header().nctm);
        const std::vector<const Zone*> zones = zones_by_level(project_);
        // Each step's date and time start a line of every zone's section.
        std::vector<std::string> prefixes;
        prefixes.reserve(steps.size());
        for (const Step& step : steps)
            prefixes.push_back(
                format_text("%-6s%s%6ld", day_text(step.day).c_str(), time_text(step.time).c_str(), long{step.time}));
        const std::size_t pass = zones_per_pass(steps.size());
        for (std::size_t first = 0; first < zones.size(); first += pass) {
            const std::vector<const Zone*> group(zones.begin() + static_cast<std::ptrdiff_t>(first),
                                                 zones.begin() + static_cast<std::ptrdiff_t>(std::min(zones.size(), first + pass)));
            std::vector<std::vector<float>> values;
            const bool read = gather(steps, group, values);
            for (std::size_t z = 0; z < group.size(); ++z) {
                putf("\nlevel: %s    zone: %s\n\n", level_name(*group[z]).c_str(), group[z]->name.c_str());
                for (std::size_t s = 0; s < steps.size() && read; ++s) {
                    line_ = prefixes[s];
                    for (std::size_t c = 0; c < nctm(); ++c) append_e(line_, concentration(c, values[z][s * n + c]), 12, 3);
                    line_ += '\n';
                    put(line_);
                }
            }
            if (!read) return end_early();
        }
        put("\n\n");
        if (!whole) end_early();
    }

    void concentration_export()
    {
        std::vector<Step> steps;
        const bool whole = period_steps(steps);
        const std::vector<const Zone*> zones = zones_by_number(project_);
        const std::size_t n = static_cast<std::size_t>(reader_.header().nctm);
        if (request_.format == ExportFormat::Csv) return concentration_rows(steps, zones, whole);
        if (steps.size() > static_cast<std::size_t>(kMaxExportSteps)) {
            steps.resize(static_cast<std::size_t>(kMaxExportSteps));
            outcome_.limited = true;
        }
        putf("Project File:\t%s\n", context_.file_name.c_str());
        put("level\tzone\tctm\tunits");
        for (const Step& s : steps) putf("\t%ld", long{s.time});
        put("\n");
        const std::size_t pass = zones_per_pass(steps.size());
        for (std::size_t first = 0; first < zones.size(); first += pass) {
            const std::vector<const Zone*> group(zones.begin() + static_cast<std::ptrdiff_t>(first),
                                                 zones.begin() + static_cast<std::ptrdiff_t>(std::min(zones.size(), first + pass)));
            std::vector<std::vector<float>> values;
            if (!gather(steps, group, values)) return end_early();
            for (std::size_t z = 0; z < group.size(); ++z)
                for (std::size_t c = 0; c < nctm(); ++c) {
                    putf("%s\t%s\t%s\t[%s]", level_name(*group[z]).c_str(), group[z]->name.c_str(),
                         species_name(c).c_str(), species_unit(c).c_str());
                    line_.clear();
                    for (std::size_t s = 0; s < steps.size(); ++s) {
                        line_ += '\t';
                        append_g(line_, concentration(c, values[z][s * n + c]));
                    }
                    line_ += '\n';
                    put(line_);
                }
        }
        if (!whole) end_early();
    }

    // The comma-separated form of the all-zones export: one row per step,
    // one column per zone and species, so no step limit applies.
    void concentration_rows(const std::vector<Step>& steps, const std::vector<const Zone*>& zones, bool whole)
    {
        put("date,time,seconds");
        // Built piece by piece: GCC's optimiser takes a chain of + for
        // overlapping copies.
        std::string column;
        for (const Zone* z : zones)
            for (std::size_t c = 0; c < nctm(); ++c) {
                column.assign(level_name(*z));
                column += '/';
                column += z->name;
                column += ' ';
                column += species_name(c);
                column += " [";
                column += species_unit(c);
                column += ']';
                put(",");
                put(csv_field(column));
            }
        put("\n");
        const std::size_t n = static_cast<std::size_t>(reader_.header().nctm);
        std::vector<std::int32_t> nodes;
        for (const Zone* z : zones) nodes.push_back(ResultsIndices::of(indices().zone_ctm_node, z->nr));
        std::vector<float> cc;
        for (const Step& step : steps) {
            if (!load(step) || !reader_.read_step_concentrations(step.k, cc)) return end_early();
            putf("%s,%s,%ld", day_text(step.day).c_str(), time_text(step.time).c_str(), long{step.time});
            line_.clear();
            for (std::int32_t node : nodes)
                for (std::size_t c = 0; c < nctm(); ++c) {
                    const std::size_t at = static_cast<std::size_t>(node - 1) * n + c;
                    line_ += ',';
                    append_g(line_, node > 0 && at < cc.size() ? concentration(c, cc[at]) : 0.0);
                }
            line_ += '\n';
            put(line_);
        }
        if (!whole) end_early();
    }

    void zone_concentrations()
    {
        const Zone* zone = project_.zones.at(request_.zone);
        if (!zone) return end_early();
        const bool csv = request_.format == ExportFormat::Csv;
        if (csv) {
            put("date,time,seconds");
            for (std::size_t c = 0; c < nctm(); ++c)
                put("," + csv_field(species_name(c) + " [" + species_unit(c) + "]"));
            put("\n");
        } else {
            putf("Project File:\t%s\n", context_.file_name.c_str());
            putf("level:\t%s\tzone:\t%s\n", level_name(*zone).c_str(), zone->name.c_str());
            put("date\ttime\ttime");
            for (std::size_t c = 0; c < nctm(); ++c) putf("\t%s", species_name(c).c_str());
            put("\n\tof day\t[s]");
            for (std::size_t c = 0; c < nctm(); ++c) putf("\t[%s]", species_unit(c).c_str());
            put("\n");
        }
        std::vector<Step> steps;
        const bool whole = period_steps(steps);
        const std::int32_t node = ResultsIndices::of(indices().zone_ctm_node, zone->nr);
        const char sep = csv ? ',' : '\t';
        for (const Step& step : steps) {
            NodeConcentrationResult r;
            if (node <= 0 || !load(step) || !reader_.read_node_concentrations(node, step.k, r)) return end_early();
            putf("%s%c%s%c%ld", day_text(step.day).c_str(), sep, time_text(step.time).c_str(), sep, long{step.time});
            for (std::size_t c = 0; c < nctm() && c < r.cc.size(); ++c) putf("%c%g", sep, concentration(c, r.cc[c]));
            put("\n");
        }
        if (!whole) end_early();
    }

    ResultsReader& reader_;
    const Project& project_;
    const ExportContext& context_;
    const ExportRequest& request_;
    const RunControl& rc_;
    int home_day_;
    std::int64_t home_step_;
    AtomicFileWriter out_;
    ExportOutcome outcome_;
    std::string line_;  // one line of a long table, reused
    std::vector<SpeciesUnit> species_units_;
};

}  // namespace

std::string_view export_label(ExportKind kind) { return kKinds[static_cast<std::size_t>(kind)].label; }
std::string_view export_key(ExportKind kind) { return kKinds[static_cast<std::size_t>(kind)].key; }

std::optional<ExportKind> export_kind_from_key(std::string_view key)
{
    for (int k = 0; k < kExportKindCount; ++k)
        if (kKinds[static_cast<std::size_t>(k)].key == key) return static_cast<ExportKind>(k);
    return std::nullopt;
}

ExportContext export_context(const std::string& project_path, const Project& project)
{
    const PathParts parts = PathSplit(project_path);
    ExportContext context;
    context.base_name = parts.name;
    context.file_name = parts.name + parts.extension;
    context.description = project.description;
    context.now = std::time(nullptr);
    return context;
}

ExportAvailability export_availability(const ResultsHeader& header, const Project& project)
{
    ExportAvailability a;
    a.airflows = header.zf != 0 && header.pf != 0 && project.paths.head() != nullptr;
    a.concentrations = header.zc != 0 && header.nctm > 0;
    return a;
}

bool has_export_items(const Project& project)
{
    return project.zones.head() != nullptr || project.paths.head() != nullptr;
}

std::vector<std::string> export_request_faults(const ResultsLayout& layout, const ExportRequest& request)
{
    std::vector<std::string> faults;
    if (is_one_time_output(request.kind)) {
        if (!day_in_results(layout, request.at.day))
            faults.emplace_back(request.kind == ExportKind::PathReport  ? "The airflow report date is out of range."
                                : request.kind == ExportKind::ZoneFlows ? "The airflow export date is out of range."
                                                                        : "The concentration report date is out of range.");
        return faults;
    }
    if (!day_in_results(layout, request.from.day)) faults.emplace_back("The from date is out of range.");
    if (!day_in_results(layout, request.to.day)) faults.emplace_back("The to date is out of range.");
    if (faults.empty() && instant_key(layout, request.from) > instant_key(layout, request.to))
        faults.emplace_back("The to date is after the from date.");
    return faults;
}

ExportOutcome write_results_export(ResultsReader& reader, const Project& project, const ExportContext& context,
                                   const ExportRequest& request, const std::string& path)
{
    if (!reader.is_open()) {
        ExportOutcome outcome;
        outcome.failure = "The results are not open.";
        return outcome;
    }
    ExportOutcome outcome = ExportWriter(reader, project, context, request).run(path);
    if (outcome.written && outcome.limited) show_message(WARNING, {std::string(kExportLimitMessage)});
    return outcome;
}

bool save_export(ResultsReader& reader, const Project& project, const std::string& project_path,
                 const ExportRequest& request)
{
    const std::vector<std::string> faults = export_request_faults(reader.layout(), request);
    for (const std::string& fault : faults) show_message(WARNING, {fault});
    if (!faults.empty()) return false;
    const std::string path =
        user_port().choose_file(FileChoice::Save, "Text Files (*.TXT)", "txt", proposed_export_path(project_path));
    if (path.empty()) return false;
    const ExportOutcome outcome = write_results_export(reader, project, export_context(project_path, project), request, path);
    if (!outcome.written) show_message(ERROR, {outcome.failure});
    return outcome.written;
}

std::optional<ResultsInstant> parse_instant(std::string_view day, std::string_view time)
{
    const std::optional<int> d = parse_day_text(day);
    const std::optional<std::int32_t> t = parse_time_text(time);
    if (!d || !t) return std::nullopt;
    return ResultsInstant{*d, *t};
}

void ExportDataForm::start(const ResultsMode& results, const Project& project, std::int32_t cursor_path)
{
    const ResultsReader& reader = results.reader();
    const ResultsLayout& layout = reader.layout();
    availability = export_availability(reader.header(), project);
    period = results.period();
    const ResultsInstant now{results.day(), results.time()};
    const auto held = [&](ResultsInstant at) { return day_in_results(layout, at.day); };
    if (!started_ || !held(airflow_at)) airflow_at = now;
    if (!started_ || !held(concentration_at)) concentration_at = now;
    if (!started_ || !held(from) || !held(to)) {
        from = {period.day0, period.time0};
        to = {period.day1, period.time1};
    }
    if (cursor_path > 0 && project.paths.at(cursor_path))
        path = cursor_path;
    else if (!started_ || !project.paths.at(path))
        path = project.paths.head() ? 1 : 0;
    if (!started_ || !project.levels.at(level)) {
        level = project.current_level ? project.current_level->nr : (project.levels.head() ? project.levels.head()->nr : 0);
    }
    const std::vector<std::int32_t> zones = level_zones(project, level);
    if (std::find(zones.begin(), zones.end(), zone) == zones.end()) zone = zones.empty() ? 0 : zones.front();
    if (!availability.allows(kind) || !started_) {
        if (availability.airflows)
            kind = ExportKind::PathReport;
        else if (availability.concentrations)
            kind = ExportKind::ConcentrationReport;
    }
    started_ = true;
}

std::vector<std::int32_t> ExportDataForm::level_zones(const Project& project, std::int32_t level)
{
    std::vector<std::int32_t> zones;
    const Level* l = project.levels.at(level);
    if (!l) return zones;
    for (const IconEntry& icon : l->icons)
        if (has_flag(icon.code, CC_ZONE_ICON) && icon.nr > 0 && project.zones.at(icon.nr) &&
            std::find(zones.begin(), zones.end(), icon.nr) == zones.end())
            zones.push_back(icon.nr);
    return zones;
}

ExportRequest ExportDataForm::request() const
{
    ExportRequest r;
    r.kind = kind;
    r.at = kind == ExportKind::ConcentrationReport ? concentration_at : airflow_at;
    r.from = from;
    r.to = to;
    r.path = path;
    r.zone = zone;
    return r;
}

std::int32_t cursor_flow_path(const SketchGrid& grid)
{
    if (!grid.allocated() || !grid.in_grid(grid.cursor.row, grid.cursor.col)) return 0;
    const LevelCells& cells = grid.current();
    const std::uint8_t code = cells.Sketch(grid.cursor.row, grid.cursor.col);
    if (!has_flag(code, CC_PATH_ICON) || code == ICN_AHS) return 0;
    return std::max<std::int32_t>(0, cells.Paths(grid.cursor.row, grid.cursor.col));
}

std::string proposed_export_path(const std::string& project_path)
{
    const PathParts parts = PathSplit(project_path);
    return make_path(parts.drive, parts.directory, parts.name, ".txt");
}

}  // namespace avelor
