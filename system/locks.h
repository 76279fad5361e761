// The system's exclusive locks, which it gives back when the process that holds one dies. Which
// files are locked, in which order, and what a failure means is the store's (store/store_lock.h).
//
// locks_posix.cpp (flock on the file) and locks_windows.cpp (a named mutex for the file) take
// them; the build takes one.
#ifndef VEXILO_SYSTEM_LOCKS_H_
#define VEXILO_SYSTEM_LOCKS_H_

#include <cstdint>

#include "system/files.h"
#include "system/result.h"

namespace vexilo {

// A lock the process holds until the holder goes: on Windows the mutex that stands for the file;
// on POSIX systems nothing beside the file, whose lock goes when the file is closed.
class HeldLock {
 public:
  HeldLock() = default;
  explicit HeldLock(std::intptr_t mutex) : mutex_(mutex) {}
  ~HeldLock();
  HeldLock(HeldLock&& other) noexcept : mutex_(other.mutex_) { other.mutex_ = 0; }
  HeldLock& operator=(HeldLock&& other) = delete;
  HeldLock(const HeldLock&) = delete;
  HeldLock& operator=(const HeldLock&) = delete;

 private:
  std::intptr_t mutex_ = 0;  // 0: none
};

// Takes the exclusive lock of the file or directory open on `file`, whose identity is `identity`,
// waiting while another holder has it: one open file, in this process too, excludes every other.
// `file` must stay open as long as the lock is held.
Result<HeldLock> lockWhole(const OpenFile& file, const FileIdentity& identity);

}  // namespace vexilo

#endif  // VEXILO_SYSTEM_LOCKS_H_
