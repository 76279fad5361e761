#include "store/file_location.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/posix_only.h"
#include "tests/support/scoped_temp_dir.h"

namespace vexilo {
namespace {

// Names that lead to shared/store.txt, made or not: through links on POSIX systems, and on
// Windows by the spellings that the system takes for one name (another case, ".\", the "\\?\"
// form).
std::vector<std::string> otherNamesOfTheStore() {
  const std::string absolute = std::filesystem::absolute("shared/store.txt").string();
  std::vector<std::string> names = {"./shared/../shared/store.txt", absolute};
  if (testing::posixSystem) {
    std::filesystem::create_symlink("shared/store.txt", "direct");
    std::filesystem::create_symlink("direct", "chain");
    std::filesystem::create_symlink("../shared/./store.txt", "shared/up");
    names.insert(names.end(), {"chain", "shared/up"});
  } else {
    std::string upperCase = absolute;
    for (char& character : upperCase) character = static_cast<char>(std::toupper(character));
    names.insert(names.end(),
                 {"SHARED\\Store.TXT", ".\\shared\\store.txt", upperCase,
                  "\\\\?\\" + std::filesystem::absolute("shared\\store.txt").string()});
  }
  return names;
}

TEST(FileLocationTest, ANameLeadsToTheFileAtTheEndOfItsLinksMadeOrNot) {
  const testing::ScopedTempDir dir;
  std::filesystem::create_directory("shared");
  const std::vector<std::string> sameNames = otherNamesOfTheStore();
  const Result<FileLocation> withNul = locateFile(std::string("shared/store.txt\0x", 18));
  ASSERT_FALSE(withNul);
  EXPECT_EQ(withNul.error(), ownError(OwnReason::nameHoldsNul));
  for (const bool made : {false, true}) {
    if (made) testing::writeFile("shared/store.txt", "");
    const Result<FileLocation> store = locateFile("shared/store.txt");
    ASSERT_TRUE(store);
    EXPECT_EQ(store->name, "store.txt");
    EXPECT_EQ(store->file.has_value(), made);
    for (const std::string& name : sameNames) {
      const Result<FileLocation> location = locateFile(name);
      ASSERT_TRUE(location) << name;
      EXPECT_TRUE(sameFile(*location, *store)) << name << " made: " << made;
    }
    for (const char* name : {"shared", "store.txt", "shared/store.txt.bak"}) {
      const Result<FileLocation> location = locateFile(name);
      ASSERT_TRUE(location) << name;
      EXPECT_FALSE(sameFile(*location, *store)) << name << " made: " << made;
    }
  }
}

TEST(FileLocationTest, ALoopOfLinksLeadsNowhere) {
  VEXILO_NEEDS_POSIX("symbolic links");
  const testing::ScopedTempDir dir;
  std::filesystem::create_symlink("loop", "loop");
  const Result<FileLocation> loop = locateFile("loop");
  ASSERT_FALSE(loop);
  EXPECT_EQ(loop.error().number, ELOOP);
}

}  // namespace
}  // namespace vexilo
