// avelor results: one output time step of a project's results, opened as
// results mode opens them and chosen as "Go To Date/Time" chooses.
#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/text_convert.h"
#include "cli_main.h"
#include "editing/editor_session.h"
#include "model/project.h"
#include "simulation/results_mode.h"

namespace avelor::cli {

namespace {

struct ResultsArguments {
    std::string project;
    std::optional<int> day;
    std::optional<std::int32_t> time;
    bool tsv = false;
    std::string error;
};

ResultsArguments results_arguments(const std::vector<std::string>& args)
{
    ResultsArguments parsed;
    for (std::size_t i = 0; i < args.size() && parsed.error.empty(); ++i) {
        const std::string& arg = args[i];
        if ((arg == "--day" || arg == "--time") && i + 1 >= args.size()) {
            parsed.error = arg + " needs a value";
        } else if (arg == "--day") {
            parsed.day = parse_day_text(args[++i]);
            if (!parsed.day) parsed.error = "--day must be a month and day such as Jan01, not " + args[i];
        } else if (arg == "--time") {
            parsed.time = parse_time_text(args[++i]);
            if (!parsed.time) parsed.error = "--time must be HH:MM:SS from 00:00:00 to 24:00:00, not " + args[i];
        } else if (arg == "--tsv") {
            parsed.tsv = true;
        } else if (parsed.project.empty() && (arg.empty() || arg[0] != '-')) {
            parsed.project = arg;
        } else {
            parsed.error = "unexpected argument " + arg;
        }
    }
    if (parsed.error.empty() && parsed.project.empty()) parsed.error = "no project file given";
    return parsed;
}

std::string number_text(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// Rows of cells: tab-separated, or right-aligned columns two blanks apart.
void print_table(std::ostream& out, const std::vector<std::vector<std::string>>& rows, bool tsv)
{
    std::vector<std::size_t> width;
    for (const auto& row : rows)
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (width.size() <= c) width.push_back(0);
            width[c] = std::max(width[c], row[c].size());
        }
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (tsv) {
                if (c > 0) line += '\t';
                line += row[c];
            } else {
                if (c > 0) line += "  ";
                line.append(width[c] - row[c].size(), ' ');
                line += row[c];
            }
        }
        out << line << "\n";
    }
}

void print_step(std::ostream& out, ResultsMode& mode, const Project& p, bool tsv)
{
    ResultsReader& reader = mode.reader();
    const ResultsIndices& ix = reader.indices();
    out << "# " << day_text(mode.day()) << " " << time_text(mode.time()) << "\n";

    std::vector<std::vector<std::string>> paths{{"path", "dP", "Flow0", "Flow1"}};
    for (std::int32_t nr = 1; nr <= p.paths.count(); ++nr) {
        const PathResult* r = reader.path(ResultsIndices::of(ix.path_index, nr));
        if (r)
            paths.push_back({std::to_string(nr), number_text(r->dP), number_text(r->F0), number_text(r->F1)});
        else
            paths.push_back({std::to_string(nr), "-", "-", "-"});
    }
    print_table(out, paths, tsv);
    out << "\n";

    std::vector<std::vector<std::string>> zones{{"zone", "T", "P", "density"}};
    for (const Species* s : p.Ctm) zones.front().push_back(s ? s->name : std::string("-"));
    NodeConcentrationResult cc;
    for (std::int32_t nr = 1; nr <= p.zones.count(); ++nr) {
        std::vector<std::string> row{std::to_string(nr)};
        if (const NodeAirflowResult* n = reader.node(ResultsIndices::of(ix.zone_node, nr)))
            row.insert(row.end(), {number_text(n->T), number_text(n->P), number_text(n->D)});
        else
            row.insert(row.end(), {"-", "-", "-"});
        const bool have_cc =
            reader.read_node_concentrations(ResultsIndices::of(ix.zone_ctm_node, nr), mode.step(), cc);
        for (int c = 0; c < p.nctm(); ++c)
            row.push_back(have_cc && static_cast<std::size_t>(c) < cc.cc.size()
                              ? number_text(cc.cc[static_cast<std::size_t>(c)])
                              : "-");
        zones.push_back(std::move(row));
    }
    print_table(out, zones, tsv);
}

}  // namespace

bool open_project_results(EditorSession& session, ResultsMode& mode, const ReadOptions& read_options,
                          const std::string& project)
{
    session.read_options = read_options;
    if (!open_in_session(session, project)) return false;
    update_results_availability(session);
    // Entering reports why results cannot be shown.
    return mode.enter(session);
}

int results_command(const CliOptions& options, const ReadOptions& read_options, std::ostream& out,
                    std::ostream& err)
{
    const ResultsArguments args = results_arguments(options.arguments);
    if (!args.error.empty()) {
        err << "avelor: " << args.error << "\n" << usage_text();
        return 2;
    }
    EditorSession session;
    ResultsMode mode;
    if (!open_project_results(session, mode, read_options, args.project)) return 1;
    if (args.day || args.time) {
        const ResultsPeriod period = mode.period();
        const int day = args.day.value_or(period.day0);
        const std::int32_t time = args.time.value_or(day == period.day0 ? period.time0 : 0);
        const std::string fault = mode.go_to_fault(day, time);
        if (!fault.empty()) {
            err << "avelor: " << fault << "\n";
            return 1;
        }
        if (!mode.go_to(day, time)) {
            err << "avelor: the results of " << day_text(day) << " cannot be read\n";
            return 1;
        }
    }
    print_step(out, mode, session.project(), args.tsv);
    mode.leave();
    return 0;
}

}  // namespace avelor::cli
