// The store's lock on POSIX systems: flock on the directories and files, which excludes other open
// descriptions of the same file, in this process too, and goes when the process does.
#include "store/store_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <optional>

#include "store/file_location.h"
#include "store/posix_calls.h"

namespace vexilo {
namespace {

struct LockTarget {
  FileIdentity identity;
  FileDescriptor file;
};

// Adds the open `file` (a regular file or a directory) to `targets`, unless one of them is that
// file already: then it is closed at once, so that a store of four files in one directory holds
// few descriptors however many names lead to it. Returns the error number when `file` is not open.
int addTarget(std::vector<LockTarget>& targets, FileDescriptor file) {
  if (!file.isOpen()) return errno;
  struct stat status {};
  if (::fstat(static_cast<int>(file.get()), &status) != 0) return errno;
  if (!S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode)) return 0;
  const FileIdentity identity{static_cast<std::uint64_t>(status.st_dev),
                              static_cast<std::uint64_t>(status.st_ino)};
  const bool known = std::any_of(targets.begin(), targets.end(), [&](const LockTarget& target) {
    return target.identity == identity;
  });
  if (!known) targets.push_back({identity, std::move(file)});
  return 0;
}

FileDescriptor openAt(const FileLocation& location, int flags) {
  return FileDescriptor(retryWhileInterrupted([&] {
    return ::openat(static_cast<int>(location.directory.get()), location.name.c_str(),
                    flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  }));
}

// Adds the store file at `location`, when it exists (any open mode will do: the lock is the
// file's, not the descriptor's), and the directory it is in or would be made in. A file that
// cannot be opened is left out: its directory's lock covers it.
int addStoreFile(std::vector<LockTarget>& targets, FileLocation& location) {
  if (location.file) {
    FileDescriptor file = openAt(location, O_RDONLY);
    if (!file.isOpen() && errno == EACCES) file = openAt(location, O_WRONLY);
    if (file.isOpen()) addTarget(targets, std::move(file));
  }
  // The location's directory is open for searching; a lock takes it open for reading, and the
  // other descriptor goes at once, so that few are open at any moment.
  FileDescriptor directory(retryWhileInterrupted([&] {
    return ::openat(static_cast<int>(location.directory.get()), ".",
                    O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  }));
  location.directory = FileDescriptor();
  return addTarget(targets, std::move(directory));
}

}  // namespace

StoreLock::StoreLock(std::span<const std::string> fileNames, std::ostream& err) {
  // The reason that the first lock failed for is the one worth saying; later ones follow from it.
  int firstError = 0;
  const auto failed = [&](int errorNumber) {
    if (firstError == 0 && errorNumber != 0) firstError = errorNumber;
  };
  std::vector<LockTarget> targets;
  failed(addTarget(targets, FileDescriptor(retryWhileInterrupted(
                                [] { return ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC); }))));
  for (const std::string& name : fileNames) {
    // Runs that reach one store through different links meet at the directory of its files. A
    // name that leads nowhere will get no file either: that append fails by itself.
    std::optional<FileLocation> location = locateFile(name);
    if (location) failed(addStoreFile(targets, *location));
  }
  // One order for every run, so that two runs that share some of these never wait for each other
  // in a circle.
  std::sort(targets.begin(), targets.end(),
            [](const LockTarget& a, const LockTarget& b) { return a.identity < b.identity; });
  for (LockTarget& target : targets) {
    if (retryWhileInterrupted(
            [&] { return ::flock(static_cast<int>(target.file.get()), LOCK_EX); }) != 0) {
      failed(errno);
      continue;
    }
    locked_.push_back(std::move(target.file));
  }
  if (firstError != 0) {
    reportProblem(err, "the store cannot be locked: " + errorText(firstError));
    held_ = false;
  }
}

// Closing the descriptors gives the locks back.
StoreLock::~StoreLock() = default;

}  // namespace vexilo
