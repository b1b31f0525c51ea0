// メール送信 (SMTP), メール受信 (POP3) and MBXメッセージ取得. The mail text is
// written by support/mailtext; the client only carries it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <cmath>
#include <stdexcept>

#include "commands/files_internal.h"
#include "commands/network_internal.h"
#include "commands/network_transfer.h"
#include "engine/files_state.h"
#include "engine/security.h"
#include "engine/tama.h"
#include "support/fileops.h"
#include "support/lines.h"
#include "support/mailtext.h"
#include "support/number.h"
#include "support/path.h"

namespace tama::netcmd {

namespace {

std::string Var(TTamaBase& t, std::string_view name) { return t.QuickWord(name).Value(); }

// The lines of a text, each trimmed, empty ones dropped, joined with ",".
std::string JoinedLines(std::string_view text) {
  std::string out;
  support::ForEachLine(text, [&](std::string_view line) {
    line = support::TrimControl(line);
    if (line.empty()) return;
    if (!out.empty()) out += ",";
    out += line;
  });
  return out;
}

bool Exists(const std::string& native) {
  struct stat st;
  return ::lstat(native.c_str(), &st) == 0;
}

// Creates the file (never over an existing one) with exactly these bytes.
bool WriteNewFile(const std::string& native, std::string_view bytes) {
  const int fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  if (!support::WriteAll(fd, bytes.data(), bytes.size())) {
    ::close(fd);
    ::unlink(native.c_str());
    return false;
  }
  return ::close(fd) == 0;
}

std::string UniqueId() {
  static unsigned counter = 0;
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return std::to_string(now.tv_sec) + "." + std::to_string(now.tv_nsec / 1000) + "." +
         std::to_string(::getpid()) + "." + std::to_string(++counter);
}

}  // namespace

// ---- メール送信 ----

void MailSoushin(TTamaBase& t, int) {
  const std::string host = Var(t, "メールホスト");
  if (host.empty()) t.Raise("メールの送信エラー。ホスト名が未設定です。");
  const std::string to(support::TrimControl(Var(t, "メール送信先")));
  if (to.empty()) t.Raise("メールの送信エラー。送信先が未設定です。");
  const std::string body = Var(t, "メール本文");
  if (body.empty()) t.Raise("メールの送信エラー。本文が未設定です。");
  net::INetClient& client = Client(t, "メール送信");

  support::TOutgoingMail mail;
  std::vector<std::string> rcpt;
  try {
    mail.from = std::string(support::TrimControl(Var(t, "メール送信元")));
    mail.to = to;
    // an address with a line break would add header lines and commands
    if (support::HasLineBreak(mail.from) || support::HasLineBreak(mail.to))
      throw std::runtime_error("an address holds a line break");
    mail.senderName = Var(t, "メール送信者名");
    mail.subject = Var(t, "メールタイトル");
    mail.cc = JoinedLines(Var(t, "メールCC"));
    mail.body = body;
    mail.date = std::time(nullptr);
    mail.uniqueId = UniqueId();
    support::ForEachLine(Var(t, "メール添付ファイル"), [&](std::string_view line) {
      const std::string path = ResolveFileName(t, line);
      std::string bytes;
      if (!files::ReadWholeFile(support::NativePath(path), bytes))
        t.Raise("メールの送信エラー。添付ファイル\"" + path + "\"がありません。");
      mail.attachments.push_back({std::string(support::FileNamePart(path)), std::move(bytes)});
    });
    for (const std::string* list : {&mail.to, &mail.cc})
      for (std::string& a : support::EnvelopeAddresses(*list)) rcpt.push_back(std::move(a));
    for (std::string& a : support::EnvelopeAddresses(JoinedLines(Var(t, "メールBCC")))) rcpt.push_back(std::move(a));
  } catch (const std::exception&) {
    t.Raise("メールのデコードに失敗");
  }
  net::TRequest r;
  r.uploadData = support::BuildMail(mail);
  r.upload = true;
  r.url = "smtp://" + host + "/";
  const std::vector<std::string> from = support::EnvelopeAddresses(mail.from);
  r.mailFrom = from.empty() ? std::string() : from[0];
  r.mailRcpt = std::move(rcpt);
  net::TTransferControl control;
  TProgressScope progress(t, "サーバーに接続中", &control);
  Pump(t);
  if (!PlainHost(host)) t.Raise("接続に失敗");
  std::unique_ptr<net::ISession> session = client.NewSession();
  progress.Set(0, 100, "メール送信");
  const net::TReply reply = Run(t, *session, r, control, "メール送信");
  if (reply.outcome == net::TOutcome::kConnect) t.Raise("接続に失敗");
  if (reply.outcome != net::TOutcome::kOk) t.Raise("送信に失敗。" + Masked(reply.error));
  progress.Set(100, 100, "完了(^v^)Y");
  PauseMs(t, 100);
}

// ---- メール受信 ----

namespace {

struct TMailbox {
  TTamaBase& t;
  net::ISession& session;
  net::TTransferControl& control;
  std::string base;  // "pop3://host/"
  std::string user, password;

