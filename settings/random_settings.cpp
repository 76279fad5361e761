#include "settings/random_settings.h"

#include <cstdio>
#include <limits>
#include <random>

#include "core/plugboard.h"
#include "core/reflector.h"
#include "core/rotor.h"
#include "settings/registry.h"
#include "store/component_files.h"
#include "store/file_system.h"
#include "store/store_lock.h"

namespace vexilo {
namespace {

std::int32_t drawUpTo(std::mt19937& goodRandom, std::int32_t highest) {
  return std::uniform_int_distribution<std::int32_t>(0, highest)(goodRandom);
}

std::int32_t following(std::int32_t id) {
  return id == std::numeric_limits<std::int32_t>::max() ? id : id + 1;
}

}  // namespace

bool createRandomSettings(std::string& ID, std::int32_t& R1, std::int32_t& R2, std::int32_t& R3,
                          std::int32_t& REF, std::int32_t& PB, std::ostream& out,
                          std::ostream& err) {
  std::random_device rd;
  std::mt19937 goodRandom(rd());

  // Held until the new setting's line is appended: no other run may read the same next free IDs
  // and store different components or settings under them.
  const StoreLock storeLock(storeFileNames, err);
  const std::int32_t refNext = nextReflectorId(out, err);
  std::int32_t rotorNext = nextRotorId(out, err);
  const std::int32_t pbNext = nextPlugboardId(out, err);
  const std::int32_t settingNext = nextSettingId(out, err);

  std::int32_t picked =
      drawUpTo(goodRandom, settingNext == settingIdLimit ? settingNext - 1 : settingNext);
  if (picked == settingNext) {
    picked = unheldId(registryFileName, settingNext, err);
    // With every ID up to FFFFE held, no new setting can be made: a stored one serves.
    if (picked >= settingIdLimit) picked = drawUpTo(goodRandom, settingNext - 1);
  }
  char settingIdToUse[20];
  std::snprintf(settingIdToUse, sizeof settingIdToUse, "%X", static_cast<unsigned>(picked));
  ID = settingIdToUse;

  if (picked < settingNext) {
    lookupSetting(ID, R1, R2, R3, REF, PB, out, err);
    return true;
  }

  // The first new component that its file did not take; the setting is stored only without one.
  std::string missingComponent;
  const auto stored = [&](bool appended, const char* kind, std::int32_t id,
                          const std::string& fileName) {
    if (!appended && missingComponent.empty()) {
      missingComponent =
          "its new " + std::string(kind) + ' ' + std::to_string(id) + " is not in " + fileName;
    }
  };
  Reflector tempReflector;
  Plugboard tempPlugboard;
  Rotor tempRotor;
  // New rotors go into their file in the order of their IDs. Once one is refused, no later one
  // follows it in this run: stored under the next ID, it would leave a gap that later runs take for
  // a stored rotor.
  bool rotorRefused = false;
  const auto storeNewRotor = [&](std::int32_t id) {
    if (rotorRefused) return;
    rotorRefused = !setupRotor(tempRotor, id, true, out, err);
    stored(!rotorRefused, "rotor", id, rotorFileName);
  };
  REF = drawUpTo(goodRandom, refNext);
  if (REF == refNext) {
    REF = unheldId(reflectorFileName, REF, err);
    stored(setupReflector(tempReflector, REF, true, out, err), "reflector", REF, reflectorFileName);
  }
  PB = drawUpTo(goodRandom, pbNext);
  if (PB == pbNext) {
    PB = unheldId(plugboardFileName, PB, err);
    const std::int32_t cables = drawUpTo(goodRandom, maximumCableCount);
    stored(setupPlugboard(tempPlugboard, PB, cables, true, out, err), "plugboard", PB,
           plugboardFileName);
  }
  R1 = drawUpTo(goodRandom, rotorNext);
  if (R1 == rotorNext) {
    R1 = unheldId(rotorFileName, R1, err);
    storeNewRotor(R1);
    rotorNext = following(R1);
  }
  do {
    R2 = drawUpTo(goodRandom, rotorNext);
  } while (R2 == R1);
  if (R2 == rotorNext) {
    R2 = unheldId(rotorFileName, R2, err);
    storeNewRotor(R2);
    rotorNext = following(R2);
  }
  do {
    R3 = drawUpTo(goodRandom, rotorNext);
  } while (R3 == R1 || R3 == R2);
  if (R3 == rotorNext) {
    R3 = unheldId(rotorFileName, R3, err);
    storeNewRotor(R3);
  }

  // A registry line that named a component its file lacks would make a setting that can never be
  // enciphered with again; the run still uses the setting, as when the registry cannot be written.
  if (!missingComponent.empty()) {
    reportProblem(err, "setting " + ID + " was not stored: " + missingComponent);
    return false;
  }
  const std::string formatted = ID + ',' + std::to_string(PB) + ',' + std::to_string(R1) + ',' +
                                std::to_string(R2) + ',' + std::to_string(R3) + ',' +
                                std::to_string(REF) + '\n';
  if (appendLine(registryFileName, formatted, err)) return true;
  writeUnableToOpenFile(out);
  return false;
}

}  // namespace vexilo
