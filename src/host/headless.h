// The headless host: output to standard output, the error dialog to standard
// error, no windows. Text leaves the process as UTF-8.
#pragma once
#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "engine/host.h"

namespace tama::host {

// Writes Shift-JIS text as UTF-8 with every CR LF and lone CR as a line feed.
void WriteText(std::FILE* f, std::string_view sjis);

// The event loop without a window: poll(2) on the watched descriptors, with
// the time-out of the next timer, on the monotonic clock. With the virtual
// clock (for tests), waiting for a timer moves the clock to it at once.
class THeadlessLoop : public TEventLoop {
 public:
  enum class TClock { kReal, kVirtual };
  explicit THeadlessLoop(TClock clock = TClock::kReal) : virtual_(clock == TClock::kVirtual) {}

  int64_t Now() override;
  void Post(TCallback callback) override;
  TTimerId AddTimer(int64_t delayMs, TCallback callback) override;
  bool CancelTimer(TTimerId id) override;
  TTimerId AddBackgroundTimer(int64_t delayMs, TCallback callback) override;
  TWatchId Watch(int fd, unsigned events, TWatchCallback callback) override;
  bool Unwatch(TWatchId id) override;
  TWatchId WatchBackground(int fd, unsigned events, TWatchCallback callback) override;
  void ProcessPending() override;
  bool WaitUntil(int64_t deadline) override;
  void Run() override;
  void Quit() override { quit_ = true; }
  bool QuitRequested() const override { return quit_; }
  bool CanHappen() const override {
    return !posted_.empty() || timers_.size() > background_.size() ||
           watches_.size() > backgroundWatches_.size();
  }

 private:
  bool RunPosted();
  bool RunDueTimers();
  // Polls the watched descriptors (timeout in ms, -1 for none) and runs the
  // callbacks of those that are ready.
  bool PollWatches(int timeoutMs);

  struct TWatch {
    int fd;
    unsigned events;
    TWatchCallback callback;
  };
  bool virtual_;
  int64_t virtualNow_ = 0;
  bool quit_ = false;
  uint64_t nextId_ = 1;
  std::deque<TCallback> posted_;
  std::map<std::pair<int64_t, TTimerId>, TCallback> timers_;  // by due time, then by age
  std::unordered_map<TTimerId, int64_t> timerDue_;
  std::unordered_set<TTimerId> background_;  // the armed background timers
  std::map<TWatchId, TWatch> watches_;
  std::unordered_set<TWatchId> backgroundWatches_;
};

class THeadlessHost : public THost {
 public:
  void Display(std::string_view text) override;
  void Message(std::string_view text, std::string_view caption) override;
  TErrorAnswer ShowErrorDialog(const std::string& log) override;
  bool Headless() const override { return true; }
  // The security question on the terminal when standard input is one;
  // otherwise the `unanswered` line goes to standard error and the question
  // counts as closed.
  TSecurityAnswer AskSecurity(std::string_view message, std::string_view unanswered) override;
  // Asked before the terminal: the scripted events' answer (true when the
  // next step answered the question).
  std::function<bool(TSecurityAnswer&)> scriptedSecurity;
  // The line of a dialog no one can answer goes to standard error.
  void Unanswered(std::string_view line) override;
  // Warnings go to standard error, after their caption.
  void Warning(std::string_view text, std::string_view caption) override;

  TEventLoop* Loop() override { return &loop_; }

  bool errorReported = false;  // the run ended with the error report

 private:
  THeadlessLoop loop_;
};

}  // namespace tama::host
