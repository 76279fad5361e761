// The store as the tests see it: the four file names, the splitting of store lines into fields, the
// one strict reading of stored numbers and components with the checks of their shapes, a known
// store of hand-made components, and the check of a whole store the program wrote. The inline
// pieces need nothing but the standard library, so the fuzz targets build on them too.
#ifndef VEXILO_TESTS_SUPPORT_STORE_FIXTURE_H_
#define VEXILO_TESTS_SUPPORT_STORE_FIXTURE_H_

#include <array>
#include <charconv>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/run_program.h"

namespace vexilo::testing {

inline const std::string rotorFile = "ExistingRotorSettings26.txt";
inline const std::string reflectorFile = "ExistingReflectorSettings26.txt";
inline const std::string plugboardFile = "ExistingPlugBoardSettings26.txt";
inline const std::string registryFile = "initalSettings26.txt";
inline const std::array<std::string, 4> storeFiles = {rotorFile, reflectorFile, plugboardFile,
                                                      registryFile};

using Table = std::array<int, 26>;

// Lines of `text` without their line ends (a last line without one counts too).
inline std::vector<std::string> splitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// Fields of a store line, split at every comma.
inline std::vector<std::string> splitFields(std::string_view line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = line.find(',', start);
    if (comma == std::string_view::npos) {
      fields.emplace_back(line.substr(start));
      return fields;
    }
    fields.emplace_back(line.substr(start, comma - start));
    start = comma + 1;
  }
}

// A field that is exactly a non-negative number within 32 bits in its shortest form: decimal, or
// upper-case hexadecimal when `base` is 16; nullopt for anything else.
inline std::optional<std::int32_t> storeNumber(std::string_view field, int base) {
  if (field.empty() || (field.size() > 1 && field[0] == '0')) return std::nullopt;
  for (const char c : field) {
    if (!((c >= '0' && c <= '9') || (base == 16 && c >= 'A' && c <= 'F'))) return std::nullopt;
  }
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value, base);
  if (error != std::errc() || end != field.data() + field.size()) return std::nullopt;
  return value;
}

// The numbers of a store line that holds exactly `fieldCount` of them, the first (the ID) in
// `idBase`; nullopt for any other line.
inline std::optional<std::vector<std::int32_t>> storeRecord(std::string_view line,
                                                            std::size_t fieldCount, int idBase) {
  const std::vector<std::string> fields = splitFields(line);
  if (fields.size() != fieldCount) return std::nullopt;
  std::vector<std::int32_t> values;
  for (std::size_t field = 0; field < fieldCount; ++field) {
    const auto value = storeNumber(fields[field], field == 0 ? idBase : 10);
    if (!value) return std::nullopt;
    values.push_back(*value);
  }
  return values;
}

// Shapes of stored components.
inline bool isRotorWithoutFixedPoint(const Table& wiring) {
  std::array<bool, 26> seen{};
  for (int i = 0; i < 26; ++i) {
    if (wiring[i] < 0 || wiring[i] > 25 || wiring[i] == i || seen[wiring[i]]) return false;
    seen[wiring[i]] = true;
  }
  return true;
}

inline bool isReflector(const Table& wiring) {
  for (int i = 0; i < 26; ++i) {
    if (wiring[i] < 0 || wiring[i] > 25 || wiring[i] == i || wiring[wiring[i]] != i) return false;
  }
  return true;
}

inline bool isPlugboardWithCables(const Table& wiring, int cables) {
  int swapped = 0;
  for (int i = 0; i < 26; ++i) {
    if (wiring[i] < 0 || wiring[i] > 25 || wiring[wiring[i]] != i) return false;
    if (wiring[i] != i) ++swapped;
  }
  return swapped == 2 * cables;
}

