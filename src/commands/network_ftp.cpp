// The FTP commands: one session from FTP接続 to FTP切断. The run-time keeps
// the current remote folder itself; every request names its folder from the
// root, so the session's own position never matters.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <stdexcept>

#include "commands/network_internal.h"
#include "commands/network_transfer.h"
#include "engine/files_state.h"
#include "engine/security.h"
#include "engine/tama.h"
#include "support/lines.h"
#include "support/mailtext.h"
#include "support/number.h"
#include "support/path.h"
#include "support/textops.h"

namespace tama::netcmd {

namespace {

struct TFtpState {
  std::unique_ptr<net::ISession> session;
  bool connected = false;
  std::string host, user, password;
  std::string folder = "/";  // the current remote folder, from the root
  bool active = false, ascii = false;
};

TFtpState& Ftp() {
  static TFtpState state;
  return state;
}

// Bytes of a URL path: unreserved ones and "/" as they are, the rest %XX.
std::string UrlPath(std::string_view path) { return textops::PercentEncode(path, "-._~/"); }

// A remote folder from the root, "." and ".." taken out, without a final "/"
// (the root is "/").
std::string Normalized(std::string_view path) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != '/') continue;
    const std::string_view part = path.substr(start, i - start);
    start = i + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.emplace_back(part);
  }
  std::string out;
  for (const std::string& p : parts) out += "/" + p;
  return out.empty() ? "/" : out;
}

std::string Join(std::string_view folder, std::string_view name) {
  if (!name.empty() && name[0] == '/') return std::string(name);
  return folder == "/" ? "/" + std::string(name) : std::string(folder) + "/" + std::string(name);
}

// The URL of a folder (ending in "/") or of a file in it.
std::string FolderUrl(const TFtpState& s, std::string_view folder) {
  std::string path = Normalized(folder);
  std::string url = "ftp://" + s.host + "/%2F" + UrlPath(path.substr(1));
  if (path != "/") url += "/";
  return url;
}

std::string FileUrl(const TFtpState& s, std::string_view name) {
  const std::string path = Join(s.folder, name);
  const size_t slash = path.rfind('/');
  return FolderUrl(s, slash == 0 ? "/" : path.substr(0, slash)) + UrlPath(path.substr(slash + 1));
}

net::TRequest Request(const TFtpState& s, std::string url) {
  net::TRequest r;
  r.url = std::move(url);
  r.user = s.user;
  r.password = s.password;
  r.ftpActive = s.active;
  r.ftpAscii = s.ascii;
  r.ftpAbsolutePaths = true;
  return r;
}

void CheckConnected(TTamaBase& t) {
  if (!Ftp().connected || !Ftp().session) t.Raise("FTPで接続が確立されていません。");
}

// A remote name with a line break would send further commands.
bool BadName(std::string_view name) { return name.empty() || support::HasLineBreak(name) || name.find('\0') != std::string_view::npos; }

net::TReply RunFtp(TTamaBase& t, const net::TRequest& r, net::TTransferControl& control, std::string_view message) {
  return Run(t, *Ftp().session, r, control, message);
}

// One command sent in the current folder (RNFR/RNTO, DELE, MKD, RMD, SITE).
net::TReply Command(TTamaBase& t, std::vector<std::string> commands, std::string_view message) {
  TFtpState& s = Ftp();
  net::TRequest r = Request(s, FolderUrl(s, s.folder));
  r.noBody = true;
  r.quote = std::move(commands);
  net::TTransferControl control;
  TProgressScope progress(t, message, &control);
  Pump(t);
  return RunFtp(t, r, control, message);
}

// A listing of the current folder with the command.
std::string Listing(TTamaBase& t, const std::string& command, std::string_view message) {
  TFtpState& s = Ftp();
  net::TRequest r = Request(s, FolderUrl(s, s.folder));
  r.customRequest = command;
  net::TTransferControl control;
  TProgressScope progress(t, message, &control);
  Pump(t);
  // a listing that fails keeps what had come
  return RunFtp(t, r, control, message).body;
}

}  // namespace

