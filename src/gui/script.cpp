// Scripted user events: the reader of the steps and their delivery.
#include "gui/script.h"

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

#include "gui/mainwindow.h"
#include "gui/objects.h"
#include "gui/user.h"
#include "gui/widgets.h"
#include "sjis/convert.h"
#include "support/json.h"
#include "support/number.h"

namespace tama::gui {

namespace {

// Splits a line into tokens: blanks separate them, "…" quotes one (\" \\ \t
// and \n, which stands for a line break, inside).
bool Tokenize(std::string_view line, std::vector<std::string>& out, std::string& error) {
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= line.size()) break;
    std::string token;
    if (line[i] == '"') {
      ++i;
      bool closed = false;
      while (i < line.size()) {
        char c = line[i++];
        if (c == '"') {
          closed = true;
          break;
        }
        if (c == '\\' && i < line.size()) {
          char e = line[i++];
          switch (e) {
            case 'n': token += "\n"; break;
            case 't': token += '\t'; break;
            default: token += e; break;
          }
          continue;
        }
        token += c;
      }
      if (!closed) {
        error = "unclosed quote";
        return false;
      }
    } else {
      while (i < line.size() && line[i] != ' ' && line[i] != '\t') token += line[i++];
    }
    out.push_back(std::move(token));
  }
  return true;
}

struct TVerb {
  const char* name;
  int minArgs, maxArgs;  // -1: any number
};

const TVerb kVerbs[] = {
    {"click", 1, 1},   {"dblclick", 1, 1}, {"type", 2, 2},   {"key", 2, 4},    {"select", 2, 2},
    {"check", 2, 2},   {"scroll", 2, 2},   {"page", 2, 2},   {"tree", 2, 2},   {"cell", 2, 3},
    {"menu", 1, 1},    {"mouse", 4, 6},    {"down", 3, 5},   {"up", 3, 5},     {"move", 3, 4},
    {"drop", 2, -1},   {"resize", 3, 3},   {"moveto", 3, 3}, {"close", 0, 1},  {"wait", 1, 1},
    {"answer", 0, -1}, {"choose", 1, 1},   {"cancel", 0, 0}, {"debug", 1, 1}, {"dump", 1, 1},   {"busy", 1, -1},
    {"enter", 1, 1},   {"leave", 1, 1},    {"sort", 2, 2},   {"track", 5, 5},
    {"shot", 1, 1},    {"rename", 3, 3},   {"edit", 4, 4},   {"tray", 1, 1},
    {"navigate", 2, 2},
};

const TVerb* VerbNamed(std::string_view name) {
  for (const auto& v : kVerbs)
    if (name == v.name) return &v;
  return nullptr;
}

std::string ToSjis(std::string_view utf8) {
  std::string out;
  return sjis::Utf8ToSjis(utf8, out) ? out : sjis::Utf8ToSjisLossy(utf8);
}

// A line break of the script as the program's texts hold it.
std::string WithCrLf(std::string_view s) {
  std::string out;
  for (char c : s) {
    if (c == '\n') {
      out += "\r\n";
    } else {
      out += c;
    }
  }
  return out;
}

bool ReadInt(std::string_view s, int& out) {
  if (s.empty()) return false;
  size_t i = 0;
  bool neg = false;
  if (s[0] == '-' || s[0] == '+') {
    neg = s[0] == '-';
    i = 1;
  }
  if (i >= s.size()) return false;
  int64_t v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    v = v * 10 + (s[i] - '0');
    if (v > 2147483647) return false;
  }
  out = static_cast<int>(neg ? -v : v);
  return true;
}

struct TKeyName {
  const char* name;
  int code;
};
const TKeyName kKeys[] = {
    {"BACKSPACE", 8}, {"BS", 8},         {"TAB", 9},       {"ENTER", 13},   {"RETURN", 13},  {"SHIFT", 16},
    {"CTRL", 17},     {"CONTROL", 17},   {"ALT", 18},      {"PAUSE", 19},   {"ESC", 27},     {"ESCAPE", 27},
    {"SPACE", 32},    {"PAGEUP", 33},    {"PGUP", 33},     {"PAGEDOWN", 34}, {"PGDN", 34},   {"END", 35},
    {"HOME", 36},     {"LEFT", 37},      {"UP", 38},       {"RIGHT", 39},   {"DOWN", 40},    {"INSERT", 45},
    {"INS", 45},      {"DELETE", 46},    {"DEL", 46},
};

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

