// File mode: a whole text file enciphered into another text file.
#ifndef VEXILO_APP_FILE_MODE_H_
#define VEXILO_APP_FILE_MODE_H_

#include <iostream>

#include "core/cipher_table.h"
#include "core/signal_path.h"

namespace vexilo {

enum class FileModeOutcome {
  done,             // the file was enciphered
  outputUnwritten,  // the output could not be opened, was refused, or was not written whole: a
                    // write failed, or the input could not be read to its end
  inputUnusable,    // the input file could not be opened or read: the program ends
  inputEnded,       // standard input ended at one of the prompts, or cut a file name off
};

// Asks for the input and output file names and enciphers the input, line by line, into the output
// (truncated first), stepping `machine`; a machine that keeps its invariants goes through the
// table in `cipherTable`, on two threads, and a broken one letter by letter, with its failure
// lines on `out` as they arise. Every output line ends in a line end, the last one too, unless
// reading the input failed part-way. A name is typed as `readTypedFileName` reads it: one word,
// or in double quotes when it holds blanks; one longer than `typedWordLimit` bytes is taken as its
// first ones, and one whose double quote is not closed on its line is a name that cannot be opened.
// Writes "unable to open file" to `out` when the input cannot be opened or read, and when the
// output cannot be opened or is the input file itself or a file of the store, which are never
// changed; a name with a NUL byte in it opens nothing. After a write error no more of the input is
// read: the machine has moved by the letters read until then. Every failure to open, read or write
// either file also gets a note on `err` naming the file and the reason.
FileModeOutcome runFileMode(Machine& machine, CipherTableCache& cipherTable,
                            std::istream& in = std::cin, std::ostream& out = std::cout,
                            std::ostream& err = std::cerr);

}  // namespace vexilo

#endif  // VEXILO_APP_FILE_MODE_H_
