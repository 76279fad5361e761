// The process's standard streams as the program uses them, on every system alike: answers read
// from standard input, and bytes written to standard output and standard error just as the
// program writes them.
//
// What each system must do is in console_posix.cpp and console_windows.cpp.
#ifndef VEXILO_STORE_CONSOLE_H_
#define VEXILO_STORE_CONSOLE_H_

#include <streambuf>

#include "store/file_system.h"

namespace vexilo {

// Readies the standard streams for a session, once, before anything is read or written. On POSIX
// systems a file-size limit then fails a write instead of ending the program by its signal. On
// Windows standard output and error take the program's bytes unchanged (no CR before a line end),
// and a console shows them as UTF-8 until the program ends.
void prepareStandardStreams();

// Standard input, read as the system's text: on Windows CR LF ends a line as LF does, and Ctrl-Z
// then Enter at the start of a line ends the input; a console's letters beyond ASCII arrive as
// UTF-8. Elsewhere the bytes as they come. After `prepareStandardStreams` and after the standard
// streams are made unsynchronised (which replaces their buffers).
std::streambuf* standardInputBuffer();

FileHandle standardOutputFile();
FileHandle standardErrorFile();

// Whether `file` is a terminal (a console on Windows), where a person watches.
bool isTerminal(FileHandle file);

}  // namespace vexilo

#endif  // VEXILO_STORE_CONSOLE_H_
