// The Internet protocol client of the network commands: one request at a time
// on a session (a connection the session keeps between requests: the FTP
// login, the POP3 mailbox, the HTTP cookies). The client lives in the net
// module (libtamakazu-net.so); its requests block, so the commands run them
// on a worker thread and keep the event loop running meanwhile. Texts are
// bytes as they go on the wire.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tama::net {

// What a running request shares with the command that waits for it.
struct TTransferControl {
  std::atomic<bool> abort{false};         // set by the stop button: the request ends as soon as it can
  std::atomic<int64_t> done{0}, total{0};  // bytes moved and expected (0: unknown)
  long idleSeconds = 300;                  // a transfer that moves nothing this long fails
};

enum class TOutcome { kOk, kConnect, kFailed, kAborted };

struct TReply {
  TOutcome outcome = TOutcome::kOk;
  std::string error;      // the client's text of the failure
  long status = 0;        // the protocol's response code
  std::string body;       // the response body (when no descriptor took it)
  std::string entryPath;  // FTP: the folder the login leads to
  std::string effectiveUrl;
};

struct TRequest {
  std::string url;
  std::string user, password;  // login (none when user is empty)
  bool noBody = false;         // a command without a transfer
  std::string customRequest;   // instead of the protocol's default command
  std::vector<std::string> quote;  // FTP commands sent before the request
  // mail
  std::string mailFrom;
  std::vector<std::string> mailRcpt;
  // uploads: from memory, or from a descriptor of a known size
  bool upload = false;
  std::string uploadData;
  int uploadFd = -1;
  int64_t uploadSize = -1;
  // downloads: the body goes to this descriptor when set, else to reply.body
  int downloadFd = -1;
  // HTTP
  bool post = false;
  std::string postFields;
  std::vector<std::string> headers;  // "Name: value"
  std::string userAgent;
  bool failOnError = false;          // a status of 400 or more fails
  int maxRedirects = 0;              // followed redirects
  // FTP
  bool ftpActive = false;  // PORT instead of EPSV/PASV
  bool ftpAscii = false;
  bool ftpAbsolutePaths = false;  // one CWD with the whole folder
};

class ISession {
 public:
  virtual ~ISession() = default;
  // Runs the request and waits for its end (call from one thread at a time).
  virtual TReply Perform(const TRequest& request, TTransferControl& control) = 0;
};

class INetClient {
 public:
  virtual ~INetClient() = default;
  // A new session; closing it (destroying) ends the protocol's session
  // politely (QUIT), which commits POP3 deletions.
  virtual std::unique_ptr<ISession> NewSession() = 0;
};

}  // namespace tama::net

// The entry of the net module: the client, or null when the module was built
// from other sources or with other flags than the run-time.
extern "C" tama::net::INetClient* tama_module_net(const char* buildId);
