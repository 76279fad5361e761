// Store files edited by hand or damaged: every line the program cannot read is passed over with a
// line on standard error naming its file and line, the rest reads as if that line were not there,
// and appending never changes a byte that stood in the file.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "store/line_reader.h"
#include "tests/support/console_texts.h"
#include "tests/support/posix_only.h"
#include "tests/support/run_program.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/store_fixture.h"

namespace vexilo::testing {
namespace {

// Part of the known store: rotors 0 to 2, reflector 0, plugboard 0 and setting 0.
const std::string rotor0 = "0," + joinTable(shiftRotor());
const std::string rotor1 = "1," + joinTable(tripleRotor());
const std::string rotor2 = "2," + joinTable(scrambledRotor());
const std::string reflector0 = "0," + joinTable(halfTurnReflector());
const std::string plugboard0 = "0,0," + joinTable(plainPlugboard());
const std::string setting0 = "0,0,0,1,2,0";
const std::string cleanRotors = rotor0 + "\n" + rotor1 + "\n" + rotor2 + "\n";

// Setting 0 chosen by its ID, then quick, line and descriptive mode.
const std::string specificSession = "2 0\n1\nabcxyz-\n2\n2\n3\nHello, World!\n1\n2\n2\nqr-\n1\n";

void writeCleanStore() {
  writeFile(rotorFile, cleanRotors);
  writeFile(reflectorFile, reflector0 + "\n");
  writeFile(plugboardFile, plugboard0 + "\n");
  writeFile(registryFile, setting0 + "\n");
}

struct FileDamage {
  std::string fileName;
  std::string damaged;  // what stands in the file
  std::string seen;     // the same file without the lines that must be passed over
  std::set<std::int64_t> reportedWhenLoading;  // lines passed over choosing setting 0 by ID
  std::set<std::int64_t> unreadableIds;        // lines whose ID cannot be read
  std::int32_t nextId = 0;                     // the ID of the file's next new line
};

struct DamagedCase {
  const char* name;
  std::vector<FileDamage> damage;
  bool newSettingForced = false;  // no readable setting or rotor: a random run always adds both
};

// The rules of single lines (fields, signs, line ends) are tested on the readers themselves; here
// whole files of damaged lines meet the whole program.
std::vector<DamagedCase> damagedCases() {
  const std::string hugeId(1 << 20, '1');
  std::string hugeFieldList = "7";
  for (int field = 0; field < 500000; ++field) hugeFieldList += ",1";
  std::string rotor1NonNumeric = rotor1;
  rotor1NonNumeric.replace(2, 1, "a");
  std::string rotor1OutOfRange = rotor1;
  rotor1OutOfRange.replace(2, 1, "4294967296");
  std::string rotor2WithNul = rotor2;
  rotor2WithNul.replace(rotor2WithNul.find(",16,"), 4, std::string(",16\0,", 5));
  const std::string clean = cleanRotors;
  return {
      {"rotors: a blank line in the middle",
       {{rotorFile, rotor0 + "\n\n" + rotor1 + "\n" + rotor2 + "\n", clean, {2}, {2}, 3}}},
      {"rotors: blank lines at the end", {{rotorFile, clean + "\n\n", clean, {}, {4, 5}, 3}}},
      {"rotors: a line of too few fields with a wanted ID",
       {{rotorFile, "1,2,3\n" + clean, clean, {1}, {}, 3}}},
      {"rotors: non-numeric ID and wiring field",
       {{rotorFile,
         "x,1,2\n" + rotor0 + "\n" + rotor1NonNumeric + "\n" + rotor1 + "\n" + rotor2 + "\n",
         clean,
         {1, 3},
         {1},
         3}}},
      {"rotors: out-of-range and negative ID, out-of-range wiring field",
       {{rotorFile,
         "99999999999,1,2\n-1," + rotor0.substr(2) + "\n" + rotor0 + "\n" + rotor1OutOfRange +
             "\n" + rotor1 + "\n" + rotor2 + "\n",
         clean,
         {1, 2, 4},
         {1, 2},
         3}}},
      {"rotors: huge lines",
       {{rotorFile, hugeId + "\n" + hugeFieldList + "\n" + clean, clean, {1}, {1}, 3}}},
      {"rotors: NUL bytes",
       {{rotorFile,
         rotor0 + "\n" + std::string(1, '\0') + rotor1 + "\n" + rotor1 + "\n" + rotor2WithNul +
             "\n",
         clean,
         {2},
         {2},
         3}}},
      {"reflectors: CRLF line ends and a blank line first",
       {{reflectorFile, "\r\n" + reflector0 + "\r\n", reflector0 + "\n", {1}, {1}, 1}}},
      {"plugboards: too few fields and a NUL byte before the wanted line",
       {{plugboardFile,
         "0,1\n" + std::string(1, '\0') + plugboard0 + "\n" + plugboard0 + "\n",
         plugboard0 + "\n",
         {1, 2},
         {2},
         1}}},
      {"registry: CRLF line ends and blank lines",
       {{registryFile, "\r\n" + setting0 + "\r\n\n", setting0 + "\n", {1}, {1, 3}, 1}}},
      {"registry: non-numeric component ID, then the ID written with a leading zero",
       {{registryFile, "0,0,x,1,2,0\n0" + setting0 + "\n", setting0 + "\n", {1}, {}, 1}}},
      {"registry: negative and out-of-range IDs",
       {{registryFile,
         "-1,0,0,1,2,0\nFFFFFFFFF,1,1,1,1,1\n" + setting0 + "\n",
         setting0 + "\n",
         {1, 2},
         {1, 2},
         1}}},
      {"registry: no line end after the last line",
       {{registryFile, setting0, setting0 + "\n", {}, {}, 1}}},
      {"registry and rotors: nothing readable and no line end after the last line",
       {{registryFile, "zz,1,2,3,4,5", "", {1}, {1}, 0}, {rotorFile, "x,1", "", {1}, {1}, 0}},
       true},
  };
}

int damagedFilesTried = 0;

// Line numbers of `fileName` that standard error reports as passed over.
std::set<std::int64_t> reportedLines(const std::string& standardError,
                                     const std::string& fileName) {
  std::set<std::int64_t> lines;
  const std::string prefix = "vexilo: " + fileName + ": line ";
  for (const std::string& line : splitLines(standardError)) {
    if (!line.starts_with(prefix)) continue;
    std::int64_t number = 0;
    std::istringstream(line.substr(prefix.size())) >> number;
    if (line.find(" passed over") != std::string::npos) lines.insert(number);
  }
  return lines;
}

std::size_t fieldCountOf(const std::string& fileName) {
  if (fileName == registryFile) return 6;
  return fileName == plugboardFile ? 28 : 27;
}

// Checks what random runs appended to a damaged file: first a line end when the file's last line
// had none, then whole lines of the file's format with IDs from `damage.nextId` on, past any ID
// that a line of the file holds already (then one more than the largest). Returns the number of
// lines appended.
std::size_t checkAppended(const FileDamage& damage, const char* caseName) {
  const std::string now = readFile(damage.fileName);
  if (!now.starts_with(damage.damaged)) {
    ADD_FAILURE() << caseName << ": a byte of " << damage.fileName << " changed";
    return 0;
  }
  std::string appended = now.substr(damage.damaged.size());
  if (appended.empty()) return 0;
  if (!damage.damaged.empty() && damage.damaged.back() != '\n') {
    EXPECT_EQ(appended.front(), '\n') << caseName << ": " << damage.fileName;
    appended.erase(0, 1);
  }
  EXPECT_TRUE(appended.ends_with('\n')) << caseName << ": " << damage.fileName;
  const int base = damage.fileName == registryFile ? 16 : 10;
  std::set<std::int32_t> held;
  for (const std::string& line : splitLines(damage.damaged)) {
    const std::optional<std::int32_t> lineId = parseInteger(line.substr(0, line.find(',')), base);
    if (lineId && *lineId >= 0) held.insert(*lineId);
  }
  std::int32_t nextId = damage.nextId;
  const std::vector<std::string> lines = splitLines(appended);
  for (std::size_t line = 0; line < lines.size(); ++line) {
    if (held.contains(nextId)) nextId = *held.rbegin() + 1;
    held.insert(nextId);
    char id[16];
    std::snprintf(id, sizeof id, base == 16 ? "%X" : "%d", nextId++);
    EXPECT_TRUE(lines[line].starts_with(std::string(id) + ","))
        << caseName << ": appended line \"" << lines[line] << "\" of " << damage.fileName;
    EXPECT_EQ(static_cast<std::size_t>(std::count(lines[line].begin(), lines[line].end(), ',')),
              fieldCountOf(damage.fileName) - 1)
        << caseName << ": appended line \"" << lines[line] << "\" of " << damage.fileName;
  }
  return lines.size();
}

TEST(DamagedFilesTest, UnreadableLinesArePassedOverReportedAndNeverChanged) {
  for (const DamagedCase& c : damagedCases()) {
    damagedFilesTried += static_cast<int>(c.damage.size());
    std::string seenOutput;
    if (!c.newSettingForced) {
      ScopedTempDir directory;
      writeCleanStore();
      for (const FileDamage& damage : c.damage) writeFile(damage.fileName, damage.seen);
      seenOutput = runProgram(specificSession).standardOutput;
    }
    ScopedTempDir directory;
    writeCleanStore();
    for (const FileDamage& damage : c.damage) writeFile(damage.fileName, damage.damaged);

    if (!c.newSettingForced) {
      const ProgramRun run = runProgram(specificSession);
      EXPECT_EQ(run.exitStatus, 0) << c.name;
      EXPECT_EQ(run.standardOutput, seenOutput) << c.name;
      for (const FileDamage& damage : c.damage) {
        EXPECT_EQ(reportedLines(run.standardError, damage.fileName), damage.reportedWhenLoading)
            << c.name << "\n"
            << run.standardError.substr(0, 2000);
        EXPECT_EQ(readFile(damage.fileName), damage.damaged) << c.name;
      }
    }

    // Random settings read every line for the next free IDs and may append.
    constexpr int randomRuns = 4;
    for (int attempt = 0; attempt < randomRuns; ++attempt) {
      const ProgramRun run = runProgram("1\n");
      EXPECT_EQ(run.exitStatus, 0) << c.name;
      EXPECT_NE(run.standardOutput.find("Your Settings"), std::string::npos) << c.name;
      for (const FileDamage& damage : c.damage) {
        const std::vector<std::string> lines = splitLines(damage.damaged);
        const std::set<std::int64_t> reported = reportedLines(run.standardError, damage.fileName);
        // The reader of the next free ID must pass over the lines after the last readable ID;
        // it need not read the lines before it. No whole line of the store is ever reported.
        std::int64_t lastReadable = 0;
        for (std::int64_t line = 1; line <= static_cast<std::int64_t>(lines.size()); ++line) {
          if (!damage.unreadableIds.contains(line)) lastReadable = line;
        }
        for (const std::int64_t line : damage.unreadableIds) {
          if (attempt > 0 || line < lastReadable) continue;
          EXPECT_TRUE(reported.contains(line))
              << c.name << ": line " << line << " of " << damage.fileName << " not reported\n"
              << run.standardError.substr(0, 2000);
        }
        const std::vector<std::string> seenLines = splitLines(damage.seen);
        for (const std::int64_t line : reported) {
          const bool wholeLine =
              line >= 1 && line <= static_cast<std::int64_t>(lines.size()) &&
              std::find(seenLines.begin(), seenLines.end(),
                        lines[static_cast<std::size_t>(line - 1)]) != seenLines.end();
          EXPECT_FALSE(wholeLine) << c.name << ": line " << line << " of " << damage.fileName
                                  << " is whole but reported\n"
                                  << run.standardError.substr(0, 2000);
        }
        const std::size_t appended = checkAppended(damage, c.name);
        if (c.newSettingForced && attempt == 0) {
          EXPECT_EQ(appended, damage.fileName == registryFile ? 1u : 3u) << c.name;
        }
      }
    }
  }
  std::cout << "damaged files tried: " << damagedFilesTried << "\n";
}

#ifndef _WIN32
// A program run as a user who cannot read a file that its owner has made unreadable: as root,
// which reads every file whatever its mode, the program is run as the user nobody.
class UnreadableFileRunner {
 public:
  static constexpr double runTimeLimit = 5.0;

