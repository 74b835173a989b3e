// Continuous and discrete values files: the data files whose named columns
// control nodes and the schedule pages' CVF/DVF controls read. The editor
// reads only their header: the description, the days they cover and the
// names of their values.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace avelor {

enum class ValuesFileKind { Continuous, Discrete };

struct ValuesFileHeader {
    std::string description;
    int first_day = 0, last_day = 0;  // 1..365
    std::vector<std::string> names;   // at most 15 characters each
};

// Reads the header of a values file into values (cleared first): the type
// line ("ContinuousValuesFile" or "DiscreteValuesFile", "AvelorW", "2.1"),
// the description line, the first and last day (m/d), the count of named
// values (at least 1) and, in mode 2 and above, the names (the first field
// of each following line). A path "null" or empty reads nothing and
// succeeds. On failure the reasons are told ("Bad CVF: <path>" and
// "Invalid header data: <line>" for a wrong type line, "File must have at
// least one named value"), values are cleared and false is returned; the
// caller keeps the file's name, so that a file that cannot be read today
// is not silently forgotten by the project.
bool load_values_file(const std::string& path, ValuesFileKind kind, ValuesFileHeader& values, int mode);

}  // namespace avelor
