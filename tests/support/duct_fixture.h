// A level with a small duct system, for the junction and duct segment
// tests: three junctions along row 2, runs down to terminals, one terminal
// inside a room and one node with no duct at all. Every node starts
// undefined; the duct elements are made on demand.
#pragma once

#include <algorithm>
#include <string>

#include "model/cell_codes.h"
#include "model/duct_element.h"
#include "model/project.h"
#include "support/edit_fixture.h"

namespace avelor::testing {

// Walls and icons: one room (zone 1) in the lower right.
inline const Picture kDuctWalls = {
    ".................",  // 0
    ".................",  // 1
    ".................",  // 2
    ".................",  // 3
    ".................",  // 4
    ".................",  // 5
    ".................",  // 6
    ".......#########.",  // 7
    ".......#.......#.",  // 8
    ".......#...1...#.",  // 9
    ".......#.......#.",  // 10
    ".......#########.",  // 11
    ".................",  // 12
    ".................",  // 13
};
inline const Picture kDuctLayer = {
    ".................",  // 0
    ".................",  // 1
    "..JoooJoooJ......",  // 2: junctions at columns 2, 6 and 10
    "..o...o...o......",  // 3
    "..o...o...o......",  // 4
    "..o...o...o......",  // 5
    "..T...T...o......",  // 6: terminals at columns 2 and 6
    "..........o......",  // 7
    "..........o......",  // 8
    "..........o......",  // 9
    "..........T......",  // 10: a terminal in the room
    ".................",  // 11
    "..T..............",  // 12: a node without ducts
    ".................",  // 13
};

inline constexpr GridCell kWestJunction{2, 2};   // two ducts
inline constexpr GridCell kMiddleJunction{2, 6}; // three ducts
inline constexpr GridCell kEastJunction{2, 10};  // two ducts
inline constexpr GridCell kWestTerminal{6, 2};   // duct above, in the open
inline constexpr GridCell kMiddleTerminal{6, 6};
inline constexpr GridCell kRoomTerminal{10, 10};  // duct above, in zone 1
inline constexpr GridCell kLoneNode{12, 2};
inline constexpr GridCell kNorthRun{2, 4};  // between the west and middle junctions
inline constexpr GridCell kWestDrop{4, 2};  // between the west junction and terminal

// A picture grown to rows x cols with empty cells right and below.
inline Picture padded(Picture picture, std::size_t rows, std::size_t cols)
{
    for (std::string& row : picture) row.resize(std::max(row.size(), cols), '.');
    picture.resize(std::max(picture.size(), rows), std::string(picture.at(0).size(), '.'));
    return picture;
}

struct DuctFixture : EditFixture {
    // rows and cols: a larger SketchPad, such as a project file needs
    // (at least 58 x 66), with the same drawing in its top left corner.
    explicit DuctFixture(std::size_t rows = 0, std::size_t cols = 0)
    {
        build({Plan(padded(kDuctWalls, rows, cols), padded(kDuctLayer, rows, cols))});
        // The drawing numbers its nodes; these start undefined.
        for (int r = 0; r < grid().rows(); ++r)
            for (int c = 0; c < grid().cols(); ++c)
                if (is_duct_node(cells().Ducts(r, c))) cells().Paths(r, c) = 0;
        store_level_icons(grid(), *levels.front());
        project().mark_saved();
    }

    DuctElement* duct_element(const std::string& name, int type = kDctDwc)
    {
        DuctElement e = new_duct_element(type, {});
        e.name = name;
        return project().duct_elements.insert_copy(e);
    }

    // A defined junction or terminal at a cell: a record of the cell's kind
    // whose number the cell carries.
    Junction* define_node(GridCell cell)
    {
        Junction j;
        j.icon = cells().Ducts(cell.row, cell.col);
        j.t = j.icon >= ICN_TERMINAL ? 1 : 0;
        j.CC0 = project().CC0;
        Junction* stored = add_junction(project(), j);
        cells().Paths(cell.row, cell.col) = stored->nr;
        return stored;
    }
};

}  // namespace avelor::testing
