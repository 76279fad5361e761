// The text loop that counts letters and enciphers 16 bytes at a time with NEON's table lookups, on
// ARM processors that have them (every aarch64 processor; an armhf build checks when it runs).
#ifndef VEXILO_CORE_TEXT_LOOP_NEON_H_
#define VEXILO_CORE_TEXT_LOOP_NEON_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vexilo {

// As `countLetters` and `encipherFromPosition` of text_loops.h. Only in builds with
// VEXILO_NEON_LOOP (core/processor.h).
std::size_t countLettersNeon(std::string_view text);
std::int32_t encipherNeon(const std::uint8_t* table, std::int32_t position, std::string_view text,
                          char* out);

}  // namespace vexilo

#endif  // VEXILO_CORE_TEXT_LOOP_NEON_H_
