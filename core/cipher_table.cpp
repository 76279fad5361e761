#include "core/cipher_table.h"

#include <algorithm>
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vexilo {
namespace {

constexpr std::size_t letterCount = alphabetSize;
constexpr std::size_t positionCount = machinePeriod;
constexpr std::size_t tableSize = positionCount * letterCount;

// What the text loop needs of each byte: bits 0 to 7 its letter index (0 for a byte that is no
// letter), bits 8 to 15 a mask that keeps the table's letter (0xFF for a letter, 0 otherwise),
// bits 16 to 23 how far it moves the loop through the table (a row for a letter, nothing
// otherwise). Only A to Z and a to z are letters.
constexpr std::array<std::uint32_t, 256> byteKinds = [] {
  std::array<std::uint32_t, 256> kinds{};
  for (std::uint32_t letter = 0; letter < letterCount; ++letter) {
    const std::uint32_t kind = letter | 0xFFU << 8 | std::uint32_t{letterCount} << 16;
    kinds['a' + letter] = kind;
    kinds['A' + letter] = kind;
  }
  return kinds;
}();

bool isLetterByte(unsigned char character) {
  return static_cast<unsigned char>((character | 0x20U) - 'a') < letterCount;
}

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

  std::vector<std::uint8_t> table(tableSize);
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

const std::uint8_t* cipherTableFor(CipherTableCache& cache, const CipherTableKey& key) {
  if (cache.table.empty() || !(cache.key == key)) {
    cache.table = buildCipherTable(key);
    cache.key = key;
  }
  return cache.table.data();
}

std::size_t countLettersOneByOne(std::string_view text) {
  std::size_t count = 0;
  for (const char character : text) count += isLetterByte(static_cast<unsigned char>(character));
  return count;
}

#if defined(__SSE2__)
std::size_t countLetters(std::string_view text) {
  const char* next = text.data();
  const char* const end = next + text.size();
  std::size_t count = 0;
  const __m128i caseBit = _mm_set1_epi8(0x20);
  // (byte | 0x20) - 'a' below 26, unsigned, is a signed compare once 128 is added: 'a' + 31 wraps
  // to -128 and 'z' + 31 to -103.
  const __m128i shift = _mm_set1_epi8(31);
  const __m128i bound = _mm_set1_epi8(-102);
  while (end - next >= 16) {
    // Each byte of `counts` adds up the letters of its column, at most 255 blocks of 16 at a time.
    __m128i counts = _mm_setzero_si128();
    const std::size_t blocks =
        std::min<std::size_t>(static_cast<std::size_t>(end - next) / 16, 255);
    for (std::size_t block = 0; block < blocks; ++block, next += 16) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(next));
      const __m128i shifted = _mm_add_epi8(_mm_or_si128(bytes, caseBit), shift);
      counts = _mm_sub_epi8(counts, _mm_cmplt_epi8(shifted, bound));
    }
    const __m128i sums = _mm_sad_epu8(counts, _mm_setzero_si128());
    count += static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) +
             static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
  }
  return count + countLettersOneByOne(std::string_view(next, static_cast<std::size_t>(end - next)));
}
#else
std::size_t countLetters(std::string_view text) { return countLettersOneByOne(text); }
#endif

std::int32_t encipherFromPosition(const std::uint8_t* table, std::int32_t position,
                                  std::string_view text, char* out) {
  const std::uint8_t* row = table + static_cast<std::size_t>(position) * letterCount;
  const std::uint8_t* const tableEnd = table + tableSize;
  const auto* next = reinterpret_cast<const unsigned char*>(text.data());
  const auto* const end = next + text.size();
  auto* target = reinterpret_cast<unsigned char*>(out);
  while (next != end) {
    // No more letters than bytes: within this stretch the row cannot pass the last one, so the
    // loop needs no test for the machine's return to its start.
    const auto lettersBeforeWrap = static_cast<std::size_t>(tableEnd - row) / letterCount;
    const unsigned char* const stretchEnd =
        next + std::min(static_cast<std::size_t>(end - next), lettersBeforeWrap);
    for (; next != stretchEnd; ++next, ++target) {
      const unsigned character = *next;
      const std::uint32_t kind = byteKinds[character];
      // The choice between the table's letter and the byte itself is made with a mask, not a
      // condition: the mix of letters and other bytes would make any branch unpredictable, and
      // whether a compiler keeps a condition free of branches depends on its flags.
      const unsigned keep = (kind >> 8) & 0xFFU;
      *target = static_cast<unsigned char>(character ^ ((row[kind & 0xFFU] ^ character) & keep));
      row += kind >> 16;
    }
    if (row == tableEnd) row = table;
  }
  return static_cast<std::int32_t>(static_cast<std::size_t>(row - table) / letterCount);
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
