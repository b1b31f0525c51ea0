#include "gui/dap.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

#include "engine/event_loop.h"
#include "gui/debug.h"
#include "sjis/convert.h"
#include "support/fileops.h"
#include "support/json.h"
#include "support/path.h"

namespace tama::gui::dap {

namespace {

using json::TValue;

std::string U(std::string_view sjis) { return sjis::SjisToUtf8(sjis); }

// The length of the longest prefix of `s` that ends on a whole UTF-8 character.
size_t WholeUtf8(std::string_view s) {
  size_t n = s.size();
  for (size_t back = 1; back <= 3 && back <= n; ++back) {
    const unsigned char c = static_cast<unsigned char>(s[n - back]);
    if ((c & 0xC0) == 0x80) continue;  // a continuation byte
    const size_t len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    return len > back ? n - back : n;
  }
  return n;
}

std::string RealPath(const std::string& path) {
  if (path.empty()) return path;
  char buf[PATH_MAX];
  if (realpath(path.c_str(), buf)) return buf;
  return path;
}

enum class TMode { kRun, kStepIn, kNext, kOut };

struct TSession {
  int in = -1, out = -1;
  bool gone = false;  // the editor closed its side
  std::mutex writing;  // one message at a time (the output pump writes too)
  int seq = 1;
  std::string buffer;  // bytes read and not yet a whole message
  std::deque<TValue> queue;

  // the program's standard output and error: pipes read by the pump
  struct TStream {
    int fd = -1;         // the pipe's reading end
    int target = -1;     // the descriptor it replaces
    int saved = -1;      // what that descriptor was before
    const char* category = "";
    std::string carry;   // the start of a character cut by a read
  };
  TStream streams[2];
  bool piped = false;
  int wakeRead = -1, wakeWrite = -1;
  std::thread pump;

  // configuration
  bool initialized = false, launched = false, configured = false, noDebug = false;
  std::string launchProgram;
  std::vector<std::string> launchArgs;
  std::map<std::string, std::set<int>> breakpoints;  // source path -> lines
  std::string program, programReal;

