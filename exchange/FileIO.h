// The few file operations the exchange needs, on the platform's own API:
// wide paths on Windows (Japanese folder names, paths past 260 characters),
// and no blocking on a FIFO or device where a file is expected.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

// An open regular file; only regular files are opened, so that a FIFO or a
// device in the file's place is never waited on.
class TFile {
 public:
  TFile() = default;
  TFile(const TFile&) = delete;
  TFile& operator=(const TFile&) = delete;
  ~TFile() { Close(); }
  bool Close();

 protected:
  intptr_t handle_ = -1;
};

// Reads a file; others may read it meanwhile, not write it.
class TFileReader : public TFile {
 public:
  bool Open(const std::filesystem::path& path);
  long long Read(char* buf, size_t n);  // bytes read, 0 at the end, -1 on failure
};

class TFileWriter : public TFile {
 public:
  // Creates the file, or with `exclusive` only a new one; truncates otherwise.
  bool Create(const std::filesystem::path& path, bool exclusive);
  bool Write(const char* data, size_t n);
  bool Truncate();  // to length 0
};

// Moves `from` over `to`, replacing what is there unless it is a directory.
bool MoveFileOver(const std::filesystem::path& from, const std::filesystem::path& to);
// Deletes a file; never a directory.
bool RemoveFile(const std::filesystem::path& path);
// A number that differs between programs running at once.
unsigned long ProcessId();
