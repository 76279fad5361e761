// For the tests that drive the built vexilo: a store of known components, a plain model of the
// machine that predicts what the program must print, and the program's console texts.
#ifndef VEXILO_TESTS_E2E_E2E_SUPPORT_H_
#define VEXILO_TESTS_E2E_E2E_SUPPORT_H_

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/run_program.h"

namespace vexilo::testing {

using Table = std::array<int, 26>;

inline const std::string rotorFile = "ExistingRotorSettings26.txt";
inline const std::string reflectorFile = "ExistingReflectorSettings26.txt";
inline const std::string plugboardFile = "ExistingPlugBoardSettings26.txt";
inline const std::string registryFile = "initalSettings26.txt";

// Console texts, exactly as the program writes them.
inline const std::string setupMenu =
    "     Use random encryption...........1\n"
    "     Use specific encryption.........2\n";
inline const std::string idPrompt = "     please enter your 5 digit setting ID or -1 to restart\n";
inline const std::string invalidData = "invalid data entered\n";
inline const std::string idNotFound = "ID not found: Please try agian\n";
inline const std::string unableToOpen = "unable to open file\n";
inline const std::string modeMenu =
    "     for quick encryption...............1\n"
    "     for descriptive encryption.........2\n"
    "     for line encryption................3\n"
    "     for file encryption................4\n";
inline const std::string letterPrompt = "  enter letter to encrypt, - to stop: ";
inline const std::string linePrompt =
    "enter line to encrypt (any characters not in alphabet will be ignored, spaces will be "
    "preserved): ";
inline const std::string stopQuestion = "Would you like to stop? (1 for yes, 2 for no)\n";
inline const std::string resetQuestion =
    "Would you like to reset the machine? (1 for yes, 2 for no)\n";
inline const std::string exitQuestion = "Would you like to exit Vexilo? (1 for yes, 2 for no)\n";
inline const std::string inputFilePrompt = "enter name of file you wish to encrypt\n";
inline const std::string outputFilePrompt = "name of file you want to output encryped file to\n";

// `text` right-aligned in `width` columns filled with `fill`; a longer text stays whole.
std::string padLeft(std::string_view text, std::size_t width, char fill);

// The four lines under "Your Settings" for setting `id` (shown as typed).
std::string settingsBlock(const std::string& id, int rotor1, int rotor2, int rotor3, int reflector,
                          int plugboard);

// Known components: rotors i -> i+1, i -> 3i+5, i -> 5i+7 (mod 26), the reflector i -> i+13,
// a plugboard without cables and one with the cables a-c and b-z.
Table shiftRotor();
Table tripleRotor();
Table quintupleRotor();
Table halfTurnReflector();
Table plainPlugboard();
Table twoCablePlugboard();
// What a component that was not found holds: -1, then 25 zeros.
Table unfilledTable();

// "v0,v1,...,v25".
std::string joinTable(const Table& table);

// The known store: rotors 0, 1, 2 (shift, triple, quintuple), reflector 0 (half turn), plugboards
// 0 (plain) and 1 (two cables).
std::string knownRotorFile();
std::string knownReflectorFile();
std::string knownPlugboardFile();
// Settings 0 (PB 0, rotors 0 1 2, REF 0), 1A (PB 1, rotors 0 1 2, REF 0), 1B (PB 1, rotors 2 0 1,
// REF 0) and 1C, which names the missing rotor 9 as its rotor 2.
std::string knownRegistry();
// Writes the four files of the known store into the working directory.
void writeKnownStore();

struct MachineParts {
  Table rotor1;
  Table rotor2;
  Table rotor3;
  Table reflector;
  Table plugboard;
};

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

char letterOf(int index);
int indexOf(char letter);  // -1 for anything but a..z and A..Z

// Start of a session on setting `id` of the known store typed as "2 <id>": the set-up menu, the
// ID prompt, the settings and the wiring table.
std::string knownStart(const std::string& typedId, const MachineParts& parts, int rotor1,
                       int rotor2, int rotor3, int reflector, int plugboard);
std::string start1A();

// Runs vexilo with `input` and expects it to end by itself with status 0.
ProgramRun runSession(const std::string& input);

// Lines of `text` without their line ends (a last line without one counts too).
std::vector<std::string> splitLines(const std::string& text);
// Fields of a store line, split at every comma.
std::vector<std::string> splitFields(const std::string& line);
// Parses a whole field as a number in `base`; nullopt unless the field is exactly a number.
std::optional<long> parseWhole(const std::string& field, int base);

// Shapes of stored components.
bool isRotorWithoutFixedPoint(const Table& wiring);
bool isReflector(const Table& wiring);
bool isPlugboardWithCables(const Table& wiring, int cables);

// Reads the stored component `id` of a file with `prefixFields` fields before the wiring;
// nullopt when no well-formed line holds it.
std::optional<Table> storedTable(const std::string& fileText, int id, int prefixFields);

}  // namespace vexilo::testing

#endif  // VEXILO_TESTS_E2E_E2E_SUPPORT_H_
