// The global lock's two modes, on their own (run under ThreadSanitizer with the
// other thread stress tests): readers never overlap an
// exclusive owner, an owner re-enters in either mode, and a reader waiting
// behind an owner gets in once it leaves. Plain (non-atomic) data guarded by
// the lock lets ThreadSanitizer see any overlap as a race.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/SharedRecursiveLock.h"

namespace {

using tiz::platform::SharedRecursiveLock;

TEST(ThreadStressLock, ReadersNeverSeeAHalfWrittenPair) {
  static SharedRecursiveLock lock;
  static long first = 0, second = 0;  // equal whenever the lock is free
  std::atomic<bool> stop{false};
  std::atomic<long> mismatches{0}, reads{0};
  std::atomic<int> readersIn{0};
  auto reader = [&] {
    bool counted = false;
    while (!stop.load(std::memory_order_relaxed)) {
      auto token = lock.EnterShared();
      if (first != second) ++mismatches;
      ++reads;
      lock.LeaveShared(token);
      if (!counted) ++readersIn;
      counted = true;
    }
  };
  auto writer = [&] {
    // The writes start once every reader reads, so that they overlap even
    // where the scheduler starts threads late (a loaded machine, Wine).
    while (readersIn.load() < 3) std::this_thread::yield();
    for (int i = 0; i < 20000; ++i) {
      lock.Enter();
      ++first;
      lock.Enter();                      // re-entered by its owner
      auto nested = lock.EnterShared();  // a getter called from a callback
      EXPECT_EQ(nested, nullptr);
      lock.LeaveShared(nested);
      ++second;
      lock.Leave();
      lock.Leave();
    }
  };
  std::vector<std::thread> threads;
  for (int i = 0; i < 3; ++i) threads.emplace_back(reader);
  std::thread w1(writer), w2(writer);
  w1.join();
  w2.join();
  stop = true;
  for (auto &t : threads) t.join();
  EXPECT_EQ(mismatches.load(), 0);
  EXPECT_EQ(first, 40000);
  EXPECT_EQ(second, 40000);
  EXPECT_GT(reads.load(), 0);
}

TEST(ThreadStressLock, ReaderWaitsForTheOwnerAndThenGetsIn) {
  static SharedRecursiveLock lock;
  static int value = 0;
  std::atomic<bool> readerDone{false};
  lock.Enter();
  std::thread reader([&] {
    auto token = lock.EnterShared();
    EXPECT_EQ(value, 7);  // written before the owner left
    lock.LeaveShared(token);
    readerDone = true;
  });
  for (int i = 0; i < 1000; ++i) std::this_thread::yield();
  EXPECT_FALSE(readerDone.load());
  value = 7;
  lock.Leave();
  reader.join();
  EXPECT_TRUE(readerDone.load());
}

TEST(ThreadStressLock, ManyThreadsShareReaderSlots) {
  // More threads than slots: slots are shared, still sound.
  static SharedRecursiveLock lock;
  static long counter = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 40; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < 200; ++i) {
        if ((i + t) % 10 == 0) {
          lock.Enter();
          ++counter;
          lock.Leave();
        } else {
          auto token = lock.EnterShared();
          volatile long seen = counter;
          (void)seen;
          lock.LeaveShared(token);
        }
      }
    });
  }
  for (auto &t : threads) t.join();
  EXPECT_EQ(counter, 40 * 20);
}

}  // namespace
