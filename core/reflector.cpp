#include "core/reflector.h"

namespace vexilo {

std::int32_t forwardLookup(const Reflector& reflector, std::int32_t index) {
  return lookupEntry(reflector.wiring, reflector.size, index);
}

std::int32_t checkedLookup(const Reflector& reflector, std::uint32_t index) {
  return checkedLookupEntry(reflector.wiring, reflector.size, index);
}

}  // namespace vexilo
