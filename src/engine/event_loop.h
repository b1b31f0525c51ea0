// The event loop a run returns to when its main text has run or after 待機:
// callbacks posted to it, one-shot timers on a monotonic clock, and watched
// file descriptors. The headless host runs it on poll(2); a window view runs
// its toolkit's loop behind the same interface.
#pragma once
#include <cstdint>
#include <functional>
#include <utility>

namespace tama {

class TEventLoop {
 public:
  using TCallback = std::function<void()>;
  using TTimerId = uint64_t;  // 0 is no timer
  using TWatchId = uint64_t;  // 0 is no watch
  enum TWatchEvents : unsigned { kReadable = 1, kWritable = 2, kHangUp = 4 };
  using TWatchCallback = std::function<void(unsigned events)>;

  virtual ~TEventLoop() = default;

  // The monotonic clock in milliseconds from an arbitrary start.
  virtual int64_t Now() = 0;

  // Runs the callback from the loop, after the callbacks posted before it.
  virtual void Post(TCallback callback) = 0;

  // A one-shot timer: the callback runs once the clock has reached
  // Now() + delay. Timers due at the same moment run in the order they were
  // added.
  virtual TTimerId AddTimer(int64_t delayMs, TCallback callback) = 0;
  // False when the timer has run already or was cancelled before.
  virtual bool CancelTimer(TTimerId id) = 0;
  // A timer that keeps nothing alive: CanHappen() does not count it (the
  // frames of an animation run as long as the run does, but never make it
  // wait). A loop without the distinction treats it as any timer.
  virtual TTimerId AddBackgroundTimer(int64_t delayMs, TCallback callback) {
    return AddTimer(delayMs, std::move(callback));
  }

  // Watches a descriptor for the events (kReadable, kWritable); the callback
  // gets the events that are ready, each time they are, until Unwatch.
  virtual TWatchId Watch(int fd, unsigned events, TWatchCallback callback) = 0;
  virtual bool Unwatch(TWatchId id) = 0;
  // A watch that keeps nothing alive, as a background timer (a server the
  // run answers on while it runs). A loop without the distinction treats it
  // as any watch.
  virtual TWatchId WatchBackground(int fd, unsigned events, TWatchCallback callback) {
    return Watch(fd, events, std::move(callback));
  }

  // Runs what is ready now without waiting: the posted callbacks, the timers
  // that are due and the descriptors that are ready.
  virtual void ProcessPending() = 0;
  // Waits until something has run, the deadline (a value of Now(); negative
  // for none) has passed, Quit was asked, or nothing can happen any more.
  // True when something ran.
  virtual bool WaitUntil(int64_t deadline) = 0;
  // Runs until Quit, or until nothing can happen any more.
  virtual void Run() = 0;

  // Makes Run and WaitUntil return; they return at once from then on.
  virtual void Quit() = 0;
  virtual bool QuitRequested() const = 0;

  // Something can still happen: a callback is posted, a timer other than a
  // background one armed or a descriptor watched other than in the background.
  virtual bool CanHappen() const = 0;
};

}  // namespace tama
