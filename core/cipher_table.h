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
// is built once while the components stay the same (about 3 ms, 457 KiB).
struct CipherTableCache {
  CipherTableKey key;
  std::vector<std::uint8_t> table;
};

// True when the table path gives exactly the letter-by-letter results for `machine`: every record
// has `size` 26 and entries 0 to 25, each rotor's `currentWiring` is a permutation, the reflector
// pairs every letter with a different one, the plugboard's wiring is its own inverse, and the
// counters stand as stepping from a reset leaves them (`rotor1Steps` in 0 to 17575 and
// `rotor2Steps` equal to `rotor1Steps` / 26). Fills `key` when it is true.
bool tableApplies(const Machine& machine, CipherTableKey& key);

// The enciphered letter ('a' to 'z') of each letter index at each machine position: entry
// position * 26 + index; after them, what the 32-byte loop of `encipherFromPosition` uses. Position
// p has rotor 1 turned p % 26 places from the key's wiring, rotor 2 p / 26 % 26 places and rotor 3
// p / 676 places.
std::vector<std::uint8_t> buildCipherTable(const CipherTableKey& key);

// The table of `key`, built into `cache` unless it holds it already; valid until `cache` changes.
const std::uint8_t* cipherTableFor(CipherTableCache& cache, const CipherTableKey& key);

// The number of letters a to z and A to Z in `text`: how far the machine moves while it is
// enciphered. Uses the processor's vector instructions where the build allows them.
std::size_t countLetters(std::string_view text);

// As `countLetters`, one byte at a time on every processor.
std::size_t countLettersOneByOne(std::string_view text);

// Writes `text` enciphered through `table` (of `buildCipherTable`) from machine position `position`
// (0 to 17575) to `out`, which has room for `text.size()` bytes and may be `text` itself; returns
// the position after the last letter. Parts of a text counted with `countLetters` can thus be
// enciphered apart, each from its own start.
// Takes the widest loop of `TextLoop` that the processor has.
std::int32_t encipherFromPosition(const std::uint8_t* table, std::int32_t position,
                                  std::string_view text, char* out);

// The loops of `encipherFromPosition`: one byte at a time on every processor; 32 bytes at a time
// with AVX2's byte shuffles; 64 at a time with AVX-512's byte permutations (VBMI and VBMI2). The
// vector loops leave the last bytes of a text that do not fill a block to the first.
enum class TextLoop { oneByOne, avx2, avx512 };

// True when the processor can run `loop`.
bool textLoopAvailable(TextLoop loop);

// As `encipherFromPosition`, with `loop`, which must be available.
std::int32_t encipherFromPositionWith(TextLoop loop, const std::uint8_t* table,
                                      std::int32_t position, std::string_view text, char* out);

// Turns `machine`'s rotors and sets its counters to position `position` of the machine whose key
// is `key`, as `advanceMachine` leaves them after that many letters from the key's start.
void moveMachineTo(Machine& machine, const CipherTableKey& key, std::int32_t position);

// Enciphers `text` with the table, appending to `enciphered`, and moves `machine` on by its letters
// exactly as `advanceMachine` would. Returns false, changing nothing, when `tableApplies` is false.
bool encipherTextByTable(Machine& machine, CipherTableCache& cache, std::string_view text,
                         std::string& enciphered);

}  // namespace vexilo

#endif  // VEXILO_CORE_CIPHER_TABLE_H_
