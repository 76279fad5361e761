#include "break/candidate_machine.h"

#include <cstddef>

namespace vexilo {
namespace {

bool inAlphabet(std::int32_t value) { return value >= 0 && value < alphabetSize; }

bool isPermutation(const Wiring& wiring) {
  std::array<bool, alphabetSize> seen{};
  for (const std::int32_t entry : wiring) {
    if (!inAlphabet(entry) || seen[static_cast<std::size_t>(entry)]) return false;
    seen[static_cast<std::size_t>(entry)] = true;
  }
  return true;
}

bool isOwnInverse(const Wiring& wiring) {
  for (std::size_t i = 0; i < wiring.size(); ++i) {
    if (!inAlphabet(wiring[i])) return false;
    if (wiring[static_cast<std::size_t>(wiring[i])] != static_cast<std::int32_t>(i)) return false;
  }
  return true;
}

}  // namespace

RotorTables rotorTables(const ByteWiring& wiring) {
  RotorTables tables;
  tables.forward = wiring;
  for (std::size_t i = 0; i < wiring.size(); ++i) {
    tables.backward[wiring[i]] = static_cast<std::uint8_t>(i);
  }
  return tables;
}

bool isRotorWiring(const Wiring& wiring) { return isPermutation(wiring); }

bool isReflectorWiring(const Wiring& wiring) {
  if (!isOwnInverse(wiring)) return false;
  for (std::size_t i = 0; i < wiring.size(); ++i) {
    if (wiring[i] == static_cast<std::int32_t>(i)) return false;
  }
  return true;
}

bool isPlugboardWiring(const Wiring& wiring) { return isOwnInverse(wiring); }

ByteWiring byteWiring(const Wiring& wiring) {
  ByteWiring bytes{};
  for (std::size_t i = 0; i < wiring.size(); ++i) {
    bytes[i] = static_cast<std::uint8_t>(wiring[i]);
  }
  return bytes;
}

Wiring wiringOf(const ByteWiring& bytes) {
  Wiring wiring{};
  for (std::size_t i = 0; i < wiring.size(); ++i) wiring[i] = bytes[i];
  return wiring;
}

Machine libraryMachine(const ByteWiring& plugboard, const ByteWiring& rotor1,
                       const ByteWiring& rotor2, const ByteWiring& rotor3,
                       const ByteWiring& reflector) {
  Machine machine;
  machine.plugboard.wiring = wiringOf(plugboard);
  std::int32_t swapped = 0;
  for (std::size_t i = 0; i < plugboard.size(); ++i) {
    if (plugboard[i] != i) ++swapped;
  }
  machine.plugboard.cableCount = swapped / 2;
  machine.rotor1.initialWiring = machine.rotor1.currentWiring = wiringOf(rotor1);
  machine.rotor2.initialWiring = machine.rotor2.currentWiring = wiringOf(rotor2);
  machine.rotor3.initialWiring = machine.rotor3.currentWiring = wiringOf(rotor3);
  machine.reflector.wiring = wiringOf(reflector);
  return machine;
}

}  // namespace vexilo
