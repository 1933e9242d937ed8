#pragma once
// The perspective sketch of the mount that the set-up wizard shows while the
// operator turns an axis by half a turn: a ground cross with the compass
// letters, the pier, the shaft with its knob, and the tube. HROT and VROT, in
// half turns, place the tube. The sketch is a list of drawing operations
// computed from the paint box's size and the two angles alone, so it can be
// checked without a window; paintSketch draws the list.

#include <cstdint>
#include <string>
#include <vector>

class QPainter;

namespace setup {

struct SketchPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const SketchPoint&) const = default;
};

// Colours as 0xRRGGBB.
inline constexpr std::uint32_t kSketchBlack = 0x000000;
inline constexpr std::uint32_t kSketchSilver = 0xC0C0C0;
inline constexpr std::uint32_t kSketchWhite = 0xFFFFFF;

struct SketchOp {
    enum class Kind { Line, Text };
    Kind kind = Kind::Line;
    std::uint32_t colour = kSketchBlack;
    std::int32_t penWidth = 1;  // lines; a line from a point to itself is a round dot
    SketchPoint from;           // a text's top left corner
    SketchPoint to;
    std::string text;
    bool operator==(const SketchOp&) const = default;
};

// Where the parts go for one size and pose.
struct SketchPose {
    std::int32_t cx = 0, y0 = 0, yb = 0;  // centre, ground point, top of the pier
    std::int32_t L1 = 0, L2 = 0;          // shaft length, half the tube length
    double h = 0.0;                       // the swing angle after its wrap
    // False when the angles give no picture of the moving parts (not finite);
    // the ground cross and the letters are drawn all the same.
    bool placed = false;
    SketchPoint pMinus, pPlus;  // tube ends, back and front
    SketchPoint q;              // end of the stub behind the back end
    SketchPoint oMinus, oPlus;  // ends of the tube's outline
    SketchPoint f;              // shaft end
    SketchPoint k;              // knob
    bool frontOpen = false;     // the open front end faces the viewer
    bool shaftInFront = false;  // the shaft is drawn again over the tube
};

SketchPose sketchPose(std::int32_t W, std::int32_t H, double HROT, double VROT);
std::vector<SketchOp> mountSketch(std::int32_t W, std::int32_t H, double HROT, double VROT);

// Draws the operations in order over what the painter's device holds (it
// clears nothing); texts in the painter's current font.
void paintSketch(QPainter& painter, const std::vector<SketchOp>& ops);

}  // namespace setup
