// A private working directory for a fuzz target, emptied and refilled for every input, and what
// every target shares.
#ifndef VEXILO_FUZZ_FUZZ_DIRECTORY_H_
#define VEXILO_FUZZ_FUZZ_DIRECTORY_H_

#include <array>
#include <string>
#include <string_view>

#include "settings/registry.h"
#include "store/component_files.h"

namespace vexilo::fuzzing {

// Ends the run as a crash, which the fuzzer reports, unless `holds`.
inline void check(bool holds) {
  if (!holds) __builtin_trap();
}

// The four store files: the registry, then the rotor, reflector and plugboard files.
inline const std::array<const std::string*, 4> storeFileNames = {
    &registryFileName, &rotorFileName, &reflectorFileName, &plugboardFileName};

// Makes a fresh temporary directory, changes into it for the rest of the process (it is removed
// when the process exits) and sends standard error, where passed-over lines are reported, to
// nowhere. Traps when it cannot. Every target does this first, in LLVMFuzzerInitialize.
void enterFuzzDirectory();

// Removes everything the last input left in the working directory.
void emptyFuzzDirectory();

// Writes `contents` to `fileName` in the working directory.
void writeFuzzFile(const std::string& fileName, std::string_view contents);

// Makes a directory named `fileName`, so that a store file cannot be opened as a file.
void makeFuzzDirectory(const std::string& fileName);

}  // namespace vexilo::fuzzing

#endif  // VEXILO_FUZZ_FUZZ_DIRECTORY_H_
