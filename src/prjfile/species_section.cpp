#include "prjfile/species_section.h"

#include <algorithm>
#include <string>
#include <vector>

#include "app/description_line.h"
#include "app/diagnostics.h"
#include "model/project.h"
#include "model/units.h"
#include "prjfile/definition_io.h"

namespace avelor {

namespace {

void write_species_records(TextWriter& out, NamedList<Species>& species)
{
    species.renumber();
    out.printf("%d ! species:\n", species.count());
    if (species.count() == 0) {
        out.printf("%d\n", kSectionEnd);
        return;
    }
    out.write("! # s t   molwt    mdiam       edens       decay         Dm         CCdef        Cp"
              "          Kuv     u[5]      name\n");
    for (const Species& s : species) {
        out.printf("%3d %d %d %8.4f %11.4e %11.4e %11.4e %11.4e %11.4e %11.4e %11.4e"
                   " %d %d %d %d %d %s\n",
                   s.nr, s.s, s.t, static_cast<double>(s.molwt), static_cast<double>(s.mdiam),
                   static_cast<double>(s.edens), static_cast<double>(s.decay),
                   static_cast<double>(s.Dm), static_cast<double>(s.CCdef),
                   static_cast<double>(s.Cp), static_cast<double>(s.Kuv), s.u[0], s.u[1], s.u[2],
                   s.u[3], s.u[4], s.name.c_str());
        out.printf("%s\n", description_to_line(s.desc).c_str());
    }
    out.printf("%d\n", kSectionEnd);
}

std::string read_name(DataReader& in) { return read_definition_name(in); }
std::string read_description(DataReader& in) { return read_definition_description(in); }

// A unit index from a file names a unit of its kind, or is an error and
// becomes the base unit: nothing later may meet an index it cannot convert.
void check_unit_index(std::int16_t& index, UnitKind kind, std::int32_t nr)
{
    if (unit_index_valid(kind, index)) return;
    report_error(ERROR, {"Invalid units index, species ", std::to_string(nr)});
    index = 0;
}

Species read_species_record(DataReader& in, std::int32_t expected)
{
    Species s;
    s.nr = in.read_int();
    if (s.nr != expected)
        report_error(ERROR, {"Species number mis-match: ", std::to_string(expected)});
    s.s = in.read_short();
    s.t = in.read_short();
    for (float* value : {&s.molwt, &s.mdiam, &s.edens, &s.decay, &s.Dm, &s.CCdef, &s.Cp})
        *value = in.read_float();
    // A 3.1 species has no Kuv: it starts at 0.
    s.Kuv = in.older_layout == 31 ? 0.0f : in.read_float();
    for (std::int16_t& unit : s.u) unit = in.read_short();
    s.name = read_name(in);
    s.desc = read_description(in);

    check_unit_index(s.u[0], concentration_kind(s), expected);
    check_unit_index(s.u[1], UnitKind::Length, expected);
    check_unit_index(s.u[2], UnitKind::Density, expected);
    check_unit_index(s.u[3], UnitKind::Diffusivity, expected);
    check_unit_index(s.u[4], UnitKind::SpecificHeat, expected);
    update_species_units(s);
    return s;
}

// The species records in file order, inserted into the list by name.
// Empty-handed after the first record with an error.
std::vector<Species*> read_species_records(DataReader& in, NamedList<Species>& species)
{
    std::vector<Species*> by_number;
    const std::int32_t count = in.read_int();
    for (std::int32_t i = 1; i <= count && error_count() == 0; ++i) {
        Species s = read_species_record(in, i);
        if (error_count() != 0) break;
        by_number.push_back(species.insert_copy(s));
    }
    if (error_count() == 0) read_section_end(in);
    return by_number;
}

std::vector<std::int32_t> read_contaminant_numbers(DataReader& in)
{
    std::vector<std::int32_t> numbers;
    const std::int32_t count = in.read_int();
    for (std::int32_t i = 0; i < count && error_count() == 0; ++i) numbers.push_back(in.read_int());
    return numbers;
}

}  // namespace

int write_species_section(TextWriter& out, Project& project)
{
    int result = 0;
    int marked = 0;
    for (const Species& s : project.species)
        if (s.s != 0) ++marked;
    if (marked != project.nctm()) {
        report_error(ERROR, {" nctm mis-match"});
        result = 1;
    }
    // Numbers first: the contaminant line refers to them.
    project.species.renumber();
    out.printf("%d ! contaminants:\n", project.nctm());
    if (project.nctm() != 0) {
        out.write("  ");
        for (const Species* s : project.Ctm) out.printf(" %d", s->nr);
        out.write("\n");
    }
    write_species_records(out, project.species);
    return result;
}

void write_species_library_section(TextWriter& out, NamedList<Species>& species)
{
    for (Species& s : species) s.s = 0;
    out.printf("%d ! contaminants:\n", 0);
    write_species_records(out, species);
}

int read_species_section(DataReader& in, Project& project)
{
    project.Ctm.clear();
    project.CC0.clear();
    project.h2o_index = -1;
    const std::vector<std::int32_t> numbers = read_contaminant_numbers(in);
    if (error_count() != 0) return 1;
    const std::vector<Species*> by_number = read_species_records(in, project.species);
    if (error_count() != 0) return 1;

    // Each contaminant is a species of the file, and only once.
    std::vector<Species*> order;
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        const std::int32_t nr = numbers[i];
        Species* s = nr >= 1 && static_cast<std::size_t>(nr) <= by_number.size()
                         ? by_number[static_cast<std::size_t>(nr - 1)]
                         : nullptr;
        if (!s || std::find(order.begin(), order.end(), s) != order.end()) {
            report_error(ERROR, {"Invalid species number, contaminant ", std::to_string(i + 1)});
            continue;
        }
        s->s = 1;
        order.push_back(s);
    }
    if (error_count() != 0) return 1;
    project.Ctm = std::move(order);
    project.h2o_index = find_h2o_index(project.Ctm);
    for (const Species* s : project.Ctm) project.CC0.push_back(s->CCdef);
    return 0;
}

