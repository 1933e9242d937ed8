// The encoder position graph: the curves' rows for known positions in both
// views, the wrap of the column, new baselines, and the window drawn into a
// picture that outlives being hidden.

#include "board/hal.h"
#include "platform/display_tick.h"
#include "tests/tools/tools_stand.h"
#include "tools/graph.h"
#include "forms/image_widget.h"
#include "platform/form_activation.h"
#include "ui/main_view.h"
#include "tests/support/allocations.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

#include <algorithm>
#include <memory>

namespace {

using graph_plot::GraphPlot;
using graph_plot::Positions;
using graph_plot::Segment;

constexpr int kW = 499;
constexpr int kH = 234;  // the design plot area: mid 117
constexpr std::int32_t kQuarter = 324000;

Segment segmentOf(const graph_plot::Tick& t, graph_plot::Curve c)
{
    for (const Segment& s : t.segments)
        if (s.curve == c)
            return s;
    ADD_FAILURE() << "no segment of curve " << c;
    return {};
}

bool has(const graph_plot::Tick& t, graph_plot::Curve c)
{
    for (const Segment& s : t.segments)
        if (s.curve == c)
            return true;
    return false;
}

TEST(GraphPlot, APositionPlotsAboveItsBaselineByItsShareOfATurn)
{
    EXPECT_DOUBLE_EQ(GraphPlot::y(1000, 1000, kH), 229.0) << "its baseline at the bottom";
    EXPECT_DOUBLE_EQ(GraphPlot::y(1000 + 648000, 1000, kH), 229.0 - 112.0) << "a turn spans 224 pixels";
    EXPECT_NEAR(GraphPlot::y(999, 1000, kH), 5.0, 0.001) << "just below the baseline wraps to the top";
    EXPECT_DOUBLE_EQ(GraphPlot::y(0, 1295999, 100), 95.0 - 90.0 * 1.0 / 1296000.0);
}

TEST(GraphPlot, FullViewThenDifferenceViewRows)
{
    GraphPlot plot;
    plot.takeBaselines({0, 0, 0, 0});
    const Positions at{kQuarter, 2 * kQuarter, kQuarter, 2 * kQuarter};  // incremental = absolute
    plot.tick(at, kW, kH);
    graph_plot::Tick t = plot.tick(at, kW, kH);
    EXPECT_EQ(plot.HORPOS, 2);
    EXPECT_EQ((segmentOf(t, graph_plot::IncHor)), (Segment{graph_plot::IncHor, 1, 173, 2, 173}));
    EXPECT_EQ(segmentOf(t, graph_plot::IncVert).y1, 117);
    EXPECT_EQ(segmentOf(t, graph_plot::AbsHor).y1, 173);

    plot.SHOWSTATE = graph_plot::DIFF;
    for (std::int32_t factor : {1, 5, 100}) {
        plot.FACTOR = factor;
        t = plot.tick(at, kW, kH);
        EXPECT_FALSE(has(t, graph_plot::IncHor));
        EXPECT_FALSE(has(t, graph_plot::IncVert));
        EXPECT_EQ(segmentOf(t, graph_plot::AbsHor).y1, 117) << "equal positions lie on the middle line";
        EXPECT_EQ(segmentOf(t, graph_plot::AbsVert).y1, 117);
    }

    // An absolute position 1/224 of a turn ahead: one plot pixel, times the factor, above the middle.
    plot.FACTOR = 10;
    t = plot.tick({kQuarter, 0, kQuarter + 1296000 / 224, 0}, kW, kH);
    EXPECT_EQ(segmentOf(t, graph_plot::AbsHor).y1, 117 - 10);

    plot.SHOWSTATE = graph_plot::FULL;
    t = plot.tick(at, kW, kH);
    EXPECT_FALSE(has(t, graph_plot::IncHor)) << "its previous point was none";
    t = plot.tick(at, kW, kH);
    EXPECT_TRUE(has(t, graph_plot::IncHor));
}

TEST(GraphPlot, SwitchingToTheDifferenceViewJoinsTheLastFullPoint)
{
    GraphPlot plot;
    plot.tick({0, 0, 0, 0}, kW, kH);
    plot.SHOWSTATE = graph_plot::DIFF;
    const graph_plot::Tick t = plot.tick({0, 0, 0, 0}, kW, kH);
    EXPECT_EQ((segmentOf(t, graph_plot::AbsHor)), (Segment{graph_plot::AbsHor, 1, 229, 2, 117}));
}

TEST(GraphPlot, TheColumnWrapsPastTheWidthAndNewBaselinesRestartAtTheBottom)
{
    GraphPlot plot;
    graph_plot::Tick t;
    for (int i = 0; i < kW; ++i)
        t = plot.tick({5, 5, 5, 5}, kW, kH);
    EXPECT_FALSE(t.erase);
    EXPECT_EQ(plot.HORPOS, kW);
    t = plot.tick({5, 5, 5, 5}, kW, kH);
    EXPECT_TRUE(t.erase);
    EXPECT_EQ(segmentOf(t, graph_plot::AbsHor).x0, -1);
    EXPECT_EQ(segmentOf(t, graph_plot::AbsHor).x1, 0);

    t = plot.tick({kQuarter, 7, 100, 9}, kW, kH);
    EXPECT_LT(segmentOf(t, graph_plot::IncHor).y1, 229);
    plot.takeBaselines({kQuarter, 7, 100, 9});
    t = plot.tick({kQuarter, 7, 100, 9}, kW, kH);
    for (const Segment& s : t.segments)
        EXPECT_EQ(s.y1, 229) << s.curve;

    // Far outside the plot is drawn at a finite place.
    GraphPlot far;
    far.SHOWSTATE = graph_plot::DIFF;
    far.FACTOR = 2147483647;
    t = far.tick({0, 0, kQuarter, 0}, kW, kH);
    EXPECT_EQ(segmentOf(t, graph_plot::AbsHor).y1, -1000000);
}

class Graph : public tools_testing::ToolsStand {
protected:
    void SetUp() override
    {
        ToolsStand::SetUp();
        graph = std::make_unique<TForm2>();
        graph->Timer1->stop();  // the test ticks it
        graph->readPositions = [this] { return positions; };
    }
    void TearDown() override
    {
        graph.reset();
        ToolsStand::TearDown();
    }

