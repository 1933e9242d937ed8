#include "tools/graph_plot.h"

#include "core/astro.h"

#include <algorithm>
#include <cmath>

namespace graph_plot {
namespace {

constexpr std::int32_t kTurn = 1296000;

// A plot coordinate: nearest integer, halves to even. Far outside the plot
// (a large factor) is as good as the edge of the representable, and not a
// number never reaches a cast.
int pixel(double v)
{
    constexpr double kFar = 1e6;
    if (!std::isfinite(v))
        return 0;
    return static_cast<int>(std::nearbyint(std::clamp(v, -kFar, kFar)));
}

}  // namespace

double GraphPlot::y(std::int32_t value, std::int32_t base, int height)
{
    const int mid = height / 2;
    const double wrapped = RANGELOOP(static_cast<double>(std::int64_t{value} - base), 0, kTurn);
    return (height - 5) - static_cast<double>(2 * mid - 10) * wrapped / kTurn;
}

Tick GraphPlot::tick(const Positions& now, int width, int height)
{
    Tick t;
    const int mid = height / 2;
    HORPOS += 1;
    if (HORPOS > width) {
        t.erase = true;
        HORPOS = 0;
    }
    PIH = IH;
    PAH = AH;
    PIV = IV;
    PAV = AV;
    IH = y(now.incHor, base_.incHor, height);
    AH = y(now.absHor, base_.absHor, height);
    IV = y(now.incVert, base_.incVert, height);
    AV = y(now.absVert, base_.absVert, height);
    if (SHOWSTATE == DIFF) {
        AH = mid + FACTOR * (AH - IH);
        AV = mid + FACTOR * (AV - IV);
        IH = NO_POINT;
        IV = NO_POINT;
    }
    const int x0 = HORPOS - 1;
    const int x1 = HORPOS;
    const auto line = [&](Curve c, double from, double to) {
        t.segments.push_back({c, x0, pixel(from), x1, pixel(to)});
    };
    if (IH != NO_POINT && PIH != NO_POINT)
        line(IncHor, PIH, IH);
    line(AbsHor, PAH, AH);
    if (IV != NO_POINT && PIV != NO_POINT)
        line(IncVert, PIV, IV);
    line(AbsVert, PAV, AV);
    return t;
}

}  // namespace graph_plot
