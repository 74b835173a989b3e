// Project text is single-byte Windows-1252; Qt works in Unicode. Text crosses
// between them only here.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace avelor::ui {

QString from_1252(std::string_view text);
// Characters with no Windows-1252 byte become "?".
std::string to_1252(const QString& text);

}  // namespace avelor::ui
