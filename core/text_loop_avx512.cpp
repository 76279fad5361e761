#include "core/text_loop_avx512.h"

#include "core/processor.h"

#if defined(VEXILO_X86_LOOPS)
#include <immintrin.h>

#include <array>
#include <cstddef>

#include "core/cipher_table.h"
#include "core/letter.h"
#include "core/signal_path.h"
#include "core/text_loop_avx2.h"

namespace vexilo {
namespace {

using table_layout::mapSize;

#define VEXILO_AVX512 __attribute__((target("avx512f,avx512bw,avx512vbmi,avx512vbmi2,popcnt")))

VEXILO_AVX512 __m512i loadPlainValues(const std::uint8_t* entry) {
  return _mm512_maskz_loadu_epi8(0xFFFFFFFFU, entry + table_layout::mapPlainValues);
}

// Value `index` & 63 of `values` for each byte. (The unmasked intrinsic starts from an undefined
// register, which g++ 12 warns of.)
VEXILO_AVX512 __m512i permute(__m512i index, __m512i values) {
  return _mm512_maskz_permutexvar_epi8(~__mmask64{0}, index, values);
}

// As the 32-byte loop (core/text_loop_avx2.cpp), 64 bytes at a time: a letter's place among the
// letters of the 64 comes from spreading 0, 1, 2, ... over the letters, and each map is one byte
// permutation. Up to 64 letters step rotor 2 up to three times.
VEXILO_AVX512 std::int32_t encipherSixtyFourAtATime(const std::uint8_t* table,
                                                    std::int32_t position, const char* in,
                                                    std::size_t length, char* out) {
  static constexpr std::array<std::uint8_t, 64> ascending = [] {
    std::array<std::uint8_t, 64> values{};
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = static_cast<std::uint8_t>(i);
    return values;
  }();
  const __m512i places = _mm512_loadu_si512(ascending.data());
  const __m512i plugboard = loadPlainValues(table + table_layout::plugboardMap);
  const __m512i plugboardLetters = loadPlainValues(table + table_layout::plugboardLetterMap);
  const __m512i alphabet = _mm512_set1_epi8(alphabetSize);
  const __m512i caseBit = _mm512_set1_epi8(static_cast<char>(letterCaseBit));
  const __m512i shift = _mm512_set1_epi8(static_cast<char>(128 - firstLetter));
  const __m512i bound = _mm512_set1_epi8(static_cast<char>(alphabetSize - 128));
  std::int32_t offset1 = position % alphabetSize;
  std::int32_t outer = position / alphabetSize;
  for (std::size_t done = 0; done + 64 <= length; done += 64) {
    const __m512i bytes = _mm512_loadu_si512(in + done);
    // A letter as core/letter.h has it; below 26 unsigned is a signed compare once 128 is added.
    const __m512i shifted = _mm512_add_epi8(_mm512_or_si512(bytes, caseBit), shift);
    const __mmask64 isLetter = _mm512_cmplt_epi8_mask(shifted, bound);
    // The permutations read only the low 6 bits of an index: letters give 0 to 25.
    const __m512i index = _mm512_xor_si512(shifted, _mm512_set1_epi8(-128));
    __m512i offset = _mm512_add_epi8(_mm512_maskz_expand_epi8(isLetter, places),
                                     _mm512_set1_epi8(static_cast<char>(offset1)));
    const __mmask64 steppedOnce = _mm512_cmpge_epi8_mask(offset, alphabet);
    const __mmask64 steppedTwice =
        _mm512_cmpge_epi8_mask(offset, _mm512_set1_epi8(2 * alphabetSize));
    const __mmask64 steppedThrice =
        _mm512_cmpge_epi8_mask(offset, _mm512_set1_epi8(3 * alphabetSize));
    offset = _mm512_mask_sub_epi8(offset, steppedOnce, offset, alphabet);
    offset = _mm512_mask_sub_epi8(offset, steppedTwice, offset, alphabet);
    offset = _mm512_mask_sub_epi8(offset, steppedThrice, offset, alphabet);

    __m512i entering = _mm512_sub_epi8(permute(index, plugboard), offset);
    entering = _mm512_mask_add_epi8(entering, _mm512_movepi8_mask(entering), entering, alphabet);
    const std::uint8_t* map = table_layout::innerMap(table, outer);
    __m512i leaving = permute(entering, loadPlainValues(map));
    leaving = _mm512_mask_permutexvar_epi8(leaving, steppedOnce, entering,
                                           loadPlainValues(map + mapSize));
    leaving = _mm512_mask_permutexvar_epi8(leaving, steppedTwice, entering,
                                           loadPlainValues(map + 2 * mapSize));
    leaving = _mm512_mask_permutexvar_epi8(leaving, steppedThrice, entering,
                                           loadPlainValues(map + 3 * mapSize));
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

std::int32_t encipherAvx512(const std::uint8_t* table, std::int32_t position, std::string_view text,
                            char* out) {
  const std::size_t blocks = text.size() / 64 * 64;
  position = encipherSixtyFourAtATime(table, position, text.data(), blocks, out);
  return encipherAvx2(table, position, text.substr(blocks), out + blocks);
}

}  // namespace vexilo
#endif
