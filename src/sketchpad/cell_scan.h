// Helpers shared by the SketchPad's passes over whole layers (not part of
// the module's interface). Most cells of a drawing are empty; the passes
// skip them eight at a time.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace avelor::sketch_scan {

// The first column c in [from, to) whose byte in row is not 0, or to.
inline int next_nonzero(const std::uint8_t* row, int from, int to)
{
    int c = from;
    for (; c + 8 <= to; c += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, row + c, sizeof word);
        if (word == 0) continue;
        if constexpr (std::endian::native == std::endian::little) return c + std::countr_zero(word) / 8;
        break;
    }
    for (; c < to; ++c)
        if (row[c] != 0) return c;
    return to;
}

// The same over several layers at once: the first column where any of them
// holds a non-zero byte.
inline int next_nonzero_any(const std::uint8_t* const* rows, int count, int from, int to)
{
    int c = from;
    for (; c + 8 <= to; c += 8) {
        std::uint64_t any = 0;
        for (int k = 0; k < count; ++k) {
            std::uint64_t word = 0;
            std::memcpy(&word, rows[k] + c, sizeof word);
            any |= word;
        }
        if (any == 0) continue;
        if constexpr (std::endian::native == std::endian::little) return c + std::countr_zero(any) / 8;
        break;
    }
    for (; c < to; ++c)
        for (int k = 0; k < count; ++k)
            if (rows[k][c] != 0) return c;
    return to;
}

// Notices when a walk that is a function of its state comes back to a
// state it has been in. It keeps one state and replaces it whenever the
// step count since the last replacement reaches a doubling limit (Brent's
// method), so a cycle shows within about twice its length plus the way
// into it, in constant memory.
class RepeatWatch {
public:
    bool seen(std::uint64_t state)
    {
        if (state == saved_) return true;
        if (++steps_ == limit_) {
            saved_ = state;
            limit_ *= 2;
            steps_ = 0;
        }
        return false;
    }

private:
    std::uint64_t saved_ = ~std::uint64_t{0};
    std::uint64_t steps_ = 0;
    std::uint64_t limit_ = 1;
};

}  // namespace avelor::sketch_scan
