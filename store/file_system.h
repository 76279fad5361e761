// The program's one layer over the file system: descriptors that close themselves, reads and
// writes that go on after interruptions, appends that store a whole line or nothing, and the
// notes on standard error that name a file and the reason it failed. Nothing else in the program
// calls the system's read, write or open.
#ifndef VEXILO_STORE_FILE_SYSTEM_H_
#define VEXILO_STORE_FILE_SYSTEM_H_

#include <sys/types.h>

#include <cerrno>
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

// An open descriptor, closed when the owner goes; -1 when nothing is open.
class FileDescriptor {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(int descriptor) : descriptor_(descriptor) {}
  ~FileDescriptor();
  FileDescriptor(FileDescriptor&& other) noexcept;
  FileDescriptor& operator=(FileDescriptor&& other) noexcept;
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  bool isOpen() const { return descriptor_ >= 0; }
  int get() const { return descriptor_; }

 private:
  int descriptor_ = -1;
};

// Stand for reasons of the program's own where an error number is expected: a store file must be a
// regular file, and a name that holds a NUL byte names no file (the system would open the name up
// to the NUL, another file than the one typed).
inline constexpr int notARegularFile = -1;
inline constexpr int nameHoldsNul = -2;

// The reason for an error number, as `strerror` gives it, or "not a regular file", or "its name
// holds a NUL byte".
std::string errorText(int errorNumber);

// Writes "vexilo: <what> <fileName>: <reason>" as one line to `err`, e.g.
// "vexilo: cannot open notes.txt: Permission denied". A NUL byte in the name is shown as "\0".
void reportFileError(std::ostream& err, std::string_view what, std::string_view fileName,
                     int errorNumber);

// Writes "vexilo: <text>" as one line to `err`.
void reportProblem(std::ostream& err, std::string_view text);

// Makes the system call `call` until a signal no longer interrupts it (it fails with EINTR), and
// returns its last result.
template <typename SystemCall>
auto retryWhileInterrupted(SystemCall call) {
  auto result = call();
  while (result < 0 && errno == EINTR) result = call();
  return result;
}

// Opens `fileName` with `flags` (close-on-exec is added); not open on failure, with errno set
// (`nameHoldsNul` for a name with a NUL byte, which is not opened).
FileDescriptor openFile(const std::string& fileName, int flags, mode_t mode = 0666);

// Opens a file of the store with `flags`. It must be a regular file: a FIFO in its place does not
// block the program (the file is opened non-blocking) and a device cannot feed it endless data.
// Not open on failure, with errno set (`notARegularFile` for anything but a regular file).
FileDescriptor openStoreFile(const std::string& fileName, int flags);

// The size of the regular file open on `descriptor`; nullopt for anything else.
std::optional<std::uint64_t> regularFileSize(int descriptor);

// Reads up to `size` bytes, going on after interruptions: the count read, 0 at the end of the
// file, -1 on an error (errno says which). `readSomeAt` reads at `offset` and leaves the file's
// position alone.
ssize_t readSome(int descriptor, char* buffer, std::size_t size);
ssize_t readSomeAt(int descriptor, char* buffer, std::size_t size, std::int64_t offset);

// Writes all of `text`, going on after interruptions and partial writes; false on an error
// (errno says which). A file-size limit fails here like any other error, since the program
// ignores the signal that would end it.
bool writeAll(int descriptor, std::string_view text);

// Appends `line` (which ends in a line end) to the store file `fileName`, creating it when
// absent, whole or not at all: when the file's last byte is not a line end, one is written first
// so that the line never joins the last one; when a write fails part-way (a full disk, a file-size
// limit) the file is cut back to its length before the append, and a file that the append made
// is removed at the end of the links that led to it (in a directory however deep), the links
// staying as they were; the line and
// the name of a file it made are on disk when it returns true. Returns false, with a note on `err`
// naming the file and the reason, when the file cannot be opened for appending, when its last byte
// cannot be read back (a file open for writing only), or when the write fails; existing bytes are
// never changed.
bool appendLine(const std::string& fileName, std::string_view line, std::ostream& err = std::cerr);

}  // namespace vexilo

#endif  // VEXILO_STORE_FILE_SYSTEM_H_
