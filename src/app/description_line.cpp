#include "app/description_line.h"

#include <algorithm>

namespace avelor {

namespace {

// True when the text is blanks (possibly none) followed by "!".
bool blanks_then_bang(std::string_view text)
{
    std::size_t i = text.find_first_not_of(' ');
    return i != std::string_view::npos && text[i] == '!';
}

}  // namespace

std::string clean_description(std::string_view text)
{
    std::string clean(text);
    for (char& c : clean)
        if (c == '\n' || c == '\r') c = ' ';
    return clean;
}

std::string typed_description(std::string_view text)
{
    return clean_description(text.substr(0, std::min(text.size(), kDescriptionLimit)));
}

std::string description_to_line(std::string_view description)
{
    std::string line = clean_description(description);
    if (blanks_then_bang(line)) line.insert(line.begin(), ' ');
    return line;
}

std::string description_from_line(std::string_view line)
{
    if (!line.empty() && line.front() == ' ' && blanks_then_bang(line)) line.remove_prefix(1);
    return std::string(line);
}

}  // namespace avelor
