// Where a name leads, decided the way the system decides it when it opens the name, so that no
// path is too long or too deep.
//
// names_posix.cpp and names_windows.cpp make the calls; the build takes one.
#ifndef VEXILO_SYSTEM_NAMES_H_
#define VEXILO_SYSTEM_NAMES_H_

#include <optional>
#include <string>

#include "system/files.h"
#include "system/result.h"

namespace vexilo {

// Where a name leads: the file that the system opens for it, when there is one, and the directory
// and the name at the end of its chain of links, where an open that creates the file makes it.
struct FileLocation {
  OpenFile directory;  // open for searching, at least
  FileIdentity directoryIdentity;
  std::string name;
  std::optional<FileIdentity> file;
};

// Follows `fileName` as opening it would. The file is the one the system finds, links and all.
// The directory is reached one name at a time from open directories, so that no working
// directory is too deep, and links at the end are followed to a name that is no link or that does
// not exist yet. Fails when the system would not open the name (a link it refuses to follow), a
// directory on the way cannot be opened, after more links than the system follows (ELOOP), for a
// name that can name no file (`checkFileName`), and on Windows for a name that ends in a separator
// (EISDIR for a directory) or names a stream (EINVAL, see `namesAStream`).
Result<FileLocation> locateFile(const std::string& fileName);

// Whether two names in one directory are the same name, compared as the system compares names: on
// Windows without regard to case.
bool sameName(const std::string& first, const std::string& second);

// Removes the file open on `file` by the name of `location`, whose `file` is its identity: a name
// that only the system resolves (/dev/fd/4) or that now holds another file is left (ENOENT), and
// a link that led to the name stays.
Status removeName(const FileLocation& location, const OpenFile& file);

// Makes the names in the directory of `location` durable, a name just made among them.
void flushDirectory(const FileLocation& location);

}  // namespace vexilo

#endif  // VEXILO_SYSTEM_NAMES_H_
