#include "core/text_cipher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <numeric>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/cipher_table.h"
#include "core/text_loops.h"
#include "tests/support/test_machines.h"

namespace vexilo {
namespace {

using testing::shuffledWiring;

// A machine of valid components with 0 to 13 cables, just set up.
Machine randomMachine(std::mt19937& random) {
  const int cables = std::uniform_int_distribution<int>(0, maximumCableCount)(random);
  return testing::randomMachine(random, cables);
}

Machine steppedBy(Machine machine, int letters) {
  for (int letter = 0; letter < letters; ++letter) advanceMachine(machine);
  return machine;
}

// Letters of both cases, blanks, punctuation, digits, line ends, bytes above 127 and NUL.
std::string randomText(std::mt19937& random, std::size_t length) {
  static const std::string others = " ,.;!?-'\"\t\r\n0123456789\x80\xE9\xFF";
  std::string text;
  std::uniform_int_distribution<int> kind(0, 9);
  std::uniform_int_distribution<int> letter(0, alphabetSize - 1);
  std::uniform_int_distribution<std::size_t> other(0, others.size());
  for (std::size_t i = 0; i < length; ++i) {
    const int draw = kind(random);
    if (draw < 5) {
      text += static_cast<char>('a' + letter(random));
    } else if (draw < 7) {
      text += static_cast<char>('A' + letter(random));
    } else {
      const std::size_t pick = other(random);
      text += pick == others.size() ? '\0' : others[pick];
    }
  }
  return text;
}

std::size_t letterCount(const std::string& text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return letterIndex(c) >= 0; }));
}

void expectSameMachine(const Machine& actual, const Machine& expected, const std::string& what) {
  const Rotor* actualRotors[] = {&actual.rotor1, &actual.rotor2, &actual.rotor3};
  const Rotor* expectedRotors[] = {&expected.rotor1, &expected.rotor2, &expected.rotor3};
  for (int r = 0; r < 3; ++r) {
    EXPECT_EQ(actualRotors[r]->currentWiring, expectedRotors[r]->currentWiring)
        << what << ": rotor " << r + 1 << " current wiring";
    EXPECT_EQ(actualRotors[r]->initialWiring, expectedRotors[r]->initialWiring)
        << what << ": rotor " << r + 1 << " initial wiring";
    EXPECT_EQ(actualRotors[r]->size, expectedRotors[r]->size) << what;
    EXPECT_EQ(actualRotors[r]->id, expectedRotors[r]->id) << what;
  }
  EXPECT_EQ(actual.reflector.wiring, expected.reflector.wiring) << what;
  EXPECT_EQ(actual.plugboard.wiring, expected.plugboard.wiring) << what;
  EXPECT_EQ(actual.plugboard.cableCount, expected.plugboard.cableCount) << what;
  EXPECT_EQ(actual.rotor1Steps, expected.rotor1Steps) << what << ": rotor1Steps";
  EXPECT_EQ(actual.rotor2Steps, expected.rotor2Steps) << what << ": rotor2Steps";
}

// Enciphers `texts` one after another from `machine` with `encipherText` and with the
// letter-by-letter path, and compares every byte written, every failure line and the machine
// after each text; `writeEncipheredText` must write what the letter-by-letter path writes one
// character at a time, failure lines in between. Returns the failure lines written.
std::string expectBothPathsAgree(const Machine& machine, const std::vector<std::string>& texts,
                                 const std::string& what) {
  Machine fast = machine;
  Machine reference = machine;
  Machine written = machine;
  Machine stepwise = machine;
  CipherTableCache cache;
  std::string failureLines;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    std::string fastText = "kept:";
    std::string referenceText = "kept:";
    std::ostringstream fastLines;
    std::ostringstream referenceLines;
    encipherText(fast, cache, texts[i], fastText, fastLines);
    encipherTextLetterByLetter(reference, texts[i], referenceText, referenceLines);
    const std::string context = what + ", text " + std::to_string(i);
    EXPECT_EQ(fastText, referenceText) << context;
    EXPECT_EQ(fastLines.str(), referenceLines.str()) << context;
    expectSameMachine(fast, reference, context);
    failureLines += fastLines.str();

    std::ostringstream writtenOut;
    std::ostringstream stepwiseOut;
    writeEncipheredText(written, cache, texts[i], writtenOut);
    for (const char character : texts[i]) {
      std::string one;
      encipherTextLetterByLetter(stepwise, std::string_view(&character, 1), one, stepwiseOut);
      stepwiseOut << one;
    }
    EXPECT_EQ(writtenOut.str(), stepwiseOut.str()) << context << ", written";
    expectSameMachine(written, reference, context + ", written");
  }
  return failureLines;
}

