// The headless event loop: timers in order, posted callbacks, quitting,
// watched descriptors, and the end when nothing can happen any more. The
// virtual clock lets the tests wait for timers without sleeping.
#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "host/headless.h"

namespace tama::host {
namespace {

using TClock = THeadlessLoop::TClock;

TEST(HeadlessLoop, TimersFireInTheOrderOfTheirTimes) {
  THeadlessLoop loop(TClock::kVirtual);
  std::string order;
  std::vector<int64_t> times;
  auto note = [&](char c) {
    return [&, c] {
      order += c;
      times.push_back(loop.Now());
    };
  };
  loop.AddTimer(30, note('c'));
  loop.AddTimer(10, note('a'));
  loop.AddTimer(20, note('b'));
  loop.AddTimer(10, note('A'));  // the same time: after the one added first
  loop.AddTimer(-5, note('0'));  // a delay below zero is due at once
  loop.Run();
  EXPECT_EQ(order, "0aAbc");
  EXPECT_EQ(times, (std::vector<int64_t>{0, 10, 10, 20, 30}));
  EXPECT_FALSE(loop.CanHappen());
}

TEST(HeadlessLoop, ATimerAddedByATimerCountsFromItsOwnTime) {
  THeadlessLoop loop(TClock::kVirtual);
  std::vector<int64_t> times;
  loop.AddTimer(10, [&] {
    times.push_back(loop.Now());
    loop.AddTimer(0, [&] { times.push_back(loop.Now()); });
    loop.AddTimer(5, [&] { times.push_back(loop.Now()); });
  });
  loop.Run();
  EXPECT_EQ(times, (std::vector<int64_t>{10, 10, 15}));
}

TEST(HeadlessLoop, CancelledTimersDoNotFire) {
  THeadlessLoop loop(TClock::kVirtual);
  std::string order;
  const auto a = loop.AddTimer(10, [&] { order += 'a'; });
  const auto b = loop.AddTimer(20, [&] { order += 'b'; });
  loop.AddTimer(5, [&] { EXPECT_TRUE(loop.CancelTimer(b)); });
  EXPECT_TRUE(loop.CancelTimer(a));
  EXPECT_FALSE(loop.CancelTimer(a));
  loop.Run();
  EXPECT_EQ(order, "");
  EXPECT_FALSE(loop.CancelTimer(b));
  EXPECT_FALSE(loop.CancelTimer(0));
}

TEST(HeadlessLoop, PostedCallbacksRunInOrderBeforeTimers) {
  THeadlessLoop loop(TClock::kVirtual);
  std::string order;
  loop.AddTimer(0, [&] { order += 't'; });
  loop.Post([&] {
    order += '1';
    // posted from a callback: it runs in the next turn, after the timer due now
    loop.Post([&] { order += '3'; });
  });
  loop.Post([&] { order += '2'; });
  EXPECT_TRUE(loop.CanHappen());
  loop.ProcessPending();
  EXPECT_EQ(order, "12t");
  loop.ProcessPending();
  EXPECT_EQ(order, "12t3");
  EXPECT_FALSE(loop.CanHappen());
}

TEST(HeadlessLoop, QuitEndsTheLoopWithTimersStillArmed) {
  THeadlessLoop loop(TClock::kVirtual);
  std::string order;
  loop.AddTimer(10, [&] {
    order += 'a';
    loop.Quit();
  });
  loop.AddTimer(10, [&] { order += 'b'; });
  loop.AddTimer(20, [&] { order += 'c'; });
  loop.Post([&] { order += 'p'; });
  loop.Run();
  EXPECT_EQ(order, "pa");
  EXPECT_TRUE(loop.QuitRequested());
  EXPECT_TRUE(loop.CanHappen());
  EXPECT_FALSE(loop.WaitUntil(-1));
  loop.ProcessPending();
  EXPECT_EQ(order, "pa");
}

TEST(HeadlessLoop, NothingToWaitForEndsTheLoopAtOnce) {
  THeadlessLoop loop(TClock::kVirtual);
  EXPECT_FALSE(loop.CanHappen());
  loop.Run();
  EXPECT_FALSE(loop.WaitUntil(-1));
  // with a deadline the wait lasts until it
  EXPECT_FALSE(loop.WaitUntil(250));
  EXPECT_EQ(loop.Now(), 250);
}

TEST(HeadlessLoop, BackgroundTimersRunButKeepNothingAlive) {
  THeadlessLoop loop(TClock::kVirtual);
  std::string order;
  // a background timer that re-arms itself for ever, as animation frames do
  std::function<void()> frame = [&] {
    order += 'f';
    loop.AddBackgroundTimer(10, frame);
  };
  loop.AddBackgroundTimer(10, frame);
  EXPECT_FALSE(loop.CanHappen());
  loop.Run();
  EXPECT_EQ(order, "");
  // while an ordinary timer is armed the background ones run beside it
  loop.AddTimer(35, [&] { order += 'T'; });
  EXPECT_TRUE(loop.CanHappen());
  loop.Run();
  EXPECT_EQ(order, "fffT");
  EXPECT_FALSE(loop.CanHappen());
  // a cancelled background timer is forgotten
  TEventLoop::TTimerId id = loop.AddBackgroundTimer(5, [&] { order += 'x'; });
  EXPECT_TRUE(loop.CancelTimer(id));
  loop.AddTimer(100, [] {});
  EXPECT_TRUE(loop.CanHappen());
}

TEST(HeadlessLoop, WaitUntilReturnsAfterSomethingRanOrAtTheDeadline) {
  THeadlessLoop loop(TClock::kVirtual);
  int fired = 0;
  loop.AddTimer(100, [&] { ++fired; });
  EXPECT_FALSE(loop.WaitUntil(40));
  EXPECT_EQ(loop.Now(), 40);
  EXPECT_EQ(fired, 0);
  EXPECT_TRUE(loop.WaitUntil(500));
  EXPECT_EQ(loop.Now(), 100);
  EXPECT_EQ(fired, 1);
}

TEST(HeadlessLoop, WatchedDescriptorsKeepTheLoopAliveUntilUnwatched) {
  THeadlessLoop loop(TClock::kVirtual);
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  std::string got;
  TEventLoop::TWatchId id = 0;
  id = loop.Watch(fds[0], TEventLoop::kReadable, [&](unsigned events) {
    EXPECT_TRUE(events & TEventLoop::kReadable);
    char buf[16];
    const ssize_t n = read(fds[0], buf, sizeof buf);
    if (n > 0) got.append(buf, static_cast<size_t>(n));
    if (got.size() >= 2) {
      EXPECT_TRUE(loop.Unwatch(id));
    }
  });
  loop.AddTimer(10, [&] { ASSERT_EQ(write(fds[1], "a", 1), 1); });
  loop.AddTimer(20, [&] { ASSERT_EQ(write(fds[1], "b", 1), 1); });
  loop.Run();  // ends once the watch is gone and no timer is left
  EXPECT_EQ(got, "ab");
  EXPECT_FALSE(loop.CanHappen());
  close(fds[0]);
  close(fds[1]);
}

TEST(HeadlessLoop, TheRealClockIsMonotonicAndTimersWaitForIt) {
  THeadlessLoop loop;
  const int64_t start = loop.Now();
  int64_t fired = -1;
  loop.AddTimer(5, [&] { fired = loop.Now(); });
  loop.Run();
  EXPECT_GE(fired, start + 5);
}

}  // namespace
}  // namespace tama::host
