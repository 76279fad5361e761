// The x86 processor's features, as the compiler's own check reads them (on every system: it also
// asks whether the system saves the wide registers, without which AVX cannot be used). The ARM
// features come from the system: system/processor.h.
#include "core/processor.h"

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

}  // namespace vexilo
