#include "simulation/results_display.h"

#include <algorithm>

#include "app/text_convert.h"
#include "model/cell_codes.h"
#include "model/project.h"
#include "model/units.h"
#include "simulation/results_mode.h"

namespace avelor {

namespace {

constexpr const char* kNoFlows =
    "Zone airflow results not available.\r\nSet simulation output parameters\r\nto provide flow data.";
constexpr const char* kNoConcentrations =
    "Contaminant results not available.\r\nSet simulation output parameters to\r\nprovide detailed contaminant data.";

int shown_unit(UnitKind kind, int index) { return unit_index_valid(kind, index) ? index : 0; }

// Adds a flow to From or To: positive along the shown side's direction.
void add(ZoneFlowRow& row, float flow, bool positive_is_from)
{
    if (flow > 0)
        (positive_is_from ? row.from : row.to) += flow;
    else if (flow < 0)
        (positive_is_from ? row.to : row.from) -= flow;
}

std::string concentration_text(const Project& project, const std::vector<float>& cc)
{
    std::string text;
    const std::size_t n = std::min(cc.size(), project.Ctm.size());
    for (std::size_t c = 0; c < n; ++c) {
        const Species* s = project.Ctm[c];
        if (!s) continue;
        const UnitKind kind = concentration_kind(*s);
        const int unit = shown_unit(kind, s->u[0]);
        text += format_text("%12s %13g [%s]\r\n", s->name.c_str(),
                            double(convert_units(cc[c], true, kind, unit, s)), unit_display_name(kind, unit).c_str());
    }
    return text;
}

}  // namespace

std::vector<ZoneFlowRow> zone_flow_balance(const Project& project, const ResultsReader& reader, const Zone* zone)
{
    const ResultsIndices& ix = reader.indices();
    const std::int32_t Z = std::max(0, project.zones.count());
    // Rows 1..Z are the zones, then the ducts and the ambient.
    std::vector<ZoneFlowRow> rows(static_cast<std::size_t>(Z) + 3);
    const std::size_t ducts = static_cast<std::size_t>(Z) + 1, ambient = ducts + 1;
    const auto row_of = [&](const ZoneRef& ref) -> ZoneFlowRow* {
        if (ref.is_ambient()) return &rows[ambient];
        const Zone* z = ref.zone();
        return z && z->nr >= 1 && z->nr <= Z ? &rows[static_cast<std::size_t>(z->nr)] : nullptr;
    };
    const auto is_shown = [&](const ZoneRef& ref) { return zone ? ref.zone() == zone : ref.is_ambient(); };

    for (std::int32_t nr = project.paths.count(); nr >= 1; --nr) {
        const FlowPath* path = project.paths.at(nr);
        if (!path) continue;
        const bool n = is_shown(path->zone_n), m = is_shown(path->zone_m);
        if (n == m) continue;
        ZoneFlowRow* other = row_of(n ? path->zone_m : path->zone_n);
        const PathResult* r = reader.path(ResultsIndices::of(ix.path_index, nr));
        if (!other || !r) continue;
        // From the n side positive flow leaves the shown zone; from the m
        // side it arrives.
        add(*other, r->F0, m);
        add(*other, r->F1, m);
    }
    for (std::int32_t nr = 1; nr <= project.junctions.count(); ++nr) {
        const Junction* j = project.junctions.at(nr);
        if (!j || !is_shown(j->zone)) continue;
        if (j->t != 0)
            if (const PathResult* r = reader.path(ResultsIndices::of(ix.terminal_index, nr))) {
                add(rows[ducts], r->F0, true);
                add(rows[ducts], r->F1, true);
            }
        if (const PathResult* r = reader.path(ResultsIndices::of(ix.leak_index, nr))) {
            add(rows[ducts], r->F0, true);
            add(rows[ducts], r->F1, true);
        }
    }

    std::vector<ZoneFlowRow> listed;
    ZoneFlowRow sum{"Sum", 0, 0};
    for (std::size_t i = 1; i < rows.size(); ++i) {
        ZoneFlowRow& row = rows[i];
        if (!(row.from > 0 || row.to > 0)) continue;
        if (i == ducts) {
            row.label = "Ducts";
        } else if (i == ambient) {
            row.label = "Ambient";
        } else {
            const Zone* z = project.zones.at(static_cast<std::int32_t>(i));
            row.label = (z ? z->name : std::string()) + " / " + (z && z->level ? z->level->name : std::string());
        }
        sum.from += row.from;
        sum.to += row.to;
        listed.push_back(row);
    }
    listed.push_back(sum);
    return listed;
}

std::optional<ResultsDisplayContent> results_display_content(ResultsMode& results, const Project& project,
                                                             const SketchGrid& grid, GridCell cell)
{
    if (!results.active() || !grid.allocated() || !grid.in_grid(cell.row, cell.col)) return std::nullopt;
    const LevelCells& l = grid.current();
    const std::uint8_t code = l.Sketch(cell.row, cell.col);
    const std::uint8_t duct_code = code == 0 ? l.Ducts(cell.row, cell.col) : 0;
    const std::int32_t nr = l.Paths(cell.row, cell.col);
    ResultsReader& reader = results.reader();
    const ResultsHeader& h = reader.header();
    const ResultsIndices& ix = reader.indices();
    const std::string level = project.current_level ? project.current_level->name : std::string();

    ResultsDisplayContent content;
    content.level = level;
    content.results_title = "Contaminant Results";
    const RunControl& rc = project.rc;
    const int uf = shown_unit(UnitKind::MassFlow, rc.uf);
    content.flow_title = "Zone Airflow Results [" + unit_display_name(UnitKind::MassFlow, uf) + "]";
    const auto node_concentrations = [&](std::int32_t node) {
        NodeConcentrationResult record;
        if (h.zc && node > 0 && reader.read_node_concentrations(node, results.step(), record))
            return concentration_text(project, record.cc);
        return std::string(kNoConcentrations);
    };

    const bool zone_icon = has_flag(code, CC_ZONE_ICON);
    if (code == ICN_AMBIENT || (zone_icon && nr == ZONE_AMBIENT) || (zone_icon && nr > 0 && project.zones.at(nr))) {
        const bool ambient = code == ICN_AMBIENT || nr == ZONE_AMBIENT;
        const Zone* zone = ambient ? nullptr : project.zones.at(nr);
        content.type = "Zone";
        content.name = ambient ? "Ambient" : zone->name;
        content.number = ambient ? std::string() : int_text(zone->nr);
        if (h.zf && h.pf) {
            content.flow_heading = kFlowColumnHeading;
            for (const ZoneFlowRow& row : zone_flow_balance(project, reader, zone))
                content.flow_text += format_text(
                    "%13g %13g %s\r\n", double(convert_units(static_cast<float>(row.from), true, UnitKind::MassFlow, uf)),
                    double(convert_units(static_cast<float>(row.to), true, UnitKind::MassFlow, uf)), row.label.c_str());
        } else {
            content.flow_text = kNoFlows;
        }
        if (ambient) {
            const ResultsTimeRecord& t = results.time_record();
            if (h.zc && !t.ambient_cc.empty()) {
                content.results_text = concentration_text(project, t.ambient_cc);
            } else {
                ResultsTimeRecord record;
                content.results_text = h.zc && reader.read_time_record(results.step(), record)
                                           ? concentration_text(project, record.ambient_cc)
                                           : std::string(kNoConcentrations);
            }
        } else {
            content.results_text = node_concentrations(ResultsIndices::of(ix.zone_ctm_node, zone->nr));
        }
        return content;
    }
    if (code == ICN_EXPOSURE || has_flag(code, CC_EXPOSURE_ICON)) {
        content.type = "Occupant";
        content.name = "n/a";
        content.number = int_text(nr);
        content.results_title = "Exposure Results";
        content.flow_title = "Dose Results";
        content.flow_box = false;
        content.results_text = project.exposures.head()
                                   ? "See .EBW file for summary exposure restuls, or\r\nplot transient exposure via "
                                     "Simulation menu."
                                   : "Set simulation output parameters to\r\nprovide occupant exposure data.";
        return content;
    }
    if (duct_code >= ICN_JUNCTION && duct_code <= ICN_LAST_DUCT_NODE) {
        const Junction* j = nr > 0 ? project.junctions.at(nr) : nullptr;
        if (!j) return std::nullopt;
        content.type = j->t != 0 ? "Terminal" : "Junction";
        content.number = int_text(j->nr);
        content.name = "N/A";
        content.flow_text = "N/A";
        content.results_text = node_concentrations(ResultsIndices::of(ix.junction_ctm_node, j->nr));
        return content;
    }
    return std::nullopt;
}

}  // namespace avelor
