// Answers read from the console in memory that does not grow with what is typed: a word keeps at
// most its first `typedWordLimit` bytes, and the rest of a line is skipped rather than kept.
#ifndef VEXILO_SETTINGS_TYPED_INPUT_H_
#define VEXILO_SETTINGS_TYPED_INPUT_H_

#include <cstddef>
#include <iostream>
#include <string>
#include <string_view>

namespace vexilo {

// The most of a typed word (a file name, a setting ID) that is kept; no file name the system
// takes is longer.
inline constexpr std::size_t typedWordLimit = 4096;

// As `in >> word`: skips white space, then reads up to the next white space (left in `in`) or the
// end of input (which sets eofbit). `word` gets the word's first `typedWordLimit` bytes and the
// rest of the word is skipped. Returns false, with failbit set, when no word was there.
bool readTypedWord(std::istream& in, std::string& word);

// How reading a typed file name ended.
enum class TypedFileName {
  taken,     // the name is there
  unclosed,  // it opened with a double quote that its line does not close: it names no file
  ended,     // standard input ended before a name was finished
};

// The reason given for a name whose opening double quote is not closed on its line.
inline constexpr std::string_view unclosedQuoteReason = "its double quote is not closed";

// Reads a file name as typed, after white space: when it begins with a double quote, everything
// up to the next double quote on the same line, blanks too (`"my letter.txt"` is the name
// my letter.txt, and `""` the empty name); otherwise one word, as `readTypedWord` reads it. Either
// way `name` keeps at most its first `typedWordLimit` bytes, and what follows the name stays in
// `in`. Gives `unclosed`, with `name` holding the quote and the rest of its line (the line end
// left in `in`), when no double quote follows on the line; `ended` when the input ends before the
// name is finished: before any name, in a word, or after an opening quote.
TypedFileName readTypedFileName(std::istream& in, std::string& name);

// Skips the rest of the current line, its line end too. Returns false when `in` had nothing left
// at all (it has ended), as reading the rest into a string would.
bool skipRestOfLine(std::istream& in);

}  // namespace vexilo

#endif  // VEXILO_SETTINGS_TYPED_INPUT_H_
