// Program version identity: the release table used by the run log and by
// every file header to name and compare file versions.
#pragma once

#include <array>
#include <string_view>

namespace avelor {

inline constexpr std::array<std::string_view, 9> kVersionTable = {
    "1.0", "2.0", "2.1", "2.2", "2.3", "2.4", "3.0", "3.1", "3.2"};
inline constexpr int kCurrentVersionIndex = 8;
inline constexpr char kRevisionChar = ' ';

inline constexpr std::string_view current_version_text() { return kVersionTable[kCurrentVersionIndex]; }

// Index of a version text in the table, or -1.
int version_index(std::string_view text);

}  // namespace avelor
