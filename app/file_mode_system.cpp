#include "app/file_mode_system.h"

#include <new>

namespace vexilo {
namespace {

constexpr std::align_val_t alignment{blockMemoryAlignment};

}  // namespace

void FreeBlockMemory::operator()(char* bytes) const { ::operator delete[](bytes, alignment); }

BlockMemory newBlockMemory() {
  BlockMemory memory(static_cast<char*>(::operator new[](blockMemorySize, alignment)));
  adviseHugePages(memory.get(), blockMemorySize);
  return memory;
}

}  // namespace vexilo
