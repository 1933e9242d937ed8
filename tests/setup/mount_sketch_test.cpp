#include "setup/mount_sketch.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

using setup::kSketchBlack;
using setup::kSketchSilver;
using setup::kSketchWhite;
using setup::mountSketch;
using setup::SketchOp;
using setup::SketchPoint;
using setup::sketchPose;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

SketchOp line(std::uint32_t colour, std::int32_t width, SketchPoint from, SketchPoint to)
{
    return {SketchOp::Kind::Line, colour, width, from, to, {}};
}

SketchOp text(const char* t, SketchPoint at) { return {SketchOp::Kind::Text, kSketchBlack, 0, at, at, t}; }

std::vector<SketchOp> groundCross(SketchPoint centre, std::vector<SketchPoint> ends)
{
    std::vector<SketchOp> ops;
    for (SketchPoint e : ends)
        ops.push_back(line(kSketchBlack, 1, centre, e));
    return ops;
}

std::vector<SketchOp> lettersAt(SketchPoint e, SketchPoint w, SketchPoint n, SketchPoint s)
{
    return {text("E", e), text("W", w), text("N", n), text("S", s)};
}

const std::vector<SketchOp> kDesignGround =
    groundCross({128, 179}, {{128, 64}, {38, 205}, {211, 192}, {45, 166}, {218, 153}});
const std::vector<SketchOp> kDesignLetters = lettersAt({26, 192}, {230, 141}, {218, 198}, {13, 141});

