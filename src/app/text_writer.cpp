#include "app/text_writer.h"

#include <cstdarg>
#include <cstdio>

namespace avelor {

void TextWriter::printf(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int needed = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    if (needed > 0) {
        std::size_t old_size = text_.size();
        text_.resize(old_size + static_cast<std::size_t>(needed) + 1);
        std::vsnprintf(text_.data() + old_size, static_cast<std::size_t>(needed) + 1, format, again);
        text_.resize(old_size + static_cast<std::size_t>(needed));
    }
    va_end(again);
}

}  // namespace avelor
