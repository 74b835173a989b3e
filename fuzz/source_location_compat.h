// Force-included into the fuzz build: clang 14 lacks the builtin that the
// standard library's std::source_location needs, so the header leaves it
// out. This stands in for it with the builtins clang 14 does have; a
// compiler whose library has it never uses this.
#pragma once

#include <version>

#if !defined(__cpp_lib_source_location)
namespace std {
struct source_location {
    static constexpr source_location current(const char* file = __builtin_FILE(), int line = __builtin_LINE(),
                                             const char* function = __builtin_FUNCTION()) noexcept
    {
        source_location l;
        l.file_ = file;
        l.line_ = line;
        l.function_ = function;
        return l;
    }
    constexpr const char* file_name() const noexcept { return file_; }
    constexpr const char* function_name() const noexcept { return function_; }
    constexpr unsigned line() const noexcept { return static_cast<unsigned>(line_); }
    constexpr unsigned column() const noexcept { return 0; }

private:
    const char* file_ = "";
    const char* function_ = "";
    int line_ = 0;
};
}  // namespace std
#endif
