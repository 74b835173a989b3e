#include "prjfile/filter_section.h"

#include <string>
#include <vector>

#include "app/description_line.h"
#include "app/diagnostics.h"
#include "model/project.h"
#include "model/units.h"
#include "prjfile/definition_io.h"

namespace avelor {

namespace {

std::string number_text(std::int64_t n) { return std::to_string(n); }

// Lists in a file longer than any project could hold are damage.
constexpr std::int32_t kMaxListed = 10000;

const char* species_name(const Species* s) { return s ? s->name.c_str() : "null"; }

void write_curve(TextWriter& out, const std::vector<float>& x, const std::vector<float>& y)
{
    for (std::size_t i = 0; i < x.size() && i < y.size(); ++i)
        out.printf("  %g %g\n", static_cast<double>(x[i]), static_cast<double>(y[i]));
}

// The reading side of one element: counted errors that name it.
class ElementReader {
public:
    ElementReader(DataReader& in, NamedList<Species>& species, std::int32_t nr)
        : in_(in), species_(species), nr_(nr)
    {
    }

    bool count(std::int32_t& n, std::int32_t max, const char* what)
    {
        n = in_.read_int();
        if (n >= 0 && n <= max) return true;
        report_error(ERROR, {"Invalid ", what, " count, filter element ", number_text(nr_)});
        return false;
    }
    Species* species()
    {
        const std::string name = in_.read_field(FieldKind::Next, kNameSize).value_or(std::string());
        Species* s = species_.find_by_name(name);
        if (!s) report_error(ERROR, {"Name not found: ", name});
        else ++s->use_count;
        return s;
    }
    void unit(std::int16_t& u, UnitKind kind)
    {
        u = in_.read_short();
        if (unit_index_valid(kind, u)) return;
        report_error(ERROR, {"Invalid unit index, filter element ", number_text(nr_)});
        u = 0;
    }
    bool curve(std::int32_t points, std::vector<float>& x, std::vector<float>& y)
    {
        for (std::int32_t i = 0; i < points && error_count() == errors_; ++i) {
            x.push_back(in_.read_float());
            y.push_back(in_.read_float());
        }
        return error_count() == errors_;
    }
    float real() { return in_.read_float(); }
    std::int16_t whole() { return in_.read_short(); }
    std::int32_t integer() { return in_.read_int(); }

private:
    DataReader& in_;
    NamedList<Species>& species_;
    std::int32_t nr_;
    int errors_ = error_count();
};

bool read_data(ElementReader& r, FilterElement& e, std::vector<std::int32_t>& sub_numbers)
{
    std::int32_t n = 0;
    switch (e.type) {
    case kFltCef: {
        ConstantEfficiencyData d;
        if (!r.count(n, kMaxListed, "species")) return false;
        for (std::int32_t i = 0; i < n; ++i) {
            d.species.push_back(r.species());
            d.efficiency.push_back(r.real());
        }
        e.data = std::move(d);
        return true;
    }
    case kFltPf0: {
        ParticleFilterData d;
        if (!r.count(n, kMaxFilterPoints, "point")) return false;
        r.unit(d.size_unit, UnitKind::Length);
        if (!r.curve(n, d.size, d.efficiency)) return false;
        e.data = std::move(d);
        return true;
    }
    case kFltGf0: {
        GaseousFilterData d;
        if (!r.count(n, kMaxListed, "species")) return false;
        for (std::int32_t i = 0; i < n; ++i) {
            GaseousCurve c;
            c.species = r.species();
            c.breakthrough = r.real();
            std::int32_t points = 0;
            if (!r.count(points, kMaxFilterPoints, "point")) return false;
            if (!r.curve(points, c.loading, c.efficiency)) return false;
            d.curves.push_back(std::move(c));
        }
        e.data = std::move(d);
        return true;
    }
    case kFltUv1: {
        UvgiFilterData d;
        d.S = r.real();
        d.v = r.real();
        d.F = r.real();
        d.k = r.real();
        d.age = r.whole();
        for (float& c : d.C) c = r.real();
        d.K0 = r.real();
        d.K1 = r.real();
        r.unit(d.u_F, UnitKind::MassFlow);
        r.unit(d.u_v, UnitKind::Speed);
        derive_uvgi(d);
        e.data = d;
        return true;
    }
    case kFltSpf: {
        if (!r.count(n, kMaxListed, "sub-element")) return false;
        for (std::int32_t i = 0; i < n; ++i) sub_numbers.push_back(r.integer());
        e.data = SuperFilterData{};
        return true;
    }
    default: return false;
    }
}

}  // namespace

int write_filter_elements_section(TextWriter& out, NamedList<FilterElement>& elements)
{
    elements.renumber();
    int faults = 0;
    out.printf("%d ! filter elements:\n", static_cast<int>(elements.count()));
    for (const FilterElement& e : elements) {
        const auto info = filter_type_info(e.type);
        out.printf("%d %s %g %g %g %d %d %s\n", static_cast<int>(e.nr),
                   info ? std::string(info->keyword).c_str() : "", static_cast<double>(e.area),
                   static_cast<double>(e.depth), static_cast<double>(e.density), e.u_length, e.u_density,
                   e.name.c_str());
        out.printf("%s\n", description_to_line(e.desc).c_str());
        if (!info || !filter_data_fits(e)) {
            report_error(ERROR, {"Invalid element type ", number_text(e.type)});
            faults = 1;
            continue;
        }
        if (const auto* d = std::get_if<ConstantEfficiencyData>(&e.data)) {
            out.printf("%3d\n", static_cast<int>(d->species.size()));
            for (std::size_t i = 0; i < d->species.size(); ++i)
                out.printf("  %s %g\n", species_name(d->species[i]),
                           static_cast<double>(i < d->efficiency.size() ? d->efficiency[i] : 0.0f));
        } else if (const auto* p = std::get_if<ParticleFilterData>(&e.data)) {
            out.printf(" %d %d\n", static_cast<int>(p->size.size()), p->size_unit);
            write_curve(out, p->size, p->efficiency);
        } else if (const auto* g = std::get_if<GaseousFilterData>(&e.data)) {
            out.printf(" %d\n", static_cast<int>(g->curves.size()));
            for (const GaseousCurve& c : g->curves) {
                out.printf("  %s %g %d\n", species_name(c.species), static_cast<double>(c.breakthrough),
                           static_cast<int>(c.loading.size()));
                write_curve(out, c.loading, c.efficiency);
            }
        } else if (const auto* u = std::get_if<UvgiFilterData>(&e.data)) {
            out.printf(" %g %g %g %g %d %g %g %g %g %g %g %g %d %d\n", static_cast<double>(u->S),
                       static_cast<double>(u->v), static_cast<double>(u->F), static_cast<double>(u->k), u->age,
                       static_cast<double>(u->C[0]), static_cast<double>(u->C[1]), static_cast<double>(u->C[2]),
                       static_cast<double>(u->C[3]), static_cast<double>(u->C[4]), static_cast<double>(u->K0),
                       static_cast<double>(u->K1), u->u_F, u->u_v);
        } else if (const auto* s = std::get_if<SuperFilterData>(&e.data)) {
            out.printf("%d\n", static_cast<int>(s->subs.size()));
            for (const FilterElement* sub : s->subs) {
                std::int32_t n = 0;
                for (const FilterElement& other : elements)
                    if (&other == sub && other.type != kFltSpf) n = other.nr;
                if (n == 0) {
                    report_error(ERROR, {"Invalid sub-element number, filter element ", number_text(e.nr)});
                    faults = 1;
                }
                out.printf(" %d", n);
            }
            out.write("\n");
        }
    }
    out.printf("%d\n", kSectionEnd);
    return faults;
}

int read_filter_elements_section(DataReader& in, NamedList<FilterElement>& elements, NamedList<Species>& species)
{
    const int errors_before = error_count();
    auto clean = [&] { return error_count() == errors_before; };
    const std::int32_t count = in.read_int();
    if (count < 0) {
        report_error(ERROR, {"Invalid record count ", number_text(count), " for filter elements"});
        return 1;
    }
    std::vector<FilterElement*> by_number;
    std::vector<std::pair<FilterElement*, std::vector<std::int32_t>>> supers;
    for (std::int32_t i = 1; i <= count && clean(); ++i) {
        FilterElement e;
        if (in.read_int() != i) report_error(ERROR, {"Filter element number mis-match: ", number_text(i)});
        const std::string keyword = in.read_field().value_or(std::string());
        const int type = filter_type_of(keyword);
        if (type < 0) {
            report_error(ERROR, {"Undefined Element Type: ", keyword});
            report_error(ERROR, {"Invalid filter element type ", number_text(type)});
            break;
        }
        e.type = static_cast<std::int16_t>(type);
        e.area = in.read_float();
        e.depth = in.read_float();
        e.density = in.read_float();
        ElementReader r(in, species, i);
        r.unit(e.u_length, UnitKind::Length);
        r.unit(e.u_density, UnitKind::Density);
        e.name = read_definition_name(in);
        e.desc = read_definition_description(in);
        if (!clean()) break;
        std::vector<std::int32_t> subs;
        if (!read_data(r, e, subs) || !clean()) break;
        FilterElement* stored = elements.insert_copy(e);
        stored->nr = i;
        by_number.push_back(stored);
        if (type == kFltSpf) supers.emplace_back(stored, std::move(subs));
    }
    if (!clean()) return 1;
    if (in.read_int() != kSectionEnd) report_error(ERROR, {"PRJ read error; see LOG file"});
    if (!clean()) return 1;
    for (auto& [record, numbers] : supers) {
        auto& list = std::get<SuperFilterData>(record->data).subs;
        for (const std::int32_t n : numbers) {
            FilterElement* sub = n >= 1 && static_cast<std::size_t>(n) <= by_number.size()
                                     ? by_number[static_cast<std::size_t>(n - 1)]
                                     : nullptr;
            if (!sub || sub->type == kFltSpf) {
                report_error(ERROR, {"Invalid sub-element number, filter element ", number_text(record->nr)});
                continue;
            }
            list.push_back(sub);
            ++sub->use_count;
        }
    }
    return clean() ? 0 : 1;
}

int write_filters_section(TextWriter& out, const Project& project)
{
    int faults = 0;
    int present = 0;
    for (std::int32_t i = 1; i <= project.filters.count(); ++i)
        if (project.filters.at(i)) ++present;
    out.printf("%d ! filters:\n", present);
    for (std::int32_t i = 1; i <= project.filters.count(); ++i) {
        const Filter* f = project.filters.at(i);
        if (!f) continue;
        const FilterElement* e = f->element;
        if (!e || e->nr < 1 || e->nr > project.filter_elements.count()) {
            report_error(ERROR, {"Invalid filter element number: ", number_text(e ? e->nr : 0)});
            faults = 1;
        }
        out.printf("%3d %3d %3d\n", f->nr, e ? e->nr : 0, static_cast<int>(f->loads.size()));
        for (const FilterLoad& load : f->loads) {
            out.printf("   %g %d\n", static_cast<double>(load.loading), static_cast<int>(load.species.size()));
            for (const SpeciesLoad& s : load.species)
                out.printf("   %s %g\n", species_name(s.species), static_cast<double>(s.loading));
        }
    }
    out.printf("%d\n", kSectionEnd);
    return faults;
}

int read_filters_section(DataReader& in, Project& project)
{
    const int errors_before = error_count();
    auto clean = [&] { return error_count() == errors_before; };
    const std::int32_t count = in.read_int();
    if (count < 0) {
        report_error(ERROR, {"Invalid record count ", number_text(count), " for filters"});
        return 1;
    }
    const std::vector<FilterElement*> elements = project.filter_elements.by_number();
    project.filters.reserve(count);
    for (std::int32_t i = 1; i <= count && clean(); ++i) {
        Filter f;
        if (in.read_int() != i) {
            report_error(ERROR, {"Filter number mis-match: ", number_text(i)});
            break;
        }
        const std::int32_t element = in.read_int();
        if (element < 1 || element > static_cast<std::int32_t>(elements.size())) {
            report_error(ERROR, {"Invalid filter element number: ", number_text(element)});
            break;
        }
        f.element = elements[static_cast<std::size_t>(element - 1)];
        // One load per sub-filter, each naming its sub-filter's element.
        std::vector<FilterLoad> expected = loads_for(f.element);
        const std::int32_t loads = in.read_int();
        if (loads != static_cast<std::int32_t>(expected.size())) {
            report_error(ERROR, {"Invalid load count, filter ", number_text(i)});
            break;
        }
        for (FilterLoad& load : expected) {
            load.loading = in.read_float();
            const std::int32_t n = in.read_int();
            if (n < 0 || n > kMaxListed) {
                report_error(ERROR, {"Invalid species load count, filter ", number_text(i)});
                break;
            }
            for (std::int32_t k = 0; k < n && clean(); ++k) {
                SpeciesLoad s;
                const std::string name = in.read_field(FieldKind::Next, kNameSize).value_or(std::string());
                s.species = project.species.find_by_name(name);
                if (!s.species) report_error(ERROR, {"Name not found: ", name});
                s.loading = in.read_float();
                load.species.push_back(s);
            }
            if (!clean()) break;
        }
        if (!clean()) break;
        f.loads = std::move(expected);
        ++f.element->use_count;
        project.filters.put(i, f);
    }
    if (!clean()) return 1;
    if (in.read_int() != kSectionEnd) report_error(ERROR, {"PRJ read error; see LOG file"});
    return clean() ? 0 : 1;
}

}  // namespace avelor
