#include "core/plugboard.h"

namespace vexilo {

std::int32_t forwardLookup(const Plugboard& plugboard, std::int32_t index) {
  return lookupEntry(plugboard.wiring, plugboard.size, index);
}

std::int32_t checkedLookup(const Plugboard& plugboard, std::uint32_t index) {
  return checkedLookupEntry(plugboard.wiring, plugboard.size, index);
}

}  // namespace vexilo
