#include "support/fileops.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace tama::support {
namespace {

class FileOps : public ::testing::Test {
 protected:
  FileOps() {
    std::string t = "/tmp/fileops_test_XXXXXX";
    dir_ = mkdtemp(t.data());
    char buf[4096];
    dir_ = realpath(dir_.c_str(), buf);
  }
  ~FileOps() override { std::system(("chmod -R u+w '" + dir_ + "'; rm -rf '" + dir_ + "'").c_str()); }
  std::string P(const std::string& name) const { return dir_ + "/" + name; }
  void Put(const std::string& name, const std::string& text = "x") { std::ofstream(P(name), std::ios::binary) << text; }
  bool Exists(const std::string& name) const {
    struct stat st;
    return lstat(P(name).c_str(), &st) == 0;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(P(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::string dir_;
  std::string why_;
};

TEST_F(FileOps, ListingIsSortedWithoutDotEntriesButWithDotNames) {
  Put("b.txt");
  Put("A.txt");
  Put("c.TXT");
  Put(".hidden");
  mkdir(P(".git").c_str(), 0700);
  mkdir(P("Sub").c_str(), 0700);
  symlink(P("Sub").c_str(), P("link").c_str());
  std::vector<TDirEntry> e;
  ASSERT_TRUE(ListFolder(dir_, e));
  std::vector<std::string> names;
  for (const auto& x : e) names.push_back(x.name + (x.folder ? "/" : "") + (x.link ? "@" : ""));
  EXPECT_EQ(names, (std::vector<std::string>{".git/", ".hidden", "A.txt", "b.txt", "c.TXT", "link/@", "Sub/"}));
  EXPECT_FALSE(ListFolder(P("none"), e));
}

TEST(FileWild, Matches) {
  struct TCase {
    const char* pattern;
    const char* name;
    bool match;
  };
  const TCase cases[] = {
      {"*.txt", "a.TXT", true},   {"*.txt", "a.txt.bak", false}, {"*.*", "noext", true},
      {"?.c", "a.c", true},       {"?.c", "ab.c", false},        {"a*b*c", "aXbYc", true},
      {"a*b*c", "aXbY", false},   {"表*", "表ソ.txt", true},     {"?ソ", "表ソ", true},
      {"#1", "#1", true},         {"[a]", "[a]", true},          {"*", "", true},
      {"ａ*", "Ａb", true},
  };
  for (const auto& c : cases) EXPECT_EQ(FileWildMatch(c.pattern, c.name), c.match) << c.pattern << " " << c.name;
}

TEST_F(FileOps, RemoveTreeNeverFollowsLinksAndKeepsSecurityIni) {
  mkdir(P("keep").c_str(), 0700);
  Put("keep/precious");
  mkdir(P("tree").c_str(), 0700);
  mkdir(P("tree/.dot").c_str(), 0700);
  Put("tree/.dot/x");
  Put("tree/file");
  symlink(P("keep").c_str(), P("tree/link").c_str());
  ASSERT_TRUE(RemoveTree(P("tree"), why_)) << why_;
  EXPECT_FALSE(Exists("tree"));
  EXPECT_TRUE(Exists("keep/precious"));

  mkdir(P("guarded").c_str(), 0700);
  Put("guarded/Security.INI");
  Put("guarded/other");
  EXPECT_FALSE(RemoveTree(P("guarded"), why_));
  EXPECT_TRUE(Exists("guarded/Security.INI"));
  EXPECT_FALSE(Exists("guarded/other"));
}

TEST_F(FileOps, CopyMoveRename) {
  Put("a.txt", "alpha");
  ASSERT_TRUE(CopyOneFile(P("a.txt"), P("b.txt"), why_)) << why_;
  EXPECT_EQ(Read("b.txt"), "alpha");
  EXPECT_FALSE(CopyOneFile(P("a.txt"), P("a.txt"), why_));  // never truncates its own source
  EXPECT_EQ(Read("a.txt"), "alpha");

  mkdir(P("src").c_str(), 0700);
  Put("src/one", "1");
  Put("src/security.ini", "[x]");
  ASSERT_TRUE(CopyTree(P("src"), P("dst"), why_)) << why_;
  EXPECT_EQ(Read("dst/one"), "1");
  EXPECT_FALSE(Exists("dst/security.ini"));
  EXPECT_FALSE(CopyTree(P("src"), P("src/inner"), why_));

  EXPECT_FALSE(RenameNoReplace(P("a.txt"), P("b.txt"), why_));
  EXPECT_EQ(Read("b.txt"), "alpha");
  ASSERT_TRUE(RenameNoReplace(P("a.txt"), P("c.txt"), why_));
  EXPECT_FALSE(Exists("a.txt"));

  Put("d.txt", "delta");
  ASSERT_TRUE(MovePath(P("d.txt"), P("c.txt"), why_));  // a move replaces
  EXPECT_EQ(Read("c.txt"), "delta");
  EXPECT_FALSE(MovePath(P("c.txt"), P("dst/SECURITY.ini"), why_));

  ASSERT_TRUE(MakeFolders(P("x/y/z"), why_));
  EXPECT_TRUE(Exists("x/y/z"));
  EXPECT_TRUE(MakeFolders(P("x/y"), why_));
  EXPECT_FALSE(MakeFolders(P("c.txt/sub"), why_));
}

TEST_F(FileOps, TrashKeepsTheOriginalPlace) {
  const std::string memo = reinterpret_cast<const char*>(u8"memo 表.txt");  // a native (UTF-8) name
  mkdir(P("data").c_str(), 0700);
  setenv("XDG_DATA_HOME", P("data").c_str(), 1);
  Put(memo, "m");
  bool deleted = true;
  ASSERT_TRUE(MoveToTrash(P(memo), why_, &deleted)) << why_;
  EXPECT_FALSE(deleted);
  EXPECT_FALSE(Exists(memo));
  EXPECT_EQ(Read("data/Trash/files/" + memo), "m");
  std::string info = Read("data/Trash/info/" + memo + ".trashinfo");
  EXPECT_EQ(info.substr(0, 18), "[Trash Info]\nPath=");
  EXPECT_NE(info.find("/memo%20%E8%A1%A8.txt\nDeletionDate="), std::string::npos) << info;
  // a second file of the same name gets a name of its own
  Put(memo, "n");
  ASSERT_TRUE(MoveToTrash(P(memo), why_));
  EXPECT_EQ(Read("data/Trash/files/" + memo + ".2"), "n");
  // folders go to the trash whole
  mkdir(P("dir").c_str(), 0700);
  Put("dir/f");
  ASSERT_TRUE(MoveToTrash(P("dir"), why_));
  EXPECT_TRUE(Exists("data/Trash/files/dir/f"));
  EXPECT_FALSE(MoveToTrash(P("none"), why_));
  unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace tama::support
