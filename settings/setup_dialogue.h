// The dialogue at start-up that obtains the machine setting: a random one or a stored one by its
// setting ID.
#ifndef VEXILO_SETTINGS_SETUP_DIALOGUE_H_
#define VEXILO_SETTINGS_SETUP_DIALOGUE_H_

#include <cstdint>
#include <iostream>
#include <string>

namespace vexilo {

// How the set-up dialogue ended.
enum class SetupOutcome {
  settingReady,     // a stored setting, or a new one now in the store
  settingUnstored,  // a new setting that the store could not take: the run can use it, once
  inputEnded,       // no setting: the input ended first
};

// Asks for a random (1) or specific (2) setting until one is found or made, fills `ID` (as typed,
// or as the registry writes it) and the five component IDs, and prints them under
// "Your Settings". An ID longer than `typedWordLimit` bytes is taken as its first ones. Returns
// `inputEnded`, having printed nothing more, when `in` ends before a setting is obtained (an ID
// that the end of input cuts off is not looked up).
SetupOutcome setupDialogue(std::string& ID, std::int32_t& R1, std::int32_t& R2, std::int32_t& R3,
                           std::int32_t& REF, std::int32_t& PB, std::istream& in = std::cin,
                           std::ostream& out = std::cout, std::ostream& err = std::cerr);

// The four lines of the settings print-out: heading, column titles, values and an empty line.
void printSettings(const std::string& ID, std::int32_t R1, std::int32_t R2, std::int32_t R3,
                   std::int32_t REF, std::int32_t PB, std::ostream& out = std::cout);

}  // namespace vexilo

#endif  // VEXILO_SETTINGS_SETUP_DIALOGUE_H_
