// What every fuzz target shares: a port that shows nothing, a fatal handler
// that turns a fatal report into a finding, and the input written to a file
// of the process's own (the readers take paths).
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "app/diagnostics.h"

namespace avelor::fuzz {

class QuietPort final : public UserPort {
public:
    void show_box(std::string_view, BoxIcon, std::string_view) override {}
    Answer ask(std::string_view, bool with_cancel) override { return with_cancel ? Answer::Cancel : Answer::No; }
};

// Installs the quiet port and the throwing fatal handler, once.
inline void install_quiet_port()
{
    static QuietPort port;
    static const bool installed = [] {
        set_user_port(&port);
        set_fatal_handler(throw_fatal_stop);
        return true;
    }();
    (void)installed;
}

// A folder of this process's own, in memory where the system has one.
inline const std::filesystem::path& scratch_folder()
{
    static const std::filesystem::path folder = [] {
        std::error_code ec;
        std::filesystem::path base = "/dev/shm";
        if (!std::filesystem::is_directory(base, ec)) base = std::filesystem::temp_directory_path(ec);
        std::filesystem::path f = base / ("avelor-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(f, ec);
        return f;
    }();
    return folder;
}

// Writes the bytes to NAME in the scratch folder and answers its path.
inline std::string write_input(const std::string& name, const std::uint8_t* data, std::size_t size)
{
    const std::string path = (scratch_folder() / name).string();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
    if (std::fclose(f) != 0) std::abort();
    return path;
}

// Runs the reading work: a fatal report reached from a file's bytes is a
// finding (no file may end the program), so it aborts with its text.
template <class Work>
void without_fatal(Work&& work)
{
    try {
        work();
    } catch (const FatalStop& stop) {
        std::fprintf(stderr, "A file's bytes reached a fatal report:%s\n", stop.what());
        std::abort();
    }
}

}  // namespace avelor::fuzz