void FtpSetsuzoku(TTamaBase& t, int) {
  TFtpState& s = Ftp();
  if (s.session) {
    s.session.reset();
    s.connected = false;
  }
  net::INetClient& client = Client(t, "FTP接続");
  s.host = t.QuickWord("FTPホスト").Value();
  s.user = std::string(support::TrimControl(t.QuickWord("FTPユーザーID").Value()));
  s.password = std::string(support::TrimControl(t.QuickWord("FTPパスワード").Value()));
  s.active = textops::AsciiUpper(t.QuickWord("FTP接続方式").Value()) != "PASV";
  s.folder = "/";
  const std::string failed = "FTPのエラー。接続に失敗。";
  if (s.host.empty()) t.Raise(failed + "host name is empty");
  if (!PlainHost(s.host)) t.Raise(failed);
  if (support::HasLineBreak(s.user) || support::HasLineBreak(s.password)) t.Raise(failed);
  s.session = client.NewSession();
  net::TRequest r = Request(s, "ftp://" + s.host + "/");
  r.noBody = true;
  net::TTransferControl control;
  const net::TReply reply = RunFtp(t, r, control, "");
  if (reply.outcome != net::TOutcome::kOk) {
    s.session.reset();
    t.Raise(failed + Masked(reply.error, s.password));
  }
  s.connected = true;
  if (!reply.entryPath.empty() && reply.entryPath[0] == '/') s.folder = Normalized(reply.entryPath);
}

void FtpSetsudan(TTamaBase& t, int) {
  TFtpState& s = Ftp();
  s.session.reset();  // QUIT
  s.connected = false;
}

void FtpUpload(TTamaBase& t, int) {
  const std::string remote = t.PopArgValue();
  const std::string local = t.PopArgValue();
  CheckConnected(t);
  const std::string failed = "\"" + remote + "\"へのFTPアップロードに失敗";
  if (BadName(remote)) t.Raise(failed);
  const std::string path = ResolveFileName(t, local);
  const int fd = ::open(support::NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st;
  if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    if (fd >= 0) ::close(fd);
    t.Raise(failed);
  }
  TFtpState& s = Ftp();
  net::TRequest r = Request(s, FileUrl(s, remote));
  r.upload = true;
  r.uploadFd = fd;
  r.uploadSize = st.st_size;
  net::TTransferControl control;
  const std::string message = remote + "をアップロード中";
  net::TReply reply;
  {
    TProgressScope progress(t, message, &control);
    Pump(t);
    reply = RunFtp(t, r, control, message);
  }
  ::close(fd);
  if (reply.outcome != net::TOutcome::kOk) t.Raise(failed);
}

void FtpDownload(TTamaBase& t, int) {
  const std::string local = t.PopArgValue();
  const std::string remote = t.PopArgValue();
  CheckConnected(t);
  const std::string failed = "\"" + local + "\"へのFTPダウンロードに失敗";
  if (BadName(remote)) t.Raise(failed);
  if (AskSecurity(t, local, "\"" + local + "\"へ書き込みます。")) t.Raise(failed);
  const std::string native = support::NativePath(local);
  struct stat st;
  // overwriting is not allowed
  if (::lstat(native.c_str(), &st) == 0) t.Raise(failed);
  TFtpState& s = Ftp();
  net::TTransferControl control;
  const std::string message = local + "をダウンロード中";
  TProgressScope progress(t, message, &control);
  Pump(t);
  TReplacingFile out(native);
  if (!out.Open()) t.Raise(failed);
  net::TRequest r = Request(s, FileUrl(s, remote));
  r.downloadFd = out.Fd();
  const net::TReply reply = RunFtp(t, r, control, message);
  if (reply.outcome != net::TOutcome::kOk || !out.Commit(false)) t.Raise(failed);
}

void FtpFilemeiHenkou(TTamaBase& t, int) {
  const std::string to = t.PopArgValue();
  const std::string from = t.PopArgValue();
  CheckConnected(t);
  const std::string failed = "\"" + to + "\"へのFTPファイル名変更に失敗";
  if (BadName(from) || BadName(to)) t.Raise(failed);
  if (Command(t, {"RNFR " + from, "RNTO " + to}, from + "をファイル名変更中").outcome != net::TOutcome::kOk) t.Raise(failed);
}

void FtpTensouMode(TTamaBase& t, int) {
  const std::string mode = t.PopArgValue();
  Ftp().ascii = textops::Find(mode, "バイナリ") == std::string::npos;
}

