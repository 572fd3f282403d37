// The number of worker threads set for one scope of a test.
#pragma once

#include "base/Threads.h"

struct TWorkerThreads {
  explicit TWorkerThreads(unsigned n) { SetWorkerThreads(n); }
  ~TWorkerThreads() { SetWorkerThreads(0); }
  TWorkerThreads(const TWorkerThreads&) = delete;
  TWorkerThreads& operator=(const TWorkerThreads&) = delete;
};
