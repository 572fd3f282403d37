// Large tables are faulted in with one call before they are filled: a
// million-segment selection otherwise spends a third of its time taking one
// page fault after another. Only where the system offers it (Linux 5.14 on);
// elsewhere, and on any error, pages are faulted in as they are touched.
#pragma once

#include <cstddef>
#include <vector>

#include "base/MemoryCeiling.h"

// hugePages: for a table read at random, where small pages would cost a TLB
// miss on nearly every access.
void PrefaultForWrite(void* data, size_t bytes, bool hugePages = false);

// v.reserve(n), with the room faulted in, within the memory ceiling.
template <class T>
void ReservePrefaulted(std::vector<T>& v, size_t n, bool hugePages = false) {
  if (n > v.capacity()) CheckMemoryFor((n - v.capacity()) * sizeof(T));
  v.reserve(n);
  PrefaultForWrite(v.data(), v.capacity() * sizeof(T), hugePages);
}
