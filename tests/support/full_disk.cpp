// Loaded into the program under test (LD_PRELOAD) to play a failing disk under one file, the one
// whose name (without its directory) is VEXILO_FAULT_FILE: writes to it take VEXILO_FULL_AFTER
// bytes in all (no limit when unset), then fail with ENOSPC; its fsync number VEXILO_FAIL_FSYNC and
// its ftruncate number VEXILO_FAIL_FTRUNCATE (counted from 1) fail once with EIO, as a device
// reports a failed writeback once; when VEXILO_FAILING_READ_AFTER is set, reads of it give that
// many bytes in all, then fail with EIO. Calls on every other file go through unchanged. Apart
// from files, the allocation numbered VEXILO_FAILING_ALLOCATION finds no memory (see below), and
// when VEXILO_FAILING_MADVISE is set every madvise fails with EINVAL, as on a kernel without
// transparent huge pages; and flock can be made to behave as on NFS (at the end).
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// Whether `descriptor` is open on the file that VEXILO_FAULT_FILE names.
bool isFaultFile(int descriptor) {
  static const char* const name = std::getenv("VEXILO_FAULT_FILE");
  if (name == nullptr) return false;
  char link[64];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", descriptor);
  char path[PATH_MAX];
  const ssize_t length = ::readlink(link, path, sizeof path - 1);
  if (length <= 0) return false;
  path[length] = '\0';
  const char* slash = std::strrchr(path, '/');
  return std::strcmp(slash == nullptr ? path : slash + 1, name) == 0;
}

long long numberFrom(const char* variable, long long unset) {
  const char* value = std::getenv(variable);
  return value == nullptr ? unset : std::atoll(value);
}

// Whether this call, one more of those counted in `calls`, is the one that `variable` fails.
bool failsThisCall(long long& calls, const char* variable) {
  return ++calls == numberFrom(variable, 0);
}

template <typename Function>
Function next(const char* name) {
  return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" ssize_t write(int descriptor, const void* data, size_t size) {
  static const auto realWrite = next<ssize_t (*)(int, const void*, size_t)>("write");
  static long long room = numberFrom("VEXILO_FULL_AFTER", LLONG_MAX);
  if (!isFaultFile(descriptor)) return realWrite(descriptor, data, size);
  if (room <= 0) {
    errno = ENOSPC;
    return -1;
  }
  const ssize_t written = realWrite(descriptor, data, std::min(size, static_cast<size_t>(room)));
  if (written > 0) room -= written;
  return written;
}

extern "C" int fsync(int descriptor) {
  static const auto realFsync = next<int (*)(int)>("fsync");
  static long long calls = 0;
  if (isFaultFile(descriptor) && failsThisCall(calls, "VEXILO_FAIL_FSYNC")) {
    errno = EIO;
    return -1;
  }
  return realFsync(descriptor);
}

extern "C" int ftruncate(int descriptor, off_t length) {
  static const auto realFtruncate = next<int (*)(int, off_t)>("ftruncate");
  static long long calls = 0;
  if (isFaultFile(descriptor) && failsThisCall(calls, "VEXILO_FAIL_FTRUNCATE")) {
    errno = EIO;
    return -1;
  }
  return realFtruncate(descriptor, length);
}

extern "C" ssize_t read(int descriptor, void* data, size_t size) {
  static const auto realRead = next<ssize_t (*)(int, void*, size_t)>("read");
  static long long left = numberFrom("VEXILO_FAILING_READ_AFTER", -1);
  if (left < 0 || !isFaultFile(descriptor)) return realRead(descriptor, data, size);
  if (left == 0) {
    errno = EIO;
    return -1;
  }
  const ssize_t got = realRead(descriptor, data, std::min(size, static_cast<size_t>(left)));
  if (got > 0) left -= got;
  return got;
}

extern "C" int madvise(void* memory, size_t size, int advice) {
  static const auto realMadvise = next<int (*)(void*, size_t, int)>("madvise");
  if (std::getenv("VEXILO_FAILING_MADVISE") != nullptr) {
    errno = EINVAL;
    return -1;
  }
  return realMadvise(memory, size, advice);
}

// The allocation numbered VEXILO_FAILING_ALLOCATION, counting the program's calls of `new` from
// 1, finds no memory: as the library's own `new` does then, it calls the program's handler, or
// throws when there is none. Every other allocation goes through unchanged.
void* operator new(std::size_t size) {
  static const auto realNew = next<void* (*)(std::size_t)>("_Znwm");
  static long long left = numberFrom("VEXILO_FAILING_ALLOCATION", 0);
  if (left > 0 && --left == 0) {
    const std::new_handler handler = std::get_new_handler();
    if (handler == nullptr) throw std::bad_alloc();
    handler();
  }
  return realNew(size);
}

// With VEXILO_FLOCK_AS_ON_NFS set, flock behaves as the Linux NFS client makes it, out of
// byte-range locks on the server: an exclusive lock needs a descriptor open for writing, and fails
// with EBADF on any other (a directory's among them).
extern "C" int flock(int descriptor, int operation) {
  static const auto realFlock = next<int (*)(int, int)>("flock");
  if (std::getenv("VEXILO_FLOCK_AS_ON_NFS") != nullptr && (operation & LOCK_EX) != 0) {
    const int flags = ::fcntl(descriptor, F_GETFL);
    if (flags < 0 || (flags & O_ACCMODE) == O_RDONLY) {
      errno = EBADF;
      return -1;
    }
  }
  return realFlock(descriptor, operation);
}
