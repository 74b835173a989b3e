// Colouring a duct system from one of its fans: the list of the duct
// segments whose element is a fan, and the walk that gives the ducts and
// nodes upstream and downstream of a chosen fan their colour indices. The
// colours show while the SketchPad colours ducts by their own indices.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sketchpad/sketch_grid.h"

namespace avelor {

class Project;
class SketchView;
struct DuctSegment;
struct Level;

// One line of "Ducts with a Fan": a fan segment, the level it is drawn on
// and its cell there (as the level's icon list stores it): the segment icon,
// or the node whose downward segment it is.
struct FanDuctEntry {
    std::int32_t duct = 0;
    Level* level = nullptr;
    int row = 0;
    int col = 0;
    bool operator==(const FanDuctEntry&) const = default;
};

// Every fan segment (element types 33..35) on every level, lowest level
// first, each level in the order of its icon list; one entry per segment.
std::vector<FanDuctEntry> fan_duct_list(const Project& project);
// The same after the current level's drawing is stored, so that what was
// drawn since the level was shown is in the list.
std::vector<FanDuctEntry> fan_duct_list(Project& project, SketchGrid& grid);

// "%10d %16s %5d %5d": duct number, level name, row, column.
std::string fan_duct_line(const FanDuctEntry& entry);

// The fan segment of an entry while it still is one: the level still
// exists and the segment number still names a segment with a fan element.
DuctSegment* fan_duct_of(const Project& project, const FanDuctEntry& entry);

// Choosing a line: its level becomes current and the cursor goes to its
// cell, scrolled into sight. False when the entry is gone or its cell lies
// outside the drawing.
bool show_fan_duct(Project& project, SketchGrid& grid, SketchView& view, const FanDuctEntry& entry);

enum class FanColouring { StartingFanOnly, AllFans };
enum class FansInSystem { ContinueThrough, StopAtAny };

struct DuctColourOptions {
    bool inlet = true;
    bool outlet = true;
    std::int16_t inlet_colour = 16;
    std::int16_t outlet_colour = 2;
    std::int16_t fan_colour = 13;
    FanColouring fans = FanColouring::StartingFanOnly;
    FansInSystem passing = FansInSystem::ContinueThrough;
};

// Looks up the end nodes a segment lacks; called once, when one is missing.
using SegmentEndFinder = std::function<void(DuctSegment&)>;

// "Set Colors" on fan segment S (positive flow from its n to its m node):
// S takes the fan colour; then, from n upstream with the inlet colour and
// from m downstream with the outlet colour, every node reached takes the
// colour and every segment that leads to a terminal, or to a node this
// call already reached, takes it too; a node from which nothing was
// coloured keeps its old colour. A plain segment is followed either way; a
// fan is never followed with StopAtAny, and with ContinueThrough only in
// the sense of the walk (upstream from its m end to its n end, downstream
// from n to m), taking the fan colour with AllFans and the walk's colour
// otherwise. S itself keeps the fan colour even when a walk comes round to
// it. A missing end node is first looked for with find_ends; when one is
// still missing the walk does not start: "Encountered Duct with undefined
// terminal/junction pointer" (WARNING). Every walk is iterative and visits
// each segment end at most once. The project is marked changed; false
// when the walk could not start.
bool set_duct_colours(Project& project, DuctSegment& fan, const DuctColourOptions& options,
                      const SegmentEndFinder& find_ends = {});

// The end nodes of an entry's segment as the SketchPad shows them, when
// the entry's level is the current level: the nodes at the ends of the
// segment icon's run, or for a downward segment its node and the node at
// the same cell of the level below. Only ends the segment lacks are set.
void find_fan_duct_ends(Project& project, const SketchGrid& grid, const FanDuctEntry& entry, DuctSegment& segment);

// "Set Colors" on a line of the list. False when the entry is no longer a
// fan segment or the walk could not start.
bool set_fan_duct_colours(Project& project, const SketchGrid& grid, const FanDuctEntry& entry,
                          const DuctColourOptions& options);

}  // namespace avelor
