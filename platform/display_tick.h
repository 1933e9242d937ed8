#pragma once
// The display timers that run all the time (the main window's, the device
// window's, the graph's) are driven by one 10 ms tick of the user-interface
// thread. They fall due in the same wake and cannot drift apart, however late
// a wake comes: a late tick moves all of them alike.

#include <QObject>

#include <vector>

class QTimer;

namespace platform {

inline constexpr int kDisplayTickMs = 10;

// A timer on the display tick, used as a QTimer is. Its interval is a whole
// number of ticks (rounded up, at least one); it fires on every that-many-th
// tick counted from its start.
class DisplayTimer final : public QObject {
    Q_OBJECT
public:
    explicit DisplayTimer(QObject* parent = nullptr);
    ~DisplayTimer() override;

    void setInterval(int ms);
    int interval() const { return ticks_ * kDisplayTickMs; }
    void start();
    void stop();
    bool isActive() const { return active_; }

signals:
    void timeout();

private:
    friend class DisplayTick;
    int ticks_ = 1;
    int left_ = 1;
    bool active_ = false;
    bool due_ = false;  // falls due in the tick under way
};

// The tick itself: runs while a timer is active. Lives with the application.
class DisplayTick final : public QObject {
    Q_OBJECT
public:
    static DisplayTick& instance();

    // One tick, as the 10 ms timer gives it; tests call it directly.
    void tick();
    bool running() const;

private:
    explicit DisplayTick(QObject* parent);
    friend class DisplayTimer;
    void add(DisplayTimer* t);
    void remove(DisplayTimer* t);
    // Outside a tick: the list closes its holes, and the tick stops with no timer left.
    void stopWhenIdle();

    QTimer* timer_;
    // A timer stopped during a tick leaves a null in its place until the
    // tick ends, so the tick's walk over the list stays valid without a copy.
    std::vector<DisplayTimer*> timers_;
    int depth_ = 0;  // ticks under way: a handler's modal box runs ticks of its own
    bool holes_ = false;
};

}  // namespace platform
