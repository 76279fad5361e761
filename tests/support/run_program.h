// Runs the built vexilo binary in the working directory with a scripted standard input.
#ifndef VEXILO_TESTS_SUPPORT_RUN_PROGRAM_H_
#define VEXILO_TESTS_SUPPORT_RUN_PROGRAM_H_

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace vexilo::testing {

struct ProgramRun {
  std::string standardOutput;
  std::string standardError;
  int exitStatus = -1;    // the exit code, or -1 when the program did not exit normally
  bool timedOut = false;  // killed after the time limit
};

// How the program is started, beyond its standard input.
struct ProgramOptions {
  std::vector<std::string> arguments;              // after the program's name
  std::string workingDirectory;                    // empty: the test's own
  std::vector<std::string> environment;            // "NAME=value", added to the test's own
  std::optional<unsigned long> fileSizeLimit;      // in bytes, as `ulimit -f` sets it
  std::optional<unsigned long> addressSpaceLimit;  // in bytes, as `ulimit -v` sets it
  std::optional<unsigned long> openFileLimit;      // descriptors, as `ulimit -n` sets it
  int standardErrorTo = -1;  // a descriptor standard error goes to instead of being captured
  bool hostProgram = false;  // a program of the machine running the tests (the shell), which a
                             // cross build's tests start without the emulator
};

// The words that start `program`, the built vexilo or a copy of it: in a cross build, the emulator
// that runs the tests (CMake's CMAKE_CROSSCOMPILING_EMULATOR) comes first.
std::vector<std::string> programCommand(const std::string& program = VEXILO_BINARY);

// The same words as one shell command line (no word holds a blank or a quote).
std::string programCommandLine(const std::string& program = VEXILO_BINARY);

// Runs `program` (the built vexilo by default) with `standardInput` as its whole standard input,
// which then ends; kills it after `timeLimitSeconds`.
ProgramRun runProgram(const std::string& standardInput, double timeLimitSeconds = 20.0,
                      const std::string& program = VEXILO_BINARY,
                      const ProgramOptions& options = {});

// Starts `program` with `standardInput` (far smaller than a pipe's buffer) and its output thrown
// away, standard error too unless the options give it a descriptor; the caller waits for it.
pid_t startProgram(const std::string& standardInput, const std::string& program = VEXILO_BINARY,
                   const ProgramOptions& options = {});

}  // namespace vexilo::testing

#endif  // VEXILO_TESTS_SUPPORT_RUN_PROGRAM_H_
