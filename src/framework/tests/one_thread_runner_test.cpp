#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "framework/handle.h"
#include "framework/one_thread_runner.h"

namespace {

// Jobs run one after another, in order, on one thread that is not the
// caller's.
TEST(OneThreadRunnerTest, RunsJobsInOrderOnOneThreadOfItsOwn) {
  std::mutex lock;
  std::vector<int> order;
  std::vector<DWORD> threads;
  std::atomic<int> running{0};
  std::atomic<bool> overlapped{false};
  CHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  {
    COneThreadRunner runner(2000);
    for (int i = 0; i < 5; ++i) {
      runner.Post([&, i] {
        if (++running > 1) {
          overlapped = true;
        }
        Sleep(20);
        {
          std::lock_guard<std::mutex> hold(lock);
          order.push_back(i);
          threads.push_back(GetCurrentThreadId());
        }
        --running;
        if (i == 4) {
          SetEvent(done.get());
        }
      });
    }
    ASSERT_EQ(WaitForSingleObject(done.get(), 10000), WAIT_OBJECT_0);
  }
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_FALSE(overlapped);
  ASSERT_EQ(threads.size(), 5u);
  for (DWORD thread : threads) {
    EXPECT_EQ(thread, threads[0]);
  }
  EXPECT_NE(threads[0], GetCurrentThreadId());
}

// Destruction drops the jobs that have not started and waits for the
// running one when it ends within the wait.
TEST(OneThreadRunnerTest, DestructionDropsWaitingJobsAndWaitsForTheRunningOne) {
  CHandle started(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  std::atomic<bool> first_done{false};
  std::atomic<bool> second_ran{false};
  {
    COneThreadRunner runner(2000);
    runner.Post([&] {
      SetEvent(started.get());
      Sleep(300);
      first_done = true;
    });
    runner.Post([&] { second_ran = true; });
    ASSERT_EQ(WaitForSingleObject(started.get(), 10000), WAIT_OBJECT_0);
  }
  EXPECT_TRUE(first_done) << "waited for the running job";
  Sleep(200);
  EXPECT_FALSE(second_ran) << "the waiting job was dropped";
}

// A job still running after the wait goes on by itself: the runner's
// destruction returns, and the job, owning what it uses, ends later.
TEST(OneThreadRunnerTest, AJobLongerThanTheWaitIsLeftToFinish) {
  CHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  CHandle started(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  auto finished = std::make_shared<std::atomic<bool>>(false);
  {
    COneThreadRunner runner(100);
    HANDLE release_handle = release.get();
    runner.Post([release_handle, finished, &started] {
      SetEvent(started.get());
      WaitForSingleObject(release_handle, 10000);
      *finished = true;
    });
    ASSERT_EQ(WaitForSingleObject(started.get(), 10000), WAIT_OBJECT_0);
  }
  EXPECT_FALSE(*finished) << "the destruction did not wait for it";
  SetEvent(release.get());
  for (int i = 0; i < 200 && !*finished; ++i) {
    Sleep(10);
  }
  EXPECT_TRUE(*finished);
}

// A runner that never got a job starts no thread and ends at once.
TEST(OneThreadRunnerTest, AnUnusedRunnerIsIdle) {
  COneThreadRunner runner(2000);
  EXPECT_TRUE(runner.IsIdle());
}

}  // namespace
