// What the system reports of an ARM processor, on POSIX systems.
#include "system/processor.h"

#if defined(__arm__) && defined(__linux__)
#include <sys/auxv.h>
#endif

namespace vexilo {

#if defined(__aarch64__)
bool processorHasNeon() { return true; }
#elif defined(__arm__) && defined(__linux__)
bool processorHasNeon() {
  // Linux's bit for NEON in AT_HWCAP on 32-bit ARM. Other systems would ask their own way
  // (elf_aux_info on FreeBSD); there the portable loop runs.
  constexpr unsigned long neonBit = 1UL << 12;
  static const bool has = (::getauxval(AT_HWCAP) & neonBit) != 0;
  return has;
}
#else
bool processorHasNeon() { return false; }
#endif

}  // namespace vexilo
