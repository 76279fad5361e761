#include "core/wiring_display.h"

#include <array>
#include <iomanip>
#include <string>

namespace vexilo {
namespace {

constexpr int cellIndent = 5;
constexpr int cellTextWidth = 10;

void writeCell(std::ostream& out, const std::string& text) {
  out << std::setfill(' ') << std::setw(cellIndent) << " " << std::setw(cellTextWidth) << text;
}

}  // namespace

void showWiring(Rotor rotor1, Rotor rotor2, Rotor rotor3, Reflector reflector, Plugboard plugboard,
                std::ostream& out) {
  static constexpr std::array<const char*, 9> headings = {"Plugboard", "Rotor1",    "Rotor2",
                                                          "Rotor3",    "Reflector", "Rotor3R",
                                                          "Rotor2R",   "Rotor1R",   "Plugboard"};
  out << std::setfill(' ');
  for (const char* heading : headings) writeCell(out, heading);
  out << '\n';

  const std::string arrow = " --> ";
  for (std::int32_t i = 0; i < alphabetSize; ++i) {
    const std::string begin = indexToLetter(i) + arrow;
    const auto index = static_cast<std::uint32_t>(i);
    // Every cell is built before the row is written, so failure lines of the reverse lookups
    // stand above their row.
    const std::array<std::string, 8> words = {
        begin + indexToLetter(checkedLookup(plugboard, index)),
        begin + indexToLetter(checkedLookup(rotor1, index)),
        begin + indexToLetter(checkedLookup(rotor2, index)),
        begin + indexToLetter(checkedLookup(rotor3, index)),
        begin + indexToLetter(checkedLookup(reflector, index)),
        begin + indexToLetter(reverseLookup(rotor3, i, out)),
        begin + indexToLetter(reverseLookup(rotor2, i, out)),
        begin + indexToLetter(reverseLookup(rotor1, i, out))};
    for (const std::string& word : words) writeCell(out, word);
    writeCell(out, words[0]);
    out << '\n';
  }
  out << '\n';
}

}  // namespace vexilo
