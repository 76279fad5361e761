// Answers read from the console in memory that does not grow with what is typed: a word keeps at
// most its first `typedWordLimit` bytes, and the rest of a line is skipped rather than kept.
#ifndef VEXILO_SETTINGS_TYPED_INPUT_H_
#define VEXILO_SETTINGS_TYPED_INPUT_H_

#include <cstddef>
#include <iostream>
#include <string>

namespace vexilo {

// The most of a typed word (a file name, a setting ID) that is kept; no file name the system
// takes is longer.
inline constexpr std::size_t typedWordLimit = 4096;

// As `in >> word`: skips white space, then reads up to the next white space (left in `in`) or the
// end of input (which sets eofbit). `word` gets the word's first `typedWordLimit` bytes and the
// rest of the word is skipped. Returns false, with failbit set, when no word was there.
bool readTypedWord(std::istream& in, std::string& word);

// Skips the rest of the current line, its line end too. Returns false when `in` had nothing left
// at all (it has ended), as reading the rest into a string would.
bool skipRestOfLine(std::istream& in);

}  // namespace vexilo

#endif  // VEXILO_SETTINGS_TYPED_INPUT_H_
