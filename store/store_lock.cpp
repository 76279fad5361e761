#include "store/store_lock.h"

#include <algorithm>
#include <cerrno>

#include "store/file_location.h"
#include "store/file_system.h"

namespace vexilo {
namespace {

// How often a name is followed again when another run removed or replaced its file between the
// open and the lock; far more than any race takes.
constexpr int mostTries = 1000;

}  // namespace

Status StoreLock::lockFile(const std::string& name) {
  Error lastError = errorNumbered(ENOENT);
  for (int tries = 0; tries < mostTries; ++tries) {
    Result<FileLocation> location = locateFile(name);
    if (!location) return Done{};
    const auto lockedAlready = [&](const FileIdentity& identity) {
      return std::any_of(files_.begin(), files_.end(),
                         [&](const LockedFile& locked) { return locked.identity == identity; });
    };
    if (location->file && lockedAlready(*location->file)) return Done{};
    // A file is locked through a description open for writing: NFS and Wine take no other for an
    // exclusive lock. One not made yet is made here, exclusively, to know that this run made it.
    const bool making = !location->file;
    Result<OpenFile> file = openAt(location->directory, location->name,
                                   making ? OpenMode::creatingToLock : OpenMode::lockingWriteOnly);
    if (!file) {
      const int number = file.error().number;
      // Another run made or removed the file in between.
      if (number == EEXIST || number == ENOENT) {
        lastError = file.error();
        continue;
      }
      // A directory or a FIFO in a store file's place cannot be appended to either.
      if (number == EISDIR || number == ENXIO) return Done{};
      return file.error();
    }
    const Result<FileStatus> status = statusOf(file->get());
    if (!status) return status.error();
    if (status->kind != FileKind::regular) return Done{};
    const Result<FileIdentity> identity = identityOf(file->get());
    if (!identity) return identity.error();
    if (lockedAlready(*identity)) return Done{};

    std::optional<FileLocation> madeAt;
    if (making) {
      madeAt = std::move(*location);
      madeAt->file = *identity;
    }
    Result<HeldLock> lock = lockByte(*file, lockedByte);
    if (!lock) {
      if (madeAt) (void)removeFileAt(*madeAt, *file);
      return lock.error();
    }
    files_.push_back(
        LockedFile{name, *identity, std::move(*file), std::move(madeAt), std::move(*lock)});
    // While this run waited, the run that held the lock may have removed the file it had made, or
    // another program put a new file in its place: the lock must be the one of the file the name
    // holds now.
    const Result<FileLocation> now = locateFile(name);
    if (now && now->file == *identity) return Done{};
    files_.pop_back();
  }
  return lastError;
}

StoreLock::StoreLock(std::span<const std::string> fileNames, std::ostream& err) {
  // One order for every run, on every system, so that two runs that share some of these files
  // never wait for each other in a circle: the order of the names, which every run gives alike.
  std::vector<std::string> names(fileNames.begin(), fileNames.end());
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  files_.reserve(names.size());
  for (const std::string& name : names) {
    if (const Status locked = lockFile(name); !locked) {
      reportProblem(err, "the store cannot be locked: " + errorText(locked.error()));
      held_ = false;
      return;
    }
  }
}

bool StoreLock::made(const std::string& fileName) const {
  return std::any_of(files_.begin(), files_.end(), [&](const LockedFile& locked) {
    return locked.name == fileName && locked.madeAt;
  });
}

// A file the lock made that no line went into is removed while it is still locked; the locks are
// given back before their files close (members go in reverse order).
StoreLock::~StoreLock() {
  for (LockedFile& locked : files_) {
    if (!locked.madeAt) continue;
    const Result<FileStatus> status = statusOf(locked.file.get());
    if (status && status->size == 0) (void)removeFileAt(*locked.madeAt, locked.file);
  }
}

}  // namespace vexilo
