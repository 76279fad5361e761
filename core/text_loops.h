// The loops that encipher running text through a table of `buildCipherTable`, one per instruction
// set, and the choice between them. Each loop counts letters and enciphers; each gives exactly what
// the portable loop gives, which is the reference.
#ifndef VEXILO_CORE_TEXT_LOOPS_H_
#define VEXILO_CORE_TEXT_LOOPS_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vexilo {

// portable: one byte at a time, on every processor. sse2: the portable loop with letters counted
// 16 bytes at a time. avx2: 32 bytes at a time with byte shuffles, letters counted 64 at a time.
// avx512: 64 bytes at a time with byte permutations (VBMI and VBMI2), letters counted as avx2
// does. neon: 16 bytes at a time with table lookups.
enum class TextLoop { portable, sse2, avx2, avx512, neon };

inline constexpr std::array<TextLoop, 5> allTextLoops = {
    TextLoop::portable, TextLoop::sse2, TextLoop::avx2, TextLoop::avx512, TextLoop::neon};

std::string_view textLoopName(TextLoop loop);

// Why `loop` cannot run here (not in this build, or not on this processor); empty when it can.
std::string_view whyTextLoopCannotRun(TextLoop loop);

// The loop `countLetters` and `encipherFromPosition` take: of those that can run here, the fastest
// for the processor's family, which is not always the widest (on AMD processors the 32-byte loop
// beats the 64-byte one).
TextLoop chosenTextLoop();

// Whether `loop` reads the rows of the table (`table_layout`): only the loops of one byte at a time
// do.
bool textLoopReadsRows(TextLoop loop);

// The number of letters in `text`: how far the machine moves while it is enciphered.
std::size_t countLetters(std::string_view text);
std::size_t countLettersWith(TextLoop loop, std::string_view text);

// Writes `text` enciphered through `table` from machine position `position` (0 to 17575) to `out`,
// which has room for `text.size()` bytes and may be `text` itself; returns the position after the
// last letter. Parts of a text counted with `countLetters` can thus be enciphered apart, each from
// its own start.
std::int32_t encipherFromPosition(const std::uint8_t* table, std::int32_t position,
                                  std::string_view text, char* out);
// As `encipherFromPosition`, with `loop`, which must be able to run here.
std::int32_t encipherFromPositionWith(TextLoop loop, const std::uint8_t* table,
                                      std::int32_t position, std::string_view text, char* out);

}  // namespace vexilo

#endif  // VEXILO_CORE_TEXT_LOOPS_H_
