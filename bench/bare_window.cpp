// The idle floor of a program built as this one must be: a Qt window with a
// 10 ms display timer that does nothing, and a thread that sleeps to
// absolute 10 ms deadlines on the monotonic clock and does nothing either.
#include <QApplication>
#include <QMainWindow>
#include <QTimer>

#include <atomic>
#include <ctime>
#include <pthread.h>
#include <thread>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle("bare window");
    window.resize(640, 480);
    window.show();
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.start(10);

    std::atomic<bool> running{true};
    std::thread loop([&] {
        pthread_setname_np(pthread_self(), "bare loop");
        timespec next{};
        clock_gettime(CLOCK_MONOTONIC, &next);
        while (running) {
            next.tv_nsec += 10'000'000L;
            if (next.tv_nsec >= 1'000'000'000L) {
                next.tv_nsec -= 1'000'000'000L;
                ++next.tv_sec;
            }
            clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
        }
    });
    const int status = QApplication::exec();
    running = false;
    loop.join();
    return status;
}
