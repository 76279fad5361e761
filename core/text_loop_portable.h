// The portable text loop: plain C++ on every processor, and the reference for the vector loops.
#ifndef VEXILO_CORE_TEXT_LOOP_PORTABLE_H_
#define VEXILO_CORE_TEXT_LOOP_PORTABLE_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vexilo {

// As `countLetters` and `encipherFromPosition` of text_loops.h.
std::size_t countLettersPortable(std::string_view text);
std::int32_t encipherPortable(const std::uint8_t* table, std::int32_t position,
                              std::string_view text, char* out);

}  // namespace vexilo

#endif  // VEXILO_CORE_TEXT_LOOP_PORTABLE_H_
