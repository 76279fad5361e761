#include "core/text_loop_portable.h"

#include <algorithm>

#include "core/cipher_table.h"
#include "core/letter.h"

namespace vexilo {

std::size_t countLettersPortable(std::string_view text) {
  const auto* const bytes = reinterpret_cast<const unsigned char*>(text.data());
  // Blocks of a fixed length, each counted into 8 bits: compilers turn a loop of a known length
  // with no branch into vector code wherever the processor has vectors, at -O2 too.
  constexpr std::size_t blockLength = 64;
  std::size_t count = 0;
  std::size_t done = 0;
  for (; text.size() - done >= blockLength; done += blockLength) {
    std::uint8_t inBlock = 0;
    for (std::size_t i = 0; i < blockLength; ++i) inBlock += isLetter(bytes[done + i]) ? 1 : 0;
    count += inBlock;
  }
  for (; done < text.size(); ++done) count += isLetter(bytes[done]) ? 1 : 0;
  return count;
}

std::int32_t encipherPortable(const std::uint8_t* table, std::int32_t position,
                              std::string_view text, char* out) {
  using table_layout::rowSize;
  const std::uint8_t* const rows = table + table_layout::rows;
  const std::uint8_t* const rowsEnd = rows + table_layout::rowsSize;
  const std::uint8_t* row = rows + static_cast<std::size_t>(position) * rowSize;
  const auto* next = reinterpret_cast<const unsigned char*>(text.data());
  const auto* const end = next + text.size();
  auto* target = reinterpret_cast<unsigned char*>(out);
  while (next != end) {
    // No more letters than bytes: within this stretch the row cannot pass the last one, so the
    // loop needs no test for the machine's return to its start.
    const auto lettersBeforeWrap = static_cast<std::size_t>(rowsEnd - row) / rowSize;
    const unsigned char* const stretchEnd =
        next + std::min(static_cast<std::size_t>(end - next), lettersBeforeWrap);
    for (; next != stretchEnd; ++next, ++target) {
      const unsigned byte = *next;
      const unsigned index = foldedLetter(static_cast<unsigned char>(byte));
      // All ones for a letter, 0 for any other byte. The choice between the table's letter and
      // the byte itself is made with this mask, not a condition: the mix of letters and other
      // bytes would make any branch unpredictable.
      const unsigned keep = 0U - static_cast<unsigned>(index < alphabetSize);
      *target = static_cast<unsigned char>(byte ^ ((row[index & keep] ^ byte) & keep));
      row += rowSize & keep;
    }
    if (row == rowsEnd) row = rows;
  }
  return static_cast<std::int32_t>(static_cast<std::size_t>(row - rows) / rowSize);
}

}  // namespace vexilo
