#include "core/text_loop_sse2.h"

#include "core/processor.h"

#if defined(VEXILO_X86_LOOPS)
#include <emmintrin.h>

#include <algorithm>

#include "core/letter.h"
#include "core/text_loop_portable.h"

namespace vexilo {

__attribute__((target("sse2"))) std::size_t countLettersSse2(std::string_view text) {
  const char* next = text.data();
  const char* const end = next + text.size();
  std::size_t count = 0;
  const __m128i caseBit = _mm_set1_epi8(static_cast<char>(letterCaseBit));
  // With the case bit set, less 'a', below 26 unsigned (core/letter.h) is a signed compare once
  // 128 is added as well: 'a' ends at -128 and 'z' at -103.
  const __m128i shift = _mm_set1_epi8(static_cast<char>(128 - firstLetter));
  const __m128i bound = _mm_set1_epi8(static_cast<char>(alphabetSize - 128));
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
  return count + countLettersPortable(std::string_view(next, static_cast<std::size_t>(end - next)));
}

}  // namespace vexilo
#endif
