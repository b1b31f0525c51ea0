// The debug dialog's variable list and frame names.
#include "gui/debug.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>

#include "engine/tama.h"
#include "gui/objects.h"
#include "test_host.h"

namespace tama::gui {
namespace {

struct TRun {
  TTestHost host;
  TTamaBase t{host};
  TRun() {
    std::vector<const TCommandFamily*> families;
    t.SetHandlers(families);
    Install(t);
    t.RegisterWords(families);
    t.AddWord(std::make_shared<THashNode>("トップ", false, 0, "1"));
    t.AddWord(std::make_shared<THashNode>("内側", false, 1, "2"));
    t.AddWord(std::make_shared<THashNode>("深い", false, 3, "3"));
    t.AddWord(std::make_shared<THashNode>("ラベル", false, TPos{}, wkLabel, 0, "", "", ""));
  }
  bool Lists(const TDebugFilter& f, std::string_view name) {
    auto vars = ListVariables(t, f);
    return std::any_of(vars.begin(), vars.end(), [&](const TDebugVariable& v) { return v.name == name; });
  }
};

TEST(DebugDialog, LevelFilter) {
  struct TCase {
    const char* level;
    bool top, inner, deep, system;
  } cases[] = {
      {"0", true, true, true, false},   // the program's words, no system words
      {"1", false, true, true, false},  // only words made inside a block or subroutine
      {"3", false, false, true, false},
      {"4", false, false, false, false},
      {"", true, true, true, true},     // no filter: system words too
      {"abc", true, true, true, true},  // not a number: level -1
      {"-1", true, true, true, true},
  };
  TRun r;
  for (const TCase& c : cases) {
    TDebugFilter f;
    f.level = c.level;
    SCOPED_TRACE(c.level);
    EXPECT_EQ(r.Lists(f, "トップ"), c.top);
    EXPECT_EQ(r.Lists(f, "内側"), c.inner);
    EXPECT_EQ(r.Lists(f, "深い"), c.deep);
    EXPECT_EQ(r.Lists(f, "回数"), c.system);
    EXPECT_TRUE(r.Lists(f, "それ"));  // always shown
    EXPECT_FALSE(r.Lists(f, "ラベル"));
  }
}

TEST(DebugDialog, SystemWordsShowLevelMinusOne) {
  TRun r;
  TDebugFilter f;
  f.level.clear();
  auto vars = ListVariables(r.t, f);
  auto it = std::find_if(vars.begin(), vars.end(), [](const TDebugVariable& v) { return v.name == "回数"; });
  ASSERT_NE(it, vars.end());
  EXPECT_EQ(it->level, -1);
}

TEST(DebugDialog, ObjectsOnlyWhenTicked) {
  TRun r;
  TDebugFilter f;
  f.level.clear();
  EXPECT_FALSE(r.Lists(f, "母艦"));
  f.showObjects = true;
  EXPECT_TRUE(r.Lists(f, "母艦"));
}

TEST(DebugDialog, FrameKindNames) {
  const char* names[] = {"もし、ならば", "もし、違えば", "繰り返す", "回", "呼ぶ", "イベント", "反復", "不明", "条件分岐"};
  for (int k = 0; k < static_cast<int>(std::size(names)); ++k) EXPECT_EQ(FrameKindName(k), names[k]);
  EXPECT_EQ(FrameKindName(9), "その他");  // a running ループ
  EXPECT_EQ(FrameKindName(200), "その他");
}

TEST(DebugDialog, ReportRowIsTheLineJustRun) {
  TRun r;
  r.t.sourceText = "A\r\nB\r\nC";
  r.t.currentRow = 2;
  TDebugReport rep = MakeReport(r.t, TDebugFilter{});
  EXPECT_EQ(rep.row, 1);
  EXPECT_EQ(rep.line, "B");
  EXPECT_EQ(rep.source, "0:A\r\nB\r\nC");
}

// The window's choice changes the run as the buttons say; a window that does
// not show the dialog leaves the choice to the terminal (none here: the close
// box).
TEST(DebugDialog, WindowChoices) {
  struct TCase {
    bool shown;
    TDebugChoice choice;
    bool lineStopBefore, lineStopAfter, stop;
  } cases[] = {
      {true, TDebugChoice::kStep, false, true, false},
      {true, TDebugChoice::kContinue, true, false, false},
      {true, TDebugChoice::kClose, true, true, false},
      {true, TDebugChoice::kStop, false, false, true},
      {false, TDebugChoice::kStep, true, true, false},
  };
  for (const TCase& c : cases) {
    TRun r;
    r.t.sourceText = "A\r\nB";
    r.t.currentRow = 1;
    r.t.lineStop = c.lineStopBefore;
    int calls = 0;
    Debug(r.t).windowView = [&](TTamaBase&, const TDebugReport& report, const TDebugChoice* scripted,
                                TDebugChoice& choice) {
      ++calls;
      EXPECT_EQ(scripted, nullptr);
      EXPECT_EQ(report.line, "A");
      choice = c.choice;
      return c.shown;
    };
    EXPECT_EQ(ShowDebugDialog(r.t), c.stop) << static_cast<int>(c.choice) << c.shown;
    EXPECT_EQ(r.t.lineStop, c.lineStopAfter) << static_cast<int>(c.choice) << c.shown;
    EXPECT_EQ(calls, 1);
  }
}

}  // namespace
}  // namespace tama::gui
