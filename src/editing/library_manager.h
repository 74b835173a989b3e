// "AVELORW Data and Library Manager": one kind of definition in a library
// and in the project side by side, copied either way, deleted from either
// side, the library opened, started, saved. The dialog only shows it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "editing/library_copy.h"
#include "prjfile/library_file.h"

namespace avelor {

class Project;

// The library kind that holds a kind of definition.
LibraryKind library_kind_of(DefinitionKind kind);
// "Species", "Day Schedules", ...
std::string_view definition_kind_name(DefinitionKind kind);

inline constexpr std::string_view kSaveLibraryQuestion = "Save changed library data?";
inline constexpr std::string_view kDeleteDefinitionsQuestion = "Delete the selected element(s)?";

class LibraryManagerForm {
public:
    LibraryManagerForm(Project& project, DefinitionKind kind);

    std::string title() const;
    DefinitionKind kind() const { return kind_; }
    const Library& library() const { return library_; }
    // The library's file name, "(converted)" after it when it was, or
    // "(new library)".
    std::string library_caption() const;
    void set_description(std::string description);

    // The definitions of the kind on either side, in name order.
    std::vector<std::string> library_names() const;
    std::vector<std::string> project_names() const;

    // Browse...: the save question for a changed library, the file choice
    // of the kind's extension, then the read. True when a library was read.
    bool browse();
    // Reads the library at path (its extension must be the kind's: else
    // "Invalid library file extension: ").
    bool open(const std::string& path);
    // New: the save question, then an empty library.
    bool new_library();
    // Save (to the library's file, asking for one when it has none) and
    // Save As (always asking).
    bool save();
    bool save_as();

    // Copy -> (library to project) and <- Copy; the number copied.
    int copy_to_project(const std::vector<std::string>& names);
    int copy_to_library(const std::vector<std::string>& names);
    // Delete on either side after "Delete the selected element(s)?"; a
    // definition still in use is kept and the user told by whom.
    int delete_from_library(const std::vector<std::string>& names);
    int delete_from_project(const std::vector<std::string>& names);

    // Whether a copy or a deletion changed the project's definitions.
    bool project_changed() const { return project_changed_; }

    // Closing: a changed library asks "Save changed library data?" (Yes
    // saves, Cancel keeps the manager open). True when it may close.
    bool close();

private:
    // The save question before the library is replaced; false on Cancel or
    // a failed save.
    bool settle_changes();
    int delete_from(Project& lists, const std::vector<std::string>& names, bool project_side);

    Project& project_;
    DefinitionKind kind_;
    Library library_;
    bool project_changed_ = false;
};

}  // namespace avelor
