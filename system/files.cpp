// What the files of every system share.
#include "system/files.h"

#include <cerrno>

namespace vexilo {

OpenFile& OpenFile::operator=(OpenFile&& other) noexcept {
  if (this != &other) {
    OpenFile closing(handle_);
    handle_ = other.handle_;
    other.handle_ = noFile;
  }
  return *this;
}

OpenFile::OpenFile(OpenFile&& other) noexcept : handle_(other.handle_) { other.handle_ = noFile; }

Status checkFileName(const std::string& fileName) {
  if (fileName.find('\0') != std::string::npos) return ownError(OwnReason::nameHoldsNul);
  if (fileName.empty()) return errorNumbered(ENOENT);
  return Done{};
}

}  // namespace vexilo