  // the run
  TTamaBase* t = nullptr;
  TEventLoop::TWatchId watch = 0;
  TEventLoop* loop = nullptr;
  TMode mode = TMode::kRun;
  int stepDepth = 0;
  bool pauseRequested = false;
  bool stopped = false;  // stopped: the requests are served until one resumes
  bool inHook = false;
  bool ended = false;    // disconnect or terminate asked for the end
  int stopLine = 0;      // the line shown as the top frame (1-based)
};

std::unique_ptr<TSession> gSession;

// ---- the channel ----

// Sends one message; the caller holds `writing`.
void SendLocked(TSession& s, TValue message) {
  message.Set("seq", s.seq++);
  const std::string body = message.Dump();
  const std::string bytes = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
  support::WriteAll(s.out, bytes.data(), bytes.size());
}

void Send(TSession& s, TValue message) {
  std::lock_guard<std::mutex> lock(s.writing);
  SendLocked(s, std::move(message));
}

void SendOutputLocked(TSession& s, TSession::TStream& stream, std::string text, bool whole = false) {
  text = stream.carry + text;
  const size_t cut = whole ? text.size() : WholeUtf8(text);
  stream.carry = text.substr(cut);
  text.resize(cut);
  if (text.empty()) return;
  const char* category = stream.category;
  TValue event = TValue::Object();
  event.Set("type", "event");
  event.Set("event", "output");
  TValue body = TValue::Object();
  body.Set("category", category);
  body.Set("output", std::move(text));
  event.Set("body", std::move(body));
  SendLocked(s, std::move(event));
}

// What the program wrote that is still in the pipe, sent as output events.
void DrainOutputLocked(TSession& s) {
  char buf[65536];
  for (TSession::TStream& stream : s.streams) {
    while (stream.fd >= 0) {
      int ready = 0;
      if (ioctl(stream.fd, FIONREAD, &ready) != 0 || ready <= 0) break;
      const ssize_t n = read(stream.fd, buf, sizeof buf);
      if (n <= 0) break;
      SendOutputLocked(s, stream, std::string(buf, static_cast<size_t>(n)));
    }
  }
}

void DrainOutput(TSession& s) {
  std::fflush(stdout);
  std::fflush(stderr);
  std::lock_guard<std::mutex> lock(s.writing);
  DrainOutputLocked(s);
}

// The pump: the program's output sent as it comes, also while the run waits.
void Pump(TSession* s) {
  while (true) {
    pollfd fds[3] = {{s->wakeRead, POLLIN, 0}, {s->streams[0].fd, POLLIN, 0}, {s->streams[1].fd, POLLIN, 0}};
    if (poll(fds, 3, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[0].revents) return;
    std::lock_guard<std::mutex> lock(s->writing);
    DrainOutputLocked(*s);
    // a pipe whose writers are all gone is no longer watched
    for (int i = 0; i < 2; ++i) {
      int ready = 0;
      if ((fds[i + 1].revents & POLLHUP) && ioctl(fds[i + 1].fd, FIONREAD, &ready) == 0 && ready == 0) {
        close(s->streams[i].fd);
        s->streams[i].fd = -1;
      }
    }
  }
}

// Takes whole messages out of the buffer into the queue.
void Split(TSession& s) {
  while (true) {
    const size_t end = s.buffer.find("\r\n\r\n");
    if (end == std::string::npos) return;
    long length = -1;
    size_t at = 0;
    while (at < end) {
      size_t eol = s.buffer.find("\r\n", at);
      if (eol == std::string::npos || eol > end) eol = end;
      const std::string line = s.buffer.substr(at, eol - at);
      const std::string key = "Content-Length:";
      if (line.compare(0, key.size(), key) == 0) length = std::strtol(line.c_str() + key.size(), nullptr, 10);
      at = eol + 2;
    }
    if (length < 0 || length > (64L << 20)) {
      // not a message the protocol knows: the header is dropped
      s.buffer.erase(0, end + 4);
      continue;
    }
    if (s.buffer.size() < end + 4 + static_cast<size_t>(length)) return;
    TValue message;
    std::string error;
    if (json::Parse(std::string_view(s.buffer).substr(end + 4, static_cast<size_t>(length)), message, error) &&
        message.type() == TValue::kObject)
      s.queue.push_back(std::move(message));
    s.buffer.erase(0, end + 4 + static_cast<size_t>(length));
  }
}

// Reads what has come, waiting up to timeoutMs (negative: until something
// comes). False when nothing came.
bool ReadInput(TSession& s, int timeoutMs) {
  if (s.gone) return false;
  pollfd p = {s.in, POLLIN, 0};
  int r;
  do r = poll(&p, 1, timeoutMs);
  while (r < 0 && errno == EINTR);
  if (r <= 0) return false;
  char buf[65536];
  const ssize_t n = read(s.in, buf, sizeof buf);
  if (n <= 0) {
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return false;
    s.gone = true;
    return false;
  }
  s.buffer.append(buf, static_cast<size_t>(n));
  Split(s);
  return true;
}

// ---- messages ----

TValue Response(const TValue& request, bool success = true) {
  TValue r = TValue::Object();
  r.Set("type", "response");
  r.Set("request_seq", request["seq"].AsInt());
  r.Set("success", success);
  r.Set("command", request["command"].AsString());
  return r;
}

void Reply(TSession& s, const TValue& request, TValue body = TValue::Object()) {
  TValue r = Response(request);
  r.Set("body", std::move(body));
  Send(s, std::move(r));
}

void Refuse(TSession& s, const TValue& request, const std::string& message) {
  TValue r = Response(request, false);
  r.Set("message", message);
  Send(s, std::move(r));
}

void Event(TSession& s, const char* name, TValue body = TValue::Object()) {
  TValue e = TValue::Object();
  e.Set("type", "event");
  e.Set("event", name);
  e.Set("body", std::move(body));
  Send(s, std::move(e));
}

bool SameSource(const TSession& s, const std::string& path) {
  if (s.program.empty()) return true;
  return RealPath(path) == s.programReal ||
         (path.find('/') == std::string::npos && path == support::NativeBaseName(s.program));
}

// The lines of the breakpoints in the program.
bool BreakpointAt(const TSession& s, int line) {
  for (const auto& [path, lines] : s.breakpoints)
    if (lines.count(line) && SameSource(s, path)) return true;
  return false;
}

// The 0-based row of a position: the row prefix of its line.
int RowOf(const TPos& pos) {
  if (!pos.p || !pos.text) return -1;
  const char* begin = pos.text->begin();
  const char* q = pos.p;
  while (q > begin && q[-1] != '\n') --q;
  if (q == begin) return pos.text->lastLine() == 0 ? 0 : -1;
  int row = 0;
  const char* d = q;
  while (*d >= '0' && *d <= '9' && row < 100000000) row = row * 10 + (*d++ - '0');
  return d > q && *d == ':' ? row : -1;
}

// The row a frame was entered from: a frame's position at the very start of a
// line (after the call, or the opening of its block) stands for the line
// before it.
int CallerRow(const TPos& pos) {
  const int row = RowOf(pos);
  if (row <= 0) return row;
  const char* q = pos.p;
  while (q > pos.text->begin() && (q[-1] == ' ' || q[-1] == '\t' || q[-1] == '(')) --q;
  const char* d = q;
  if (d > pos.text->begin() && d[-1] == ':') {
    --d;
    while (d > pos.text->begin() && d[-1] >= '0' && d[-1] <= '9') --d;
    if (d == pos.text->begin() || d[-1] == '\n') return row - 1;
  }
  return row;
}

// How deep the run is in subroutines and event handlers.
int Depth(TTamaBase& t) {
  int depth = static_cast<int>(t.frames.LevelCount());
  auto count = [&](const std::vector<TRunControl>& frames) {
    for (const TRunControl& f : frames)
      if (f.kind == fkCall || f.kind == fkEventCall) ++depth;
  };
  for (const auto& level : t.frames.SavedLevels()) count(level);
  for (int32_t i = 0; i < t.frames.FrameCount(); ++i)
    if (t.frames.At(static_cast<size_t>(i)).kind == fkCall || t.frames.At(static_cast<size_t>(i)).kind == fkEventCall)
      ++depth;
  return depth;
}

TValue SourceOf(const TSession& s) {
  TValue src = TValue::Object();
  src.Set("name", support::NativeBaseName(s.program));
  if (!s.program.empty()) src.Set("path", s.programReal);
  return src;
}

TValue StackTrace(TSession& s) {
  TValue frames = TValue::Array();
  if (s.t && s.stopped) {
    TTamaBase& t = *s.t;
    const int count = t.frames.FrameCount();
    // the innermost frame at the stop's line; each frame below at the line
    // where the frame above it began
    int line = s.stopLine;
    for (int i = count; i >= 0; --i) {
      TValue f = TValue::Object();
      f.Set("id", i + 1);
      if (i > 0) {
        const TRunControl& frame = t.frames.At(static_cast<size_t>(i - 1));
        f.Set("name", U(std::to_string(i) + ":" + FrameKindName(frame.kind)));
      } else {
        const std::string_view base = support::NativeBaseName(s.program);
        f.Set("name", base.empty() ? std::string_view("main") : base);
      }
      f.Set("source", SourceOf(s));
      f.Set("line", std::max(line, 1));
      f.Set("column", 1);
      frames.Push(std::move(f));
      if (i > 0) {
        const int row = CallerRow(t.frames.At(static_cast<size_t>(i - 1)).resume);
        if (row >= 0) line = row + 1;
      }
    }
  }
  TValue body = TValue::Object();
  body.Set("totalFrames", static_cast<int>(frames.Size()));
  body.Set("stackFrames", std::move(frames));
  return body;
}

// The variables of the word table as the debug dialog lists them with no
// level filter, one scope a declaration level (the innermost first).
std::vector<TDebugVariable> AllVariables(TTamaBase& t) {
  TDebugFilter filter;
  filter.level.clear();
  filter.showObjects = false;
  return ListVariables(t, filter);
}

// A scope's reference: the level + 2 (system words have level -1).
TValue Scopes(TSession& s) {
  TValue scopes = TValue::Array();
  if (s.t) {
    std::set<int32_t> levels;
    for (const TDebugVariable& v : AllVariables(*s.t)) levels.insert(v.level);
    for (auto it = levels.rbegin(); it != levels.rend(); ++it) {
      TValue scope = TValue::Object();
      const std::string name = *it < 0 ? U("システム変数") : U("レベル ") + std::to_string(*it);
      scope.Set("name", name);
      scope.Set("presentationHint", *it < 0 ? "registers" : "locals");
      scope.Set("variablesReference", static_cast<int64_t>(*it) + 2);
      scope.Set("expensive", *it < 0);
      scopes.Push(std::move(scope));
    }
  }
  TValue body = TValue::Object();
  body.Set("scopes", std::move(scopes));
  return body;
}

TValue Variables(TSession& s, int64_t reference) {
  TValue vars = TValue::Array();
  if (s.t) {
    for (const TDebugVariable& v : AllVariables(*s.t)) {
      if (static_cast<int64_t>(v.level) + 2 != reference) continue;
      TValue var = TValue::Object();
      var.Set("name", U(v.name));
      var.Set("value", U(v.value));
      var.Set("type", U(v.tag));
      var.Set("evaluateName", U(v.name));
      var.Set("variablesReference", 0);
      vars.Push(std::move(var));
    }
  }
  TValue body = TValue::Object();
  body.Set("variables", std::move(vars));
  return body;
}

// An expression of the program's language: the value of a word of that
// name, else the expression's value. The run's error log and position stay
// as they were.
bool Evaluate(TSession& s, const std::string& utf8, std::string& result) {
  if (!s.t) {
    result = "no program runs";
    return false;
  }
  TTamaBase& t = *s.t;
  const std::string text = sjis::Utf8ToSjisLossy(utf8);
  const std::string log = t.errorLog.Text();
  const bool wasInHook = s.inHook;
  s.inHook = true;
  bool ok = true;
  try {
    if (THashNode* w = t.words.Find(text, false); w && (w->Kind == wkVariable || w->Kind == wkHash)) {
      result = U(w->Kind == wkHash && w->Dict ? w->Dict->DumpText() : w->Value());
    } else {
      TTamaBase::TNested nested(t);
      result = U(t.EvaluateExpression(text));
    }
  } catch (const std::exception& e) {
    result = U(e.what());
    ok = false;
  }
  s.inHook = wasInHook;
  t.errorLog.Assign(log);
  return ok;
}

void Resume(TSession& s, TMode mode) {
  s.mode = mode;
  s.stepDepth = s.t ? Depth(*s.t) : 0;
  s.stopped = false;
  s.pauseRequested = false;
}

void EndRun(TSession& s) {
  s.ended = true;
  s.stopped = false;
  s.pauseRequested = false;
  if (!s.t || s.t->stopFlag) return;
  // the run ends even when the program refuses to close
  if (!s.t->CloseRun()) {
    s.t->stopFlag = true;
    s.t->StopCursor();
    if (TEventLoop* loop = s.t->host.Loop()) loop->Quit();
  }
}

TValue Capabilities() {
  TValue c = TValue::Object();
  c.Set("supportsConfigurationDoneRequest", true);
  c.Set("supportsTerminateRequest", true);
  c.Set("supportsEvaluateForHovers", true);
  c.Set("supportsSetVariable", false);
  c.Set("supportsStepBack", false);
  c.Set("supportTerminateDebuggee", true);
  c.Set("exceptionBreakpointFilters", TValue::Array());
  return c;
}

void Handle(TSession& s, const TValue& m) {
  if (m["type"].AsString() != "request") return;
  const std::string& command = m["command"].AsString();
  const TValue& args = m["arguments"];
  if (command == "initialize") {
    s.initialized = true;
    Reply(s, m, Capabilities());
    Event(s, "initialized");
  } else if (command == "launch") {
    s.launched = true;
    s.noDebug = args["noDebug"].AsBool();
    s.launchProgram = args["program"].AsString();
    for (const TValue& a : args["args"].Items()) s.launchArgs.push_back(a.AsString());
    Reply(s, m);
  } else if (command == "attach") {
    Refuse(s, m, "the run-time starts its program itself: use launch");
  } else if (command == "setBreakpoints") {
    const std::string path = args["source"]["path"].AsString().empty() ? args["source"]["name"].AsString()
                                                                        : args["source"]["path"].AsString();
    std::set<int>& lines = s.breakpoints[path];
    lines.clear();
    TValue out = TValue::Array();
    auto add = [&](int64_t line) {
      TValue b = TValue::Object();
      const bool ok = line >= 1 && line <= INT_MAX && SameSource(s, path);
      if (ok) lines.insert(static_cast<int>(line));
      b.Set("verified", ok);
      b.Set("line", line);
      if (!ok) b.Set("message", "not a line of the program");
      out.Push(std::move(b));
    };
    if (args.Has("breakpoints")) {
      for (const TValue& b : args["breakpoints"].Items()) add(b["line"].AsInt());
    } else {
      for (const TValue& l : args["lines"].Items()) add(l.AsInt());
    }
    TValue body = TValue::Object();
    body.Set("breakpoints", std::move(out));
    Reply(s, m, std::move(body));
  } else if (command == "setExceptionBreakpoints" || command == "setFunctionBreakpoints") {
    TValue body = TValue::Object();
    body.Set("breakpoints", TValue::Array());
    Reply(s, m, std::move(body));
  } else if (command == "configurationDone") {
    s.configured = true;
    Reply(s, m);
  } else if (command == "threads") {
    TValue thread = TValue::Object();
    thread.Set("id", 1);
    thread.Set("name", "main");
    TValue threads = TValue::Array();
    threads.Push(std::move(thread));
    TValue body = TValue::Object();
    body.Set("threads", std::move(threads));
    Reply(s, m, std::move(body));
  } else if (command == "stackTrace") {
    Reply(s, m, StackTrace(s));
  } else if (command == "scopes") {
    Reply(s, m, Scopes(s));
  } else if (command == "variables") {
    Reply(s, m, Variables(s, args["variablesReference"].AsInt()));
  } else if (command == "evaluate") {
    std::string result;
    if (!Evaluate(s, args["expression"].AsString(), result)) return Refuse(s, m, result);
    TValue body = TValue::Object();
    body.Set("result", result);
    body.Set("variablesReference", 0);
    Reply(s, m, std::move(body));
  } else if (command == "continue") {
    Resume(s, TMode::kRun);
    TValue body = TValue::Object();
    body.Set("allThreadsContinued", true);
    Reply(s, m, std::move(body));
  } else if (command == "next" || command == "stepIn" || command == "stepOut") {
    if (!s.stopped) return Refuse(s, m, "the program is not stopped");
    Resume(s, command == "next" ? TMode::kNext : command == "stepIn" ? TMode::kStepIn : TMode::kOut);
    Reply(s, m);
  } else if (command == "pause") {
    s.pauseRequested = !s.stopped;
    Reply(s, m);
  } else if (command == "terminate" || command == "disconnect") {
    Reply(s, m);
    if (command == "disconnect") s.gone = true;
    EndRun(s);
  } else {
    Refuse(s, m, "unsupported request: " + command);
  }
}

void HandleQueued(TSession& s) {
  while (!s.queue.empty()) {
    TValue m = std::move(s.queue.front());
    s.queue.pop_front();
    Handle(s, m);
  }
}

// Stopped: the event, then the requests until one resumes the run.
void Stop(TSession& s, const char* reason, int line) {
  DrainOutput(s);
  s.stopped = true;
  s.stopLine = line;
  s.mode = TMode::kRun;
  TValue body = TValue::Object();
  body.Set("reason", reason);
  body.Set("threadId", 1);
  body.Set("allThreadsStopped", true);
  Event(s, "stopped", std::move(body));
  const bool wasInHook = s.inHook;
  s.inHook = true;
  while (s.stopped && !s.gone) {
    HandleQueued(s);
    if (s.stopped) ReadInput(s, -1);
  }
  if (s.gone && !s.ended) EndRun(s);
  s.inHook = wasInHook;
}

// The line the cursor stands on (1-based).
int CurrentLine(TTamaBase& t) {
  const int row = RowOf(t.Here());
  return (row >= 0 ? row : t.currentRow) + 1;
}

void LineHook(TTamaBase& t) {
  if (!gSession) return;
  TSession& s = *gSession;
  if (s.inHook || s.ended) return;
  ReadInput(s, 0);
  HandleQueued(s);
  if (s.noDebug || t.stopFlag || s.ended) return;
  const int line = CurrentLine(t);
  const bool main = !t.sourceTexts.empty() && t.curText && (t.curText == t.sourceTexts.front() || t.curText->lastLine() > 0);
  const char* reason = nullptr;
  if (s.pauseRequested) reason = "pause";
  else if (s.mode == TMode::kStepIn) reason = "step";
  else if (s.mode == TMode::kNext && Depth(t) <= s.stepDepth) reason = "step";
  else if (s.mode == TMode::kOut && Depth(t) < s.stepDepth) reason = "step";
  else if (main && BreakpointAt(s, line)) reason = "breakpoint";
  if (reason) Stop(s, reason, line);
}

// Requests that come while the run waits in its event loop.
void Served() {
  if (!gSession) return;
  TSession& s = *gSession;
  if (s.inHook) return;
  ReadInput(s, 0);
  HandleQueued(s);
  if (s.gone && s.loop && s.watch) {
    s.loop->Unwatch(s.watch);
    s.watch = 0;
    if (!s.ended) EndRun(s);
    return;
  }
  if (s.pauseRequested && s.t && !s.ended) {
    s.pauseRequested = false;
    Stop(s, "pause", s.t->currentRow + 1);
  }
}

}  // namespace

bool Open(int port, std::string& error) {
  auto s = std::make_unique<TSession>();
  if (port < 0) {
    // the editor's channel is the process's standard input and output; the
    // program reads an empty input and writes into the pump's pipe
    // (and its error output, the run-time's messages among it)
    s->in = fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 3);
    s->out = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    int outPipe[2], errPipe[2], wake[2];
    if (s->in < 0 || s->out < 0 || pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0 ||
        pipe2(wake, O_CLOEXEC) != 0) {
      error = std::strerror(errno);
      return false;
    }
    std::fflush(stdout);
    std::fflush(stderr);
    const int pipes[2][2] = {{outPipe[0], outPipe[1]}, {errPipe[0], errPipe[1]}};
    const char* categories[2] = {"stdout", "stderr"};
    for (int i = 0; i < 2; ++i) {
      TSession::TStream& stream = s->streams[i];
      stream.target = i == 0 ? STDOUT_FILENO : STDERR_FILENO;
      stream.saved = fcntl(stream.target, F_DUPFD_CLOEXEC, 3);
      stream.category = categories[i];
      stream.fd = pipes[i][0];
      dup2(pipes[i][1], stream.target);
      close(pipes[i][1]);
    }
    const int null = open("/dev/null", O_RDONLY);
    if (null >= 0) {
      dup2(null, STDIN_FILENO);
      close(null);
    }
    s->piped = true;
    s->wakeRead = wake[0];
    s->wakeWrite = wake[1];
    s->pump = std::thread(Pump, s.get());
  } else {
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener < 0) {
      error = std::strerror(errno);
      return false;
    }
    const int one = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(listener, 1) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
      error = "port " + std::to_string(port) + ": " + std::strerror(errno);
      close(listener);
      return false;
    }
    std::fprintf(stderr, "tamakazu: debug adapter listening on 127.0.0.1:%d\n", ntohs(addr.sin_port));
    std::fflush(stderr);
    int conn;
    do conn = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    while (conn < 0 && errno == EINTR);
    close(listener);
    if (conn < 0) {
      error = std::strerror(errno);
      return false;
    }
    s->in = conn;
    s->out = conn;
  }
  gSession = std::move(s);
  return true;
}

