#include "store/store_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>

namespace vexilo {
namespace {

void reportUnlocked() {
  std::cerr << "vexilo: the store cannot be locked: " << std::strerror(errno) << '\n';
}

}  // namespace

StoreLock::StoreLock() {
  const int descriptor = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) {
    reportUnlocked();
    return;
  }
  int locked = -1;
  do {
    locked = ::flock(descriptor, LOCK_EX);
  } while (locked != 0 && errno == EINTR);
  if (locked != 0) {
    reportUnlocked();
    ::close(descriptor);
    return;
  }
  descriptor_ = descriptor;
}

StoreLock::~StoreLock() {
  // Closing the only descriptor of the open directory releases its lock.
  if (descriptor_ >= 0) ::close(descriptor_);
}

}  // namespace vexilo
