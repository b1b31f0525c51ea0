// The commands on files, folders and file handles: the registration table,
// and the commands on whole files, containers and shared blocks.
#include "commands/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <iterator>
#include <vector>

#include "commands/files_internal.h"
#include "engine/files_state.h"
#include "engine/security.h"
#include "engine/tama.h"
#include "sjis/sjis.h"
#include "support/fmix.h"
#include "support/lines.h"
#include "support/number.h"
#include "support/path.h"
#include "support/shared_memory.h"

namespace tama {

namespace files {

constexpr std::string_view kClipboard = "クリップボード";

std::string ReadWriteMessage(std::string_view name) {
  return "ファイル\"" + std::string(name) + "\"の、読み込みか書き込みに、失敗しました。";
}

void RaiseReadWrite(TTamaBase& t, std::string_view name) { t.Raise(ReadWriteMessage(name)); }

void NoteFailure(TTamaBase& t, std::string_view what, std::string_view name, std::string_view reason) {
  std::string line = "\"" + std::string(name) + "\"の" + std::string(what) + "に失敗しました。";
  if (!reason.empty()) line += "理由は、" + support::FromNativePath(reason);
  t.Warn(line);
}

std::string ProgramName(TTamaBase& t, std::string_view native) {
  bool lossless = true;
  std::string name = support::FromNativePath(native, &lossless);
  if (!lossless) t.Warn("ファイル名\"" + name + "\"には、Shift-JISで表せない文字があります。");
  return name;
}

bool ReadWholeFile(const std::string& native, std::string& out) {
  int fd = open(native.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  out.clear();
  struct stat st;
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    close(fd);
    return false;
  }
  if (st.st_size > 0) out.reserve(static_cast<size_t>(st.st_size));
  char buf[65536];
  bool ok = true;
  for (;;) {
    ssize_t got = read(fd, buf, sizeof buf);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) ok = false;
    if (got <= 0) break;
    out.append(buf, static_cast<size_t>(got));
  }
  close(fd);
  return ok;
}

bool WriteWholeFile(const std::string& native, std::string_view bytes, bool append) {
  int fd = open(native.c_str(), O_WRONLY | O_CLOEXEC | (append ? O_APPEND : O_CREAT | O_TRUNC), 0666);
  if (fd < 0) return false;
  const char* p = bytes.data();
  size_t n = bytes.size();
  bool ok = true;
  while (n > 0) {
    ssize_t put = write(fd, p, n);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      ok = false;
      break;
    }
    p += put;
    n -= static_cast<size_t>(put);
  }
  if (close(fd) != 0) ok = false;
  return ok;
}

std::string Stripped(std::string_view s) { return std::string(TrimControl(s)); }

