// The program itself: the set-up dialogue, loading and showing the machine, and the main loop of
// the reset question, the mode menu, the four modes and the exit question.
#ifndef VEXILO_APP_MAIN_LOOP_H_
#define VEXILO_APP_MAIN_LOOP_H_

#include <iostream>

namespace vexilo {

// Runs a whole session on `in` and `out`, with the store files in the working directory, and
// returns the exit status: 0 after the exit question is answered "1" and when `in` ends at any
// read; 1 when the session ends because file mode's input file could not be opened or read, and 1
// at either end when file mode's output could not be opened or written in the session. Notes
// naming a file and the reason it failed go to `err`.
int runVexilo(std::istream& in = std::cin, std::ostream& out = std::cout,
              std::ostream& err = std::cerr);

}  // namespace vexilo

#endif  // VEXILO_APP_MAIN_LOOP_H_
