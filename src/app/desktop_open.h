// Opening a file with the program the desktop associates with its type, as
// "Open Project Input Files" and "Open Project Result Files" do: xdg-open
// started from an argument vector (never through a shell), its failures
// reported with the message of the nearest system result.
#pragma once

#include <string>
#include <string_view>

namespace avelor {

// The system results the messages are known by.
enum class OpenResult : int {
    Started = -1,  // the opener took the file
    OutOfResources = 0,
    FileNotFound = 2,
    PathNotFound = 3,
    AccessDenied = 5,
    OutOfMemory = 8,
    BadExecutable = 11,
    SharingViolation = 26,
    AssociationIncomplete = 27,
    DdeTimeout = 28,
    DdeFailure = 29,
    DdeBusy = 30,
    NoAssociation = 31,
    LibraryNotFound = 32,
    Other = 99,  // a failure that shows nothing
};

// The message a result shows; empty for Started, NoAssociation and Other.
std::string_view open_result_message(OpenResult result);

// The result a refused start stands for, by the system's error number:
// no opener program (ENOENT) is an incomplete association, EACCES and
// EPERM access denied, ENOEXEC a bad executable, ENOMEM out of memory,
// EAGAIN out of resources, ETXTBSY a sharing violation.
OpenResult open_result_for_errno(int error);

// The result an ended opener stands for, by its exit code: 0 started, 2 (a
// file that does not exist) file not found, 3 (no tool to open it with)
// and 4 (the opening failed) an incomplete association, 1 (a bad command
// line) and anything else a silent failure.
OpenResult open_result_for_exit(int code);

// Opens path with the opener ("xdg-open", looked for on PATH): a missing
// file or folder is refused before anything is started; an opener that has
// not ended within a few seconds counts as started. A failure with a
// message is reported at severity 2. The result either way.
OpenResult open_with_desktop(const std::string& path, const std::string& opener = "xdg-open");

}  // namespace avelor
