#include <gtest/gtest.h>

#include "sketchpad/floating_box_place.h"

using namespace avelor;

namespace {

struct PlaceCase {
    const char* what;
    Point anchor;
    int width, height;
    Rect screen;
    Point expected;
};

}  // namespace

TEST(FloatingBoxPlace, StaysBesideTheCursorOrMovesBackOntoTheScreen)
{
    const Rect screen{0, 0, 800, 600};
    const Rect second{1920, -200, 1280, 1024};  // a monitor right of and above the first
    const PlaceCase cases[] = {
        {"fits as wanted", {100, 50}, 120, 40, screen, {100, 50}},
        {"touches the corner exactly", {680, 560}, 120, 40, screen, {680, 560}},
        {"past the right edge moves left", {750, 50}, 120, 40, screen, {680, 50}},
        {"past the bottom edge moves up", {100, 590}, 120, 40, screen, {100, 560}},
        {"past the corner moves left and up", {790, 595}, 120, 40, screen, {680, 560}},
        {"offset monitor", {3150, 800}, 100, 30, second, {3100, 794}},
        {"wider than the screen keeps its left edge on it", {10, 10}, 900, 40, screen, {0, 10}},
        {"taller than the screen keeps its top edge on it", {10, 10}, 50, 700, screen, {10, 0}},
    };
    for (const PlaceCase& c : cases) {
        SCOPED_TRACE(c.what);
        const Point at = place_floating_box(c.anchor, c.width, c.height, c.screen);
        EXPECT_EQ(at.x, c.expected.x);
        EXPECT_EQ(at.y, c.expected.y);
    }
}
