// avelor export: the outputs of "Export Data" without a display, from the
// project's results as results mode opens them.
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "app/diagnostics.h"
#include "app/text_convert.h"
#include "cli_main.h"
#include "editing/editor_session.h"
#include "model/project.h"
#include "simulation/results_export.h"
#include "simulation/results_mode.h"

namespace avelor::cli {

namespace {

struct ExportArguments {
    std::string project;
    std::optional<ExportKind> kind;
    std::string output;
    std::optional<int> day, from_day, to_day;
    std::optional<std::int32_t> time, from_time, to_time;
    std::optional<std::int32_t> path, zone;
    bool csv = false;
    std::string error;
};

std::optional<std::int32_t> positive_number(const std::string& text)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const long n = std::strtol(text.c_str(), nullptr, 10);
    if (n < 1) return std::nullopt;
    return static_cast<std::int32_t>(n);
}

ExportArguments export_arguments(const std::vector<std::string>& args)
{
    ExportArguments parsed;
    const auto day_value = [&](const std::string& flag, const std::string& text, std::optional<int>& out) {
        out = parse_day_text(text);
        if (!out) parsed.error = flag + " must be a month and day such as Jan01, not " + text;
    };
    const auto time_value = [&](const std::string& flag, const std::string& text, std::optional<std::int32_t>& out) {
        out = parse_time_text(text);
        if (!out) parsed.error = flag + " must be HH:MM:SS from 00:00:00 to 24:00:00, not " + text;
    };
    for (std::size_t i = 0; i < args.size() && parsed.error.empty(); ++i) {
        const std::string& arg = args[i];
        const bool takes_value = arg == "-o" || arg == "--day" || arg == "--time" || arg == "--from" ||
                                 arg == "--to" || arg == "--from-time" || arg == "--to-time" || arg == "--path" ||
                                 arg == "--zone";
        if (takes_value && i + 1 >= args.size()) {
            parsed.error = arg + " needs a value";
            break;
        }
        if (arg == "-o") {
            parsed.output = args[++i];
        } else if (arg == "--day") {
            day_value(arg, args[++i], parsed.day);
        } else if (arg == "--time") {
            time_value(arg, args[++i], parsed.time);
        } else if (arg == "--from") {
            day_value(arg, args[++i], parsed.from_day);
        } else if (arg == "--to") {
            day_value(arg, args[++i], parsed.to_day);
        } else if (arg == "--from-time") {
            time_value(arg, args[++i], parsed.from_time);
        } else if (arg == "--to-time") {
            time_value(arg, args[++i], parsed.to_time);
        } else if (arg == "--path" || arg == "--zone") {
            const std::optional<std::int32_t> n = positive_number(args[++i]);
            if (!n) parsed.error = arg + " must be a number from 1 on, not " + args[i];
            (arg == "--path" ? parsed.path : parsed.zone) = n;
        } else if (arg == "--csv") {
            parsed.csv = true;
        } else if (parsed.project.empty() && !arg.empty() && arg[0] != '-') {
            parsed.project = arg;
        } else if (!parsed.kind && !arg.empty() && arg[0] != '-') {
            parsed.kind = export_kind_from_key(arg);
            if (!parsed.kind) parsed.error = "unknown output " + arg;
        } else {
            parsed.error = "unexpected argument " + arg;
        }
    }
    if (!parsed.error.empty()) return parsed;
    if (parsed.project.empty())
        parsed.error = "no project file given";
    else if (!parsed.kind)
        parsed.error = "no output given";
    else if (parsed.output.empty())
        parsed.error = "export needs -o FILE";
    else if (parsed.csv && !has_csv_form(*parsed.kind))
        parsed.error = std::string(export_key(*parsed.kind)) + " is a report and has no CSV form";
    else if (*parsed.kind == ExportKind::ZoneConcentrations && !parsed.zone)
        parsed.error = "zone-concentrations needs --zone N";
    return parsed;
}

}  // namespace

int export_command(const CliOptions& options, const ReadOptions& read_options, std::ostream& out, std::ostream& err)
{
    const ExportArguments args = export_arguments(options.arguments);
    if (!args.error.empty()) {
        err << "avelor: " << args.error << "\n" << usage_text();
        return 2;
    }
    EditorSession session;
    ResultsMode mode;
    if (!open_project_results(session, mode, read_options, args.project)) return 1;
    const Project& project = session.project();
    if (!has_export_items(project)) {
        show_message(WARNING, {std::string(kNothingToExport)});
        return 1;
    }
    const ExportAvailability available = export_availability(mode.reader().header(), project);
    if (!available.allows(*args.kind)) {
        err << "avelor: the results hold no "
            << (is_airflow_output(*args.kind) ? "airflows of zones and paths" : "concentrations") << " to export\n";
        return 1;
    }
    const ResultsPeriod period = mode.period();
    ExportRequest request;
    request.kind = *args.kind;
    request.at.day = args.day.value_or(period.day0);
    request.at.time = args.time.value_or(request.at.day == period.day0 ? period.time0 : 0);
    request.from.day = args.from_day.value_or(period.day0);
    request.from.time = args.from_time.value_or(request.from.day == period.day0 ? period.time0 : 0);
    request.to.day = args.to_day.value_or(period.day1);
    request.to.time = args.to_time.value_or(request.to.day == period.day1 ? period.time1 : kSecondsInDay);
    request.path = args.path.value_or(1);
    request.zone = args.zone.value_or(0);
    request.format = args.csv ? ExportFormat::Csv : ExportFormat::Text;
    if (request.kind == ExportKind::PathFlow && !project.paths.at(request.path)) {
        err << "avelor: the project has no flow path " << request.path << "\n";
        return 1;
    }
    if (request.kind == ExportKind::ZoneConcentrations && !project.zones.at(request.zone)) {
        err << "avelor: the project has no zone " << request.zone << "\n";
        return 1;
    }
    const std::vector<std::string> faults = export_request_faults(mode.reader().layout(), request);
    for (const std::string& fault : faults) show_message(WARNING, {fault});
    if (!faults.empty()) return 1;

    const ExportOutcome outcome = write_results_export(mode.reader(), project, export_context(session.document.path, project),
                                                       request, args.output);
    mode.leave();
    if (!outcome.written) {
        err << "avelor: " << outcome.failure << "\n";
        return 1;
    }
    out << "Wrote " << args.output << (outcome.ended_early ? " (ended early: the results could not be read further)" : "")
        << "\n";
    return outcome.ended_early ? 1 : 0;
}

}  // namespace avelor::cli
