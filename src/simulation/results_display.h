// The contents of the results display window: for the item under the
// SketchPad cursor in results mode, its airflow balance with each
// neighbour and its concentrations at the current output time step. The
// window only shows these texts.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <string>
#include <vector>

#include "model/records.h"
#include "sketchpad/sketch_grid.h"

namespace avelor {

class Project;
class ResultsMode;
class ResultsReader;

inline constexpr std::string_view kResultsDisplayTitle = "AVELORW Results Display";
inline constexpr std::string_view kFlowColumnHeading = "From adjacent zone     To adjacent zone       Adjacent Zone";

// One neighbour of a zone's airflow balance, flows in kg/s: From into the
// shown zone, To out of it.
struct ZoneFlowRow {
    std::string label;  // "zone / level", "Ducts", "Ambient" or "Sum"
    double from = 0;
    double to = 0;
};

// The listed rows of a zone's (or, for nullptr, the ambient's) balance in
// the current step's path records: the zones in number order, "Ducts",
// "Ambient", each only when air moves, then "Sum" of them. The ducts meet
// a zone at the terminals and leaks of its junctions, whose flows are
// positive into the zone, so no air is counted twice.
std::vector<ZoneFlowRow> zone_flow_balance(const Project& project, const ResultsReader& reader, const Zone* zone);

struct ResultsDisplayContent {
    std::string type;    // "Zone", "Terminal", "Junction", "Occupant"
    std::string number;  // empty for the ambient
    std::string level;
    std::string name;
    std::string results_title;  // "Contaminant Results" or "Exposure Results"
    std::string results_text;
    bool flow_box = true;       // hidden for occupants
    std::string flow_title;     // "Zone Airflow Results [unit]" or "Dose Results"
    std::string flow_heading;   // the column heading over a zone's table, else empty
    std::string flow_text;
};

// What the window shows for the cell: nothing for a cell that is not a
// zone, ambient, occupant, junction or terminal icon (the window then keeps
// what it shows). Texts end their lines with "\r\n".
std::optional<ResultsDisplayContent> results_display_content(ResultsMode& results, const Project& project,
                                                             const SketchGrid& grid, GridCell cell);

}  // namespace avelor
