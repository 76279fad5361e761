// Files as the system gives them: open this way, read, write, sync, cut back, what kind of file
// and which file this is. Thin calls, each answering one question or doing one thing, with a
// value or an error as their result; which files may be opened how, and what a failure means, is
// decided by their callers (store/file_system.h and file mode).
//
// files_posix.cpp and files_windows.cpp make the calls; the build takes one.
#ifndef VEXILO_SYSTEM_FILES_H_
#define VEXILO_SYSTEM_FILES_H_

#include <compare>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "system/result.h"

namespace vexilo {

// A file as the system knows it, not owned: a descriptor on POSIX systems, a handle on Windows,
// held in an integer wide enough for either. `noFile` stands for none.
using FileHandle = std::intptr_t;
inline constexpr FileHandle noFile = -1;

// An open file or directory, closed when the owner goes.
class OpenFile {
 public:
  OpenFile() = default;
  explicit OpenFile(FileHandle handle) : handle_(handle) {}
  ~OpenFile();
  OpenFile(OpenFile&& other) noexcept;
  OpenFile& operator=(OpenFile&& other) noexcept;
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;

  bool isOpen() const { return handle_ != noFile; }
  FileHandle get() const { return handle_; }

 private:
  FileHandle handle_ = noFile;
};

// What tells one file from another: its device and inode on POSIX systems, its volume's serial
// number and its file index on Windows.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t index = 0;
  friend auto operator<=>(const FileIdentity&, const FileIdentity&) = default;
};

// The ways the program opens files, and what it locks. None waits for a writer of a FIFO except
// `reading`; a file is never emptied by an open. The appending ways create the file when it is
// absent, and say whether they did by the file the system made (exclusively: never one that
// another program made at the same moment); `writing` and `lockingWriteOnly` never create one;
// the `creating` ways always do, failing with EEXIST when the file exists.
enum class OpenMode {
  reading,                // a directory opens too; reading it fails with EISDIR
  readingWithoutWaiting,  // as `reading`, and a FIFO does not hold the open; to lock it too
  writing,                // from the start, a file that exists; a directory fails with EISDIR
  appendingRemovable,     // read and write, and on Windows the right to remove it
  appendingReadable,      // read and write
  appendingWriteOnly,     // write alone
  lockingWriteOnly,       // write alone, to lock it (nothing is written); never creates it
  creatingToLock,         // as `lockingWriteOnly`, creating the file and failing with EEXIST
                          // when it exists; on Windows with the right to remove it
  creatingToWrite,        // as `writing`, creating the file and failing with EEXIST when it
                          // exists; on Windows with the right to remove it
};

// An open file, and whether the open made it.
struct OpenedFile {
  OpenFile file;
  bool created = false;
};

// Opens `fileName` `mode`'s way. Fails for a name that can name no file (see `checkFileName`).
Result<OpenedFile> openFile(const std::string& fileName, OpenMode mode);

// Opens `name` in the directory open on `directory` ("." for the directory itself).
Result<OpenFile> openAt(const OpenFile& directory, const std::string& name, OpenMode mode);

// Fails for a name with a NUL byte (`OwnReason::nameHoldsNul`) and an empty one (ENOENT, as the
// system says of it).
Status checkFileName(const std::string& fileName);

enum class FileKind { regular, directory, other };
struct FileStatus {
  FileKind kind = FileKind::other;
  std::uint64_t size = 0;  // of a regular file
};

// What the file open on `file` is, and its size.
Result<FileStatus> statusOf(FileHandle file);

// The identity of the file open on `file`.
Result<FileIdentity> identityOf(FileHandle file);

// Reads up to `size` bytes: the count read, 0 at the end of the file. `readSomeAt` reads at
// `offset`. A signal that interrupts the call does not end it.
Result<std::size_t> readSome(FileHandle file, char* buffer, std::size_t size);
Result<std::size_t> readSomeAt(FileHandle file, char* buffer, std::size_t size,
                               std::int64_t offset);

// Writes all of `text`, going on after partial writes. A file-size limit fails here like any
// other error: the program never ends by its signal (see `prepareStandardStreams`).
Status writeAll(FileHandle file, std::string_view text);

// As `writeAll`, at the end of a file opened to append, wherever reads left it.
Status appendAll(FileHandle file, std::string_view text);

// Makes what was written to `file` durable: on the disk, not only in the system's cache.
Status flushToDisk(FileHandle file);

// Cuts the file back to `length` bytes.
Status cutBack(FileHandle file, std::int64_t length);

}  // namespace vexilo

#endif  // VEXILO_SYSTEM_FILES_H_