std::vector<SketchOp> join(std::vector<std::vector<SketchOp>> parts)
{
    std::vector<SketchOp> all;
    for (auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

TEST(MountSketch, DesignSizeAtRestShowsTheOpenFrontAndTheShaftInFront)
{
    const auto pose = sketchPose(256, 239, 0, 0);
    EXPECT_EQ(pose.cx, 128);
    EXPECT_EQ(pose.y0, 179);
    EXPECT_EQ(pose.yb, 99);
    EXPECT_EQ(pose.L1, 102);
    EXPECT_EQ(pose.L2, 77);

    const SketchPoint pier{128, 99}, f{212, 149}, k{195, 139}, pm{171, 86}, pp{85, 112}, q{184, 82};
    const std::vector<SketchOp> moving = {
        line(kSketchSilver, 5, pier, f),       line(kSketchSilver, 15, k, k),
        line(kSketchSilver, 10, pm, q),        line(kSketchBlack, 32, {172, 86}, {84, 112}),
        line(kSketchWhite, 30, pm, pp),        line(kSketchBlack, 28, pp, pp),
        line(kSketchSilver, 5, pier, f),       line(kSketchSilver, 15, k, k),
    };
    EXPECT_EQ(mountSketch(256, 239, 0, 0), join({kDesignGround, moving, kDesignLetters}));
}

TEST(MountSketch, StartOfTheRightAscensionStepShowsTheClosedBackAndTheShaftBehind)
{
    const SketchPoint pier{128, 99}, f{185, 83}, k{174, 86}, pm{192, 108}, pp{64, 90}, q{211, 110};
    const auto pose = sketchPose(256, 239, -0.5, 1);
    EXPECT_EQ(pose.oMinus, (SketchPoint{192, 108}));
    EXPECT_EQ(pose.oPlus, (SketchPoint{64, 90}));
    const std::vector<SketchOp> moving = {
        line(kSketchSilver, 5, pier, f),   line(kSketchSilver, 15, k, k),  line(kSketchSilver, 10, pm, q),
        line(kSketchBlack, 32, pose.oMinus, pose.oPlus),                   line(kSketchWhite, 30, pm, pp),
        line(kSketchBlack, 32, pm, pm),    line(kSketchWhite, 30, pm, pm), line(kSketchSilver, 10, pm, q),
    };
    EXPECT_EQ(mountSketch(256, 239, -0.5, 1), join({kDesignGround, moving, kDesignLetters}));
}

TEST(MountSketch, SwingAngleWrapsOnceIntoOneTurn)
{
    EXPECT_DOUBLE_EQ(sketchPose(256, 239, -0.69, 0).h, 0.0);
    EXPECT_NEAR(sketchPose(256, 239, 0.4, 0).h, 0.91, 1e-12);
    EXPECT_NEAR(sketchPose(256, 239, -1.8, 0).h, -0.89, 1e-12);
    // Far outside, one correction is all there is, and the picture still comes out.
    EXPECT_NEAR(sketchPose(256, 239, 5.0, 0).h, -3.69, 1e-12);
}

TEST(MountSketch, EndAndShaftChoicesAreStrict)
{
    const struct {
        double hrot, vrot;
        bool frontOpen, shaftInFront;
    } cases[] = {
        {-0.2, 0.0, false, false}, {-0.19, 0.0, true, false}, {-0.1, 0.0, true, false},
        {-0.09, 0.0, true, true},  {0.3, 0.0, false, true},   {0.3, 1.0, false, true},
        {0.0, 0.5, false, true},   {0.4, 0.5, false, true},   {0.4, 0.51, true, true},
        {0.29, 0.49, true, true},  {kNaN, 0.0, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "HROT " << c.hrot << " VROT " << c.vrot);
        const auto pose = sketchPose(256, 239, c.hrot, c.vrot);
        EXPECT_EQ(pose.frontOpen, c.frontOpen);
        EXPECT_EQ(pose.shaftInFront, c.shaftInFront);
        const auto ops = mountSketch(256, 239, c.hrot, c.vrot);
        const std::size_t ends = c.frontOpen ? 1 : 3, shaftAgain = c.shaftInFront ? 2 : 0;
        if (pose.placed) {
            EXPECT_EQ(ops.size(), 5 + 5 + ends + shaftAgain + 4);
        }
    }
}

TEST(MountSketch, HalvesRoundToTheEvenNeighbour)
{
    // cx = 5: 4.5, 0.5 and 1.5 are halves; 3.5 and 0.75 are not ambiguous.
    EXPECT_EQ(mountSketch(10, 8, kNaN, 0),
              join({groundCross({5, 6}, {{5, 2}, {1, 7}, {8, 6}, {2, 6}, {9, 5}}),
                    lettersAt({1, 6}, {9, 4}, {9, 7}, {1, 4})}));
}

TEST(MountSketch, AnglesThatAreNotNumbersLeaveOutOnlyTheMovingParts)
{
    for (auto [hrot, vrot] : {std::pair{kNaN, 0.0}, {0.0, kNaN}, {kInf, 0.0}, {0.0, -kInf}}) {
        SCOPED_TRACE(testing::Message() << "HROT " << hrot << " VROT " << vrot);
        EXPECT_FALSE(sketchPose(256, 239, hrot, vrot).placed);
        EXPECT_EQ(mountSketch(256, 239, hrot, vrot), join({kDesignGround, kDesignLetters}));
    }
}

TEST(MountSketch, ExtremeSizesGiveCoordinatesThatFitOrNone)
{
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    for (auto [w, h] : {std::pair{kMax, kMax}, {kMin, kMin}, {0, 0}, {-7, -9}}) {
        SCOPED_TRACE(testing::Message() << w << " x " << h);
        // Ground 5, moving parts 5 + a closed back 3 + the shaft again 2, letters 4.
        const auto ops = mountSketch(w, h, 0.2, 0.7);
        EXPECT_LE(ops.size(), 19u);
        if (w == 0) {
            EXPECT_EQ(ops.size(), 19u);
        }
    }
}

// The painter puts the strokes where the list says, in its colours, and
// leaves the rest of the canvas alone.
TEST(MountSketchPainter, DrawsTheListOverWhatTheCanvasHolds)
{
    QImage image(256, 239, QImage::Format_RGB32);
    const QRgb grey = qRgb(0x80, 0x80, 0x80);
    image.fill(grey);
    {
        QPainter painter(&image);
        setup::paintSketch(painter, mountSketch(256, 239, 0, 0));
    }
    auto rgb = [&](int x, int y) { return image.pixel(x, y) & 0xFFFFFFu; };
    EXPECT_EQ(rgb(5, 5), grey & 0xFFFFFFu);
    EXPECT_EQ(rgb(128, 66), kSketchBlack);   // the zenith line above the tube
    EXPECT_EQ(rgb(149, 93), kSketchWhite);   // the tube
    EXPECT_EQ(rgb(85, 112), kSketchBlack);   // its open front end
    EXPECT_EQ(rgb(195, 139), kSketchSilver); // the knob
    EXPECT_EQ(rgb(201, 139), kSketchSilver); // a dot is round and as wide as its pen
    EXPECT_EQ(rgb(204, 139), grey & 0xFFFFFFu);

    int dark = 0;  // the letter E below and right of its corner
    for (int y = 192; y < 205; ++y)
        for (int x = 26; x < 36; ++x)
            dark += rgb(x, y) != (grey & 0xFFFFFFu);
    EXPECT_GT(dark, 5);
}

}  // namespace
