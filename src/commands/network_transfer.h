// The protocol requests of the network commands: the client from the net
// module, and a request run on a worker thread while the command waits with
// the event loop running (timers, widget, TCP and DDE events arrive and find
// the program busy; the progress dialog's stop button aborts the request).
#pragma once
#include <memory>
#include <string>
#include <string_view>

#include "support/netclient.h"

namespace tama {

class TTamaBase;

namespace netcmd {

// The client; raises the missing-module error naming the command.
net::INetClient& Client(TTamaBase& t, std::string_view command);

// Runs the request on the session; while it runs the progress dialog shows
// the bytes moved with `message` (when the dialog is open). Returns when the
// request has ended (also after an abort).
net::TReply Run(TTamaBase& t, net::ISession& session, const net::TRequest& request, net::TTransferControl& control,
                std::string_view message);

// The progress dialog for as long as this lives; its stop button aborts the
// request of `control`.
class TProgressScope {
 public:
  TProgressScope(TTamaBase& t, std::string_view message, net::TTransferControl* control);
  ~TProgressScope();
  void Set(int position, int maximum, std::string_view message);
  TProgressScope(const TProgressScope&) = delete;
  TProgressScope& operator=(const TProgressScope&) = delete;

 private:
  TTamaBase& t_;
};

// One pump step: the events that are due run (they find the program busy),
// the script's `busy` steps and a stop of the progress dialog are taken.
void Pump(TTamaBase& t);
// A pause with the loop running.
void PauseMs(TTamaBase& t, int ms);

// A host as the URL takes it: "name", "name:port", "[v6]:port"; nothing that
// would change what the URL names (false for an empty one).
bool PlainHost(std::string_view host);

// Passwords and URL user information replaced by "****".
std::string Masked(std::string_view text, std::string_view password = {});

// The inactivity limit of transfers in seconds: $TAMAKAZU_NET_IDLE_SECONDS
// when it is a positive number, else 300.
long IdleSeconds();

}  // namespace netcmd
}  // namespace tama
