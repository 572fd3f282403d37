// Texts the program writes into the Shift-JIS exchange file, as bytes.
#pragma once

#include <string_view>

// "<ＭＳ ゴシック>", the host's default font name
inline constexpr std::string_view kDefaultFontName = "<\x82l\x82r \x83S\x83V\x83" "b\x83N>";

// "全長：" (total length), before the length in the closing comment
inline constexpr std::string_view kTotalLengthLabel = "\x91S\x92\xB7\x81" "F";
