// The fields of a line of a data file (weather, values and WPC files), and
// the numbers they hold.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace avelor {

// The fields of a line up to its comment ("!" starts one), separated by
// blanks, tabs, commas or a carriage return; out is emptied first (its
// storage kept).
void split_data_fields(std::string_view line, std::vector<std::string_view>& out);
std::vector<std::string_view> data_fields(std::string_view line);

// A decimal number (an optional sign, "+" too) that is finite; nothing for
// any other text.
std::optional<double> finite_number(std::string_view text);
// A whole number of the type's range; nothing for any other text.
std::optional<long long> whole_number(std::string_view text);

}  // namespace avelor
