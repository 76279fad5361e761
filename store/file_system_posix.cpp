// The file system on POSIX systems: Linux, and as far as they can be foreseen, macOS and the BSDs.
#include "store/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "store/posix_calls.h"

namespace vexilo {
namespace {

int descriptorOf(FileHandle file) { return static_cast<int>(file); }

FileDescriptor openWithFlags(const std::string& fileName, int flags) {
  if (!canNameAFile(fileName)) return FileDescriptor();
  return FileDescriptor(
      retryWhileInterrupted([&] { return ::open(fileName.c_str(), flags | O_CLOEXEC, 0666); }));
}

// A store file must be a regular file: it is opened without waiting (a FIFO in its place would
// hold the open until a writer came) and refused when it is anything else.
FileDescriptor openRegularFile(const std::string& fileName, int flags) {
  FileDescriptor file = openWithFlags(fileName, flags | O_NONBLOCK);
  if (!file.isOpen()) return file;
  struct stat status {};
  if (::fstat(descriptorOf(file.get()), &status) != 0) return FileDescriptor();
  if (!S_ISREG(status.st_mode)) {
    errno = S_ISDIR(status.st_mode) ? EISDIR : notARegularFile;
    return FileDescriptor();
  }
  return file;
}

}  // namespace

FileDescriptor::~FileDescriptor() {
  if (handle_ != noFile) ::close(descriptorOf(handle_));
}

std::string systemErrorText(int errorNumber) { return std::strerror(errorNumber); }

FileDescriptor openFile(const std::string& fileName) { return openWithFlags(fileName, O_RDONLY); }

FileDescriptor openForWriting(const std::string& fileName) {
  return openWithFlags(fileName, O_WRONLY | O_CREAT | O_NOCTTY);
}

FileDescriptor openStoreFile(const std::string& fileName) {
  return openRegularFile(fileName, O_RDONLY);
}

FileDescriptor openForAppending(const std::string& fileName, bool& created, bool& readable) {
  struct stat before {};
  created = ::stat(fileName.c_str(), &before) != 0 && errno == ENOENT;
  readable = true;
  FileDescriptor file = openRegularFile(fileName, O_RDWR | O_APPEND | O_CREAT);
  if (!file.isOpen() && errno == EACCES) {
    file = openRegularFile(fileName, O_WRONLY | O_APPEND | O_CREAT);
    readable = false;
  }
  return file;
}

std::optional<std::uint64_t> regularFileSize(FileHandle file) {
  struct stat status {};
  if (::fstat(descriptorOf(file), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  return static_cast<std::uint64_t>(status.st_size);
}

std::int64_t readSome(FileHandle file, char* buffer, std::size_t size) {
  return retryWhileInterrupted([&] { return ::read(descriptorOf(file), buffer, size); });
}

std::int64_t readSomeAt(FileHandle file, char* buffer, std::size_t size, std::int64_t offset) {
  return retryWhileInterrupted(
      [&] { return ::pread(descriptorOf(file), buffer, size, static_cast<off_t>(offset)); });
}

bool writeAll(FileHandle file, std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = retryWhileInterrupted(
        [&] { return ::write(descriptorOf(file), text.data(), text.size()); });
    if (written < 0) return false;
    if (written == 0) {
      errno = EIO;
      return false;
    }
    text.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// The file was opened with O_APPEND: every write goes to its end.
bool appendAll(FileHandle file, std::string_view text) { return writeAll(file, text); }

// On Linux fsync reaches the disk. On macOS it only reaches the drive's cache; there
// fcntl(F_FULLFSYNC) would be the call that reaches the disk.
bool flushToDisk(FileHandle file) { return ::fsync(descriptorOf(file)) == 0; }

bool cutBack(FileHandle file, std::int64_t length) {
  return retryWhileInterrupted(
             [&] { return ::ftruncate(descriptorOf(file), static_cast<off_t>(length)); }) == 0;
}

}  // namespace vexilo
