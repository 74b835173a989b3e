#include "app/desktop_open.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

#include "app/diagnostics.h"

extern char** environ;

namespace avelor {

namespace {

// Openers that outlived the wait, reaped when they end.
std::vector<pid_t>& pending_openers()
{
    static std::vector<pid_t> pids;
    return pids;
}

void reap_pending_openers()
{
    std::vector<pid_t>& pids = pending_openers();
    std::erase_if(pids, [](pid_t pid) {
        int status = 0;
        return ::waitpid(pid, &status, WNOHANG) != 0;
    });
}

// Desktop openers hand the file to its program and end at once; one that
// runs the program itself in the foreground is left to it after this.
constexpr auto kOpenerWait = std::chrono::seconds(3);

OpenResult wait_for_opener(pid_t pid)
{
    const auto until = std::chrono::steady_clock::now() + kOpenerWait;
    for (;;) {
        int status = 0;
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid) {
            if (WIFEXITED(status)) return open_result_for_exit(WEXITSTATUS(status));
            return OpenResult::Other;
        }
        if (r < 0 && errno != EINTR) return OpenResult::Other;
        if (std::chrono::steady_clock::now() >= until) {
            pending_openers().push_back(pid);
            return OpenResult::Started;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

}  // namespace

std::string_view open_result_message(OpenResult result)
{
    switch (result) {
    case OpenResult::OutOfResources: return "The operating system is out of memory or resources.";
    case OpenResult::FileNotFound: return "The specified file was not found.";
    case OpenResult::PathNotFound: return "The specified path was not found.";
    case OpenResult::AccessDenied: return "The operating system denied access to the specified file. ";
    case OpenResult::OutOfMemory: return "There was not enough memory to complete the operation.";
    case OpenResult::BadExecutable: return "The .exe file is invalid (non-Win32\xAE .exe or error in .exe image).";
    case OpenResult::SharingViolation: return "A sharing violation occurred.";
    case OpenResult::AssociationIncomplete: return "The file name association is incomplete or invalid.";
    case OpenResult::DdeTimeout:
        return "The DDE transaction could not be completed because the request timed out.";
    case OpenResult::DdeFailure: return "The DDE transaction failed.";
    case OpenResult::DdeBusy:
        return "The DDE transaction could not be completed because other DDE transactions were being processed.";
    case OpenResult::LibraryNotFound: return "The specified dynamic-link library was not found. ";
    case OpenResult::Started:
    case OpenResult::NoAssociation:
    case OpenResult::Other: break;
    }
    return {};
}

OpenResult open_result_for_errno(int error)
{
    switch (error) {
    case ENOENT: return OpenResult::AssociationIncomplete;
    case EACCES:
    case EPERM: return OpenResult::AccessDenied;
    case ENOEXEC: return OpenResult::BadExecutable;
    case ENOMEM: return OpenResult::OutOfMemory;
    case EAGAIN: return OpenResult::OutOfResources;
    case ETXTBSY: return OpenResult::SharingViolation;
    default: return OpenResult::Other;
    }
}

OpenResult open_result_for_exit(int code)
{
    switch (code) {
    case 0: return OpenResult::Started;
    case 2: return OpenResult::FileNotFound;
    case 3:
    case 4: return OpenResult::AssociationIncomplete;
    default: return OpenResult::Other;
    }
}

OpenResult open_with_desktop(const std::string& path, const std::string& opener)
{
    reap_pending_openers();
    OpenResult result = OpenResult::Started;
    std::error_code ec;
    const std::filesystem::path file(path);
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
    if (!std::filesystem::is_directory(folder, ec)) {
        result = OpenResult::PathNotFound;
    } else if (!std::filesystem::exists(file, ec)) {
        result = OpenResult::FileNotFound;
    } else {
        std::vector<std::string> words = {opener, path};
        std::vector<char*> argv;
        for (std::string& word : words) argv.push_back(word.data());
        argv.push_back(nullptr);
        // The opener inherits nothing of ours but the standard streams.
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addclosefrom_np(&actions, 3);
        pid_t pid = -1;
        const int rc = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        result = rc != 0 ? open_result_for_errno(rc) : wait_for_opener(pid);
    }
    const std::string_view message = open_result_message(result);
    if (!message.empty()) report_error(ERROR, {message});
    return result;
}

}  // namespace avelor
