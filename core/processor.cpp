#include "core/processor.h"

#if defined(__arm__) && defined(__linux__)
#include <sys/auxv.h>
#endif

namespace vexilo {

#if defined(__x86_64__) || defined(__i386__)
bool processorHasSse2() {
  static const bool has = __builtin_cpu_supports("sse2");
  return has;
}

bool processorHasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

bool processorHasAvx512Vbmi() {
  static const bool has = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                          __builtin_cpu_supports("avx512vbmi") &&
                          __builtin_cpu_supports("avx512vbmi2") && __builtin_cpu_supports("popcnt");
  return has;
}

bool processorIsAmd() {
  static const bool is = __builtin_cpu_is("amd");
  return is;
}
#else
bool processorHasSse2() { return false; }
bool processorHasAvx2() { return false; }
bool processorHasAvx512Vbmi() { return false; }
bool processorIsAmd() { return false; }
#endif

#if defined(__aarch64__)
bool processorHasNeon() { return true; }
#elif defined(__arm__) && defined(__linux__)
bool processorHasNeon() {
  // The kernel's bit for NEON in AT_HWCAP on 32-bit ARM.
  constexpr unsigned long neonBit = 1UL << 12;
  static const bool has = (::getauxval(AT_HWCAP) & neonBit) != 0;
  return has;
}
#else
bool processorHasNeon() { return false; }
#endif

}  // namespace vexilo
