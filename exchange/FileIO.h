// The few file operations the exchange needs, on the platform's own API:
// wide paths on Windows (Japanese folder names, paths past 260 characters),
// and no blocking on a FIFO or device where a file is expected.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

// Reads a regular file; others may read it meanwhile, not write it.
class TFileReader {
 public:
  TFileReader() = default;
  TFileReader(const TFileReader&) = delete;
  TFileReader& operator=(const TFileReader&) = delete;
  ~TFileReader() { Close(); }

  bool Open(const std::filesystem::path& path);  // false unless a regular file opened
  long long Read(char* buf, size_t n);           // bytes read, 0 at the end, -1 on failure
  bool Close();

 private:
  intptr_t handle_ = -1;
};

class TFileWriter {
 public:
  TFileWriter() = default;
  TFileWriter(const TFileWriter&) = delete;
  TFileWriter& operator=(const TFileWriter&) = delete;
  ~TFileWriter() { Close(); }

  // Creates the file, or with `exclusive` only a new one; truncates otherwise.
  bool Create(const std::filesystem::path& path, bool exclusive);
  bool Write(const char* data, size_t n);
  bool Truncate();  // to length 0
  bool Close();

 private:
  intptr_t handle_ = -1;
};

bool FileExists(const std::filesystem::path& path);
// Moves `from` over `to`, replacing what is there unless it is a directory.
bool MoveFileOver(const std::filesystem::path& from, const std::filesystem::path& to);
// Deletes a file; never a directory.
bool RemoveFile(const std::filesystem::path& path);
// A number that differs between programs running at once.
unsigned long ProcessId();
