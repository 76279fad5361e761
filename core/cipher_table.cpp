#include "core/cipher_table.h"

#include <algorithm>
#include <cstddef>

namespace vexilo {
namespace {

constexpr std::size_t letterCount = alphabetSize;
constexpr std::size_t positionCount = machinePeriod;
constexpr std::size_t tableSize = positionCount * letterCount;

// Letter index of each byte, or `notALetter`; only A to Z and a to z are letters.
constexpr std::uint8_t notALetter = letterCount;
constexpr std::array<std::uint8_t, 256> letterIndexOfByte = [] {
  std::array<std::uint8_t, 256> indices{};
  for (auto& index : indices) index = notALetter;
  for (std::uint8_t letter = 0; letter < letterCount; ++letter) {
    indices['a' + letter] = letter;
    indices['A' + letter] = letter;
  }
  return indices;
}();

// How far one byte moves the text loop through the table: a row for a letter, nothing otherwise.
constexpr std::array<std::uint8_t, 256> rowStepOfByte = [] {
  std::array<std::uint8_t, 256> steps{};
  for (std::size_t code = 0; code < steps.size(); ++code) {
    steps[code] = letterIndexOfByte[code] == notALetter ? 0 : letterCount;
  }
  return steps;
}();

bool isLetterTable(const Wiring& wiring, std::int32_t size) {
  if (size != alphabetSize) return false;
  for (const std::int32_t entry : wiring) {
    if (entry < 0 || entry >= alphabetSize) return false;
  }
  return true;
}

bool isPermutation(const Wiring& wiring) {
  std::array<bool, letterCount> seen{};
  for (const std::int32_t entry : wiring) {
    if (seen[static_cast<std::size_t>(entry)]) return false;
    seen[static_cast<std::size_t>(entry)] = true;
  }
  return true;
}

bool isInvolution(const Wiring& wiring, bool fixedPointsAllowed) {
  for (std::size_t i = 0; i < letterCount; ++i) {
    const auto partner = static_cast<std::size_t>(wiring[i]);
    if (static_cast<std::size_t>(wiring[partner]) != i) return false;
    if (!fixedPointsAllowed && partner == i) return false;
  }
  return true;
}

std::size_t modAlphabet(std::int32_t value) {
  const std::int32_t rest = value % alphabetSize;
  return static_cast<std::size_t>(rest < 0 ? rest + alphabetSize : rest);
}

// The rotors' offsets from the key's wirings at machine position `position`.
struct RotorOffsets {
  std::int32_t rotor1;
  std::int32_t rotor2;
  std::int32_t rotor3;
};

RotorOffsets offsetsAt(std::int32_t position) {
  return {position % alphabetSize, position / alphabetSize % alphabetSize, position / rotor2Period};
}

// `wiring` turned `places` places the way `rotateRotor` turns it (negative turns back).
Wiring turned(const Wiring& wiring, std::int32_t places) {
  Wiring result{};
  for (std::size_t i = 0; i < letterCount; ++i) {
    result[i] = wiring[modAlphabet(static_cast<std::int32_t>(i) - places)];
  }
  return result;
}

Wiring inverse(const Wiring& wiring) {
  Wiring result{};
  for (std::size_t i = 0; i < letterCount; ++i) {
    result[static_cast<std::size_t>(wiring[i])] = static_cast<std::int32_t>(i);
  }
  return result;
}

struct CachedTable {
  CipherTableKey key;
  std::vector<std::uint8_t> table;
};

}  // namespace

bool tableApplies(const Machine& machine, CipherTableKey& key) {
  const Rotor* rotors[] = {&machine.rotor1, &machine.rotor2, &machine.rotor3};
  for (const Rotor* rotor : rotors) {
    if (!isLetterTable(rotor->currentWiring, rotor->size) || !isPermutation(rotor->currentWiring)) {
      return false;
    }
  }
  if (!isLetterTable(machine.reflector.wiring, machine.reflector.size) ||
      !isInvolution(machine.reflector.wiring, false)) {
    return false;
  }
  if (!isLetterTable(machine.plugboard.wiring, machine.plugboard.size) ||
      !isInvolution(machine.plugboard.wiring, true)) {
    return false;
  }
  if (machine.rotor1Steps < 0 || machine.rotor1Steps >= machinePeriod ||
      machine.rotor2Steps != machine.rotor1Steps / alphabetSize) {
    return false;
  }
  const RotorOffsets offsets = offsetsAt(machine.rotor1Steps);
  key.rotorWirings[0] = turned(machine.rotor1.currentWiring, -offsets.rotor1);
  key.rotorWirings[1] = turned(machine.rotor2.currentWiring, -offsets.rotor2);
  key.rotorWirings[2] = turned(machine.rotor3.currentWiring, -offsets.rotor3);
  key.reflectorWiring = machine.reflector.wiring;
  key.plugboardWiring = machine.plugboard.wiring;
  return true;
}

std::vector<std::uint8_t> buildCipherTable(const CipherTableKey& key) {
  const Wiring& rotor1 = key.rotorWirings[0];
  const Wiring& rotor2 = key.rotorWirings[1];
  const Wiring& rotor3 = key.rotorWirings[2];
  const Wiring rotor1Back = inverse(rotor1);
  const Wiring rotor2Back = inverse(rotor2);
  const Wiring rotor3Back = inverse(rotor3);
  const Wiring& reflector = key.reflectorWiring;
  const Wiring& plugboard = key.plugboardWiring;
  // A rotor turned k places sends i to wiring[(i - k) mod 26] and takes v back to
  // (inverse[v] + k) mod 26.
  const auto through = [](const Wiring& wiring, std::int32_t offset, std::int32_t index) {
    return wiring[modAlphabet(index - offset)];
  };
  const auto back = [](const Wiring& wiringBack, std::int32_t offset, std::int32_t value) {
    return static_cast<std::int32_t>(
        modAlphabet(wiringBack[static_cast<std::size_t>(value)] + offset));
  };

  // One row to spare after the last position: the text loop reads entry 26 of a row for a byte
  // that is no letter.
  std::vector<std::uint8_t> table(tableSize + letterCount);
  for (std::int32_t outer = 0; outer < rotor2Period; ++outer) {
    const std::int32_t offset2 = outer % alphabetSize;
    const std::int32_t offset3 = outer / alphabetSize;
    // From the signal leaving rotor 1 to the signal coming back into it: the same for all 26
    // positions of rotor 1.
    Wiring inner{};
    for (std::int32_t index = 0; index < alphabetSize; ++index) {
      const std::int32_t reflected = reflector[static_cast<std::size_t>(
          through(rotor3, offset3, through(rotor2, offset2, index)))];
      inner[static_cast<std::size_t>(index)] =
          back(rotor2Back, offset2, back(rotor3Back, offset3, reflected));
    }
    for (std::int32_t offset1 = 0; offset1 < alphabetSize; ++offset1) {
      const auto position = static_cast<std::size_t>(outer * alphabetSize + offset1);
      std::uint8_t* row = table.data() + position * letterCount;
      for (std::size_t letter = 0; letter < letterCount; ++letter) {
        const std::int32_t entering = through(rotor1, offset1, plugboard[letter]);
        const std::int32_t leaving =
            back(rotor1Back, offset1, inner[static_cast<std::size_t>(entering)]);
        row[letter] = static_cast<std::uint8_t>('a' + plugboard[static_cast<std::size_t>(leaving)]);
      }
    }
  }
  return table;
}

bool encipherTextByTable(Machine& machine, std::string_view text, std::string& enciphered) {
  CipherTableKey key;
  if (!tableApplies(machine, key)) return false;
  thread_local CachedTable cached;
  if (cached.table.empty() || !(cached.key == key)) {
    cached.table = buildCipherTable(key);
    cached.key = key;
  }

  const std::size_t start = enciphered.size();
  enciphered.resize(start + text.size());
  char* out = enciphered.data() + start;
  const std::uint8_t* const table = cached.table.data();
  std::size_t row = static_cast<std::size_t>(machine.rotor1Steps) * letterCount;
  const char* next = text.data();
  const char* const end = next + text.size();
  while (next != end) {
    // No more letters than bytes: within this stretch the position cannot pass the last row, so
    // the loop needs no test for the machine's return to its start.
    const std::size_t lettersBeforeWrap = (tableSize - row) / letterCount;
    const char* const stretchEnd =
        next + std::min(static_cast<std::size_t>(end - next), lettersBeforeWrap);
    for (; next != stretchEnd; ++next) {
      const auto character = static_cast<unsigned char>(*next);
      const std::uint8_t index = letterIndexOfByte[character];
      // A byte that is no letter reads entry 26 of its row, the first of the next (the table has
      // one row to spare), and is copied as it is; the selects compile without branches, which
      // the mix of letters and other bytes would make unpredictable.
      const std::uint8_t letter = table[row + index];
      *out++ = static_cast<char>(index < letterCount ? letter : character);
      row += rowStepOfByte[character];
    }
    if (row == tableSize) row = 0;
  }

  const auto position = static_cast<std::int32_t>(row / letterCount);
  const RotorOffsets offsets = offsetsAt(position);
  machine.rotor1.currentWiring = turned(key.rotorWirings[0], offsets.rotor1);
  machine.rotor2.currentWiring = turned(key.rotorWirings[1], offsets.rotor2);
  machine.rotor3.currentWiring = turned(key.rotorWirings[2], offsets.rotor3);
  machine.rotor1Steps = position;
  machine.rotor2Steps = position / alphabetSize;
  return true;
}

}  // namespace vexilo
