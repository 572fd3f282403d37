// Reading the exchange file line by line into the exchange state.
#pragma once

#include <filesystem>

#include "base/FileIO.h"

// Why the reading of a file that was opened stopped before its end.
enum class TReadCut { kNone, kReadError, kMemory };

// Reads the exchange file line by line into the state. False when it does not
// exist or could not be read to its end; what was read before stays. `cut`
// tells the second apart: the file was opened, but a read error or memory
// running out stopped the reading, so the state holds part of the selection.
// `stamp` is the look at the file as it was opened (at whatever is at the
// path, when nothing could be opened), to tell at the close whether it is
// still the same.
bool LoadExchangeFile(const std::filesystem::path& path, TReadCut* cut = nullptr, TFileStamp* stamp = nullptr);
