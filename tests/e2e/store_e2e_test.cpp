// Sessions at the edges: standard input that ends anywhere, a machine with a missing rotor, store
// lines the program passes over, and appending to files whose last line has no line end.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/e2e/e2e_support.h"
#include "tests/support/scoped_temp_dir.h"

namespace vexilo::testing {
namespace {

TEST(EndOfInputSessionTest, TheProgramEndsAtOnceAndPrintsNothingAfterTheLastPrompt) {
  MachineModel model(setting1A());
  const std::string a = model.quickLetter('a');
  model.reset();
  const std::string traceA = model.descriptiveLetter('a');
  model.reset();
  const std::string ab = model.encipherText("ab");
  const std::string start = start1A();
  struct Case {
    std::string input;
    std::string expected;
  };
  const Case cases[] = {
      {"", setupMenu},
      {"\n\n", setupMenu},
      {"2", setupMenu + idPrompt},
      {"2\n", setupMenu + idPrompt},
      {"x", setupMenu},
      {"x\n", setupMenu + invalidData + setupMenu},
      {"2 7\n", setupMenu + idPrompt + idNotFound + setupMenu},
      {"2\n-1\n", setupMenu + idPrompt + setupMenu},
      {"2 1A", start + modeMenu},
      {"2 1A\n", start + modeMenu},
      {"2 1A\n9\n", start + modeMenu + modeMenu},
      {"2 1A\nabc", start + modeMenu + modeMenu},
      {"2 1A\n1", start + modeMenu + letterPrompt},
      {"2 1A\n1\n7\n", start + modeMenu + letterPrompt + letterPrompt},
      {"2 1A\n1\na", start + modeMenu + letterPrompt + a + letterPrompt},
      {"2 1A\n2\na\n", start + modeMenu + letterPrompt + traceA + letterPrompt},
      {"2 1A\n1\na-", start + modeMenu + letterPrompt + a + letterPrompt + exitQuestion},
      {"2 1A\n3", start + modeMenu},
      {"2 1A\n3\n", start + modeMenu + linePrompt},
      {"2 1A\n3\nab", start + modeMenu + linePrompt + ab + "\n" + stopQuestion},
      {"2 1A\n3\nab\n2\n", start + modeMenu + linePrompt + ab + "\n" + stopQuestion + linePrompt},
      {"2 1A\n-1\n", start + modeMenu + exitQuestion},
      {"2 1A\n-1\n2", start + modeMenu + exitQuestion + resetQuestion},
      {"2 1A\n-1\n2\n1\n", start + modeMenu + exitQuestion + resetQuestion + modeMenu},
      {"2 1A\n4\n", start + modeMenu + inputFilePrompt},
      {"2 1A\n4\nin.txt\n", start + modeMenu + inputFilePrompt + outputFilePrompt},
  };
  for (const Case& c : cases) {
    ScopedTempDir dir;
    writeKnownStore();
    writeFile("in.txt", "abc\n");
    const ProgramRun run = runSession(c.input);
    EXPECT_EQ(run.standardOutput, c.expected) << "input: " << c.input;
    // Nothing but the store and the file put there.
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(".")) ++files;
    EXPECT_EQ(files, 5U) << "input: " << c.input;
    EXPECT_EQ(readFile("in.txt"), "abc\n");
  }
}

TEST(EndOfInputSessionTest, RandomSettingThenEndOfInputLeavesAWholeStore) {
  ScopedTempDir dir;
  const ProgramRun run = runSession("1");
  EXPECT_EQ(readFile(registryFile), "0,0,0,1,2,0\n");
  const std::string tail = modeMenu;
  ASSERT_GE(run.standardOutput.size(), tail.size());
  EXPECT_EQ(run.standardOutput.substr(run.standardOutput.size() - tail.size()), tail);
}

TEST(BrokenMachineSessionTest, AMissingRotorPrintsReverseLookupFailuresAndCharacter96) {
  ScopedTempDir dir;
  writeKnownStore();
  MachineModel model(setting1C());
  const ProgramRun run = runSession("2 1C\n2\nabc-\n2\n2\n3\nxyz\n1\n1\n");
  std::string expected = knownStart("1C", setting1C(), 0, 9, 2, 0, 1) + modeMenu;
  for (const char letter : std::string("abc")) {
    expected += letterPrompt + model.descriptiveLetter(letter);
  }
  expected += letterPrompt + exitQuestion + resetQuestion + modeMenu + linePrompt;
  std::string failures;
  const std::string line = model.encipherText("xyz", &failures);
  expected += failures + line + "\n" + stopQuestion + exitQuestion;
  EXPECT_EQ(run.standardOutput, expected);
  EXPECT_EQ(run.standardError, "");
  EXPECT_NE(run.standardOutput.find("error in reverse encryption: sent index =  -1\n"),
            std::string::npos);
  EXPECT_NE(run.standardOutput.find(" --Plugboard-> -1 == encrypted letter `\n\n"),
            std::string::npos);
}

TEST(StoreSessionTest, EachPassedOverStoreLineIsReportedOnceOnStandardError) {
  ScopedTempDir dir;
  writeKnownStore();
  const std::vector<std::string> rotors = splitLines(knownRotorFile());
  writeFile(rotorFile, "\n0,1,2,3\n" + rotors[0] + "\n" + rotors[1] + "\n99999999999,1,2\n" +
                           rotors[2] + "\n");
  writeFile(registryFile, "zz,1,0,1,2,0\n-1,1,0,1,2,0\n1A,1,0,1,2,0\n");
  MachineModel model(setting1A());
  const ProgramRun run = runSession("2 1A\n1\nab-\n1\n");
  EXPECT_EQ(run.standardOutput, start1A() + modeMenu + letterPrompt + model.quickLetter('a') +
                                    letterPrompt + model.quickLetter('b') + letterPrompt +
                                    exitQuestion);
  // The lookup passes over registry lines 1 and 2; each rotor load reads from the top, so line 1
  // is met three times, line 2 (rotor 0 with too few fields) by rotor 0's load, line 5 by rotor
  // 2's.
  const std::pair<const std::string*, int> expected[] = {
      {&registryFile, 1}, {&registryFile, 2}, {&rotorFile, 1}, {&rotorFile, 2},
      {&rotorFile, 1},    {&rotorFile, 1},    {&rotorFile, 5}};
  const std::vector<std::string> lines = splitLines(run.standardError);
  ASSERT_EQ(lines.size(), std::size(expected)) << run.standardError;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_NE(lines[i].find(*expected[i].first), std::string::npos) << lines[i];
    EXPECT_NE(lines[i].find("line " + std::to_string(expected[i].second)), std::string::npos)
        << lines[i];
    EXPECT_EQ(lines[i].find("line " + std::to_string(expected[i].second) + "0"), std::string::npos)
        << lines[i];
  }
  EXPECT_EQ(run.standardError.back(), '\n');
}

