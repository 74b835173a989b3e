// The wind pressures of the wind pressure display: on every flow path and
// duct terminal that takes wind, at the outdoor conditions of the wind
// pressure test weather (User Set) or of a weather file's record.
#pragma once

#include <vector>

namespace avelor {

class Project;
struct FlowPath;
struct Junction;
struct WpcData;

// The pressure of the wind on a path at dynamic pressure q and wind
// direction Wd: none for a path that takes no wind (flag 0x01) or takes it
// only from a WPC file; its constant wind pressure without a wind profile;
// otherwise wPmod q Cp(Wd - wall azimuth). A terminal in the wind likewise,
// with its own modifier, azimuth and profile.
double path_wind_pressure(const FlowPath& path, double q, double Wd);
double terminal_wind_pressure(const Junction& junction, double q, double Wd);

// Each path's and junction's wind pressure, by number (index nr - 1), and
// the display scale.
struct WindPressures {
    std::vector<double> paths;
    std::vector<double> terminals;
    double scale = 0.001;
    // WPC type: the items the file does not place (highlighted).
    std::vector<char> path_marked;
    std::vector<char> terminal_marked;
};

// At the wind pressure test weather: the pressures, each written to the run
// log after "Computing wind pressures for %g [m/s], %g deg:"; the scale
// the largest magnitude, from 1 % of q, at least 0.001.
WindPressures user_set_wind_pressures(const Project& project);
// At a weather record (Ta, Pb, Ws, Wd): the pressures, logged, and the
// scale the largest magnitude any of them could reach at the dynamic
// pressure max_q (the largest of the file), at least 0.001.
WindPressures weather_wind_pressures(const Project& project, double Ta, double Pb, double Ws, double Wd,
                                     double max_q);
// The same in two parts, for a display that steps through the records: the
// scale once for the file (it scans every profile round the compass), then
// the pressures of each record with it.
double weather_wind_scale(const Project& project, double max_q);
WindPressures weather_record_wind_pressures(const Project& project, double Ta, double Pb, double Ws, double Wd,
                                            double scale);

// At a WPC file's record: each path that takes wind or WPC data, and each
// terminal in the open, takes the record's pressure at its location (the
// path location list's rule); one the file does not hold is marked, and so
// is one at 0,0 when the file gave no locations. The scale is the file's
// largest pressure.
WindPressures wpc_wind_pressures(const Project& project, const WpcData& data, std::size_t record);

}  // namespace avelor
