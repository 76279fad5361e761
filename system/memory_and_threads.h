// What the program needs of the system beyond files: advice on memory, and a second thread.
//
// memory_and_threads_posix.cpp and memory_and_threads_windows.cpp make the calls; the build takes
// one.
#ifndef VEXILO_SYSTEM_MEMORY_AND_THREADS_H_
#define VEXILO_SYSTEM_MEMORY_AND_THREADS_H_

#include <cstddef>
#include <cstdint>

#include "system/result.h"

namespace vexilo {

// Asks the system for pages of 2 MiB for the `size` bytes at `memory`, where it has them. Advice
// only: refused (or where the system has no such pages), it leaves the ordinary pages.
Status adviseHugePages(char* memory, std::size_t size);

// Runs `work(argument)` on a second thread until the holder goes, which waits for it. When the
// system gives no thread (a limit on threads, say), nothing runs and `started` is false: the caller
// then does all the work itself.
class SecondThread {
 public:
  SecondThread(void (*work)(void*), void* argument);
  ~SecondThread();
  SecondThread(const SecondThread&) = delete;
  SecondThread& operator=(const SecondThread&) = delete;

  bool started() const { return started_; }

 private:
  void (*work_)(void*);
  void* argument_;
  std::uintptr_t thread_ = 0;  // the system's name for the thread
  bool started_ = false;
};

}  // namespace vexilo

#endif  // VEXILO_SYSTEM_MEMORY_AND_THREADS_H_
