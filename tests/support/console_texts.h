// The program's console texts (menus, prompts, messages), exactly as it writes them.
#ifndef VEXILO_TESTS_SUPPORT_CONSOLE_TEXTS_H_
#define VEXILO_TESTS_SUPPORT_CONSOLE_TEXTS_H_

#include <array>
#include <string>
#include <string_view>

namespace vexilo::testing {

inline const std::string setupMenu =
    "     Use random encryption...........1\n"
    "     Use specific encryption.........2\n";
inline const std::string idPrompt = "     please enter your 5 digit setting ID or -1 to restart\n";
inline const std::string invalidData = "invalid data entered\n";
inline const std::string idNotFound = "ID not found: Please try agian\n";
inline const std::string unableToOpen = "unable to open file\n";
inline const std::string somethingWentWrong = "something went wrong, please try again\n";
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

// The character the program shows for letter index `index`: a to z for 0 to 25, and the byte
// 97 + `index` for any other (` for -1).
inline char letterOf(int index) {
  return static_cast<char>((static_cast<unsigned>(index) + 97U) & 0xFFU);
}

// The line a reverse lookup writes when no entry of the rotor holds `value`.
inline std::string reverseLookupFailure(int value) {
  return "error in reverse encryption: sent index =  " + std::to_string(value) + "\n";
}

// What descriptive mode writes for letter index `letter` whose signal passes the nine `stages`:
// plugboard, rotors 1 2 3, reflector, rotors 3 2 1 reversed, plugboard.
inline std::string descriptiveTrace(int letter, const std::array<int, 9>& stages) {
  static const std::array<const char*, 9> labels = {
      " --Plugboard-> ",      " --Rotor1-> ",         " --Rotor2-> ",
      " --Rotor3-> ",         " --Reflector-> ",      " --Rotor3Reversed-> ",
      " --Rotor2Reversed-> ", " --Rotor1Reversed-> ", " --Plugboard-> "};
  std::string trace(1, letterOf(letter));
  trace.append(" ").append(std::to_string(letter));
  for (std::size_t stage = 0; stage < labels.size(); ++stage) {
    trace.append(labels[stage]).append(std::to_string(stages[stage]));
  }
  return trace + " == encrypted letter " + letterOf(stages[8]) + "\n\n";
}

inline const std::string settingsTitles =
    "               Your Settings\n"
    "               ID:     ROTOR1   ROTOR2   ROTOR3   REFLECTOR   PLUGBOARD   \n";

// `text` right-aligned in `width` columns filled with `fill`; a longer text stays whole.
inline std::string padLeft(std::string_view text, std::size_t width, char fill) {
  if (text.size() >= width) return std::string(text);
  return std::string(width - text.size(), fill) + std::string(text);
}

// The four lines under "Your Settings" for setting `id` (shown as typed).
inline std::string settingsBlock(const std::string& id, int rotor1, int rotor2, int rotor3,
                                 int reflector, int plugboard) {
  const std::string indent(15, ' ');
  const std::string spacing = "   ";
  return settingsTitles + indent + padLeft(id, 5, '0') + spacing +
         padLeft(std::to_string(rotor1), 6, ' ') + spacing +
         padLeft(std::to_string(rotor2), 6, ' ') + spacing +
         padLeft(std::to_string(rotor3), 6, ' ') + spacing +
         padLeft(std::to_string(reflector), 9, ' ') + spacing +
         padLeft(std::to_string(plugboard), 9, ' ') + "\n\n";
}

}  // namespace vexilo::testing

#endif  // VEXILO_TESTS_SUPPORT_CONSOLE_TEXTS_H_
