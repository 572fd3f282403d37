// Reading the exchange file line by line into the exchange state.
#pragma once

#include <filesystem>

// Reads the exchange file line by line into the state. False when it does not
// exist or could not be read to its end; what was read before stays. `cut`
// tells the second apart: the file was opened, but a read error or memory
// running out stopped the reading, so the state holds part of the selection.
bool LoadExchangeFile(const std::filesystem::path& path, bool* cut = nullptr);
