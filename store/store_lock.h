// An exclusive lock that lets one run at a time add to a store, so that two runs never hand out
// the same ID for different contents: neither runs in one directory nor runs in different
// directories whose store files are the same files (symbolic links, chains of them, hard links to
// one store, or on Windows other spellings of one directory).
//
// The system takes each lock (system/locks.h) and gives it back when a process dies; which files
// are locked, in which order, and what a failure means is decided here, once for every system.
#ifndef VEXILO_STORE_STORE_LOCK_H_
#define VEXILO_STORE_STORE_LOCK_H_

#include <iostream>
#include <span>
#include <string>
#include <vector>

#include "system/files.h"
#include "system/locks.h"

namespace vexilo {

// Locks, for as long as the holder lives, the working directory, each of the store's `fileNames`
// that exists, and the directory that each of them is in or would be made in, at the end of its
// chain of links; all in one order that every run shares (by file identity), waiting while another
// run holds any of them. The locks go with the holder, whichever way its scope is left, and with
// the process when it dies. No file is made. When a directory cannot be opened or a lock cannot be
// taken, "the store cannot be locked: REASON" with the first reason is said on `err`, and the run
// goes on without that lock.
class StoreLock {
 public:
  explicit StoreLock(std::span<const std::string> fileNames, std::ostream& err = std::cerr);
  ~StoreLock();
  StoreLock(const StoreLock&) = delete;
  StoreLock& operator=(const StoreLock&) = delete;

  // True when every lock was taken.
  bool held() const { return held_; }

 private:
  std::vector<OpenFile> lockedFiles_;  // each file and directory locked, open while it is
  std::vector<HeldLock> locks_;        // after the files: given back before they close
  bool held_ = true;
};

}  // namespace vexilo

#endif  // VEXILO_STORE_STORE_LOCK_H_
