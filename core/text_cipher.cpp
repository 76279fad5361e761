#include "core/text_cipher.h"

namespace vexilo {

void encipherText(Machine& machine, CipherTableCache& cache, std::string_view text,
                  std::string& enciphered, std::ostream& out) {
  if (encipherTextByTable(machine, cache, text, enciphered)) return;
  encipherTextLetterByLetter(machine, text, enciphered, out);
}

void encipherTextLetterByLetter(Machine& machine, std::string_view text, std::string& enciphered,
                                std::ostream& out) {
  for (const char character : text) {
    const std::int32_t index = letterIndex(character);
    enciphered += index < 0 ? character : indexToLetter(encipherAndStep(machine, index, out));
  }
}

void writeEncipheredText(Machine& machine, CipherTableCache& cache, std::string_view text,
                         std::ostream& out) {
  CipherTableKey key;
  if (!tableApplies(machine, key)) {
    for (const char character : text) {
      const std::int32_t index = letterIndex(character);
      out.put(index < 0 ? character : indexToLetter(encipherAndStep(machine, index, out)));
    }
    return;
  }
  // No failure lines can arise: the text goes out in pieces of a bounded size.
  constexpr std::size_t pieceSize = std::size_t{1} << 16;
  std::string enciphered;
  for (std::size_t start = 0; start < text.size(); start += pieceSize) {
    enciphered.clear();
    encipherTextByTable(machine, cache, text.substr(start, pieceSize), enciphered);
    out.write(enciphered.data(), static_cast<std::streamsize>(enciphered.size()));
  }
}

}  // namespace vexilo
