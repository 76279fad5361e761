// Which vector loops this build carries, and what the processor it runs on can do. The loops are
// compiled with per-function target attributes, not with the compiler's baseline flags, so that one
// binary carries them all and chooses when it runs: an i686 build, whose baseline has no SSE2, has
// the SSE2, AVX2 and AVX-512 loops too, and an armhf build the NEON loop.
#ifndef VEXILO_CORE_PROCESSOR_H_
#define VEXILO_CORE_PROCESSOR_H_

// VEXILO_VECTOR_LOOPS (the CMake option of that name) lets the vector loops in at all.
#if defined(VEXILO_VECTOR_LOOPS) && (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
#define VEXILO_X86_LOOPS 1
#endif
// 32-bit ARM needs a floating-point ABI for NEON's registers (any armhf build has one), and NEON in
// the baseline for clang, whose NEON intrinsics take no per-function target.
#if defined(VEXILO_VECTOR_LOOPS) && defined(__GNUC__) && \
    (defined(__aarch64__) ||                             \
     (defined(__arm__) && defined(__ARM_FP) && (defined(__ARM_NEON) || !defined(__clang__))))
#define VEXILO_NEON_LOOP 1
#endif

#include "system/processor.h"

namespace vexilo {

// Each is false on a processor of another kind.
bool processorHasSse2();
bool processorHasAvx2();
// AVX-512 with the byte permutations: F, BW, VBMI and VBMI2, and POPCNT.
bool processorHasAvx512Vbmi();
// processorHasNeon: system/processor.h.
// An AMD processor, on which the widest loop is not the fastest.
bool processorIsAmd();

}  // namespace vexilo

#endif  // VEXILO_CORE_PROCESSOR_H_
