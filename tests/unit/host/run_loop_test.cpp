// A run on the headless host: after 待機 the program goes on from the event
// loop, and the run closes (the termination handler once) when the program
// stops or nothing can happen any more.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/families.h"
#include "engine/tama.h"
#include "host/headless.h"
#include "host/startup.h"

namespace tama::host {
namespace {

class RunLoop : public ::testing::Test {
 protected:
  RunLoop() : tama(host) {
    for (const TCommandFamily& f : AllCommandFamilies()) families.push_back(&f);
    tama.SetHandlers(families);
    tama.programFileName = "t.tmk";
  }
  // Runs the label as an event does while the program is idle.
  void RunLabel(const char* name) {
    THashNode* label = tama.words.Find(name, false);
    ASSERT_NE(label, nullptr);
    tama.RunNestedLabel(*label);
  }
  int Run(std::string source, std::string& out) {
    tama.sourceText = std::move(source);
    ::testing::internal::CaptureStdout();
    const int status = RunMain(tama, families);
    out = ::testing::internal::GetCapturedStdout();
    return status;
  }

  THeadlessHost host;
  TTamaBase tama;
  std::vector<const TCommandFamily*> families;
};

const char* Utf8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

TEST_F(RunLoop, WaitingReturnsToTheLoopUntilNothingCanHappen) {
  TEventLoop& loop = *host.Loop();
  loop.Post([&] {
    RunLabel("後で");
    loop.AddTimer(1, [&] { RunLabel("後で"); });
  });
  std::string out;
  EXPECT_EQ(Run("後始末に、終了処理設定\r\n"
                "「前」と、表示\r\n"
                "待機\r\n"
                "「ここは出ない」と、表示\r\n"
                "*後で\r\n"
                "「後で」と、表示\r\n"
                "待機\r\n"
                "*後始末\r\n"
                "「後始末」と、表示\r\n",
                out),
            0);
  EXPECT_EQ(out, Utf8(u8"前\n後で\n後で\n後始末\n"));
  EXPECT_FALSE(loop.CanHappen());
}

TEST_F(RunLoop, EndingTheProgramInAnEventEndsTheLoop) {
  TEventLoop& loop = *host.Loop();
  bool late = false;
  loop.Post([&] { RunLabel("止める"); });
  loop.AddTimer(60000, [&] { late = true; });
  std::string out;
  EXPECT_EQ(Run("後始末に、終了処理設定\r\n"
                "待機\r\n"
                "*止める\r\n"
                "「止める」と、表示\r\n"
                "おわり\r\n"
                "*後始末\r\n"
                "「後始末」と、表示\r\n",
                out),
            0);
  EXPECT_EQ(out, Utf8(u8"止める\n後始末\n"));
  EXPECT_FALSE(late);
  EXPECT_TRUE(loop.QuitRequested());
}

}  // namespace
}  // namespace tama::host
