#pragma once
// The encoder position graph "Form2": both axes' incremental and absolute
// positions as running curves, one column every 100 ms from the program's
// start, whether or not the window is shown. The curves are drawn into a
// picture that the window only copies, so a covered window loses nothing.

#include "tools/graph_plot.h"

#include <QImage>
#include <QMainWindow>
#include <QWidget>

#include <functional>
#include <span>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
namespace platform {
class DisplayTimer;
}
class TImage;

// A plot area with a picture of its own.
class TPaintBox final : public QWidget {
    Q_OBJECT
public:
    explicit TPaintBox(QWidget* parent = nullptr);

    const QImage& canvas();
    void erase();
    // One plot's segments. While the area is hidden they are kept and drawn
    // once it is shown or its picture is asked for: the picture is the same.
    void lines(std::span<const graph_plot::Segment> segments, QColor (*colour)(graph_plot::Curve));

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void fitCanvas();
    // Draws what was kept, with one painter.
    void drawPending();
    QImage canvas_;
    std::vector<graph_plot::Segment> pending_;  // since the last erase, while hidden
    QColor (*colour_)(graph_plot::Curve) = nullptr;
};

class TForm2 final : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);

    // Where the positions come from; the board's encoders unless a test
    // sets another.
    std::function<graph_plot::Positions()> readPositions;

    graph_plot::GraphPlot PLOT;

    QMenuBar* MainMenu1;
    QMenu *MenuItem12, *MenuItem3;
    QAction *MenuItem1, *MenuItem2, *MenuItem4, *MenuItem5, *MenuItem6, *MenuItem7, *MenuItem8, *MenuItem9;
    TPaintBox* PaintBox1;
    QLabel *Label1, *Label2, *Label3, *Label4;
    TImage *Shape1, *Shape2, *Shape3, *Shape4;
    platform::DisplayTimer* Timer1;

    void Timer1Timer();
    void FormActivate();
    void FormResize();
    void MenuItem1Click();
    void MenuItem2Click();
    void MenuItem4Click();
    void MenuItem5Click();
    void MenuItem6Click();
    void MenuItem7Click();
    void MenuItem8Click();
    void MenuItem9Click();

    // The curves' colours: red, green, aqua and blue.
    static QColor colour(graph_plot::Curve curve);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setFactor(QAction* item, std::int32_t factor);
    // The legend of the view in force; changed only when the view changes.
    void showLegend(graph_plot::TSHOWSTATE state);

    QWidget* client_;
    int legendOf_ = -1;  // the view the legend shows
};
