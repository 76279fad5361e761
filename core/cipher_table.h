// The machine's whole substitution tabled for each of its 26 * 26 * 26 positions, so that running
// text is enciphered by one lookup per letter. The table gives exactly what `quickEncrypt` and
// `advanceMachine` give, letter after letter, for a machine whose components keep their
// invariants; any other machine is left to the letter-by-letter path.
#ifndef VEXILO_CORE_CIPHER_TABLE_H_
#define VEXILO_CORE_CIPHER_TABLE_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/letter.h"
#include "core/signal_path.h"

namespace vexilo {

// The wirings that fix the table: each rotor's wiring turned back to the position of both step
// counters at 0, then the reflector's and the plugboard's.
struct CipherTableKey {
  std::array<Wiring, 3> rotorWirings{};
  Wiring reflectorWiring{};
  Wiring plugboardWiring{};

  bool operator==(const CipherTableKey&) const = default;
};

// True when the table path gives exactly the letter-by-letter results for `machine`: every record
// has `size` 26 and entries 0 to 25, each rotor's `currentWiring` is a permutation, the reflector
// pairs every letter with a different one, the plugboard's wiring is its own inverse, and the
// counters stand as stepping from a reset leaves them (`rotor1Steps` in 0 to 17575 and
// `rotor2Steps` equal to `rotor1Steps` / 26). Fills `key` when it is true.
bool tableApplies(const Machine& machine, CipherTableKey& key);

// The enciphered letter ('a' to 'z') of each letter index at each machine position: entry
// position * 26 + index. Position p has rotor 1 turned p % 26 places from the key's wiring,
// rotor 2 p / 26 % 26 places and rotor 3 p / 676 places.
std::vector<std::uint8_t> buildCipherTable(const CipherTableKey& key);

// Enciphers `text` with the table, appending to `enciphered`, and moves `machine` on by its letters
// exactly as `advanceMachine` would. Returns false, changing nothing, when `tableApplies` is false.
// The table of the last machine seen is kept (per thread) for the next call.
bool encipherTextByTable(Machine& machine, std::string_view text, std::string& enciphered);

}  // namespace vexilo

#endif  // VEXILO_CORE_CIPHER_TABLE_H_
