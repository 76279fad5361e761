// Standard output that cannot be written once lost a whole session silently, with status 0.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/run_program.h"
#include "tests/support/scoped_temp_dir.h"

namespace vexilo::testing {
namespace {

TEST(StandardOutputTest, AFullDeviceIsReportedWithStatusOneAndAClosedPipeEndsQuietly) {
  const ScopedTempDir directory;
  const struct {
    std::string shellCommand;  // "$@" starts the program
    std::string standardError;
    int exitStatus;
  } cases[] = {
      {"exec \"$@\" > /dev/full",
       "vexilo: write error on standard output: No space left on device\n", 1},
      // The status of the pipe is that of `head`; the program ends by its signal, saying nothing.
      {"\"$@\" | head -c 10 > /dev/null", "", 0},
  };
  for (const auto& c : cases) {
    ProgramOptions shell;
    shell.arguments = {"-c", c.shellCommand, "sh"};
    for (const std::string& word : programCommand()) shell.arguments.push_back(word);
    shell.hostProgram = true;
    const ProgramRun run = runProgram("1\n3\nsome words\n2\nmore\n1\n1\n", 20.0, "/bin/sh", shell);
    EXPECT_EQ(run.standardError, c.standardError) << c.shellCommand;
    EXPECT_EQ(run.exitStatus, c.exitStatus) << c.shellCommand;
  }
}

}  // namespace
}  // namespace vexilo::testing
