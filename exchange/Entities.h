// The entity stage of the reader: one record per line into the entity tables,
// stamped with the attributes current at that moment, each listed in
// EntityOrder as well.
#pragma once

#include <cstdint>

#include "exchange/State.h"
#include "exchange/Tokenizer.h"

void CopyCurAttrs(TEntAttr& attr);
void AppendEntityOrder(int32_t kind, int32_t index);

// Appends a zero record and its EntityOrder entry; on failure neither.
template <class T>
T& AppendEntity(int32_t kind, TGrowTable<T>& table) {
  table.ReserveOne();
  AppendEntityOrder(kind, table.Count());
  return table.Append();  // the room is there
}

// The record forms of lines, circles, arcs, texts, points, blocks and solids,
// and the plain line. Called when no header or attribute record took the line.
void ParseEntityRecord(const TTokens& t);
// A line of exactly four tokens that no record form took: x1, y1, x2, y2.
void ParsePlainLine(const TTokens& t);
// The same with its four numbers already read.
void AddPlainLine(double x1, double y1, double x2, double y2);
