// The socket commands of the network family: the TCP client and server on the
// run's event loop, the DDE conversations between programs on this machine
// (network_dde.cpp), and the facts about this machine and its network.
#pragma once
#include <memory>
#include <string>
#include <string_view>

#include "engine/tama.h"

namespace tama {

// A program position that a socket notification runs, with the file it is in.
struct TNetEntry {
  TPos at;
  std::string file;
  explicit operator bool() const { return static_cast<bool>(at); }
};

// Runs an entry as an event of the program: while the program is busy, an
// event-call frame makes it run after the running command and return there;
// while it is idle, it runs now on a level of its own. Errors that escape
// it end with the notification.
void RunNetEntry(TTamaBase& t, const TNetEntry& entry);

// Takes the raw label word of a handler-setting command: "" for none, else
// the label of exactly that name ("未定義のラベル…" otherwise).
TNetEntry LabelEntry(TTamaBase& t, std::string_view name);

// One pump step of a network wait: the scripted `busy` steps that are due,
// then the loop until something ran or `stepMs` passed.
void PumpStep(TTamaBase& t, int64_t stepMs);

namespace net {

// ---- TCP client and server (network_tcp.cpp) ----
void TcpSetsuzoku(TTamaBase& t, int id);
void TcpSetsudan(TTamaBase& t, int id);
void TcpSetsuzokuJoutai(TTamaBase& t, int id);
void TcpSoushin(TTamaBase& t, int id);
void TcpShoriSettei(TTamaBase& t, int id);  // the three handler-setting commands
void TcpServerKidou(TTamaBase& t, int id);
void TcpServerShuuryou(TTamaBase& t, int id);
void TcpServerSetsuzokusakiRekkyo(TTamaBase& t, int id);
void TcpServerKaraSoushin(TTamaBase& t, int id);
void TcpServerKaraSetsudan(TTamaBase& t, int id);

// ---- facts (network_tcp.cpp) ----
void UserMeiShutoku(TTamaBase& t, int id);
void ComputerMeiShutoku(TTamaBase& t, int id);
void IpAddressShutoku(TTamaBase& t, int id);
void NetworkRekkyo(TTamaBase& t, int id);  // computers, domains and shared folders: none here

// ---- DDE (network_dde.cpp) ----
void DdeSoushin(TTamaBase& t, int id);
void DdeServerSakusei(TTamaBase& t, int id);

}  // namespace net
}  // namespace tama
