// The run's event loop driven by the toolkit: posted callbacks and one-shot
// timers of the run kept here, woken by a single-shot QTimer; descriptors
// watched with QSocketNotifier; waiting inside the toolkit's event
// processing, so the windows stay alive while the program waits.
#pragma once
#include <QSocketNotifier>
#include <QTimer>
#include <deque>
#include <map>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/event_loop.h"

namespace tama::qt {

class TQtLoop : public TEventLoop {
 public:
  TQtLoop();

  int64_t Now() override;
  void Post(TCallback callback) override;
  TTimerId AddTimer(int64_t delayMs, TCallback callback) override;
  TTimerId AddBackgroundTimer(int64_t delayMs, TCallback callback) override;
  bool CancelTimer(TTimerId id) override;
  TWatchId Watch(int fd, unsigned events, TWatchCallback callback) override;
  TWatchId WatchBackground(int fd, unsigned events, TWatchCallback callback) override;
  bool Unwatch(TWatchId id) override;
  void ProcessPending() override;
  bool WaitUntil(int64_t deadline) override;
  void Run() override;
  void Quit() override { quit_ = true; }
  bool QuitRequested() const override { return quit_; }
  bool CanHappen() const override {
    // background timers alone keep nothing running
    return !posted_.empty() || timers_.size() > background_.size() ||
           watches_.size() > backgroundWatches_.size() || (interactive && windowOpen);
  }

  // Something of the program ran from the toolkit (a user's action): a wait
  // that was waiting for anything returns.
  void NoteRan() { ran_ = true; }
  // Called at every wait, before the toolkit's events are taken.
  std::function<void()> beforeWait;

  // Without scripted events the user can always act while 母艦 is open.
  bool interactive = false;
  bool windowOpen = true;

 private:
  bool RunPosted();
  bool RunDueTimers();

  struct TWatch {
    std::unique_ptr<QSocketNotifier> read, write;
    TWatchCallback callback;
  };
  bool quit_ = false;
  bool ran_ = false;
  uint64_t nextId_ = 1;
  QTimer wake_;
  std::deque<TCallback> posted_;
  std::map<std::pair<int64_t, TTimerId>, TCallback> timers_;
  std::unordered_map<TTimerId, int64_t> timerDue_;
  std::unordered_set<TTimerId> background_;  // the armed background timers
  std::unordered_set<TWatchId> backgroundWatches_;
  std::map<TWatchId, std::shared_ptr<TWatch>> watches_;
};

}  // namespace tama::qt
