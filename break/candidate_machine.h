// A machine to try, in the form the search reads fastest: each component's wiring as bytes, a
// rotor's also backwards, so that one letter at any step of the machine is deciphered by a dozen
// table lookups, with no table of the whole machine built (which would take 0.2 ms a machine).
// It gives exactly what `quickEncrypt` and `advanceMachine` give from the start position.
#ifndef VEXILO_BREAK_CANDIDATE_MACHINE_H_
#define VEXILO_BREAK_CANDIDATE_MACHINE_H_

#include <array>
#include <cstdint>

#include "core/letter.h"
#include "core/signal_path.h"

namespace vexilo {

using ByteWiring = std::array<std::uint8_t, alphabetSize>;

// A rotor turned k places maps x to its wiring at (x - k) mod 26 (`rotateRotor` moves every entry
// one index on), and back maps y to (the index of y in its wiring + k) mod 26. Both tables share
// one cache line: the store's rotors are far more than the caches hold, and a machine's come from
// anywhere among them.
struct alignas(64) RotorTables {
  ByteWiring forward{};
  // Entry y is the index whose wiring entry is y.
  ByteWiring backward{};
};

// (x - step) mod 26 and (x + step) mod 26 for x and step in 0 to 25.
inline std::uint32_t turnBack(std::uint32_t x, std::uint32_t step) {
  return x >= step ? x - step : x + alphabetSize - step;
}
inline std::uint32_t turnOn(std::uint32_t x, std::uint32_t step) {
  const std::uint32_t sum = x + step;
  return sum >= alphabetSize ? sum - alphabetSize : sum;
}

// The tables of a rotor whose wiring is a permutation of 0 to 25 (`isRotorWiring`).
RotorTables rotorTables(const ByteWiring& wiring);

// Whether `wiring` can serve as the component it is for: a rotor's is a permutation of 0 to 25, a
// reflector's pairs every letter with another one, a plugboard's swaps pairs and leaves the other
// letters (its own inverse). Machines of other components are not tried: the letter-by-letter path
// of `vexilo` gives them no plain reciprocal cipher.
bool isRotorWiring(const Wiring& wiring);
bool isReflectorWiring(const Wiring& wiring);
bool isPlugboardWiring(const Wiring& wiring);

// `wiring` as bytes, for a wiring whose entries are 0 to 25.
ByteWiring byteWiring(const Wiring& wiring);
Wiring wiringOf(const ByteWiring& bytes);

// The five components of one machine to try, in the order of the signal's way in.
struct CandidateMachine {
  const ByteWiring* plugboard = nullptr;
  const RotorTables* rotor1 = nullptr;
  const RotorTables* rotor2 = nullptr;
  const RotorTables* rotor3 = nullptr;
  const ByteWiring* reflector = nullptr;
};

// How far each rotor has turned when the letter at `position` (counted from 0 since the start) is
// enciphered.
struct RotorSteps {
  std::uint8_t rotor1 = 0;
  std::uint8_t rotor2 = 0;
  std::uint8_t rotor3 = 0;
};

constexpr RotorSteps rotorStepsAt(std::int64_t position) {
  return {static_cast<std::uint8_t>(position % alphabetSize),
          static_cast<std::uint8_t>(position / alphabetSize % alphabetSize),
          static_cast<std::uint8_t>(position / rotor2Period % alphabetSize)};
}

// The letter index that the machine gives for `letter` (0 to 25) with its rotors at `steps`:
// deciphering and enciphering are the same.
inline std::uint8_t encipherLetter(const CandidateMachine& machine, std::uint8_t letter,
                                   RotorSteps steps) {
  const std::uint8_t in = (*machine.plugboard)[letter];
  const std::uint8_t a = machine.rotor1->forward[turnBack(in, steps.rotor1)];
  const std::uint8_t b = machine.rotor2->forward[turnBack(a, steps.rotor2)];
  const std::uint8_t c = machine.rotor3->forward[turnBack(b, steps.rotor3)];
  const std::uint8_t d = (*machine.reflector)[c];
  const std::uint32_t e = turnOn(machine.rotor3->backward[d], steps.rotor3);
  const std::uint32_t f = turnOn(machine.rotor2->backward[e], steps.rotor2);
  const std::uint32_t g = turnOn(machine.rotor1->backward[f], steps.rotor1);
  return (*machine.plugboard)[g];
}

// Rotors 2 and 3, the reflector and rotor 1's wiring on the way back, while rotors 2 and 3 stand
// still (for 26 letters at a time): entry x is, for a signal that leaves rotor 1's wiring at x, the
// index at which it comes back out of that wiring, before rotor 1's turn is added.
using MiddleMap = std::array<std::uint8_t, alphabetSize>;

inline MiddleMap middleMap(const CandidateMachine& machine, std::uint8_t rotor2Step,
                           std::uint8_t rotor3Step) {
  MiddleMap middle{};
  for (std::size_t x = 0; x < middle.size(); ++x) {
    const std::uint8_t b =
        machine.rotor2->forward[turnBack(static_cast<std::uint32_t>(x), rotor2Step)];
    const std::uint8_t c = machine.rotor3->forward[turnBack(b, rotor3Step)];
    const std::uint8_t d = (*machine.reflector)[c];
    const std::uint32_t e = turnOn(machine.rotor3->backward[d], rotor3Step);
    middle[x] = machine.rotor1->backward[turnOn(machine.rotor2->backward[e], rotor2Step)];
  }
  return middle;
}

// As `encipherLetter`, with rotors 2 and 3 where `middle` was made for them.
inline std::uint8_t encipherLetterThrough(const CandidateMachine& machine, const MiddleMap& middle,
                                          std::uint8_t letter, std::uint8_t rotor1Step) {
  const std::uint8_t in = (*machine.plugboard)[letter];
  const std::uint8_t a = machine.rotor1->forward[turnBack(in, rotor1Step)];
  const std::uint32_t g = turnOn(middle[a], rotor1Step);
  return (*machine.plugboard)[g];
}

// The library's machine of these wirings at its start position, for enciphering whole texts.
Machine libraryMachine(const ByteWiring& plugboard, const ByteWiring& rotor1,
                       const ByteWiring& rotor2, const ByteWiring& rotor3,
                       const ByteWiring& reflector);

}  // namespace vexilo

#endif  // VEXILO_BREAK_CANDIDATE_MACHINE_H_
