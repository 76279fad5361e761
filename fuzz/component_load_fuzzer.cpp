// Loads a rotor, reflector or plugboard by ID from a component file of arbitrary contents (or a
// directory in its place) and checks the record and the output against a plain second reading.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>

#include "core/letter.h"
#include "core/plugboard.h"
#include "core/reflector.h"
#include "core/rotor.h"
#include "fuzz/fuzz_directory.h"
#include "fuzz/reference_store.h"
#include "store/component_files.h"
#include "store/file_system.h"
#include "store/line_reader.h"

namespace {

// The wiring the load must leave: the line's entries from `firstEntry` on, or a newly made
// record's wiring when no line matched.
vexilo::Wiring expectedWiring(const std::optional<std::vector<std::int32_t>>& values,
                              std::size_t firstEntry) {
  vexilo::Wiring wiring = vexilo::unfilledWiring;
  if (values) {
    for (std::size_t entry = 0; entry < wiring.size(); ++entry) {
      wiring[entry] = (*values)[firstEntry + entry];
    }
  }
  return wiring;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider provider(data, size);
  const auto kind = provider.ConsumeIntegralInRange<int>(0, 3);
  const bool directoryInstead = provider.ConsumeIntegralInRange<int>(0, 31) == 0;
  // Mostly small IDs, so that lines of the file are matched; sometimes any 32-bit value.
  const auto componentId = provider.ConsumeBool()
                               ? provider.ConsumeIntegralInRange<std::int32_t>(0, 9)
                               : provider.ConsumeIntegral<std::int32_t>();
  const std::string contents = provider.ConsumeRemainingBytesAsString();
  const std::string& fileName = kind == 0   ? vexilo::rotorFileName
                                : kind == 1 ? vexilo::reflectorFileName
                                            : vexilo::plugboardFileName;
  vexilo::fuzzing::emptyFuzzDirectory();
  if (directoryInstead) {
    vexilo::fuzzing::makeFuzzDirectory(fileName);
  } else {
    vexilo::fuzzing::writeFuzzFile(fileName, contents);
  }
  const std::size_t fieldCount = (kind <= 1 ? 1 : 2) + vexilo::alphabetSize;
  const auto values = directoryInstead
                          ? std::nullopt
                          : vexilo::fuzzing::referenceLookup(contents, componentId, fieldCount, 10);

  std::ostringstream out;
  std::ostringstream err;
  if (kind == 0) {
    vexilo::Rotor rotor;
    rotor.currentWiring[3] = 77;
    vexilo::setupRotor(rotor, componentId, false, out, err);
    vexilo::fuzzing::check(rotor.initialWiring == expectedWiring(values, 1));
    vexilo::fuzzing::check(rotor.currentWiring == rotor.initialWiring);
    vexilo::fuzzing::check(rotor.size == vexilo::alphabetSize);
  } else if (kind == 1) {
    vexilo::Reflector reflector;
    reflector.wiring[5] = 9;
    vexilo::setupReflector(reflector, componentId, false, out, err);
    vexilo::fuzzing::check(reflector.wiring == expectedWiring(values, 1));
    vexilo::fuzzing::check(reflector.size == vexilo::alphabetSize);
  } else {
    vexilo::Plugboard plugboard;
    plugboard.cableCount = 5;
    plugboard.wiring[7] = 3;
    if (kind == 2) {
      vexilo::loadPlugboard(plugboard, componentId, out, err);
    } else {
      vexilo::setupPlugboard(plugboard, componentId, 13, false, out, err);
    }
    vexilo::fuzzing::check(plugboard.wiring == expectedWiring(values, 2));
    vexilo::fuzzing::check(plugboard.cableCount == (values ? (*values)[1] : 0));
    vexilo::fuzzing::check(plugboard.size == vexilo::alphabetSize);
  }
  // One read names at most ten passed-over lines and counts the rest on one more line.
  const std::string notes = err.str();
  vexilo::fuzzing::check(std::count(notes.begin(), notes.end(), '\n') <=
                         vexilo::passedOverLinesNamed + 1);
  // The only line a load writes is the failure line of a file that cannot be opened.
  vexilo::fuzzing::check(
      out.str() ==
      (directoryInstead ? std::string(vexilo::unableToOpenFileMessage) + '\n' : std::string()));
  return 0;
}
