// Ends a start-up benchmark program when its window has painted for the first time: once the paint is
// done, writes the monotonic clock in nanoseconds to standard output and quits. The benchmark takes the
// time from its own clock reading before the spawn, so that what the program does when it ends (freeing
// its windows and pictures) is not counted as start-up.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>

#include <cstdio>
#include <time.h>

namespace specialty::bench {

class FirstPaint : public QObject {
  public:
    // Set when the window shows what it should; paints before that do not count.
    bool armed = true;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (armed && !reported_ && event->type() == QEvent::Paint) {
            reported_ = true;
            QTimer::singleShot(0, qApp, [] {
                timespec now{};
                clock_gettime(CLOCK_MONOTONIC, &now);
                std::printf("%lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    bool reported_ = false;
};

} // namespace specialty::bench