// The modifier bits of a list such as "Shift,Ctrl" (also "+" or "|" between).
unsigned ModifierBits(std::string_view list) {
  static const char* const kNames[] = {"SHIFT", "ALT", "CTRL", "LEFT", "RIGHT", "MIDDLE", "DOUBLE"};
  static const unsigned kBits[] = {kModShift, kModAlt, kModCtrl, kModLeft, kModRight, kModMiddle, kModDouble};
  std::string all = "," + Upper(list) + ",";
  for (char& c : all)
    if (c == '+' || c == '|') c = ',';
  unsigned bits = 0;
  for (size_t k = 0; k < std::size(kNames); ++k)
    if (all.find(std::string(",") + kNames[k] + ",") != std::string::npos) bits |= kBits[k];
  if (all.find(",CONTROL,") != std::string::npos) bits |= kModCtrl;
  return bits;
}



std::string JsonString(std::string_view sjisText) {
  std::string out;
  json::DumpString(sjis::SjisToUtf8(sjisText), out);
  return out;
}

}  // namespace

int KeyCodeOf(std::string_view name) {
  // a single letter or digit is its key; a longer number is a key code
  std::string u = Upper(name);
  if (u.size() == 1 && ((u[0] >= 'A' && u[0] <= 'Z') || (u[0] >= '0' && u[0] <= '9'))) return u[0];
  int n = 0;
  if (ReadInt(name, n)) return n >= 0 && n < 256 ? n : -1;
  if (u.size() >= 2 && u[0] == 'F' && ReadInt(std::string_view(u).substr(1), n) && n >= 1 && n <= 16)
    return 111 + n;
  for (const auto& k : kKeys)
    if (u == k.name) return k.code;
  return -1;
}

bool TScript::Load(const std::string& path, const std::string& name, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "tamakazu: " + name + ": cannot read the events file";
    return false;
  }
  std::stringstream ss;
  ss << in.rdbuf();
  return Parse(ss.str(), name, error);
}

bool TScript::Parse(std::string_view text, const std::string& fileName, std::string& error) {
  fileName_ = fileName;
  steps_.clear();
  next_ = 0;
  int lineNo = 0;
  size_t at = 0;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") at = 3;  // a byte-order mark
  while (at <= text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    at = end + 1;
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line[first] == '#') continue;
    std::vector<std::string> tokens;
    std::string why;
    auto fail = [&](const std::string& reason) {
      error = "tamakazu: " + fileName + ":" + std::to_string(lineNo) + ": " + reason;
      return false;
    };
    if (!Tokenize(line, tokens, why)) return fail(why);
    TStep step;
    step.line = lineNo;
    step.verb = tokens[0];
    step.args.assign(tokens.begin() + 1, tokens.end());
    // `busy` carries a whole step of its own
    const TStep* checked = &step;
    TStep inner;
    if (step.verb == "busy") {
      if (step.args.empty()) return fail("busy needs a step");
      inner.line = lineNo;
      inner.verb = step.args[0];
      inner.args.assign(step.args.begin() + 1, step.args.end());
      checked = &inner;
    }
    const TVerb* verb = VerbNamed(checked->verb);
    if (!verb || (checked != &step && checked->verb == "busy")) return fail("unknown step \"" + checked->verb + "\"");
    int n = static_cast<int>(checked->args.size());
    if (n < verb->minArgs || (verb->maxArgs >= 0 && n > verb->maxArgs))
      return fail("wrong number of arguments for \"" + checked->verb + "\"");
    steps_.push_back(std::move(step));
    if (end >= text.size()) break;
  }
  return true;
}

void TScript::Fail(TTamaBase& t, const TStep& step, const std::string& reason) {
  std::fflush(stdout);
  std::fprintf(stderr, "tamakazu: %s:%d: %s\n", fileName_.c_str(), step.line, reason.c_str());
  std::fflush(stderr);
  failed = true;
  next_ = steps_.size();
  t.stopFlag = true;
  t.StopCursor();
  if (TEventLoop* loop = t.host.Loop()) loop->Quit();
}

const TStep* TScript::TakeDialogStep(TTamaBase& t) {
  // the busy steps first: they find the program inside the dialog
  while (!Done() && !failed && steps_[next_].verb == "busy") DeliverNext(t, true);
  if (Done() || failed) return nullptr;
  const std::string& verb = steps_[next_].verb;
  if (verb != "answer" && verb != "choose" && verb != "cancel" && verb != "debug") return nullptr;
  taken_ = steps_[next_++];
  return &taken_;
}

