// The lock that lets one run at a time add to the store.
#include "store/store_lock.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "tests/support/scoped_temp_dir.h"

namespace vexilo::testing {
namespace {

// Whether another open description of the working directory could take the lock now.
bool directoryLockIsFree() {
  const int descriptor = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  const bool free = ::flock(descriptor, LOCK_EX | LOCK_NB) == 0;
  ::close(descriptor);
  return free;
}

TEST(StoreLockTest, HoldsTheWorkingDirectoryUntilItGoesAndMakesNoFile) {
  ScopedTempDir directory;
  {
    const StoreLock lock({});
    EXPECT_TRUE(lock.held());
    EXPECT_FALSE(directoryLockIsFree());
  }
  EXPECT_TRUE(directoryLockIsFree());
  EXPECT_TRUE(std::filesystem::is_empty(directory.path()));
}

// Locks of two open descriptions of the directory exclude each other within one process too, so
// a thread stands for the second run (a forked child would share the first lock's description).
TEST(StoreLockTest, ASecondHolderWaitsForTheFirst) {
  ScopedTempDir directory;
  auto first = std::make_unique<StoreLock>(std::initializer_list<std::string_view>{});
  std::atomic<bool> secondHeld = false;
  std::thread second([&] {
    const StoreLock lock({});
    secondHeld = lock.held();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(secondHeld) << "the second holder did not wait";
  first.reset();
  second.join();
  EXPECT_TRUE(secondHeld);
}

}  // namespace
}  // namespace vexilo::testing
