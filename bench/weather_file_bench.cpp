// Reading a whole year of weather at 5-minute resolution (105,120 records),
// as a transient run or the wind pressure display does; and one
// interpolation per step of an hourly one-year run.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/text_convert.h"
#include "outdoor/weather_file.h"

namespace {

std::string year_file()
{
    const std::string path = (std::filesystem::temp_directory_path() / "avelor_bench_year.wth").string();
    std::ofstream out(path, std::ios::binary);
    out << "WeatherFile AvelorW 2.0\nA year at five minutes\n1/1 12/31\n";
    for (int day = 1; day <= 365; ++day)
        out << avelor::month_day_text(day) << " " << (day % 7) + 1 << " 0 0 283.15\n";
    char line[160];
    for (int day = 1; day <= 365; ++day)
        for (int t = 0; t < 86400 || (day == 365 && t == 86400); t += 300) {
            const double h = t / 3600.0;
            std::snprintf(line, sizeof line, "%s %s %.2f %.1f %.2f %.1f 0 0 0 0 0 0\n",
                          avelor::month_day_text(day).c_str(), avelor::time_text(t).c_str(),
                          283.15 + 8 * std::cos(6.283 * (h - 15) / 24), 101325.0, 4 + std::sin(h), 270.0);
            out << line;
            if (day == 365 && t == 86100) t = 86100;  // the last record, 24:00:00, follows
        }
    return path;
}

void BM_ReadYearAtFiveMinutes(benchmark::State& state)
{
    const std::string path = year_file();
    for (auto _ : state) {
        avelor::WeatherFile file;
        if (!file.read(path)) state.SkipWithError(file.error().c_str());
        benchmark::DoNotOptimize(file.records().size());
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_ReadYearAtFiveMinutes)->Unit(benchmark::kMillisecond);

void BM_HourlyConditionsThroughTheYear(benchmark::State& state)
{
    const std::string path = year_file();
    avelor::WeatherFile file;
    file.read(path);
    std::remove(path.c_str());
    for (auto _ : state) {
        double sum = 0;
        for (int day = 1; day <= 365; ++day)
            for (int t = 0; t < 86400; t += 3600) sum += file.at(day, t).Ta;
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_HourlyConditionsThroughTheYear)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
