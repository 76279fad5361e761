// What the system reports of the processor, where the compiler's own check cannot tell (the
// x86 features are read in core/processor.cpp).
//
// processor_posix.cpp and processor_windows.cpp ask; the build takes one.
#ifndef VEXILO_SYSTEM_PROCESSOR_H_
#define VEXILO_SYSTEM_PROCESSOR_H_

namespace vexilo {

// Always true on aarch64; on 32-bit ARM, what the kernel reports of the processor; false on a
// processor of another kind.
bool processorHasNeon();

}  // namespace vexilo

#endif  // VEXILO_SYSTEM_PROCESSOR_H_