TEST(StoreSessionTest, ATypedMinusOneDoesNotFindANegativeRegistryLine) {
  ScopedTempDir dir;
  writeKnownStore();
  writeFile(registryFile, "-1,1,0,1,2,0\n1A,1,0,1,2,0\n");
  const ProgramRun run = runSession("2 -01\n2 -1\n");
  EXPECT_EQ(run.standardOutput,
            setupMenu + idPrompt + idNotFound + setupMenu + idPrompt + setupMenu);
}

// A new record appended to a file whose last line had no line end would merge into that line.
TEST(StoreSessionTest, AppendingAfterALastLineWithoutLineEndWritesTheLineEndFirst) {
  bool registryAppended = false;
  bool reflectorAppended = false;
  for (int run = 0; run < 80 && !(registryAppended && reflectorAppended); ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    ScopedTempDir dir;
    const std::string rotors = knownRotorFile().substr(0, knownRotorFile().size() - 1);
    const std::string reflectors = knownReflectorFile().substr(0, knownReflectorFile().size() - 1);
    const std::string plugboards = knownPlugboardFile().substr(0, knownPlugboardFile().size() - 1);
    writeFile(rotorFile, rotors);
    writeFile(reflectorFile, reflectors);
    writeFile(plugboardFile, plugboards);
    writeFile(registryFile, "0,0,0,1,2,0");
    const ProgramRun session = runSession("1\n");
    EXPECT_EQ(session.standardError, "");

    const std::string registry = readFile(registryFile);
    if (registry == "0,0,0,1,2,0") continue;
    registryAppended = true;
    const std::string prefix = "0,0,0,1,2,0\n1,";
    ASSERT_EQ(registry.substr(0, prefix.size()), prefix);
    const std::vector<std::string> lines = splitLines(registry);
    ASSERT_EQ(lines.size(), 2U) << registry;
    EXPECT_EQ(registry, "0,0,0,1,2,0\n" + lines[1] + "\n");
    const std::vector<std::string> fields = splitFields(lines[1]);
    ASSERT_EQ(fields.size(), 6U);
    const long reflector = parseWhole(fields[5], 10).value_or(-1);
    EXPECT_TRUE(reflector == 0 || reflector == 1) << lines[1];

    const std::string reflectorText = readFile(reflectorFile);
    if (reflector == 1) {
      reflectorAppended = true;
      const std::vector<std::string> stored = splitLines(reflectorText);
      ASSERT_EQ(stored.size(), 2U);
      EXPECT_EQ(reflectorText, reflectors + "\n" + stored[1] + "\n");
      const auto table = storedTable(reflectorText, 1, 1);
      ASSERT_TRUE(table) << reflectorText;
      EXPECT_TRUE(isReflector(*table));
    } else {
      EXPECT_EQ(reflectorText, reflectors);
    }
    for (const auto& [file, old] :
         {std::pair{rotorFile, rotors}, std::pair{plugboardFile, plugboards}}) {
      const std::string now = readFile(file);
      if (now == old) continue;
      ASSERT_EQ(now.substr(0, old.size() + 1), old + "\n") << file;
      EXPECT_EQ(now.back(), '\n') << file;
    }
  }
  EXPECT_TRUE(registryAppended);
  EXPECT_TRUE(reflectorAppended);
}

}  // namespace
}  // namespace vexilo::testing
