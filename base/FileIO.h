// The few file operations the exchange needs, on the platform's own API:
// wide paths on Windows (Japanese folder names, paths past 260 characters),
// and no blocking on a FIFO or device where a file is expected.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

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

// What one look at a path found, to tell later whether the file there is
// still the one that was read. Only kMissing says that no file is there;
// kUnknown (a folder that may not be entered, a network share gone) says
// nothing either way.
struct TFileStamp {
  enum TKind : uint8_t { kUnknown, kMissing, kFile, kOther };  // kOther: a directory, FIFO, device
  TKind Kind = kUnknown;
  uint64_t Device = 0, Id = 0, Size = 0;
  int64_t Modified = 0, Changed = 0;  // in the system's own units; Changed 0 where it has none
  bool operator==(const TFileStamp&) const = default;
};
// Whether two looks found the same file unchanged, or both no file; never
// where either could not look.
inline bool SameFile(const TFileStamp& a, const TFileStamp& b) {
  return a.Kind != TFileStamp::kUnknown && a == b;
}
// A look at the path; a symbolic link is followed to its target.
TFileStamp StampOf(const std::filesystem::path& path);

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
  TFileStamp Stamp() const;  // of the open file itself, wherever its name now leads

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
  // Opens a file that exists for writing, neither creating nor emptying it.
  bool OpenExisting(const std::filesystem::path& path);
  bool Write(const char* data, size_t n);
  bool Flush();     // to the disk itself, past the system's caches
  bool Truncate();  // to length 0
};

// Moves `from` over `to` in one step, replacing what is there unless it is a
// directory. The file keeps what the one it replaces had of its own, where
// the system lets us give it: the owner and permissions on POSIX, the
// attributes (read-only, hidden, system) and an access list of its own on
// Windows. The move itself is on the disk when it returns. Memory running
// out can stop it only before the move.
bool PlaceFile(const std::filesystem::path& from, const std::filesystem::path& to, TLockWait* wait = nullptr);
// Deletes a file; never a directory.
bool RemoveFile(const std::filesystem::path& path, TLockWait* wait = nullptr);
// Where a symbolic link at `path` leads, so that the file is replaced and not
// the link; `path` itself for anything else, and on Windows.
std::filesystem::path LinkTarget(const std::filesystem::path& path);
// The names in `folder` that begin with `prefix` and end with `suffix`.
std::vector<std::filesystem::path> FilesNamedLike(const std::filesystem::path& folder,
                                                  const std::filesystem::path& prefix,
                                                  const std::filesystem::path& suffix);
// A number that differs between programs running at once.
unsigned long ProcessId();

#ifdef _WIN32
// The full path as the system's wide functions take it, with "." and ".."
// taken out and the prefix that lifts the limit of 260 characters.
std::wstring Win32Path(const std::filesystem::path& path);
#endif
