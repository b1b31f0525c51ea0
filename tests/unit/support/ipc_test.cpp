// The local request transport: the private folder, stale and live sockets,
// a request and its acknowledgement.
#include "support/ipc.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace tama::ipc {
namespace {

// Each test has a folder of its own for the services.
class Ipc : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/ipc_testXXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    base_ = tmpl;
    if (const char* old = std::getenv("TMPDIR")) oldTmp_ = old, hadTmp_ = true;
    setenv("TMPDIR", base_.c_str(), 1);
    if (const char* old = std::getenv("XDG_RUNTIME_DIR")) oldXdg_ = old, hadXdg_ = true;
    unsetenv("XDG_RUNTIME_DIR");
  }
  void TearDown() override {
    if (hadTmp_) setenv("TMPDIR", oldTmp_.c_str(), 1);
    else unsetenv("TMPDIR");
    if (hadXdg_) setenv("XDG_RUNTIME_DIR", oldXdg_.c_str(), 1);
    std::string cmd = "rm -rf '" + base_ + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
  }
  std::string base_, oldTmp_;
  std::string oldXdg_;
  bool hadTmp_ = false, hadXdg_ = false;
};

TEST_F(Ipc, FolderIsPrivate) {
  std::string error;
  const std::string folder = RuntimeFolder(error);
  ASSERT_FALSE(folder.empty()) << error;
  struct stat st{};
  ASSERT_EQ(stat(folder.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(SocketPath(folder, "a/b"), folder + "/ab.sock");
}

TEST_F(Ipc, RequestAndAcknowledgement) {
  std::string error;
  int fd = Listen("svc", error);
  ASSERT_GE(fd, 0) << error;
  std::thread server([fd] {
    TRequest r;
    for (int i = 0; i < 200 && !Accept(fd, r); ++i) usleep(10000);
    Reply(r, r.topic == "command" && r.data == "line");
  });
  EXPECT_EQ(Send("svc", "command", "line", 5000, error), 1) << error;
  server.join();
  StopListening(fd, "svc");
  EXPECT_EQ(Send("svc", "command", "line", 100, error), -1);
}

TEST_F(Ipc, StaleSocketReplacedLiveOneKept) {
  std::string error;
  const std::string path = SocketPath(RuntimeFolder(error), "svc");
  // a socket file nobody accepts on
  int stale = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strcpy(addr.sun_path, path.c_str());
  ASSERT_EQ(bind(stale, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  close(stale);
  int fd = Listen("svc", error);
  ASSERT_GE(fd, 0) << error;
  struct stat st{};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  // a second server of the same name is refused and the first keeps its file
  EXPECT_EQ(Listen("svc", error), -1);
  EXPECT_NE(error.find("in use"), std::string::npos);
  EXPECT_EQ(stat(path.c_str(), &st), 0);
  StopListening(fd, "svc");
}

// Two runs starting together both find no folder; the one that loses the race to make it
// takes the folder the other made instead of failing.
TEST_F(Ipc, FolderMadeByManyAtOnce) {
  std::string error;
  const std::string folder = RuntimeFolder(error) + "/race";
  for (int round = 0; round < 200; ++round) {
    rmdir(folder.c_str());
    std::atomic<int> failed{0}, waiting{0};
    std::vector<std::thread> runs;
    for (int i = 0; i < 4; ++i)
      runs.emplace_back([&] {
        ++waiting;
        while (waiting.load() < 4) {
        }
        std::string why;
        if (!PrivateFolder(folder, why)) ++failed;
      });
    for (auto& t : runs) t.join();
    EXPECT_EQ(failed.load(), 0) << "round " << round;
  }
}

TEST_F(Ipc, SocketOfItsOwnPath) {
  std::string error;
  const std::string folder = RuntimeFolder(error) + "/own";
  ASSERT_TRUE(PrivateFolder(folder, error)) << error;
  const std::string path = folder + "/topic@1";
  bool refused = false;
  EXPECT_EQ(ConnectTo(path, error, &refused), -1);
  EXPECT_FALSE(refused);  // no file at all
  int fd = ListenAt(path, error);
  ASSERT_GE(fd, 0) << error;
  int client = ConnectTo(path, error, &refused);
  ASSERT_GE(client, 0) << error;
  // written without waiting: the server reads it when it comes to it
  ASSERT_TRUE(WriteRequest(client, "topic", std::string("a\0b", 3)));
  close(client);
  TRequest r;
  bool got = false;
  for (int i = 0; i < 200 && !(got = Accept(fd, r)); ++i) usleep(10000);
  ASSERT_TRUE(got);
  EXPECT_EQ(r.topic, "topic");
  EXPECT_EQ(r.data, std::string("a\0b", 3));
  Reply(r, true);  // the client is gone: nothing breaks
  close(fd);
  // the file stays behind a server that ended: a connect is refused
  EXPECT_EQ(ConnectTo(path, error, &refused), -1);
  EXPECT_TRUE(refused);
}

}  // namespace
}  // namespace tama::ipc