  UnreadableFileRunner() {
    if (::getuid() != 0) return;
    script_ = std::filesystem::temp_directory_path() /
              ("vexilo-as-nobody-" + std::to_string(::getpid()) + ".sh");
    writeFile(script_, std::string("#!/bin/sh\nexec setpriv --reuid=65534 --regid=65534 "
                                   "--clear-groups ") +
                           programCommandLine() + "\n");
    ::chmod(script_.c_str(), 0755);
  }
  ~UnreadableFileRunner() {
    if (!script_.empty()) std::filesystem::remove(script_);
  }
  UnreadableFileRunner(const UnreadableFileRunner&) = delete;
  UnreadableFileRunner& operator=(const UnreadableFileRunner&) = delete;

  ProgramRun run(const std::string& input) const {
    if (script_.empty()) return runProgram(input, runTimeLimit);
    // The other user must be able to enter the directory and read and add to the other files.
    ::chmod(".", 0777);
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
      if (entry.is_regular_file() &&
          (std::filesystem::status(entry).permissions() & std::filesystem::perms::owner_read) !=
              std::filesystem::perms::none) {
        ::chmod(entry.path().c_str(), 0666);
      }
    }
    ProgramOptions script;
    script.hostProgram = true;
    return runProgram(input, runTimeLimit, script_.string(), script);
  }

