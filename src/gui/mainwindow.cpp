// The main window: text output and its cursor, the program timer, waiting,
// closing, the run loop and the window commands.
#include "gui/mainwindow.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <stdexcept>

#include "engine/runstop.h"
#include "engine/security.h"
#include "gui/objects.h"
#include "gui/readers.h"
#include "gui/script.h"
#include "sjis/convert.h"
#include "sjis/sjis.h"
#include "support/ini.h"
#include "support/number.h"
#include "support/path.h"

namespace tama::gui {

namespace {

constexpr int64_t kWhite = 0xFFFFFF;
constexpr int kStepMs = 100;  // the longest sleep of 待つ between two pumps
constexpr const char* kFormSection = "frmTama";

// 母艦's record. The object list always starts with it once the words are
// registered; a state that never registered them gets a plain one.
TObjNode& MainNode(TTamaBase& t) {
  TGuiState& g = Gui(t);
  if (g.objects.empty() || !g.objects[0]) {
    auto main = std::make_unique<TObjNode>();
    main->name = "母艦";
    main->kind = kForm;
    main->parent = -1;
    main->w = 640;
    main->h = 400;
    main->imgNumber = 0;
    if (g.objects.empty())
      g.objects.push_back(std::move(main));
    else
      g.objects[0] = std::move(main);
  }
  return *g.objects[0];
}

int TabWidth(TTamaBase& t) {
  long double n = 0;
  try {
    n = TextToNumber(t.QuickWord("タブ文字の個数").Value());
  } catch (const std::exception&) {
    n = 0;
  }
  if (!std::isfinite(n)) return 1;
  n = std::trunc(n);
  return static_cast<int>(std::clamp<long double>(n, 1, 65536));
}

// The lines of a text, split at CR LF, CR and LF; a final line break ends the
// last line rather than starting an empty one.
std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t i = 0;
  while (i < text.size()) {
    size_t j = i;
    while (j < text.size() && text[j] != '\r' && text[j] != '\n') j += sjis::CharLen(text, j);
    lines.emplace_back(text.substr(i, std::min(j, text.size()) - i));
    if (j >= text.size()) break;
    if (text[j] == '\r' && j + 1 < text.size() && text[j + 1] == '\n') ++j;
    i = j + 1;
  }
  return lines;
}

// The timer fired: the label runs next (busy) or now, in a nested run (idle).
void FireProgramTimer(TTamaBase& t) {
  TGuiState& g = Gui(t);
  g.timer = 0;
  if (!g.timerLabel.text) return;
  const TPos at = g.timerLabel;
  const std::string file = g.timerLabelFile;
  if (Busy(t)) {
    TRunControl f;
    f.kind = fkEventCall;
    f.savedFileName = t.programFileName;
    f.resume = t.Here();
    f.exit = at;
    t.frames.PushFrame(std::move(f));
    t.programFileName = file;
    t.Jump(at);
    return;
  }
  try {
    {
      TTamaBase::TNested nested(t);
      t.programFileName = file;
      t.Jump(at);
      t.RunProgram();
    }
    UnwindIfStopped(t);
  } catch (const std::exception&) {
    // an error outside the executor (a nested run that cannot start) is
    // dropped, as for any event of the program
  }
}

int ReadIniInteger(const support::TIniText& ini, const char* key, int fallback) {
  std::string v;
  if (!ini.Read(kFormSection, key, v)) return fallback;
  size_t i = 0;
  bool negative = false;
  if (i < v.size() && (v[i] == '-' || v[i] == '+')) negative = v[i++] == '-';
  if (i == v.size()) return fallback;
  long long n = 0;
  for (; i < v.size(); ++i) {
    if (v[i] < '0' || v[i] > '9') return fallback;
    n = n * 10 + (v[i] - '0');
    if (n > 2147483648LL) return fallback;
  }
  if (negative) n = -n;
  if (n > 2147483647LL) return fallback;
  return static_cast<int>(n);
}

}  // namespace

// ---- text output ----

