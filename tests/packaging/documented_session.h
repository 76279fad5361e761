// The sample sessions of the README and of the manual page: read from the documents, then played
// on the program in the working directory and checked against what it writes.
#ifndef VEXILO_TESTS_PACKAGING_DOCUMENTED_SESSION_H_
#define VEXILO_TESTS_PACKAGING_DOCUMENTED_SESSION_H_

#include <string>
#include <vector>

#include "tests/support/run_program.h"

namespace vexilo::testing {

// One line of a documented session, split into what the program writes and what the user types.
struct SessionLine {
  std::string written;  // with a gap ("\n") where typed text stood
  std::string typed;
};

// An example block of the manual page (.EX to .EE), typed text set in bold, and the .SH heading it
// stands under.
struct ExampleBlock {
  std::string section;
  std::vector<SessionLine> lines;
};
std::vector<ExampleBlock> exampleBlocks(const std::string& page);

// The lines of the manual page's EXAMPLES blocks, in order.
std::vector<SessionLine> manualSession(const std::string& page);

// The lines of the README's sample session, the first "text" block under "## A session". Typed is
// the line after one of the program's questions, the rest of a line after the letter or line
// prompt, and the command of a shell line "$ COMMAND".
std::vector<SessionLine> readmeSession(const std::string& readme);

// Plays `session` in the working directory. A shell line "$ vexilo" (or "$ $vexilo") runs
// `program` on the typed lines up to the next shell line, and the written text must stand in its
// standard output in order, with nothing on standard error and exit status 0; "$ cat FILE" must
// show the file's contents; other shell lines and their output are passed over, and so is a line
// "...", where the session was cut. Text that the machine's letters make (rows of the wiring
// table, the answer to the letter and line prompts) is compared with any letter a to z standing
// for any other, since another first run draws other components; a later typed line that shows
// such an answer is replaced by what the program wrote in its place, and the answer to that line
// must then be the documented one. Returns the program's runs.
std::vector<ProgramRun> playSession(const std::vector<SessionLine>& session,
                                    const std::string& program = VEXILO_BINARY);

}  // namespace vexilo::testing

#endif  // VEXILO_TESTS_PACKAGING_DOCUMENTED_SESSION_H_
