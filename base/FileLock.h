// One program at a time on one file. Whoever holds the lock may read and
// replace the file; a second program finds it held and leaves the file alone.
//
// The lock is a file beside the file it guards, NAME.lock: named after it,
// so that it sorts beside it and is plainly ours. It is held with flock
// (POSIX) or open without sharing (Windows), so the system lets go of it when
// a program ends in any way, killed too: a lock file left behind never
// stands in the way. It is removed as the lock is let go. Where no lock file
// can be made (a folder that may not be written), the folder itself is
// locked (POSIX), or a named mutex of the session stands for the file
// (Windows).
#pragma once

#include <cstdint>
#include <filesystem>

class TFileLock {
 public:
  enum TResult {
    kHeld,     // ours until Release
    kBusy,     // another program holds it
    kUnheld,   // no lock could be had (the folder cannot even be looked at): go on without
  };

  TFileLock() = default;
  TFileLock(const TFileLock&) = delete;
  TFileLock& operator=(const TFileLock&) = delete;
  ~TFileLock() { Release(); }

  TResult Take(const std::filesystem::path& file);
  bool Held() const { return file_ != -1 || fallback_ != -1; }
  // Removes the lock file and lets go. Allocates nothing, fails never.
  void Release() noexcept;

 private:
  intptr_t file_ = -1;      // the lock file, held
  intptr_t fallback_ = -1;  // the folder (POSIX) or the mutex (Windows), held
  std::filesystem::path lockFile_;
};

inline constexpr char kLockSuffix[] = ".lock";
