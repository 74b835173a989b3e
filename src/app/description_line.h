// Description lines in data files. The reader skips lines that begin with
// "!" as comments, and a line cannot hold a line break, so descriptions are
// written in a form that reads back exactly as written:
//  - line breaks become blanks when a description is stored;
//  - a description whose first non-blank character is "!" is written with
//    one extra leading blank, which the reader takes off again.
// Lines that older files hold read and write back unchanged.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace avelor {

// Descriptions hold at most this many characters, as typed.
inline constexpr std::size_t kDescriptionLimit = 70;

// What a description may hold: line breaks turned into blanks.
std::string clean_description(std::string_view text);

// A description as a dialog stores it: the first kDescriptionLimit
// characters typed, cleaned.
std::string typed_description(std::string_view text);

// The line to write for a stored description (without its line end).
std::string description_to_line(std::string_view description);

// The description stored for a line as read.
std::string description_from_line(std::string_view line);

}  // namespace avelor
