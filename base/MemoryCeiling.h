// The memory a selection may take. A selection too large for the machine
// fails as memory running out does, with that message and "hq" for the
// host, before the system has to end the program for it (the Linux kernel's
// out-of-memory killer, which would leave the host its own selection) or
// pages it out to the disk for minutes.
//
// The ceiling: the program's own memory may pass neither 3/4 of the
// physical memory nor the point where less than 1/16 of it is left to the
// rest of the system. The system is asked only every 64 MiB the tables grow
// by, and before any one table of that size: a few times for a million
// lines, too few to measure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>

struct TOverMemoryCeiling : std::bad_alloc {
  const char* what() const noexcept override { return "over the memory ceiling"; }
};

// Before `bytes` more are taken for a table: throws TOverMemoryCeiling when
// they would take the program past the ceiling.
void CheckMemoryFor(size_t bytes);

// For tests: the program's memory may not pass `bytes`, whatever the system
// has left; 0: the machine's ceiling again.
void SetMemoryCeiling(uint64_t bytes);