  net::TReply Request(const std::string& path, bool dele, std::string_view message) {
    net::TRequest r;
    r.url = base + path;
    r.user = user;
    r.password = password;
    if (dele) {
      r.customRequest = "DELE";
      r.noBody = true;
    }
    return Run(t, session, r, control, message);
  }
};

// Stores message i (its bytes) into the folder; raises the bare message.
void StoreMessage(TTamaBase& t, const std::string& folder, const std::string& bytes, int i) {
  const std::string nativeFolder = support::NativePath(folder);
  const support::TReceivedMail mail = support::ParseMail(bytes);
  std::vector<std::string> listed;
  const std::string failed = std::to_string(i) + "番のメール受信に失敗しました。";
  for (const support::TMailAttachment& a : mail.attachments) {
    std::string name = support::AttachmentFileName(a.name);
    listed.push_back(name);
    for (;;) {
      const std::string native = nativeFolder + support::ToNativePath(name);
      if (!Exists(native) && WriteNewFile(native, a.bytes)) break;
      if (!Exists(native) || name.size() > 200) throw std::runtime_error(failed);
      name = "_" + name;
    }
  }
  const std::string text = support::StoredMailText(mail, listed);
  for (int n = 1;; ++n) {
    const std::string stem = nativeFolder + std::to_string(n);
    if (Exists(stem + ".txt")) continue;
    if (!WriteNewFile(stem + ".txt", text)) {
      if (Exists(stem + ".txt")) continue;
      throw std::runtime_error(failed);
    }
    ::unlink((stem + ".eml").c_str());
    if (!WriteNewFile(stem + ".eml", bytes)) throw std::runtime_error(failed);
    break;
  }
}

}  // namespace

void MailJushin(TTamaBase& t, int) {
  std::string folder = t.PopArgValue();
  if (folder.empty() || (folder.back() != '\\' && folder.back() != '/')) folder += "\\";
  if (folder.find(':') == std::string::npos && !support::IsAbsoluteName(folder)) folder = ProgramFolderName(t) + folder;
  const std::string noFolder = "メールの受信エラー。メール受信用フォルダが作成できません。";
  if (AskSecurity(t, folder, "\"" + folder + "\"へ受信したメールを書き込みます。")) t.Raise(noFolder);
  std::string reason;
  if (!support::MakeFolders(support::NativePath(folder), reason)) t.Raise(noFolder);
  const std::string host = Var(t, "メールホスト");
  if (host.empty()) t.Raise("メールの受信エラー。ホスト名が未設定です。");
  const std::string user = Var(t, "メールID");
  if (user.empty()) t.Raise("メールの受信エラー。ユーザーＩＤが未設定です。");
  const std::string password = Var(t, "メールパスワード");
  if (password.empty()) t.Raise("メールの受信エラー。パスワードが未設定です。");
  net::INetClient& client = Client(t, "メール受信");
  const bool remove = std::trunc(TextToNumber(Var(t, "メールサーバーから削除"))) != 0;

  net::TTransferControl control;
  TProgressScope progress(t, "メールの受信：ホストに接続中", &control);
  if (!PlainHost(host) || support::HasLineBreak(user) || support::HasLineBreak(password))
    t.Raise("メールの受信エラー。接続に失敗");
  std::unique_ptr<net::ISession> session = client.NewSession();
  TMailbox box{t, *session, control, "pop3://" + host + "/", user, password};
  net::TReply list = box.Request("", false, "メールの受信：ホストに接続中");
  if (list.outcome != net::TOutcome::kOk) t.Raise("メールの受信エラー。" + Masked(list.error, password));
  try {
    int n = 0;
    support::ForEachLine(list.body, [&](std::string_view line) {
      if (!support::TrimControl(line).empty()) ++n;
    });
    const std::string of = std::to_string(n);
    progress.Set(0, 100, "メールの受信：" + of + " 通のメール");
    PauseMs(t, 10);
    for (int i = 1; i <= n; ++i) {
      const std::string message = std::to_string(i) + "/" + of + "番目のメールを受信中";
      progress.Set(0, 100, message);
      const std::string failed = std::to_string(i) + "番のメール受信に失敗しました。";
      net::TReply got = box.Request(std::to_string(i), false, message);
      if (got.outcome != net::TOutcome::kOk) throw std::runtime_error(failed);
      StoreMessage(t, folder, got.body, i);
      if (remove && box.Request(std::to_string(i), true, message).outcome != net::TOutcome::kOk)
        throw std::runtime_error(failed);
      progress.Set(100, 100, message);
      PauseMs(t, 10);
    }
  } catch (const ETama&) {
    throw;
  } catch (const std::exception& e) {
    t.Raise("メールの受信エラー。メールの受信に失敗しました。" + Masked(e.what(), password));
  }
  // the session ends with QUIT, which commits the deletions
  session.reset();
}

// ---- MBXメッセージ取得 ----

void MbxMessageShutoku(TTamaBase& t, int) {
  std::string name = t.PopArgText();
  if (name.size() >= 2 && name.front() == '`' && name.back() == '`') name = name.substr(1, name.size() - 2);
  THashNodeRef word = t.words.FindRef(name, false);
  if (!word) {
    t.SetResult("", kTagString);
    return;
  }
  std::string rest;
  std::string message = support::TakeMailboxMessage(word->Value(), rest);
  word->SetValue(std::move(rest));
  t.SetResult(std::move(message), kTagString);
}

}  // namespace tama::netcmd
