// Text between the UTF-8 of the dialog's logic and the UTF-16 of Windows.
#pragma once

#ifdef _WIN32
#include <string>
#include <string_view>

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);
#endif
