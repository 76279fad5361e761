// File mode driven through the console: the enciphered copy, and every file that cannot be used.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "tests/e2e/e2e_support.h"
#include "tests/support/posix_only.h"
#include "tests/support/scoped_temp_dir.h"

namespace vexilo::testing {
namespace {

// What a session on setting 1A that enciphers one file and exits writes.
std::string wholeFileSession() {
  return start1A() + modeMenu + inputFilePrompt + outputFilePrompt + exitQuestion;
}

TEST(FileModeSessionTest, EveryOutputLineEndsInALineEndAndOnlyLettersChange) {
  struct Case {
    const char* name;
    std::string input;
    std::vector<std::string> lines;  // the input's lines, without line ends
  };
  const Case cases[] = {
      {"last line without a line end", "One\ntwo, Three!\nfour", {"One", "two, Three!", "four"}},
      {"every line ended", "One\ntwo, Three!\nfour\n", {"One", "two, Three!", "four"}},
      {"empty lines", "\n\nab\n\n", {"", "", "ab", ""}},
      {"carriage returns and bytes above 127",
       "ab\r\nc\xc3\xa9 d\xff\r\n",
       {"ab\r", "c\xc3\xa9 d\xff\r"}},
      {"one letter, no line end", "z", {"z"}},
  };
  for (const Case& c : cases) {
    ScopedTempDir dir;
    writeKnownStore();
    writeFile("plain.txt", c.input);
    MachineModel model(setting1A());
    const ProgramRun run = runSession("2 1A\n4\nplain.txt\nsecret.txt\n1\n");
    std::string expectedFile;
    for (const std::string& line : c.lines) expectedFile += model.encipherText(line) + "\n";
    EXPECT_EQ(readFile("secret.txt"), expectedFile) << c.name;
    EXPECT_EQ(readFile("plain.txt"), c.input) << c.name;
    EXPECT_EQ(run.standardOutput, wholeFileSession()) << c.name;
  }
}

TEST(FileModeSessionTest, LargeFilesAreEncipheredWholeAcrossEveryReadBoundary) {
  // Blocks of 1 MiB, enciphered by two threads each from the position the letters before it give;
  // a block that started one letter early or late would change every letter after its edge.
  for (const std::size_t size : {65537U, 1048577U, 2621447U}) {
    for (const bool lineEnded : {false, true}) {
      ScopedTempDir dir;
      writeKnownStore();
      std::string text;
      for (std::size_t i = 0; text.size() < size - 1; ++i) {
        text += i % 80 == 79 ? '\n' : static_cast<char>(i % 7 == 3 ? 'Q' : 'a' + i % 26);
      }
      text += lineEnded ? '\n' : 'z';
      writeFile("big.txt", text);
      MachineModel model(setting1A());
      const ProgramRun run = runSession("2 1A\n4\nbig.txt\nbig.out\n1\n");
      const std::string expected = model.encipherText(text) + (lineEnded ? "" : "\n");
      const std::string written = readFile("big.out");
      EXPECT_EQ(written.size(), expected.size()) << size << " " << lineEnded;
      EXPECT_TRUE(written == expected) << size << " " << lineEnded;
      EXPECT_EQ(run.standardOutput, wholeFileSession());
    }
  }
}

TEST(FileModeSessionTest, AnEmptyInputGivesAnEmptyOutputFile) {
  ScopedTempDir dir;
  writeKnownStore();
  writeFile("empty.txt", "");
  writeFile("old.txt", "this will be truncated\n");
  const ProgramRun run = runSession("2 1A\n4\nempty.txt\nold.txt\n1\n");
  EXPECT_EQ(readFile("old.txt"), "");
  EXPECT_EQ(run.standardOutput, wholeFileSession());
}

// A name beyond ASCII, typed as UTF-8, opens the file of that name: on Windows through the
// system's wide calls.
TEST(FileModeSessionTest, NamesBeyondAsciiOpenTheFilesOfThoseNames) {
  ScopedTempDir dir;
  writeKnownStore();
  const std::u8string input = u8"na\u00efve-\u65e5\u672c.txt";
  const std::u8string output = u8"s\u00e9cret.txt";
  writeFile(std::filesystem::path(input), "Hello\n");
  const auto typed = [](const std::u8string& name) {
    return std::string(name.begin(), name.end());
  };
  MachineModel model(setting1A());
  const ProgramRun run = runSession("2 1A\n4\n" + typed(input) + "\n" + typed(output) + "\n1\n");
  EXPECT_EQ(run.standardOutput, wholeFileSession());
  EXPECT_EQ(readFile(std::filesystem::path(output)), model.encipherText("Hello") + "\n");
}

// A name with a blank could not be used: "my letter.txt" opened "my". Typed in double quotes, a
// name holds blanks, and letters beyond ASCII too.
TEST(FileModeSessionTest, NamesInDoubleQuotesHoldBlanks) {
  const struct {
    std::u8string folder;  // made first, when not empty
    std::u8string input;
    std::u8string output;
  } cases[] = {
      {u8"", u8"my letter.txt", u8"out put.txt"},
      {u8"Zo\u00eb M\u00fcller", u8"Zo\u00eb M\u00fcller/New Text Document.txt",
       u8"Zo\u00eb M\u00fcller/s\u00e9cret copy.txt"},
  };
  const auto typed = [](const std::u8string& name) {
    return "\"" + std::string(name.begin(), name.end()) + "\"";
  };
  for (const auto& c : cases) {
    ScopedTempDir dir;
    writeKnownStore();
    if (!c.folder.empty()) std::filesystem::create_directory(std::filesystem::path(c.folder));
    writeFile(std::filesystem::path(c.input), "Dear Ann,\nsee you at noon.\n");
    MachineModel model(setting1A());
    const ProgramRun run =
        runProgram("2 1A\n4\n" + typed(c.input) + "\n" + typed(c.output) + "\n1\n");
    const std::string shown = typed(c.input);
    EXPECT_EQ(run.exitStatus, 0) << shown;
    EXPECT_EQ(run.standardOutput, wholeFileSession()) << shown;
    EXPECT_EQ(run.standardError, "") << shown;
    std::string expected = model.encipherText("Dear Ann,") + "\n";
    expected += model.encipherText("see you at noon.") + "\n";
    EXPECT_EQ(readFile(std::filesystem::path(c.output)), expected) << shown;
  }
}

// A name whose opening double quote is not closed on its line is a name that cannot be opened:
// an input ends the program with status 1, an output is refused and the session goes on.
TEST(FileModeSessionTest, ANameWhoseDoubleQuoteIsNotClosedCannotBeOpened) {
  ScopedTempDir dir;
  writeKnownStore();
  // Windows forbids a double quote in a name; elsewhere a file named "my stands ready to be taken.
  if (posixSystem) writeFile("\"my", "a file whose name begins with a double quote\n");
  writeFile("my letter.txt", "Keep me\n");
  const ProgramRun input = runProgram("2 1A\n4\n\"my letter.txt\nout.txt\n1\n");
  EXPECT_EQ(input.exitStatus, 1);
  EXPECT_EQ(input.standardOutput, start1A() + modeMenu + inputFilePrompt + unableToOpen);
  EXPECT_EQ(input.standardError,
            "vexilo: cannot open \"my letter.txt: its double quote is not closed\n");

  MachineModel model(setting1A());
  const ProgramRun output = runProgram("2 1A\n4\n\"my letter.txt\"\n\"my\n2\n2\n1\nk-\n1\n");
  EXPECT_EQ(output.exitStatus, 1);
  EXPECT_EQ(output.standardOutput, start1A() + modeMenu + inputFilePrompt + outputFilePrompt +
                                       unableToOpen + exitQuestion + resetQuestion + modeMenu +
                                       letterPrompt + model.quickLetter('k') + letterPrompt +
                                       exitQuestion);
  EXPECT_EQ(output.standardError, "vexilo: cannot open \"my: its double quote is not closed\n");
  if (posixSystem) {
    EXPECT_EQ(readFile("\"my"), "a file whose name begins with a double quote\n");
  }
  EXPECT_FALSE(std::filesystem::exists("out.txt"));
}

// Names that the system itself resolves were once followed as text: /dev/stderr led to a file
// named "pipe:[...]" that could not be made, and the output was refused.
TEST(FileModeSessionTest, AnOutputThatOnlyTheSystemResolvesIsWrittenThrough) {
  VEXILO_NEEDS_POSIX("/dev/stderr");
  ScopedTempDir dir;
  writeKnownStore();
  writeFile("plain.txt", "Hello\n");
  MachineModel model(setting1A());
  const ProgramRun run = runSession("2 1A\n4\nplain.txt\n/dev/stderr\n1\n");
  EXPECT_EQ(run.standardOutput, wholeFileSession());
  EXPECT_EQ(run.standardError, model.encipherText("Hello") + "\n");
}

// An input file that could not be read once ended the program with status 0, so a script could
// not tell that nothing was enciphered. A name with a NUL byte once opened the file named by the
// bytes before it.
TEST(FileModeSessionTest, AnInputFileThatCannotBeReadEndsTheProgramAtOnceWithStatusOne) {
  for (const std::string& name :
       {std::string("missing.txt"), std::string("folder"), std::string("plain.txt\0x", 11)}) {
    ScopedTempDir dir;
    writeKnownStore();
    writeFile("plain.txt", "Keep me");
    std::filesystem::create_directory("folder");
    const ProgramRun run = runProgram("2 1A\n4\n" + name + "\nout.txt\n1\n");
    EXPECT_EQ(run.exitStatus, 1) << name;
    EXPECT_EQ(run.standardOutput, start1A() + modeMenu + inputFilePrompt + unableToOpen) << name;
    EXPECT_FALSE(std::filesystem::exists("out.txt")) << name;
    EXPECT_FALSE(std::filesystem::exists("missing.txt")) << name;
  }
}

// An output that was not written once ended the session with status 0 beside a note alone.
TEST(FileModeSessionTest, AnOutputFileThatCannotBeOpenedIsReportedAndTheLoopGoesOn) {
  struct Case {
    std::string outputName;
    const char* what;
  };
  // File mode once wrote its ciphertext over the registry, which holds the user's keys, and into
  // "new.txt" for the name "new.txt\0x".
  const Case cases[] = {{"no/such/folder/out.txt", "in a missing folder"},
                        {"folder", "a directory"},
                        {"plain.txt", "the input itself"},
                        {"./plain.txt", "the input by another name"},
                        {"link.txt", "a link to the input"},
                        {"hard.txt", "a hard link to the input"},
                        {std::string("new.txt\0x", 9), "its name holds a NUL byte"},
                        {"initalSettings26.txt", "it is a file of the store"},
                        {"./ExistingRotorSettings26.txt", "it is a file of the store"},
                        {"keys.txt", "it is a file of the store"}};
  for (const Case& c : cases) {
    // Windows lets only administrators make symbolic links: the cases of links are left out there.
    if (!posixSystem && (c.outputName == "link.txt" || c.outputName == "keys.txt")) continue;
    ScopedTempDir dir;
    writeKnownStore();
    std::filesystem::create_directory("folder");
    writeFile("plain.txt", "Keep me\nas I am");
    if (posixSystem) std::filesystem::create_symlink("plain.txt", "link.txt");
    std::filesystem::create_hard_link("plain.txt", "hard.txt");
    if (posixSystem) std::filesystem::create_symlink(registryFile, "keys.txt");
    MachineModel model(setting1A());
    // The machine has not moved: the next letter is enciphered at the start position.
    const ProgramRun run = runProgram("2 1A\n4\nplain.txt\n" + c.outputName + "\n2\n2\n1\nk-\n1\n");
    EXPECT_EQ(run.exitStatus, 1) << c.what;
    EXPECT_EQ(run.standardOutput, start1A() + modeMenu + inputFilePrompt + outputFilePrompt +
                                      unableToOpen + exitQuestion + resetQuestion + modeMenu +
                                      letterPrompt + model.quickLetter('k') + letterPrompt +
                                      exitQuestion)
        << c.what;
    EXPECT_EQ(readFile("plain.txt"), "Keep me\nas I am") << c.what;
    EXPECT_TRUE(std::filesystem::is_directory("folder")) << c.what;
    EXPECT_TRUE(std::filesystem::is_empty("folder")) << c.what;
    EXPECT_FALSE(std::filesystem::exists("new.txt")) << c.what;
    EXPECT_EQ(readFile(registryFile) + readFile(rotorFile), knownRegistry() + knownRotorFile());
    if (std::string_view(c.what).starts_with("it")) {
      const std::string shown = c.outputName.substr(0, c.outputName.find('\0'));
      const std::string rest = c.outputName.size() > shown.size() ? "\\0x" : "";
      EXPECT_EQ(run.standardError, "vexilo: cannot open " + shown + rest + ": " + c.what + "\n");
    }
  }
}

// A full device, and a file-size limit met in the middle of a file of several blocks: one note,
// status 1, and the machine moved on by the letters read. After the failed write nothing more is
// read: an endless input once kept the program reading for ever.
TEST(FileModeSessionTest, AWriteErrorOnTheOutputIsReportedOnStandardError) {
  VEXILO_NEEDS_POSIX("/dev/full, /dev/zero and file-size limits");
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  std::string large;
  for (std::size_t i = 0; large.size() < 2600000; ++i) large += i % 70 == 69 ? '\n' : 'a' + i % 26;
  struct Case {
    const char* input;
    const char* output;
    std::string text;  // of the input, whose letters all move the machine
    std::optional<unsigned long> sizeLimit;
    const char* reason;
  };
  const Case cases[] = {
      {"plain.txt", "/dev/full", "enough text to write\n", std::nullopt, "No space left"},
      {"plain.txt", "out.txt", large, 1000000, "File too large"},
      {"/dev/zero", "out.txt", "", 1000000, "File too large"}};
  for (const Case& c : cases) {
    ScopedTempDir dir;
    writeKnownStore();
    writeFile("plain.txt", c.text);
    ProgramOptions options;
    options.fileSizeLimit = c.sizeLimit;
    const ProgramRun run =
        runProgram("2 1A\n4\n" + std::string(c.input) + "\n" + c.output + "\n2\n2\n1\nk-\n1\n",
                   20.0, VEXILO_BINARY, options);
    EXPECT_FALSE(run.timedOut) << c.input;
    EXPECT_EQ(run.exitStatus, 1) << c.output;
    // Blocks of 1 MiB are read ahead of the writes: the letter typed afterwards is enciphered
    // where one, two or all blocks of the input left the machine.
    std::vector<std::string> sessions;
    for (const std::size_t read : {std::size_t{1} << 20, std::size_t{2} << 20, c.text.size()}) {
      MachineModel model(setting1A());
      model.encipherText(c.text.substr(0, read));
      sessions.push_back(start1A() + modeMenu + inputFilePrompt + outputFilePrompt + exitQuestion +
                         resetQuestion + modeMenu + letterPrompt + model.quickLetter('k') +
                         letterPrompt + exitQuestion);
    }
    EXPECT_NE(std::find(sessions.begin(), sessions.end(), run.standardOutput), sessions.end())
        << c.output << "\n"
        << run.standardOutput;
    const std::vector<std::string> lines = splitLines(run.standardError);
    ASSERT_EQ(lines.size(), 1U) << run.standardError;
    EXPECT_NE(lines[0].find(c.output), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find(c.reason), std::string::npos) << lines[0];
    EXPECT_EQ(readFile("plain.txt"), c.text);
  }
}

}  // namespace
}  // namespace vexilo::testing
