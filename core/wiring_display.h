// The machine's wiring as a table: one column per stage of the signal path, one row per letter.
#ifndef VEXILO_CORE_WIRING_DISPLAY_H_
#define VEXILO_CORE_WIRING_DISPLAY_H_

#include <iostream>

#include "core/plugboard.h"
#include "core/reflector.h"
#include "core/rotor.h"

namespace vexilo {

// Writes the header, 26 rows of nine 15-character cells (each cell "x --> y", where the column's
// component sends x) and an empty line to `out`. A reverse column whose lookup fails writes the
// failure line before its row and shows the character just before a.
void showWiring(Rotor rotor1, Rotor rotor2, Rotor rotor3, Reflector reflector, Plugboard plugboard,
                std::ostream& out = std::cout);

}  // namespace vexilo

#endif  // VEXILO_CORE_WIRING_DISPLAY_H_
