// An exclusive advisory lock that lets one run at a time add to a store, so that two runs never
// hand out the same ID for different contents: neither runs in one directory nor runs in different
// directories whose store files are the same files (symbolic or hard links to one store).
#ifndef VEXILO_STORE_STORE_LOCK_H_
#define VEXILO_STORE_STORE_LOCK_H_

#include <initializer_list>
#include <iostream>
#include <string_view>
#include <vector>

#include "store/file_system.h"

namespace vexilo {

// Locks, for as long as the holder lives, the working directory, each of the store's `fileNames`
// that exists, and the directory that a store file's symbolic link points into (where a file not
// yet made will be made), all in one order that every run shares (by device and inode), waiting
// while another run holds any of them. The locks go with the holder, whichever way its scope is
// left, and with the process when it dies. No file is made. What cannot be locked is said on `err`,
// and the run goes on without that lock.
class StoreLock {
 public:
  explicit StoreLock(std::initializer_list<std::string_view> fileNames,
                     std::ostream& err = std::cerr);
  StoreLock(const StoreLock&) = delete;
  StoreLock& operator=(const StoreLock&) = delete;

  // True when every lock was taken.
  bool held() const { return held_; }

 private:
  std::vector<FileDescriptor> locked_;
  bool held_ = true;
};

}  // namespace vexilo

#endif  // VEXILO_STORE_STORE_LOCK_H_
