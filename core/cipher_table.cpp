#include "core/cipher_table.h"

#include <algorithm>
#include <cstddef>

#include "core/text_loops.h"

namespace vexilo {
namespace {

using table_layout::mapPlainValues;
using table_layout::mapSize;
using table_layout::rowSize;

constexpr std::size_t letterCount = alphabetSize;

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

// Stores the map of `valueAt` at `entry` as `table_layout` lays maps out: a byte shuffle of the
// first 16 bytes by index i gives value i & 15, and the XOR with a shuffle of the next 16 by i - 16
// (nothing for i below 16) corrects it for i from 16 on.
template <typename Value>
void storeVectorEntry(std::uint8_t* entry, Value valueAt) {
  for (std::size_t index = 0; index < letterCount; ++index) {
    entry[mapPlainValues + index] = static_cast<std::uint8_t>(valueAt(index));
    entry[index] = entry[mapPlainValues + index];
    if (index >= 16) entry[index] ^= entry[index - 16];
  }
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

// The inverses of the key's rotor wirings.
struct InverseRotors {
  Wiring rotor1;
  Wiring rotor2;
  Wiring rotor3;
};

// 26 values twice over, so that an index up to 51 needs no remainder.
using TwiceOver = std::array<std::uint8_t, 2 * letterCount>;

// The map from the signal leaving rotor 1 to the signal coming back into it, with rotors 2 and 3
// at position `outer` of theirs (the same for all 26 positions of rotor 1), seen from rotor 1 at
// its key's wiring, twice over: rotor 1 turned k places takes letter index i to
// (map[(i - k) mod 26] + k) mod 26, that is map[i + 26 - k] + k.
TwiceOver innerMapSeenFromRotor1(const CipherTableKey& key, const InverseRotors& inverses,
                                 std::int32_t outer) {
  // A rotor turned k places sends i to wiring[(i - k) mod 26] and takes v back to
  // (inverse[v] + k) mod 26.
  const auto through = [](const Wiring& wiring, std::int32_t offset, std::int32_t index) {
    return wiring[modAlphabet(index - offset)];
  };
  const auto back = [](const Wiring& wiringBack, std::int32_t offset, std::int32_t value) {
    return static_cast<std::int32_t>(
        modAlphabet(wiringBack[static_cast<std::size_t>(value)] + offset));
  };
  const std::int32_t offset2 = outer % alphabetSize;
  const std::int32_t offset3 = outer / alphabetSize;
  Wiring inner{};
  for (std::int32_t index = 0; index < alphabetSize; ++index) {
    const std::int32_t reflected = key.reflectorWiring[static_cast<std::size_t>(
        through(key.rotorWirings[2], offset3, through(key.rotorWirings[1], offset2, index)))];
    inner[static_cast<std::size_t>(index)] =
        back(inverses.rotor2, offset2, back(inverses.rotor3, offset3, reflected));
  }
  TwiceOver seen{};
  for (std::size_t index = 0; index < letterCount; ++index) {
    seen[index] = static_cast<std::uint8_t>(inverses.rotor1[static_cast<std::size_t>(
        inner[static_cast<std::size_t>(key.rotorWirings[0][index])])]);
    seen[index + letterCount] = seen[index];
  }
  return seen;
}

// Stores the rows of the 26 positions of rotor 1 with rotors 2 and 3 at `outer`: the plugboard's
// letters twice over take the sum of `seenFromRotor1` and rotor 1's offset without a remainder.
void storeRows(std::uint8_t* table, const Wiring& plugboard, std::int32_t outer,
               const TwiceOver& seenFromRotor1) {
  for (std::size_t offset1 = 0; offset1 < letterCount; ++offset1) {
    std::uint8_t* row = table + table_layout::rows +
                        (static_cast<std::size_t>(outer) * letterCount + offset1) * rowSize;
    for (std::size_t letter = 0; letter < letterCount; ++letter) {
      const std::size_t entering =
          static_cast<std::size_t>(plugboard[letter]) + letterCount - offset1;
      const std::size_t sum = seenFromRotor1[entering] + offset1;
      row[letter] =
          static_cast<std::uint8_t>('a' + plugboard[sum < letterCount ? sum : sum - letterCount]);
    }
  }
}

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

std::vector<std::uint8_t> buildCipherTable(const CipherTableKey& key, bool withRows) {
  const InverseRotors inverses{inverse(key.rotorWirings[0]), inverse(key.rotorWirings[1]),
                               inverse(key.rotorWirings[2])};
  const Wiring& plugboard = key.plugboardWiring;
  std::vector<std::uint8_t> table(withRows ? table_layout::tableSize : table_layout::rows);
  storeVectorEntry(table.data() + table_layout::plugboardMap,
                   [&](std::size_t letter) { return plugboard[letter]; });
  storeVectorEntry(table.data() + table_layout::plugboardLetterMap,
                   [&](std::size_t letter) { return 'a' + plugboard[letter]; });
  for (std::int32_t outer = 0; outer < rotor2Period; ++outer) {
    const TwiceOver seenFromRotor1 = innerMapSeenFromRotor1(key, inverses, outer);
    std::uint8_t* const map = table_layout::innerMap(table.data(), outer);
    storeVectorEntry(map, [&](std::size_t index) { return seenFromRotor1[index]; });
    if (outer < 3)
      std::copy_n(map, mapSize, table_layout::innerMap(table.data(), rotor2Period + outer));
    if (withRows) storeRows(table.data(), plugboard, outer, seenFromRotor1);
  }
  return table;
}

const std::uint8_t* cipherTableFor(CipherTableCache& cache, const CipherTableKey& key,
                                   TextLoop loop) {
  const bool withRows = textLoopReadsRows(loop);
  if (cache.table.empty() || !(cache.key == key) || (withRows && !cache.hasRows)) {
    cache.table = buildCipherTable(key, withRows);
    cache.key = key;
    cache.hasRows = withRows;
  }
  return cache.table.data();
}

void moveMachineTo(Machine& machine, const CipherTableKey& key, std::int32_t position) {
  const RotorOffsets offsets = offsetsAt(position);
  machine.rotor1.currentWiring = turned(key.rotorWirings[0], offsets.rotor1);
  machine.rotor2.currentWiring = turned(key.rotorWirings[1], offsets.rotor2);
  machine.rotor3.currentWiring = turned(key.rotorWirings[2], offsets.rotor3);
  machine.rotor1Steps = position;
  machine.rotor2Steps = position / alphabetSize;
}

bool encipherTextByTable(Machine& machine, CipherTableCache& cache, std::string_view text,
                         std::string& enciphered) {
  CipherTableKey key;
  if (!tableApplies(machine, key)) return false;
  const std::size_t start = enciphered.size();
  enciphered.resize(start + text.size());
  const std::int32_t position = encipherFromPosition(
      cipherTableFor(cache, key), machine.rotor1Steps, text, enciphered.data() + start);
  moveMachineTo(machine, key, position);
  return true;
}

}  // namespace vexilo
