// Appends that fail part-way, on a full disk or under a file-size limit. A cut-off store line once
// stayed in its file for good (a registry line cut from "1,0,1,3,4,19" to "1,0,1,3,4,1" named
// another reflector than the run used), a setting was stored whose new rotors were not, and a
// file-size limit killed the program. Now every line is whole afterwards, no ID is handed out
// twice, every setting names stored components, and the program ends by itself.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/run_program.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/store_fixture.h"
#include "tests/system/system_limits.h"

namespace vexilo::testing {
namespace {

// The sanitizer's runtime must accept a library loaded ahead of it.
std::string sanitizerOptions() {
  const char* given = std::getenv("ASAN_OPTIONS");
  return std::string("ASAN_OPTIONS=") + (given == nullptr ? "" : given) +
         ":verify_asan_link_order=0";
}

// The environment that loads the failing disk under `fileName` with `failures` (see full_disk.cpp).
std::vector<std::string> failingDisk(const std::string& fileName,
                                     const std::vector<std::string>& failures) {
  std::vector<std::string> environment = {"LD_PRELOAD=" VEXILO_FULL_DISK_LIBRARY,
                                          "VEXILO_FAULT_FILE=" + fileName, sanitizerOptions()};
  environment.insert(environment.end(), failures.begin(), failures.end());
  return environment;
}

// A random setting made under `options`, then one without a fault: both runs end by themselves,
// and after each the store is sound, its IDs dense, and every printed setting that it holds is its
// line. With a `chain` of directories the runs start in the first, whose store files are links
// through the others to the store in the last (not there before the first run).
void expectWholeStoreAfter(const ProgramOptions& options, const std::string& fault,
                           const std::vector<std::string>& chain = {}) {
  SCOPED_TRACE(fault);
  const ScopedTempDir directory;
  for (std::size_t link = 0; link + 1 < chain.size(); ++link) {
    linkStoreFiles(chain[link], chain[link + 1]);
  }
  for (ProgramOptions run : {options, ProgramOptions{}}) {
    if (!chain.empty()) run.workingDirectory = chain.front();
    const ProgramRun program = runProgram("1\n", 20.0, VEXILO_BINARY, run);
    ASSERT_EQ(program.exitStatus, 0) << "killed, or ended in error:\n" << program.standardError;
    for (const std::string& problem :
         faultsAfterRun(program.standardOutput, false, chain.empty() ? "." : chain.back())) {
      ADD_FAILURE() << problem;
    }
    for (std::size_t link = 0; link + 1 < chain.size(); ++link) {
      for (const std::string& lost : lostStoreLinks(chain[link], chain[link + 1])) {
        ADD_FAILURE() << lost;
      }
    }
    if (::testing::Test::HasFailure()) return;
  }
}

TEST(StoreFaultsTest, AFullDiskInTheMiddleOfAnyLineOfAnyFileLeavesEveryLineWhole) {
  // An empty directory gets setting 0 of five new components, so every file takes a first line:
  // each file in turn fills up after each number of bytes of that line (the longest is under 90).
  const int step = runsFor(1, 9);
  for (const std::string& fileName : storeFiles) {
    const int longest = fileName == registryFile ? 14 : 90;
    for (int room = 0; room <= longest; room += step) {
      ProgramOptions fullDisk;
      fullDisk.environment = failingDisk(fileName, {"VEXILO_FULL_AFTER=" + std::to_string(room)});
      expectWholeStoreAfter(fullDisk, fileName + " full after " + std::to_string(room) + " bytes");
      if (::testing::Test::HasFailure()) return;
    }
  }
}

// A failed first append through a link removed the link instead of the file it made, so the next
// run grew a private store; and one failed fsync of rotor 1 was followed by rotor 2 under ID 2,
// a gap that later runs took for a stored rotor.
TEST(StoreFaultsTest, OneFailedFsyncOrCutBackThroughLinksLeavesTheLinksAndDenseIds) {
  struct Fault {
    std::string fileName;  // under the failing disk; none for a file-size limit alone
    std::vector<std::string> failures;
    std::optional<unsigned long> fileSizeLimit;
  };
  // Setting 0 of an empty store appends rotors 0, 1 and 2, each line 70 bytes long.
  std::vector<Fault> faults = {
      {rotorFile, {"VEXILO_FAIL_FSYNC=2"}, {}},
      {rotorFile, {"VEXILO_FAIL_FSYNC=2", "VEXILO_FAIL_FTRUNCATE=1"}, {}},
      {rotorFile, {"VEXILO_FULL_AFTER=100", "VEXILO_FAIL_FTRUNCATE=1"}, {}},
      {"", {}, 0},
      {"", {}, 100}};
  for (const std::string& fileName : storeFiles)
    faults.push_back({fileName, {"VEXILO_FAIL_FSYNC=1"}, {}});
  const std::vector<std::string> chains[] = {{}, {"work", "shared"}, {"work", "middle", "shared"}};
  for (const std::vector<std::string>& chain : chains) {
    for (const Fault& fault : faults) {
      ProgramOptions options;
      options.fileSizeLimit = fault.fileSizeLimit;
      std::string what = std::to_string(chain.size()) + " directories, " + fault.fileName;
      if (!fault.fileName.empty())
        options.environment = failingDisk(fault.fileName, fault.failures);
      for (const std::string& failure : fault.failures) what += " " + failure;
      if (fault.fileSizeLimit) what += " file-size limit " + std::to_string(*fault.fileSizeLimit);
      expectWholeStoreAfter(options, what, chain);
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
