// The headless host's answers to the security question and its warnings.
#include "host/headless.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace tama::host {
namespace {

TEST(HeadlessHost, QuestionsWithoutATerminalAreRefusedWithANotice) {
  if (isatty(STDIN_FILENO)) GTEST_SKIP() << "standard input is a terminal";
  THeadlessHost host;
  ::testing::internal::CaptureStderr();
  THost::TSecurityAnswer a = host.AskSecurity("\"/x\"へ書き込みます。", "[注　意] t.tmk(1行目): \"/x\"");
  host.Warning("このプログラムは、\"security.ini\"を、操作出来ません！", "セキュリティの警告");
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(a, THost::TSecurityAnswer::kClosed);
  EXPECT_EQ(err, reinterpret_cast<const char*>(u8"[注　意] t.tmk(1行目): \"/x\"\n"
                                               u8"セキュリティの警告: このプログラムは、\"security.ini\"を、操作出来ません！\n"));
}

TEST(HeadlessHost, TheClipboardIsATextOfTheProcess) {
  THeadlessHost host;
  EXPECT_EQ(host.ClipboardText(), "");
  host.SetClipboardText("表");
  EXPECT_EQ(host.ClipboardText(), "表");
}

}  // namespace
}  // namespace tama::host
