// Work done on every core ahead of one consumer who takes the results in
// order: item j is computed by work(j) on some thread, and the consumer's
// Wait(j) returns once it is done. Workers run at most `ahead` items beyond
// the last item waited for, so that results can live in a ring of that many
// slots. An exception thrown by work(j) is thrown again by Wait(j). When the
// consumer is done, early or not, destroying the object stops the workers:
// items not begun are never begun, the ones under way are finished.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class TAhead {
 public:
  TAhead(size_t n, size_t ahead, std::function<void(size_t)> work);
  TAhead(const TAhead&) = delete;
  TAhead& operator=(const TAhead&) = delete;
  ~TAhead();

  void Wait(size_t j);

 private:
  void Worker();
  void RunNext(std::unique_lock<std::mutex>& lock);  // the next item, with the lock held around it

  const size_t n_, ahead_;
  const std::function<void(size_t)> work_;
  std::mutex mutex_;
  std::condition_variable changed_;
  size_t next_ = 0;     // the next item not begun
  size_t waited_ = 0;   // the consumer is done with every item before this one
  bool stop_ = false;
  std::vector<unsigned char> done_;
  std::vector<std::exception_ptr> failed_;
  std::vector<std::thread> threads_;
};
