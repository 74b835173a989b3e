// The data-file reader on arbitrary bytes. The first byte picks the chunk
// size and whole or stream reading, the next eight a program of typed reads
// repeated until the data ends; the rest is the file.
#include <array>
#include <cstddef>
#include <cstdint>

#include "app/data_reader.h"
#include "fuzz_support.h"

using namespace avelor;

namespace {

constexpr std::size_t kProgramSize = 8;
constexpr int kMaxReads = 600;
// Reads in a row that leave the position where it was: the data has ended
// (or the program only seeks and tells).
constexpr int kMaxIdle = 16;

// One read of the program; false once the data has ended.
bool run_read(DataReader& in, std::uint8_t op)
{
    const auto kind = static_cast<FieldKind>((op >> 4) % 5);
    switch (op % 16) {
    case 0: return in.read_field(kind).has_value();
    case 1: return in.read_field(kind, 1 + op % 7).has_value();
    case 2: return in.read_line(2 + op % 40).has_value();
    case 3: in.read_int(kind); break;
    case 4: in.read_long(kind); break;
    case 5: in.read_short(kind); break;
    case 6: in.read_ushort(kind); break;
    case 7: in.read_byte(kind); break;
    case 8: in.read_float(kind); break;
    case 9: in.read_number(kind); break;
    case 10: in.read_time(kind); break;
    case 11: in.read_day(kind); break;
    case 12: in.read_month_day(kind); break;
    case 13: in.seek(static_cast<std::int64_t>(op >> 4) - 8, (op >> 4) % 3); break;
    case 14: in.tell(); break;
    default: in.set_echo((op & 0x10) != 0); return in.read_field().has_value();
    }
    return in.is_open();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::install_quiet_port();
    if (size < 1 + kProgramSize) return 0;
    const std::uint8_t setup = data[0];
    std::array<std::uint8_t, kProgramSize> program{};
    for (std::size_t i = 0; i < kProgramSize; ++i) program[i] = data[1 + i];
    const std::string path = fuzz::write_input("data.txt", data + 1 + kProgramSize, size - 1 - kProgramSize);

    fuzz::without_fatal([&] {
        reset_error_count();
        static constexpr std::size_t kChunks[] = {1, 2, 3, 7, 16, 255, 256, DataReader::kDefaultStreamChunk};
        DataReader in(kChunks[setup % 8]);
        in.force_stream((setup & 0x08) != 0);
        if (in.open(path, 1) != 0) return;
        int reads = 0;
        int idle = 0;
        std::int64_t at = in.tell();
        while (reads < kMaxReads && idle < kMaxIdle) {
            const bool more = run_read(in, program[static_cast<std::size_t>(reads) % kProgramSize]);
            const std::int64_t now = in.tell();
            idle = more && now != at ? 0 : idle + 1;
            at = now;
            ++reads;
            if (!in.is_open()) break;
        }
        if ((setup & 0x10) && in.is_open()) {
            in.rewind();
            while (in.read_field(FieldKind::NextLine) && ++reads < 2 * kMaxReads) {
            }
        }
        in.close();
    });
    return 0;
}
