#include "core/Signals.h"

#include "core/text.h"
#include "platform/gui_bridge.h"

#include <QCoreApplication>
#include <QPointer>

#include <mutex>
#include <vector>

namespace {

constexpr std::size_t kNameMax = 255;

struct Entry {
    std::string upperName;
    QPointer<QObject> window;
};

// Held while a post reads its target and hands the event to Qt, and taken by
// every registered window as it is destroyed: a post from another thread can
// never reach a window whose destruction has gone past that point.
std::mutex g_mutex;
std::vector<Entry> g_entries;

std::string key(std::string_view name) { return text::asciiUpper(text::cutUtf8(name, kNameMax)); }

// The later registration wins, so the last match counts.
QObject* findLocked(const std::string& upperName)
{
    for (auto it = g_entries.rbegin(); it != g_entries.rend(); ++it)
        if (it->upperName == upperName)
            return it->window.data();
    return nullptr;
}

void post(std::string_view window, std::uint32_t message, std::int64_t param,
          std::shared_ptr<Tpoint_data> point, std::shared_ptr<THWdata> hw)
{
    const std::string k = key(window);
    std::lock_guard lock(g_mutex);
    if (QObject* target = findLocked(k))
        platform::postEvent(target, new SignalEvent(message, param, std::move(point), std::move(hw)));
}

}  // namespace

SignalEvent::SignalEvent(std::uint32_t message, std::int64_t param, std::shared_ptr<Tpoint_data> point,
                         std::shared_ptr<THWdata> hw)
    : QEvent(eventType()), message_(message), param_(param), point_(std::move(point)), hw_(std::move(hw))
{
}

QEvent::Type SignalEvent::eventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

const SignalEvent* SignalEvent::from(const QEvent* e)
{
    // The event was made under the bus lock on the posting thread; taking the
    // lock before looking at it makes that visible here. Qt's own queue lock
    // would too, but thread checkers cannot see it.
    std::lock_guard lock(g_mutex);
    return e && e->type() == eventType() ? static_cast<const SignalEvent*>(e) : nullptr;
}

void ADD_HANDLE(std::string_view NAME, QObject* WINDOW)
{
    if (WINDOW)
        QObject::connect(WINDOW, &QObject::destroyed, [] { std::lock_guard barrier(g_mutex); });
    std::lock_guard lock(g_mutex);
    g_entries.push_back({key(NAME), QPointer<QObject>(WINDOW)});
}

QObject* HANDLE(std::string_view NAME)
{
    const std::string k = key(NAME);
    std::lock_guard lock(g_mutex);
    return findLocked(k);
}

void SIGNAL(std::string_view WINDOW, std::uint32_t MESSAGE, std::int64_t PARAM)
{
    post(WINDOW, MESSAGE, PARAM, nullptr, nullptr);
}

void SIGNAL(std::string_view WINDOW, std::uint32_t MESSAGE, std::shared_ptr<Tpoint_data> RECORD)
{
    post(WINDOW, MESSAGE, 0, std::move(RECORD), nullptr);
}

void SIGNAL(std::string_view WINDOW, std::uint32_t MESSAGE, std::shared_ptr<THWdata> RECORD)
{
    post(WINDOW, MESSAGE, 0, nullptr, std::move(RECORD));
}

void CLEAR_HANDLES()
{
    std::lock_guard lock(g_mutex);
    g_entries.clear();
}
