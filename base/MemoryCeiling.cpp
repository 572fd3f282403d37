#include "base/MemoryCeiling.h"

#include <algorithm>
#include <atomic>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <psapi.h>
#else
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#endif

namespace {

constexpr uint64_t kLookEvery = uint64_t{64} << 20;
std::atomic<uint64_t> SinceLook{0};
std::atomic<uint64_t> TestCeiling{0};

struct TMemoryNow {
  uint64_t Own = 0, Available = 0, Total = 0;  // bytes; Total 0: unknown
};

#ifdef _WIN32
// Own: the committed memory no other process shares.
TMemoryNow LookAtMemory() {
  TMemoryNow m;
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  PROCESS_MEMORY_COUNTERS_EX own{};
  if (!GlobalMemoryStatusEx(&status) ||
      !K32GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&own), sizeof own))
    return m;
  m.Own = own.PrivateUsage;
  m.Available = status.ullAvailPhys;
  m.Total = status.ullTotalPhys;
  return m;
}
#else
// A small file of the proc file system, whole, as text; empty on failure.
// On the stack: nothing here allocates.
struct TProcText {
  char Text[4096];
  explicit TProcText(const char* path) {
    Text[0] = '\0';
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    size_t got = 0;
    for (ssize_t n; got + 1 < sizeof Text && (n = ::read(fd, Text + got, sizeof Text - 1 - got)) > 0;)
      got += static_cast<size_t>(n);
    Text[got] = '\0';
    ::close(fd);
  }
};

// Own: the resident memory. The tables are faulted in as they are made, so
// it is what they hold. Available: what the kernel reckons it can give
// without swapping, caches it would drop included.
TMemoryNow LookAtMemory() {
  TMemoryNow m;
  const long page = ::sysconf(_SC_PAGESIZE), pages = ::sysconf(_SC_PHYS_PAGES);
  const TProcText statm("/proc/self/statm"), meminfo("/proc/meminfo");
  const char* available = std::strstr(meminfo.Text, "MemAvailable:");
  const char* resident = std::strchr(statm.Text, ' ');
  if (page <= 0 || pages <= 0 || !available || !resident) return m;
  m.Own = std::strtoull(resident + 1, nullptr, 10) * static_cast<uint64_t>(page);
  m.Available = std::strtoull(available + 13, nullptr, 10) * 1024;
  m.Total = static_cast<uint64_t>(pages) * static_cast<uint64_t>(page);
  return m;
}
#endif

}  // namespace

void CheckMemoryFor(size_t bytes) {
  if (bytes < kLookEvery && SinceLook.fetch_add(bytes, std::memory_order_relaxed) + bytes < kLookEvery) return;
  SinceLook.store(0, std::memory_order_relaxed);
  const TMemoryNow m = LookAtMemory();
  uint64_t limit = TestCeiling.load(std::memory_order_relaxed);
  if (limit == 0) {
    if (m.Total == 0) return;  // nothing known: the allocation itself decides
    const uint64_t reserve = m.Total / 16;
    limit = std::min(m.Total / 4 * 3, m.Own + (m.Available > reserve ? m.Available - reserve : 0));
  }
  if (m.Own + bytes > limit) throw TOverMemoryCeiling();
}

void SetMemoryCeiling(uint64_t bytes) {
  TestCeiling.store(bytes, std::memory_order_relaxed);
  SinceLook.store(0, std::memory_order_relaxed);
}
