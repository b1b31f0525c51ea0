// The file commands run through whole programs in a fresh folder: whole
// files, containers, shared blocks, copies and deletions, listings, handles,
// the path texts, the security questions and packed resources.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "engine/files_state.h"
#include "run_fixture.h"
#include "sjis/convert.h"
#include "support/fmix.h"

namespace tama {
namespace {

using runfx::TRunFixture;

template <size_t N>
std::string Bytes(const char (&s)[N]) {
  return std::string(s, N - 1);
}

class FileCommands : public TRunFixture {
 protected:
  FileCommands() {
    std::string t = "/tmp/files_test_XXXXXX";
    dir_ = mkdtemp(t.data());
    char buf[4096];
    dir_ = realpath(dir_.c_str(), buf);
    (void)!getcwd(buf, sizeof buf);
    oldCwd_ = buf;
    (void)!chdir(dir_.c_str());
    Files(tama).programFolderReal = dir_ + "/";
    tama.securityLevel = 1;
    setenv("XDG_DATA_HOME", (dir_ + "/xdg").c_str(), 1);
  }
  ~FileCommands() override {
    tama.fileState.reset();
    (void)!chdir(oldCwd_.c_str());
    unsetenv("XDG_DATA_HOME");
    std::system(("chmod -R u+w '" + dir_ + "'; rm -rf '" + dir_ + "'").c_str());
  }

