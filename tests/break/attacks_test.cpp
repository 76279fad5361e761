// The three attacks of vexilo-break, each on a fixed store made with a fixed seed and on 20
// English messages: the built program must name the right machine first for at least 19.
#include <gtest/gtest.h>

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
constexpr int successesNeeded = 19;

std::string hexadecimal(int value) {
  std::ostringstream text;
  text << std::uppercase << std::hex << value;
  return text.str();
}

ProgramRun runBreak(const std::vector<std::string>& arguments) {
  ProgramOptions options;
  options.arguments = arguments;
  return runProgram("", 120.0, VEXILO_BREAK_BINARY, options);
}

// Breaks `messageCount` messages of `letters` letters, each enciphered on a setting drawn from
// the store, and returns how many gave the right answer first; `arguments` are added to each run
// (the crib is added by `cribLetters` when it is not 0).
struct Attack {
  RandomStoreShape shape;
  unsigned storeSeed = 0;
  int letters = 0;
  int cribLetters = 0;
  bool components = false;
};

int successes(const Attack& attack, unsigned messageSeed, std::string& failures) {
  std::mt19937 random(messageSeed);
  int right = 0;
  for (int message = 0; message < messageCount; ++message) {
    std::vector<int> parts;
    std::string expected;
    if (attack.components) {
      std::uniform_int_distribution<int> rotor(0, attack.shape.rotors - 1);
      parts = {std::uniform_int_distribution<int>(0, attack.shape.plugboards - 1)(random),
               rotor(random), 0, 0,
               std::uniform_int_distribution<int>(0, attack.shape.reflectors - 1)(random)};
      do parts[2] = rotor(random);
      while (parts[2] == parts[1]);
      do parts[3] = rotor(random);
      while (parts[3] == parts[1] || parts[3] == parts[2]);
      for (std::size_t i = 0; i < parts.size(); ++i) {
        expected += (i > 0 ? "," : "") + std::to_string(parts[i]);
      }
    } else {
      const int settingId =
          std::uniform_int_distribution<int>(0, attack.shape.settings - 1)(random);
      parts = randomStoreSetting(attack.shape, attack.storeSeed, settingId);
      expected = hexadecimal(settingId);
    }
    const std::string plain = englishMessage(random, attack.letters);
    writeFile("message.txt", encipherMessage(randomStoreMachine(attack.storeSeed, parts), plain));
    std::vector<std::string> arguments;
    if (attack.cribLetters > 0) {
      std::string letters;
      for (const char character : plain) {
        if (letterIndex(character) >= 0) letters += static_cast<char>(character | 0x20);
      }
      const int length = std::uniform_int_distribution<int>(6, attack.cribLetters)(random);
      const auto start = std::uniform_int_distribution<std::size_t>(
          0, letters.size() - static_cast<std::size_t>(length))(random);
      arguments = {"--crib", letters.substr(start, static_cast<std::size_t>(length))};
    }
    if (attack.components) arguments.push_back("--components");
    arguments.insert(arguments.end(), {"--decipher", "deciphered.txt", "message.txt"});
    const ProgramRun run = runBreak(arguments);
    if (run.exitStatus == 0 &&
        (firstWord(run.standardOutput) == expected ||
         (attack.components && readFile("deciphered.txt") == lowerCase(plain)))) {
      ++right;
    } else {
      failures += "'" + plain + "': expected " + expected + ", got status " +
                  std::to_string(run.exitStatus) + " and\n" + run.standardOutput +
                  run.standardError;
    }
  }
  return right;
}

TEST(BreakAttacksTest, StoreAttackFindsTheSettingOf25LetterMessages) {
  ScopedTempDir directory;
  Attack attack;
  attack.shape = {1000, 100, 100, 100000};
  attack.storeSeed = 2801;
  attack.letters = 25;
  writeRandomStore(attack.shape, attack.storeSeed);
  std::string failures;
  EXPECT_GE(successes(attack, 2802, failures), successesNeeded) << failures;
}

TEST(BreakAttacksTest, CribAttackFindsTheSettingOf20LetterMessages) {
  ScopedTempDir directory;
  Attack attack;
  attack.shape = {1000, 100, 100, 100000};
  attack.storeSeed = 2803;
  attack.letters = 20;
  attack.cribLetters = 8;
  writeRandomStore(attack.shape, attack.storeSeed);
  std::string failures;
  EXPECT_GE(successes(attack, 2804, failures), successesNeeded) << failures;
}

TEST(BreakAttacksTest, ComponentsAttackFindsTheMachineOf60LetterMessages) {
  ScopedTempDir directory;
  Attack attack;
  attack.shape = {20, 5, 10, 0};
  attack.storeSeed = 2805;
  attack.letters = 60;
  attack.components = true;
  writeRandomStore(attack.shape, attack.storeSeed);
  std::string failures;
  EXPECT_GE(successes(attack, 2806, failures), successesNeeded) << failures;
}

}  // namespace
}  // namespace vexilo::testing
