// The list of reply records with its count: each record at most 255 bytes,
// appended in order. Slots grow by the same rule as the entity tables (1000
// at a time); the bytes of all records share one buffer, so appending a
// record allocates nothing new in the common case.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/GrowTable.h"

class TOutLines {
 public:
  static constexpr size_t kMaxRecord = 255;

  int32_t Count() const { return count_; }
  constexpr const int32_t& CountRef() const { return count_; }  // for OutLineCount
  int32_t Length() const { return static_cast<int32_t>(ends_.size()); }

  // Appends the record that `fill` writes at the end of the string it is
  // given (it may only append), cut to 255 bytes. On failure nothing changes.
  template <class F>
  void AppendBuilt(F fill) {
    if (count_ == INT32_MAX) throw TTableFull();
    if (count_ + 1 > Length()) {
      CheckMemoryFor(1000 * sizeof(size_t));
      ends_.resize(static_cast<size_t>(count_) + 1000, 0);
    }
    const size_t begin = text_.size();
    try {
      fill(text_);
    } catch (...) {
      text_.resize(begin);
      throw;
    }
    if (text_.size() - begin > kMaxRecord) text_.resize(begin + kMaxRecord);
    ends_[static_cast<size_t>(count_)] = text_.size();
    ++count_;
  }

  void Append(std::string_view text) { AppendBuilt([text](std::string& s) { s.append(text); }); }

  std::string_view operator[](int32_t i) const {
    const size_t begin = i > 0 ? ends_[static_cast<size_t>(i) - 1] : 0;
    return std::string_view(text_).substr(begin, ends_[static_cast<size_t>(i)] - begin);
  }

  // Forgets the records after the first `count`.
  void Truncate(int32_t count) noexcept {
    if (count >= count_) return;
    count_ = count;
    text_.resize(count > 0 ? ends_[static_cast<size_t>(count) - 1] : 0);
  }

  void Clear() noexcept {
    std::vector<size_t>().swap(ends_);
    std::string().swap(text_);
    count_ = 0;
  }

 private:
  std::vector<size_t> ends_;  // end of each record in text_
  std::string text_;
  int32_t count_ = 0;
};
