// Filter elements and filters.
//
// A filter element is a named, reusable description of a filter: its face
// area, depth and density, and the data of one of five types (constant
// efficiency per species, a particle size efficiency curve, gaseous
// loading curves per species, a UVGI model, or a super element listing
// other elements). A filter is a numbered instance carried by one flow
// path, duct segment or terminal; it names its element and keeps the
// loading of each sub-filter (one for an ordinary element, one per
// sub-element of a super element).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

#include "app/lists.h"

namespace avelor {

struct Species;
struct FilterElement;

enum FilterType : std::int16_t {
    kFltCef = 0,  // constant efficiency
    kFltPf0 = 1,  // simple particle
    kFltGf0 = 2,  // simple gaseous
    kFltUv1 = 3,  // Penn State UVGI
    kFltSpf = 4,  // super element
};
inline constexpr int kFilterTypeCount = 5;
// Points of one efficiency curve.
inline constexpr int kMaxFilterPoints = 256;

struct ConstantEfficiencyData {
    std::vector<Species*> species;  // each at most once
    std::vector<float> efficiency;  // 0..1, one per species
};

struct ParticleFilterData {
    std::vector<float> size;        // m, ascending
    std::vector<float> efficiency;  // 0..1
    std::int16_t size_unit = 6;     // um
};

struct GaseousCurve {
    Species* species = nullptr;
    float breakthrough = 0;         // 0..1
    std::vector<float> loading;     // kg of species per kg of filter, ascending
    std::vector<float> efficiency;  // 0..1
};
struct GaseousFilterData {
    std::vector<GaseousCurve> curves;
};

struct UvgiFilterData {
    float S = 0.01f;         // design survivability
    float v = 4.0f;          // design velocity, m/s
    float F = 0.5f;          // design mass flow rate, kg/s
    float k = 0.02172f;      // organism-specific rate constant, m2/J
    std::int16_t age = 0;    // 1: use the age model
    std::array<float, 5> C{5.79f, 5.66f, -20.3f, -0.0701f, 4.01f};
    float K0 = 0, K1 = 0;
    // Derived from the values above, never written.
    float A = 0;  // cross-sectional flow area, m2
    float D = 0;  // design dose, J/m2
    std::int16_t u_v = 0, u_F = 0, u_A = 0;  // u_A is not written
};

struct SuperFilterData {
    std::vector<FilterElement*> subs;  // codes 0..3, repeats allowed
};

using FilterData = std::variant<std::monostate, ConstantEfficiencyData, ParticleFilterData, GaseousFilterData,
                                UvgiFilterData, SuperFilterData>;

struct FilterElement : NamedLink<FilterElement> {
    float area = 1;      // m2
    float depth = 0.1f;  // m
    float density = 100; // kg/m3
    FilterData data;     // monostate until defined
    std::int16_t type = kFltCef;
    std::int16_t u_length = 0;   // shared by area and depth
    std::int16_t u_density = 0;  // also the mass unit shown: kg, lb, g
};

struct SpeciesLoad {
    Species* species = nullptr;
    float loading = 0;
};

struct FilterLoad {
    float loading = 0;  // relative loading, 0..1
    FilterElement* element = nullptr;
    std::vector<SpeciesLoad> species;
};

struct Filter : ListLink<Filter> {
    FilterElement* element = nullptr;
    std::vector<FilterLoad> loads;
};

struct FilterTypeInfo {
    std::int16_t code;
    std::string_view keyword;
    std::string_view button;
    std::string_view type_name;
    std::string_view caption;
};
std::optional<FilterTypeInfo> filter_type_info(int type);
int filter_type_of(std::string_view keyword);
// "UNKNOWN Filter Type" for a code outside 0..4.
std::string_view filter_caption(int type);

// A new element of a type: area 1 m2, depth 0.1 m, density 100 kg/m3, no
// data yet.
FilterElement new_filter_element(int type);
// The data a type's dialog starts from (the UVGI defaults with A and D).
FilterData new_filter_data(int type);
// Whether the element's data belongs to its type.
bool filter_data_fits(const FilterElement& element);

// A = F / (v 1.2041) and D = -ln(S) / k.
void derive_uvgi(UvgiFilterData& uvgi);
// density x area x depth, in single precision.
float filter_mass(const FilterElement& element);

// The loads a filter starts with for an element: one per sub-element of a
// super element (in order), else one for the element itself; loading 0.
std::vector<FilterLoad> loads_for(FilterElement* element);

}  // namespace avelor