std::vector<std::string> DisplayLines(TTamaBase& t, std::string_view text) {
  if (text.size() > kDisplayLimit) {
    // cut at a character boundary: a double-byte character is never split
    size_t cut = 0;
    while (cut < text.size()) {
      const size_t n = sjis::CharLen(text, cut);
      if (cut + n > kDisplayLimit) break;
      cut += n;
    }
    return SplitLines(text.substr(0, cut));
  }
  return SplitLines(ExpandTabs(text, TabWidth(t)));
}

void DisplayText(TTamaBase& t, std::string_view text) {
  TGuiState& g = Gui(t);
  TObjNode& main = MainNode(t);
  const TFont font = DrawingFont(t);
  const int height = g.view->TextHeight(font);
  const int advance = static_cast<int>(std::trunc(1.2L * height));
  for (std::string& line : DisplayLines(t, text)) {
    const int x = g.centering ? (main.w - g.view->TextWidth(font, line)) / 2 : t.textX;
    const int y = t.textY;
    // what falls outside the picture layer leaves nothing to draw later
    if (!line.empty() && y < main.h && y + height > 0 && x < main.w)
      g.drawnText.push_back({x, y, std::move(line), font});
    t.textY = static_cast<int>(std::min<int64_t>(static_cast<int64_t>(y) + advance, INT32_MAX));
  }
}

int64_t MainBackground(TTamaBase& t) {
  const TObjNode& main = MainNode(t);
  return main.background < 0 ? kWhite : main.background;
}

void ClearScreen(TTamaBase& t, int64_t colour) {
  TGuiState& g = Gui(t);
  TObjNode& main = MainNode(t);
  main.hasPicture = false;
  main.picture.reset();
  main.background = colour;
  g.drawnText.clear();
  t.textX = t.textY = 10;
  Changed(t, main);
}

// ---- waiting and the timer ----

void WaitSeconds(TTamaBase& t, long double seconds) {
  TEventLoop* loop = t.host.Loop();
  if (!loop) return;
  TGuiState& g = Gui(t);
  const int64_t start = loop->Now();
  long double ms = std::trunc(seconds * 1000.0L);
  if (std::isnan(ms)) ms = 0;
  const long double room = static_cast<long double>(INT64_MAX - start);
  const int64_t end = ms <= 0 ? start : ms >= room ? INT64_MAX : start + static_cast<int64_t>(ms);
  auto stopped = [&] { return t.stopFlag || loop->QuitRequested(); };
  // the user's events of this pump: they find the program busy, so their
  // handlers run after 待つ returns
  auto deliver = [&] {
    if (g.waitHook) g.waitHook(t);
    if (TScript* script = ScriptOf(t))
      while (!stopped() && script->DeliverNext(t, true)) {
      }
  };
  deliver();
  loop->ProcessPending();
  while (!stopped() && loop->Now() < end) {
    deliver();
    if (stopped()) break;
    const int64_t now = loop->Now();
    loop->WaitUntil(end - now > kStepMs ? now + kStepMs : end);
  }
}

void SetProgramTimer(TTamaBase& t, long double seconds, std::string_view label) {
  TGuiState& g = Gui(t);
  THashNode* word = label.empty() ? nullptr : t.words.Find(label, false);
  if (!word && t.EvaluateText(label).empty()) {
    CancelProgramTimer(t);
    g.timerLabel = {};
    g.timerLabelName.clear();
    g.timerLabelFile.clear();
    return;
  }
  if (!word || word->Kind != wkLabel || !word->Link)
    t.Raise("未定義のラベル\"" + std::string(label) + "\"に、ジャンプしようとしました。");
  const long double ms = std::trunc(seconds * 1000.0L);
  if (!(ms >= 0 && ms <= 4294967295.0L)) throw std::runtime_error(kMsgRangeCheck);
  CancelProgramTimer(t);
  g.timerLabel = word->Link;
  g.timerLabelName = word->Name;
  g.timerLabelFile = word->Tag;
  if (TEventLoop* loop = t.host.Loop()) g.timer = loop->AddTimer(static_cast<int64_t>(ms), [&t] { FireProgramTimer(t); });
}

