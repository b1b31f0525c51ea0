// The property reads and writes kind by kind, on object records built
// directly in the state of the user interface.
#include "gui/properties.h"

#include <gtest/gtest.h>

#include "raster/pixels.h"

#include "test_host.h"

#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "engine/tama.h"
#include "gui/model.h"
#include "gui/picture_file.h"
#include "gui/readers.h"
#include "gui/objects.h"

namespace tama::gui {
namespace {

void Show(TTamaBase& t, int) { t.host.Display(t.PopArgValue()); }
const TCommandDef kDefs[] = {{"表示", "?と", 1, Show}};
const TCommandFamily kFamily = {"test", kDefs, std::size(kDefs)};

// A view that counts what it was told.
class TCountingView : public TView {
 public:
  void Changed(TObjNode&) override { ++changed; }
  int changed = 0;
};

class TPropTest : public ::testing::Test {
 protected:
  TPropTest() : t(host) {
    t.SetHandlers(families);
    Install(t);
    Reset();
  }

  // A new run: only 母艦, and the program idle (events run at once).
  void Reset() {
    t.words.Clear();
    t.errorLog.Clear();
    t.RegisterWords(families);
    t.StopCursor();
    host.out.clear();
    auto view = std::make_unique<TCountingView>();
    counting = view.get();
    Gui(t).view = std::move(view);
  }

  // An object at (10,10) (a メニュー is made as its commands make it).
  TObjNode& Make(int kind, const std::string& name, TObjNode* parent = nullptr) {
    TGuiState& g = Gui(t);
    if (kind == kMenu) {
      auto node = std::make_unique<TObjNode>();
      node->name = name;
      node->kind = kMenu;
      node->number = static_cast<int>(g.objects.size());
      node->parent = -1;
      t.words.Add(std::make_shared<THashNode>(name, false, TPos{}, wkObject, node->number, KindWord(kMenu), "", ""));
      g.objects.push_back(std::move(node));
      return *g.objects.back();
    }
    CreateObject(t, "(10,10)", false, name, KindWord(kind));
    TObjNode& node = *g.FindByName(name);
    if (kind == kForm) node.x = node.y = 10;
    if (parent) Reparent(t, node, *parent);
    return node;
  }

  // Writes the text as the value of a variable, so that it arrives as written.
  void Set(TObjNode& node, int property, const std::string& text) {
    t.words.Add(std::make_shared<THashNode>("テスト値", false, 0, text));
    WriteProperty(t, node, property, "テスト値");
  }
  std::string Get(TObjNode& node, int property) { return ReadProperty(t, node, property).text; }

  // The message of the error the call raises, without the line prefix.
  std::string ErrorOf(const std::function<void()>& f) {
    try {
      f();
    } catch (const ETama& e) {
      std::string m = e.what();
      size_t at = m.find("): ");
      return at == std::string::npos ? m : m.substr(at + 3);
    }
    return "<no error>";
  }
  std::string WordValue(const TObjNode& node) { return t.words.Find(node.name, false)->Value(); }

  // 変更した時 of the object shows a mark; Changes counts the marks shown.
  void Watch(TObjNode& node) {
    AttachHandler(t, node, kSlotChange, "(\"変" + std::to_string(node.number) + "\"と,表示)");
  }
  int Changes(const TObjNode& node) {
    const std::string mark = "変" + std::to_string(node.number) + "\n";
    int n = 0;
    for (size_t at = host.out.find(mark); at != std::string::npos; at = host.out.find(mark, at + 1)) ++n;
    return n;
  }