bool TScript::DeliverNext(TTamaBase& t, bool busy) {
  if (Done() || failed) return false;
  TEventLoop* loop = t.host.Loop();
  if (resumeAt >= 0) {
    if (loop && loop->Now() < resumeAt) return false;
    resumeAt = -1;
  }
  TStep step = steps_[next_++];
  if (step.verb == "busy") {
    if (!busy) {
      Fail(t, step, "a busy step met while the program is idle");
      return false;
    }
    TStep inner;
    inner.line = step.line;
    inner.verb = step.args[0];
    inner.args.assign(step.args.begin() + 1, step.args.end());
    step = std::move(inner);
  }
  Perform(t, step);
  return !failed;
}

void TScript::Perform(TTamaBase& t, const TStep& step) {
  TGuiState& g = Gui(t);
  const std::string& verb = step.verb;
  if (verb == "wait") {
    int ms = 0;
    if (!ReadInt(step.args[0], ms) || ms < 0) return Fail(t, step, "wait needs milliseconds");
    if (TEventLoop* loop = t.host.Loop()) resumeAt = loop->Now() + ms;
    return;
  }
  if (verb == "answer" || verb == "choose" || verb == "cancel" || verb == "debug") return Fail(t, step, "no dialog is open to take \"" + verb + "\"");
  if (verb == "dump") {
    std::ofstream out(step.args[0], std::ios::binary);
    if (!out) return Fail(t, step, "cannot write " + step.args[0]);
    out << DumpModel(t);
    return;
  }
  if (verb == "shot") {
    // a picture of 母艦 as its window shows it (only a window can take one)
    std::string reason;
    if (!g.view->Shot(step.args[0], reason)) return Fail(t, step, reason);
    return;
  }
  if (verb == "tray") {
    // tray left|right: a button on the tray icon
    if (step.args[0] != "left" && step.args[0] != "right") return Fail(t, step, "tray needs left or right");
    if (UserTray(t, step.args[0] == "right") == TUser::kCannot) return Fail(t, step, "no tray icon is shown");
    return;
  }
  // the object the step names (close: 母艦 unless one is named)
  std::string name = step.args.empty() ? std::string("母艦") : ToSjis(step.args[0]);
  TObjNode* node = nullptr;
  if (verb == "menu") {
    for (auto& n : g.objects)
      if (n && n->kind == kMenu && (n->name == name || n->text == name)) {
        node = n.get();
        break;
      }
  } else {
    node = g.FindByName(name);
  }
  if (!node) return Fail(t, step, "no object \"" + (step.args.empty() ? std::string("母艦") : step.args[0]) + "\"");
  const int kind = node->kind;
  const int number = node->number;
  const std::string& target = step.args.empty() ? verb : step.args[0];
  // the outcome of the user's action
  auto done = [&](TUser outcome, const std::string& what = std::string()) {
    if (outcome == TUser::kCannot)
      Fail(t, step, "\"" + verb + "\" cannot reach the " + sjis::SjisToUtf8(KindWord(kind)) + " \"" + target + "\"");
    else if (outcome == TUser::kOutOfRange)
      Fail(t, step, "no " + what + " in \"" + target + "\"");
  };
  auto number2 = [&](size_t a, size_t b, int& x, int& y) {
    if (a < step.args.size() && b < step.args.size() && ReadInt(step.args[a], x) && ReadInt(step.args[b], y)) return true;
    Fail(t, step, verb + " needs two numbers");
    return false;
  };

  // a window takes the step as its own input where it can
  if (g.view->Inject(verb, *node, step.args)) return;
  if (verb == "click" || verb == "menu") return done(UserClick(t, number, false));
  if (verb == "dblclick") return done(UserClick(t, number, true));
  if (verb == "type") return done(UserType(t, number, WithCrLf(ToSjis(step.args[1]))));
  if (verb == "key") {
    // key O KEY [mods] (down and up) or key O down|up KEY [mods]
    std::vector<int> slots = {kSlotKeyDown, kSlotKeyUp};
    size_t k = 1;
    if (step.args[1] == "down" || step.args[1] == "up") {
      slots = {step.args[1] == "down" ? kSlotKeyDown : kSlotKeyUp};
      k = 2;
    }
    if (k >= step.args.size()) return Fail(t, step, "key needs a key name");
    const int code = KeyCodeOf(step.args[k]);
    if (code < 0) return Fail(t, step, "unknown key \"" + step.args[k] + "\"");
    const unsigned mods = ModifierBits(k + 1 < step.args.size() ? step.args[k + 1] : std::string());
    for (int slot : slots) {
      done(UserKey(t, number, slot, code, mods));
      if (failed) return;
    }
    return;
  }
  if (verb == "mouse" || verb == "down" || verb == "up" || verb == "move") {
    // mouse O down|up|move X Y [button] [mods], or down|up|move O X Y ...
    std::string action = verb;
    size_t k = 1;
    if (verb == "mouse") {
      action = step.args[1];
      k = 2;
      if (action != "down" && action != "up" && action != "move") return Fail(t, step, "mouse needs down, up or move");
    }
    int x = 0, y = 0;
    if (!number2(k, k + 1, x, y)) return;
    unsigned mods = 0;
    bool button = false;
    for (size_t i = k + 2; i < step.args.size(); ++i) {
      unsigned bits = ModifierBits(step.args[i]);
      if (!bits) return Fail(t, step, "unknown button or modifier \"" + step.args[i] + "\"");
      if (bits & (kModLeft | kModRight | kModMiddle)) button = true;
      mods |= bits;
    }
    if (!button && action != "move") mods |= kModLeft;
    const int slot = action == "down" ? kSlotMouseDown : action == "up" ? kSlotMouseUp : kSlotMouseMove;
    return done(UserMouse(t, number, slot, x, y, mods));
  }
  if (verb == "check" || verb == "scroll" || verb == "page") {
    int n = 0;
    if (!ReadInt(step.args[1], n)) return Fail(t, step, verb + " needs a number");
    if (verb == "check") return done(UserCheck(t, number, n != 0));
    if (verb == "scroll") return done(UserScroll(t, number, n));
    return done(UserPage(t, number, n), "page " + step.args[1]);
  }
  if (verb == "select" || verb == "tree" || verb == "cell") {
    const std::string& what = step.args[1];
    int n = 0;
    const bool isNumber = ReadInt(what, n);
    if (kind == kGrid) {
      if (verb == "tree") return done(TUser::kCannot);
      std::string spec = what;
      if (step.args.size() == 3) spec += "," + step.args[2];
      size_t comma = spec.find(',');
      int row = 0, col = 0;
      if (comma == std::string::npos || !ReadInt(spec.substr(0, comma), row) || !ReadInt(spec.substr(comma + 1), col))
        return Fail(t, step, "a cell is ROW,COL");
      return done(UserCell(t, number, row, col), "cell " + spec);
    }
    if (verb == "cell") return done(TUser::kCannot);
    if (kind == kTabPage && verb == "select") {
      if (!isNumber) return Fail(t, step, "a page is a number");
      return done(UserPage(t, number, n), "page " + what);
    }
    // an index, or the text of an item (the path of a tree node)
    if (!isNumber || verb == "tree") {
      const std::string text = ToSjis(what);
      n = -1;
      if (kind == kTree) {
        for (size_t i = 0; i < node->tree.size() && n < 0; ++i)
          if (node->tree[i].path == text) n = static_cast<int>(i);
      } else {
        for (size_t i = 0; i < node->items.size() && n < 0; ++i)
          if (node->items[i] == text) n = static_cast<int>(i);
      }
    }
    if (kind == kTree) return done(UserTreeSelect(t, number, n), "node " + what);
    if (verb == "tree") return done(TUser::kCannot);
    return done(UserSelectItem(t, number, n), "item " + what);
  }
  if (verb == "drop") {
    std::vector<std::string> files;
    for (size_t i = 1; i < step.args.size(); ++i) files.push_back(ToSjis(step.args[i]));
    TUser outcome = UserDrop(t, number, files);
    if (outcome == TUser::kCannot && kind != kMenu)
      return Fail(t, step, "\"" + target + "\" does not take dropped files");
    return done(outcome);
  }
  if (verb == "resize" || verb == "moveto") {
    int a = 0, b = 0;
    if (!number2(1, 2, a, b)) return;
    if (verb == "moveto") return done(UserMoveWindow(t, number, a, b));
    if (a < 0 || b < 0) return Fail(t, step, "a size is not negative");
    return done(UserResize(t, number, a, b));
  }
  if (verb == "close") return done(UserClose(t, number));
  if (verb == "enter" || verb == "leave") return done(UserEnter(t, number, verb == "enter"));
  if (verb == "sort") {
    int col = 0;
    if (!ReadInt(step.args[1], col)) return Fail(t, step, "sort needs a column number");
    return done(UserSortColumn(t, number, col), "column " + step.args[1]);
  }
  if (verb == "rename") {
    // rename O PATH TEXT: the in-place edit of a tree node ends with TEXT
    if (kind != kTree) return done(TUser::kCannot);
    const int index = FindTreePath(*node, ToSjis(step.args[1]));
    return done(UserTreeRename(t, number, index, ToSjis(step.args[2])), "node " + step.args[1]);
  }
  if (verb == "edit") {
    // edit O ROW COL TEXT: a grid cell typed in
    int row = 0, col = 0;
    if (!number2(1, 2, row, col)) return;
    return done(UserEditCell(t, number, row, col, ToSjis(step.args[3])), "cell " + step.args[1] + "," + step.args[2]);
  }
  if (verb == "track") {
    int v[4] = {0, 0, 0, 0};
    for (int i = 0; i < 4; ++i)
      if (!ReadInt(step.args[1 + i], v[i])) return Fail(t, step, "track needs X Y W H");
    return done(UserTrack(t, number, v[0], v[1], v[2], v[3]));
  }
  if (verb == "navigate") {
    // a link followed in the page: asked for first, then reached when allowed
    if (kind != kBrowser) return done(TUser::kCannot);
    const std::string url = ToSjis(step.args[1]);
    if (!UserNavigateRequest(t, number, url)) return;
    const TObjNode* live = g.Find(number);
    return done(live ? UserPageReached(t, number, url, live->title) : TUser::kDone);
  }
  Fail(t, step, "unknown step \"" + verb + "\"");
}

