// Stores of random components, made by the tests with fixed seeds, and English messages
// enciphered on their settings: what the attacks of vexilo-break are tried on.
#ifndef VEXILO_TESTS_SUPPORT_RANDOM_STORE_H_
#define VEXILO_TESTS_SUPPORT_RANDOM_STORE_H_

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "core/signal_path.h"

namespace vexilo::testing {

// The sizes of a random store.
struct RandomStoreShape {
  int rotors = 0;
  int reflectors = 0;
  int plugboards = 0;
  int settings = 0;  // registry lines, setting IDs 0 up; none for a store without a registry
};

// Writes the four files of a store of `shape` into the working directory, every component drawn
// from `seed` (rotors any permutation, reflectors 13 pairs, plugboards 0 to 13 cables), every
// setting three different rotors and any reflector and plugboard.
void writeRandomStore(const RandomStoreShape& shape, unsigned seed);

// The machine of the component IDs `parts` (plugboard, rotor 1, rotor 2, rotor 3, reflector, as a
// registry line orders them) as `writeRandomStore` made them with `seed`, at its start position.
Machine randomStoreMachine(unsigned seed, const std::vector<int>& parts);

// The components of setting `settingId` of the store `writeRandomStore` made: plugboard, rotor 1,
// rotor 2, rotor 3 and reflector.
std::vector<int> randomStoreSetting(const RandomStoreShape& shape, unsigned seed, int settingId);

// An English message of `letters` letters (with its spaces and punctuation) taken from a fixed
// text of plain English at a place drawn from `random`: `heldOut` takes it from a second text that
// no test tunes on.
std::string englishMessage(std::mt19937& random, int letters, bool heldOut = false);

// `text` enciphered on `machine` from its start position, as vexilo's line and file modes do.
std::string encipherMessage(Machine machine, const std::string& text);

// `text` with its letters in lower case, as a machine's output has them.
std::string lowerCase(std::string text);

// The first word of `text`: what a script takes of vexilo-break's first line.
std::string firstWord(const std::string& text);

}  // namespace vexilo::testing

#endif  // VEXILO_TESTS_SUPPORT_RANDOM_STORE_H_
