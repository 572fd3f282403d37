// The few file operations the exchange needs, on the platform's own API:
// wide paths on Windows (Japanese folder names, paths past 260 characters),
// and no blocking on a FIFO or device where a file is expected.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>

// The time file operations may spend, in all, waiting for other programs to
// let go of a file. On Windows a virus scanner, a search indexer, a backup or
// sync client often holds a fresh file open for a moment without sharing it;
// an operation that fails for such a hold is tried again after a short wait
// until it succeeds or the time is up. POSIX files are not held against other
// programs, so there nothing ever waits.
class TLockWait {
 public:
  static constexpr std::chrono::milliseconds kPatience{5000};
  static constexpr std::chrono::milliseconds kFirstWait{20}, kLongestWait{200};

  explicit TLockWait(std::chrono::milliseconds patience = kPatience);
  // Sleeps the next wait (each twice the last, up to the longest) and returns
  // true; false, without sleeping, once the time is up.
  bool Sleep();

 private:
  std::chrono::steady_clock::time_point deadline_;
  std::chrono::milliseconds next_ = kFirstWait;
};

// An open regular file; only regular files are opened, so that a FIFO or a
// device in the file's place is never waited on. Given a TLockWait, every
// operation waits out other programs' holds on the file.
class TFile {
 public:
  explicit TFile(TLockWait* wait = nullptr) : wait_(wait) {}
  TFile(const TFile&) = delete;
  TFile& operator=(const TFile&) = delete;
  ~TFile() { Close(); }
  bool Close();

 protected:
  intptr_t handle_ = -1;
  TLockWait* wait_;
};

// Reads a file; others may read it meanwhile, not write it.
class TFileReader : public TFile {
 public:
  using TFile::TFile;
  bool Open(const std::filesystem::path& path);
  long long Read(char* buf, size_t n);  // bytes read, 0 at the end, -1 on failure
};

class TFileWriter : public TFile {
 public:
  using TFile::TFile;
  // Creates the file, or with `exclusive` only a new one; truncates otherwise.
  bool Create(const std::filesystem::path& path, bool exclusive);
  bool Write(const char* data, size_t n);
  bool Flush();     // to the disk itself, past the system's caches
  bool Truncate();  // to length 0
};

// Moves `from` over `to`, replacing what is there unless it is a directory.
bool MoveFileOver(const std::filesystem::path& from, const std::filesystem::path& to,
                  TLockWait* wait = nullptr);
// Deletes a file; never a directory.
bool RemoveFile(const std::filesystem::path& path, TLockWait* wait = nullptr);
// Whether a regular file is at the path.
bool IsRegularFile(const std::filesystem::path& path);
// A number that differs between programs running at once.
unsigned long ProcessId();
