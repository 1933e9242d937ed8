#include "forms/image_widget.h"

#include <QPainter>
#include <QRadialGradient>

TImage::TImage(QWidget* parent) : QWidget(parent) {}

void TImage::setPixmap(const QPixmap& pixmap)
{
    pixmap_ = pixmap;
    update();
}

void TImage::paintEvent(QPaintEvent*)
{
    if (pixmap_.isNull())
        return;
    QPainter p(this);
    // Centred at its own size: a lamp stays round whatever the widget's shape.
    const QSize s = pixmap_.deviceIndependentSize().toSize();
    p.drawPixmap((width() - s.width()) / 2, (height() - s.height()) / 2, pixmap_);
}

QPixmap lampPixmap(const QColor& colour, int diameter)
{
    QPixmap pm(diameter, diameter);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(1.0, 1.0, diameter - 2.0, diameter - 2.0);
    QRadialGradient g(r.center() - QPointF(diameter / 6.0, diameter / 6.0), diameter / 1.6);
    g.setColorAt(0.0, colour.lighter(170));
    g.setColorAt(1.0, colour.darker(130));
    p.setBrush(g);
    p.setPen(QPen(colour.darker(220), 1.0));
    p.drawEllipse(r);
    return pm;
}
