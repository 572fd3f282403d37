#include "app/Ahead.h"

#include <algorithm>

#include "base/Threads.h"

TAhead::TAhead(size_t n, size_t ahead, std::function<void(size_t)> work)
    : n_(n), ahead_(std::max<size_t>(ahead, 1)), work_(std::move(work)), done_(n), failed_(n) {
  // The consumer is one of the threads: it works while it waits.
  if (n < 2) return;
  const size_t helpers = std::min<size_t>(WorkerThreads(), n) - 1;
  try {
    threads_.reserve(helpers);
    for (size_t t = 0; t < helpers; ++t) threads_.emplace_back([this] { Worker(); });
  } catch (...) {  // no thread to be had, whatever the reason: what started works, or the consumer alone
  }
}

TAhead::~TAhead() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  for (std::thread& t : threads_) t.join();
}

void TAhead::Worker() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stop_ || next_ >= n_ || next_ < waited_ + ahead_; });
    if (stop_ || next_ >= n_) return;
    RunNext(lock);
  }
}

void TAhead::RunNext(std::unique_lock<std::mutex>& lock) {
  const size_t j = next_++;
  lock.unlock();
  std::exception_ptr failure;
  try {
    work_(j);
  } catch (...) {
    failure = std::current_exception();
  }
  lock.lock();
  failed_[j] = failure;
  done_[j] = 1;
  changed_.notify_all();
}

void TAhead::Wait(size_t j) {
  std::unique_lock lock(mutex_);
  if (j > waited_) {
    waited_ = j;
    changed_.notify_all();
  }
  // Item j itself first when no one has begun it, then whatever is next.
  while (!done_[j]) {
    if (next_ < n_ && (next_ <= j || next_ < waited_ + ahead_))
      RunNext(lock);
    else
      changed_.wait(lock);
  }
  if (failed_[j]) std::rethrow_exception(failed_[j]);
}
