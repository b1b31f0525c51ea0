// The kind table, the fixed metrics and the state of the object model.
#include "gui/model.h"

#include <cmath>
#include <iterator>

#include "engine/tama.h"
#include "sjis/sjis.h"

namespace tama::gui {

namespace {

struct TKindInfo {
  const char* word;
  int defaultSlot;
  // the slots whose events the kind's widget raises (bit k: slot k)
  unsigned connected;
};

constexpr unsigned S(int slot) { return 1u << slot; }
constexpr unsigned kMouse = S(kSlotMouseDown) | S(kSlotMouseUp) | S(kSlotMouseMove);
constexpr unsigned kKeys = S(kSlotKeyDown) | S(kSlotKeyUp);
constexpr unsigned kClicks = S(kSlotClick) | S(kSlotDblClick);
constexpr unsigned kDrop = S(kSlotFileDrop);  // any widget may accept dropped files

const TKindInfo kKinds[] = {
    {"ボタン", kSlotClick, S(kSlotClick) | kMouse | kDrop},
    {"エディタ", kSlotChange, S(kSlotChange) | kClicks | kMouse | kKeys | kDrop},
    {"イメージ", kSlotMouseDown, kClicks | kMouse | kDrop},
    {"バー", kSlotChange, S(kSlotChange) | kKeys | kDrop},
    {"コンボ", kSlotClick, S(kSlotChange) | kClicks | kKeys | kDrop},
    {"リスト", kSlotClick, kClicks | kMouse | kKeys | kDrop},
    {"メモ", -1, S(kSlotChange) | kClicks | kMouse | kKeys | kDrop},
    // a フォーム's mouse events come from its "img"
    {"フォーム", kSlotMouseDown, kKeys | S(kSlotChange) | kClicks | kMouse | kDrop},
    {"グリッド", -1, kClicks | kMouse | kKeys | kDrop},
    {"ラベル", kSlotClick, kClicks | kMouse | kDrop},
    {"チェック", kSlotClick, S(kSlotClick) | kMouse | kKeys | kDrop},
    {"トラック", kSlotChange, S(kSlotChange) | kClicks | kMouse | kDrop},
    {"アニメ", kSlotClick, kClicks | kMouse | kDrop},
    {"メニュー", kSlotClick, S(kSlotClick)},
    {"ブラウザ", kSlotClick, S(kSlotClick) | kDrop},
    {"パネル", kSlotClick, kClicks | kMouse | kDrop},
    {"Tエディタ", kSlotChange, S(kSlotChange) | kClicks | kMouse | kKeys | kDrop},
    {"ラジオ", kSlotClick, S(kSlotClick) | kDrop},
    {"スクロール", -1, kClicks | kMouse | kDrop},
    {"タブページ", kSlotChange, S(kSlotChange) | kMouse | kDrop},
    {"ツリー", kSlotClick, S(kSlotChange) | kClicks | kMouse | kKeys | kDrop},
    {"リッチエディタ", kSlotChange, S(kSlotChange) | kMouse | kKeys | kDrop},
};
static_assert(std::size(kKinds) == kKindCount);

}  // namespace

const char* KindWord(int kind) { return kind >= 0 && kind < kKindCount ? kKinds[kind].word : ""; }

int KindOfWord(std::string_view word) {
  for (int k = 0; k < kKindCount; ++k)
    if (word == kKinds[k].word) return k;
  return -1;
}

int KindNameEndsWith(std::string_view name) {
  for (int k = 0; k < kKindCount; ++k) {
    std::string_view w = kKinds[k].word;
    if (name.size() >= w.size() && name.substr(name.size() - w.size()) == w) return k;
  }
  return -1;
}

int DefaultSlot(int kind) { return kind >= 0 && kind < kKindCount ? kKinds[kind].defaultSlot : -1; }

bool SlotConnected(int kind, int slot) {
  if (kind < 0 || kind >= kKindCount || slot < 0 || slot >= kSlotCount) return false;
  return slot == kSlotEvent || (kKinds[kind].connected & S(slot));
}

int PixelSize(int points) { return static_cast<int>(std::trunc(points * 96.0 / 72.0 + 0.5)); }

int TextWidth(std::string_view text, int pixelSize) {
  int width = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (sjis::IsLead(text[i]) && i + 1 < text.size()) {
      width += pixelSize;
      ++i;
    } else {
      width += pixelSize / 2;
    }
  }
  return width;
}

TGuiState::TGuiState() : view(std::make_unique<TView>()) {}

TObjNode* TGuiState::FindByName(std::string_view name) {
  for (auto& node : objects)
    if (node && node->name == name) return node.get();
  return nullptr;
}

TGuiState& Gui(TTamaBase& t) {
  if (!t.gui) t.gui = std::make_shared<TGuiState>();
  return *t.gui;
}

}  // namespace tama::gui
