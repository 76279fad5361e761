// What file mode needs of the system beyond files: memory for its blocks, and a second thread.
//
// What each system must do is in file_mode_system_posix.cpp and file_mode_system_windows.cpp.
#ifndef VEXILO_APP_FILE_MODE_SYSTEM_H_
#define VEXILO_APP_FILE_MODE_SYSTEM_H_

#include <cstddef>
#include <cstdint>
#include <memory>

namespace vexilo {

struct FreeBlockMemory {
  void operator()(char* bytes) const;
};
using BlockMemory = std::unique_ptr<char[], FreeBlockMemory>;

// `blockMemorySize` bytes for the blocks, left as they are made (a file shorter than a block never
// touches the rest), starting at a boundary of `blockMemoryAlignment`: blocks then start at page
// boundaries, as the page cache's pages do, and where the system offers pages of 2 MiB the memory
// is asked for them. When there is not enough memory the program ends, as for any allocation.
inline constexpr std::size_t blockMemorySize = std::size_t{4} << 20;
inline constexpr std::size_t blockMemoryAlignment = std::size_t{2} << 20;
BlockMemory newBlockMemory();

// Asks the system for pages of 2 MiB for the `size` bytes at `memory`, where it has them. Advice
// only: refused, it leaves the ordinary pages.
void adviseHugePages(char* memory, std::size_t size);

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

#endif  // VEXILO_APP_FILE_MODE_SYSTEM_H_
