// Many runs of the program at once in one directory, each making a random setting.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <latch>
#include <thread>
#include <utility>
#include <vector>

#include "tests/support/posix_only.h"
#include "tests/support/run_program.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/store_fixture.h"
#include "tests/system/system_limits.h"

namespace vexilo::testing {
namespace {

constexpr int parallelProcesses = 8;

struct WorkerResult {
  std::vector<PrintedSetting> settings;
  std::vector<std::string> faults;
};

void recordRun(const ProgramRun& program, WorkerResult& result) {
  if (!program.standardError.empty()) result.faults.push_back(program.standardError);
  const auto printed = printedSetting(program.standardOutput);
  if (program.exitStatus != 0 || !printed) {
    result.faults.push_back("run ended with status " + std::to_string(program.exitStatus) + ":\n" +
                            program.standardOutput.substr(0, 2000));
  } else {
    result.settings.push_back(*printed);
  }
}

// Checks the store of the working directory, and that every printed setting is the registry's
// line for its ID; returns the number of printed settings.
std::size_t checkRuns(const std::vector<WorkerResult>& results, const StoreReport& store) {
  for (const std::string& fault : store.faults) ADD_FAILURE() << fault;
  std::size_t printedCount = 0;
  for (const WorkerResult& result : results) {
    for (const std::string& fault : result.faults) ADD_FAILURE() << fault;
    for (const PrintedSetting& printed : result.settings) {
      ++printedCount;
      const auto stored = store.settings.find(printed.id);
      if (stored == store.settings.end()) {
        ADD_FAILURE() << "setting " << printed.id << " is not stored";
      } else {
        EXPECT_EQ(stored->second, printed.setting) << "setting " << printed.id;
      }
    }
  }
  return printedCount;
}

// Concurrent runs once read the same next free IDs and stored different settings and components
// under the same IDs, so a user could never find their own setting again by its ID.
TEST(ParallelRunsTest, EightRunsAtOnceNeverHandOutOneIdTwice) {
  ScopedTempDir directory;
  const int runsPerProcess = runsFor(80, 20);
  std::vector<WorkerResult> results(parallelProcesses);
  std::vector<std::thread> workers;
  // Each thread keeps one program running at a time, so eight run at once in the directory.
  for (int worker = 0; worker < parallelProcesses; ++worker) {
    workers.emplace_back([&, worker] {
      for (int run = 0; run < runsPerProcess; ++run) {
        recordRun(runProgram("1\n"), results[worker]);
      }
    });
  }
  for (std::thread& worker : workers) worker.join();

  const StoreReport store = checkStore();
  const std::size_t printedCount = checkRuns(results, store);
  EXPECT_EQ(printedCount, static_cast<std::size_t>(parallelProcesses * runsPerProcess));
  EXPECT_GE(store.settings.size(), 2u);
  std::cout << "parallel runs: " << parallelProcesses << " at once, " << printedCount << " runs, "
            << store.settings.size() << " settings, " << store.rotors << " rotors, "
            << store.reflectors << " reflectors, " << store.plugboards << " plugboards\n";
}

// Other spellings of `directory` that the system takes for it: on Windows another case too. (A
// working directory cannot be given in the "\\?\" form; tests/store/file_location_test.cpp takes
// that form as a name.)
std::vector<std::string> spellingsOf(const std::filesystem::path& directory) {
  const std::string path = directory.string();
  if (posixSystem) return {path, path + "/.", path + "/../" + directory.filename().string(), "."};
  std::string upperCase = path;
  for (char& character : upperCase) character = static_cast<char>(std::toupper(character));
  return {path, upperCase, path + "\\.\\", "."};
}

// In an empty directory every run wants to make setting 0 and its components: runs started at
// the same moment once all stored them under the same IDs. The runs start in the directory by
// several spellings of it, as one user's shortcut and another's typed path would. On NFS, where
// flock of a directory fails, every run once went on without the lock.
TEST(ParallelRunsTest, EightRunsStartedTogetherInAnEmptyDirectoryGetDifferentIds) {
  struct Locks {
    const char* as;
    std::vector<std::string> environment;
    int rounds;
  };
  std::vector<Locks> locks = {{"on a local disk", {}, runsFor(40, 15)}};
  if (posixSystem) {
    locks.push_back(
        {"with flock as on NFS", preloadedFaults({"VEXILO_FLOCK_AS_ON_NFS=1"}), runsFor(10, 4)});
  }
  for (const Locks& lock : locks) {
    SCOPED_TRACE(lock.as);
    std::size_t settingsMade = 0;
    for (int round = 0; round < lock.rounds; ++round) {
      ScopedTempDir directory;
      const std::vector<std::string> spellings = spellingsOf(directory.path());
      std::vector<WorkerResult> results(parallelProcesses);
      std::latch start(parallelProcesses);
      std::vector<std::thread> workers;
      for (int worker = 0; worker < parallelProcesses; ++worker) {
        workers.emplace_back([&, worker] {
          ProgramOptions options;
          options.workingDirectory = spellings[static_cast<std::size_t>(worker) % spellings.size()];
          options.environment = lock.environment;
          start.arrive_and_wait();
          recordRun(runProgram("1\n", 20.0, VEXILO_BINARY, options), results[worker]);
        });
      }
      for (std::thread& worker : workers) worker.join();
      const StoreReport store = checkStore();
      EXPECT_EQ(checkRuns(results, store), static_cast<std::size_t>(parallelProcesses));
      settingsMade += store.settings.size();
      if (::testing::Test::HasFailure()) return;
    }
    std::cout << "runs started together " << lock.as << ": " << lock.rounds << " rounds of "
              << parallelProcesses << ", " << settingsMade << " settings\n";
  }
}

// Two directories whose store files were links to one store each locked only their own directory,
// and handed out the same IDs in half of the rounds; with a chain of two links the lock covered
// only the directory of the first link's target.
TEST(ParallelRunsTest, RunsInDirectoriesLinkedToOneStoreNeverHandOutOneIdTwice) {
  VEXILO_NEEDS_POSIX("symbolic links");
  struct Layout {
    std::vector<std::pair<std::string, std::string>> links;  // from, to
    std::vector<std::string> runIn;                          // where the runs start, in turn
    int processes;
    int rounds;
  };
  const Layout layouts[] = {
      {{{"one", "shared"}, {"two", "shared"}}, {"one", "two"}, parallelProcesses, runsFor(40, 10)},
      {{{"a", "b"}, {"b", "shared"}, {"c", "shared"}}, {"a", "c"}, 6, runsFor(20, 6)}};
  for (const Layout& layout : layouts) {
    std::size_t settingsMade = 0;
    for (int round = 0; round < layout.rounds; ++round) {
      ScopedTempDir directory;
      // The store is new: the links point at files that the first run makes.
      for (const auto& [from, to] : layout.links) linkStoreFiles(from, to);
      std::vector<WorkerResult> results(layout.processes);
      std::latch start(layout.processes);
      std::vector<std::thread> workers;
      for (int worker = 0; worker < layout.processes; ++worker) {
        workers.emplace_back([&, worker] {
          ProgramOptions options;
          options.workingDirectory = layout.runIn[worker % layout.runIn.size()];
          start.arrive_and_wait();
          recordRun(runProgram("1\n", 20.0, VEXILO_BINARY, options), results[worker]);
        });
      }
      for (std::thread& worker : workers) worker.join();
      EXPECT_EQ(checkRuns(results, checkStore("shared")),
                static_cast<std::size_t>(layout.processes))
          << layout.runIn.front() << " and " << layout.runIn.back();
      settingsMade += checkStore("shared").settings.size();
      if (::testing::Test::HasFailure()) return;
    }
    std::cout << "runs in linked directories " << layout.runIn.front() << " and "
              << layout.runIn.back() << ": " << layout.rounds << " rounds of " << layout.processes
              << ", " << settingsMade << " settings\n";
  }
}

}  // namespace
}  // namespace vexilo::testing
