// The lines of an exchange file in order, without their line ends. LF or
// CR LF ends a line and the last may lack one; a CR anywhere else is dropped
// before the line is split, so a lead byte pairs with the byte after it.
// Ctrl-Z at the start of a line ends the input; inside a line it is one more
// byte. Lines may be of any length: the file is read in chunks.
#pragma once

#include <string>
#include <string_view>

#include "base/FileIO.h"

class TLineSource {
 public:
  explicit TLineSource(TFileReader& file) : file_(file) {}

  // The next line, valid until the next call. False at the end of the input
  // or when reading failed, which Failed() then tells.
  bool Next(std::string_view& line);
  bool Failed() const { return failed_; }

 private:
  static constexpr size_t kChunk = 1 << 20;

  bool Fill();  // the next chunk; false at the end of the file or on failure
  std::string_view WithoutCr(std::string_view line);

  TFileReader& file_;
  std::string buf_;
  const char* p_ = nullptr;  // the unread part of the chunk
  const char* end_ = nullptr;
  std::string pending_;  // a line that runs past the end of a chunk
  bool pendingGiven_ = false;
  std::string noCr_;
  bool done_ = false, failed_ = false;
};
