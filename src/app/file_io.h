// Whole-file writes that never leave a damaged file behind.
#pragma once

#include <string>

namespace avelor {

// Writes the text to a temporary file beside the target, checks every write
// and the close, then puts it in place with one rename. On any failure the
// target is left as it was and the temporary file is removed. The text is
// written byte for byte.
bool write_file_atomically(const std::string& path, const std::string& text);

// Copies a file over another (replacing it); false on any failure.
bool file_copy(const std::string& from, const std::string& to);

// Free bytes on the file system that would hold a file, or -1 when unknown.
long long free_disk_bytes(const std::string& path);

}  // namespace avelor
