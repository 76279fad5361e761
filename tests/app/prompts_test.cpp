#include "app/prompts.h"

#include <gtest/gtest.h>

#include <climits>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/console_texts.h"
#include "tests/support/streams.h"

namespace vexilo {
namespace {

using testing::letterPrompt;
using testing::linePrompt;
using testing::modeMenu;

std::string repeated(const std::string& text, int times) {
  std::string all;
  for (int n = 0; n < times; ++n) all += text;
  return all;
}

using testing::restOf;

TEST(PromptsTest, ModeMenuLinesAre41CharactersEndingInTheirNumber) {
  std::istringstream in("");
  std::ostringstream out;
  chooseMode(in, out);
  std::istringstream lines(out.str());
  int number = 0;
  for (std::string line; std::getline(lines, line);) {
    EXPECT_EQ(line.size(), 41U) << line;
    EXPECT_EQ(line.back(), '0' + ++number) << line;
  }
  EXPECT_EQ(number, 4);
}

TEST(PromptsTest, ChooseModeShowsTheMenuUntilOneToFourOrANegativeNumber) {
  struct Case {
    const char* input;
    std::optional<std::int32_t> mode;
    int menus;
    const char* restOfInput;
  };
  const Case cases[] = {
      {"3\n", 3, 1, "\n"},
      {"  \n\n 4\n", 4, 1, "\n"},
      {"+2\n", 2, 1, "\n"},
      {"+0\n1\n", 1, 2, "\n"},
      {"2147483648\n3\n", 3, 2, "\n"},
      {"0\n9\n2\n", 2, 3, "\n"},
      {"-3\n", -3, 1, "\n"},
      {"-2147483648\n", INT32_MIN, 1, "\n"},
      {"2147483647\n1\n", 1, 2, "\n"},
      {"4x\n", 4, 1, "x\n"},
      {"1.5\n", 1, 1, ".5\n"},
      {"xyz 1\n4\n", 4, 2, "\n"},
      {"99999999999\n1\n", 1, 2, "\n"},
      {"-99999999999\n1\n", 1, 2, "\n"},
      {"- 2\n3\n", 3, 2, "\n"},
      {"", std::nullopt, 1, ""},
      {"xyz\n", std::nullopt, 2, ""},
      {"9\n", std::nullopt, 2, ""},
  };
  for (const Case& c : cases) {
    std::istringstream in(c.input);
    std::ostringstream out;
    EXPECT_EQ(chooseMode(in, out), c.mode) << c.input;
    EXPECT_EQ(out.str(), repeated(modeMenu, c.menus)) << c.input;
    EXPECT_EQ(restOf(in), c.restOfInput) << c.input;
  }
}

TEST(PromptsTest, ReadLetterTakesOneLetterOrTheStopSignAndDropsEverythingElse) {
  struct Case {
    const char* input;
    std::vector<std::optional<std::int32_t>> letters;  // one call each
    int prompts;
  };
  const Case cases[] = {
      {"a\n", {0}, 1},
      {"Z\n", {25}, 1},
      {"7A\n", {0}, 2},
      {"-\n", {stopLetter}, 1},
      {"ab-\n", {0, 1, stopLetter}, 3},
      {" \t\n\n m\n", {12}, 1},
      {"\xE9\xC9z\n", {25}, 3},
      {"", {std::nullopt}, 1},
      {"12\n", {std::nullopt}, 3},
  };
  for (const Case& c : cases) {
    std::istringstream in(c.input);
    std::ostringstream out;
    for (const auto& letter : c.letters) EXPECT_EQ(readLetter(in, out), letter) << c.input;
    EXPECT_EQ(out.str(), repeated(letterPrompt, c.prompts)) << c.input;
  }
}

TEST(PromptsTest, ALineIsReadAfterTheRestOfTheLineBeforeItInPiecesOfAtMostTheLimit) {
  // A typed line was once held whole, however long.
  const std::string full(lineHoldLimit, 'a');
  struct Case {
    std::string input;
    bool prompted;
    std::vector<std::string> pieces;  // read before the line ended
    LinePiece last;
    const char* restOfInput;
  };
  const Case cases[] = {
      {"\nHello, World!\n", true, {}, LinePiece::lastPiece, ""},
      {"3 left over\n  two  blanks \nmore", true, {}, LinePiece::lastPiece, "more"},
      {"\n\n", true, {}, LinePiece::lastPiece, ""},
      {"\nabc\r\n", true, {}, LinePiece::lastPiece, ""},
      {"", false, {}, LinePiece::inputEnded, ""},
      {"\n", true, {}, LinePiece::inputEnded, ""},
      {"\nabc", true, {}, LinePiece::inputEnded, ""},
      {"\n" + full + "\nx", true, {}, LinePiece::lastPiece, "x"},
      {"\n" + full + "bc\nx", true, {full}, LinePiece::lastPiece, "x"},
      {"\n" + full + full + "\n", true, {full}, LinePiece::lastPiece, ""},
      {"\n" + full + "b", true, {full}, LinePiece::inputEnded, ""},
      {"\n" + full, true, {}, LinePiece::inputEnded, ""},
  };
  for (const Case& c : cases) {
    const std::string name = c.input.substr(0, 20) + " of " + std::to_string(c.input.size());
    std::istringstream in(c.input);
    std::ostringstream out;
    ASSERT_EQ(promptForLine(in, out), c.prompted) << name;
    EXPECT_EQ(out.str(), c.prompted ? linePrompt : "") << name;
    if (!c.prompted) continue;
    std::string piece;
    std::string line;
    for (const std::string& expected : c.pieces) {
      ASSERT_EQ(readLinePiece(piece, in), LinePiece::morePieces) << name;
      EXPECT_EQ(piece, expected) << name;
      line += piece;
    }
    ASSERT_EQ(readLinePiece(piece, in), c.last) << name;
    if (c.last == LinePiece::lastPiece) {
      // The whole line, as one read to its line end gives it.
      std::istringstream whole(c.input);
      std::string expectedLine;
      std::getline(whole, expectedLine);
      std::getline(whole, expectedLine);
      EXPECT_EQ(line + piece, expectedLine) << name;
    }
    EXPECT_EQ(restOf(in), c.restOfInput) << name;
  }
}

TEST(PromptsTest, YesNoQuestionsAreYesExactlyForOne) {
  using Question = std::optional<bool> (*)(std::istream&, std::ostream&);
  struct Case {
    Question ask;
    const char* question;
    const char* input;
    std::optional<bool> answer;
    const char* restOfInput;
  };
  const char* stop = testing::stopQuestion.c_str();
  const char* reset = testing::resetQuestion.c_str();
  const char* exit = testing::exitQuestion.c_str();
  const Case cases[] = {
      {askStop, stop, "1\n", true, "\n"},      {askStop, stop, "2\n", false, "\n"},
      {askStop, stop, "y\n", false, "\n"},     {askStop, stop, " \n 12\n", true, "2\n"},
      {askStop, stop, "", std::nullopt, ""},   {askReset, reset, "1 and more\n3\n", true, "3\n"},
      {askReset, reset, "2\n", false, ""},     {askReset, reset, "\n\n0\n1\n", false, "1\n"},
      {askReset, reset, "", std::nullopt, ""}, {askExit, exit, "1\n", true, "\n"},
      {askExit, exit, "11\n", true, "1\n"},    {askExit, exit, "2\n", false, "\n"},
      {askExit, exit, "", std::nullopt, ""},
  };
  for (const Case& c : cases) {
    std::istringstream in(c.input);
    std::ostringstream out;
    EXPECT_EQ(c.ask(in, out), c.answer) << c.question << c.input;
    EXPECT_EQ(out.str(), c.question) << c.input;
    EXPECT_EQ(restOf(in), c.restOfInput) << c.question << c.input;
  }
}

}  // namespace
}  // namespace vexilo
