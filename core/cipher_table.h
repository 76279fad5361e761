// The machine's whole substitution tabled for each of its 26 * 26 * 26 positions, so that running
// text is enciphered by one lookup per letter. The table gives exactly what `quickEncrypt` and
// `advanceMachine` give, letter after letter, for a machine whose components keep their
// invariants; any other machine is left to the letter-by-letter path.
#ifndef VEXILO_CORE_CIPHER_TABLE_H_
#define VEXILO_CORE_CIPHER_TABLE_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/letter.h"
#include "core/signal_path.h"
#include "core/text_loops.h"

namespace vexilo {

// The wirings that fix the table: each rotor's wiring turned back to the position of both step
// counters at 0, then the reflector's and the plugboard's.
struct CipherTableKey {
  std::array<Wiring, 3> rotorWirings{};
  Wiring reflectorWiring{};
  Wiring plugboardWiring{};

  bool operator==(const CipherTableKey&) const = default;
};

// The table of the last machine enciphered through it, kept by whoever owns the machine so that it
// is built once while the components stay the same: about 0.7 ms and 500 KiB with its rows, a
// quarter of the time and 43 KiB without them.
struct CipherTableCache {
  CipherTableKey key;
  std::vector<std::uint8_t> table;
  bool hasRows = false;
};

// True when the table path gives exactly the letter-by-letter results for `machine`: every record
// has `size` 26 and entries 0 to 25, each rotor's `currentWiring` is a permutation, the reflector
// pairs every letter with a different one, the plugboard's wiring is its own inverse, and the
// counters stand as stepping from a reset leaves them (`rotor1Steps` in 0 to 17575 and
// `rotor2Steps` equal to `rotor1Steps` / 26). Fills `key` when it is true.
bool tableApplies(const Machine& machine, CipherTableKey& key);

// Where things stand in a table of `buildCipherTable`, in bytes from its start. First what the
// vector loops read, in maps of 64 bytes that each give 26 values: for each of the 676 positions
// of rotors 2 and 3, and once more for the first three after the last (for letters that step
// rotor 2 within one block), the map from the signal entering rotor 1 at its key's wiring to the
// signal leaving it backwards; then the plugboard's wiring, and the plugboard's wiring as letters
// 'a' to 'z'. A map holds at bytes 0 to 15 its values 0 to 15, at 16 to 25 its values 16 to 25
// each XORed with the value 16 places before it (so that two 16-byte shuffles and an XOR look up
// any index), and from byte `mapPlainValues` its 26 values as they are (for loops that look up 32
// or 64 bytes at once). Then, in a table built with its rows, for the loops that read them, a row
// of 26 enciphered letters ('a' to 'z') for each machine position p, at `rows` + p * 26: p has
// rotor 1 turned p % 26 places from the key's wiring, rotor 2 p / 26 % 26 places and rotor 3
// p / 676 places.
namespace table_layout {
inline constexpr std::size_t mapSize = 64;
inline constexpr std::size_t mapPlainValues = 32;
inline constexpr std::size_t innerMapCount = rotor2Period + 3;
inline constexpr std::size_t plugboardMap = innerMapCount * mapSize;
inline constexpr std::size_t plugboardLetterMap = plugboardMap + mapSize;
inline constexpr std::size_t rows = plugboardLetterMap + mapSize;
inline constexpr std::size_t rowSize = alphabetSize;
inline constexpr std::size_t rowsSize = std::size_t{machinePeriod} * rowSize;
inline constexpr std::size_t tableSize = rows + rowsSize;

// The map of rotors 2 and 3 at position `outer` (0 to 678) of theirs, seen from rotor 1.
inline const std::uint8_t* innerMap(const std::uint8_t* table, std::int32_t outer) {
  return table + static_cast<std::size_t>(outer) * mapSize;
}
inline std::uint8_t* innerMap(std::uint8_t* table, std::int32_t outer) {
  return table + static_cast<std::size_t>(outer) * mapSize;
}
}  // namespace table_layout

// The table of `key` as `table_layout` lays it out, up to `table_layout::rows` when `withRows` is
// false.
std::vector<std::uint8_t> buildCipherTable(const CipherTableKey& key, bool withRows = true);

// The table of `key` as far as `loop` reads it, built into `cache` unless it holds it already;
// valid until `cache` changes.
const std::uint8_t* cipherTableFor(CipherTableCache& cache, const CipherTableKey& key,
                                   TextLoop loop = chosenTextLoop());

// Turns `machine`'s rotors and sets its counters to position `position` of the machine whose key
// is `key`, as `advanceMachine` leaves them after that many letters from the key's start.
void moveMachineTo(Machine& machine, const CipherTableKey& key, std::int32_t position);

// Enciphers `text` with the table, appending to `enciphered`, and moves `machine` on by its letters
// exactly as `advanceMachine` would. Returns false, changing nothing, when `tableApplies` is false.
bool encipherTextByTable(Machine& machine, CipherTableCache& cache, std::string_view text,
                         std::string& enciphered);

}  // namespace vexilo

#endif  // VEXILO_CORE_CIPHER_TABLE_H_
