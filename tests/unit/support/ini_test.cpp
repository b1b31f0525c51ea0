// INI files: lookups, quotes, kept lines, in-place replacement, insertion
// points, the lines that cannot be stored, and the file writes.
#include "support/ini.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "sjis/convert.h"

namespace tama::support {
namespace {

std::string S(const char8_t* s) { return sjis::Utf8ToSjisLossy(reinterpret_cast<const char*>(s)); }

TEST(IniText, Lookups) {
  const TIniText ini("top=1\r\n"  // before any section: not a key of one
                     "[One]\r\n"
                     "; a=comment\r\n"
                     "  Key = value with blanks  \r\n"
                     "q=\"quoted\"\r\n"
                     "s='single'\r\n"
                     "m=\"mixed'\r\n"
                     "empty=\r\n"
                     "dup=first\n"
                     "dup=second\r"
                     "[two]\r\n"
                     "k=2\r\n"
                     "[ONE]\r\n"
                     "late=x\r\n"
                     "[ＦＵＬＬ]\r\n"
                     "ｋｅｙ=wide\r\n");
  struct {
    std::string section, key;
    bool found;
    std::string value;
  } cases[] = {
      {"one", "key", true, "value with blanks"},
      {" ONE ", "KEY", true, "value with blanks"},
      {"one", "q", true, "quoted"},
      {"one", "s", true, "single"},
      {"one", "m", true, "\"mixed'"},
      {"one", "empty", true, ""},
      {"one", "dup", true, "first"},
      {"one", "a", false, ""},      // a comment line
      {"one", "late", false, ""},   // only the first matching section counts
      {"one", "top", false, ""},
      {"two", "k", true, "2"},
      {"three", "k", false, ""},
      {S(u8"ｆｕｌｌ"), S(u8"ＫＥＹ"), true, "wide"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.section + "/" + c.key);
    std::string v = "<unset>";
    EXPECT_EQ(ini.Read(c.section, c.key, v), c.found);
    if (c.found) {
      EXPECT_EQ(v, c.value);
    }
  }
}

TEST(IniText, SectionNamesWithTrailBytes) {
  // "ソ" ends in the byte of "]": the section name is read by character
  const std::string name = S(u8"ソフト");
  TIniText ini("[" + name + "]\r\nk=v\r\n");
  std::string v;
  EXPECT_TRUE(ini.Read(name, "k", v));
  EXPECT_EQ(v, "v");
}

TEST(IniText, Writes) {
  struct {
    const char* before;
    const char* section;
    const char* key;
    const char* value;
    const char* after;
  } cases[] = {
      {"", "s", "k", "v", "[s]\r\nk=v\r\n"},
      {"x\r\n", "s", "k", "v", "x\r\n\r\n[s]\r\nk=v\r\n"},
      {"[S]\r\nK = old\r\n; c\r\n", "s", "k", "new", "[S]\r\nk=new\r\n; c\r\n"},
      {"[s]\r\na=1\r\n\r\n; c\r\n[t]\r\n", "s", "b", "2", "[s]\r\na=1\r\nb=2\r\n\r\n; c\r\n[t]\r\n"},
      {"[s]\r\n[t]\r\nb=1\r\n", "s", "b", "2", "[s]\r\nb=2\r\n[t]\r\nb=1\r\n"},
      {"[s]\nfree text\n", "s", "k", "v", "[s]\r\nk=v\r\nfree text\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.before);
    TIniText ini(c.before);
    EXPECT_TRUE(ini.Write(c.section, c.key, c.value));
    EXPECT_EQ(ini.Text(), c.after);
  }
}

TEST(IniText, EntriesThatWouldSplitOrReadBackWrong) {
  struct {
    const char* section;
    const char* key;
    const char* value;
  } cases[] = {
      {"s", "k", "a\r\n[x]"}, {"s", "k", "a\nb"}, {"s]", "k", "v"}, {"s\r", "k", "v"},
      {"s", "k=1", "v"},      {"s", "[k", "v"},   {"s", ";k", "v"}, {"s", "", "v"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.section) + "/" + c.key);
    TIniText ini("[s]\r\n");
    EXPECT_FALSE(ini.Write(c.section, c.key, c.value));
    EXPECT_EQ(ini.Text(), "[s]\r\n");
  }
}

class IniFile : public ::testing::Test {
 protected:
  IniFile() {
    char tmpl[] = "/tmp/initestXXXXXX";
    dir_ = mkdtemp(tmpl);
    file_ = dir_ + "/a.ini";
  }
  ~IniFile() override {
    std::remove(file_.c_str());
    std::remove((dir_ + "/link.ini").c_str());
    rmdir(dir_.c_str());
  }
  std::string Read(const std::string& f) {
    std::ifstream in(f, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::string dir_, file_;
};

TEST_F(IniFile, CreatedAtTheFirstWriteAndChangedInPlace) {
  std::string v;
  EXPECT_FALSE(ReadIniFile(file_, "s", "k", v));
  EXPECT_EQ(WriteIniFile(file_, "s", {{"k", "1"}, {"j", "2"}}), TIniWrite::kDone);
  EXPECT_EQ(Read(file_), "[s]\r\nk=1\r\nj=2\r\n");
  chmod(file_.c_str(), 0640);
  EXPECT_EQ(WriteIniFile(file_, "S", {{"K", "3"}}), TIniWrite::kDone);
  EXPECT_EQ(Read(file_), "[s]\r\nK=3\r\nj=2\r\n");
  struct stat st;
  ASSERT_EQ(stat(file_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);  // the mode is kept
  EXPECT_TRUE(ReadIniFile(file_, "s", "k", v));
  EXPECT_EQ(v, "3");
  EXPECT_EQ(WriteIniFile(file_, "s", {{"k", "a\r\nb"}}), TIniWrite::kUnstorable);
  EXPECT_EQ(WriteIniFile(dir_ + "/none/a.ini", "s", {{"k", "1"}}), TIniWrite::kFailed);
}

TEST_F(IniFile, ALinkIsFollowedAndStays) {
  const std::string link = dir_ + "/link.ini";
  ASSERT_EQ(WriteIniFile(file_, "s", {{"k", "1"}}), TIniWrite::kDone);
  ASSERT_EQ(symlink(file_.c_str(), link.c_str()), 0);
  EXPECT_EQ(WriteIniFile(link, "s", {{"k", "2"}}), TIniWrite::kDone);
  struct stat st;
  ASSERT_EQ(lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(Read(file_), "[s]\r\nk=2\r\n");
}

}  // namespace
}  // namespace tama::support

namespace tama::support {
namespace {

// File text x operation x result, through the file functions.
TEST_F(IniFile, OperationsOnFileTexts) {
  struct {
    const char* what;
    const char* before;  // nullptr: no file
    const char* section;
    const char* key;
    const char* write;  // nullptr: a read
    bool found;         // a read: the key is there
    const char* result;  // a read: the value; a write: the file afterwards
  } cases[] = {
      {"read a quoted value", "[s]\r\nk = \"a b\"\r\n", "S", "K", nullptr, true, "a b"},
      {"read from a file with LF", "[s]\nk=1\n", "s", "k", nullptr, true, "1"},
      {"read from a file with CR", "[s]\rk=1\r", "s", "k", nullptr, true, "1"},
      {"read past a comment", "[s]\r\n;k=1\r\nk=2\r\n", "s", "k", nullptr, true, "2"},
      {"read a missing section", "[s]\r\nk=1\r\n", "t", "k", nullptr, false, ""},
      {"read a missing key", "[s]\r\nk=1\r\n", "s", "j", nullptr, false, ""},
      {"read without a file", nullptr, "s", "k", nullptr, false, ""},
      {"write without a file", nullptr, "s", "k", "v", true, "[s]\r\nk=v\r\n"},
      {"write keeps comments and other lines", "; top\n[s]\n; c\nk=1\nother\n", "s", "k", "2", true,
       "; top\r\n[s]\r\n; c\r\nk=2\r\nother\r\n"},
      {"write a missing section", "[s]\r\nk=1\r\n", "t", "k", "2", true, "[s]\r\nk=1\r\n\r\n[t]\r\nk=2\r\n"},
      {"write a quoted value as it is", "", "s", "k", "\"q\"", true, "[s]\r\nk=\"q\"\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::remove(file_.c_str());
    if (c.before) {
      std::ofstream out(file_, std::ios::binary);
      out << c.before;
    }
    if (c.write) {
      ASSERT_EQ(WriteIniFile(file_, c.section, {{c.key, c.write}}), TIniWrite::kDone);
      EXPECT_EQ(Read(file_), c.result);
    } else {
      std::string v;
      EXPECT_EQ(ReadIniFile(file_, c.section, c.key, v), c.found);
      if (c.found) {
        EXPECT_EQ(v, c.result);
      }
      struct stat st;
      EXPECT_EQ(stat(file_.c_str(), &st) == 0, c.before != nullptr);  // a read makes no file
    }
  }
}

}  // namespace
}  // namespace tama::support
