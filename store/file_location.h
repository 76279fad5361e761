// Where a file named by a path really is: a name reached through symbolic links stands for the file
// at the end of the chain, however many links lead there, and a chain that ends in a name not made
// yet stands for the file that creating it would make.
#ifndef VEXILO_STORE_FILE_LOCATION_H_
#define VEXILO_STORE_FILE_LOCATION_H_

#include <optional>
#include <span>
#include <string>

namespace vexilo {

// The path of the file at the end of the chain of links that `fileName` starts: the canonical path
// of its directory, then its own name; `fileName`'s own when it is no link. A link whose target
// does not exist yet ends the chain at that target, where an open with O_CREAT would make the file.
// Nothing when a directory on the way does not exist or cannot be read, or after more links than
// the system follows.
std::optional<std::string> pathAtEndOfLinks(const std::string& fileName);

// Whether `fileName` names one of `fileNames`: the same file (device and inode), also through links
// or another spelling; or, where one of them does not exist yet, the same path at the end of links.
bool namesOneOf(const std::string& fileName, std::span<const std::string> fileNames);

}  // namespace vexilo

#endif  // VEXILO_STORE_FILE_LOCATION_H_
