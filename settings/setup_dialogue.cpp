#include "settings/setup_dialogue.h"

#include <iomanip>

#include "settings/random_settings.h"
#include "settings/registry.h"
#include "settings/typed_input.h"

namespace vexilo {
namespace {

constexpr const char* spacing = "   ";
const std::string indent(15, ' ');

void printMenu(std::ostream& out) {
  out << std::setfill(' ') << std::setw(5) << " "
      << "Use random encryption" << std::setfill('.') << std::setw(12) << "1" << '\n';
  out << std::setfill(' ') << std::setw(5) << " "
      << "Use specific encryption" << std::setfill('.') << std::setw(10) << "2" << '\n';
}

}  // namespace

SetupOutcome setupDialogue(std::string& ID, std::int32_t& R1, std::int32_t& R2, std::int32_t& R3,
                           std::int32_t& REF, std::int32_t& PB, std::istream& in, std::ostream& out,
                           std::ostream& err) {
  bool done = false;
  bool stored = true;
  while (!done) {
    printMenu(out);
    char selection = 0;
    if (!(in >> selection)) return SetupOutcome::inputEnded;
    if (selection == '1') {
      stored = createRandomSettings(ID, R1, R2, R3, REF, PB, out, err);
      if (R1 == settingNotFound) {
        out << "something went wrong, please try again\n";
      } else {
        done = true;
      }
    } else if (selection == '2') {
      out << "     please enter your 5 digit setting ID or -1 to restart\n";
      // An ID that the end of input cuts off was never finished: it is not looked up.
      if (!readTypedWord(in, ID) || in.eof()) return SetupOutcome::inputEnded;
      if (ID == "-1") continue;
      lookupSetting(ID, R1, R2, R3, REF, PB, out, err);
      if (R1 == settingNotFound) {
        out << "ID not found: Please try agian\n";
      } else {
        done = true;
      }
    } else {
      if (!skipRestOfLine(in)) return SetupOutcome::inputEnded;
      out << "invalid data entered\n";
    }
  }
  printSettings(ID, R1, R2, R3, REF, PB, out);
  return stored ? SetupOutcome::settingReady : SetupOutcome::settingUnstored;
}

void printSettings(const std::string& ID, std::int32_t R1, std::int32_t R2, std::int32_t R3,
                   std::int32_t REF, std::int32_t PB, std::ostream& out) {
  out << indent << "Your Settings\n";
  out << indent << "ID:  ";
  for (const char* heading : {"ROTOR1", "ROTOR2", "ROTOR3", "REFLECTOR", "PLUGBOARD"}) {
    out << spacing << heading;
  }
  out << spacing << '\n';
  out << indent << std::setfill('0') << std::setw(5) << ID << std::setfill(' ');
  out << spacing << std::setw(6) << R1 << spacing << std::setw(6) << R2 << spacing << std::setw(6)
      << R3 << spacing << std::setw(9) << REF << spacing << std::setw(9) << PB << '\n';
  out << '\n';
}

}  // namespace vexilo
