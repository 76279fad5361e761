// A private working directory for a fuzz target, emptied and refilled for every input.
#ifndef VEXILO_FUZZ_FUZZ_DIRECTORY_H_
#define VEXILO_FUZZ_FUZZ_DIRECTORY_H_

#include <string>
#include <string_view>

namespace vexilo::fuzzing {

// Makes a fresh temporary directory, changes into it for the rest of the process (it is removed
// when the process exits) and sends
// standard error, where passed-over lines are reported, to nowhere. Traps when it cannot.
void enterFuzzDirectory();

// Removes everything the last input left in the working directory.
void emptyFuzzDirectory();

// Writes `contents` to `fileName` in the working directory.
void writeFuzzFile(const std::string& fileName, std::string_view contents);

// Makes a directory named `fileName`, so that a store file cannot be opened as a file.
void makeFuzzDirectory(const std::string& fileName);

}  // namespace vexilo::fuzzing

#endif  // VEXILO_FUZZ_FUZZ_DIRECTORY_H_
