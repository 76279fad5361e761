#include "tests/e2e/e2e_support.h"

#include <gtest/gtest.h>

#include "tests/support/scoped_temp_dir.h"

namespace vexilo::testing {
namespace {

Table affine(int factor, int offset) {
  Table table{};
  for (int i = 0; i < 26; ++i) table[i] = (factor * i + offset) % 26;
  return table;
}

std::string cell(std::string_view text) { return std::string(5, ' ') + padLeft(text, 10, ' '); }

std::string failureLine(int value) {
  return "error in reverse encryption: sent index =  " + std::to_string(value) + "\n";
}

// Forward lookup on a table: -1 for an index outside it.
int forward(const Table& table, int index) { return index < 0 || index > 25 ? -1 : table[index]; }

}  // namespace

std::string padLeft(std::string_view text, std::size_t width, char fill) {
  if (text.size() >= width) return std::string(text);
  return std::string(width - text.size(), fill) + std::string(text);
}

std::string settingsBlock(const std::string& id, int rotor1, int rotor2, int rotor3, int reflector,
                          int plugboard) {
  const std::string indent(15, ' ');
  const std::string spacing = "   ";
  return indent + "Your Settings\n" + indent + "ID:  " + spacing + "ROTOR1" + spacing + "ROTOR2" +
         spacing + "ROTOR3" + spacing + "REFLECTOR" + spacing + "PLUGBOARD" + spacing + "\n" +
         indent + padLeft(id, 5, '0') + spacing + padLeft(std::to_string(rotor1), 6, ' ') +
         spacing + padLeft(std::to_string(rotor2), 6, ' ') + spacing +
         padLeft(std::to_string(rotor3), 6, ' ') + spacing +
         padLeft(std::to_string(reflector), 9, ' ') + spacing +
         padLeft(std::to_string(plugboard), 9, ' ') + "\n\n";
}

Table shiftRotor() { return affine(1, 1); }
Table tripleRotor() { return affine(3, 5); }
Table quintupleRotor() { return affine(5, 7); }
Table halfTurnReflector() { return affine(1, 13); }
Table plainPlugboard() { return affine(1, 0); }

Table twoCablePlugboard() {
  Table table = plainPlugboard();
  table[0] = 2;
  table[2] = 0;
  table[1] = 25;
  table[25] = 1;
  return table;
}

Table unfilledTable() {
  Table table{};
  table[0] = -1;
  return table;
}

std::string joinTable(const Table& table) {
  std::string text;
  for (int i = 0; i < 26; ++i) {
    if (i > 0) text += ',';
    text += std::to_string(table[i]);
  }
  return text;
}

std::string knownRotorFile() {
  return "0," + joinTable(shiftRotor()) + "\n1," + joinTable(tripleRotor()) + "\n2," +
         joinTable(quintupleRotor()) + "\n";
}

std::string knownReflectorFile() { return "0," + joinTable(halfTurnReflector()) + "\n"; }

std::string knownPlugboardFile() {
  return "0,0," + joinTable(plainPlugboard()) + "\n1,2," + joinTable(twoCablePlugboard()) + "\n";
}

std::string knownRegistry() { return "0,0,0,1,2,0\n1A,1,0,1,2,0\n1B,1,2,0,1,0\n1C,1,0,9,2,0\n"; }

void writeKnownStore() {
  writeFile(rotorFile, knownRotorFile());
  writeFile(reflectorFile, knownReflectorFile());
  writeFile(plugboardFile, knownPlugboardFile());
  writeFile(registryFile, knownRegistry());
}

MachineParts setting1A() {
  return {shiftRotor(), tripleRotor(), quintupleRotor(), halfTurnReflector(), twoCablePlugboard()};
}

MachineParts setting1B() {
  return {quintupleRotor(), shiftRotor(), tripleRotor(), halfTurnReflector(), twoCablePlugboard()};
}

MachineParts setting1C() {
  return {shiftRotor(), unfilledTable(), quintupleRotor(), halfTurnReflector(),
          twoCablePlugboard()};
}

char letterOf(int index) { return static_cast<char>((static_cast<unsigned>(index) + 97U) & 0xFFU); }

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
  failureLines += failureLine(value);
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

std::string MachineModel::descriptiveLetter(char typed) {
  static const std::array<const char*, 9> labels = {
      " --Plugboard-> ",      " --Rotor1-> ",         " --Rotor2-> ",
      " --Rotor3-> ",         " --Reflector-> ",      " --Rotor3Reversed-> ",
      " --Rotor2Reversed-> ", " --Rotor1Reversed-> ", " --Plugboard-> "};
  const int letter = indexOf(typed);
  const Path p = path(letter);
  ++letters_;
  std::string trace = p.failureLines + letterOf(letter) + " " + std::to_string(letter);
  for (int stage = 0; stage < 9; ++stage) trace += labels[stage] + std::to_string(p.stages[stage]);
  return trace + " == encrypted letter " + letterOf(p.stages[8]) + "\n\n";
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

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::vector<std::string> splitFields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = line.find(',', start);
    fields.push_back(line.substr(start, comma - start));
    if (comma == std::string::npos) return fields;
    start = comma + 1;
  }
}

std::optional<long> parseWhole(const std::string& field, int base) {
  if (field.empty() || field.size() > 9) return std::nullopt;
  long value = 0;
  for (const char c : field) {
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0 || digit >= base) return std::nullopt;
    value = value * base + digit;
  }
  // Shortest form only: no leading zeros.
  if (field.size() > 1 && field[0] == '0') return std::nullopt;
  return value;
}

bool isRotorWithoutFixedPoint(const Table& wiring) {
  std::array<bool, 26> seen{};
  for (int i = 0; i < 26; ++i) {
    if (wiring[i] < 0 || wiring[i] > 25 || wiring[i] == i || seen[wiring[i]]) return false;
    seen[wiring[i]] = true;
  }
  return true;
}

bool isReflector(const Table& wiring) {
  for (int i = 0; i < 26; ++i) {
    if (wiring[i] < 0 || wiring[i] > 25 || wiring[i] == i || wiring[wiring[i]] != i) return false;
  }
  return true;
}

bool isPlugboardWithCables(const Table& wiring, int cables) {
  int swapped = 0;
  for (int i = 0; i < 26; ++i) {
    if (wiring[i] < 0 || wiring[i] > 25 || wiring[wiring[i]] != i) return false;
    if (wiring[i] != i) ++swapped;
  }
  return swapped == 2 * cables;
}

std::optional<Table> storedTable(const std::string& fileText, int id, int prefixFields) {
  for (const std::string& line : splitLines(fileText)) {
    const std::vector<std::string> fields = splitFields(line);
    if (fields.size() != static_cast<std::size_t>(26 + prefixFields)) continue;
    if (parseWhole(fields[0], 10) != id) continue;
    Table table{};
    for (int i = 0; i < 26; ++i) {
      const auto value = parseWhole(fields[prefixFields + i], 10);
      if (!value) return std::nullopt;
      table[i] = static_cast<int>(*value);
    }
    return table;
  }
  return std::nullopt;
}

}  // namespace vexilo::testing
