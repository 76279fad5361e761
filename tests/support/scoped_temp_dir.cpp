#include "tests/support/scoped_temp_dir.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>

namespace vexilo::testing {

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
  // Files made unreadable or unwritable by a test must still go.
  for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored)) {
    std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
  }
  std::filesystem::remove_all(path_, ignored);
}

std::string readFile(const std::filesystem::path& fileName) {
  std::ifstream file(fileName, std::ios::binary);
  if (!file) return "<absent>";
  std::ostringstream contents;
  contents << file.rdbuf();
  return contents.str();
}

void writeFile(const std::filesystem::path& fileName, const std::string& contents) {
  std::ofstream file(fileName, std::ios::binary | std::ios::trunc);
  file << contents;
}

}  // namespace vexilo::testing
