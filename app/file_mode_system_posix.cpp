// File mode's memory and thread on POSIX systems.
#include "app/file_mode_system.h"

#include <pthread.h>
#include <sys/mman.h>

#include <cstring>

namespace vexilo {
void adviseHugePages([[maybe_unused]] char* memory, [[maybe_unused]] std::size_t size) {
#if defined(MADV_HUGEPAGE)
  // Linux's transparent huge pages: the blocks then take two page faults instead of 768, and the
  // kernel's copies into and out of them miss the address translation cache less.
  ::madvise(memory, size, MADV_HUGEPAGE);
#endif
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
