// The program's one layer over the file system: open files that close themselves, reads and
// writes that go on after interruptions and partial transfers, appends that store a whole line or
// nothing, and the notes on standard error that name a file and the reason it failed. Nothing
// else in the program reads, writes or opens a file through the system.
//
// What each system must do is in file_system_posix.cpp and file_system_windows.cpp; the build
// takes one. Failures are reported as error numbers in errno, as POSIX names them, on every
// system, and their texts are the same on every system.
#ifndef VEXILO_STORE_FILE_SYSTEM_H_
#define VEXILO_STORE_FILE_SYSTEM_H_

#include <cstddef>
#include <cstdint>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

namespace vexilo {

// The line that a file of the store or of file mode that cannot be used shows on standard output.
inline constexpr std::string_view unableToOpenFileMessage = "unable to open file";

// Writes "unable to open file" and a line end to `out`.
void writeUnableToOpenFile(std::ostream& out);

// An open file as the system knows it: a descriptor on POSIX systems, a handle on Windows, held in
// an integer wide enough for either. `noFile` stands for none (on Windows it is the invalid
// handle).
using FileHandle = std::intptr_t;
inline constexpr FileHandle noFile = -1;

// An open file, closed when the owner goes.
class FileDescriptor {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(FileHandle handle) : handle_(handle) {}
  ~FileDescriptor();
  FileDescriptor(FileDescriptor&& other) noexcept;
  FileDescriptor& operator=(FileDescriptor&& other) noexcept;
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  bool isOpen() const { return handle_ != noFile; }
  FileHandle get() const { return handle_; }

 private:
  FileHandle handle_ = noFile;
};

// Stand for reasons of the program's own where an error number is expected: a store file must be a
// regular file, and a name that holds a NUL byte names no file (the system would open the name up
// to the NUL, another file than the one typed).
inline constexpr int notARegularFile = -1;
inline constexpr int nameHoldsNul = -2;

// The reason for an error number, the same text on every system ("No such file or directory"),
// or "not a regular file", or "its name holds a NUL byte".
std::string errorText(int errorNumber);

// The text of a system's error number alone: glibc's wording, which the Windows file repeats.
std::string systemErrorText(int errorNumber);

// Whether `fileName` can name a file at all: false, with errno set, for a name with a NUL byte
// (`nameHoldsNul`) and for an empty one (ENOENT, as the system says of it).
bool canNameAFile(const std::string& fileName);

// The program named at the start of every note below: "vexilo" unless set otherwise (vexilo-break
// sets its own name once, before it starts a thread).
void setNoteProgramName(std::string_view name);

// Writes "vexilo: <what> <fileName>: <reason>" as one line to `err`, e.g.
// "vexilo: cannot open notes.txt: Permission denied". A NUL byte in the name is shown as "\0".
void reportFileError(std::ostream& err, std::string_view what, std::string_view fileName,
                     int errorNumber);
// As `reportFileError`, with a reason given as text ("it is the input file").
void reportFileError(std::ostream& err, std::string_view what, std::string_view fileName,
                     std::string_view reason);

// Writes "vexilo: <text>" as one line to `err`.
void reportProblem(std::ostream& err, std::string_view text);

// Opens `fileName` for reading. A directory opens too; reading it fails (EISDIR). Not open on
// failure, with errno set (`nameHoldsNul` for a name with a NUL byte, which is not opened).
FileDescriptor openFile(const std::string& fileName);

// Opens `fileName` for writing, creating it when absent; an existing file is not emptied (see
// `cutBack`). Not open on failure, with errno set (EISDIR for a directory).
FileDescriptor openForWriting(const std::string& fileName);

// Opens a file of the store for reading. It must be a regular file: a FIFO in its place does not
// block the program and a device cannot feed it endless data. Not open on failure, with errno set
// (`notARegularFile` for anything but a regular file or a directory, EISDIR for a directory).
FileDescriptor openStoreFile(const std::string& fileName);

// Opens the store file `fileName` for appending, creating it when absent, as `openStoreFile`
// checks it; `created` tells whether this call made it, and `readable` whether its bytes can be
// read back (a file that may only be written is opened all the same). Appends are made under the
// store's lock, so nothing else makes the file meanwhile.
FileDescriptor openForAppending(const std::string& fileName, bool& created, bool& readable);

// The size of the regular file open on `file`; nullopt for anything else.
std::optional<std::uint64_t> regularFileSize(FileHandle file);

// Reads up to `size` bytes: the count read, 0 at the end of the file, -1 on an error (errno says
// which). `readSomeAt` reads at `offset`.
std::int64_t readSome(FileHandle file, char* buffer, std::size_t size);
std::int64_t readSomeAt(FileHandle file, char* buffer, std::size_t size, std::int64_t offset);

// Writes all of `text`, going on after partial writes; false on an error (errno says which). A
// file-size limit fails here like any other error: the program never ends by its signal.
bool writeAll(FileHandle file, std::string_view text);

// As `writeAll`, at the end of a file opened by `openForAppending`, wherever reads left it.
bool appendAll(FileHandle file, std::string_view text);

// Makes what was written to `file` durable: on the disk, not only in the system's cache. False
// on an error (errno says which).
bool flushToDisk(FileHandle file);

// Cuts the file back to `length` bytes; false on an error (errno says which).
bool cutBack(FileHandle file, std::int64_t length);

// Appends `line` (which ends in a line end) to the store file `fileName`, creating it when
// absent, whole or not at all: when the file's last byte is not a line end, one is written first
// so that the line never joins the last one; when a write fails part-way (a full disk, a file-size
// limit) the file is cut back to its length before the append, and a file that the append made
// is removed at the end of the links that led to it (in a directory however deep), the links
// staying as they were; the line and the name of a file it made are on disk when it returns true.
// Returns false, with a note on `err` naming the file and the reason, when the file cannot be
// opened for appending, when its last byte cannot be read back (a file open for writing only), or
// when the write fails; existing bytes are never changed.
bool appendLine(const std::string& fileName, std::string_view line, std::ostream& err = std::cerr);

}  // namespace vexilo

#endif  // VEXILO_STORE_FILE_SYSTEM_H_
