// When two names are the same file, and taking away a file the program made: the store's rules
// over where names lead (system/names.h). Two names are the same file when they lead to the same
// file, or, for a file not made yet, to the same name in the same directory.
#ifndef VEXILO_STORE_FILE_LOCATION_H_
#define VEXILO_STORE_FILE_LOCATION_H_

#include "system/files.h"
#include "system/names.h"

namespace vexilo {

// Whether two locations lead to the same file: the same file where there is one, or else the same
// name (compared as the system compares names, see `sameName`) in the same directory.
bool sameFile(const FileLocation& first, const FileLocation& second);

// Removes the file open on `file`, which was made at `location`, when that name still holds it;
// a link that led there stays. Fails with ENOENT when the name holds another file by now.
Status removeFileAt(const FileLocation& location, const OpenFile& file);

}  // namespace vexilo

#endif  // VEXILO_STORE_FILE_LOCATION_H_
