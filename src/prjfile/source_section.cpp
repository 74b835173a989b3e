#include "prjfile/source_section.h"

#include <string>
#include <vector>

#include "app/description_line.h"
#include "app/diagnostics.h"
#include "prjfile/definition_io.h"

namespace avelor {

namespace {

std::string number_text(std::int64_t n) { return std::to_string(n); }

// A super element may hold no more sub-elements than a file could sensibly
// list; a larger count is damage.
constexpr std::int32_t kMaxSubElements = 10000;

// The unit indices in the order the file writes them: the peak model holds
// the unit of tp first but writes the unit of a first.
int written_unit(const SourceElement& e, int i)
{
    if (e.model == kSrcPkm) return i == 0 ? 1 : 0;
    return i;
}

void write_values(TextWriter& out, const SourceElement& e, const SourceModelInfo& info)
{
    for (int i = 0; i < info.values; ++i) out.printf(" %g", static_cast<double>(e.v[static_cast<std::size_t>(i)]));
    for (int i = 0; i < info.units; ++i)
        out.printf(" %d", e.u[static_cast<std::size_t>(written_unit(e, i))]);
    out.write("\n");
}

struct PendingSuper {
    SourceElement* record = nullptr;
    std::vector<std::int32_t> numbers;
};

}  // namespace

int write_source_elements_section(TextWriter& out, NamedList<SourceElement>& elements)
{
    elements.renumber();
    int faults = 0;
    out.printf("%d ! source/sink elements:\n", static_cast<int>(elements.count()));
    for (const SourceElement& e : elements) {
        const auto info = source_model_info(e.model);
        const std::string species = e.model == kSrcSup || !e.species ? std::string("null") : e.species->name;
        out.printf("%d %s %s %s\n", static_cast<int>(e.nr), species.c_str(),
                   info ? std::string(info->keyword).c_str() : "", e.name.c_str());
        out.printf("%s\n", description_to_line(e.desc).c_str());
        if (!info) {
            report_error(ERROR, {"Invalid element type ", number_text(e.model)});
            faults = 1;
            continue;
        }
        if (e.model != kSrcSup) {
            write_values(out, e, *info);
            continue;
        }
        out.printf("%d\n", static_cast<int>(e.subs.size()));
        for (const SourceElement* sub : e.subs) {
            std::int32_t n = 0;
            for (const SourceElement& other : elements)
                if (&other == sub && other.model != kSrcSup) n = other.nr;
            if (n == 0) {
                report_error(ERROR, {"Invalid sub-element number, S/S element ", number_text(e.nr)});
                faults = 1;
            }
            out.printf(" %d", n);
        }
        out.write("\n");
    }
    out.printf("%d\n", kSectionEnd);
    return faults;
}

int read_source_elements_section(DataReader& in, NamedList<SourceElement>& elements, NamedList<Species>& species)
{
    const int errors_before = error_count();
    auto clean = [&] { return error_count() == errors_before; };

    const std::int32_t count = in.read_int();
    if (count < 0) {
        report_error(ERROR, {"Invalid record count ", number_text(count), " for source/sink elements"});
        return 1;
    }
    std::vector<SourceElement*> by_number;
    std::vector<PendingSuper> supers;
    for (std::int32_t i = 1; i <= count && clean(); ++i) {
        SourceElement e;
        const std::int32_t nr = in.read_int();
        if (nr != i) report_error(ERROR, {"S/S element number mis-match: ", number_text(i)});
        const std::string species_name = in.read_field(FieldKind::Next, kNameSize).value_or(std::string());
        const std::string keyword = in.read_field().value_or(std::string());
        const int model = source_model_of(keyword);
        if (model < 0) {
            report_error(ERROR, {"Undefined Element Type: ", keyword});
            break;
        }
        e.model = static_cast<std::int16_t>(model);
        if (model != kSrcSup) {
            e.species = species.find_by_name(species_name);
            if (!e.species) report_error(ERROR, {"Name not found: ", species_name});
        }
        e.name = read_definition_name(in);
        e.desc = read_definition_description(in);
        if (!clean()) break;

        const auto info = source_model_info(model);
        PendingSuper pending;
        if (model == kSrcSup) {
            const std::int32_t subs = in.read_int();
            if (subs < 0 || subs > kMaxSubElements) {
                report_error(ERROR, {"Invalid sub-element count, S/S element ", number_text(i)});
                break;
            }
            for (std::int32_t k = 0; k < subs && clean(); ++k) pending.numbers.push_back(in.read_int());
        } else {
            for (int k = 0; k < info->values; ++k) e.v[static_cast<std::size_t>(k)] = in.read_float();
            for (int k = 0; k < info->units; ++k) e.u[static_cast<std::size_t>(written_unit(e, k))] = in.read_short();
            // A unit index from the file must name a unit of its field's
            // kind before any conversion may use it.
            for (const SourceField& f : source_fields(model)) {
                if (f.unit < 0) continue;
                std::int16_t& u = e.u[static_cast<std::size_t>(f.unit)];
                if (unit_index_valid(source_field_kind(f, e.species), u)) continue;
                report_error(ERROR, {"Invalid unit index, S/S element ", number_text(i)});
                u = 0;
            }
        }
        if (!clean()) break;
        if (e.species) ++e.species->use_count;
        SourceElement* stored = elements.insert_copy(e);
        stored->nr = i;
        by_number.push_back(stored);
        if (model == kSrcSup) {
            pending.record = stored;
            supers.push_back(std::move(pending));
        }
    }
    if (!clean()) return 1;
    if (in.read_int() != kSectionEnd) report_error(ERROR, {"PRJ read error; see LOG file"});
    if (!clean()) return 1;
    // Sub-element numbers become elements once every element is known.
    for (PendingSuper& p : supers) {
        for (const std::int32_t n : p.numbers) {
            SourceElement* sub = n >= 1 && static_cast<std::size_t>(n) <= by_number.size()
                                     ? by_number[static_cast<std::size_t>(n - 1)]
                                     : nullptr;
            if (!sub || sub->model == kSrcSup) {
                report_error(ERROR, {"Invalid sub-element number, S/S element ", number_text(p.record->nr)});
                continue;
            }
            p.record->subs.push_back(sub);
            ++sub->use_count;
        }
    }
    return clean() ? 0 : 1;
}

}  // namespace avelor
