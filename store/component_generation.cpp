#include "store/component_generation.h"

#include <algorithm>
#include <array>
#include <random>

namespace vexilo {
namespace {

constexpr int redrawLimit = 50;

using LetterMarks = std::array<bool, alphabetSize>;

std::mt19937 seededGenerator() {
  std::random_device rd;
  return std::mt19937(rd());
}

// Draws until a letter is found that is not taken and is not `letter`, then wires the two letters
// to each other and marks both taken. There is no limit on the draws: a free partner always exists
// when the caller has left an even number of free letters.
void connectToRandomPartner(Wiring& wiring, LetterMarks& taken, std::int32_t letter,
                            std::mt19937& goodRandom,
                            std::uniform_int_distribution<std::int32_t>& distrib) {
  std::int32_t partner = distrib(goodRandom);
  while (taken[partner] || partner == letter) partner = distrib(goodRandom);
  wiring[letter] = partner;
  wiring[partner] = letter;
  taken[letter] = true;
  taken[partner] = true;
}

}  // namespace

void generateRotorWiring(Rotor& rotor) {
  for (;;) {
    std::mt19937 goodRandom = seededGenerator();
    std::uniform_int_distribution<std::int32_t> distrib(0, alphabetSize - 1);
    LetterMarks assigned{};
    for (std::int32_t position = 0; position < alphabetSize; ++position) {
      std::int32_t drawn = distrib(goodRandom);
      int redraws = 0;
      while ((drawn == position || assigned[drawn]) && redraws < redrawLimit) {
        ++redraws;
        drawn = distrib(goodRandom);
      }
      rotor.initialWiring[position] = drawn;
      rotor.currentWiring[position] = drawn;
      assigned[drawn] = true;
      // A pass that keeps meeting used letters starts over at position 0 rather than risk a
      // letter that is already taken.
      if (redraws == redrawLimit) {
        assigned = LetterMarks{};
        position = -1;
      }
    }
    bool hasFixedLetter = false;
    for (std::int32_t position = 0; position < alphabetSize; ++position) {
      hasFixedLetter = hasFixedLetter || rotor.initialWiring[position] == position;
    }
    if (!hasFixedLetter) return;
  }
}

void generateReflectorWiring(Reflector& reflector) {
  std::mt19937 goodRandom = seededGenerator();
  std::uniform_int_distribution<std::int32_t> distrib(0, alphabetSize - 1);
  LetterMarks taken{};
  for (std::int32_t letter = 0; letter < alphabetSize; ++letter) {
    if (!taken[letter])
      connectToRandomPartner(reflector.wiring, taken, letter, goodRandom, distrib);
  }
}

void generatePlugboardWiring(Plugboard& plugboard, std::int32_t cableCount) {
  std::mt19937 goodRandom = seededGenerator();
  std::uniform_int_distribution<std::int32_t> distrib(0, alphabetSize - 1);
  for (std::int32_t letter = 0; letter < alphabetSize; ++letter) plugboard.wiring[letter] = letter;
  // More than 13 cables could never be placed; the count is held to what fits.
  plugboard.cableCount = std::clamp(cableCount, 0, maximumCableCount);
  LetterMarks taken{};
  std::int32_t placed = 0;
  while (placed < plugboard.cableCount) {
    const std::int32_t first = distrib(goodRandom);
    if (taken[first]) continue;
    connectToRandomPartner(plugboard.wiring, taken, first, goodRandom, distrib);
    ++placed;
  }
}

}  // namespace vexilo
