// The temporary directory on Windows, through std::filesystem.
#include "tests/support/scoped_temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace vexilo::testing {
namespace {

// Removes `path` and everything under it. Windows deletes no file marked read-only (what a test
// that takes the write permissions away leaves), so every entry is made writable first.
void removeTree(const std::filesystem::path& path) {
  std::error_code ignored;
  for (std::filesystem::recursive_directory_iterator entry(path, ignored), end;
       !ignored && entry != end; entry.increment(ignored)) {
    std::filesystem::permissions(entry->path(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add, ignored);
  }
  std::filesystem::remove_all(path, ignored);
}

}  // namespace

ScopedTempDir::ScopedTempDir(const std::filesystem::path& parent)
    : previous_(std::filesystem::current_path()) {
  // The names that mkdtemp would try: six random letters and digits, until one is free.
  static constexpr char characters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::mt19937 random(std::random_device{}());
  std::uniform_int_distribution<std::size_t> pick(0, sizeof characters - 2);
  for (int attempt = 0; path_.empty(); ++attempt) {
    if (attempt == 100) std::abort();
    std::string name = "vexilo-test-";
    for (int character = 0; character < 6; ++character) name += characters[pick(random)];
    std::error_code error;
    if (std::filesystem::create_directory(parent / name, error)) path_ = parent / name;
  }
  std::filesystem::current_path(path_);
}

ScopedTempDir::~ScopedTempDir() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
  removeTree(path_);
}

// A Windows process keeps no working directory longer than the path limit (MAX_PATH), so the
// tests that need one are skipped there (tests/support/posix_only.h) and never come here.
void ScopedTempDir::enterDeepDirectory(int, std::size_t) { std::abort(); }

}  // namespace vexilo::testing
