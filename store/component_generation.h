// New random components: rotors without a fixed letter, reflectors of 13 pairs, plugboards with a
// given number of cables. Every call seeds its own generator from the random device.
#ifndef VEXILO_STORE_COMPONENT_GENERATION_H_
#define VEXILO_STORE_COMPONENT_GENERATION_H_

#include <cstdint>

#include "core/plugboard.h"
#include "core/reflector.h"
#include "core/rotor.h"

namespace vexilo {

// Fills both wirings of `rotor` with the same random permutation in which no letter maps to itself.
void generateRotorWiring(Rotor& rotor);

// Fills `reflector` with 13 random pairs: entry i differs from i and entry (entry i) is i.
void generateReflectorWiring(Reflector& reflector);

// Fills `plugboard` with `cableCount` random cables (clamped into 0 to 13), each swapping two
// letters; every other letter maps to itself.
void generatePlugboardWiring(Plugboard& plugboard, std::int32_t cableCount);

}  // namespace vexilo

#endif  // VEXILO_STORE_COMPONENT_GENERATION_H_
