// Machines for the tests and benchmarks of the cipher: random valid components, put together
// just set up (both counters 0, rotors in their start positions). Only the standard library and
// the core are needed, so the benchmarks build on them too.
#ifndef VEXILO_TESTS_SUPPORT_TEST_MACHINES_H_
#define VEXILO_TESTS_SUPPORT_TEST_MACHINES_H_

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <random>

#include "core/signal_path.h"

namespace vexilo::testing {

// Every letter 0 to 25 once, in random order.
inline Wiring shuffledWiring(std::mt19937& random) {
  Wiring wiring{};
  std::iota(wiring.begin(), wiring.end(), 0);
  std::shuffle(wiring.begin(), wiring.end(), random);
  return wiring;
}

inline Wiring shuffledWiring(unsigned seed) {
  std::mt19937 random(seed);
  return shuffledWiring(random);
}

// Every letter i sent to i + `shift` (mod 26).
inline Wiring shiftedWiring(int shift) {
  Wiring wiring{};
  for (int i = 0; i < alphabetSize; ++i) wiring[i] = (i + shift) % alphabetSize;
  return wiring;
}

// `pairs` disjoint pairs of letters swapped, every other letter left in place.
inline Wiring pairedWiring(std::mt19937& random, int pairs) {
  const Wiring order = shuffledWiring(random);
  Wiring wiring{};
  std::iota(wiring.begin(), wiring.end(), 0);
  for (int pair = 0; pair < pairs; ++pair) {
    const auto first = static_cast<std::size_t>(order[static_cast<std::size_t>(2 * pair)]);
    const auto second = static_cast<std::size_t>(order[static_cast<std::size_t>(2 * pair + 1)]);
    wiring[first] = static_cast<std::int32_t>(second);
    wiring[second] = static_cast<std::int32_t>(first);
  }
  return wiring;
}

// A rotor in its start position.
inline Rotor rotorOf(const Wiring& wiring) {
  Rotor rotor;
  rotor.initialWiring = wiring;
  rotor.currentWiring = wiring;
  return rotor;
}

// Any permutations as rotors, 13 pairs in the reflector and `cables` cables in the plugboard.
inline Machine randomMachine(std::mt19937& random, int cables) {
  Machine machine;
  machine.rotor1 = rotorOf(shuffledWiring(random));
  machine.rotor2 = rotorOf(shuffledWiring(random));
  machine.rotor3 = rotorOf(shuffledWiring(random));
  machine.reflector.wiring = pairedWiring(random, alphabetSize / 2);
  machine.plugboard.wiring = pairedWiring(random, cables);
  machine.plugboard.cableCount = cables;
  return machine;
}

inline Machine randomMachine(unsigned seed, int cables) {
  std::mt19937 random(seed);
  return randomMachine(random, cables);
}

}  // namespace vexilo::testing

#endif  // VEXILO_TESTS_SUPPORT_TEST_MACHINES_H_
