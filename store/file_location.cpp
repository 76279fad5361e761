#include "store/file_location.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace vexilo {
namespace {

// As many links as the system follows in one path before it gives up with ELOOP.
constexpr int mostLinksFollowed = 40;

// Directories on the way are only passed through: where the system has it, a descriptor that needs
// no permission to read the directory, only to search it, as the system's own walk does.
#if defined(O_PATH)
constexpr int searchOnly = O_PATH;
#else
constexpr int searchOnly = O_RDONLY;
#endif

FileIdentity identityOfStatus(const struct stat& status) {
  return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

FileDescriptor openDirectoryAt(int directory, const char* name, int access) {
  return FileDescriptor(retryWhileInterrupted(
      [&] { return ::openat(directory, name, access | O_DIRECTORY | O_CLOEXEC); }));
}

// The target of the link `name` in `directory`; nullopt, with errno set, when it cannot be read
// (EINVAL when `name` is no link, ENOENT when it does not exist).
std::optional<std::string> linkTarget(int directory, const std::string& name) {
  std::string target(256, '\0');
  for (;;) {
    const ssize_t length = ::readlinkat(directory, name.c_str(), target.data(), target.size());
    if (length < 0) return std::nullopt;
    if (static_cast<std::size_t>(length) < target.size()) {
      target.resize(static_cast<std::size_t>(length));
      return target;
    }
    target.resize(2 * target.size());
  }
}

}  // namespace

std::optional<FileIdentity> identityOf(const FileDescriptor& file) {
  struct stat status {};
  if (::fstat(file.get(), &status) != 0) return std::nullopt;
  return identityOfStatus(status);
}

std::optional<FileLocation> locateFile(const std::string& fileName) {
  if (fileName.find('\0') != std::string::npos) {
    errno = nameHoldsNul;
    return std::nullopt;
  }
  if (fileName.empty()) {
    errno = ENOENT;
    return std::nullopt;
  }
  FileDescriptor directory = openDirectoryAt(AT_FDCWD, ".", searchOnly);
  std::string path = fileName;
  for (int link = 0; link <= mostLinksFollowed; ++link) {
    // An absolute path starts at the root; a relative one (a link's target too) in the directory
    // reached so far.
    if (path.front() == '/') directory = openDirectoryAt(AT_FDCWD, "/", searchOnly);
    std::size_t start = 0;
    for (std::size_t slash = path.find('/'); directory.isOpen() && slash != std::string::npos;
         slash = path.find('/', start)) {
      const std::string part = path.substr(start, slash - start);
      start = slash + 1;
      // The system follows the links among the directories by itself.
      if (!part.empty() && part != ".") {
        directory = openDirectoryAt(directory.get(), part.c_str(), searchOnly);
      }
    }
    if (!directory.isOpen()) return std::nullopt;
    // A name that ends in a slash names the directory itself.
    std::string name = start == path.size() ? std::string(".") : path.substr(start);
    std::optional<std::string> target = linkTarget(directory.get(), name);
    if (target && !target->empty()) {
      path = std::move(*target);
      continue;
    }
    if (!target && errno != EINVAL && errno != ENOENT) return std::nullopt;

    FileLocation location;
    struct stat status {};
    if (::fstat(directory.get(), &status) != 0) return std::nullopt;
    location.directoryIdentity = identityOfStatus(status);
    if (::fstatat(directory.get(), name.c_str(), &status, 0) == 0) {
      location.file = identityOfStatus(status);
    } else if (errno != ENOENT) {
      return std::nullopt;
    }
    // Readable where it can be, for the lock and the flush of a new name that take the directory.
    FileDescriptor readable = openDirectoryAt(directory.get(), ".", O_RDONLY);
    location.directory = readable.isOpen() ? std::move(readable) : std::move(directory);
    location.name = std::move(name);
    return location;
  }
  errno = ELOOP;
  return std::nullopt;
}

bool sameFile(const FileLocation& first, const FileLocation& second) {
  if (first.file || second.file) return first.file == second.file;
  return first.directoryIdentity == second.directoryIdentity && first.name == second.name;
}

FileDescriptor openFileAt(const FileLocation& location, int flags, int mode) {
  if (location.name.find('\0') != std::string::npos) {
    errno = nameHoldsNul;
    return FileDescriptor();
  }
  return FileDescriptor(retryWhileInterrupted([&] {
    return ::openat(location.directory.get(), location.name.c_str(), flags | O_CLOEXEC, mode);
  }));
}

}  // namespace vexilo
