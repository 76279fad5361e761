// Sessions at the edges: standard input that ends after a random setting, machines of broken or
// missing components, store lines the program passes over, and appending to a registry whose last
// line has no line end (every append goes through one function, tested on its own).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

#include "tests/e2e/e2e_support.h"
#include "tests/support/scoped_temp_dir.h"

namespace vexilo::testing {
namespace {

TEST(EndOfInputSessionTest, RandomSettingThenEndOfInputLeavesAWholeStore) {
  ScopedTempDir dir;
  const ProgramRun run = runSession("1");
  EXPECT_EQ(readFile(registryFile), "0,0,0,1,2,0\n");
  const std::string tail = modeMenu;
  ASSERT_GE(run.standardOutput.size(), tail.size());
  EXPECT_EQ(run.standardOutput.substr(run.standardOutput.size() - tail.size()), tail);
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
  EXPECT_EQ(run.standardOutput,
            start1A() + modeMenu + model.quickLetters("ab") + letterPrompt + exitQuestion);
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

// A store edited with a Windows editor, or copied from a Windows machine, ends its lines in CR LF:
// they read as the same lines with LF, on every system. (New lines are appended with LF alone.)
TEST(StoreSessionTest, StoreLinesEndingInCrLfReadAsTheSameLines) {
  ScopedTempDir dir;
  const auto withCrLf = [](const std::string& text) {
    std::string lines;
    for (const std::string& line : splitLines(text)) lines += line + "\r\n";
    return lines;
  };
  writeFile(rotorFile, withCrLf(knownRotorFile()));
  writeFile(reflectorFile, withCrLf(knownReflectorFile()));
  writeFile(plugboardFile, withCrLf(knownPlugboardFile()));
  writeFile(registryFile, withCrLf(knownRegistry()));
  MachineModel model(setting1A());
  const ProgramRun run = runSession("2 1A\n1\nab-\n1\n");
  EXPECT_EQ(run.standardOutput,
            start1A() + modeMenu + model.quickLetters("ab") + letterPrompt + exitQuestion);
  EXPECT_EQ(run.standardError, "");
}

// Every mode writes its characters and the failure lines of reverse lookups in the order they
// arise: line mode once wrote all failure lines of a line before its enciphered text.
TEST(StoreSessionTest, MachinesThatBreakTheComponentShapesEncipherAsWiredInEveryMode) {
  Table reflectorWithFixedPoint = halfTurnReflector();
  reflectorWithFixedPoint[4] = 4;
  Table threeCyclePlugboard = plainPlugboard();
  threeCyclePlugboard[0] = 1;
  threeCyclePlugboard[1] = 2;
  threeCyclePlugboard[2] = 0;
  Table rotorWithRepeats = tripleRotor();
  rotorWithRepeats[3] = rotorWithRepeats[4];
  Table rotorWithFixedPoints = plainPlugboard();  // every letter wired to itself
  Table rotorWithEntriesOutside = tripleRotor();
  rotorWithEntriesOutside[0] = 30;
  rotorWithEntriesOutside[1] = -5;
  rotorWithEntriesOutside[7] = 2147483647;
  Table reflectorWithEntry26 = halfTurnReflector();
  reflectorWithEntry26[3] = 26;
  Table plugboardWithEntry30 = twoCablePlugboard();
  plugboardWithEntry30[5] = 30;
  const Table unfilled = unfilledTable();
  const MachineParts whole{shiftRotor(), tripleRotor(), scrambledRotor(), halfTurnReflector(),
                           twoCablePlugboard()};
  struct Case {
    const char* name;
    MachineParts parts;
    std::string missingFile;  // removed after the store is written
    bool rotor1NotStored;     // the registry names rotor 1, the rotor file lacks it
    int unableToOpenLines;    // at start, one for each load from a missing file
  };
  const Case cases[] = {
      {"reflector with a fixed point",
       {shiftRotor(), tripleRotor(), scrambledRotor(), reflectorWithFixedPoint,
        twoCablePlugboard()},
       "",
       false,
       0},
      {"plugboard wired in a cycle of three",
       {shiftRotor(), tripleRotor(), scrambledRotor(), halfTurnReflector(), threeCyclePlugboard},
       "",
       false,
       0},
      {"rotor wiring with a repeated entry",
       {shiftRotor(), rotorWithRepeats, scrambledRotor(), halfTurnReflector(), twoCablePlugboard()},
       "",
       false,
       0},
      {"rotor wiring every letter to itself",
       {rotorWithFixedPoints, tripleRotor(), scrambledRotor(), halfTurnReflector(),
        plainPlugboard()},
       "",
       false,
       0},
      {"rotor entries 30, -5 and 2147483647",
       {shiftRotor(), rotorWithEntriesOutside, scrambledRotor(), halfTurnReflector(),
        twoCablePlugboard()},
       "",
       false,
       0},
      {"reflector entry 26",
       {shiftRotor(), tripleRotor(), scrambledRotor(), reflectorWithEntry26, twoCablePlugboard()},
       "",
       false,
       0},
      {"plugboard entry 30",
       {shiftRotor(), tripleRotor(), scrambledRotor(), halfTurnReflector(), plugboardWithEntry30},
       "",
       false,
       0},
      {"rotor not in its file",
       {shiftRotor(), unfilled, scrambledRotor(), halfTurnReflector(), twoCablePlugboard()},
       "",
       true,
       0},
      {"rotor file missing",
       {unfilled, unfilled, unfilled, halfTurnReflector(), twoCablePlugboard()},
       rotorFile,
       false,
       3},
      {"reflector file missing",
       {shiftRotor(), tripleRotor(), scrambledRotor(), unfilled, twoCablePlugboard()},
       reflectorFile,
       false,
       1},
      {"plugboard file missing",
       {shiftRotor(), tripleRotor(), scrambledRotor(), halfTurnReflector(), unfilled},
       plugboardFile,
       false,
       1},
  };
  std::string text;
  for (int i = 0; i < 1500; ++i) text += i % 13 == 12 ? '.' : static_cast<char>('a' + i % 26);
  for (const Case& c : cases) {
    ScopedTempDir dir;
    // Files of a missing component hold a whole one, which is never loaded.
    const MachineParts& stored = c.missingFile.empty() && !c.rotor1NotStored ? c.parts : whole;
    writeFile(rotorFile, "0," + joinTable(stored.rotor1) +
                             (c.rotor1NotStored ? "" : "\n1," + joinTable(stored.rotor2)) + "\n2," +
                             joinTable(stored.rotor3) + "\n");
    writeFile(reflectorFile, "0," + joinTable(stored.reflector) + "\n");
    writeFile(plugboardFile, "0,1," + joinTable(stored.plugboard) + "\n");
    writeFile(registryFile, "3,0,0,1,2,0\n");
    if (!c.missingFile.empty()) std::filesystem::remove(c.missingFile);
    writeFile("text.txt", text);
    MachineModel model(c.parts);
    const ProgramRun run = runSession(
        "2 3\n3\n" + text + "\n1\n2\n2\n4\ntext.txt\nout.txt\n2\n2\n2\nkB-\n2\n2\n1\nqZ-\n1\n");
    std::string expected = setupMenu + idPrompt + settingsBlock("3", 0, 1, 2, 0, 0);
    for (int i = 0; i < c.unableToOpenLines; ++i) expected += unableToOpen;
    expected += model.wiringTable() + modeMenu + linePrompt;
    expected += model.lineModeText(text) + "\n" + stopQuestion + exitQuestion + resetQuestion +
                modeMenu + inputFilePrompt + outputFilePrompt;
    std::string failures;
    const std::string fileOut = model.encipherText(text, &failures) + "\n";
    expected += failures + exitQuestion + resetQuestion + modeMenu;
    for (const char letter : std::string("kB")) {
      expected += letterPrompt + model.descriptiveLetter(letter);
    }
    expected += letterPrompt + exitQuestion + resetQuestion + modeMenu;
    for (const char letter : std::string("qZ"))
      expected += letterPrompt + model.quickLetter(letter);
    expected += letterPrompt + exitQuestion;
    EXPECT_EQ(run.standardOutput, expected) << c.name;
    EXPECT_EQ(readFile("out.txt"), fileOut) << c.name;
    EXPECT_EQ(run.standardError, "") << c.name;
    if (!c.missingFile.empty()) {
      EXPECT_FALSE(std::filesystem::exists(c.missingFile)) << c.name;
    }
  }
}

TEST(StoreSessionTest, AnUnreadableLastRegistryLineWithoutLineEndGetsItsLineEndBeforeSettingZero) {
  ScopedTempDir dir;
  writeKnownStore();
  writeFile(registryFile, "junk");
  const ProgramRun run = runSession("1\n");
  const std::vector<std::string> lines = splitLines(readFile(registryFile));
  ASSERT_EQ(lines.size(), 2U);
  EXPECT_EQ(lines[0], "junk");
  EXPECT_EQ(lines[1].substr(0, 2), "0,");
  EXPECT_EQ(readFile(registryFile), "junk\n" + lines[1] + "\n");
  EXPECT_EQ(splitFields(lines[1]).size(), 6U);
  // The next-free-ID reader passes over the line once.
  EXPECT_EQ(splitLines(run.standardError).size(), 1U) << run.standardError;
  EXPECT_NE(run.standardError.find(registryFile), std::string::npos);
}

// A 32-bit build could not open a store file of 2 GiB or more ("Value too large for defined data
// type") and so found no setting in it.
TEST(StoreSessionTest, ASettingAfterARegistryLineOfMoreThanTwoGibibytesIsFound) {
  // In memory where there is a tmpfs: on a disk's file system the first read of the hole fills
  // 2.2 GB of page cache, which takes seconds.
  const ScopedTempDir dir(std::filesystem::is_directory("/dev/shm")
                              ? std::filesystem::path("/dev/shm")
                              : std::filesystem::temp_directory_path());
  writeKnownStore();
  // A first line of 2.2 GB of zero bytes, a hole that takes no room on the disk.
  writeFile(registryFile, "");
  std::filesystem::resize_file(registryFile, 2'200'000'000);
  std::ofstream(registryFile, std::ios::app) << "\n" << knownRegistry();
  MachineModel model(setting1A());
  const ProgramRun run = runProgram("2 1A\n1\na-\n1\n", 120.0);
  EXPECT_EQ(run.standardOutput, start1A() + modeMenu + letterPrompt + model.quickLetter('a') +
                                    letterPrompt + exitQuestion);
  EXPECT_EQ(run.standardError,
            "vexilo: " + registryFile + ": line 1 passed over: its ID cannot be read\n");
}

}  // namespace
}  // namespace vexilo::testing
