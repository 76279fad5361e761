#include "store/store_lock.h"

#include <algorithm>
#include <cerrno>
#include <optional>

#include "store/file_system.h"
#include "system/names.h"

namespace vexilo {
namespace {

struct LockTarget {
  FileIdentity identity;
  OpenFile file;
};

// Adds the opened file (a regular file or a directory; anything else is passed over) to
// `targets`, unless one of them is that file already: then it is closed at once, so that a store
// of four files in one directory holds few open files however many names lead to it.
Status addTarget(std::vector<LockTarget>& targets, Result<OpenFile> opened) {
  if (!opened) return opened.error();
  const Result<FileStatus> status = statusOf(opened->get());
  if (!status) return status.error();
  if (status->kind == FileKind::other) return Done{};
  const Result<FileIdentity> identity = identityOf(opened->get());
  if (!identity) return identity.error();
  const bool known = std::any_of(targets.begin(), targets.end(), [&](const LockTarget& target) {
    return target.identity == *identity;
  });
  if (!known) targets.push_back({*identity, std::move(*opened)});
  return Done{};
}

// Adds the store file at `location`, when it exists (any open mode will do: the lock is the
// file's, not the open file's), and the directory it is in or would be made in. A file that
// cannot be opened is left out: its directory's lock covers it.
Status addStoreFile(std::vector<LockTarget>& targets, FileLocation& location) {
  if (location.file) {
    Result<OpenFile> file =
        openAt(location.directory, location.name, OpenMode::readingWithoutWaiting);
    if (!file && file.error().number == EACCES) {
      file = openAt(location.directory, location.name, OpenMode::lockingWriteOnly);
    }
    if (file) (void)addTarget(targets, std::move(file));
  }
  // The location's directory is open for searching; a lock takes it open for reading, and the
  // other goes at once, so that few are open at any moment.
  Result<OpenFile> directory = openAt(location.directory, ".", OpenMode::readingWithoutWaiting);
  location.directory = OpenFile();
  return addTarget(targets, std::move(directory));
}

}  // namespace

StoreLock::StoreLock(std::span<const std::string> fileNames, std::ostream& err) {
  // The reason that the first lock failed for is the one worth saying; later ones follow from it.
  std::optional<Error> firstError;
  const auto failed = [&](const Status& status) {
    if (!status && !firstError) firstError = status.error();
  };
  std::vector<LockTarget> targets;
  Result<OpenedFile> workingDirectory = openFile(".", OpenMode::readingWithoutWaiting);
  if (workingDirectory) {
    failed(addTarget(targets, std::move(workingDirectory->file)));
  } else {
    failed(workingDirectory.error());
  }
  for (const std::string& name : fileNames) {
    // Runs that reach one store through different links meet at the directory of its files. A
    // name that leads nowhere will get no file either: that append fails by itself.
    Result<FileLocation> location = locateFile(name);
    if (location) failed(addStoreFile(targets, *location));
  }
  // One order for every run, so that two runs that share some of these never wait for each other
  // in a circle.
  std::sort(targets.begin(), targets.end(),
            [](const LockTarget& a, const LockTarget& b) { return a.identity < b.identity; });
  for (LockTarget& target : targets) {
    Result<HeldLock> lock = lockWhole(target.file, target.identity);
    if (!lock) {
      failed(lock.error());
      continue;
    }
    lockedFiles_.push_back(std::move(target.file));
    locks_.push_back(std::move(*lock));
  }
  if (firstError) {
    reportProblem(err, "the store cannot be locked: " + errorText(*firstError));
    held_ = false;
  }
}

// The locks are given back before their files close (members go in reverse order).
StoreLock::~StoreLock() = default;

}  // namespace vexilo
