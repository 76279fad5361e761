#include "core/cipher_table.h"

#include <algorithm>
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
// The 32-byte loop needs AVX2, chosen at run time where the processor has it.
#if defined(__SSE2__) && (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
#include <immintrin.h>
#define VEXILO_VECTOR_LOOP 1
#endif

namespace vexilo {
namespace {

constexpr std::size_t letterCount = alphabetSize;
constexpr std::size_t positionCount = machinePeriod;
constexpr std::size_t tableSize = positionCount * letterCount;

// After the rows, what the vector loops need, in 64-byte entries of 26 values each (stored by
// `storeVectorEntry`): for each of the 676 positions of rotors 2 and 3, and once more for the
// first three after the last, the map from the signal entering rotor 1 at its key's wiring to the
// signal leaving it backwards; then the plugboard's wiring, and the plugboard's wiring as letters
// 'a' to 'z'.
constexpr std::size_t vectorEntrySize = 64;
constexpr std::size_t plainValues = 32;  // where an entry holds its values as they are
constexpr std::size_t innerMapCount = rotor2Period + 3;
constexpr std::size_t plugboardEntry = tableSize + innerMapCount * vectorEntrySize;
constexpr std::size_t plugboardLetterEntry = plugboardEntry + vectorEntrySize;
constexpr std::size_t tableBytes = plugboardLetterEntry + vectorEntrySize;

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

// Values 0 to 15 of a 26-value map as they are, then values 16 to 25 each XORed with the value 16
// places before it: a byte shuffle of the first half by index i then gives value i & 15, and the
// XOR with a shuffle of the second half by i - 16 (nothing for i below 16) corrects it for i from
// 16 on. From byte `plainValues` on, the 26 values as they are.
template <typename Value>
void storeVectorEntry(std::uint8_t* entry, Value valueAt) {
  for (std::size_t index = 0; index < letterCount; ++index) {
    entry[plainValues + index] = static_cast<std::uint8_t>(valueAt(index));
    entry[index] = entry[plainValues + index];
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

  std::vector<std::uint8_t> table(tableBytes);
  storeVectorEntry(table.data() + plugboardEntry,
                   [&](std::size_t letter) { return plugboard[letter]; });
  storeVectorEntry(table.data() + plugboardLetterEntry,
                   [&](std::size_t letter) { return 'a' + plugboard[letter]; });
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
    std::uint8_t* innerMap =
        table.data() + tableSize + static_cast<std::size_t>(outer) * vectorEntrySize;
    storeVectorEntry(innerMap, [&](std::size_t index) {
      return rotor1Back[static_cast<std::size_t>(inner[static_cast<std::size_t>(rotor1[index])])];
    });
    if (outer < 3) {
      std::copy_n(innerMap, vectorEntrySize,
                  table.data() + tableSize + (rotor2Period + outer) * vectorEntrySize);
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
  for (const char character : text) count += letterIndex(character) >= 0 ? 1 : 0;
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

namespace {

std::int32_t encipherOneByOne(const std::uint8_t* table, std::int32_t position,
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

}  // namespace

#if defined(VEXILO_VECTOR_LOOP)
namespace {

#define VEXILO_AVX2 __attribute__((target("avx2")))

// Value `index` (0 to 25) of the map stored at `entry` by `storeVectorEntry`, for each of the 32
// bytes, given `index` - 16 too; an index outside 0 to 25 gives some byte, never a read outside
// the map.
VEXILO_AVX2 __m256i lookup26(const std::uint8_t* entry, __m256i index, __m256i indexLess16) {
  const __m256i low =
      _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(entry)));
  const __m256i high =
      _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(entry + 16)));
  // A shuffle index with its top bit set gives 0, as i - 16 does for i below 16.
  return _mm256_xor_si256(_mm256_shuffle_epi8(low, index), _mm256_shuffle_epi8(high, indexLess16));
}

VEXILO_AVX2 __m256i less16(__m256i index) { return _mm256_sub_epi8(index, _mm256_set1_epi8(16)); }

// 32 bytes at a time: rotor 1's offset at each letter from the letters before it among the 32,
// then the signal through the plugboard, rotor 1, the map of rotors 2 and 3 at their position (or
// one or two further on, for letters past rotor 2's steps), rotor 1 back and the plugboard.
// Enciphers the whole blocks of 32 in `length` and returns the position after them.
VEXILO_AVX2 std::int32_t encipherThirtyTwoAtATime(const std::uint8_t* table, std::int32_t position,
                                                  const char* in, std::size_t length, char* out) {
  const __m256i alphabet = _mm256_set1_epi8(letterCount);
  const __m256i lastIndex = _mm256_set1_epi8(letterCount - 1);
  const __m256i lastIndexOfTwo = _mm256_set1_epi8(2 * letterCount - 1);
  const __m256i zero = _mm256_setzero_si256();
  const __m256i lastByteOfEachHalf = _mm256_set1_epi8(15);
  std::int32_t offset1 = position % alphabetSize;
  std::int32_t outer = position / alphabetSize;
  for (std::size_t done = 0; done + 32 <= length; done += 32) {
    const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + done));
    // (byte | 0x20) - 'a' below 26, unsigned, is a signed compare once 128 is added.
    const __m256i shifted =
        _mm256_add_epi8(_mm256_or_si256(bytes, _mm256_set1_epi8(0x20)), _mm256_set1_epi8(31));
    const __m256i isLetter = _mm256_cmpgt_epi8(_mm256_set1_epi8(-102), shifted);
    const __m256i index =
        _mm256_and_si256(_mm256_xor_si256(shifted, _mm256_set1_epi8(-128)), isLetter);
    // Letters up to and including each byte: within each half of 16, then the first half's
    // total added to the second.
    __m256i letters = _mm256_sub_epi8(zero, isLetter);
    letters = _mm256_add_epi8(letters, _mm256_slli_si256(letters, 1));
    letters = _mm256_add_epi8(letters, _mm256_slli_si256(letters, 2));
    letters = _mm256_add_epi8(letters, _mm256_slli_si256(letters, 4));
    letters = _mm256_add_epi8(letters, _mm256_slli_si256(letters, 8));
    const __m256i halfTotals = _mm256_shuffle_epi8(letters, lastByteOfEachHalf);
    letters = _mm256_add_epi8(letters, _mm256_permute2x128_si256(halfTotals, halfTotals, 0x08));
    // Rotor 1's offset at each letter; past 25 rotor 2 has stepped once, past 51 twice.
    __m256i offset = _mm256_add_epi8(_mm256_set1_epi8(static_cast<char>(offset1 - 1)), letters);
    const __m256i steppedOnce = _mm256_cmpgt_epi8(offset, lastIndex);
    const __m256i steppedTwice = _mm256_cmpgt_epi8(offset, lastIndexOfTwo);
    offset = _mm256_sub_epi8(offset, _mm256_and_si256(steppedOnce, alphabet));
    offset = _mm256_sub_epi8(offset, _mm256_and_si256(steppedTwice, alphabet));

    __m256i entering =
        _mm256_sub_epi8(lookup26(table + plugboardEntry, index, less16(index)), offset);
    entering =
        _mm256_add_epi8(entering, _mm256_and_si256(_mm256_cmpgt_epi8(zero, entering), alphabet));
    const std::uint8_t* map = table + tableSize + static_cast<std::size_t>(outer) * vectorEntrySize;
    const __m256i enteringLess16 = less16(entering);
    __m256i leaving =
        _mm256_blendv_epi8(lookup26(map, entering, enteringLess16),
                           lookup26(map + vectorEntrySize, entering, enteringLess16), steppedOnce);
    leaving = _mm256_blendv_epi8(
        leaving, lookup26(map + 2 * vectorEntrySize, entering, enteringLess16), steppedTwice);
    leaving = _mm256_add_epi8(leaving, offset);
    leaving =
        _mm256_sub_epi8(leaving, _mm256_and_si256(_mm256_cmpgt_epi8(leaving, lastIndex), alphabet));
    const __m256i enciphered = lookup26(table + plugboardLetterEntry, leaving, less16(leaving));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + done),
                        _mm256_blendv_epi8(bytes, enciphered, isLetter));

