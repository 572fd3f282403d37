#include "app/SegEndTable.h"

TSegEnd TSegEndTable::operator[](size_t i) const {
  const auto k = static_cast<int32_t>(i);
  const TPointD p = At(k);
  return {p.X, p.Y, Kind(k), EndNo(k), Index(k), Avail(k)};
}

void TSegEndTable::SetLines(int32_t count) {
  Clear();
  lineEnds_ = 2 * count;
  avail_.assign(static_cast<size_t>(count), 1);
}

void TSegEndTable::AddPair(TSegEnd first, TSegEnd second) {
  stored_.push_back({first.X, first.Y, first.Kind, first.Index});
  stored_.push_back({second.X, second.Y, second.Kind, second.Index});
  avail_.push_back(first.Avail);
}

TSegEndTable TSegEndTable::Of(const std::vector<TSegEnd>& ends) {
  TSegEndTable t;
  for (size_t i = 0; i + 1 < ends.size(); i += 2) t.AddPair(ends[i], ends[i + 1]);
  return t;
}

void TSegEndTable::Clear() {
  lineEnds_ = 0;
  std::vector<TStored>().swap(stored_);
  std::vector<uint8_t>().swap(avail_);
}

