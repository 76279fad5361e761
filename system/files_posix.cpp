// Files on POSIX systems: Linux, and as far as they can be foreseen, macOS and the BSDs.
#include "system/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "system/names.h"
#include "system/posix_calls.h"

namespace vexilo {
namespace {

// The flags of each `OpenMode`, in its order.
constexpr int openFlags[] = {
    O_RDONLY,
    O_RDONLY | O_NONBLOCK | O_NOCTTY,
    O_WRONLY | O_NOCTTY,
    O_RDWR | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY,
    O_RDWR | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY,
    O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY,
    O_WRONLY | O_NONBLOCK | O_NOCTTY,
    O_WRONLY | O_CREAT | O_EXCL | O_NONBLOCK | O_NOCTTY,
    O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY,
};

int flagsOf(OpenMode mode) { return openFlags[static_cast<std::size_t>(mode)]; }

Result<OpenFile> openedOrError(int descriptor) {
  if (descriptor < 0) return lastError();
  return OpenFile(descriptor);
}

}  // namespace

OpenFile::~OpenFile() {
  if (handle_ != noFile) ::close(descriptorOf(handle_));
}

std::string systemErrorText(int errorNumber) { return std::strerror(errorNumber); }

// A way that creates the file makes it exclusively, to know whether it did; a file that exists is
// opened without creating it, and one removed in between is made again. A link to a file not made
// yet is followed to the name at its end, where the file is made exclusively too.
Result<OpenedFile> openFile(const std::string& fileName, OpenMode mode) {
  if (Status nameable = checkFileName(fileName); !nameable) return nameable.error();
  const int flags = flagsOf(mode) | O_CLOEXEC;
  const auto openWith = [&](int with) {
    return retryWhileInterrupted([&] { return ::open(fileName.c_str(), with, 0666); });
  };
  const auto opened = [](int descriptor, bool created) -> Result<OpenedFile> {
    Result<OpenFile> file = openedOrError(descriptor);
    if (!file) return file.error();
    return OpenedFile{std::move(*file), created};
  };
  if ((flags & O_CREAT) == 0 || (flags & O_EXCL) != 0) {
    return opened(openWith(flags), (flags & O_EXCL) != 0);
  }
  for (;;) {
    if (const int made = openWith(flags | O_EXCL); made >= 0 || errno != EEXIST) {
      return opened(made, true);
    }
    if (const int found = openWith(flags & ~O_CREAT); found >= 0 || errno != ENOENT) {
      return opened(found, false);
    }
    Result<FileLocation> location = locateFile(fileName);
    if (!location) return location.error();
    const int made = retryWhileInterrupted([&] {
      return ::openat(descriptorOf(location->directory), location->name.c_str(), flags | O_EXCL,
                      0666);
    });
    if (made >= 0 || errno != EEXIST) return opened(made, true);
  }
}

Result<OpenFile> openAt(const OpenFile& directory, const std::string& name, OpenMode mode) {
  return openedOrError(retryWhileInterrupted([&] {
    return ::openat(descriptorOf(directory), name.c_str(), flagsOf(mode) | O_CLOEXEC, 0666);
  }));
}

Result<FileStatus> statusOf(FileHandle file) {
  struct stat status {};
  if (::fstat(descriptorOf(file), &status) != 0) return lastError();
  if (S_ISDIR(status.st_mode)) return FileStatus{FileKind::directory};
  if (!S_ISREG(status.st_mode)) return FileStatus{FileKind::other};
  return FileStatus{FileKind::regular, static_cast<std::uint64_t>(status.st_size)};
}

Result<FileIdentity> identityOf(FileHandle file) {
  struct stat status {};
  if (::fstat(descriptorOf(file), &status) != 0) return lastError();
  return FileIdentity{static_cast<std::uint64_t>(status.st_dev),
                      static_cast<std::uint64_t>(status.st_ino)};
}

Result<std::size_t> readSome(FileHandle file, char* buffer, std::size_t size) {
  const ssize_t got =
      retryWhileInterrupted([&] { return ::read(descriptorOf(file), buffer, size); });
  if (got < 0) return lastError();
  return static_cast<std::size_t>(got);
}

Result<std::size_t> readSomeAt(FileHandle file, char* buffer, std::size_t size,
                               std::int64_t offset) {
  const ssize_t got = retryWhileInterrupted(
      [&] { return ::pread(descriptorOf(file), buffer, size, static_cast<off_t>(offset)); });
  if (got < 0) return lastError();
  return static_cast<std::size_t>(got);
}

Status writeAll(FileHandle file, std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = retryWhileInterrupted(
        [&] { return ::write(descriptorOf(file), text.data(), text.size()); });
    if (written < 0) return lastError();
    if (written == 0) return errorNumbered(EIO);
    text.remove_prefix(static_cast<std::size_t>(written));
  }
  return Done{};
}

// The file was opened with O_APPEND: every write goes to its end.
Status appendAll(FileHandle file, std::string_view text) { return writeAll(file, text); }

// On Linux fsync reaches the disk. On macOS it only reaches the drive's cache; there
// fcntl(F_FULLFSYNC) would be the call that reaches the disk.
Status flushToDisk(FileHandle file) {
  if (::fsync(descriptorOf(file)) != 0) return lastError();
  return Done{};
}

Status cutBack(FileHandle file, std::int64_t length) {
  if (retryWhileInterrupted(
          [&] { return ::ftruncate(descriptorOf(file), static_cast<off_t>(length)); }) != 0) {
    return lastError();
  }
  return Done{};
}

}  // namespace vexilo
