// Sessions on a known setting: every mode, the position carried between modes, the reset question,
// the mode menu and the letter and line prompts, compared byte for byte.
#include <gtest/gtest.h>

#include <cctype>

#include "app/prompts.h"
#include "tests/e2e/e2e_support.h"
#include "tests/support/posix_only.h"
#include "tests/support/scoped_temp_dir.h"

namespace vexilo::testing {
namespace {

// The lines that descriptive mode writes for one letter, worked out by hand for setting 1A at its
// start: a -> c (plugboard) -> d -> o -> w -> j (reflector) -> m -> l -> k -> k.
constexpr const char* handTraceOfA =
    "a 0 --Plugboard-> 2 --Rotor1-> 3 --Rotor2-> 14 --Rotor3-> 22 --Reflector-> 9 "
    "--Rotor3Reversed-> 12 --Rotor2Reversed-> 11 --Rotor1Reversed-> 10 --Plugboard-> 10 == "
    "encrypted letter k\n\n";

TEST(MachineModelTest, AgreesWithTheTraceWorkedOutByHand) {
  MachineModel model(setting1A());
  EXPECT_EQ(model.descriptiveLetter('a'), handTraceOfA);
}

TEST(MachineModelTest, WiringTableRowOfAMatchesTheHandWorkedRow) {
  const std::string table = MachineModel(setting1A()).wiringTable();
  const std::vector<std::string> lines = splitLines(table);
  ASSERT_EQ(lines.size(), 28U);
  EXPECT_EQ(lines[0],
            "      Plugboard         Rotor1         Rotor2         Rotor3      Reflector"
            "        Rotor3R        Rotor2R        Rotor1R      Plugboard");
  EXPECT_EQ(lines[1],
            "        a --> c        a --> b        a --> f        a --> h        a --> n"
            "        a --> d        a --> h        a --> z        a --> c");
  for (std::size_t i = 0; i < 27; ++i) EXPECT_EQ(lines[i].size(), 135U) << "line " << i;
  EXPECT_EQ(lines[27], "");
}

TEST(ModeSessionTest, QuickModeWritesEachLetterOnItsOwnLine) {
  ScopedTempDir dir;
  writeKnownStore();
  MachineModel model(setting1A());
  const ProgramRun run = runSession("2 1A\n1\nabc-\n1\n");
  std::string expected = start1A() + modeMenu;
  for (const char letter : std::string("abc")) expected += letterPrompt + model.quickLetter(letter);
  expected += letterPrompt + exitQuestion;
  EXPECT_EQ(run.standardOutput, expected);
  EXPECT_EQ(run.standardError, "");
  EXPECT_EQ(readFile(registryFile), knownRegistry());
  EXPECT_EQ(readFile(rotorFile), knownRotorFile());
}

TEST(ModeSessionTest, DescriptiveModeWritesATraceAndAnEmptyLinePerLetter) {
  ScopedTempDir dir;
  writeKnownStore();
  MachineModel model(setting1A());
  const ProgramRun run = runSession("2 1A\n2\na\nZ q\n-\n1\n");
  std::string expected = start1A() + modeMenu;
  for (const char letter : std::string("aZq")) {
    expected += letterPrompt + model.descriptiveLetter(letter);
  }
  expected += letterPrompt + exitQuestion;
  EXPECT_EQ(run.standardOutput, expected);
  EXPECT_NE(run.standardOutput.find(handTraceOfA), std::string::npos);
}

TEST(ModeSessionTest, LineModeKeepsNonLettersInPlaceAndStepsOncePerLetter) {
  ScopedTempDir dir;
  writeKnownStore();
  MachineModel model(setting1A());
  // A line, an empty line, a line with bytes above 127, then a quick letter that shows the
  // machine stood ten letters on after the first line.
  const std::string accented = "caf\xc3\xa9 \xff!";
  const ProgramRun run =
      runSession("2 1A\n3\nHeLLo, WorLD!\n2\n\n2\n" + accented + "\n1\n2\n2\n1\nq-\n1\n");
  std::string expected = start1A() + modeMenu;
  const std::string first = model.encipherText("HeLLo, WorLD!");
  EXPECT_EQ(model.letters(), 10);
  expected += linePrompt + first + "\n" + stopQuestion;
  expected += linePrompt + std::string("\n") + stopQuestion;
  expected += linePrompt + model.encipherText(accented) + "\n" + stopQuestion;
  expected += exitQuestion + resetQuestion + modeMenu;
  expected += letterPrompt + model.quickLetter('q') + letterPrompt + exitQuestion;
  EXPECT_EQ(run.standardOutput, expected);

  // What must hold whatever the wiring.
  ASSERT_EQ(first.size(), 13U);
  EXPECT_EQ(first.substr(5, 2), ", ");
  EXPECT_EQ(first[12], '!');
  for (const std::size_t at : {0, 1, 2, 3, 4, 7, 8, 9, 10, 11}) {
    EXPECT_TRUE(first[at] >= 'a' && first[at] <= 'z') << first;
    EXPECT_NE(first[at], std::tolower(static_cast<unsigned char>("HeLLo, WorLD!"[at])));
  }
  EXPECT_NE(run.standardOutput.find("\xc3\xa9 \xff!\n"), std::string::npos);
}

TEST(ModeSessionTest, LineModeWritesALongLineInPiecesAndKeepsThemWhenTheInputEndsInIt) {
  // A long line was held whole, and an end of input inside it wrote nothing at all.
  ScopedTempDir dir;
  writeKnownStore();
  std::string longLine;
  while (longLine.size() < lineHoldLimit + 30) longLine += "Pieces, of one LINE! ";
  const ProgramRun run = runSession("2 1A\n3\n" + longLine + "\n2\n" + longLine);
  MachineModel model(setting1A());
  std::string expected = start1A() + modeMenu + linePrompt + model.encipherText(longLine) + "\n";
  expected += stopQuestion + linePrompt + model.encipherText(longLine.substr(0, lineHoldLimit));
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_TRUE(run.standardOutput == expected)
      << "output of " << run.standardOutput.size() << " bytes instead of " << expected.size();
}

TEST(ModeSessionTest, FileModeEnciphersTheFileAndWritesNothingAboutIt) {
  ScopedTempDir dir;
  writeKnownStore();
  writeFile("in.txt", "Hello\nWorld, ok\nlast");
  MachineModel model(setting1A());
  const ProgramRun run = runSession("2 1A\n4\nin.txt\nout.txt\n1\n");
  EXPECT_EQ(run.standardOutput,
            start1A() + modeMenu + inputFilePrompt + outputFilePrompt + exitQuestion);
  const std::string line1 = model.encipherText("Hello");
  const std::string line2 = model.encipherText("World, ok");
  const std::string line3 = model.encipherText("last");
  EXPECT_EQ(readFile("out.txt"), line1 + "\n" + line2 + "\n" + line3 + "\n");
  EXPECT_EQ(readFile("in.txt"), "Hello\nWorld, ok\nlast");
}

// Every mode moves the one machine: the position carries over modes and passes until a reset.
// The line and the file are long enough to be enciphered from a position that earlier modes left.
TEST(ModeSessionTest, ModesCarryThePositionOverUntilTheResetQuestionIsAnsweredOne) {
  ScopedTempDir dir;
  writeKnownStore();
  std::string line;
  for (int i = 0; i < 700; ++i) line += i % 9 == 8 ? ' ' : static_cast<char>('A' + (i * 3) % 26);
  std::string file;
  for (int i = 0; i < 20000; ++i) file += i % 61 == 60 ? '\n' : static_cast<char>('a' + i % 26);
  writeFile("in.txt", file);
  MachineModel model(setting1A());
  std::string input = "2 1A\n";
  input += "1\nab-\n2\n";                 // quick: a b; exit? no
  input += "2\n2\nc-\n2\n";               // reset? no; descriptive: c
  input += "2\n3\n" + line + "\n1\n2\n";  // reset? no; line mode
  input += "x\n4\nin.txt\nout.txt\n2\n";  // reset? x counts as no; file mode
  input += "2 and more\n1\nh-\n2\n";      // reset? no, the rest of the line thrown away
  input += "1\n1\nab-\n1\n";              // reset? yes; quick: a b again
  const ProgramRun run = runSession(input);

  std::string expected = start1A() + modeMenu;
  expected += model.quickLetters("ab");
  expected += letterPrompt + exitQuestion;
  expected += resetQuestion + modeMenu + letterPrompt + model.descriptiveLetter('c') +
              letterPrompt + exitQuestion;
  expected += resetQuestion + modeMenu + linePrompt + model.encipherText(line) + "\n" +
              stopQuestion + exitQuestion;
  expected += resetQuestion + modeMenu + inputFilePrompt + outputFilePrompt + exitQuestion;
  const std::string fileText = model.encipherText(file) + "\n";
  expected += resetQuestion + modeMenu + letterPrompt + model.quickLetter('h') + letterPrompt +
              exitQuestion;
  model.reset();
  expected += resetQuestion + modeMenu;
  expected += model.quickLetters("ab");
  expected += letterPrompt + exitQuestion;
  EXPECT_EQ(run.standardOutput, expected);
  EXPECT_EQ(readFile("out.txt"), fileText);
}

TEST(ModeSessionTest, AnswersSharingALineAreTakenOneAfterAnother) {
  ScopedTempDir dir;
  writeKnownStore();
  writeFile("in.txt", "xy\n");
  MachineModel model(setting1A());
  // The mode number and the file names on one line; the rest of a mode line and of a stop answer
  // thrown away before the next typed line; a reset answer with more on its line.
  const ProgramRun run = runSession(
      "2 1A 4 in.txt out.txt 2\n"
      "2\n3 not enciphered\nab\n2 thrown away\ncd\n1 2\n"
      "1 3\n1 x-1\n");
  std::string expected = start1A() + modeMenu + inputFilePrompt + outputFilePrompt + exitQuestion;
  const std::string file = model.encipherText("xy") + "\n";
  expected += resetQuestion + modeMenu + linePrompt + model.encipherText("ab") + "\n";
  expected += stopQuestion + linePrompt + model.encipherText("cd") + "\n" + stopQuestion;
  expected += exitQuestion;
  model.reset();
  expected += resetQuestion + modeMenu + letterPrompt + model.quickLetter('x') + letterPrompt +
              exitQuestion;
  EXPECT_EQ(run.standardOutput, expected);
  EXPECT_EQ(readFile("out.txt"), file);
}

// On Windows standard input is Windows text: CR LF ends a typed line, so no CR reaches line mode's
// output, and a line of Ctrl-Z alone (Ctrl-Z, then Enter) ends the input. Elsewhere the CR is a
// character of the line, kept as line mode keeps every other, and Ctrl-Z is an answer like "x".
TEST(ModeSessionTest, TypedLinesAreReadAsTheSystemsText) {
  ScopedTempDir dir;
  writeKnownStore();
  MachineModel model(setting1A());
  const ProgramRun run = runSession("2 1A\r\n3\r\nab, c\r\n1\r\n\x1A\r\n1\r\n");
  std::string expected = start1A() + modeMenu + linePrompt;
  expected += model.encipherText(posixSystem ? "ab, c\r" : "ab, c") + "\n" + stopQuestion;
  expected += exitQuestion + (posixSystem ? resetQuestion + modeMenu : "");
  EXPECT_EQ(run.standardOutput, expected);
}

TEST(ModeSessionTest, TheFirstPassDoesNotAskTheResetQuestionAndAnyExitAnswerButOneGoesOn) {
  ScopedTempDir dir;
  writeKnownStore();
  const ProgramRun run = runSession("2 1A\n-1\nn\n2\n-1\n11\n");
  EXPECT_EQ(run.standardOutput,
            start1A() + modeMenu + exitQuestion + resetQuestion + modeMenu + exitQuestion);
}

}  // namespace
}  // namespace vexilo::testing
