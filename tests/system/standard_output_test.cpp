// Standard output that cannot be written once lost a whole session silently, with status 0; and
// --help and --version once started a session instead of answering; a pipe closed while the caller
// ignored its signal ended with status 0 and no word, and later read an endless input for ever.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "tests/support/posix_only.h"
#include "tests/support/run_program.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/store_fixture.h"

namespace vexilo::testing {
namespace {

TEST(StandardOutputTest, StatusAndStreamsAreWhatAShellExpects) {
  VEXILO_NEEDS_POSIX("a POSIX shell, /dev/full and SIGPIPE");
  const struct {
    std::string shellCommand;  // "$@" starts the program
    std::string outputStart;   // what standard output starts with
    std::string standardError;
    int exitStatus;
    bool session;  // a session runs: its random setting makes the store
  } cases[] = {
      // The first prompt cannot be written: the program ends there, before any setting is made.
      {"exec \"$@\" > /dev/full", "",
       "vexilo: write error on standard output: No space left on device\n", 1, false},
      // The status of the pipe is that of `head`; the program ends by its signal, saying nothing.
      {"\"$@\" | head -c 10 > /dev/null", "", "", 0, true},
      // A caller that ignores the signal once got status 0 and no word from a closed pipe.
      {"trap '' PIPE; { \"$@\"; echo $? > status; } | head -c 10 > /dev/null; exit $(cat status)",
       "", "vexilo: write error on standard output: Broken pipe\n", 1, true},
      // With the signal ignored, an endless input once kept the program reading after its output
      // had gone, for ever.
      {"trap '' PIPE; { { echo 1; yes; } 2>/dev/null | \"$@\"; echo $? > status; } | "
       "head -c 10 > /dev/null; exit $(cat status)",
       "", "vexilo: write error on standard output: Broken pipe\n", 1, true},
      {"\"$@\" --help", "Usage: vexilo [--help | --version]\n", "", 0, false},
      {"\"$@\" --version extra", "vexilo " VEXILO_VERSION "\n", "", 0, false},
  };
  // More output than a pipe holds: the program writes on after `head` has gone.
  const std::string input = "1\n3\n" + std::string(1 << 18, 'w') + "\n2\nmore\n1\n1\n";
  for (const auto& c : cases) {
    const ScopedTempDir directory;
    ProgramOptions shell;
    shell.arguments = {"-c", c.shellCommand, "sh"};
    for (const std::string& word : programCommand()) shell.arguments.push_back(word);
    shell.hostProgram = true;
    const ProgramRun run = runProgram(input, 20.0, "/bin/sh", shell);
    EXPECT_TRUE(run.standardOutput.starts_with(c.outputStart)) << run.standardOutput;
    EXPECT_EQ(run.standardError, c.standardError) << c.shellCommand;
    EXPECT_EQ(run.exitStatus, c.exitStatus) << c.shellCommand;
    EXPECT_EQ(std::filesystem::is_empty(directory.path()), !c.session) << c.shellCommand;
  }
}

// On Windows the help once showed a POSIX shell's example and sent the reader to `man`, and "/?"
// started a session. The example of the Windows help runs in Command Prompt as it stands.
TEST(StandardOutputTest, OnWindowsSlashQuestionMarkAsksForHelpAndItsExampleRunsInCommandPrompt) {
  if (posixSystem) GTEST_SKIP() << "Command Prompt and \"/?\" are Windows'";
  const ScopedTempDir directory;
  ProgramOptions asked;
  asked.arguments = {"--help"};
  const ProgramRun help = runProgram("1\n", 20.0, VEXILO_BINARY, asked);
  EXPECT_EQ(help.exitStatus, 0);
  for (const char* argument : {"/?", "-h"}) {
    asked.arguments = {argument};
    const ProgramRun run = runProgram("1\n", 20.0, VEXILO_BINARY, asked);
    EXPECT_EQ(run.exitStatus, 0) << argument;
    EXPECT_EQ(run.standardOutput, help.standardOutput) << argument;
  }
  EXPECT_TRUE(std::filesystem::is_empty(directory.path()));

  std::string example;
  std::istringstream lines(help.standardOutput);
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("  vexilo ")) example = line.substr(2);
  }
  ASSERT_FALSE(example.empty()) << help.standardOutput;
  std::filesystem::copy_file(VEXILO_BINARY, "vexilo.exe");
  const char* const commandPrompt = std::getenv("ComSpec");
  ASSERT_NE(commandPrompt, nullptr);
  ProgramOptions shell;
  shell.arguments = {"/c", example};
  shell.startsPrograms = true;
  // The answers as Notepad writes them.
  writeFile("answers.txt", "1\r\n4\r\nin.txt\r\nout.txt\r\n1\r\n");
  writeFile("in.txt", "Attack at dawn!\n");
  const ProgramRun run = runProgram("", 60.0, commandPrompt, shell);
  EXPECT_EQ(run.exitStatus, 0) << example << "\n" << run.standardOutput << run.standardError;
  // A random setting in an empty folder is setting 0; no letter is enciphered to itself.
  EXPECT_EQ(readFile(registryFile), "0,0,0,1,2,0\n");
  const std::string plain = "Attack at dawn!\n";
  const std::string enciphered = readFile("out.txt");
  ASSERT_EQ(enciphered.size(), plain.size()) << enciphered;
  for (std::size_t i = 0; i < plain.size(); ++i) {
    const bool letter = std::isalpha(static_cast<unsigned char>(plain[i])) != 0;
    EXPECT_TRUE(letter ? std::islower(static_cast<unsigned char>(enciphered[i])) &&
                             enciphered[i] != std::tolower(static_cast<unsigned char>(plain[i]))
                       : enciphered[i] == plain[i])
        << enciphered;
  }
  std::filesystem::remove("in.txt");
  EXPECT_EQ(runProgram("", 60.0, commandPrompt, shell).exitStatus, 1) << example;
}

}  // namespace
}  // namespace vexilo::testing
