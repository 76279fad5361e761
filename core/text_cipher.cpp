#include "core/text_cipher.h"

#include "core/cipher_table.h"

namespace vexilo {

void encipherText(Machine& machine, std::string_view text, std::string& enciphered,
                  std::ostream& out) {
  if (encipherTextByTable(machine, text, enciphered)) return;
  encipherTextLetterByLetter(machine, text, enciphered, out);
}

void encipherTextLetterByLetter(Machine& machine, std::string_view text, std::string& enciphered,
                                std::ostream& out) {
  for (const char character : text) {
    const std::int32_t index = letterIndex(character);
    enciphered += index < 0 ? character : indexToLetter(encipherAndStep(machine, index, out));
  }
}

}  // namespace vexilo
