// A table that grows in blocks of 1000 zeroed records: when the count passes
// the length (at 1, 1001, 2001, ...) the length becomes count + 999. Blocks are
// never moved, so growing costs no copying and records keep their addresses.
#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <vector>

template <class T>
class TGrowTable {
 public:
  static constexpr int32_t kBlock = 1000;

  int32_t Length() const { return static_cast<int32_t>(blocks_.size()) * kBlock; }

  // Makes record number `count` (counting from 1) exist.
  void GrowFor(int32_t count) {
    while (count > Length()) blocks_.push_back(std::make_unique<T[]>(kBlock));
  }

  T& operator[](int32_t i) { return blocks_[static_cast<size_t>(i / kBlock)][i % kBlock]; }
  const T& operator[](int32_t i) const {
    return blocks_[static_cast<size_t>(i / kBlock)][i % kBlock];
  }

  // Length 0, memory released.
  void Clear() { std::vector<std::unique_ptr<T[]>>().swap(blocks_); }

 private:
  std::vector<std::unique_ptr<T[]>> blocks_;
};

// Adds 1 to count and makes room for it, by the growth rule above.
template <class T>
T& AppendTo(TGrowTable<T>& table, int32_t& count) {
  if (count >= INT32_MAX - TGrowTable<T>::kBlock) throw std::bad_alloc();
  ++count;
  table.GrowFor(count);
  return table[count - 1];
}
