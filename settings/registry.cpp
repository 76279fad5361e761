#include "settings/registry.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <limits>
#include <optional>
#include <string_view>

#include "store/component_files.h"
#include "store/file_location.h"
#include "store/file_system.h"
#include "store/line_reader.h"

namespace vexilo {
namespace {

constexpr std::size_t registryFieldCount = 6;

bool equalInAnyCase(std::string_view first, std::string_view second) {
  const auto lower = [](char letter) {
    return letter >= 'A' && letter <= 'Z' ? static_cast<char>(letter - 'A' + 'a') : letter;
  };
  return std::equal(first.begin(), first.end(), second.begin(), second.end(),
                    [&](char a, char b) { return lower(a) == lower(b); });
}

// One more than the ID of the last readable line. Only that line and the unreadable lines after
// it are read, from the end of the file; those are reported as passed over, in file order.
std::int32_t nextFreeId(const std::string& fileName, int base, std::ostream& out,
                        std::ostream& err) {
  std::optional<std::int32_t> lastId;
  std::int64_t lastIdLineStart = 0;
  std::int64_t passedOverCount = 0;
  const auto visit = [&](LineCursor& line, std::int64_t lineStart) {
    lastId = readLineId(line, base);
    if (!lastId) {
      ++passedOverCount;
      return true;
    }
    lastIdLineStart = lineStart;
    return false;
  };
  if (forEachLineBackward(fileName, visit, err) == LineReadOutcome::unableToOpen) {
    writeUnableToOpenFile(out);
    return 0;
  }
  if (passedOverCount > 0) {
    // The line numbers are counted only when there are lines to report.
    const std::int64_t firstPassedOver = lastId ? countLineEnds(fileName, lastIdLineStart) + 2 : 1;
    PassedOverLines passedOver(fileName, err);
    for (std::int64_t line = 0; line < passedOverCount; ++line) {
      passedOver.add(firstPassedOver + line, "its ID cannot be read");
    }
  }
  if (!lastId) return 0;
  return *lastId == std::numeric_limits<std::int32_t>::max() ? *lastId : *lastId + 1;
}

}  // namespace

void lookupSetting(std::string settingId, std::int32_t& R1, std::int32_t& R2, std::int32_t& R3,
                   std::int32_t& REF, std::int32_t& PB, std::ostream& out, std::ostream& err) {
  R1 = R2 = R3 = REF = PB = settingNotFound;
  std::optional<std::int32_t> wanted;
  bool wantedParsed = false;
  PassedOverLines passedOver(registryFileName, err);
  const auto visit = [&](LineCursor& line, std::int64_t lineNumber) {
    const std::optional<std::int32_t> lineId = readLineId(line, 16);
    if (!lineId) {
      passedOver.add(lineNumber, "its ID cannot be read");
      return true;
    }
    if (!wantedParsed) {
      wanted = parseInteger(settingId, 16);
      wantedParsed = true;
    }
    // An ID typed that is no hexadecimal number matches no line.
    if (!wanted) return false;
    if (*lineId != *wanted) return true;
    std::array<std::int32_t, registryFieldCount - 1> ids{};
    if (const auto unreadable = readNumberFields(line, ids)) {
      passedOver.add(lineNumber, *unreadable);
      return true;
    }
    PB = ids[0];
    R1 = ids[1];
    R2 = ids[2];
    R3 = ids[3];
    REF = ids[4];
    return false;
  };
  if (forEachLine(registryFileName, visit, err) == LineReadOutcome::unableToOpen) {
    writeUnableToOpenFile(out);
  }
}

std::int32_t nextRotorId(std::ostream& out, std::ostream& err) {
  return nextFreeId(rotorFileName, 10, out, err);
}

std::int32_t nextReflectorId(std::ostream& out, std::ostream& err) {
  return nextFreeId(reflectorFileName, 10, out, err);
}

std::int32_t nextPlugboardId(std::ostream& out, std::ostream& err) {
  return nextFreeId(plugboardFileName, 10, out, err);
}

std::int32_t nextSettingId(std::ostream& out, std::ostream& err) {
  return std::min(nextFreeId(registryFileName, 16, out, err), settingIdLimit);
}

std::int32_t unheldId(const std::string& fileName, std::int32_t next, std::ostream& err) {
  const int base = fileName == registryFileName ? 16 : 10;
  bool held = false;
  std::int32_t largest = next;
  const auto visit = [&](LineCursor& line, std::int64_t) {
    const std::optional<std::int32_t> lineId = readLineId(line, base);
    if (lineId) {
      held = held || *lineId == next;
      largest = std::max(largest, *lineId);
    }
    return true;
  };
  forEachLine(fileName, visit, err);
  if (!held) return next;
  return largest == std::numeric_limits<std::int32_t>::max() ? largest : largest + 1;
}

bool namesStoreFile(const FileLocation& location, const std::string& storeDirectory) {
  return std::any_of(storeFileNames.begin(), storeFileNames.end(), [&](const std::string& name) {
    const Result<FileLocation> storeFile =
        locateFile(storeDirectory.empty() ? name : storeDirectory + "/" + name);
    // A store file not made yet is matched by its name in any case: on a disk that does not tell
    // case apart (a Mac's, an exFAT stick, Windows) the file made for the other spelling would
    // become the store file.
    if (storeFile && !storeFile->file) {
      return storeFile->directoryIdentity == location.directoryIdentity &&
             equalInAnyCase(storeFile->name, location.name);
    }
    if (storeFile) return sameFile(*storeFile, location);
    const int reason = storeFile.error().number;
    return reason != ENOENT && reason != ENOTDIR && reason != ELOOP && reason != EACCES;
  });
}

}  // namespace vexilo
