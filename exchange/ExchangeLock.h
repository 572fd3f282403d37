// One exchange at a time on one exchange file. The host may start the
// program twice, or the user start it again while it is still open: the
// second would read the first one's reply as its selection, or the two
// write the file at once. Whoever holds the lock reads the file and places
// the reply; a second program finds it held and leaves the file alone.
//
// The lock is a file beside the exchange file, QZT_TEMP.TXT.lock: named
// after the file it guards, so that it sorts beside it and is plainly ours.
// It is held with flock (POSIX) or open without sharing (Windows), so the
// system lets go of it when a program ends in any way, killed too: a lock
// file left behind never stands in the way. It is removed as the lock is
// let go. Where no lock file can be made (a folder that may not be written),
// the folder itself is locked (POSIX), or a named mutex of the session
// stands for the file (Windows).
#pragma once

#include <cstdint>
#include <filesystem>

class TExchangeLock {
 public:
  enum TResult {
    kHeld,     // ours until Release
    kBusy,     // another program holds it
    kUnheld,   // no lock could be had (the folder cannot even be looked at): go on without
  };

  TExchangeLock() = default;
  TExchangeLock(const TExchangeLock&) = delete;
  TExchangeLock& operator=(const TExchangeLock&) = delete;
  ~TExchangeLock() { Release(); }

  TResult Take(const std::filesystem::path& exchangeFile);
  bool Held() const { return file_ != -1 || fallback_ != -1; }
  // Removes the lock file and lets go. Allocates nothing, fails never.
  void Release() noexcept;

 private:
  intptr_t file_ = -1;      // the lock file, held
  intptr_t fallback_ = -1;  // the folder (POSIX) or the mutex (Windows), held
  std::filesystem::path lockFile_;
};

inline constexpr char kLockSuffix[] = ".lock";
