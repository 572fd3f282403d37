#include "base/Prefault.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

void PrefaultForWrite(void* data, size_t bytes, bool hugePages) {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
  auto advise = [&](uintptr_t unit, int advice) {
    const auto begin = (reinterpret_cast<uintptr_t>(data) + unit - 1) & ~(unit - 1);
    const auto end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(unit - 1);
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, advice);
  };
  if (hugePages) advise(uintptr_t{2} << 20, MADV_HUGEPAGE);
  advise(static_cast<uintptr_t>(sysconf(_SC_PAGESIZE)), MADV_POPULATE_WRITE);
#else
  (void)data;
  (void)bytes;
  (void)hugePages;
#endif
}
