// What the system reports of an ARM processor, on Windows: every ARM processor that Windows runs
// on has NEON, and the build for x86-64 has no NEON loop to choose.
#include "system/processor.h"

namespace vexilo {

#if defined(__aarch64__)
bool processorHasNeon() { return true; }
#else
bool processorHasNeon() { return false; }
#endif

}  // namespace vexilo
