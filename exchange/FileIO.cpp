#include "exchange/FileIO.h"

#include <algorithm>
#include <thread>

TLockWait::TLockWait(std::chrono::milliseconds patience)
    : deadline_(std::chrono::steady_clock::now() + patience) {}

bool TLockWait::Sleep() {
  const auto left = deadline_ - std::chrono::steady_clock::now();
  if (left <= left.zero()) return false;
  std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(next_, left));
  next_ = std::min(next_ * 2, kLongestWait);
  return true;
}

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

// Absolute paths go through the "\\?\" form so that they may exceed MAX_PATH.
std::wstring Win32Path(const std::filesystem::path& path) {
  std::wstring p = path.wstring();
  for (auto& c : p)
    if (c == L'/') c = L'\\';
  if (p.rfind(L"\\\\?\\", 0) == 0 || !path.is_absolute()) return p;
  if (p.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + p.substr(2);
  return L"\\\\?\\" + p;
}

HANDLE H(intptr_t h) { return reinterpret_cast<HANDLE>(h); }

// The handle of a file on disk, or -1 (the handle closed) for anything else.
intptr_t DiskFileOnly(HANDLE h) {
  if (h == INVALID_HANDLE_VALUE) return -1;
  if (GetFileType(h) == FILE_TYPE_DISK) return reinterpret_cast<intptr_t>(h);
  CloseHandle(h);
  return -1;
}

// What another program's hold on a file gives: the file open without sharing,
// a range of it locked, or the file mapped into memory.
bool IsHoldError(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_USER_MAPPED_FILE;
}

// Whether `error`, from an operation that needed `access` to the existing file
// at `path`, may come from another program's passing hold. Replacing or
// deleting a file that is open elsewhere is refused as access denied; a lasting
// refusal (permissions, a read-only file) is told apart by asking for the same
// access with every kind of sharing allowed.
bool HeldElsewhere(DWORD error, const std::wstring& path, DWORD access) {
  if (IsHoldError(error)) return true;
  if (error != ERROR_ACCESS_DENIED || path.empty()) return false;
  const DWORD attrs = GetFileAttributesW(path.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES || (attrs & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
    return false;
  const HANDLE h = CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return IsHoldError(GetLastError());
  CloseHandle(h);
  return true;  // granted now: whatever refused it has let go meanwhile
}

// Runs `op` until it succeeds, fails for anything but a hold, or the wait's
// time is up; `path` and `access` name what it needs of an existing file.
// The last error is that of the last attempt.
template <class Op>
bool Retrying(TLockWait* wait, const std::wstring& path, DWORD access, Op op) {
  for (;;) {
    if (op()) return true;
    const DWORD error = GetLastError();
    if (!wait || !HeldElsewhere(error, path, access) || !wait->Sleep()) {
      SetLastError(error);
      return false;
    }
  }
}

}  // namespace

bool TFile::Close() {
  if (handle_ == -1) return true;
  const bool ok = CloseHandle(H(handle_));
  handle_ = -1;
  return ok;
}

bool TFileReader::Open(const std::filesystem::path& path) {
  Close();
  const std::wstring p = Win32Path(path);
  HANDLE h = INVALID_HANDLE_VALUE;
  Retrying(wait_, p, GENERIC_READ, [&] {
    h = CreateFileW(p.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                    FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    return h != INVALID_HANDLE_VALUE;
  });
  handle_ = DiskFileOnly(h);
  return handle_ != -1;
}

long long TFileReader::Read(char* buf, size_t n) {
  DWORD got = 0;
  const DWORD want = n > (1u << 30) ? (1u << 30) : static_cast<DWORD>(n);
  if (!Retrying(wait_, {}, 0, [&] { return ReadFile(H(handle_), buf, want, &got, nullptr) != 0; }))
    return -1;
  return got;
}

bool TFileWriter::Create(const std::filesystem::path& path, bool exclusive) {
  Close();
  const std::wstring p = Win32Path(path);
  HANDLE h = INVALID_HANDLE_VALUE;
  // An existing file is opened and then emptied, rather than created anew,
  // which would be refused for a hidden one.
  Retrying(wait_, p, GENERIC_WRITE, [&] {
    h = CreateFileW(p.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, exclusive ? CREATE_NEW : OPEN_ALWAYS,
                    FILE_ATTRIBUTE_NORMAL, nullptr);
    return h != INVALID_HANDLE_VALUE;
  });
  handle_ = DiskFileOnly(h);
  if (handle_ == -1) return false;
  if (exclusive || Truncate()) return true;
  Close();
  return false;
}

bool TFileWriter::Write(const char* data, size_t n) {
  while (n > 0) {
    const DWORD want = n > (1u << 30) ? (1u << 30) : static_cast<DWORD>(n);
    DWORD put = 0;
    if (!Retrying(wait_, {}, 0, [&] { return WriteFile(H(handle_), data, want, &put, nullptr) != 0; }) ||
        put == 0)
      return false;
    data += put;
    n -= put;
  }
  return true;
}

bool TFileWriter::Flush() {
  return Retrying(wait_, {}, 0, [&] { return FlushFileBuffers(H(handle_)) != 0; });
}

bool TFileWriter::Truncate() {
  return Retrying(wait_, {}, 0, [&] {
    LARGE_INTEGER zero{};
    return SetFilePointerEx(H(handle_), zero, nullptr, FILE_BEGIN) && SetEndOfFile(H(handle_));
  });
}

bool MoveFileOver(const std::filesystem::path& from, const std::filesystem::path& to, TLockWait* wait) {
  const std::wstring f = Win32Path(from), t = Win32Path(to);
  return Retrying(wait, t, DELETE,
                  [&] { return MoveFileExW(f.c_str(), t.c_str(), MOVEFILE_REPLACE_EXISTING) != 0; });
}

bool RemoveFile(const std::filesystem::path& path, TLockWait* wait) {
  const std::wstring p = Win32Path(path);
  const DWORD attrs = GetFileAttributesW(p.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES || (attrs & FILE_ATTRIBUTE_DIRECTORY)) return false;
  if (attrs & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(p.c_str(), attrs & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  return Retrying(wait, p, DELETE, [&] { return DeleteFileW(p.c_str()) != 0; });
}

bool IsRegularFile(const std::filesystem::path& path) {
  const DWORD attrs = GetFileAttributesW(Win32Path(path).c_str());
  return attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY);
}

unsigned long ProcessId() { return GetCurrentProcessId(); }

#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The descriptor of a regular file, or -1 (the descriptor closed) for anything
// else. Files are opened non-blocking, so that a FIFO cannot stall the open.
intptr_t RegularFileOnly(int fd) {
  if (fd < 0) return -1;
  struct stat st;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) return fd;
  ::close(fd);
  return -1;
}

}  // namespace

bool TFile::Close() {
  if (handle_ == -1) return true;
  const bool ok = ::close(static_cast<int>(handle_)) == 0;
  handle_ = -1;
  return ok;
}

bool TFileReader::Open(const std::filesystem::path& path) {
  Close();
  handle_ = RegularFileOnly(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  return handle_ != -1;
}

long long TFileReader::Read(char* buf, size_t n) {
  for (;;) {
    const ssize_t got = ::read(static_cast<int>(handle_), buf, n);
    if (got >= 0) return got;
    if (errno != EINTR) return -1;
  }
}

bool TFileWriter::Create(const std::filesystem::path& path, bool exclusive) {
  Close();
  const int flags = O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC | (exclusive ? O_EXCL : O_TRUNC);
  handle_ = RegularFileOnly(::open(path.c_str(), flags, 0666));
  return handle_ != -1;
}

bool TFileWriter::Write(const char* data, size_t n) {
  while (n > 0) {
    const ssize_t put = ::write(static_cast<int>(handle_), data, n);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    data += put;
    n -= static_cast<size_t>(put);
  }
  return true;
}

bool TFileWriter::Flush() {
  for (;;) {
    if (::fsync(static_cast<int>(handle_)) == 0) return true;
    if (errno != EINTR) return false;
  }
}

bool TFileWriter::Truncate() { return ::ftruncate(static_cast<int>(handle_), 0) == 0; }

bool MoveFileOver(const std::filesystem::path& from, const std::filesystem::path& to, TLockWait*) {
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool RemoveFile(const std::filesystem::path& path, TLockWait*) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  return ::unlink(path.c_str()) == 0;
}

bool IsRegularFile(const std::filesystem::path& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

unsigned long ProcessId() { return static_cast<unsigned long>(::getpid()); }
#endif