void CancelProgramTimer(TTamaBase& t) {
  TGuiState& g = Gui(t);
  if (g.timer)
    if (TEventLoop* loop = t.host.Loop()) loop->CancelTimer(g.timer);
  g.timer = 0;
}

bool TimerArmed(TTamaBase& t) { return Gui(t).timer != 0; }

// ---- the window ----

void Resized(TTamaBase& t, TObjNode& form, int clientW, int clientH) {
  form.w = clientW;
  form.h = clientH;
  if (TObjNode* img = form.imgNumber >= 0 ? Gui(t).Find(form.imgNumber) : nullptr) {
    if (img != &form) {
      img->x = img->y = 0;
      img->w = clientW;
      img->h = clientH;
    }
    img->pictureW = clientW;
    img->pictureH = clientH;
    if (img != &form) Changed(t, *img);
  }
  Changed(t, form);
  RaiseSlotEvent(t, form, kSlotChange);
}

void CloseRequested(TTamaBase& t, TObjNode& form) {
  if (form.number != 0) {
    form.visible = false;
    Changed(t, form);
    return;
  }
  t.CloseRun();
}

bool EventSourceArmed(TTamaBase& t) {
  // every source of the program's events lives on the loop: the program
  // timer, animation frames, sockets, posted callbacks
  TEventLoop* loop = t.host.Loop();
  return loop && loop->CanHappen();
}

void IdlePoint(TTamaBase& t) {
  if (!Gui(t).deferred.empty()) FreeDeferred(t);
}

void RunLoop(TTamaBase& t) {
  IdlePoint(t);
  TEventLoop* loop = t.host.Loop();
  if (!loop) {
    // nothing can come after the main text
    if (!t.stopFlag) CloseRequested(t, MainNode(t));
    return;
  }
  TGuiState& g = Gui(t);
  auto stopped = [&] { return t.stopFlag || loop->QuitRequested(); };
  while (!stopped()) {
    loop->ProcessPending();
    IdlePoint(t);
    if (stopped()) return;
    if (g.idleHook && g.idleHook(t)) {
      IdlePoint(t);
      continue;
    }
    if (TScript* script = ScriptOf(t); script && !script->Done()) {
      if (script->DeliverNext(t, false)) {
        IdlePoint(t);
        continue;
      }
      // a `wait` step: time passes with the loop running
      if (script->resumeAt >= 0 && !stopped()) {
        loop->WaitUntil(script->resumeAt);
        IdlePoint(t);
        continue;
      }
    }
    if (!EventSourceArmed(t)) {
      // nothing can happen any more: the window is asked to close once, and
      // the run ends even when the termination handler refuses
      CloseRequested(t, MainNode(t));
      IdlePoint(t);
      return;
    }
    loop->WaitUntil(-1);
    IdlePoint(t);
  }
}

// ---- window commands ----

TObjNode& MainWindow(TTamaBase& t) { return MainNode(t); }

void ShowMain(TTamaBase& t) {
  TObjNode& main = MainNode(t);
  Gui(t).mainShown = true;
  main.visible = true;
  Changed(t, main);
}

void SetMainState(TTamaBase& t, int state) {
  TGuiState& g = Gui(t);
  TObjNode& main = MainNode(t);
  main.windowState = state;
  if (state != 2) main.style = 2;  // minimised and restored windows get a sizeable border
  if (state == 0) {
    g.cursorShown = true;
    main.onTop = false;
  }
  Changed(t, main);
}

void FullScreen(TTamaBase& t) {
  TGuiState& g = Gui(t);
  TObjNode& main = MainNode(t);
  main.windowState = 2;
  main.onTop = true;
  main.style = 0;
  main.x = main.y = 0;
  const int w = g.view->ScreenWidth(), h = g.view->ScreenHeight();
  if (main.w != w || main.h != h)
    Resized(t, main, w, h);
  else
    Changed(t, main);
}

