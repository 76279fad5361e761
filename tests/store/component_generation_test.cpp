#include "store/component_generation.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <set>

namespace vexilo {
namespace {

constexpr int draws = 2000;

bool isPermutation(const Wiring& wiring) {
  std::array<bool, alphabetSize> seen{};
  for (const std::int32_t entry : wiring) {
    if (entry < 0 || entry >= alphabetSize || seen[entry]) return false;
    seen[entry] = true;
  }
  return true;
}

// Entry (entry i) is i for every letter, and the number of letters wired to themselves.
bool swapsPairs(const Wiring& wiring, int& fixedLetters) {
  fixedLetters = 0;
  for (int i = 0; i < alphabetSize; ++i) {
    if (wiring[i] < 0 || wiring[i] >= alphabetSize || wiring[wiring[i]] != i) return false;
    fixedLetters += wiring[i] == i ? 1 : 0;
  }
  return true;
}

TEST(ComponentGenerationTest, RotorsArePermutationsWithoutFixedLettersInTheStartPosition) {
  std::array<std::set<std::int32_t>, alphabetSize> valuesAt;
  for (int draw = 0; draw < draws; ++draw) {
    Rotor rotor;
    generateRotorWiring(rotor);
    ASSERT_TRUE(isPermutation(rotor.initialWiring)) << "draw " << draw;
    ASSERT_EQ(rotor.currentWiring, rotor.initialWiring);
    for (int i = 0; i < alphabetSize; ++i) {
      ASSERT_NE(rotor.initialWiring[i], i) << "draw " << draw;
      valuesAt[i].insert(rotor.initialWiring[i]);
    }
  }
  // Every other letter turns up at every position.
  for (int i = 0; i < alphabetSize; ++i) EXPECT_EQ(valuesAt[i].size(), 25U) << "position " << i;
}

TEST(ComponentGenerationTest, ReflectorsPairEveryLetterWithAnother) {
  std::set<std::int32_t> partnersOfA;
  for (int draw = 0; draw < draws; ++draw) {
    Reflector reflector;
    generateReflectorWiring(reflector);
    int fixedLetters = -1;
    ASSERT_TRUE(swapsPairs(reflector.wiring, fixedLetters)) << "draw " << draw;
    ASSERT_EQ(fixedLetters, 0) << "draw " << draw;
    partnersOfA.insert(reflector.wiring[0]);
  }
  EXPECT_EQ(partnersOfA.size(), 25U);
}

TEST(ComponentGenerationTest, PlugboardsSwapExactlyTheirCablesLetters) {
  std::array<int, alphabetSize> timesCabled{};
  for (int cables = 0; cables <= 13; ++cables) {
    for (int draw = 0; draw < 150; ++draw) {
      Plugboard plugboard;
      generatePlugboardWiring(plugboard, cables);
      int fixedLetters = -1;
      ASSERT_TRUE(swapsPairs(plugboard.wiring, fixedLetters)) << cables << " cables";
      ASSERT_EQ(fixedLetters, 26 - 2 * cables) << cables << " cables";
      ASSERT_EQ(plugboard.cableCount, cables);
      if (cables < 13) {
        for (int i = 0; i < alphabetSize; ++i) timesCabled[i] += plugboard.wiring[i] != i;
      }
    }
  }
  for (int i = 0; i < alphabetSize; ++i) EXPECT_GT(timesCabled[i], 0) << "letter " << i;
}

TEST(ComponentGenerationTest, CableCountsOutsideZeroTo13AreClamped) {
  const std::pair<std::int32_t, std::int32_t> cases[] = {
      {-1, 0}, {INT32_MIN, 0}, {14, 13}, {1000, 13}, {INT32_MAX, 13}};
  for (const auto& [requested, placed] : cases) {
    Plugboard plugboard;
    generatePlugboardWiring(plugboard, requested);
    int fixedLetters = -1;
    EXPECT_TRUE(swapsPairs(plugboard.wiring, fixedLetters)) << requested;
    EXPECT_EQ(plugboard.cableCount, placed) << requested;
    EXPECT_EQ(fixedLetters, 26 - 2 * placed) << requested;
  }
}

}  // namespace
}  // namespace vexilo
