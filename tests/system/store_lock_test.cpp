// The lock that lets one run at a time add to the store.
#include "store/store_lock.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/posix_only.h"
#include "tests/support/run_program.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/store_fixture.h"

namespace vexilo::testing {
namespace {

#ifndef _WIN32
// Whether another open description of `fileName` could take the store's lock now.
bool storeLockIsFree(const char* fileName) {
  const int descriptor = ::open(fileName, O_WRONLY | O_CLOEXEC);
  struct flock range {};
  range.l_type = F_WRLCK;
  range.l_whence = SEEK_SET;
  range.l_start = static_cast<off_t>(lockedByte);
  range.l_len = 1;
  const bool free = ::fcntl(descriptor, F_OFD_SETLK, &range) == 0;
  ::close(descriptor);
  return free;
}
#endif

// The lock of a store not made yet makes its file to lock it, and takes it away again when no
// line went into it.
TEST(StoreLockTest, HoldsTheStoreFileUntilItGoesAndLeavesNoFileItMade) {
  VEXILO_NEEDS_POSIX("open-file-description locks");
#ifndef _WIN32
  ScopedTempDir directory;
  const std::vector<std::string> names = {"store.txt"};
  {
    const StoreLock lock(names);
    EXPECT_TRUE(lock.held());
    EXPECT_TRUE(lock.made("store.txt"));
    EXPECT_FALSE(storeLockIsFree("store.txt"));
  }
  EXPECT_TRUE(std::filesystem::is_empty(directory.path()));
#endif
}

// Locks of two open descriptions of the file exclude each other within one process too, so a
// thread stands for the second run (a forked child would share the first lock's description).
TEST(StoreLockTest, ASecondHolderWaitsForTheFirst) {
  ScopedTempDir directory;
  const std::vector<std::string> names = {"store.txt"};
  auto first = std::make_unique<StoreLock>(names);
  std::atomic<bool> secondHeld = false;
  std::thread second([&] {
    const StoreLock lock(names);
    secondHeld = lock.held();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(secondHeld) << "the second holder did not wait";
  first.reset();
  second.join();
  EXPECT_TRUE(secondHeld);
}

// A working directory that could not be read was reported with the reason of a second try, "the
// store cannot be locked: Is a directory", where the reason was that permission was denied. Now a
// store file is locked, and one not made yet in a directory closed to writing cannot be.
TEST(StoreLockTest, ALockThatCannotBeTakenIsReportedWithTheFirstReason) {
  VEXILO_NEEDS_POSIX("fork, setuid and directory permissions");
#ifndef _WIN32
  ScopedTempDir directory;
  std::filesystem::permissions(directory.path(), std::filesystem::perms(0555));
  int note[2];
  ASSERT_EQ(::pipe(note), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    // Permissions bind a user other than the superuser only.
    if (::geteuid() == 0 && ::setuid(65534) != 0) ::_exit(2);
    std::ostringstream err;
    const std::vector<std::string> names = {"store.txt"};
    const StoreLock lock(names, err);
    const std::string text = err.str();
    ::_exit(::write(note[1], text.data(), text.size()) == static_cast<ssize_t>(text.size()) ? 0
                                                                                            : 1);
  }
  ::close(note[1]);
  char text[200];
  const ssize_t length = ::read(note[0], text, sizeof text);
  ::close(note[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  std::filesystem::permissions(directory.path(), std::filesystem::perms::owner_all);
  if (WEXITSTATUS(status) == 2) GTEST_SKIP() << "no other user to run as";
  EXPECT_EQ(std::string(text, length > 0 ? length : 0),
            "vexilo: the store cannot be locked: Permission denied\n");
#endif
}

// The lock opened the store's directory once for each store file before it dropped the
// duplicates: a full store under `ulimit -n 11` could not be locked ("Too many open files").
TEST(StoreLockTest, AStoreOfFourFilesInOneDirectoryTakesFewDescriptors) {
  VEXILO_NEEDS_POSIX("a limit of open descriptors (ulimit -n)");
  ScopedTempDir directory;
  writeKnownStore();
  ProgramOptions fewDescriptors;
  fewDescriptors.openFileLimit = 11;
  const ProgramRun run = runProgram("1\n", 20.0, VEXILO_BINARY, fewDescriptors);
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.standardError, "");
}

}  // namespace
}  // namespace vexilo::testing
