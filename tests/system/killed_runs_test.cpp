// Runs killed at random moments (SIGKILL, or TerminateProcess on Windows) while they make random
// settings and add to the store.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <thread>
#include <vector>

#include "tests/support/console_texts.h"
#include "tests/support/run_program.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/store_fixture.h"
#include "tests/system/system_limits.h"

namespace vexilo::testing {
namespace {

using Clock = std::chrono::steady_clock;

// Kills `child` after `delay`; true when it was still running then and died of the kill.
bool killAfter(const StartedProgram& child, std::chrono::microseconds delay) {
  std::this_thread::sleep_for(delay);
  killProgram(child);
  return waitForProgram(child).killed;
}

std::uintmax_t sizeOf(const std::string& fileName) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(fileName, error);
  return error ? 0 : size;
}

struct StoreSizes {
  std::uintmax_t components = 0;
  std::uintmax_t registry = 0;
};

StoreSizes storeSizes() {
  return {sizeOf(rotorFile) + sizeOf(reflectorFile) + sizeOf(plugboardFile), sizeOf(registryFile)};
}

// How long a whole run of "1\n" takes here, so that kills can be spread over it.
std::chrono::microseconds typicalRunTime() {
  const auto start = Clock::now();
  constexpr int runs = 5;
  for (int run = 0; run < runs; ++run) waitForProgram(startProgram("1\n"));
  return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start) / runs;
}

void expectSoundStore(const char* when) {
  const StoreReport store = checkStore();
  for (const std::string& fault : store.faults) ADD_FAILURE() << when << ": " << fault;
}

// Every stored setting must load by its ID in a real run: whole components, no unreadable line.
void expectEverySettingLoads() {
  const StoreReport store = checkStore();
  for (const auto& [id, setting] : store.settings) {
    char typed[16];
    std::snprintf(typed, sizeof typed, "%X", static_cast<unsigned>(id));
    const ProgramRun run = runProgram(std::string("2 ") + typed + "\n");
    const auto printed = printedSetting(run.standardOutput);
    ASSERT_TRUE(printed) << "setting " << typed;
    EXPECT_EQ(printed->setting, setting) << "setting " << typed;
    EXPECT_EQ(run.standardOutput.find(unableToOpen), std::string::npos) << typed;
    // An entry left unloaded (-1) would show as the character before "a" in the wiring table.
    EXPECT_EQ(run.standardOutput.find('`'), std::string::npos) << "setting " << typed;
    EXPECT_EQ(run.standardError, "") << "setting " << typed;
  }
}

// A new setting is made by a run with chance 1 in (settings + 1), so the kills go to many small
// stores, where most runs make one: a store grows by a few settings, then the next one starts.
TEST(KilledRunsTest, RunsKilledAtRandomMomentsLeaveAWholeStoreThatLaterRunsGrow) {
  std::mt19937 random(std::random_device{}());
  const std::chrono::microseconds runTime = [] {
    ScopedTempDir directory;
    return typicalRunTime();
  }();
  std::uniform_int_distribution<std::int64_t> moment(0, runTime.count() * 3 / 2);
  const int stores = runsFor(30, 10);
  constexpr int singleKillsPerStore = 10;
  constexpr int parallelRoundsPerStore = 2;
  constexpr int laterRunsPerStore = 3;
  int attempts = 0;
  int killed = 0;
  int killedBetweenComponentsAndSetting = 0;
  int killedTogether = 0;
  std::size_t settingsMade = 0;
  for (int storeNumber = 0; storeNumber < stores; ++storeNumber) {
    ScopedTempDir directory;
    // One run at a time, so that what each kill left behind can be told apart.
    for (int attempt = 0; attempt < singleKillsPerStore; ++attempt) {
      ++attempts;
      const StoreSizes before = storeSizes();
      if (!killAfter(startProgram("1\n"), std::chrono::microseconds(moment(random)))) continue;
      ++killed;
      const StoreSizes after = storeSizes();
      if (after.components != before.components && after.registry == before.registry) {
        ++killedBetweenComponentsAndSetting;
      }
    }
    expectSoundStore("after single kills");
    // Four at once, each holding or waiting for the store lock when it dies.
    for (int round = 0; round < parallelRoundsPerStore; ++round) {
      std::vector<StartedProgram> children;
      for (int child = 0; child < 4; ++child) children.push_back(startProgram("1\n"));
      for (const StartedProgram& child : children) {
        attempts++;
        if (killAfter(child, std::chrono::microseconds(moment(random) / 4))) ++killedTogether;
      }
    }
    expectSoundStore("after parallel kills");
    const std::size_t settingsAfterKills = checkStore().settings.size();

    // Later runs go on growing the store from where the kills left it.
    for (int run = 0; run < laterRunsPerStore; ++run) {
      const ProgramRun later = runProgram("1\n");
      for (const std::string& fault : faultsAfterRun(later, true)) {
        ADD_FAILURE() << "later run " << run << ": " << fault;
      }
    }
    expectSoundStore("after later runs");
    const StoreReport final = checkStore();
    EXPECT_GE(final.settings.size(), std::max<std::size_t>(settingsAfterKills, 1));
    settingsMade += final.settings.size();
    expectEverySettingLoads();
    if (::testing::Test::HasFailure()) break;
  }
  EXPECT_GT(killed + killedTogether, 0);
  std::cout << "kills: " << killed + killedTogether << " of " << attempts << " runs in " << stores
            << " stores (" << killedTogether << " killed four at a time, "
            << killedBetweenComponentsAndSetting
            << " single kills between storing components and their setting); " << settingsMade
            << " settings made, every one loadable\n";
}

}  // namespace
}  // namespace vexilo::testing
