// The bounded error log: the newest lines stay, one line counts the dropped ones.
#include "engine/error_log.h"

#include <gtest/gtest.h>

#include <string>

namespace tama {
namespace {

std::string Marker(int dropped) {
  return "[注　意] エラーの記録が一杯になったので、古い" + std::to_string(dropped) + "行を捨てました。\r\n";
}

TEST(ErrorLog, LinesUnderTheCapStayAsWritten) {
  TErrorLog log(100);
  EXPECT_TRUE(log.Blank());
  log.AddLine("a");
  log.Append("\r\n");
  log.AddLine("b");
  EXPECT_EQ(log.Text(), "a\r\n\r\nb\r\n");
  EXPECT_FALSE(log.Blank());
  EXPECT_EQ(log.Dropped(), 0u);
}

TEST(ErrorLog, OldLinesGiveWayToNewOnes) {
  TErrorLog log(100);
  // lines of 11 bytes: the tenth passes the cap, and the oldest go until
  // the rest fits in three quarters of it
  for (int i = 0; i < 10; ++i) log.AddLine(std::string("line0000") + char('0' + i));
  EXPECT_EQ(log.Dropped(), 4u);
  EXPECT_EQ(log.Text(), Marker(4) + "line00004\r\nline00005\r\nline00006\r\nline00007\r\nline00008\r\nline00009\r\n");
  // many more: the count goes on, the marker stays the one first line
  for (int i = 0; i < 1000; ++i) log.AddLine("line0000x");
  log.AddLine("newest");
  const std::string& text = log.Text();
  EXPECT_LE(text.size(), 100u + Marker(1000).size());
  EXPECT_EQ(text.rfind("newest\r\n"), text.size() - 8);
  EXPECT_EQ(text.find(Marker(static_cast<int>(log.Dropped()))), 0u);
  EXPECT_EQ(text.find("エラーの記録", 20), std::string::npos);
  size_t kept = 0;
  for (size_t i = Marker(static_cast<int>(log.Dropped())).size(); (i = text.find("\r\n", i)) != std::string::npos; i += 2) ++kept;
  EXPECT_EQ(log.Dropped() + kept, 1011u);
  log.Clear();
  EXPECT_EQ(log.Text(), "");
  EXPECT_EQ(log.Dropped(), 0u);
}

TEST(ErrorLog, ALineLongerThanTheCapKeepsItsEndWholeCharacters) {
  TErrorLog log(40);
  log.AddLine("old");
  std::string big;
  for (int i = 0; i < 30; ++i) big += "あ";  // 60 bytes
  log.AddLine(big);
  const std::string& text = log.Text();
  ASSERT_EQ(text.find(Marker(2)), 0u);
  const std::string rest = text.substr(Marker(2).size());
  ASSERT_EQ(rest.size() % 2, 0u);  // "あ"... then CR LF: never half a character
  EXPECT_LE(rest.size(), 40u);
  EXPECT_EQ(rest.substr(rest.size() - 4), "あ\r\n");
}

}  // namespace
}  // namespace tama
