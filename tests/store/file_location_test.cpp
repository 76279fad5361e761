#include "store/file_location.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/scoped_temp_dir.h"

namespace vexilo {
namespace {

TEST(FileLocationTest, ANameLeadsToTheFileAtTheEndOfItsLinksMadeOrNot) {
  const testing::ScopedTempDir dir;
  std::filesystem::create_directory("shared");
  std::filesystem::create_symlink("shared/store.txt", "direct");
  std::filesystem::create_symlink("direct", "chain");
  std::filesystem::create_symlink("../shared/./store.txt", "shared/up");
  std::filesystem::create_symlink(std::filesystem::absolute("shared/store.txt"), "absolute");
  std::filesystem::create_symlink("loop", "loop");
  EXPECT_FALSE(locateFile("loop"));
  EXPECT_EQ(errno, ELOOP);
  EXPECT_FALSE(locateFile(std::string("shared/store.txt\0x", 18)));
  EXPECT_EQ(errno, nameHoldsNul);
  for (const bool made : {false, true}) {
    if (made) testing::writeFile("shared/store.txt", "");
    const std::optional<FileLocation> store = locateFile("shared/store.txt");
    ASSERT_TRUE(store);
    EXPECT_EQ(store->name, "store.txt");
    EXPECT_EQ(store->file.has_value(), made);
    for (const char* name : {"./shared/../shared/store.txt", "chain", "shared/up", "absolute"}) {
      const std::optional<FileLocation> location = locateFile(name);
      ASSERT_TRUE(location) << name;
      EXPECT_TRUE(sameFile(*location, *store)) << name << " made: " << made;
    }
    for (const char* name : {"shared", "store.txt", "shared/"}) {
      const std::optional<FileLocation> location = locateFile(name);
      ASSERT_TRUE(location) << name;
      EXPECT_FALSE(sameFile(*location, *store)) << name << " made: " << made;
    }
  }
}

}  // namespace
}  // namespace vexilo
