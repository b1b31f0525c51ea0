// The TCP client and server on the run's event loop: non-blocking sockets
// watched by the loop, their notifications turned into program events; and
// the facts about this machine (user, computer name, host addresses).
#include "commands/network_tcp.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "commands/network.h"
#include "engine/event_loop.h"
#include "engine/runstop.h"
#include "gui/mainwindow.h"
#include "gui/model.h"
#include "gui/objects.h"
#include "gui/script.h"
#include "sjis/convert.h"
#include "sjis/lcmap.h"
#include "support/lines.h"
#include "support/number.h"

namespace tama {

namespace {

constexpr size_t kReadPiece = 64 * 1024;
constexpr int64_t kConnectLimitMs = 20000;
constexpr int64_t kFlushLimitMs = 20000;
constexpr int64_t kPumpStepMs = 50;

// One connection: the client's, or one the server accepted.
struct TTcpConn {
  int fd = -1;
  TEventLoop::TWatchId watch = 0;
  unsigned watching = 0;
  std::string out;   // bytes the socket has not taken yet
  std::string peer;  // address "," host name
};

}  // namespace

// What the interpreter keeps for the TCP commands; it lives as long as the
// interpreter state, and the sockets with it.
struct TSocketState {
  TEventLoop* loop = nullptr;
  std::string state;  // the TCP state text

  // the client: `client` is its connection while it is connecting or connected
  std::shared_ptr<TTcpConn> client;
  bool connecting = false;
  std::string connectError;  // why the last connect failed
  struct TAddress {
    sockaddr_storage addr;
    socklen_t len;
  };
  std::vector<TAddress> candidates;  // addresses still to try

  TNetEntry clientReceive, serverReceive, serverConnect;

  // the server: the listening socket while it is active; the connections it
  // accepted, in the order they came
  int listenFd = -1;
  TEventLoop::TWatchId listenWatch = 0;
  std::vector<std::shared_ptr<TTcpConn>> conns;

