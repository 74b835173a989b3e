// The located problems a building check collects.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "model/records.h"

namespace avelor {

// Longest problem text kept; longer texts are cut.
inline constexpr std::size_t kProblemTextLimit = 255;

struct Problem {
    Level* level = nullptr;
    int row = 0;
    int col = 0;
    std::string text;
};

// The located problems of one check, newest first. An entry equal in level,
// cell and text to one already listed is not added again; the test is a
// hash look-up, so a long list costs nothing extra.
class ProblemList {
public:
    // False when an equal entry is already listed.
    bool add(Level* level, int row, int col, std::string_view text);
    void clear();
    bool empty() const { return entries_.empty(); }
    std::size_t size() const { return entries_.size(); }
    // Entry i in list order: 0 is the newest.
    const Problem& at(std::size_t i) const { return entries_[entries_.size() - 1 - i]; }
    // Every entry in list order.
    std::vector<Problem> in_order() const;

private:
    struct Key {
        const Level* level;
        int row;
        int col;
        std::string text;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& k) const;
    };
    std::vector<Problem> entries_;  // oldest first
    std::unordered_set<Key, KeyHash> seen_;
};

}  // namespace avelor
