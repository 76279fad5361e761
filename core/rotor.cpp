#include "core/rotor.h"

#include <algorithm>
#include <cstddef>

namespace vexilo {
namespace {

// The number of entries the operations may touch: `size`, but never more than the table holds.
std::size_t entriesInUse(const Rotor& rotor) {
  return static_cast<std::size_t>(std::clamp(rotor.size, 0, alphabetSize));
}

}  // namespace

std::int32_t forwardLookup(const Rotor& rotor, std::int32_t index) {
  return lookupEntry(rotor.currentWiring, rotor.size, index);
}

std::int32_t checkedLookup(const Rotor& rotor, std::uint32_t index) {
  return checkedLookupEntry(rotor.currentWiring, rotor.size, index);
}

std::int32_t reverseLookup(const Rotor& rotor, std::int32_t value, std::ostream& out) {
  const std::size_t count = entriesInUse(rotor);
  for (std::size_t i = 0; i < count; ++i) {
    if (rotor.currentWiring[i] == value) return static_cast<std::int32_t>(i);
  }
  out << "error in reverse encryption: sent index =  " << value << '\n';
  return -1;
}

void rotateRotor(Rotor& rotor) {
  const std::size_t count = entriesInUse(rotor);
  if (count == 0) return;
  auto first = rotor.currentWiring.begin();
  std::rotate(first, first + static_cast<std::ptrdiff_t>(count - 1),
              first + static_cast<std::ptrdiff_t>(count));
}

void resetRotor(Rotor& rotor) {
  const auto count = static_cast<std::ptrdiff_t>(entriesInUse(rotor));
  std::copy(rotor.initialWiring.begin(), rotor.initialWiring.begin() + count,
            rotor.currentWiring.begin());
}

}  // namespace vexilo
