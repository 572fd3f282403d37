// A generated exchange file in a folder of its own, for one benchmark program.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

#include "Generate.h"

inline std::filesystem::path GeneratedExchange(const std::string& name, void (*write)(std::FILE*, long), long n) {
  const auto dir = std::filesystem::temp_directory_path() / ("equidist-bench-" + name);
  std::filesystem::create_directories(dir);
  const auto file = dir / "QZT_TEMP.TXT";
  std::FILE* f = std::fopen(file.c_str(), "wb");
  write(f, n);
  std::fclose(f);
  return file;
}
