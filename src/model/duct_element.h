// Duct elements: named descriptions of a duct segment's flow resistance (or
// forced flow) together with the cross-section and leakage of the duct.
// Duct segments refer to one element each; many segments may share one.
//
// A duct element carries the same header as an airflow element (name,
// description, type code, icon) with a type code 29..41. Its parameter
// record is the type's own values, several of them the very records the
// airflow types use, followed by the shape block every duct type shares.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "app/lists.h"
#include "model/airflow_element.h"
#include "model/records.h"

namespace avelor {

class Project;

enum DuctType : std::int16_t {
    kDctDwc = 29,  // Darcy-Colebrook friction
    kDctPlr = 30,  // orifice
    kDctFcn = 31,
    kDctQcn = 32,
    kDctFan = 33,
    kDctCmf = 34,
    kDctCvf = 35,
    kDctBdq = 36,
    kDctBdf = 37,
    kDctFsp = 38,
    kDctQsp = 39,
    kDctPsf = 40,
    kDctPsq = 41,
};
inline bool is_duct_type(int type) { return type >= kFirstDuctType && type <= kLastDuctType; }
inline bool is_duct_spline_type(int type) { return type >= kDctFsp && type <= kDctPsq; }
// The fan types: no segment of theirs links its two ends for the check.
inline bool is_duct_fan_type(int type) { return type >= kDctFan && type <= kDctCvf; }

// Cross-section shapes.
enum DuctShapeKind : std::int16_t {
    kDuctCircle = 0,
    kDuctRectangle = 1,
    kDuctOval = 2,
    kDuctOtherShape = 3,
};

// Leakage unit systems (the leakage rate's and its pressure's unit index).
inline constexpr std::int16_t kLeakageSI = 0;
inline constexpr std::int16_t kLeakageIP = 1;

// The shape, size and leakage of a duct, in file order. Which of the
// dimensions are entered depends on the shape: a circle's diameter is Dh,
// a rectangle's and an oval's are width and height, another shape's are
// the perimeter and the flow area; the others are derived from them.
struct DuctShape {
    float Dh = 0.2f;          // hydraulic diameter, m
    float perim = 0.6283185f; // m
    float area = 0.0314159f;  // flow area, m2
    float width = 0.2f;       // or major dimension, m
    float height = 0.2f;      // or minor dimension, m
    float kept = 0;           // no dialog changes it; kept as read
    float leak_rate = 0;      // duct leakage rate
    float leak_dP = 1;        // pressure difference of the rate, Pa
    std::int16_t shape = kDuctCircle;
    std::int16_t u_Dh = 4;
    std::int16_t u_P = 4;
    std::int16_t u_A = 2;
    std::int16_t u_W = 4;
    std::int16_t u_H = 4;
    std::int16_t leak_units = kLeakageSI;  // unit index of leak_rate
    std::int16_t u_dP = 0;
    // Not written: the leakage class and the pressure it refers to (1 Pa
    // or 1 in. of water), both following from the rate, its pressure and
    // the unit system.
    float leak_class = 0;
    float class_dP = 1;
    bool operator==(const DuctShape&) const = default;
};

struct DarcyData {  // dct_dwc
    // Copies of the shape's Dh and A and the relative roughness: derived
    // whenever the element is applied or read, never written.
    float Dh = 0;
    float area = 0;
    float rel_rough = 0;  // roughness / Dh
    float kept = 0;       // no dialog changes it; kept as read
    float rough = 0.00009f;  // roughness, m
    std::int16_t u_R = 4;
    bool operator==(const DarcyData&) const = default;
};

struct DuctOrificeData {  // dct_plr
    float lam = 0;
    float turb = 0;
    float expt = 0.5f;
    float area = 0.01f;     // orifice area, m2
    float dia = 0.112838f;  // orifice diameter, m
    float coef = 0.6f;      // discharge coefficient
    std::int16_t u_A = 0;
    std::int16_t u_D = 0;
    bool operator==(const DuctOrificeData&) const = default;
};

// dct_fcn and dct_qcn keep a PowerLawData, dct_fan a FanData, dct_cmf and
// dct_cvf a ConstantFlowData, the backdraft dampers a BackdraftData and the
// spline types a SplineData, as their airflow counterparts do.
using DuctData = std::variant<DarcyData, DuctOrificeData, PowerLawData, FanData, ConstantFlowData,
                              BackdraftData, SplineData>;

struct DuctElement : NamedLink<DuctElement> {
    DuctData data;  // always the record of `type`
    DuctShape shape;
    std::int16_t type = kDctDwc;
    std::uint8_t icon = kIconSmallOpening;
};

// The airflow type whose record, bounds and derivation a duct type shares
// (dct_fcn is plr_fcn, dct_fan is fan_fan, ...); kNoElementType for the
// two duct types of their own (dct_dwc, dct_plr) and for non-duct codes.
int airflow_counterpart(int duct_type);

// The record a duct type 29..41 keeps, with its type-independent defaults;
// any other code gives a Darcy-Colebrook record.
DuctData duct_data_for(int type);
// True when the type is a duct type and the record held is its record.
bool data_fits_type(const DuctElement& element);

// The chooser's button, the model page's caption and the groups of the
// chooser. The button texts repeat across groups.
std::string_view duct_button_text(int type);
std::string_view duct_caption(int type);
struct DuctGroup {
    std::string_view title;
    std::vector<int> types;
};
const std::vector<DuctGroup>& duct_groups();

// A new element of a duct type with the defaults of the project's units:
// the shape block, the type's own unit defaults, icon 23, no name.
DuctElement new_duct_element(int type, const NewElementContext& context);

// The shape's derived values from its entered dimensions.
void derive_shape(DuctShape& shape);
// The leakage class shown for the rate: rate k / dP^0.65 with k 1000 (SI)
// or 710.37 (IP); 0 for a pressure that is not positive.
float leakage_class_of(const DuctShape& shape);
// The pressure a class refers to in a unit system: 1 Pa or 248.84 Pa.
float class_pressure(std::int16_t system);
// Recomputes the two unwritten values from the rate.
void update_leakage_class(DuctShape& shape);
// A class entered: the pressure becomes 1 Pa (SI) or 248.84 Pa (IP) and the
// rate class dP^0.65 / k.
void set_leakage_class(DuctShape& shape, float leak_class);
// The "SI" and "IP" buttons.
void set_leakage_units(DuctShape& shape, std::int16_t system);

// The values a duct segment of length len takes from its element.
struct DuctSegmentValues {
    double volume = 0;      // m3
    double surface = 0;     // m2
    double flow_area = 0;   // m2
    double leak_coef = 0;   // the segment's leakage coefficient
    double leak_class_ip = 0;
    // For a Darcy-Colebrook element, the segment's laminar coefficient;
    // 0 for the other types.
    double lam = 0;
};
DuctSegmentValues duct_segment_values(const DuctElement& element, float len, float sllc);

// What refers to a duct element: "duct segment N" for each segment using it.
std::vector<std::string> users_of(const Project& project, const DuctElement& element);

}  // namespace avelor