bool SetMainStyle(TTamaBase& t, int64_t style) {
  if (style < 0 || style > 5) return false;
  TObjNode& main = MainNode(t);
  main.style = static_cast<int>(style);
  Changed(t, main);
  return true;
}

void BringToFront(TTamaBase& t, TObjNode& node, bool front) {
  if (node.kind == kForm) {
    node.onTop = front;
    Changed(t, node);
    return;
  }
  TObjNode* parent = Gui(t).Find(node.parent);
  if (!parent) return;
  auto& c = parent->children;
  auto it = std::find(c.begin(), c.end(), node.number);
  if (it == c.end()) return;
  c.erase(it);
  if (front)
    c.push_back(node.number);
  else
    c.insert(c.begin(), node.number);
  Changed(t, node);
}

void CentreObject(TTamaBase& t, TObjNode& node) {
  TGuiState& g = Gui(t);
  if (node.kind == kForm) {
    node.x = (g.view->ScreenWidth() - node.w) / 2;
    node.y = (g.view->ScreenHeight() - node.h) / 2;
    Changed(t, node);
    return;
  }
  const TObjNode* parent = g.Find(node.parent);
  if (!parent || (parent->kind != kPanel && parent->kind != kForm)) return;
  node.x = (parent->w - node.w) / 2;
  node.y = (parent->h - node.h) / 2;
  Changed(t, node);
}

// ---- the position file ----

std::string UnansweredLine(TTamaBase& t, std::string_view command, std::string_view outcome) {
  std::string out = "[注　意] ";
  out += support::FileNamePart(t.programFileName);
  out += '(';
  out += std::to_string(t.LineNumberOf());
  out += "行目): ダイアログ\"";
  out += command;
  out += "\"に答えられないため、";
  out += outcome;
  out += "。";
  return out;
}

void RaiseFileFailure(std::string_view name) {
  throw std::runtime_error("ファイル\"" + std::string(name) + "\"の、読み込みか書き込みに、失敗しました。");
}

std::string FormPositionFile(std::string_view name) {
  if (support::IsAbsoluteName(name)) return std::string(name);
  std::string folder = support::FromNativePath(support::WorkingFolder());
  if (!support::EndsWithSeparator(folder)) folder += '/';
  return folder + std::string(name);
}

void SaveFormPosition(TTamaBase& t, std::string_view name) {
  const std::string file = FormPositionFile(name);
  if (AskSecurity(t, file, "INIファイル\"" + file + "\"にフォーム情報を保存します。")) return;
  const TObjNode& main = MainNode(t);
  // the geometry of the normal state, which the model keeps whatever the state
  const std::vector<std::pair<std::string, std::string>> entries = {
      {"state", std::to_string(main.windowState)}, {"top", std::to_string(main.y)},
      {"left", std::to_string(main.x)},           {"height", std::to_string(main.h)},
      {"width", std::to_string(main.w)},
  };
  if (support::WriteIniFile(support::NativePath(file), kFormSection, entries) != support::TIniWrite::kDone)
    RaiseFileFailure(file);
}

void RestoreFormPosition(TTamaBase& t, std::string_view name) {
  const std::string file = FormPositionFile(name);
  support::TIniText ini;
  switch (support::LoadIniFile(support::NativePath(file), ini)) {
    case support::TIniLoad::kRead: break;
    case support::TIniLoad::kMissing: return;  // every value keeps its current one
    case support::TIniLoad::kFailed: RaiseFileFailure(file);
  }
  TObjNode& main = MainNode(t);
  main.y = ReadIniInteger(ini, "top", main.y);
  main.x = ReadIniInteger(ini, "left", main.x);
  const int h = ReadIniInteger(ini, "height", main.h);
  const int w = ReadIniInteger(ini, "width", main.w);
  std::string state;
  if (ini.Read(kFormSection, "state", state)) {
    const int s = ReadIniInteger(ini, "state", -1);
    if (s >= 0 && s <= 2) main.windowState = s;
  }
  if (w != main.w || h != main.h)
    Resized(t, main, w, h);
  else
    Changed(t, main);
}

}  // namespace tama::gui
