// DDE conversations between programs of this user on this machine, on the
// local request transport (support/ipc.h). A server topic t of the service s
// (the run-time's own name) listens on DDEFOLDER/s/t@PID, the folder private
// to the user; a client for (s, t) tries the live sockets of that topic,
// oldest first, and removes the stale ones it meets; the topic "command" is
// also asked of the service's own socket (the editor link, an editor). A
// command is one request (topic, text) written without waiting for the answer.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <tuple>
#include <vector>

#include "commands/network_tcp.h"
#include "commands/system_internal.h"
#include "engine/event_loop.h"
#include "support/ipc.h"
#include "support/lines.h"
#include "support/path.h"

namespace tama {

namespace {

constexpr int kTopicLimit = 10;
constexpr int64_t kStartRetryMs = 100;
constexpr int64_t kStartLimitMs = 20000;

struct TDdeTopic {
  std::string name, path;
  int fd = -1;
  TEventLoop::TWatchId watch = 0;
  TNetEntry entry;
};

}  // namespace

struct TDdeState {
  TEventLoop* loop = nullptr;
  int count = 0;  // topics made; never decreases
  std::vector<TDdeTopic> topics;
  ~TDdeState() {
    for (TDdeTopic& d : topics) {
      if (d.watch && loop) loop->Unwatch(d.watch);
      if (d.fd >= 0) {
        unlink(d.path.c_str());
        close(d.fd);
      }
    }
  }
};

namespace {

TDdeState& Dde(TTamaBase& t) {
  if (!t.ddeState) {
    t.ddeState = std::make_shared<TDdeState>();
    t.ddeState->loop = t.host.Loop();
  }
  return *t.ddeState;
}

std::string ErrorText(std::string_view service, std::string_view topic, std::string_view what) {
  return "サーバー\"" + std::string(service) + "\"トピック\"" + std::string(topic) + "\"でエラー。" + std::string(what);
}

// The service of this run-time: its file name without the extension.
std::string OwnService(TTamaBase& t) {
  std::string name(support::FileNamePart(t.runtimePath));
  const size_t slash = name.find_last_of('/');
  if (slash != std::string::npos) name.erase(0, slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name.empty() ? "tamakazu" : name;
}

// The folder of the DDE services (private, made when missing).
std::string DdeFolder(std::string& error) {
  std::string folder = ipc::RuntimeFolder(error);
  if (folder.empty()) return "";
  folder += "/dde";
  if (!ipc::PrivateFolder(folder, error)) return "";
  return folder;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

// A topic name that can be a socket's name in the service's folder.
bool UsableTopic(std::string_view topic) {
  if (topic.empty() || topic.front() == '.') return false;
  for (char c : topic)
    if (c == '/' || c == 0) return false;
  return true;
}

void Served(TTamaBase& t, size_t index) {
  TDdeState& d = Dde(t);
  if (index >= d.topics.size()) return;
  ipc::TRequest request;
  if (!ipc::Accept(d.topics[index].fd, request)) return;
  // the client does not wait for the command to run
  ipc::Reply(request, true);
  t.QuickWord("DDE文字列").SetValue(support::LinesEndingCrLf(request.data));
  const TNetEntry entry = d.topics[index].entry;
  RunNetEntry(t, entry);
}

// The sockets that may serve (service, topic), in the order they are tried.
struct TCandidate {
  std::string path;
  bool topicSocket;  // a stale one is removed
};

std::vector<TCandidate> Candidates(std::string_view service, std::string_view topic) {
  std::vector<TCandidate> out;
  std::string error;
  if (SameName(topic, "command")) {
    const std::string folder = ipc::RuntimeFolder(error);
    if (!folder.empty()) out.push_back({ipc::SocketPath(folder, service), false});
  }
  const std::string folder = DdeFolder(error);
  if (folder.empty()) return out;
  std::vector<std::tuple<int64_t, std::string>> found;
  auto list = [](const std::string& dir, auto&& each) {
    DIR* d = opendir(dir.c_str());
    if (!d) return;
    while (dirent* e = readdir(d)) each(std::string(e->d_name));
    closedir(d);
  };
  list(folder, [&](const std::string& serviceDir) {
    if (!SameName(serviceDir, service)) return;
    const std::string dir = folder + "/" + serviceDir;
    list(dir, [&](const std::string& name) {
      const size_t at = name.rfind('@');
      if (at == std::string::npos || !SameName(std::string_view(name).substr(0, at), topic)) return;
      const std::string path = dir + "/" + name;
      struct stat st{};
      if (lstat(path.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode) || st.st_uid != getuid()) return;
      found.emplace_back(static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec, path);
    });
  });
  std::sort(found.begin(), found.end());
  for (auto& [when, path] : found) out.push_back({path, true});
  return out;
}

// Opens a link to (service, topic): the connection, or -1 when no server
// answers.
int Link(std::string_view service, std::string_view topic) {
  for (const TCandidate& c : Candidates(service, topic)) {
    std::string error;
    bool refused = false;
    const int fd = ipc::ConnectTo(c.path, error, &refused);
    if (fd >= 0) return fd;
    // nobody accepts on it: its server ended without removing it
    if (refused && c.topicSocket) unlink(c.path.c_str());
  }
  return -1;
}

}  // namespace

namespace net {

void DdeSoushin(TTamaBase& t, int) {
  const std::string command = t.PopArgValue();
  const std::string topic = t.PopArgValue();
  const std::string service = t.PopArgValue();
  int fd = Link(service, topic);
  const std::string program(support::TrimControl(t.QuickWord("DDEファイル名").Value()));
  if (fd < 0 && !program.empty()) {
    // the program that serves it is started, and the link tried again
    sys::StartProgram(t, program);
    TEventLoop* loop = t.host.Loop();
    const int64_t start = loop ? loop->Now() : 0;
    while (fd < 0 && loop && loop->Now() - start < kStartLimitMs && !t.stopFlag && !loop->QuitRequested()) {
      const int64_t next = loop->Now() + kStartRetryMs;
      while (loop->Now() < next && !t.stopFlag && !loop->QuitRequested()) PumpStep(t, next - loop->Now());
      fd = Link(service, topic);
    }
  }
  if (fd < 0) t.Raise(ErrorText(service, topic, "リンク出来ませんでした。"));
  const bool sent = ipc::WriteRequest(fd, topic, command);
  close(fd);
  if (!sent) t.Raise(ErrorText(service, topic, "コマンドの送信に失敗"));
}

void DdeServerSakusei(TTamaBase& t, int) {
  const std::string topic = t.PopArgValue();
  const std::string label = t.PopArgText();
  THashNode* word = label.empty() ? nullptr : t.words.Find(label, false);
  if (!word || word->Kind != wkLabel || !word->Link)
    t.Raise(ErrorText("自身", topic, "ジャンプ先ラベルが見つかりません。"));
  TDdeState& d = Dde(t);
  if (d.count >= kTopicLimit) t.Raise(ErrorText("自身", topic, "これ以上サーバーを立ち上げられません。"));
  const std::string failed = ErrorText("自身", topic, "サーバー作成に失敗");
  // the editor link's topic and the topics already made here are taken
  if (!UsableTopic(topic) || SameName(topic, "command")) t.Raise(failed);
  for (const TDdeTopic& other : d.topics)
    if (SameName(other.name, topic)) t.Raise(failed);
  std::string error;
  std::string folder = DdeFolder(error);
  if (folder.empty()) t.Raise(failed);
  folder += "/" + OwnService(t);
  if (!ipc::PrivateFolder(folder, error)) t.Raise(failed);
  TDdeTopic made;
  made.name = topic;
  made.path = folder + "/" + topic + "@" + std::to_string(getpid());
  made.entry = TNetEntry{word->Link, word->Tag};
  made.fd = ipc::ListenAt(made.path, error);
  if (made.fd < 0) t.Raise(failed);
  const size_t index = d.topics.size();
  TTamaBase* tp = &t;
  if (d.loop) made.watch = d.loop->Watch(made.fd, TEventLoop::kReadable, [tp, index](unsigned) { Served(*tp, index); });
  d.topics.push_back(std::move(made));
  ++d.count;
}

}  // namespace net
}  // namespace tama