 private:
  std::filesystem::path script_;
};

enum class Obstacle { directory, unreadableFile, fifo };
#endif

// A directory, a file that cannot be read, or a FIFO (which must not make the program wait for a
// writer) where a store file should be: it reads as an absent file ("unable to open file"),
// appending to it fails with the same line, and it stays as it was.
TEST(DamagedFilesTest, AStoreFileThatCannotBeOpenedReadsAsAbsentAndIsLeftAlone) {
  VEXILO_NEEDS_POSIX("FIFOs, file modes and another user to run as");
#ifndef _WIN32
  if (::getuid() == 0 && ::access("/usr/bin/setpriv", X_OK) != 0) {
    GTEST_SKIP() << "running as root without setpriv: a file cannot be made unreadable";
  }
  const UnreadableFileRunner runner;
  for (const std::string& fileName : {rotorFile, registryFile}) {
    for (const Obstacle obstacle :
         {Obstacle::directory, Obstacle::unreadableFile, Obstacle::fifo}) {
      ++damagedFilesTried;
      const std::string name =
          fileName + (obstacle == Obstacle::directory        ? " is a directory"
                      : obstacle == Obstacle::unreadableFile ? " cannot be read"
                                                             : " is a FIFO");
      // Without a registry the lookup fails, and a menu answer "1" would then make a random
      // setting: only the lookup is compared.
      const std::string session = fileName == registryFile ? "2 0\n" : specificSession;
      std::string absentOutput;
      {
        ScopedTempDir directory;
        writeCleanStore();
        std::filesystem::remove(fileName);
        absentOutput = runner.run(session).standardOutput;
      }
      ScopedTempDir directory;
      writeCleanStore();
      if (obstacle == Obstacle::directory) {
        std::filesystem::remove(fileName);
        std::filesystem::create_directory(fileName);
      } else if (obstacle == Obstacle::fifo) {
        std::filesystem::remove(fileName);
        ASSERT_EQ(::mkfifo(fileName.c_str(), 0666), 0);
      } else {
        ::chmod(fileName.c_str(), 0);
      }
      const std::string before =
          obstacle == Obstacle::unreadableFile ? readFile(fileName) : std::string();
      const ProgramRun specific = runner.run(session);
      EXPECT_FALSE(specific.timedOut) << name;
      EXPECT_EQ(specific.exitStatus, 0) << name << "\n" << specific.standardError;
      EXPECT_EQ(specific.standardOutput, absentOutput) << name;

      const ProgramRun random = runner.run("1\n");
      EXPECT_FALSE(random.timedOut) << name;
      // The status says whether the setting in use is stored: the registry holds setting 0 alone,
      // and a new setting cannot be stored in a store with a file that cannot be opened.
      const auto printed = printedSetting(random.standardOutput);
      const bool stored = fileName != registryFile && printed && printed->id == 0;
      EXPECT_EQ(random.exitStatus, stored ? 0 : 1) << name << "\n" << random.standardError;
      EXPECT_NE(random.standardOutput.find(unableToOpen), std::string::npos) << name;
      EXPECT_NE(random.standardOutput.find("Your Settings"), std::string::npos) << name;
      if (obstacle == Obstacle::directory) {
        EXPECT_TRUE(std::filesystem::is_directory(fileName)) << name;
        EXPECT_TRUE(std::filesystem::is_empty(fileName)) << name;
      } else if (obstacle == Obstacle::fifo) {
        EXPECT_TRUE(std::filesystem::is_fifo(fileName)) << name;
      } else {
        EXPECT_EQ(readFile(fileName), before) << name;
        EXPECT_EQ(std::filesystem::status(fileName).permissions(), std::filesystem::perms::none)
            << name;
      }
      std::size_t entries = 0;
      for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(".")) {
        ++entries;
      }
      EXPECT_EQ(entries, 4u) << name << ": no other file is made";
    }
  }
  std::cout << "damaged files tried, with those that cannot be opened: " << damagedFilesTried
            << "\n";
#endif
}

}  // namespace
}  // namespace vexilo::testing
