#pragma once

// A screen rectangle in pixels: left, top, width, height.
struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    // A rectangle at the origin without size counts as unset.
    explicit operator bool() const { return left > 0 || top > 0 || width > 0 || height > 0; }
    bool operator!=(const Rect& o) const
    {
        return left != o.left || top != o.top || width != o.width || height != o.height;
    }
    bool operator==(const Rect& o) const { return !(*this != o); }
    // Both edges inclusive: the point one past the right or bottom edge is inside.
    bool containsInside(int x, int y) const
    {
        return left <= x && x <= left + width && top <= y && y <= top + height;
    }
};
