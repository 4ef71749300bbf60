#include "work_queue.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <deque>
#include <utility>

namespace WorkQueue {
namespace {

struct Work {
    QPointer<QObject> owner;  // null once the owner is gone
    Kind kind;
    std::function<bool()> slice;
};

struct Queue {
    std::deque<Work> waiting;
    Work* running = nullptr;
    bool runningCancelled = false;
};

Queue& TheQueue() {
    static Queue queue;
    return queue;
}

bool Matches(const Work& work, const QObject* owner, Kind kind) {
    return work.kind == kind && work.owner && work.owner.data() == owner;
}

void Turn();

// One zero timer for the whole queue, which fires once a pass of the event
// loop, between the passes that deliver posted events (painting among them); a
// chain of posted events would keep every timer waiting every other pass.
QTimer* Ticker() {
    static QPointer<QTimer> ticker;  // the application's child: gone with it
    if (!ticker && QCoreApplication::instance()) {
        ticker = new QTimer(QCoreApplication::instance());
        QObject::connect(ticker, &QTimer::timeout, &Turn);
    }
    return ticker;
}

void Tick() {
    QTimer* ticker = Ticker();
    if (!ticker) return;
    if (TheQueue().waiting.empty()) {
        ticker->stop();
    } else if (!ticker->isActive()) {
        ticker->start(0);
    }
}

void Turn() {
    Queue& q = TheQueue();
    while (!q.waiting.empty() && !q.waiting.front().owner) q.waiting.pop_front();
    if (!q.waiting.empty()) {
        Work work = std::move(q.waiting.front());
        q.waiting.pop_front();
        q.running = &work;
        q.runningCancelled = false;
        const bool more = work.slice();
        q.running = nullptr;
        if (more && work.owner && !q.runningCancelled) q.waiting.push_back(std::move(work));
    }
    Tick();
}

}  // namespace

void Post(QObject* owner, Kind kind, std::function<bool()> slice) {
    if (Pending(owner, kind)) return;
    TheQueue().waiting.push_back({owner, kind, std::move(slice)});
    Tick();
}

bool Pending(const QObject* owner, Kind kind) {
    const Queue& q = TheQueue();
    if (q.running && !q.runningCancelled && Matches(*q.running, owner, kind)) return true;
    return std::any_of(q.waiting.begin(), q.waiting.end(),
                       [&](const Work& w) { return Matches(w, owner, kind); });
}

void Cancel(const QObject* owner, Kind kind) {
    Queue& q = TheQueue();
    if (q.running && Matches(*q.running, owner, kind)) q.runningCancelled = true;
    std::erase_if(q.waiting, [&](const Work& w) { return Matches(w, owner, kind); });
}

}  // namespace WorkQueue
