// "Simulation Parameters": every run-control setting of a project, with the
// weather, contaminant and WPC file choices, as a form without the widgets.
//
// The six pages edit a working copy of the run control. Which options are
// open follows the chosen methods (enabled()); the Run Control page lays
// out its dates by the methods (date_layout()); the Run Control and
// Weather pages are checked as they are left, by OK and by Run. Nothing
// reaches the project before accept() or run().
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/run_control.h"
#include "model/run_control_rules.h"
#include "model/units.h"

namespace avelor {

class Project;

enum class SimPage { RunControl, Weather, Output, AirflowNumerics, ContaminantNumerics, Cfd };
inline constexpr std::array<std::string_view, 6> kSimPageCaptions = {
    "Run Control", "Weather", "Output", "Airflow Numerics", "Contaminant Numerics", "CFD Parameters"};

// The option groups whose availability follows the methods.
enum class SimGroup {
    BuildingPressure,       // Pbldg and its unit
    ContaminantNone,        // contaminant methods None and Transient, the reset options
    ContaminantSteady,
    ContaminantCyclic,
    IntegrationDefault,     // integration methods Default and Short Time Step
    IntegrationCvode,
    WeatherFile,
    ContaminantFile,
    AirflowResults,         // pfsave, SQLite, ach, vol, age
    ContaminantResults,     // zcsave, SQLite, exp, csm, srf, bcx, dcx
    AirflowBoxWhisker,      // of air change rate and age
    ContaminantBoxWhisker,  // of concentrations and exposures
    AirflowTestResults,     // valZ, valD, valC
    LinearSolver,           // the linear contaminant solver
    BcgAndGamma,
    CvodeOptions,
    CyclicConvergence,
    ShortTimeStep,          // rzf, rzm, rz1, the 1D models, junction temperatures
};

// What the Run Control page shows of the dates and time steps.
enum class DateLayout { None, Steady, Transient, Cyclic };

// "Reset initial contaminant concentrations to...".
enum class ConcentrationReset { None, Zero, Ambient, CurrentResults };

// The on/off settings of the pages.
enum class SimFlag {
    // Run Control.
    Restart,
    // Output.
    PathFlows, AirflowSqlite, AirChangeFile, StandardDensity, AgeFile,
    AirChangeBoxWhisker, AgeBoxWhisker,
    Concentrations, ContaminantSqlite, Exposures, SummaryFile, SurfaceFile, ExfiltrationBasic,
    ExfiltrationDetailed, ConcentrationBoxWhisker, ExposureBoxWhisker,
    ControlsLog, TestZones, TestDucts, TestClassified,
    // Airflow Numerics.
    AirflowResequence, LinearInitialization, AdjustTemperatures, VaryDensity, SteadyConvergence,
    HydrostaticEquation,
    // Contaminant Numerics.
    ContaminantResequence, ZoneModel1D, DuctModel1D, JunctionTemperatures, RzfFile, RzmFile, Rz1File,
    // CFD and Weather.
    RestartCoupling, WpcTrigger,
};

// The number fields of the pages. The contaminant solver's fields edit the
// trace row with the default integration and the cvode row otherwise.
enum class SimNumber {
    AirflowMaxIterations, AirflowRelConvergence, AirflowAbsConvergence, AirflowRelaxation,
    LinearMaxIterations, LinearConvergence, DensityIterations, BuildingPressure,
    SolverMaxIterations, SolverRelConvergence, SolverAbsConvergence, SolverRelaxation, Gamma,
    CyclicMaxIterations, CyclicRelConvergence, CyclicAbsConvergence, CyclicRelaxation,
    CvodeRelConvergence, CvodeAbsConvergence, CvodeMaxStep, CellSize,
    CfdConvergence, CfdMaxIterations, CfdOutputFrequency,
};

// The times and dates of the Run Control page.
enum class SimTime { Steady, Start, Stop, Calculation, Output, Status };
enum class SimDate { Steady, Start, Stop, Restart };

// Where current results come from for the "Current Results Concentrations"
// reset: the concentrations (contaminant order) of a zone or junction by
// number at the step shown, nothing when it has none; reading stops at the
// first failure, which the source reports itself.
struct ResultsConcentrations {
    enum class Read { Values, NoResults, Failed };
    std::function<Read(bool junction, int number, std::vector<float>& out)> read;
};

class SimulationParametersForm {
public:
    static constexpr std::string_view kCaption = "Simulation Parameters";
    static constexpr std::string_view kRunCaption = "Run";

    // project_path: the project's file, beside which the restart file lies
    // (empty for an untitled project).
    SimulationParametersForm(Project& project, std::string project_path);
    SimulationParametersForm(const SimulationParametersForm&) = delete;
    SimulationParametersForm& operator=(const SimulationParametersForm&) = delete;

    const RunControl& working() const { return rc_; }
    bool has_contaminants() const { return contaminants_; }

