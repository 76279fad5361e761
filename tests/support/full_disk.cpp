// Loaded into the program under test (LD_PRELOAD) to play a disk that fills up while one file is
// written: writes to the file named by VEXILO_FULL_FILE take VEXILO_FULL_AFTER bytes in all, then
// fail with ENOSPC. Writes to every other file go through unchanged.
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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