  // Runs a program and gives what it showed; an error report fails the test.
  std::string Shown(std::string_view program) {
    Run(program);
    EXPECT_TRUE(host.dialogs.empty()) << sjis::SjisToUtf8(tama.errorLog.Text());
    return host.shown;
  }
  // Runs a program that must end with an error, and gives the last error line.
  std::string ErrorOf(std::string_view program) {
    Run(program);
    EXPECT_FALSE(host.dialogs.empty());
    std::vector<std::string> lines = LogLines();
    return lines.empty() ? std::string() : lines.front();
  }
  void Put(const std::string& name, const std::string& bytes) { std::ofstream(dir_ + "/" + name, std::ios::binary) << bytes; }
  std::string Content(const std::string& name) {
    std::ifstream in(dir_ + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  bool Exists(const std::string& name) {
    struct stat st;
    return lstat((dir_ + "/" + name).c_str(), &st) == 0;
  }
  std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

  std::string dir_, oldCwd_;
};

// ---- whole files ----

TEST_F(FileCommands, WholeFilesKeepEveryByte) {
  const std::string bytes = Bytes("a\0b\rc\r\nd\n\xFF");
  Put("in.bin", bytes);
  Shown("Aに、『in.bin』を、読む\nAを、『out.bin』へ、書く");
  EXPECT_EQ(Content("out.bin"), bytes);
  EXPECT_EQ(Word("A")->Tag, "s");
  // an empty file reads as the empty text; 保存 and 開く are the same commands
  Put("empty", "");
  EXPECT_EQ(Shown("Bは「x」\nBに、『empty』を、開く\n「[」&B&「]」を、表示\n「表ソ」を、『表ソ.txt』へ、保存"), "[]\n");
  EXPECT_EQ(Content(U8(u8"表ソ.txt")), "表ソ");
}

TEST_F(FileCommands, AppendingNeedsAnExistingFile) {
  EXPECT_EQ(Shown("「x」を、『w.txt』へ、書く\n「yz」を、『w.txt』へ、追加保存\nAに、『W.TXT』を、読む\nAを、表示"), "xyz\n");
  EXPECT_EQ(ErrorOf("「x」を、『none.txt』へ、追加保存"), "[エラー] t.tmk(1行目): ファイル\"none.txt\"が、ありません。");
  EXPECT_EQ(ErrorOf("Aに、『none.txt』を、読む"),
            "[エラー] t.tmk(1行目): ファイル\"none.txt\"の、読み込みか書き込みに、失敗しました。");
}

TEST_F(FileCommands, TheBareWordClipboard) {
  EXPECT_EQ(Shown("「abc」を、クリップボードへ、書く\n「de」を、クリップボードへ、追加保存\n"
                  "Aに、クリップボードを、読む\nAを、表示"),
            "abcde\n");
  EXPECT_EQ(host.ClipboardText(), "abcde");
  // quoted, it is a file name
  Shown("「file」を、『クリップボード』へ、書く");
  EXPECT_EQ(Content(U8(u8"クリップボード")), "file");
}

TEST_F(FileCommands, EncipheredFiles) {
  EXPECT_EQ(Shown("「秘密の\n文」を、『s.bin』へ、暗号化して保存\nBに、『s.bin』を、暗号解除して読込\nBを、表示\n"
                  "『s.bin』を、暗号解除して読込\nそれを、表示"),
            "秘密の\r\n文\n秘密の\r\n文\n");
  EXPECT_EQ(Content("s.bin"), support::EncipherFile("秘密の\r\n文"));
  Put("broken.bin", "xyz");
  EXPECT_EQ(ErrorOf("Bに、『broken.bin』を、暗号解除して読込"),
            "[エラー] t.tmk(1行目): ファイル\"broken.bin\"の、読み込みか書き込みに、失敗しました。");
}

TEST_F(FileCommands, Containers) {
  Put("a.txt", "alpha");
  Put("b.txt", "bb");
  EXPECT_EQ(Shown("「a.txt\nb.txt」を、『c.fmx』へ、ファイル合成\n"
                  "『c.fmx』から、「B.txt」を、合成ファイル取り出す\nそれを、表示\n"
                  "「a.txt,first,1\nb.txt=dir/second」を、『d.fmx』へ、ファイル合成\n"
                  "『d.fmx』から、「FIRST」を、合成ファイル取り出す\nそれを、表示\n"
                  "『d.fmx』から、『DIR/second』を、合成ファイル取り出す\nそれを、表示"),
            "bb\nalpha\nbb\n");
  support::TFileMixReader r(dir_ + "/d.fmx");
  EXPECT_EQ(r.Find("first")->flag, 1);
  EXPECT_EQ(ErrorOf("『c.fmx』から、「zz」を、合成ファイル取り出す"), "[エラー] t.tmk(1行目): ファイル\"zz\"が、ありません。");
  // a destination among its own sources is refused and stays whole
  EXPECT_FALSE(ErrorOf("「a.txt\nb.txt」を、『a.txt』へ、ファイル合成").empty());
  EXPECT_EQ(Content("a.txt"), "alpha");
  EXPECT_FALSE(ErrorOf("「a.txt\nnone.txt」を、『e.fmx』へ、ファイル合成").empty());
  EXPECT_FALSE(Exists("e.fmx"));
}

TEST_F(FileCommands, SharedBlocks) {
  const std::string name = "共有テスト" + std::to_string(getpid());
  EXPECT_EQ(Shown("それは「12表」\n『" + name + "』へ、共有保存\nそれは「」\n『" + name +
                  "』を、共有読込\nそれを、表示\n『無い" + name + "』を、共有読込\n「[」&それ&「]」を、表示"),
            "12表\n[]\n");
  EXPECT_EQ(Word("それ")->Tag, "e");
}

// ---- copying, moving, deleting ----

TEST_F(FileCommands, CopyMoveRenameDelete) {
  Put("w.txt", "w");
  Shown("『w.txt』から、『copy.txt』へ、ファイルコピー\n『d/e』へ、フォルダ作成\n『w.txt』から、『d/』へ、ファイルコピー\n"
        "『copy.txt』から、『moved.txt』へ、ファイル名変更\n『moved.txt』から、『d/e』へ、ファイル移動");
  EXPECT_EQ(Content("d/w.txt"), "w");
  EXPECT_FALSE(Exists("copy.txt"));
  EXPECT_FALSE(Exists("moved.txt"));
  EXPECT_EQ(Content("d/e/moved.txt"), "w");
  // a rename never replaces a file
  Put("other.txt", "o");
  EXPECT_EQ(ErrorOf("『w.txt』から、『other.txt』へ、ファイル名変更"),
            "[エラー] t.tmk(1行目): システム命令実行中のエラー。理由は,"
            "ファイル\"w.txt\"の、読み込みか書き込みに、失敗しました。ファイル名の変更");
  EXPECT_EQ(Content("other.txt"), "o");
  // deletion: to the trash, for good, whole folders
  Shown("『w.txt』を、ファイル削除\n『other.txt』を、ファイル完全削除\n『d』の、フォルダ削除");
  EXPECT_FALSE(Exists("w.txt"));
  EXPECT_EQ(Content("xdg/Trash/files/w.txt"), "w");
  EXPECT_FALSE(Exists("other.txt"));
  EXPECT_FALSE(Exists("d"));
  // a failure that is no error leaves a warning in the log
  Shown("『none』から、『x』へ、ファイルコピー");
  EXPECT_NE(tama.errorLog.Text().find("[注　意]"), std::string::npos);
  EXPECT_EQ(ErrorOf("『』へ、フォルダ作成"),
            "[エラー] t.tmk(1行目): \"フォルダ作成\"命令の引数に誤りがあります。引数を指定してください。");
}

TEST_F(FileCommands, AttributesAndShortcuts) {
  Put("a.txt", "a");
  mkdir((dir_ + "/sub").c_str(), 0700);
  EXPECT_EQ(Shown("『a.txt』の、ファイル属性取得\nそれを、表示\n『a.txt』を、1に、ファイル属性変更\n"
                  "『a.txt』の、ファイル属性取得\nそれを、表示\n『a.txt』を、0に、ファイル属性変更\n"
                  "『a.txt』を、「x」に、ファイル属性変更\n『a.txt』の、ファイル属性取得\nそれを、表示\n"
                  "『sub』の、ファイル属性取得\nそれを、表示\n『none』の、ファイル属性取得\nそれを、表示"),
            "32\n33\n32\n16\n-1\n");
  Shown("『a.txt』を、『sub/』へ、ショートカット作成\n『a.txt』を、『sub/b.txt』へ、ショートカット作成");
  char target[4096] = {};
  ASSERT_GT(readlink((dir_ + "/sub/a.lnk").c_str(), target, sizeof target - 1), 0);
  EXPECT_EQ(std::string(target), dir_ + "/a.txt");
  EXPECT_TRUE(Exists("sub/b.lnk"));
}

// ---- listings and questions ----

TEST_F(FileCommands, ListingsAreSortedAndSkipOnlyDotAndDotDot) {
  Put("b.txt", "");
  Put("A.txt", "");
  Put(".dot", "");
  mkdir((dir_ + "/sub").c_str(), 0700);
  mkdir((dir_ + "/.git").c_str(), 0700);
  Put("sub/c.txt", "");
  mkdir((dir_ + "/sub/deep").c_str(), 0700);
  Put("sub/deep/d.TXT", "");
  EXPECT_EQ(Shown("『*』の、ファイル列挙\nそれを、表示"), ".dot\r\nA.txt\r\nb.txt\r\n\n");
  EXPECT_EQ(Shown("『./』の、フォルダ列挙\nそれを、表示"), ".git\r\nsub\r\n\n");
  // cutting at ";" stops at the first empty piece
  EXPECT_EQ(Shown("『*.TXT;;sub/*』の、ファイル列挙\nそれを、表示"), "A.txt\r\nb.txt\r\n\n");
  EXPECT_EQ(Shown("『*.TXT;sub/*』の、ファイル列挙\nそれを、表示"), "A.txt\r\nb.txt\r\nc.txt\r\n\n");
  EXPECT_EQ(Shown("『sub/*.txt』の、全ファイル列挙\nそれを、表示"), "sub/c.txt\r\nsub/deep/d.TXT\r\n\n");
  EXPECT_EQ(Shown("『*』の、全フォルダ列挙\nそれを、表示"), ".git\r\nsub\r\nsub/deep\r\n\n");
  // an empty argument leaves それ
  EXPECT_EQ(Shown("それは「keep」\n『』の、ファイル列挙\nそれを、表示"), "keep\n");
}

TEST_F(FileCommands, QuestionsAboutFiles) {
  Put("a.txt", "12345");
  mkdir((dir_ + "/sub").c_str(), 0700);
  EXPECT_EQ(Shown("『a.txt』が、ファイルか\nそれを、表示\n『sub』が、ファイルか\nそれを、表示\n"
                  "『sub』が、存在するか\nそれを、表示\n『sub/』が、存在するか\nそれを、表示\n"
                  "『 a.txt 』が、存在するか\nそれを、表示\n『a.txt』の、ファイルサイズ\nそれを、表示\n"
                  "『A.TXT』の、長いファイル名取得\nそれを、表示\n『none』の、短いファイル名取得\n「[」&それ&「]」を、表示"),
            "1\n0\n0\n1\n1\n5\n" + sjis::Utf8ToSjisLossy(dir_) + "/a.txt\n[]\n");
  EXPECT_EQ(ErrorOf("『none』の、ファイル日時"),
            "[エラー] t.tmk(1行目): ファイル\"none\"の、読み込みか書き込みに、失敗しました。");
  Shown("『a.txt』の、ファイル日時");
  EXPECT_EQ(Value("それ").size(), 19u);
  EXPECT_EQ(Value("それ")[4], '/');
}

TEST_F(FileCommands, WorkingFolder) {
  mkdir((dir_ + "/sub").c_str(), 0700);
  const std::string here = sjis::Utf8ToSjisLossy(dir_);
  EXPECT_EQ(Shown("作業フォルダ\nそれを、表示\n『sub』へ、作業フォルダ変更\n作業フォルダ\nそれを、表示\n"
                  "『..』へ、作業ディレクトリ変更\n作業フォルダ\nそれを、表示"),
            here + "/\n" + here + "/sub/\n" + here + "/\n");
  EXPECT_EQ(ErrorOf("『none』へ、作業フォルダ変更").rfind(
                "[エラー] t.tmk(1行目): \"作業フォルダ変更\"で作業フォルダの変更に失敗。理由は、", 0),
            0u);
}

TEST_F(FileCommands, PathTexts) {
  EXPECT_EQ(Shown("『C:\\data\\表.txt』から、パスを切り出す\nそれを、表示\n"
                  "『C:\\data\\表.txt』から、ファイル名を切り出す\nそれを、表示\n"
                  "『フォルダ\\ソ』から、ファイル名を切り出す\nそれを、表示\n"
                  "『a.b\\表』から、拡張子を切り出す\n「[」&それ&「]」を、表示\n"
                  "『x.tar.gz』から、拡張子を切り出す\nそれを、表示\n"
                  "『a\\表.txt』を、「.lnk」に、拡張子変更\nそれを、表示\n"
                  "『a\\ソ』を、「.txt」に、拡張子変更\nそれを、表示"),
            "C:\\data\\\n表.txt\nソ\n[]\n.gz\na\\表.lnk\na\\ソ.txt\n");
}

// ---- file handles ----

TEST_F(FileCommands, HandleReadsThreeLinesThenWritesAtTheEnd) {
  Put("h.txt", "one\r\ntwo\r\nthree");
  EXPECT_EQ(Shown("「H」で、『h.txt』の、ハンドルを開く\nAに、Hの、ハンドルを一行読む\nAを、表示\n"
                  "Hの、ハンドル最後か\nそれを、表示\n"
                  "Aに、Hの、ハンドルを一行読む\nAに、Hの、ハンドルを一行読む\nAを、表示\n"
                  "Hの、ハンドル最後か\nそれを、表示\n「four」を、Hの、ハンドルへ一行書く\nHの、ハンドルを閉じる"),
            "one\n0\nthree\n1\n");
  EXPECT_EQ(Content("h.txt"), "one\r\ntwo\r\nthreefour\r\n");
  EXPECT_EQ(Word("H"), nullptr);
}

TEST_F(FileCommands, HandleMovesAndBinaryAccess) {
  Put("h.bin", "0123456789");
  Shown("「H」で、『h.bin』の、ハンドルを開く\nHの、5に、ハンドルを移動\n「XY」を、Hの、ハンドルへ一行書く\n"
        "Hの、ハンドルを先頭に移動\nBに、Hを、3つ、ハンドルにバイナリを読む\n"
        "「Q」を、Hに、2つ、ハンドルにバイナリを書く\nHの、ハンドルを最後に移動\n「end」を、Hの、ハンドルへ一行書く");
  EXPECT_EQ(Value("B"), "012");
  EXPECT_EQ(Content("h.bin"), Bytes("012Q\0XY\r\n9end\r\n"));
  // a new file is created by ハンドルを開く, not by ハンドルを詳しく開く
  Shown("「N」で、『new.txt』の、ハンドルを開く");
  EXPECT_TRUE(Exists("new.txt"));
  EXPECT_FALSE(ErrorOf("「M」に、『none.txt』を、2で、ハンドルを詳しく開く").empty());
  EXPECT_FALSE(Exists("none.txt"));
  Shown("「M」に、『new.txt』を、0で、ハンドルを詳しく開く\nMの、ハンドル最後か\nそれを、表示");
  EXPECT_EQ(host.shown, "1\n");
}

TEST_F(FileCommands, HandleErrors) {
  EXPECT_EQ(ErrorOf("Aに、Xの、ハンドルを一行読む"), "[エラー] t.tmk(1行目): ファイル\"ハンドル:X\"が、ありません。");
  EXPECT_EQ(ErrorOf("Xは『\\FILE_HANDLE』\nXの、ハンドルを閉じる"), "[エラー] t.tmk(2行目): 変数\"X\"が見つかりません。");
  EXPECT_EQ(ErrorOf("Xは「a」\nXの、5に、ハンドルを移動"), "[エラー] t.tmk(2行目): 変数\"X\"が見つかりません。");
  // missing words do nothing for closing, the end test and the moves
  EXPECT_EQ(Shown("Yの、ハンドルを閉じる\nYの、ハンドル最後か\nYの、ハンドルを先頭に移動"), "");
}

// ---- the security questions ----

TEST_F(FileCommands, RefusedQuestionsChangeNothing) {
  // the recording host closes every question: outside targets are refused at mid
  const std::string outside = dir_ + "/../" + std::string(strrchr(dir_.c_str(), '/') + 1) + "-outside.txt";
  Shown("「x」を、『" + outside + "』へ、書く\n「x」を、『in.txt』へ、書く");
  EXPECT_FALSE(Exists("../" + std::string(strrchr(dir_.c_str(), '/') + 1) + "-outside.txt"));
  EXPECT_EQ(Content("in.txt"), "x");
  // nothing is ever written to a file named security.ini, at any level but high with a warning
  tama.securityLevel = 0;
  EXPECT_EQ(Shown("「x」を、『Security.ini』へ、書く\n『in.txt』から、『sub/SECURITY.INI』へ、ファイルコピー"),
            "このプログラムは、\"security.ini\"を、操作出来ません！\n"
            "このプログラムは、\"security.ini\"を、操作出来ません！\n");
  EXPECT_FALSE(Exists("Security.ini"));
  EXPECT_FALSE(Exists("sub/SECURITY.INI"));
  // high refuses silently; line writes to open handles do nothing
  tama.securityLevel = 2;
  EXPECT_EQ(Shown("「y」を、『in.txt』へ、書く\n『in.txt』を、ファイル削除"), "");
  EXPECT_EQ(Content("in.txt"), "x");
}

TEST_F(FileCommands, OutputFileOfHyoujiAsks) {
  const std::string outside = "/tmp/" + std::string(strrchr(dir_.c_str(), '/') + 1) + "-shown.txt";
  Shown("表示出力先は『out.txt』\n「a」を、表示\n表示出力先は『" + outside + "』\n「b」を、表示");
  EXPECT_EQ(Content("out.txt"), "a\r\n");
  struct stat st;
  EXPECT_NE(stat(outside.c_str(), &st), 0);
}

// ---- packed resources ----

TEST_F(FileCommands, PackedResourcesAreExtractedToThePrivateFolder) {
  Put("res.fmx", support::BuildFileMix({{"data\\pic.txt", "picture", 0},
                                        {"..\\..\\escape.txt", "bad", 1},
                                        {"c:\\x:y", "colons", 0}}));
  Files(tama).reader = std::make_unique<support::TFileMixReader>(dir_ + "/res.fmx");
  EXPECT_EQ(Shown("Aに、『data\\PIC.txt』を、読む\nAを、表示\nBに、『data/pic.txt』を、読む\nBを、表示\n"
                  "Cに、『..\\..\\escape.txt』を、読む\nCを、表示\nDに、『c:\\x:y』を、読む\nDを、表示"),
            "picture\npicture\nbad\ncolons\n");
  const std::string temp = Files(tama).tempFolder;
  ASSERT_FALSE(temp.empty());
  struct stat st;
  ASSERT_EQ(stat(temp.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(Files(tama).extracted.size(), 3u);
  for (const std::string& f : Files(tama).extracted) EXPECT_EQ(f.rfind(temp, 0), 0u) << f;
  EXPECT_FALSE(Exists("../escape.txt"));
  // the private folder and what is in it go with the state; the container named by the user stays
  tama.fileState.reset();
  EXPECT_NE(stat(temp.c_str(), &st), 0);
  EXPECT_TRUE(Exists("res.fmx"));
}

}  // namespace
}  // namespace tama
