// HTTPダウンロード and HTTPポスト on one session for the process (its cookies
// last for the run).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <stdexcept>

#include "commands/network_internal.h"
#include "commands/network_transfer.h"
#include "engine/security.h"
#include "engine/tama.h"
#include "support/fileops.h"
#include "support/mailtext.h"
#include "support/path.h"
#include "support/textops.h"

namespace tama::netcmd {

namespace {

struct THttpState {
  std::unique_ptr<net::ISession> session;
  // the request's content type: "text/html" until the first form is posted
  bool posted = false;
};

THttpState& Http() {
  static THttpState state;
  return state;
}

net::ISession& HttpSession(TTamaBase& t, std::string_view command) {
  net::INetClient& client = Client(t, command);
  THttpState& h = Http();
  if (!h.session) h.session = client.NewSession();
  return *h.session;
}

net::TRequest HttpRequest(const std::string& url) {
  net::TRequest r;
  r.url = url;
  r.userAgent = "Mozilla/3.0 (compatible; Indy Library)";
  r.headers = {"Accept: text/html, */*",
               std::string("Content-Type: ") + (Http().posted ? "application/x-www-form-urlencoded" : "text/html")};
  r.failOnError = true;
  r.maxRedirects = 10;
  return r;
}

}  // namespace

TReplacingFile::TReplacingFile(std::string native) : native_(std::move(native)) {}

TReplacingFile::~TReplacingFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!temp_.empty()) ::unlink(temp_.c_str());
}

bool TReplacingFile::Open() {
  const size_t slash = native_.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : native_.substr(0, slash + 1);
  std::string name = folder + ".tamakazu-part-XXXXXX";
  fd_ = mkostemp(name.data(), O_CLOEXEC);
  if (fd_ < 0) return false;
  temp_ = name;
  return true;
}

bool TReplacingFile::Commit(bool replace) {
  if (fd_ < 0) return false;
  // the mode a new file gets (the temporary one is private)
  const mode_t mask = ::umask(0);
  ::umask(mask);
  struct stat st;
  const mode_t mode = ::stat(native_.c_str(), &st) == 0 ? (st.st_mode & 07777) : (0666 & ~mask);
  ::fchmod(fd_, mode);
  const bool ok = ::close(fd_) == 0;
  fd_ = -1;
  if (!ok) return false;
  if (replace) {
    if (::rename(temp_.c_str(), native_.c_str()) != 0) return false;
    temp_.clear();
    return true;
  }
  std::string reason;
  if (!support::RenameNoReplace(temp_, native_, reason)) return false;
  temp_.clear();
  return true;
}

// HTTPダウンロード u, f: u with a GET into a temporary file beside f, which
// replaces f when the whole resource has arrived.
void HttpDownload(TTamaBase& t, int) {
  const std::string file = t.PopArgValue();
  const std::string url = t.PopArgValue();
  const std::string shown = Masked(url);
  const std::string failure = "\"" + shown + "\"からのダウンロードに失敗";
  net::ISession& session = HttpSession(t, "HTTPダウンロード");
  if (support::HasLineBreak(url)) t.Raise(failure);
  if (AskSecurity(t, file, "\"" + file + "\"へ書き込みます。")) t.Raise(failure);
  net::TTransferControl control;
  const std::string message = "\"" + shown + "\" よりHTTPデータ取得中";
  TProgressScope progress(t, message, &control);
  Pump(t);
  TReplacingFile out(support::NativePath(file));
  if (!out.Open()) t.Raise(failure);
  net::TRequest r = HttpRequest(url);
  r.downloadFd = out.Fd();
  const net::TReply reply = Run(t, session, r, control, message);
  if (reply.outcome != net::TOutcome::kOk || !out.Commit()) t.Raise(failure);
}

// HTTPポスト t, u: the form body of t posted to u; それ = the response body.
void HttpPost(TTamaBase& t, int) {
  const std::string url = t.PopArgValue();
  const std::string form = t.PopArgValue();
  net::ISession& session = HttpSession(t, "HTTPポスト");
  const std::string shown = Masked(url);
  if (support::HasLineBreak(url)) throw std::runtime_error("\"" + shown + "\" holds a line break");
  net::TTransferControl control;
  const std::string message = "\"" + shown + "\" よりHTTPポスト中";
  TProgressScope progress(t, message, &control);
  Pump(t);
  Http().posted = true;
  net::TRequest r = HttpRequest(url);
  r.post = true;
  // the values %-encoded as URL query values take them (space as %20)
  r.postFields = support::FormBody(form, [](const std::string& v) { return textops::PercentEncode(v, "-._~"); });
  const net::TReply reply = Run(t, session, r, control, message);
  if (reply.outcome != net::TOutcome::kOk) throw std::runtime_error(Masked(reply.error));
  t.SetResult(reply.body, kTagString);
}

}  // namespace tama::netcmd
