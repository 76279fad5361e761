#include "store/file_system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "tests/support/scoped_temp_dir.h"

namespace vexilo {
namespace {

using testing::readFile;
using testing::ScopedTempDir;
using testing::writeFile;

TEST(FileSystemTest, AppendingNeverJoinsTheLastLineAndChangesNoExistingByte) {
  const ScopedTempDir dir;
  struct Case {
    const char* before;
    const char* after;
  };
  const Case cases[] = {
      {"", "new\n"},
      {"old\n", "old\nnew\n"},
      {"old", "old\nnew\n"},
      {"old\r\n", "old\r\nnew\n"},
      {"old\r", "old\r\nnew\n"},
  };
  std::ostringstream err;
  for (const Case& c : cases) {
    writeFile("store.txt", c.before);
    EXPECT_TRUE(appendLine("store.txt", "new\n", err));
    EXPECT_EQ(readFile("store.txt"), c.after) << '"' << c.before << '"';
  }
  EXPECT_TRUE(appendLine("created.txt", "first\n", err));
  EXPECT_EQ(readFile("created.txt"), "first\n");
  EXPECT_EQ(err.str(), "");
  std::filesystem::create_directory("folder.txt");
  EXPECT_FALSE(appendLine("folder.txt", "new\n", err));
  EXPECT_EQ(err.str(), "vexilo: cannot open folder.txt: Is a directory\n");
}

}  // namespace
}  // namespace vexilo
