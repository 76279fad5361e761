// Where a name leads on POSIX systems: one name at a time from directory descriptors, following
// symbolic links as the system does.
#include "system/names.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "system/posix_calls.h"

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

OpenFile openDirectoryAt(int directory, const char* name, int access) {
  return OpenFile(retryWhileInterrupted(
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

Result<FileLocation> locateFile(const std::string& fileName) {
  if (Status nameable = checkFileName(fileName); !nameable) return nameable.error();
  FileLocation location;
  // The file itself is the one the system finds for the name, through links that the system alone
  // resolves (/dev/fd/3), and none where it refuses to follow a link (another user's link in a
  // shared directory such as /tmp). A typed name is no longer than the system takes, however deep
  // the working directory.
  struct stat status {};
  if (::stat(fileName.c_str(), &status) == 0) {
    location.file = identityOfStatus(status);
  } else if (errno != ENOENT) {
    return lastError();
  }
  OpenFile directory = openDirectoryAt(AT_FDCWD, ".", searchOnly);
  std::string path = fileName;
  for (int link = 0; link <= mostLinksFollowed; ++link) {
    // An absolute path starts at the root; a relative one (a link's target too) in the directory
    // reached so far. The root and the first directory under it are opened as one name, "/tmp":
    // an emulator (qemu-user) that reads absolute names below a prefix of its own where it can
    // then takes that directory as it takes the whole name, where "/" alone would be its prefix.
    std::size_t start = 0;
    if (path.front() == '/') {
      const std::size_t first = path.find_first_not_of('/');
      const std::size_t slash = first == std::string::npos ? first : path.find('/', first);
      if (slash == std::string::npos) {
        directory = openDirectoryAt(AT_FDCWD, "/", searchOnly);
        start = first == std::string::npos ? path.size() : first;
      } else {
        directory = openDirectoryAt(AT_FDCWD, path.substr(0, slash).c_str(), searchOnly);
        start = slash + 1;
      }
    }
    for (std::size_t slash = path.find('/', start);
         directory.isOpen() && slash != std::string::npos; slash = path.find('/', start)) {
      const std::string part = path.substr(start, slash - start);
      start = slash + 1;
      // The system follows the links among the directories by itself.
      if (!part.empty() && part != ".") {
        directory = openDirectoryAt(descriptorOf(directory), part.c_str(), searchOnly);
      }
    }
    if (!directory.isOpen()) return lastError();
    // A name that ends in a slash names the directory itself.
    std::string name = start == path.size() ? std::string(".") : path.substr(start);
    // The name the file has, or will have, in its directory is the one at the end of the links.
    std::optional<std::string> target = linkTarget(descriptorOf(directory), name);
    if (target && !target->empty()) {
      path = std::move(*target);
      continue;
    }
    if (!target && errno != EINVAL && errno != ENOENT) return lastError();
    if (::fstat(descriptorOf(directory), &status) != 0) return lastError();
    location.directoryIdentity = identityOfStatus(status);
    location.directory = std::move(directory);
    location.name = std::move(name);
    return location;
  }
  return errorNumbered(ELOOP);
}

bool sameName(const std::string& first, const std::string& second) { return first == second; }

Status removeName(const FileLocation& location, const OpenFile&) {
  // The name at the end of the links must hold the file itself: a name that only the system
  // resolves (/dev/fd/4) ends its chain elsewhere.
  struct stat named {};
  if (::fstatat(descriptorOf(location.directory), location.name.c_str(), &named,
                AT_SYMLINK_NOFOLLOW) != 0 ||
      identityOfStatus(named) != location.file) {
    return errorNumbered(ENOENT);
  }
  if (::unlinkat(descriptorOf(location.directory), location.name.c_str(), 0) != 0) {
    return lastError();
  }
  return Done{};
}

// The location's directory may be open for searching alone, which fsync does not take.
void flushDirectory(const FileLocation& location) {
  const OpenFile readable = openDirectoryAt(descriptorOf(location.directory), ".", O_RDONLY);
  if (readable.isOpen()) ::fsync(descriptorOf(readable));
}

}  // namespace vexilo
