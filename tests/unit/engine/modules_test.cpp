// The module loader: where modules are looked for, a missing one, and the
// error of a command that needs one.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "engine/modules.h"
#include "engine/tama.h"

namespace tama {
namespace {

class TQuietHost : public THost {
 public:
  void Display(std::string_view) override {}
  void Message(std::string_view, std::string_view) override {}
  TErrorAnswer ShowErrorDialog(const std::string&) override { return TErrorAnswer::kStop; }
  bool Headless() const override { return true; }
};

TEST(Modules, FoldersStartWithTheNamedOneThenTheRunTimesOwn) {
  setenv("TAMAKAZU_MODULE_DIR", "/opt/mods", 1);
  const auto folders = ModuleFolders();
  unsetenv("TAMAKAZU_MODULE_DIR");
  ASSERT_GE(folders.size(), 4u);
  EXPECT_EQ(folders[0], "/opt/mods");
  // the test binary's own folder, then ../lib/tamakazu beside it
  EXPECT_EQ(folders[2], folders[1] + "/../lib/tamakazu");
  EXPECT_EQ(ModuleFolders().size(), folders.size() - 1);
}

TEST(Modules, AMissingModuleIsNullWithItsFileNamed) {
  std::string error;
  EXPECT_EQ(LoadModuleInterface("nothing", error), nullptr);
  EXPECT_EQ(error, "libtamakazu-nothing.so: not found");
  // asked again: the same answer without looking again
  error.clear();
  EXPECT_EQ(LoadModule<int>("nothing", error), nullptr);
  EXPECT_EQ(error, "libtamakazu-nothing.so: not found");
}

TEST(Modules, ACommandWithoutItsModuleRaisesThePartMessage) {
  TQuietHost host;
  TTamaBase t(host);
  try {
    RaiseModuleMissing(t, "印刷", "qt");
    FAIL() << "no error";
  } catch (const ETama&) {
    EXPECT_NE(t.errorLog.Text().find("\"印刷\"命令に必要な部品\"libtamakazu-qt.so\"が見つかりません。"), std::string::npos)
        << t.errorLog.Text();
  }
}

}  // namespace
}  // namespace tama
