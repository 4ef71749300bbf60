#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

// The longest wait between two turns of the event loop, as a 2 ms timer sees
// it from construction on.
class StallProbe {
  public:
    StallProbe() {
        clock_.start();
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
        timer_.start(2);
    }
    // Counting the wait since the last turn, too.
    double WorstMs() {
        Tick();
        return static_cast<double>(worst_) / 1e6;
    }

  private:
    void Tick() {
        const qint64 now = clock_.nsecsElapsed();
        worst_ = std::max(worst_, now - last_);
        last_ = now;
    }

    QElapsedTimer clock_;
    QTimer timer_;
    qint64 last_ = 0;
    qint64 worst_ = 0;
};
