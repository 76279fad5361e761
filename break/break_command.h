// The command line of `vexilo-break`: the ciphertext, the store and the options read, the search
// run, and its outcome written: the best machines on standard output, one to a line, and the
// notes on the way (where a crib can stand, how many machines there are, what was passed over) on
// standard error.
#ifndef VEXILO_BREAK_BREAK_COMMAND_H_
#define VEXILO_BREAK_BREAK_COMMAND_H_

#include <iostream>
#include <span>

#include "store/file_system.h"

namespace vexilo {

// Exit statuses: the best machines shown; the ciphertext could not be broken (no store, no
// letters, a crib that fits nowhere, a file that cannot be read or written); the command line is
// wrong.
inline constexpr int breakSucceeded = 0;
inline constexpr int breakFailed = 1;
inline constexpr int breakUsageError = 2;

// Runs the command line `arguments` (the program's name first) and returns the exit status.
// `in` is read for the ciphertext "-"; the progress line goes to `progressTerminal` when it is a
// terminal.
int runBreak(std::span<const char* const> arguments, std::istream& in, std::ostream& out,
             std::ostream& err, FileHandle progressTerminal = noFile);

}  // namespace vexilo

#endif  // VEXILO_BREAK_BREAK_COMMAND_H_
