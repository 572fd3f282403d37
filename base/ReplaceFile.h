// A file's content replaced as one step: a reader finds the old file or the
// whole new one, never part of it; and where the new content cannot be put
// in, the old is not left to be taken for it.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "base/FileIO.h"

// Takes the new content piece by piece and hands it on in large blocks, or,
// without a file, keeps all of it.
class TContentSink {
 public:
  TContentSink(TFileWriter* file, size_t block) : file_(file), block_(block) {}
  // False once the writing has failed: the content writer may stop then.
  bool Put(std::string_view s) {
    buf_.append(s);
    return buf_.size() < block_ || Flush();
  }
  bool Flush();  // what is held, to the file
  const std::string& Kept() const { return buf_; }

 private:
  TFileWriter* file_;
  size_t block_;
  std::string buf_;
};

// Puts the whole content into the sink; false when the sink refused it.
// May be called twice: a second writing must give the same bytes.
using TContentWriter = std::function<bool(TContentSink&)>;

// Replaces the file at `path` with the content, waiting a few seconds at most
// for other programs that hold the file. The content goes to a new file
// beside it, on the disk before it takes the file's place, so that a crash
// leaves the one or the other; where no new file can be made, the file is
// rewritten in place, in one write. A symbolic link stays, and its target
// takes the content. Given `read`, the look taken as the file was read, a
// file that is no longer that one is left alone.
// On failure no temporary file remains, and the file is deleted, or emptied
// where it cannot be deleted; where neither can be done, or known to have
// been done, `oldLeft` is set: the file may still hold what it held (or,
// where even emptying it failed, part of the new content).
// Throws nothing, memory running out included.
bool ReplaceFileWith(const std::filesystem::path& path, const TContentWriter& content, bool* oldLeft = nullptr,
                     const TFileStamp* read = nullptr);

// Removes the temporary files that runs stopped before their end left beside
// `file`. Only while no other program may be replacing it (under its lock).
void RemoveStaleTemps(const std::filesystem::path& file);