    offset1 += static_cast<std::uint8_t>(_mm256_extract_epi8(letters, 31));
    const std::int32_t steps = (offset1 >= alphabetSize) + (offset1 >= 2 * alphabetSize);
    offset1 -= steps * alphabetSize;
    outer += steps;
    if (outer >= rotor2Period) outer -= rotor2Period;
  }
  return outer * alphabetSize + offset1;
}

#define VEXILO_AVX512 __attribute__((target("avx512f,avx512bw,avx512vbmi,avx512vbmi2,popcnt")))

VEXILO_AVX512 __m512i loadPlainValues(const std::uint8_t* entry) {
  return _mm512_maskz_loadu_epi8(0xFFFFFFFFU, entry + plainValues);
}

// Value `index` & 63 of `values` for each byte. (The unmasked intrinsic starts from an undefined
// register, which g++ 12 warns of.)
VEXILO_AVX512 __m512i permute(__m512i index, __m512i values) {
  return _mm512_maskz_permutexvar_epi8(~__mmask64{0}, index, values);
}

// As `encipherThirtyTwoAtATime`, 64 bytes at a time: a letter's place among the letters of the 64
// comes from spreading 0, 1, 2, ... over the letters, and each map is one byte permutation. Up to
// 64 letters step rotor 2 up to three times.
VEXILO_AVX512 std::int32_t encipherSixtyFourAtATime(const std::uint8_t* table,
                                                    std::int32_t position, const char* in,
                                                    std::size_t length, char* out) {
  static constexpr std::array<std::uint8_t, 64> ascending = [] {
    std::array<std::uint8_t, 64> values{};
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = static_cast<std::uint8_t>(i);
    return values;
  }();
  const __m512i places = _mm512_loadu_si512(ascending.data());
  const __m512i plugboard = loadPlainValues(table + plugboardEntry);
  const __m512i plugboardLetters = loadPlainValues(table + plugboardLetterEntry);
  const __m512i alphabet = _mm512_set1_epi8(letterCount);
  std::int32_t offset1 = position % alphabetSize;
  std::int32_t outer = position / alphabetSize;
  for (std::size_t done = 0; done + 64 <= length; done += 64) {
    const __m512i bytes = _mm512_loadu_si512(in + done);
    const __m512i shifted =
        _mm512_add_epi8(_mm512_or_si512(bytes, _mm512_set1_epi8(0x20)), _mm512_set1_epi8(31));
    const __mmask64 isLetter = _mm512_cmplt_epi8_mask(shifted, _mm512_set1_epi8(-102));
    // The permutations read only the low 6 bits of an index: letters give 0 to 25.
    const __m512i index = _mm512_xor_si512(shifted, _mm512_set1_epi8(-128));
    __m512i offset = _mm512_add_epi8(_mm512_maskz_expand_epi8(isLetter, places),
                                     _mm512_set1_epi8(static_cast<char>(offset1)));
    const __mmask64 steppedOnce = _mm512_cmpge_epi8_mask(offset, alphabet);
    const __mmask64 steppedTwice =
        _mm512_cmpge_epi8_mask(offset, _mm512_set1_epi8(2 * letterCount));
    const __mmask64 steppedThrice =
        _mm512_cmpge_epi8_mask(offset, _mm512_set1_epi8(3 * letterCount));
    offset = _mm512_mask_sub_epi8(offset, steppedOnce, offset, alphabet);
    offset = _mm512_mask_sub_epi8(offset, steppedTwice, offset, alphabet);
    offset = _mm512_mask_sub_epi8(offset, steppedThrice, offset, alphabet);

    __m512i entering = _mm512_sub_epi8(permute(index, plugboard), offset);
    entering = _mm512_mask_add_epi8(entering, _mm512_movepi8_mask(entering), entering, alphabet);
    const std::uint8_t* map = table + tableSize + static_cast<std::size_t>(outer) * vectorEntrySize;
    __m512i leaving = permute(entering, loadPlainValues(map));
    leaving = _mm512_mask_permutexvar_epi8(leaving, steppedOnce, entering,
                                           loadPlainValues(map + vectorEntrySize));
    leaving = _mm512_mask_permutexvar_epi8(leaving, steppedTwice, entering,
                                           loadPlainValues(map + 2 * vectorEntrySize));
    leaving = _mm512_mask_permutexvar_epi8(leaving, steppedThrice, entering,
                                           loadPlainValues(map + 3 * vectorEntrySize));
    leaving = _mm512_add_epi8(leaving, offset);
    leaving =
        _mm512_mask_sub_epi8(leaving, _mm512_cmpge_epi8_mask(leaving, alphabet), leaving, alphabet);
    const __m512i enciphered = permute(leaving, plugboardLetters);
    _mm512_storeu_si512(out + done, _mm512_mask_blend_epi8(isLetter, bytes, enciphered));

    const std::int32_t moved = offset1 + static_cast<std::int32_t>(__builtin_popcountll(isLetter));
    const std::int32_t steps = moved / alphabetSize;
    offset1 = moved - steps * alphabetSize;
    outer += steps;
    if (outer >= rotor2Period) outer -= rotor2Period;
  }
  return outer * alphabetSize + offset1;
}

}  // namespace

