// The reader of scripted user events.
#include "gui/script.h"

#include <gtest/gtest.h>

#include "test_host.h"

#include "engine/flow.h"
#include "frontend/normalize.h"
#include "gui/objects.h"

namespace tama::gui {
namespace {

TEST(ScriptParse, StepsCommentsAndQuotes) {
  TScript s;
  std::string error;
  ASSERT_TRUE(s.Parse("# a comment\n\nclick OK\r\n  type 名前 \"山田 太郎\\n二行目\"\nwait 100\nbusy click B\n",
                      "a.ev", error))
      << error;
  const TStep* step = s.Peek();
  ASSERT_NE(step, nullptr);
  EXPECT_EQ(step->line, 3);
  EXPECT_EQ(step->verb, "click");
  ASSERT_EQ(step->args.size(), 1u);
  EXPECT_EQ(step->args[0], "OK");
}

TEST(ScriptParse, QuotedTokenKeepsBlanksAndEscapes) {
  TScript s;
  std::string error;
  ASSERT_TRUE(s.Parse("type E \"a \\\"b\\\" \\\\ c\\td\\ne\"", "a.ev", error)) << error;
  ASSERT_EQ(s.Peek()->args.size(), 2u);
  EXPECT_EQ(s.Peek()->args[1], "a \"b\" \\ c\td\ne");
}

TEST(ScriptParse, ErrorsNameTheFileAndLine) {
  struct TCase {
    const char* text;
    const char* error;
  } cases[] = {
      {"click OK\nfly away\n", "tamakazu: x.ev:2: unknown step \"fly\""},
      {"\n\nclick\n", "tamakazu: x.ev:3: wrong number of arguments for \"click\""},
      {"type E \"open\n", "tamakazu: x.ev:1: unclosed quote"},
      {"busy\n", "tamakazu: x.ev:1: busy needs a step"},
      {"busy busy click A\n", "tamakazu: x.ev:1: unknown step \"busy\""},
      {"resize 母艦 100\n", "tamakazu: x.ev:1: wrong number of arguments for \"resize\""},
  };
  for (const auto& c : cases) {
    TScript s;
    std::string error;
    EXPECT_FALSE(s.Parse(c.text, "x.ev", error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
}

TEST(ScriptKeys, NamesAndNumbers) {
  struct TCase {
    const char* name;
    int code;
  } cases[] = {{"A", 65}, {"z", 90}, {"0", 48}, {"7", 55}, {"F1", 112}, {"f12", 123}, {"Enter", 13},
               {"Esc", 27}, {"Tab", 9}, {"Space", 32}, {"Left", 37}, {"Down", 40}, {"Delete", 46},
               {"65", 65}, {"F17", -1}, {"Nope", -1}, {"300", -1}};
  for (const auto& c : cases) EXPECT_EQ(KeyCodeOf(c.name), c.code) << c.name;
}

const TCommandDef kDefs[] = {{"戻る", "", 1, flow::Modoru}};
const TCommandFamily kFamily = {"test", kDefs, std::size(kDefs)};

// An interpreter with the object model and a program of labels, idle.
struct TRun {
  TTestHost host;
  TTamaBase t{host};
  explicit TRun(std::string source) {
    std::vector<const TCommandFamily*> families{&kFamily};
    t.SetHandlers(families);
    Install(t);
    t.RegisterWords(families);
    t.programFileName = "t.tmk";
    frontend::NormalizeSource(source);
    TTextRef main = MakeText(source);
    t.sourceTexts.push_back(main);
    t.CollectLabels(main, t.programFileName);
  }
};

std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

TEST(ScriptSteps, ChangeTheModelAsTheWidgetWould) {
  TRun r("*変わった\r\n  戻る\r\n");
  CreateObject(r.t, "", true, "名前エディタ", "エディタ");
  CreateObject(r.t, "", true, "色リスト", "リスト");
  WritePropertyOf(r.t, "色リスト", "アイテム", "\"赤\\n青\"");
  TScript s;
  std::string error;
  ASSERT_TRUE(s.Parse(U8(u8"type 名前エディタ \"山田\\n花子\"\nselect 色リスト 青\nclick 無い\n"), "a.ev", error)) << error;
  ASSERT_TRUE(s.DeliverNext(r.t, false));
  const TObjNode& edit = *Gui(r.t).FindByName("名前エディタ");
  EXPECT_EQ(edit.text, "山田\r\n花子");
  EXPECT_EQ(edit.selStart, 10);  // the caret after the typed text, in bytes
  EXPECT_EQ(edit.selLength, 0);
  ASSERT_TRUE(s.DeliverNext(r.t, false));
  EXPECT_EQ(Gui(r.t).FindByName("色リスト")->selected, 1);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(s.DeliverNext(r.t, false));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), U8(u8"tamakazu: a.ev:3: no object \"無い\"\n"));
  EXPECT_TRUE(s.failed);
  EXPECT_TRUE(r.t.stopFlag);
}

TEST(ScriptDump, ObjectsSlotsAndCursor) {
  TRun r("*変わった\r\n  戻る\r\n");
  CreateObject(r.t, "(20,30)", false, "名前エディタ", "エディタ");
  WritePropertyOf(r.t, "名前エディタ", "変更した時", "変わった");
  WritePropertyOf(r.t, "名前エディタ", "クリックした時", "(「押された」と、言う)");
  WritePropertyOf(r.t, "名前エディタ", "テキスト", "\"山田\\n\"");
  const std::string json = DumpModel(r.t);
  for (const std::string& part :
       {U8(u8"\"cursor\":[10,59]"), U8(u8"\"number\":0,\"name\":\"母艦\",\"kind\":\"フォーム\",\"parent\":-1"),
        U8(u8"\"name\":\"名前エディタ\",\"kind\":\"エディタ\",\"parent\":0,\"x\":20,\"y\":30,\"w\":121,\"h\":21"),
        U8(u8"\"text\":\"山田\\r\\n\""),
        U8(u8"\"slots\":{\"クリックした時\":\"inline\",\"変更した時\":\"変わった\"}")})
    EXPECT_NE(json.find(part), std::string::npos) << part << "\n" << json;
}

}  // namespace
}  // namespace tama::gui
