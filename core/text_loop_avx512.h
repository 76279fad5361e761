// The text loop that enciphers 64 bytes at a time with AVX-512's byte permutations (VBMI and
// VBMI2), on x86 processors that have them.
#ifndef VEXILO_CORE_TEXT_LOOP_AVX512_H_
#define VEXILO_CORE_TEXT_LOOP_AVX512_H_

#include <cstdint>
#include <string_view>

namespace vexilo {

// As `encipherFromPosition` of text_loops.h; the bytes after the last whole block of 64 go through
// the AVX2 loop, which every processor with these instructions has. Only in builds with
// VEXILO_X86_LOOPS (core/processor.h).
std::int32_t encipherAvx512(const std::uint8_t* table, std::int32_t position, std::string_view text,
                            char* out);

}  // namespace vexilo

#endif  // VEXILO_CORE_TEXT_LOOP_AVX512_H_
