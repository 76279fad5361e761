// What the POSIX files of the program share about calling the system.
#ifndef VEXILO_STORE_POSIX_CALLS_H_
#define VEXILO_STORE_POSIX_CALLS_H_

#include <cerrno>

namespace vexilo {

// Makes the system call `call` until a signal no longer interrupts it (it fails with EINTR), and
// returns its last result.
template <typename SystemCall>
auto retryWhileInterrupted(SystemCall call) {
  auto result = call();
  while (result < 0 && errno == EINTR) result = call();
  return result;
}

}  // namespace vexilo

#endif  // VEXILO_STORE_POSIX_CALLS_H_
