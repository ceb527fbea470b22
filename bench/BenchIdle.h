#pragma once

// Idle, as the window benchmarks measure it: the window has painted since the waiter was armed
// and the event loop has nothing left to do (it is about to block waiting for input).

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vl::bench {

class IdleWaiter : public QObject
{
public:
    explicit IdleWaiter(QWidget *window) : window_(window) { qApp->installEventFilter(this); }
    ~IdleWaiter() override { qApp->removeEventFilter(this); }

    // Paints from now on count.
    void Arm() { painted_ = false; }

    // Runs the event loop until the window has painted and the loop is about to block; false
    // when that did not happen within the time limit.
    bool Wait(int limitMs = 30'000)
    {
        QEventLoop loop;
        bool idle = false;
        const QMetaObject::Connection c
            = QObject::connect(QAbstractEventDispatcher::instance(),
                               &QAbstractEventDispatcher::aboutToBlock, &loop, [&] {
                                   if (painted_) {
                                       idle = true;
                                       loop.quit();
                                   }
                               });
        QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
        loop.exec();
        QObject::disconnect(c);
        return idle;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType()
            && (watched == window_ || window_->isAncestorOf(static_cast<QWidget *>(watched))))
            painted_ = true;
        return false;
    }

private:
    QWidget *window_;
    bool painted_ = false;
};

// Milliseconds since the moment in VL_BENCH_T0 (set by "vorlant-bench-tool launch" just before
// it started this process), or -1 when it is not set.
inline double MsSinceLaunch()
{
    const char *t0 = std::getenv("VL_BENCH_T0");
    if (!t0)
        return -1;
    timespec now {};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    const long long ns = static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
    return static_cast<double>(ns - std::atoll(t0)) / 1e6;
}

// The peak resident set of this process so far, in MB.
inline double PeakRssMb()
{
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

inline double MsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

} // namespace vl::bench
