// The reader of scripted user events.
#include "gui/script.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tama::gui
