#include "basic_lib/single_thread_runner.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <set>
#include <vector>

namespace {

// Waits until done() holds, up to ms.
template <class Done>
bool WaitFor(Done done, DWORD ms = 5000) {
  for (const DWORD start = GetTickCount(); !done();) {
    if (GetTickCount() - start > ms) {
      return false;
    }
    Sleep(2);
  }
  return true;
}

TEST(SingleThreadRunner, RunsTasksInOrderOnOneThreadThatEndsWhenIdle) {
  CSingleThreadRunner runner;
  HANDLE gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::vector<int> order;
  std::set<DWORD> threads;
  std::atomic<int> done{0};
  runner.PostTask([&] { WaitForSingleObject(gate, 5000); });
  for (int i = 0; i < 5; ++i) {
    runner.PostTask([&, i] {
      order.push_back(i);
      threads.insert(GetCurrentThreadId());
      ++done;
    });
  }
  EXPECT_TRUE(runner.IsRunning());
  EXPECT_FALSE(runner.IsWorkerThread());
  SetEvent(gate);
  ASSERT_TRUE(WaitFor([&] { return done == 5; }));
  ASSERT_TRUE(WaitFor([&] { return !runner.IsRunning(); }));
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
  ASSERT_EQ(threads.size(), 1u);
  EXPECT_NE(*threads.begin(), GetCurrentThreadId());

  // The next post starts a new worker.
  std::atomic<int> on_worker{-1};
  runner.PostTask([&] { on_worker = runner.IsWorkerThread() ? 1 : 0; });
  ASSERT_TRUE(WaitFor([&] { return on_worker != -1; }));
  EXPECT_TRUE(runner.Stop(5000));
  EXPECT_EQ(on_worker, 1);
  EXPECT_FALSE(runner.IsRunning());
  CloseHandle(gate);
}

TEST(SingleThreadRunner, StopDropsQueuedTasksAndWaitsForTheRunningOne) {
  CSingleThreadRunner runner;
  HANDLE started = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<bool> first_finished{false};
  std::atomic<int> later{0};
  runner.PostTask([&] {
    SetEvent(started);
    Sleep(300);
    first_finished = true;
  });
  runner.PostTask([&] { ++later; });
  runner.PostTask([&] { ++later; });
  ASSERT_EQ(WaitForSingleObject(started, 5000), WAIT_OBJECT_0);
  EXPECT_TRUE(runner.Stop(5000));
  EXPECT_TRUE(first_finished);
  EXPECT_FALSE(runner.IsRunning());
  Sleep(50);
  EXPECT_EQ(later, 0);
  CloseHandle(started);
}

TEST(SingleThreadRunner, StopWithATimeLimitAndFromTheWorkerItselfNeverBlocks) {
  CSingleThreadRunner runner;
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE started = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<int> from_worker{-1};
  std::atomic<int> after{0};
  runner.PostTask([&] {
    SetEvent(started);
    // Stopping from inside a task drops the rest and returns at once.
    from_worker = runner.Stop(INFINITE) ? 1 : 0;
    WaitForSingleObject(release, 5000);
  });
  runner.PostTask([&] { ++after; });
  ASSERT_EQ(WaitForSingleObject(started, 5000), WAIT_OBJECT_0);
  ASSERT_TRUE(WaitFor([&] { return from_worker != -1; }));
  EXPECT_EQ(from_worker, 0);
  // Still running: a short stop gives up.
  EXPECT_FALSE(runner.Stop(50));
  SetEvent(release);
  EXPECT_TRUE(runner.Stop(5000));
  EXPECT_EQ(after, 0);
  CloseHandle(release);
  CloseHandle(started);
}

// A runner destroyed with a bounded wait leaves a longer task to finish on
// its own thread: the destruction returns, and the task ends later.
TEST(SingleThreadRunner, ATaskLongerThanTheDestroyWaitIsLeftToFinish) {
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE started = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  auto finished = std::make_shared<std::atomic<bool>>(false);
  std::atomic<int> dropped{0};
  {
    CSingleThreadRunner runner(100);
    runner.PostTask([release, started, finished] {
      SetEvent(started);
      WaitForSingleObject(release, 10000);
      *finished = true;
    });
    runner.PostTask([&] { ++dropped; });
    ASSERT_EQ(WaitForSingleObject(started, 5000), WAIT_OBJECT_0);
  }
  EXPECT_FALSE(*finished) << "the destruction did not wait for it";
  SetEvent(release);
  EXPECT_TRUE(WaitFor([&] { return finished->load(); }));
  Sleep(50);
  EXPECT_EQ(dropped, 0) << "the waiting task was dropped";
  CloseHandle(release);
  CloseHandle(started);
}

}  // namespace
