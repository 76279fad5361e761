// The standard streams on POSIX systems: the bytes as they come and go.
#include "store/console.h"

#include <unistd.h>

#include <csignal>
#include <iostream>

namespace vexilo {

void prepareStandardStreams() { std::signal(SIGXFSZ, SIG_IGN); }

std::streambuf* standardInputBuffer() { return std::cin.rdbuf(); }

FileHandle standardOutputFile() { return STDOUT_FILENO; }

FileHandle standardErrorFile() { return STDERR_FILENO; }

bool isTerminal(FileHandle file) { return ::isatty(static_cast<int>(file)) == 1; }

}  // namespace vexilo
