// The console prompts of the main loop. Each writes its prompt to `out` and reads its answer from
// `in`; nullopt (or false) means that `in` has ended, and nothing more is to be read or written.
// A number or line that the end of input cuts off, before the white space or line end that would
// finish it, counts as ended too: the user never finished typing it.
#ifndef VEXILO_APP_PROMPTS_H_
#define VEXILO_APP_PROMPTS_H_

#include <cstddef>
#include <cstdint>
#include <iostream>
#include <optional>
#include <string>

namespace vexilo {

// Returned by `readLetter` when "-" is typed.
inline constexpr std::int32_t stopLetter = -2;

// Shows the four-line mode menu until a number from 1 to 4, or a negative one, is typed, and
// returns it. Anything that is not a 32-bit number throws the rest of its line away and shows the
// menu again.
std::optional<std::int32_t> chooseMode(std::istream& in = std::cin, std::ostream& out = std::cout);

// Prompts until a letter (either case) or "-" is typed; returns its letter index, or `stopLetter`.
// Other characters are dropped silently.
std::optional<std::int32_t> readLetter(std::istream& in = std::cin, std::ostream& out = std::cout);

// The most of a typed line that line mode holds at once.
inline constexpr std::size_t lineHoldLimit = std::size_t{1} << 20;

// Throws away the rest of the current input line and prompts for a line to encipher.
bool promptForLine(std::istream& in = std::cin, std::ostream& out = std::cout);

enum class LinePiece {
  lastPiece,   // the line ended here; its line end was read and is not in the piece
  morePieces,  // the piece is `lineHoldLimit` bytes long and the line goes on
  inputEnded,  // the end of input came before the line end: the piece is not to be used
};

// Reads the next piece of the typed line into `piece`: the rest of the line up to its line end, or
// the next `lineHoldLimit` bytes of it when it goes on beyond them. A line that the end of input
// cuts off was never finished: its last piece is not taken.
LinePiece readLinePiece(std::string& piece, std::istream& in = std::cin);

// Asks whether to stop; true exactly when the answer is "1".
std::optional<bool> askStop(std::istream& in = std::cin, std::ostream& out = std::cout);

// Asks whether to reset the machine and throws the rest of the answer's line away; true exactly
// when the answer is "1".
std::optional<bool> askReset(std::istream& in = std::cin, std::ostream& out = std::cout);

// Asks whether to exit; true exactly when the answer is "1".
std::optional<bool> askExit(std::istream& in = std::cin, std::ostream& out = std::cout);

}  // namespace vexilo

#endif  // VEXILO_APP_PROMPTS_H_
