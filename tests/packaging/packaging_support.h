// Shared by the package and manual page tests: a small store and shell commands whose output is
// read back.
#ifndef VEXILO_TESTS_PACKAGING_PACKAGING_SUPPORT_H_
#define VEXILO_TESTS_PACKAGING_PACKAGING_SUPPORT_H_

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/support/scoped_temp_dir.h"

namespace vexilo::testing {

struct CommandRun {
  std::string output;
  int exitStatus = -1;  // -1 when the command did not exit normally
};

// Runs `command` through the shell and collects its standard output.
inline CommandRun runCommand(const std::string& command) {
  CommandRun run;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    run.output.append(buffer, got);
  }
  const int status = ::pclose(pipe);
  if (status != -1 && WIFEXITED(status)) run.exitStatus = WEXITSTATUS(status);
  return run;
}

// `text` quoted for the shell.
inline std::string shellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Setting 0 made of rotors 0, 1 and 2, reflector 0 and plugboard 0.
inline void writeExampleStore() {
  writeFile("ExistingRotorSettings26.txt",
            "0,18,3,9,4,22,25,10,17,20,24,16,21,0,14,11,7,19,8,5,6,23,12,1,2,13,15\n"
            "1,21,7,6,19,10,23,4,15,24,8,20,18,1,9,2,16,14,25,17,22,12,11,13,0,5,3\n"
            "2,6,10,16,21,7,8,11,2,25,15,1,5,22,0,17,9,12,13,4,3,19,14,23,18,20,24\n");
  writeFile("ExistingReflectorSettings26.txt",
            "0,6,3,5,1,10,2,0,9,13,7,4,24,18,8,15,14,22,23,12,20,19,25,16,17,11,21\n");
  writeFile("ExistingPlugBoardSettings26.txt",
            "0,13,5,6,13,14,24,0,1,11,25,12,17,7,9,2,3,19,21,10,20,15,18,16,23,22,4,8\n");
  writeFile("initalSettings26.txt", "0,0,0,1,2,0\n");
}

}  // namespace vexilo::testing

#endif  // VEXILO_TESTS_PACKAGING_PACKAGING_SUPPORT_H_
