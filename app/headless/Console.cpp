#include "app/headless/Console.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <io.h>
#include <windows.h>

#include <string>

#include "base/Utf16.h"

namespace {

// The console behind `stream`, or null when it goes to a file or a pipe.
HANDLE ConsoleOf(std::FILE* stream) {
  const auto h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  DWORD mode = 0;
  return h != INVALID_HANDLE_VALUE && GetConsoleMode(h, &mode) ? h : nullptr;
}

// `text` in the code page a reader of the redirected output decodes it by,
// or as UTF-8 where that code page has no bytes for some of it (Japanese in
// code page 1252): question marks would lose it for every reader.
std::string InOutputCodePage(const std::wstring& text) {
  UINT codePage = GetConsoleOutputCP();  // 0 without a console
  if (codePage == 0) codePage = GetACP();
  const int length = static_cast<int>(text.size());
  if (codePage == CP_UTF8) return Narrow(text);
  BOOL lost = FALSE;
  const int size = WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, &lost);
  if (size <= 0 || lost) return Narrow(text);
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), length, bytes.data(), size, nullptr, nullptr);
  return bytes;
}

}  // namespace
#endif

void PrintLine(std::FILE* stream, std::string_view utf8) {
#ifdef _WIN32
  const std::wstring text = Widen(utf8);
  if (const HANDLE console = ConsoleOf(stream)) {
    std::fflush(stream);  // what went before through the C library comes first
    const std::wstring line = text + L"\r\n";
    DWORD written = 0;
    WriteConsoleW(console, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    return;
  }
  const std::string bytes = InOutputCodePage(text);
  std::fwrite(bytes.data(), 1, bytes.size(), stream);
#else
  std::fwrite(utf8.data(), 1, utf8.size(), stream);
#endif
  std::fputc('\n', stream);
}
