#include "model/source_element.h"

#include <cmath>
#include <cstdio>

#include "model/species.h"

namespace avelor {

namespace {

constexpr SourceModelInfo kModels[kSourceKeywordCount] = {
    {kSrcCcf, "ccf", "Constant Coefficient", "Constant Coefficient Model", "Constant Coefficient",
     "S(t) = G - D*C(t)", "Constant Coefficient", 2, 2},
    {kSrcPrs, "prs", "Pressure Driven", "Pressure Driven Model", "Pressure Driven", "S(t) = G(dP)^n",
     "Pressure Driven", 2, 1},
    {kSrcCut, "cut", "Cutoff Concentration", "Cutoff Concentration Model", "Cutoff Concentration",
     "S(t) = G(1 - C(t)/Ccut)", "Cutoff Concentration", 2, 2},
    {kSrcEds, "eds", "Decaying Source", "Decaying Source Model", "Exponential Decay", "S(t) = Go * exp(-kt)",
     "Exponential Decay", 2, 2},
    {kSrcBls, "bls", "Boundary Layer Diffusion Controlled", "Boundary Layer Diffusion Model",
     "Boundary Layer Diffusion Controlled Adsorption", "S(t) = h*d*A(Ci - Cs/k)", "Boundary Layer Diffusion",
     4, 3},
    {kSrcBrs, "brs", "Burst Source", "Burst Model", "Burst Source Model", "S(t) = Mass", "Burst Source Model", 1,
     1},
    {kSrcDvs, "dvs", "Deposition Velocity", "Deposition Velocity Model", "Deposition Velocity Sink Model",
     "R(t) = Vd*As*Density*C(t)", "Deposition Velocity Sink", 2, 2},
    {kSrcDrs, "drs", "Depositon Rate", "Deposition Rate Model", "Deposition Rate Sink Model",
     "R(t) = Kd*Vz*Density*C(t)", "Deposition Rate Sink", 1, 1},
    {kSrcDvr, "dvr", "Deposition w/ Resuspension", "Deposition and Resuspension Model",
     "Deposition / Resuspension Model", "R(t) = Vd*Ad*Density*C(t), S(t) = r*Ar*L(t)",
     "Deposition / Resuspension", 4, 4},
    {kSrcSup, "sup", "Super Source/Sink", "Super Source/Sink Element", "Super Source/Sink",
     "Edit the super element for details on which contaminants and models are used.", "", 0, 0},
    {kSrcPlm, "plm", "Power Law", "NRC Power Law Model", "NRC Power Law", "E = a*tp^-b", "NRC Power Law", 3, 2},
    {kSrcPkm, "pkm", "Peak Model", "NRC Peak Model", "NRC Peak", "E = a * exp(-0.5*((1/b)*ln(t/tp))^2)",
     "NRC Peak", 3, 2},
    {kSrcSxd, "sxd", "", "", "", "", "", 2, 0},
    {kSrcDxd, "dxd", "", "", "", "", "", 4, 0},
};

using K = UnitKind;
constexpr float kSmallestArea = 1.1920929e-07f;

constexpr SourceField kCcf[] = {{"Generation Rate (G)", 0, 0, K::SourceStrength},
                                {"Removal Rate (D)", 1, 1, K::DepositionRate}};
constexpr SourceField kPrs[] = {{"Generation Rate (G)", 0, 0, K::SourceStrength},
                                {"Pressure Exponent (n)", 1, -1}};
constexpr SourceField kCut[] = {{"Generation Rate (G)", 0, 0, K::SourceStrength},
                                {"Cutoff Concentration (Ccut)", 1, 1, K::Concentration, true}};
constexpr SourceField kEds[] = {{"Initial Generation Rate (Go)", 0, 0, K::SourceStrength},
                                {"First-order Decay Constant (k)", 1, 1, K::TimeConstant}};
constexpr SourceField kBls[] = {{"Film Mass Transfer Coefficient (h)", 0, 0, K::Speed},
                                {"Film Density (d)", 1, 1, K::Density},
                                {"Partition Coefficient (k)", 2, -1},
                                {"Surface Mass", 3, 2, K::Mass}};
constexpr SourceField kBrs[] = {{"Mass Added to Zone", 0, 0, K::Mass}};
constexpr SourceField kDvs[] = {{"Deposition Velocity", 0, 0, K::Speed},
                                {"Depositon Surface Area", 1, 1, K::Area}};
constexpr SourceField kDrs[] = {{"Deposition Rate", 0, 0, K::TimeConstant}};
constexpr SourceField kDvr[] = {{"Deposition Velocity", 0, 0, K::Speed},
                                {"Resuspension Rate", 1, 1, K::TimeConstant},
                                {"Deposition Surface Area", 2, 2, K::Area, false, kSmallestArea},
                                {"Resuspension Surface Area", 3, 3, K::Area}};
constexpr SourceField kPlm[] = {{"Initial Emission Factor (Ep)", 0, 0, K::SourceStrength},
                                {"Exponent (b)", 1, -1},
                                {"PL Model Time (tp)", 2, 1, K::Time, false, 1}};
// The peak model holds the unit of tp first and the unit of a second.
constexpr SourceField kPkm[] = {{"Peak Emission Factor (a)", 0, 1, K::SourceStrength, false, 1e-17f},
                                {"Fitting Parameter (b)", 1, -1, K::Dimensionless, false, 1e-7f},
                                {"Time of Peak (tp)", 2, 0, K::Time, false, 1}};

// The unit of a in which the power-law and peak models show their values.
constexpr std::int16_t kMilligramsPerHour = 29;
constexpr std::int16_t kHours = 2;

}  // namespace

std::optional<SourceModelInfo> source_model_info(int model)
{
    if (model < 0 || model >= kSourceKeywordCount) return std::nullopt;
    return kModels[model];
}

int source_model_of(std::string_view keyword)
{
    for (const SourceModelInfo& m : kModels)
        if (m.keyword == keyword) return m.code;
    return -1;
}

std::span<const SourceField> source_fields(int model)
{
    switch (model) {
    case kSrcCcf: return kCcf;
    case kSrcPrs: return kPrs;
    case kSrcCut: return kCut;
    case kSrcEds: return kEds;
    case kSrcBls: return kBls;
    case kSrcBrs: return kBrs;
    case kSrcDvs: return kDvs;
    case kSrcDrs: return kDrs;
    case kSrcDvr: return kDvr;
    case kSrcPlm: return kPlm;
    case kSrcPkm: return kPkm;
    default: return {};
    }
}

UnitKind source_field_kind(const SourceField& field, const Species* species)
{
    if (field.species_concentration) return species ? concentration_kind(*species) : UnitKind::ConcentrationMassOnly;
    return field.kind;
}

SourceElement new_source_element(int model, Species* species)
{
    SourceElement e;
    e.model = static_cast<std::int16_t>(model);
    e.species = model == kSrcSup ? nullptr : species;
    if (model == kSrcPlm) {
        e.v = {1, 1, 1, 0, 0};
        e.u = {kMilligramsPerHour, kHours, 0, 0};
    } else if (model == kSrcPkm) {
        e.v = {2.7777778e-10f, 1, 1, 0, 0};
        e.u = {kHours, kMilligramsPerHour, 0, 0};
    }
    return e;
}

SourceSummary source_summary(const SourceElement& element)
{
    SourceSummary s;
    const auto info = source_model_info(element.model);
    if (!info) return s;
    s.title = std::string(info->summary_title);
    s.formula = std::string(info->formula);
    char text[160];
    for (const SourceField& f : source_fields(element.model)) {
        const float value = element.v[static_cast<std::size_t>(f.value)];
        if (f.unit < 0) {
            std::snprintf(text, sizeof text, "%.5g", static_cast<double>(value));
            s.lines.push_back(std::string(f.label) + ": " + text);
            continue;
        }
        const UnitKind kind = source_field_kind(f, element.species);
        const int index = element.u[static_cast<std::size_t>(f.unit)];
        // A unit the species cannot take (or a damaged index) shows the
        // stored base value in the base unit rather than asking anyone.
        const bool convertible =
            unit_index_valid(kind, index) && unit_support(kind, index, element.species) == ConversionStatus::Ok;
        const int shown_index = convertible ? index : 0;
        const float shown = convertible ? convert_units(value, true, kind, index, element.species) : value;
        std::snprintf(text, sizeof text, "%g", static_cast<double>(shown));
        s.lines.push_back(std::string(f.label) + ": " + text + " " + unit_display_name(kind, shown_index));
    }
    return s;
}

double power_law_coefficient(double ep_mg_per_h, double b, double tp_seconds)
{
    return ep_mg_per_h * std::pow(tp_seconds / 3600.0, -b);
}

double power_law_emission(double a_mg_per_h, double b, double tp_seconds)
{
    return a_mg_per_h * std::pow(tp_seconds / 3600.0, b);
}

std::vector<const SourceElement*> super_elements_using(const NamedList<SourceElement>& elements,
                                                       const SourceElement* element)
{
    std::vector<const SourceElement*> users;
    for (const SourceElement& e : elements) {
        if (e.model != kSrcSup) continue;
        for (const SourceElement* sub : e.subs)
            if (sub == element) {
                users.push_back(&e);
                break;
            }
    }
    return users;
}

}  // namespace avelor
