#include "system/windows_text.h"

#include <gtest/gtest.h>

#include <istream>
#include <iterator>
#include <string>
#include <vector>

namespace vexilo {
namespace {

// All that `pieces`, read one at a time, give as Windows text.
std::string readAsWindowsText(const std::vector<std::string>& pieces) {
  std::size_t next = 0;
  WindowsTextInput text([&](std::string& raw) {
    if (next == pieces.size()) return false;
    raw += pieces[next++];
    return true;
  });
  std::istream in(&text);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(WindowsTextTest, CrLfEndsALineAndALineOfCtrlZEndsTheInput) {
  const struct {
    std::vector<std::string> pieces;  // as the reads give them
    std::string text;
  } cases[] = {
      {{"2\r\n0\r\n"}, "2\n0\n"},
      {{"2\n0\n"}, "2\n0\n"},
      // A CR alone stays; a CR LF split between two reads is still one line end.
      {{"a\rb\r"}, "a\rb\r"},
      {{"abc\r", "\ndef\r\n"}, "abc\ndef\n"},
      // Ctrl-Z then Enter at the start of a line ends the input, whatever comes after.
      {{"1\r\n\x1A\r\n2\r\n"}, "1\n"},
      {{"1\n\x1A\n2\n"}, "1\n"},
      {{"\x1A"}, ""},
      {{"1\r\n\x1A", "\r", "\n2\r\n"}, "1\n"},
      // Ctrl-Z anywhere else is a byte like any other.
      {{"a\x1A\r\n"}, "a\x1A\n"},
      {{"\x1A"
        "a\r\n"},
       "\x1A"
       "a\n"},
      {{}, ""},
  };
  for (const auto& given : cases) {
    std::string shown;
    for (const std::string& piece : given.pieces) shown += "[" + piece + "]";
    EXPECT_EQ(readAsWindowsText(given.pieces), given.text) << shown;
  }
}

TEST(WindowsTextTest, AConsolesUtf16ArrivesAsUtf8WithPairsWholeAcrossReads) {
  const struct {
    std::vector<std::u16string> reads;
    std::string utf8;
  } cases[] = {
      {{u"abc"}, "abc"},
      {{u"\u00e9t\u00e9"}, "\xC3\xA9t\xC3\xA9"},
      {{u"\u20ac"}, "\xE2\x82\xAC"},
      // U+1F600 as one pair, and as its two halves in two reads.
      {{u"\xD83D\xDE00"}, "\xF0\x9F\x98\x80"},
      {{u"a\xD83D", u"\xDE00z"}, "a\xF0\x9F\x98\x80z"},
      // A lone half becomes U+FFFD, as Windows' own conversion makes it.
      {{u"\xDE00"}, "\xEF\xBF\xBD"},
      {{u"\xD83D"
        u"a"},
       "\xEF\xBF\xBD"
       "a"},
  };
  for (const auto& given : cases) {
    Utf16Decoder decoder;
    std::string utf8;
    for (const std::u16string& read : given.reads) decoder.decode(read, utf8);
    EXPECT_EQ(utf8, given.utf8) << given.utf8;
  }
}

}  // namespace
}  // namespace vexilo