TEST(TextCipherTest, TablePathMatchesLetterByLetterOnRandomMachinesAndStartPositions) {
  std::mt19937 random(20261208);
  // Starts just before the letters where rotor 2 and rotor 3 step and where the machine returns
  // to its start, and anywhere.
  const std::vector<int> fixedStarts = {0, 1, 20, 25, 26, 650, 675, 676, 1351, 17550, 17575};
  std::uniform_int_distribution<int> anyStart(0, machinePeriod - 1);
  std::uniform_int_distribution<std::size_t> length(0, 120);
  for (int draw = 0; draw < 60; ++draw) {
    const Machine setUp = randomMachine(random);
    const int start = draw < static_cast<int>(fixedStarts.size())
                          ? fixedStarts[static_cast<std::size_t>(draw)]
                          : anyStart(random);
    const Machine machine = steppedBy(setUp, start);
    CipherTableKey key;
    ASSERT_TRUE(tableApplies(machine, key)) << "start " << start;
    std::vector<std::string> texts;
    for (int text = 0; text < 4; ++text) texts.push_back(randomText(random, length(random)));
    expectBothPathsAgree(
        machine, texts,
        "machine " + std::to_string(draw) + " from letter " + std::to_string(start));
  }
}

TEST(TextCipherTest, TablePathMatchesAcrossAWholeMachinePeriodAndAfterReset) {
  std::mt19937 random(676);
  const Machine setUp = randomMachine(random);
  std::string text = randomText(random, 26000);
  ASSERT_GT(letterCount(text), static_cast<std::size_t>(machinePeriod));

  Machine fast = steppedBy(setUp, 17000);
  Machine reference = fast;
  std::string fastText;
  std::string referenceText;
  std::ostringstream lines;
  CipherTableCache cache;
  encipherText(fast, cache, text, fastText, lines);
  encipherTextLetterByLetter(reference, text, referenceText, lines);
  ASSERT_EQ(fastText, referenceText);
  expectSameMachine(fast, reference, "after the whole text");
  EXPECT_EQ(lines.str(), "");

  // Deciphering after a reset gives back the text with its letters in lower case.
  resetMachine(fast);
  resetMachine(reference);
  Machine decipherFrom = steppedBy(fast, 17000);
  std::string deciphered;
  encipherText(decipherFrom, cache, fastText, deciphered, lines);
  std::string lowered = text;
  for (char& c : lowered) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  EXPECT_EQ(deciphered, lowered);
  expectBothPathsAgree(fast, {randomText(random, 700), randomText(random, 50)}, "after reset");
}

TEST(TextCipherTest, TableOfOneMachineIsNotReusedForAnother) {
  std::mt19937 random(3);
  const Machine first = randomMachine(random);
  const Machine second = [&] {
    Machine changed = first;
    std::swap(changed.rotor2.currentWiring[0], changed.rotor2.currentWiring[1]);
    return changed;
  }();
  const std::string text = randomText(random, 300);
  for (const Machine* machine : {&first, &second, &first, &second}) {
    expectBothPathsAgree(*machine, {text}, "alternating machines");
  }
}

