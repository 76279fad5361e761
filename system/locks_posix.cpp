// Locks on POSIX systems: flock, which excludes other open descriptions of the same file, in this
// process too, and goes with the last descriptor of its open description.
#include "system/locks.h"

#include <sys/file.h>

#include "system/posix_calls.h"

namespace vexilo {

HeldLock::~HeldLock() = default;

Result<HeldLock> lockWhole(const OpenFile& file, const FileIdentity&) {
  if (retryWhileInterrupted([&] { return ::flock(descriptorOf(file), LOCK_EX); }) != 0) {
    return lastError();
  }
  return HeldLock();
}

}  // namespace vexilo
