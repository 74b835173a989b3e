#include "forms/delete_coordinates_form.h"

#include <cstdlib>

namespace avelor {

std::string CoordinatesForm::max_row_text() const { return "Maximum: " + std::to_string(max_row); }
std::string CoordinatesForm::max_col_text() const { return "Maximum: " + std::to_string(max_col); }

std::string CoordinatesForm::check() const
{
    for (const GridCell& p : {a, b}) {
        if (p.row < 1 || p.row > max_row)
            return "Row must be between 1 and " + std::to_string(max_row) + ".";
        if (p.col < 1 || p.col > max_col)
            return "Column must be between 1 and " + std::to_string(max_col) + ".";
    }
    // Opposite corners must leave at least one cell inside the box.
    if (std::abs(a.row - b.row) < 2 || std::abs(a.col - b.col) < 2)
        return "The corners must be at least two rows and two columns apart.";
    return {};
}

}  // namespace avelor
