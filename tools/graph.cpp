#include "tools/graph.h"

#include "board/hal.h"
#include "forms/image_widget.h"
#include "forms/widgets.h"
#include "platform/display_tick.h"
#include "platform/form_activation.h"

#include <QAction>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>

#include <algorithm>

using graph_plot::Curve;

namespace {

// Design client size, and the plot area's height in it.
constexpr int kWidth = 499;
constexpr int kHeight = 256;
constexpr int kTickMs = 100;
constexpr int kShape = 12;

using forms::submenu;

// Every entry of the graph's menus shows whether it is in force.
QAction* item(QMenu* menu, const char* name, const char* caption)
{
    QAction* a = forms::item(menu, name, caption);
    a->setCheckable(true);
    return a;
}

QPixmap swatch(const QColor& colour)
{
    QPixmap p(kShape, kShape);
    p.fill(colour);
    QPainter painter(&p);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, kShape - 1, kShape - 1);
    return p;
}

graph_plot::Positions boardPositions()
{
    graph_plot::Positions p;
    HAL::RAWPOS(p.absHor, p.absVert, false);
    HAL::RAWPOS(p.incHor, p.incVert, true);
    return p;
}

}  // namespace

// --- The plot area ---------------------------------------------------------------

TPaintBox::TPaintBox(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

const QImage& TPaintBox::canvas()
{
    fitCanvas();
    drawPending();
    return canvas_;
}

void TPaintBox::fitCanvas()
{
    // A hidden window gets no resize events, and the plot is drawn from the
    // start: the picture follows the area's size whenever it is used. What
    // was drawn stays where it was; new area starts blank.
    if (canvas_.size() == size())
        return;
    QImage resized(size(), QImage::Format_RGB32);
    resized.fill(palette().color(QPalette::Window));
    if (!canvas_.isNull()) {
        QPainter p(&resized);
        p.drawImage(0, 0, canvas_);
    }
    canvas_ = std::move(resized);
}

void TPaintBox::erase()
{
    pending_.clear();
    fitCanvas();
    canvas_.fill(palette().color(QPalette::Window));
    update();
}

void TPaintBox::lines(std::span<const graph_plot::Segment> segments, QColor (*colour)(graph_plot::Curve))
{
    colour_ = colour;
    // Hidden, a plot keeps at most a segment per curve for each column up to
    // its next erase; room for that once, and no tick allocates.
    const std::size_t most = 4 * (static_cast<std::size_t>(std::max(width(), 0)) + 2);
    if (pending_.capacity() < most)
        pending_.reserve(most);
    pending_.insert(pending_.end(), segments.begin(), segments.end());
    if (isVisible())
        drawPending();
}

void TPaintBox::drawPending()
{
    if (pending_.empty())
        return;
    fitCanvas();
    if (canvas_.isNull()) {
        pending_.clear();
        return;
    }
    QPainter p(&canvas_);
    QRect dirty;
    for (const graph_plot::Segment& s : pending_) {
        p.setPen(QPen(colour_(s.curve), 2));
        p.drawLine(s.x0, s.y0, s.x1, s.y1);
        dirty |= QRect(QPoint(s.x0, s.y0), QPoint(s.x1, s.y1)).normalized();
    }
    pending_.clear();
    // Only the columns drawn are copied to the screen again, the pen's width around them.
    update(dirty.adjusted(-2, -2, 2, 2));
}

void TPaintBox::paintEvent(QPaintEvent*)
{
    fitCanvas();
    drawPending();
    QPainter p(this);
    p.drawImage(0, 0, canvas_);
}

// --- The window --------------------------------------------------------------------

TForm2::TForm2(QWidget* parent) : QMainWindow(parent), readPositions(boardPositions)
{
    setObjectName("Form2");
    setWindowTitle("Form2");

    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName("MainMenu1");
    setMenuBar(MainMenu1);
    MenuItem12 = submenu(MainMenu1, "MenuItem12", "view");
    MenuItem1 = item(MenuItem12, "MenuItem1", "full");
    MenuItem2 = item(MenuItem12, "MenuItem2", "diff");
    MenuItem3 = submenu(MainMenu1, "MenuItem3", "multiply");
    MenuItem4 = item(MenuItem3, "MenuItem4", "1");
    MenuItem5 = item(MenuItem3, "MenuItem5", "5");
    MenuItem6 = item(MenuItem3, "MenuItem6", "10");
    MenuItem7 = item(MenuItem3, "MenuItem7", "50");
    MenuItem8 = item(MenuItem3, "MenuItem8", "100");
    MenuItem9 = MainMenu1->addAction("clear");
    MenuItem9->setObjectName("MenuItem9");
    MenuItem1->setChecked(true);
    MenuItem4->setChecked(true);
    connect(MenuItem1, &QAction::triggered, this, [this] { MenuItem1Click(); });
    connect(MenuItem2, &QAction::triggered, this, [this] { MenuItem2Click(); });
    connect(MenuItem4, &QAction::triggered, this, [this] { MenuItem4Click(); });
    connect(MenuItem5, &QAction::triggered, this, [this] { MenuItem5Click(); });
    connect(MenuItem6, &QAction::triggered, this, [this] { MenuItem6Click(); });
    connect(MenuItem7, &QAction::triggered, this, [this] { MenuItem7Click(); });
    connect(MenuItem8, &QAction::triggered, this, [this] { MenuItem8Click(); });
    connect(MenuItem9, &QAction::triggered, this, [this] { MenuItem9Click(); });

    client_ = new QWidget(this);
    setCentralWidget(client_);
    PaintBox1 = new TPaintBox(client_);
    PaintBox1->setObjectName("PaintBox1");
    PaintBox1->setGeometry(0, 0, kWidth, kHeight - 22);

    const auto legend = [this](const char* label, const char* caption, const char* shape, Curve curve, int left,
                               QLabel*& l, TImage*& s) {
        s = new TImage(client_);
        s->setObjectName(QString::fromLatin1(shape));
        s->setPixmap(swatch(colour(curve)));
        s->setGeometry(left, kHeight - 19, kShape, kShape);
        l = new QLabel(QString::fromLatin1(caption), client_);
        l->setObjectName(QString::fromLatin1(label));
        l->setGeometry(left + kShape + 4, kHeight - 18, 30, 16);
    };
    legend("Label1", "Hi", "Shape1", graph_plot::IncHor, 8, Label1, Shape1);
    legend("Label2", "Ha", "Shape2", graph_plot::AbsHor, 64, Label2, Shape2);
    legend("Label3", "Vi", "Shape3", graph_plot::IncVert, 120, Label3, Shape3);
    legend("Label4", "Va", "Shape4", graph_plot::AbsVert, 176, Label4, Shape4);

    resize(kWidth, kHeight + MainMenu1->sizeHint().height());
    client_->installEventFilter(this);

    Timer1 = new platform::DisplayTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(kTickMs);
    connect(Timer1, &platform::DisplayTimer::timeout, this, [this] { Timer1Timer(); });
    Timer1->start();
    platform::onFormActivate(this, [this] { FormActivate(); });
}

QColor TForm2::colour(Curve curve)
{
    switch (curve) {
    case graph_plot::IncHor: return QColor(0xFF, 0, 0);
    case graph_plot::AbsHor: return QColor(0, 0x80, 0);
    case graph_plot::IncVert: return QColor(0, 0xFF, 0xFF);
    case graph_plot::AbsVert: return QColor(0, 0, 0xFF);
    }
    return Qt::black;
}

void TForm2::Timer1Timer()
{
    const graph_plot::Tick t = PLOT.tick(readPositions(), PaintBox1->width(), PaintBox1->height());
    if (t.erase)
        PaintBox1->erase();
    showLegend(PLOT.SHOWSTATE);
    PaintBox1->lines(t.segments, &TForm2::colour);
}

void TForm2::showLegend(graph_plot::TSHOWSTATE state)
{
    if (legendOf_ == state)
        return;
    legendOf_ = state;
    const bool full = state == graph_plot::FULL;
    for (QWidget* w : {static_cast<QWidget*>(Label1), static_cast<QWidget*>(Shape1), static_cast<QWidget*>(Label3),
                       static_cast<QWidget*>(Shape3)})
        w->setVisible(full);
    Label2->setText(full ? "Ha" : "Hd");
    Label4->setText(full ? "Va" : "Vd");
}

void TForm2::FormActivate() { PLOT.takeBaselines(readPositions()); }

void TForm2::FormResize()
{
    const int ch = client_->height();
    PaintBox1->resize(PaintBox1->width(), ch - 20);
    for (QLabel* l : {Label1, Label2, Label3, Label4})
        l->move(l->x(), ch - 18);
    for (TImage* s : {Shape1, Shape2, Shape3, Shape4})
        s->move(s->x(), ch - 19);
}

bool TForm2::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == client_ && event->type() == QEvent::Resize)
        FormResize();
    return QMainWindow::eventFilter(watched, event);
}

