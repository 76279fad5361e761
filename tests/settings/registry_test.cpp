#include "settings/registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <optional>
#include <sstream>

#include "store/component_files.h"
#include "tests/support/console_texts.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/streams.h"

namespace vexilo {
namespace {

using testing::errorLines;
using testing::ScopedTempDir;
using testing::writeFile;

// R1, R2, R3, REF, PB.
using Components = std::array<std::int32_t, 5>;
constexpr Components notFound = {-1, -1, -1, -1, -1};

TEST(RegistryTest, LookupFindsTheFirstLineWhoseIdHasTheSameHexadecimalValue) {
  struct Case {
    const char* name;
    std::optional<std::string> registry;  // nullopt: no file
    const char* typedId;
    Components expected;
    const char* expectedOut;
    long passedOverLines;
  };
  const std::string setting1F = "1F,3,0,12,7,2\n";
  const Components found1F = {0, 12, 7, 2, 3};
  const Case cases[] = {
      {"upper case", "0,1,2,3,4,5\n" + setting1F, "1F", found1F, "", 0},
      {"lower case", setting1F, "1f", found1F, "", 0},
      {"leading zero", setting1F, "01F", found1F, "", 0},
      {"leading zeros", setting1F, "0001F", found1F, "", 0},
      {"other text after the digits", setting1F, "1Fzz", found1F, "", 0},
      {"stored with leading zeros", "001F,3,0,12,7,2\n", "1F", found1F, "", 0},
      {"typed with 0x, as hexadecimal is written", "0,1,2,3,4,5\n" + setting1F, "0x1F", found1F, "",
       0},
      {"stored with 0X", "0X1F,3,0,12,7,2\n", "1f", found1F, "", 0},
      {"typed 0x alone is 0", "0,1,2,3,4,5\n" + setting1F, "0x", {2, 3, 4, 5, 1}, "", 0},
      {"first of two lines wins", setting1F + "1F,9,9,9,9,9\n", "1F", found1F, "", 0},
      {"carriage return and no last line end", "1F,3,0,12,7,2\r", "1f", found1F, "", 0},
      {"fields beyond six ignored", "1F,3,0,12,7,2,8,9,x\n", "1F", found1F, "", 0},
      {"not in the registry", "0,1,2,3,4,5\n", "1F", notFound, "", 0},
      {"empty registry", "", "1F", notFound, "", 0},
      {"absent registry", std::nullopt, "1F", notFound, testing::unableToOpen.c_str(), 0},
      {"typed ID that is no number", setting1F, "xyz", notFound, "", 0},
      {"typed ID beyond 32 bits", setting1F, "100000001F", notFound, "", 0},
      {"typed -01 against a stored -1", "-1,1,2,3,4,5\n", "-01", notFound, "", 1},
      {"unreadable lines passed over",
       "\nzz,1,2,3,4,5\n-5,1,2,3,4,5\n100000000,1,2,3,4,5\n" + setting1F, "1F", found1F, "", 4},
      {"matching line too short gives way", "1F,3,0\n" + setting1F, "1F", found1F, "", 1},
      {"matching line with a bad component", "1F,3,x,12,7,2\n" + setting1F, "1f", found1F, "", 1},
      {"matching line with an empty component", "1F,3,0,,7,2\n", "1F", notFound, "", 1},
      {"matching line with a component beyond 32 bits", "1F,3,0,4294967297,7,2\n", "1F", notFound,
       "", 1},
  };
  for (const Case& c : cases) {
    const ScopedTempDir dir;
    if (c.registry) writeFile(registryFileName, *c.registry);
    Components ids = {7, 7, 7, 7, 7};
    std::ostringstream out;
    EXPECT_EQ(errorLines([&](std::ostream& err) {
                lookupSetting(c.typedId, ids[0], ids[1], ids[2], ids[3], ids[4], out, err);
              }),
              c.passedOverLines)
        << c.name;
    EXPECT_EQ(ids, c.expected) << c.name;
    EXPECT_EQ(out.str(), c.expectedOut) << c.name;
  }
}

TEST(RegistryTest, NextFreeIdIsOneMoreThanTheLastReadableId) {
  struct Case {
    const char* name;
    std::optional<std::string> contents;  // nullopt: no file
    std::int32_t nextComponent;           // read as decimal
    std::int32_t nextSetting;             // read as hexadecimal, at most FFFFF
    const char* expectedOut;
    long passedOverLines;  // by all four readers together
  };
  const Case cases[] = {
      {"absent file", std::nullopt, 0, 0, testing::unableToOpen.c_str(), 0},
      {"empty file", "", 0, 0, "", 0},
      {"last line 11", "0,1\n5,2\n11,3\n", 12, 0x12, "", 0},
      {"only the last line counts", "90,1\n3,2\n", 4, 4, "", 0},
      {"last line without line end", "0,1\n1F,2", 2, 0x20, "", 0},
      {"ID without a comma", "0,1\n19", 20, 0x1A, "", 0},
      {"carriage returns", "0,1\r\n1,2\r\n", 2, 2, "", 0},
      {"unreadable last lines passed over", "0,1\n8,2\n\nxyz,3\n,4\n", 9, 9, "", 4 * 3},
      {"negative ID passed over", "4,1\n-7,2\n", 5, 5, "", 4},
      {"beyond 32 bits passed over", "4,1\n99999999999,2\n", 5, 5, "", 4},
      {"largest decimal ID, beyond 32 bits in hexadecimal", "2147483647,1\n", INT32_MAX, 0, "", 1},
      {"largest hexadecimal ID", "7FFFFFFF,1\n", 8, 0xFFFFF, "", 0},
      {"FFFFD", "FFFFD,1\n", 0, 0xFFFFE, "", 3},
      {"FFFFE", "FFFFE,1\n", 0, 0xFFFFF, "", 3},
      {"FFFFF", "FFFFF,1\n", 0, 0xFFFFF, "", 3},
      {"100000", "100000,1\n", 100001, 0xFFFFF, "", 0},
  };
  for (const Case& c : cases) {
    const ScopedTempDir dir;
    if (c.contents) {
      for (const std::string& name :
           {rotorFileName, reflectorFileName, plugboardFileName, registryFileName}) {
        writeFile(name, *c.contents);
      }
    }
    std::ostringstream out;
    std::int32_t next[4] = {};
    EXPECT_EQ(errorLines([&](std::ostream& err) {
                next[0] = nextRotorId(out, err);
                next[1] = nextReflectorId(out, err);
                next[2] = nextPlugboardId(out, err);
                next[3] = nextSettingId(out, err);
              }),
              c.passedOverLines)
        << c.name;
    EXPECT_EQ(next[0], c.nextComponent) << c.name;
    EXPECT_EQ(next[1], c.nextComponent) << c.name;
    EXPECT_EQ(next[2], c.nextComponent) << c.name;
    EXPECT_EQ(next[3], c.nextSetting) << c.name;
    std::string expectedOut;
    for (int reader = 0; reader < 4; ++reader) expectedOut += c.expectedOut;
    EXPECT_EQ(out.str(), expectedOut) << c.name;
  }
}

// A line copied by hand to the end of a file once made the next new line take an ID that an
// earlier line held: a setting or component that could never be chosen again by its ID.
TEST(RegistryTest, ANewLineNeverTakesAnIdItsFileHolds) {
  const struct {
    const char* contents;
    std::int32_t newComponent;  // IDs read as decimal
    std::int32_t newSetting;    // read as hexadecimal
  } cases[] = {
      {"0,1\n1,2\n2,3\n", 3, 3},
      {"0,1\n1,2\n2,3\n1,2\n", 3, 3},
      {"5,1\n0,1\n1,1\n2,1\nx\n1,1\n", 6, 6},
      {"0,1\n10,2\nA,3\n9,4\n", 11, 0x11},
      {"2147483647,1\n0,1\n2147483647,1\n", INT32_MAX, 1},
  };
  for (const auto& c : cases) {
    const ScopedTempDir dir;
    for (const std::string& name : {rotorFileName, registryFileName}) writeFile(name, c.contents);
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(unheldId(rotorFileName, nextRotorId(out, err)), c.newComponent) << c.contents;
    EXPECT_EQ(unheldId(registryFileName, nextSettingId(out, err)), c.newSetting) << c.contents;
  }
}

// On a disk that does not tell case apart, an output named like a store file not made yet in
// other letters once passed the refusal and became the store file.
TEST(RegistryTest, AStoreFileNotMadeYetIsNamedInAnyCase) {
  const ScopedTempDir dir;
  std::filesystem::create_directory("sub");
  writeFile(rotorFileName, "");
  // A distinct file beside an existing store file is told apart by what it is.
  if (!std::filesystem::exists("existingrotorsettings26.txt")) {
    writeFile("existingrotorsettings26.txt", "");
  }
  const struct {
    const char* name;
    bool store;
  } cases[] = {
      {"EXISTINGPLUGBOARDSETTINGS26.TXT", true},
      {"./initalsettings26.TXT", true},
      {"sub/../ExistingReflectorSettings26.txt", true},
      {"ExistingRotorSettings26.txt", true},
      {"sub/initalSettings26.txt", false},
      {"initalSettings26.txt.bak", false},
      {"nitalSettings26.txt", false},
  };
  for (const auto& c : cases) {
    const std::optional<FileLocation> location = locateFile(c.name);
    ASSERT_TRUE(location) << c.name;
    EXPECT_EQ(namesStoreFile(*location), c.store) << c.name;
  }
  const std::optional<FileLocation> otherFile = locateFile("existingrotorsettings26.txt");
  EXPECT_EQ(namesStoreFile(*otherFile),
            std::filesystem::equivalent("existingrotorsettings26.txt", rotorFileName));
}

}  // namespace
}  // namespace vexilo
