// Locks on Windows: LockFileEx on a byte, which the system gives back when the process dies, a
// file server (SMB) keeps for all its clients, and Wine maps to the Linux locks of the file, so
// that Windows and Linux programs take turns. A lock that waits may not see a holder outside
// Windows (a Linux program under Wine), so a run waits by trying again after a short sleep.
#include "system/locks.h"

#include "system/windows_calls.h"

namespace vexilo {
namespace {

// How long a run sleeps between tries while another holds the lock.
constexpr DWORD sleepBetweenTries = 2;  // milliseconds

OVERLAPPED at(std::uint64_t byte) {
  OVERLAPPED overlapped{};
  overlapped.Offset = static_cast<DWORD>(byte);
  overlapped.OffsetHigh = static_cast<DWORD>(byte >> 32);
  return overlapped;
}

}  // namespace

HeldLock::~HeldLock() {
  if (file_ == noFile) return;
  OVERLAPPED overlapped = at(byte_);
  ::UnlockFileEx(handleOf(file_), 0, 1, 0, &overlapped);
}

Result<HeldLock> tryLockByte(const OpenFile& file, std::uint64_t byte) {
  OVERLAPPED overlapped = at(byte);
  if (!::LockFileEx(handleOf(file.get()), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1,
                    0, &overlapped)) {
    const DWORD code = ::GetLastError();
    if (code == ERROR_LOCK_VIOLATION || code == ERROR_IO_PENDING) return errorNumbered(EBUSY);
    return errorFrom(code);
  }
  return HeldLock(file.get(), byte);
}

Result<HeldLock> lockByte(const OpenFile& file, std::uint64_t byte) {
  for (;;) {
    Result<HeldLock> lock = tryLockByte(file, byte);
    if (lock || lock.error().number != EBUSY) return lock;
    ::Sleep(sleepBetweenTries);
  }
}

}  // namespace vexilo
