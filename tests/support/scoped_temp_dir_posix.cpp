// The temporary directory on POSIX systems: mkdtemp, and descriptors of directories, so that no
// path is too long.
#include "tests/support/scoped_temp_dir.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace vexilo::testing {
namespace {

// Removes `name` in `directory` and everything under it, one name at a time from descriptors, so
// that no path is too long; directories that a test made unreadable are opened up first.
void removeTree(int directory, const char* name) {
  struct stat status {};
  if (::fstatat(directory, name, &status, AT_SYMLINK_NOFOLLOW) != 0) return;
  if (!S_ISDIR(status.st_mode)) {
    ::unlinkat(directory, name, 0);
    return;
  }
  ::fchmodat(directory, name, S_IRWXU, 0);
  const int inner = ::openat(directory, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (DIR* const entries = inner < 0 ? nullptr : ::fdopendir(inner)) {
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(entries)) {
      const std::string entryName = entry->d_name;
      if (entryName != "." && entryName != "..") names.push_back(entryName);
    }
    for (const std::string& entryName : names) removeTree(::dirfd(entries), entryName.c_str());
    ::closedir(entries);
  } else if (inner >= 0) {
    ::close(inner);
  }
  ::unlinkat(directory, name, AT_REMOVEDIR);
}

}  // namespace

ScopedTempDir::ScopedTempDir(const std::filesystem::path& parent)
    : previous_(std::filesystem::current_path()) {
  std::string pattern = (parent / "vexilo-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) std::abort();
  path_ = pattern;
  std::filesystem::current_path(path_);
}

ScopedTempDir::~ScopedTempDir() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
  removeTree(AT_FDCWD, path_.c_str());
}

void ScopedTempDir::enterDeepDirectory(int levels, std::size_t nameLength) {
  const std::string name(nameLength, 'd');
  int directory = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  for (int level = 0; level < levels && directory >= 0; ++level) {
    ::mkdirat(directory, name.c_str(), S_IRWXU);
    const int inner = ::openat(directory, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::close(directory);
    directory = inner;
  }
  if (directory < 0 || ::fchdir(directory) != 0) std::abort();
  ::close(directory);
}

}  // namespace vexilo::testing
