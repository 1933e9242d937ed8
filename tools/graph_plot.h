#pragma once
// The encoder position graph without a window: one tick turns the four axis
// positions (incremental and absolute, horizontal and vertical) into the
// next column of line segments of four curves, in the full view or in the
// difference view, which plots the gap between the absolute and the
// incremental curve of each axis about the middle line, magnified.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace graph_plot {

enum TSHOWSTATE : std::int32_t { FULL = 0, DIFF = 1 };

// Whole arcseconds in [0, 1296000).
struct Positions {
    std::int32_t incHor = 0, incVert = 0, absHor = 0, absVert = 0;
};

// The curves, in drawing order.
enum Curve { IncHor, AbsHor, IncVert, AbsVert };

struct Segment {
    Curve curve;
    int x0, y0, x1, y1;
    bool operator==(const Segment&) const = default;
};

// At most one segment per curve: held in place, so a tick allocates nothing.
class Segments {
public:
    void push_back(const Segment& s) { at_[size_++] = s; }
    const Segment* begin() const { return at_.data(); }
    const Segment* end() const { return at_.data() + size_; }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    operator std::span<const Segment>() const { return {begin(), size_}; }

private:
    std::array<Segment, 4> at_{};
    std::size_t size_ = 0;
};

struct Tick {
    bool erase = false;  // the plot is erased before the segments are drawn
    Segments segments;
};

// A curve without a point.
inline constexpr double NO_POINT = -1.0;

class GraphPlot {
public:
    // The y of a position against its baseline in a plot of `height` pixels:
    // the baseline at the bottom (height - 5), a whole turn past it 2 * mid - 10
    // pixels higher.
    static double y(std::int32_t value, std::int32_t base, int height);

    // One tick, with the plot's size and the positions read now.
    Tick tick(const Positions& now, int width, int height);
    // New baselines: the curves restart at the bottom at the next tick.
    void takeBaselines(const Positions& now) { base_ = now; }
    // The plot is erased and the next column starts at the left.
    void clear() { HORPOS = 0; }

    std::int32_t HORPOS = 0;  // x of the column drawn last
    TSHOWSTATE SHOWSTATE = FULL;
    std::int32_t FACTOR = 1;
    double IH = 0.0, AH = 0.0, IV = 0.0, AV = 0.0;      // the current points
    double PIH = 0.0, PAH = 0.0, PIV = 0.0, PAV = 0.0;  // the previous points

private:
    Positions base_;
};

}  // namespace graph_plot
