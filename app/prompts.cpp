#include "app/prompts.h"

#include <array>
#include <iomanip>

#include "core/letter.h"
#include "settings/typed_input.h"

namespace vexilo {
namespace {

struct MenuLine {
  const char* text;
  int numberWidth;
  const char* number;
};

constexpr std::array<MenuLine, 4> modeMenu = {{{"for quick encryption", 16, "1"},
                                               {"for descriptive encryption", 10, "2"},
                                               {"for line encryption", 17, "3"},
                                               {"for file encryption", 17, "4"}}};

// One character by formatted extraction, white space skipped; nullopt when `in` has ended.
std::optional<char> readAnswer(std::istream& in) {
  char answer = 0;
  if (!(in >> answer)) return std::nullopt;
  return answer;
}

std::optional<bool> askYesNo(const char* question, std::istream& in, std::ostream& out) {
  out << question << '\n';
  const std::optional<char> answer = readAnswer(in);
  if (!answer) return std::nullopt;
  return *answer == '1';
}

}  // namespace

std::optional<std::int32_t> chooseMode(std::istream& in, std::ostream& out) {
  std::int32_t type = 0;
  while (type == 0 || type > 4) {
    for (const MenuLine& line : modeMenu) {
      out << std::setfill(' ') << std::setw(5) << " " << line.text << std::setfill('.')
          << std::setw(line.numberWidth) << line.number << '\n';
    }
    if (in >> type) {
      // A number that the end of input cuts off may have been meant longer: it is not taken.
      if (in.eof()) return std::nullopt;
    } else {
      if (in.eof() || in.bad()) return std::nullopt;
      // Not a number, or one beyond 32 bits: the line is thrown away and the menu shown again.
      in.clear();
      skipRestOfLine(in);
      type = 0;
    }
  }
  return type;
}

std::optional<std::int32_t> readLetter(std::istream& in, std::ostream& out) {
  for (;;) {
    out << "  enter letter to encrypt, - to stop: ";
    const std::optional<char> input = readAnswer(in);
    if (!input) return std::nullopt;
    if (*input == '-') return stopLetter;
    const std::int32_t index = letterIndex(*input);
    if (index >= 0) return index;
  }
}

bool promptForLine(std::istream& in, std::ostream& out) {
  if (!skipRestOfLine(in)) return false;
  out << "enter line to encrypt (any characters not in alphabet will be ignored, spaces will be "
         "preserved): ";
  return true;
}

LinePiece readLinePiece(std::string& piece, std::istream& in) {
  // One byte more for the terminating zero that getline writes.
  piece.resize(lineHoldLimit + 1);
  in.getline(piece.data(), static_cast<std::streamsize>(piece.size()));
  const auto extracted = static_cast<std::size_t>(in.gcount());
  // A read error counts as the end of input.
  if (in.eof() || in.bad()) return LinePiece::inputEnded;
  if (in.fail()) {
    // The piece is full and the line goes on.
    in.clear();
    piece.resize(extracted);
    return LinePiece::morePieces;
  }
  // The line end was extracted too.
  piece.resize(extracted - 1);
  return LinePiece::lastPiece;
}

std::optional<bool> askStop(std::istream& in, std::ostream& out) {
  return askYesNo("Would you like to stop? (1 for yes, 2 for no)", in, out);
}

std::optional<bool> askReset(std::istream& in, std::ostream& out) {
  const std::optional<bool> reset =
      askYesNo("Would you like to reset the machine? (1 for yes, 2 for no)", in, out);
  if (!reset || !skipRestOfLine(in)) return std::nullopt;
  return reset;
}

std::optional<bool> askExit(std::istream& in, std::ostream& out) {
  return askYesNo("Would you like to exit Vexilo? (1 for yes, 2 for no)", in, out);
}

}  // namespace vexilo
