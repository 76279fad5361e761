// The set-up dialogue driven through the console: going back to the menu until a setting loads,
// and random settings over several runs judged by what must hold in the store.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/e2e/e2e_support.h"
#include "tests/support/console_texts.h"
#include "tests/support/scoped_temp_dir.h"

namespace vexilo::testing {
namespace {

std::string ofSetting1A(const std::string& typedId) {
  return settingsBlock(typedId, 0, 1, 2, 0, 1) + MachineModel(setting1A()).wiringTable() + modeMenu;
}

// What the dialogue takes from one line and the next is tested on the dialogue itself; here the
// program goes back to the menu after a setting that is not found until one loads, and leaves
// the store untouched.
TEST(SetupDialogueSessionTest, AFailedChoiceGoesBackToTheMenuUntilASettingLoads) {
  struct Case {
    const char* name;
    std::string input;
    std::string expected;
  };
  const std::string start = setupMenu + idPrompt;
  const Case cases[] = {
      {"an ID not in the registry", "2 7\n2 1A\n", start + idNotFound + start + ofSetting1A("1A")},
      {"then one typed with 0x, shown as typed", "2 7\n2 0x1A\n",
       start + idNotFound + start + ofSetting1A("0x1A")},
      {"an invalid answer after a failed choice", "2 7\nFF\n2 1A\n",
       start + idNotFound + setupMenu + invalidData + start + ofSetting1A("1A")},
  };
  for (const Case& c : cases) {
    ScopedTempDir dir;
    writeKnownStore();
    const ProgramRun run = runSession(c.input);
    EXPECT_EQ(run.standardOutput, c.expected) << c.name;
    EXPECT_EQ(run.standardError, "") << c.name;
    EXPECT_EQ(readFile(registryFile), knownRegistry()) << c.name;
    EXPECT_EQ(readFile(rotorFile), knownRotorFile()) << c.name;
    EXPECT_EQ(readFile(reflectorFile), knownReflectorFile()) << c.name;
    EXPECT_EQ(readFile(plugboardFile), knownPlugboardFile()) << c.name;
  }
}

struct StoreFiles {
  std::string rotors;
  std::string reflectors;
  std::string plugboards;
  std::string registry;
};

StoreFiles readStore() {
  return {readFile(rotorFile), readFile(reflectorFile), readFile(plugboardFile),
          readFile(registryFile)};
}

int lastId(const std::string& fileText, int base) {
  const std::vector<std::string> lines = splitLines(fileText);
  if (lines.empty()) return -1;
  return static_cast<int>(storeNumber(splitFields(lines.back())[0], base).value_or(-100));
}

// New lines of a component file after a run: the lines beyond `before`, each with the next ID.
void expectGrownByComponents(const std::string& before, const std::string& after, int prefixFields,
                             const char* what) {
  const std::string old = before == "<absent>" ? "" : before;
  ASSERT_EQ(after.substr(0, old.size()), old) << what << ": an existing byte changed";
  int next = lastId(old, 10) + 1;
  for (const std::string& line : splitLines(after.substr(old.size()))) {
    const std::vector<std::string> fields = splitFields(line);
    ASSERT_EQ(fields.size(), static_cast<std::size_t>(26 + prefixFields)) << what << ": " << line;
    EXPECT_EQ(storeNumber(fields[0], 10), next) << what << ": " << line;
    const auto table = storedTable(line, next, prefixFields);
    ASSERT_TRUE(table) << what << ": " << line;
    if (prefixFields == 2) {
      const auto cables = storeNumber(fields[1], 10);
      ASSERT_TRUE(cables && *cables <= 13) << line;
      EXPECT_TRUE(isPlugboardWithCables(*table, static_cast<int>(*cables))) << line;
    } else if (std::string(what) == "rotors") {
      EXPECT_TRUE(isRotorWithoutFixedPoint(*table)) << line;
    } else {
      EXPECT_TRUE(isReflector(*table)) << line;
    }
    ++next;
  }
  EXPECT_EQ(after.empty() || after.back() == '\n', true) << what;
}

struct RandomOutcome {
  std::string id;
  int rotor1, rotor2, rotor3, reflector, plugboard;
  bool newSetting;
};

// Runs one random setting on the store in the working directory and checks what must hold: the
// files only grew, by well-formed lines with the next IDs, at most one registry line was added,
// its components exist, and the whole output is what those stored components give.
RandomOutcome runRandomSetting(const std::string& unableLines) {
  const StoreFiles before = readStore();
  const ProgramRun run = runSession("1\n");
  const StoreFiles after = readStore();
  RandomOutcome outcome{};

  expectGrownByComponents(before.rotors, after.rotors, 1, "rotors");
  expectGrownByComponents(before.reflectors, after.reflectors, 1, "reflectors");
  expectGrownByComponents(before.plugboards, after.plugboards, 2, "plugboards");

  const std::string oldRegistry = before.registry == "<absent>" ? "" : before.registry;
  EXPECT_EQ(after.registry.substr(0, oldRegistry.size()), oldRegistry);
  const std::vector<std::string> added = splitLines(after.registry.substr(oldRegistry.size()));
  EXPECT_LE(added.size(), 1U);
  outcome.newSetting = added.size() == 1;

  // The ID printed, zero-filled, on the third line of the print-out.
  const std::string head = setupMenu + unableLines + splitLines(settingsTitles)[0] + "\n";
  EXPECT_EQ(run.standardOutput.substr(0, head.size()), head);
  const std::vector<std::string> lines = splitLines(run.standardOutput.substr(head.size()));
  EXPECT_GE(lines.size(), 2U);
  if (lines.size() < 2) return outcome;
  const std::string printedId = lines[1].substr(15, 5);

  std::string registryLine;
  for (const std::string& line : splitLines(after.registry)) {
    const auto fields = splitFields(line);
    if (padLeft(fields[0], 5, '0') == printedId) {
      registryLine = line;
      break;
    }
  }
  if (outcome.newSetting) {
    registryLine = added[0];
    EXPECT_EQ(storeNumber(splitFields(registryLine)[0], 16), lastId(oldRegistry, 16) + 1);
  }
  const auto record = storeRecord(registryLine, 6, 16);
  EXPECT_TRUE(record) << registryLine;
  if (!record) return outcome;
  const std::vector<std::int32_t>& value = *record;
  outcome = {splitFields(registryLine)[0],
             value[2],
             value[3],
             value[4],
             value[5],
             value[1],
             outcome.newSetting};
  EXPECT_NE(outcome.rotor1, outcome.rotor2);
  EXPECT_NE(outcome.rotor1, outcome.rotor3);
  EXPECT_NE(outcome.rotor2, outcome.rotor3);

  // Every component exists, and the whole output is what the stored components give.
  const auto parts = storedParts(outcome.rotor1, outcome.rotor2, outcome.rotor3, outcome.reflector,
                                 outcome.plugboard);
  EXPECT_TRUE(parts) << registryLine;
  if (!parts) return outcome;
  EXPECT_EQ(run.standardOutput,
            setupMenu + unableLines +
                settingsBlock(outcome.id, outcome.rotor1, outcome.rotor2, outcome.rotor3,
                              outcome.reflector, outcome.plugboard) +
                MachineModel(*parts).wiringTable() + modeMenu);
  EXPECT_EQ(run.standardError, "");
  return outcome;
}

// A setting whose new rotors could not be stored was once stored all the same, naming rotors that
// no later run could load.
TEST(RandomSettingSessionTest, ARotorFileThatCannotBeWrittenKeepsTheSettingOutOfTheRegistry) {
  ScopedTempDir dir;
  std::filesystem::create_directory(rotorFile);
  // The run goes on with the setting, and its status says that the setting is stored nowhere.
  const ProgramRun run = runProgram("1\n1\nab-\n1\n", 20.0);
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(readFile(registryFile), "<absent>");
  EXPECT_NE(run.standardError.find("vexilo: setting 0 was not stored: its new rotor 0 is not in " +
                                   rotorFile + "\n"),
            std::string::npos)
      << run.standardError;
  const auto reflector = storedTable(readFile(reflectorFile), 0, 1);
  const auto plugboard = storedTable(readFile(plugboardFile), 0, 2);
  ASSERT_TRUE(reflector && plugboard);
  MachineModel model({unfilledTable(), unfilledTable(), unfilledTable(), *reflector, *plugboard});
  // Four readers, the failed append of rotor 0 (rotors 1 and 2 are not tried after it), the
  // settings, then three failed rotor loads.
  std::string expected = setupMenu;
  for (int i = 0; i < 5; ++i) expected += unableToOpen;
  expected += settingsBlock("0", 0, 1, 2, 0, 0) + unableToOpen + unableToOpen + unableToOpen +
              model.wiringTable() + modeMenu;
  expected += model.quickLetters("ab") + letterPrompt + exitQuestion;
  EXPECT_EQ(run.standardOutput, expected);
}

// The first run in an empty directory makes the four files and nothing else; later runs grow the
// store by well-formed lines, and setting 0 chosen by its ID gives the machine it was made with.
TEST(RandomSettingSessionTest, LaterRunsGrowTheStoreAndASettingPickedByIdGivesTheSameMachine) {
  ScopedTempDir dir;
  EXPECT_TRUE(
      runRandomSetting(unableToOpen + unableToOpen + unableToOpen + unableToOpen).newSetting);
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(".")) ++files;
  EXPECT_EQ(files, 4U);
  int newSettings = 1;
  for (int run = 0; run < 12; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    newSettings += runRandomSetting("").newSetting ? 1 : 0;
  }
  EXPECT_EQ(static_cast<int>(splitLines(readFile(registryFile)).size()), newSettings);

  const ProgramRun byId = runSession("2 0\n3\nthe same machine\n1\n1\n");
  const auto parts = storedParts(0, 1, 2, 0, 0);
  ASSERT_TRUE(parts);
  MachineModel model(*parts);
  EXPECT_EQ(byId.standardOutput, setupMenu + idPrompt + settingsBlock("0", 0, 1, 2, 0, 0) +
                                     model.wiringTable() + modeMenu + linePrompt +
                                     model.encipherText("the same machine") + "\n" + stopQuestion +
                                     exitQuestion);
}

TEST(RandomSettingSessionTest, CharactersAfterTheChoiceStayForTheModeMenu) {
  ScopedTempDir dir;
  const ProgramRun run = runSession("1 -3\n1\n");
  const std::string tail = modeMenu + exitQuestion;
  ASSERT_GE(run.standardOutput.size(), tail.size());
  EXPECT_EQ(run.standardOutput.substr(run.standardOutput.size() - tail.size()), tail);
  EXPECT_EQ(readFile(registryFile), "0,0,0,1,2,0\n");
}

}  // namespace
}  // namespace vexilo::testing
