// The plugboard of the cipher machine: cables that swap pairs of letters on the way in and out.
#ifndef VEXILO_CORE_PLUGBOARD_H_
#define VEXILO_CORE_PLUGBOARD_H_

#include <cstdint>

#include "core/letter.h"

namespace vexilo {

inline constexpr std::int32_t maximumCableCount = alphabetSize / 2;

struct Plugboard {
  // Never filled in and never read.
  std::int32_t id = -1;
  Wiring wiring = unfilledWiring;
  // The number of cables, that is of letter pairs swapped.
  std::int32_t cableCount = 0;
  std::int32_t size = alphabetSize;
};

// Entry of `wiring` at `index`; -1 when `index` is outside 0 to `size` - 1.
std::int32_t forwardLookup(const Plugboard& plugboard, std::int32_t index);

// Entry of `wiring` at `index`, or `checkedLookupOutOfRange` when `index` >= `size`.
std::int32_t checkedLookup(const Plugboard& plugboard, std::uint32_t index);

}  // namespace vexilo

#endif  // VEXILO_CORE_PLUGBOARD_H_