bool Active() { return gSession != nullptr; }

bool Configure(std::string& program, std::vector<std::string>& args) {
  if (!gSession) return false;
  TSession& s = *gSession;
  while (!(s.launched && s.configured) && !s.gone && !s.ended) {
    HandleQueued(s);
    if (!(s.launched && s.configured) && !s.ended) ReadInput(s, -1);
  }
  program = s.launchProgram;
  args = s.launchArgs;
  return !s.gone && !s.ended;
}

void SetProgram(const std::string& path) {
  if (!gSession) return;
  gSession->program = path;
  gSession->programReal = RealPath(path);
}

void Attach(TTamaBase& t) {
  if (!gSession) return;
  TSession& s = *gSession;
  s.t = &t;
  t.lineHook = LineHook;
  if (s.ended) t.stopFlag = true;
  if ((s.loop = t.host.Loop())) s.watch = s.loop->WatchBackground(s.in, TEventLoop::kReadable, [](unsigned) { Served(); });
}

void Detach() {
  if (!gSession) return;
  TSession& s = *gSession;
  if (s.loop && s.watch) s.loop->Unwatch(s.watch);
  s.watch = 0;
  s.loop = nullptr;
  if (s.t) s.t->lineHook = nullptr;
  s.t = nullptr;
  s.stopped = false;
}

