#include "prjfile/network_sections.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "app/description_line.h"
#include "app/diagnostics.h"
#include "app/text_convert.h"

namespace avelor {

namespace {

// Index arrays are sized from a file's counts only up to this; larger lists
// grow as their records actually arrive.
constexpr std::int32_t kReserveLimit = 1 << 20;

// Fields of 15 and 31 characters, and description lines of 70.
constexpr std::size_t kNameField = 16;
constexpr std::size_t kZoneNameField = 32;
constexpr std::size_t kDescriptionLine = 72;

std::string nr_text(std::int64_t n) { return std::to_string(n); }

int zone_number(const ZoneRef& ref)
{
    if (ref.is_ambient()) return -1;
    return ref.zone() ? ref.zone()->nr : 0;
}

template <class T>
int number_of(const T* record)
{
    return record ? record->nr : 0;
}

template <class T>
std::vector<T*> by_chain_order(const NamedList<T>& list)
{
    std::vector<T*> records;
    for (T& record : list) records.push_back(&record);
    return records;
}

void write_terminator(TextWriter& out) { out.printf("%d\n", -999); }

void write_cdvf(TextWriter& out, const ControlValuesLink& cdvf)
{
    out.printf(" %d", cdvf.kind);
    if (cdvf.kind > 0) out.printf(" %s", cdvf.name.c_str());
}

void write_cfd_name(TextWriter& out, const std::string& name)
{
    if (name.empty())
        out.write(" 0");
    else
        out.printf(" 1 %s", name.c_str());
}

// Writes the contaminant header and one line per record of a numbered list
// of records that carry an initial concentration array.
template <class T>
void write_concentrations(TextWriter& out, const Project& project, const NumberedList<T>& list,
                          const char* words, const char* first_column, const char* mismatch)
{
    const std::int64_t nctm = project.nctm();
    out.printf("%lld ! %s:\n", static_cast<long long>(nctm * list.count()), words);
    if (nctm > 0 && list.count() > 0) {
        out.write(first_column);
        for (const Species* s : project.Ctm) out.printf(" %10s", s->name.substr(0, 10).c_str());
        out.write("\n");
        for (std::int32_t i = 1; i <= list.count(); ++i) {
            const T* record = list.at(i);
            if (!record) continue;  // already reported by the record lines
            if (static_cast<std::int64_t>(record->CC0.size()) != nctm)
                report_error(ERROR, {mismatch, nr_text(i)});
            out.printf("%4d", record->nr);
            for (std::int64_t c = 0; c < nctm; ++c)
                out.printf(" %10.3e", c < static_cast<std::int64_t>(record->CC0.size())
                                          ? record->CC0[static_cast<std::size_t>(c)]
                                          : 0.0f);
            out.write("\n");
        }
    }
    write_terminator(out);
}

// --- reading helpers -------------------------------------------------------

class SectionReader {
public:
    SectionReader(DataReader& in, const char* words) : in_(in), words_(words) {}

    // The section's record count; a negative one is refused.
    bool read_count(std::int32_t& count)
    {
        count = in_.read_int(FieldKind::FirstOfNextLine);
        if (error_count() != 0) return false;
        if (count < 0) {
            report_error(ERROR, {"Invalid record count ", nr_text(count), " for ", words_});
            return false;
        }
        return true;
    }

    // The record number, which must be the expected one.
    bool read_number(std::int32_t expected, const char* mismatch)
    {
        std::int32_t nr = in_.read_int(FieldKind::FirstOfNextLine);
        if (nr != expected) {
            report_error(ERROR, {mismatch, nr_text(expected)});
            return false;
        }
        return true;
    }

