#include "support/json.h"

#include <gtest/gtest.h>

namespace tama::json {
namespace {

TEST(Json, ReadsAMessageAndWritesItBack) {
  TValue v;
  std::string error;
  ASSERT_TRUE(Parse(R"( {"seq":1,"type":"request","command":"setBreakpoints",
      "arguments":{"source":{"path":"/a/b.tmk"},"breakpoints":[{"line":3},{"line":5}],"x":null,"y":true,"z":-1.5e2}} )",
                    v, error))
      << error;
  EXPECT_EQ(v["seq"].AsInt(), 1);
  EXPECT_EQ(v["command"].AsString(), "setBreakpoints");
  const TValue& args = v["arguments"];
  EXPECT_EQ(args["source"]["path"].AsString(), "/a/b.tmk");
  ASSERT_EQ(args["breakpoints"].Items().size(), 2u);
  EXPECT_EQ(args["breakpoints"].Items()[1]["line"].AsInt(), 5);
  EXPECT_TRUE(args["x"].IsNull());
  EXPECT_TRUE(args.Has("x"));
  EXPECT_TRUE(args["y"].AsBool());
  EXPECT_EQ(args["z"].AsNumber(), -150);
  EXPECT_TRUE(v["missing"]["deeper"].IsNull());
  EXPECT_EQ(v.Dump(),
            R"({"seq":1,"type":"request","command":"setBreakpoints","arguments":{"source":{"path":"/a/b.tmk"},)"
            R"("breakpoints":[{"line":3},{"line":5}],"x":null,"y":true,"z":-150}})");
}

TEST(Json, StringEscapes) {
  TValue v;
  std::string error;
  ASSERT_TRUE(Parse(R"("a\"b\\c\/\n\t\u0041\u3042\ud83d\ude00")", v, error)) << error;
  EXPECT_EQ(v.AsString(), "a\"b\\c/\n\tA\xE3\x81\x82\xF0\x9F\x98\x80");
  EXPECT_EQ(TValue(std::string("q\"\x01\r\xE3\x81\x82")).Dump(), "\"q\\\"\\u0001\\r\xE3\x81\x82\"");
}

TEST(Json, RefusesMalformedTexts) {
  const char* bad[] = {"", "{", "[1,]", "{\"a\" 1}", "\"abc", "tru", "01x", "1 2", "\"\\ud800\"", "\"\\q\"",
                       "\"a\nb\"", "-", "1.", "1e"};
  for (const char* text : bad) {
    TValue v;
    std::string error;
    EXPECT_FALSE(Parse(text, v, error)) << text;
    EXPECT_FALSE(error.empty()) << text;
  }
  std::string deep(300, '[');
  TValue v;
  std::string error;
  EXPECT_FALSE(Parse(deep + std::string(300, ']'), v, error));
}

}  // namespace
}  // namespace tama::json
