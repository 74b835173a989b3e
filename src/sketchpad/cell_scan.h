// Helpers shared by the SketchPad's passes over whole layers (not part of
// the module's interface). Most cells of a drawing are empty; the passes
// skip them eight at a time.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

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

// The first column c in [from, to) whose byte in row is 0, or to.
inline int next_zero(const std::uint8_t* row, int from, int to)
{
    int c = from;
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
        constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
        for (; c + 8 <= to; c += 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, row + c, sizeof word);
            // The lowest flagged byte is the first zero byte exactly.
            const std::uint64_t zeros = (word - kOnes) & ~word & kHighs;
            if (zeros != 0) return c + std::countr_zero(zeros) / 8;
        }
    }
    for (; c < to; ++c)
        if (row[c] == 0) return c;
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

// The scan-line fill of one layer from a seed, with a stack of row
// segments: each entry is a run of row y already filled and the direction
// dy of the row still to explore. classify(value) says what a cell is: 1 to
// be filled, 0 a boundary (walls, the fill value itself), -1 foreign, which
// ends the fill with 1. fill(row, col, cell) gives a cell its fill value
// (after which classify must answer 0 for it). The stack grows as needed,
// so any region fills in one pass and every cell is filled once.
template <class T, class Classify, class Fill>
int scanline_fill(T* cells, int rows, int cols, int row, int col, std::vector<std::array<std::int32_t, 4>>& stack,
                  Classify&& classify, Fill&& fill)
{
    stack.clear();
    auto push = [&](int y, int l, int r, int dy) {
        if (y + dy >= 0 && y + dy < rows) stack.push_back({y, l, r, dy});
    };
    push(row, col, col, 1);
    push(row + 1, col, col, -1);
    int status = 0;
    while (!stack.empty() && status == 0) {
        const auto [y0, x1, x2, dy] = stack.back();
        stack.pop_back();
        const int y = y0 + dy;
        T* const line = cells + static_cast<std::size_t>(y) * static_cast<std::size_t>(cols);
        int x = x1;
        for (; x >= 0; --x) {
            const int k = classify(line[x]);
            if (k == 0) break;
            if (k < 0) {
                status = 1;
                break;
            }
            fill(y, x, line[x]);
        }
        int l = x + 1;
        bool scanning = x < x1;
        if (scanning) {
            if (l < x1) push(y, l, x1 - 1, -dy);
            x = x1 + 1;
        } else {
            x = x1;
        }
        for (;;) {
            if (scanning) {
                for (; x < cols && status == 0; ++x) {
                    const int k = classify(line[x]);
                    if (k == 0) break;
                    if (k < 0) {
                        status = 1;
                        break;
                    }
                    fill(y, x, line[x]);
                }
                push(y, l, x - 1, dy);
                if (x > x2 + 1) push(y, x2 + 1, x - 1, -dy);
            }
            for (++x; x <= x2 && classify(line[x]) != 1; ++x) {
            }
            if (x > x2) break;
            l = x;
            scanning = true;
        }
    }
    stack.clear();
    return status;
}

}  // namespace avelor::sketch_scan
