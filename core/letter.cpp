#include "core/letter.h"

#include <cstddef>

namespace vexilo {

char indexToLetter(std::int32_t value) {
  return static_cast<char>(static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) + 97U));
}

std::int32_t letterIndex(char character) {
  const auto code = static_cast<unsigned char>(character);
  if (code >= 'a' && code <= 'z') return code - 'a';
  if (code >= 'A' && code <= 'Z') return code - 'A';
  return -1;
}

std::int32_t lookupEntry(const Wiring& wiring, std::int32_t size, std::int32_t index) {
  if (index < 0 || index >= size || index >= alphabetSize) return -1;
  return wiring[static_cast<std::size_t>(index)];
}

std::int32_t checkedLookupEntry(const Wiring& wiring, std::int32_t size, std::uint32_t index) {
  if (size <= 0 || index >= static_cast<std::uint32_t>(size) || index >= alphabetSize) {
    return checkedLookupOutOfRange;
  }
  return wiring[index];
}

}  // namespace vexilo
