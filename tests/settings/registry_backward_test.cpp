#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "settings/registry.h"
#include "store/component_files.h"
#include "tests/support/scoped_temp_dir.h"

namespace vexilo {
namespace {

using testing::ScopedTempDir;
using testing::writeFile;

std::string passedOver(const std::string& fileName, std::int64_t line) {
  return "vexilo: " + fileName + ": line " + std::to_string(line) +
         " passed over: its ID cannot be read\n";
}

TEST(RegistryBackwardTest, NextFreeIdsReportTheUnreadableLastLinesByTheirLineNumbers) {
  std::string manyLines;
  for (int id = 0; id < 30000; ++id) manyLines += std::to_string(id) + ",1,2,3\n";
  const struct {
    const char* name;
    std::string contents;
    std::int32_t nextComponent;
    std::int32_t nextSetting;
    std::int64_t firstPassedOver;  // line number of the first line reported
    std::int64_t passedOverCount;
  } cases[] = {
      {"readable last line", "0,1\n7,2\n", 8, 8, 0, 0},
      {"three unreadable last lines", "0,1\n8,2\n\nxyz,3\n,4\n", 9, 9, 3, 3},
      {"unreadable last line without a line end", "0,1\n8,2\n-5,3", 9, 9, 3, 1},
      {"an unreadable line before the last readable one is not read", "0,1\nxyz\n3,2\n", 4, 4, 0,
       0},
      {"no readable line", "\n\nxyz\n", 0, 0, 1, 3},
      {"a long file before the unreadable lines", manyLines + "\n\n", 30000, 0x2999A, 30001, 2},
  };
  for (const auto& c : cases) {
    const ScopedTempDir dir;
    for (const std::string& name :
         {rotorFileName, reflectorFileName, plugboardFileName, registryFileName}) {
      writeFile(name, c.contents);
    }
    std::ostringstream out;
    std::ostringstream err;
    const std::int32_t nextRotor = nextRotorId(out, err);
    const std::int32_t nextSetting = nextSettingId(out, err);
    const std::string diagnostics = err.str();
    EXPECT_EQ(nextRotor, c.nextComponent) << c.name;
    EXPECT_EQ(nextSetting, c.nextSetting) << c.name;
    std::string expected;
    for (const std::string& name : {rotorFileName, registryFileName}) {
      for (std::int64_t line = 0; line < std::min<std::int64_t>(c.passedOverCount, 10); ++line) {
        expected += passedOver(name, c.firstPassedOver + line);
      }
      if (c.passedOverCount > 10) {
        expected += "vexilo: " + name + ": " + std::to_string(c.passedOverCount - 10) +
                    " more lines passed over\n";
      }
    }
    EXPECT_EQ(diagnostics, expected) << c.name;
    EXPECT_EQ(out.str(), "") << c.name;
  }
}

}  // namespace
}  // namespace vexilo
