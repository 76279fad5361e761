#include "store/file_location.h"

#include <cerrno>

namespace vexilo {

bool sameFile(const FileLocation& first, const FileLocation& second) {
  if (first.file || second.file) return first.file == second.file;
  return first.directoryIdentity == second.directoryIdentity && sameName(first.name, second.name);
}

Status removeFileAt(const FileLocation& location, const OpenFile& file) {
  const Result<FileIdentity> identity = identityOf(file.get());
  if (!identity || location.file != *identity) return errorNumbered(ENOENT);
  return removeName(location, file);
}

}  // namespace vexilo
