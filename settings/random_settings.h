// A random machine setting: one of the stored settings, or a new one composed of stored and new
// components, which is then added to the store.
#ifndef VEXILO_SETTINGS_RANDOM_SETTINGS_H_
#define VEXILO_SETTINGS_RANDOM_SETTINGS_H_

#include <cstdint>
#include <iostream>
#include <string>

namespace vexilo {

// Draws a setting ID from 0 to the next free one (only stored ones once that is FFFFF) and writes
// it to `ID` in upper-case hexadecimal. A stored ID is looked up (all five IDs -1 when it is not
// found). The next free ID makes a new setting: each component is a stored one or, drawn with
// chance 1 in (next free ID + 1), a new one that is generated and appended to its file; the three
// rotors differ; then the setting's line is appended to the registry, but only when every new
// component is in its file (otherwise a note on `err` says which setting was not stored and why).
// Either way `ID` and the five IDs hold the new setting. A new line never takes an ID that its file
// holds already (see `unheldId`). Failure lines of the files go to `out`, notes naming the file
// and reason to `err`. Returns false when a new setting could not be stored, true otherwise.
bool createRandomSettings(std::string& ID, std::int32_t& R1, std::int32_t& R2, std::int32_t& R3,
                          std::int32_t& REF, std::int32_t& PB, std::ostream& out = std::cout,
                          std::ostream& err = std::cerr);

}  // namespace vexilo

#endif  // VEXILO_SETTINGS_RANDOM_SETTINGS_H_
