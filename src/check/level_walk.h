// The building check's walks over every level, lowest first. What a level
// costs to show follows what is drawn on it, not the size of the drawing:
// when everything drawn on every level lies in a small part of a large
// drawing, the levels are shown in a grid of their own that holds only that
// part and a margin of outdoors around it (a window), and the check's own
// grid shows its level again only at the end.
#pragma once

#include <functional>
#include <memory>

#include "check/building_check.h"

namespace avelor {

class LevelWalk {
public:
    explicit LevelWalk(CheckScope scope);
    ~LevelWalk();
    LevelWalk(const LevelWalk&) = delete;
    LevelWalk& operator=(const LevelWalk&) = delete;

    // Shows every level from the lowest up as the current level over the
    // one below it and calls visit with the scope that shows it and the
    // list for its problems, which reach problems in drawing cells. The
    // window holds only while every level fills cleanly in it: no zone
    // conflict, no unnumbered zone icon, no run rebuilt into the margin.
    // Otherwise the walk starts over in the check's grid, where those
    // problems are reported as always. The results of visit, or-ed.
    int visit_levels(ProblemList& problems, const std::function<int(CheckScope, ProblemList&)>& visit);

    // Every level shown again from its icon list and stored, lowest first.
    void reload_levels();

    // The check's grid shows the remembered level (the level the walk
    // ended on when there is none) and the one below it again, unless the
    // walk left it there. The project's current level follows.
    void show_again(Level* remembered);

    // Whether the walk shows the levels in a window.
    bool windowed() const { return window_ != nullptr; }

private:
    bool window_level_is_clean() const;

    CheckScope scope_;
    std::unique_ptr<SketchGrid> window_;
    // The cells of the window that may hold anything drawn; the rest is
    // the margin.
    int inner_first_row_ = 0, inner_last_row_ = 0, inner_first_col_ = 0, inner_last_col_ = 0;
};

}  // namespace avelor
