// The object model on a small vocabulary: creation and placement, the kinds
// of 作る, event slots, the dispatch of events while the program is busy and
// while it is idle, and destruction.
#include <gtest/gtest.h>

#include "test_host.h"

#include <string>
#include <vector>

#include "engine/flow.h"
#include "engine/tama.h"
#include "frontend/normalize.h"
#include "gui/objects.h"
#include "gui/properties.h"

namespace tama::gui {
namespace {

void Show(TTamaBase& t, int) { t.host.Display(t.PopArgValue()); }
void Create(TTamaBase& t, int) {
  const bool omitted = t.omitted;
  std::string kind = t.PopArgValue();
  std::string name = t.PopArgText();
  std::string position = t.PopArgText();
  CreateObject(t, position, omitted, name, kind);
}
void Destroy(TTamaBase& t, int) { DestroyByName(t, t.PopArgText()); }

const TCommandDef kDefs[] = {
    {"表示", "?と", 1, Show},
    {"作成", "?に,?を,?として", 2, Create},
    {"破壊", "?を", 3, Destroy},
    {"戻る", "", 4, flow::Modoru},
};
const TCommandFamily kFamily = {"test", kDefs, std::size(kDefs)};

// An interpreter with the object model installed and a program loaded; the
// cursor is at the start of the program (the program is busy).
struct TRun {
  TTestHost host;
  TTamaBase t{host};
  explicit TRun(std::string source = "") {
    std::vector<const TCommandFamily*> families{&kFamily};
    t.SetHandlers(families);
    Install(t);
    t.RegisterWords(families);
    t.programFileName = "t.tmk";
    source += "\r\n";
    frontend::NormalizeSource(source);
    TTextRef main = MakeText(source);
    t.sourceTexts.push_back(main);
    t.CollectLabels(main, t.programFileName);
    t.Jump({main, main->begin()});
  }
  TObjNode& Make(std::string_view name, std::string_view kind, std::string_view position = {}) {
    CreateObject(t, position, position.empty(), name, kind);
    return *Gui(t).FindByName(name);
  }
  // The message of the error the call raises ("" when it raises none).
  template <class F>
  std::string ErrorOf(F&& f) {
    try {
      f();
    } catch (const ETama& e) {
      std::string line = e.what();
      return line.substr(line.find("): ") + 3);
    }
    return "";
  }
};

TEST(Objects, ResetLeavesOnlyTheMainWindow) {
  TRun r;
  TGuiState& g = Gui(r.t);
  ASSERT_EQ(g.objects.size(), 1u);
  const TObjNode& main = g.Main();
  EXPECT_EQ(main.name, "母艦");
  EXPECT_EQ(main.kind, kForm);
  EXPECT_EQ(main.w, 640);
  EXPECT_EQ(main.h, 400);
  EXPECT_EQ(main.text, "たまかず");
  EXPECT_EQ(main.imgNumber, 0);
  r.Make("A", "ボタン");
  r.t.textX = r.t.textY = 99;
  g.centering = true;
  r.t.words.Clear();
  r.t.RegisterWords({&kFamily});
  EXPECT_EQ(g.objects.size(), 1u);
  EXPECT_TRUE(g.deferred.empty());
  EXPECT_EQ(r.t.textX, 10);
  EXPECT_EQ(r.t.textY, 10);
  EXPECT_FALSE(g.centering);
  EXPECT_EQ(r.t.words.Find("そ", false)->Kind, wkVariable);
}

TEST(Objects, PlacementCursor) {
  TRun r;
  TObjNode& a = r.Make("A", "ボタン");
  EXPECT_EQ(a.number, 1);
  EXPECT_EQ(a.x, 10);
  EXPECT_EQ(a.y, 10);
  EXPECT_EQ(a.w, 75);
  EXPECT_EQ(a.h, 25);
  TObjNode& b = r.Make("B", "エディタ");
  EXPECT_EQ(b.y, 10 + 25 + 8);
  EXPECT_EQ(r.t.textY, 43 + 21 + 8);
  // an explicit position moves only the cursor's Y
  TObjNode& c = r.Make("C", "リスト", "(200,300)");
  EXPECT_EQ(c.x, 200);
  EXPECT_EQ(c.y, 300);
  EXPECT_EQ(r.t.textX, 10);
  EXPECT_EQ(r.t.textY, 300 + 97 + 8);
  // the gap is 部品配置間隔, 8 when it is not a number
  r.t.QuickWord("部品配置間隔").SetValue("20");
  TObjNode& d = r.Make("D", "ボタン");
  EXPECT_EQ(r.t.textY, d.y + 25 + 20);
  r.t.QuickWord("部品配置間隔").SetValue("x");
  TObjNode& e = r.Make("E", "ボタン");
  EXPECT_EQ(r.t.textY, e.y + 25 + 8);
  // centring: on the main window's client width
  Gui(r.t).centering = true;
  EXPECT_EQ(r.Make("F", "ボタン").x, (640 - 75) / 2);
}

TEST(Objects, SizesAndCaptions) {
  TRun r;
  EXPECT_EQ(r.Make("OKボタン", "ボタン").text, "OK");
  EXPECT_EQ(r.Make("実行", "ボタン").text, "実行");
  // a caption wider than the button widens it (8 px per single-byte character at 12 points)
  EXPECT_EQ(r.Make("ABCDEFGHIJ", "ボタン").w, 10 * 8 + 10);
  TObjNode& label = r.Make("あいうラベル", "ラベル");
  EXPECT_EQ(label.text, "あいう");
  EXPECT_EQ(label.w, 3 * 16);
  EXPECT_EQ(label.h, 16);
  EXPECT_TRUE(label.transparent);
  EXPECT_EQ(r.Make("P", "パネル").text, "");
  EXPECT_EQ(r.Make("S", "スクロール").w, 300);
  r.t.QuickWord("文字サイズ").SetValue("24");
  EXPECT_EQ(r.Make("L2", "ラベル").h, 32);
}

TEST(Objects, FontsOfNewObjects) {
  TRun r;
  r.t.QuickWord("文字書体").SetValue("ＭＳ 明朝｜太字");
  r.t.QuickWord("文字サイズ").SetValue("20");
  r.t.QuickWord("文字色").SetValue("255");
  struct {
    const char* kind;
    int size;
    bool bold;
    int64_t color;
  } cases[] = {
      {"ボタン", 20, true, 0},   {"ラベル", 20, true, 255}, {"フォーム", 20, true, 255},
      {"トラック", 20, false, 0}, {"イメージ", 12, false, 0}, {"パネル", 12, false, 0},
  };
  int n = 0;
  for (const auto& c : cases) {
    const TFont& f = r.Make("F" + std::to_string(n++), c.kind).font;
    EXPECT_EQ(f.size, c.size) << c.kind;
    EXPECT_EQ(f.bold, c.bold) << c.kind;
    EXPECT_EQ(f.color, c.color) << c.kind;
    EXPECT_EQ(f.name, c.size == 20 ? "ＭＳ 明朝" : "ＭＳ ゴシック") << c.kind;
  }
}

TEST(Objects, FormWithPictureLayer) {
  TRun r;
  TObjNode& f = r.Make("F", "フォーム", "(5,70)");
  TGuiState& g = Gui(r.t);
  EXPECT_EQ(f.parent, -1);
  EXPECT_EQ(f.x, (1024 - 400) / 2);
  EXPECT_EQ(f.y, (768 - 300) / 2);
  EXPECT_EQ(r.t.textY, 70);
  ASSERT_NE(g.Find(f.imgNumber), nullptr);
  const TObjNode& img = *g.Find(f.imgNumber);
  EXPECT_EQ(img.name, "img");
  EXPECT_EQ(img.kind, kImage);
  EXPECT_EQ(img.parent, f.number);
  EXPECT_EQ(img.w, f.w);
  EXPECT_EQ(img.h, f.h);
  EXPECT_EQ(f.children, std::vector<int>{img.number});
  // the layer is no word; the next object follows it in the list
  EXPECT_EQ(r.t.words.Find("img", false), nullptr);
  EXPECT_EQ(r.Make("B", "ボタン").number, img.number + 1);
}

TEST(Objects, WordAndSono) {
  TRun r;
  TObjNode& a = r.Make("A", "チェック");
  THashNode* w = r.t.words.Find("A", false);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->Kind, wkObject);
  EXPECT_EQ(w->Id, a.number);
  EXPECT_EQ(w->Tag, "チェック");
  THashNode* so = r.t.words.Find("そ", false);
  EXPECT_EQ(so->Kind, wkObject);
  EXPECT_EQ(so->Id, a.number);
  EXPECT_EQ(WordOf(r.t, a), w);
}

TEST(Objects, CreationErrors) {
  TRun r;
  r.t.words.Add(std::make_shared<THashNode>("V", false, 0, "1"));
  struct {
    const char* position;
    const char* name;
    const char* kind;
    const char* message;
  } cases[] = {
      {"", "V", "ボタン", "オブジェクト\"V\"は、既に存在するので、作成できません。"},
      {"", "表示", "ボタン", "オブジェクト\"表示\"は、既に存在するので、作成できません。"},
      {"", "母艦", "ボタン", "オブジェクト\"母艦\"は、既に存在するので、作成できません。"},
      {"(1,2,3)", "N", "ボタン", "オブジェクト\"N\"は、未定義なので、作成できません。座標指定に誤りがあります。\"(1,2,3)\""},
      {"(1)", "N", "ボタン", "オブジェクト\"N\"は、未定義なので、作成できません。座標指定に誤りがあります。\"(1)\""},
      {"", "N", "ほげ", "オブジェクト\"ほげ\"は、未定義なので、作成できません。"},
      {"", "N", "メニュー", "オブジェクト\"メニュー\"は、未定義なので、作成できません。"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(r.ErrorOf([&] { CreateObject(r.t, c.position, !*c.position, c.name, c.kind); }), c.message)
        << c.name;
  }
  // a failed creation leaves no record and no word
  EXPECT_EQ(Gui(r.t).objects.size(), 1u);
  EXPECT_EQ(r.t.words.Find("N", false), nullptr);
}

TEST(Objects, KindFromTheNameEnding) {
  struct {
    const char* name;
    int kind;
  } cases[] = {
      {"メモリッチエディタ", kEdit},  // エディタ comes first in the table
      {"本文Tエディタ", kEdit},
      {"OKボタン", kButton},
      {"設定メニュー", kMenu},
      {"入力メモ", kMemo},
      {"実行", -1},
      {"ボタンA", -1},
  };
  for (const auto& c : cases) EXPECT_EQ(KindNameEndsWith(c.name), c.kind) << c.name;
}

TEST(Objects, MakeFromNameRunsTheSentence) {
  TRun r;
  MakeFromName(r.t, "メモリッチエディタ");
  MakeFromName(r.t, " 実行 ");
  TGuiState& g = Gui(r.t);
  ASSERT_NE(g.FindByName("メモリッチエディタ"), nullptr);
  EXPECT_EQ(g.FindByName("メモリッチエディタ")->kind, kEdit);
  ASSERT_NE(g.FindByName("実行"), nullptr);
  EXPECT_EQ(g.FindByName("実行")->kind, kButton);
  EXPECT_EQ(g.FindByName("実行")->y, 10 + 21 + 8);
  EXPECT_EQ(r.ErrorOf([&] { MakeFromName(r.t, " "); }), "\"作る\"命令の引数に誤りがあります。オブジェクト名がありません。");
  const std::string again = r.ErrorOf([&] { MakeFromName(r.t, "実行"); });
  EXPECT_NE(again.find("オブジェクト\"実行\"は、既に存在するので、作成できません。(\"作る\"命令にて)"), std::string::npos)
      << again;
}

TEST(Objects, AttachingHandlers) {
  TRun r("*押された\r\n戻る");
  TObjNode& b = r.Make("B", "ボタン");
  const THashNode* label = r.t.words.Find("押された", false);
  ASSERT_NE(label, nullptr);
  r.t.words.Add(std::make_shared<THashNode>("V", false, 0, "1"));

  AttachHandler(r.t, b, kSlotClick, "押された");
  EXPECT_EQ(b.eventEntry[kSlotClick].p, label->Link.p);
  EXPECT_EQ(b.eventText[kSlotClick], "");
  AttachHandler(r.t, b, kSlotKeyDown, "`押された`");
  EXPECT_EQ(b.eventEntry[kSlotKeyDown].p, label->Link.p);
  AttachHandler(r.t, b, kSlotKeyDown, "``");
  EXPECT_FALSE(b.eventEntry[kSlotKeyDown]);
  AttachHandler(r.t, b, kSlotChange, "(\"x\"と,表示)");
  EXPECT_EQ(b.eventText[kSlotChange], "\"x\"と,表示");
  EXPECT_EQ(std::string(b.eventEntry[kSlotChange].p), "\"x\"と,表示");
  AttachHandler(r.t, b, kSlotChange, "\"\"");
  EXPECT_FALSE(b.eventEntry[kSlotChange]);
  EXPECT_EQ(b.eventText[kSlotChange], "");
  EXPECT_EQ(r.ErrorOf([&] { AttachHandler(r.t, b, kSlotChange, "V"); }),
            "計算式に誤りがあります。イベントに変数を設定することは出来ません。ラベルを指定してください。");

  // イベント: slot 0 and the kind's own slot; emptying it leaves the kind's slot
  TObjNode& c = r.Make("C", "ボタン");
  AttachGenericHandler(r.t, c, "押された");
  EXPECT_EQ(c.eventEntry[kSlotEvent].p, label->Link.p);
  EXPECT_EQ(c.eventEntry[kSlotClick].p, label->Link.p);
  for (const char* empty : {"\"\"", "", "\\NULL-VALUE"}) {
    AttachGenericHandler(r.t, c, "押された");
    AttachGenericHandler(r.t, c, empty);
    EXPECT_FALSE(c.eventEntry[kSlotEvent]) << empty;
    EXPECT_TRUE(c.eventEntry[kSlotClick]) << empty;
  }
  struct {
    const char* kind;
    int slot;
  } kinds[] = {{"エディタ", kSlotChange}, {"イメージ", kSlotMouseDown}, {"フォーム", kSlotMouseDown}, {"メモ", -1}};
  int n = 0;
  for (const auto& k : kinds) {
    TObjNode& o = r.Make("K" + std::to_string(n++), k.kind);
    AttachGenericHandler(r.t, o, "(\"k\"と,表示)");
    for (int s = 1; s < kSlotCount; ++s) EXPECT_EQ(static_cast<bool>(o.eventEntry[s]), s == k.slot) << k.kind << s;
  }
}

TEST(Objects, DispatchWhileIdleRunsAtOnce) {
  TRun r("*押された\r\n\"押された\"と,表示\r\n戻る");
  TObjNode& b = r.Make("B", "ボタン");
  r.t.StopCursor();  // the program has ended
  AttachHandler(r.t, b, kSlotEvent, "押された");
  Dispatch(r.t, b.number);
  EXPECT_EQ(r.host.out, "押された\n");
  EXPECT_EQ(r.t.cur, nullptr);
  EXPECT_EQ(r.t.frames.FrameCount(), 0);
  const THashNode& source = r.t.QuickWord("イベントオブジェクト");
  EXPECT_EQ(source.Kind, wkObject);
  EXPECT_EQ(source.Id, b.number);
  // an inline handler, and a slot event that leaves slot 0 as it was
  AttachHandler(r.t, b, kSlotClick, "(\"クリック\"と,表示)");
  RaiseSlotEvent(r.t, b, kSlotClick);
  EXPECT_EQ(r.host.out, "押された\nクリック\n");
  Dispatch(r.t, b.number);
  EXPECT_EQ(r.host.out, "押された\nクリック\n押された\n");
  EXPECT_EQ(r.ErrorOf([&] { Dispatch(r.t, 77); }), "オブジェクト\"77\"が特定できません。");
}

TEST(Objects, ErrorsOfAnIdleHandlerAreReported) {
  TRun r;
  r.t.StopCursor();
  TObjNode& b = r.Make("B", "ボタン");
  AttachHandler(r.t, b, kSlotEvent, "(ない命令)");
  Dispatch(r.t, b.number);
  ASSERT_EQ(r.host.dialogs.size(), 1u);
  EXPECT_NE(r.host.dialogs[0].find("\"ない命令\"は未定義の命令です。"), std::string::npos) << r.host.dialogs[0];
  EXPECT_TRUE(r.t.stopFlag);
  EXPECT_EQ(r.t.frames.FrameCount(), 0);
}

TEST(Objects, BusyEventsRunInReverseOrder) {
  TRun r("\"前\"と,表示\r\n\"後\"と,表示");
  TObjNode& a = r.Make("A", "ボタン");
  TObjNode& b = r.Make("B", "ボタン");
  AttachHandler(r.t, a, kSlotClick, "(\"A\"と,表示)");
  AttachHandler(r.t, b, kSlotClick, "(\"B\"と,表示)");
  ASSERT_TRUE(Busy(r.t));
  RaiseSlotEvent(r.t, a, kSlotClick);
  RaiseSlotEvent(r.t, b, kSlotClick);
  EXPECT_EQ(r.host.out, "");  // nothing runs inside the busy command
  EXPECT_EQ(r.t.frames.FrameCount(), 2);
  EXPECT_FALSE(a.eventEntry[kSlotEvent]);  // slot 0 restored
  r.t.RunProgram();
  EXPECT_EQ(r.host.out, "B\nA\n前\n後\n");
}

TEST(Objects, SlotEventVariables) {
  TRun r;
  r.t.StopCursor();
  TObjNode& b = r.Make("B", "ボタン");
  TEventArgs mouse;
  mouse.mouse = true;
  mouse.mouseX = 12;
  mouse.mouseY = 34;
  mouse.modifiers = kModCtrl | kModShift | kModLeft;
  RaiseSlotEvent(r.t, b, kSlotMouseDown, mouse);  // no handler: the position is set all the same
  EXPECT_EQ(r.t.QuickWord("マウスX").Value(), "12");
  EXPECT_EQ(r.t.QuickWord("マウスY").Value(), "34");
  EXPECT_EQ(r.t.QuickWord("押された特殊キー").Value(), "Shift\r\nCtrl\r\nLeft");
  TEventArgs key;
  key.key = true;
  key.keyCode = 65;
  key.modifiers = kModAlt;
  RaiseSlotEvent(r.t, b, kSlotKeyDown, key);  // no handler: nothing is set
  EXPECT_EQ(r.t.QuickWord("押されたキー").Value(), "0");
  AttachHandler(r.t, b, kSlotKeyDown, "(押されたキーと,表示)");
  RaiseSlotEvent(r.t, b, kSlotKeyDown, key);
  EXPECT_EQ(r.t.QuickWord("押された特殊キー").Value(), "Alt");
  EXPECT_EQ(r.host.out, "65\n");
  EXPECT_EQ(ModifierText(kModDouble | kModMiddle | kModRight | kModAlt), "Alt\r\nRight\r\nMiddle\r\nDouble");
  EXPECT_EQ(ModifierText(0), "");
}

TEST(Objects, DestructionIsDeferred) {
  TRun r;
  TObjNode& a = r.Make("A", "エディタ");
  a.text = "abc";
  const int number = a.number;
  DestroyByName(r.t, "A");
  TGuiState& g = Gui(r.t);
  EXPECT_EQ(g.Find(number), nullptr);
  EXPECT_EQ(r.t.words.Find("A", false), nullptr);
  ASSERT_EQ(g.deferred.size(), 1u);
  EXPECT_EQ(g.deferred[0]->name, "");
  EXPECT_EQ(g.deferred[0]->text, "");
  EXPECT_FALSE(g.deferred[0]->visible);
  EXPECT_EQ(g.Main().children, std::vector<int>{});
  // numbers are never reused
  EXPECT_EQ(r.Make("B", "ボタン").number, number + 1);
  FreeDeferred(r.t);
  EXPECT_TRUE(g.deferred.empty());
  // 母艦 stays; an unknown name is an error; a word without object only goes
  DestroyByName(r.t, "母艦");
  EXPECT_NE(g.Find(0), nullptr);
  EXPECT_NE(r.t.words.Find("母艦", false), nullptr);
  EXPECT_EQ(r.ErrorOf([&] { DestroyByName(r.t, "ない"); }), "オブジェクト\"ない\"が特定できません。");
  r.t.words.Add(std::make_shared<THashNode>("古い", false, TPos{}, wkObject, 99, "ボタン", "", ""));
  DestroyByName(r.t, "古い");
  EXPECT_EQ(r.t.words.Find("古い", false), nullptr);
}

TEST(Objects, DestroyedInsideItsOwnEvent) {
  TRun r;
  r.t.StopCursor();
  TObjNode& b = r.Make("B", "ボタン");
  AttachHandler(r.t, b, kSlotClick, "(Bを,破壊)");
  RaiseSlotEvent(r.t, b, kSlotClick);
  TGuiState& g = Gui(r.t);
  EXPECT_EQ(g.FindByName("B"), nullptr);
  ASSERT_EQ(g.deferred.size(), 1u);
  EXPECT_FALSE(g.deferred[0]->eventEntry[kSlotEvent]);  // slot 0 restored on the waiting record
}

TEST(Objects, ContainersDestroyTheirContents) {
  TRun r;
  TObjNode& p = r.Make("P", "パネル");
  TObjNode& inner = r.Make("Inner", "パネル");
  TObjNode& b = r.Make("B", "ボタン");
  TObjNode& other = r.Make("Other", "ボタン");
  Reparent(r.t, inner, p);
  Reparent(r.t, b, inner);
  EXPECT_EQ(b.parent, inner.number);
  EXPECT_EQ(p.children, std::vector<int>{inner.number});
  TObjNode& f = r.Make("F", "フォーム");
  const int img = f.imgNumber;
  const int numbers[] = {p.number, inner.number, b.number};
  DestroyByName(r.t, "P");
  TGuiState& g = Gui(r.t);
  for (int n : numbers) EXPECT_EQ(g.Find(n), nullptr) << n;
  EXPECT_EQ(r.t.words.Find("Inner", false), nullptr);
  EXPECT_EQ(r.t.words.Find("B", false), nullptr);
  EXPECT_EQ(g.deferred.size(), 3u);
  EXPECT_NE(g.FindByName("Other"), nullptr);
  (void)other;
  DestroyAll(r.t);
  EXPECT_EQ(g.Find(img), nullptr);
  EXPECT_EQ(g.objects.size(), static_cast<size_t>(img + 1));
  for (size_t i = 1; i < g.objects.size(); ++i) EXPECT_EQ(g.objects[i], nullptr) << i;
  EXPECT_NE(g.Find(0), nullptr);
}

TEST(Objects, ReparentRefusesItselfAndWhatLiesOnIt) {
  TRun r;
  TObjNode& p = r.Make("P", "パネル");
  TObjNode& q = r.Make("Q", "パネル");
  Reparent(r.t, q, p);
  EXPECT_EQ(r.ErrorOf([&] { Reparent(r.t, p, p); }), "Pを、Pへ、親変更に失敗。");
  EXPECT_EQ(r.ErrorOf([&] { Reparent(r.t, p, q); }), "Pを、Qへ、親変更に失敗。");
  EXPECT_EQ(r.ErrorOf([&] { Reparent(r.t, Gui(r.t).Main(), q); }), "母艦を、Qへ、親変更に失敗。");
  EXPECT_EQ(q.parent, p.number);
  TObjNode& tabs = r.Make("T", "タブページ");
  tabs.activePage = 2;
  Reparent(r.t, q, tabs);
  EXPECT_EQ(q.page, 2);
  EXPECT_EQ(p.children, std::vector<int>{});
  EXPECT_EQ(tabs.children, std::vector<int>{q.number});
}

TEST(Objects, ValueOfAnObjectWord) {
  TRun r;
  TObjNode& image = r.Make("I", "イメージ");
  THashNode& imageWord = *r.t.words.Find("I", false);
  imageWord.SetValue(" a.bmp \r\n");
  EXPECT_EQ(ObjectValue(r.t, image).text, "a.bmp");
  EXPECT_EQ(ObjectValue(r.t, image).tag, kTagString);
  TObjNode& tree = r.Make("T", "ツリー");
  EXPECT_EQ(ObjectValue(r.t, tree).text, "");
  tree.tree = {{"根", "根", 0}, {"根\\葉", "葉", 1}};
  tree.treeSelected = 1;
  EXPECT_EQ(ObjectValue(r.t, tree).text, "葉");
  for (const char* kind : {"トラック", "アニメ", "ブラウザ", "スクロール", "タブページ"}) {
    TObjNode& o = r.Make(std::string("V") + kind, kind);
    EXPECT_EQ(r.ErrorOf([&] { ObjectValue(r.t, o); }),
              "オブジェクト\"" + o.name + "\"から、直接値を得ることは出来ません。");
    // writing the word's value keeps the text in the word
    r.t.setObjectValue(r.t, *WordOf(r.t, o), "文字");
    EXPECT_EQ(WordOf(r.t, o)->Value(), "文字");
  }
}

TEST(Objects, ReadAndWriteChecks) {
  TRun r;
  TObjNode& b = r.Make("B", "ボタン");
  r.t.words.Add(std::make_shared<THashNode>("V", false, 0, "1"));
  r.t.words.Add(std::make_shared<THashNode>("古い", false, TPos{}, wkObject, 99, "ボタン", "", ""));
  struct {
    const char* object;
    const char* property;
    const char* message;
  } reads[] = {
      {"ない", "X", "単語\"ない\"は、定義されていません。"},
      {"V", "X", "\"V\"は、オブジェクトではありません。"},
      {"古い", "X", "オブジェクト\"古い\"は、作成されていません。"},
      {"B", "ほげ", "オブジェクト\"B\"(\"ボタン\")の設定項目\"ほげ\"は未定義です。"},
      {"\"B\"", "X", ""},
  };
  for (const auto& c : reads)
    EXPECT_EQ(r.ErrorOf([&] { ReadPropertyOf(r.t, c.object, c.property); }), c.message) << c.object;
  struct {
    const char* object;
    const char* property;
    const char* value;
    const char* message;
  } writes[] = {
      {"ない", "X", "1", "オブジェクト\"ない\"は、作成されていません。"},
      {"V", "X", "1", "オブジェクト\"V\"は、作成されていません。"},
      {"古い", "X", "1", "オブジェクト\"古い\"は、作成されていません。"},
      {"B", "ほげ", "1", "オブジェクト\"B\"(\"ボタン\")の設定項目\"ほげ\"は未定義です。"},
      {"B", "名前", "1", "オブジェクト\"B\"(ボタン)の項目,\"名前\"の設定に失敗しました。"},
      {"`B`", "X", "33", ""},
  };
  for (const auto& c : writes)
    EXPECT_EQ(r.ErrorOf([&] { WritePropertyOf(r.t, c.object, c.property, c.value); }), c.message) << c.object;
  EXPECT_EQ(b.x, 33);
  // a failed write copies its word into その all the same
  (void)r.ErrorOf([&] { WritePropertyOf(r.t, "V", "X", "1"); });
  EXPECT_EQ(r.t.words.Find("そ", false)->Kind, wkVariable);
  EXPECT_EQ(r.t.words.Find("そ", false)->Value(), "1");
  EXPECT_EQ(PropertyIndex(r.t, "クリックした時"), kPropOnClick);
  EXPECT_EQ(PropertyIndex(r.t, "クリック時"), kPropOnClick);
  EXPECT_EQ(PropertyIndex(r.t, "ほげ"), -1);
}

}  // namespace
}  // namespace tama::gui