void TForm2::MenuItem1Click()
{
    MenuItem1->setChecked(true);
    MenuItem2->setChecked(false);
    PLOT.SHOWSTATE = graph_plot::FULL;
}

void TForm2::MenuItem2Click()
{
    MenuItem2->setChecked(true);
    MenuItem1->setChecked(false);
    PLOT.SHOWSTATE = graph_plot::DIFF;
}

void TForm2::setFactor(QAction* chosen, std::int32_t factor)
{
    for (QAction* a : {MenuItem4, MenuItem5, MenuItem6, MenuItem7, MenuItem8})
        a->setChecked(a == chosen);
    PLOT.FACTOR = factor;
}

void TForm2::MenuItem4Click() { setFactor(MenuItem4, 1); }
void TForm2::MenuItem5Click() { setFactor(MenuItem5, 5); }
void TForm2::MenuItem6Click() { setFactor(MenuItem6, 10); }
void TForm2::MenuItem7Click() { setFactor(MenuItem7, 50); }
void TForm2::MenuItem8Click() { setFactor(MenuItem8, 100); }

void TForm2::MenuItem9Click()
{
    PaintBox1->erase();
    PLOT.clear();
    HAL::SET_CAL(0, 0);
    HAL::SET_INC_CAL(0, 0);
}
