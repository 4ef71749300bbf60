#pragma once

#include <QObject>

#include <functional>

// Every slice of work that goes on from the event loop (a scan catching up, a
// filter being built, earlier lines being read) takes its turn in one queue:
// one slice per turn of the event loop, so that however many windows have
// work, input and painting wait for one slice only.
namespace WorkQueue {

// The kinds of work an owner may have waiting, each at most once.
enum class Kind { Scan, Filter, Earlier };

// Runs `slice` at a later turn, unless the owner is gone or Cancel() came
// first; `slice` returns true while more is waiting, and then goes to the
// back of the queue. Posting a kind the owner already has waiting, or running
// (a slice asks for more by returning true), does nothing.
void Post(QObject* owner, Kind kind, std::function<bool()> slice);
// Whether the owner has that kind waiting or running.
bool Pending(const QObject* owner, Kind kind);
// Drops the waiting slice; one running now is not put back.
void Cancel(const QObject* owner, Kind kind);

}  // namespace WorkQueue
