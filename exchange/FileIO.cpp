#include "exchange/FileIO.h"

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

}  // namespace

bool TFile::Close() {
  if (handle_ == -1) return true;
  const bool ok = CloseHandle(H(handle_));
  handle_ = -1;
  return ok;
}

bool TFileReader::Open(const std::filesystem::path& path) {
  Close();
  handle_ = DiskFileOnly(CreateFileW(Win32Path(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  return handle_ != -1;
}

long long TFileReader::Read(char* buf, size_t n) {
  DWORD got = 0;
  const DWORD want = n > (1u << 30) ? (1u << 30) : static_cast<DWORD>(n);
  if (!ReadFile(H(handle_), buf, want, &got, nullptr)) return -1;
  return got;
}

bool TFileWriter::Create(const std::filesystem::path& path, bool exclusive) {
  Close();
  handle_ = DiskFileOnly(CreateFileW(Win32Path(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                     exclusive ? CREATE_NEW : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  return handle_ != -1;
}

bool TFileWriter::Write(const char* data, size_t n) {
  while (n > 0) {
    const DWORD want = n > (1u << 30) ? (1u << 30) : static_cast<DWORD>(n);
    DWORD put = 0;
    if (!WriteFile(H(handle_), data, want, &put, nullptr) || put == 0) return false;
    data += put;
    n -= put;
  }
  return true;
}

bool TFileWriter::Truncate() {
  LARGE_INTEGER zero{};
  return SetFilePointerEx(H(handle_), zero, nullptr, FILE_BEGIN) && SetEndOfFile(H(handle_));
}

bool MoveFileOver(const std::filesystem::path& from, const std::filesystem::path& to) {
  return MoveFileExW(Win32Path(from).c_str(), Win32Path(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING) != 0;
}

bool RemoveFile(const std::filesystem::path& path) {
  const std::wstring p = Win32Path(path);
  const DWORD attrs = GetFileAttributesW(p.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES || (attrs & FILE_ATTRIBUTE_DIRECTORY)) return false;
  if (attrs & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(p.c_str(), attrs & ~FILE_ATTRIBUTE_READONLY);
  return DeleteFileW(p.c_str()) != 0;
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

bool TFileWriter::Truncate() { return ::ftruncate(static_cast<int>(handle_), 0) == 0; }

bool MoveFileOver(const std::filesystem::path& from, const std::filesystem::path& to) {
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool RemoveFile(const std::filesystem::path& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  return ::unlink(path.c_str()) == 0;
}

unsigned long ProcessId() { return static_cast<unsigned long>(::getpid()); }
#endif
