// File mode's memory and thread on Windows. Large pages there need a right that users lack (to lock
// pages in memory), so the blocks take ordinary pages.
#include "app/file_mode_system.h"

#include <windows.h>

namespace vexilo {
void adviseHugePages(char*, std::size_t) {}

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
