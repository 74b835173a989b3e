#include "app/paths.h"

#include <filesystem>
#include <system_error>

#include "app/diagnostics.h"

namespace avelor {

namespace {

std::string cut_piece(std::string_view piece, std::size_t size, const char* overrun_message)
{
    // A size of 0 means the caller does not want this piece at all.
    if (size == 0) return {};
    if (piece.size() > size - 1) {
        log_message(ERROR, overrun_message);
        piece = piece.substr(0, size - 1);
    }
    return std::string(piece);
}

}  // namespace

PathParts PathSplit(std::string_view path, const PathSplitSizes& sizes)
{
    PathParts parts;
    if (path.size() >= 2 && path[1] == ':') {
        if (sizes.drive < 3)
            log_message(ERROR, "PathSplit: file drive overrun");
        else
            parts.drive = std::string(path.substr(0, 2));
        path.remove_prefix(2);
    }

    std::string_view directory;
    auto first_separator = path.find_first_of("\\/");
    if (first_separator != std::string_view::npos) {
        // The kind of separator met first decides where the directory ends.
        auto last = path.find_last_of(path[first_separator]);
        directory = path.substr(0, last + 1);
        path.remove_prefix(last + 1);
    }
    parts.directory = cut_piece(directory, sizes.directory, "PathSplit: file path overrun");

    auto dot = path.find_last_of('.');
    std::string_view name = dot == std::string_view::npos ? path : path.substr(0, dot);
    std::string_view extension = dot == std::string_view::npos ? std::string_view{} : path.substr(dot);
    parts.name = cut_piece(name, sizes.name, "PathSplit: file name overrun");
    parts.extension = cut_piece(extension, sizes.extension, "PathSplit: file extension overrun");
    return parts;
}

std::string make_path(std::string_view drive, std::string_view directory, std::string_view name,
                      std::string_view extension)
{
    std::string path(drive);
    if (!directory.empty()) {
        path.append(directory);
        if (directory.back() != '\\' && directory.back() != '/') path.push_back('/');
    }
    path.append(name);
    if (!extension.empty()) {
        if (extension.front() != '.') path.push_back('.');
        path.append(extension);
    }
    return path;
}

bool file_exists(const std::string& path)
{
    if (path.empty()) return false;
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::path(path), ec);
}

std::string input_file_location(const std::string& name, const std::string& project_path)
{
    const std::filesystem::path given(name);
    if (name.empty() || !given.is_relative() || project_path.empty() || file_exists(name)) return name;
    return (std::filesystem::path(project_path).parent_path() / given).string();
}

}  // namespace avelor
