#include "model/airflow_element.h"

#include <cmath>

namespace avelor {

namespace {

struct TypeText {
    std::string_view keyword;
    std::string_view category;
    std::string_view model;
    std::string_view caption;
};

constexpr std::string_view kPowerlaw = "One-way flow using powerlaw";
constexpr std::string_view kQuadratic = "One-way flow using quadratic";
constexpr std::string_view kFan = "Fan and forced flow";
constexpr std::string_view kSpline = "Cubic Spline Fit";

// Model lines and captions hold Windows-1252 bytes: 0xB7 middle dot, 0xB2
// superscript two. Literals are split where a hex escape would otherwise
// swallow the letter after it.
constexpr std::array<TypeText, kAirflowTypeCount> kTypeTexts = {{
    {"plr_orfc", kPowerlaw, "Orifice area data", "Powerlaw Model: Orifice"},
    {"plr_leak1", kPowerlaw, "Leakage area data (per item)", "Powerlaw Model: Leakage Area"},
    {"plr_leak2", kPowerlaw, "Leakage area data (per unit length)", "Powerlaw Model: Leakage Area"},
    {"plr_leak3", kPowerlaw, "Leakage area data (per unit area)", "Powerlaw Model: Leakage Area"},
    {"plr_conn", kPowerlaw, "Connection (ASCOS) data", "Powerlaw Model: Connection (ASCOS)"},
    {"plr_qcn", kPowerlaw, "Q = C(dP)^n", "Powerlaw Model: Q = C(dP)^n"},
    {"plr_fcn", kPowerlaw, "F = C(dP)^n", "Powerlaw Model: F = C(dP)^n"},
    {"plr_test1", kPowerlaw, "Test data (1 point)", "Powerlaw Model: Test Data (1 point)"},
    {"plr_test2", kPowerlaw, "Test data (2 points)", "Powerlaw Model: Test Data (2 points)"},
    {"plr_crack", kPowerlaw, "Crack description", "Powerlaw Model: Crack"},
    {"plr_stair", kPowerlaw, "Stairwell description", "Powerlaw Model: Stairwell"},
    {"plr_shaft", kPowerlaw, "Shaft description", "Powerlaw Model: Shaft"},
    {"plr_bdq", "Backdraft damper", "Q = C(dP)^n", "Backdraft Damper Model: Q = C(dP)^n"},
    {"plr_bdf", "Backdraft damper", "F = C(dP)^n", "Backdraft Damper Model: F = C(dP)^n"},
    {"srv_rgv", "Self-regulating vent", "Self-Regulating Vent", "Self-Regulating Vent"},
    {"qfr_qab", kQuadratic, "dP = a\xB7Q + b\xB7Q\xB2", "Quadratic Model: dP = aQ + bQ\xB2"},
    {"qfr_fab", kQuadratic, "dP = a\xB7" "F + b\xB7" "F\xB2", "Quadratic Model: dP = aF + bF\xB2"},
    {"qfr_crack", kQuadratic, "Crack description", "Quadratic Model: Crack"},
    {"qfr_test2", kQuadratic, "Test data (2 points)", "Quadratic Model: Test Data (2 points)"},
    {"dor_door", "Two-way flow", "One-opening", "Two-way Model: Single-opening"},
    {"dor_pl2", "Two-way flow", "Two-opening", "Two-way Model: Two-openings"},
    {"fan_cmf", kFan, "Constant mass flow", "Constant Mass Flow Fan Model"},
    {"fan_cvf", kFan, "Constant volume flow", "Constant Volume Flow Fan Model"},
    {"fan_fan", kFan, "Fan performance curve", "Cubic Polynomial Fan Model"},
    {"csf_fsp", kSpline, "F vs P", "Cubic Spline Data - F vs P"},
    {"csf_qsp", kSpline, "Q vs P", "Cubic Spline Data - Q vs P"},
    {"csf_psf", kSpline, "P vs F", "Cubic Spline Data - P vs F"},
    {"csf_psq", kSpline, "P vs Q", "Cubic Spline Data - P vs Q"},
    {"sup_afe", "Super element", "", "Super Airflow Element"},
}};

constexpr std::array<std::string_view, kLastDuctType - kFirstDuctType + 1> kDuctKeywords = {
    "dct_dwc", "dct_plr", "dct_fcn", "dct_qcn", "dct_fan", "dct_cmf", "dct_cvf",
    "dct_bdq", "dct_bdf", "dct_fsp", "dct_qsp", "dct_psf", "dct_psq"};

}  // namespace

std::string_view element_keyword(int type)
{
    if (is_airflow_type(type)) return kTypeTexts[static_cast<std::size_t>(type)].keyword;
    if (type >= kFirstDuctType && type <= kLastDuctType)
        return kDuctKeywords[static_cast<std::size_t>(type - kFirstDuctType)];
    return {};
}

int element_type_of(std::string_view keyword)
{
    for (int type = 0; type < kNoElementType; ++type)
        if (element_keyword(type) == keyword) return type;
    return kNoElementType;
}

ElementSummary type_summary(int type)
{
    if (!is_airflow_type(type)) return {};
    const TypeText& t = kTypeTexts[static_cast<std::size_t>(type)];
    return {t.category, t.model};
}

ElementSummary element_summary(const AirflowElement* element)
{
    return element ? type_summary(element->type) : ElementSummary{};
}

std::string_view element_caption(int type)
{
    return is_airflow_type(type) ? kTypeTexts[static_cast<std::size_t>(type)].caption
                                 : std::string_view();
}

ElementData element_data_for(int type)
{
    switch (type) {
    case kPlrLeak1:
    case kPlrLeak2:
    case kPlrLeak3: return LeakageData{};
    case kPlrConn: return ConnectionData{};
    case kPlrQcn:
    case kPlrFcn: return PowerLawData{};
    case kPlrTest1: return TestPoint1Data{};
    case kPlrTest2: return TestPoints2Data{};
    case kPlrCrack: return CrackData{};
    case kPlrStair: return StairData{};
    case kPlrShaft: return ShaftData{};
    case kPlrBdq:
    case kPlrBdf: return BackdraftData{};
    case kSrvRgv: return VentData{};
    case kQfrQab:
    case kQfrFab: return QuadraticData{};
    case kQfrCrack: return QuadCrackData{};
    case kQfrTest2: return QuadTestData{};
    case kDorDoor: return DoorData{};
    case kDorPl2: return TwoOpeningData{};
    case kFanCmf:
    case kFanCvf: return ConstantFlowData{};
    case kFanFan: return FanData{};
    case kCsfFsp:
    case kCsfQsp:
    case kCsfPsf:
    case kCsfPsq: return SplineData{};
    case kSupAfe: return SuperData{};
    default: return OrificeData{};
    }
}

bool data_fits_type(const AirflowElement& element)
{
    return is_airflow_type(element.type) &&
           element_data_for(element.type).index() == element.data.index();
}

AirflowElement new_airflow_element(int type, const NewElementContext& context,
                                   NewElementState& state)
{
    AirflowElement e;
    e.type = static_cast<std::int16_t>(is_airflow_type(type) ? type : kPlrOrfc);
    e.data = element_data_for(e.type);
    e.icon = kIconSmallOpening;
    if (e.type == kPlrStair || e.type == kPlrShaft) e.icon = kIconLargeOpening;
    if (is_two_way_type(e.type)) e.icon = kIconSmallTwoWay;

    // Units that follow the project's default units: SI 0, IP 1.
    const std::int16_t ip = context.ip_units ? 1 : 0;
    const std::int16_t uf = context.uf;
    std::visit(
        [&](auto& d) {
            using D = std::decay_t<decltype(d)>;
            if constexpr (std::is_same_v<D, OrificeData>) {
                d.u_A = d.u_D = ip;
            } else if constexpr (std::is_same_v<D, LeakageData>) {
                if (context.ip_units && !state.ip_leakage_given) {
                    state.ip_leakage_given = true;
                    d.coef = 1.0f;
                    d.pres = 4;
                    d.u_A1 = d.u_A2 = d.u_A3 = d.u_dP = 1;
                }
            } else if constexpr (std::is_same_v<D, ConnectionData>) {
                d.u_A = ip;
            } else if constexpr (std::is_same_v<D, TestPoint1Data>) {
                d.u_P = ip;
                d.u_F = uf;
            } else if constexpr (std::is_same_v<D, TestPoints2Data> ||
                                 std::is_same_v<D, QuadTestData>) {
                d.u_P1 = d.u_P2 = ip;
                d.u_F1 = d.u_F2 = uf;
            } else if constexpr (std::is_same_v<D, CrackData>) {
                d.u_L = ip;  // m or ft
                d.u_W = context.ip_units ? 3 : 4;  // in or mm
            } else if constexpr (std::is_same_v<D, StairData>) {
                d.Ht = context.level_height;
                d.u_A = d.u_D = ip;
            } else if constexpr (std::is_same_v<D, ShaftData>) {
                d.Ht = context.level_height;
                d.u_A = d.u_D = d.u_P = d.u_R = ip;
            } else if constexpr (std::is_same_v<D, QuadCrackData>) {
                d.u_L = ip;
                d.u_W = context.ip_units ? 3 : 4;  // in or mm
                d.u_D = context.ip_units ? 3 : 2;  // in or cm
            } else if constexpr (std::is_same_v<D, DoorData>) {
                d.u_T = d.u_H = d.u_W = ip;
            } else if constexpr (std::is_same_v<D, TwoOpeningData>) {
                d.u_H = d.u_W = ip;
            } else if constexpr (std::is_same_v<D, ConstantFlowData>) {
                d.u_F = ip;
            } else if constexpr (std::is_same_v<D, FanData>) {
                d.u_A = ip;
            } else if constexpr (std::is_same_v<D, SplineData>) {
                // Mass flows follow the project's flow unit, the other
                // quantities the SI/IP choice.
                const SplineKinds kinds = spline_kinds(e.type);
                d.u_X = kinds.x == UnitKind::MassFlow ? uf : ip;
                d.u_Y = kinds.y == UnitKind::MassFlow ? uf : ip;
            } else if constexpr (std::is_same_v<D, SuperData>) {
                d.u_H = ip;
            }
        },
        e.data);
    return e;
}

SplineKinds spline_kinds(int type)
{
    // The duct spline codes 38..41 run in the same order as 24..27.
    if (type >= kLastDuctType - 3 && type <= kLastDuctType) type -= kLastDuctType - kCsfPsq;
    switch (type) {
    case kCsfQsp: return {UnitKind::PressureDifference, UnitKind::VolumeFlow};
    case kCsfPsf: return {UnitKind::MassFlow, UnitKind::PressureDifference};
    case kCsfPsq: return {UnitKind::VolumeFlow, UnitKind::PressureDifference};
    default: return {UnitKind::PressureDifference, UnitKind::MassFlow};
    }
}

float shaft_perimeter_min(const ShaftData& shaft)
{
    return static_cast<float>(4 * std::sqrt(static_cast<double>(shaft.area)) / 3.1415927);
}

float shaft_roughness_max(const ShaftData& shaft)
{
    return static_cast<float>(0.5 * std::sqrt(static_cast<double>(shaft.area)));
}

namespace {

constexpr float kOpen = NO_LIMIT;

template <class D>
using Fields = std::span<const ParamField<D>>;

template <class D>
constexpr ParamField<D> plain(std::string_view name, float D::*value, float low, float high)
{
    return {name, value, nullptr, UnitKind::Dimensionless, low, high};
}

template <class D>
constexpr ParamField<D> with_unit(std::string_view name, float D::*value, std::int16_t D::*unit,
                                  UnitKind kind, float low, float high = kOpen)
{
    return {name, value, unit, kind, low, high};
}

const ParamField<OrificeData> kOrificeFields[] = {
    plain("expt", &OrificeData::expt, 0.5f, 1),
    with_unit("area", &OrificeData::area, &OrificeData::u_A, UnitKind::Area, 1e-6f),
    with_unit("dia", &OrificeData::dia, &OrificeData::u_D, UnitKind::Length, 1e-5f),
    plain("coef", &OrificeData::coef, 0.1f, 1),
    plain("Re", &OrificeData::Re, 1, kOpen),
};

const ParamField<LeakageData> kLeakageFields[] = {
    plain("expt", &LeakageData::expt, 0.5f, 1),
    plain("coef", &LeakageData::coef, 0.6f, 1),
    with_unit("pres", &LeakageData::pres, &LeakageData::u_dP, UnitKind::Pressure, 1),
    with_unit("area1", &LeakageData::area1, &LeakageData::u_A1, UnitKind::Area, 0),
    with_unit("area2", &LeakageData::area2, &LeakageData::u_A2, UnitKind::PerUnitLength, 0),
    with_unit("area3", &LeakageData::area3, &LeakageData::u_A3, UnitKind::PerUnitArea, 0),
};

const ParamField<ConnectionData> kConnectionFields[] = {
    with_unit("area", &ConnectionData::area, &ConnectionData::u_A, UnitKind::Area, 1e-8f),
    plain("coef", &ConnectionData::coef, 0.1f, 1),
};

const ParamField<PowerLawData> kPowerLawFields[] = {
    plain("coef", &PowerLawData::coef, 1e-5f, kOpen),
    plain("expt", &PowerLawData::expt, 0.5f, 1),
};

const ParamField<TestPoint1Data> kTest1Fields[] = {
    plain("expt", &TestPoint1Data::expt, 0.5f, 1),
    with_unit("dP", &TestPoint1Data::dP, &TestPoint1Data::u_P, UnitKind::PressureDifference, 1e-4f),
    with_unit("Flow", &TestPoint1Data::Flow, &TestPoint1Data::u_F, UnitKind::MassFlow, 1e-5f),
};

const ParamField<TestPoints2Data> kTest2Fields[] = {
    with_unit("dP1", &TestPoints2Data::dP1, &TestPoints2Data::u_P1, UnitKind::PressureDifference, 1e-4f),
    with_unit("F1", &TestPoints2Data::F1, &TestPoints2Data::u_F1, UnitKind::MassFlow, 1e-5f),
    with_unit("dP2", &TestPoints2Data::dP2, &TestPoints2Data::u_P2, UnitKind::PressureDifference, 1e-4f),
    with_unit("F2", &TestPoints2Data::F2, &TestPoints2Data::u_F2, UnitKind::MassFlow, 1e-5f),
};

const ParamField<CrackData> kCrackFields[] = {
    with_unit("length", &CrackData::length, &CrackData::u_L, UnitKind::Length, 1e-5f),
    with_unit("width", &CrackData::width, &CrackData::u_W, UnitKind::Length, 1e-5f),
};

const ParamField<StairData> kStairFields[] = {
    with_unit("Ht", &StairData::Ht, &StairData::u_D, UnitKind::Length, 0.01f),
    with_unit("Area", &StairData::Area, &StairData::u_A, UnitKind::Area, 0.01f),
    plain("peo", &StairData::peo, 0, 3),
};

const ParamField<ShaftData> kShaftFields[] = {
    with_unit("Ht", &ShaftData::Ht, &ShaftData::u_D, UnitKind::Length, 0.01f),
    with_unit("area", &ShaftData::area, &ShaftData::u_A, UnitKind::Area, 0.01f),
    {"perim", &ShaftData::perim, &ShaftData::u_P, UnitKind::Length, kOpen, kOpen, shaft_perimeter_min,
     nullptr},
    {"rough", &ShaftData::rough, &ShaftData::u_R, UnitKind::Length, 0, kOpen, nullptr,
     shaft_roughness_max},
};

const ParamField<BackdraftData> kBackdraftFields[] = {
    plain("Cp", &BackdraftData::Cp, 1e-10f, kOpen),
    plain("xp", &BackdraftData::xp, 0.001f, 1.5f),
    plain("Cn", &BackdraftData::Cn, 1e-10f, kOpen),
    plain("xn", &BackdraftData::xn, 0.001f, 1.5f),
};

const ParamField<VentData> kVentFields[] = {
    with_unit("Qo", &VentData::Qo, &VentData::u_Q, UnitKind::VolumeFlow, 0),
    with_unit("dPo", &VentData::dPo, &VentData::u_P, UnitKind::Pressure, 0),
    plain("rf", &VentData::rf, 1e-5f, kOpen),
};

// Checked only once entered: an untouched 0 stays acceptable.
const ParamField<QuadraticData> kQuadraticFields[] = {
    {"a", &QuadraticData::a, nullptr, UnitKind::Dimensionless, 1e-5f, kOpen, nullptr, nullptr, true},
    {"b", &QuadraticData::b, nullptr, UnitKind::Dimensionless, 1e-5f, kOpen, nullptr, nullptr, true},
};

const ParamField<QuadCrackData> kQuadCrackFields[] = {
    with_unit("length", &QuadCrackData::length, &QuadCrackData::u_L, UnitKind::Length, 1e-5f),
    with_unit("width", &QuadCrackData::width, &QuadCrackData::u_W, UnitKind::Length, 1e-5f),
    with_unit("depth", &QuadCrackData::depth, &QuadCrackData::u_D, UnitKind::Length, 1e-5f),
};

const ParamField<QuadTestData> kQuadTestFields[] = {
    with_unit("dP1", &QuadTestData::dP1, &QuadTestData::u_P1, UnitKind::PressureDifference, 0),
    with_unit("F1", &QuadTestData::F1, &QuadTestData::u_F1, UnitKind::MassFlow, 0),
    with_unit("dP2", &QuadTestData::dP2, &QuadTestData::u_P2, UnitKind::PressureDifference, 0),
    with_unit("F2", &QuadTestData::F2, &QuadTestData::u_F2, UnitKind::MassFlow, 0),
};

const ParamField<DoorData> kDoorFields[] = {
    with_unit("ht", &DoorData::ht, &DoorData::u_H, UnitKind::Length, 0.001f),
    with_unit("wd", &DoorData::wd, &DoorData::u_W, UnitKind::Length, 0.001f),
    plain("cd", &DoorData::cd, 0.001f, 1),
};

const ParamField<TwoOpeningData> kTwoOpeningFields[] = {
    with_unit("ht", &TwoOpeningData::ht, &TwoOpeningData::u_H, UnitKind::Length, 0.001f),
    with_unit("wd", &TwoOpeningData::wd, &TwoOpeningData::u_W, UnitKind::Length, 0.001f),
    plain("cd", &TwoOpeningData::cd, 0.001f, 1),
};

const ParamField<ConstantFlowData> kMassFlowFields[] = {
    with_unit("Flow", &ConstantFlowData::Flow, &ConstantFlowData::u_F, UnitKind::MassFlow, 1e-4f),
};
const ParamField<ConstantFlowData> kVolumeFlowFields[] = {
    with_unit("Flow", &ConstantFlowData::Flow, &ConstantFlowData::u_F, UnitKind::VolumeFlow, 1e-4f),
};

const ParamField<FanData> kFanFields[] = {
    plain("off", &FanData::off, 0.001f, 0.95f),
    with_unit("area", &FanData::area, &FanData::u_A, UnitKind::Area, 1e-4f),
};

}  // namespace

template <class D>
std::span<const ParamField<D>> param_fields([[maybe_unused]] int type)
{
    if constexpr (std::is_same_v<D, OrificeData>) return kOrificeFields;
    else if constexpr (std::is_same_v<D, LeakageData>) return kLeakageFields;
    else if constexpr (std::is_same_v<D, ConnectionData>) return kConnectionFields;
    else if constexpr (std::is_same_v<D, PowerLawData>) return kPowerLawFields;
    else if constexpr (std::is_same_v<D, TestPoint1Data>) return kTest1Fields;
    else if constexpr (std::is_same_v<D, TestPoints2Data>) return kTest2Fields;
    else if constexpr (std::is_same_v<D, CrackData>) return kCrackFields;
    else if constexpr (std::is_same_v<D, StairData>) return kStairFields;
    else if constexpr (std::is_same_v<D, ShaftData>) return kShaftFields;
    else if constexpr (std::is_same_v<D, BackdraftData>) return kBackdraftFields;
    else if constexpr (std::is_same_v<D, VentData>) return kVentFields;
    else if constexpr (std::is_same_v<D, QuadraticData>) return kQuadraticFields;
    else if constexpr (std::is_same_v<D, QuadCrackData>) return kQuadCrackFields;
    else if constexpr (std::is_same_v<D, QuadTestData>) return kQuadTestFields;
    else if constexpr (std::is_same_v<D, DoorData>) return kDoorFields;
    else if constexpr (std::is_same_v<D, TwoOpeningData>) return kTwoOpeningFields;
    else if constexpr (std::is_same_v<D, ConstantFlowData>)
        return type == kFanCvf ? Fields<D>(kVolumeFlowFields) : Fields<D>(kMassFlowFields);
    else if constexpr (std::is_same_v<D, FanData>) return kFanFields;
    else return {};
}

template std::span<const ParamField<OrificeData>> param_fields<OrificeData>(int);
template std::span<const ParamField<LeakageData>> param_fields<LeakageData>(int);
template std::span<const ParamField<ConnectionData>> param_fields<ConnectionData>(int);
template std::span<const ParamField<PowerLawData>> param_fields<PowerLawData>(int);
template std::span<const ParamField<TestPoint1Data>> param_fields<TestPoint1Data>(int);
template std::span<const ParamField<TestPoints2Data>> param_fields<TestPoints2Data>(int);
template std::span<const ParamField<CrackData>> param_fields<CrackData>(int);
template std::span<const ParamField<StairData>> param_fields<StairData>(int);
template std::span<const ParamField<ShaftData>> param_fields<ShaftData>(int);
template std::span<const ParamField<BackdraftData>> param_fields<BackdraftData>(int);
template std::span<const ParamField<VentData>> param_fields<VentData>(int);
template std::span<const ParamField<QuadraticData>> param_fields<QuadraticData>(int);
template std::span<const ParamField<QuadCrackData>> param_fields<QuadCrackData>(int);
template std::span<const ParamField<QuadTestData>> param_fields<QuadTestData>(int);
template std::span<const ParamField<DoorData>> param_fields<DoorData>(int);
template std::span<const ParamField<TwoOpeningData>> param_fields<TwoOpeningData>(int);
template std::span<const ParamField<ConstantFlowData>> param_fields<ConstantFlowData>(int);
template std::span<const ParamField<FanData>> param_fields<FanData>(int);
template std::span<const ParamField<SplineData>> param_fields<SplineData>(int);
template std::span<const ParamField<SuperData>> param_fields<SuperData>(int);

}  // namespace avelor
