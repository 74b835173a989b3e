// Library files: definitions kept outside any project for reuse (species,
// filter and source/sink elements, reactions, schedules, wind pressure
// profiles, airflow and duct elements, control super elements), in the
// project file's own section formats between a header and an end line.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/project.h"

namespace avelor {

enum class LibraryKind : int {
    Contaminant = 0,  // species, exposure limits, filter elements, reactions, source/sink elements
    Schedule = 1,     // day and week schedules
    WindProfile = 2,  // wind pressure profiles
    AirflowElement = 3,
    DuctElement = 4,
    Controls = 5,  // species, day schedules, control super elements
};
inline constexpr int kLibraryKindCount = 6;

// ".LB0" ... ".LB5" and the header word of each kind.
std::string_view library_extension(LibraryKind kind);
std::string_view library_header_word(LibraryKind kind);
// The kind whose extension a path has (in any case); nothing for another.
std::optional<LibraryKind> library_kind_of_path(std::string_view path);

// An exposure limit of a contaminant library: a species (by name), a name
// of at most 15 characters, a description and points of time (s of the
// day) and value.
struct ExposureLimit {
    std::int32_t nr = 0;
    std::string species;
    std::string name;
    std::string description;
    std::vector<std::pair<std::int32_t, float>> points;
    bool operator==(const ExposureLimit&) const = default;
};

// A library as it is open: its file, description and kind, and its
// definitions in lists of their own (a project of their own holds them, so
// nothing of the open project is shared).
struct Library {
    LibraryKind kind = LibraryKind::Schedule;
    std::string path;
    std::string description;
    bool changed = false;
    bool converted = false;  // read from an older version's layout
    std::unique_ptr<Project> lists = std::make_unique<Project>();
    std::vector<ExposureLimit> limits;  // in ascending order of name

    // Empties the lists, and forgets the file, for another library.
    void clear();
};

// The whole text of a library file.
std::string library_text(Library& library);

// Writes the library to path beside-and-rename, every write checked: an
// ERROR "Failed to open: " or "Failed to write library file: " with the
// path and false when it could not be written, the old file left as it
// was.
bool write_library(const std::string& path, Library& library);

// Reads a library of the given kind into library (emptied first). The
// header must name the kind and a readable version: the current one or
// 2.2, any but 1.0 for the schedule, wind profile, airflow and duct element
// kinds; contaminant and controls libraries of 3.0 and 3.1 are read in
// their layout (the species without the UV coefficient) and marked
// converted. Anything else is refused with its message; on any failure
// the library is left empty and false returned.
bool read_library(const std::string& path, LibraryKind kind, Library& library);

}  // namespace avelor
