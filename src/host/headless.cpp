#include "host/headless.h"

#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <climits>
#include <vector>

#include "sjis/convert.h"
#include "sjis/sjis.h"

namespace tama::host {

void WriteText(std::FILE* f, std::string_view sjis) {
  std::string lines;
  lines.reserve(sjis.size());
  for (size_t i = 0; i < sjis.size(); ++i) {
    char c = sjis[i];
    if (c == '\r') {
      lines += '\n';
      if (i + 1 < sjis.size() && sjis[i + 1] == '\n') ++i;
    } else {
      lines += c;
      if (sjis::IsLead(c) && i + 1 < sjis.size()) lines += sjis[++i];
    }
  }
  std::string utf8 = sjis::SjisToUtf8(lines);
  std::fwrite(utf8.data(), 1, utf8.size(), f);
}

void THeadlessHost::Display(std::string_view text) {
  WriteText(stdout, text);
  std::fputc('\n', stdout);
}

void THeadlessHost::Message(std::string_view text, std::string_view caption) {
  (void)caption;
  WriteText(stdout, text);
  std::fputc('\n', stdout);
}

THost::TErrorAnswer THeadlessHost::ShowErrorDialog(const std::string& log) {
  std::fflush(stdout);
  WriteText(stderr, log);
  if (!log.empty() && log.back() != '\n' && log.back() != '\r') std::fputc('\n', stderr);
  std::fflush(stderr);
  errorReported = true;
  return TErrorAnswer::kStop;
}

namespace {
const char* Utf8(const char8_t* s) { return reinterpret_cast<const char*>(s); }
}  // namespace

THost::TSecurityAnswer THeadlessHost::AskSecurity(std::string_view message, std::string_view unanswered) {
  std::fflush(stdout);
  if (TSecurityAnswer scripted; scriptedSecurity && scriptedSecurity(scripted)) return scripted;
  if (!isatty(STDIN_FILENO)) {
    WriteText(stderr, unanswered);
    std::fputc('\n', stderr);
    std::fflush(stderr);
    return TSecurityAnswer::kClosed;
  }
  WriteText(stderr, message);
  std::fputc('\n', stderr);
  WriteText(stderr, "[1] はい  [2] いいえ  [3] 全てはい  [4] 全ていいえ > ");
  std::fflush(stderr);
  char line[256];
  if (!std::fgets(line, sizeof line, stdin)) return TSecurityAnswer::kClosed;
  std::string answer = line;
  while (!answer.empty() && (answer.back() == '\n' || answer.back() == '\r' || answer.back() == ' '))
    answer.pop_back();
  // the answer is typed in the terminal's UTF-8
  if (answer == "1" || answer == "y" || answer == "Y" || answer == Utf8(u8"はい")) return TSecurityAnswer::kYes;
  if (answer == "2" || answer == "n" || answer == "N" || answer == Utf8(u8"いいえ")) return TSecurityAnswer::kNo;
  if (answer == "3" || answer == Utf8(u8"全てはい")) return TSecurityAnswer::kAllYes;
  if (answer == "4" || answer == Utf8(u8"全ていいえ")) return TSecurityAnswer::kAllNo;
  return TSecurityAnswer::kClosed;
}

void THeadlessHost::Unanswered(std::string_view line) {
  std::fflush(stdout);
  WriteText(stderr, line);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

void THeadlessHost::Warning(std::string_view text, std::string_view caption) {
  std::fflush(stdout);
  std::string line(caption);
  line += ": ";
  line += text;
  WriteText(stderr, line);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

// ---- the event loop ----

int64_t THeadlessLoop::Now() {
  if (virtual_) return virtualNow_;
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void THeadlessLoop::Post(TCallback callback) { posted_.push_back(std::move(callback)); }

TEventLoop::TTimerId THeadlessLoop::AddTimer(int64_t delayMs, TCallback callback) {
  const TTimerId id = nextId_++;
  const int64_t due = Now() + (delayMs > 0 ? delayMs : 0);
  timers_.emplace(std::make_pair(due, id), std::move(callback));
  timerDue_.emplace(id, due);
  return id;
}

TEventLoop::TTimerId THeadlessLoop::AddBackgroundTimer(int64_t delayMs, TCallback callback) {
  const TTimerId id = AddTimer(delayMs, std::move(callback));
  background_.insert(id);
  return id;
}

bool THeadlessLoop::CancelTimer(TTimerId id) {
  auto it = timerDue_.find(id);
  if (it == timerDue_.end()) return false;
  timers_.erase({it->second, id});
  timerDue_.erase(it);
  background_.erase(id);
  return true;
}

TEventLoop::TWatchId THeadlessLoop::Watch(int fd, unsigned events, TWatchCallback callback) {
  const TWatchId id = nextId_++;
  watches_.emplace(id, TWatch{fd, events, std::move(callback)});
  return id;
}

bool THeadlessLoop::Unwatch(TWatchId id) {
  backgroundWatches_.erase(id);
  return watches_.erase(id) > 0;
}

TEventLoop::TWatchId THeadlessLoop::WatchBackground(int fd, unsigned events, TWatchCallback callback) {
  const TWatchId id = Watch(fd, events, std::move(callback));
  backgroundWatches_.insert(id);
  return id;
}

// Runs the callbacks posted before this turn; those they post wait for the next.
bool THeadlessLoop::RunPosted() {
  bool ran = false;
  for (size_t n = posted_.size(); n > 0 && !posted_.empty() && !quit_; --n) {
    TCallback cb = std::move(posted_.front());
    posted_.pop_front();
    ran = true;
    if (cb) cb();
  }
  return ran;
}

// Runs the timers due now that were added before this turn, oldest due first.
bool THeadlessLoop::RunDueTimers() {
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

bool THeadlessLoop::PollWatches(int timeoutMs) {
  std::vector<pollfd> fds;
  std::vector<TWatchId> ids;
  fds.reserve(watches_.size());
  for (const auto& [id, w] : watches_) {
    short ev = 0;
    if (w.events & kReadable) ev |= POLLIN;
    if (w.events & kWritable) ev |= POLLOUT;
    fds.push_back({w.fd, ev, 0});
    ids.push_back(id);
  }
  if (fds.empty()) {
    if (timeoutMs > 0) {
      timespec ts{timeoutMs / 1000, static_cast<long>(timeoutMs % 1000) * 1000000L};
      while (nanosleep(&ts, &ts) != 0) {
      }
    }
    return false;
  }
  const int n = poll(fds.data(), fds.size(), timeoutMs);
  if (n <= 0) return false;
  bool ran = false;
  for (size_t i = 0; i < fds.size() && !quit_; ++i) {
    if (fds[i].revents == 0) continue;
    auto it = watches_.find(ids[i]);
    if (it == watches_.end()) continue;  // removed by an earlier callback
    unsigned events = 0;
    if (fds[i].revents & POLLIN) events |= kReadable;
    if (fds[i].revents & POLLOUT) events |= kWritable;
    if (fds[i].revents & (POLLHUP | POLLERR | POLLNVAL)) events |= kHangUp;
    TWatchCallback cb = it->second.callback;  // the callback may remove its watch
    ran = true;
    cb(events);
  }
  return ran;
}

void THeadlessLoop::ProcessPending() {
  if (quit_) return;
  RunPosted();
  RunDueTimers();
  if (!watches_.empty()) PollWatches(0);
}

bool THeadlessLoop::WaitUntil(int64_t deadline) {
  for (;;) {
    if (quit_) return false;
    bool ran = RunPosted();
    ran = RunDueTimers() || ran;
    if (ran) return true;
    const int64_t now = Now();
    if (deadline >= 0 && now >= deadline) return false;
    // how long until the next timer or the deadline
    int64_t wait = -1;
    if (!timers_.empty()) wait = timers_.begin()->first.first - now;
    if (deadline >= 0 && (wait < 0 || deadline - now < wait)) wait = deadline - now;
    // nothing can happen any more (a background watch alone never makes the run wait)
    if (wait < 0 && watches_.size() <= backgroundWatches_.size()) return false;
    if (wait < 0) wait = -1;
    if (wait > INT_MAX) wait = INT_MAX;
    if (virtual_) {
      // time passes at once unless a descriptor is ready
      if (!watches_.empty() && PollWatches(wait < 0 ? -1 : 0)) return true;
      if (wait > 0) virtualNow_ = now + wait;
      continue;
    }
    if (PollWatches(static_cast<int>(wait))) return true;
  }
}

void THeadlessLoop::Run() {
  // background timers alone keep nothing running
  while (!quit_ && CanHappen() && WaitUntil(-1)) {
  }
}

}  // namespace tama::host
