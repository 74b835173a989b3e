#include "forms/simulation_parameters_form.h"

#include <limits>

#include "app/diagnostics.h"
#include "app/paths.h"
#include "app/text_convert.h"
#include "forms/project_config_form.h"
#include "model/project.h"
#include "model/source_element.h"
#include "model/unit_field.h"

namespace avelor {

namespace {

namespace af = airflow_method;
namespace mf = contaminant_method;
namespace im = integration_method;

constexpr unsigned kAny = ~0u;
constexpr unsigned bit(int value) { return 1u << value; }

// The five masks of an option group: the airflow methods, contaminant
// methods and integration methods that allow it, whether it needs
// contaminants, and whether it needs the CFD coupling off.
struct Mask {
    unsigned airflow = kAny;
    unsigned contaminant = kAny;
    bool needs_contaminants = false;
    unsigned integration = kAny;
    bool needs_no_cfd = false;
};

constexpr unsigned kSteadyTransient = bit(af::Steady) | bit(af::Transient);
constexpr unsigned kAnyContaminant = bit(mf::Steady) | bit(mf::Transient) | bit(mf::Cyclic);
constexpr unsigned kTransientCyclic = bit(mf::Transient) | bit(mf::Cyclic);

Mask mask_of(SimGroup group)
{
    switch (group) {
    case SimGroup::BuildingPressure: return {bit(af::PressurizationTest)};
    case SimGroup::ContaminantNone: return {kSteadyTransient, kAny, true};
    case SimGroup::ContaminantSteady: return {bit(af::Steady), kAny, true};
    case SimGroup::ContaminantCyclic: return {kSteadyTransient, kAny, true, bit(im::Default) | bit(im::ShortTimeStep)};
    case SimGroup::IntegrationDefault: return {kSteadyTransient, kTransientCyclic, true, kAny, true};
    case SimGroup::IntegrationCvode: return {kSteadyTransient, bit(mf::Transient), true, kAny, true};
    case SimGroup::WeatherFile: return {bit(af::Transient)};
    case SimGroup::ContaminantFile: return {bit(af::Transient), kTransientCyclic, true};
    case SimGroup::AirflowResults: return {kSteadyTransient};
    case SimGroup::ContaminantResults: return {kSteadyTransient, kAnyContaminant, true};
    case SimGroup::AirflowBoxWhisker: return {bit(af::Transient)};
    case SimGroup::ContaminantBoxWhisker: return {kSteadyTransient, kTransientCyclic, true};
    case SimGroup::AirflowTestResults: return {bit(af::AirflowTest)};
    case SimGroup::LinearSolver:
        return {kSteadyTransient | bit(af::AirflowTest), kAnyContaminant, true, bit(im::Default) | bit(im::Cvode)};
    case SimGroup::BcgAndGamma: return {kSteadyTransient, kAny, true, bit(im::Default)};
    case SimGroup::CvodeOptions: return {kSteadyTransient, kAnyContaminant, true, bit(im::Cvode), true};
    case SimGroup::CyclicConvergence: return {kSteadyTransient, bit(mf::Cyclic), true};
    case SimGroup::ShortTimeStep: return {kSteadyTransient, kAnyContaminant, true, bit(im::ShortTimeStep), true};
    }
    return {};
}

bool allows(unsigned mask, int value) { return value >= 0 && value < 32 && (mask & bit(value)) != 0; }

std::int16_t on(bool value) { return static_cast<std::int16_t>(value ? 1 : 0); }

}  // namespace

SimulationParametersForm::SimulationParametersForm(Project& project, std::string project_path)
    : project_(&project), project_path_(std::move(project_path)), rc_(project.rc)
{
    celldx_unit_ = static_cast<std::int16_t>(rc_.udx);
    spans_.project_path = project_path_;
    if (names_a_file(rc_.weather_file)) {
        const DataFileSpan span =
            check_data_file_header(input_file_location(rc_.weather_file, project_path_), DataFileKind::Weather);
        if (span.ok) spans_.weather = span;
    }
    if (names_a_file(rc_.contaminant_file)) {
        const DataFileSpan span = check_data_file_header(input_file_location(rc_.contaminant_file, project_path_),
                                                         DataFileKind::Contaminant);
        if (span.ok) spans_.contaminant = span;
    }
    refresh();
}

// Availability.

bool SimulationParametersForm::enabled(SimGroup group) const
{
    const Mask m = mask_of(group);
    return allows(m.airflow, rc_.sim_af) && allows(m.contaminant, rc_.sim_mf) &&
           (!m.needs_contaminants || contaminants_) && allows(m.integration, rc_.mf_solver) &&
           (!m.needs_no_cfd || rc_.cfd == 0);
}

bool SimulationParametersForm::flag_enabled(SimFlag flag) const
{
    switch (flag) {
    case SimFlag::Restart: return restart_available();
    case SimFlag::PathFlows:
    case SimFlag::AirflowSqlite:
    case SimFlag::AirChangeFile:
    case SimFlag::StandardDensity:
    case SimFlag::AgeFile: return enabled(SimGroup::AirflowResults);
    case SimFlag::AirChangeBoxWhisker:
    case SimFlag::AgeBoxWhisker: return enabled(SimGroup::AirflowBoxWhisker);
    case SimFlag::Exposures: return exposures_ && enabled(SimGroup::ContaminantResults);
    case SimFlag::Concentrations:
    case SimFlag::ContaminantSqlite:
    case SimFlag::SummaryFile:
    case SimFlag::SurfaceFile:
    case SimFlag::ExfiltrationBasic:
    case SimFlag::ExfiltrationDetailed: return enabled(SimGroup::ContaminantResults);
    case SimFlag::ExposureBoxWhisker: return exposures_ && enabled(SimGroup::ContaminantBoxWhisker);
    case SimFlag::ConcentrationBoxWhisker: return enabled(SimGroup::ContaminantBoxWhisker);
    case SimFlag::TestZones:
    case SimFlag::TestDucts:
    case SimFlag::TestClassified: return enabled(SimGroup::AirflowTestResults);
    case SimFlag::AirflowResequence: return rc_.sim_af != af::Steady && rc_.af_slae != 1;
    case SimFlag::ContaminantResequence: return enabled(SimGroup::LinearSolver);
    case SimFlag::ZoneModel1D:
    case SimFlag::DuctModel1D:
    case SimFlag::JunctionTemperatures:
    case SimFlag::RzfFile:
    case SimFlag::RzmFile:
    case SimFlag::Rz1File: return enabled(SimGroup::ShortTimeStep);
    case SimFlag::WpcTrigger: return names_a_file(rc_.wpc_file);
    case SimFlag::ControlsLog:
    case SimFlag::LinearInitialization:
    case SimFlag::AdjustTemperatures:
    case SimFlag::VaryDensity:
    case SimFlag::SteadyConvergence:
    case SimFlag::HydrostaticEquation:
    case SimFlag::RestartCoupling: return true;
    }
    return true;
}

bool SimulationParametersForm::number_enabled(SimNumber number) const
{
    switch (number) {
    case SimNumber::AirflowRelaxation: return rc_.afcalc == 0;
    case SimNumber::LinearMaxIterations:
    case SimNumber::LinearConvergence: return rc_.af_slae == 1;
    case SimNumber::BuildingPressure: return enabled(SimGroup::BuildingPressure);
    case SimNumber::SolverMaxIterations:
    case SimNumber::SolverRelConvergence:
    case SimNumber::SolverAbsConvergence:
    case SimNumber::SolverRelaxation: return enabled(SimGroup::LinearSolver);
    case SimNumber::Gamma: return enabled(SimGroup::BcgAndGamma);
    case SimNumber::CyclicMaxIterations:
    case SimNumber::CyclicRelConvergence:
    case SimNumber::CyclicAbsConvergence:
    case SimNumber::CyclicRelaxation: return enabled(SimGroup::CyclicConvergence);
    case SimNumber::CvodeRelConvergence:
    case SimNumber::CvodeAbsConvergence:
    case SimNumber::CvodeMaxStep: return enabled(SimGroup::CvodeOptions);
    case SimNumber::CellSize: return enabled(SimGroup::ShortTimeStep) && rc_.sim_1dd != 0;
    default: return true;
    }
}

DateLayout SimulationParametersForm::date_layout() const
{
    using L = DateLayout;
    static constexpr L kLayouts[5][4] = {
        {L::Steady, L::Steady, L::Transient, L::Cyclic},   // Steady airflow
        {L::Transient, L::None, L::Transient, L::Cyclic},  // Transient
        {L::None, L::None, L::None, L::None},              // Duct Balance
        {L::Steady, L::Steady, L::Steady, L::Steady},      // Building Airflow Test
        {L::None, L::None, L::None, L::None},              // Building Pressurization Test
    };
    if (rc_.sim_af < 0 || rc_.sim_af > 4 || rc_.sim_mf < 0 || rc_.sim_mf > 3) return L::None;
    return kLayouts[rc_.sim_af][rc_.sim_mf];
}

bool SimulationParametersForm::time_enabled(SimTime time) const
{
    switch (date_layout()) {
    case DateLayout::None: return false;
    case DateLayout::Steady: return time == SimTime::Steady;
    case DateLayout::Transient: return time != SimTime::Steady;
    case DateLayout::Cyclic:
        return time == SimTime::Calculation || time == SimTime::Output || time == SimTime::Status;
    }
    return false;
}

bool SimulationParametersForm::date_enabled(SimDate date) const
{
    if (date == SimDate::Restart) return restart_available() && rc_.restart != 0;
    switch (date_layout()) {
    case DateLayout::None: return false;
    case DateLayout::Steady:
    case DateLayout::Cyclic: return date == SimDate::Steady;
    case DateLayout::Transient: return date == SimDate::Start || date == SimDate::Stop;
    }
    return false;
}

bool SimulationParametersForm::restart_available() const
{
    const DateLayout layout = date_layout();
    return (layout == DateLayout::Transient || layout == DateLayout::Cyclic) && spans_.restart.ok;
}

std::string SimulationParametersForm::restart_range_text() const
{
    if (!restart_available()) return {};
    return "Restart data from " + day_text(spans_.restart.first_day) + " to " + day_text(spans_.restart.last_day);
}

void SimulationParametersForm::refresh()
{
    contaminants_ = project_->nctm() > 0;
    exposures_ = project_->exposures.count() > 0;
    if (rc_.sim_af == af::Transient && rc_.sim_mf == mf::Steady)
        rc_.sim_mf = contaminants_ ? mf::Transient : mf::None;
    if (rc_.sim_af == af::DuctBalance || rc_.sim_af == af::PressurizationTest) rc_.sim_mf = mf::None;
    if (rc_.sim_af == af::AirflowTest) rc_.sim_mf = mf::Steady;
    if (rc_.cfd != 0) rc_.mf_solver = im::Default;
    const DateLayout layout = date_layout();
    if (layout == DateLayout::Transient || layout == DateLayout::Cyclic) {
        if (rc_.sim_mf == mf::None) rc_.zcsave = 0;
        spans_.restart = read_restart_header(restart_path_for(project_path_), *project_);
        if (!spans_.restart.ok)
            rc_.restart = 0;
        else if (rc_.restart)
            rc_.rsttime = kSecondsInDay;
    }
}

// Run Control.

void SimulationParametersForm::set_airflow_method(int method)
{
    rc_.sim_af = method;
    if (method == af::Steady || method == af::Transient) rc_.pfsave = 1;
    if (method == af::AirflowTest) rc_.valZ = 1;
    refresh();
}

void SimulationParametersForm::set_contaminant_method(int method)
{
    rc_.sim_mf = method;
    rc_.zcsave = method != mf::None ? 1 : 0;
    if (method == mf::Steady) rc_.mf_solver = im::Default;
    if (method == mf::None || method == mf::Cyclic) rc_.var = 0;
    refresh();
}

void SimulationParametersForm::set_integration_method(int method)
{
    rc_.mf_solver = method;
    refresh();
}

void SimulationParametersForm::set_cfd_method(int method)
{
    rc_.cfd = static_cast<std::int16_t>(method);
    refresh();
}

void SimulationParametersForm::click_reset(ConcentrationReset option)
{
    reset_ = reset_ == option ? ConcentrationReset::None : option;
}

std::int32_t* SimulationParametersForm::time_field(SimTime time)
{
    switch (time) {
    case SimTime::Steady: return &rc_.time_st;
    case SimTime::Start: return &rc_.time_0;
    case SimTime::Stop: return &rc_.time_1;
    case SimTime::Calculation: return &rc_.t_step;
    case SimTime::Output: return &rc_.t_list;
    case SimTime::Status: return &rc_.t_scrn;
    }
    return &rc_.time_st;
}

std::int32_t* SimulationParametersForm::date_field(SimDate date)
{
    switch (date) {
    case SimDate::Steady: return &rc_.date_st;
    case SimDate::Start: return &rc_.date_0;
    case SimDate::Stop: return &rc_.date_1;
    case SimDate::Restart: return &rc_.rstdate;
    }
    return &rc_.date_st;
}

bool SimulationParametersForm::set_time(SimTime time, int hours, int minutes, int seconds)
{
    const std::int64_t total = std::int64_t{hours} * 3600 + std::int64_t{minutes} * 60 + seconds;
    if (total < 0) {
        show_message(WARNING, {"Time too early; < ", time_text(0)});
        return false;
    }
    if (total > kSecondsInDay) {
        show_message(WARNING, {"Time too late; > ", time_text(kSecondsInDay)});
        return false;
    }
    *time_field(time) = static_cast<std::int32_t>(total);
    return true;
}

std::int32_t SimulationParametersForm::time(SimTime time) const
{
    return *const_cast<SimulationParametersForm*>(this)->time_field(time);
}

void SimulationParametersForm::set_date(SimDate date, int month, int day)
{
    if (month < 1) month = 1;
    if (month > 12) month = 12;
    const int length = month_days[static_cast<std::size_t>(month - 1)];
    if (day < 1) day = 1;
    if (day > length) day = length;
    *date_field(date) = days_before_month[static_cast<std::size_t>(month - 1)] + day;
}

int SimulationParametersForm::date(SimDate date) const
{
    return *const_cast<SimulationParametersForm*>(this)->date_field(date);
}

// Flags.

SolverSet& SimulationParametersForm::solver_row() { return solver_row_is_trace() ? rc_.trace : rc_.cvode_set; }
const SolverSet& SimulationParametersForm::solver_row() const
{
    return solver_row_is_trace() ? rc_.trace : rc_.cvode_set;
}

void SimulationParametersForm::copy_trace_to_nontrace()
{
    if (!solver_row_is_trace()) return;
    const std::int32_t ucc = rc_.nontrace.ucc;
    rc_.nontrace = rc_.trace;
    rc_.nontrace.ucc = ucc;
}

bool SimulationParametersForm::flag(SimFlag flag) const
{
    const auto& o = rc_.output;  // vol ach -bw cbw exp -bw age -bw
    switch (flag) {
    case SimFlag::Restart: return rc_.restart != 0;
    case SimFlag::PathFlows: return rc_.pfsave != 0;
    case SimFlag::AirflowSqlite: return rc_.pfq != 0;
    case SimFlag::StandardDensity: return o[0] != 0;
    case SimFlag::AirChangeFile: return o[1] != 0;
    case SimFlag::AirChangeBoxWhisker: return o[2] != 0;
    case SimFlag::ConcentrationBoxWhisker: return o[3] != 0;
    case SimFlag::Exposures: return o[4] != 0;
    case SimFlag::ExposureBoxWhisker: return o[5] != 0;
    case SimFlag::AgeFile: return o[6] != 0;
    case SimFlag::AgeBoxWhisker: return o[7] != 0;
    case SimFlag::Concentrations: return rc_.zcsave != 0;
    case SimFlag::ContaminantSqlite: return rc_.zcq != 0;
    case SimFlag::SummaryFile: return rc_.csm != 0;
    case SimFlag::SurfaceFile: return rc_.srf != 0;
    case SimFlag::ExfiltrationBasic: return rc_.bcx != 0;
    case SimFlag::ExfiltrationDetailed: return rc_.dcx != 0;
    case SimFlag::ControlsLog: return rc_.log != 0;
    case SimFlag::TestZones: return rc_.valZ != 0;
    case SimFlag::TestDucts: return rc_.valD != 0;
    case SimFlag::TestClassified: return rc_.valC != 0;
    case SimFlag::AirflowResequence: return rc_.af_rs != 0;
    case SimFlag::LinearInitialization: return rc_.aflinit != 0;
    case SimFlag::AdjustTemperatures: return rc_.Tadj != 0;
    case SimFlag::VaryDensity: return rc_.tsdens != 0;
    case SimFlag::SteadyConvergence: return rc_.cnvgSS != 0;
    case SimFlag::HydrostaticEquation: return rc_.stackD != 0;
    case SimFlag::ContaminantResequence: return solver_row().rs != 0;
    case SimFlag::ZoneModel1D: return rc_.sim_1dz != 0;
    case SimFlag::DuctModel1D: return rc_.sim_1dd != 0;
    case SimFlag::JunctionTemperatures: return rc_.sim_vjt != 0;
    case SimFlag::RzfFile: return rc_.rzf != 0;
    case SimFlag::RzmFile: return rc_.rzm != 0;
    case SimFlag::Rz1File: return rc_.rz1 != 0;
    case SimFlag::RestartCoupling: return rc_.var != 0;
    case SimFlag::WpcTrigger: return rc_.wpctrig != 0;
    }
    return false;
}

void SimulationParametersForm::set_flag(SimFlag flag, bool value)
{
    auto& o = rc_.output;
    const std::int32_t v = value ? 1 : 0;
    switch (flag) {
    case SimFlag::Restart:
        rc_.restart = on(value);
        if (value) rc_.rsttime = kSecondsInDay;
        break;
    case SimFlag::PathFlows: rc_.pfsave = v; break;
    case SimFlag::AirflowSqlite: rc_.pfq = rc_.zfq = v; break;
    case SimFlag::StandardDensity: o[0] = v; break;
    case SimFlag::AirChangeFile: o[1] = v; break;
    case SimFlag::AirChangeBoxWhisker: o[2] = v; break;
    case SimFlag::ConcentrationBoxWhisker: o[3] = v; break;
    case SimFlag::Exposures: o[4] = v; break;
    case SimFlag::ExposureBoxWhisker: o[5] = v; break;
    case SimFlag::AgeFile: o[6] = v; break;
    case SimFlag::AgeBoxWhisker: o[7] = v; break;
    case SimFlag::Concentrations: rc_.zcsave = v; break;
    case SimFlag::ContaminantSqlite: rc_.zcq = v; break;
    case SimFlag::SummaryFile: rc_.csm = v; break;
    case SimFlag::SurfaceFile: rc_.srf = v; break;
    case SimFlag::ExfiltrationBasic: rc_.bcx = v; break;
    case SimFlag::ExfiltrationDetailed: rc_.dcx = v; break;
    case SimFlag::ControlsLog: rc_.log = v; break;
    case SimFlag::TestZones: rc_.valZ = on(value); break;
    case SimFlag::TestDucts: rc_.valD = on(value); break;
    case SimFlag::TestClassified: rc_.valC = on(value); break;
    case SimFlag::AirflowResequence: rc_.af_rs = v; break;
    case SimFlag::LinearInitialization: rc_.aflinit = v; break;
    case SimFlag::AdjustTemperatures: rc_.Tadj = v; break;
    case SimFlag::VaryDensity: rc_.tsdens = rc_.densZP = rc_.dodMdt = v; break;
    case SimFlag::SteadyConvergence: rc_.cnvgSS = v; break;
    case SimFlag::HydrostaticEquation: rc_.stackD = v; break;
    case SimFlag::ContaminantResequence:
        solver_row().rs = v;
        copy_trace_to_nontrace();
        break;
    case SimFlag::ZoneModel1D: rc_.sim_1dz = v; break;
    case SimFlag::DuctModel1D: rc_.sim_1dd = v; break;
    case SimFlag::JunctionTemperatures: rc_.sim_vjt = v; break;
    case SimFlag::RzfFile: rc_.rzf = v; break;
    case SimFlag::RzmFile: rc_.rzm = v; break;
    case SimFlag::Rz1File: rc_.rz1 = v; break;
    case SimFlag::RestartCoupling: rc_.var = on(value); break;
    case SimFlag::WpcTrigger: rc_.wpctrig = on(value); break;
    }
}

void SimulationParametersForm::set_contaminant_solver(int solver)
{
    solver_row().slae = solver;
    copy_trace_to_nontrace();
}

// Numbers.

namespace {

constexpr int kIntMax = std::numeric_limits<std::int32_t>::max();
constexpr int kShortMax = std::numeric_limits<std::int16_t>::max();

// Where a number field keeps its value and what it accepts.
struct NumberSlot {
    std::int32_t* i32 = nullptr;
    std::int16_t* i16 = nullptr;
    float* f = nullptr;
    float lower = NO_LIMIT;
    float upper = NO_LIMIT;
    int int_upper = kIntMax;
};

NumberSlot int_slot(std::int32_t& v, int lower = 1) { return {&v, nullptr, nullptr, static_cast<float>(lower)}; }
NumberSlot short_slot(std::int16_t& v) { return {nullptr, &v, nullptr, 0, NO_LIMIT, kShortMax}; }
NumberSlot float_slot(float& v, float lower = 0, float upper = NO_LIMIT) { return {nullptr, nullptr, &v, lower, upper}; }

}  // namespace

std::optional<UnitKind> SimulationParametersForm::number_unit_kind(SimNumber number) const
{
    switch (number) {
    case SimNumber::AirflowAbsConvergence: return UnitKind::MassFlow;
    case SimNumber::BuildingPressure: return UnitKind::PressureDifference;
    case SimNumber::CellSize: return UnitKind::Length;
    default: return std::nullopt;
    }
}

int SimulationParametersForm::number_unit(SimNumber number) const
{
    switch (number) {
    case SimNumber::AirflowAbsConvergence: return rc_.uac;
    case SimNumber::BuildingPressure: return rc_.uPb;
    case SimNumber::CellSize: return celldx_unit_;
    default: return 0;
    }
}

void SimulationParametersForm::set_number_unit(SimNumber number, int unit)
{
    const std::optional<UnitKind> kind = number_unit_kind(number);
    if (!kind || !unit_index_valid(*kind, unit)) return;
    const auto u = static_cast<std::int16_t>(unit);
    switch (number) {
    case SimNumber::AirflowAbsConvergence: rc_.uac = u; break;
    case SimNumber::BuildingPressure: rc_.uPb = u; break;
    case SimNumber::CellSize:
        celldx_unit_ = u;
        rc_.udx = u;
        break;
    default: break;
    }
}

namespace {

NumberSlot slot_of(RunControl& rc, SolverSet& row, SimNumber number)
{
    switch (number) {
    case SimNumber::AirflowMaxIterations: return int_slot(rc.afmaxi);
    case SimNumber::AirflowRelConvergence: return float_slot(rc.afrcnvg);
    case SimNumber::AirflowAbsConvergence: return float_slot(rc.afacnvg);
    case SimNumber::AirflowRelaxation: return float_slot(rc.afrelax, 0.5f, 1.0f);
    case SimNumber::LinearMaxIterations: return int_slot(rc.aflmaxi);
    case SimNumber::LinearConvergence: return float_slot(rc.aflcnvg);
    case SimNumber::DensityIterations: return int_slot(rc.tsmaxi);
    case SimNumber::BuildingPressure: return float_slot(rc.Pbldg, NO_LIMIT);
    case SimNumber::SolverMaxIterations: return int_slot(row.maxi);
    case SimNumber::SolverRelConvergence: return float_slot(row.relcnvg);
    case SimNumber::SolverAbsConvergence: return float_slot(row.abscnvg);
    case SimNumber::SolverRelaxation: return float_slot(row.relax, 1.0f, 2.0f);
    case SimNumber::Gamma: return float_slot(row.gamma, NO_LIMIT);
    case SimNumber::CyclicMaxIterations: return int_slot(rc.cyclic.maxi);
    case SimNumber::CyclicRelConvergence: return float_slot(rc.cyclic.relcnvg);
    case SimNumber::CyclicAbsConvergence: return float_slot(rc.cyclic.abscnvg);
    case SimNumber::CyclicRelaxation: return float_slot(rc.cyclic.relax, 1.0f, 2.0f);
    case SimNumber::CvodeRelConvergence: return float_slot(rc.rcnvg);
    case SimNumber::CvodeAbsConvergence: return float_slot(rc.acnvg);
    case SimNumber::CvodeMaxStep: return float_slot(rc.dtmax, 0, 3600);
    case SimNumber::CellSize: return float_slot(rc.celldx);
    case SimNumber::CfdConvergence: return float_slot(rc.cfdcnvg);
    case SimNumber::CfdMaxIterations: return short_slot(rc.cfd_maxi);
    case SimNumber::CfdOutputFrequency: return short_slot(rc.dtcmo);
    }
    return {};
}

}  // namespace

std::string SimulationParametersForm::number_text(SimNumber number) const
{
    // The trapezoidal factor belongs to the default integration alone.
    if (number == SimNumber::Gamma && !solver_row_is_trace()) return {};
    auto* self = const_cast<SimulationParametersForm*>(this);
    const NumberSlot slot = slot_of(self->rc_, self->solver_row(), number);
    if (slot.i32) return std::to_string(*slot.i32);
    if (slot.i16) return std::to_string(*slot.i16);
    const UnitKind kind = number_unit_kind(number).value_or(UnitKind::Dimensionless);
    return UnitField(*slot.f, kind, number_unit(number), slot.lower, slot.upper).shown_text();
}

bool SimulationParametersForm::set_number(SimNumber number, std::string_view text)
{
    const NumberSlot slot = slot_of(rc_, solver_row(), number);
    bool taken = false;
    if (slot.i32 || slot.i16) {
        const int value = slot.i32 ? *slot.i32 : *slot.i16;
        IntegerField field(value);
        taken = field.validate(text, static_cast<int>(slot.lower), slot.int_upper);
        if (taken && slot.i32) *slot.i32 = field.value();
        if (taken && slot.i16) *slot.i16 = static_cast<std::int16_t>(field.value());
    } else {
        const UnitKind kind = number_unit_kind(number).value_or(UnitKind::Dimensionless);
        taken = UnitField(*slot.f, kind, number_unit(number), slot.lower, slot.upper).validate(text);
    }
    if (taken && (number == SimNumber::SolverMaxIterations || number == SimNumber::SolverRelConvergence ||
                  number == SimNumber::SolverAbsConvergence || number == SimNumber::SolverRelaxation ||
                  number == SimNumber::Gamma))
        copy_trace_to_nontrace();
    return taken;
}

// Weather.

std::vector<std::string> SimulationParametersForm::steady_weather_lines() const
{
    const SteadyWeather& w = rc_.steady;
    const auto value = [](float v, UnitKind kind, int unit) {
        return format_number(convert_units(v, true, kind, unit), 0) + " " + unit_display_name(kind, unit);
    };
    return {
        "Ambient Temperature: " + value(w.Ta, UnitKind::Temperature, w.u[0]),
        "Absolute Pressure: " + value(w.Pb, UnitKind::Pressure, w.u[1]),
        "Day Type: " + std::to_string(w.day),
        "Wind Speed: " + value(w.Ws, UnitKind::Speed, w.u[2]),
        "Wind Direction: " + format_number(w.Wd, 0) + " deg",
    };
}

void SimulationParametersForm::weather_edited() { copy_weather_and_site(project_->rc, rc_); }

std::string SimulationParametersForm::weather_file_text() const
{
    if (rc_.wp) return "WPC file will be used.";
    if (names_a_file(rc_.weather_file)) return rc_.weather_file;
    return weather_required_ ? " <required>" : "None: Use Steady State Weather";
}

std::string SimulationParametersForm::contaminant_file_text() const
{
    if (rc_.mf) return "WPC file will be used.";
    if (names_a_file(rc_.contaminant_file)) return rc_.contaminant_file;
    return contaminant_required_ ? " <required>" : "None: Use Steady State Outdoor Contaminants";
}

std::string SimulationParametersForm::wpc_file_text() const
{
    return names_a_file(rc_.wpc_file) ? rc_.wpc_file : "None";
}

std::string SimulationParametersForm::weather_days_text(bool last) const
{
    if (rc_.wp || !names_a_file(rc_.weather_file)) return " N/A";
    return day_text(last ? spans_.weather.last_day : spans_.weather.first_day);
}

std::string SimulationParametersForm::contaminant_days_text(bool last) const
{
    if (rc_.mf || !names_a_file(rc_.contaminant_file)) return " N/A";
    return day_text(last ? spans_.contaminant.last_day : spans_.contaminant.first_day);
}

std::string SimulationParametersForm::wpc_days_text(bool last) const
{
    if (!names_a_file(rc_.wpc_file)) return " N/A";
    return day_text(last ? rc_.dEnd : rc_.dStart);
}

bool SimulationParametersForm::choose_weather_file(const std::string& path)
{
    const DataFileSpan span = check_data_file_header(path, DataFileKind::Weather);
    if (!span.ok) {
        weather_required_ = !names_a_file(rc_.weather_file);
        return false;
    }
    rc_.weather_file = path;
    spans_.weather = span;
    weather_required_ = false;
    return true;
}

bool SimulationParametersForm::choose_contaminant_file(const std::string& path)
{
    const DataFileSpan span = check_data_file_header(path, DataFileKind::Contaminant);
    if (!span.ok) {
        contaminant_required_ = !names_a_file(rc_.contaminant_file);
        return false;
    }
    rc_.contaminant_file = path;
    spans_.contaminant = span;
    contaminant_required_ = false;
    return true;
}

void SimulationParametersForm::use_steady_weather()
{
    rc_.weather_file = "null";
    spans_.weather = {};
    weather_required_ = false;
}

void SimulationParametersForm::use_steady_contaminants()
{
    rc_.contaminant_file = "null";
    spans_.contaminant = {};
    contaminant_required_ = false;
}

void SimulationParametersForm::use_transient_data()
{
    rc_.wpc_file = "null";
    rc_.wp = rc_.mf = rc_.wpctrig = 0;
}

// Page checks, OK and Run.

bool SimulationParametersForm::leave_page(SimPage page)
{
    bool valid = true;
    if (page == SimPage::RunControl)
        valid = check_run_control(rc_, spans_);
    else if (page == SimPage::Weather)
        valid = check_weather(rc_, spans_);
    else
        return true;
    if (valid) project_->mark_changed();
    return valid;
}

void SimulationParametersForm::commit()
{
    rc_.zfsave = rc_.pfsave;
    if (!names_a_file(rc_.wpc_file)) rc_.wp = rc_.mf = rc_.wpctrig = 0;
    project_->rc = rc_;
    project_->mark_changed();
}

bool SimulationParametersForm::accept(SimPage page)
{
    if (!leave_page(page)) return false;
    commit();
    apply_reset();
    return true;
}

bool SimulationParametersForm::run(SimPage page)
{
    if (!leave_page(page)) return false;
    // Whatever page the run starts from, the steps it divides by are sound.
    if (!check_run_time_steps(rc_)) return false;
    commit();
    if (page == SimPage::RunControl) apply_reset();
    run_requested_ = true;
    return true;
}

void SimulationParametersForm::apply_reset()
{
    Project& p = *project_;
    if (reset_ == ConcentrationReset::None) return;
    // Source/sink instances (but those of super elements) start from their
    // species' default concentration; Zero leaves it only to the species
    // that are not trace.
    for (SourceSink& source : p.sources) {
        const SourceElement* element = source.element;
        if (!element || element->model == kSrcSup || !element->species) continue;
        const Species& species = *element->species;
        source.CC0 = reset_ == ConcentrationReset::Zero && !species.t ? 0.0f : species.CCdef;
    }
    const std::size_t n = static_cast<std::size_t>(p.nctm());
    std::vector<float> values(n, 0.0f);
    switch (reset_) {
    case ConcentrationReset::None: return;
    case ConcentrationReset::Zero:
        for (std::size_t i = 0; i < n; ++i) values[i] = p.Ctm[i]->t ? p.Ctm[i]->CCdef : 0.0f;
        break;
    case ConcentrationReset::Ambient:
        for (std::size_t i = 0; i < n && i < p.CC0.size(); ++i) values[i] = p.CC0[i];
        break;
    case ConcentrationReset::CurrentResults: {
        if (!results_.read) return;
        std::vector<float> read;
        for (Zone& z : p.zones) {
            const auto got = results_.read(false, z.nr, read);
            if (got == ResultsConcentrations::Read::Failed) return;
            if (got == ResultsConcentrations::Read::Values && read.size() == n) z.CC0 = read;
        }
        for (Junction& j : p.junctions) {
            const auto got = results_.read(true, j.nr, read);
            if (got == ResultsConcentrations::Read::Failed) return;
            if (got == ResultsConcentrations::Read::Values && read.size() == n) j.CC0 = read;
        }
        return;
    }
    }
    for (Zone& z : p.zones) z.CC0 = values;
    for (Junction& j : p.junctions) j.CC0 = values;
}

}  // namespace avelor