  TTestHost host;
  TTamaBase t;
  std::vector<const TCommandFamily*> families{&kFamily};
  TCountingView* counting = nullptr;
};

// A kind, a property written with a value (or nothing), the property read
// back, its text and tag.
struct TCase {
  int kind;
  int write;
  const char* value;
  int read;
  const char* text;
  const char* tag;
};

constexpr int kNone = -1;

const TCase kCases[] = {
    // geometry
    {kButton, kPropX, "25", kPropX, "25", "e"},
    {kButton, kPropY, "7.9", kPropY, "7", "e"},
    {kButton, kPropWidth, "80", kPropW, "80", "e"},
    {kMemo, kPropH, "44", kPropHeight, "44", "e"},
    {kButton, kPropPosition, "(30,40)", kPropPosition, "(30,40)", "s"},
    {kButton, kPropSize, "(1,2,31,42)", kPropSize, "(1,2,31,42)", "s"},
    {kButton, kPropSize, "(1,2,31,42)", kPropBelow, "(1,50)", "s"},
    {kButton, kNone, "", kPropRight, "(93,10)", "s"},
    {kForm, kPropWidth, "300", kPropSize, "(10,10,310,310)", "s"},
    // texts
    {kButton, kPropText, "実行", kPropText, "実行", "s"},
    {kEdit, kPropText, "abc", kPropText, "abc", "s"},
    {kMemo, kPropText, "a\r\nb", kPropText, "a\r\nb", "s"},
    {kCheck, kPropTitle, "はい", kPropText, "はい", "s"},
    {kForm, kPropTitle, "窓", kPropTitle, "窓", "s"},
    {kButton, kPropTitle, "窓", kPropTitle, "窓", "s"},
    {kList, kPropText, "x", kPropText, "", "s"},
    {kTabPage, kPropText, "一\r\n二", kPropText, "一\r\n二\r\n", "s"},
    {kGrid, kPropText, "a,b\r\n1,2", kPropText, "a,b\r\n1,2\r\n,\r\n", "s"},
    {kGrid, kPropItems, "a,b\r\n1", kPropItems, "a,b\r\n1,\r\n", "s"},
    {kBrowser, kPropUrl, "http://example.com/", kPropText, "http://example.com/", "s"},
    {kMenu, kPropText, "開く", kPropText, "開く", "s"},
    {kTEditor, kPropText, "x\r\ny", kPropText, "x\r\ny", "s"},
    {kBar, kNone, "", kPropText, "", "s"},
    // items
    {kCombo, kPropItems, "a\r\n\r\nb", kPropItems, "a\r\nb\r\n", "s"},
    {kList, kPropItems, "a\r\n\r\nb", kPropItems, "a\r\n\r\nb\r\n", "s"},
    {kRadio, kPropItems, "a\nb", kPropItems, "a\r\nb\r\n", "s"},
    {kTree, kPropItems, "A\\B\r\nA\\C\r\nD", kPropItems, "A\r\nA\\B\r\nA\\C\r\nD\r\n", "s"},
    {kTree, kPropItems, "表\\ソ\r\n表\\X", kPropItems, "表\r\n表\\ソ\r\n表\\X\r\n", "s"},
    {kButton, kNone, "", kPropItems, "", "s"},
    // values
    {kBar, kPropValue, "30", kPropValue, "30", "e"},
    {kBar, kPropValue, "-1", kPropValue, "0", "e"},
    {kBar, kPropValue, "abc", kPropValue, "0", "e"},
    {kBar, kPropValue, "500", kPropValue, "100", "e"},
    {kCheck, kPropValue, "1", kPropValue, "1", "e"},
    {kCheck, kPropValue, "abc", kPropValue, "0", "e"},
    {kMenu, kPropValue, "2", kPropValue, "1", "e"},
    {kAnime, kPropValue, "250", kPropValue, "250", "e"},
    {kList, kPropValue, "0", kPropValue, "-1", "e"},
    {kButton, kNone, "", kPropValue, "0", "e"},
    {kBar, kPropMax, "50", kPropMax, "50", "e"},
    {kBar, kPropMin, "abc", kPropMin, "0", "e"},
    {kButton, kNone, "", kPropMax, "0", "e"},
    {kBar, kPropOrientation, "縦", kPropOrientation, "縦", "s"},
    {kBar, kPropOrientation, "たて", kPropOrientation, "横", "s"},
    // pictures and their modes
    {kImage, kPropStretch, "1", kPropStretch, "1", "e"},
    {kForm, kPropStretch, "0", kPropStretch, "0", "e"},
    {kButton, kNone, "", kPropStretch, "", "e"},
    {kLabel, kPropTransparent, "2", kPropTransparent, "1", "e"},
    {kForm, kPropTransparent, "1", kPropTransparent, "1", "e"},
    {kButton, kNone, "", kPropTransparent, "0", "e"},
    {kAnime, kPropButtonMode, "2", kPropButtonMode, "2", ""},
    {kAnime, kPropButtonMode, "7", kPropButtonMode, "0", ""},
    {kAnime, kPropRepeat, "3", kPropRepeat, "3", "e"},
    {kAnime, kPropRepeat, "abc", kPropRepeat, "0", "e"},
    {kAnime, kPropSound, "a.wav", kPropSound, "a.wav", "s"},
    {kButton, kNone, "", kPropSound, "", "s"},
    // visibility, enabling, files
    {kButton, kPropVisible, "0", kPropVisible, "0", "e"},
    {kButton, kPropVisible, "abc", kPropVisible, "0", "e"},
    {kMenu, kPropVisible, "1", kPropVisible, "1", "e"},
    {kEdit, kPropEnabled, "0", kPropEnabled, "0", "e"},
    {kEdit, kPropEnabled, "5", kPropEnabled, "1", "e"},
    {kEdit, kPropFileDrop, "1", kPropFileDrop, "", ""},
    {kButton, kNone, "", kPropHandle, "0", "e"},
    // editing
    {kEdit, kPropEdit, "0", kPropEdit, "0", "e"},
    {kEdit, kPropEdit, "1", kPropEdit, "1", "e"},
    {kTree, kPropEdit, "0.5", kPropEdit, "0", "e"},
    {kCombo, kPropEdit, "0", kPropEdit, "0", "e"},
    {kGrid, kPropEdit, "2", kPropEdit, "1", "e"},
    {kMemo, kPropScrollBars, "横", kPropScrollBars, "横", "s"},
    {kRichEdit, kPropScrollBars, "なし", kPropScrollBars, "", "s"},
    {kMemo, kNone, "", kPropScrollBars, "両方", "s"},
    {kEdit, kPropIme, "3", kPropIme, "3", "e"},
    {kEdit, kPropIme, "7", kPropIme, "0", "e"},
    {kCombo, kPropIme, "2", kPropIme, "0", "e"},
    {kButton, kNone, "", kPropIme, "0", "e"},
    // colours and fonts
    {kEdit, kPropBackground, "#FF0000", kPropBackground, "255", "e"},
    {kEdit, kPropBackground, "abc", kPropBackground, "-1", "e"},
    {kRadio, kPropBackground, "$FF", kPropBackground, "0", "e"},
    {kPanel, kPropBackground, "16777215", kPropBackground, "16777215", "e"},
    {kLabel, kPropFontSize, "20", kPropFontSize, "20", "e"},
    {kLabel, kPropFontSize, "abc", kPropFontSize, "9", "e"},
    {kPanel, kNone, "", kPropFontSize, "0", "e"},
    {kPanel, kNone, "", kPropFontName, "", "s"},
    {kEdit, kPropFontColor, "#0000FF", kPropFontColor, "16711680", "e"},
    {kEdit, kPropFontColor, "abc", kPropFontColor, "0", "e"},
    {kLabel, kPropFontName, "ＭＳ 明朝", kPropFontName, "ＭＳ 明朝", "s"},
    {kLabel, kPropFontName, "ない書体", kPropFontName, "ＭＳ ゴシック", "s"},
    // windows
    {kForm, kPropResize, "0", kPropResize, "0", "e"},
    {kForm, kPropResize, "1", kPropResize, "1", "e"},
    {kForm, kPropResize, "0", kPropStyle, "1", "e"},
    {kForm, kPropStyle, "3", kPropStyle, "3", "e"},
    {kForm, kPropStyle, "9", kPropStyle, "2", "e"},
    {kButton, kNone, "", kPropStyle, "0", "e"},
    {kButton, kNone, "", kPropResize, "0", "e"},
    // menus
    {kMenu, kPropShortcut, "ctrl+s", kPropShortcut, "Ctrl+S", "s"},
    {kMenu, kPropShortcut, "Ctrl+Shift+F5", kPropShortcut, "Shift+Ctrl+F5", "s"},
    {kMenu, kPropShortcut, "Alt+Delete", kPropShortcut, "Alt+Del", "s"},
    {kMenu, kPropShortcut, "", kPropShortcut, "", "s"},
    {kMenu, kPropShortcut, "Ｃｔｒｌ＋Ｓ", kPropShortcut, "Ctrl+S", "s"},
    {kMenu, kPropShortcut, "shift+f12", kPropShortcut, "Shift+F12", "s"},
    {kButton, kNone, "", kPropShortcut, "", "s"},
    // selections
    {kEdit, kNone, "", kPropSelStart, "0", "e"},
    {kTree, kNone, "", kPropSelStart, "-1", "e"},
    {kButton, kNone, "", kPropSelText, "", "s"},
    {kButton, kNone, "", kPropUrl, "", "s"},
    // names and kinds
    {kButton, kNone, "", kPropName, "B", ""},
    {kTabPage, kNone, "", kPropKind, "タブページ", ""},
    {kGrid, kPropSort, "1", kPropKind, "グリッド", ""},
};

TEST_F(TPropTest, ReadBackTable) {
  for (const TCase& c : kCases) {
    SCOPED_TRACE(std::string(KindWord(c.kind)) + " " + (c.write >= 0 ? PropertyNameOf(c.write) : "-") + "=" +
                 c.value + " -> " + PropertyNameOf(c.read));
    Reset();
    TObjNode& node = Make(c.kind, "B");
    if (c.write >= 0) Set(node, c.write, c.value);
    TValue v = ReadProperty(t, node, c.read);
    EXPECT_EQ(v.text, c.text);
    EXPECT_EQ(v.tag, c.tag);
  }
}

// A property a kind has not, written and read.
struct TUndefinedCase {
  int kind;
  int property;
  bool write;
};
const TUndefinedCase kUndefined[] = {
    {kMenu, kPropX, false},        {kMenu, kPropWidth, true},      {kMenu, kPropRight, false},
    {kMenu, kPropPosition, true},  {kButton, kPropOrientation, false}, {kButton, kPropEdit, false},
    {kButton, kPropEdit, true},    {kButton, kPropScrollBars, false}, {kEdit, kPropColumn, false},
    {kButton, kPropStretch, true}, {kButton, kPropMax, true},      {kButton, kPropBackground, true},
    {kPanel, kPropFontName, true}, {kButton, kPropResize, true},   {kButton, kPropShortcut, true},
    {kButton, kPropIme, true},     {kButton, kPropRepeat, true},   {kButton, kPropAddPicture, true},
    {kButton, kPropSelText, true}, {kButton, kPropSelStart, true}, {kButton, kPropUrl, true},
    {kButton, kPropSort, true},    {kButton, kPropItems, true},    {kButton, kPropPosition, true},
    {kButton, kPropColumn, true},  {kAnime, kPropRow, false},      {kButton, kPropButtonMode, false},
};

TEST_F(TPropTest, UndefinedSettings) {
  for (const auto& c : kUndefined) {
    SCOPED_TRACE(std::string(KindWord(c.kind)) + " " + PropertyNameOf(c.property) + (c.write ? " write" : " read"));
    Reset();
    TObjNode& node = Make(c.kind, "B");
    std::string e = c.write ? ErrorOf([&] { Set(node, c.property, "(1,2,3)"); })
                            : ErrorOf([&] { ReadProperty(t, node, c.property); });
    EXPECT_EQ(e, std::string("オブジェクト\"B\"(\"") + KindWord(c.kind) + "\")の設定項目\"" +
                     PropertyNameOf(c.property) + "\"は未定義です。");
  }
}

TEST_F(TPropTest, SettingsOnlySomeKindsHave) {
  TObjNode& image = Make(kImage, "絵");
  EXPECT_EQ(ErrorOf([&] { Set(image, kPropText, "あ"); }), "オブジェクト\"絵\"の設定は、未定義です。");
  // the text is the word's value before the write fails
  EXPECT_EQ(WordValue(image), "あ");
  EXPECT_EQ(Get(image, kPropText), "あ");
  EXPECT_EQ(ErrorOf([&] { Set(image, kPropValue, "1"); }), "オブジェクト\"絵\"の設定は、未定義です。");
  TObjNode& label = Make(kLabel, "札");
  EXPECT_EQ(ErrorOf([&] { Set(label, kPropPicture, "a.png"); }), "オブジェクト\"札\"の設定は、未定義です。");
  TObjNode& menu = Make(kMenu, "開くメニュー");
  EXPECT_EQ(ErrorOf([&] { Set(menu, kPropSize, "(1,2,3,4)"); }), "オブジェクト\"開くメニュー\"の設定は、未定義です。");
  for (int p : {kPropName, kPropHandle, kPropRight, kPropBelow, kPropKind})
    EXPECT_EQ(ErrorOf([&] { Set(label, p, "1"); }), "\"" + PropertyNameOf(p) + "\"は、読取専用です。");
  EXPECT_EQ(ErrorOf([&] { Set(menu, kPropShortcut, "Ctrl+Nothing"); }),
            "\"開くメニュー\"のショートカットキーの割り当てに失敗");
  for (const char* bad : {"Hyper+S", "Ctrl+", "Ctrl+あ", "F25"})
    EXPECT_EQ(ErrorOf([&] { Set(menu, kPropShortcut, bad); }), "\"開くメニュー\"のショートカットキーの割り当てに失敗")
        << bad;
  Set(menu, kPropShortcut, "Alt+X");
  EXPECT_EQ(WordValue(menu), "Alt+X");
}

TEST_F(TPropTest, EventPropertiesWarnAndReadingEventDispatches) {
  TObjNode& b = Make(kButton, "OKボタン");
  TValue v = ReadProperty(t, b, kPropOnClick);
  EXPECT_EQ(v.text, "");
  EXPECT_EQ(v.tag, "");
  EXPECT_NE(t.errorLog.Text().find("\"OKボタン,クリックした時\"は、未定義です。"), std::string::npos);
  EXPECT_NE(t.errorLog.Text().find("[注　意]"), std::string::npos);
  ReadProperty(t, b, kPropSort);
  EXPECT_NE(t.errorLog.Text().find("\"OKボタン,ソート\"は、未定義です。"), std::string::npos);
  AttachHandler(t, b, kSlotEvent, "(\"発火\"と,表示)");
  v = ReadProperty(t, b, kPropEvent);
  EXPECT_EQ(host.out, "発火\n");
  EXPECT_EQ(v.text, "");
}

TEST_F(TPropTest, PlacementCursorAndCentring) {
  TObjNode& b = Make(kButton, "B");
  Set(b, kPropHeight, "30");
  EXPECT_EQ(t.textX, 10);
  EXPECT_EQ(t.textY, 48);
  Set(b, kPropSize, "(20,30,120,60)");
  EXPECT_EQ(t.textX, 20);
  EXPECT_EQ(t.textY, 68);
  // a window's size leaves the cursor
  TObjNode& f = Make(kForm, "F");
  const int y = t.textY;
  Set(f, kPropHeight, "100");
  Set(f, kPropSize, "(0,0,50,50)");
  EXPECT_EQ(t.textY, y);

  Gui(t).centering = true;
  Set(b, kPropWidth, "100");
  EXPECT_EQ(b.x, 270);  // (640 - 100) / 2
  TObjNode& panel = Make(kPanel, "P");
  TObjNode& e = Make(kEdit, "E", &panel);
  Set(e, kPropWidth, "86");
  EXPECT_EQ(e.x, 49);  // (185 - 86) / 2, truncated
  Set(e, kPropWidth, "200");
  EXPECT_EQ(e.x, -7);  // toward zero
  Set(e, kPropSize, "(0,0,85,10)");
  EXPECT_EQ(e.x, 50);
  EXPECT_EQ(t.textX, 0);  // the cursor takes x1
  // a window is centred on the screen
  Set(f, kPropWidth, "424");
  EXPECT_EQ(f.x, 300);
  Gui(t).centering = false;
  Set(b, kPropWidth, "60");
  EXPECT_EQ(b.x, 270);
}

TEST_F(TPropTest, FormSizeIsClientSizeAndMovesPictureLayer) {
  TObjNode& f = Make(kForm, "F");
  TObjNode& img = *Gui(t).Find(f.imgNumber);
  Watch(f);
  Set(f, kPropWidth, "320");
  Set(f, kPropH, "240");
  EXPECT_EQ(img.w, 320);
  EXPECT_EQ(img.pictureH, 240);
  EXPECT_EQ(Changes(f), 2);
  Set(f, kPropSize, "(5,6,105,56)");
  EXPECT_EQ(Get(f, kPropWidth), "100");
  EXPECT_EQ(img.h, 50);
  EXPECT_EQ(Get(f, kPropSize), "(5,6,105,56)");
  Set(f, kPropWidth, "100");
  EXPECT_EQ(Changes(f), 3);  // no change, no event
  // the picture layer's own settings
  Set(f, kPropStretch, "1");
  EXPECT_TRUE(img.stretch);
  EXPECT_FALSE(f.stretch);
  EXPECT_EQ(Get(f, kPropStretch), "1");
  Set(Gui(t).Main(), kPropWidth, "500");
  EXPECT_EQ(Gui(t).Main().pictureW, 500);
}

TEST_F(TPropTest, ButtonGrowsToItsCaption) {
  TObjNode& b = Make(kButton, "B");
  Set(b, kPropText, "ABCDEFGHI");  // 9 x 8 = 72: fits
  EXPECT_EQ(b.w, 75);
  Set(b, kPropText, "ABCDEFGHIJ");  // 80
  EXPECT_EQ(b.w, 90);
  Set(b, kPropText, "A");
  EXPECT_EQ(b.w, 90);
  b.font.size = 24;  // 32 pixels: 16 a byte
  Set(b, kPropText, "あいう");
  EXPECT_EQ(b.w, 106);
  EXPECT_EQ(WordValue(b), "あいう");
}

TEST_F(TPropTest, LabelFollowsItsCaptionUntilSized) {
  TObjNode& l = Make(kLabel, "L");
  Set(l, kPropText, "abc");
  EXPECT_EQ(l.w, 24);
  EXPECT_EQ(l.h, 16);
  Set(l, kPropText, "ab\r\nあいう");
  EXPECT_EQ(l.w, 48);
  EXPECT_EQ(l.h, 32);
  Set(l, kPropFontSize, "24");
  EXPECT_EQ(l.w, 96);
  Set(l, kPropW, "50");
  Set(l, kPropText, "abcdefgh");
  EXPECT_EQ(l.w, 50);
  EXPECT_EQ(l.h, 64);
}

TEST_F(TPropTest, FontTexts) {
  SetInstalledFonts({"IPAGothic"});
  TObjNode& l = Make(kLabel, "L");
  Set(l, kPropFontName, "ipagothic|太字|14");
  EXPECT_EQ(l.font.name, "IPAGothic");
  EXPECT_TRUE(l.font.bold);
  EXPECT_EQ(l.font.size, 14);
  t.QuickWord("文字サイズ").SetValue("20");
  Set(l, kPropFontName, "どこにもない");
  EXPECT_EQ(l.font.name, "ＭＳ ゴシック");
  EXPECT_FALSE(l.font.bold);
  EXPECT_EQ(l.font.size, 20);
  SetInstalledFonts({});
}

TEST_F(TPropTest, PictureButtonsAndColours) {
  TObjNode& b = Make(kButton, "B");
  b.eventText[kSlotClick] = "押された";
  Set(b, kPropFontColor, "#00FF00");
  EXPECT_TRUE(b.pictureButton);
  EXPECT_EQ(b.font.color, 0xFF00);
  EXPECT_EQ(b.number, 1);
  EXPECT_EQ(b.eventText[kSlotClick], "押された");
  TObjNode& b2 = Make(kButton, "B2");
  Set(b2, kPropPicture, "");
  EXPECT_TRUE(b2.pictureButton);
  EXPECT_FALSE(b2.hasPicture);

  TObjNode& f = Make(kForm, "F");
  TObjNode& img = *Gui(t).Find(f.imgNumber);
  img.hasPicture = true;
  img.pictureW = 3;
  Set(f, kPropBackground, "255");
  EXPECT_EQ(Get(f, kPropBackground), "255");
  EXPECT_FALSE(img.hasPicture);
  EXPECT_EQ(img.pictureW, 400);
  EXPECT_EQ(img.background, 255);
  EXPECT_EQ(Get(b, kPropBackground), "0");
}

TEST_F(TPropTest, ValuesSelectOnlyWhatExists) {
  TObjNode& list = Make(kList, "L");
  Set(list, kPropItems, "a\r\nb\r\nc");
  Set(list, kPropValue, "1");
  EXPECT_EQ(Get(list, kPropValue), "1");
  for (const char* v : {"-1", "3", "abc", "12abc"}) {
    Set(list, kPropValue, v);
    EXPECT_EQ(Get(list, kPropValue), "1") << v;
    EXPECT_EQ(WordValue(list), v);
  }
  EXPECT_EQ(Get(list, kPropText), "b");
  EXPECT_EQ(Get(list, kPropSelText), "b");
  Set(list, kPropText, "B");
  EXPECT_EQ(Get(list, kPropItems), "a\r\nB\r\nc\r\n");
  Set(list, kPropSelText, "β");
  EXPECT_EQ(Get(list, kPropItems), "a\r\nβ\r\nc\r\n");
  Set(list, kPropItems, "x");
  EXPECT_EQ(Get(list, kPropValue), "-1");
  Set(list, kPropText, "nothing selected");
  EXPECT_EQ(Get(list, kPropItems), "x\r\n");

  TObjNode& radio = Make(kRadio, "R");
  Set(radio, kPropItems, "a\r\nb\r\nc");
  Set(radio, kPropValue, "2");
  Set(radio, kPropItems, "a\r\nb");
  EXPECT_EQ(Get(radio, kPropValue), "1");

  TObjNode& bar = Make(kBar, "バー");
  Set(bar, kPropMax, "50");
  EXPECT_EQ(WordValue(bar), "50");
  Set(bar, kPropValue, "100");
  EXPECT_EQ(Get(bar, kPropValue), "50");
  Set(bar, kPropMin, "60");
  EXPECT_EQ(Get(bar, kPropMax), "60");
  EXPECT_EQ(Get(bar, kPropValue), "60");

  TObjNode& grid = Make(kGrid, "G");
  Set(grid, kPropText, "h1,h2\r\na,b\r\nc,d");
  Set(grid, kPropValue, "0");
  EXPECT_EQ(Get(grid, kPropValue), "1");
  Set(grid, kPropValue, "3");  // the empty last row
  EXPECT_EQ(Get(grid, kPropRow), "3");
  Set(grid, kPropValue, "4");
  EXPECT_EQ(Get(grid, kPropValue), "3");
  Set(grid, kPropColumn, "1");
  EXPECT_EQ(Get(grid, kPropColumn), "1");
  Set(grid, kPropColumn, "2");
  EXPECT_EQ(Get(grid, kPropColumn), "1");
  Set(grid, kPropText, "only");
  EXPECT_EQ(Get(grid, kPropValue), "1");
  EXPECT_EQ(Get(grid, kPropColumn), "0");

  TObjNode& tabs = Make(kTabPage, "T");
  Set(tabs, kPropText, "a\r\nb\r\nc");
  Set(tabs, kPropValue, "2");
  EXPECT_EQ(Get(tabs, kPropValue), "2");
  Set(tabs, kPropValue, "abc");
  EXPECT_EQ(Get(tabs, kPropValue), "0");
  Set(tabs, kPropValue, "9");
  EXPECT_EQ(Get(tabs, kPropValue), "0");
}

TEST_F(TPropTest, ComboValueTakesTheItemText) {
  TObjNode& c = Make(kCombo, "C");
  Set(c, kPropItems, "赤\r\n青");
  Watch(c);
  Set(c, kPropValue, "1");
  EXPECT_EQ(Get(c, kPropText), "青");
  EXPECT_EQ(Changes(c), 1);
  Set(c, kPropValue, "1");
  EXPECT_EQ(Changes(c), 1);
}

TEST_F(TPropTest, ChangeEventsFollowTheContent) {
  TObjNode& e = Make(kEdit, "E");
  TObjNode& b = Make(kButton, "B");
  TObjNode& bar = Make(kBar, "バー");
  TObjNode& tree = Make(kTree, "木");
  for (TObjNode* n : {&e, &b, &bar, &tree}) Watch(*n);
  AttachHandler(t, b, kSlotClick, "(\"押\"と,表示)");
  const int changed = counting->changed;
  Set(e, kPropText, "x");
  Set(e, kPropText, "x");
  EXPECT_EQ(Changes(e), 1);
  Set(e, kPropSelStart, "1");
  EXPECT_EQ(Changes(e), 1);
  Set(e, kPropSelText, "y");
  EXPECT_EQ(Changes(e), 2);
  Set(b, kPropText, "x");
  Set(b, kPropPosition, "(1,1)");
  EXPECT_EQ(Changes(b), 0);
  Set(bar, kPropValue, "5");
  Set(bar, kPropValue, "5");
  EXPECT_EQ(Changes(bar), 1);
  Set(tree, kPropItems, "a\r\nb");
  EXPECT_EQ(Changes(tree), 0);
  Set(tree, kPropSelStart, "1");
  Set(tree, kPropSelStart, "5");
  EXPECT_EQ(Changes(tree), 1);
  Set(tree, kPropItems, "c");
  EXPECT_EQ(Changes(tree), 2);
  // a tree's change tells the selected node's path
  Set(tree, kPropItems, "p\\q");
  AttachHandler(t, tree, kSlotChange, "(イベントの値と,表示)");
  host.out.clear();
  Set(tree, kPropSelStart, "1");
  EXPECT_EQ(host.out, "p\\q\n");
  EXPECT_EQ(host.out.find("押"), std::string::npos);  // never a click
  EXPECT_GE(counting->changed - changed, 10);        // the view heard of every change
}

TEST_F(TPropTest, SelectionsCountBytes) {
  TObjNode& e = Make(kMemo, "M");
  Set(e, kPropText, "あいう\r\nえお");
  Set(e, kPropSelStart, "2");
  Set(e, kPropSelLength, "3");  // cut back to a character boundary
  EXPECT_EQ(Get(e, kPropSelLength), "2");
  EXPECT_EQ(Get(e, kPropSelText), "い");
  Set(e, kPropSelStart, "8");
  EXPECT_EQ(Get(e, kPropRow), "1");
  EXPECT_EQ(Get(e, kPropColumn), "0");
  Set(e, kPropSelStart, "99");
  EXPECT_EQ(Get(e, kPropSelStart), "12");
  EXPECT_EQ(Get(e, kPropColumn), "4");
  Set(e, kPropSelStart, "0");
  Set(e, kPropSelLength, "6");
  Set(e, kPropSelText, "X");
  EXPECT_EQ(Get(e, kPropText), "X\r\nえお");
  EXPECT_EQ(Get(e, kPropSelStart), "1");
  // 列 moves the caret forward from where it is; 行 puts it at a line's start
  Set(e, kPropColumn, "2");
  EXPECT_EQ(Get(e, kPropSelStart), "3");
  EXPECT_EQ(Get(e, kPropRow), "1");
  Set(e, kPropColumn, "2");
  EXPECT_EQ(Get(e, kPropColumn), "2");
  Set(e, kPropRow, "0");
  EXPECT_EQ(Get(e, kPropSelStart), "0");
  Set(e, kPropRow, "5");
  EXPECT_EQ(Get(e, kPropRow), "1");
  EXPECT_EQ(Get(e, kPropSelStart), "3");

  TObjNode& te = Make(kTEditor, "TE");
  Set(te, kPropText, "abc\r\nd");
  Set(te, kPropColumn, "2");
  Set(te, kPropRow, "1");
  EXPECT_EQ(Get(te, kPropColumn), "2");
  EXPECT_EQ(Get(te, kPropRow), "1");
  EXPECT_EQ(te.selStart, 6);

  TObjNode& edit = Make(kEdit, "E");
  Set(edit, kPropText, "abc");
  Set(edit, kPropSelStart, "3");
  Set(edit, kPropSelText, "d");  // nothing selected: inserted at the caret
  EXPECT_EQ(Get(edit, kPropText), "abcd");
}

TEST_F(TPropTest, TreePathsAndSelection) {
  TObjNode& tree = Make(kTree, "木");
  Set(tree, kPropItems, "A\\B\r\nA\\C\r\nD\r\nA\\B\\E");
  EXPECT_EQ(Get(tree, kPropItems), "A\r\nA\\B\r\nA\\B\\E\r\nA\\C\r\nD\r\n");
  Set(tree, kPropSelStart, "3");
  EXPECT_EQ(Get(tree, kPropSelText), "C");
  Set(tree, kPropSelStart, "1");
  Set(tree, kPropSelText, "X");
  EXPECT_EQ(Get(tree, kPropItems), "A\r\nA\\X\r\nA\\X\\E\r\nA\\C\r\nD\r\n");
  EXPECT_EQ(tree.tree[2].level, 2);
  // the same parent as the line before: added under the parent of the last node
  Set(tree, kPropItems, "P\\Q\r\nP\\Q");
  EXPECT_EQ(Get(tree, kPropItems), "P\r\nP\\Q\r\nP\\Q\r\n");
  EXPECT_EQ(Get(tree, kPropSelStart), "-1");
  Set(tree, kPropSelText, "nothing");
  EXPECT_EQ(Get(tree, kPropItems), "P\r\nP\\Q\r\nP\\Q\r\n");
}

TEST_F(TPropTest, ContainersMoveAndListTheirObjects) {
  TObjNode& panel = Make(kPanel, "P");
  TObjNode& a = Make(kButton, "甲");
  TObjNode& b = Make(kEdit, "乙");
  Set(panel, kPropItems, "甲\r\n乙\r\n");
  EXPECT_EQ(a.parent, panel.number);
  EXPECT_EQ(b.parent, panel.number);
  EXPECT_EQ(Get(panel, kPropItems), "甲\r\n乙\r\n");
  EXPECT_EQ(Get(Gui(t).Main(), kPropItems), "P\r\n");
  EXPECT_EQ(ErrorOf([&] { Set(panel, kPropItems, "甲\r\n丙"); }), "\"丙\"は、オブジェクトではありません。");

  TObjNode& form = Make(kForm, "F");
  EXPECT_EQ(Get(form, kPropItems), "F\r\n");
  Set(form, kPropItems, "甲");
  EXPECT_EQ(Get(form, kPropItems), "F\r\n甲\r\n");

  TObjNode& tabs = Make(kTabPage, "T");
  Set(tabs, kPropText, "一\r\n二");
  Set(tabs, kPropValue, "1");
  Set(tabs, kPropItems, "乙");
  EXPECT_EQ(Get(tabs, kPropItems), "乙\r\n");
  Set(tabs, kPropValue, "0");
  EXPECT_EQ(Get(tabs, kPropItems), "");
  // a page that goes takes its objects with it
  Set(tabs, kPropText, "一");
  EXPECT_EQ(Gui(t).FindByName("乙"), nullptr);
  EXPECT_EQ(Get(tabs, kPropValue), "0");
}

TEST_F(TPropTest, SortedItems) {
  TObjNode& list = Make(kList, "L");
  Set(list, kPropItems, "b\r\nA\r\na\r\nC");
  Set(list, kPropValue, "2");
  Set(list, kPropSort, "1");
  EXPECT_EQ(Get(list, kPropItems), "A\r\na\r\nb\r\nC\r\n");
  EXPECT_EQ(Get(list, kPropText), "a");
  Set(list, kPropItems, "z\r\ny");
  EXPECT_EQ(Get(list, kPropItems), "y\r\nz\r\n");
  Set(list, kPropSort, "0");
  Set(list, kPropItems, "z\r\ny");
  EXPECT_EQ(Get(list, kPropItems), "z\r\ny\r\n");
  TObjNode& grid = Make(kGrid, "G");
  Set(grid, kPropSort, "1");
  EXPECT_TRUE(grid.gridSort);
}

// The smallest headers of the picture formats.
std::string Png(int w, int h) {
  std::string s("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
  for (int v : {w, h})
    for (int sh : {24, 16, 8, 0}) s += static_cast<char>((v >> sh) & 0xFF);
  return s + std::string(9, '\0');
}
std::string Bmp(int w, int h) {
  std::string s = "BM" + std::string(12, '\0');
  auto le32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  le32(40);
  le32(static_cast<uint32_t>(w));
  le32(static_cast<uint32_t>(h));
  return s + std::string(28, '\0');
}
std::string Gif(int w, int h) {
  return std::string("GIF89a") + static_cast<char>(w & 0xFF) + static_cast<char>(w >> 8) +
         static_cast<char>(h & 0xFF) + static_cast<char>(h >> 8) + std::string(4, '\0');
}
std::string Jpeg(int w, int h) {
  std::string s("\xFF\xD8\xFF\xE0\x00\x04\x00\x00\xFF\xC0\x00\x0B\x08", 13);
  s += static_cast<char>(h >> 8);
  s += static_cast<char>(h & 0xFF);
  s += static_cast<char>(w >> 8);
  s += static_cast<char>(w & 0xFF);
  return s + std::string("\x01\x01\x11\x00", 4);
}
std::string Ico(int w, int h) {
  std::string s("\0\0\1\0\1\0", 6);
  s += static_cast<char>(w & 0xFF);
  s += static_cast<char>(h & 0xFF);
  return s + std::string(14, '\0');
}

class TPictureTest : public TPropTest {
 protected:
  TPictureTest() {
    char tmpl[] = "/tmp/gui_props_XXXXXX";
    dir = mkdtemp(tmpl);
  }
  ~TPictureTest() override {
    for (const auto& f : files) std::remove(f.c_str());
    rmdir(dir.c_str());
  }
  std::string File(const std::string& name, const std::string& bytes) {
    std::string path = dir + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    files.push_back(path);
    return path;
  }
  std::string dir;
  std::vector<std::string> files;
};

TEST_F(TPictureTest, HeaderSizes) {
  struct {
    const char* name;
    std::string bytes;
    int w, h;
  } cases[] = {
      {"a.png", Png(31, 17), 31, 17}, {"a.PNG", Png(640, 480), 640, 480}, {"a.bmp", Bmp(12, -9), 12, 9},
      {"a.gif", Gif(300, 2), 300, 2}, {"a.jpg", Jpeg(1024, 768), 1024, 768}, {"a.jpeg", Jpeg(5, 6), 5, 6},
      {"a.ico", Ico(0, 48), 256, 48},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TPictureSize size;
    std::string reason;
    std::string path = File(c.name, c.bytes);
    ASSERT_EQ(ReadPictureSize(path, path.substr(path.rfind('.')), size, reason), TPictureRead::kOk);
    EXPECT_EQ(size.w, c.w);
    EXPECT_EQ(size.h, c.h);
  }
  TPictureSize size;
  std::string reason;
  std::string bad = File("bad.png", Gif(1, 1));
  EXPECT_EQ(ReadPictureSize(bad, ".png", size, reason), TPictureRead::kBadData);
  EXPECT_EQ(ReadPictureSize(File("huge.bmp", Bmp(100000, 1)), ".bmp", size, reason), TPictureRead::kBadData);
  EXPECT_EQ(ReadPictureSize(dir + "/none.png", ".png", size, reason), TPictureRead::kCannotOpen);
  EXPECT_EQ(ReadPictureSize(dir, ".png", size, reason), TPictureRead::kCannotOpen);
  EXPECT_EQ(ReadPictureSize(bad, ".tga", size, reason), TPictureRead::kUnsupported);
}

TEST_F(TPictureTest, PictureWrites) {
  std::string png = File("p.png", Png(40, 30));
  std::string gif = File("q.gif", Gif(20, 10));
  // pictures that are loaded whole: bitmaps the run-time reads itself
  std::string bmp = File("p.bmp", raster::EncodeBmp(raster::Make(40, 30, raster::kWhite)));
  std::string bmp20 = File("q.bmp", raster::EncodeBmp(raster::Make(20, 10, raster::kWhite)));
  TObjNode& image = Make(kImage, "絵");
  Set(image, kPropPicture, bmp);
  EXPECT_EQ(Get(image, kPropPicture), bmp);
  EXPECT_EQ(Get(image, kPropWidth), "40");
  EXPECT_EQ(Get(image, kPropHeight), "30");
  Set(image, kPropPicture, "");
  EXPECT_FALSE(image.hasPicture);
  EXPECT_EQ(Get(image, kPropWidth), "40");

  TObjNode& b = Make(kButton, "B");
  Set(b, kPropPicture, gif);
  EXPECT_TRUE(b.pictureButton);
  EXPECT_TRUE(b.hasPicture);
  EXPECT_EQ(b.w, 75);

  TObjNode& form = Make(kForm, "F");
  Set(form, kPropPicture, bmp20);
  TObjNode& img = *Gui(t).Find(form.imgNumber);
  EXPECT_EQ(img.pictureW, 20);
  EXPECT_EQ(img.w, 20);
  EXPECT_EQ(form.w, 400);
  TObjNode& image3 = Make(kImage, "絵3");
  Set(image3, kPropPicture, "F");
  EXPECT_EQ(image3.w, 20);

  TObjNode& menu = Make(kMenu, "Mメニュー");
  Set(menu, kPropPicture, png);
  EXPECT_TRUE(menu.ownerDraw);
  Set(menu, kPropPicture, "");
  EXPECT_FALSE(menu.ownerDraw);

  TObjNode& anime = Make(kAnime, "A");
  Set(anime, kPropPicture, png + "\r\n" + gif);
  EXPECT_EQ(anime.frames.size(), 2u);
  EXPECT_EQ(anime.w, 20);
  EXPECT_TRUE(anime.animating);
  Set(anime, kPropAddPicture, png);
  EXPECT_EQ(anime.frames.size(), 3u);
  EXPECT_EQ(anime.w, 40);
  Set(anime, kPropVisible, "0");
  EXPECT_FALSE(anime.animating);
  Set(anime, kPropButtonMode, "2");
  Set(anime, kPropVisible, "1");
  EXPECT_FALSE(anime.animating);
  Set(anime, kPropButtonMode, "0");
  Set(anime, kPropVisible, "1");
  EXPECT_TRUE(anime.animating);

  // the picture of an object
  Set(image, kPropPicture, bmp);
  TObjNode& image2 = Make(kImage, "絵2");
  Set(image2, kPropPicture, "絵");
  EXPECT_EQ(image2.w, 40);
}

TEST_F(TPictureTest, LoaderErrors) {
  TObjNode& image = Make(kImage, "絵");
  std::string missing = dir + "/none.png";
  EXPECT_EQ(ErrorOf([&] { Set(image, kPropPicture, missing); }), "画像ファイル\"" + missing + "\"が読込めません。");
  EXPECT_EQ(WordValue(image), missing);
  std::string bad = File("bad.jpg", "not a picture");
  const std::string badError = ErrorOf([&] { Set(image, kPropPicture, bad); });
  const std::string badPrefix = "画像ファイル\"" + bad + "\"が読込めません。";
  EXPECT_EQ(badError.substr(0, badPrefix.size()), badPrefix);  // then the picture reader's reason
  std::string tga = File("a.tga", "x");
  EXPECT_EQ(ErrorOf([&] { Set(image, kPropPicture, tga); }), "\"" + tga + "\"が読込めません。未対応のファイル形式です。");
  // an object name: raised without the line prefix
  try {
    Set(image, kPropPicture, "どこにもない");
    ADD_FAILURE();
  } catch (const ETama& e) {
    EXPECT_STREQ(e.what(), "画像として、\"どこにもない\"を読み込めません。");
  }
  // frames are all loaded before any changes
  TObjNode& anime = Make(kAnime, "A");
  std::string png = File("p.png", Png(40, 30));
  Set(anime, kPropPicture, png);
  EXPECT_NE(ErrorOf([&] { Set(anime, kPropPicture, png + "\r\n" + missing); }), "<no error>");
  EXPECT_EQ(anime.frames.size(), 1u);
}

}  // namespace
}  // namespace tama::gui
