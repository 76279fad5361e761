#include "app/progress.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <regex>
#include <string>

#include "gtest/gtest.h"
#include "tests/support/console_texts.h"
#include "tests/support/run_program.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/store_fixture.h"

namespace vexilo {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using testing::ScopedTempDir;
using testing::writeFile;

constexpr std::uint64_t mebibyte = 1 << 20;

// A pseudo-terminal whose far end passes every byte through untouched.
struct PseudoTerminal {
  int master = -1;
  int slave = -1;

  PseudoTerminal() {
    termios raw{};
    ::cfmakeraw(&raw);
    if (::openpty(&master, &slave, nullptr, &raw, nullptr) != 0) master = slave = -1;
  }
  ~PseudoTerminal() {
    closeSlave();
    if (master >= 0) ::close(master);
  }
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  void closeSlave() {
    if (slave >= 0) ::close(slave);
    slave = -1;
  }

  // Everything that arrives within `quiet` of the last byte.
  std::string drain(milliseconds quiet = milliseconds(100)) const {
    std::string text;
    char buffer[4096];
    for (;;) {
      pollfd wait{master, POLLIN, 0};
      if (::poll(&wait, 1, static_cast<int>(quiet.count())) <= 0) return text;
      const ssize_t got = ::read(master, buffer, sizeof buffer);
      if (got <= 0) return text;  // EIO once every holder of the far end has closed it
      text.append(buffer, static_cast<std::size_t>(got));
    }
  }
};

// A file of `size` bytes that takes no room on disk: all zero bytes, no letters, no line end.
void makeSparseFile(const std::string& fileName, std::uint64_t size) {
  const int descriptor = ::open(fileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(descriptor, 0);
  ASSERT_EQ(::ftruncate(descriptor, static_cast<off_t>(size)), 0);
  ::close(descriptor);
}

TEST(ProgressTest, TextShowsPercentageAndThroughput) {
  struct Case {
    std::uint64_t done;
    std::uint64_t total;
    std::chrono::steady_clock::duration elapsed;
    const char* expected;
  };
  const Case cases[] = {
      {0, 100 * mebibyte, seconds(0), "vexilo:   0%"},
      {mebibyte, 100 * mebibyte, milliseconds(49), "vexilo:   1%"},
      {50 * mebibyte, 100 * mebibyte, seconds(1), "vexilo:  50%, 50.0 MiB/s"},
      {100 * mebibyte - 1, 100 * mebibyte, seconds(2), "vexilo:  99%, 50.0 MiB/s"},
      {100 * mebibyte, 100 * mebibyte, milliseconds(400), "vexilo: 100%, 250.0 MiB/s"},
      // A file that grew while it was read stops at 100%.
      {300 * mebibyte, 100 * mebibyte, seconds(3), "vexilo: 100%, 100.0 MiB/s"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(progressText(c.done, c.total, c.elapsed), c.expected) << c.done << " of " << c.total;
  }
}

TEST(ProgressTest, ShownOnlyOnATerminalForARegularFileLargerThan64MiB) {
  const ScopedTempDir directory;
  makeSparseFile("exactly", progressThresholdBytes);
  makeSparseFile("larger", progressThresholdBytes + 1);
  int pipeEnds[2];
  ASSERT_EQ(::pipe(pipeEnds), 0);
  const PseudoTerminal terminal;
  ASSERT_GE(terminal.slave, 0);
  const int exactly = ::open("exactly", O_RDONLY);
  const int larger = ::open("larger", O_RDONLY);

  EXPECT_TRUE(ProgressIndicator(larger, terminal.slave).shown());
  EXPECT_FALSE(ProgressIndicator(exactly, terminal.slave).shown());
  EXPECT_FALSE(ProgressIndicator(pipeEnds[0], terminal.slave).shown()) << "a pipe has no size";
  EXPECT_FALSE(ProgressIndicator(larger, pipeEnds[1]).shown()) << "standard error is a pipe";
  EXPECT_FALSE(ProgressIndicator(larger, exactly).shown()) << "standard error is a file";
  EXPECT_EQ(terminal.drain(milliseconds(20)), "");

  ::close(exactly);
  ::close(larger);
  ::close(pipeEnds[0]);
  ::close(pipeEnds[1]);
}

TEST(ProgressTest, RedrawsAtMostFourTimesASecondAndClearsTheLineIfOneWasDrawn) {
  const ScopedTempDir directory;
  makeSparseFile("input", 200 * mebibyte);
  const PseudoTerminal terminal;
  ASSERT_GE(terminal.slave, 0);
  const int input = ::open("input", O_RDONLY);
  { const ProgressIndicator nothingDrawn(input, terminal.slave); }
  EXPECT_EQ(terminal.drain(milliseconds(20)), "");
  const auto start = std::chrono::steady_clock::time_point{} + seconds(1000);
  {
    ProgressIndicator progress(input, terminal.slave, start);
    progress.advance(2 * mebibyte, start);
    EXPECT_EQ(terminal.drain(), "\rvexilo:   1%");
    progress.advance(98 * mebibyte, start + milliseconds(249));
    EXPECT_EQ(terminal.drain(milliseconds(20)), "");
    progress.advance(0, start + seconds(1));
    EXPECT_EQ(terminal.drain(), "\rvexilo:  50%, 100.0 MiB/s");
    progress.advance(10 * mebibyte, start + seconds(12));
    // The shorter line is padded with blanks to cover the end of the longer one.
    EXPECT_EQ(terminal.drain(), "\rvexilo:  55%, 9.2 MiB/s  ");
  }
  EXPECT_EQ(terminal.drain(), "\r" + std::string(25, ' ') + "\r");
  ::close(input);
}

struct TerminalRun {
  std::string standardOutput;
  std::string terminal;  // what reached standard error, a pseudo-terminal
  int exitStatus = -1;
};

// Runs the built vexilo with standard error on a pseudo-terminal. The terminal keeps what the
// program writes until it is read after the run: a few redraws a second fit many times over.
TerminalRun runWithErrorOnTerminal(const std::string& standardInput,
                                   testing::ProgramOptions options = {}) {
  TerminalRun run;
  PseudoTerminal terminal;
  if (terminal.slave < 0) return run;
  options.standardErrorTo = terminal.slave;
  const testing::ProgramRun program =
      testing::runProgram(standardInput, 120.0, VEXILO_BINARY, options);
  terminal.closeSlave();
  run.standardOutput = program.standardOutput;
  run.exitStatus = program.exitStatus;
  // With the far end closed, reading ends at the end of what the program wrote.
  run.terminal = terminal.drain(seconds(60));
  return run;
}

constexpr char largeFileScript[] = "2\n0\n4\nlarge.in\nlarge.out\n1\n";
const std::string largeFileTail =
    testing::inputFilePrompt + testing::outputFilePrompt + testing::exitQuestion;

TEST(ProgressTest, LargeFileShowsTheLineOnlyWhenStandardErrorIsATerminal) {
  const ScopedTempDir directory;
  testing::writeExampleStore();
  makeSparseFile("large.in", progressThresholdBytes + 1);
  const TerminalRun run = runWithErrorOnTerminal(largeFileScript);
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_TRUE(run.standardOutput.ends_with(largeFileTail)) << run.standardOutput;
  EXPECT_EQ(std::filesystem::file_size("large.out"), progressThresholdBytes + 2);
  // One or more redraws, each a carriage return and the line padded with blanks, then blanks over
  // the line and a carriage return.
  const std::regex shape(R"((\rvexilo: +[0-9]{1,3}%(, [0-9]+\.[0-9] MiB/s)? *)+\r +\r)");
  EXPECT_TRUE(std::regex_match(run.terminal, shape)) << run.terminal;

  // With standard error on a pipe nothing is shown, and standard output is the same to the byte.
  std::filesystem::remove("large.out");
  const testing::ProgramRun piped = testing::runProgram(largeFileScript, 120.0);
  EXPECT_EQ(piped.exitStatus, 0);
  EXPECT_EQ(piped.standardError, "");
  EXPECT_EQ(piped.standardOutput, run.standardOutput);
  EXPECT_EQ(std::filesystem::file_size("large.out"), progressThresholdBytes + 2);
}

TEST(ProgressTest, TheLineIsClearedBeforeANoteOnStandardError) {
  // A note once went on after the indicator, on its line: "vexilo:   1%vexilo: write error ...".
  const ScopedTempDir directory;
  testing::writeExampleStore();
  makeSparseFile("large.in", progressThresholdBytes + 1);
  testing::ProgramOptions limited;
  limited.fileSizeLimit = 3 << 20;
  const TerminalRun run = runWithErrorOnTerminal(largeFileScript, limited);
  EXPECT_EQ(run.exitStatus, 1);
  const std::regex shape(R"((\rvexilo: +[0-9]{1,3}%(, [0-9]+\.[0-9] MiB/s)? *)+\r +\r)"
                         R"(vexilo: write error on large.out: File too large\n)");
  EXPECT_TRUE(std::regex_match(run.terminal, shape)) << run.terminal;
}

}  // namespace
}  // namespace vexilo
