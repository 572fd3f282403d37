// The list of reply records: each at most 255 bytes, appended in order. Slots
// grow by the same rule as the entity tables (1000 at a time); the bytes of
// all records share one buffer, so appending a record allocates nothing new
// in the common case.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TOutLines {
 public:
  static constexpr size_t kMaxRecord = 255;

  int32_t Length() const { return static_cast<int32_t>(ends_.size()); }

  // Stores record number `count` (counting from 1, one more than the last),
  // cut to 255 bytes.
  void Put(int32_t count, std::string_view text) {
    if (count > Length()) ends_.resize(static_cast<size_t>(count) + 999, 0);
    if (text.size() > kMaxRecord) text = text.substr(0, kMaxRecord);
    text_.append(text);
    ends_[static_cast<size_t>(count) - 1] = text_.size();
  }

  std::string_view operator[](int32_t i) const {
    const size_t begin = i > 0 ? ends_[static_cast<size_t>(i) - 1] : 0;
    return std::string_view(text_).substr(begin, ends_[static_cast<size_t>(i)] - begin);
  }

  // Forgets the records after the first `count`.
  void Truncate(int32_t count) {
    text_.resize(count > 0 ? ends_[static_cast<size_t>(count) - 1] : 0);
  }

  void Clear() {
    std::vector<size_t>().swap(ends_);
    std::string().swap(text_);
  }

 private:
  std::vector<size_t> ends_;  // end of each record in text_
  std::string text_;
};