namespace {

bool IsRegularFile(const std::string& native) {
  struct stat st;
  return stat(native.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

using support::CutAtBoundary;
using support::SplitLines;

}  // namespace

// 読む／開く: "?に" the word (created), "?を" the file (raw).
void Yomu(TTamaBase& t, int) {
  std::string raw = t.PopArgText();
  THashNodeRef var = t.PopWordArgRef(true);
  std::string text;
  if (raw == kClipboard) {
    text = t.host.ClipboardText();
  } else {
    std::string file = ReadableFileName(t, t.EvaluateText(raw));
    if (!ReadWholeFile(support::NativePath(file), text)) RaiseReadWrite(t, file);
  }
  var->SetValue(text);
  var->Tag = kTagString;
  if (var->Kind == wkObject && t.setObjectValue) t.setObjectValue(t, *var, text);
}

// 書く／保存: "?を" the value, "?へ" the file (raw).
void Kaku(TTamaBase& t, int) {
  std::string raw = t.PopArgText();
  std::string value = t.PopArgValue();
  if (raw == kClipboard) {
    t.host.SetClipboardText(std::move(value));
    return;
  }
  std::string file = t.EvaluateText(raw);
  if (AskSecurity(t, file, "\"" + file + "\"へ書き込みます。")) return;
  if (!WriteWholeFile(support::NativePath(file), value, false)) RaiseReadWrite(t, file);
}

// 追加保存: "?を" the value, "?へ" the file (raw), which must exist.
void TsuikaHozon(TTamaBase& t, int) {
  std::string raw = t.PopArgText();
  std::string value = t.PopArgValue();
  if (raw == kClipboard) {
    t.host.SetClipboardText(t.host.ClipboardText() + value);
    return;
  }
  std::string file = ResolveForChange(t, t.EvaluateText(raw));
  if (AskSecurity(t, file, "ファイル\"" + file + "\"へ文字列を追加します。")) return;
  const std::string native = support::NativePath(file);
  if (!IsRegularFile(native)) t.Raise("ファイル\"" + file + "\"が、ありません。");
  if (!WriteWholeFile(native, value, true)) RaiseReadWrite(t, file);
}

// 暗号化して保存: "?を" the value, "?へ" the file.
void AngoukaShiteHozon(TTamaBase& t, int) {
  std::string file = t.PopArgValue();
  std::string value = t.PopArgValue();
  if (AskSecurity(t, file, "\"" + file + "\"へ保存しますか？")) return;
  std::string content;
  try {
    content = support::EncipherFile(value);
  } catch (const std::exception&) {
    t.Raise("\"暗号化して保存\"で、暗号化に失敗");
  }
  if (!WriteWholeFile(support::NativePath(file), content, false)) RaiseReadWrite(t, file);
}

// 暗号解除して読込: "?に" the word (created; それ when omitted), "?を" the file.
void AngouKaijoShiteYomikomi(TTamaBase& t, int) {
  std::string file = t.PopArgValue();
  THashNodeRef var = t.PopWordArgRef(true);
  std::string content, value;
  if (!ReadWholeFile(support::NativePath(file), content) || !support::DecipherFile(std::move(content), value))
    RaiseReadWrite(t, file);
  var->SetValue(std::move(value));
  var->Tag = kTagString;
}

// ファイル合成: "?を" the list of files, "?へ" the container to write.
void FileGousei(TTamaBase& t, int) {
  std::string dest = Stripped(t.PopArgValue());
  std::string list = Stripped(t.PopArgValue());
  if (AskSecurity(t, dest, "\"" + dest + "\"へ保存します。")) return;
  for (char& c : list)
    if (c == ',') c = '=';  // "," is never the second byte of a character
  const bool plain = list.find('=') == std::string::npos;
  support::TFileMixWriter writer;
  std::vector<support::TFileMixSource>& entries = writer.entries;
  for (std::string_view line : SplitLines(list)) {
    if (TrimControl(line).empty()) continue;
    support::TFileMixLine l;
    if (plain) {
      l.source = line;
      l.name = support::FileNamePart(line);
    } else {
      l = support::ParseFileMixLine(line);
    }
    support::TFileMixSource e;
    e.displayName = l.source;
    e.nativePath = support::NativePath(l.source);
    e.name = l.name;
    e.flag = ReadInteger(TrimControl(l.flagText), 0);
    entries.push_back(std::move(e));
  }
  try {
    writer.Write(support::NativePath(dest), dest);
  } catch (const std::exception& e) {
    t.Raise(e.what());
  }
}

// 合成ファイル取り出す: "?から" the container, "?を" the entry name.
void GouseiFileToridasu(TTamaBase& t, int) {
  std::string entry = t.PopArgValue();
  std::string file = t.PopArgValue();
  std::string bytes;
  {
    support::TFileMixReader reader(support::NativePath(file), 0, 0, file);
    if (!reader.Extract(entry, bytes)) t.Raise("ファイル\"" + entry + "\"が、ありません。");
  }
  t.SetResultTagged(std::move(bytes), kTagString);
}

// 共有保存: "?へ" the block's name; the value of それ is stored.
void KyouyuuHozon(TTamaBase& t, int) {
  std::string name = t.PopArgValue();
  std::string block(CutAtBoundary(t.Sore().Value(), 256));
  if (block.size() < 256) block += '\0';
  TFileState& fs = Files(t);
  const std::string sysName = support::TCommonMemoryStream::SystemName(name);
  support::TCommonMemoryStream* stream = nullptr;
  for (const auto& s : fs.sharedBlocks)
    if (s->Name() == sysName) stream = s.get();
  try {
    if (!stream) {
      fs.sharedBlocks.push_back(std::make_unique<support::TCommonMemoryStream>(name, 256, true));
      stream = fs.sharedBlocks.back().get();
    }
    stream->Seek(0, 0);
    stream->Write(block.data(), static_cast<int64_t>(block.size()));
  } catch (const support::ESharedMemory& e) {
    t.Raise(e.what());
  }
}

// 共有読込: "?を" the block's name; それ = the text stored there.
void KyouyuuYomikomi(TTamaBase& t, int) {
  std::string name = t.PopArgValue();
  std::string value;
  try {
    support::TCommonMemoryStream stream(name, 256, false);
    char buf[256];
    int64_t n = stream.Read(buf, sizeof buf);
    value.assign(buf, static_cast<size_t>(n));
    size_t z = value.find('\0');
    if (z != std::string::npos) value.resize(z);
  } catch (const support::ESharedMemory&) {
    value.clear();
  }
  if (value.empty()) {
    t.Sore().SetValue(std::string());
    return;
  }
  t.SetResultTagged(value, value[0] == '$' || sjis::IsDigit(value[0]) ? kTagNumber : kTagString);
}

}  // namespace files

static const TCommandDef kDefs[] = {
    {"読む", "?に,?を", kCmdYomu, files::Yomu},
    {"開く", "?に,?を", kCmdYomu, files::Yomu},
    {"書く", "?を,?へ", kCmdKaku, files::Kaku},
    {"保存", "?を,?へ", kCmdKaku, files::Kaku},
    {"ファイルコピー", "?から,?へ", kCmdFileCopy, files::FileCopy},
    {"ファイル削除", "?を", kCmdFileSakujo, files::FileSakujo},
    {"ファイル名変更", "?から,?へ", kCmdFilemeiHenkou, files::FilemeiHenkou},
    {"ファイル移動", "?から,?へ", kCmdFileIdou, files::FileIdou},
    {"作業フォルダ変更", "?へ", kCmdSagyouFolderHenkou, files::SagyouFolderHenkou},
    {"作業ディレクトリ変更", "?へ", kCmdSagyouFolderHenkou, files::SagyouFolderHenkou},
    {"フォルダ作成", "?へ", kCmdFolderSakusei, files::FolderSakusei},
    {"フォルダ削除", "?の", kCmdFolderSakujo, files::FolderSakujo},
    {"ファイル属性変更", "?を,?に", kCmdFileZokuseiHenkou, files::FileZokuseiHenkou},
    {"ショートカット作成", "?を,?へ", kCmdShortcutSakusei, files::ShortcutSakusei},
    {"ファイル列挙", "?の", kCmdFileRekkyo, files::Rekkyo},
    {"ファイルか", "?が", kCmdFileKa, files::FileKa},
    {"存在するか", "?が", kCmdSonzaiSuruKa, files::SonzaiSuruKa},
    {"共有保存", "?へ", kCmdKyouyuuHozon, files::KyouyuuHozon},
    {"共有読込", "?を", kCmdKyouyuuYomikomi, files::KyouyuuYomikomi},
    {"作業フォルダ", "?へ", kCmdSagyouFolder, files::SagyouFolder},
    {"作業ディレクトリ", "", kCmdSagyouFolder, files::SagyouFolder},
    {"暗号化して保存", "?を,?へ", kCmdAngoukaShiteHozon, files::AngoukaShiteHozon},
    {"暗号解除して読込", "?に,?を", kCmdAngouKaijoShiteYomikomi, files::AngouKaijoShiteYomikomi},
    {"フォルダ列挙", "?の", kCmdFolderRekkyo, files::Rekkyo},
    {"パスを切り出す", "?から", kCmdPathWoKiridasu, files::PathText},
    {"拡張子を切り出す", "?から", kCmdKakuchoushiWoKiridasu, files::PathText},
    {"ファイル日時", "?の", kCmdFileNichiji, files::FileNichijiSize},
    {"ファイルサイズ", "?の", kCmdFileSize, files::FileNichijiSize},
    {"ファイル合成", "?を, ?へ", kCmdFileGousei, files::FileGousei},
    {"合成ファイル取り出す", "?から,?を", kCmdGouseiFileToridasu, files::GouseiFileToridasu},
    {"全ファイル列挙", "?の", kCmdZenFileRekkyo, files::ZenRekkyo},
    {"ファイル名を切り出す", "?から", kCmdFilemeiWoKiridasu, files::PathText},
    {"追加保存", "?を,?へ", kCmdTsuikaHozon, files::TsuikaHozon},
    {"拡張子変更", "?を,?に", kCmdKakuchoushiHenkou, files::KakuchoushiHenkou},
    {"ハンドルを開く", "?で,?の", kCmdHandleWoHiraku, files::HandleWoHiraku},
    {"ハンドルを一行読む", "?に,?の", kCmdHandleWoIchigyouYomu, files::HandleWoIchigyouYomu},
    {"ハンドルへ一行書く", "?を,?の", kCmdHandleHeIchigyouKaku, files::HandleHeIchigyouKaku},
    {"ハンドルを閉じる", "?の", kCmdHandleWoTojiru, files::HandleWoTojiru},
    {"ハンドル最後か", "?の", kCmdHandleSaigoKa, files::HandleSaigoKa},
    {"ハンドルを先頭に移動", "?の", kCmdHandleWoSentouNiIdou, files::HandleIdou},
    {"ハンドルを最後に移動", "?の", kCmdHandleWoSaigoNiIdou, files::HandleIdou},
    {"ファイル属性取得", "?の", kCmdFileZokuseiShutoku, files::FileZokuseiShutoku},
    {"短いファイル名取得", "?の", kCmdMijikaiFilemeiShutoku, files::MijikaiFilemei},
    {"長いファイル名取得", "?の", kCmdNagaiFilemeiShutoku, files::NagaiFilemei},
    {"ファイル完全削除", "?を", kCmdFileKanzenSakujo, files::FileKanzenSakujo},
    {"ハンドルを移動", "?の,?に", kCmdHandleWoIdou, files::HandleWoIdou},
    {"ハンドルにバイナリを書く", "?を,?に,?つ", kCmdHandleNiBinaryWoKaku, files::HandleNiBinaryWoKaku},
    {"ハンドルにバイナリを読む", "?へ,?を,?つ", kCmdHandleNiBinaryWoYomu, files::HandleNiBinaryWoYomu},
    {"ハンドルを詳しく開く", "?に,?を,?で", kCmdHandleWoKuwashikuHiraku, files::HandleWoHiraku},
    {"全フォルダ列挙", "?の", kCmdZenFolderRekkyo, files::ZenRekkyo},
};

static const TCommandFamily kFamily = {"files", kDefs, std::size(kDefs)};

const TCommandFamily& FilesFamily() { return kFamily; }

}  // namespace tama
