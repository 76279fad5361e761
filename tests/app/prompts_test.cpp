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
    bool read;
    std::string line;
    int pieces;
  };
  const Case cases[] = {
      {"\nHello, World!\n", true, "Hello, World!", 1},
      {"3 left over\n  two  blanks \n", true, "  two  blanks ", 1},
      {"\n\n", true, "", 1},
      {"\nabc\r\n", true, "abc\r", 1},
      {"", false, "", 0},
      {"\n", false, "", 0},
      {"\n" + full + "\n", true, full, 1},
      {"\n" + full + full + "bc\n", true, full + full + "bc", 3},
      {"\n" + full + "b", false, full, 1},
  };
  for (const Case& c : cases) {
    std::istringstream in(c.input);
    std::ostringstream out;
    std::string line;
    std::string piece;
    int pieces = 0;
    LinePiece got = promptForLine(in, out) ? LinePiece::morePieces : LinePiece::inputEnded;
    while (got == LinePiece::morePieces &&
           (got = readLinePiece(piece, in)) != LinePiece::inputEnded) {
      line += piece;
      ++pieces;
    }
    EXPECT_EQ(got == LinePiece::lastPiece, c.read) << c.input.size();
    EXPECT_EQ(line, c.line) << c.input.size();
    EXPECT_EQ(pieces, c.pieces) << c.input.size();
    EXPECT_EQ(out.str(), c.input.empty() ? "" : linePrompt) << c.input.size();
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
