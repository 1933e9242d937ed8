#include "tools/iocontrol.h"

#include "core/names.h"
#include "core/system_init.h"
#include "forms/widgets.h"
#include "platform/dialogs.h"

#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include <algorithm>

namespace {

constexpr int kStoredWidth = 320;
constexpr int kStoredHeight = 240;
constexpr const char* kFileName = "ioconfig.txt";

QRect place(const ioconfig::Rect& r) { return {r.left, r.top, r.width, r.height}; }

// A group box whose rows lie in the area below its caption, as the plan
// places them.
class GroupArea final : public QObject {
public:
    GroupArea(QGroupBox* box, QWidget* area) : QObject(box), box_(box), area_(area)
    {
        box->installEventFilter(this);
        fit();
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Resize || event->type() == QEvent::FontChange)
            fit();
        return false;
    }

private:
    void fit()
    {
        const int top = box_->fontMetrics().height() + 2;
        area_->setGeometry(2, top, std::max(0, box_->width() - 4), std::max(0, box_->height() - top - 2));
    }
    QGroupBox* box_;
    QWidget* area_;
};

}  // namespace

TIO_Control::TIO_Control(QWidget* parent, const std::string& file) : QWidget(parent)
{
    setObjectName("IO_Control");
    setWindowTitle("IO_Control");
    resize(kStoredWidth, kStoredHeight);
    FormCreate(file.empty() ? GET_EXEPATH() + kFileName : file);
}

void TIO_Control::FormCreate(const std::string& file)
{
    SIGN->BUTTONS = 0;
    SIGN->SPEED = 0;
    const ioconfig::Plan plan = ioconfig::readFile(file);
    std::vector<QWidget*> areas;
    for (const ioconfig::Group& g : plan.groups) {
        auto* box = new QGroupBox(forms::qstr(g.caption), this);
        box->setGeometry(place(g.place));
        auto* area = new QWidget(box);
        new GroupArea(box, area);
        box->raise();
        GROUPLIST.push_back(box);
        areas.push_back(area);
    }
    for (const ioconfig::Row& r : plan.rows) {
        TITEM item = GENITEM(areas[r.group], r);
        item.BITLIST = r.bits;
        if (item.TOGGLE)
            TOGGLETEXT(item.TOGGLE, item.DATALIST);
        ITEMLIST.push_back(std::move(item));
    }
    resize(plan.clientWidth, plan.clientHeight);
}

TIO_Control::TITEM TIO_Control::GENITEM(QWidget* group, const ioconfig::Row& row)
{
    TITEM item;
    item.LAB = new QLabel(forms::qstr(row.label), group);
    item.LAB->setGeometry(place(row.labelPlace));
    switch (row.kind) {
    case ioconfig::Kind::Button:
        item.BUTTON = new QPushButton(forms::qstr(row.data), group);
        item.BUTTON->setGeometry(place(row.control));
        item.BUTTON->installEventFilter(this);
        break;
    case ioconfig::Kind::Toggle:
        item.TOGGLE = new QPushButton(group);
        item.TOGGLE->setCheckable(true);
        item.TOGGLE->setGeometry(place(row.control));
        connect(item.TOGGLE, &QPushButton::clicked, this, [this, t = item.TOGGLE] { ToggleBox1Click(t); });
        break;
    case ioconfig::Kind::LabelOnly:
        break;
    }
    item.DATALIST = row.data;
    return item;
}

void TIO_Control::TOGGLETEXT(QAbstractButton* toggle, const std::string& textList)
{
    toggle->setText(forms::qstr(ioconfig::toggleText(textList, toggle->isChecked())));
}

std::optional<std::int32_t> TIO_Control::bitsOf(const TITEM& item)
{
    const std::optional<std::int32_t> bits = ioconfig::bitsValue(item.BITLIST);
    if (!bits)
        platform::dialogs().message("IO_Control", "The outputs of row \"" + item.LAB->text().toStdString() + "\" are \"" +
                                                      item.BITLIST + "\", which is not a whole number.");
    return bits;
}

void TIO_Control::ToggleBox1Click(QObject* sender)
{
    const auto it = std::find_if(ITEMLIST.begin(), ITEMLIST.end(), [&](const TITEM& i) { return i.TOGGLE == sender; });
    if (it == ITEMLIST.end())
        return;
    const bool on = it->TOGGLE->isChecked();
    const std::optional<std::int32_t> bits = bitsOf(*it);
    if (!bits) {
        // Back as it was: a toggle must not show a state the board never got.
        const QSignalBlocker quiet(it->TOGGLE);
        it->TOGGLE->setChecked(!on);
        return;
    }
    SIGN->BUTTONS = ioconfig::toggled(SIGN->BUTTONS, *bits, on);
    post();
    TOGGLETEXT(it->TOGGLE, it->DATALIST);
}

void TIO_Control::Button1MouseDown(QObject* sender, Qt::MouseButton button)
{
    if (button != Qt::LeftButton)
        return;
    const auto it = std::find_if(ITEMLIST.begin(), ITEMLIST.end(), [&](const TITEM& i) { return i.BUTTON == sender; });
    if (it == ITEMLIST.end())
        return;
    const std::optional<std::int32_t> bits = bitsOf(*it);
    if (!bits)
        return;
    SIGN->BUTTONS = *bits;
    post();
}

void TIO_Control::post() { SIGNAL(bus::Control, WM_IO_MESSAGE, SIGN); }

bool TIO_Control::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)
        Button1MouseDown(watched, static_cast<QMouseEvent*>(event)->button());
    return QWidget::eventFilter(watched, event);
}
