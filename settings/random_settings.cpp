#include "settings/random_settings.h"

#include <cstdio>
#include <limits>
#include <random>

#include "core/plugboard.h"
#include "core/reflector.h"
#include "core/rotor.h"
#include "settings/registry.h"
#include "store/component_files.h"
#include "store/store_lock.h"
#include "store/file_system.h"
#include "store/text_file.h"

namespace vexilo {
namespace {

std::int32_t drawUpTo(std::mt19937& goodRandom, std::int32_t highest) {
  return std::uniform_int_distribution<std::int32_t>(0, highest)(goodRandom);
}

std::int32_t following(std::int32_t id) {
  return id == std::numeric_limits<std::int32_t>::max() ? id : id + 1;
}

}  // namespace

void createRandomSettings(std::string& ID, std::int32_t& R1, std::int32_t& R2, std::int32_t& R3,
                          std::int32_t& REF, std::int32_t& PB, std::ostream& out) {
  std::random_device rd;
  std::mt19937 goodRandom(rd());

  // Held until the new setting's line is appended: no other run may read the same next free IDs
  // and store different components or settings under them.
  const StoreLock storeLock;
  const std::int32_t refNext = nextReflectorId(out);
  std::int32_t rotorNext = nextRotorId(out);
  const std::int32_t pbNext = nextPlugboardId(out);
  const std::int32_t settingNext = nextSettingId(out);

  const std::int32_t picked =
      drawUpTo(goodRandom, settingNext == settingIdLimit ? settingNext - 1 : settingNext);
  char settingIdToUse[20];
  std::snprintf(settingIdToUse, sizeof settingIdToUse, "%X", static_cast<unsigned>(picked));
  ID = settingIdToUse;

  if (picked != settingNext) {
    lookupSetting(ID, R1, R2, R3, REF, PB, out);
    return;
  }

  Reflector tempReflector;
  Plugboard tempPlugboard;
  Rotor tempRotor;
  REF = drawUpTo(goodRandom, refNext);
  if (REF == refNext) setupReflector(tempReflector, REF, true, out);
  PB = drawUpTo(goodRandom, pbNext);
  if (PB == pbNext) {
    setupPlugboard(tempPlugboard, PB, drawUpTo(goodRandom, maximumCableCount), true, out);
  }
  R1 = drawUpTo(goodRandom, rotorNext);
  if (R1 == rotorNext) {
    setupRotor(tempRotor, R1, true, out);
    rotorNext = following(rotorNext);
  }
  do {
    R2 = drawUpTo(goodRandom, rotorNext);
  } while (R2 == R1);
  if (R2 == rotorNext) {
    setupRotor(tempRotor, R2, true, out);
    rotorNext = following(rotorNext);
  }
  do {
    R3 = drawUpTo(goodRandom, rotorNext);
  } while (R3 == R1 || R3 == R2);
  if (R3 == rotorNext) setupRotor(tempRotor, R3, true, out);

  const std::string formatted = ID + ',' + std::to_string(PB) + ',' + std::to_string(R1) + ',' +
                                std::to_string(R2) + ',' + std::to_string(R3) + ',' +
                                std::to_string(REF) + '\n';
  if (!appendLine(registryFileName, formatted)) writeUnableToOpenFile(out);
}

}  // namespace vexilo
