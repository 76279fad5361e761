// Enciphering running text: letters go through the machine, every other character passes through.
#ifndef VEXILO_CORE_TEXT_CIPHER_H_
#define VEXILO_CORE_TEXT_CIPHER_H_

#include <iostream>
#include <string>
#include <string_view>

#include "core/cipher_table.h"
#include "core/signal_path.h"

namespace vexilo {

// Appends `text` enciphered to `enciphered`: each letter a to z in either case is enciphered in
// lower case and steps the machine; any other byte is copied as it is and moves nothing. Failure
// lines of a broken machine's reverse lookups go to `out`, as they arise. A machine whose
// components keep their invariants is enciphered through a table of all its positions, kept in
// `cache`, with the same result, letter for letter, as `encipherTextLetterByLetter`.
void encipherText(Machine& machine, CipherTableCache& cache, std::string_view text,
                  std::string& enciphered, std::ostream& out = std::cout);

// As `encipherText`, always letter by letter: `quickEncrypt` on fresh copies of the components,
// then `advanceMachine`.
void encipherTextLetterByLetter(Machine& machine, std::string_view text, std::string& enciphered,
                                std::ostream& out = std::cout);

// Writes `text` enciphered to `out`, each character as it is enciphered, so that the failure lines
// of a broken machine's reverse lookups stand between the characters: those of a letter come after
// the character before it and before its own.
void writeEncipheredText(Machine& machine, CipherTableCache& cache, std::string_view text,
                         std::ostream& out = std::cout);

}  // namespace vexilo

#endif  // VEXILO_CORE_TEXT_CIPHER_H_
