// The run log: one text file in the user data folder, truncated at each
// start and kept open for the whole run. Anything may append to it; writes
// while it is closed are dropped.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace avelor {

class RunLog {
public:
    // Opens (truncates) the file; false when it cannot be created.
    bool open(const std::string& path);
    void close();
    bool is_open() const { return file_ != nullptr; }
    const std::string& path() const { return path_; }

    void write(std::string_view text);
    void printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void flush();

private:
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> file_;
    std::string path_;
};

// The program's one run log.
RunLog& run_log();

}  // namespace avelor
