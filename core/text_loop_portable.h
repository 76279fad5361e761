// The portable text loop: plain C++ on every processor, and the reference for the vector loops;
// and the frame in which a vector loop of whole blocks takes any text.
#ifndef VEXILO_CORE_TEXT_LOOP_PORTABLE_H_
#define VEXILO_CORE_TEXT_LOOP_PORTABLE_H_

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vexilo {

// As `countLetters` and `encipherFromPosition` of text_loops.h.
std::size_t countLettersPortable(std::string_view text);
std::int32_t encipherPortable(const std::uint8_t* table, std::int32_t position,
                              std::string_view text, char* out);

// As `encipherFromPosition` of text_loops.h, through `wholeBlocks`, a vector loop that enciphers
// whole blocks of `blockLength` bytes (table, position, in, length, out) and returns the position
// after them. The last bytes, fewer than a block, go through it followed by zeros, which are not
// letters: they stay as they are and the machine does not move for them.
template <std::size_t blockLength, typename WholeBlocks>
std::int32_t encipherInWholeBlocks(WholeBlocks wholeBlocks, const std::uint8_t* table,
                                   std::int32_t position, std::string_view text, char* out) {
  const std::size_t whole = text.size() / blockLength * blockLength;
  position = wholeBlocks(table, position, text.data(), whole, out);
  if (whole == text.size()) return position;
  std::array<char, blockLength> last{};
  const std::size_t rest = text.size() - whole;
  std::copy_n(text.data() + whole, rest, last.data());
  position = wholeBlocks(table, position, last.data(), last.size(), last.data());
  std::copy_n(last.data(), rest, out + whole);
  return position;
}

}  // namespace vexilo

#endif  // VEXILO_CORE_TEXT_LOOP_PORTABLE_H_
