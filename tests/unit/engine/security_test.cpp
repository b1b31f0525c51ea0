// The security policy: the verdicts by level and target, the places of
// targets, the questions and the level they leave, security.ini.
#include "engine/security.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "engine/files_state.h"
#include "engine/tama.h"
#include "sjis/convert.h"

namespace tama {
namespace {

class TAskingHost : public THost {
 public:
  void Display(std::string_view) override {}
  void Message(std::string_view, std::string_view) override {}
  TErrorAnswer ShowErrorDialog(const std::string&) override { return TErrorAnswer::kStop; }
  bool Headless() const override { return true; }
  TSecurityAnswer AskSecurity(std::string_view message, std::string_view unanswered) override {
    ++asked;
    lastMessage = message;
    lastUnanswered = unanswered;
    return answer;
  }
  void Warning(std::string_view text, std::string_view caption) override {
    ++warnings;
    lastWarning = std::string(caption) + ":" + std::string(text);
  }
  TSecurityAnswer answer = TSecurityAnswer::kYes;
  int asked = 0, warnings = 0;
  std::string lastMessage, lastUnanswered, lastWarning;
};

TEST(SecurityVerdict, ByLevelAndTarget) {
  using V = TSecurityVerdict;
  struct TCase {
    int level;
    bool securityIni, wildcard, inside;
    V verdict;
  };
  const TCase cases[] = {
      // low: everything passes but security.ini
      {0, false, false, true, V::kAllow},
      {0, false, false, false, V::kAllow},
      {0, false, true, false, V::kAllow},
      {0, true, false, true, V::kRefuseSecurityIni},
      // mid: inside passes, outside and "*" ask
      {1, false, false, true, V::kAllow},
      {1, false, false, false, V::kAsk},
      {1, false, true, true, V::kAsk},
      {1, true, false, false, V::kRefuseSecurityIni},
      // high: everything is refused silently, security.ini too
      {2, false, false, true, V::kRefuse},
      {2, false, true, false, V::kRefuse},
      {2, true, false, true, V::kRefuse},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SecurityVerdict(c.level, c.securityIni, c.wildcard, c.inside), c.verdict)
        << c.level << c.securityIni << c.wildcard << c.inside;
}

class Security : public ::testing::Test {
 protected:
  Security() : tama(host) {
    std::string t = "/tmp/security_test_XXXXXX";
    dir_ = mkdtemp(t.data());
    char buf[4096];
    dir_ = realpath(dir_.c_str(), buf);
    mkdir((dir_ + "/prog").c_str(), 0700);
    mkdir((dir_ + "/prog/sub").c_str(), 0700);
    mkdir((dir_ + "/other").c_str(), 0700);
    symlink((dir_ + "/other").c_str(), (dir_ + "/prog/escape").c_str());
    (void)!getcwd(buf, sizeof buf);
    oldCwd_ = buf;
    (void)!chdir((dir_ + "/prog").c_str());
    tama.programFolder = Sjis(dir_ + "/prog/");
    tama.programPath = Sjis(dir_ + "/prog/main.tmk");
    tama.programFileName = tama.programPath;
  }
  ~Security() override {
    (void)!chdir(oldCwd_.c_str());
    std::system(("rm -rf '" + dir_ + "'").c_str());
  }
  static std::string Sjis(const std::string& utf8) { return sjis::Utf8ToSjisLossy(utf8); }
  std::string P(const std::string& rel) const { return Sjis(dir_ + "/" + rel); }

