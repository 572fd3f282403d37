// A line of UTF-8 text for whoever reads the program's output. A Windows
// console is given it as UTF-16, so that it reads the same whatever the
// console's code page. Sent to a file or a pipe on Windows, it is text in
// the console's output code page (the ANSI code page when the program has
// no console), as Windows' own console programs write it: `type` in that
// console and the editors of a Japanese Windows (code page 932) read it as
// it is. Elsewhere it is the UTF-8 bytes.
#pragma once

#include <cstdio>
#include <string_view>

void PrintLine(std::FILE* stream, std::string_view utf8);
