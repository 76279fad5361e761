#include "core/letter.h"

#include <cstddef>

namespace vexilo {

char indexToLetter(std::int32_t value) {
  return static_cast<char>(static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) + 97U));
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
