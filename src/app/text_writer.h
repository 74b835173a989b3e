// Text written for a file is built in memory first: the writer that puts a
// file in place writes it whole or not at all, so a failure half-way never
// damages a file that was already there.
#pragma once

#include <string>
#include <string_view>

namespace avelor {

class TextWriter {
public:
    // Appends printf-formatted text (C locale numbers on this system).
    void printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void write(std::string_view text) { text_.append(text); }
    const std::string& text() const { return text_; }
    std::string take() { return std::move(text_); }
    void clear() { text_.clear(); }

private:
    std::string text_;
};

}  // namespace avelor
