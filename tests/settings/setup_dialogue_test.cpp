#include "settings/setup_dialogue.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <iomanip>
#include <iterator>
#include <sstream>
#include <string>

#include "settings/registry.h"
#include "store/component_files.h"
#include "tests/support/console_texts.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/streams.h"

namespace vexilo {
namespace {

using testing::ScopedTempDir;
using testing::writeFile;

using testing::idNotFound;
using testing::idPrompt;
using testing::invalidData;
using testing::settingsTitles;
const std::string& menu = testing::setupMenu;

// Setting 1A: rotors 3, 0 and 7, reflector 2, plugboard 5.
const std::string registry = "0,0,0,1,2,0\n1A,5,3,0,7,2\n";
std::string settings1A(const std::string& shownId) {
  return testing::settingsBlock(shownId, 3, 0, 7, 2, 5);
}

struct Outcome {
  bool returned;
  std::string ID;
  std::array<std::int32_t, 5> components;  // R1, R2, R3, REF, PB
  std::string out;
  std::string restOfInput;
};

Outcome runDialogue(const std::string& input) {
  std::istringstream in(input);
  std::ostringstream out;
  Outcome o{};
  o.returned = setupDialogue(o.ID, o.components[0], o.components[1], o.components[2],
                             o.components[3], o.components[4], in, out) != SetupOutcome::inputEnded;
  o.out = out.str();
  o.restOfInput = testing::restOf(in);
  return o;
}

TEST(SetupDialogueTest, MenuLinesAre38CharactersWithTheDigitsInColumn38) {
  const ScopedTempDir dir;
  std::istringstream in(runDialogue("").out);
  int lines = 0;
  for (std::string line; std::getline(in, line); ++lines) {
    EXPECT_EQ(line.size(), 38U) << line;
    EXPECT_TRUE(line.back() == '1' || line.back() == '2') << line;
  }
  EXPECT_EQ(lines, 2);
}

TEST(SetupDialogueTest, SpecificSettingsByTypedId) {
  const ScopedTempDir dir;
  writeFile(registryFileName, registry);
  struct Case {
    std::string input;
    bool returned;
    std::string expectedOut;
    const char* restOfInput;
  };
  // An ID typed past 4,096 bytes was kept whole, however long: its first 4,096 bytes are taken.
  const std::string longId = std::string(4094, '0') + "1A";
  const Case cases[] = {
      {"2 " + longId + std::string(10000, 'x') + " rest\n", true,
       menu + idPrompt + settings1A(longId), " rest\n"},
      {"2 1A\n", true, menu + idPrompt + settings1A("0001A"), "\n"},
      {"21A\n", true, menu + idPrompt + settings1A("0001A"), "\n"},
      {"2\n1a\n", true, menu + idPrompt + settings1A("0001a"), "\n"},
      {"2\n0001A rest\n", true, menu + idPrompt + settings1A("0001A"), " rest\n"},
      {"2 00001A\n", true, menu + idPrompt + settings1A("00001A"), "\n"},
      {"2 1Ax\n", true, menu + idPrompt + settings1A("001Ax"), "\n"},
      {"\n\n  2\n\n 1A\n", true, menu + idPrompt + settings1A("0001A"), "\n"},
      {"2\n-1\n2 1A\n", true, menu + idPrompt + menu + idPrompt + settings1A("0001A"), "\n"},
      {"xyz 1\n2 1A\n", true, menu + invalidData + menu + idPrompt + settings1A("0001A"), "\n"},
      {"9\n2 1A\n", true, menu + invalidData + menu + idPrompt + settings1A("0001A"), "\n"},
      {"2\n-01\n", false, menu + idPrompt + idNotFound + menu, ""},
      {"2 zz\n", false, menu + idPrompt + idNotFound + menu, ""},
      {"2 FFFFF\n", false, menu + idPrompt + idNotFound + menu, ""},
      {"2 99999999999\n", false, menu + idPrompt + idNotFound + menu, ""},
      {"", false, menu, ""},
      {"  \n\n", false, menu, ""},
      {"2\n", false, menu + idPrompt, ""},
      {"2 -1\n", false, menu + idPrompt + menu, ""},
  };
  for (const Case& c : cases) {
    const Outcome o = runDialogue(c.input);
    EXPECT_EQ(testing::readFile(registryFileName), registry) << c.input;
    EXPECT_EQ(o.returned, c.returned) << c.input;
    EXPECT_EQ(o.out, c.expectedOut) << c.input;
    EXPECT_EQ(o.restOfInput, c.restOfInput) << c.input;
    if (c.returned) {
      EXPECT_EQ(o.components, (std::array{3, 0, 7, 2, 5})) << c.input;
    }
  }
}

TEST(SetupDialogueTest, AnAbsentRegistryFindsNoSetting) {
  const ScopedTempDir dir;
  const Outcome o = runDialogue("2 1A\n");
  EXPECT_FALSE(o.returned);
  EXPECT_EQ(o.out, menu + idPrompt + testing::unableToOpen + idNotFound + menu);
  EXPECT_FALSE(std::filesystem::exists(registryFileName));
}

TEST(SetupDialogueTest, ARandomSettingInAnEmptyDirectoryLeavesTheRestOfTheLine) {
  const ScopedTempDir dir;
  const Outcome o = runDialogue(" \n1 rest\n");
  EXPECT_TRUE(o.returned);
  EXPECT_EQ(o.ID, "0");
  EXPECT_EQ(o.components, (std::array{0, 1, 2, 0, 0}));
  EXPECT_EQ(o.out, menu + testing::unableToOpen + testing::unableToOpen + testing::unableToOpen +
                       testing::unableToOpen + testing::settingsBlock("0", 0, 1, 2, 0, 0));
  EXPECT_EQ(o.restOfInput, " rest\n");
}

TEST(SetupDialogueTest, ARandomSettingThatIsNotStoredLeadsBackToTheMenu) {
  const ScopedTempDir dir;
  // Settings 1 to FFFFD are missing, so a draw finds one of the two stored settings only about
  // twice in a million.
  writeFile(registryFileName, "0,0,0,1,2,0\nFFFFE,0,0,1,2,0\n");
  for (const std::string& name : {rotorFileName, reflectorFileName, plugboardFileName}) {
    writeFile(name, "");
  }
  const Outcome o = runDialogue("1\n");
  EXPECT_FALSE(o.returned);
  EXPECT_EQ(o.out, menu + testing::somethingWentWrong + menu);
}

TEST(SetupDialogueTest, PrintSettingsLinesAre74And71CharactersForSetting1A) {
  std::ostringstream out;
  out << std::setfill('.');  // the mode menu leaves this fill behind
  printSettings("1A", 3, 0, 7, 2, 5, out);
  EXPECT_EQ(out.str(), settings1A("0001A"));
  std::istringstream lines(out.str());
  std::array<std::size_t, 4> lengths{};
  for (std::size_t& length : lengths) {
    std::string line;
    std::getline(lines, line);
    length = line.size();
  }
  EXPECT_EQ(lengths, (std::array<std::size_t, 4>{28, 74, 71, 0}));
}

TEST(SetupDialogueTest, PrintSettingsShowsWideValuesWhole) {
  std::ostringstream out;
  printSettings("123456", 1234567, -1, 12, 1234567890, 123456789, out);
  EXPECT_EQ(out.str(), settingsTitles +
                           "               123456   1234567       -1       12   1234567890   "
                           "123456789\n\n");
}

}  // namespace
}  // namespace vexilo
