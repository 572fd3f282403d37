// The reply: records appended while the division runs, and the rewriting of
// the exchange file with them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

#include "exchange/FileIO.h"
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
// waiting a few seconds at most for other programs that hold the file. Given
// `read`, the look taken as the file was read, a file that is no longer that
// one is left alone. On failure no temporary file remains, and the exchange
// file is deleted, or emptied where it cannot be deleted; where neither can
// be done, or known to have been done, `hostFileLeft` is set: the file may
// still hold the host's selection (or, where even emptying it failed, part
// of the reply).
// Throws nothing, memory running out included.
bool SaveExchangeFile(const std::filesystem::path& path, bool* hostFileLeft = nullptr,
                      const TFileStamp* read = nullptr);
// Removes the temporary files that runs stopped before their end left beside
// the exchange file. Only while the exchange is locked: no running program
// can be writing one then.
void RemoveStaleTemps(const std::filesystem::path& exchangeFile);
