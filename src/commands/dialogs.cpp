// The dialog commands: each fills a dialog request, lets the dialog view
// answer it, and leaves the answer in それ.
#include "commands/dialogs.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "engine/tama.h"
#include "gui/dialogs.h"
#include "gui/readers.h"
#include "sjis/sjis.h"
#include "support/number.h"
#include "support/path.h"

namespace tama {

namespace {

using gui::TDialogAnswer;
using gui::TDialogKind;
using gui::TDialogRequest;

// The caption of the run-time's own dialogs: the application title.
constexpr char kAppTitle[] = "たまかず";
// 言う shows at most this many bytes of its text, then "...".
constexpr size_t kMessageLimit = 4095;

THashNode& CancelWord(TTamaBase& t) { return t.QuickWord("ダイアログキャンセルの値"); }
std::string InitialText(TTamaBase& t) { return t.QuickWord("ダイアログ初期値").Value(); }

// A request with what every dialog takes from the program's words.
TDialogRequest Request(TTamaBase& t, TDialogKind kind, std::string_view command) {
  TDialogRequest r;
  r.kind = kind;
  r.command = std::string(command);
  r.caption = kAppTitle;
  r.font = gui::DrawingFont(t);
  r.ime = ReadInteger(t.QuickWord("ダイアログIMEの状態").Value(), 0);
  return r;
}

// それ becomes a copy of ダイアログキャンセルの値: value and type tag together.
void CancelCopy(TTamaBase& t) {
  THashNode& sore = t.Sore();
  THashNode& cancel = CancelWord(t);
  if (&sore != &cancel) sore.CopyFrom(cancel);
  t.curTag = sore.Tag;
}

// Only the value of ダイアログキャンセルの値, with the tag "s".
void CancelValue(TTamaBase& t) { t.SetResultTagged(CancelWord(t).Value(), kTagString); }

void SetSoreValue(TTamaBase& t, std::string value) {
  t.Sore().SetValue(std::move(value));
  t.curTag = t.Sore().Tag;
}

int TabWidth(TTamaBase& t) {
  long double n = 0;
  try {
    n = TextToNumber(t.QuickWord("タブ文字の個数").Value());
  } catch (const std::exception&) {
    n = 0;
  }
  if (!std::isfinite(n)) return 1;
  return static_cast<int>(std::clamp<long double>(std::trunc(n), 1, 65536));
}

// 言う: a message to the user.
void Iu(TTamaBase& t, int) {
  std::string text = t.PopArgValue();
  if (text.size() > kMessageLimit) {
    // cut at a character boundary: a double-byte character is never split
    size_t cut = 0;
    while (cut < text.size()) {
      const size_t n = sjis::CharLen(text, cut);
      if (cut + n > kMessageLimit) break;
      cut += n;
    }
    text.resize(cut);
    text += "...";
  }
  TDialogRequest r = Request(t, TDialogKind::kMessage, "言う");
  r.message = gui::ExpandTabs(text, TabWidth(t));
  gui::RunDialog(t, r);
}

// 二択 and 三択: "1" yes, "0" no, "2" cancel.
void Question(TTamaBase& t, int id) {
  const bool three = id == kCmdSantaku;
  TDialogRequest r = Request(t, three ? TDialogKind::kYesNoCancel : TDialogKind::kYesNo, three ? "三択" : "二択");
  r.message = t.PopArgValue();
  const TDialogAnswer a = gui::RunDialog(t, r);
  int button = a.button;
  if (button < 0 || button > 2 || (button == 2 && !three)) button = three ? 2 : 0;
  t.SetResultTagged(std::to_string(button), kTagNumber);
}

// 尋ねる: a line of text; its tag follows its first character.
void Tazuneru(TTamaBase& t, int) {
  const bool omitted = t.omitted;
  std::string message = t.PopArgValue();
  if (omitted) message = "入力してください。";
  TDialogRequest r = Request(t, TDialogKind::kInput, "尋ねる");
  r.message = std::move(message);
  r.text = InitialText(t);
  const TDialogAnswer a = gui::RunDialog(t, r);
  if (!a.ok) return CancelCopy(t);
  THashNode& sore = t.Sore();
  if (!a.text.empty()) {
    const char c = a.text.front();
    sore.Tag = c == '$' || (c >= '0' && c <= '9') ? kTagNumber : kTagString;
  }
  SetSoreValue(t, a.text);
}

// どれか尋ねる and リストから選択: the text of the result field.
void Choice(TTamaBase& t, int id) {
  const bool list = id == kCmdListKaraSentaku;
  std::string choices = t.PopArgValue();
  TDialogRequest r = Request(t, list ? TDialogKind::kList : TDialogKind::kChoice, list ? "リストから選択" : "どれか尋ねる");
  r.message = t.PopArgValue();
  r.items = gui::ListItems(choices);
  r.text = InitialText(t);
  SetSoreValue(t, "");
  const TDialogAnswer a = gui::RunDialog(t, r);
  if (!a.ok) return CancelCopy(t);
  SetSoreValue(t, a.text);
}

// ボタンで選択: the caption of the button pressed, tag "s".
void ButtonDeSentaku(TTamaBase& t, int) {
  std::string choices = t.PopArgValue();
  TDialogRequest r = Request(t, TDialogKind::kButtons, "ボタンで選択");
  r.message = t.PopArgValue();
  r.items = gui::ButtonChoices(choices);
  // the form holds twenty buttons: making the 21st fails before it shows
  if (r.items.size() > gui::kMaxButtons) throw TNumError(NumFault::kRange);
  const TDialogAnswer a = gui::RunDialog(t, r);
  if (!a.ok) return CancelValue(t);
  t.SetResultTagged(a.text, kTagString);
}

// メモ記入: the memo's text, tag "s"; the close box counts as OK.
void MemoKinyuu(TTamaBase& t, int) {
  TDialogRequest r = Request(t, TDialogKind::kMemo, "メモ記入");
  r.text = t.PopArgValue();
  r.caption = gui::Dialogs(t).memoCaption;
  const TDialogAnswer a = gui::RunDialog(t, r);
  if (!a.ok) return CancelValue(t);
  t.SetResultTagged(a.text, kTagString);
}

std::string WorkingFolderName() {
  std::string folder = support::FromNativePath(support::WorkingFolder());
  if (!support::EndsWithSeparator(folder)) folder += '/';
  return folder;
}

// 読込ファイル選択 and 書込ファイル選択: full names, tag "s".
void FileSentaku(TTamaBase& t, int id) {
  const bool open = id == kCmdYomikomiFileSentaku;
  gui::TDialogState& d = gui::Dialogs(t);
  std::string& last = open ? d.openName : d.saveName;
  TDialogRequest r = Request(t, open ? TDialogKind::kOpenFile : TDialogKind::kSaveFile,
                             open ? "読込ファイル選択" : "書込ファイル選択");
  r.filter = gui::FilterOfType(t.PopArgValue());
  if (!open) r.defaultExt = gui::DefaultExtension(r.filter);
  r.folder = WorkingFolderName();
  r.multiple = open;
  const std::string initial = InitialText(t);
  if (!initial.empty()) last = initial;
  r.text = last;
  const TDialogAnswer a = gui::RunDialog(t, r);
  if (!a.ok || a.paths.empty()) return CancelCopy(t);
  last = a.paths.front();
  std::string names;
  for (const std::string& p : a.paths) {
    if (!names.empty()) names += "\r\n";
    names += p;
  }
  t.SetResultTagged(std::move(names), kTagString);
}

// フォルダ選択: the folder, ending in the separator, tag "s".
void FolderSentaku(TTamaBase& t, int) {
  TDialogRequest r = Request(t, TDialogKind::kFolder, "フォルダ選択");
  r.folder = WorkingFolderName();
  const TDialogAnswer a = gui::RunDialog(t, r);
  if (!a.ok || a.paths.empty()) return CancelCopy(t);
  t.SetResultTagged(a.paths.front(), kTagString);
}

// 色選択: the colour value in decimal, tag "e".
void IroSentaku(TTamaBase& t, int) {
  t.Sore().Tag = kTagNumber;
  gui::TDialogState& d = gui::Dialogs(t);
  TDialogRequest r = Request(t, TDialogKind::kColour, "色選択");
  r.colour = d.colour;
  const TDialogAnswer a = gui::RunDialog(t, r);
  if (!a.ok) return CancelCopy(t);
  d.colour = a.colour;
  t.SetResultTagged(std::to_string(a.colour), kTagNumber);
}

// フォント選択: a font text, tag "s".
void FontSentaku(TTamaBase& t, int) {
  t.Sore().Tag = kTagString;
  gui::TDialogState& d = gui::Dialogs(t);
  TDialogRequest r = Request(t, TDialogKind::kFont, "フォント選択");
  r.chosenFont = d.font;
  const TDialogAnswer a = gui::RunDialog(t, r);
  if (!a.ok) return CancelCopy(t);
  d.font = a.font;
  t.SetResultTagged(gui::FontSpecText(a.font), kTagString);
}

}  // namespace

static const TCommandDef kDefs[] = {
    {"尋ねる", "?と", kCmdTazuneru, Tazuneru},
    {"言う", "?と", kCmdIu, Iu},
    {"二択", "?と", kCmdNitaku, Question},
    {"読込ファイル選択", "?の", kCmdYomikomiFileSentaku, FileSentaku},
    {"書込ファイル選択", "?の", kCmdKakikomiFileSentaku, FileSentaku},
    {"色選択", "", kCmdIroSentaku, IroSentaku},
    {"三択", "?と", kCmdSantaku, Question},
    {"フォルダ選択", "", kCmdFolderSentaku, FolderSentaku},
    {"どれか尋ねる", "?が,?の", kCmdDoreKaTazuneru, Choice},
    {"メモ記入", "?の", kCmdMemoKinyuu, MemoKinyuu},
    {"リストから選択", "?を,?の", kCmdListKaraSentaku, Choice},
    {"ボタンで選択", "?を,?の", kCmdButtonDeSentaku, ButtonDeSentaku},
    {"フォント選択", "", kCmdFontSentaku, FontSentaku},
};

static const TCommandFamily kFamily = {"dialogs", kDefs, std::size(kDefs)};

const TCommandFamily& DialogsFamily() { return kFamily; }

}  // namespace tama
