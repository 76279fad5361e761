// File mode's memory and thread on POSIX systems.
#include <pthread.h>
#include <sys/mman.h>

#include <cstring>
#include <new>

#include "app/file_mode_system.h"

namespace vexilo {
namespace {

constexpr std::align_val_t alignment{blockMemoryAlignment};

}  // namespace

void FreeBlockMemory::operator()(char* bytes) const { ::operator delete[](bytes, alignment); }

BlockMemory newBlockMemory() {
  BlockMemory memory(static_cast<char*>(::operator new[](blockMemorySize, alignment)));
#if defined(MADV_HUGEPAGE)
  // Linux's transparent huge pages: the blocks then take two page faults instead of 768, and the
  // kernel's copies into and out of them miss the address translation cache less. Advice only:
  // refused, it leaves the ordinary pages.
  ::madvise(memory.get(), blockMemorySize, MADV_HUGEPAGE);
#endif
  return memory;
}

static_assert(sizeof(pthread_t) <= sizeof(std::uintptr_t));

// The system's own call reports a failure (a limit on threads) instead of throwing.
SecondThread::SecondThread(void (*work)(void*), void* argument) : work_(work), argument_(argument) {
  pthread_t thread{};
  started_ = ::pthread_create(
                 &thread, nullptr,
                 [](void* self) -> void* {
                   const auto* const given = static_cast<SecondThread*>(self);
                   given->work_(given->argument_);
                   return nullptr;
                 },
                 this) == 0;
  std::memcpy(&thread_, &thread, sizeof thread);
}

SecondThread::~SecondThread() {
  if (!started_) return;
  pthread_t thread{};
  std::memcpy(&thread, &thread_, sizeof thread);
  ::pthread_join(thread, nullptr);
}

}  // namespace vexilo
