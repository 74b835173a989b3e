#include "model/species.h"

#include <algorithm>
#include <cmath>

#include "app/diagnostics.h"
#include "model/filter_element.h"
#include "model/project.h"
#include "model/source_element.h"
#include "model/units.h"

namespace avelor {

namespace {

constexpr std::string_view kWater = "H2O";

bool is_non_trace(const Species& species) { return species.t != 0; }
bool is_contaminant(const Species& species) { return species.s != 0; }

// Every per-contaminant array of the project laid out afresh: zones and
// junctions start from the defaults, exposures from nothing.
void reset_contaminant_arrays(Project& project)
{
    const std::size_t n = project.Ctm.size();
    for (Zone& zone : project.zones) zone.CC0 = project.CC0;
    for (Junction& junction : project.junctions) junction.CC0 = project.CC0;
    for (Exposure& exposure : project.exposures) exposure.exposure.assign(n, 0.0f);
    // Further per-contaminant arrays (those of records still to come) are
    // reset here too, so that every one of them follows Ctm.
}

[[noreturn]] void pair_not_found()
{
    report_fatal({"Failed to delete kinetic reaction pair."});
}

void fill_defaults(Project& project)
{
    project.CC0.clear();
    for (const Species* species : project.Ctm) project.CC0.push_back(species->CCdef);
}

}  // namespace

Species new_species()
{
    Species species;
    update_species_units(species);
    return species;
}

void update_species_units(Species& species)
{
    const UnitKind kind = concentration_kind(species);
    const int unit = species.u[0];
    species.display_factor = convert_units(1, true, kind, unit, &species);
    species.display_unit_name = unit_display_name(kind, unit);
    species.plain_unit_name = unit_plain_name(kind, unit);
}

std::vector<Species*> contaminant_order(const NamedList<Species>& species)
{
    std::vector<Species*> non_trace;
    std::vector<Species*> trace;
    for (Species& s : species) {
        if (!is_contaminant(s)) continue;
        (is_non_trace(s) ? non_trace : trace).push_back(&s);
    }
    // Stable: a contaminant passes another only on a strictly greater
    // default, so equal ones keep their name order.
    std::stable_sort(non_trace.begin(), non_trace.end(),
                     [](const Species* a, const Species* b) { return a->CCdef > b->CCdef; });
    non_trace.insert(non_trace.end(), trace.begin(), trace.end());
    return non_trace;
}

int find_h2o_index(const std::vector<Species*>& order)
{
    for (std::size_t i = 0; i < order.size(); ++i)
        if (order[i]->name == kWater) return static_cast<int>(i);
    return -1;
}

ContaminantTally tally_contaminants(const NamedList<Species>& species)
{
    ContaminantTally tally;
    for (const Species& s : species) {
        if (!is_contaminant(s)) continue;
        ++tally.total;
        if (!is_non_trace(s)) continue;
        ++tally.non_trace;
        if (s.name != kWater) tally.non_trace_sum += s.CCdef;
    }
    return tally;
}

int rebuild_contaminants(Project& project)
{
    const ContaminantTally tally = tally_contaminants(project.species);
    if (tally.non_trace == 1) {
        show_message(WARNING, {"More than one non-trace contaminants required."});
        return 1;
    }
    if (tally.non_trace > 0 && std::fabs(tally.non_trace_sum - 1.0f) > 0.01f) {
        show_message(WARNING, {"Concentrations of non-trace contaminants should sum to 1"});
        return 1;
    }
    if (tally.total == 0) {
        if (project.Ctm.empty() && project.CC0.empty()) return 0;
        project.Ctm.clear();
        project.CC0.clear();
        project.h2o_index = -1;
        reset_contaminant_arrays(project);
        project.mark_changed();
        return 0;
    }

    std::vector<Species*> order = contaminant_order(project.species);
    project.h2o_index = find_h2o_index(order);
    if (order == project.Ctm) {
        fill_defaults(project);
        return 0;
    }
    project.Ctm = std::move(order);
    fill_defaults(project);
    reset_contaminant_arrays(project);
    project.mark_changed();
    return 0;
}

void recount_species_use(NamedList<Species>& species, const NamedList<KineticReaction>& reactions)
{
    for (Species& s : species) s.use_count = 0;
    for (const KineticReaction& reaction : reactions) {
        for (const ReactionPair& pair : reaction.pairs) {
            if (pair.product) ++pair.product->use_count;
            if (pair.reactant) ++pair.reactant->use_count;
        }
    }
}

void recount_species_use(Project& project)
{
    recount_species_use(project.species, project.reactions);
    auto count = [](Species* species) {
        if (species) ++species->use_count;
    };
    for (const Exposure& exposure : project.exposures)
        for (const ExposureGeneration& generation : exposure.generations) count(generation.species);
    for (const SourceElement& element : project.source_elements) count(element.species);
    for (const FilterElement& element : project.filter_elements) {
        if (const auto* cef = std::get_if<ConstantEfficiencyData>(&element.data))
            for (Species* species : cef->species) count(species);
        if (const auto* gf0 = std::get_if<GaseousFilterData>(&element.data))
            for (const GaseousCurve& curve : gf0->curves) count(curve.species);
    }
    // A filter's loading of a species is data about that species too.
    for (const Filter& filter : project.filters)
        for (const FilterLoad& load : filter.loads)
            for (const SpeciesLoad& species_load : load.species) count(species_load.species);
    // Sensors that sense a species' mass fraction, in the main network
    // and in super elements.
    auto sensed = [&](const ControlNode& node) {
        if (const auto* sensor = std::get_if<SensorData>(&node.data))
            if (sensor->quantity == kSenseMassFraction) count(sensor->species);
    };
    for (const ControlNode& node : project.controls) sensed(node);
    for (const SuperElement& element : project.super_elements)
        for (const ControlNode& node : element.nodes) sensed(node);
}

int compare_pairs(const ReactionPair& a, const ReactionPair& b)
{
    // The key is the two names run together, so "AB"+"C" and "A"+"BC" tie
    // and fall back on the coefficient.
    const std::string key_a = a.reactant->name + a.product->name;
    const std::string key_b = b.reactant->name + b.product->name;
    if (const int c = key_a.compare(key_b); c != 0) return c < 0 ? -1 : 1;
    if (a.coefficient < b.coefficient) return -1;
    if (b.coefficient < a.coefficient) return 1;
    return 0;
}

std::size_t insert_pair(KineticReaction& reaction, const ReactionPair& pair)
{
    auto& pairs = reaction.pairs;
    auto place = std::find_if(pairs.begin(), pairs.end(), [&](const ReactionPair& p) {
        return compare_pairs(p, pair) > 0;
    });
    place = pairs.insert(place, pair);
    return static_cast<std::size_t>(place - pairs.begin());
}

std::size_t replace_pair(KineticReaction& reaction, std::size_t selected,
                         const ReactionPair& pair)
{
    if (selected >= reaction.pairs.size()) pair_not_found();
    const ReactionPair& old = reaction.pairs[selected];
    // Pairs that tie in the order may still name other species ("AB"+"C"
    // against "A"+"BC"); only an edit that changes nothing at all is no
    // change.
    if (old.reactant == pair.reactant && old.product == pair.product &&
        compare_pairs(old, pair) == 0)
        return selected;
    remove_pair(reaction, selected);
    return insert_pair(reaction, pair);
}

void remove_pair(KineticReaction& reaction, std::size_t selected)
{
    if (selected >= reaction.pairs.size()) pair_not_found();
    reaction.pairs.erase(reaction.pairs.begin() + static_cast<std::ptrdiff_t>(selected));
}

}  // namespace avelor