bool LoadScript(TTamaBase& t, const std::string& path, const std::string& name, std::string& error) {
  auto script = std::make_shared<TScript>();
  if (!script->Load(path, name, error)) return false;
  Gui(t).script = std::move(script);
  return true;
}

TScript* ScriptOf(TTamaBase& t) { return t.gui ? t.gui->script.get() : nullptr; }

std::string DumpModel(TTamaBase& t) {
  TGuiState& g = Gui(t);
  // the label a slot's entry is at, by name
  auto labelAt = [&](const TPos& entry) -> std::string {
    std::string found;
    t.words.ForEach([&](const THashNode& w) {
      if (found.empty() && w.Kind == wkLabel && w.Link.p == entry.p) found = w.Name;
    });
    return found;
  };
  static const char* const kSlotNames[] = {"イベント",     "クリックした時", "ダブルクリックした時",
                                           "マウス押した時", "マウス離した時", "キー押した時",
                                           "キー離した時", "変更した時",     "マウス動かした時",
                                           "ファイルドロップした時"};
  std::string out = "{\"cursor\":[" + std::to_string(t.textX) + "," + std::to_string(t.textY) + "],\"objects\":[";
  bool first = true;
  for (auto& n : g.objects) {
    if (!n) continue;
    if (!first) out += ",";
    first = false;
    out += "\n{\"number\":" + std::to_string(n->number) + ",\"name\":" + JsonString(n->name) +
           ",\"kind\":" + JsonString(KindWord(n->kind)) + ",\"parent\":" + std::to_string(n->parent) +
           ",\"x\":" + std::to_string(n->x) + ",\"y\":" + std::to_string(n->y) + ",\"w\":" + std::to_string(n->w) +
           ",\"h\":" + std::to_string(n->h) + ",\"text\":" + JsonString(n->text) + ",\"items\":[";
    for (size_t i = 0; i < n->items.size(); ++i) out += (i ? "," : "") + JsonString(n->items[i]);
    out += "],\"selected\":" + std::to_string(n->selected) + ",\"checked\":" + (n->checked ? "true" : "false") +
           ",\"value\":" + std::to_string(n->barPos) + ",\"visible\":" + (n->visible ? "true" : "false") +
           ",\"enabled\":" + (n->enabled ? "true" : "false") + ",\"slots\":{";
    bool firstSlot = true;
    for (int s = 0; s < kSlotCount; ++s) {
      if (!n->eventEntry[s]) continue;
      std::string what = n->eventText[s].empty() ? labelAt(n->eventEntry[s]) : std::string("inline");
      out += (firstSlot ? "" : ",") + JsonString(kSlotNames[s]) + ":" + JsonString(what);
      firstSlot = false;
    }
    out += "}}";
  }
  out += "\n]}\n";
  return out;
}

}  // namespace tama::gui
