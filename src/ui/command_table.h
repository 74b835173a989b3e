// The command table of the core, in Qt's terms: texts and key sequences
// for the menus, toolbar and shortcuts the main window builds from it.
#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>
#include <string_view>

#include "app/command_table.h"

namespace avelor::ui {

// The views name commands as ui::cmd::..., the numbers of the core.
namespace cmd = avelor::cmd;

// A table text as Qt shows it (the table's texts are Latin-1).
QString table_text(std::string_view text);

// Every key of a command: the table's, then the desktop habit's.
QList<QKeySequence> command_keys(const CommandEntry& entry);

}  // namespace avelor::ui
