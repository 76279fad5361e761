// The program's command line: --help and --version are answered without a session; every other
// argument is ignored.
#ifndef VEXILO_APP_COMMAND_LINE_H_
#define VEXILO_APP_COMMAND_LINE_H_

#include <iostream>
#include <span>

namespace vexilo {

// Runs what the command line `arguments` (the program's name first) ask for and returns the exit
// status. The first "--help" or "--version" among them writes the usage text or "vexilo VERSION"
// to `out` and gives 0, without reading `in` or touching a file; otherwise a whole session runs
// (see runVexilo).
int runCommandLine(std::span<const char* const> arguments, std::istream& in = std::cin,
                   std::ostream& out = std::cout, std::ostream& err = std::cerr);

}  // namespace vexilo

#endif  // VEXILO_APP_COMMAND_LINE_H_
