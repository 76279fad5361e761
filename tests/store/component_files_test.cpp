#include "store/component_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>

#include "tests/support/console_texts.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/streams.h"
#include "tests/support/test_machines.h"

namespace vexilo {
namespace {

using testing::errorLines;
using testing::readFile;
using testing::ScopedTempDir;
using testing::writeFile;

const auto shifted = testing::shiftedWiring;

std::string entries(const Wiring& wiring) {
  std::string text;
  for (const std::int32_t entry : wiring) text.append(",").append(std::to_string(entry));
  return text;
}

std::string line(const std::string& id, int shift) { return id + entries(shifted(shift)) + "\n"; }

struct LoadCase {
  const char* name;
  std::optional<std::string> contents;  // nullopt: no file
  std::int32_t requestedId;
  std::optional<int> expectedShift;  // nullopt: not loaded
  const char* expectedOut;
  long passedOverLines;
};

const LoadCase loadCases[] = {
    {"the first of two lines with the ID wins", line("7", 1) + line("7", 2), 7, 1, "", 0},
    {"lines before the match are skipped", line("0", 4) + line("3", 5) + line("7", 6), 7, 6, "", 0},
    {"ID written 007", line("1", 3) + line("007", 3), 7, 3, "", 0},
    {"ID written +7", line("+7", 4), 7, 4, "", 0},
    {"ID 0 of the first line", line("0", 8) + line("1", 9), 0, 8, "", 0},
    {"carriage returns before the line ends",
     "1" + entries(shifted(1)) + "\r\n7" + entries(shifted(5)) + "\r\n", 7, 5, "", 0},
    {"last line without line end", line("1", 1) + "7" + entries(shifted(9)), 7, 9, "", 0},
    {"empty file", "", 7, std::nullopt, "", 0},
    {"ID not in the file", line("1", 1) + line("2", 2), 7, std::nullopt, "", 0},
    {"absent file", std::nullopt, 7, std::nullopt, testing::unableToOpen.c_str(), 0},
    {"unreadable IDs are passed over and the search goes on",
     "\n" + line("abc", 1) + line("99999999999", 2) + line("-7", 3) + line(" ", 4) + line("7", 10),
     7, 10, "", 5},
    {"a negative ID is never found", line("-7", 3), -7, std::nullopt, "", 1},
    {"a matching line with too few fields gives way to a later one", "7,1,2,3\n" + line("7", 11), 7,
     11, "", 1},
    {"a matching line with an unreadable field is passed over",
     "7,x" + entries(shifted(1)).substr(2) + "\n", 7, std::nullopt, "", 1},
    {"a matching line with an empty field is passed over",
     "7,," + entries(shifted(1)).substr(3) + "\n" + line("7", 12), 7, 12, "", 1},
    {"a matching line with a field beyond 32 bits is passed over",
     "7,4294967296" + entries(shifted(1)).substr(2) + "\n", 7, std::nullopt, "", 1},
    {"fields beyond the count are ignored", "7" + entries(shifted(13)) + ",99,100,abc,,\n", 7, 13,
     "", 0},
    {"other lines are never read past their ID", "3,x,,y\n5\n" + line("7", 14), 7, 14, "", 0},
};

TEST(ComponentFilesTest, RotorLoadsFollowTheLineRules) {
  for (const LoadCase& c : loadCases) {
    const ScopedTempDir dir;
    if (c.contents) writeFile(rotorFileName, *c.contents);
    Rotor rotor;
    rotor.id = 99;
    rotor.initialWiring.fill(5);
    rotor.currentWiring.fill(6);
    std::ostringstream out;
    EXPECT_EQ(
        errorLines([&](std::ostream& err) { setupRotor(rotor, c.requestedId, false, out, err); }),
        c.passedOverLines)
        << c.name;
    EXPECT_EQ(out.str(), c.expectedOut) << c.name;
    Rotor expected;
    if (c.expectedShift)
      expected.initialWiring = expected.currentWiring = shifted(*c.expectedShift);
    EXPECT_EQ(rotor.id, -1) << c.name;
    EXPECT_EQ(rotor.initialWiring, expected.initialWiring) << c.name;
    EXPECT_EQ(rotor.currentWiring, expected.currentWiring) << c.name;
    EXPECT_EQ(rotor.size, 26) << c.name;
  }
}

TEST(ComponentFilesTest, ReflectorLoadsFollowTheLineRules) {
  for (const LoadCase& c : loadCases) {
    const ScopedTempDir dir;
    if (c.contents) writeFile(reflectorFileName, *c.contents);
    Reflector reflector;
    reflector.wiring.fill(5);
    reflector.size = 3;
    std::ostringstream out;
    EXPECT_EQ(errorLines([&](std::ostream& err) {
                setupReflector(reflector, c.requestedId, false, out, err);
              }),
              c.passedOverLines)
        << c.name;
    EXPECT_EQ(out.str(), c.expectedOut) << c.name;
    EXPECT_EQ(reflector.wiring, c.expectedShift ? shifted(*c.expectedShift) : Reflector{}.wiring)
        << c.name;
    EXPECT_EQ(reflector.id, -1);
    EXPECT_EQ(reflector.size, 26);
  }
}

TEST(ComponentFilesTest, PlugboardLoadsTakeTheCableCountThenTheWiring) {
  for (const LoadCase& c : loadCases) {
    const ScopedTempDir dir;
    // The same lines with a cable count of 4 after the ID.
    std::optional<std::string> contents = c.contents;
    if (contents) {
      std::string withCount;
      std::istringstream lines(*contents);
      for (std::string text; std::getline(lines, text);) {
        const auto comma = text.find(',');
        withCount += (comma == std::string::npos ? text : text.insert(comma, ",4")) +
                     (lines.eof() ? "" : "\n");
      }
      contents = withCount;
    }
    if (contents) writeFile(plugboardFileName, *contents);
    for (const bool throughSetup : {false, true}) {
      Plugboard plugboard;
      plugboard.wiring.fill(5);
      plugboard.cableCount = 9;
      std::ostringstream out;
      EXPECT_EQ(errorLines([&](std::ostream& err) {
                  if (throughSetup) {
                    setupPlugboard(plugboard, c.requestedId, 13, false, out, err);
                  } else {
                    loadPlugboard(plugboard, c.requestedId, out, err);
                  }
                }),
                c.passedOverLines)
          << c.name;
      EXPECT_EQ(out.str(), c.expectedOut) << c.name;
      EXPECT_EQ(plugboard.wiring, c.expectedShift ? shifted(*c.expectedShift) : Plugboard{}.wiring)
          << c.name;
      EXPECT_EQ(plugboard.cableCount, c.expectedShift ? 4 : 0) << c.name;
      EXPECT_EQ(plugboard.id, -1);
      EXPECT_EQ(plugboard.size, 26);
    }
  }
}

TEST(ComponentFilesTest, EachPassedOverLineIsReportedWithTheFileAndItsLineNumber) {
  const ScopedTempDir dir;
  writeFile(reflectorFileName, "\nx\n" + line("7", 1) + "8,1\n");
  Reflector reflector;
  std::ostringstream out;
  std::ostringstream err;
  setupReflector(reflector, 7, false, out, err);
  setupReflector(reflector, 8, false, out, err);
  const std::string diagnostics = err.str();
  std::istringstream lines(diagnostics);
  const char* expected[] = {"line 1", "line 2", "line 1", "line 2", "line 4"};
  for (const char* lineNumber : expected) {
    std::string text;
    ASSERT_TRUE(std::getline(lines, text)) << diagnostics;
    EXPECT_NE(text.find(reflectorFileName), std::string::npos) << text;
    EXPECT_NE(text.find(lineNumber), std::string::npos) << text;
  }
  EXPECT_EQ(lines.peek(), EOF) << diagnostics;
  EXPECT_EQ(out.str(), "");
}

TEST(ComponentFilesTest, APlugboardLineWithTheFieldsOfARotorLineIsPassedOver) {
  const ScopedTempDir dir;
  writeFile(plugboardFileName, line("7", 1));  // 27 fields: one wiring entry short
  Plugboard plugboard;
  std::ostringstream out;
  EXPECT_EQ(errorLines([&](std::ostream& err) { loadPlugboard(plugboard, 7, out, err); }), 1);
  EXPECT_EQ(plugboard.wiring, Plugboard{}.wiring);
}

TEST(ComponentFilesTest, WiringValuesOutsideTheAlphabetAreStoredAsTheyStand) {
  const ScopedTempDir dir;
  writeFile(rotorFileName, "7,30,-5, 2" + entries(shifted(0)).substr(6) + "\n");
  Rotor rotor;
  std::ostringstream out;
  setupRotor(rotor, 7, false, out);
  EXPECT_EQ(rotor.initialWiring[0], 30);
  EXPECT_EQ(rotor.initialWiring[1], -5);
  EXPECT_EQ(rotor.initialWiring[2], 2);
  EXPECT_EQ(rotor.initialWiring[25], 25);
  EXPECT_EQ(out.str(), "");
}

TEST(ComponentFilesTest, GeneratedComponentsAreAppendedAndLoadBackByTheirIds) {
  const ScopedTempDir dir;
  std::ostringstream out;
  Rotor rotors[2];
  Reflector reflectors[2];
  Plugboard plugboards[2];
  for (int n = 0; n < 2; ++n) {
    setupRotor(rotors[n], n * 5, true, out);
    setupReflector(reflectors[n], n * 5, true, out);
    setupPlugboard(plugboards[n], n * 5, n * 13, true, out);
  }
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(readFile(rotorFileName), "0" + entries(rotors[0].initialWiring) + "\n5" +
                                         entries(rotors[1].initialWiring) + "\n");
  EXPECT_EQ(readFile(reflectorFileName),
            "0" + entries(reflectors[0].wiring) + "\n5" + entries(reflectors[1].wiring) + "\n");
  EXPECT_EQ(readFile(plugboardFileName),
            "0,0,0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,"
            "20,21,22,23,24,25\n5,13" +
                entries(plugboards[1].wiring) + "\n");
  for (int n = 0; n < 2; ++n) {
    Rotor rotor;
    Reflector reflector;
    Plugboard plugboard;
    setupRotor(rotor, n * 5, false, out);
    setupReflector(reflector, n * 5, false, out);
    loadPlugboard(plugboard, n * 5, out);
    EXPECT_EQ(rotor.initialWiring, rotors[n].initialWiring);
    EXPECT_EQ(rotor.currentWiring, rotors[n].initialWiring);
    EXPECT_EQ(rotors[n].currentWiring, rotors[n].initialWiring);
    EXPECT_EQ(reflector.wiring, reflectors[n].wiring);
    EXPECT_EQ(plugboard.wiring, plugboards[n].wiring);
    EXPECT_EQ(plugboard.cableCount, plugboards[n].cableCount);
    EXPECT_EQ(rotors[n].id, -1);
  }
  EXPECT_EQ(out.str(), "");
}

TEST(ComponentFilesTest, AGeneratedPlugboardStoresItsCableCountClamped) {
  const ScopedTempDir dir;
  Plugboard plugboard;
  std::ostringstream out;
  setupPlugboard(plugboard, 3, 20, true, out);
  setupPlugboard(plugboard, 4, -2, true, out);
  EXPECT_EQ(readFile(plugboardFileName).substr(0, 5), "3,13,");
  loadPlugboard(plugboard, 3, out);
  EXPECT_EQ(plugboard.cableCount, 13);
  loadPlugboard(plugboard, 4, out);
  EXPECT_EQ(plugboard.cableCount, 0);
  EXPECT_EQ(plugboard.wiring, shifted(0));
}

TEST(ComponentFilesTest, AppendingAfterALastLineWithoutLineEndWritesTheLineEndFirst) {
  const ScopedTempDir dir;
  const std::string old = "0" + entries(shifted(1));
  writeFile(rotorFileName, old);
  Rotor rotor;
  std::ostringstream out;
  setupRotor(rotor, 1, true, out);
  EXPECT_EQ(readFile(rotorFileName), old + "\n1" + entries(rotor.initialWiring) + "\n");
}

TEST(ComponentFilesTest, AFileThatCannotBeAppendedToKeepsTheNewComponentInTheRecordOnly) {
  const ScopedTempDir dir;
  for (const std::string& name : {rotorFileName, reflectorFileName, plugboardFileName}) {
    std::filesystem::create_directory(name);
  }
  std::ostringstream out;
  Rotor rotor;
  Reflector reflector;
  Plugboard plugboard;
  setupRotor(rotor, 0, true, out);
  setupReflector(reflector, 0, true, out);
  setupPlugboard(plugboard, 0, 13, true, out);
  EXPECT_EQ(out.str(), testing::unableToOpen + testing::unableToOpen + testing::unableToOpen);
  EXPECT_NE(rotor.initialWiring[0], -1);
  EXPECT_NE(reflector.wiring[0], -1);
  EXPECT_EQ(plugboard.cableCount, 13);
  // A folder in place of a file cannot be read either.
  setupRotor(rotor, 0, false, out);
  EXPECT_EQ(rotor.initialWiring, Rotor{}.initialWiring);
}

}  // namespace
}  // namespace vexilo
