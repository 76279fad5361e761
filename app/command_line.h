// The program's command line: --help and --version are answered without a session; every other
// argument is ignored.
#ifndef VEXILO_APP_COMMAND_LINE_H_
#define VEXILO_APP_COMMAND_LINE_H_

#include <iostream>
#include <span>

namespace vexilo {

// The systems whose users the help is written for: their shells, and where the manual is.
enum class HelpSystem {
  posix,    // a POSIX shell; the manual is `man vexilo`
  windows,  // Command Prompt; the manual is manual.html or manual.txt beside the program
};

#ifdef _WIN32
inline constexpr HelpSystem thisHelpSystem = HelpSystem::windows;
#else
inline constexpr HelpSystem thisHelpSystem = HelpSystem::posix;
#endif

// Writes the usage text written for the users of `system`.
void writeUsage(std::ostream& out, HelpSystem system = thisHelpSystem);

// Runs what the command line `arguments` (the program's name first) ask for and returns the exit
// status. The first "--help" or "--version" among them (for Windows, "/?" and "-h" count as
// "--help") writes the usage text for `system` or "vexilo VERSION" to `out` and gives 0, without
// reading `in` or touching a file; otherwise a whole session runs (see runVexilo).
int runCommandLine(std::span<const char* const> arguments, std::istream& in = std::cin,
                   std::ostream& out = std::cout, std::ostream& err = std::cerr,
                   HelpSystem system = thisHelpSystem);

}  // namespace vexilo

#endif  // VEXILO_APP_COMMAND_LINE_H_
