// Locks on POSIX systems: open-file-description locks of a byte (fcntl), which exclude other open
// descriptions of the same file, in this process too, go with the last descriptor of their open
// description, and are the locks that NFS carries to its server; they conflict with the locks that
// Wine takes for Windows programs. Where the system lacks them (macOS), flock of the whole file
// stands in: the file's classic fcntl locks would go as soon as any descriptor of the file closed,
// a reader's too.
#include "system/locks.h"

#include <fcntl.h>
#include <sys/file.h>

#include "system/posix_calls.h"

namespace vexilo {
namespace {

Result<HeldLock> lockByteWith([[maybe_unused]] const OpenFile& file,
                              [[maybe_unused]] std::uint64_t byte, bool wait) {
#if defined(F_OFD_SETLKW)
  struct flock range {};
  range.l_type = F_WRLCK;
  range.l_whence = SEEK_SET;
  range.l_start = static_cast<off_t>(byte);
  range.l_len = 1;
  if (retryWhileInterrupted([&] {
        return ::fcntl(descriptorOf(file), wait ? F_OFD_SETLKW : F_OFD_SETLK, &range);
      }) != 0) {
    if (!wait && (errno == EAGAIN || errno == EACCES)) return errorNumbered(EBUSY);
    return lastError();
  }
#else
  if (retryWhileInterrupted(
          [&] { return ::flock(descriptorOf(file), LOCK_EX | (wait ? 0 : LOCK_NB)); }) != 0) {
    if (!wait && errno == EWOULDBLOCK) return errorNumbered(EBUSY);
    return lastError();
  }
#endif
  return HeldLock();
}

}  // namespace

HeldLock::~HeldLock() = default;

Result<HeldLock> lockByte(const OpenFile& file, std::uint64_t byte) {
  return lockByteWith(file, byte, true);
}

Result<HeldLock> tryLockByte(const OpenFile& file, std::uint64_t byte) {
  return lockByteWith(file, byte, false);
}

}  // namespace vexilo
