#include "ui/text_1252.h"

#include <array>

namespace avelor::ui {

namespace {

// Bytes 0x80..0x9F; the five bytes that Windows-1252 leaves undefined map to
// the C1 control of the same value, as the platform's own converter does.
constexpr std::array<char16_t, 32> kHighTable = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

QString from_1252(std::string_view text)
{
    QString out;
    out.reserve(static_cast<qsizetype>(text.size()));
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        char16_t unit = byte >= 0x80 && byte <= 0x9F ? kHighTable[byte - 0x80] : char16_t(byte);
        out.append(QChar(unit));
    }
    return out;
}

std::string to_1252(const QString& text)
{
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (QChar ch : text) {
        char16_t unit = ch.unicode();
        if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
            out.push_back(static_cast<char>(unit));
            continue;
        }
        char byte = '?';
        for (std::size_t i = 0; i < kHighTable.size(); ++i) {
            if (kHighTable[i] == unit) {
                byte = static_cast<char>(0x80 + i);
                break;
            }
        }
        out.push_back(byte);
    }
    return out;
}

}  // namespace avelor::ui
