#include "store/file_system.h"

#include <cerrno>
#include <optional>

#include "store/file_location.h"

namespace vexilo {
namespace {

// Cuts the file open on `file` back to `length`. An I/O error of the device may pass at once (the
// system reports a failed writeback once), so a failed cut is tried once more before the cut-off
// line is left for good.
bool cutBackOrRetry(const FileDescriptor& file, std::int64_t length) {
  return cutBack(file.get(), length) || cutBack(file.get(), length);
}

// The store file for appending, and its length. A file that can only be written is taken only
// while it is empty: the last byte of any other cannot be read back to see whether it ends its
// line.
FileDescriptor openStoreFileForAppending(const std::string& fileName, std::int64_t& length,
                                         bool& created, std::ostream& err) {
  bool readable = true;
  FileDescriptor file = openForAppending(fileName, created, readable);
  const std::optional<std::uint64_t> size =
      file.isOpen() ? regularFileSize(file.get()) : std::nullopt;
  if (!size) {
    reportFileError(err, "cannot open", fileName, errno);
    return FileDescriptor();
  }
  length = static_cast<std::int64_t>(*size);
  if (length > 0 && !readable) {
    reportFileError(err, "cannot read", fileName, EACCES);
    return FileDescriptor();
  }
  return file;
}

}  // namespace

void writeUnableToOpenFile(std::ostream& out) { out << unableToOpenFileMessage << '\n'; }

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
  if (this != &other) {
    FileDescriptor closing(handle_);
    handle_ = other.handle_;
    other.handle_ = noFile;
  }
  return *this;
}

FileDescriptor::FileDescriptor(FileDescriptor&& other) noexcept : handle_(other.handle_) {
  other.handle_ = noFile;
}

std::string errorText(int errorNumber) {
  if (errorNumber == notARegularFile) return "not a regular file";
  if (errorNumber == nameHoldsNul) return "its name holds a NUL byte";
  return systemErrorText(errorNumber);
}

bool canNameAFile(const std::string& fileName) {
  if (fileName.find('\0') != std::string::npos) {
    errno = nameHoldsNul;
    return false;
  }
  if (fileName.empty()) {
    errno = ENOENT;
    return false;
  }
  return true;
}

namespace {

// The name before every note; set once, before any thread starts.
std::string& noteProgramName() {
  static std::string name = "vexilo";
  return name;
}

std::string notePrefix() { return noteProgramName() + ": "; }

}  // namespace

void setNoteProgramName(std::string_view name) { noteProgramName() = std::string(name); }

void reportFileError(std::ostream& err, std::string_view what, std::string_view fileName,
                     int errorNumber) {
  reportFileError(err, what, fileName, errorText(errorNumber));
}

void reportFileError(std::ostream& err, std::string_view what, std::string_view fileName,
                     std::string_view reason) {
  std::string line = notePrefix();
  line.append(what).append(" ");
  for (const char character : fileName) {
    if (character == '\0') {
      line += "\\0";
    } else {
      line += character;
    }
  }
  line.append(": ").append(reason);
  line += '\n';
  err << line << std::flush;
}

void reportProblem(std::ostream& err, std::string_view text) {
  std::string line = notePrefix();
  line.append(text) += '\n';
  err << line << std::flush;
}

bool appendLine(const std::string& fileName, std::string_view line, std::ostream& err) {
  std::int64_t length = 0;
  bool created = false;
  const FileDescriptor file = openStoreFileForAppending(fileName, length, created, err);
  if (!file.isOpen()) return false;

  std::string record;
  record.reserve(line.size() + 1);
  if (length > 0) {
    char last = '\n';
    const std::int64_t got = readSomeAt(file.get(), &last, 1, length - 1);
    if (got != 1) {
      reportFileError(err, "cannot read", fileName, got == 0 ? EIO : errno);
      return false;
    }
    if (last != '\n') record += '\n';
  }
  record += line;

  // A file reached through links was made at the end of the chain, in that directory. It is found
  // before the write, so that taking it away after a failed write needs no memory.
  const std::optional<FileLocation> made = created ? locateFile(fileName) : std::nullopt;
  if (appendAll(file.get(), record) && flushToDisk(file.get())) {
    // The new file's name is durable too.
    if (made) flushDirectory(*made);
    return true;
  }
  const int writeError = errno;
  // Whatever part of the line reached the file is taken out again: a cut-off line would name other
  // components or IDs than the ones the run used. A file this append made is removed again, at the
  // end of its links, so that a link that led to it stays and the next append goes where this one
  // went; it is emptied instead when that name no longer holds it.
  const bool undone = created ? (made && removeFileAt(*made, file)) || cutBackOrRetry(file, 0)
                              : cutBackOrRetry(file, length);
  if (!undone) reportFileError(err, "cannot cut back the unfinished line of", fileName, errno);
  reportFileError(err, "write error on", fileName, writeError);
  return false;
}

}  // namespace vexilo
