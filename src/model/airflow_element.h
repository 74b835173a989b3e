// Airflow elements: named, reusable descriptions of how air passes through
// an opening. Flow paths refer to one element each and many paths may share
// one. An element holds its type code, the SketchPad icon its paths show and
// the type's parameter record; the simulation engine uses only what the
// project file holds, so every coefficient it needs is kept in the record.
//
// All values are 32-bit floats in base units; beside each value with a unit
// the record keeps the 16-bit index of the display unit the user chose.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "app/lists.h"
#include "model/units.h"

namespace avelor {

struct AirflowElement;

// Type codes. 29..41 are the duct element types, which share the record
// layout and the keyword table but have a section of their own.
enum AirflowType : std::int16_t {
    kPlrOrfc = 0,
    kPlrLeak1 = 1,  // leakage area per item
    kPlrLeak2 = 2,  // per unit length
    kPlrLeak3 = 3,  // per unit area
    kPlrConn = 4,
    kPlrQcn = 5,
    kPlrFcn = 6,
    kPlrTest1 = 7,
    kPlrTest2 = 8,
    kPlrCrack = 9,
    kPlrStair = 10,
    kPlrShaft = 11,
    kPlrBdq = 12,
    kPlrBdf = 13,
    kSrvRgv = 14,
    kQfrQab = 15,
    kQfrFab = 16,
    kQfrCrack = 17,
    kQfrTest2 = 18,
    kDorDoor = 19,
    kDorPl2 = 20,
    kFanCmf = 21,
    kFanCvf = 22,
    kFanFan = 23,
    kCsfFsp = 24,
    kCsfQsp = 25,
    kCsfPsf = 26,
    kCsfPsq = 27,
    kSupAfe = 28,
    kFirstDuctType = 29,
    kLastDuctType = 41,
    kNoElementType = 42,  // the keyword table's empty end entry
};
inline constexpr int kAirflowTypeCount = 29;  // codes 0..28

// The keyword of a code 0..41; "" for any other code.
std::string_view element_keyword(int type);
// The code of a keyword among all 42, or kNoElementType.
int element_type_of(std::string_view keyword);
inline bool is_airflow_type(int type) { return type >= 0 && type < kAirflowTypeCount; }
inline bool is_leakage_type(int type) { return type >= kPlrLeak1 && type <= kPlrLeak3; }
inline bool is_two_way_type(int type) { return type == kDorDoor || type == kDorPl2; }
inline bool is_spline_type(int type) { return type >= kCsfFsp && type <= kCsfPsq; }

inline bool is_fan_type(int type) { return type >= kFanCmf && type <= kFanFan; }

// Icons: one-way types show 23 or 25, two-way types 24 or 27.
inline constexpr std::uint8_t kIconSmallOpening = 23;
inline constexpr std::uint8_t kIconSmallTwoWay = 24;
inline constexpr std::uint8_t kIconLargeOpening = 25;
inline constexpr std::uint8_t kIconLargeTwoWay = 27;
// A fan's paths show the fan icon of their direction, 28..31, and the fan
// element takes the icon of the path last defined with it.
inline constexpr std::uint8_t kFirstFanIcon = 28;
inline constexpr std::uint8_t kLastFanIcon = 31;
inline bool is_element_icon(int icon)
{
    return icon == kIconSmallOpening || icon == kIconSmallTwoWay || icon == kIconLargeOpening ||
           icon == kIconLargeTwoWay;
}
inline bool is_fan_icon(int icon) { return icon >= kFirstFanIcon && icon <= kLastFanIcon; }
// The icons an element of a type may carry: the element icons, and for a
// fan also the fan icons.
inline bool is_element_icon_for(int type, int icon)
{
    return is_element_icon(icon) || (is_fan_type(type) && is_fan_icon(icon));
}

// The two summary lines the element dialogs show for a selected element;
// no element gives two empty lines.
struct ElementSummary {
    std::string_view category;
    std::string_view model;
};
ElementSummary element_summary(const AirflowElement* element);
ElementSummary type_summary(int type);
// The title of a type's dialog.
std::string_view element_caption(int type);

// Parameter records, one per family of types, fields in file order.

struct OrificeData {  // plr_orfc
    float lam = 0;
    float turb = 0;
    float expt = 0.5f;
    float area = 0.01f;         // m2
    float dia = 0.112838f;      // hydraulic diameter, m
    float coef = 0.6f;          // discharge coefficient
    float Re = 30;              // transition Reynolds number
    std::int16_t u_A = 0;
    std::int16_t u_D = 0;
    bool operator==(const OrificeData&) const = default;
};

struct LeakageData {  // plr_leak1..3; only the area of the type is non-zero
    float lam = 0;
    float turb = 0;
    float expt = 0.65f;
    float coef = 0.6f;
    float pres = 10;   // reference pressure difference, Pa
    float area1 = 0;   // per item, m2
    float area2 = 0;   // per unit length, m2/m
    float area3 = 0;   // per unit area, m2/m2
    std::int16_t u_A1 = 2;
    std::int16_t u_A2 = 2;
    std::int16_t u_A3 = 2;
    std::int16_t u_dP = 0;
    bool operator==(const LeakageData&) const = default;
};

struct ConnectionData {  // plr_conn
    float lam = 0;
    float turb = 0;
    float expt = 0.5f;
    float area = 0.01f;
    float coef = 0.6f;
    std::int16_t u_A = 0;
    bool operator==(const ConnectionData&) const = default;
};

struct PowerLawData {  // plr_qcn (m3/s/Pa^n), plr_fcn (kg/s/Pa^n)
    float lam = 0;
    float coef = 0.01f;
    float expt = 0.5f;
    bool operator==(const PowerLawData&) const = default;
};

struct TestPoint1Data {  // plr_test1
    float lam = 0;
    float turb = 0;
    float expt = 0.5f;
    float dP = 4;
    float Flow = 0.019f;
    std::int16_t u_P = 0;
    std::int16_t u_F = 0;
    bool operator==(const TestPoint1Data&) const = default;
};

struct TestPoints2Data {  // plr_test2; the exponent is derived
    float lam = 0;
    float turb = 0;
    float expt = 0.5f;
    float dP1 = 4;
    float F1 = 0.019f;
    float dP2 = 10;
    float F2 = 0.029f;
    std::int16_t u_P1 = 0;
    std::int16_t u_F1 = 0;
    std::int16_t u_P2 = 0;
    std::int16_t u_F2 = 0;
    bool operator==(const TestPoints2Data&) const = default;
};

struct CrackData {  // plr_crack
    float lam = 0;
    float turb = 0;
    float expt = 0.5f;
    float length = 2;
    float width = 0.002f;
    std::int16_t u_L = 0;
    std::int16_t u_W = 4;
    bool operator==(const CrackData&) const = default;
};

struct StairData {  // plr_stair
    float lam = 0;
    float turb = 0;
    float expt = 0.5f;
    float Ht = 3;      // distance between levels
    float Area = 12.5f;
    float peo = 0;     // persons per m2
    std::int16_t tread = 0;  // 1 open, 0 closed
    std::int16_t u_A = 0;
    std::int16_t u_D = 0;    // of Ht
    bool operator==(const StairData&) const = default;
};

struct ShaftData {  // plr_shaft
    float lam = 0;
    float turb = 0;
    float expt = 0.5f;
    float Ht = 3;
    float area = 6;
    float perim = 10;
    float rough = 0.1f;
    std::int16_t u_A = 0;  // the file puts A's unit before H's
    std::int16_t u_D = 0;  // of Ht
    std::int16_t u_P = 0;
    std::int16_t u_R = 0;
    bool operator==(const ShaftData&) const = default;
};

struct BackdraftData {  // plr_bdq, plr_bdf
    float lam = 0;
    float Cp = 0.01f;
    float xp = 0.5f;
    float Cn = 0.0001f;
    float xn = 0.5f;
    bool operator==(const BackdraftData&) const = default;
};

struct VentData {  // srv_rgv: Q = Qo [1 - exp(-dP/dPo)]
    float Qo = 0.02f;
    float dPo = 0.5f;
    float rf = 0.0001f;  // reverse flow fraction
    std::int16_t u_Q = 0;
    std::int16_t u_P = 0;
    bool operator==(const VentData&) const = default;
};

struct QuadraticData {  // qfr_qab, qfr_fab: dP = a*X + b*X^2
    float a = 0;
    float b = 0;
    bool operator==(const QuadraticData&) const = default;
};

struct QuadCrackData {  // qfr_crack
    float a = 0;
    float b = 0;
    float length = 2;
    float width = 0.002f;
    float depth = 0.05f;
    std::int16_t nB = 2;  // bends
    std::int16_t u_L = 0;
    std::int16_t u_W = 4;
    std::int16_t u_D = 2;
    bool operator==(const QuadCrackData&) const = default;
};

struct QuadTestData {  // qfr_test2
    float a = 0;
    float b = 0;
    float dP1 = 4;
    float F1 = 0.019f;
    float dP2 = 10;
    float F2 = 0.029f;
    std::int16_t u_P1 = 0;
    std::int16_t u_F1 = 0;
    std::int16_t u_P2 = 0;
    std::int16_t u_F2 = 0;
    bool operator==(const QuadTestData&) const = default;
};

struct DoorData {  // dor_door
    float lam = 0;
    float turb = 0;
    float expt = 0.5f;
    float dTmin = 0.01f;  // not shown in the dialog; kept as read
    float ht = 2;
    float wd = 0.8f;
    float cd = 0.78f;
    std::int16_t u_T = 0;  // of dTmin
    std::int16_t u_H = 0;
    std::int16_t u_W = 0;
    bool operator==(const DoorData&) const = default;
};

struct TwoOpeningData {  // dor_pl2
    float lam = 0;
    float turb = 0;
    float expt = 0.5f;
    float hmid = 0;  // distance above/below the midpoint, derived
    float ht = 2;
    float wd = 0.8f;
    float cd = 0.78f;
    std::int16_t u_H = 0;
    std::int16_t u_W = 0;
    bool operator==(const TwoOpeningData&) const = default;
};

struct ConstantFlowData {  // fan_cmf (kg/s), fan_cvf (m3/s)
    float Flow = 1;
    std::int16_t u_F = 0;
    bool operator==(const ConstantFlowData&) const = default;
};

struct FanPoint {
    float F = 0;   // kg/s
    std::int16_t u_F = 0;
    float dP = 0;  // pressure rise, Pa
    std::int16_t u_P = 0;
    float rP = 0;  // revised pressure rise, Pa
    std::int16_t u_R = 0;
    bool operator==(const FanPoint&) const = default;
};
inline constexpr std::size_t kMaxFanPoints = 10;

struct FanData {  // fan_fan
    float lam = 0;
    float turb = 0;
    float expt = 0.5f;
    float rdens = 1.2041f;
    float fdf = 0;   // free delivery flow
    float sop = 0;   // shut-off pressure
    float off = 0.1f;  // cut-off ratio
    std::array<float, 4> c{};  // dP = c0 + c1 F + c2 F^2 + c3 F^3
    float area = 0.01f;  // equivalent orifice area
    std::int16_t u_A = 0;
    std::vector<FanPoint> points;  // at most kMaxFanPoints
    bool operator==(const FanData&) const = default;
};

struct SplineData {  // csf_fsp, csf_qsp, csf_psf, csf_psq
    std::vector<float> x;
    std::vector<float> y;
    std::int16_t u_X = 0;
    std::int16_t u_Y = 0;
    std::size_t size() const { return x.size(); }
    bool operator==(const SplineData&) const = default;
};
inline constexpr std::size_t kMaxSplinePoints = 256;

struct SubElement {
    AirflowElement* element = nullptr;  // never a super element
    float relHt = 0;  // m, relative elevation
    std::int16_t filtered = 0;
    std::int16_t scheduled = 0;  // at most one sub-element has it
    bool operator==(const SubElement&) const = default;
};

struct SuperData {  // sup_afe
    std::vector<SubElement> subs;
    std::int16_t u_H = 0;  // of every relHt
    bool operator==(const SuperData&) const = default;
};

using ElementData =
    std::variant<OrificeData, LeakageData, ConnectionData, PowerLawData, TestPoint1Data,
                 TestPoints2Data, CrackData, StairData, ShaftData, BackdraftData, VentData,
                 QuadraticData, QuadCrackData, QuadTestData, DoorData, TwoOpeningData,
                 ConstantFlowData, FanData, SplineData, SuperData>;

struct AirflowElement : NamedLink<AirflowElement> {
    ElementData data;  // always the record of `type`
    std::int16_t type = kPlrOrfc;
    std::uint8_t icon = kIconSmallOpening;
};

// The parameter record of a type code 0..28 with its type-independent
// defaults; any other code gives an orifice record.
ElementData element_data_for(int type);
// True when the record held is the one the type code calls for.
bool data_fits_type(const AirflowElement& element);

// What the defaults of a new element depend on.
struct NewElementContext {
    bool ip_units = false;  // the project's default units are not SI
    std::int16_t uf = 0;    // the project's default flow unit
    float level_height = 3; // the level below's height; 3 when there is none
};

// Remembers, for as long as its owner keeps it (the program's run), that the
// leakage defaults of a project in IP units have been given once.
struct NewElementState {
    bool ip_leakage_given = false;
};

// A new element of a type 0..28 filled with the defaults, named "" and with
// its default icon. The first leakage element made in a project with IP
// units gets Cd 1, dPref 4 and the IP units; later ones the ordinary
// defaults.
AirflowElement new_airflow_element(int type, const NewElementContext& context,
                                   NewElementState& state);

// The unit kinds of a spline type's X and Y values (the four airflow spline
// types and the four duct spline types that mirror them).
struct SplineKinds {
    UnitKind x = UnitKind::PressureDifference;
    UnitKind y = UnitKind::MassFlow;
};
SplineKinds spline_kinds(int type);

// An editable value of a parameter record: where it is, its unit and its
// bounds in the base unit (NO_LIMIT: open). A few bounds depend on other
// values of the record; low_of and high_of give those.
template <class Data>
struct ParamField {
    std::string_view name;
    float Data::*value;
    std::int16_t Data::*unit;  // null: no unit (kind Dimensionless)
    UnitKind kind;
    float low;
    float high;
    float (*low_of)(const Data&) = nullptr;
    float (*high_of)(const Data&) = nullptr;
    // The value may also be exactly 0, its untouched default.
    bool zero_allowed = false;
};

// The editable values of a type's record, in dialog order. Derived values
// and values the dialog does not change are not listed.
template <class Data>
std::span<const ParamField<Data>> param_fields(int type);

// The shaft's bounds that follow its area: the perimeter at least 4 sqrt(A)/pi,
// the roughness at most 0.5 sqrt(A).
float shaft_perimeter_min(const ShaftData& shaft);
float shaft_roughness_max(const ShaftData& shaft);

// What an OK (or a point list's OK) answers. A refusal has already been
// shown to the user: its box's severity and text are here for the form, with
// the value to put the focus on (a ParamField name, "name", "points" or
// "subs"). text is empty when the box came from a routine below (the name
// rules, the equation solver, the spline builder) or when nothing was shown.
struct ElementVerdict {
    bool accepted = true;
    int severity = -1;  // -1: no box
    std::string text;
    std::string field;
    explicit operator bool() const { return accepted; }
};

}  // namespace avelor
