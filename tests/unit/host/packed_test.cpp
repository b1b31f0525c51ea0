// Packed programs: the packer, loading a program out of an executable, its
// resources, "-runtime" and "-resource", and corrupt containers.
#include "host/packed.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "commands/families.h"
#include "engine/files_state.h"
#include "engine/tama.h"
#include "host/startup.h"
#include "sjis/convert.h"
#include "support/fmix.h"

namespace tama::host {
namespace {

class TRecordingHost : public THost {
 public:
  void Display(std::string_view text) override {
    shown += text;
    shown += '\n';
  }
  void Message(std::string_view text, std::string_view) override { Display(text); }
  TErrorAnswer ShowErrorDialog(const std::string& log) override {
    errors += log;
    return TErrorAnswer::kStop;
  }
  bool Headless() const override { return true; }
  std::string shown, errors;
};

class Packed : public ::testing::Test {
 protected:
  Packed() {
    std::string t = "/tmp/packed_test_XXXXXX";
    dir_ = mkdtemp(t.data());
    char buf[4096];
    dir_ = realpath(dir_.c_str(), buf);
    (void)!getcwd(buf, sizeof buf);
    oldCwd_ = buf;
    (void)!chdir(dir_.c_str());
    mkdir("data", 0700);
    Put("data/pic.txt", "picture bytes");
    Put("runtime", Read("/bin/true"));  // an ELF image standing for the run-time
    chmod("runtime", 0755);
  }
  ~Packed() override {
    (void)!chdir(oldCwd_.c_str());
    std::system(("rm -rf '" + dir_ + "'").c_str());
  }
  static void Put(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::string PackedApp(const std::string& program) {
    std::string error = PackProgram(dir_ + "/runtime", program, dir_ + "/app", {"./data/pic.txt"});
    EXPECT_EQ(error, "");
    return dir_ + "/app";
  }
  // Runs host::Main with the arguments; standard output and error come back.
  int RunMainWith(std::vector<std::string> args, std::string& out, std::string& err) {
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    int status = Main(static_cast<int>(argv.size()), argv.data());
    std::fflush(stdout);
    out = ::testing::internal::GetCapturedStdout();
    err = ::testing::internal::GetCapturedStderr();
    (void)!chdir(dir_.c_str());
    return status;
  }

  std::string dir_, oldCwd_;
};

const char* const kProgram = "Aに、『data\\pic.txt』を、読む\r\nAを、表示\r\n「packed」を、表示\r\n";

TEST_F(Packed, APackedProgramRunsWithItsResources) {
  const std::string app = PackedApp(kProgram);
  struct stat st;
  ASSERT_EQ(stat(app.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0755u);
  // the image comes first, unchanged
  EXPECT_EQ(Read(app).substr(0, Read("runtime").size()), Read("runtime"));

  TRecordingHost host;
  TTamaBase tama(host);
  std::vector<const TCommandFamily*> families;
  for (const TCommandFamily& f : AllCommandFamilies()) families.push_back(&f);
  tama.SetHandlers(families);
  tama.commandLine = {app};
  ASSERT_TRUE(LoadPackedProgram(tama, app));
  EXPECT_TRUE(tama.packedSource);
  EXPECT_EQ(tama.programFileName, "tamakazu.tmk");
  EXPECT_EQ(tama.sourceText, kProgram);
  EXPECT_EQ(RunMain(tama, families), 0) << sjis::SjisToUtf8(host.errors);
  EXPECT_EQ(host.shown, "picture bytes\npacked\n");
  // the resource was copied into the private folder, which goes with the state
  ASSERT_EQ(Files(tama).extracted.size(), 1u);
  const std::string copy = Files(tama).extracted[0];
  EXPECT_EQ(Read(copy), "picture bytes");
  tama.fileState.reset();
  EXPECT_NE(stat(copy.c_str(), &st), 0);
  EXPECT_EQ(stat(app.c_str(), &st), 0);  // the executable itself stays
}

TEST_F(Packed, RunAsFirstArgumentAndExecutablesWithoutAProgram) {
  const std::string app = PackedApp(kProgram);
  TRecordingHost host;
  TTamaBase tama(host);
  EXPECT_FALSE(LoadPackedProgram(tama, app, "-run"));
  EXPECT_FALSE(LoadPackedProgram(tama, dir_ + "/runtime"));
  // a container without the program entry
  Put("noprog", Read("runtime") + support::BuildFileMix({{"other", "x", 0}}));
  EXPECT_FALSE(LoadPackedProgram(tama, dir_ + "/noprog"));
  EXPECT_FALSE(tama.packedSource);
}

TEST_F(Packed, ACorruptContainerGivesTheExtractionError) {
  std::string app = Read(PackedApp(kProgram));
  const size_t at = Read("runtime").size();
  app[at + 5] = static_cast<char>(0x30);  // far more records than the file holds
  Put("broken", app);
  TRecordingHost host;
  TTamaBase tama(host);
  try {
    LoadPackedProgram(tama, dir_ + "/broken");
    ADD_FAILURE();
  } catch (const ETama& e) {
    EXPECT_EQ(std::string(e.what()), "[エラー] (0行目): ファイルの展開に失敗しました。\"" +
                                         sjis::Utf8ToSjisLossy(dir_) +
                                         "/broken\"は、TFileMixHeaderでは形式が違うため読めません。");
  }
}

TEST_F(Packed, ResourceContainersAreNeverRemoved) {
  Put("res.fmx", support::BuildFileMix({{"a.txt", "A", 0}}));
  {
    TRecordingHost host;
    TTamaBase tama(host);
    ASSERT_TRUE(OpenResource(tama, dir_ + "/res.fmx"));
    EXPECT_EQ(ExtractPackedFile(tama, "A.TXT").empty(), false);
    EXPECT_TRUE(OpenResource(tama, PackedApp(kProgram)));  // an executable that carries one
    EXPECT_FALSE(OpenResource(tama, dir_ + "/data/pic.txt"));
    EXPECT_FALSE(OpenResource(tama, dir_ + "/none"));
  }
  struct stat st;
  EXPECT_EQ(stat((dir_ + "/res.fmx").c_str(), &st), 0);
}

TEST_F(Packed, ResourceEntryNames) {
  EXPECT_EQ(ResourceEntryName("./data/pic.txt"), "data\\pic.txt");
  EXPECT_EQ(ResourceEntryName(reinterpret_cast<const char*>(u8"表/ソ.wav")), "表\\ソ.wav");
}

TEST_F(Packed, CommandLineRuntimeAndPackedStartFiles) {
  const std::string app = PackedApp(kProgram);
  std::string out, err;
  EXPECT_EQ(RunMainWith({"tamakazu", "--headless", "-runtime", app}, out, err), 0) << err;
  EXPECT_EQ(out, "picture bytes\npacked\n");
  // the packed executable named as the program
  EXPECT_EQ(RunMainWith({"tamakazu", "--headless", app}, out, err), 0) << err;
  EXPECT_EQ(out, "picture bytes\npacked\n");
  // no container at all, and a corrupt one
  EXPECT_EQ(RunMainWith({"tamakazu", "--headless", "-runtime", dir_ + "/runtime"}, out, err), 1);
  EXPECT_EQ(err, reinterpret_cast<const char*>(u8"指定されたプログラムファイルは壊れています。\n"));
  std::string broken = Read(app);
  broken[Read("runtime").size() + 5] = static_cast<char>(0x30);
  Put("broken", broken);
  EXPECT_EQ(RunMainWith({"tamakazu", "--headless", "-runtime", dir_ + "/broken"}, out, err), 1);
  EXPECT_NE(err.find(reinterpret_cast<const char*>(u8"ファイルの展開に失敗しました。")), std::string::npos) << err;
  EXPECT_NE(err.find("TFileMixHeader"), std::string::npos) << err;
}

TEST_F(Packed, ThePackOption) {
  Put("prog.tmk", reinterpret_cast<const char*>(u8"「packed」を、表示\n"));
  std::string out, err;
  EXPECT_EQ(RunMainWith({"tamakazu", "--pack", "prog.tmk", "-o", "made", "data/pic.txt"}, out, err), 0) << err;
  support::TContainerPlace place;
  ASSERT_TRUE(support::ReadOverlay(dir_ + "/made", place));
  support::TFileMixReader r(dir_ + "/made", place.offset, place.length);
  std::string text;
  ASSERT_TRUE(r.Extract("tamakazu.tmk", text));
  EXPECT_EQ(text, "「packed」を、表示\r\n");  // Shift-JIS, CR LF
  ASSERT_TRUE(r.Extract("DATA\\PIC.TXT", text));
  EXPECT_EQ(text, "picture bytes");
  EXPECT_EQ(RunMainWith({"tamakazu", "--pack", "prog.tmk"}, out, err), 2);
}

}  // namespace
}  // namespace tama::host
