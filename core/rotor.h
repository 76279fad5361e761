// A rotor of the cipher machine: a wiring that turns one place after each step.
#ifndef VEXILO_CORE_ROTOR_H_
#define VEXILO_CORE_ROTOR_H_

#include <cstdint>
#include <iostream>

#include "core/letter.h"

namespace vexilo {

struct Rotor {
  // Never filled in and never read; kept so the record has the stored layout.
  std::int32_t id = -1;
  // The wiring as loaded or generated: the rotor's start position.
  Wiring initialWiring = unfilledWiring;
  // The wiring in the present position: `initialWiring` turned by the number of steps taken.
  Wiring currentWiring = unfilledWiring;
  std::int32_t size = alphabetSize;
};

// Entry of `currentWiring` at `index`; -1 when `index` is outside 0 to `size` - 1.
std::int32_t forwardLookup(const Rotor& rotor, std::int32_t index);

// Entry of `currentWiring` at `index`, or `checkedLookupOutOfRange` when `index` >= `size` (a
// negative index arrives as a large unsigned one).
std::int32_t checkedLookup(const Rotor& rotor, std::uint32_t index);

// Lowest index whose `currentWiring` entry equals `value`. When there is none, writes
// "error in reverse encryption: sent index =  " and the value on a line to `out` and returns -1.
std::int32_t reverseLookup(const Rotor& rotor, std::int32_t value, std::ostream& out = std::cout);

// Turns the rotor one place: every entry moves to the next index, the last one to index 0.
void rotateRotor(Rotor& rotor);

// Returns `currentWiring` to the start position, `initialWiring`.
void resetRotor(Rotor& rotor);

}  // namespace vexilo

#endif  // VEXILO_CORE_ROTOR_H_