int read_species_library_section(DataReader& in, NamedList<Species>& species)
{
    // A library holds no contaminants, but a project file read as a library
    // lists its own: take them out of the way of the species.
    read_contaminant_numbers(in);
    if (error_count() != 0) return 1;
    read_species_records(in, species);
    return error_count() != 0 ? 1 : 0;
}

void write_reactions_section(TextWriter& out, NamedList<KineticReaction>& reactions)
{
    reactions.renumber();
    out.printf("%d ! kinetic reactions:\n", reactions.count());
    for (const KineticReaction& r : reactions) {
        out.printf("%d %d %s\n%s\n", r.nr, static_cast<int>(r.pairs.size()), r.name.c_str(),
                   description_to_line(r.desc).c_str());
        for (const ReactionPair& p : r.pairs)
            out.printf(" %s %s %g\n", p.product->name.c_str(), p.reactant->name.c_str(),
                       static_cast<double>(p.coefficient));
    }
    out.printf("%d\n", kSectionEnd);
}

int read_reactions_section(DataReader& in, NamedList<KineticReaction>& reactions,
                           NamedList<Species>& species)
{
    // A name the species list does not hold is a fault of the file, not
    // a pair without a species.
    auto resolve = [&](const std::string& name) {
        Species* s = species.find_by_name(name);
        if (s)
            ++s->use_count;
        else
            report_error(ERROR, {"Species not found: ", name});
        return s;
    };

    const std::int32_t count = in.read_int();
    for (std::int32_t i = 1; i <= count && error_count() == 0; ++i) {
        KineticReaction r;
        r.nr = in.read_int();
        if (r.nr != i) report_error(ERROR, {"Reaction number mis-match: ", std::to_string(i)});
        const std::int32_t pairs = in.read_int();
        r.name = read_name(in);
        r.desc = read_description(in);
        for (std::int32_t j = 0; j < pairs && error_count() == 0; ++j) {
            const std::string product = read_name(in);
            const std::string reactant = read_name(in);
            ReactionPair pair;
            pair.coefficient = in.read_float();
            pair.product = resolve(product);
            pair.reactant = resolve(reactant);
            if (pair.product && pair.reactant) r.pairs.push_back(pair);
        }
        if (error_count() != 0) break;
        reactions.insert_copy(r);
    }
    if (error_count() == 0) read_section_end(in);
    return error_count() != 0 ? 1 : 0;
}

}  // namespace avelor
