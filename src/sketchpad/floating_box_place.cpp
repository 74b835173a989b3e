#include "sketchpad/floating_box_place.h"

#include <algorithm>

namespace avelor {

namespace {

int place_along(int wanted, int size, int area_start, int area_size)
{
    // 64-bit sums: positions near the ends of int must not overflow.
    const long long last = static_cast<long long>(area_start) + std::max(area_size, 0) -
                           std::max(size, 0);
    const long long pos = std::min<long long>(wanted, last);
    return static_cast<int>(std::max<long long>(pos, area_start));
}

}  // namespace

Point place_floating_box(Point anchor, int width, int height, const Rect& screen)
{
    return {place_along(anchor.x, width, screen.left, screen.width),
            place_along(anchor.y, height, screen.top, screen.height)};
}

}  // namespace avelor
