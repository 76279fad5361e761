// Runs the whole program in-process on arbitrary standard input, in a directory refilled for every
// input with arbitrary store files (or directories in their place) and a file named "in" for file
// mode. Checks the exit status and that no existing line of a store file changes.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "app/main_loop.h"
#include "fuzz/fuzz_directory.h"
#include "settings/registry.h"
#include "store/component_files.h"

namespace {

std::string readWhole(const std::string& fileName) {
  std::ifstream file(fileName, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider provider(data, size);
  // Bits 0 to 3: a directory in place of the store file; bits 4 to 7: the file is absent.
  const auto layout = provider.ConsumeIntegral<std::uint8_t>();
  std::array<std::string, 4> contents;
  for (std::string& text : contents) text = provider.ConsumeRandomLengthString(1 << 12);
  const std::string fileModeInput = provider.ConsumeRandomLengthString(1 << 12);
  std::string standardInput = provider.ConsumeRemainingBytesAsString();
  // File mode may name any file: without a slash every name stays inside this directory.
  std::replace(standardInput.begin(), standardInput.end(), '/', '_');

  vexilo::fuzzing::emptyFuzzDirectory();
  std::array<bool, 4> present{};
  for (std::size_t file = 0; file < contents.size(); ++file) {
    if ((layout >> file & 1) != 0) {
      vexilo::fuzzing::makeFuzzDirectory(*vexilo::fuzzing::storeFileNames[file]);
    } else if ((layout >> (file + 4) & 1) == 0) {
      vexilo::fuzzing::writeFuzzFile(*vexilo::fuzzing::storeFileNames[file], contents[file]);
      present[file] = true;
    }
  }
  vexilo::fuzzing::writeFuzzFile("in", fileModeInput);

  std::istringstream in(standardInput);
  std::ostringstream out;
  std::ostringstream err;
  // Status 1 only when file mode could not use its input file, which ends the program at once,
  // or its output, or when a new setting could not be stored; the session goes on after those.
  const int status = vexilo::runVexilo(in, out, err);
  const bool outputFailed =
      out.str().find("output encryped file to\nunable to open file\n") != std::string::npos ||
      err.str().find("vexilo: write error on ") != std::string::npos;
  const bool settingUnstored = err.str().find(" was not stored: ") != std::string::npos ||
                               err.str().find(" initalSettings26.txt: ") != std::string::npos;
  vexilo::fuzzing::check(status == 0 ||
                         (status == 1 && (out.str().ends_with("unable to open file\n") ||
                                          outputFailed || settingUnstored)));

  // The store is only ever appended to: every byte that stood in a file still stands there, unless
  // file mode was told to write over that file by name.
  const bool storeNamed = standardInput.find("Settings26") != std::string::npos;
  for (std::size_t file = 0; file < contents.size() && !storeNamed; ++file) {
    if (present[file])
      vexilo::fuzzing::check(
          readWhole(*vexilo::fuzzing::storeFileNames[file]).starts_with(contents[file]));
  }
  return 0;
}
