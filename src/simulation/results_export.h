// Results exports and reports: parts of a results file written out as
// tab-separated text for spreadsheets or as fixed-column reports, at one
// output time step or over a period, and the "Export Data" dialog's model.
// Every output streams into a file written beside its target and put in
// place only when complete, so a failed export never leaves half a file.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "simulation/results_mode.h"
#include "simulation/results_reader.h"

namespace avelor {

class Project;

// The eight outputs, in the dialog's order.
enum class ExportKind : int {
    PathReport = 0,          // airflows of all paths at one time (report)
    ZoneFlows = 1,           // flow matrix at one time
    PathFlow = 2,            // one path over a period
    AverageFlows = 3,        // flow matrix averaged over a period
    ConcentrationReport = 4, // all zones at one time (report)
    TransientReport = 5,     // all zones over a period (report)
    ConcentrationExport = 6, // all zones over a period, one column per step
    ZoneConcentrations = 7,  // one zone over a period
};
inline constexpr int kExportKindCount = 8;

// The dialog's label of each output.
std::string_view export_label(ExportKind kind);
// The name avelor export takes for each output ("path-report", ...), and
// back (nothing for an unknown name).
std::string_view export_key(ExportKind kind);
std::optional<ExportKind> export_kind_from_key(std::string_view key);

constexpr bool is_airflow_output(ExportKind kind) { return static_cast<int>(kind) < 4; }
constexpr bool is_one_time_output(ExportKind kind)
{
    return kind == ExportKind::PathReport || kind == ExportKind::ZoneFlows || kind == ExportKind::ConcentrationReport;
}
// The outputs that have a comma-separated form (the reports do not).
constexpr bool has_csv_form(ExportKind kind)
{
    return kind == ExportKind::ZoneFlows || kind == ExportKind::PathFlow || kind == ExportKind::AverageFlows ||
           kind == ExportKind::ConcentrationExport || kind == ExportKind::ZoneConcentrations;
}

// At most this many steps go into the columns of the all-zones export.
inline constexpr std::int64_t kMaxExportSteps = 16380;
inline constexpr std::string_view kExportLimitMessage = "Output limited to 16380 time steps";
inline constexpr std::string_view kNothingToExport = "There are no zones or paths to export.";

struct ResultsInstant {
    int day = 1;
    std::int32_t time = 0;
    bool operator==(const ResultsInstant&) const = default;
};

enum class ExportFormat { Text, Csv };

struct ExportRequest {
    ExportKind kind = ExportKind::PathReport;
    ResultsInstant at;         // the one-time outputs
    ResultsInstant from, to;   // the outputs over a period
    std::int32_t path = 1;     // flow path number (PathFlow)
    std::int32_t zone = 1;     // zone number (ZoneConcentrations)
    ExportFormat format = ExportFormat::Text;
};

// What the outputs write about the project besides its results.
struct ExportContext {
    std::string file_name;    // the project file's name ("office.prj")
    std::string base_name;    // without folder and extension ("office")
    std::string description;  // the project's description
    std::time_t now = 0;      // the reports' date line
};
// The context of a project file path, dated now.
ExportContext export_context(const std::string& project_path, const Project& project);

// Which outputs the results allow: airflows need node airflow records and
// at least one flow path, concentrations need concentration records.
struct ExportAvailability {
    bool airflows = false;
    bool concentrations = false;
    bool allows(ExportKind kind) const { return is_airflow_output(kind) ? airflows : concentrations; }
};
ExportAvailability export_availability(const ResultsHeader& header, const Project& project);

// Whether the project has anything to export (zones or flow paths).
bool has_export_items(const Project& project);

// The checks of Save As, in order: each message that applies ("The from
// date is out of range.", ...). Empty when the request may be written.
std::vector<std::string> export_request_faults(const ResultsLayout& layout, const ExportRequest& request);

struct ExportOutcome {
    bool written = false;  // the file is in place
    bool limited = false;  // the step limit cut the output short
    bool ended_early = false;  // a read failure ended the output (the file holds what came before)
    std::string failure;   // why nothing was written
};

// Writes one output to path. The reader's current day and step are made
// current again afterwards. The balance check of a flow matrix is reported
// but does not stop the export; a results-file read failure ends the output
// early (what was written is kept, as the reader has said why); a failed
// write leaves any existing file untouched and says so in failure.
ExportOutcome write_results_export(ResultsReader& reader, const Project& project, const ExportContext& context,
                                   const ExportRequest& request, const std::string& path);

// Save As of the dialog: the checks of the request (each failing one a
// WARNING box, and then no file is asked for), the file choice ("Text Files
// (*.TXT)", proposed beside the project), the write, and an ERROR box when
// the file could not be written. True when a file was written.
bool save_export(ResultsReader& reader, const Project& project, const std::string& project_path,
                 const ExportRequest& request);

// The text of a date field ("Jan01") and a time field ("06:00:00") as an
// instant; nothing when either cannot be read.
std::optional<ResultsInstant> parse_instant(std::string_view day, std::string_view time);
inline constexpr std::string_view kInstantFormat =
    "Dates are a month and day such as Jan01, times HH:MM:SS from 00:00:00 to 24:00:00.";

// The model of the "Export Data" dialog: the chosen output and its fields,
// kept for the life of the program.
class ExportDataForm {
public:
    // Fills the fields when the dialog opens: the one-time date and time
    // from the current step, the period from the results' whole period, the
    // path from the flow path icon under the cursor (cursor_path, 0 for
    // none), else 1. Values kept from an earlier opening stay when the
    // results still hold them. The first available output is chosen when
    // the kept one is not available.
    void start(const ResultsMode& results, const Project& project, std::int32_t cursor_path);

    ExportAvailability availability;
    ResultsPeriod period;  // "Results are available from"
    ExportKind kind = ExportKind::PathReport;
    // The one-time instants: airflow outputs, concentration report.
    ResultsInstant airflow_at, concentration_at;
    ResultsInstant from, to;
    std::int32_t path = 1;
    std::int32_t level = 0;  // level number
    std::int32_t zone = 0;   // zone number on that level
    bool can_save() const { return availability.airflows || availability.concentrations; }

    // The zones of a level in the order of its icons.
    static std::vector<std::int32_t> level_zones(const Project& project, std::int32_t level);
    // The request of the chosen output.
    ExportRequest request() const;

private:
    bool started_ = false;
};

// The flow path whose icon is under the SketchPad cursor (a supply or
// return point counts, the air-handling system's icon does not); 0 when
// there is none.
std::int32_t cursor_flow_path(const SketchGrid& grid);

// The file name Save As proposes: the project's folder and base name with
// ".txt".
std::string proposed_export_path(const std::string& project_path);

}  // namespace avelor
