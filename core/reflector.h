// The reflector of the cipher machine: a fixed wiring that pairs the letters and sends the signal
// back through the rotors.
#ifndef VEXILO_CORE_REFLECTOR_H_
#define VEXILO_CORE_REFLECTOR_H_

#include <cstdint>

#include "core/letter.h"

namespace vexilo {

struct Reflector {
  // Never filled in and never read.
  std::int32_t id = -1;
  Wiring wiring = unfilledWiring;
  std::int32_t size = alphabetSize;
};

// Entry of `wiring` at `index`; -1 when `index` is outside 0 to `size` - 1.
std::int32_t forwardLookup(const Reflector& reflector, std::int32_t index);

// Entry of `wiring` at `index`, or `checkedLookupOutOfRange` when `index` >= `size`.
std::int32_t checkedLookup(const Reflector& reflector, std::uint32_t index);

}  // namespace vexilo

#endif  // VEXILO_CORE_REFLECTOR_H_
