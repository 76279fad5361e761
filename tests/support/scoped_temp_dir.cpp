#include "tests/support/scoped_temp_dir.h"

#include <fstream>
#include <sstream>
#include <string>

namespace vexilo::testing {

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
