// A table that grows in blocks of 1000 zeroed records: when the count passes
// the length (at 1, 1001, 2001, ...) the length becomes count + 999. Blocks are
// never moved, so growing costs no copying and records keep their addresses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "exchange/Prefault.h"

// A table whose count would pass what an int32 holds takes no record more:
// it fails as running out of memory does, on the same paths.
struct TTableFull : std::bad_alloc {
  const char* what() const noexcept override { return "table full"; }
};

template <class T>
class TGrowTable {
 public:
  static constexpr int32_t kBlock = 1000;

  int32_t Length() const { return static_cast<int32_t>(blocks_.size()) * kBlock; }

  // Makes record number `count` (counting from 1) exist.
  void GrowFor(int32_t count) {
    while (count > Length()) {
      blocks_.reserve(blocks_.size() + 1);
      T* raw = static_cast<T*>(::operator new(sizeof(T) * kBlock));
      PrefaultForWrite(raw, sizeof(T) * kBlock);
      std::uninitialized_value_construct_n(raw, kBlock);  // zero records; nothing here throws
      blocks_.emplace_back(raw);
    }
  }

  T& operator[](int32_t i) { return blocks_[static_cast<size_t>(i / kBlock)].get()[i % kBlock]; }
  const T& operator[](int32_t i) const {
    return blocks_[static_cast<size_t>(i / kBlock)].get()[i % kBlock];
  }

  // Forgets the records from index `count` on: they are zero again and the
  // blocks no longer needed are released, as if they had never been appended.
  void Truncate(int32_t count) noexcept {
    const size_t keep = static_cast<size_t>((count + kBlock - 1) / kBlock);
    if (blocks_.size() > keep) blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(keep), blocks_.end());
    for (int32_t i = count; i < Length(); ++i) (*this)[i] = T{};
  }

  // Length 0, memory released.
  void Clear() { std::vector<TBlock>().swap(blocks_); }

 private:
  struct TFree {
    void operator()(T* block) const {
      std::destroy_n(block, kBlock);
      ::operator delete(block);
    }
  };
  using TBlock = std::unique_ptr<T, TFree>;
  std::vector<TBlock> blocks_;
};

// Makes room for the record after the first `count`, by the growth rule
// above. When there is none it throws std::bad_alloc, the table unchanged.
template <class T>
void ReserveOne(TGrowTable<T>& table, int32_t count) {
  if (count >= INT32_MAX - TGrowTable<T>::kBlock) throw TTableFull();
  table.GrowFor(count + 1);
}

// Appends a zero record and adds 1 to count; on failure neither changes.
template <class T>
T& AppendTo(TGrowTable<T>& table, int32_t& count) {
  ReserveOne(table, count);
  return table[count++];
}

// Takes the table back to its first `count` records.
template <class T>
void TruncateTo(TGrowTable<T>& table, int32_t& count, int32_t newCount) noexcept {
  if (newCount >= count) return;
  count = newCount;
  table.Truncate(newCount);
}
