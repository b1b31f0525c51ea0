// The file handle commands: a handle is a variable whose value is
// "\FILE_HANDLE" and whose Id is the index of its stream in the
// interpreter's list of open handles (its Native field holds the stream, so
// that a variable given that value by hand is no handle).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "commands/files.h"
#include "commands/files_internal.h"
#include "engine/files_state.h"
#include "engine/security.h"
#include "engine/tama.h"
#include "support/number.h"
#include "support/path.h"
#include "support/textfile.h"

namespace tama::files {

namespace {

constexpr std::string_view kHandleValue = "\\FILE_HANDLE";

support::TTextFileStream* StreamOf(TTamaBase& t, const THashNode& w) {
  if (w.Value() != kHandleValue || !t.fileState) return nullptr;
  auto& handles = t.fileState->handles;
  if (w.Id < 0 || static_cast<size_t>(w.Id) >= handles.size()) return nullptr;
  support::TTextFileStream* s = handles[static_cast<size_t>(w.Id)].get();
  return s && s == w.Native ? s : nullptr;
}

// A raw argument as a word name (a back-quoted value loses its quotes).
std::string RawName(TTamaBase& t) {
  std::string name = t.PopArgText();
  if (name.size() >= 2 && name.front() == '`' && name.back() == '`') name = name.substr(1, name.size() - 2);
  return name;
}

// The stream of a handle named by a raw argument for the line commands.
support::TTextFileStream& LineStream(TTamaBase& t, const std::string& name) {
  THashNode* w = t.words.Find(name, false);
  support::TTextFileStream* s = w ? StreamOf(t, *w) : nullptr;
  if (!s) t.Raise("ファイル\"ハンドル:" + name + "\"が、ありません。");
  return *s;
}

// The stream of a handle for the commands that do nothing without the word.
support::TTextFileStream* OptionalStream(TTamaBase& t, const std::string& name) {
  THashNode* w = t.words.Find(name, false);
  if (!w) return nullptr;
  support::TTextFileStream* s = StreamOf(t, *w);
  if (!s) t.Raise("変数\"" + name + "\"が見つかりません。");
  return s;
}

support::TTextFileStream& WordStream(TTamaBase& t, THashNode& w) {
  support::TTextFileStream* s = StreamOf(t, w);
  if (!s) t.Raise("変数\"" + w.Name + "\"が見つかりません。");
  return *s;
}

void Close(TTamaBase& t, THashNode& w) {
  auto& slot = t.fileState->handles[static_cast<size_t>(w.Id)];
  slot.reset();
  w.Native = nullptr;
}

template <class F>
void OnStream(TTamaBase& t, std::string_view name, F&& f) {
  try {
    f();
  } catch (const support::EStreamError&) {
    RaiseReadWrite(t, "ハンドル:" + std::string(name));
  }
}

}  // namespace

// ハンドルを開く: "?で" the handle's name, "?の" the file (created when missing).
// ハンドルを詳しく開く: "?に" the handle's name, "?を" the file, "?で" the open mode.
void HandleWoHiraku(TTamaBase& t, int id) {
  const bool detailed = id == kCmdHandleWoKuwashikuHiraku;
  int mode = support::TTextFileStream::kModeReadWrite;
  if (detailed) mode = NumberRead(t.PopArgNumber());
  std::string file = t.PopArgValue();
  std::string name = t.PopArgValue();
  THashNodeRef var = t.words.FindRef(name, false);
  if (!var) {
    var = std::make_shared<THashNode>(name, false, t.frames.FrameCount(), "");
    t.AddWord(var);
  }
  if (var->Protected) t.Raise("\"" + name + "\"は、読取専用です。");
  if (AskSecurity(t, file, "ファイル\"" + file + "\"を操作しようとしています。よろしいですか？")) return;
  const std::string native = support::NativePath(file);
  if (!detailed) {
    int fd = open(native.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd >= 0) close(fd);
  }
  std::unique_ptr<support::TTextFileStream> stream = support::TTextFileStream::Open(native, mode);
  if (!stream) RaiseReadWrite(t, file);
  // a handle opened again on the same variable closes the old stream
  if (StreamOf(t, *var)) Close(t, *var);
  auto& handles = Files(t).handles;
  var->Native = stream.get();
  var->Id = static_cast<int32_t>(handles.size());
  handles.push_back(std::move(stream));
  var->SetValue(std::string(kHandleValue));
}

// ハンドルを一行読む: "?に" the variable (raw, created), "?の" the handle (raw).
void HandleWoIchigyouYomu(TTamaBase& t, int) {
  std::string handle = RawName(t);
  std::string target = RawName(t);
  support::TTextFileStream& s = LineStream(t, handle);
  std::string line;
  OnStream(t, handle, [&] { line = s.ReadLine(); });
  THashNodeRef var = t.words.FindRef(target, false);
  if (!var) {
    var = std::make_shared<THashNode>(target, false, t.frames.FrameCount(), "");
    t.AddWord(var);
  }
  var->SetValue(std::move(line));
  var->Tag = kTagString;
}

// ハンドルへ一行書く: "?を" the value, "?の" the handle (raw).
void HandleHeIchigyouKaku(TTamaBase& t, int) {
  std::string handle = RawName(t);
  std::string value = t.PopArgValue();
  if (t.securityLevel >= 2) return;
  support::TTextFileStream& s = LineStream(t, handle);
  OnStream(t, handle, [&] { s.WriteLine(value); });
}

// ハンドルを閉じる: closes the stream and removes the variable.
void HandleWoTojiru(TTamaBase& t, int) {
  std::string handle = RawName(t);
  if (!OptionalStream(t, handle)) return;
  Close(t, *t.words.Find(handle, false));
  t.RemoveWord(handle, false);
}

// ハンドル最後か.
void HandleSaigoKa(TTamaBase& t, int) {
  std::string handle = RawName(t);
  support::TTextFileStream* s = OptionalStream(t, handle);
  if (!s) return;
  bool atEnd = false;
  OnStream(t, handle, [&] { atEnd = s->AtEnd(); });
  t.SetResultTagged(atEnd ? "1" : "0", kTagNumber);
}

// ハンドルを先頭に移動／ハンドルを最後に移動.
void HandleIdou(TTamaBase& t, int id) {
  std::string handle = RawName(t);
  support::TTextFileStream* s = OptionalStream(t, handle);
  if (!s) return;
  OnStream(t, handle, [&] {
    if (id == kCmdHandleWoSentouNiIdou)
      s->MoveTo(0);
    else
      s->MoveToEnd();
  });
}

// ハンドルを移動: "?の" the handle, "?に" the offset from the start.
void HandleWoIdou(TTamaBase& t, int) {
  int64_t offset = TruncToInt64(t.PopArgNumber());
  THashNodeRef w = t.PopWordArgRef(false);
  WordStream(t, *w).MoveTo(offset);
}

// ハンドルにバイナリを書く: "?を" the value, "?に" the handle, "?つ" the byte count.
void HandleNiBinaryWoKaku(TTamaBase& t, int) {
  int32_t n = NumberRead(t.PopArgNumber());
  // the handle word is held, and its stream looked up only after the value
  // is read: reading it may run program code that closes the handle
  THashNodeRef w = t.PopWordArgRef(false);
  std::string value = t.PopArgValue();
  support::TTextFileStream& s = WordStream(t, *w);
  if (n <= 0) return;
  value.resize(static_cast<size_t>(n), '\0');
  OnStream(t, w->Name, [&] { s.WriteBytes(value); });
}

// ハンドルにバイナリを読む: "?へ" the variable (created), "?を" the handle, "?つ" the byte count.
void HandleNiBinaryWoYomu(TTamaBase& t, int) {
  int32_t n = NumberRead(t.PopArgNumber());
  THashNodeRef w = t.PopWordArgRef(false);
  THashNodeRef target = t.PopWordArgRef(true);
  support::TTextFileStream& s = WordStream(t, *w);
  if (n < 1) return;
  std::string bytes;
  OnStream(t, w->Name, [&] { bytes = s.ReadBytes(static_cast<size_t>(n)); });
  target->SetValue(std::move(bytes));
}

}  // namespace tama::files
