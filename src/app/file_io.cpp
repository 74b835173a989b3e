#include "app/file_io.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

namespace avelor {

namespace fs = std::filesystem;

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const
    {
        if (f) std::fclose(f);
    }
};

}  // namespace

bool write_file_atomically(const std::string& path, const std::string& text)
{
    const fs::path target(path);
    fs::path temp = target;
    temp += ".saving";
    std::error_code ec;
    {
        std::unique_ptr<std::FILE, FileCloser> file(std::fopen(temp.c_str(), "wb"));
        if (!file) return false;
        bool ok = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
        ok = std::fflush(file.get()) == 0 && ok;
        std::FILE* raw = file.release();
        ok = std::fclose(raw) == 0 && ok;
        if (!ok) {
            fs::remove(temp, ec);
            return false;
        }
    }
    fs::rename(temp, target, ec);
    if (ec) {
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

bool file_copy(const std::string& from, const std::string& to)
{
    std::error_code ec;
    fs::copy_file(fs::path(from), fs::path(to), fs::copy_options::overwrite_existing, ec);
    return !ec;
}

long long free_disk_bytes(const std::string& path)
{
    std::error_code ec;
    std::filesystem::path p(path);
    std::filesystem::path dir = p.has_parent_path() ? p.parent_path() : std::filesystem::path(".");
    const std::filesystem::space_info info = std::filesystem::space(dir, ec);
    if (ec) return -1;
    return static_cast<long long>(info.available);
}

}  // namespace avelor
