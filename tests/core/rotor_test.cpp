#include "core/rotor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <numeric>
#include <random>
#include <sstream>

#include "tests/support/console_texts.h"
#include "tests/support/store_fixture.h"
#include "tests/support/test_machines.h"

namespace vexilo {
namespace {

using testing::rotorOf;
using testing::shuffledWiring;

TEST(RotorTest, NewRotorHoldsMinusOneThenZerosAndSize26) {
  const Rotor rotor;
  const Wiring unfilled = testing::unfilledTable();
  EXPECT_EQ(rotor.id, -1);
  EXPECT_EQ(rotor.initialWiring, unfilled);
  EXPECT_EQ(rotor.currentWiring, unfilled);
  EXPECT_EQ(rotor.size, 26);
}

TEST(RotorTest, OneStepOfTheIdentityGives25Then0To24) {
  Wiring identity;
  std::iota(identity.begin(), identity.end(), 0);
  Rotor rotor = rotorOf(identity);
  rotateRotor(rotor);
  Wiring expected;
  std::iota(expected.begin() + 1, expected.end(), 0);
  expected[0] = 25;
  EXPECT_EQ(rotor.currentWiring, expected);
  EXPECT_EQ(rotor.initialWiring, identity);
}

TEST(RotorTest, AfterKStepsEntryIHoldsInitialEntryIMinusKAndResetRestoresTheStart) {
  const Rotor start = rotorOf(shuffledWiring(7));
  Rotor rotor = start;
  for (int k = 1; k <= 60; ++k) {
    rotateRotor(rotor);
    for (int i = 0; i < alphabetSize; ++i) {
      ASSERT_EQ(rotor.currentWiring[i], start.initialWiring[((i - k) % 26 + 26) % 26])
          << "k " << k << " i " << i;
    }
    ASSERT_EQ(rotor.initialWiring, start.initialWiring) << "k " << k;
    Rotor resetCopy = rotor;
    resetRotor(resetCopy);
    ASSERT_EQ(resetCopy.currentWiring, start.initialWiring) << "k " << k;
    ASSERT_EQ(resetCopy.initialWiring, start.initialWiring) << "k " << k;
  }
}

TEST(RotorTest, ReverseLookupUndoesForwardLookupInEveryPosition) {
  for (unsigned seed = 0; seed < 20; ++seed) {
    Rotor rotor = rotorOf(shuffledWiring(seed));
    std::ostringstream out;
    for (int position = 0; position < alphabetSize; ++position) {
      for (int i = 0; i < alphabetSize; ++i) {
        ASSERT_EQ(reverseLookup(rotor, forwardLookup(rotor, i), out), i)
            << "seed " << seed << " position " << position;
        ASSERT_EQ(forwardLookup(rotor, reverseLookup(rotor, i, out)), i);
      }
      rotateRotor(rotor);
    }
    EXPECT_EQ(out.str(), "");
  }
}

TEST(RotorTest, ReverseLookupGivesTheLowestMatchingIndex) {
  Rotor rotor = rotorOf(Wiring{});
  rotor.currentWiring[3] = 9;
  rotor.currentWiring[10] = 9;
  std::ostringstream out;
  EXPECT_EQ(reverseLookup(rotor, 9, out), 3);
  EXPECT_EQ(reverseLookup(rotor, 0, out), 0);
  EXPECT_EQ(out.str(), "");
}

TEST(RotorTest, ReverseLookupOfAValueNotInTheWiringWritesTheFailureLine) {
  const Rotor rotor = rotorOf(shuffledWiring(1));
  for (const std::int32_t value : {26, -1, 1000, INT32_MIN, INT32_MAX}) {
    std::ostringstream out;
    EXPECT_EQ(reverseLookup(rotor, value, out), -1) << value;
    EXPECT_EQ(out.str(), testing::reverseLookupFailure(value));
  }
}

TEST(RotorTest, LookupsOutsideTheTableReadNothingOutsideIt) {
  Rotor rotor = rotorOf(shuffledWiring(3));
  EXPECT_EQ(checkedLookup(rotor, 25), rotor.currentWiring[25]);
  EXPECT_EQ(forwardLookup(rotor, 25), rotor.currentWiring[25]);
  for (const std::int32_t index : {-1, 26, INT32_MIN, INT32_MAX}) {
    EXPECT_EQ(forwardLookup(rotor, index), -1) << index;
    EXPECT_EQ(checkedLookup(rotor, static_cast<std::uint32_t>(index)), INT32_MIN) << index;
  }
  rotor.size = 10;  // only the first ten entries are in use
  EXPECT_EQ(forwardLookup(rotor, 9), rotor.currentWiring[9]);
  EXPECT_EQ(forwardLookup(rotor, 10), -1);
  EXPECT_EQ(checkedLookup(rotor, 10), INT32_MIN);
  rotor.size = 40;  // larger than the table: still nothing past entry 25 is touched
  EXPECT_EQ(forwardLookup(rotor, 26), -1);
  EXPECT_EQ(checkedLookup(rotor, 26), INT32_MIN);
  std::ostringstream out;
  EXPECT_EQ(reverseLookup(rotor, 99, out), -1);
  rotateRotor(rotor);
  resetRotor(rotor);
  EXPECT_EQ(rotor.currentWiring, rotor.initialWiring);
}

}  // namespace
}  // namespace vexilo