void Finish(int status) {
  if (!gSession) return;
  TSession& s = *gSession;
  Detach();
  if (s.piped) {
    DrainOutput(s);
    const char stop = 1;
    support::WriteAll(s.wakeWrite, &stop, 1);
    s.pump.join();
    DrainOutput(s);
    // standard error is the process's own again; standard output, which is
    // the editor's channel, goes nowhere
    for (TSession::TStream& stream : s.streams) {
      if (stream.saved < 0) continue;
      int to = stream.saved;
      if (stream.target == STDOUT_FILENO) {
        const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (null >= 0) to = null;
      }
      dup2(to, stream.target);
      if (to != stream.saved) close(to);
      close(stream.saved);
      stream.saved = -1;
    }
    std::lock_guard<std::mutex> lock(s.writing);
    DrainOutputLocked(s);
    for (TSession::TStream& stream : s.streams) {
      if (!stream.carry.empty()) SendOutputLocked(s, stream, std::string(), true);
      if (stream.fd >= 0) close(stream.fd);
      stream.fd = -1;
    }
  }
  if (!s.gone) {
    TValue exited = TValue::Object();
    exited.Set("exitCode", status);
    Event(s, "exited", std::move(exited));
    Event(s, "terminated");
    // the editor answers with disconnect; a silent one is not waited for long
    while (!s.gone && ReadInput(s, 10000)) HandleQueued(s);
    HandleQueued(s);
  }
  if (s.piped) {
    close(s.wakeRead);
    close(s.wakeWrite);
  }
  if (s.in >= 0) close(s.in);
  if (s.out >= 0 && s.out != s.in) close(s.out);
  gSession.reset();
}

}  // namespace tama::gui::dap
