// The settings registry: one line per machine setting, mapping its setting ID to five component
// IDs, and the readers that tell which ID the next new entry of each store file gets.
//
// Registry line: setting ID in upper-case hexadecimal, then the plugboard, rotor 1, rotor 2,
// rotor 3 and reflector component IDs in decimal, comma-separated, e.g. "1F,3,0,12,7,2".
#ifndef VEXILO_SETTINGS_REGISTRY_H_
#define VEXILO_SETTINGS_REGISTRY_H_

#include <array>
#include <cstdint>
#include <iostream>
#include <string>

#include "store/component_files.h"
#include "store/file_location.h"

namespace vexilo {

inline const std::string registryFileName = "initalSettings26.txt";

// The four files of the store: the three component files and the registry.
inline const std::array<std::string, 4> storeFileNames = {rotorFileName, reflectorFileName,
                                                          plugboardFileName, registryFileName};

// Whether `location` is one of the four store files, where the system would open it: the same
// file, or, for a store file not made yet, the same name in any case in the same directory.
// A store file whose name leads nowhere (a directory on its way missing or closed to the program,
// a loop of links) is no file at all, and nothing matches it; one that cannot be followed for
// another reason (no descriptor left, say) may be any file, and counts as a match.
// The store is the one in `storeDirectory`, or in the working directory when that is empty.
bool namesStoreFile(const FileLocation& location, const std::string& storeDirectory = "");

// Set in all five component IDs when no setting was found; callers test `R1` against it.
inline constexpr std::int32_t settingNotFound = -1;

// The next setting ID is never above this (FFFFF): no setting above FFFFE is ever issued.
inline constexpr std::int32_t settingIdLimit = 0xFFFFF;

// Fills the five component IDs from the first readable registry line whose setting ID equals
// `settingId` read as hexadecimal. Sets all five to `settingNotFound` when there is none, when
// `settingId` is not a hexadecimal number, or when the registry cannot be opened (which also writes
// "unable to open file" to `out`). Unreadable lines are passed over, and failures of the file
// named, on `err`.
void lookupSetting(std::string settingId, std::int32_t& R1, std::int32_t& R2, std::int32_t& R3,
                   std::int32_t& REF, std::int32_t& PB, std::ostream& out = std::cout,
                   std::ostream& err = std::cerr);

// One more than the ID of the last readable line of the rotor file (a line whose ID cannot be read
// or is negative is passed over), or 0 for a file with none; never above 2147483647. A file that
// cannot be opened writes "unable to open file" to `out` and gives 0. Passed-over lines and
// failures of the file are noted on `err`.
std::int32_t nextRotorId(std::ostream& out = std::cout, std::ostream& err = std::cerr);
// As `nextRotorId`, for the reflector file.
std::int32_t nextReflectorId(std::ostream& out = std::cout, std::ostream& err = std::cerr);
// As `nextRotorId`, for the plugboard file.
std::int32_t nextPlugboardId(std::ostream& out = std::cout, std::ostream& err = std::cerr);
// As `nextRotorId`, for the registry, whose IDs are hexadecimal; never above `settingIdLimit`.
std::int32_t nextSettingId(std::ostream& out = std::cout, std::ostream& err = std::cerr);

// The ID that a new line of the store file `fileName` takes, given `next`, the file's next free ID
// as read from its last line: `next` itself, unless a line of the file holds it already (a line
// copied to the end by hand does that); then one more than the largest ID in the file (never above
// 2147483647). Reads the whole file, so it is asked only when a line is about to be appended.
// Lines whose ID cannot be read are passed over without a note; a file that cannot be read gives
// `next`.
std::int32_t unheldId(const std::string& fileName, std::int32_t next,
                      std::ostream& err = std::cerr);

}  // namespace vexilo

#endif  // VEXILO_SETTINGS_REGISTRY_H_
