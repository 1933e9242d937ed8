#include "platform/dock_geometry.h"

#include <algorithm>

namespace platform {
namespace {

// The least shift of [start, start + length) into [low, high); the low end
// wins when it does not fit at all.
int fitAxis(int start, int length, int low, int high)
{
    if (start + length > high)
        start = high - length;
    return std::max(start, low);
}

bool fitsAcross(int left, int width, const QRect& area)
{
    return left >= area.x() && left + width <= area.x() + area.width();
}

}  // namespace

QPoint fitOnScreen(const QRect& frame, const QRect& area)
{
    return {fitAxis(frame.x(), frame.width(), area.x(), area.x() + area.width()),
            fitAxis(frame.y(), frame.height(), area.y(), area.y() + area.height())};
}

QPoint placeBeside(const QRect& anchor, const QSize& group, int gap, const QRect& area)
{
    const int right = anchor.x() + anchor.width() + gap;
    const int left = anchor.x() - gap - group.width();
    const int x = fitsAcross(right, group.width(), area) ? right
                  : fitsAcross(left, group.width(), area) ? left
                                                           : right;
    return fitOnScreen(QRect(QPoint(x, anchor.y()), group), area);
}

QPoint placeBesideClear(const QRect& anchor, const QSize& group, int gap, const QRect& area,
                        const std::vector<QRect>& taken)
{
    const int right = anchor.x() + anchor.width() + gap;
    const int left = anchor.x() - gap - group.width();
    std::vector<int> lefts;
    if (fitsAcross(right, group.width(), area))
        lefts.push_back(right);
    if (fitsAcross(left, group.width(), area))
        lefts.push_back(left);
    if (lefts.empty())
        lefts.push_back(right);  // moved onto the area below
    std::vector<int> tops{anchor.y()};
    std::vector<QRect> byBottom = taken;
    std::sort(byBottom.begin(), byBottom.end(), [](const QRect& a, const QRect& b) { return a.bottom() < b.bottom(); });
    for (const QRect& t : byBottom)
        tops.push_back(t.bottom() + 1 + gap);
    for (int top : tops) {
        for (int x : lefts) {
            const QPoint at = fitOnScreen(QRect(QPoint(x, top), group), area);
            const QRect frame(at, group);
            if (std::none_of(taken.begin(), taken.end(), [&](const QRect& t) { return t.intersects(frame); }))
                return at;
        }
    }
    return placeBeside(anchor, group, gap, area);
}

QPoint centredOn(const QRect& anchor, const QSize& frame, const QRect& area)
{
    const QPoint at(anchor.x() + anchor.width() / 2 - frame.width() / 2,
                    anchor.y() + anchor.height() / 2 - frame.height() / 2);
    return fitOnScreen(QRect(at, frame), area);
}

bool knownFrame(const QMargins& m)
{
    return (m.left() > 0 || m.top() > 0) && m.left() >= 0 && m.top() >= 0 && m.right() >= 0 && m.bottom() >= 0;
}

QMargins frameOrGuess(const QMargins& own, const QMargins& guess) { return knownFrame(own) ? own : guess; }

QSize rowSize(const std::vector<QSize>& sizes, int spacing)
{
    QSize row(0, 0);
    for (const QSize& s : sizes) {
        row.rwidth() += (row.width() > 0 ? spacing : 0) + s.width();
        row.rheight() = std::max(row.height(), s.height());
    }
    return row;
}

}  // namespace platform
