// Hand-off of work from server threads to the main thread.
//
// Other threads queue functions; the main thread runs them in queue order when it drains
// the queue: from its event loop (the front end installs a wake-up that makes the loop
// call DrainMainThreadQueue soon, e.g. a queued call) and while it waits in
// ServeMainThreadUntil (TThread::Join on the main thread waits that way).
// Without a front end and without such a wait, queued work waits until someone drains.
//
// Thread-safety: every function may be called from any thread unless stated otherwise.
// The queue's lock is only held to add or take an entry, never while a function runs.
#pragma once

#include <chrono>
#include <functional>

namespace horalux {

// Runs `method` on the main thread and returns when it has run there; an exception it
// raised is raised again in the caller (same type). On the main thread itself the
// method runs at once. Requires: the main thread drains the queue (or the caller is the
// main thread), else the caller waits for good.
void RunOnMainThread(const std::function<void()>& method);

// Queues `method` for the main thread and returns at once, also on the main thread
// itself (the method then runs at the next drain). Never waits for the main thread.
// An exception the method raises reaches whoever drains the queue (see below).
void PostToMainThread(std::function<void()> method);

// Called (outside the queue's lock, on the queuing thread) each time work is queued.
// The front end installs it before server threads run; an empty function removes it.
// A thread that was queuing meanwhile may still call the previous one once.
void InstallMainThreadWakeup(std::function<void()> wake);

// Runs every queued entry, oldest first, including ones queued meanwhile. When a posted
// method raises, the remaining entries stay queued, the wake-up is called again if any
// remain, and the exception leaves this call. Does nothing when the caller is not the
// main thread.
void DrainMainThreadQueue();

inline constexpr std::chrono::milliseconds WaitForeverMs = std::chrono::milliseconds::max();

// Main thread only: carries out queued work until `done()` holds or `timeout` has passed
// (WaitForeverMs: no limit); returns the last value of done(). `done` is evaluated under
// the queue's lock, so it must be cheap and take no lock of its own (an atomic flag). A
// thread that makes done() true calls WakeMainThreadWaiters afterwards. Exceptions from
// posted methods do not cut the wait short: the first one is raised after it.
// Off the main thread it only waits (no work is run).
bool ServeMainThreadUntil(const std::function<bool()>& done,
                          std::chrono::milliseconds timeout = WaitForeverMs);

// Wakes a ServeMainThreadUntil wait so that it looks at its condition again.
void WakeMainThreadWaiters();

}  // namespace horalux