void FtpSagyouFolder(TTamaBase& t, int) {
  const std::string folder = t.PopArgValue();
  CheckConnected(t);
  const std::string failed = "\"" + folder + "\"へのFTPフォルダ変更に失敗";
  if (BadName(folder)) t.Raise(failed);
  TFtpState& s = Ftp();
  const std::string target = Normalized(Join(s.folder, folder));
  net::TRequest r = Request(s, FolderUrl(s, target));
  r.noBody = true;
  net::TTransferControl control;
  const std::string message = folder + " へFTPフォルダ変更";
  TProgressScope progress(t, message, &control);
  Pump(t);
  if (RunFtp(t, r, control, message).outcome != net::TOutcome::kOk) t.Raise(failed);
  s.folder = target;
}

void FtpOyaFolderIdou(TTamaBase& t, int) {
  CheckConnected(t);
  TFtpState& s = Ftp();
  const std::string target = Normalized(s.folder + "/..");
  net::TRequest r = Request(s, FolderUrl(s, target));
  r.noBody = true;
  net::TTransferControl control;
  TProgressScope progress(t, "FTP親ディレクトリに移動", &control);
  Pump(t);
  if (RunFtp(t, r, control, "FTP親ディレクトリに移動").outcome != net::TOutcome::kOk) t.Raise("FTP親ディレクトリに移動に失敗");
  s.folder = target;
}

void FtpFolderSakusei(TTamaBase& t, int) {
  const std::string folder = t.PopArgValue();
  CheckConnected(t);
  const std::string failed = "\"" + folder + "\"へのFTPフォルダ作成に失敗。";
  if (BadName(folder)) t.Raise(failed);
  const net::TReply reply = Command(t, {"MKD " + folder}, folder + " へFTPフォルダ作成");
  if (reply.outcome != net::TOutcome::kOk) t.Raise(failed + Masked(reply.error, Ftp().password));
}

void FtpFileSakujo(TTamaBase& t, int) {
  const std::string file = t.PopArgValue();
  CheckConnected(t);
  const std::string failed = "\"" + file + "\"のFTPファイル削除に失敗";
  if (BadName(file)) t.Raise(failed);
  if (Command(t, {"DELE " + file}, file + " のFTPファイル削除").outcome != net::TOutcome::kOk) t.Raise(failed);
}

void FtpFolderSakujo(TTamaBase& t, int) {
  const std::string folder = t.PopArgValue();
  CheckConnected(t);
  const std::string failed = "\"" + folder + "\"へのFTPフォルダ削除に失敗";
  if (BadName(folder)) t.Raise(failed);
  if (Command(t, {"RMD " + folder}, folder + " へFTPフォルダ削除").outcome != net::TOutcome::kOk) t.Raise(failed);
}

void FtpFileZokuseiHenkou(TTamaBase& t, int) {
  const long double n = std::trunc(t.PopArgNumber());
  if (!(n >= 0 && n <= 2147483647.0L)) throw std::runtime_error("範囲チェックエラー");
  const std::string file = t.PopArgValue();
  CheckConnected(t);
  const std::string failed = "\"" + file + "\" のFTPファイル属性変更に失敗";
  if (BadName(file)) t.Raise(failed);
  const std::string command = "SITE chmod " + std::to_string(static_cast<long>(n)) + " " + file;
  if (Command(t, {command}, file + " のFTPファイル属性変更").outcome != net::TOutcome::kOk) t.Raise(failed);
}

void FtpFileRekkyo(TTamaBase& t, int) {
  const std::string spec = t.PopArgValue();
  t.SetResult("", kTagString);
  CheckConnected(t);
  if (support::HasLineBreak(spec)) return;
  const std::string listing = Listing(t, spec.empty() ? "NLST" : "NLST " + spec, "\"" + spec + "\" のファイル一覧を取得中");
  t.SetResult(support::NameListing(listing), kTagString);
}

void FtpFolderRekkyo(TTamaBase& t, int) {
  const std::string pattern = t.PopArgValue();
  t.SetResult("", kTagString);
  CheckConnected(t);
  const std::string listing = Listing(t, "LIST", "\"" + pattern + "\" のディレクトリ一覧を取得中");
  t.SetResult(support::FolderListing(listing, pattern), kTagString);
}

void FtpFileJouhou(TTamaBase& t, int) {
  const std::string spec = t.PopArgValue();
  t.SetResult("", kTagString);
  CheckConnected(t);
  if (support::HasLineBreak(spec)) return;
  const std::string listing = Listing(t, spec.empty() ? "LIST" : "LIST " + spec, "\"" + spec + "\" の情報を取得中");
  t.SetResult(support::LinesEndingCrLf(listing), kTagString);
}

}  // namespace tama::netcmd
