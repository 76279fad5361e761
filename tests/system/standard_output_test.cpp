// Standard output that cannot be written once lost a whole session silently, with status 0.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/run_program.h"
#include "tests/support/scoped_temp_dir.h"

namespace vexilo::testing {
namespace {

TEST(StandardOutputTest, AFullDeviceOrAPipeClosedUnderAnIgnoredSignalIsReportedWithStatusOne) {
  const ScopedTempDir directory;
  const struct {
    std::string shellCommand;  // $0 is the program
    std::string standardError;
    int exitStatus;
  } cases[] = {
      {"exec \"$0\" > /dev/full",
       "vexilo: write error on standard output: No space left on device\n", 1},
      // The status of the pipe is that of `head`; the program ends by its signal, saying nothing.
      {"\"$0\" | head -c 10 > /dev/null", "", 0},
      // A caller that ignores the signal once got status 0 and no word from a closed pipe.
      {"trap '' PIPE; { \"$0\"; echo $? > status; } | head -c 10 > /dev/null; exit $(cat status)",
       "vexilo: write error on standard output: Broken pipe\n", 1},
  };
  // More output than a pipe holds: the program writes on after `head` has gone.
  const std::string input = "1\n3\n" + std::string(1 << 18, 'w') + "\n2\nmore\n1\n1\n";
  for (const auto& c : cases) {
    ProgramOptions shell;
    shell.arguments = {"-c", c.shellCommand, VEXILO_BINARY};
    const ProgramRun run = runProgram(input, 20.0, "/bin/sh", shell);
    EXPECT_EQ(run.standardError, c.standardError) << c.shellCommand;
    EXPECT_EQ(run.exitStatus, c.exitStatus) << c.shellCommand;
  }
}

}  // namespace
}  // namespace vexilo::testing
