#include "setup/mount_sketch.h"

#include "core/rounding.h"

#include <QColor>
#include <QFontMetrics>
#include <QPainter>
#include <QPen>

#include <cmath>
#include <limits>
#include <numbers>
#include <optional>

namespace setup {
namespace {

constexpr double kPi = std::numbers::pi;

using Coord = std::optional<std::int32_t>;

// base + round(offset), when both give a coordinate that fits.
Coord offsetBy(std::int64_t base, double offset)
{
    const auto step = num::roundHalfEven<std::int64_t>(offset);
    if (!step || *step > std::numeric_limits<std::int32_t>::max() ||
        *step < std::numeric_limits<std::int32_t>::min())
        return std::nullopt;
    const std::int64_t v = base + *step;
    if (v > std::numeric_limits<std::int32_t>::max() || v < std::numeric_limits<std::int32_t>::min())
        return std::nullopt;
    return static_cast<std::int32_t>(v);
}

std::optional<SketchPoint> at(Coord x, Coord y)
{
    if (!x || !y)
        return std::nullopt;
    return SketchPoint{*x, *y};
}

// The ground cross and the letters hang off (cx, y0) at multiples of cx.
std::optional<SketchPoint> fromGround(const SketchPose& p, double dx, double dy)
{
    return at(offsetBy(p.cx, p.cx * dx), offsetBy(p.y0, p.cx * dy));
}

SketchOp line(std::uint32_t colour, std::int32_t width, SketchPoint from, SketchPoint to)
{
    return {SketchOp::Kind::Line, colour, width, from, to, {}};
}

SketchOp dot(std::uint32_t colour, std::int32_t width, SketchPoint p) { return line(colour, width, p, p); }

void shaft(std::vector<SketchOp>& ops, const SketchPose& p)
{
    ops.push_back(line(kSketchSilver, 5, {p.cx, p.yb}, p.f));
    ops.push_back(dot(kSketchSilver, 15, p.k));
}

void stub(std::vector<SketchOp>& ops, const SketchPose& p) { ops.push_back(line(kSketchSilver, 10, p.pMinus, p.q)); }

}  // namespace

SketchPose sketchPose(std::int32_t W, std::int32_t H, double HROT, double VROT)
{
    SketchPose p;
    p.cx = W / 2;
    p.y0 = static_cast<std::int32_t>(static_cast<std::int64_t>(H) * 3 / 4);
    // y0 lies within three quarters of the integer range, so 80 below it fits.
    p.yb = p.y0 - 80;
    const std::int64_t yb = p.yb;
    // cx is at most half the width, so these always fit.
    p.L1 = num::roundHalfEven(p.cx * 0.8).value_or(0);
    p.L2 = num::roundHalfEven(p.cx * 0.6).value_or(0);

    double h = -HROT - 0.69;
    if (h > 1)
        h -= 2;
    if (h < -1)
        h += 2;
    p.h = h;
    const double v = VROT;

    const double A = std::cos(h * kPi) * std::cos(v * kPi);
    const double B = std::sin(h * kPi) * std::cos(v * kPi);
    const double C = std::cos((h + 0.5) * kPi);
    const double D = std::sin((h + 0.5) * kPi) - std::cos((HROT - 0.35) * kPi * (-0.45)) +
                     std::sin((HROT - 0.35) * kPi * 1.3);
    const double L1 = p.L1, L2 = p.L2;
    const double S = L2 * std::sin(v * kPi) + L2 * 0.2 * B;
    const double T = L2 * std::sin(v * kPi) + L2 * 0.2 * B * 1.01;

    const auto pMinus = at(offsetBy(p.cx, -(L2 * A)), offsetBy(yb, S));
    const auto pPlus = at(offsetBy(p.cx, L2 * A), offsetBy(yb, -S));
    const auto q = at(offsetBy(p.cx, -(L2 * A * 1.3)), offsetBy(yb, S * 1.3));
    const auto oMinus = at(offsetBy(p.cx, -(L2 * A * 1.01)), offsetBy(yb, T));
    const auto oPlus = at(offsetBy(p.cx, L2 * A * 1.01), offsetBy(yb, -T));
    const auto f = at(offsetBy(p.cx, L1 * C), offsetBy(yb, -(L1 * 0.2 * D)));
    const auto k = at(offsetBy(p.cx, L1 * 0.8 * C), offsetBy(yb, -(L1 * 0.8 * 0.2 * D)));
    if (pMinus && pPlus && q && oMinus && oPlus && f && k) {
        p.placed = true;
        p.pMinus = *pMinus;
        p.pPlus = *pPlus;
        p.q = *q;
        p.oMinus = *oMinus;
        p.oPlus = *oPlus;
        p.f = *f;
        p.k = *k;
    }
    p.frontOpen = (-0.2 < HROT && HROT < 0.3 && VROT < 0.5) || (HROT > 0.3 && VROT > 0.5);
    p.shaftInFront = HROT > -0.1;
    return p;
}

std::vector<SketchOp> mountSketch(std::int32_t W, std::int32_t H, double HROT, double VROT)
{
    const SketchPose p = sketchPose(W, H, HROT, VROT);
    std::vector<SketchOp> ops;

    const SketchPoint ground{p.cx, p.y0};
    const double ends[][2] = {{0, -0.9}, {-0.7, 0.2}, {0.65, 0.1}, {-0.65, -0.1}, {0.7, -0.2}};
    for (const auto& e : ends)
        if (const auto end = fromGround(p, e[0], e[1]))
            ops.push_back(line(kSketchBlack, 1, ground, *end));

    if (p.placed) {
        shaft(ops, p);
        stub(ops, p);
        ops.push_back(line(kSketchBlack, 32, p.oMinus, p.oPlus));
        ops.push_back(line(kSketchWhite, 30, p.pMinus, p.pPlus));
        if (p.frontOpen) {
            ops.push_back(dot(kSketchBlack, 28, p.pPlus));
        } else {
            ops.push_back(dot(kSketchBlack, 32, p.pMinus));
            ops.push_back(dot(kSketchWhite, 30, p.pMinus));
            stub(ops, p);
        }
        if (p.shaftInFront)
            shaft(ops, p);
    }

    const struct {
        const char* text;
        double dx, dy;
    } letters[] = {{"E", -0.8, 0.1}, {"W", 0.8, -0.3}, {"N", 0.7, 0.15}, {"S", -0.9, -0.3}};
    for (const auto& l : letters)
        if (const auto corner = fromGround(p, l.dx, l.dy))
            ops.push_back({SketchOp::Kind::Text, kSketchBlack, 0, *corner, *corner, l.text});
    return ops;
}

void paintSketch(QPainter& painter, const std::vector<SketchOp>& ops)
{
    painter.save();
    for (const SketchOp& op : ops) {
        const QColor colour(static_cast<QRgb>(op.colour));
        const QPoint from(op.from.x, op.from.y);
        if (op.kind == SketchOp::Kind::Line) {
            const QPoint to(op.to.x, op.to.y);
            painter.setPen(QPen(colour, op.penWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            // Qt draws no line of length 0; a point takes the round cap.
            if (from == to)
                painter.drawPoint(from);
            else
                painter.drawLine(from, to);
        } else {
            painter.setPen(colour);
            painter.drawText(from + QPoint(0, painter.fontMetrics().ascent()), QString::fromStdString(op.text));
        }
    }
    painter.restore();
}

}  // namespace setup