TEST(TextCipherTest, HandMadeRotorPositionsAgreeWithTheirCounters) {
  // Rotor wirings that are not the start wirings turned by the counters, as a test may set them.
  std::mt19937 random(17576);
  for (int draw = 0; draw < 10; ++draw) {
    Machine machine = randomMachine(random);
    for (Rotor* rotor : {&machine.rotor1, &machine.rotor2, &machine.rotor3}) {
      rotor->currentWiring = shuffledWiring(random);
    }
    machine.rotor1Steps = std::uniform_int_distribution<int>(0, machinePeriod - 1)(random);
    machine.rotor2Steps = machine.rotor1Steps / alphabetSize;
    expectBothPathsAgree(machine, {randomText(random, 900)}, "hand-made " + std::to_string(draw));
  }
}

struct BrokenMachineCase {
  const char* name;
  std::function<void(Machine&)> breakIt;
};

TEST(TextCipherTest, BrokenMachinesGoLetterByLetterWithTheirFailureLinesInPlace) {
  const std::vector<BrokenMachineCase> cases = {
      {"unfilled records", [](Machine& m) { m = Machine{}; }},
      {"rotor 1 not a permutation",
       [](Machine& m) { m.rotor1.currentWiring[3] = m.rotor1.currentWiring[4]; }},
      {"rotor 2 not a permutation",
       [](Machine& m) { m.rotor2.currentWiring[0] = m.rotor2.currentWiring[25]; }},
      {"rotor 3 entry 26", [](Machine& m) { m.rotor3.currentWiring[7] = 26; }},
      {"rotor 3 entry -1", [](Machine& m) { m.rotor3.currentWiring[7] = -1; }},
      {"rotor 1 size 25", [](Machine& m) { m.rotor1.size = 25; }},
      {"rotor 2 size 0", [](Machine& m) { m.rotor2.size = 0; }},
      {"reflector with a fixed point",
       [](Machine& m) {
         const auto partner = static_cast<std::size_t>(m.reflector.wiring[0]);
         m.reflector.wiring[0] = 0;
         m.reflector.wiring[partner] = static_cast<std::int32_t>(partner);
       }},
      {"reflector not its own inverse",
       [](Machine& m) {
         std::swap(m.reflector.wiring[0], m.reflector.wiring[m.reflector.wiring[1]]);
       }},
      {"reflector entry 30", [](Machine& m) { m.reflector.wiring[12] = 30; }},
      {"reflector size 13", [](Machine& m) { m.reflector.size = 13; }},
      {"plugboard not its own inverse",
       [](Machine& m) {
         for (std::size_t i = 0; i < 26; ++i)
           m.plugboard.wiring[i] = static_cast<std::int32_t>((i + 1) % 26);
       }},
      {"plugboard entry -1", [](Machine& m) { m.plugboard.wiring[5] = -1; }},
      {"plugboard unfilled", [](Machine& m) { m.plugboard = Plugboard{}; }},
      {"plugboard size 27", [](Machine& m) { m.plugboard.size = 27; }},
      {"rotor2Steps out of step",
       [](Machine& m) {
         m.rotor1Steps = 30;
         m.rotor2Steps = 0;
       }},
      {"rotor1Steps negative",
       [](Machine& m) {
         m.rotor1Steps = -5;
         m.rotor2Steps = 0;
       }},
      {"rotor1Steps past the period",
       [](Machine& m) {
         m.rotor1Steps = machinePeriod + 3;
         m.rotor2Steps = 676;
       }},
  };
  std::mt19937 random(404);
  int casesWithFailureLines = 0;
  for (const BrokenMachineCase& broken : cases) {
    Machine machine = steppedBy(randomMachine(random), 20);
    broken.breakIt(machine);
    CipherTableKey key;
    EXPECT_FALSE(tableApplies(machine, key)) << broken.name;
    Machine untouched = machine;
    std::string enciphered = "kept";
    CipherTableCache cache;
    EXPECT_FALSE(encipherTextByTable(untouched, cache, "abc", enciphered)) << broken.name;
    EXPECT_EQ(enciphered, "kept") << broken.name;
    expectSameMachine(untouched, machine, broken.name);
    // Several texts, so failure lines of one call and the letters of the next keep their order.
    const std::string lines = expectBothPathsAgree(
        machine, {randomText(random, 60), "Hello, World!\n", randomText(random, 40)}, broken.name);
    if (!lines.empty()) ++casesWithFailureLines;
  }
  // The rotors and records that break reverse lookups do print their failure lines.
  EXPECT_GE(casesWithFailureLines, 6);
}

