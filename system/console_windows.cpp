// The standard streams on Windows. Output goes out as the program writes it, LF and all, through
// the system's handles; a console is set to show UTF-8 while the program runs. Input is read as
// Windows text, from a console with the wide call (so that letters beyond ASCII arrive whole, as
// UTF-8) and from a pipe or a file as bytes.
#include "system/console.h"

#include "system/windows_calls.h"
// After windows.h.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "system/windows_text.h"

namespace vexilo {
namespace {

// Appends what the console's user typed next to `raw`, as UTF-8.
bool readConsole(HANDLE input, Utf16Decoder& decoder, std::string& raw) {
  wchar_t typed[4096];
  DWORD got = 0;
  if (!::ReadConsoleW(input, typed, static_cast<DWORD>(std::size(typed)), &got, nullptr) ||
      got == 0) {
    return false;
  }
  static_assert(sizeof(wchar_t) == sizeof(char16_t));
  decoder.decode(std::u16string_view(reinterpret_cast<const char16_t*>(typed), got), raw);
  return true;
}

// Appends the bytes that come next from a pipe or a file to `raw`.
bool readBytes(HANDLE input, std::string& raw) {
  char bytes[1 << 16];
  DWORD got = 0;
  if (!::ReadFile(input, bytes, sizeof bytes, &got, nullptr) || got == 0) return false;
  raw.append(bytes, got);
  return true;
}

UINT consoleCodePageBefore = 0;

void restoreConsoleCodePage() { ::SetConsoleOutputCP(consoleCodePageBefore); }

}  // namespace

void prepareStandardStreams() {
  // The C library's descriptors of the standard streams (std::cerr writes through them) would
  // write CR LF for every LF.
  ::_setmode(::_fileno(stdin), _O_BINARY);
  ::_setmode(::_fileno(stdout), _O_BINARY);
  ::_setmode(::_fileno(stderr), _O_BINARY);
  const UINT before = ::GetConsoleOutputCP();
  if (before != 0 && before != CP_UTF8 && ::SetConsoleOutputCP(CP_UTF8)) {
    consoleCodePageBefore = before;
    std::atexit(restoreConsoleCodePage);
  }
}

std::streambuf* standardInputBuffer() {
  static const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
  static Utf16Decoder decoder;
  static WindowsTextInput text([](std::string& raw) {
    static const bool console = isTerminal(fileHandleOf(input));
    return console ? readConsole(input, decoder, raw) : readBytes(input, raw);
  });
  return &text;
}

FileHandle standardOutputFile() { return fileHandleOf(::GetStdHandle(STD_OUTPUT_HANDLE)); }

FileHandle standardErrorFile() { return fileHandleOf(::GetStdHandle(STD_ERROR_HANDLE)); }

bool isTerminal(FileHandle file) {
  DWORD mode = 0;
  return ::GetConsoleMode(handleOf(file), &mode) != 0;
}

bool runsOnWindows() { return true; }

}  // namespace vexilo
