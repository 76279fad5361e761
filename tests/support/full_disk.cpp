// Loaded into the program under test (LD_PRELOAD) to play a disk that fills up while one file is
// written: writes to the file named by VEXILO_FULL_FILE take VEXILO_FULL_AFTER bytes in all, then
// fail with ENOSPC. Writes to every other file go through unchanged. It plays two more faults when
// asked: a file that cannot be read to its end, and memory that runs out (see below).
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

using WriteFunction = ssize_t (*)(int, const void*, size_t);

// Whether `descriptor` is open on a file whose name (without its directory) is `name`.
bool writesTo(int descriptor, const char* name) {
  char link[64];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", descriptor);
  char path[PATH_MAX];
  const ssize_t length = ::readlink(link, path, sizeof path - 1);
  if (length <= 0) return false;
  path[length] = '\0';
  const char* slash = std::strrchr(path, '/');
  return std::strcmp(slash == nullptr ? path : slash + 1, name) == 0;
}

long long roomLeft() {
  const char* after = std::getenv("VEXILO_FULL_AFTER");
  return after == nullptr ? 0 : std::atoll(after);
}

}  // namespace

extern "C" ssize_t write(int descriptor, const void* data, size_t size) {
  static const auto realWrite = reinterpret_cast<WriteFunction>(::dlsym(RTLD_NEXT, "write"));
  static const char* const fullFile = std::getenv("VEXILO_FULL_FILE");
  static long long room = roomLeft();
  if (fullFile == nullptr || !writesTo(descriptor, fullFile)) {
    return realWrite(descriptor, data, size);
  }
  if (room <= 0) {
    errno = ENOSPC;
    return -1;
  }
  const ssize_t written = realWrite(descriptor, data, std::min(size, static_cast<size_t>(room)));
  if (written > 0) room -= written;
  return written;
}

namespace {

long long numberIn(const char* variable) {
  const char* value = std::getenv(variable);
  return value == nullptr ? 0 : std::atoll(value);
}

}  // namespace

using ReadFunction = ssize_t (*)(int, void*, size_t);

// Reads of the file named by VEXILO_FAILING_READ_FILE give VEXILO_FAILING_READ_AFTER bytes in all,
// then fail with EIO.
extern "C" ssize_t read(int descriptor, void* data, size_t size) {
  static const auto realRead = reinterpret_cast<ReadFunction>(::dlsym(RTLD_NEXT, "read"));
  static const char* const failingFile = std::getenv("VEXILO_FAILING_READ_FILE");
  static long long left = numberIn("VEXILO_FAILING_READ_AFTER");
  if (failingFile == nullptr || !writesTo(descriptor, failingFile)) {
    return realRead(descriptor, data, size);
  }
  if (left <= 0) {
    errno = EIO;
    return -1;
  }
  const ssize_t got = realRead(descriptor, data, std::min(size, static_cast<size_t>(left)));
  if (got > 0) left -= got;
  return got;
}

using AllocationFunction = void* (*)(std::size_t);

// The allocation numbered VEXILO_FAILING_ALLOCATION, counting the program's calls of `new` from
// 1, finds no memory: as the library's own `new` does then, it calls the program's handler, or
// throws when there is none. Every other allocation goes through unchanged.
void* operator new(std::size_t size) {
  static const auto realNew = reinterpret_cast<AllocationFunction>(::dlsym(RTLD_NEXT, "_Znwm"));
  static long long left = numberIn("VEXILO_FAILING_ALLOCATION");
  if (left > 0 && --left == 0) {
    const std::new_handler handler = std::get_new_handler();
    if (handler == nullptr) throw std::bad_alloc();
    handler();
  }
  return realNew(size);
}
