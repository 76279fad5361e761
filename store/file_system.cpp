#include "store/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "store/file_location.h"

namespace vexilo {
namespace {

// Cuts the file open on `file` back to `length`. An I/O error of the device may pass at once (the
// system reports a failed writeback once), so a failed cut is tried once more before the cut-off
// line is left for good.
bool cutBack(const FileDescriptor& file, std::int64_t length) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (retryWhileInterrupted(
            [&] { return ::ftruncate(file.get(), static_cast<off_t>(length)); }) == 0) {
      return true;
    }
  }
  return false;
}

// Takes the file that an append made away again, at the end of its links: a link that led to it
// stays, so that the next append goes where this one went. Emptied instead when that name no
// longer holds it.
bool removeMadeFile(const FileDescriptor& file, const std::optional<FileLocation>& made) {
  if (made && made->file && made->file == identityOf(file) &&
      ::unlinkat(made->directory.get(), made->name.c_str(), 0) == 0) {
    return true;
  }
  return cutBack(file, 0);
}

// The store file for appending; `created` tells whether this call made it. A file that can only be
// written is taken only while it is empty: the last byte of any other cannot be read back to see
// whether it ends its line.
FileDescriptor openForAppending(const std::string& fileName, std::int64_t& length, bool& created,
                                std::ostream& err) {
  // Appends are made under the store's lock, so nothing makes the file between here and the open.
  struct stat before {};
  created = ::stat(fileName.c_str(), &before) != 0 && errno == ENOENT;
  bool readable = true;
  FileDescriptor file = openStoreFile(fileName, O_RDWR | O_APPEND | O_CREAT);
  if (!file.isOpen() && errno == EACCES) {
    file = openStoreFile(fileName, O_WRONLY | O_APPEND | O_CREAT);
    readable = false;
  }
  if (!file.isOpen()) {
    reportFileError(err, "cannot open", fileName, errno);
    return FileDescriptor();
  }
  struct stat status {};
  if (::fstat(file.get(), &status) != 0) {
    reportFileError(err, "cannot open", fileName, errno);
    return FileDescriptor();
  }
  length = status.st_size;
  if (length > 0 && !readable) {
    reportFileError(err, "cannot read", fileName, EACCES);
    return FileDescriptor();
  }
  return file;
}

}  // namespace

void writeUnableToOpenFile(std::ostream& out) { out << unableToOpenFileMessage << '\n'; }

FileDescriptor::~FileDescriptor() {
  if (descriptor_ >= 0) ::close(descriptor_);
}

FileDescriptor::FileDescriptor(FileDescriptor&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)) {}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
  if (this != &other) {
    if (descriptor_ >= 0) ::close(descriptor_);
    descriptor_ = std::exchange(other.descriptor_, -1);
  }
  return *this;
}

std::string errorText(int errorNumber) {
  if (errorNumber == notARegularFile) return "not a regular file";
  if (errorNumber == nameHoldsNul) return "its name holds a NUL byte";
  return std::strerror(errorNumber);
}

void reportFileError(std::ostream& err, std::string_view what, std::string_view fileName,
                     int errorNumber) {
  std::string line = "vexilo: ";
  line.append(what).append(" ");
  for (const char character : fileName) {
    if (character == '\0') {
      line += "\\0";
    } else {
      line += character;
    }
  }
  line.append(": ").append(errorText(errorNumber));
  line += '\n';
  err << line << std::flush;
}

void reportProblem(std::ostream& err, std::string_view text) {
  std::string line = "vexilo: ";
  line.append(text) += '\n';
  err << line << std::flush;
}

FileDescriptor openFile(const std::string& fileName, int flags, mode_t mode) {
  if (fileName.find('\0') != std::string::npos) {
    errno = nameHoldsNul;
    return FileDescriptor();
  }
  return FileDescriptor(
      retryWhileInterrupted([&] { return ::open(fileName.c_str(), flags | O_CLOEXEC, mode); }));
}

FileDescriptor openStoreFile(const std::string& fileName, int flags) {
  FileDescriptor file = openFile(fileName, flags | O_NONBLOCK);
  if (!file.isOpen()) return file;
  struct stat status {};
  if (::fstat(file.get(), &status) != 0) return FileDescriptor();
  if (!S_ISREG(status.st_mode)) {
    errno = S_ISDIR(status.st_mode) ? EISDIR : notARegularFile;
    return FileDescriptor();
  }
  return file;
}

std::optional<std::uint64_t> regularFileSize(int descriptor) {
  struct stat status {};
  if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  return static_cast<std::uint64_t>(status.st_size);
}

ssize_t readSome(int descriptor, char* buffer, std::size_t size) {
  return retryWhileInterrupted([&] { return ::read(descriptor, buffer, size); });
}

ssize_t readSomeAt(int descriptor, char* buffer, std::size_t size, std::int64_t offset) {
  return retryWhileInterrupted(
      [&] { return ::pread(descriptor, buffer, size, static_cast<off_t>(offset)); });
}

bool writeAll(int descriptor, std::string_view text) {
  while (!text.empty()) {
    const ssize_t written =
        retryWhileInterrupted([&] { return ::write(descriptor, text.data(), text.size()); });
    if (written < 0) return false;
    if (written == 0) {
      errno = EIO;
      return false;
    }
    text.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

bool appendLine(const std::string& fileName, std::string_view line, std::ostream& err) {
  std::int64_t length = 0;
  bool created = false;
  const FileDescriptor file = openForAppending(fileName, length, created, err);
  if (!file.isOpen()) return false;

  std::string record;
  record.reserve(line.size() + 1);
  if (length > 0) {
    char last = '\n';
    const ssize_t got = readSomeAt(file.get(), &last, 1, length - 1);
    if (got != 1) {
      reportFileError(err, "cannot read", fileName, got == 0 ? EIO : errno);
      return false;
    }
    if (last != '\n') record += '\n';
  }
  record += line;

  // A file reached through links was made at the end of the chain, in that directory.
  const std::optional<FileLocation> made = created ? locateFile(fileName) : std::nullopt;
  if (writeAll(file.get(), record) && ::fsync(file.get()) == 0) {
    // The new file's name is durable too.
    if (made) ::fsync(made->directory.get());
    return true;
  }
  const int writeError = errno;
  // Whatever part of the line reached the file is taken out again: a cut-off line would name other
  // components or IDs than the ones the run used. A file this append made is removed again.
  if (!(created ? removeMadeFile(file, made) : cutBack(file, length))) {
    reportFileError(err, "cannot cut back the unfinished line of", fileName, errno);
  }
  reportFileError(err, "write error on", fileName, writeError);
  return false;
}

}  // namespace vexilo
