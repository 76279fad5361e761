// What the POSIX files of system/ share about calling the system.
#ifndef VEXILO_SYSTEM_POSIX_CALLS_H_
#define VEXILO_SYSTEM_POSIX_CALLS_H_

#include <cerrno>

#include "system/files.h"
#include "system/result.h"

namespace vexilo {

// Makes the system call `call` until a signal no longer interrupts it (it fails with EINTR), and
// returns its last result.
template <typename SystemCall>
auto retryWhileInterrupted(SystemCall call) {
  auto result = call();
  while (result < 0 && errno == EINTR) result = call();
  return result;
}

// The reason the last call failed.
inline Error lastError() { return errorNumbered(errno); }

// A descriptor's own number.
inline int descriptorOf(FileHandle file) { return static_cast<int>(file); }
inline int descriptorOf(const OpenFile& file) { return descriptorOf(file.get()); }

}  // namespace vexilo

#endif  // VEXILO_SYSTEM_POSIX_CALLS_H_
