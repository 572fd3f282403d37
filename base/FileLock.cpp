#include "base/FileLock.h"

#include "base/FileIO.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>

namespace {

// The mutex that stands for the file: named by the full path, in capitals
// as the file system compares names, hashed (FNV-1a) to fit a name's length.
std::wstring MutexName(const std::filesystem::path& file) {
  std::wstring full = Win32Path(file);
  CharUpperBuffW(full.data(), static_cast<DWORD>(full.size()));
  uint64_t hash = 14695981039346656037u;
  for (const wchar_t c : full) {
    hash = (hash ^ static_cast<uint16_t>(c)) * 1099511628211u;
  }
  std::wstring name = L"Local\\equidist-";
  for (int shift = 60; shift >= 0; shift -= 4) name += L"0123456789abcdef"[(hash >> shift) & 15];
  return name;
}

}  // namespace

TFileLock::TResult TFileLock::Take(const std::filesystem::path& file) {
  Release();
  lockFile_ = file;
  lockFile_ += kLockSuffix;
  const std::wstring p = Win32Path(lockFile_);
  // A lock file on its way out, its holder closing it, refuses every open
  // for a moment; one that cannot be made is not there at all.
  TLockWait wait(std::chrono::milliseconds(250));
  for (;;) {
    const HANDLE h = CreateFileW(p.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      if (GetFileType(h) == FILE_TYPE_DISK) {
        file_ = reinterpret_cast<intptr_t>(h);
        return kHeld;
      }
      CloseHandle(h);
      break;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) return kBusy;
    if (error != ERROR_ACCESS_DENIED) break;
    if (GetFileAttributesW(p.c_str()) == INVALID_FILE_ATTRIBUTES && GetLastError() == ERROR_FILE_NOT_FOUND) break;
    if (!wait.Sleep()) break;
  }
  const HANDLE m = CreateMutexW(nullptr, FALSE, MutexName(file).c_str());
  if (!m) return kUnheld;
  switch (WaitForSingleObject(m, 0)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED:  // its holder ended without letting go
      fallback_ = reinterpret_cast<intptr_t>(m);
      return kHeld;
    case WAIT_TIMEOUT:
      CloseHandle(m);
      return kBusy;
    default:
      CloseHandle(m);
      return kUnheld;
  }
}

// Closing the lock file removes it.
void TFileLock::Release() noexcept {
  if (file_ != -1) CloseHandle(reinterpret_cast<HANDLE>(file_));
  if (fallback_ != -1) {
    ReleaseMutex(reinterpret_cast<HANDLE>(fallback_));
    CloseHandle(reinterpret_cast<HANDLE>(fallback_));
  }
  file_ = fallback_ = -1;
}

#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

TFileLock::TResult TFileLock::Take(const std::filesystem::path& file) {
  Release();
  lockFile_ = file;
  lockFile_ += kLockSuffix;
  for (int attempt = 0; attempt < 100; ++attempt) {
    // Made, or one made before opened as it may be: flock binds either way.
    int fd = ::open(lockFile_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM))
      fd = ::open(lockFile_.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) break;
    struct stat held, named;
    if (::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)) {
      ::close(fd);
      break;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int error = errno;
      ::close(fd);
      if (error == EWOULDBLOCK) return kBusy;
      break;
    }
    // The holder before removes the file as it lets go: the lock on a file
    // that no longer has the name is nobody's. Another turn takes the new one.
    if (::stat(lockFile_.c_str(), &named) == 0 && named.st_dev == held.st_dev && named.st_ino == held.st_ino) {
      file_ = fd;
      return kHeld;
    }
    ::close(fd);
  }
  const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : ".";
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return kUnheld;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ::close(fd);
    return error == EWOULDBLOCK ? kBusy : kUnheld;
  }
  fallback_ = fd;
  return kHeld;
}

// The name goes while the lock is still held, so that nobody takes a lock
// on a file about to lose its name without finding out.
void TFileLock::Release() noexcept {
  if (file_ != -1) {
    ::unlink(lockFile_.c_str());
    ::close(static_cast<int>(file_));
  }
  if (fallback_ != -1) ::close(static_cast<int>(fallback_));
  file_ = fallback_ = -1;
}
#endif