    void read_terminator()
    {
        if (in_.read_short(FieldKind::FirstOfNextLine) != -999)
            report_error(ERROR, {"PRJ read error; see LOG file"});
    }

private:
    DataReader& in_;
    const char* words_;
};

template <class T>
T* read_reference(DataReader& in, const NumberedList<T>& list, bool required, const char* message,
                  std::int32_t record_nr)
{
    std::int32_t n = in.read_int();
    if (n == 0 && !required) return nullptr;
    T* found = n >= 1 && n <= list.count() ? list.at(n) : nullptr;
    if (!found) report_error(ERROR, {message, nr_text(record_nr)});
    return found;
}

template <class T>
T* read_named_reference(DataReader& in, const std::vector<T*>& by_number, bool required,
                        const char* message, std::int32_t record_nr)
{
    std::int32_t n = in.read_int();
    if (n == 0 && !required) return nullptr;
    if (n >= 1 && n <= static_cast<std::int32_t>(by_number.size()) && by_number[static_cast<std::size_t>(n - 1)])
        return by_number[static_cast<std::size_t>(n - 1)];
    report_error(ERROR, {message, nr_text(record_nr)});
    return nullptr;
}


ZoneRef read_zone_reference(DataReader& in, const Project& project, const char* message,
                            std::int32_t record_nr)
{
    std::int32_t n = in.read_int();
    if (n == -1) return ZoneRef::ambient();
    if (n == 0) return {};
    if (n >= 1 && n <= project.zones.count()) return project.zones.at(n);
    report_error(ERROR, {message, nr_text(record_nr)});
    return {};
}

std::string read_name(DataReader& in, std::size_t size)
{
    auto field = in.read_field(FieldKind::Next, size);
    return field ? *field : std::string();
}

std::string read_description(DataReader& in)
{
    auto line = in.read_field(FieldKind::NextDataLine, kDescriptionLine);
    return line ? description_from_line(*line) : std::string();
}

ControlValuesLink read_cdvf(DataReader& in)
{
    // The writer adds a name to every kind above 0, so the reader takes one
    // for every such kind too.
    ControlValuesLink cdvf;
    // A 3.1 record has no link at its place: none.
    if (in.older_layout == 31) return cdvf;
    cdvf.kind = in.read_short();
    if (cdvf.kind > 0) cdvf.name = read_name(in, kNameField);
    return cdvf;
}

template <class T>
void read_concentrations(DataReader& in, const Project& project, NumberedList<T>& list,
                         const char* count_mismatch, const char* number_mismatch)
{
    const std::int64_t expected = static_cast<std::int64_t>(project.nctm()) * list.count();
    const std::int32_t count = in.read_int(FieldKind::FirstOfNextLine);
    if (count != expected) {
        report_error(ERROR, {count_mismatch, nr_text(count)});
        return;
    }
    const auto nctm = static_cast<std::size_t>(project.nctm());
    if (count > 0) {
        SectionReader section(in, "initial concentrations");
        for (std::int32_t i = 1; i <= list.count(); ++i) {
            if (!section.read_number(i, number_mismatch)) return;
            std::vector<float> values(nctm);
            for (float& v : values) v = in.read_float();
            if (error_count() != 0) return;
            list.at(i)->CC0 = std::move(values);
        }
    } else {
        for (std::int32_t i = 1; i <= list.count(); ++i) list.at(i)->CC0.assign(nctm, 0.0f);
    }
    SectionReader(in, "initial concentrations").read_terminator();
}

template <class T>
void reserve_for(NumberedList<T>& list, std::int32_t count)
{
    list.reserve(std::min(count, kReserveLimit));
}

}  // namespace

// --- levels ----------------------------------------------------------------

void write_levels(TextWriter& out, Project& project)
{
    std::int32_t n = 0;
    for (Level& level : project.levels) level.nr = ++n;
    out.printf("%d ! levels plus icon data:\n", n);
    out.write("! #  refHt   delHt  ni  u  name\n");
    for (const Level& level : project.levels) {
        out.printf("%3d %7.3f %7.3f %d %d %d %s\n", level.nr, level.refHt, level.delHt,
                   static_cast<int>(level.icons.size()), level.u[0], level.u[1], level.name.c_str());
        out.write("!icn col row  #\n");
        for (const IconEntry& icon : level.icons)
            out.printf(" %3d %3d %3d %3d\n", icon.code, icon.col, icon.row, icon.nr);
    }
    write_terminator(out);
}

void read_levels(DataReader& in, Project& project)
{
    SectionReader section(in, "levels");
    std::int32_t count = 0;
    if (!section.read_count(count)) return;
    reserve_for(project.levels, count);
    const std::int64_t max_icons = static_cast<std::int64_t>(project.rc.rows) * project.rc.cols;
    Level* below = nullptr;
    for (std::int32_t i = 1; i <= count; ++i) {
        if (!section.read_number(i, "Level number mis-match: ")) return;
        Level level;
        level.refHt = in.read_float();
        level.delHt = in.read_float();
        std::int32_t ni = in.read_int();
        level.u[0] = in.read_short();
        level.u[1] = in.read_short();
        level.name = read_name(in, kNameField);
        if (ni < 0 || ni > std::max<std::int64_t>(max_icons, 0)) {
            report_error(ERROR, {"Invalid number of icons ", nr_text(ni), ", level ", nr_text(i)});
            return;
        }
        if (error_count() != 0) return;
        level.icons.reserve(static_cast<std::size_t>(std::min(ni, kReserveLimit)));
        for (std::int32_t k = 0; k < ni; ++k) {
            IconEntry icon;
            icon.code = in.read_byte(FieldKind::FirstOfNextLine);
            icon.col = in.read_short();
            icon.row = in.read_short();
            icon.nr = in.read_int();
            if (error_count() != 0) return;
            level.icons.push_back(icon);
        }
        Level* stored = project.levels.put(i, level);
        stored->below = below;
        if (below) below->above = stored;
        below = stored;
    }
    section.read_terminator();
    project.lowest_level = project.levels.at(1);
    project.top_level = below;
    project.current_level = project.lowest_level;
}

// --- simple air-handling systems -------------------------------------------

void write_simple_ahs(TextWriter& out, Project& project)
{
    const std::int32_t count = project.systems.count();
    out.printf("%d ! simple AHS:\n", count);
    if (count != 0) out.write("! # zr# zs# pr# ps# px# name\n");
    std::int32_t n = 0;
    for (SimpleAhs& system : project.systems) {
        system.nr = ++n;
        if (system.zr < 1 || system.zr > project.zones.count() || system.zs < 1 ||
            system.zs > project.zones.count())
            report_error(ERROR, {"Invalid zone number, AHS ", nr_text(n)});
        for (std::int32_t path : {system.pr, system.ps, system.px})
            if (path < 1 || path > project.paths.count())
                report_error(ERROR, {"Invalid path number, AHS ", nr_text(n)});
        out.printf("%3d %3d %3d %3d %3d %3d %s\n", system.nr, system.zr, system.zs, system.pr,
                   system.ps, system.px, system.name.c_str());
        out.printf("%s\n", description_to_line(system.desc).c_str());
    }
    write_terminator(out);
}

void read_simple_ahs(DataReader& in, Project& project)
{
    SectionReader section(in, "simple AHS");
    std::int32_t count = 0;
    if (!section.read_count(count)) return;
    for (std::int32_t i = 1; i <= count; ++i) {
        if (!section.read_number(i, "System number mis-match: ")) return;
        SimpleAhs system;
        system.zr = in.read_int();
        system.zs = in.read_int();
        system.pr = in.read_int();
        system.ps = in.read_int();
        system.px = in.read_int();
        system.name = read_name(in, kNameField);
        system.desc = read_description(in);
        if (error_count() != 0) return;
        SimpleAhs* stored = project.systems.insert_copy(system);
        stored->nr = i;
        // Paths refer to systems by their number in the file.
        project.system_index.push_back(stored);
    }
    section.read_terminator();
}

void check_simple_ahs_numbers(const Project& project)
{
    for (const SimpleAhs* system : project.system_index) {
        auto zone_ok = [&](std::int32_t n) { return n >= 1 && n <= project.zones.count(); };
        auto path_ok = [&](std::int32_t n) { return n >= 1 && n <= project.paths.count(); };
        if (!zone_ok(system->zr) || !zone_ok(system->zs))
            report_error(ERROR, {"Invalid zone number, AHS ", nr_text(system->nr)});
        if (!path_ok(system->pr) || !path_ok(system->ps) || !path_ok(system->px))
            report_error(ERROR, {"Invalid path number, AHS ", nr_text(system->nr)});
    }
}

// --- zones -----------------------------------------------------------------

void write_zones(TextWriter& out, const Project& project)
{
    const std::int32_t count = project.zones.count();
    out.printf("%d ! zones:\n", count);
    if (count > 0)
        out.write("! Z#  f  s#  c#  k#  l#  relHt    Vol  T0  P0  name  clr u[4]  axs cdvf <cdvf "
                  "name> cfd <cfd name> <1D data:>\n");
    for (std::int32_t i = 1; i <= count; ++i) {
        const Zone* zone = project.zones.at(i);
        if (!zone) {
            report_error(ERROR, {"Null pointer - zone: ", nr_text(i)});
            continue;
        }
        if (zone->nr != i) report_error(ERROR, {"Zone number mis-match: ", nr_text(i)});
        if (zone->reaction && (zone->reaction->nr < 1 || zone->reaction->nr > project.reactions.count()))
            report_error(ERROR, {"Invalid reaction number, zone ", nr_text(i)});
        if (!zone->level || zone->level->nr < 1 || zone->level->nr > project.levels.count())
            report_error(ERROR, {"Invalid level number, zone ", nr_text(i)});
        if (zone->schedule && (zone->schedule->nr < 1 || zone->schedule->nr > project.week_schedules.count()))
            report_error(ERROR, {"Invalid schedule number, zone ", nr_text(i)});
        out.printf("%4d %2u %3d %3d %3d %3d %7.3f %5g %6g %g %s %d %d %d %d %d %d", zone->nr,
                   static_cast<unsigned>(zone->flags), number_of(zone->schedule), number_of(zone->control),
                   number_of(zone->reaction),
                   number_of(zone->level), zone->relHt, zone->Vol, zone->T0, zone->P0,
                   zone->name.c_str(), zone->clr, zone->u[0], zone->u[1], zone->u[2], zone->u[3],
                   zone->axs);
        write_cdvf(out, zone->cdvf);
        write_cfd_name(out, zone->cfd_name);
        if (zone->axs != 0) {
            const auto& a = zone->axis;
            out.printf(" 1D: %7.3f %7.3f %7.3f %7.3f %7.3f %7.3f %g %g %d %d", a[0], a[1], a[2],
                       a[3], a[4], a[5], a[6], a[7], zone->axis_u[0], zone->axis_u[1]);
        }
        out.write("\n");
    }
    write_terminator(out);
    write_concentrations(out, project, project.zones, "initial zone concentrations", "! Z#",
                         "Zone concentration count mis-match: ");
}

void read_zones(DataReader& in, Project& project)
{
    SectionReader section(in, "zones");
    std::int32_t count = 0;
    if (!section.read_count(count)) return;
    reserve_for(project.zones, count);
    const std::vector<KineticReaction*> reactions = by_chain_order(project.reactions);
    const std::vector<WeekSchedule*> weeks = project.week_schedules.by_number();
    for (std::int32_t i = 1; i <= count; ++i) {
        if (!section.read_number(i, "Zone number mis-match: ")) return;
        Zone zone;
        zone.flags = in.read_ushort() & 0x3F;
        zone.schedule = read_named_reference(in, weeks, false, "Invalid schedule number, zone ", i);
        zone.control = read_reference(in, project.controls, false, "Invalid control node number, zone ", i);
        zone.reaction = read_named_reference(in, reactions, false, "Invalid reaction number, zone ", i);
        zone.level = read_reference(in, project.levels, true, "Invalid level number, zone ", i);
        zone.relHt = in.read_float();
        zone.Vol = in.read_float();
        zone.T0 = in.read_float();
        zone.P0 = in.read_float();
        zone.name = read_name(in, kZoneNameField);
        zone.clr = in.read_short();
        for (auto& u : zone.u) u = in.read_short();
        zone.axs = in.read_short();
        zone.cdvf = read_cdvf(in);
        if (in.read_short() == 1) zone.cfd_name = read_name(in, kNameField);
        if (zone.axs != 0) {
            in.read_field();  // the "1D:" marker
            for (float& v : zone.axis) v = in.read_float();
            for (auto& u : zone.axis_u) u = in.read_short();
        }
        if (error_count() != 0) return;
        project.zones.put(i, zone);
    }
    section.read_terminator();
    if (error_count() != 0) return;
    read_concentrations(in, project, project.zones, "Zones*contaminant count mis-match: ",
                        "Zone number mis-match: ");
}

// --- flow paths ------------------------------------------------------------

void write_paths(TextWriter& out, const Project& project)
{
    const std::int32_t count = project.paths.count();
    out.printf("%d ! flow paths:\n", count);
    if (count > 0)
        out.write("! P#    f  n#  m#  e#  f#  w#  a#  s#  c#  l#    X       Y      relHt  mult wPset "
                  "wPmod wazm Fahs Xmax Xmin icn dir u[4] cdvf <cdvf name> cfd <cfd data[4]>\n");
    for (std::int32_t i = 1; i <= count; ++i) {
        const FlowPath* path = project.paths.at(i);
        if (!path) {
            report_error(ERROR, {"Null pointer - path: ", nr_text(i)});
            continue;
        }
        if (path->nr != i) report_error(ERROR, {"Path number mis-match: ", nr_text(i)});
        // A side with no zone (0) is written as the reader takes it: a path
        // drawn where no room shows is still saved, and the check and the
        // engine speak of it. Only numbers the reader would refuse stop the save.
        for (const ZoneRef* ref : {&path->zone_n, &path->zone_m}) {
            const int z = zone_number(*ref);
            if (z < -1 || z > project.zones.count()) {
                report_error(ERROR, {"Invalid zone number, path ", nr_text(i)});
                break;
            }
        }
        if (path->element && (path->element->nr < 1 || path->element->nr > project.elements.count()))
            report_error(ERROR, {"Invalid flow element number, path ", nr_text(i)});
        if (path->ahs && (path->ahs->nr < 1 || path->ahs->nr > project.systems.count()))
            report_error(ERROR, {"Invalid AHS number, path ", nr_text(i)});
        if (!path->level || path->level->nr < 1 || path->level->nr > project.levels.count())
            report_error(ERROR, {"Invalid level number, path ", nr_text(i)});
        if (path->wind_profile &&
            (path->wind_profile->nr < 1 || path->wind_profile->nr > project.wind_profiles.count()))
            report_error(ERROR, {"Invalid wind profile number, path ", nr_text(i)});
        if (path->schedule && (path->schedule->nr < 1 || path->schedule->nr > project.week_schedules.count()))
            report_error(ERROR, {"Invalid week-schedule number, path ", nr_text(i)});
        if (path->filter && (path->filter->nr < 1 || path->filter->nr > project.filters.count()))
            report_error(ERROR, {"Invalid filter number, path ", nr_text(i)});
        out.printf("%4d %4u %3d %3d %3d %3d %3d %3d %3d %3d %3d ", path->nr,
                   static_cast<unsigned>(path->flags), zone_number(path->zone_n),
                   zone_number(path->zone_m), number_of(path->element), number_of(path->filter),
                   number_of(path->wind_profile),
                   number_of(path->ahs), number_of(path->schedule), number_of(path->control), number_of(path->level));
        out.printf("%7.3f %7.3f %7.3f %g %g %g %g %g %g %g ", path->X, path->Y, path->relHt,
                   path->mult, path->wPset, path->wPmod, path->wazm, path->Fahs, path->Xmax,
                   path->Xmin);
        out.printf("%3u %2u %d %d %d %d", static_cast<unsigned>(path->icn),
                   static_cast<unsigned>(path->dir), path->u[0], path->u[1], path->u[2], path->u[3]);
        write_cdvf(out, path->cdvf);
        if (path->cfd_name.empty())
            out.write(" 0");
        else
            out.printf(" 1 %s %d %d %d", path->cfd_name.c_str(), path->cfd_values[0],
                       path->cfd_values[1], path->cfd_values[2]);
        out.write("\n");
    }
    write_terminator(out);
}

void read_paths(DataReader& in, Project& project)
{
    SectionReader section(in, "flow paths");
    std::int32_t count = 0;
    if (!section.read_count(count)) return;
    reserve_for(project.paths, count);
    const std::vector<AirflowElement*> elements = by_chain_order(project.elements);
    const std::vector<WeekSchedule*> weeks = project.week_schedules.by_number();
    const std::vector<WindProfile*> profiles = project.wind_profiles.by_number();
    for (std::int32_t i = 1; i <= count; ++i) {
        if (!section.read_number(i, "Path number mis-match: ")) return;
        FlowPath path;
        path.flags = in.read_ushort() & 0x3FF;
        path.zone_n = read_zone_reference(in, project, "Invalid zone number, path ", i);
        path.zone_m = read_zone_reference(in, project, "Invalid zone number, path ", i);
        const std::int32_t element = in.read_int();
        if (path.has_element()) {
            if (element >= 1 && element <= static_cast<std::int32_t>(elements.size()))
                path.element = elements[static_cast<std::size_t>(element - 1)];
            else
                report_error(ERROR, {"Invalid flow element number, path ", nr_text(i)});
        }
        path.filter = read_reference(in, project.filters, false, "Invalid filter number, path ", i);
        path.wind_profile = read_named_reference(in, profiles, false, "Invalid wind profile number, path ", i);
        const std::int32_t ahs = in.read_int();
        if (path.flags & kPathAhs) {
            if (ahs >= 1 && ahs <= static_cast<std::int32_t>(project.system_index.size()))
                path.ahs = project.system_index[static_cast<std::size_t>(ahs - 1)];
            else
                report_error(ERROR, {"Invalid AHS number, path ", nr_text(i)});
        } else if (ahs != 0) {
            report_error(ERROR, {"Invalid AHS number, path ", nr_text(i)});
        }
        path.schedule = read_named_reference(in, weeks, false, "Invalid week-schedule number, path ", i);
        path.control = read_reference(in, project.controls, false, "Invalid control node number, path ", i);
        path.level = read_reference(in, project.levels, true, "Invalid level number, path ", i);
        path.X = in.read_float();
        path.Y = in.read_float();
        path.relHt = in.read_float();
        path.mult = in.read_float();
        path.wPset = in.read_float();
        path.wPmod = in.read_float();
        path.wazm = in.read_float();
        path.Fahs = in.read_float();
        path.Xmax = in.read_float();
        path.Xmin = in.read_float();
        path.icn = in.read_byte();
        path.dir = in.read_byte();
        for (auto& u : path.u) u = in.read_short();
        path.cdvf = read_cdvf(in);
        if (in.read_short() == 1) {
            path.cfd_name = read_name(in, kNameField);
            for (auto& v : path.cfd_values) v = in.read_short();
        }
        if (error_count() != 0) return;
        project.paths.put(i, path);
    }
    section.read_terminator();
}

// --- duct junctions --------------------------------------------------------

void write_junctions(TextWriter& out, const Project& project)
{
    const std::int32_t count = project.junctions.count();
    out.printf("%d ! duct junctions:\n", count);
    if (count > 0)
        out.write("! J#  f t  z#  dct  k#  s#  c#  l#    X       Y     relHt  T0    P0 icon clr u[4] "
                  "<T: terminal data>\n");
    for (std::int32_t i = 1; i <= count; ++i) {
        const Junction* j = project.junctions.at(i);
        if (!j) {
            report_error(ERROR, {"Null pointer - junction: ", nr_text(i)});
            continue;
        }
        int z = zone_number(j->zone);
        if (z < -1 || z > project.zones.count())
            report_error(ERROR, {"Invalid zone number, junction ", nr_text(i)});
        if (j->duct && (j->duct->nr < 1 || j->duct->nr > project.ducts.count()))
            report_error(ERROR, {"Invalid duct number, junction ", nr_text(i)});
        if (j->reaction && (j->reaction->nr < 1 || j->reaction->nr > project.reactions.count()))
            report_error(ERROR, {"Invalid kinetic reaction number, junction ", nr_text(i)});
        if (!j->level || j->level->nr < 1 || j->level->nr > project.levels.count())
            report_error(ERROR, {"Invalid level number, junction ", nr_text(i)});
        out.printf("%4d %2u %1u %3d %3d %3d %3d %3d %3d", j->nr, static_cast<unsigned>(j->flags),
                   static_cast<unsigned>(j->t), z, number_of(j->duct), number_of(j->reaction),
                   number_of(j->schedule), number_of(j->control), number_of(j->level));
        out.printf(" %7.3f %7.3f %7.3f %g %g", j->X, j->Y, j->relHt, j->T0, j->P0);
        out.printf(" %d %d %d %d %d %d", j->icon, j->clr, j->u[0], j->u[1], j->u[2], j->u[3]);
        write_cdvf(out, j->cdvf);
        if (j->t != 0) {
            const TerminalData& t = j->terminal;
            if (t.filter && (t.filter->nr < 1 || t.filter->nr > project.filters.count()))
                report_error(ERROR, {"Invalid filter number, junction ", nr_text(i)});
            out.printf(" T: %d %d %g %g %g %d %g %g %g", number_of(t.filter), number_of(t.wind_profile), t.f1[0], t.f1[1], t.f1[2], t.i1,
                       t.f2[0], t.f2[1], t.f2[2]);
            out.printf(" %g %g %g %d %d %d %d", t.f2[3], t.f2[4], t.f2[5], t.i2[0], t.i2[1], t.b[0],
                       t.b[1]);
        }
        out.write("\n");
    }
    write_terminator(out);
    write_concentrations(out, project, project.junctions, "initial junction concentrations", "! J#",
                         "Junction concentration count mis-match: ");
}

void read_junctions(DataReader& in, Project& project)
{
    SectionReader section(in, "duct junctions");
    std::int32_t count = 0;
    if (!section.read_count(count)) return;
    reserve_for(project.junctions, count);
    const std::vector<KineticReaction*> reactions = by_chain_order(project.reactions);
    const std::vector<WeekSchedule*> weeks = project.week_schedules.by_number();
    const std::vector<WindProfile*> profiles = project.wind_profiles.by_number();
    for (std::int32_t i = 1; i <= count; ++i) {
        if (!section.read_number(i, "Junction number mis-match: ")) return;
        Junction j;
        j.flags = in.read_ushort();
        j.t = in.read_short();
        j.zone = read_zone_reference(in, project, "Invalid zone number, junction ", i);
        j.duct_nr = in.read_int();
        j.reaction = read_named_reference(in, reactions, false, "Invalid reaction number, junction ", i);
        j.schedule = read_named_reference(in, weeks, false, "Invalid schedule number, junction ", i);
        j.control = read_reference(in, project.controls, false, "Invalid control node number, junction ", i);
        j.level = read_reference(in, project.levels, true, "Invalid level number, junction ", i);
        j.X = in.read_float();
        j.Y = in.read_float();
        j.relHt = in.read_float();
        j.T0 = in.read_float();
        j.P0 = in.read_float();
        j.icon = in.read_byte();
        j.clr = in.read_short();
        for (auto& u : j.u) u = in.read_short();
        j.cdvf = read_cdvf(in);
        if (j.t != 0) {
            in.read_field();  // the "T:" marker
            TerminalData& t = j.terminal;
            t.filter = read_reference(in, project.filters, false, "Invalid filter number, junction ", i);
            t.wind_profile = read_named_reference(in, profiles, false, "Invalid wind profile number, junction ", i);
            for (float& v : t.f1) v = in.read_float();
            t.i1 = in.read_short();
            for (float& v : t.f2) v = in.read_float();
            for (auto& v : t.i2) v = in.read_short();
            for (auto& v : t.b) v = in.read_byte();
        }
        if (error_count() != 0) return;
        project.junctions.put(i, j);
    }
    section.read_terminator();
    if (error_count() != 0) return;
    read_concentrations(in, project, project.junctions, "Junctions*contaminant count mis-match: ",
                        "Junction number mis-match: ");
}

// --- duct segments ---------------------------------------------------------

void write_ducts(TextWriter& out, const Project& project)
{
    const std::int32_t count = project.ducts.count();
    out.printf("%d ! duct segments:\n", count);
    if (count > 0)
        out.write("! D#  f  n#  m#  e#  f#  s#  c# dir len Ain Aout sllc clr u[2] cdvf <cdvf name>\n");
    for (std::int32_t i = 1; i <= count; ++i) {
        const DuctSegment* d = project.ducts.at(i);
        if (!d) {
            report_error(ERROR, {"Null pointer - duct: ", nr_text(i)});
            continue;
        }
        if (d->nr != i) report_error(ERROR, {"Duct number mis-match: ", nr_text(i)});
        for (const Junction* j : {d->junction_n, d->junction_m})
            if (j && (j->nr < 1 || j->nr > project.junctions.count()))
                report_error(ERROR, {"Invalid junction number, duct ", nr_text(i)});
        if (!d->element || d->element->nr < 1 || d->element->nr > project.duct_elements.count())
            report_error(ERROR, {"Invalid duct element number, duct ", nr_text(i)});
        if (d->schedule && (d->schedule->nr < 1 || d->schedule->nr > project.week_schedules.count()))
            report_error(ERROR, {"Invalid week-schedule number, duct ", nr_text(i)});
        if (d->filter && (d->filter->nr < 1 || d->filter->nr > project.filters.count()))
            report_error(ERROR, {"Invalid filter number, duct ", nr_text(i)});
        out.printf("%4d %2u %3d %3d %3d %3d %3d %3d %3d %g %g %g %g %d %d %d", d->nr,
                   static_cast<unsigned>(d->flags), number_of(d->junction_n),
                   number_of(d->junction_m), number_of(d->element), number_of(d->filter),
                   number_of(d->schedule), number_of(d->control), d->dir, d->len,
                   d->Ain, d->Aout, d->sllc, d->clr, d->u[0], d->u[1]);
        write_cdvf(out, d->cdvf);
        out.write("\n");
    }
    write_terminator(out);
}

void read_ducts(DataReader& in, Project& project)
{
    SectionReader section(in, "duct segments");
    std::int32_t count = 0;
    if (!section.read_count(count)) return;
    reserve_for(project.ducts, count);
    const std::vector<DuctElement*> elements = by_chain_order(project.duct_elements);
    const std::vector<WeekSchedule*> weeks = project.week_schedules.by_number();
    for (std::int32_t i = 1; i <= count; ++i) {
        if (!section.read_number(i, "Duct number mis-match: ")) return;
        DuctSegment d;
        d.flags = in.read_ushort();
        d.junction_n = read_reference(in, project.junctions, false, "Invalid junction number, duct ", i);
        d.junction_m = read_reference(in, project.junctions, false, "Invalid junction number, duct ", i);
        d.element = read_named_reference(in, elements, true, "Invalid duct element number, duct ", i);
        d.filter = read_reference(in, project.filters, false, "Invalid filter number, duct ", i);
        d.schedule = read_named_reference(in, weeks, false, "Invalid week-schedule number, duct ", i);
        d.control = read_reference(in, project.controls, false, "Invalid control node number, duct ", i);
        d.dir = in.read_byte();
        d.len = in.read_float();
        d.Ain = in.read_float();
        d.Aout = in.read_float();
        d.sllc = in.read_float();
        d.clr = in.read_short();
        for (auto& u : d.u) u = in.read_short();
        d.cdvf = read_cdvf(in);
        if (error_count() != 0) return;
        if (d.element->type == kDctDwc && !(d.len > 0) && !(d.sllc > 0))
            report_error(WARNING, {"Duct ", nr_text(i), " with DWC element has neither length nor loss coefficient"});
        ++d.element->use_count;
        project.ducts.put(i, d);
    }
    section.read_terminator();
}

// --- source/sinks ----------------------------------------------------------

void write_sources(TextWriter& out, const Project& project)
{
    const std::int32_t count = project.sources.count();
    out.printf("%d ! source/sinks:\n", count);
    if (count > 0)
        out.write("! #  z#  e#  s#  c#  mult   CC0  (X, Y, H)min  (X, Y, H)max u[1] cdvf <cdvf name> "
                  "cfd <cfd name>\n");
    for (std::int32_t i = 1; i <= count; ++i) {
        const SourceSink* s = project.sources.at(i);
        if (!s) {
            report_error(ERROR, {"Null pointer - source: ", nr_text(i)});
            continue;
        }
        if (!s->element) report_error(ERROR, {"Invalid element number, source ", nr_text(i)});
        if (s->element && (s->element->nr < 1 || s->element->nr > project.source_elements.count()))
            report_error(ERROR, {"Invalid element number, source ", nr_text(i)});
        out.printf("%3d %3d %3d %3d %3d %5g %5g  %g %g %g  %g %g %g  %d", s->nr, number_of(s->zone),
                   number_of(s->element), number_of(s->schedule), number_of(s->control), s->mult, s->CC0, s->box_min[0], s->box_min[1], s->box_min[2], s->box_max[0],
                   s->box_max[1], s->box_max[2], s->u);
        write_cdvf(out, s->cdvf);
        write_cfd_name(out, s->cfd_name);
        out.write("\n");
    }
    write_terminator(out);
}

void read_sources(DataReader& in, Project& project)
{
    SectionReader section(in, "source/sinks");
    std::int32_t count = 0;
    if (!section.read_count(count)) return;
    reserve_for(project.sources, count);
    const std::vector<SourceElement*> elements = project.source_elements.by_number();
    const std::vector<WeekSchedule*> weeks = project.week_schedules.by_number();
    for (std::int32_t i = 1; i <= count; ++i) {
        if (!section.read_number(i, "S/S number mis-match")) return;
        SourceSink s;
        s.zone = read_reference(in, project.zones, false, "Invalid zone number, source ", i);
        s.element = read_named_reference(in, elements, true, "Invalid element number, source ", i);
        s.schedule = read_named_reference(in, weeks, false, "Invalid week-schedule number, source ", i);
        s.control = read_reference(in, project.controls, false, "Invalid control node number, source ", i);
        s.mult = in.read_float();
        s.CC0 = in.read_float();
        for (float& v : s.box_min) v = in.read_float();
        for (float& v : s.box_max) v = in.read_float();
        s.u = in.read_short();
        s.cdvf = read_cdvf(in);
        if (in.read_short() == 1) s.cfd_name = read_name(in, kNameField);
        if (error_count() != 0) return;
        ++s.element->use_count;
        project.sources.put(i, s);
    }
    section.read_terminator();
}

// --- exposures -------------------------------------------------------------

void write_exposures(TextWriter& out, const Project& project)
{
    const std::int32_t count = project.exposures.count();
    out.printf("%d ! exposures:\n", count);
    for (std::int32_t i = 1; i <= count; ++i) {
        const Exposure* x = project.exposures.at(i);
        if (!x) {
            report_error(ERROR, {"Null pointer - exposure: ", nr_text(i)});
            continue;
        }
        if (x->nr != i) report_error(ERROR, {"Exposure number mis-match: ", nr_text(i)});
        out.printf("%d %d %d %g\n%s\n", x->nr, x->flags, static_cast<int>(x->generations.size()),
                   x->mult, description_to_line(x->desc).c_str());
        for (const OccupancySchedule* o : x->occupancy) out.printf(" %d", number_of(o));
        out.write(" ! occ. schd\n");
        for (const ExposureGeneration& g : x->generations) {
            out.printf(" %s %d %g %d", g.species ? g.species->name.c_str() : "", number_of(g.schedule),
                       g.rate, g.u);
            write_cdvf(out, g.cdvf);
            out.write(" ! occ. gen\n");
        }
    }
    write_terminator(out);
}

void read_exposures(DataReader& in, Project& project)
{
    SectionReader section(in, "exposures");
    std::int32_t count = 0;
    if (!section.read_count(count)) return;
    reserve_for(project.exposures, count);
    const auto nctm = static_cast<std::size_t>(project.nctm());
    const std::vector<WeekSchedule*> weeks = project.week_schedules.by_number();
    const std::vector<OccupancySchedule*> occupancy = project.occupancy_schedules.by_number();
    for (std::int32_t i = 1; i <= count; ++i) {
        if (!section.read_number(i, "Exposure number mis-match: ")) return;
        Exposure x;
        x.flags = in.read_ushort();
        const std::int32_t generations = in.read_int();
        x.mult = in.read_float();
        if (in.older_layout == 31) {
            // Five values after the multiplier that the current layout drops.
            in.read_float();
            in.read_int();
            in.read_float();
            in.read_short();
            in.read_short();
        }
        x.desc = read_description(in);
        for (std::size_t k = 0; k < x.occupancy.size(); ++k) {
            const std::int32_t n = in.read_int(k == 0 ? FieldKind::FirstOfNextLine : FieldKind::Next);
            if (n == 0) continue;
            if (n >= 1 && n <= static_cast<std::int32_t>(occupancy.size()) && occupancy[static_cast<std::size_t>(n - 1)])
                x.occupancy[k] = occupancy[static_cast<std::size_t>(n - 1)];
            else
                report_error(ERROR, {"Invalid occupancy-schedule number, exposure ", nr_text(i)});
        }
        if (generations < 0) {
            report_error(ERROR, {"Invalid number of generations, exposure ", nr_text(i)});
            return;
        }
        x.exposure.assign(nctm, 0.0f);
        for (std::int32_t g = 0; g < generations && error_count() == 0; ++g) {
            ExposureGeneration gen;
            auto name = in.read_field(FieldKind::FirstOfNextLine, kNameField);
            gen.species = project.species.find_by_name(name ? *name : std::string());
            if (!gen.species) report_error(ERROR, {"Species not found: ", name ? *name : ""});
            gen.schedule = read_named_reference(in, weeks, false, "Invalid week-schedule number, exposure ", i);
            gen.rate = in.read_float();
            gen.u = in.read_short();
            gen.cdvf = read_cdvf(in);
            x.generations.push_back(gen);
        }
        if (error_count() != 0) return;
        project.exposures.put(i, x);
    }
    section.read_terminator();
}

// --- annotations -----------------------------------------------------------

void write_annotations(TextWriter& out, const Project& project)
{
    const std::int32_t count = project.notes.count();
    out.printf("%d ! annotations:\n", count);
    for (std::int32_t i = 1; i <= count; ++i) {
        const Annotation* note = project.notes.at(i);
        if (!note) {
            report_error(ERROR, {"Null pointer - note: ", nr_text(i)});
            continue;
        }
        if (note->nr != i) report_error(ERROR, {"Note number mis-match: ", nr_text(i)});
        out.printf("%d %s\n", note->nr, clean_description(note->text).c_str());
    }
    write_terminator(out);
}

void read_annotations(DataReader& in, Project& project)
{
    SectionReader section(in, "annotations");
    std::int32_t count = 0;
    if (!section.read_count(count)) return;
    reserve_for(project.notes, count);
    for (std::int32_t i = 1; i <= count; ++i) {
        if (!section.read_number(i, "Note number mis-match: ")) return;
        Annotation note;
        auto text = in.read_field(FieldKind::RestOfLine, kDescriptionLine);
        note.text = text ? *text : std::string();
        if (error_count() != 0) return;
        project.notes.put(i, note);
    }
    section.read_terminator();
}

}  // namespace avelor
