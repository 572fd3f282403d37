#include "base/Threads.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace {
std::atomic<unsigned> Threads{0};
}  // namespace

unsigned WorkerThreads() {
  const unsigned set = Threads.load();
  if (set > 0) return set;
  return std::max(1u, std::thread::hardware_concurrency());
}

void SetWorkerThreads(unsigned threads) { Threads.store(threads); }