// The wiring of component `id` from the first well-formed line of a file that holds it, with
// `prefixFields` fields before the wiring; nullopt when no such line holds it.
inline std::optional<Table> storedTable(std::string_view fileText, int id, int prefixFields) {
  const auto fieldCount = static_cast<std::size_t>(26 + prefixFields);
  for (const std::string& line : splitLines(fileText)) {
    const auto record = storeRecord(line, fieldCount, 10);
    if (!record || (*record)[0] != id) continue;
    Table table{};
    for (std::size_t i = 0; i < 26; ++i) table[i] = (*record)[i + fieldCount - 26];
    return table;
  }
  return std::nullopt;
}

// "v0,v1,...,v25".
std::string joinTable(const Table& table);

// Known components: rotors i -> i+1, i -> 3i+5 (mod 26) and a scrambled rotor that follows no
// rule, the reflector i -> i+13, a plugboard without cables and one with the cables a-c and b-z.
// The scrambled rotor makes every known setting encipher a letter differently at different
// positions: a machine of shifts and multiples alone gives i -> i+13 at every position, so a test
// on it cannot see a wrong position.
Table shiftRotor();
Table tripleRotor();
Table scrambledRotor();
Table halfTurnReflector();
Table plainPlugboard();
Table twoCablePlugboard();
// What a component that was not found holds: -1, then 25 zeros.
Table unfilledTable();

// The known store: rotors 0, 1, 2 (shift, triple, scrambled), reflector 0 (half turn), plugboards
// 0 (plain) and 1 (two cables).
std::string knownRotorFile();
std::string knownReflectorFile();
std::string knownPlugboardFile();
// Settings 0 (PB 0, rotors 0 1 2, REF 0), 1A (PB 1, rotors 0 1 2, REF 0), 1B (PB 1, rotors 2 0 1,
// REF 0) and 1C, which names the missing rotor 9 as its rotor 2.
std::string knownRegistry();
// Writes the four files of the known store into the working directory.
void writeKnownStore();

// The example store of the documented session and of docs/machine.md, copied from its four files
// in docs/data/example-store: setting 0 made of rotors 0, 1 and 2, reflector 0 and plugboard 0, all
// drawn at random once.
void writeExampleStore();

// A setting as the registry holds it.
struct StoredSetting {
  std::int32_t R1 = -1;
  std::int32_t R2 = -1;
  std::int32_t R3 = -1;
  std::int32_t REF = -1;
  std::int32_t PB = -1;
  bool operator==(const StoredSetting&) const = default;
};

// What the check found in the store of the working directory.
struct StoreReport {
  std::vector<std::string> faults;  // empty when the store is sound
  std::size_t rotors = 0;
  std::size_t reflectors = 0;
  std::size_t plugboards = 0;
  std::map<std::int32_t, StoredSetting> settings;  // by setting ID
};

// Reads the four store files of `directory` (an absent file counts as empty) and checks
// that every line ends in a line end and is a store record (see storeRecord); that line i of every
// file has ID i; that every component has its shape; and that every setting names three different
// stored rotors, a stored reflector and a stored plugboard.
StoreReport checkStore(const std::string& directory = ".");

// The setting printed under "Your Settings" in a program's standard output, with its ID read as
// hexadecimal; nullopt when there is none.
struct PrintedSetting {
  std::int32_t id = -1;
  StoredSetting setting;
};
std::optional<PrintedSetting> printedSetting(const std::string& standardOutput);

// What is wrong after `run`: the faults of the store in `directory`, no setting printed, the
// printed setting stored otherwise than printed or, when `mustBeStored`, not stored at all, and an
// exit status other than 0 for a stored setting or 1 for one that is not. Empty when nothing is.
std::vector<std::string> faultsAfterRun(const ProgramRun& run, bool mustBeStored,
                                        const std::string& directory = ".");

// Makes the directories `from` and `to` (beside each other in the working directory) and in `from`
// a symbolic link "../to/NAME" for each store file NAME; the files need not exist.
void linkStoreFiles(const std::string& from, const std::string& to);

// A line for each store file in `from` that is no longer the link that `linkStoreFiles` made.
std::vector<std::string> lostStoreLinks(const std::string& from, const std::string& to);

}  // namespace vexilo::testing

#endif  // VEXILO_TESTS_SUPPORT_STORE_FIXTURE_H_
