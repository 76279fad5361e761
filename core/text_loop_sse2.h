// Letters counted 16 bytes at a time with SSE2, on x86 processors that have it (every x86-64
// processor; an i686 build checks when it runs).
#ifndef VEXILO_CORE_TEXT_LOOP_SSE2_H_
#define VEXILO_CORE_TEXT_LOOP_SSE2_H_

#include <cstddef>
#include <string_view>

namespace vexilo {

// As `countLetters` of text_loops.h. Only in builds with VEXILO_X86_LOOPS (core/processor.h).
std::size_t countLettersSse2(std::string_view text);

}  // namespace vexilo

#endif  // VEXILO_CORE_TEXT_LOOP_SSE2_H_
