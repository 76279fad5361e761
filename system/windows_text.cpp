#include "system/windows_text.h"

#include <cstdint>

namespace vexilo {
namespace {

constexpr char controlZ = '\x1A';

bool isFirstHalf(char32_t unit) { return unit >= 0xD800 && unit < 0xDC00; }
bool isSecondHalf(char32_t unit) { return unit >= 0xDC00 && unit < 0xE000; }

void appendUtf8(char32_t character, std::string& utf8) {
  if (character < 0x80) {
    utf8 += static_cast<char>(character);
    return;
  }
  const int following = character < 0x800 ? 1 : character < 0x10000 ? 2 : 3;
  constexpr unsigned char leadBits[] = {0, 0xC0, 0xE0, 0xF0};
  utf8 += static_cast<char>(leadBits[following] | (character >> (6 * following)));
  for (int shift = 6 * (following - 1); shift >= 0; shift -= 6) {
    utf8 += static_cast<char>(0x80 | ((character >> shift) & 0x3F));
  }
}

constexpr char32_t replacementCharacter = 0xFFFD;

}  // namespace

WindowsTextInput::int_type WindowsTextInput::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  std::size_t made = 0;
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

// Whether the Ctrl-Z that is next ends the input: Enter (CR LF, or LF) or the end follows it.
bool WindowsTextInput::endsInput() {
  if (!available(2)) return true;
  if (raw_[rawNext_ + 1] == '\n') return true;
  return raw_[rawNext_ + 1] == '\r' && available(3) && raw_[rawNext_ + 2] == '\n';
}

// Whether `count` bytes are there from the next one on, reading more as they are needed; false
// when the input ends before.
bool WindowsTextInput::available(std::size_t count) {
  while (raw_.size() - rawNext_ < count) {
    if (rawEnded_) return false;
    raw_.erase(0, rawNext_);
    rawNext_ = 0;
    if (!source_(raw_)) {
      rawEnded_ = true;
      return false;
    }
  }
  return true;
}

void Utf16Decoder::decode(std::u16string_view units, std::string& utf8) {
  for (const char16_t unit : units) {
    if (heldHalf_ != 0) {
      const char32_t first = heldHalf_;
      heldHalf_ = 0;
      if (isSecondHalf(unit)) {
        appendUtf8(0x10000 + ((first - 0xD800) << 10) + (unit - 0xDC00), utf8);
        continue;
      }
      appendUtf8(replacementCharacter, utf8);
    }
    if (isFirstHalf(unit)) {
      heldHalf_ = unit;
    } else {
      appendUtf8(isSecondHalf(unit) ? replacementCharacter : char32_t{unit}, utf8);
    }
  }
}

}  // namespace vexilo
