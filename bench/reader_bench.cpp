// Typed reads through a large data file: the speed at which every project,
// library and weather file is read.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

#include "app/data_reader.h"
#include "app/diagnostics.h"
#include "app/text_convert.h"

namespace {

// Lines of an integer, a float, a time and a short word, separated by blanks
// and commas, with a comment now and then after the data or on a line of
// its own; "*" ends the data.
class BenchFile {
public:
    static constexpr std::size_t kTargetBytes = 50u << 20;

    BenchFile()
        : path_((std::filesystem::temp_directory_path() / "avelor_reader_bench.txt").string())
    {
        std::mt19937 random(12345);
        std::uniform_int_distribution<std::int32_t> ints(-100000, 100000);
        std::uniform_real_distribution<double> floats(-1000.0, 1000.0);
        std::uniform_int_distribution<std::int32_t> seconds(0, avelor::kSecondsInDay);
        std::uniform_int_distribution<int> pick(0, 15);
        static const char* const words[] = {"zone", "path", "AHS", "sched_1", "wind", "none"};

        std::string text;
        text.reserve(kTargetBytes + 256);
        while (text.size() < kTargetBytes) {
            const int p = pick(random);
            if (p == 0) {
                text += "! a comment line between the records\n";
                continue;
            }
            text += avelor::int_text(ints(random));
            text += p % 2 ? ", " : "  ";
            text += avelor::float_text(floats(random), 0);
            text += p % 3 ? " " : "\t";
            text += avelor::time_text(seconds(random));
            text += ' ';
            text += words[p % 6];
            text += p == 1 ? " ! trailing note\n" : "\n";
            ++lines_;
        }
        text += "* end of data\n";
        std::ofstream(path_, std::ios::binary) << text;
        bytes_ = static_cast<std::int64_t>(text.size());
    }
    ~BenchFile()
    {
        std::error_code ec;
        std::filesystem::remove(path_, ec);
    }
    BenchFile(const BenchFile&) = delete;
    BenchFile& operator=(const BenchFile&) = delete;

    const std::string& path() const { return path_; }
    std::int64_t bytes() const { return bytes_; }
    std::int64_t lines() const { return lines_; }

private:
    std::string path_;
    std::int64_t bytes_ = 0;
    std::int64_t lines_ = 0;
};

const BenchFile& bench_file()
{
    static const BenchFile file;
    return file;
}

void BM_TypedReads(benchmark::State& state)
{
    const BenchFile& file = bench_file();
    const bool stream = state.range(0) != 0;
    avelor::reset_error_count();
    for (auto _ : state) {
        avelor::DataReader reader;
        reader.force_stream(stream);
        if (reader.open(file.path(), 0) != 0) {
            state.SkipWithError("cannot open the benchmark file");
            return;
        }
        std::int64_t sum = 0;
        double total = 0;
        for (std::int64_t line = 0; line < file.lines(); ++line) {
            sum += reader.read_int();
            total += reader.read_float();
            sum += reader.read_time();
            auto word = reader.read_field();
            sum += static_cast<std::int64_t>(word ? word->size() : 0);
        }
        // The "*" line ends the data.
        if (reader.read_field()) state.SkipWithError("data did not end where written");
        benchmark::DoNotOptimize(sum);
        benchmark::DoNotOptimize(total);
    }
    if (avelor::error_count() != 0) state.SkipWithError("typed reads reported errors");
    state.SetBytesProcessed(state.iterations() * file.bytes());
}
BENCHMARK(BM_TypedReads)->Arg(0)->Arg(1)->ArgName("stream")->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
