#include "core/signal_path.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <sstream>
#include <string>

#include "tests/support/console_texts.h"
#include "tests/support/test_machines.h"

namespace vexilo {
namespace {

using testing::randomMachine;
using testing::rotorOf;

std::int32_t quick(const Machine& m, std::int32_t index, std::ostream& out) {
  return quickEncrypt(index, m.rotor1, m.rotor2, m.rotor3, m.reflector, m.plugboard, out);
}

std::string expectedTrace(std::int32_t index, const Machine& m) {
  std::ostringstream ignored;
  return testing::descriptiveTrace(
      index, signalStages(index, m.rotor1, m.rotor2, m.rotor3, m.reflector, m.plugboard, ignored));
}

TEST(SignalPathTest, TraceOfAHandMadeMachine) {
  Machine machine = randomMachine(0, 0);
  Wiring identity;
  std::iota(identity.begin(), identity.end(), 0);
  machine.rotor1 = machine.rotor2 = machine.rotor3 = rotorOf(identity);
  for (int i = 0; i < alphabetSize; ++i) machine.reflector.wiring[i] = i ^ 1;
  machine.plugboard.wiring = identity;
  std::swap(machine.plugboard.wiring[0], machine.plugboard.wiring[2]);
  std::ostringstream out;
  EXPECT_EQ(descriptiveEncrypt(0, machine.rotor1, machine.rotor2, machine.rotor3, machine.reflector,
                               machine.plugboard, out),
            3);
  EXPECT_EQ(out.str(),
            "a 0 --Plugboard-> 2 --Rotor1-> 2 --Rotor2-> 2 --Rotor3-> 2 --Reflector-> 3 "
            "--Rotor3Reversed-> 3 --Rotor2Reversed-> 3 --Rotor1Reversed-> 3 --Plugboard-> 3 "
            "== encrypted letter d\n\n");
}

TEST(SignalPathTest, QuickAndDescriptiveAgreeAndTheTraceListsTheNineStages) {
  for (unsigned seed = 0; seed < 4; ++seed) {
    Machine machine = randomMachine(seed, static_cast<int>(seed * 4));
    for (int position = 0; position < 60; ++position) {
      for (int i = 0; i < alphabetSize; ++i) {
        std::ostringstream quickOut;
        std::ostringstream traceOut;
        const std::int32_t result = quick(machine, i, quickOut);
        ASSERT_EQ(descriptiveEncrypt(i, machine.rotor1, machine.rotor2, machine.rotor3,
                                     machine.reflector, machine.plugboard, traceOut),
                  result);
        ASSERT_EQ(quickOut.str(), "");
        ASSERT_EQ(traceOut.str(), expectedTrace(i, machine)) << "seed " << seed;
      }
      advanceMachine(machine);
    }
  }
}

TEST(SignalPathTest, EveryPositionIsItsOwnInverseWithoutFixedLetters) {
  for (unsigned seed = 0; seed < 4; ++seed) {
    Machine machine = randomMachine(seed + 100, std::array{0, 1, 7, 13}[seed]);
    std::ostringstream out;
    for (int position = 0; position < 1400; ++position) {
      for (int i = 0; i < alphabetSize; ++i) {
        const std::int32_t enciphered = quick(machine, i, out);
        ASSERT_GE(enciphered, 0);
        ASSERT_LT(enciphered, 26);
        ASSERT_NE(enciphered, i) << "seed " << seed << " position " << position;
        ASSERT_EQ(quick(machine, enciphered, out), i)
            << "seed " << seed << " position " << position;
      }
      advanceMachine(machine);
    }
    EXPECT_EQ(out.str(), "");
  }
}

TEST(SignalPathTest, EncipheringTheCiphertextAfterAResetGivesThePlaintext) {
  Machine machine = randomMachine(42, 10);
  const Machine start = machine;
  std::mt19937 generator(5);
  std::vector<std::int32_t> plain(20000);  // more than one whole period of 17576 letters
  for (auto& letter : plain) letter = static_cast<std::int32_t>(generator() % 26);
  std::vector<std::int32_t> cipher;
  std::ostringstream out;
  for (const std::int32_t letter : plain) {
    const Machine before = machine;
    cipher.push_back(encipherAndStep(machine, letter, out));
    // The letter is enciphered in the position before the step.
    ASSERT_EQ(cipher.back(), quick(before, letter, out));
  }
  resetMachine(machine);
  EXPECT_EQ(machine.rotor1Steps, 0);
  EXPECT_EQ(machine.rotor2Steps, 0);
  EXPECT_EQ(machine.rotor1.currentWiring, start.rotor1.initialWiring);
  EXPECT_EQ(machine.rotor2.currentWiring, start.rotor2.initialWiring);
  EXPECT_EQ(machine.rotor3.currentWiring, start.rotor3.initialWiring);
  EXPECT_EQ(machine.reflector.wiring, start.reflector.wiring);
  EXPECT_EQ(machine.plugboard.wiring, start.plugboard.wiring);
  for (std::size_t n = 0; n < cipher.size(); ++n) {
    ASSERT_EQ(encipherAndStep(machine, cipher[n], out), plain[n]) << "letter " << n;
  }
  EXPECT_EQ(out.str(), "");
}

TEST(SignalPathTest, RotorsStepAfterEveryLetterEvery26thAndEvery676th) {
  Machine machine = randomMachine(9, 3);
  const Machine start = machine;
  // A rotor that has stepped k times holds initial entry (26 - k) mod 26 at index 0.
  const auto steps = [](const Rotor& rotor) {
    return static_cast<int>(
        std::find(rotor.initialWiring.begin(), rotor.initialWiring.end(), rotor.currentWiring[0]) -
        rotor.initialWiring.begin());
  };
  for (int n = 1; n <= 2 * 17576 + 30; ++n) {
    advanceMachine(machine);
    ASSERT_EQ(steps(machine.rotor1), (26 - n % 26) % 26) << "letter " << n;
    ASSERT_EQ(steps(machine.rotor2), (26 - n / 26 % 26) % 26) << "letter " << n;
    ASSERT_EQ(steps(machine.rotor3), (26 - n / 676 % 26) % 26) << "letter " << n;
    ASSERT_EQ(machine.rotor1Steps, n % 17576) << "letter " << n;
    ASSERT_EQ(machine.rotor2Steps, n / 26 % 676) << "letter " << n;
    if (n % 17576 == 0) {
      ASSERT_EQ(machine.rotor1.currentWiring, start.rotor1.currentWiring);
      ASSERT_EQ(machine.rotor2.currentWiring, start.rotor2.currentWiring);
      ASSERT_EQ(machine.rotor3.currentWiring, start.rotor3.currentWiring);
    }
  }
  EXPECT_EQ(machine.reflector.wiring, start.reflector.wiring);
  EXPECT_EQ(machine.plugboard.wiring, start.plugboard.wiring);
}

TEST(SignalPathTest, BrokenComponentsWriteFailureLinesBeforeTheTraceAndYieldMinusOne) {
  const auto fail = testing::reverseLookupFailure;
  struct Case {
    const char* name;
    void (*breakMachine)(Machine&);
    std::string failureLines;
    std::string trace;
  };
  Wiring identity;
  std::iota(identity.begin(), identity.end(), 0);
  const Case cases[] = {
      {"rotor 1 all zeros", [](Machine& m) { m.rotor1.currentWiring = Wiring{}; }, fail(1),
       "d 3 --Plugboard-> 3 --Rotor1-> 0 --Rotor2-> 0 --Rotor3-> 0 --Reflector-> 1 "
       "--Rotor3Reversed-> 1 --Rotor2Reversed-> 1 --Rotor1Reversed-> -1 --Plugboard-> -1 "
       "== encrypted letter `\n\n"},
      {"rotor 3 all zeros", [](Machine& m) { m.rotor3.currentWiring = Wiring{}; },
       fail(1) + fail(-1) + fail(-1),
       "d 3 --Plugboard-> 3 --Rotor1-> 3 --Rotor2-> 3 --Rotor3-> 0 --Reflector-> 1 "
       "--Rotor3Reversed-> -1 --Rotor2Reversed-> -1 --Rotor1Reversed-> -1 --Plugboard-> -1 "
       "== encrypted letter `\n\n"},
      {"plugboard entry outside the alphabet", [](Machine& m) { m.plugboard.wiring[3] = 30; },
       fail(-1) + fail(-1) + fail(-1),
       "d 3 --Plugboard-> 30 --Rotor1-> -1 --Rotor2-> -1 --Rotor3-> -1 --Reflector-> -1 "
       "--Rotor3Reversed-> -1 --Rotor2Reversed-> -1 --Rotor1Reversed-> -1 --Plugboard-> -1 "
       "== encrypted letter `\n\n"},
  };
  for (const Case& c : cases) {
    Machine machine;
    machine.rotor1 = machine.rotor2 = machine.rotor3 = rotorOf(identity);
    for (int i = 0; i < alphabetSize; ++i) machine.reflector.wiring[i] = i ^ 1;
    machine.plugboard.wiring = identity;
    c.breakMachine(machine);
    std::ostringstream quickOut;
    std::ostringstream traceOut;
    EXPECT_EQ(quick(machine, 3, quickOut), -1) << c.name;
    EXPECT_EQ(descriptiveEncrypt(3, machine.rotor1, machine.rotor2, machine.rotor3,
                                 machine.reflector, machine.plugboard, traceOut),
              -1)
        << c.name;
    EXPECT_EQ(quickOut.str(), c.failureLines) << c.name;
    EXPECT_EQ(traceOut.str(), c.failureLines + c.trace) << c.name;
  }
}

}  // namespace
}  // namespace vexilo
