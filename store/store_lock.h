// An exclusive lock that lets one run at a time add to a store, so that two runs never hand out
// the same ID for different contents: neither runs in one directory nor runs in different
// directories whose store files are the same files (symbolic links, chains of them, hard links to
// one store, or on Windows other spellings of one directory), nor Linux and Windows programs on
// one store, nor runs on different machines that share it over NFS or SMB.
//
// The system takes each lock (system/locks.h) and gives it back when a process dies; which files
// are locked, in which order, and what a failure means is decided here, once for every system.
#ifndef VEXILO_STORE_STORE_LOCK_H_
#define VEXILO_STORE_STORE_LOCK_H_

#include <iostream>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "system/files.h"
#include "system/locks.h"
#include "system/names.h"

namespace vexilo {

// Locks, for as long as the holder lives, `lockedByte` of each of the store's `fileNames`, the
// file at the end of its chain of links, in the order of the names (which every run shares, on
// every system); a file that two names lead to is locked once. It waits while another run holds
// any of them. A store file not made yet is made, empty, so that it can be locked; when the lock
// goes, one that is still empty is removed again, if its name still holds it. A name that leads
// nowhere, or to anything but a regular file, is passed over: appending to it fails by itself.
// When a file cannot be opened for writing or made, or its lock cannot be taken, "the store cannot
// be locked: REASON" is said on `err`, and the run must not add to the store.
class StoreLock {
 public:
  explicit StoreLock(std::span<const std::string> fileNames, std::ostream& err = std::cerr);
  ~StoreLock();
  StoreLock(const StoreLock&) = delete;
  StoreLock& operator=(const StoreLock&) = delete;

  // True when every lock was taken.
  bool held() const { return held_; }

  // Whether the store file `fileName` was absent, and made by this lock.
  bool made(const std::string& fileName) const;

 private:
  struct LockedFile {
    std::string name;
    FileIdentity identity;
    OpenFile file;
    std::optional<FileLocation> madeAt;  // where the lock made it, when it did
    HeldLock lock;                       // after the file: given back before it closes
  };
  // Opens, or makes, the file that `name` leads to and locks it, unless it is locked already.
  Status lockFile(const std::string& name);

  std::vector<LockedFile> files_;
  bool held_ = true;
};

}  // namespace vexilo

#endif  // VEXILO_STORE_STORE_LOCK_H_
