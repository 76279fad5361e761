// The whole store as the search reads it, each file read once from the top: the components of each
// kind in the form the search uses, and the registry's settings. What `vexilo` would load for an
// ID is what is kept for it: the first readable line that carries the ID.
#ifndef VEXILO_BREAK_STORE_CONTENTS_H_
#define VEXILO_BREAK_STORE_CONTENTS_H_

#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

#include "break/candidate_machine.h"
#include "core/letter.h"

namespace vexilo {

// The components of one file, in the order of their lines, one entry for each ID.
struct ComponentList {
  std::vector<std::int32_t> ids;
  // The wiring as bytes; only what a usable entry holds is a wiring of letter indices.
  std::vector<ByteWiring> wirings;
  // Whether the wiring can serve as its kind of component (`isRotorWiring` and the like).
  std::vector<bool> usable;
  // For finding an ID: its entry by ID when the IDs are dense (`denseIndex`), or the IDs sorted
  // with their entries otherwise.
  std::vector<std::int32_t> denseIndex;
  std::vector<std::pair<std::int32_t, std::int32_t>> sortedIndex;
};

// Returned by `findComponent` for an ID that the file does not hold.
inline constexpr std::int32_t componentMissing = -1;

// The entry of `list` for `componentId`, or `componentMissing`.
std::int32_t findComponent(const ComponentList& list, std::int32_t componentId);

// One line of the registry: a setting ID and its five component IDs, in the line's order.
struct RegistrySetting {
  std::int32_t settingId = 0;
  std::int32_t plugboard = 0;
  std::int32_t rotor1 = 0;
  std::int32_t rotor2 = 0;
  std::int32_t rotor3 = 0;
  std::int32_t reflector = 0;
};

enum class StoreFile { rotors, reflectors, plugboards, registry };

// The name of a store file in `directory` (the working directory when it is empty).
std::string storeFilePath(const std::string& directory, StoreFile file);

// Reads the component file of `kind` (rotors, reflectors or plugboards) into `list`. Returns false
// when it cannot be opened (noted on `err` unless it does not exist). Unreadable lines are passed
// over with a note on `err`, as `vexilo` does.
bool readComponentFile(const std::string& directory, StoreFile kind, ComponentList& list,
                       std::ostream& err);

// Reads the registry's settings, each setting ID once (its first readable line, the one `vexilo`
// would use), in the order of the lines. Returns false as `readComponentFile`.
bool readRegistry(const std::string& directory, std::vector<RegistrySetting>& settings,
                  std::ostream& err);

// The rotor tables of each entry of `list`; entries that are not usable get tables of no use,
// never read.
std::vector<RotorTables> rotorTablesOf(const ComponentList& list);

}  // namespace vexilo

#endif  // VEXILO_BREAK_STORE_CONTENTS_H_
