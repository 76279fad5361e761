#include "store/component_files.h"

#include <array>
#include <optional>
#include <string_view>

#include "store/component_generation.h"
#include "store/file_system.h"
#include "store/text_file.h"

namespace vexilo {
namespace {

// The longest line format: ID, cable count and 26 wiring entries.
constexpr std::size_t mostFields = 2 + alphabetSize;
using FieldValues = std::array<std::int32_t, mostFields>;

// Reads the first line of `fileName` whose ID is `componentId` and whose first `fieldCount` fields
// all read as numbers into `values`. Returns false, and writes the failure line, when the file
// cannot be opened; a missing ID leaves `values` untouched and returns true.
bool loadComponentLine(const std::string& fileName, std::int32_t componentId,
                       std::size_t fieldCount, std::optional<FieldValues>& values,
                       std::ostream& out) {
  const auto outcome = forEachLine(fileName, [&](std::string_view line, std::int64_t lineNumber) {
    const std::int64_t lineId = readLineId(fileName, line, lineNumber, 10);
    if (lineId == unreadableLineId || lineId != componentId) return true;
    std::array<std::string_view, mostFields> fields;
    const std::size_t found = splitFields(line, fields);
    if (found < fieldCount) {
      reportPassedOverLine(fileName, lineNumber, "it has too few fields");
      return true;
    }
    FieldValues parsed{};
    for (std::size_t field = 0; field < fieldCount; ++field) {
      const std::optional<std::int32_t> value = parseInteger(fields[field], 10);
      if (!value) {
        reportPassedOverLine(fileName, lineNumber, "a field cannot be read as a number");
        return true;
      }
      parsed[field] = *value;
    }
    values = parsed;
    return false;
  });
  if (outcome == LineReadOutcome::unableToOpen) {
    writeUnableToOpenFile(out);
    return false;
  }
  return true;
}

// The stored line of a component: its ID, the cable count for a plugboard, then the wiring.
std::string componentLine(std::int32_t componentId, std::optional<std::int32_t> cableCount,
                          const Wiring& wiring) {
  std::string formatted = std::to_string(componentId) + ',';
  if (cableCount) formatted += std::to_string(*cableCount) + ',';
  for (std::size_t entry = 0; entry < wiring.size(); ++entry) {
    if (entry > 0) formatted += ',';
    formatted += std::to_string(wiring[entry]);
  }
  formatted += '\n';
  return formatted;
}

void appendComponent(const std::string& fileName, const std::string& formatted, std::ostream& out) {
  if (!appendLine(fileName, formatted)) writeUnableToOpenFile(out);
}

void copyWiring(const FieldValues& values, std::size_t firstEntryField, Wiring& wiring) {
  for (std::size_t entry = 0; entry < wiring.size(); ++entry) {
    wiring[entry] = values[firstEntryField + entry];
  }
}

}  // namespace

void setupRotor(Rotor& rotor, std::int32_t componentId, bool generate, std::ostream& out) {
  rotor = Rotor{};
  if (generate) {
    generateRotorWiring(rotor);
    appendComponent(rotorFileName, componentLine(componentId, std::nullopt, rotor.initialWiring),
                    out);
    return;
  }
  std::optional<FieldValues> values;
  if (!loadComponentLine(rotorFileName, componentId, 1 + alphabetSize, values, out) || !values) {
    return;
  }
  copyWiring(*values, 1, rotor.initialWiring);
  rotor.currentWiring = rotor.initialWiring;
}

void setupReflector(Reflector& reflector, std::int32_t componentId, bool generate,
                    std::ostream& out) {
  reflector = Reflector{};
  if (generate) {
    generateReflectorWiring(reflector);
    appendComponent(reflectorFileName, componentLine(componentId, std::nullopt, reflector.wiring),
                    out);
    return;
  }
  std::optional<FieldValues> values;
  if (!loadComponentLine(reflectorFileName, componentId, 1 + alphabetSize, values, out) ||
      !values) {
    return;
  }
  copyWiring(*values, 1, reflector.wiring);
}

void setupPlugboard(Plugboard& plugboard, std::int32_t componentId, std::int32_t cableCount,
                    bool generate, std::ostream& out) {
  if (!generate) {
    loadPlugboard(plugboard, componentId, out);
    return;
  }
  plugboard = Plugboard{};
  generatePlugboardWiring(plugboard, cableCount);
  appendComponent(plugboardFileName,
                  componentLine(componentId, plugboard.cableCount, plugboard.wiring), out);
}

void loadPlugboard(Plugboard& plugboard, std::int32_t componentId, std::ostream& out) {
  plugboard = Plugboard{};
  std::optional<FieldValues> values;
  if (!loadComponentLine(plugboardFileName, componentId, 2 + alphabetSize, values, out) ||
      !values) {
    return;
  }
  plugboard.cableCount = (*values)[1];
  copyWiring(*values, 2, plugboard.wiring);
}

}  // namespace vexilo
