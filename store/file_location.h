// Where a file named by a path really is, decided the way the system decides it when it opens the
// name: one name at a time from directory descriptors, following symbolic links, so that no path is
// too long or too deep. Two names are the same file when they lead to the same file (device and
// inode), or, for a file not made yet, to the same name in the same directory.
#ifndef VEXILO_STORE_FILE_LOCATION_H_
#define VEXILO_STORE_FILE_LOCATION_H_

#include <compare>
#include <cstdint>
#include <optional>
#include <string>

#include "store/file_system.h"

namespace vexilo {

// What tells one file from another: its device and its inode.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t index = 0;
  friend auto operator<=>(const FileIdentity&, const FileIdentity&) = default;
};

// The identity of the file open on `file`; nullopt, with errno set, when it cannot be read.
std::optional<FileIdentity> identityOf(const FileDescriptor& file);

// Where a name leads: the directory that holds the file at the end of its chain of links, open,
// and the file's own name there, which is no link.
struct FileLocation {
  FileDescriptor directory;
  FileIdentity directoryIdentity;
  std::string name;
  std::optional<FileIdentity> file;  // the file of that name, when there is one
};

// Follows `fileName` as opening it would: each directory on the way is opened from the one before
// it (the working directory or the root to start with), and a link at the end is followed from the
// directory it is in, however many links lead on, until a name that is no link or that does not
// exist yet: there an open that creates the file would make it. Nothing when a directory on the
// way cannot be opened, after more links than the system follows (ELOOP), or when the name holds a
// NUL byte (`nameHoldsNul`); errno says which.
std::optional<FileLocation> locateFile(const std::string& fileName);

// Whether two locations lead to the same file: the same file where there is one, or else the same
// name in the same directory.
bool sameFile(const FileLocation& first, const FileLocation& second);

// Opens the file at `location` with `flags` (close-on-exec is added), as `openFile` opens a name.
FileDescriptor openFileAt(const FileLocation& location, int flags, int mode = 0666);

}  // namespace vexilo

#endif  // VEXILO_STORE_FILE_LOCATION_H_
