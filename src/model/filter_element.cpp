#include "model/filter_element.h"

#include <cmath>

namespace avelor {

namespace {

constexpr FilterTypeInfo kTypes[kFilterTypeCount] = {
    {kFltCef, "cef", "Constant Efficiency Filtration", "Constant Efficiency", "Filter Element: Constant Efficiency"},
    {kFltPf0, "pf0", "Simple Particle Filtration", "Simple Particle", "Filter Element: Simple Particle"},
    {kFltGf0, "gf0", "Simple Gaseous Filtration", "Simple Gaseous", "Filter Element: Simple Gaseous"},
    {kFltUv1, "uv1", "Penn State UVGI", "Penn State UVGI", "Filter Element: Penn State UVGI"},
    {kFltSpf, "spf", "Super Element", "Super Filter Element", "Super Filter Element"},
};

constexpr double kStandardAirDensity = 1.2041;

}  // namespace

std::optional<FilterTypeInfo> filter_type_info(int type)
{
    if (type < 0 || type >= kFilterTypeCount) return std::nullopt;
    return kTypes[type];
}

int filter_type_of(std::string_view keyword)
{
    for (const FilterTypeInfo& t : kTypes)
        if (t.keyword == keyword) return t.code;
    return -1;
}

std::string_view filter_caption(int type)
{
    const auto info = filter_type_info(type);
    return info ? info->caption : std::string_view("UNKNOWN Filter Type");
}

FilterElement new_filter_element(int type)
{
    FilterElement e;
    e.type = static_cast<std::int16_t>(type);
    return e;
}

FilterData new_filter_data(int type)
{
    switch (type) {
    case kFltCef: return ConstantEfficiencyData{};
    case kFltPf0: return ParticleFilterData{};
    case kFltGf0: return GaseousFilterData{};
    case kFltUv1: {
        UvgiFilterData uvgi;
        derive_uvgi(uvgi);
        return uvgi;
    }
    case kFltSpf: return SuperFilterData{};
    default: return std::monostate{};
    }
}

bool filter_data_fits(const FilterElement& element)
{
    switch (element.type) {
    case kFltCef: return std::holds_alternative<ConstantEfficiencyData>(element.data);
    case kFltPf0: return std::holds_alternative<ParticleFilterData>(element.data);
    case kFltGf0: return std::holds_alternative<GaseousFilterData>(element.data);
    case kFltUv1: return std::holds_alternative<UvgiFilterData>(element.data);
    case kFltSpf: return std::holds_alternative<SuperFilterData>(element.data);
    default: return false;
    }
}

void derive_uvgi(UvgiFilterData& uvgi)
{
    // Out-of-range inputs (a damaged file) give no area or dose rather than
    // infinities.
    const double flow = static_cast<double>(uvgi.v) * kStandardAirDensity;
    uvgi.A = flow > 0 ? static_cast<float>(uvgi.F / flow) : 0.0f;
    uvgi.D = uvgi.S > 0 && uvgi.k > 0 ? static_cast<float>(-std::log(static_cast<double>(uvgi.S)) / uvgi.k) : 0.0f;
}

float filter_mass(const FilterElement& element) { return element.density * element.area * element.depth; }

std::vector<FilterLoad> loads_for(FilterElement* element)
{
    std::vector<FilterLoad> loads;
    if (!element) return loads;
    if (const auto* super = std::get_if<SuperFilterData>(&element->data)) {
        for (FilterElement* sub : super->subs) loads.push_back(FilterLoad{0, sub, {}});
        return loads;
    }
    loads.push_back(FilterLoad{0, element, {}});
    return loads;
}

}  // namespace avelor
