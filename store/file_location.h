// Where a file named by a path really is, decided the way the system decides it when it opens the
// name, so that no path is too long or too deep: two names are the same file when they lead to
// the same file, or, for a file not made yet, to the same name in the same directory.
//
// What each system must do is in file_location_posix.cpp and file_location_windows.cpp.
#ifndef VEXILO_STORE_FILE_LOCATION_H_
#define VEXILO_STORE_FILE_LOCATION_H_

#include <compare>
#include <cstdint>
#include <optional>
#include <string>

#include "store/file_system.h"

namespace vexilo {

// What tells one file from another: its device and inode on POSIX systems, its volume's serial
// number and its file index on Windows.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t index = 0;
  friend auto operator<=>(const FileIdentity&, const FileIdentity&) = default;
};

// The identity of the file open on `file`; nullopt, with errno set, when it cannot be read.
std::optional<FileIdentity> identityOf(const FileDescriptor& file);

// Where a name leads: the file that the system opens for it, when there is one, and the directory
// and the name at the end of its chain of links, where an open that creates the file makes it.
struct FileLocation {
  FileDescriptor directory;  // open for searching, at least
  FileIdentity directoryIdentity;
  std::string name;
  std::optional<FileIdentity> file;
};

// Follows `fileName` as opening it would. The file is the one the system finds, links and all.
// The directory is reached one name at a time from directory descriptors, so that no working
// directory is too deep, and links at the end are followed to a name that is no link or that does
// not exist yet. Nothing when the system would not open the name (a link it refuses to follow), a
// directory on the way cannot be opened, after more links than the system follows (ELOOP), or when
// the name holds a NUL byte (`nameHoldsNul`); errno says which.
std::optional<FileLocation> locateFile(const std::string& fileName);

// Whether two locations lead to the same file: the same file where there is one, or else the same
// name (compared as the system compares names: on Windows without regard to case) in the same
// directory.
bool sameFile(const FileLocation& first, const FileLocation& second);

// Removes the file open on `file`, which was made at `location`, when that name still holds it;
// a link that led there stays. False, with errno set, when it cannot.
bool removeFileAt(const FileLocation& location, const FileDescriptor& file);

// Makes the names in the directory of `location` durable, a name just made among them.
void flushDirectory(const FileLocation& location);

}  // namespace vexilo

#endif  // VEXILO_STORE_FILE_LOCATION_H_