  TAskingHost host;
  TTamaBase tama;
  std::string dir_, oldCwd_;
};

TEST_F(Security, TargetsInsideAndOutsideTheProgramFolder) {
  struct TCase {
    std::string target;
    bool inside;
  };
  const TCase cases[] = {
      {"a.txt", true},
      {"sub\\b.txt", true},
      {"new\\deeper\\c.txt", true},
      {P("prog/x.txt"), true},
      {"..\\other\\x.txt", false},   // relative names count from the working folder
      {"../prog/x.txt", true},
      {"escape\\x.txt", false},     // a link inside that leads outside
      {"\\etc\\passwd", false},     // root-relative
      {"C:x.txt", false},           // drive-relative
      {"*", false},
      {"sub\\*.txt", false},
  };
  for (const auto& c : cases) EXPECT_EQ(SecurityInside(tama, c.target), c.inside) << c.target;
  // after a change of the working folder, relative names are outside
  (void)!chdir((dir_ + "/other").c_str());
  EXPECT_FALSE(SecurityInside(tama, "a.txt"));
  EXPECT_TRUE(SecurityInside(tama, "../prog/a.txt"));
}

TEST_F(Security, QuestionsAtEachLevel) {
  struct TCase {
    int level;
    std::string target;
    THost::TSecurityAnswer answer;
    bool refused;
    int asked, warned;
  };
  using A = THost::TSecurityAnswer;
  const TCase cases[] = {
      {0, "/tmp/x", A::kNo, false, 0, 0},
      {0, "a.txt", A::kNo, false, 0, 0},
      {0, "sub\\Security.Ini", A::kYes, true, 0, 1},
      {1, "a.txt", A::kNo, false, 0, 0},
      {1, "/tmp/x", A::kYes, false, 1, 0},
      {1, "/tmp/x", A::kNo, true, 1, 0},
      {1, "/tmp/x", A::kClosed, true, 1, 0},
      {1, "*", A::kYes, false, 1, 0},
      {1, "SECURITY.INI", A::kYes, true, 0, 1},
      {2, "a.txt", A::kYes, true, 0, 0},
      {2, "security.ini", A::kYes, true, 0, 0},
  };
  for (const auto& c : cases) {
    tama.securityLevel = c.level;
    host.answer = c.answer;
    host.asked = host.warnings = 0;
    EXPECT_EQ(AskSecurity(tama, c.target, "msg"), c.refused) << c.level << c.target;
    EXPECT_EQ(host.asked, c.asked) << c.level << c.target;
    EXPECT_EQ(host.warnings, c.warned) << c.level << c.target;
  }
  EXPECT_EQ(host.lastWarning, "セキュリティの警告:このプログラムは、\"security.ini\"を、操作出来ません！");
}

TEST_F(Security, AnswersForTheRestOfTheProcess) {
  tama.securityLevel = 1;
  host.answer = THost::TSecurityAnswer::kAllYes;
  EXPECT_FALSE(AskSecurity(tama, "/tmp/x", "m"));
  EXPECT_EQ(tama.securityLevel, 0);
  host.asked = 0;
  EXPECT_FALSE(AskSecurity(tama, "/tmp/y", "m"));
  EXPECT_EQ(host.asked, 0);

  tama.securityLevel = 1;
  host.answer = THost::TSecurityAnswer::kAllNo;
  EXPECT_TRUE(AskSecurity(tama, "/tmp/x", "m"));
  EXPECT_EQ(tama.securityLevel, 2);
  EXPECT_TRUE(AskSecurity(tama, "a.txt", "m"));
}

TEST_F(Security, OneQuestionForSourceAndDestination) {
  tama.securityLevel = 1;
  host.asked = 0;
  EXPECT_FALSE(AskSecurity(tama, {"a.txt", "b.txt"}, "m"));
  EXPECT_EQ(host.asked, 0);
  EXPECT_FALSE(AskSecurity(tama, {"/tmp/a", "/tmp/b"}, "move"));
  EXPECT_EQ(host.asked, 1);
  EXPECT_EQ(host.lastMessage, "move");
  EXPECT_NE(host.lastUnanswered.find("\"/tmp/a\""), std::string::npos);
  // a destination named security.ini refuses the whole question
  EXPECT_TRUE(AskSecurity(tama, {"a.txt", "security.ini"}, "m"));
  EXPECT_EQ(host.asked, 1);
}

TEST_F(Security, LevelFromSecurityIni) {
  struct TCase {
    const char* content;
    int level;
  };
  const TCase cases[] = {
      {"[main.tmk]\r\nsecurity = High\r\n", 2},
      {"[MAIN.TMK]\nSecurity=\"low\"\n", 0},
      {"[main.tmk]\nsecurity=mid\n", 1},
      {"[other.tmk]\nsecurity=high\n", 1},
      {"[main.tmk]\nsecurity=\n", 1},
      {"; nothing\n", 1},
  };
  for (const auto& c : cases) {
    std::ofstream(dir_ + "/prog/Security.ini") << c.content;
    tama.securityLevel = -1;
    LoadSecurityLevel(tama);
    EXPECT_EQ(tama.securityLevel, c.level) << c.content;
  }
  // the first question loads the level
  std::ofstream(dir_ + "/prog/Security.ini") << "[main.tmk]\nsecurity=high\n";
  tama.securityLevel = -1;
  EXPECT_TRUE(AskSecurity(tama, "a.txt", "m"));
  EXPECT_EQ(tama.securityLevel, 2);
  // without a file in the program folder, the run-time folder's file with the whole path as section
  unlink((dir_ + "/prog/Security.ini").c_str());
  tama.runtimePath = P("other/tamakazu");
  std::ofstream(dir_ + "/other/security.ini") << "[main.tmk]\nsecurity=high\n[" << dir_ << "/prog/main.tmk]\nsecurity=L\n";
  tama.securityLevel = -1;
  LoadSecurityLevel(tama);
  EXPECT_EQ(tama.securityLevel, 0);
  EXPECT_EQ(SecurityLevelOfValue("h"), 2);
  EXPECT_EQ(SecurityLevelOfValue("Ｈigh"), 1);
}

TEST(SecurityIni, SectionNamesCompareByCharacter) {
  // ゾ is 83 5D in Shift-JIS: its second byte is "]"
  char dir[] = "/tmp/secini_XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string file = std::string(dir) + "/security.ini";
  {
    std::ofstream out(file, std::ios::binary);
    out << "[/p/ゾウ.tmk]\r\nsecurity=low\r\n[/p/other.tmk]\r\nsecurity=high\r\n";
  }
  std::string value;
  EXPECT_TRUE(ReadIniValue(file, "/p/ゾウ.tmk", "security", value));
  EXPECT_EQ(value, "low");
  EXPECT_FALSE(ReadIniValue(file, "/p/ゾ", "security", value));
  unlink(file.c_str());
  rmdir(dir);
}

}  // namespace
}  // namespace tama
