// Shared by the package and manual page tests: shell commands whose output is read back.
#ifndef VEXILO_TESTS_PACKAGING_PACKAGING_SUPPORT_H_
#define VEXILO_TESTS_PACKAGING_PACKAGING_SUPPORT_H_

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/support/run_program.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/store_fixture.h"

namespace vexilo::testing {

struct CommandRun {
  std::string output;
  int exitStatus = -1;  // -1 when the command did not exit normally
};

// Runs `command` through the shell and collects its standard output.
inline CommandRun runCommand(const std::string& command) {
  ProgramOptions options;
  options.arguments = {"-c", command};
  options.hostProgram = true;
  const ProgramRun run = runProgram("", 110.0, "/bin/sh", options);
  return {run.standardOutput, run.exitStatus};
}

// `text` quoted for the shell.
inline std::string shellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace vexilo::testing

#endif  // VEXILO_TESTS_PACKAGING_PACKAGING_SUPPORT_H_
