#include "fuzz/fuzz_directory.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <streambuf>
#include <system_error>

namespace vexilo::fuzzing {
namespace {

// Swallows everything written to it.
class NullBuffer : public std::streambuf {
 protected:
  int_type overflow(int_type character) override { return traits_type::not_eof(character); }
  std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

NullBuffer nullBuffer;
std::filesystem::path fuzzDirectory;

void removeFuzzDirectory() {
  std::error_code ignored;
  std::filesystem::remove_all(fuzzDirectory, ignored);
}

}  // namespace

void enterFuzzDirectory() {
  std::error_code error;
  const std::filesystem::path base = std::filesystem::temp_directory_path(error);
  if (error) __builtin_trap();
  std::string pattern = (base / "vexilo-fuzz-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr || ::chdir(pattern.c_str()) != 0) __builtin_trap();
  fuzzDirectory = pattern;
  std::atexit(removeFuzzDirectory);
  std::cerr.rdbuf(&nullBuffer);
}

void emptyFuzzDirectory() {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(".", error)) {
    std::error_code ignored;
    std::filesystem::remove_all(entry.path(), ignored);
  }
}

void writeFuzzFile(const std::string& fileName, std::string_view contents) {
  std::ofstream file(fileName, std::ios::binary | std::ios::trunc);
  file.write(contents.data(), static_cast<std::streamsize>(contents.size()));
}

void makeFuzzDirectory(const std::string& fileName) { ::mkdir(fileName.c_str(), 0755); }

}  // namespace vexilo::fuzzing

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  vexilo::fuzzing::enterFuzzDirectory();
  return 0;
}
