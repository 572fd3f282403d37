// What every reply must be, whatever the input: "hq" alone, or a complete
// answer of CR LF lines: the lg, ly and pn records, point records with
// finite coordinates (at most a million), and the closing comment last.
// Reading the file back must give the same points.
#pragma once

#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>

#include "exchange/KdxGaibu.h"

// Empty when the reply in `file` is sound, else what is wrong with it. Reads
// the file into the exchange state.
inline std::string ReplyFault(const std::string& reply, const std::filesystem::path& file) {
  if (reply == "hq\r\n") return {};
  std::istringstream lines(reply);
  std::string line;
  int n = 0, points = 0;
  bool comment = false;
  while (std::getline(lines, line)) {
    const std::string at = " at line " + std::to_string(n + 1) + ": " + line.substr(0, 80);
    if (line.empty() || line.back() != '\r') return "no CR LF" + at;
    if (comment) return "a line after the comment" + at;
    line.pop_back();
    static constexpr const char* kAttrs[] = {"lg", "ly", "pn"};
    if (n < 3) {
      if (line.rfind(kAttrs[n], 0) != 0) return std::string("no ") + kAttrs[n] + " record" + at;
    } else if (line.rfind("pt ", 0) == 0) {
      if (line.find("NAN") != std::string::npos || line.find("INF") != std::string::npos)
        return "a point that is not finite" + at;
      ++points;
    } else if (line.rfind("h#", 0) == 0) {
      comment = true;
    } else {
      return "a record of no kind" + at;
    }
    ++n;
  }
  if (!comment) return "no closing comment";
  if (points > 1000000) return "more than a million points";
  GaibuInit();
  if (!LoadExchangeFile(file)) return "the reply cannot be read back";
  if (PointCount != points) return "read back, the points are " + std::to_string(PointCount);
  for (int32_t i = 0; i < PointCount; ++i)
    if (!std::isfinite(Points[i].X) || !std::isfinite(Points[i].Y)) return "a point reads back as not finite";
  return {};
}
