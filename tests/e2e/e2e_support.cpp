#include "tests/e2e/e2e_support.h"

#include <gtest/gtest.h>

#include "tests/support/scoped_temp_dir.h"

namespace vexilo::testing {
namespace {

std::string cell(std::string_view text) { return std::string(5, ' ') + padLeft(text, 10, ' '); }

// Forward lookup on a table: -1 for an index outside it.
int forward(const Table& table, int index) { return index < 0 || index > 25 ? -1 : table[index]; }

}  // namespace

std::optional<MachineParts> storedParts(int rotor1, int rotor2, int rotor3, int reflector,
                                        int plugboard) {
  const std::string rotors = readFile(rotorFile);
  const auto first = storedTable(rotors, rotor1, 1);
  const auto second = storedTable(rotors, rotor2, 1);
  const auto third = storedTable(rotors, rotor3, 1);
  const auto reflectorTable = storedTable(readFile(reflectorFile), reflector, 1);
  const auto plugboardTable = storedTable(readFile(plugboardFile), plugboard, 2);
  if (!first || !second || !third || !reflectorTable || !plugboardTable) return std::nullopt;
  return MachineParts{*first, *second, *third, *reflectorTable, *plugboardTable};
}

MachineParts setting1A() {
  return {shiftRotor(), tripleRotor(), scrambledRotor(), halfTurnReflector(), twoCablePlugboard()};
}

MachineParts setting1B() {
  return {scrambledRotor(), shiftRotor(), tripleRotor(), halfTurnReflector(), twoCablePlugboard()};
}

MachineParts setting1C() {
  return {shiftRotor(), unfilledTable(), scrambledRotor(), halfTurnReflector(),
          twoCablePlugboard()};
}

int indexOf(char letter) {
  if (letter >= 'a' && letter <= 'z') return letter - 'a';
  if (letter >= 'A' && letter <= 'Z') return letter - 'A';
  return -1;
}

int MachineModel::position(int rotor) const {
  long turns = letters_;
  for (int k = 1; k < rotor; ++k) turns /= 26;
  return static_cast<int>(turns % 26);
}

int MachineModel::rotorEntry(int rotor, int index) const {
  const Table& wiring = rotor == 1 ? parts_.rotor1 : rotor == 2 ? parts_.rotor2 : parts_.rotor3;
  if (index < 0 || index > 25) return -1;
  return wiring[((index - position(rotor)) % 26 + 26) % 26];
}

int MachineModel::reverse(int rotor, int value, std::string& failureLines) const {
  for (int i = 0; i < 26; ++i) {
    if (rotorEntry(rotor, i) == value) return i;
  }
  failureLines += reverseLookupFailure(value);
  return -1;
}

MachineModel::Path MachineModel::path(int letter) const {
  Path path;
  auto& s = path.stages;
  s[0] = forward(parts_.plugboard, letter);
  s[1] = rotorEntry(1, s[0]);
  s[2] = rotorEntry(2, s[1]);
  s[3] = rotorEntry(3, s[2]);
  s[4] = forward(parts_.reflector, s[3]);
  s[5] = reverse(3, s[4], path.failureLines);
  s[6] = reverse(2, s[5], path.failureLines);
  s[7] = reverse(1, s[6], path.failureLines);
  s[8] = forward(parts_.plugboard, s[7]);
  return path;
}

std::string MachineModel::quickLetter(char typed) {
  const Path p = path(indexOf(typed));
  ++letters_;
  return p.failureLines + letterOf(p.stages[8]) + "\n";
}

std::string MachineModel::quickLetters(std::string_view typed) {
  std::string written;
  for (const char letter : typed) written += letterPrompt + quickLetter(letter);
  return written;
}

std::string MachineModel::descriptiveLetter(char typed) {
  const int letter = indexOf(typed);
  const Path p = path(letter);
  ++letters_;
  return p.failureLines + descriptiveTrace(letter, p.stages);
}

std::string MachineModel::encipherText(std::string_view text, std::string* failureLines) {
  std::string result;
  for (const char character : text) {
    const int letter = indexOf(character);
    if (letter < 0) {
      result += character;
      continue;
    }
    const Path p = path(letter);
    ++letters_;
    if (failureLines != nullptr) *failureLines += p.failureLines;
    result += letterOf(p.stages[8]);
  }
  return result;
}

std::string MachineModel::lineModeText(std::string_view text) {
  std::string written;
  for (const char character : text) {
    std::string failures;
    const std::string enciphered = encipherText(std::string_view(&character, 1), &failures);
    written += failures + enciphered;
  }
  return written;
}

std::string MachineModel::wiringTable() const {
  MachineModel atStart(parts_);
  std::string table;
  for (const char* heading : {"Plugboard", "Rotor1", "Rotor2", "Rotor3", "Reflector", "Rotor3R",
                              "Rotor2R", "Rotor1R", "Plugboard"}) {
    table += cell(heading);
  }
  table += "\n";
  for (int i = 0; i < 26; ++i) {
    const std::string begin = std::string(1, letterOf(i)) + " --> ";
    std::string failures;
    const std::string plugboard = begin + letterOf(parts_.plugboard[i]);
    std::string row = cell(plugboard);
    for (int rotor = 1; rotor <= 3; ++rotor)
      row += cell(begin + letterOf(atStart.rotorEntry(rotor, i)));
    row += cell(begin + letterOf(parts_.reflector[i]));
    for (int rotor = 3; rotor >= 1; --rotor) {
      row += cell(begin + letterOf(atStart.reverse(rotor, i, failures)));
    }
    row += cell(plugboard);
    table += failures + row + "\n";
  }
  return table + "\n";
}

std::string knownStart(const std::string& typedId, const MachineParts& parts, int rotor1,
                       int rotor2, int rotor3, int reflector, int plugboard) {
  return setupMenu + idPrompt +
         settingsBlock(typedId, rotor1, rotor2, rotor3, reflector, plugboard) +
         MachineModel(parts).wiringTable();
}

std::string start1A() { return knownStart("1A", setting1A(), 0, 1, 2, 0, 1); }

ProgramRun runSession(const std::string& input) {
  ProgramRun run = runProgram(input, 20.0);
  EXPECT_FALSE(run.timedOut) << "input: " << input;
  EXPECT_EQ(run.exitStatus, 0) << "input: " << input;
  return run;
}

}  // namespace vexilo::testing