// Each text loop against the letter-by-letter path. File mode hands blocks to two threads: each
// part is enciphered from the position that the letters counted before it give.
class TextLoopTest : public ::testing::TestWithParam<TextLoop> {};

TEST_P(TextLoopTest, PartsEncipheredApartFromCountedPositionsMatchLetterByLetter) {
  const TextLoop loop = GetParam();
  if (const std::string_view why = whyTextLoopCannotRun(loop); !why.empty()) {
    GTEST_SKIP() << textLoopName(loop) << ": " << why;
  }
  std::mt19937 random(2026);
  for (int draw = 0; draw < 8; ++draw) {
    const Machine machine = steppedBy(randomMachine(random), draw * 2203);
    // Long enough for the machine to pass its start again inside one part; some of only letters,
    // where rotor 2 steps within every block of a vector loop.
    std::string text = randomText(random, draw < 2 ? 30000 : 3000);
    if (draw % 3 == 2) std::erase_if(text, [](char c) { return letterIndex(c) < 0; });
    Machine reference = machine;
    std::string expected;
    std::ostringstream lines;
    encipherTextLetterByLetter(reference, text, expected, lines);

    CipherTableKey key;
    ASSERT_TRUE(tableApplies(machine, key));
    CipherTableCache cache;
    // Only what this loop reads: a read beyond it is out of bounds for the sanitizers.
    const std::uint8_t* table = cipherTableFor(cache, key, loop);
    std::string enciphered = text;  // enciphered in place, as file mode does
    std::int32_t position = machine.rotor1Steps;
    std::size_t start = 0;
    while (start < text.size()) {
      const std::size_t end = std::min(
          text.size(), start + std::uniform_int_distribution<std::size_t>(0, 5000)(random));
      const std::string_view part = std::string_view(text).substr(start, end - start);
      const std::size_t letters = countLettersWith(loop, part);
      ASSERT_EQ(letters, letterCount(std::string(part))) << "draw " << draw;
      const std::int32_t after =
          encipherFromPositionWith(loop, table, position, part, &enciphered[start]);
      ASSERT_EQ(after, (position + static_cast<std::int32_t>(letters)) % machinePeriod);
      position = after;
      start = end;
    }
    EXPECT_EQ(enciphered, expected) << "draw " << draw;
    Machine moved = machine;
    moveMachineTo(moved, key, position);
    expectSameMachine(moved, reference, "parts " + std::to_string(draw));
  }
}

INSTANTIATE_TEST_SUITE_P(EveryLoop, TextLoopTest, ::testing::ValuesIn(allTextLoops),
                         [](const auto& info) { return std::string(textLoopName(info.param)); });

TEST(TextCipherTest, EmptyTextAndTextWithoutLettersMoveNothing) {
  std::mt19937 random(1);
  const Machine machine = steppedBy(randomMachine(random), 25);
  expectBothPathsAgree(machine, {"", "123 ,.;\n\n\xC3\xA9", ""}, "no letters");
  Machine moved = machine;
  std::string enciphered;
  CipherTableCache cache;
  encipherText(moved, cache, "12 .\n", enciphered);
  EXPECT_EQ(enciphered, "12 .\n");
  expectSameMachine(moved, machine, "no letters");
}

}  // namespace
}  // namespace vexilo
