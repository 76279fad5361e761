#include "core/text_loops.h"

#include "core/processor.h"
#include "core/text_loop_avx2.h"
#include "core/text_loop_avx512.h"
#include "core/text_loop_neon.h"
#include "core/text_loop_portable.h"
#include "core/text_loop_sse2.h"

namespace vexilo {

std::string_view textLoopName(TextLoop loop) {
  switch (loop) {
    case TextLoop::portable:
      return "portable";
    case TextLoop::sse2:
      return "SSE2";
    case TextLoop::avx2:
      return "AVX2";
    case TextLoop::avx512:
      return "AVX512";
    case TextLoop::neon:
      return "NEON";
  }
  return "unknown";
}

std::string_view whyTextLoopCannotRun(TextLoop loop) {
  constexpr std::string_view notBuilt =
      "not in this build (not this processor architecture, or "
      "built with VEXILO_VECTOR_LOOPS=OFF)";
  [[maybe_unused]] constexpr std::string_view notHere = "this processor lacks its instructions";
  switch (loop) {
    case TextLoop::portable:
      return {};
#if defined(VEXILO_X86_LOOPS)
    case TextLoop::sse2:
      return processorHasSse2() ? std::string_view{} : notHere;
    case TextLoop::avx2:
      return processorHasAvx2() ? std::string_view{} : notHere;
    case TextLoop::avx512:
      // Its last bytes, fewer than 64, go through the AVX2 loop.
      return processorHasAvx512Vbmi() && processorHasAvx2() ? std::string_view{} : notHere;
#endif
#if defined(VEXILO_NEON_LOOP)
    case TextLoop::neon:
      return processorHasNeon() ? std::string_view{} : notHere;
#endif
    default:
      return notBuilt;
  }
}

TextLoop chosenTextLoop() {
  const auto can = [](TextLoop loop) { return whyTextLoopCannotRun(loop).empty(); };
  static const TextLoop chosen = [&] {
    if (can(TextLoop::neon)) return TextLoop::neon;
    // Measured: on AMD processors (Zen 4 splits 512-bit work in two) the 32-byte loop is faster.
    if (can(TextLoop::avx512) && !processorIsAmd()) return TextLoop::avx512;
    if (can(TextLoop::avx2)) return TextLoop::avx2;
    if (can(TextLoop::avx512)) return TextLoop::avx512;
    if (can(TextLoop::sse2)) return TextLoop::sse2;
    return TextLoop::portable;
  }();
  return chosen;
}

bool textLoopReadsRows(TextLoop loop) {
  return loop == TextLoop::portable || loop == TextLoop::sse2;
}

std::size_t countLettersWith(TextLoop loop, std::string_view text) {
  switch (loop) {
#if defined(VEXILO_X86_LOOPS)
    case TextLoop::sse2:
      return countLettersSse2(text);
    case TextLoop::avx2:
    case TextLoop::avx512:
      return countLettersAvx2(text);
#endif
#if defined(VEXILO_NEON_LOOP)
    case TextLoop::neon:
      return countLettersNeon(text);
#endif
    default:
      return countLettersPortable(text);
  }
}

std::int32_t encipherFromPositionWith(TextLoop loop, const std::uint8_t* table,
                                      std::int32_t position, std::string_view text, char* out) {
  switch (loop) {
#if defined(VEXILO_X86_LOOPS)
    case TextLoop::avx2:
      return encipherAvx2(table, position, text, out);
    case TextLoop::avx512:
      return encipherAvx512(table, position, text, out);
#endif
#if defined(VEXILO_NEON_LOOP)
    case TextLoop::neon:
      return encipherNeon(table, position, text, out);
#endif
    default:
      return encipherPortable(table, position, text, out);
  }
}

std::size_t countLetters(std::string_view text) { return countLettersWith(chosenTextLoop(), text); }

std::int32_t encipherFromPosition(const std::uint8_t* table, std::int32_t position,
                                  std::string_view text, char* out) {
  return encipherFromPositionWith(chosenTextLoop(), table, position, text, out);
}

}  // namespace vexilo
