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

// Letter index of `character` folded to lower case (only A to Z fold), or -1 when it is not one of
// the letters a to z in either case. Bytes above 127 are not letters.
std::int32_t letterIndex(char character);

// Entry of `wiring` at `index`; -1 when `index` lies outside 0 to `size` - 1 or outside the table
// (nothing outside it is read).
std::int32_t lookupEntry(const Wiring& wiring, std::int32_t size, std::int32_t index);

// Entry of `wiring` at `index` when `index` < `size`, otherwise `checkedLookupOutOfRange`.
std::int32_t checkedLookupEntry(const Wiring& wiring, std::int32_t size, std::uint32_t index);

}  // namespace vexilo

#endif  // VEXILO_CORE_LETTER_H_
