// The store's rules for its files, over the system's calls (system/files.h): a store file must be
// a regular file; appends store a whole line or nothing; notes on standard error name a file and
// the reason it failed. Nothing else in the program reads, writes or opens a file but through
// these and system/files.h.
#ifndef VEXILO_STORE_FILE_SYSTEM_H_
#define VEXILO_STORE_FILE_SYSTEM_H_

#include <cstdint>
#include <iostream>
#include <string>
#include <string_view>

#include "system/files.h"
#include "system/result.h"

namespace vexilo {

// The line that a file of the store or of file mode that cannot be used shows on standard output.
inline constexpr std::string_view unableToOpenFileMessage = "unable to open file";

// Writes "unable to open file" and a line end to `out`.
void writeUnableToOpenFile(std::ostream& out);

// The program named at the start of every note below: "vexilo" unless set otherwise (vexilo-break
// sets its own name once, before it starts a thread).
void setNoteProgramName(std::string_view name);

// Writes "vexilo: <what> <fileName>: <reason>" as one line to `err`, e.g.
// "vexilo: cannot open notes.txt: Permission denied". A NUL byte in the name is shown as "\0".
void reportFileError(std::ostream& err, std::string_view what, std::string_view fileName,
                     const Error& reason);

// Writes "vexilo: <text>" as one line to `err`.
void reportProblem(std::ostream& err, std::string_view text);

// The size of the regular file open on `file`. A store file must be a regular file: a FIFO in its
// place would block the program and a device could feed it endless data. Fails for anything else:
// EISDIR for a directory, `OwnReason::notARegularFile` for the rest.
Result<std::uint64_t> regularFileSize(FileHandle file);

// Opens a file of the store for reading, without waiting for a FIFO's writer; fails as
// `regularFileSize` does for anything but a regular file.
Result<OpenFile> openStoreFile(const std::string& fileName);

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
