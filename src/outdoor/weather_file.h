// A weather file: the outdoor conditions of a span of days, as a time
// series that transient airflow simulations follow and the wind pressure
// display steps through.
//
//   WeatherFile AvelorW 2.0          the header: the three words
//   a description line               (the next line that is not a comment)
//   m/d m/d                          the first and last day of the file
//   m/d dt dst r Tg                  one daily record per day, first to last:
//                                    the date, the day type (1..12), the
//                                    daylight saving flag, a reserved
//                                    integer and the ground temperature (K)
//   m/d hh:mm:ss Ta Pb Ws Wd x x x x x x
//                                    time records, in order, up to and
//                                    including the last day at 24:00:00:
//                                    ambient temperature (K), barometric
//                                    pressure (Pa), wind speed (m/s), wind
//                                    direction (degrees from north, the
//                                    direction the wind comes from) and six
//                                    further values read past
//
// "!" starts a comment that runs to the end of its line. A file whose last
// day comes before its first runs across the end of the year (Dec01 to
// Jan31). Instants are counted from the first day's midnight; a record may
// repeat the instant of the one before (a step change), never go back.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace avelor {

struct WeatherRecord {
    int day = 1;    // 1..365
    int time = 0;   // seconds of the day, 0..86400
    double Ta = 0;  // K
    double Pb = 0;  // Pa
    double Ws = 0;  // m/s
    double Wd = 0;  // degrees
    std::array<double, 6> more{};
};

struct WeatherDay {
    int day = 1;
    std::int16_t day_type = 1;  // 1..12
    std::int16_t daylight_saving = 0;
    std::int32_t reserved = 0;
    double ground_temperature = 0;
};

// The outdoor conditions at an instant.
struct OutdoorConditions {
    double Ta = 0, Pb = 0, Ws = 0, Wd = 0;
    int day_type = 1;
};

class WeatherFile {
public:
    // Reads the whole file. False when it cannot be opened, its header is
    // not a weather file's, or a line is damaged; error() then says what
    // and where (the file and line), and the file holds nothing.
    bool read(const std::string& path);
    const std::string& error() const { return error_; }

    const std::string& path() const { return path_; }
    const std::string& description() const { return description_; }
    int first_day() const { return first_day_; }
    int last_day() const { return last_day_; }
    const std::vector<WeatherDay>& days() const { return days_; }
    const std::vector<WeatherRecord>& records() const { return records_; }
    bool empty() const { return records_.empty(); }

    // Whether the day lies in the file's span (which may run over the
    // year's end).
    bool covers(int day) const;
    // The day type of a day of the span; the first day's outside it.
    int day_type(int day) const;
    // 1/2 rho U^2 with rho from the highest pressure and the lowest
    // temperature and U the highest wind speed of the file.
    double max_dynamic_pressure() const;

    // The conditions at day and time: temperature, pressure and wind speed
    // interpolated linearly between the records around the instant, the
    // wind direction from the interpolated wind vector, the day type the
    // day's. Before the first record the first record's, after the last
    // the last's.
    OutdoorConditions at(int day, int time) const;

private:
    long long elapsed(int day, int time) const;

    std::string path_;
    std::string error_;
    std::string description_;
    int first_day_ = 1;
    int last_day_ = 1;
    std::vector<WeatherDay> days_;
    std::vector<WeatherRecord> records_;
    std::vector<long long> instants_;  // of the records, from the first day's midnight
};

}  // namespace avelor
