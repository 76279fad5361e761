#include "store/component_generation.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <set>

#include "tests/support/store_fixture.h"

namespace vexilo {
namespace {

constexpr int draws = 2000;

using testing::isPlugboardWithCables;
using testing::isReflector;
using testing::isRotorWithoutFixedPoint;

TEST(ComponentGenerationTest, RotorsArePermutationsWithoutFixedLettersInTheStartPosition) {
  std::array<std::set<std::int32_t>, alphabetSize> valuesAt;
  for (int draw = 0; draw < draws; ++draw) {
    Rotor rotor;
    generateRotorWiring(rotor);
    ASSERT_TRUE(isRotorWithoutFixedPoint(rotor.initialWiring)) << "draw " << draw;
    ASSERT_EQ(rotor.currentWiring, rotor.initialWiring);
    for (int i = 0; i < alphabetSize; ++i) valuesAt[i].insert(rotor.initialWiring[i]);
  }
  // Every other letter turns up at every position.
  for (int i = 0; i < alphabetSize; ++i) EXPECT_EQ(valuesAt[i].size(), 25U) << "position " << i;
}

TEST(ComponentGenerationTest, ReflectorsPairEveryLetterWithAnother) {
  std::set<std::int32_t> partnersOfA;
  for (int draw = 0; draw < draws; ++draw) {
    Reflector reflector;
    generateReflectorWiring(reflector);
    ASSERT_TRUE(isReflector(reflector.wiring)) << "draw " << draw;
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
      ASSERT_TRUE(isPlugboardWithCables(plugboard.wiring, cables)) << cables << " cables";
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
    EXPECT_EQ(plugboard.cableCount, placed) << requested;
    EXPECT_TRUE(isPlugboardWithCables(plugboard.wiring, placed)) << requested;
  }
}

}  // namespace
}  // namespace vexilo