    // Availability and layout.
    bool enabled(SimGroup group) const;
    bool flag_enabled(SimFlag flag) const;
    bool number_enabled(SimNumber number) const;
    DateLayout date_layout() const;
    bool time_enabled(SimTime time) const;
    bool date_enabled(SimDate date) const;
    // "Use restart file": open in the transient and cyclic layouts when the
    // restart file matches the project.
    bool restart_available() const;
    // "Restart data from" ... "to" ...: the restart file's days, empty when
    // it cannot be used.
    std::string restart_range_text() const;

    // Run Control.
    void set_airflow_method(int method);
    void set_contaminant_method(int method);
    void set_integration_method(int method);
    ConcentrationReset reset() const { return reset_; }
    // Clicking the selected option deselects it; another one replaces it.
    void click_reset(ConcentrationReset option);
    void set_results_source(ResultsConcentrations source) { results_ = std::move(source); }
    // Hours, minutes and seconds; outside 00:00:00..24:00:00 a WARNING
    // ("Time too early; < 00:00:00", "Time too late; > 24:00:00") and the
    // time stays.
    bool set_time(SimTime time, int hours, int minutes, int seconds);
    std::int32_t time(SimTime time) const;
    // Month 1..12 and day of the month (kept within the month).
    void set_date(SimDate date, int month, int day);
    int date(SimDate date) const;

    // Flags, numbers and choices of every page.
    bool flag(SimFlag flag) const;
    void set_flag(SimFlag flag, bool on);
    // What a number field shows; the trapezoidal integration factor is
    // blank unless the default integration is chosen.
    std::string number_text(SimNumber number) const;
    // Checks typed text as the field loses the focus; a refusal is a WARNING
    // box and the field shows its value again.
    bool set_number(SimNumber number, std::string_view text);
    // The unit kind of a number field with a unit selector, else nothing.
    std::optional<UnitKind> number_unit_kind(SimNumber number) const;
    int number_unit(SimNumber number) const;
    void set_number_unit(SimNumber number, int unit);

    void set_airflow_solver(int solver) { rc_.afcalc = solver; }       // SUR, Simple Trust Region
    void set_airflow_linear_solver(int solver) { rc_.af_slae = solver; } // Skyline, PCG
    // Skyline, BCG, SOR, LU.
    int contaminant_solver() const { return solver_row().slae; }
    void set_contaminant_solver(int solver);
    void set_cvode_method(int method) { rc_.cvode = method; }
    void set_cfd_method(int method);
    void set_display_mode(int dialog) { rc_.doDlg = static_cast<std::int16_t>(dialog != 0); }
    void set_log_detail(int list) { rc_.list = static_cast<std::int16_t>(list); }
    // ".RXR File": ticked while any of the short-time-step files is.
    bool rxr_ticked() const { return rc_.rzf || rc_.rzm || rc_.rz1; }

    // Weather.
    std::vector<std::string> steady_weather_lines() const;
    // The Weather and Wind Parameters sheet stored new weather, wind and
    // location data in the project: the working copy takes them, so that
    // OK does not put the old ones back.
    void weather_edited();
    Project& project() const { return *project_; }
    std::string weather_file_text() const;
    std::string contaminant_file_text() const;
    std::string wpc_file_text() const;
    // The first and last day a file covers as "Jan01", or " N/A".
    std::string weather_days_text(bool last) const;
    std::string contaminant_days_text(bool last) const;
    std::string wpc_days_text(bool last) const;
    // A chosen file is taken when its header is valid.
    bool choose_weather_file(const std::string& path);
    bool choose_contaminant_file(const std::string& path);
    void use_steady_weather();
    void use_steady_contaminants();
    // "Use Transient Data": no WPC file, and none of its uses.
    void use_transient_data();

    // The page checks, as a page is left: Run Control and Weather check
    // their settings (the first failure is an ERROR box); the other pages
    // always pass.
    bool leave_page(SimPage page);

    // OK on a page: its check, then the working copy, the file choices and
    // the concentration reset reach the project, which is marked changed.
    bool accept(SimPage page);
    // Run on a page: its check and the time steps every run needs, then as
    // OK, and the sheet asks for Run Simulation once it has closed.
    bool run(SimPage page);
    // Cancel.
    void cancel() { run_requested_ = false; }
    bool run_requested() const { return run_requested_; }

    // The concentration reset of the Run Control page, applied to the
    // project's zones and junctions.
    void apply_reset();

    // Re-reads the file spans and keeps the methods and the restart controls
    // consistent; every change of a method does it.
    void refresh();

private:
    SolverSet& solver_row();
    const SolverSet& solver_row() const;
    bool solver_row_is_trace() const { return rc_.mf_solver == integration_method::Default; }
    void copy_trace_to_nontrace();
    void commit();
    std::int32_t* time_field(SimTime time);
    std::int32_t* date_field(SimDate date);

    Project* project_;
    std::string project_path_;
    RunControl rc_;
    bool contaminants_ = false;
    bool exposures_ = false;
    RunFileSpans spans_;
    bool weather_required_ = false;
    bool contaminant_required_ = false;
    ConcentrationReset reset_ = ConcentrationReset::None;
    ResultsConcentrations results_;
    bool run_requested_ = false;
    std::int16_t celldx_unit_ = 0;
};

}  // namespace avelor
