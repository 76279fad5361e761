// How often each attack of vexilo-break names the right machine first as messages shorten: 20
// messages for each length, taken from English that no test tunes on, broken by the built program.
// Prints a table for docs/breaking.md; with VEXILO_SHOW_FAILURES set, each failure's message and
// output on standard error. Run it from the build directory:
//   tests/break/vexilo_break_success_rates
#include <cstdlib>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/letter.h"
#include "tests/support/random_store.h"
#include "tests/support/run_program.h"
#include "tests/support/scoped_temp_dir.h"

namespace vexilo::testing {
namespace {

constexpr int messageCount = 20;

// Successes out of `messageCount` at `letters` letters.
int successes(const RandomStoreShape& shape, unsigned storeSeed, int letters, int cribLetters,
              bool components, unsigned messageSeed) {
  std::mt19937 random(messageSeed);
  int right = 0;
  for (int message = 0; message < messageCount; ++message) {
    std::vector<int> parts;
    std::string expected;
    if (components) {
      std::uniform_int_distribution<int> rotor(0, shape.rotors - 1);
      parts = {std::uniform_int_distribution<int>(0, shape.plugboards - 1)(random), rotor(random),
               0, 0, std::uniform_int_distribution<int>(0, shape.reflectors - 1)(random)};
      do parts[2] = rotor(random);
      while (parts[2] == parts[1]);
      do parts[3] = rotor(random);
      while (parts[3] == parts[1] || parts[3] == parts[2]);
      for (std::size_t i = 0; i < parts.size(); ++i) {
        expected += (i > 0 ? "," : "") + std::to_string(parts[i]);
      }
    } else {
      const int settingId = std::uniform_int_distribution<int>(0, shape.settings - 1)(random);
      parts = randomStoreSetting(shape, storeSeed, settingId);
      std::ostringstream id;
      id << std::uppercase << std::hex << settingId;
      expected = id.str();
    }
    const std::string plain = englishMessage(random, letters, true);
    writeFile("message.txt", encipherMessage(randomStoreMachine(storeSeed, parts), plain));
    ProgramOptions options;
    if (cribLetters > 0) {
      std::string plainLetters;
      for (const char character : plain) {
        if (letterIndex(character) >= 0) plainLetters += static_cast<char>(character | 0x20);
      }
      const int length = std::min(cribLetters, letters);
      const auto start = std::uniform_int_distribution<std::size_t>(
          0, plainLetters.size() - static_cast<std::size_t>(length))(random);
      options.arguments = {"--crib", plainLetters.substr(start, static_cast<std::size_t>(length))};
    }
    if (components) options.arguments.push_back("--components");
    options.arguments.insert(options.arguments.end(),
                             {"--decipher", "deciphered.txt", "message.txt"});
    const ProgramRun run = runProgram("", 600.0, VEXILO_BREAK_BINARY, options);
    // Two components of one wiring make machines that are the same: either one first is right.
    const std::string lower = lowerCase(plain);
    if (run.exitStatus == 0 && (firstWord(run.standardOutput) == expected ||
                                (components && readFile("deciphered.txt") == lower))) {
      ++right;
    } else if (std::getenv("VEXILO_SHOW_FAILURES")) {
      std::cerr << plain << " | expected " << expected << "\n" << run.standardOutput << "\n";
    }
  }
  return right;
}

void measure(const char* title, const RandomStoreShape& shape, unsigned storeSeed,
             const std::vector<int>& lengths, int cribLetters, bool components) {
  ScopedTempDir directory;
  writeRandomStore(shape, storeSeed);
  std::cout << "\n" << title << "\n\n| letters | right first |\n|---|---|\n";
  for (const int letters : lengths) {
    const int right = successes(shape, storeSeed, letters, cribLetters, components, 9000 + letters);
    std::cout << "| " << letters << " | " << right << " of " << messageCount << " |\n"
              << std::flush;
  }
}

}  // namespace
}  // namespace vexilo::testing

int main() {
  using vexilo::testing::measure;
  measure("The store: 100,000 settings (1,000 rotors, 100 reflectors, 100 plugboards)",
          {1000, 100, 100, 100000}, 77, {8, 10, 12, 15, 18, 20, 25, 30, 40}, 0, false);
  measure("A crib of 7 letters, the same store", {1000, 100, 100, 100000}, 78, {7, 10, 15, 20}, 7,
          false);
  measure("A crib of 4 letters, the same store", {1000, 100, 100, 100000}, 78, {6, 8, 10, 15, 20},
          4, false);
  measure("A crib of 3 letters, the same store", {1000, 100, 100, 100000}, 78, {5, 8, 10, 15, 20},
          3, false);
  measure("--components: 20 rotors, 5 reflectors, 10 plugboards (342,000 machines)", {20, 5, 10, 0},
          79, {10, 15, 20, 25, 30, 40, 60}, 0, true);
  return 0;
}
