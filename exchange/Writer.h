// The reply: records appended while the division runs, and the exchange
// file replaced by them (base/ReplaceFile.h says how).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

#include "base/ReplaceFile.h"
#include "exchange/State.h"

void AddOutLine(std::string_view text);
void OutComment(std::string_view text);
void OutLayerGroup(int32_t group);
void OutLayer(int32_t layer);
void OutPen(int32_t pen, int32_t mode);  // mode 1 maps the pen with PenToHost
int32_t PenToHost(int32_t pen);
void OutPoint(double x, double y);
// The writer forgets what it wrote: the next lg, ly and pn are written
// whatever their values.
void ResetOutAttrs();

// Where the reply stands: its records and what the writer remembers. A run
// that fails half-way rewinds to the mark taken before it, so that the next
// run writes what it would have written first.
struct TReplyMark {
  int32_t OutLineCount;
  TOutAttrs Attrs;
};
TReplyMark MarkReply();
void RewindReply(const TReplyMark& mark);

// Replaces the exchange file with the reply ("hq" alone when there is none),
// as ReplaceFileWith replaces a file. `hostFileLeft`: the file may still hold
// the host's selection. Throws nothing.
bool SaveExchangeFile(const std::filesystem::path& path, bool* hostFileLeft = nullptr,
                      const TFileStamp* read = nullptr);
