#include "app/text_writer.h"

#include <cstdarg>
#include <cstdio>

namespace avelor {

namespace {

// Most lines fit this; longer ones are formatted a second time at full size.
constexpr std::size_t kLineGuess = 256;

}  // namespace

void TextWriter::printf(const char* format, ...)
{
    const std::size_t old_size = text_.size();
    if (text_.capacity() < old_size + kLineGuess + 1) text_.reserve(2 * (old_size + kLineGuess + 1));
    text_.resize(old_size + kLineGuess);

    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    // The string keeps a terminator after its last character, so there is
    // room for kLineGuess characters and the terminator.
    int needed = std::vsnprintf(text_.data() + old_size, kLineGuess + 1, format, args);
    va_end(args);
    if (needed < 0) needed = 0;
    const auto length = static_cast<std::size_t>(needed);
    if (length > kLineGuess) {
        text_.resize(old_size + length);
        std::vsnprintf(text_.data() + old_size, length + 1, format, again);
    }
    va_end(again);
    text_.resize(old_size + length);
}

}  // namespace avelor
