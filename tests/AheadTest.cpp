// Work run ahead on every core for one consumer: results in order, a failure
// thrown where its item is waited for, and an early end that stops the
// workers without waiting for what was never begun.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "WorkerThreads.h"
#include "app/Ahead.h"

// Whatever the number of threads and however far ahead the workers may run:
// every item before a failing one is done, the failure comes out of Wait at
// its own item, and nothing beyond the ring's reach of it is ever begun.
TEST(Ahead, AFailureComesOutWhereItsItemIsWaitedFor) {
  constexpr size_t kItems = 200, kFailing = 137;
  for (unsigned threads : {1u, 2u, 8u}) {
    for (size_t ahead : {size_t{1}, size_t{3}, size_t{64}}) {
      TWorkerThreads t(threads);
      std::vector<std::atomic<int>> runs(kItems);
      std::atomic<size_t> highest{0};
      {
        TAhead work(kItems, ahead, [&](size_t j) {
          ++runs[j];
          for (size_t h = highest; j > h && !highest.compare_exchange_weak(h, j);) {
          }
          if (j == kFailing) throw std::runtime_error("item");
        });
        for (size_t j = 0; j < kFailing; ++j) ASSERT_NO_THROW(work.Wait(j)) << j;
        EXPECT_THROW(work.Wait(kFailing), std::runtime_error);
      }
      for (size_t j = 0; j <= kFailing; ++j) EXPECT_EQ(runs[j], 1) << j;
      EXPECT_LT(highest, kFailing + ahead) << threads << " threads, " << ahead << " ahead";
      for (size_t j = kFailing + 1; j < kItems; ++j) EXPECT_LE(runs[j], 1) << j;
    }
  }
}

// The consumer leaves early with items under way: the object's end waits
// for those and begins no other.
TEST(Ahead, AnEarlyEndFinishesTheItemsUnderWayAndBeginsNoMore) {
  TWorkerThreads t(4);
  std::atomic<int> begun{0}, finished{0};
  {
    TAhead work(1000, 1000, [&](size_t) {
      ++begun;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      ++finished;
    });
    work.Wait(2);
  }
  EXPECT_EQ(begun, finished);
  EXPECT_LT(begun, 1000);
}
