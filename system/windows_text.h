// Typed text as Windows reads it, as plain code fed bytes or UTF-16 units, so that every system
// tests it: CR LF ends a line as LF does (a CR alone stays), a line that is Ctrl-Z alone ends the
// input, as a console's user ends it with Ctrl-Z and Enter (Ctrl-Z anywhere else is a byte like any
// other), and a console's UTF-16 arrives as UTF-8, a character beyond the first 65536 whole
// although its two halves come in two reads.
#ifndef VEXILO_SYSTEM_WINDOWS_TEXT_H_
#define VEXILO_SYSTEM_WINDOWS_TEXT_H_

#include <cstddef>
#include <functional>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

namespace vexilo {

// Standard input as Windows text, from `source`, which appends what it reads next to the string
// it is given and returns false at the end of the input (or on an error, which ends it too).
// What has been read is handed on at once (a console's user waits for the answer to a line); only
// a CR or a Ctrl-Z waits for the byte after it.
class WindowsTextInput : public std::streambuf {
 public:
  using Source = std::function<bool(std::string& raw)>;
  explicit WindowsTextInput(Source source) : source_(std::move(source)) {}

 protected:
  int_type underflow() override;

 private:
  bool endsInput();
  bool available(std::size_t count);

  Source source_;
  std::string raw_;  // as read, from `rawNext_` on not yet taken
  std::size_t rawNext_ = 0;
  bool rawEnded_ = false;
  std::vector<char> text_ = std::vector<char>(std::size_t{1} << 16);
  bool atLineStart_ = true;
  bool ended_ = false;
};

// UTF-16 units, read in pieces, as UTF-8. A lone half of a pair becomes U+FFFD, as Windows'
// conversion makes it.
class Utf16Decoder {
 public:
  // Appends `units` to `utf8`; a first half at the end waits for its second in the next call.
  void decode(std::u16string_view units, std::string& utf8);

 private:
  char16_t heldHalf_ = 0;  // 0: none
};

}  // namespace vexilo

#endif  // VEXILO_SYSTEM_WINDOWS_TEXT_H_
