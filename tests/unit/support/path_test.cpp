#include "support/path.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "sjis/convert.h"

namespace tama::support {
namespace {

std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

class TTempDir {
 public:
  TTempDir() {
    std::string t = "/tmp/path_test_XXXXXX";
    path_ = mkdtemp(t.data());
    char buf[4096];
    path_ = realpath(path_.c_str(), buf);
  }
  ~TTempDir() { std::system(("rm -rf '" + path_ + "'").c_str()); }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

void Touch(const std::string& p) { std::ofstream(p) << "x"; }

TEST(Path, ToNativeDecodesBeforeMappingSeparators) {
  struct TCase {
    std::string program;  // Shift-JIS
    std::string native;   // UTF-8
  };
  const TCase cases[] = {
      // 表 and ソ end in the byte of "\": they stay characters
      {"表\\ソ.txt", U8(u8"表/ソ.txt")},
      {"データ\\表", U8(u8"データ/表")},
      {"C:\\tmp\\a.txt", "/tmp/a.txt"},
      {"c:/tmp/a.txt", "/tmp/a.txt"},
      {"C:x.txt", "/x.txt"},
      {"D:", "/"},
      {"\\root\\x", "/root/x"},
      {"sub/a\\b", "sub/a/b"},
      {"\\\\server\\share\\p", "//server/share/p"},
      {std::string("a\0b", 3), "a"},
  };
  for (const auto& c : cases) EXPECT_EQ(ToNativePath(c.program), c.native) << c.native;
}

TEST(Path, DriveTable) {
  setenv("TAMAKAZU_DRIVES", "D=/media/cd;e=/mnt/e/", 1);
  EXPECT_EQ(ToNativePath("D:\\a\\b"), "/media/cd/a/b");
  EXPECT_EQ(ToNativePath("E:\\x"), "/mnt/e/x");
  EXPECT_EQ(ToNativePath("C:\\x"), "/x");
  unsetenv("TAMAKAZU_DRIVES");
  EXPECT_EQ(ToNativePath("D:\\a"), "/a");
}

TEST(Path, FromNativeMarksNamesWithoutShiftJis) {
  bool lossless = false;
  EXPECT_EQ(FromNativePath(U8(u8"/表/ソ"), &lossless), "/表/ソ");
  EXPECT_TRUE(lossless);
  EXPECT_EQ(FromNativePath(U8(u8"/a\U0001F600"), &lossless), "/a?");
  EXPECT_FALSE(lossless);
}

TEST(Path, CuttingByCharacter) {
  struct TCase {
    std::string name, path, file, ext;
  };
  const TCase cases[] = {
      {"C:\\data\\表.txt", "C:\\data\\", "表.txt", ".txt"},
      {"フォルダ\\ソ", "フォルダ\\", "ソ", ""},
      {"表", "", "表", ""},  // the trail byte of 表 is no separator
      {"a/b.c/d", "a/b.c/", "d", ""},
      {"a\\b.tar.gz", "a\\", "b.tar.gz", ".gz"},
      {"C:x.txt", "C:", "x.txt", ".txt"},
      {"dir\\", "dir\\", "", ""},
      {".profile", "", ".profile", ".profile"},
      {"", "", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PathPart(c.name), c.path) << c.name;
    EXPECT_EQ(FileNamePart(c.name), c.file) << c.name;
    EXPECT_EQ(ExtensionPart(c.name), c.ext) << c.name;
  }
  EXPECT_EQ(ChangeExtension("a\\表.txt", ".lnk"), "a\\表.lnk");
  EXPECT_EQ(ChangeExtension("a.b\\ソ", ".txt"), "a.b\\ソ.txt");
  EXPECT_TRUE(EndsWithSeparator("a\\"));
  EXPECT_TRUE(EndsWithSeparator("a/"));
  EXPECT_FALSE(EndsWithSeparator("表"));
  EXPECT_FALSE(EndsWithSeparator(""));
  EXPECT_TRUE(IsSecurityIniName("C:\\x\\Security.Ini"));
  EXPECT_TRUE(IsSecurityIniName("security.ini"));
  EXPECT_FALSE(IsSecurityIniName("security.ini.bak"));
  EXPECT_TRUE(IsAbsoluteName("\\x"));
  EXPECT_TRUE(IsAbsoluteName("/x"));
  EXPECT_TRUE(IsAbsoluteName("c:x"));
  EXPECT_FALSE(IsAbsoluteName("..\\x"));
  EXPECT_FALSE(IsAbsoluteName("表"));
}

TEST(Path, CaseInsensitiveMatchOfMissingComponents) {
  TTempDir dir;
  mkdir((dir / "Data").c_str(), 0700);
  Touch(dir / "Data/Memo.TXT");
  Touch(dir / U8(u8"Data/ＡＢ.txt"));
  EXPECT_EQ(MatchCase(dir / "data/memo.txt"), dir / "Data/Memo.TXT");
  EXPECT_EQ(MatchCase(dir / "DATA/new.txt"), dir / "Data/new.txt");  // a new file beside the others
  EXPECT_EQ(MatchCase(dir / "none/memo.txt"), dir / "none/memo.txt");
  EXPECT_EQ(MatchCase(dir / U8(u8"data/ａｂ.TXT")), dir / U8(u8"Data/ＡＢ.txt"));
  EXPECT_EQ(NativePath(sjis::Utf8ToSjisLossy(dir / "data\\MEMO.txt")), dir / "Data/Memo.TXT");
  // the exact name wins over a folded one
  Touch(dir / "Data/memo.txt");
  EXPECT_EQ(MatchCase(dir / "Data/memo.txt"), dir / "Data/memo.txt");
}

TEST(Path, AbsoluteAndRealPlaces) {
  TTempDir dir;
  mkdir((dir / "in").c_str(), 0700);
  mkdir((dir / "out").c_str(), 0700);
  symlink((dir / "out").c_str(), (dir / "in/link").c_str());
  symlink((dir / "out/missing.txt").c_str(), (dir / "in/dangling").c_str());
  EXPECT_EQ(AbsolutePath("/a/./b/../c//d/"), "/a/c/d");
  EXPECT_EQ(AbsolutePath("/../x"), "/x");
  EXPECT_EQ(RealPathOfExistingPart(dir / "in/new.txt"), dir / "in/new.txt");
  EXPECT_EQ(RealPathOfExistingPart(dir / "in/link/x.txt"), dir / "out/x.txt");
  EXPECT_EQ(RealPathOfExistingPart(dir / "in/dangling"), dir / "out/missing.txt");
  // ".." after a link climbs from where the link leads
  EXPECT_EQ(RealPathOfExistingPart(dir / "in/link/../x"), dir / "x");
  EXPECT_EQ(RealPathOfExistingPart(dir / "in/none/../../x"), dir / "x");
  char cwd[4096];
  ASSERT_TRUE(getcwd(cwd, sizeof cwd));
  ASSERT_EQ(chdir((dir / "in").c_str()), 0);
  EXPECT_EQ(RealPathOfExistingPart("../out/y"), dir / "out/y");
  EXPECT_EQ(AbsolutePath("z"), dir / "in/z");
  ASSERT_EQ(chdir(cwd), 0);
}

TEST(Path, InsideAFolder) {
  struct TCase {
    const char* folder;
    const char* path;
    bool inside;
  };
  const TCase cases[] = {
      {"/a/b", "/a/b", true},       {"/a/b/", "/a/b/c", true}, {"/a/b", "/a/bc", false},
      {"/a/b", "/a", false},        {"/", "/x", true},         {"/a/b/", "/a/b", true},
  };
  for (const auto& c : cases) EXPECT_EQ(IsInsideFolder(c.folder, c.path), c.inside) << c.folder << " " << c.path;
  EXPECT_EQ(NativeDirName("/a/b/"), "/a");
  EXPECT_EQ(NativeDirName("/a"), "/");
  EXPECT_EQ(NativeDirName("a"), ".");
  EXPECT_EQ(NativeBaseName("/a/b/"), "b");
  EXPECT_EQ(JoinNative("/a/", "/b"), "/a/b");
  EXPECT_EQ(JoinNative("", "b"), "b");
}

}  // namespace
}  // namespace tama::support
