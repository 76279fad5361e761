#include "store/store_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <tuple>

#include "store/file_location.h"

namespace vexilo {
namespace {

struct LockTarget {
  dev_t device;
  ino_t inode;
  FileDescriptor file;
};

// Adds the open `file` (a regular file or a directory) to `targets` with its identity.
void addTarget(std::vector<LockTarget>& targets, FileDescriptor file) {
  struct stat status {};
  if (!file.isOpen() || ::fstat(file.get(), &status) != 0) return;
  if (!S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode)) return;
  targets.push_back({status.st_dev, status.st_ino, std::move(file)});
}

// Opens the directory `name` for locking; its error number when it cannot be opened, else 0.
int addDirectory(std::vector<LockTarget>& targets, const std::string& name) {
  FileDescriptor directory = openFile(name, O_RDONLY | O_DIRECTORY);
  if (!directory.isOpen()) return errno;
  addTarget(targets, std::move(directory));
  return 0;
}

// Opens the store file `name`, through its links, for locking (any open mode will do). A file that
// is not there, or cannot be opened, is left out: its directory's lock covers it.
void addStoreFile(std::vector<LockTarget>& targets, const std::string& name) {
  FileDescriptor file = openFile(name, O_RDONLY | O_NONBLOCK | O_NOCTTY);
  if (!file.isOpen() && errno == EACCES) file = openFile(name, O_WRONLY | O_NONBLOCK | O_NOCTTY);
  addTarget(targets, std::move(file));
}

}  // namespace

StoreLock::StoreLock(std::span<const std::string> fileNames, std::ostream& err) {
  // The reason that the first lock failed for is the one worth saying; later ones follow from it.
  int firstError = 0;
  const auto failed = [&](int errorNumber) {
    if (firstError == 0) firstError = errorNumber;
  };
  std::vector<LockTarget> targets;
  if (const int error = addDirectory(targets, ".")) failed(error);
  for (const std::string& name : fileNames) {
    addStoreFile(targets, name);
    // Runs that reach one store through different links meet at the directory of its files. A
    // directory that does not exist will get no file either: that append fails by itself.
    const std::optional<std::string> end = pathAtEndOfLinks(name);
    if (!end) continue;
    if (const int error =
            addDirectory(targets, std::filesystem::path(*end).parent_path().string())) {
      failed(error);
    }
  }
  // One order for every run, so that two runs that share some of these never wait for each other
  // in a circle; a file named twice is locked once.
  const auto identity = [](const LockTarget& target) {
    return std::tie(target.device, target.inode);
  };
  std::sort(targets.begin(), targets.end(),
            [&](const LockTarget& a, const LockTarget& b) { return identity(a) < identity(b); });
  targets.erase(std::unique(targets.begin(), targets.end(),
                            [&](const LockTarget& a, const LockTarget& b) {
                              return identity(a) == identity(b);
                            }),
                targets.end());
  for (LockTarget& target : targets) {
    if (retryWhileInterrupted([&] { return ::flock(target.file.get(), LOCK_EX); }) != 0) {
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

}  // namespace vexilo
