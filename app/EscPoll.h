// Reads the ESC key's asynchronous state at most every few milliseconds: the
// walk asks before every segment and point, and on X11 or under Wine each
// real read is a round trip. A key press lasts far longer than the interval.
#pragma once

#include <chrono>

template <class ReadKey>
class TEscPoll {
 public:
  explicit TEscPoll(ReadKey read) : read_(read) {}

  bool operator()() {
    const auto now = std::chrono::steady_clock::now();
    if (!read_once_ || now - last_ >= kInterval) {
      read_once_ = true;
      last_ = now;
      down_ = read_();
    }
    return down_;
  }

 private:
  static constexpr std::chrono::milliseconds kInterval{5};
  ReadKey read_;
  bool read_once_ = false;
  bool down_ = false;
  std::chrono::steady_clock::time_point last_;
};
