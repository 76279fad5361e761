// A fresh temporary directory that is the working directory for its lifetime, then removed.
#ifndef VEXILO_TESTS_SUPPORT_SCOPED_TEMP_DIR_H_
#define VEXILO_TESTS_SUPPORT_SCOPED_TEMP_DIR_H_

#include <filesystem>
#include <string>

namespace vexilo::testing {

class ScopedTempDir {
 public:
  explicit ScopedTempDir(
      const std::filesystem::path& parent = std::filesystem::temp_directory_path());
  ~ScopedTempDir();
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }

  // Makes `levels` directories of `nameLength`-byte names, each in the one before it, starting in
  // the working directory, and changes into the last: one name at a time from directory
  // descriptors, since no single path reaches it when the whole is longer than the system's path
  // limit. They go with the rest.
  void enterDeepDirectory(int levels, std::size_t nameLength);

 private:
  std::filesystem::path path_;
  std::filesystem::path previous_;
};

// Whole contents of `fileName`, or "<absent>" when it cannot be opened.
std::string readFile(const std::filesystem::path& fileName);

// Replaces the contents of `fileName` with `contents`.
void writeFile(const std::filesystem::path& fileName, const std::string& contents);

}  // namespace vexilo::testing

#endif  // VEXILO_TESTS_SUPPORT_SCOPED_TEMP_DIR_H_
