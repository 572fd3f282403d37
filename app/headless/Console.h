// A line of UTF-8 text for whoever reads the program's output. A Windows
// console is given it as UTF-16, so that it reads the same whatever the
// console's code page; a file or pipe gets the UTF-8 bytes.
#pragma once

#include <cstdio>
#include <string_view>

void PrintLine(std::FILE* stream, std::string_view utf8);
