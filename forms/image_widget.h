#pragma once
// A picture on a window: a lamp, a tick mark. Not a label, so translating the
// window never replaces it with a caption.

#include <QColor>
#include <QPixmap>
#include <QWidget>

class TImage final : public QWidget {
    Q_OBJECT
public:
    explicit TImage(QWidget* parent = nullptr);

    void setPixmap(const QPixmap& pixmap);
    const QPixmap& pixmap() const { return pixmap_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap pixmap_;
};

// A round indicator lamp of `diameter` pixels lit in `colour`.
QPixmap lampPixmap(const QColor& colour, int diameter);
