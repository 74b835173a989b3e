#include "app/data_fields.h"

#include <charconv>
#include <cmath>

namespace avelor {

namespace {

bool separates(char c) { return c == ' ' || c == '\t' || c == ',' || c == '\r'; }

}  // namespace

void split_data_fields(std::string_view line, std::vector<std::string_view>& out)
{
    out.clear();
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == '!') break;
        if (separates(c)) {
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < line.size() && !separates(line[i]) && line[i] != '!') ++i;
        out.push_back(line.substr(start, i - start));
    }
}

std::vector<std::string_view> data_fields(std::string_view line)
{
    std::vector<std::string_view> out;
    split_data_fields(line, out);
    return out;
}

std::optional<double> finite_number(std::string_view text)
{
    double v = 0;
    const char* first = text.data();
    if (!text.empty() && text.front() == '+') ++first;
    const auto [end, ec] = std::from_chars(first, text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<long long> whole_number(std::string_view text)
{
    long long v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return v;
}

}  // namespace avelor
