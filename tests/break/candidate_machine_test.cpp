#include "break/candidate_machine.h"

#include <gtest/gtest.h>

#include <random>

#include "tests/support/test_machines.h"

namespace vexilo {
namespace {

using testing::randomMachine;

// Every letter at every position of the first 700 (rotor 3 turns at 676), for many machines: the
// search's fast path gives what `quickEncrypt` and `advanceMachine` give.
TEST(CandidateMachineTest, GivesWhatTheSignalPathGivesAtEveryPosition) {
  std::mt19937 random(28);
  for (int draw = 0; draw < 40; ++draw) {
    Machine machine = randomMachine(random, draw % 14);
    const ByteWiring plugboard = byteWiring(machine.plugboard.wiring);
    const RotorTables rotor1 = rotorTables(byteWiring(machine.rotor1.initialWiring));
    const RotorTables rotor2 = rotorTables(byteWiring(machine.rotor2.initialWiring));
    const RotorTables rotor3 = rotorTables(byteWiring(machine.rotor3.initialWiring));
    const ByteWiring reflector = byteWiring(machine.reflector.wiring);
    const CandidateMachine candidate{&plugboard, &rotor1, &rotor2, &rotor3, &reflector};
    MiddleMap middle{};
    for (std::int64_t position = 0; position < 700; ++position) {
      const RotorSteps steps = rotorStepsAt(position);
      if (position % alphabetSize == 0) middle = middleMap(candidate, steps.rotor2, steps.rotor3);
      for (std::int32_t letter = 0; letter < alphabetSize; ++letter) {
        const std::int32_t expected =
            quickEncrypt(letter, machine.rotor1, machine.rotor2, machine.rotor3, machine.reflector,
                         machine.plugboard);
        const auto index = static_cast<std::uint8_t>(letter);
        ASSERT_EQ(encipherLetter(candidate, index, steps), expected)
            << "draw " << draw << ", position " << position << ", letter " << letter;
        ASSERT_EQ(encipherLetterThrough(candidate, middle, index, steps.rotor1), expected)
            << "draw " << draw << ", position " << position << ", letter " << letter;
      }
      advanceMachine(machine);
    }
  }
}

TEST(CandidateMachineTest, TellsComponentsThatCannotServe) {
  Wiring rotor{};
  for (int i = 0; i < alphabetSize; ++i) rotor[i] = (i + 1) % alphabetSize;
  EXPECT_TRUE(isRotorWiring(rotor));
  EXPECT_FALSE(isReflectorWiring(rotor));
  rotor[0] = rotor[1];
  EXPECT_FALSE(isRotorWiring(rotor));
  Wiring plain{};
  for (int i = 0; i < alphabetSize; ++i) plain[i] = i;
  EXPECT_TRUE(isPlugboardWiring(plain));
  EXPECT_FALSE(isReflectorWiring(plain));
  plain[3] = 26;
  EXPECT_FALSE(isPlugboardWiring(plain));
}

}  // namespace
}  // namespace vexilo
