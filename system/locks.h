// The system's exclusive locks of a byte of a file, which it gives back when the process that
// holds one dies, and which it carries to a file server (NFS, SMB) and, under Wine, between Windows
// and Linux programs. Which files are locked, in which order, and what a failure means is the
// store's (store/store_lock.h).
//
// locks_posix.cpp (open-file-description locks) and locks_windows.cpp (LockFileEx) take them; the
// build takes one.
#ifndef VEXILO_SYSTEM_LOCKS_H_
#define VEXILO_SYSTEM_LOCKS_H_

#include <cstdint>

#include "system/files.h"
#include "system/result.h"

namespace vexilo {

// The byte that every run locks, on every system, so that their locks meet: far beyond anything a
// store holds (Windows' locks keep others from reading the bytes they cover), and below 2 GiB, the
// most that every file server and 32-bit system takes.
inline constexpr std::uint64_t lockedByte = 0x7FFFFFF0;

// A lock the process holds until the holder goes: on Windows the handle and the byte to unlock; on
// POSIX systems nothing beside the file, whose lock goes when the file is closed.
class HeldLock {
 public:
  HeldLock() = default;
  HeldLock(FileHandle file, std::uint64_t byte) : file_(file), byte_(byte) {}
  ~HeldLock();
  HeldLock(HeldLock&& other) noexcept : file_(other.file_), byte_(other.byte_) {
    other.file_ = noFile;
  }
  HeldLock& operator=(HeldLock&& other) = delete;
  HeldLock(const HeldLock&) = delete;
  HeldLock& operator=(const HeldLock&) = delete;

 private:
  FileHandle file_ = noFile;  // noFile: nothing to give back by hand
  std::uint64_t byte_ = 0;
};

// Takes the exclusive lock of the byte numbered `byte` of the file open on `file`, which must be
// open for writing, waiting while another holder has it: one open file, in this process too,
// excludes every other. `file` must stay open as long as the lock is held.
Result<HeldLock> lockByte(const OpenFile& file, std::uint64_t byte);

// As `lockByte`, without waiting: EBUSY when another holder has the byte.
Result<HeldLock> tryLockByte(const OpenFile& file, std::uint64_t byte);

}  // namespace vexilo

#endif  // VEXILO_SYSTEM_LOCKS_H_
