#include "prjfile/wind_profile_section.h"

#include <string>

#include "app/description_line.h"
#include "app/diagnostics.h"
#include "prjfile/definition_io.h"

namespace avelor {

namespace {

// The points of a record as read: their count within 2..16, the first at
// 0°, angles strictly rising to the last at 360°.
bool points_valid(const WindProfile& p)
{
    if (p.angles[0] != 0.0f || p.angles[static_cast<std::size_t>(p.npts - 1)] != 360.0f) return false;
    for (int i = 1; i < p.npts; ++i)
        if (!(p.angles[static_cast<std::size_t>(i)] > p.angles[static_cast<std::size_t>(i - 1)])) return false;
    return true;
}

// The record as the program keeps it: the unused slots at 360° with
// coefficient 0, the last coefficient the first's, and its fit computed.
void complete_profile(WindProfile& p)
{
    const auto last = static_cast<std::size_t>(p.npts - 1);
    for (std::size_t i = last + 1; i < p.angles.size(); ++i) {
        p.angles[i] = 360.0f;
        p.coefficients[i] = 0.0f;
    }
    p.coefficients[last] = p.coefficients[0];
    if (p.type != kWindFitSpline && p.type != kWindFitTrigonometric) p.type = kWindFitLinear;
    const bool was_spline = p.type == kWindFitSpline;
    if (!fit_wind_profile(p, WARNING) && was_spline)
        report_error(WARNING, {"Wind pressure profile ", p.name, " is used as a linear profile"});
}

WindProfile read_profile(DataReader& in, std::int32_t expected)
{
    WindProfile p = new_wind_profile();
    p.nr = in.read_int();
    if (p.nr != expected) report_error(ERROR, {"Wind number mis-match: ", std::to_string(expected)});
    const std::int32_t npts = in.read_int();
    p.type = in.read_short();
    p.name = read_definition_name(in);
    p.desc = read_definition_description(in);
    if (error_count() != 0) return p;
    if (npts < kWindProfileMinPoints || npts > kWindProfileMaxPoints) {
        report_error(ERROR, {"Invalid number of points ", std::to_string(npts), ", wind profile ",
                             std::to_string(expected)});
        return p;
    }
    p.npts = static_cast<std::int16_t>(npts);
    for (std::size_t i = 0; i < static_cast<std::size_t>(npts) && error_count() == 0; ++i) {
        p.angles[i] = in.read_float();
        p.coefficients[i] = in.read_float();
    }
    if (error_count() != 0) return p;
    if (!points_valid(p)) {
        report_error(ERROR, {"Invalid angles, wind profile ", std::to_string(expected),
                             ": they must rise from 0 to 360 degrees"});
        return p;
    }
    complete_profile(p);
    return p;
}

}  // namespace

void write_wind_profiles_section(TextWriter& out, NamedList<WindProfile>& profiles)
{
    profiles.renumber();
    out.printf("%d ! wind pressure profiles:\n", profiles.count());
    for (const WindProfile& p : profiles) {
        out.printf("%d %d %d %s\n%s\n", p.nr, p.npts, p.type, p.name.c_str(), description_to_line(p.desc).c_str());
        for (std::size_t i = 0; i < static_cast<std::size_t>(p.npts) && i < p.angles.size(); ++i)
            out.printf(" %5.1f %6.3f\n", static_cast<double>(p.angles[i]), static_cast<double>(p.coefficients[i]));
    }
    out.printf("%d\n", kSectionEnd);
}

int read_wind_profiles_section(DataReader& in, NamedList<WindProfile>& profiles)
{
    const std::int32_t count = in.read_int();
    if (error_count() == 0 && count < 0)
        report_error(ERROR, {"Invalid record count ", std::to_string(count), " for wind pressure profiles"});
    for (std::int32_t i = 1; i <= count && error_count() == 0; ++i) {
        WindProfile p = read_profile(in, i);
        if (error_count() != 0) break;
        profiles.insert_copy(p);
    }
    if (error_count() == 0) read_section_end(in);
    return error_count() != 0 ? 1 : 0;
}

}  // namespace avelor
