#include "tools/about.h"

#include "core/system_init.h"
#include "core/utils.h"
#include "forms/image_widget.h"
#include "forms/widgets.h"
#include "platform/desktop.h"
#include "platform/form_activation.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr const char* kReadme = "README.md";

using forms::label;

}  // namespace

QPixmap aboutIcon(int width, int height)
{
    QPixmap pm(width, height);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(width / 64.0, height / 60.0);

    // The night sky, a rounded tile.
    QLinearGradient sky(0, 0, 0, 60);
    sky.setColorAt(0.0, QColor(10, 18, 52));
    sky.setColorAt(1.0, QColor(34, 58, 120));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRoundedRect(QRectF(1, 1, 62, 58), 9, 9);
    p.setBrush(QColor(255, 246, 200));
    for (const QPointF& star : {QPointF(10, 10), QPointF(22, 6), QPointF(50, 9), QPointF(56, 22), QPointF(8, 27),
                                QPointF(38, 14)})
        p.drawEllipse(star, 1.3, 1.3);

    // The tube, pointing up to the right, on a fork and a tripod.
    p.save();
    p.translate(31, 33);
    p.rotate(-35);
    p.setBrush(QColor(236, 238, 244));
    p.drawRoundedRect(QRectF(-15, -4.5, 34, 9), 2, 2);
    p.setBrush(QColor(180, 40, 40));
    p.drawRect(QRectF(17, -5.5, 4, 11));
    p.restore();
    p.setPen(QPen(QColor(200, 204, 214), 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(31, 36), QPointF(31, 44));
    p.drawLine(QPointF(31, 44), QPointF(20, 56));
    p.drawLine(QPointF(31, 44), QPointF(42, 56));
    p.drawLine(QPointF(31, 44), QPointF(31, 57));
    return pm;
}

TF_About::TF_About(QWidget* parent) : QDialog(parent)
{
    setObjectName("F_About");
    setWindowTitle("About");
    setFixedSize(kWidth, kHeight);

    Image1 = new TImage(this);
    Image1->setObjectName("Image1");
    Image1->setGeometry(20, 20, 64, 60);
    Image1->setPixmap(aboutIcon(64, 60));

    Label1 = label(this, "Label1", "orla_setup\nSet-up and service program for\ntelescope mounts driven by the\nTarnel2 motor board, by Loridan",
                   {100, 16, 210, 76});
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    L_Version = label(this, "L_Version", "Version:", {100, 108, 200, 20});
    build = label(this, "build", "Build:", {100, 130, 200, 20});

    ADDRESS = GET_EXEPATH() + kReadme;
    Label2 = label(this, "Label2", QString(), {20, 190, kWidth - 40, 20});
    QPalette blue = Label2->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    Label2->setPalette(blue);
    Label2->setCursor(Qt::PointingHandCursor);
    Label2->setToolTip(QString::fromStdString(ADDRESS));
    Label2->installEventFilter(this);

    platform::onFormActivate(this, [this] { FormActivate(); });
}

// The link's font is one that nothing else uses: it is looked up when the
// box is first shown, not while the program starts.
void TF_About::showEvent(QShowEvent* event)
{
    if (Label2->text().isEmpty()) {
        QFont link(QStringLiteral("Arial Narrow"));
        link.setPixelSize(13);
        link.setUnderline(true);
        Label2->setFont(link);
        // A long folder is shortened in its middle; a click opens the whole address.
        Label2->setText(
            QFontMetrics(link).elidedText(QString::fromStdString(ADDRESS), Qt::ElideMiddle, Label2->width()));
    }
    QDialog::showEvent(event);
}

void TF_About::ShowModal(QWidget* owner)
{
    if (owner) {
        const QRect o = owner->frameGeometry();
        move(o.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
    }
    exec();
}

void TF_About::FormActivate()
{
    build->setText(QString::fromStdString("Build: " + GET_BUILD_INFO("")));
    L_Version->setText(QString::fromStdString("Version " + GET_FILE_INFO("")));
}

void TF_About::Label2Click()
{
    // Whether the desktop could open it is not the operator's concern here.
    platform::desktop().openDocument(ADDRESS);
}

bool TF_About::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Label2 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        Label2Click();
    return QDialog::eventFilter(watched, event);
}
