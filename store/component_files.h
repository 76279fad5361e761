// The three component files of the store, one component a line: loading a component into a machine
// record by its component ID, and making a new one and appending it.
//
// Line formats (decimal fields, comma-separated, one line end):
//   rotor      ID, then the 26 entries of its initial wiring
//   reflector  ID, then its 26 wiring entries
//   plugboard  ID, cable count, then its 26 wiring entries
#ifndef VEXILO_STORE_COMPONENT_FILES_H_
#define VEXILO_STORE_COMPONENT_FILES_H_

#include <cstdint>
#include <iostream>
#include <string>

#include "core/plugboard.h"
#include "core/reflector.h"
#include "core/rotor.h"

namespace vexilo {

inline const std::string rotorFileName = "ExistingRotorSettings26.txt";
inline const std::string reflectorFileName = "ExistingReflectorSettings26.txt";
inline const std::string plugboardFileName = "ExistingPlugBoardSettings26.txt";

// Resets `rotor` to a newly made record, then with `generate` false loads the first readable line
// of the rotor file whose ID is `componentId` into both wirings. With `generate` true makes a new
// random rotor and appends its line under `componentId`, whole or not at all. Returns false, having
// written "unable to open file" to `out`, when the file cannot be opened, read or appended to; the
// record then stays reset (a load) or holds the new rotor that the file does not (a generation).
// An ID that is not found leaves the reset record, whose first entry -1 marks it as not loaded.
// Lines that cannot be read are passed over, and every failure of the file is named, on `err`.
bool setupRotor(Rotor& rotor, std::int32_t componentId, bool generate,
                std::ostream& out = std::cout, std::ostream& err = std::cerr);

// As `setupRotor`, for the reflector file.
bool setupReflector(Reflector& reflector, std::int32_t componentId, bool generate,
                    std::ostream& out = std::cout, std::ostream& err = std::cerr);

// As `setupRotor`, for the plugboard file; a new plugboard gets `cableCount` cables (held to 0 to
// 13). A load ignores `cableCount` and is exactly `loadPlugboard`.
bool setupPlugboard(Plugboard& plugboard, std::int32_t componentId, std::int32_t cableCount,
                    bool generate, std::ostream& out = std::cout, std::ostream& err = std::cerr);

// Loads the plugboard with `componentId`: its cable count and wiring. A plugboard that is not
// found, or whose file cannot be used, is left as a newly made record. Returns as `setupRotor`.
bool loadPlugboard(Plugboard& plugboard, std::int32_t componentId, std::ostream& out = std::cout,
                   std::ostream& err = std::cerr);

}  // namespace vexilo

#endif  // VEXILO_STORE_COMPONENT_FILES_H_