    // The rows of column x that hold `colour`.
    std::vector<int> rowsOf(const QColor& colour, int x)
    {
        std::vector<int> rows;
        const QImage& img = graph->PaintBox1->canvas();
        for (int y = 0; y < img.height(); ++y)
            if (img.pixelColor(x, y) == colour)
                rows.push_back(y);
        return rows;
    }

    Positions positions;
    std::unique_ptr<TForm2> graph;
};

TEST_F(Graph, TicksFromItsCreationAndDrawsWhileHidden)
{
    const TForm2 fresh;
    EXPECT_TRUE(fresh.Timer1->isActive());
    EXPECT_EQ(fresh.Timer1->interval(), 100);
    EXPECT_EQ(fresh.windowTitle(), "Form2");
    EXPECT_EQ(fresh.PaintBox1->size(), QSize(499, 234));

    positions = {kQuarter, kQuarter / 2, 0, 3 * kQuarter / 2};  // four rows apart
    for (int i = 0; i < 3; ++i)
        graph->Timer1Timer();
    EXPECT_FALSE(graph->isVisible());
    const QColor red = TForm2::colour(graph_plot::IncHor);
    EXPECT_EQ(red, QColor(255, 0, 0));
    const std::vector<int> rows = rowsOf(red, 2);
    ASSERT_FALSE(rows.empty());
    EXPECT_LE(rows.front(), 173);
    EXPECT_GE(rows.back(), 172) << "a pen 2 pixels wide about row 173";
    EXPECT_LE(rows.back() - rows.front(), 2);
    EXPECT_FALSE(rowsOf(TForm2::colour(graph_plot::AbsHor), 2).empty());
}

TEST_F(Graph, TheDifferenceViewRelabelsTheLegendAndPlotsAboutTheMiddle)
{
    graph->MenuItem2->trigger();
    EXPECT_TRUE(graph->MenuItem2->isChecked());
    EXPECT_FALSE(graph->MenuItem1->isChecked());
    graph->MenuItem6->trigger();
    EXPECT_EQ(graph->PLOT.FACTOR, 10);
    EXPECT_FALSE(graph->MenuItem4->isChecked());
    positions = {kQuarter, kQuarter, kQuarter, kQuarter};
    graph->Timer1Timer();
    graph->Timer1Timer();
    EXPECT_EQ(graph->Label2->text(), "Hd");
    EXPECT_EQ(graph->Label4->text(), "Vd");
    EXPECT_TRUE(graph->Label1->isHidden());
    EXPECT_TRUE(graph->Shape3->isHidden());
    const std::vector<int> blue = rowsOf(TForm2::colour(graph_plot::AbsVert), 2);
    ASSERT_FALSE(blue.empty());
    EXPECT_LE(blue.front(), 117);
    EXPECT_GE(blue.back(), 116);
    EXPECT_TRUE(rowsOf(TForm2::colour(graph_plot::IncHor), 2).empty());

    graph->MenuItem1->trigger();
    graph->Timer1Timer();
    EXPECT_EQ(graph->Label2->text(), "Ha");
    EXPECT_FALSE(graph->Label1->isHidden());
}

TEST_F(Graph, ClearErasesAndStartsAtTheLeftActivationTakesBaselines)
{
    positions = {kQuarter, kQuarter, kQuarter, kQuarter};
    for (int i = 0; i < 10; ++i)
        graph->Timer1Timer();
    graph->MenuItem9->trigger();
    EXPECT_EQ(graph->PLOT.HORPOS, 0);
    EXPECT_TRUE(rowsOf(TForm2::colour(graph_plot::AbsHor), 5).empty());

    graph->show();  // showing activates it: the positions now are the baselines
    QCoreApplication::processEvents();
    graph->Timer1Timer();
    graph->Timer1Timer();
    // All four lie on the bottom row; blue is drawn last.
    const std::vector<int> blue = rowsOf(TForm2::colour(graph_plot::AbsVert), 2);
    ASSERT_FALSE(blue.empty());
    EXPECT_GE(blue.back(), 228);
    // Covered and shown again, the window shows what it drew.
    graph->hide();
    graph->show();
    const QImage shown = graph->PaintBox1->grab().toImage();
    EXPECT_EQ(shown.pixelColor(2, blue.back()), TForm2::colour(graph_plot::AbsVert));
    graph->hide();
}

// The graph ticks ten times a second from the start, mostly hidden: such a
// tick allocates nothing, and what it drew is there once the window shows.
TEST_F(Graph, AHiddenTickAllocatesNothingAndShowingShowsWhatItDrew)
{
    positions = {kQuarter, kQuarter, kQuarter, kQuarter};
    for (int i = 0; i < 3; ++i)
        graph->Timer1Timer();
    long made = 0;
    {
        const testing_support::AllocationCount count;
        for (int i = 0; i < 100; ++i)
            graph->Timer1Timer();
        made = count.made();
    }
    if (testing_support::allocationsCounted()) {
        EXPECT_EQ(made, 0);
    }
    ASSERT_FALSE(graph->isVisible());
    graph->show();
    QCoreApplication::processEvents();
    const QImage shown = graph->PaintBox1->grab().toImage();
    for (int x : {2, 50, 102}) {
        bool blue = false;
        for (int y = 0; y < shown.height(); ++y)
            blue = blue || shown.pixelColor(x, y) == TForm2::colour(graph_plot::AbsVert);
        EXPECT_TRUE(blue) << "column " << x;
    }
    graph->hide();
}

// "Graph + pad" on windows already open, the graph behind the main window:
// both come to the front, the pad last, and the graph takes new baselines as
// at any activation, whichever window was active last.
TEST_F(Graph, GraphAndPadOnOpenWindowsBringsBothToTheFrontWithNewBaselines)
{
    TMain_View view;
    view.siderial->stop();
    view.SETUP_DONE = true;  // no mount side here
    QWidget pad;
    view.setGraphWindow(graph.get());
    view.setManualPad(&pad);
    view.show();
    view.Button1->click();
    QCoreApplication::processEvents();
    ASSERT_TRUE(graph->isVisible());
    ASSERT_TRUE(pad.isVisible());

    const auto pressAndPlot = [&](Positions now, QWidget* activeBefore) {
        positions = now;
        view.activateWindow();
        platform::formWindowActivated(activeBefore);
        view.Button1->click();
        QCoreApplication::processEvents();
        EXPECT_EQ(QApplication::activeWindow(), &pad) << "the pad comes last";
        graph->MenuItem9->trigger();
        graph->Timer1Timer();
        graph->Timer1Timer();
        return rowsOf(TForm2::colour(graph_plot::AbsVert), 2);
    };
    for (QWidget* before : {static_cast<QWidget*>(&view), static_cast<QWidget*>(graph.get())}) {
        SCOPED_TRACE(before->objectName().toStdString());
        const Positions now = before == &view ? Positions{kQuarter, kQuarter, kQuarter, kQuarter}
                                              : Positions{kQuarter / 2, kQuarter, kQuarter, kQuarter / 3};
        const std::vector<int> blue = pressAndPlot(now, before);
        ASSERT_FALSE(blue.empty());
        EXPECT_GE(blue.back(), 228) << "the positions of the press are the baselines: the curve is at the bottom";
    }
    view.hide();
    graph->hide();
}

TEST_F(Graph, ResizingKeepsThePlotWidthAndTheLegendAtTheBottom)
{
    graph->show();
    graph->resize(600, 400 + graph->menuBar()->height());
    QCoreApplication::processEvents();
    const int ch = graph->centralWidget()->height();
    EXPECT_EQ(graph->PaintBox1->height(), ch - 20);
    EXPECT_EQ(graph->PaintBox1->width(), 499);
    EXPECT_EQ(graph->Label3->y(), ch - 18);
    EXPECT_EQ(graph->Shape3->y(), ch - 19);
    graph->hide();
}

// A few seconds of a slewing axis, for the README, when ORLA_SCREENSHOTS names a folder.
TEST_F(Graph, Screenshot)
{
    const char* shots = std::getenv("ORLA_SCREENSHOTS");
    if (!shots || !*shots)
        GTEST_SKIP() << "ORLA_SCREENSHOTS is not set";
    graph->show();
    graph->FormActivate();
    graph->Timer1Timer();
    graph->MenuItem9->trigger();  // start at the left, from the baselines
    const auto ramp = [](int i, int from, int ticks) { return std::clamp((i - from) / double(ticks), 0.0, 1.0); };
    for (int i = 0; i < 420; ++i) {
        // The horizontal axis slews a quarter turn, its incremental encoder
        // trailing while it moves; then the vertical one slews an eighth, its
        // incremental encoder slipping 10 degrees behind for good.
        const double h = ramp(i, 40, 200);
        const auto hor = static_cast<std::int32_t>(kQuarter * h);
        const auto lag = static_cast<std::int32_t>(h < 1.0 ? 14400 * h : 0);
        const auto vert = static_cast<std::int32_t>(kQuarter / 2 * ramp(i, 200, 160));
        const auto slip = static_cast<std::int32_t>(36000 * ramp(i, 220, 140));
        positions = {hor - lag, vert - slip, hor, vert};
        graph->Timer1Timer();
    }
    QCoreApplication::processEvents();
    QDir().mkpath(shots);
    EXPECT_TRUE(graph->grab().save(QString::fromLocal8Bit(shots) + "/Form2.png"));
}

}  // namespace
