#include "store/file_system.h"

#include <cerrno>
#include <optional>

#include "store/file_location.h"

namespace vexilo {
namespace {

// A store file open to append, its length, and what the open could do.
struct AppendTarget {
  OpenFile file;
  std::int64_t length = 0;
  bool created = false;
  bool readable = true;
};

// Opens the store file `fileName` for appending, creating it when absent. It asks for the right
// to remove the file (a failed first append takes the file it made away) and to read it back, and
// makes do without either where they are refused: another program may hold the file without
// letting it be removed, and a file may be there to be written alone.
Result<AppendTarget> openForAppending(const std::string& fileName) {
  Error refused;
  for (const OpenMode mode :
       {OpenMode::appendingRemovable, OpenMode::appendingReadable, OpenMode::appendingWriteOnly}) {
    Result<OpenedFile> opened = openFile(fileName, mode);
    if (!opened) {
      refused = opened.error();
      if (refused.number != EACCES && refused.number != EBUSY) break;
      continue;
    }
    const Result<std::uint64_t> size = regularFileSize(opened->file.get());
    if (!size) return size.error();
    return AppendTarget{std::move(opened->file), static_cast<std::int64_t>(*size), opened->created,
                        mode != OpenMode::appendingWriteOnly};
  }
  return refused;
}

// Cuts the file open on `file` back to `length`. An I/O error of the device may pass at once (the
// system reports a failed writeback once), so a failed cut is tried once more before the cut-off
// line is left for good.
Status cutBackOrRetry(const OpenFile& file, std::int64_t length) {
  if (cutBack(file.get(), length)) return Done{};
  return cutBack(file.get(), length);
}

// Whether the last byte of the file is a line end; a file that can only be written is taken only
// while it is empty: the last byte of any other cannot be read back.
Result<bool> endsWithLineEnd(const AppendTarget& target) {
  if (target.length == 0) return true;
  if (!target.readable) return errorNumbered(EACCES);
  char last = '\n';
  const Result<std::size_t> got = readSomeAt(target.file.get(), &last, 1, target.length - 1);
  if (!got) return got.error();
  if (*got != 1) return errorNumbered(EIO);
  return last == '\n';
}

// Takes out whatever part of the line reached the file: a cut-off line would name other
// components or IDs than the ones the run used. A file this append made is removed again, at the
// end of its links, so that a link that led to it stays and the next append goes where this one
// went; it is emptied instead when that name no longer holds it.
Status undoAppend(const AppendTarget& target, const std::optional<FileLocation>& made) {
  if (!target.created) return cutBackOrRetry(target.file, target.length);
  if (made && removeFileAt(*made, target.file)) return Done{};
  return cutBackOrRetry(target.file, 0);
}

// The name before every note; set once, before any thread starts.
std::string& noteProgramName() {
  static std::string name = "vexilo";
  return name;
}

std::string notePrefix() { return noteProgramName() + ": "; }

}  // namespace

void setNoteProgramName(std::string_view name) { noteProgramName() = std::string(name); }

void writeUnableToOpenFile(std::ostream& out) { out << unableToOpenFileMessage << '\n'; }

void reportFileError(std::ostream& err, std::string_view what, std::string_view fileName,
                     const Error& reason) {
  std::string line = notePrefix();
  line.append(what).append(" ");
  for (const char character : fileName) {
    if (character == '\0') {
      line += "\\0";
    } else {
      line += character;
    }
  }
  line.append(": ").append(errorText(reason));
  line += '\n';
  err << line << std::flush;
}

void reportProblem(std::ostream& err, std::string_view text) {
  std::string line = notePrefix();
  line.append(text) += '\n';
  err << line << std::flush;
}

Result<std::uint64_t> regularFileSize(FileHandle file) {
  const Result<FileStatus> status = statusOf(file);
  if (!status) return status.error();
  if (status->kind == FileKind::directory) return errorNumbered(EISDIR);
  if (status->kind != FileKind::regular) return ownError(OwnReason::notARegularFile);
  return status->size;
}

Result<OpenFile> openStoreFile(const std::string& fileName) {
  Result<OpenedFile> opened = openFile(fileName, OpenMode::readingWithoutWaiting);
  if (!opened) return opened.error();
  if (const Result<std::uint64_t> size = regularFileSize(opened->file.get()); !size) {
    return size.error();
  }
  return std::move(opened->file);
}

bool appendLine(const std::string& fileName, std::string_view line, std::ostream& err) {
  Result<AppendTarget> target = openForAppending(fileName);
  if (!target) {
    reportFileError(err, "cannot open", fileName, target.error());
    return false;
  }
  const Result<bool> lineEnded = endsWithLineEnd(*target);
  if (!lineEnded) {
    reportFileError(err, "cannot read", fileName, lineEnded.error());
    return false;
  }
  std::string record;
  record.reserve(line.size() + 1);
  if (!*lineEnded) record += '\n';
  record += line;

  // A file reached through links was made at the end of the chain, in that directory. It is found
  // before the write, so that taking it away after a failed write needs no memory.
  std::optional<FileLocation> made;
  if (target->created) {
    if (Result<FileLocation> location = locateFile(fileName)) made = std::move(*location);
  }
  Status written = appendAll(target->file.get(), record);
  if (written) written = flushToDisk(target->file.get());
  if (written) {
    // The new file's name is durable too.
    if (made) flushDirectory(*made);
    return true;
  }
  if (const Status undone = undoAppend(*target, made); !undone) {
    reportFileError(err, "cannot cut back the unfinished line of", fileName, undone.error());
  }
  reportFileError(err, "write error on", fileName, written.error());
  return false;
}

}  // namespace vexilo
