#include "base/FileIO.h"

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
#include <aclapi.h>

// Paths go through the "\\?\" form so that they may exceed MAX_PATH. The
// system takes "." and ".." out of a path only without that prefix, and
// makes a relative one absolute: that is done first.
std::wstring Win32Path(const std::filesystem::path& path) {
  std::wstring p = path.wstring();
  for (auto& c : p)
    if (c == L'/') c = L'\\';
  if (p.empty() || p.rfind(L"\\\\?\\", 0) == 0 || p.rfind(L"\\\\.\\", 0) == 0) return p;
  const DWORD n = GetFullPathNameW(p.c_str(), 0, nullptr, nullptr);
  if (n == 0) return p;
  std::wstring full(n, L'\0');
  const DWORD got = GetFullPathNameW(p.c_str(), n, full.data(), nullptr);
  if (got == 0 || got >= n) return p;
  full.resize(got);
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

namespace {

HANDLE AsHandle(intptr_t h) { return reinterpret_cast<HANDLE>(h); }

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
  const bool ok = CloseHandle(AsHandle(handle_));
  handle_ = -1;
  return ok;
}

namespace {

int64_t Ticks(FILETIME t) { return static_cast<int64_t>((uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime); }

TFileStamp StampOfHandle(HANDLE h) {
  BY_HANDLE_FILE_INFORMATION info{};
  TFileStamp s;
  if (!GetFileInformationByHandle(h, &info)) return s;
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || GetFileType(h) != FILE_TYPE_DISK) {
    s.Kind = TFileStamp::kOther;
    return s;
  }
  s.Kind = TFileStamp::kFile;
  s.Device = info.dwVolumeSerialNumber;
  s.Id = (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  s.Size = (uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  s.Modified = Ticks(info.ftLastWriteTime);
  return s;
}

}  // namespace

TFileStamp TFile::Stamp() const { return handle_ == -1 ? TFileStamp{} : StampOfHandle(AsHandle(handle_)); }

// Asking for the attributes alone is refused by no other program's hold.
TFileStamp StampOf(const std::filesystem::path& path) {
  const HANDLE h = CreateFileW(Win32Path(path).c_str(), FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    TFileStamp s;
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) s.Kind = TFileStamp::kMissing;
    return s;
  }
  const TFileStamp s = StampOfHandle(h);
  CloseHandle(h);
  return s;
}

namespace {

// Opens a file as CreateFileW does, others allowed to read it meanwhile, and
// waits out other programs' holds: the handle of a file on disk, or -1.
intptr_t OpenDiskFile(TLockWait* wait, const std::filesystem::path& path, DWORD access, DWORD disposition,
                      DWORD flags) {
  const std::wstring p = Win32Path(path);
  HANDLE h = INVALID_HANDLE_VALUE;
  Retrying(wait, p, access, [&] {
    h = CreateFileW(p.c_str(), access, FILE_SHARE_READ, nullptr, disposition, flags, nullptr);
    return h != INVALID_HANDLE_VALUE;
  });
  return DiskFileOnly(h);
}

}  // namespace

bool TFileReader::Open(const std::filesystem::path& path) {
  Close();
  handle_ = OpenDiskFile(wait_, path, GENERIC_READ, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN);
  return handle_ != -1;
}

long long TFileReader::Read(char* buf, size_t n) {
  DWORD got = 0;
  const DWORD want = n > (1u << 30) ? (1u << 30) : static_cast<DWORD>(n);
  if (!Retrying(wait_, {}, 0, [&] { return ReadFile(AsHandle(handle_), buf, want, &got, nullptr) != 0; }))
    return -1;
  return got;
}

bool TFileWriter::Create(const std::filesystem::path& path, bool exclusive) {
  Close();
  // An existing file is opened and then emptied, rather than created anew,
  // which would be refused for a hidden one.
  handle_ = OpenDiskFile(wait_, path, GENERIC_WRITE, exclusive ? CREATE_NEW : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL);
  if (handle_ == -1) return false;
  if (exclusive || Truncate()) return true;
  Close();
  return false;
}

bool TFileWriter::OpenExisting(const std::filesystem::path& path) {
  Close();
  handle_ = OpenDiskFile(wait_, path, GENERIC_WRITE, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
  return handle_ != -1;
}

bool TFileWriter::Write(const char* data, size_t n) {
  while (n > 0) {
    const DWORD want = n > (1u << 30) ? (1u << 30) : static_cast<DWORD>(n);
    DWORD put = 0;
    if (!Retrying(wait_, {}, 0, [&] { return WriteFile(AsHandle(handle_), data, want, &put, nullptr) != 0; }) ||
        put == 0)
      return false;
    data += put;
    n -= put;
  }
  return true;
}

bool TFileWriter::Flush() {
  return Retrying(wait_, {}, 0, [&] { return FlushFileBuffers(AsHandle(handle_)) != 0; });
}

bool TFileWriter::Truncate() {
  return Retrying(wait_, {}, 0, [&] {
    LARGE_INTEGER zero{};
    return SetFilePointerEx(AsHandle(handle_), zero, nullptr, FILE_BEGIN) && SetEndOfFile(AsHandle(handle_));
  });
}

namespace {

// An access list set on the file itself, or shielded from its folder's, goes
// with the reply; one inherited from the folder, the usual case, the reply
// takes from the folder as it is made. Where it cannot be read or given,
// the reply has the folder's.
void CopyOwnAccessList(const std::wstring& from, const std::wstring& to) {
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR sd = nullptr;
  if (GetNamedSecurityInfoW(from.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                            nullptr, &sd) != ERROR_SUCCESS)
    return;
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  bool own = false;
  if (dacl && GetSecurityDescriptorControl(sd, &control, &revision)) {
    own = (control & SE_DACL_PROTECTED) != 0;
    for (DWORD i = 0; !own && i < dacl->AceCount; ++i) {
      void* ace = nullptr;
      own = GetAce(dacl, i, &ace) && !(static_cast<ACE_HEADER*>(ace)->AceFlags & INHERITED_ACE);
    }
  }
  if (own) {
    const SECURITY_INFORMATION what = DACL_SECURITY_INFORMATION | ((control & SE_DACL_PROTECTED)
                                                                       ? PROTECTED_DACL_SECURITY_INFORMATION
                                                                       : UNPROTECTED_DACL_SECURITY_INFORMATION);
    SetNamedSecurityInfoW(const_cast<wchar_t*>(to.c_str()), SE_FILE_OBJECT, what, nullptr, nullptr, dacl, nullptr);
  }
  LocalFree(sd);
}

}  // namespace

// A read-only file cannot be replaced: its flag goes first and comes back on
// the reply, or on the file itself when the move fails.
bool PlaceFile(const std::filesystem::path& from, const std::filesystem::path& to, TLockWait* wait) {
  const std::wstring f = Win32Path(from), t = Win32Path(to);
  const DWORD attrs = GetFileAttributesW(t.c_str());
  bool readOnly = false;
  if (attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY)) {
    CopyOwnAccessList(t, f);
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    if (attrs & kKept) SetFileAttributesW(f.c_str(), attrs & (kKept | FILE_ATTRIBUTE_ARCHIVE));
    readOnly = (attrs & FILE_ATTRIBUTE_READONLY) &&
               SetFileAttributesW(t.c_str(), attrs & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  }
  const bool moved = Retrying(wait, t, DELETE, [&] {
    return MoveFileExW(f.c_str(), t.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  });
  if (readOnly) {
    const DWORD error = GetLastError();
    const DWORD now = GetFileAttributesW(t.c_str());
    if (now != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(t.c_str(), now | FILE_ATTRIBUTE_READONLY);
    SetLastError(error);
  }
  return moved;
}

bool RemoveFile(const std::filesystem::path& path, TLockWait* wait) {
  const std::wstring p = Win32Path(path);
  const DWORD attrs = GetFileAttributesW(p.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES || (attrs & FILE_ATTRIBUTE_DIRECTORY)) return false;
  if (attrs & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(p.c_str(), attrs & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  return Retrying(wait, p, DELETE, [&] { return DeleteFileW(p.c_str()) != 0; });
}

std::filesystem::path LinkTarget(const std::filesystem::path& path) { return path; }

std::vector<std::filesystem::path> FilesNamedLike(const std::filesystem::path& folder,
                                                  const std::filesystem::path& prefix,
                                                  const std::filesystem::path& suffix) {
  std::vector<std::filesystem::path> names;
  const std::wstring pre = prefix.wstring(), suf = suffix.wstring();
  WIN32_FIND_DATAW found;
  // The pattern may match a short name too: the long name decides.
  const HANDLE h = FindFirstFileExW(Win32Path(folder / (pre + L"*" + suf)).c_str(), FindExInfoBasic, &found,
                                    FindExSearchNameMatch, nullptr, 0);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = found.cFileName;
    if (name.size() >= pre.size() + suf.size() && name.compare(0, pre.size(), pre) == 0 &&
        name.compare(name.size() - suf.size(), suf.size(), suf) == 0)
      names.emplace_back(name);
  } while (FindNextFileW(h, &found));
  FindClose(h);
  return names;
}

unsigned long ProcessId() { return GetCurrentProcessId(); }

#else
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
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

namespace {

TFileStamp StampOfStat(const struct stat& st) {
  TFileStamp s;
  if (!S_ISREG(st.st_mode)) {
    s.Kind = TFileStamp::kOther;
    return s;
  }
  s.Kind = TFileStamp::kFile;
  s.Device = static_cast<uint64_t>(st.st_dev);
  s.Id = static_cast<uint64_t>(st.st_ino);
  s.Size = static_cast<uint64_t>(st.st_size);
  s.Modified = int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
  s.Changed = int64_t{st.st_ctim.tv_sec} * 1000000000 + st.st_ctim.tv_nsec;
  return s;
}

}  // namespace

TFileStamp TFile::Stamp() const {
  struct stat st;
  if (handle_ == -1 || ::fstat(static_cast<int>(handle_), &st) != 0) return {};
  return StampOfStat(st);
}

TFileStamp StampOf(const std::filesystem::path& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) return StampOfStat(st);
  TFileStamp s;
  if (errno == ENOENT || errno == ENOTDIR) s.Kind = TFileStamp::kMissing;
  return s;
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

bool TFileWriter::OpenExisting(const std::filesystem::path& path) {
  Close();
  handle_ = RegularFileOnly(::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
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

bool TFileWriter::Truncate() {
  for (;;) {
    if (::ftruncate(static_cast<int>(handle_), 0) == 0) return true;
    if (errno != EINTR) return false;
  }
}

// The owner first: a change of owner clears the set-id bits the mode then
// gives back. Neither is needed for the reply to be right: a user may give
// a file to no other user, nor to a group not theirs.
bool PlaceFile(const std::filesystem::path& from, const std::filesystem::path& to, TLockWait*) {
  struct stat st;
  if (::stat(to.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
    if (::chown(from.c_str(), st.st_uid, st.st_gid) != 0) {
      // the reply stays ours
    }
    ::chmod(from.c_str(), st.st_mode & 07777);
  }
  // The new name in the folder reaches the disk too; a file system that
  // cannot sync a folder has it there by its own means. Its path is made
  // first: once the reply is in place, nothing may fail for memory.
  const std::filesystem::path folder = to.has_parent_path() ? to.parent_path() : std::filesystem::path(".");
  if (::rename(from.c_str(), to.c_str()) != 0) return false;
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    while (::fsync(fd) != 0 && errno == EINTR) {
    }
    ::close(fd);
  }
  return true;
}

bool RemoveFile(const std::filesystem::path& path, TLockWait*) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  return ::unlink(path.c_str()) == 0;
}

std::filesystem::path LinkTarget(const std::filesystem::path& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char* target = ::realpath(path.c_str(), nullptr);
  if (!target) return path;  // a link to nothing is replaced itself
  std::filesystem::path resolved;
  try {
    resolved = target;
  } catch (...) {
    std::free(target);
    throw;
  }
  std::free(target);
  return resolved;
}

std::vector<std::filesystem::path> FilesNamedLike(const std::filesystem::path& folder,
                                                  const std::filesystem::path& prefix,
                                                  const std::filesystem::path& suffix) {
  std::vector<std::filesystem::path> names;
  const std::string& pre = prefix.native();
  const std::string& suf = suffix.native();
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return names;
  try {
    while (const dirent* e = ::readdir(dir)) {
      const std::string_view name = e->d_name;
      if (name.size() >= pre.size() + suf.size() && name.starts_with(pre) && name.ends_with(suf))
        names.emplace_back(name);
    }
  } catch (...) {
    ::closedir(dir);
    throw;
  }
  ::closedir(dir);
  return names;
}

unsigned long ProcessId() { return static_cast<unsigned long>(::getpid()); }
#endif
