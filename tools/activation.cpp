#include "tools/activation.h"

#include "platform/form_activation.h"

#include <QEvent>
#include <QWidget>

#include <utility>

namespace tools {
namespace {

class ShowWatch final : public QObject {
public:
    ShowWatch(QWidget* form, std::function<void()> handler) : QObject(form), handler_(std::move(handler))
    {
        form->installEventFilter(this);
        platform::onFormActivate(form, [this] {
            // The showing has run it already.
            if (std::exchange(ranAtShow_, false))
                return;
            handler_();
        });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && static_cast<QWidget*>(watched)->isWindow()) {
            ranAtShow_ = true;
            handler_();
        } else if (event->type() == QEvent::Hide) {
            ranAtShow_ = false;
        }
        return false;
    }

private:
    std::function<void()> handler_;
    bool ranAtShow_ = false;
};

}  // namespace

void onActivateOrShow(QWidget* form, std::function<void()> handler) { new ShowWatch(form, std::move(handler)); }

}  // namespace tools
