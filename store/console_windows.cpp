// The standard streams on Windows. Output goes out as the program writes it, LF and all, through
// the system's handles; a console is set to show UTF-8 while the program runs. Input is read as
// Windows text, from a console with the wide call (so that letters beyond ASCII arrive whole, as
// UTF-8) and from a pipe or a file as bytes.
#include "store/console.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "store/windows_calls.h"

namespace vexilo {
namespace {

constexpr char controlZ = '\x1A';

// Standard input as Windows text: CR LF is a line end like LF (a CR alone stays), and a line that
// is Ctrl-Z alone ends the input, as a console's user ends it with Ctrl-Z and Enter. Ctrl-Z
// anywhere else is a byte like any other.
class WindowsTextInput : public std::streambuf {
 public:
  explicit WindowsTextInput(HANDLE input) : input_(input) {
    DWORD mode = 0;
    console_ = ::GetConsoleMode(input, &mode) != 0;
  }

 protected:
  int_type underflow() override {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    std::size_t made = 0;
    // What has been read is handed on at once (a console's user waits for the answer to a line);
    // only a CR or a Ctrl-Z waits for the byte after it.
    while (made == 0 && !ended_ && available(1)) {
      while (made < text_.size() && rawNext_ < raw_.size()) {
        if (raw_[rawNext_] == controlZ && atLineStart_ && endsInput()) {
          ended_ = true;
          break;
        }
        if (raw_[rawNext_] == '\r' && available(2) && raw_[rawNext_ + 1] == '\n') ++rawNext_;
        const char taken = raw_[rawNext_++];
        text_[made++] = taken;
        atLineStart_ = taken == '\n';
      }
    }
    setg(text_.data(), text_.data(), text_.data() + made);
    return made == 0 ? traits_type::eof() : traits_type::to_int_type(text_[0]);
  }

 private:
  // Whether the Ctrl-Z that is next ends the input: Enter (CR LF, or LF) or the end follows it.
  bool endsInput() {
    if (!available(2)) return true;
    if (raw_[rawNext_ + 1] == '\n') return true;
    return raw_[rawNext_ + 1] == '\r' && available(3) && raw_[rawNext_ + 2] == '\n';
  }

  // Whether `count` bytes are there from the next one on, reading more as they are needed; false
  // when the input ends before.
  bool available(std::size_t count) {
    while (raw_.size() - rawNext_ < count) {
      if (rawEnded_ || !readMore()) return false;
    }
    return true;
  }

  bool readMore() {
    raw_.erase(0, rawNext_);
    rawNext_ = 0;
    if (console_) {
      wchar_t typed[4096];
      DWORD got = 0;
      if (!::ReadConsoleW(input_, typed, static_cast<DWORD>(std::size(typed)), &got, nullptr) ||
          got == 0) {
        rawEnded_ = true;
        return false;
      }
      // A character beyond the first 65536 comes as two halves; a first half at the end waits for
      // its second.
      std::wstring whole = heldHalf_ + std::wstring(typed, got);
      heldHalf_.clear();
      if (whole.back() >= 0xD800 && whole.back() < 0xDC00) {
        heldHalf_ = whole.back();
        whole.pop_back();
      }
      raw_ += utf8Text(whole);
      return true;
    }
    char bytes[1 << 16];
    DWORD got = 0;
    if (!::ReadFile(input_, bytes, sizeof bytes, &got, nullptr) || got == 0) {
      rawEnded_ = true;
      return false;
    }
    raw_.append(bytes, got);
    return true;
  }

  HANDLE input_;
  bool console_ = false;
  std::string raw_;  // as read, from `rawNext_` on not yet taken
  std::size_t rawNext_ = 0;
  bool rawEnded_ = false;
  std::wstring heldHalf_;
  std::vector<char> text_ = std::vector<char>(std::size_t{1} << 16);
  bool atLineStart_ = true;
  bool ended_ = false;
};

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
  static WindowsTextInput input(::GetStdHandle(STD_INPUT_HANDLE));
  return &input;
}

FileHandle standardOutputFile() { return fileHandleOf(::GetStdHandle(STD_OUTPUT_HANDLE)); }

FileHandle standardErrorFile() { return fileHandleOf(::GetStdHandle(STD_ERROR_HANDLE)); }

bool isTerminal(FileHandle file) {
  DWORD mode = 0;
  return ::GetConsoleMode(handleOf(file), &mode) != 0;
}

}  // namespace vexilo