  void Drop(TTcpConn& c) {
    if (c.watch && loop) loop->Unwatch(c.watch);
    c.watch = 0;
    c.watching = 0;
    if (c.fd >= 0) close(c.fd);
    c.fd = -1;
    c.out.clear();
  }
  void StopListening() {
    if (listenWatch && loop) loop->Unwatch(listenWatch);
    listenWatch = 0;
    if (listenFd >= 0) close(listenFd);
    listenFd = -1;
  }
  ~TSocketState() {
    if (client) Drop(*client);
    for (auto& c : conns) Drop(*c);
    StopListening();
  }
};

namespace {

TSocketState& Sockets(TTamaBase& t) {
  if (!t.socketState) {
    t.socketState = std::make_shared<TSocketState>();
    t.socketState->loop = t.host.Loop();
  }
  return *t.socketState;
}

int64_t RealNow() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

std::string Reason(int e) { return std::strerror(e); }

// A text of the system (UTF-8) as the program's Shift-JIS.
std::string FromSystem(std::string_view s) {
  std::string out;
  if (sjis::Utf8ToSjis(s, out)) return out;
  return std::string(s);
}

// An IPv4 peer of a dual-stack socket as the IPv4 address it is.
socklen_t Unmapped(sockaddr_storage& ss, socklen_t len) {
  if (ss.ss_family != AF_INET6) return len;
  const auto v6 = *reinterpret_cast<const sockaddr_in6*>(&ss);
  if (!IN6_IS_ADDR_V4MAPPED(&v6.sin6_addr)) return len;
  sockaddr_in v4{};
  v4.sin_family = AF_INET;
  v4.sin_port = v6.sin6_port;
  std::memcpy(&v4.sin_addr, v6.sin6_addr.s6_addr + 12, 4);
  std::memset(&ss, 0, sizeof ss);
  std::memcpy(&ss, &v4, sizeof v4);
  return sizeof v4;
}

// The peer of a connected socket: its address, ",", its host name (the
// address again when it has no name).
std::string PeerText(int fd) {
  sockaddr_storage ss{};
  socklen_t len = sizeof ss;
  if (getpeername(fd, reinterpret_cast<sockaddr*>(&ss), &len) != 0) return ",";
  len = Unmapped(ss, len);
  const auto* sa = reinterpret_cast<const sockaddr*>(&ss);
  char text[NI_MAXHOST];
  std::string address;
  if (getnameinfo(sa, len, text, sizeof text, nullptr, 0, NI_NUMERICHOST) == 0) address = text;
  std::string host = address;
  if (getnameinfo(sa, len, text, sizeof text, nullptr, 0, NI_NAMEREQD) == 0) host = FromSystem(text);
  return address + "," + host;
}

// The port of TCPポート (number-read: the range error beyond 32 bits) or the
// service of TCPサービス名, as getaddrinfo takes it; empty with the reason
// in `why` when the port cannot be one.
std::string PortText(TTamaBase& t, std::string& why) {
  const std::string service(support::TrimControl(t.QuickWord("TCPサービス名").Value()));
  const int32_t port = NumberRead(TextToNumber(t.QuickWord("TCPポート").Value()));
  if (!service.empty()) return sjis::SjisToUtf8(service);
  if (port < 0 || port > 65535) {
    why = "port " + std::to_string(port) + " is out of range";
    return "";
  }
  return std::to_string(port);
}

void SetWatch(TTamaBase& t, const std::shared_ptr<TTcpConn>& c, unsigned events);

// Writes what the socket takes now; false with errno on a failure.
bool Flush(TTcpConn& c) {
  while (!c.out.empty()) {
    const ssize_t n = send(c.fd, c.out.data(), c.out.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      c.out.erase(0, static_cast<size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
    return false;
  }
  return true;
}

// Queues bytes on a connection; they are written as the socket takes them.
void SendOn(TTamaBase& t, const std::shared_ptr<TTcpConn>& c, std::string_view data, std::string& why, bool& ok) {
  c->out.append(data);
  if (!Flush(*c)) {
    why = Reason(errno);
    c->out.clear();
    ok = false;
    return;
  }
  ok = true;
  SetWatch(t, c, TEventLoop::kReadable | (c->out.empty() ? 0u : unsigned{TEventLoop::kWritable}));
}

// ---- the client ----

void CloseClient(TSocketState& s) {
  if (s.client) s.Drop(*s.client);
  s.client.reset();
  s.connecting = false;
  s.candidates.clear();
}

void ClientEvent(TTamaBase& t, unsigned events);

// Tries the next address of the connect; false when none is left (the
// reason in connectError).
bool TryNextAddress(TTamaBase& t, int lastError) {
  TSocketState& s = Sockets(t);
  while (!s.candidates.empty()) {
    const TSocketState::TAddress next = s.candidates.front();
    s.candidates.erase(s.candidates.begin());
    const int fd = socket(next.addr.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
      lastError = errno;
      continue;
    }
    if (connect(fd, reinterpret_cast<const sockaddr*>(&next.addr), next.len) != 0 && errno != EINPROGRESS) {
      lastError = errno;
      close(fd);
      continue;
    }
    if (s.client) s.Drop(*s.client);
    s.client = std::make_shared<TTcpConn>();
    s.client->fd = fd;
    s.connecting = true;
    // the connect is complete when the socket becomes writable
    SetWatch(t, s.client, TEventLoop::kWritable);
    return true;
  }
  s.connecting = false;
  if (s.client) s.Drop(*s.client);
  s.client.reset();
  s.connectError = Reason(lastError ? lastError : ECONNREFUSED);
  return false;
}

void ClientConnected(TTamaBase& t) {
  TSocketState& s = Sockets(t);
  s.connecting = false;
  s.candidates.clear();
  s.client->peer = PeerText(s.client->fd);
  s.state = "接続中";
  SetWatch(t, s.client, TEventLoop::kReadable | (s.client->out.empty() ? 0u : unsigned{TEventLoop::kWritable}));
}

// Reads what a connection holds: true with the bytes, false when the peer
// closed it or it failed.
bool ReadPiece(TTcpConn& c, std::string& data, bool& nothing) {
  nothing = false;
  data.resize(kReadPiece);
  for (;;) {
    const ssize_t n = recv(c.fd, data.data(), data.size(), MSG_DONTWAIT);
    if (n > 0) {
      data.resize(static_cast<size_t>(n));
      return true;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      nothing = true;
      data.clear();
      return true;
    }
    data.clear();
    return false;
  }
}

enum class TService { kIdle, kClosed, kReceived };

// Serves a connection's readiness: sends what waits, then reads. kReceived leaves the bytes and the
// sender in TCP文字列 and TCP送信元 for the receive label.
TService Service(TTamaBase& t, const std::shared_ptr<TTcpConn>& c, unsigned events) {
  if ((events & TEventLoop::kWritable) && !c->out.empty()) {
    if (!Flush(*c)) c->out.clear();
    if (c->out.empty()) SetWatch(t, c, TEventLoop::kReadable);
  }
  if (!(events & (TEventLoop::kReadable | TEventLoop::kHangUp))) return TService::kIdle;
  std::string data;
  bool nothing = false;
  if (!ReadPiece(*c, data, nothing)) return TService::kClosed;
  if (nothing) return TService::kIdle;
  t.QuickWord("TCP文字列").SetValue(std::move(data));
  t.QuickWord("TCP送信元").SetValue(c->peer);
  return TService::kReceived;
}

void ClientEvent(TTamaBase& t, unsigned events) {
  TSocketState& s = Sockets(t);
  std::shared_ptr<TTcpConn> c = s.client;
  if (!c || c->fd < 0) return;
  if (s.connecting) {
    int err = 0;
    socklen_t len = sizeof err;
    if (getsockopt(c->fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0) err = errno;
    if (err != 0) {
      // the next address, or the failure with this one's reason
      s.Drop(*c);
      s.client.reset();
      TryNextAddress(t, err);
      return;
    }
    if (!(events & (TEventLoop::kWritable | TEventLoop::kReadable))) return;
    ClientConnected(t);
    return;
  }
  switch (Service(t, c, events)) {
    case TService::kIdle: return;
    case TService::kClosed:
      // the peer closed the connection
      s.Drop(*c);
      if (s.client == c) s.client.reset();
      s.state = "未接続";
      return;
    case TService::kReceived:
      if (s.clientReceive) RunNetEntry(t, s.clientReceive);
      return;
  }
}

// ---- the server ----

void RemoveConnection(TSocketState& s, const std::shared_ptr<TTcpConn>& c) {
  for (size_t i = 0; i < s.conns.size(); ++i) {
    if (s.conns[i] != c) continue;
    s.conns.erase(s.conns.begin() + static_cast<std::ptrdiff_t>(i));
    break;
  }
  s.Drop(*c);
}

void ServerConnectionEvent(TTamaBase& t, const std::weak_ptr<TTcpConn>& weak, unsigned events) {
  TSocketState& s = Sockets(t);
  std::shared_ptr<TTcpConn> c = weak.lock();
  if (!c || c->fd < 0) return;
  switch (Service(t, c, events)) {
    case TService::kIdle: return;
    case TService::kClosed: RemoveConnection(s, c); return;
    case TService::kReceived:
      if (s.serverReceive) RunNetEntry(t, s.serverReceive);
      return;
  }
}

void Accepted(TTamaBase& t) {
  TSocketState& s = Sockets(t);
  for (;;) {
    if (s.listenFd < 0) return;
    const int fd = accept4(s.listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR) continue;
      return;
    }
    auto c = std::make_shared<TTcpConn>();
    c->fd = fd;
    c->peer = PeerText(fd);
    s.conns.push_back(c);
    SetWatch(t, c, TEventLoop::kReadable);
    if (s.serverConnect) {
      t.QuickWord("TCP送信元").SetValue(c->peer);
      RunNetEntry(t, s.serverConnect);
    }
  }
}

void SetWatch(TTamaBase& t, const std::shared_ptr<TTcpConn>& c, unsigned events) {
  TSocketState& s = Sockets(t);
  if (!s.loop || c->fd < 0) return;
  if (c->watch && c->watching == events) return;
  if (c->watch) s.loop->Unwatch(c->watch);
  TTamaBase* tp = &t;
  std::weak_ptr<TTcpConn> weak = c;
  const bool isClient = s.client == c;
  c->watching = events;
  if (isClient)
    c->watch = s.loop->Watch(c->fd, events, [tp, weak](unsigned ev) {
      if (std::shared_ptr<TTcpConn> live = weak.lock(); live && Sockets(*tp).client == live) ClientEvent(*tp, ev);
    });
  else
    c->watch = s.loop->Watch(c->fd, events, [tp, weak](unsigned ev) { ServerConnectionEvent(*tp, weak, ev); });
}

// The first connection whose peer text matches the target: by its address,
// or by its host name without regard to case.
std::shared_ptr<TTcpConn> FindPeer(TSocketState& s, std::string_view target) {
  const std::string upper = sjis::ToUpper(target);
  for (const std::shared_ptr<TTcpConn>& c : s.conns) {
    const std::string& p = c->peer;
    const size_t comma = p.find(',');
    const std::string_view address = support::TrimControl(std::string_view(p).substr(0, comma));
    const std::string_view host =
        comma == std::string::npos ? std::string_view() : support::TrimControl(std::string_view(p).substr(comma + 1));
    if (address == target || sjis::ToUpper(host) == upper) return c;
  }
  return nullptr;
}

void CheckServerActive(TTamaBase& t, TSocketState& s) {
  if (s.listenFd < 0) t.Raise("TCP/IPのエラー。サーバーがアクティブではありません。");
}

bool Stopped(TTamaBase& t) {
  TEventLoop* loop = t.host.Loop();
  return t.stopFlag || (loop && loop->QuitRequested());
}

}  // namespace

// ---- shared pieces ----

void RunNetEntry(TTamaBase& t, const TNetEntry& entry) {
  if (!entry) return;
  TRunControl frame;
  frame.kind = fkEventCall;
  frame.savedFileName = t.programFileName;
  if (gui::Busy(t)) {
    // the handler runs when the executor takes its next sentence, and returns
    // to where the program was
    frame.resume = t.Here();
    t.frames.PushFrame(std::move(frame));
    t.programFileName = entry.file;
    t.Jump(entry.at);
    return;
  }
  try {
    {
      TTamaBase::TNested nested(t);
      frame.resume = t.Here();
      t.frames.PushFrame(std::move(frame));
      t.programFileName = entry.file;
      t.Jump(entry.at);
      t.RunProgram();
    }
    UnwindIfStopped(t);
  } catch (const std::exception&) {
    // an error that escapes the handler ends with this notification
  }
}

TNetEntry LabelEntry(TTamaBase& t, std::string_view name) {
  if (name.empty()) return {};
  THashNode* word = t.words.Find(name, false);
  if (!word || word->Kind != wkLabel || !word->Link)
    t.Raise("未定義のラベル\"" + std::string(name) + "\"に、ジャンプしようとしました。");
  return TNetEntry{word->Link, word->Tag};
}

void PumpStep(TTamaBase& t, int64_t stepMs) {
  TEventLoop* loop = t.host.Loop();
  if (!loop) return;
  gui::TGuiState& g = gui::Gui(t);
  if (g.waitHook) g.waitHook(t);
  if (gui::TScript* script = gui::ScriptOf(t))
    while (!Stopped(t) && script->DeliverNext(t, true)) {
    }
  if (Stopped(t)) return;
  loop->WaitUntil(loop->Now() + stepMs);
}

namespace net {

// ---- the client commands ----

void TcpSetsuzoku(TTamaBase& t, int) {
  const std::string h(support::TrimControl(t.PopArgValue()));
  TSocketState& s = Sockets(t);
  CloseClient(s);
  if (h.empty()) t.Raise("\"TCP接続\"命令の引数に誤りがあります。接続先が設定されていません");
  std::string why;
  const std::string port = PortText(t, why);
  const std::string failure = "TCP/IPのエラー。サーバー\"" + h + "\"へ接続できませんでした。";
  s.state = "接続準備中";
  s.connectError.clear();
  if (port.empty()) t.Raise(failure + why);
  // a name or an address of either family; an IPv6 address may come in brackets
  std::string host = sjis::SjisToUtf8(h);
  if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  if (const int r = getaddrinfo(host.c_str(), port.c_str(), &hints, &list); r != 0) {
    s.state = "未接続";
    t.Raise(failure + gai_strerror(r));
  }
  for (addrinfo* a = list; a; a = a->ai_next) {
    TSocketState::TAddress next{};
    std::memcpy(&next.addr, a->ai_addr, a->ai_addrlen);
    next.len = a->ai_addrlen;
    s.candidates.push_back(next);
  }
  freeaddrinfo(list);
  if (!TryNextAddress(t, 0)) {
    s.state = "未接続";
    t.Raise(failure + s.connectError);
  }
  const int64_t start = RealNow();
  std::string reason;
  for (;;) {
    PumpStep(t, kPumpStepMs);
    if (Stopped(t)) {
      CloseClient(s);
      return;
    }
    if (s.state == "接続中" && s.client && !s.connecting) break;
    if (!s.connecting && !s.connectError.empty()) {
      reason = s.connectError;
      break;
    }
    if (RealNow() - start > kConnectLimitMs) {
      reason = "タイムアップ";
      break;
    }
    if (s.state != "接続準備中") {
      reason = s.state;
      break;
    }
  }
  if (!reason.empty()) {
    // the client stays made and inactive
    CloseClient(s);
    if (s.state == "接続準備中") s.state = "未接続";
    t.Raise(failure + reason);
  }
  usleep(5000);
}

void TcpSetsudan(TTamaBase& t, int) {
  TSocketState& s = Sockets(t);
  if (s.client && !s.connecting) {
    // what was sent is written before the connection closes
    const int64_t start = RealNow();
    while (s.client && s.client->fd >= 0 && !s.client->out.empty() && RealNow() - start < kFlushLimitMs &&
           !Stopped(t))
      PumpStep(t, kPumpStepMs);
    if (s.client && s.client->fd >= 0) shutdown(s.client->fd, SHUT_RDWR);
  }
  CloseClient(s);
  s.state = "切断";
}

void TcpSetsuzokuJoutai(TTamaBase& t, int) { t.SetResultTagged(Sockets(t).state, "s"); }

void TcpSoushin(TTamaBase& t, int) {
  const std::string text = t.PopArgValue();
  TSocketState& s = Sockets(t);
  if (!s.client || s.connecting || s.client->fd < 0) t.Raise("サーバーへの送信に失敗。" + Reason(ENOTCONN));
  std::string why;
  bool ok = false;
  SendOn(t, s.client, text, why, ok);
  if (!ok) t.Raise("サーバーへの送信に失敗。" + why);
}

void TcpShoriSettei(TTamaBase& t, int id) {
  const std::string name = t.PopArgText();
  TNetEntry entry = LabelEntry(t, name);
  TSocketState& s = Sockets(t);
  switch (id) {
    case kCmdTcpJushinShoriSettei:
      s.clientReceive = std::move(entry);
      break;
    case kCmdTcpServerJushinShoriSettei:
      s.serverReceive = std::move(entry);
      break;
    default:
      s.serverConnect = std::move(entry);
      break;
  }
}

// ---- the server commands ----

void TcpServerKidou(TTamaBase& t, int) {
  TSocketState& s = Sockets(t);
  s.state = "起動準備中";
  std::string why;
  const std::string port = PortText(t, why);
  // connections of an earlier start, no longer listed, are closed
  for (auto& c : s.conns) s.Drop(*c);
  s.conns.clear();
  s.serverReceive = {};
  const std::string failure = "TCP/IPサーバーの起動に失敗。";
  if (port.empty()) t.Raise(failure + why);
  if (s.listenFd >= 0) {
    s.state = "起動中";
    return;
  }
  // every address of both families where the system has them, else IPv4
  int fd = -1;
  int lastError = 0;
  for (const int family : {AF_INET6, AF_INET}) {
    addrinfo hints{};
    hints.ai_family = family;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo* list = nullptr;
    if (const int r = getaddrinfo(nullptr, port.c_str(), &hints, &list); r != 0) {
      why = gai_strerror(r);
      lastError = 0;
      continue;
    }
    fd = socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd >= 0) {
      int one = 1, zero = 0;
      setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
      if (family == AF_INET6) setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &zero, sizeof zero);
      if (bind(fd, list->ai_addr, list->ai_addrlen) != 0 || listen(fd, SOMAXCONN) != 0) {
        lastError = errno;
        close(fd);
        fd = -1;
      }
    } else {
      lastError = errno;
    }
    freeaddrinfo(list);
    if (fd >= 0) break;
    // a port in use is in use for both families
    if (lastError == EADDRINUSE || lastError == EACCES) break;
  }
  if (fd < 0) t.Raise(failure + (lastError ? Reason(lastError) : why));
  s.listenFd = fd;
  TTamaBase* tp = &t;
  if (s.loop) s.listenWatch = s.loop->Watch(fd, TEventLoop::kReadable, [tp](unsigned) { Accepted(*tp); });
  s.state = "起動中";
}

void TcpServerShuuryou(TTamaBase& t, int) {
  TSocketState& s = Sockets(t);
  // the server's connections close with it
  for (auto& c : s.conns) {
    if (c->fd >= 0 && !c->out.empty()) Flush(*c);
    s.Drop(*c);
  }
  s.conns.clear();
  s.StopListening();
  s.state = "停止中";
}

void TcpServerSetsuzokusakiRekkyo(TTamaBase& t, int) {
  TSocketState& s = Sockets(t);
  std::string out;
  for (const auto& c : s.conns) out += c->peer + "\r\n";
  t.SetResultTagged(std::move(out), "s");
}

void TcpServerKaraSoushin(TTamaBase& t, int) {
  const std::string text = t.PopArgValue();
  const std::string target(support::TrimControl(t.PopArgValue()));
  if (target.empty()) t.Raise("TCP/IPのエラー。相手先が設定されていません");
  TSocketState& s = Sockets(t);
  CheckServerActive(t, s);
  std::shared_ptr<TTcpConn> c = FindPeer(s, target);
  if (!c) return;
  std::string why;
  bool ok = false;
  SendOn(t, c, text, why, ok);
  if (!ok) throw std::runtime_error(why);
}

void TcpServerKaraSetsudan(TTamaBase& t, int) {
  const std::string target(support::TrimControl(t.PopArgValue()));
  if (target.empty()) t.Raise("\"TCPサーバーから切断\"命令の引数に誤りがあります。相手先が設定されていません");
  TSocketState& s = Sockets(t);
  CheckServerActive(t, s);
  std::shared_ptr<TTcpConn> c = FindPeer(s, target);
  if (!c) return;
  if (c->fd >= 0 && !c->out.empty()) Flush(*c);
  RemoveConnection(s, c);
}

// ---- facts ----

void UserMeiShutoku(TTamaBase& t, int) {
  std::string name;
  std::vector<char> buf(16384);
  passwd pw{};
  passwd* found = nullptr;
  if (getpwuid_r(geteuid(), &pw, buf.data(), buf.size(), &found) == 0 && found && found->pw_name)
    name = found->pw_name;
  if (name.empty())
    if (const char* user = std::getenv("USER")) name = user;
  t.SetResultTagged(FromSystem(name), "s");
}

void ComputerMeiShutoku(TTamaBase& t, int) {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) name[0] = 0;
  t.SetResultTagged(FromSystem(name), "s");
}

void IpAddressShutoku(TTamaBase& t, int) {
  std::string h(support::TrimControl(t.PopArgValue()));
  // an empty name stands for this computer, as the system's lookup has it
  if (h.empty()) {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) == 0) h = name;
  } else {
    h = sjis::SjisToUtf8(h);
  }
  std::string result = "(N/A)";
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  if (!h.empty() && getaddrinfo(h.c_str(), nullptr, &hints, &list) == 0) {
    if (list) {
      char text[INET_ADDRSTRLEN];
      const auto* sin = reinterpret_cast<const sockaddr_in*>(list->ai_addr);
      if (inet_ntop(AF_INET, &sin->sin_addr, text, sizeof text)) result = text;
    }
    freeaddrinfo(list);
  }
  t.SetResultTagged(std::move(result), "s");
}

void NetworkRekkyo(TTamaBase& t, int id) {
  // this system has no browse service of the local network: nothing can be
  // listed, which is what an enumeration that cannot be opened gives
  if (id != kCmdNetworkDomainRekkyo) t.PopArgValue();
  t.SetResultTagged("", "s");
}

}  // namespace net
}  // namespace tama
