// Splitting and joining file paths. Both "\" and "/" are accepted as
// separators so that paths written on any system can be taken apart.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace avelor {

struct PathParts {
    std::string drive;      // "C:" or empty
    std::string directory;  // up to and including the last separator
    std::string name;       // without the extension
    std::string extension;  // from the last "." on, or empty
};

// Room for each part, counted as a field size: a size of n holds at most
// n - 1 characters, and 0 means the part is not wanted. Longer pieces are
// cut, with a note in the run log only. Directories get Linux-sized room.
struct PathSplitSizes {
    std::size_t drive = 3;
    std::size_t directory = 4096;
    std::size_t name = 256;
    std::size_t extension = 256;
};

PathParts PathSplit(std::string_view path, const PathSplitSizes& sizes = {});

// Joins the pieces; a directory without a closing separator gets "/", an
// extension without its "." gets one. Empty pieces are skipped.
std::string make_path(std::string_view drive, std::string_view directory, std::string_view name,
                      std::string_view extension);

// True when an entry of that name exists (files and folders alike).
bool file_exists(const std::string& path);

// Where an input file a project names is: the name itself, or, for a
// relative name not found where the program runs, the same name beside the
// project file (project_path empty: the name itself).
std::string input_file_location(const std::string& name, const std::string& project_path);

}  // namespace avelor
