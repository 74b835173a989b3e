// The rules a project's run control must keep before the engine may run on
// it: the days the weather, contaminant and restart files cover, whether a
// span of days lies within them, and the checks of the Run Control and
// Weather pages of the simulation parameters, which every way to a run
// shares (the sheet, its Run button and the command-line tool).
#pragma once

#include <cstdint>
#include <string>

namespace avelor {

class Project;
struct RunControl;

// The methods, by their numbers in the run control.
namespace airflow_method {
inline constexpr int Steady = 0;
inline constexpr int Transient = 1;
inline constexpr int DuctBalance = 2;
inline constexpr int AirflowTest = 3;
inline constexpr int PressurizationTest = 4;
}  // namespace airflow_method
namespace contaminant_method {
inline constexpr int None = 0;
inline constexpr int Steady = 1;
inline constexpr int Transient = 2;
inline constexpr int Cyclic = 3;
}  // namespace contaminant_method
namespace integration_method {
inline constexpr int Default = 0;
inline constexpr int ShortTimeStep = 1;
inline constexpr int Cvode = 2;
}  // namespace integration_method

// Whether the run steps through time: any airflow method but Steady, or
// transient or cyclic contaminants.
bool transient_simulation(const RunControl& rc);

// Whether a file name names a file ("null" and empty do not).
bool names_a_file(const std::string& name);

// What a data file's header says.
enum class DataFileKind { Weather, Contaminant };
struct DataFileSpan {
    bool ok = false;
    int first_day = 1;
    int last_day = 365;
};
// The header of a weather or contaminant file: its three opening words,
// its description line and the first and last day it covers. A bad header
// is logged as a WARNING "Invalid header data: " with its first line.
DataFileSpan check_data_file_header(const std::string& path, DataFileKind kind);

// The restart file the engine writes beside a project: PROJECT.rst.
std::string restart_path_for(const std::string& project_path);
// The header of a restart file: ten little-endian 32-bit integers, the
// counts of zones, flow paths, contaminants, junctions, duct segments,
// source/sinks and control nodes, the first and last restart day and one
// value kept for the engine. It matches (ok) when all ten are there, the
// counts are the project's and both days are days of the year (1..365).
struct RestartSpan {
    bool ok = false;
    int first_day = 1;
    int last_day = 365;
};
RestartSpan read_restart_header(const std::string& rst_path, const Project& project);

// Whether day lies in first..last, a span that runs over the year's end
// when last is before first. A day outside 1..365 lies in none.
bool day_in_span(int day, int first, int last);
// Whether every day of a..b (wrapping the same way) lies in first..last.
bool span_covered(int a, int b, int first, int last);

// The days the input files of a run cover: 1..365 for a file that is not
// named or whose header cannot be read.
struct RunFileSpans {
    DataFileSpan weather;
    DataFileSpan contaminant;
    RestartSpan restart;
    // Where the project is saved: a relative file name not found where the
    // program runs is looked for beside it, as the engine does.
    std::string project_path;
};
// Reads the headers of the files the run uses for a project saved at
// project_path.
RunFileSpans read_run_file_spans(const RunControl& rc, const Project& project,
                                 const std::string& project_path);

// The time steps every run needs: positive calculation and output steps,
// an output step that is a multiple of the calculation step and divides a
// day. The first failure is shown as an ERROR; false then.
bool check_run_time_steps(const RunControl& rc);

// The Run Control page check: the methods, the time steps, the dates
// against the weather file and the restart file. The first failure is
// shown as an ERROR and false returned. The restart date is checked only
// for a run through time. On success the start and stop are
// normalised (a start at 24:00:00 is 00:00:00 of the next day, a stop at
// 00:00:00 is 24:00:00 of the day before).
bool check_run_control(RunControl& rc, const RunFileSpans& spans);

// The Weather page check: the simulated days against the weather,
// contaminant and restart files (the user may move the days to the first
// day of a file instead), the time steps, and the files' presence and
// headers. The first failure is shown as an ERROR and false returned.
bool check_weather(RunControl& rc, const RunFileSpans& spans);

}  // namespace avelor
