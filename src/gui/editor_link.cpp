// The editor link's server and its requests.
#include "gui/editor_link.h"

#include <memory>

#include "gui/debug.h"
#include "gui/dialogs.h"
#include "gui/model.h"
#include "support/ipc.h"
#include "support/textops.h"

namespace tama::gui {

namespace {

constexpr char kTopic[] = "command";

struct TLinkServer {
  int fd = -1;
  std::string service;
  TEventLoop::TWatchId watch = 0;
  TEventLoop* loop = nullptr;
  // the loop may be gone at the end of the process: only the socket is closed then
  ~TLinkServer() { ipc::StopListening(fd, service); }
};

// one server a process: the run's event loop serves it
std::unique_ptr<TLinkServer> gServer;

bool Blank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string Stripped(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && Blank(s[b])) ++b;
  while (e > b && Blank(s[e - 1])) --e;
  return std::string(s.substr(b, e - b));
}

bool ProgramLoaded(TTamaBase& t) { return !t.sourceText.empty(); }

void Served(TTamaBase& t, int listenFd) {
  ipc::TRequest request;
  if (!ipc::Accept(listenFd, request)) return;
  // the transaction is acknowledged once the request has run
  if (request.topic == kTopic) {
    EditorRequest(t, request.data);
    ipc::Reply(request, true);
  } else {
    ipc::Reply(request, false);
  }
}

}  // namespace

bool StartEditorLink(TTamaBase& t, const std::string& service, std::string& error) {
  TEventLoop* loop = t.host.Loop();
  if (!loop) {
    error = "no event loop";
    return false;
  }
  StopEditorLink(t);
  const int fd = ipc::Listen(service, error);
  if (fd < 0) return false;
  auto server = std::make_unique<TLinkServer>();
  server->fd = fd;
  server->service = service;
  server->loop = loop;
  TTamaBase* tp = &t;
  server->watch = loop->WatchBackground(fd, TEventLoop::kReadable, [tp, fd](unsigned) { Served(*tp, fd); });
  gServer = std::move(server);
  return true;
}

void StopEditorLink(TTamaBase&) {
  if (gServer && gServer->loop && gServer->watch) gServer->loop->Unwatch(gServer->watch);
  gServer.reset();
}

void EditorRequest(TTamaBase& t, std::string_view text) {
  const size_t space = text.find(' ');
  const std::string word = Stripped(text.substr(0, space));
  const std::string arg = space == std::string_view::npos ? std::string() : Stripped(text.substr(space + 1));
  if (word == "line") {
    if (arg.empty()) {
      TDialogRequest r;
      r.kind = TDialogKind::kMessage;
      r.command = "line";
      r.caption = "たまかず";
      r.message = "実行ライン:" + std::to_string(t.currentRow);
      RunDialog(t, r);
    } else if (arg == kEditorService) {
      ReportRowToEditor(t);
    }
  } else if (word == "pause") {
    // the stop request of a dialog opened by the editor is not acted on
    if (ProgramLoaded(t)) ShowDebugDialog(t);
  } else if (word == "break") {
    if (!ProgramLoaded(t)) return;
    if (arg == kEditorService) ReportRowToEditor(t);
    // the window is closed and the run ends, even when the program refuses to close
    if (!t.CloseRun()) {
      t.stopFlag = true;
      t.StopCursor();
      if (TEventLoop* loop = t.host.Loop()) loop->Quit();
    }
  }
}

bool ReportRowToEditor(TTamaBase& t) {
  std::string error;
  return ipc::Send(kEditorService, kTopic, "row " + std::to_string(t.currentRow), -1, error) >= 0;
}

}  // namespace tama::gui
