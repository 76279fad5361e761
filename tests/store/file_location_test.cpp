#include "store/file_location.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/scoped_temp_dir.h"

namespace vexilo {
namespace {

TEST(FileLocationTest, ANameNamesTheFileAtTheEndOfItsLinksMadeOrNot) {
  const testing::ScopedTempDir dir;
  std::filesystem::create_directory("shared");
  std::filesystem::create_symlink("shared/store.txt", "direct");
  std::filesystem::create_symlink("direct", "chain");
  std::filesystem::create_symlink("../shared/./store.txt", "shared/up");
  std::filesystem::create_symlink("loop", "loop");
  const std::string store[] = {"shared/store.txt"};
  EXPECT_EQ(pathAtEndOfLinks("chain"),
            (std::filesystem::canonical(".") / "shared/store.txt").string());
  EXPECT_EQ(pathAtEndOfLinks("loop"), std::nullopt);
  for (const bool made : {false, true}) {
    if (made) testing::writeFile("shared/store.txt", "");
    for (const char* name : {"./shared/../shared/store.txt", "chain", "shared/up"}) {
      EXPECT_TRUE(namesOneOf(name, store)) << name << " made: " << made;
    }
    for (const char* name : {"loop", "shared", "store.txt"}) {
      EXPECT_FALSE(namesOneOf(name, store)) << name << " made: " << made;
    }
  }
}

}  // namespace
}  // namespace vexilo
