// Appends that fail part-way, on a full disk or under a file-size limit. A cut-off store line once
// stayed in its file for good (a registry line cut from "1,0,1,3,4,19" to "1,0,1,3,4,1" named
// another reflector than the run used), a setting was stored whose new rotors were not, and a
// file-size limit killed the program. Now every line is whole afterwards, no ID is handed out
// twice, every setting names stored components, and the program ends by itself.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/posix_only.h"
#include "tests/support/run_program.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/store_fixture.h"
#include "tests/system/system_limits.h"

namespace vexilo::testing {
namespace {

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
    ASSERT_FALSE(program.timedOut);
    for (const std::string& problem :
         faultsAfterRun(program, false, chain.empty() ? "." : chain.back())) {
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
  VEXILO_NEEDS_POSIX("a failing disk played by a preloaded library (LD_PRELOAD)");
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
  VEXILO_NEEDS_POSIX("a preloaded library (LD_PRELOAD), file-size limits and symbolic links");
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

// Where the working directory's full path is longer than the system's path limit, it cannot be
// resolved to a path: the comparison of resolved paths then let file mode write into a store file
// not made yet, and a failed first append left behind the empty file it made.
TEST(StoreFaultsTest, AWorkingDirectoryBeyondThePathLimitKeepsEveryPromise) {
  VEXILO_NEEDS_POSIX("a working directory beyond the path limit, and file-size limits");
  ScopedTempDir directory;
  directory.enterDeepDirectory(45, 100);
  writeKnownStore();
  std::filesystem::remove(plugboardFile);
  writeFile("in.txt", "abc\n");
  const ProgramRun refused = runProgram("2 1A\n4\nin.txt\n" + plugboardFile + "\n1\n");
  EXPECT_EQ(refused.exitStatus, 1);
  EXPECT_EQ(refused.standardError,
            "vexilo: cannot open " + plugboardFile + ": it is a file of the store\n");
  EXPECT_FALSE(std::filesystem::exists(plugboardFile));

  for (const std::string& fileName : storeFiles) std::filesystem::remove(fileName);
  ProgramOptions noRoom;
  noRoom.fileSizeLimit = 0;
  // The new setting in use is stored nowhere: status 1.
  EXPECT_EQ(runProgram("1\n", 20.0, VEXILO_BINARY, noRoom).exitStatus, 1);
  for (const std::string& fileName : storeFiles) {
    EXPECT_FALSE(std::filesystem::exists(fileName)) << fileName;
  }
}

TEST(StoreFaultsTest, AFileSizeLimitAnywhereInTheFirstLinesLeavesEveryLineWhole) {
  VEXILO_NEEDS_POSIX("file-size limits (ulimit -f)");
  // Every file's first line, and the rotor file's second and third, end below 300 bytes.
  for (unsigned long limit = 0; limit <= 300; limit += runsFor(3, 29)) {
    ProgramOptions limited;
    limited.fileSizeLimit = limit;
    expectWholeStoreAfter(limited, "file-size limit of " + std::to_string(limit) + " bytes");
    if (::testing::Test::HasFailure()) return;
  }
}

// An allocation that found no memory (under an address-space limit, or anywhere in a random
// setting or file mode) ended the program by SIGABRT, and file mode left its output empty. Now
// every run ends by itself: whole, or with a note and status 1, the output file either enciphered
// whole or as it was, and the store whole.
TEST(StoreFaultsTest, RunningOutOfMemoryAnywhereEndsWithANoteAndLeavesTheStoreWhole) {
  VEXILO_NEEDS_POSIX("address-space limits and failing allocations played by LD_PRELOAD");
  std::string text;
  for (int i = 0; text.size() < 2500000; ++i) text += i % 64 == 63 ? '\n' : 'a' + i % 26;
  text += '\n';
  const auto expectEndWithoutSignal = [&](const ProgramOptions& options, const std::string& fault) {
    const ScopedTempDir directory;
    writeFile("in.txt", text);
    writeFile("out.txt", "as it was\n");
    const ProgramRun run = runProgram("1\n4\nin.txt\nout.txt\n1\n", 20.0, VEXILO_BINARY, options);
    EXPECT_NE(run.exitStatus, -1) << fault << ": killed";
    if (run.exitStatus != 0) {
      EXPECT_EQ(run.standardError, "vexilo: out of memory\n") << fault;
      EXPECT_EQ(readFile("out.txt"), "as it was\n") << fault;
    } else {
      EXPECT_EQ(readFile("out.txt").size(), text.size()) << fault;
    }
    for (const std::string& problem : checkStore().faults)
      ADD_FAILURE() << fault << ": " << problem;
    return run.exitStatus == 0;
  };
#ifndef __SANITIZE_ADDRESS__
  for (unsigned long mebibytes = 8; mebibytes <= 40; mebibytes += runsFor(2, 8)) {
    ProgramOptions limited;
    limited.addressSpaceLimit = mebibytes << 20;
    expectEndWithoutSignal(limited, "address space of " + std::to_string(mebibytes) + " MiB");
    if (::testing::Test::HasFailure()) return;
  }
#endif
  // Failing each allocation in turn, until the run has made fewer.
  for (int failing = 1;; failing += runsFor(1, 5)) {
    ProgramOptions failingAllocation;
    failingAllocation.environment = {"LD_PRELOAD=" VEXILO_FULL_DISK_LIBRARY,
                                     "VEXILO_FAILING_ALLOCATION=" + std::to_string(failing),
                                     sanitizerOptions()};
    const bool whole = expectEndWithoutSignal(failingAllocation,
                                              "allocation " + std::to_string(failing) + " failed");
    if (whole || ::testing::Test::HasFailure()) break;
  }
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "address-space limits: the address sanitizer reserves far more address space";
#endif
}

// A file mode output cut off by a read error got a final line end, and looked complete; the
// session then ended with status 0.
TEST(StoreFaultsTest, AReadErrorInFileModeAddsNoLineEndToTheOutput) {
  VEXILO_NEEDS_POSIX("a failing read played by a preloaded library (LD_PRELOAD)");
  const ScopedTempDir directory;
  writeKnownStore();
  writeFile("in.txt", "abc\ndef");
  ProgramOptions failingRead;
  failingRead.environment = {"LD_PRELOAD=" VEXILO_FULL_DISK_LIBRARY, "VEXILO_FAULT_FILE=in.txt",
                             "VEXILO_FAILING_READ_AFTER=5", sanitizerOptions()};
  const ProgramRun run =
      runProgram("2 1A\n4\nin.txt\nout.txt\n1\n", 20.0, VEXILO_BINARY, failingRead);
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.standardError, "vexilo: read error in in.txt: Input/output error\n");
  EXPECT_EQ(readFile("out.txt").size(), 5U);
}

// A failed open in file mode was followed by the block memory's madvise, which set errno anew:
// where madvise fails (a kernel without transparent huge pages), a missing input read "Invalid
// argument".
TEST(StoreFaultsTest, AFailedMadviseLeavesTheReasonAMissingInputCannotBeOpened) {
  VEXILO_NEEDS_POSIX("a failing madvise played by a preloaded library (LD_PRELOAD)");
  const ScopedTempDir directory;
  writeKnownStore();
  ProgramOptions failingMadvise;
  failingMadvise.environment = {"LD_PRELOAD=" VEXILO_FULL_DISK_LIBRARY, "VEXILO_FAILING_MADVISE=1",
                                sanitizerOptions()};
  const ProgramRun run = runProgram("2 1A\n4\nmissing.txt\n", 20.0, VEXILO_BINARY, failingMadvise);
  EXPECT_EQ(run.standardError, "vexilo: cannot open missing.txt: No such file or directory\n");
}

}  // namespace
}  // namespace vexilo::testing
