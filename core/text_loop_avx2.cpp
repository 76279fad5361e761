#include "core/text_loop_avx2.h"

#include "core/processor.h"

#if defined(VEXILO_X86_LOOPS)
#include <immintrin.h>

#include <algorithm>
#include <array>
#include <cstddef>

#include "core/cipher_table.h"
#include "core/letter.h"
#include "core/signal_path.h"
#include "core/text_loop_portable.h"

namespace vexilo {
namespace {

using table_layout::mapSize;

#define VEXILO_AVX2 __attribute__((target("avx2,popcnt")))

// Value `index` (0 to 25) of the map stored at `entry` by `table_layout`, for each of the 32
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
  const __m256i alphabet = _mm256_set1_epi8(alphabetSize);
  const __m256i lastIndex = _mm256_set1_epi8(alphabetSize - 1);
  const __m256i lastIndexOfTwo = _mm256_set1_epi8(2 * alphabetSize - 1);
  const __m256i zero = _mm256_setzero_si256();
  const __m256i lastByteOfEachHalf = _mm256_set1_epi8(15);
  const __m256i caseBit = _mm256_set1_epi8(static_cast<char>(letterCaseBit));
  const __m256i shift = _mm256_set1_epi8(static_cast<char>(128 - firstLetter));
  const __m256i bound = _mm256_set1_epi8(static_cast<char>(alphabetSize - 128));
  std::int32_t offset1 = position % alphabetSize;
  std::int32_t outer = position / alphabetSize;
  for (std::size_t done = 0; done + 32 <= length; done += 32) {
    const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + done));
    // A letter as core/letter.h has it; below 26 unsigned is a signed compare once 128 is added.
    const __m256i shifted = _mm256_add_epi8(_mm256_or_si256(bytes, caseBit), shift);
    const __m256i isLetter = _mm256_cmpgt_epi8(bound, shifted);
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
        _mm256_sub_epi8(lookup26(table + table_layout::plugboardMap, index, less16(index)), offset);
    entering =
        _mm256_add_epi8(entering, _mm256_and_si256(_mm256_cmpgt_epi8(zero, entering), alphabet));
    const std::uint8_t* map = table_layout::innerMap(table, outer);
    const __m256i enteringLess16 = less16(entering);
    __m256i leaving =
        _mm256_blendv_epi8(lookup26(map, entering, enteringLess16),
                           lookup26(map + mapSize, entering, enteringLess16), steppedOnce);
    // Rotor 2 steps twice within 32 bytes only after 27 letters or more of them: in running text
    // that is rare enough for the test to cost less than the lookup it saves.
    if (!_mm256_testz_si256(steppedTwice, steppedTwice)) {
      leaving = _mm256_blendv_epi8(leaving, lookup26(map + 2 * mapSize, entering, enteringLess16),
                                   steppedTwice);
    }
    leaving = _mm256_add_epi8(leaving, offset);
    leaving =
        _mm256_sub_epi8(leaving, _mm256_and_si256(_mm256_cmpgt_epi8(leaving, lastIndex), alphabet));
    const __m256i enciphered =
        lookup26(table + table_layout::plugboardLetterMap, leaving, less16(leaving));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + done),
                        _mm256_blendv_epi8(bytes, enciphered, isLetter));

    // The letters among the 32 from their mask, which is ready long before the running counts:
    // the next round's offsets wait for this sum alone.
    offset1 += __builtin_popcount(static_cast<unsigned>(_mm256_movemask_epi8(isLetter)));
    const std::int32_t steps = (offset1 >= alphabetSize) + (offset1 >= 2 * alphabetSize);
    offset1 -= steps * alphabetSize;
    outer += steps;
    if (outer >= rotor2Period) outer -= rotor2Period;
  }
  return outer * alphabetSize + offset1;
}

}  // namespace

VEXILO_AVX2 std::size_t countLettersAvx2(std::string_view text) {
  const char* next = text.data();
  const char* const end = next + text.size();
  std::size_t count = 0;
  const __m256i caseBit = _mm256_set1_epi8(static_cast<char>(letterCaseBit));
  const __m256i shift = _mm256_set1_epi8(static_cast<char>(128 - firstLetter));
  const __m256i bound = _mm256_set1_epi8(static_cast<char>(alphabetSize - 128));
  while (end - next >= 64) {
    // Each byte of the two counts adds up the letters of its column, at most 255 blocks of 64
    // at a time; two of them, so that one addition need not wait for the other.
    __m256i counts = _mm256_setzero_si256();
    __m256i moreCounts = _mm256_setzero_si256();
    const std::size_t blocks =
        std::min<std::size_t>(static_cast<std::size_t>(end - next) / 64, 255);
    for (std::size_t block = 0; block < blocks; ++block, next += 64) {
      const __m256i first = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(next));
      const __m256i second = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(next + 32));
      // A letter as core/letter.h has it; below 26 unsigned is a signed compare once 128 is added.
      counts = _mm256_sub_epi8(
          counts,
          _mm256_cmpgt_epi8(bound, _mm256_add_epi8(_mm256_or_si256(first, caseBit), shift)));
      moreCounts = _mm256_sub_epi8(
          moreCounts,
          _mm256_cmpgt_epi8(bound, _mm256_add_epi8(_mm256_or_si256(second, caseBit), shift)));
    }
    const __m256i sums = _mm256_add_epi64(_mm256_sad_epu8(counts, _mm256_setzero_si256()),
                                          _mm256_sad_epu8(moreCounts, _mm256_setzero_si256()));
    const __m128i halves =
        _mm_add_epi64(_mm256_castsi256_si128(sums), _mm256_extracti128_si256(sums, 1));
    count += static_cast<std::size_t>(_mm_cvtsi128_si32(halves)) +
             static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_srli_si128(halves, 8)));
  }
  return count + countLettersPortable(std::string_view(next, static_cast<std::size_t>(end - next)));
}

std::int32_t encipherAvx2(const std::uint8_t* table, std::int32_t position, std::string_view text,
                          char* out) {
  return encipherInWholeBlocks<32>(encipherThirtyTwoAtATime, table, position, text, out);
}

}  // namespace vexilo
#endif
