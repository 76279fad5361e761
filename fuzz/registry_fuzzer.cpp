// Looks up an arbitrary typed setting ID in a registry of arbitrary contents and runs the four
// next-free-ID readers on arbitrary store files (or directories in their place), checking every
// result and every output line against a plain second reading.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <sstream>
#include <string>

#include "fuzz/fuzz_directory.h"
#include "fuzz/reference_store.h"
#include "settings/registry.h"
#include "store/component_files.h"
#include "store/file_system.h"
#include "store/line_reader.h"

namespace {

const std::string failureLine = std::string(vexilo::unableToOpenFileMessage) + '\n';

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider provider(data, size);
  const auto directories = provider.ConsumeIntegral<std::uint8_t>();
  const std::string typedId = provider.ConsumeRandomLengthString(16);
  std::array<std::string, 4> contents;
  for (std::size_t file = 0; file < contents.size(); ++file) {
    contents[file] = file + 1 < contents.size() ? provider.ConsumeRandomLengthString(1 << 12)
                                                : provider.ConsumeRemainingBytesAsString();
  }
  // Bits 0 to 3: a directory in place of the file; bits 4 to 7: the file is absent.
  vexilo::fuzzing::emptyFuzzDirectory();
  std::array<bool, 4> unopenable{};
  for (std::size_t file = 0; file < contents.size(); ++file) {
    unopenable[file] = (directories >> file & 1) != 0 || (directories >> (file + 4) & 1) != 0;
    if ((directories >> file & 1) != 0) {
      vexilo::fuzzing::makeFuzzDirectory(*vexilo::fuzzing::storeFileNames[file]);
    } else if ((directories >> (file + 4) & 1) == 0) {
      vexilo::fuzzing::writeFuzzFile(*vexilo::fuzzing::storeFileNames[file], contents[file]);
    }
  }

  std::ostringstream out;
  std::ostringstream err;
  // One read of a file names at most ten passed-over lines and counts the rest on one more line.
  const auto checkNotes = [&] {
    const std::string notes = err.str();
    vexilo::fuzzing::check(std::count(notes.begin(), notes.end(), '\n') <=
                           vexilo::passedOverLinesNamed + 1);
    err.str("");
  };
  std::int32_t R1 = 7, R2 = 7, R3 = 7, REF = 7, PB = 7;
  vexilo::lookupSetting(typedId, R1, R2, R3, REF, PB, out, err);
  checkNotes();
  const auto wanted = vexilo::fuzzing::referenceNumber(typedId, 16);
  const auto line = unopenable[0] || !wanted
                        ? std::nullopt
                        : vexilo::fuzzing::referenceLookup(contents[0], *wanted, 6, 16);
  if (line) {
    vexilo::fuzzing::check(PB == (*line)[1] && R1 == (*line)[2] && R2 == (*line)[3] &&
                           R3 == (*line)[4] && REF == (*line)[5]);
  } else {
    vexilo::fuzzing::check(R1 == -1 && R2 == -1 && R3 == -1 && REF == -1 && PB == -1);
  }
  vexilo::fuzzing::check(out.str() == (unopenable[0] ? failureLine : std::string()));

  const auto expectedNext = [&](std::size_t file, int base) {
    return unopenable[file] ? 0 : vexilo::fuzzing::referenceNextId(contents[file], base);
  };
  const auto checkReader = [&](std::int32_t next, std::size_t file, std::int32_t expected) {
    vexilo::fuzzing::check(next == expected);
    vexilo::fuzzing::check(out.str() == (unopenable[file] ? failureLine : std::string()));
    checkNotes();
  };
  out.str("");
  checkReader(vexilo::nextSettingId(out, err), 0,
              std::min(expectedNext(0, 16), vexilo::settingIdLimit));
  out.str("");
  checkReader(vexilo::nextRotorId(out, err), 1, expectedNext(1, 10));
  out.str("");
  checkReader(vexilo::nextReflectorId(out, err), 2, expectedNext(2, 10));
  out.str("");
  checkReader(vexilo::nextPlugboardId(out, err), 3, expectedNext(3, 10));
  return 0;
}
