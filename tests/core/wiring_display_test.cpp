#include "core/wiring_display.h"

#include <gtest/gtest.h>

#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/console_texts.h"
#include "tests/support/store_fixture.h"
#include "tests/support/test_machines.h"

namespace vexilo {
namespace {

const std::string header =
    "      Plugboard         Rotor1         Rotor2         Rotor3      Reflector        Rotor3R"
    "        Rotor2R        Rotor1R      Plugboard";

// Rotor 1 sends a to h, rotor 2 a to b, rotor 3 a to z; the reflector swaps a-b, c-d, ...; the
// plugboard has one cable between a and c.
Machine handMadeComponents() {
  Machine c;
  c.rotor1 = testing::rotorOf(testing::shiftedWiring(7));
  c.rotor2 = testing::rotorOf(testing::shiftedWiring(1));
  c.rotor3 = testing::rotorOf(testing::shiftedWiring(25));
  for (int i = 0; i < alphabetSize; ++i) {
    c.reflector.wiring[i] = i ^ 1;
    c.plugboard.wiring[i] = i;
  }
  c.plugboard.wiring[0] = 2;
  c.plugboard.wiring[2] = 0;
  c.plugboard.cableCount = 1;
  return c;
}

std::string show(const Machine& c, std::ostringstream out = std::ostringstream()) {
  showWiring(c.rotor1, c.rotor2, c.rotor3, c.reflector, c.plugboard, out);
  return out.str();
}

int inverse(const Rotor& rotor, int value) {
  for (int i = 0; i < alphabetSize; ++i) {
    if (rotor.currentWiring[i] == value) return i;
  }
  return -1;
}

TEST(WiringDisplayTest, TableIs28LinesOf135CharactersWithEveryCellWhereItsComponentSendsTheRow) {
  Machine c = handMadeComponents();
  rotateRotor(c.rotor1);  // the table shows the current position, not the initial one
  const std::string text = show(c);
  ASSERT_EQ(text.back(), '\n');
  const std::vector<std::string> lines = testing::splitLines(text);
  ASSERT_EQ(lines.size(), 28U);
  EXPECT_EQ(lines[0], header);
  EXPECT_EQ(lines[27], "");
  for (int i = 0; i < alphabetSize; ++i) {
    const std::string& row = lines[1 + i];
    ASSERT_EQ(row.size(), 135U) << "row " << i;
    const int targets[] = {
        c.plugboard.wiring[i],     c.rotor1.currentWiring[i], c.rotor2.currentWiring[i],
        c.rotor3.currentWiring[i], c.reflector.wiring[i],     inverse(c.rotor3, i),
        inverse(c.rotor2, i),      inverse(c.rotor1, i),      c.plugboard.wiring[i]};
    for (int cell = 0; cell < 9; ++cell) {
      EXPECT_EQ(row.substr(15 * cell, 15), std::string(8, ' ') + static_cast<char>('a' + i) +
                                               " --> " + static_cast<char>('a' + targets[cell]))
          << "row " << i << " cell " << cell;
    }
  }
}

TEST(WiringDisplayTest, FirstRowOfTheHandMadeMachine) {
  const std::vector<std::string> lines = testing::splitLines(show(handMadeComponents()));
  ASSERT_EQ(lines.size(), 28U);
  EXPECT_EQ(lines[1],
            "        a --> c        a --> h        a --> b        a --> z        a --> b"
            "        a --> b        a --> z        a --> t        a --> c");
  // Rotor 1 sends a to h, so the row of h shows a in its reversed column.
  EXPECT_EQ(lines[1 + 7].substr(15 * 7, 15), "        h --> a");
}

TEST(WiringDisplayTest, SetsItsOwnFillCharacter) {
  std::ostringstream dotted;
  dotted << std::setfill('.');
  EXPECT_EQ(show(handMadeComponents(), std::move(dotted)), show(handMadeComponents()));
}

TEST(WiringDisplayTest, FailureLinesOfABrokenRotorStandBeforeItsRow) {
  Machine c = handMadeComponents();
  c.rotor2.currentWiring = Wiring{};  // only 0 can be found in reverse
  const std::vector<std::string> lines = testing::splitLines(show(c));
  ASSERT_EQ(lines.size(), 28U + 25U);
  EXPECT_EQ(lines[0], header);
  EXPECT_EQ(lines[1].substr(15 * 6, 15), "        a --> a");
  for (int i = 1; i < alphabetSize; ++i) {
    const std::string& failure = lines[2 * i];
    const std::string& row = lines[2 * i + 1];
    EXPECT_EQ(failure + "\n", testing::reverseLookupFailure(i));
    ASSERT_EQ(row.size(), 135U) << "row " << i;
    EXPECT_EQ(row.substr(15 * 2, 15), std::string(8, ' ') + static_cast<char>('a' + i) + " --> a");
    EXPECT_EQ(row.substr(15 * 6, 15), std::string(8, ' ') + static_cast<char>('a' + i) + " --> `");
  }
  EXPECT_EQ(lines.back(), "");
}

}  // namespace
}  // namespace vexilo
