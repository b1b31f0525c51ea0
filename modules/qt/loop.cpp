#include "loop.h"

#include <time.h>

#include <QCoreApplication>
#include <QEventLoop>

namespace tama::qt {

TQtLoop::TQtLoop() {
  wake_.setSingleShot(true);
  // the timer only wakes the toolkit's wait; the work is done by WaitUntil
  QObject::connect(&wake_, &QTimer::timeout, [] {});
}

int64_t TQtLoop::Now() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void TQtLoop::Post(TCallback callback) { posted_.push_back(std::move(callback)); }

TEventLoop::TTimerId TQtLoop::AddTimer(int64_t delayMs, TCallback callback) {
  const TTimerId id = nextId_++;
  const int64_t due = Now() + (delayMs > 0 ? delayMs : 0);
  timers_.emplace(std::make_pair(due, id), std::move(callback));
  timerDue_.emplace(id, due);
  return id;
}

TEventLoop::TTimerId TQtLoop::AddBackgroundTimer(int64_t delayMs, TCallback callback) {
  const TTimerId id = AddTimer(delayMs, std::move(callback));
  background_.insert(id);
  return id;
}

bool TQtLoop::CancelTimer(TTimerId id) {
  auto it = timerDue_.find(id);
  if (it == timerDue_.end()) return false;
  timers_.erase({it->second, id});
  timerDue_.erase(it);
  background_.erase(id);
  return true;
}

TEventLoop::TWatchId TQtLoop::Watch(int fd, unsigned events, TWatchCallback callback) {
  const TWatchId id = nextId_++;
  auto w = std::make_shared<TWatch>();
  w->callback = std::move(callback);
  auto hook = [this, id](QSocketNotifier::Type type) {
    auto it = watches_.find(id);
    if (it == watches_.end()) return;
    std::shared_ptr<TWatch> keep = it->second;  // the callback may remove its watch
    ran_ = true;
    keep->callback(type == QSocketNotifier::Read ? kReadable : kWritable);
  };
  if (events & kReadable) {
    w->read = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(w->read.get(), &QSocketNotifier::activated, [hook] { hook(QSocketNotifier::Read); });
  }
  if (events & kWritable) {
    w->write = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
    QObject::connect(w->write.get(), &QSocketNotifier::activated, [hook] { hook(QSocketNotifier::Write); });
  }
  watches_.emplace(id, std::move(w));
  return id;
}

TEventLoop::TWatchId TQtLoop::WatchBackground(int fd, unsigned events, TWatchCallback callback) {
  const TWatchId id = Watch(fd, events, std::move(callback));
  backgroundWatches_.insert(id);
  return id;
}

bool TQtLoop::Unwatch(TWatchId id) {
  backgroundWatches_.erase(id);
  auto it = watches_.find(id);
  if (it == watches_.end()) return false;
  if (it->second->read) it->second->read->setEnabled(false);
  if (it->second->write) it->second->write->setEnabled(false);
  watches_.erase(it);
  return true;
}

bool TQtLoop::RunPosted() {
  bool ran = false;
  for (size_t n = posted_.size(); n > 0 && !posted_.empty() && !quit_; --n) {
    TCallback cb = std::move(posted_.front());
    posted_.pop_front();
    ran = true;
    if (cb) cb();
  }
  return ran;
}

bool TQtLoop::RunDueTimers() {
  const int64_t now = Now();
  const TTimerId limit = nextId_;
  bool ran = false;
  while (!quit_) {
    auto it = timers_.begin();
    while (it != timers_.end() && it->first.first <= now && it->first.second >= limit) ++it;
    if (it == timers_.end() || it->first.first > now) break;
    TCallback cb = std::move(it->second);
    timerDue_.erase(it->first.second);
    background_.erase(it->first.second);
    timers_.erase(it);
    ran = true;
    if (cb) cb();
  }
  return ran;
}

void TQtLoop::ProcessPending() {
  if (quit_) return;
  if (beforeWait) beforeWait();
  RunPosted();
  RunDueTimers();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool TQtLoop::WaitUntil(int64_t deadline) {
  for (;;) {
    if (quit_) return false;
    if (beforeWait) beforeWait();
    bool ran = RunPosted();
    ran = RunDueTimers() || ran;
    if (ran) return true;
    const int64_t now = Now();
    if (deadline >= 0 && now >= deadline) return false;
    int64_t wait = -1;
    if (!timers_.empty()) wait = timers_.begin()->first.first - now;
    if (deadline >= 0 && (wait < 0 || deadline - now < wait)) wait = deadline - now;
    if (wait < 0 && !CanHappen()) return false;  // nothing can happen any more
    if (wait >= 0) wake_.start(static_cast<int>(std::min<int64_t>(wait, 1 << 30)));
    ran_ = false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (ran_) return true;
  }
}

void TQtLoop::Run() {
  while (!quit_ && CanHappen() && WaitUntil(-1)) {
  }
}

}  // namespace tama::qt
