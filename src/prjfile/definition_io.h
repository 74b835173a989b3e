// Pieces every definition section shares: the end value that closes it, a
// definition's name field and its description line.
#pragma once

#include <string>

#include "app/data_reader.h"
#include "app/description_line.h"
#include "app/diagnostics.h"
#include "app/lists.h"

namespace avelor {

inline constexpr int kSectionEnd = -999;

// After the last record: the end value on a line of its own.
inline void read_section_end(DataReader& in)
{
    if (in.read_short(FieldKind::FirstOfNextLine) != kSectionEnd)
        report_error(ERROR, {"PRJ read error; see LOG file"});
}

// A name: one field of at most 15 characters.
inline std::string read_definition_name(DataReader& in)
{
    return in.read_field(FieldKind::Next, kNameSize).value_or(std::string());
}

// A description: the whole next line, at most 72 characters.
inline std::string read_definition_description(DataReader& in)
{
    return description_from_line(in.read_field(FieldKind::NextLine).value_or(std::string()));
}

}  // namespace avelor
