#include "settings/random_settings.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <limits>
#include <random>
#include <string>

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

// The drawing of a new setting's components, and what storing the new ones came to.
struct ComponentDraw {
  std::mt19937& goodRandom;
  std::ostream& out;
  std::ostream& err;
  // Whether new components may be stored: only while the store is locked.
  bool storable;
  // The first new component that its file did not take; the setting is stored only without one.
  std::string missingComponent{};
  // New rotors go into their file in the order of their IDs. Once one is refused, no later one
  // follows it in this run: stored under the next ID, it would leave a gap that later runs take for
  // a stored rotor.
  bool rotorRefused = false;

  void noteStored(bool appended, const char* kind, std::int32_t id, const std::string& fileName) {
    if (!appended && missingComponent.empty()) {
      missingComponent =
          "its new " + std::string(kind) + ' ' + std::to_string(id) + " is not in " + fileName;
    }
  }
};

// A reflector up to `next`, the first free ID, which makes and stores a new one under an ID that
// its file does not hold.
std::int32_t drawReflector(ComponentDraw& draw, std::int32_t next) {
  std::int32_t id = drawUpTo(draw.goodRandom, next);
  if (id == next && draw.storable) {
    id = unheldId(reflectorFileName, id, draw.err);
    Reflector made;
    draw.noteStored(setupReflector(made, id, true, draw.out, draw.err), "reflector", id,
                    reflectorFileName);
  }
  return id;
}

// A plugboard up to `next`, the first free ID, which makes and stores a new one under an ID that
// its file does not hold.
std::int32_t drawPlugboard(ComponentDraw& draw, std::int32_t next) {
  std::int32_t id = drawUpTo(draw.goodRandom, next);
  if (id == next && draw.storable) {
    id = unheldId(plugboardFileName, id, draw.err);
    const std::int32_t cables = drawUpTo(draw.goodRandom, maximumCableCount);
    Plugboard made;
    draw.noteStored(setupPlugboard(made, id, cables, true, draw.out, draw.err), "plugboard", id,
                    plugboardFileName);
  }
  return id;
}

// A rotor up to `next`, the first free ID, other than the rotors in `taken`; a new one is made and
// stored under an ID that its file does not hold, and `next` moves on past it.
std::int32_t drawRotor(ComponentDraw& draw, std::int32_t& next,
                       std::initializer_list<std::int32_t> taken) {
  std::int32_t id = 0;
  do {
    id = drawUpTo(draw.goodRandom, next);
  } while (std::find(taken.begin(), taken.end(), id) != taken.end());
  if (id == next) {
    id = unheldId(rotorFileName, id, draw.err);
    if (!draw.rotorRefused && draw.storable) {
      Rotor made;
      draw.rotorRefused = !setupRotor(made, id, true, draw.out, draw.err);
      draw.noteStored(!draw.rotorRefused, "rotor", id, rotorFileName);
    }
    next = following(id);
  }
  return id;
}

}  // namespace

bool createRandomSettings(std::string& ID, std::int32_t& R1, std::int32_t& R2, std::int32_t& R3,
                          std::int32_t& REF, std::int32_t& PB, std::ostream& out,
                          std::ostream& err) {
  std::random_device randomDevice;
  std::mt19937 goodRandom(randomDevice());

  // Held until the new setting's line is appended: no other run may read the same next free IDs
  // and store different components or settings under them.
  // A store file that the lock made was absent: it is said as of an absent file, although it is
  // found empty.
  const StoreLock storeLock(storeFileNames, err);
  const auto saidAbsent = [&](const std::string& fileName, std::int32_t next) {
    if (storeLock.made(fileName)) writeUnableToOpenFile(out);
    return next;
  };
  const std::int32_t refNext = saidAbsent(reflectorFileName, nextReflectorId(out, err));
  std::int32_t rotorNext = saidAbsent(rotorFileName, nextRotorId(out, err));
  const std::int32_t pbNext = saidAbsent(plugboardFileName, nextPlugboardId(out, err));
  const std::int32_t settingNext = saidAbsent(registryFileName, nextSettingId(out, err));

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
  ComponentDraw draw{goodRandom, out, err, storeLock.held()};
  REF = drawReflector(draw, refNext);
  PB = drawPlugboard(draw, pbNext);
  R1 = drawRotor(draw, rotorNext, {});
  R2 = drawRotor(draw, rotorNext, {R1});
  R3 = drawRotor(draw, rotorNext, {R1, R2});

  // A registry line that named a component its file lacks would make a setting that can never be
  // enciphered with again; the run still uses the setting, as when the registry cannot be written.
  // Without the lock, another run could store other contents under the same IDs: the lock's note
  // says why nothing was stored.
  if (!draw.storable) return false;
  if (!draw.missingComponent.empty()) {
    reportProblem(err, "setting " + ID + " was not stored: " + draw.missingComponent);
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
