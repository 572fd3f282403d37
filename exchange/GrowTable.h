// A table of records with its count. It grows in blocks of 1000 zeroed
// records: when the count passes the length (at 1, 1001, 2001, ...) the
// length becomes count + 999. Blocks are never moved, so growing costs no
// copying and records keep their addresses. The count changes only with the
// records: an append that fails changes neither.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "base/MemoryCeiling.h"
#include "base/Prefault.h"

// A table whose count would pass what an int32 holds takes no record more:
// it fails as running out of memory does, on the same paths.
struct TTableFull : std::bad_alloc {
  const char* what() const noexcept override { return "table full"; }
};

template <class T>
class TGrowTable {
 public:
  static constexpr int32_t kBlock = 1000;

  int32_t Count() const { return count_; }
  // For the name the exchange format gives the count (LineCount, ...).
  constexpr const int32_t& CountRef() const { return count_; }
  int32_t Length() const { return static_cast<int32_t>(blocks_.size()) * kBlock; }

  T& operator[](int32_t i) { return blocks_[static_cast<size_t>(i / kBlock)].get()[i % kBlock]; }
  const T& operator[](int32_t i) const {
    return blocks_[static_cast<size_t>(i / kBlock)].get()[i % kBlock];
  }

  // Makes room for one record more, by the growth rule above; throws
  // std::bad_alloc, the table unchanged, when there is none.
  void ReserveOne() {
    if (count_ >= INT32_MAX - kBlock) throw TTableFull();
    while (count_ + 1 > Length()) {
      CheckMemoryFor(sizeof(T) * kBlock);
      blocks_.reserve(blocks_.size() + 1);
      T* raw = static_cast<T*>(::operator new(sizeof(T) * kBlock));
      PrefaultForWrite(raw, sizeof(T) * kBlock);
      std::uninitialized_value_construct_n(raw, kBlock);  // zero records; nothing here throws
      blocks_.emplace_back(raw);
    }
  }

  // Appends a zero record and counts it.
  T& Append() {
    ReserveOne();
    return (*this)[count_++];
  }

  // Forgets the records from index `count` on: they are zero again and the
  // blocks no longer needed are released, as if they had never been appended.
  void Truncate(int32_t count) noexcept {
    if (count >= count_) return;
    count_ = count;
    const size_t keep = static_cast<size_t>((count + kBlock - 1) / kBlock);
    if (blocks_.size() > keep) blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(keep), blocks_.end());
    for (int32_t i = count; i < Length(); ++i) (*this)[i] = T{};
  }

  // Count 0, memory released.
  void Clear() noexcept {
    std::vector<TBlock>().swap(blocks_);
    count_ = 0;
  }

 private:
  struct TFree {
    void operator()(T* block) const {
      std::destroy_n(block, kBlock);
      ::operator delete(block);
    }
  };
  using TBlock = std::unique_ptr<T, TFree>;
  std::vector<TBlock> blocks_;
  int32_t count_ = 0;
};
