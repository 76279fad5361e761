// The text loop that enciphers 32 bytes at a time with AVX2's byte shuffles, on x86 processors that
// have them.
#ifndef VEXILO_CORE_TEXT_LOOP_AVX2_H_
#define VEXILO_CORE_TEXT_LOOP_AVX2_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vexilo {

// As `countLetters` of text_loops.h, 64 bytes at a time. Only in builds with VEXILO_X86_LOOPS
// (core/processor.h), as is the loop below.
std::size_t countLettersAvx2(std::string_view text);

// As `encipherFromPosition` of text_loops.h.
std::int32_t encipherAvx2(const std::uint8_t* table, std::int32_t position, std::string_view text,
                          char* out);

}  // namespace vexilo

#endif  // VEXILO_CORE_TEXT_LOOP_AVX2_H_