bool textLoopAvailable(TextLoop loop) {
  static const bool avx2 = __builtin_cpu_supports("avx2");
  static const bool avx512 =
      __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
      __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512vbmi2") &&
      __builtin_cpu_supports("popcnt");
  switch (loop) {
    case TextLoop::oneByOne:
      return true;
    case TextLoop::avx2:
      return avx2;
    case TextLoop::avx512:
      return avx512;
  }
  return false;
}

std::int32_t encipherFromPositionWith(TextLoop loop, const std::uint8_t* table,
                                      std::int32_t position, std::string_view text, char* out) {
  std::size_t vectorLength = 0;
  if (loop == TextLoop::avx512) {
    vectorLength = text.size() / 64 * 64;
    position = encipherSixtyFourAtATime(table, position, text.data(), vectorLength, out);
  } else if (loop == TextLoop::avx2) {
    vectorLength = text.size() / 32 * 32;
    position = encipherThirtyTwoAtATime(table, position, text.data(), vectorLength, out);
  }
  return encipherOneByOne(table, position, text.substr(vectorLength), out + vectorLength);
}

#else
bool textLoopAvailable(TextLoop loop) { return loop == TextLoop::oneByOne; }

std::int32_t encipherFromPositionWith(TextLoop, const std::uint8_t* table, std::int32_t position,
                                      std::string_view text, char* out) {
  return encipherOneByOne(table, position, text, out);
}

#endif

std::int32_t encipherFromPosition(const std::uint8_t* table, std::int32_t position,
                                  std::string_view text, char* out) {
  static const TextLoop widest = textLoopAvailable(TextLoop::avx512) ? TextLoop::avx512
                                 : textLoopAvailable(TextLoop::avx2) ? TextLoop::avx2
                                                                     : TextLoop::oneByOne;
  return encipherFromPositionWith(widest, table, position, text, out);
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
