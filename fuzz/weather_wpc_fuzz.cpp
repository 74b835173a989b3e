// The weather file and WPC file readers on arbitrary bytes. The first byte
// picks the reader (and the WPC level); the rest is the file. A file that
// reads must give what its readers promise: records in order within its
// days, conditions that are numbers, pressures one per location.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "model/run_control.h"
#include "outdoor/weather_file.h"
#include "outdoor/wpc_file.h"

using namespace avelor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    fuzz::install_quiet_port();
    const std::uint8_t choice = data[0];
    const std::string path = fuzz::write_input("input.dat", data + 1, size - 1);
    fuzz::without_fatal([&] {
        reset_error_count();
        if (choice % 2 == 0) {
            WeatherFile file;
            if (!file.read(path)) {
                if (!file.records().empty() || file.error().empty()) std::abort();
                return;
            }
            const auto& records = file.records();
            if (records.empty() || file.days().empty()) std::abort();
            for (const WeatherRecord& r : records)
                if (!file.covers(r.day) || r.time < 0 || r.time > 86400 || !(r.Ta > 0) || !(r.Pb > 0) || r.Ws < 0)
                    std::abort();
            for (int day = 1; day <= 365; day += 17)
                for (int time : {0, 43210, 86400}) {
                    const OutdoorConditions c = file.at(day, time);
                    if (!std::isfinite(c.Ta) || !std::isfinite(c.Wd) || c.Wd < 0 || c.Wd >= 360 || c.day_type < 1 ||
                        c.day_type > 12)
                        std::abort();
                }
            if (!std::isfinite(file.max_dynamic_pressure())) std::abort();
        } else {
            RunControl settings;
            WpcData wpc;
            const int level = 1 + (choice >> 1) % 3;
            const int result = read_wpc_file(settings, path, level, wpc);
            if (result < -1 || result > 1) std::abort();
            if (wpc.location_list.size() > static_cast<std::size_t>(wpc.locations)) std::abort();
            for (const WpcRecord& r : wpc.records)
                if (!r.pressures.empty() && r.pressures.size() != static_cast<std::size_t>(wpc.locations)) std::abort();
            PathLocationList list;
            list.entries = {{1, 2, 3, 0, 0, 1}};
            count_unmatched_locations(list, wpc);
        }
    });
    return 0;
}
