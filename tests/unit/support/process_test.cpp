// Command lines split into a program and its arguments, and processes
// started from an argument vector.
#include "support/process.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "sjis/convert.h"

namespace tama::support {
namespace {

std::string S(const char8_t* s) { return sjis::Utf8ToSjisLossy(reinterpret_cast<const char*>(s)); }

TEST(Process, CommandLines) {
  struct {
    std::string text, program, parameters;
  } cases[] = {
      {"notepad.exe memo.txt", "notepad.exe", "memo.txt"},
      {"\"C:\\Program Files\\x.exe\" -a", "\"C:\\Program Files\\x.exe\"", "-a"},
      {"\"a b\"c d", "\"a b\"", "c d"},  // the closing quote ends the program part
      {"prog   spaced  out  ", "prog", "spaced  out"},
      {"prog", "prog", ""},
      {"", "", ""},
      {S(u8"表示ソフト.exe 引数"), S(u8"表示ソフト.exe"), S(u8"引数")},
      {"\"unclosed part", "\"unclosed part", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    TCommandLine l = SplitCommandLine(c.text);
    EXPECT_EQ(l.program, c.program);
    EXPECT_EQ(l.parameters, c.parameters);
  }
}

TEST(Process, Arguments) {
  struct {
    std::string text;
    std::vector<std::string> args;
  } cases[] = {
      {"-c \"sleep 1; echo x\"", {"-c", "sleep 1; echo x"}},
      {"a  b\tc", {"a", "b", "c"}},
      {"\"\" x", {"", "x"}},
      {"x\"y z\"w", {"xy zw"}},
      {"'single quotes' stay", {"'single", "quotes'", "stay"}},
      {"$HOME `id` ;rm", {"$HOME", "`id`", ";rm"}},  // nothing is special but the double quote
      {"", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(SplitArguments(c.text), c.args);
  }
  EXPECT_EQ(WithoutQuotes("\"a\"b\""), "ab");
}

TEST(Process, StartsFromAnArgumentVector) {
  char tmpl[] = "/tmp/proctestXXXXXX";
  const std::string dir = mkdtemp(tmpl);
  const std::string out = dir + "/a \"b\"; c.txt";
  EXPECT_FALSE(FindOnPath("sh").empty());
  EXPECT_TRUE(FindOnPath("no-such-program-here").empty());
  pid_t pid = SpawnProcess({"touch", out}, true);
  ASSERT_GT(pid, 0);
  while (!ProcessEnded(pid)) usleep(10000);
  EXPECT_EQ(access(out.c_str(), F_OK), 0);  // one file, the name as it was given
  EXPECT_EQ(SpawnProcess({dir + "/none"}), -1);
  std::remove(out.c_str());
  rmdir(dir.c_str());
}

}  // namespace
}  // namespace tama::support
