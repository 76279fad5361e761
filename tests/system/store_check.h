// Checks of a whole store as the program writes it, for the tests that run many programs at once
// or kill them: every line whole and in its format, IDs consecutive from 0, shapes valid.
#ifndef VEXILO_TESTS_SYSTEM_STORE_CHECK_H_
#define VEXILO_TESTS_SYSTEM_STORE_CHECK_H_

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vexilo::testing {

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

// Reads the four store files of the working directory (an absent file counts as empty) and checks
// that every line ends in a line end and holds exactly its fields in their shortest decimal (or,
// for a setting ID, upper-case hexadecimal) form; that line i of every file has ID i; that rotors
// are fixed-point-free permutations, reflectors 13 pairs and plugboards their cable count of swaps;
// and that every setting names three different stored rotors, a stored reflector and a stored
// plugboard.
StoreReport checkStore();

// The setting printed under "Your Settings" in a program's standard output, with its ID read as
// hexadecimal; nullopt when there is none.
struct PrintedSetting {
  std::int32_t id = -1;
  StoredSetting setting;
};
std::optional<PrintedSetting> printedSetting(const std::string& standardOutput);

// Every line of `text` that ends in a line end, plus a last one without.
std::vector<std::string> splitLines(const std::string& text);

}  // namespace vexilo::testing

#endif  // VEXILO_TESTS_SYSTEM_STORE_CHECK_H_
