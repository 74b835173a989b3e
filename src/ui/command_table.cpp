#include "ui/command_table.h"

namespace avelor::ui {

QString table_text(std::string_view text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QList<QKeySequence> command_keys(const CommandEntry& entry)
{
    QList<QKeySequence> keys;
    for (std::string_view text : {entry.keys, entry.desktop_keys})
        if (!text.empty()) keys.append(QKeySequence(table_text(text), QKeySequence::PortableText));
    return keys;
}

}  // namespace avelor::ui
