// Appends that fail part-way, on a full disk or under a file-size limit. A cut-off store line once
// stayed in its file for good (a registry line cut from "1,0,1,3,4,19" to "1,0,1,3,4,1" named
// another reflector than the run used), a setting was stored whose new rotors were not, and a
// file-size limit killed the program. Now every line is whole afterwards, no ID is handed out
// twice, every setting names stored components, and the program ends by itself.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/run_program.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/store_fixture.h"
#include "tests/system/system_limits.h"

namespace vexilo::testing {
namespace {

const std::string storeFiles[] = {reflectorFile, plugboardFile, rotorFile, registryFile};

// The sanitizer's runtime must accept a library loaded ahead of it.
std::string sanitizerOptions() {
  const char* given = std::getenv("ASAN_OPTIONS");
  return std::string("ASAN_OPTIONS=") + (given == nullptr ? "" : given) +
         ":verify_asan_link_order=0";
}

// A random setting made under `options`, then one without a fault: both runs end by themselves,
// and after each the store is sound and every printed setting that it holds is its line.
void expectWholeStoreAfter(const ProgramOptions& options, const std::string& fault) {
  SCOPED_TRACE(fault);
  const ScopedTempDir directory;
  for (const ProgramOptions& run : {options, ProgramOptions{}}) {
    const ProgramRun program = runProgram("1\n", 20.0, VEXILO_BINARY, run);
    ASSERT_EQ(program.exitStatus, 0) << "killed, or ended in error:\n" << program.standardError;
    for (const std::string& problem : faultsAfterRun(program.standardOutput, false)) {
      ADD_FAILURE() << problem;
    }
    if (::testing::Test::HasFailure()) return;
  }
}

TEST(StoreFaultsTest, AFullDiskInTheMiddleOfAnyLineOfAnyFileLeavesEveryLineWhole) {
  // An empty directory gets setting 0 of five new components, so every file takes a first line:
  // each file in turn fills up after each number of bytes of that line (the longest is under 90).
  const int step = runsFor(1, 9);
  for (const std::string& fileName : storeFiles) {
    const int longest = fileName == storeFiles[3] ? 14 : 90;
    for (int room = 0; room <= longest; room += step) {
      ProgramOptions fullDisk;
      fullDisk.environment = {"LD_PRELOAD=" VEXILO_FULL_DISK_LIBRARY,
                              "VEXILO_FULL_FILE=" + fileName,
                              "VEXILO_FULL_AFTER=" + std::to_string(room), sanitizerOptions()};
      expectWholeStoreAfter(fullDisk, fileName + " full after " + std::to_string(room) + " bytes");
      if (::testing::Test::HasFailure()) return;
    }
  }
}

TEST(StoreFaultsTest, AFileSizeLimitAnywhereInTheFirstLinesLeavesEveryLineWhole) {
  // Every file's first line, and the rotor file's second and third, end below 300 bytes.
  for (unsigned long limit = 0; limit <= 300; limit += runsFor(3, 29)) {
    ProgramOptions limited;
    limited.fileSizeLimit = limit;
    expectWholeStoreAfter(limited, "file-size limit of " + std::to_string(limit) + " bytes");
    if (::testing::Test::HasFailure()) return;
  }
}

}  // namespace
}  // namespace vexilo::testing
