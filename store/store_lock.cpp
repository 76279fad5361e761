#include "store/store_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <tuple>

namespace vexilo {
namespace {

struct LockTarget {
  dev_t device;
  ino_t inode;
  FileDescriptor file;
};

// Opens `name` for locking (any open mode will do) and notes its identity; nothing when it does not
// exist or is neither a regular file nor a directory.
void addTarget(std::vector<LockTarget>& targets, const std::string& name) {
  FileDescriptor file = openFile(name, O_RDONLY | O_NONBLOCK | O_NOCTTY);
  if (!file.isOpen() && errno == EACCES) file = openFile(name, O_WRONLY | O_NONBLOCK | O_NOCTTY);
  struct stat status {};
  if (!file.isOpen() || ::fstat(file.get(), &status) != 0) return;
  if (!S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode)) return;
  targets.push_back({status.st_dev, status.st_ino, std::move(file)});
}

// The directory that the symbolic link `name` points into, or empty when `name` is no link.
std::string linkTargetDirectory(const std::string& name) {
  std::error_code error;
  if (!std::filesystem::is_symlink(std::filesystem::symlink_status(name, error))) return {};
  const std::filesystem::path target = std::filesystem::read_symlink(name, error);
  if (error) return {};
  const std::filesystem::path directory = target.parent_path();
  return directory.empty() ? "." : directory.string();
}

}  // namespace

StoreLock::StoreLock(std::initializer_list<std::string_view> fileNames, std::ostream& err) {
  std::vector<LockTarget> targets;
  addTarget(targets, ".");
  if (targets.empty()) {
    reportProblem(err, "the store cannot be locked: " + errorText(errno));
    held_ = false;
  }
  for (const std::string_view fileName : fileNames) {
    const std::string name(fileName);
    addTarget(targets, name);
    const std::string directory = linkTargetDirectory(name);
    if (!directory.empty()) addTarget(targets, directory);
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
      if (held_) reportProblem(err, "the store cannot be locked: " + errorText(errno));
      held_ = false;
      continue;
    }
    locked_.push_back(std::move(target.file));
  }
}

}  // namespace vexilo
