#include "exchange/LineSource.h"

#include <cstring>

bool TLineSource::Fill() {
  if (buf_.empty()) buf_.resize(kChunk);
  const long long got = file_.Read(buf_.data(), kChunk);
  if (got < 0) failed_ = true;
  if (got <= 0) return false;
  p_ = buf_.data();
  end_ = p_ + got;
  return true;
}

std::string_view TLineSource::WithoutCr(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (!std::memchr(line.data(), '\r', line.size())) return line;
  noCr_.clear();
  for (char c : line)
    if (c != '\r') noCr_ += c;
  return noCr_;
}

bool TLineSource::Next(std::string_view& line) {
  if (pendingGiven_) {
    pending_.clear();
    pendingGiven_ = false;
  }
  while (!done_) {
    if (p_ == end_ && !Fill()) {
      done_ = true;
      if (failed_ || pending_.empty()) return false;
      line = WithoutCr(pending_);  // the last line, without a line end
      pendingGiven_ = true;
      return true;
    }
    // Each turn begins a line, except where a line runs on from the chunk before.
    if (pending_.empty() && *p_ == '\x1A') {
      done_ = true;
      return false;
    }
    const char* lf = static_cast<const char*>(std::memchr(p_, '\n', static_cast<size_t>(end_ - p_)));
    if (!lf) {
      pending_.append(p_, end_);
      p_ = end_;
      continue;
    }
    if (pending_.empty()) {
      line = WithoutCr(std::string_view(p_, static_cast<size_t>(lf - p_)));
    } else {
      pending_.append(p_, lf);
      line = WithoutCr(pending_);
      pendingGiven_ = true;
    }
    p_ = lf + 1;
    return true;
  }
  return false;
}
