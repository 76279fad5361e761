// For the tests that drive the built vexilo: a plain model of the machine that predicts what the
// program must print for the known store, and the run of a whole session.
#ifndef VEXILO_TESTS_E2E_E2E_SUPPORT_H_
#define VEXILO_TESTS_E2E_E2E_SUPPORT_H_

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/console_texts.h"
#include "tests/support/run_program.h"
#include "tests/support/store_fixture.h"

namespace vexilo::testing {

struct MachineParts {
  Table rotor1;
  Table rotor2;
  Table rotor3;
  Table reflector;
  Table plugboard;
};

// The parts of a machine of the given components as the store in the working directory holds
// them; nullopt when one of them is not stored.
std::optional<MachineParts> storedParts(int rotor1, int rotor2, int rotor3, int reflector,
                                        int plugboard);

// Parts of the known settings 1A, 1B and 1C.
MachineParts setting1A();
MachineParts setting1B();
MachineParts setting1C();

// The machine worked out on plain tables: rotor k stands (letters / 26^(k-1)) mod 26 places on
// from its start, and the signal goes plugboard, rotors 1 2 3, reflector, rotors 3 2 1 backwards,
// plugboard.
class MachineModel {
 public:
  explicit MachineModel(const MachineParts& parts) : parts_(parts) {}

  struct Path {
    std::array<int, 9> stages{};
    std::string failureLines;  // the lines written by reverse lookups that found no entry
  };
  // The signal path of letter index `letter` at the present position; the machine does not move.
  Path path(int letter) const;

  // What quick mode writes for a typed letter, then one step.
  std::string quickLetter(char typed);
  // What quick mode writes for `typed`, one letter after another, each after its prompt. (Two
  // calls in one expression may run in either order, which a machine that enciphers a letter
  // differently at each position tells apart.)
  std::string quickLetters(std::string_view typed);
  // What descriptive mode writes for a typed letter, then one step.
  std::string descriptiveLetter(char typed);
  // Enciphers `text` the way line and file mode do; failure lines are appended to `failureLines`.
  std::string encipherText(std::string_view text, std::string* failureLines = nullptr);
  // What line mode writes to standard output for `text`, without the line end: the characters as
  // they are enciphered, the failure lines of each letter just before its character.
  std::string lineModeText(std::string_view text);
  void reset() { letters_ = 0; }
  long letters() const { return letters_; }

  // The 28 lines of the wiring table at the start position.
  std::string wiringTable() const;

 private:
  int rotorEntry(int rotor, int index) const;
  int reverse(int rotor, int value, std::string& failureLines) const;
  int position(int rotor) const;

  MachineParts parts_;
  long letters_ = 0;
};

int indexOf(char letter);  // -1 for anything but a..z and A..Z

// Start of a session on setting `id` of the known store typed as "2 <id>": the set-up menu, the
// ID prompt, the settings and the wiring table.
std::string knownStart(const std::string& typedId, const MachineParts& parts, int rotor1,
                       int rotor2, int rotor3, int reflector, int plugboard);
std::string start1A();

// Runs vexilo with `input` and expects it to end by itself with status 0.
ProgramRun runSession(const std::string& input);

}  // namespace vexilo::testing

#endif  // VEXILO_TESTS_E2E_E2E_SUPPORT_H_
