#include "settings/random_settings.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "settings/registry.h"
#include "store/component_files.h"
#include "store/line_reader.h"
#include "tests/support/console_texts.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/store_fixture.h"

namespace vexilo {
namespace {

using testing::readFile;
using testing::ScopedTempDir;
using testing::splitLines;
using testing::writeFile;

struct Setting {
  std::string ID = "unset";
  std::int32_t R1 = -9, R2 = -9, R3 = -9, REF = -9, PB = -9;
  std::string out;
  std::string err;
};

Setting createSetting() {
  Setting s;
  std::ostringstream out;
  std::ostringstream err;
  createRandomSettings(s.ID, s.R1, s.R2, s.R3, s.REF, s.PB, out, err);
  s.out = out.str();
  s.err = err.str();
  return s;
}

std::string hex(std::int32_t value) {
  char text[20];
  std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(value));
  return text;
}

std::string registryLine(const std::string& ID, std::int32_t PB, std::int32_t R1, std::int32_t R2,
                         std::int32_t R3, std::int32_t REF) {
  return ID + "," + std::to_string(PB) + "," + std::to_string(R1) + "," + std::to_string(R2) + "," +
         std::to_string(R3) + "," + std::to_string(REF) + "\n";
}

// A store of valid components (rotors, reflectors and plugboards numbered from 0) and `settings`
// registry lines; setting i uses rotors i, i + 1, i + 2 (modulo the count).
void writeStore(int settings, int rotors, int reflectors, int plugboards) {
  // Files are made anew rather than truncated, which can wait for the disk.
  for (const std::string& name :
       {rotorFileName, reflectorFileName, plugboardFileName, registryFileName}) {
    std::filesystem::remove(name);
  }
  // Rotor n is i -> i + n + 1, every reflector swaps 2k and 2k + 1, every plugboard is plain.
  const auto lines = [](int count, const std::string& afterId, const auto& entry) {
    std::string text;
    for (int id = 0; id < count; ++id) {
      testing::Table wiring{};
      for (int i = 0; i < alphabetSize; ++i) wiring[i] = entry(i, id);
      text += std::to_string(id) + afterId + testing::joinTable(wiring) + "\n";
    }
    return text;
  };
  writeFile(rotorFileName, lines(rotors, ",", [](int i, int id) { return (i + id + 1) % 26; }));
  writeFile(reflectorFileName, lines(reflectors, ",", [](int i, int) { return i ^ 1; }));
  writeFile(plugboardFileName, lines(plugboards, ",0,", [](int i, int) { return i; }));
  std::string text;
  for (int id = 0; id < settings; ++id) {
    text += registryLine(hex(id), id % plugboards, id % rotors, (id + 1) % rotors,
                         (id + 2) % rotors, id % reflectors);
  }
  writeFile(registryFileName, text);
}

// Component lines added to `fileName` since `before`, which must be kept as it was.
std::vector<std::string> addedLines(const std::string& fileName, const std::string& before) {
  const std::string after = readFile(fileName);
  EXPECT_EQ(after.substr(0, before.size()), before) << fileName;
  return splitLines(after.substr(before.size()));
}

void expectValidComponents(const Setting& s) {
  std::ostringstream out;
  for (const std::int32_t id : {s.R1, s.R2, s.R3}) {
    Rotor rotor;
    setupRotor(rotor, id, false, out);
    EXPECT_TRUE(testing::isRotorWithoutFixedPoint(rotor.initialWiring)) << "rotor " << id;
  }
  Reflector reflector;
  setupReflector(reflector, s.REF, false, out);
  EXPECT_TRUE(testing::isReflector(reflector.wiring)) << "reflector " << s.REF;
  Plugboard plugboard;
  loadPlugboard(plugboard, s.PB, out);
  EXPECT_TRUE(testing::isPlugboardWithCables(plugboard.wiring, plugboard.cableCount))
      << "plugboard " << s.PB;
  EXPECT_EQ(out.str(), "");
}

TEST(RandomSettingsTest, AnEmptyDirectoryGetsSettingZeroOfFiveNewComponents) {
  for (int run = 0; run < 20; ++run) {
    const ScopedTempDir dir;
    const Setting s = createSetting();
    EXPECT_EQ(s.err, "");
    EXPECT_EQ(s.out, testing::unableToOpen + testing::unableToOpen + testing::unableToOpen +
                         testing::unableToOpen);
    EXPECT_EQ(s.ID, "0");
    EXPECT_EQ((std::array{s.R1, s.R2, s.R3, s.REF, s.PB}), (std::array{0, 1, 2, 0, 0}));
    EXPECT_EQ(readFile(registryFileName), "0,0,0,1,2,0\n");
    const auto rotors = splitLines(readFile(rotorFileName));
    ASSERT_EQ(rotors.size(), 3U);
    for (int id = 0; id < 3; ++id) EXPECT_EQ(rotors[id].substr(0, 2), std::to_string(id) + ",");
    ASSERT_EQ(splitLines(readFile(reflectorFileName)).size(), 1U);
    const auto plugboards = splitLines(readFile(plugboardFileName));
    ASSERT_EQ(plugboards.size(), 1U);
    EXPECT_EQ(plugboards[0].substr(0, 2), "0,");
    expectValidComponents(s);
  }
}

TEST(RandomSettingsTest, TheNextFreeIdsAreReadReflectorRotorPlugboardRegistry) {
  const ScopedTempDir dir;
  const std::string order[] = {reflectorFileName, rotorFileName, plugboardFileName,
                               registryFileName};
  for (const std::string& name : order) writeFile(name, "x\n");  // a line passed over
  const Setting s = createSetting();
  const std::vector<std::string> diagnostics = splitLines(s.err);
  ASSERT_EQ(diagnostics.size(), 4U);
  for (int n = 0; n < 4; ++n) {
    EXPECT_NE(diagnostics[n].find(order[n]), std::string::npos) << diagnostics[n];
  }
  EXPECT_EQ(s.out, "");
  EXPECT_EQ(readFile(registryFileName), "x\n0,0,0,1,2,0\n");
}

// One call on a store of `settings` settings, 3 rotors, 2 reflectors and 1 plugboard; checks what
// must hold and returns whether a new setting was made.
bool checkOneCall(int settings) {
  writeStore(settings, 3, 2, 1);
  const std::string rotors = readFile(rotorFileName);
  const std::string reflectors = readFile(reflectorFileName);
  const std::string plugboards = readFile(plugboardFileName);
  const std::string registry = readFile(registryFileName);
  const Setting s = createSetting();
  EXPECT_EQ(s.out, "");
  const std::optional<std::int32_t> picked = parseInteger(s.ID, 16);
  EXPECT_TRUE(picked && *picked >= 0 && *picked <= settings) << s.ID;
  if (!picked) return false;
  EXPECT_EQ(s.ID, hex(*picked));  // upper case, no leading zeros
  if (*picked < settings) {
    const std::int32_t id = *picked;
    EXPECT_EQ((std::array{s.R1, s.R2, s.R3, s.REF, s.PB}),
              (std::array{id % 3, (id + 1) % 3, (id + 2) % 3, id % 2, 0}));
    EXPECT_EQ(readFile(rotorFileName), rotors);
    EXPECT_EQ(readFile(reflectorFileName), reflectors);
    EXPECT_EQ(readFile(plugboardFileName), plugboards);
    EXPECT_EQ(readFile(registryFileName), registry);
    return false;
  }
  EXPECT_EQ(addedLines(registryFileName, registry),
            splitLines(registryLine(s.ID, s.PB, s.R1, s.R2, s.R3, s.REF)));
  EXPECT_TRUE(s.R1 != s.R2 && s.R1 != s.R3 && s.R2 != s.R3);
  // New rotors get 3, 4, 5 in the order rotor 1, 2, 3; reflector 2 and plugboard 1 are new ones.
  std::vector<std::string> newRotors;
  for (const std::int32_t id : {s.R1, s.R2, s.R3}) {
    EXPECT_GE(id, 0);
    if (id >= 3) {
      EXPECT_EQ(id, 3 + static_cast<int>(newRotors.size()));
      newRotors.push_back(std::to_string(id));
    }
  }
  const auto rotorLines = addedLines(rotorFileName, rotors);
  EXPECT_EQ(rotorLines.size(), newRotors.size());
  for (std::size_t n = 0; n < std::min(rotorLines.size(), newRotors.size()); ++n) {
    EXPECT_EQ(rotorLines[n].substr(0, 2), newRotors[n] + ",");
  }
  EXPECT_TRUE(s.REF >= 0 && s.REF <= 2);
  EXPECT_EQ(addedLines(reflectorFileName, reflectors).size(), s.REF == 2 ? 1U : 0U);
  EXPECT_TRUE(s.PB >= 0 && s.PB <= 1);
  EXPECT_EQ(addedLines(plugboardFileName, plugboards).size(), s.PB == 1 ? 1U : 0U);
  expectValidComponents(s);
  return true;
}

TEST(RandomSettingsTest, PicksAStoredSettingOrAppendsTheNextOne) {
  const ScopedTempDir dir;
  int made = 0;
  EXPECT_TRUE(checkOneCall(0));  // an empty registry beside stored components
  for (int call = 0; call < 300; ++call) made += checkOneCall(5);
  EXPECT_GT(made, 0);
  EXPECT_LT(made, 300);
}

TEST(RandomSettingsTest, SettingIdsAreWrittenInUpperCaseHexadecimal) {
  const ScopedTempDir dir;
  bool made = false;
  for (int call = 0; call < 1500 && !made; ++call) made = checkOneCall(26);
  ASSERT_TRUE(made);
  EXPECT_EQ(splitLines(readFile(registryFileName)).back().substr(0, 3), "1A,");
}

TEST(RandomSettingsTest, NoSettingAboveFFFFEIsEverMade) {
  for (const char* lastId : {"FFFFE", "FFFFF", "7FFFFFFF"}) {
    const ScopedTempDir dir;
    writeStore(0, 3, 1, 1);
    const std::string registry = "0,0,0,1,2,0\n" + std::string(lastId) + ",0,1,2,0,0\n";
    writeFile(registryFileName, registry);
    for (int call = 0; call < 50; ++call) {
      const Setting s = createSetting();
      const std::optional<std::int32_t> picked = parseInteger(s.ID, 16);
      ASSERT_TRUE(picked && *picked >= 0 && *picked <= 0xFFFFE) << s.ID;
      if (s.ID != "0" && s.ID != lastId) {
        EXPECT_EQ(s.R1, -1) << s.ID;
      }
      EXPECT_EQ(readFile(registryFileName), registry);
    }
  }
}

TEST(RandomSettingsTest, ARegistryThatCannotBeOpenedStillGivesANewSetting) {
  const ScopedTempDir dir;
  writeStore(0, 3, 1, 1);
  std::filesystem::remove(registryFileName);
  std::filesystem::create_directory(registryFileName);
  const Setting s = createSetting();
  EXPECT_EQ(s.out, testing::unableToOpen + testing::unableToOpen);
  EXPECT_EQ(s.ID, "0");
  EXPECT_NE(s.R1, -1);
  expectValidComponents(s);
}

}  // namespace
}  // namespace vexilo
