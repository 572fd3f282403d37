#include "app/headless/Console.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <io.h>
#include <windows.h>

#include <string>

#include "app/Utf16.h"

namespace {

// The console behind `stream`, or null when it goes to a file or a pipe.
HANDLE ConsoleOf(std::FILE* stream) {
  const auto h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  DWORD mode = 0;
  return h != INVALID_HANDLE_VALUE && GetConsoleMode(h, &mode) ? h : nullptr;
}

}  // namespace
#endif

void PrintLine(std::FILE* stream, std::string_view utf8) {
#ifdef _WIN32
  if (const HANDLE console = ConsoleOf(stream)) {
    std::fflush(stream);  // what went before through the C library comes first
    const std::wstring text = Widen(utf8) + L"\r\n";
    DWORD written = 0;
    WriteConsoleW(console, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return;
  }
#endif
  std::fwrite(utf8.data(), 1, utf8.size(), stream);
  std::fputc('\n', stream);
}
