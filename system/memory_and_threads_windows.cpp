// Memory and threads on Windows.
#include "system/memory_and_threads.h"

#include <cerrno>

#include "system/windows_calls.h"

namespace vexilo {

// Large pages need a right that users lack (to lock pages in memory): memory keeps ordinary pages.
Status adviseHugePages(char*, std::size_t) { return errorNumbered(EINVAL); }

SecondThread::SecondThread(void (*work)(void*), void* argument) : work_(work), argument_(argument) {
  // On x86-64 the system's calling convention is the only one, so a plain function serves.
  const HANDLE thread = ::CreateThread(
      nullptr, 0,
      [](void* self) -> DWORD {
        const auto* const given = static_cast<SecondThread*>(self);
        given->work_(given->argument_);
        return 0;
      },
      this, 0, nullptr);
  started_ = thread != nullptr;
  thread_ = reinterpret_cast<std::uintptr_t>(thread);
}

SecondThread::~SecondThread() {
  if (!started_) return;
  const HANDLE thread = reinterpret_cast<HANDLE>(thread_);
  ::WaitForSingleObject(thread, INFINITE);
  ::CloseHandle(thread);
}

}  // namespace vexilo
