// Letters of the machine's alphabet and the wiring tables that map them: a letter index is 0 for
// a through 25 for z.
#ifndef VEXILO_CORE_LETTER_H_
#define VEXILO_CORE_LETTER_H_

#include <array>
#include <cstdint>

namespace vexilo {

inline constexpr std::int32_t alphabetSize = 26;

// A component's wiring: entry i is the letter index at which a signal entering at i leaves.
using Wiring = std::array<std::int32_t, alphabetSize>;

// The wiring of a record that has not been filled: -1 in entry 0, zeros after it. A record whose
// first entry is -1 was not loaded.
inline constexpr Wiring unfilledWiring = {-1};

// Returned by `checkedLookup` for an index outside the table.
inline constexpr std::int32_t checkedLookupOutOfRange = INT32_MIN;

// The character whose code is the low 8 bits of value + 97: a to z for 0 to 25, the character
// just before a (code 96) for -1. Computed unsigned, so no value overflows.
char indexToLetter(std::int32_t value);

// What a letter is, for every path through the program, scalar or vector: a byte that, with the
// case bit set, lies in 'a' to 'z'. Set the bit, subtract 'a' in 8 bits, and a letter gives its
// index 0 to 25 while any other byte gives 26 or more ('@' and bytes above 127 wrap round or stay
// high). The vector loops do the same three steps on many bytes at once.
inline constexpr unsigned letterCaseBit = 0x20;
inline constexpr unsigned firstLetter = 'a';

// `byte` with the case bit set, less 'a', in 8 bits: its letter index when it is a letter, 26 or
// more otherwise.
constexpr std::uint8_t foldedLetter(unsigned char byte) {
  return static_cast<std::uint8_t>((byte | letterCaseBit) - firstLetter);
}

constexpr bool isLetter(unsigned char byte) { return foldedLetter(byte) < alphabetSize; }

// Letter index of `character` folded to lower case (only A to Z fold), or -1 when it is not one of
// the letters a to z in either case. Bytes above 127 are not letters.
constexpr std::int32_t letterIndex(char character) {
  const std::uint8_t folded = foldedLetter(static_cast<unsigned char>(character));
  return folded < alphabetSize ? std::int32_t{folded} : -1;
}

// Entry of `wiring` at `index`; -1 when `index` lies outside 0 to `size` - 1 or outside the table
// (nothing outside it is read).
std::int32_t lookupEntry(const Wiring& wiring, std::int32_t size, std::int32_t index);

// Entry of `wiring` at `index` when `index` < `size`, otherwise `checkedLookupOutOfRange`.
std::int32_t checkedLookupEntry(const Wiring& wiring, std::int32_t size, std::uint32_t index);

}  // namespace vexilo

#endif  // VEXILO_CORE_LETTER_H_
