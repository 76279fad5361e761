// Memory and threads on POSIX systems.
#include "system/memory_and_threads.h"

#include <pthread.h>
#include <sys/mman.h>

#include <cstring>

#include "system/posix_calls.h"

namespace vexilo {
Status adviseHugePages([[maybe_unused]] char* memory, [[maybe_unused]] std::size_t size) {
#if defined(MADV_HUGEPAGE)
  // Linux's transparent huge pages: blocks then take two page faults instead of 768, and the
  // kernel's copies into and out of them miss the address translation cache less.
  if (::madvise(memory, size, MADV_HUGEPAGE) != 0) return lastError();
  return Done{};
#else
  return errorNumbered(EINVAL);
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
