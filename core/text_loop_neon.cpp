#include "core/text_loop_neon.h"

#include "core/processor.h"

#if defined(VEXILO_NEON_LOOP)
#include <arm_neon.h>

#include <algorithm>

#include "core/cipher_table.h"
#include "core/letter.h"
#include "core/signal_path.h"
#include "core/text_loop_portable.h"

// On 32-bit ARM, NEON is not in the baseline of Debian's armhf: only these functions use it.
#if defined(__ARM_NEON)
#define VEXILO_NEON
#else
#define VEXILO_NEON __attribute__((target("fpu=neon")))
#endif

namespace vexilo {
namespace {

constexpr std::size_t blockLength = 16;

// 0xFF for each byte that is a letter as core/letter.h has it, 0 otherwise; the letter indexes in
// `folded`.
VEXILO_NEON uint8x16_t lettersOf(uint8x16_t bytes, uint8x16_t& folded) {
  folded = vsubq_u8(vorrq_u8(bytes, vdupq_n_u8(letterCaseBit)), vdupq_n_u8(firstLetter));
  return vcltq_u8(folded, vdupq_n_u8(alphabetSize));
}

// Value `index` of the 26 that `map` holds from byte `mapPlainValues` (core/cipher_table.h), for
// each of the 16 bytes; an index of 32 or more gives 0, and none reads outside the map.
VEXILO_NEON uint8x16_t lookUp(const std::uint8_t* map, uint8x16_t index) {
  const std::uint8_t* const values = map + table_layout::mapPlainValues;
#if defined(__aarch64__)
  const uint8x16x2_t table = {{vld1q_u8(values), vld1q_u8(values + 16)}};
  return vqtbl2q_u8(table, index);
#else
  const uint8x8x4_t table = {
      {vld1_u8(values), vld1_u8(values + 8), vld1_u8(values + 16), vld1_u8(values + 24)}};
  return vcombine_u8(vtbl4_u8(table, vget_low_u8(index)), vtbl4_u8(table, vget_high_u8(index)));
#endif
}

// Rotor 1's offset at each letter from the letters before it among the 16, then the signal through
// the plugboard, rotor 1, the map of rotors 2 and 3 at their position (or the next, for letters
// past rotor 2's step; 16 letters step it once at most), rotor 1 back and the plugboard. Values
// below 0 or from 26 on are brought back into 0 to 25 by the smaller of v and v +/- 26 in 8 bits.
VEXILO_NEON std::int32_t encipherBlocks(const std::uint8_t* table, std::int32_t position,
                                        const char* in, std::size_t length, char* out) {
  const uint8x16_t alphabet = vdupq_n_u8(alphabetSize);
  const uint8x16_t zero = vdupq_n_u8(0);
  std::int32_t offset1 = position % alphabetSize;
  std::int32_t outer = position / alphabetSize;
  for (std::size_t done = 0; done + blockLength <= length; done += blockLength) {
    const uint8x16_t bytes = vld1q_u8(reinterpret_cast<const std::uint8_t*>(in + done));
    uint8x16_t index;
    const uint8x16_t isLetter = lettersOf(bytes, index);
    // Letters up to and including each byte.
    uint8x16_t letters = vshrq_n_u8(isLetter, 7);
    letters = vaddq_u8(letters, vextq_u8(zero, letters, 15));
    letters = vaddq_u8(letters, vextq_u8(zero, letters, 14));
    letters = vaddq_u8(letters, vextq_u8(zero, letters, 12));
    letters = vaddq_u8(letters, vextq_u8(zero, letters, 8));
    uint8x16_t offset = vaddq_u8(vdupq_n_u8(static_cast<std::uint8_t>(offset1 - 1)), letters);
    const uint8x16_t stepped = vcgeq_u8(offset, alphabet);
    offset = vsubq_u8(offset, vandq_u8(stepped, alphabet));

    uint8x16_t entering = vsubq_u8(lookUp(table + table_layout::plugboardMap, index), offset);
    entering = vminq_u8(entering, vaddq_u8(entering, alphabet));
    const std::uint8_t* const map = table_layout::innerMap(table, outer);
    uint8x16_t leaving =
        vbslq_u8(stepped, lookUp(map + table_layout::mapSize, entering), lookUp(map, entering));
    leaving = vaddq_u8(leaving, offset);
    leaving = vminq_u8(leaving, vsubq_u8(leaving, alphabet));
    const uint8x16_t enciphered = lookUp(table + table_layout::plugboardLetterMap, leaving);
    vst1q_u8(reinterpret_cast<std::uint8_t*>(out + done), vbslq_u8(isLetter, enciphered, bytes));

    offset1 += vgetq_lane_u8(letters, 15);
    if (offset1 >= alphabetSize) {
      offset1 -= alphabetSize;
      if (++outer == rotor2Period) outer = 0;
    }
  }
  return outer * alphabetSize + offset1;
}

VEXILO_NEON std::size_t countBlocks(const char* in, std::size_t length) {
  std::size_t count = 0;
  std::size_t done = 0;
  while (length - done >= blockLength) {
    // Each byte of `counts` adds up the letters of its column, at most 255 blocks at a time.
    uint8x16_t counts = vdupq_n_u8(0);
    const std::size_t end =
        done + std::min<std::size_t>((length - done) / blockLength, 255) * blockLength;
    for (; done < end; done += blockLength) {
      uint8x16_t folded;
      const uint8x16_t bytes = vld1q_u8(reinterpret_cast<const std::uint8_t*>(in + done));
      counts = vsubq_u8(counts, lettersOf(bytes, folded));
    }
    const uint64x2_t sums = vpaddlq_u32(vpaddlq_u16(vpaddlq_u8(counts)));
    count += static_cast<std::size_t>(vgetq_lane_u64(sums, 0) + vgetq_lane_u64(sums, 1));
  }
  return count;
}

}  // namespace

std::size_t countLettersNeon(std::string_view text) {
  const std::size_t blocks = text.size() / blockLength * blockLength;
  return countBlocks(text.data(), blocks) + countLettersPortable(text.substr(blocks));
}

std::int32_t encipherNeon(const std::uint8_t* table, std::int32_t position, std::string_view text,
                          char* out) {
  return encipherInWholeBlocks<blockLength>(encipherBlocks, table, position, text, out);
}

}  // namespace vexilo
#endif
