// Runs the built vexilo binary in the working directory with a scripted standard input. One file
// per system does it: run_program_posix.cpp (fork and exec) and run_program_windows.cpp
// (CreateProcessW); the parts that are the same on both are in run_program.cpp.
#ifndef VEXILO_TESTS_SUPPORT_RUN_PROGRAM_H_
#define VEXILO_TESTS_SUPPORT_RUN_PROGRAM_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vexilo::testing {

struct ProgramRun {
  std::string standardOutput;
  std::string standardError;
  int exitStatus = -1;    // the exit code, or -1 when the program did not exit by itself (a
                          // signal, or on Windows an exception's status 0xC0000000 and above)
  bool timedOut = false;  // killed after the time limit
};

// How the program is started, beyond its standard input. The three limits and an LD_PRELOAD in
// the environment take effect on POSIX systems only; tests that need them are skipped elsewhere
// (tests/support/posix_only.h).
struct ProgramOptions {
  std::vector<std::string> arguments;              // after the program's name
  std::string workingDirectory;                    // empty: the test's own
  std::vector<std::string> environment;            // "NAME=value", added to the test's own
  std::optional<unsigned long> fileSizeLimit;      // in bytes, as `ulimit -f` sets it
  std::optional<unsigned long> addressSpaceLimit;  // in bytes, as `ulimit -v` sets it
  std::optional<unsigned long> openFileLimit;      // descriptors, as `ulimit -n` sets it
  int standardErrorTo = -1;     // a descriptor standard error goes to instead of being captured
  bool hostProgram = false;     // a program of the machine running the tests (the shell), which a
                                // cross build's tests start without the emulator
  bool startsPrograms = false;  // on Windows, a shell that starts programs (Command Prompt): it
                                // gets a console of its own, unseen, for under Wine only a
                                // Command Prompt with a console hands its streams to them
};

// A program started by startProgram and not yet waited for: its process ID on POSIX systems, its
// process handle on Windows.
struct StartedProgram {
  std::intptr_t process = -1;
};

// How a started program ended.
struct ProgramEnd {
  int exitStatus = -1;  // the exit code, or -1 when it did not exit by itself
  bool killed = false;  // ended by killProgram (and not before it by itself)
};

// The words that start `program`, the built vexilo or a copy of it: in a cross build for another
// Linux, the emulator that runs the tests (CMake's CMAKE_CROSSCOMPILING_EMULATOR) comes first. A
// Windows build's tests start Windows programs themselves, so there the program is alone.
std::vector<std::string> programCommand(const std::string& program = VEXILO_BINARY);

// The same words as one shell command line (no word holds a blank or a quote).
std::string programCommandLine(const std::string& program = VEXILO_BINARY);

// Runs `program` (the built vexilo by default) with `standardInput` as its whole standard input,
// which then ends, while its standard output and error are read; kills it after
// `timeLimitSeconds`.
ProgramRun runProgram(const std::string& standardInput, double timeLimitSeconds = 20.0,
                      const std::string& program = VEXILO_BINARY,
                      const ProgramOptions& options = {});

// Starts `program` with `standardInput` (far smaller than a pipe's buffer) and its output thrown
// away, standard error too unless the options give it a descriptor, and returns without waiting:
// the caller must wait for it with waitForProgram.
StartedProgram startProgram(const std::string& standardInput,
                            const std::string& program = VEXILO_BINARY,
                            const ProgramOptions& options = {});

// Ends `program` at once, giving it no chance to tidy up: SIGKILL on POSIX systems,
// TerminateProcess on Windows. Nothing happens when it has ended already.
void killProgram(const StartedProgram& program);

// Waits until `program` has ended and releases what is kept of it; `program` must not be used
// again.
ProgramEnd waitForProgram(const StartedProgram& program);

}  // namespace vexilo::testing

#endif  // VEXILO_TESTS_SUPPORT_RUN_PROGRAM_H_
