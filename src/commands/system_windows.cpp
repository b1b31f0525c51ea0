// Windows of the desktop, keys typed into them, and window messages to the
// program's own objects.
//
// Other programs' windows are reached through X11 (support/x11_windows.h),
// only in window mode with a display. Headless there are no windows: the
// list is empty and activation fails, as it does for a title no window has,
// so キー送信 types nothing.
//
// メッセージ送信 reaches the program's own objects only; the few messages
// below are carried out on the object model, so they work headless too.
// Other message numbers answer 0. A variable given for lParam hands over a
// copy of its text and receives the text a message gives back.
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <stdexcept>

#include "commands/system_internal.h"
#include "engine/tama.h"
#include "gui/mainwindow.h"
#include "gui/objects.h"
#include "gui/properties.h"
#include "gui/user.h"
#include "sjis/convert.h"
#include "sjis/lcmap.h"
#include "sjis/sjis.h"
#include "support/keytext.h"
#include "support/lines.h"
#include "support/number.h"
#include "support/x11_windows.h"

namespace tama::sys {

namespace {

// The desktop's display, opened at the first use in window mode.
support::x11::TDisplay* Desktop(TTamaBase& t) {
  if (t.host.Headless()) return nullptr;
  static bool tried = false;
  static std::unique_ptr<support::x11::TDisplay> display;
  if (!tried) {
    tried = true;
    display = support::x11::TDisplay::Open();
  }
  return display.get();
}

// A title as programs see it: Shift-JIS, at most 255 bytes (cut at a
// character boundary).
std::string ProgramTitle(const std::string& utf8) {
  std::string s = sjis::Utf8ToSjisLossy(utf8);
  size_t end = 0;
  while (end < s.size()) {
    size_t len = sjis::CharLen(s, end);
    if (end + len > 255) break;
    end += len;
  }
  s.resize(end);
  return s;
}

// Finds the window of the title and makes it the active one: the exact
// title first, else the first whose title begins with it. False when none
// has it or it did not become active.
bool ActivateTitle(TTamaBase& t, const std::string& title) {
  support::x11::TDisplay* d = Desktop(t);
  if (!d || title.empty()) return false;
  unsigned long found = 0;
  std::vector<support::x11::TWindow> windows = d->Windows();
  for (const auto& w : windows)
    if (ProgramTitle(w.title) == title) {
      found = w.id;
      break;
    }
  if (!found)
    for (const auto& w : windows)
      if (ProgramTitle(w.title).compare(0, title.size(), title) == 0) {
        found = w.id;
        break;
      }
  if (!found) return false;
  d->Activate(found);
  for (int i = 0; i < 512; ++i) {
    if (d->IsActive(found)) return true;
    if (t.stopFlag) return false;
    gui::WaitSeconds(t, 0.01L);
  }
  return false;
}

}  // namespace

void WindowRekkyo(TTamaBase& t, int) {
  std::string out;
  if (support::x11::TDisplay* d = Desktop(t))
    for (const auto& w : d->Windows()) {
      std::string title = ProgramTitle(w.title);
      if (!title.empty()) out += title + "\r\n";
    }
  t.SetResultTagged(std::move(out), kTagString);
}

void Active(TTamaBase& t, int) { ActivateTitle(t, t.PopArgValue()); }

void KeySoushin(TTamaBase& t, int) {
  std::string keys = t.PopArgValue();
  std::string title = t.PopArgValue();
  if (!ActivateTitle(t, title)) return;
  gui::WaitSeconds(t, 0);
  Desktop(t)->Play(support::ParseKeyText(keys), sjis::SjisToUtf8);
}

// ---- messages ----

namespace {

int64_t WholeOrZero(std::string_view s) {
  s = TrimControl(s);
  bool negative = !s.empty() && s[0] == '-';
  if (negative) s.remove_prefix(1);
  if (s.empty()) return 0;
  int64_t v = 0;
  for (char c : s) {
    if (!sjis::IsDigit(c)) return 0;
    if (v < (int64_t{1} << 40)) v = v * 10 + (c - '0');
  }
  return negative ? -v : v;
}

int64_t HexOrWhole(std::string_view s) {
  if (!s.empty() && s[0] == '$') {
    int64_t v = 0;
    for (char c : s.substr(1)) {
      int d = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
      if (d < 0) return 0;
      if (v < (int64_t{1} << 40)) v = v * 16 + d;
    }
    return v;
  }
  return WholeOrZero(s);
}

std::string CutAtCharacter(const std::string& s, size_t limit) {
  size_t end = 0;
  while (end < s.size()) {
    size_t len = sjis::CharLen(s, end);
    if (end + len > limit) break;
    end += len;
  }
  return s.substr(0, end);
}

}  // namespace

void MessageSoushin(TTamaBase& t, int) {
  const std::string_view command = "メッセージ送信";
  std::string m = sjis::ToHalfWidth(t.PopArgValue());
  std::string o = t.PopArgText();
  THashNode* word = t.words.Find(o, false);
  gui::TObjNode* node = word ? gui::ObjectOfWord(t, *word) : nullptr;
  if (!node) t.Raise("オブジェクト\"" + o + "\"が特定できません。");
  // number, wParam, and the rest for lParam
  size_t c1 = m.find(','), c2 = c1 == std::string::npos ? std::string::npos : m.find(',', c1 + 1);
  const int64_t msg = WholeOrZero(m.substr(0, c1));
  const int64_t wParam = c1 == std::string::npos ? 0 : WholeOrZero(m.substr(c1 + 1, c2 - (c1 + 1)));
  const std::string rest = c2 == std::string::npos ? std::string() : std::string(TrimControl(m.substr(c2 + 1)));
  int64_t lParam = 0;
  THashNodeRef var;
  if (!rest.empty()) {
    if (rest[0] == '$' || sjis::IsDigit(rest[0]) || rest[0] == '-') {
      lParam = HexOrWhole(rest);
    } else {
      var = t.words.FindRef(rest, false);
      if (!var) {
        var = std::make_shared<THashNode>(rest, false, t.frames.FrameCount(), "");
        t.AddWord(var);
      }
    }
  }
  if (msg < 0) t.Raise(ArgumentErrorMessage(command));
  // the text the variable hands over: a copy of its value
  const std::string lText = var ? var->Value() : FormatInteger(lParam);
  int64_t result = 0;
  try {
    switch (msg) {
      case 12:  // set the text
        gui::WriteProperty(t, *node, gui::kPropText, lText);
        result = 1;
        break;
      case 13: {  // get the text into the variable, at most wParam - 1 bytes
        std::string text = gui::ReadProperty(t, *node, gui::kPropText).text;
        text = wParam > 0 ? CutAtCharacter(text, static_cast<size_t>(wParam - 1)) : std::string();
        result = static_cast<int64_t>(text.size());
        if (var) var->SetValue(std::move(text));
        break;
      }
      case 14:  // the text's length in bytes
        result = static_cast<int64_t>(gui::ReadProperty(t, *node, gui::kPropText).text.size());
        break;
      case 16:  // close a window
        if (node->kind == gui::kForm || node->number == 0) gui::CloseRequested(t, *node);
        break;
      case 176:  // the selection: start + end * 65536
        result = node->selStart + static_cast<int64_t>(node->selStart + node->selLength) * 65536;
        break;
      case 177: {  // select from wParam to lParam (-1: the end)
        const int64_t size = static_cast<int64_t>(gui::ReadProperty(t, *node, gui::kPropText).text.size());
        int64_t start = wParam < 0 ? size : std::min(wParam, size);
        int64_t end = lParam < 0 ? size : std::min(lParam, size);
        if (end < start) std::swap(start, end);
        gui::WriteProperty(t, *node, gui::kPropSelStart, FormatInteger(start));
        gui::WriteProperty(t, *node, gui::kPropSelLength, FormatInteger(end - start));
        break;
      }
      case 194:  // replace the selection
        gui::WriteProperty(t, *node, gui::kPropSelText, lText);
        break;
      case 186: {  // the lines of a text
        const std::string text = gui::ReadProperty(t, *node, gui::kPropText).text;
        result = 1;
        for (size_t i = 0; i < text.size(); ++i)
          if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) ++result;
        break;
      }
      case 240:  // the check state
        if (node->kind == gui::kCheck) result = node->checked ? 1 : 0;
        break;
      case 241:  // set the check state
        if (node->kind == gui::kCheck) gui::WriteProperty(t, *node, gui::kPropValue, wParam ? "1" : "0");
        break;
      case 390:  // select an item of a list
      case 334:  // ... of a combo box
        if ((msg == 390) == (node->kind == gui::kList) && (node->kind == gui::kList || node->kind == gui::kCombo))
          gui::WriteProperty(t, *node, gui::kPropValue, FormatInteger(wParam));
        break;
      case 392:  // the selected item
      case 327:
        if ((msg == 392) == (node->kind == gui::kList) && (node->kind == gui::kList || node->kind == gui::kCombo))
          result = node->selected;
        break;
      case 395:  // the number of items
      case 326:
        if ((msg == 395) == (node->kind == gui::kList) && (node->kind == gui::kList || node->kind == gui::kCombo))
          result = static_cast<int64_t>(node->items.size());
        break;
      case 245:  // a click
        gui::UserClick(t, node->number, false);
        break;
      default: break;
    }
  } catch (const ETama&) {
    throw;
  } catch (const std::exception&) {
    t.Raise(ArgumentErrorMessage(command));
  }
  t.SetResultTagged(FormatInteger(static_cast<int32_t>(result)), kTagNumber);
}

}  // namespace tama::sys
