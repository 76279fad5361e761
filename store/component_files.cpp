#include "store/component_files.h"

#include <array>
#include <optional>
#include <string_view>

#include "store/component_generation.h"
#include "store/file_system.h"
#include "store/line_reader.h"

namespace vexilo {
namespace {

// The longest line format: ID, cable count and 26 wiring entries.
constexpr std::size_t mostFields = 2 + alphabetSize;
using FieldValues = std::array<std::int32_t, mostFields>;

// Reads the first readable line of `fileName` whose ID is `componentId` and whose first
// `fieldCount` fields all hold numbers into `values`. Returns false, and writes the failure line,
// when the file cannot be opened; a missing ID leaves `values` untouched and returns true.
bool loadComponentLine(const std::string& fileName, std::int32_t componentId,
                       std::size_t fieldCount, std::optional<FieldValues>& values,
                       std::ostream& out, std::ostream& err) {
  PassedOverLines passedOver(fileName, err);
  const auto visit = [&](LineCursor& line, std::int64_t lineNumber) {
    const std::optional<std::int32_t> lineId = readLineId(line, 10);
    if (!lineId) {
      passedOver.add(lineNumber, "its ID cannot be read");
      return true;
    }
    if (*lineId != componentId) return true;
    FieldValues parsed{};
    parsed[0] = *lineId;
    if (const auto unreadable =
            readNumberFields(line, std::span(parsed).subspan(1, fieldCount - 1))) {
      passedOver.add(lineNumber, *unreadable);
      return true;
    }
    values = parsed;
    return false;
  };
  if (forEachLine(fileName, visit, err) == LineReadOutcome::unableToOpen) {
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

bool appendComponent(const std::string& fileName, const std::string& formatted, std::ostream& out,
                     std::ostream& err) {
  if (appendLine(fileName, formatted, err)) return true;
  writeUnableToOpenFile(out);
  return false;
}

void copyWiring(const FieldValues& values, std::size_t firstEntryField, Wiring& wiring) {
  for (std::size_t entry = 0; entry < wiring.size(); ++entry) {
    wiring[entry] = values[firstEntryField + entry];
  }
}

}  // namespace

bool setupRotor(Rotor& rotor, std::int32_t componentId, bool generate, std::ostream& out,
                std::ostream& err) {
  rotor = Rotor{};
  if (generate) {
    generateRotorWiring(rotor);
    return appendComponent(rotorFileName,
                           componentLine(componentId, std::nullopt, rotor.initialWiring), out, err);
  }
  std::optional<FieldValues> values;
  if (!loadComponentLine(rotorFileName, componentId, 1 + alphabetSize, values, out, err)) {
    return false;
  }
  if (values) {
    copyWiring(*values, 1, rotor.initialWiring);
    rotor.currentWiring = rotor.initialWiring;
  }
  return true;
}

bool setupReflector(Reflector& reflector, std::int32_t componentId, bool generate,
                    std::ostream& out, std::ostream& err) {
  reflector = Reflector{};
  if (generate) {
    generateReflectorWiring(reflector);
    return appendComponent(reflectorFileName,
                           componentLine(componentId, std::nullopt, reflector.wiring), out, err);
  }
  std::optional<FieldValues> values;
  if (!loadComponentLine(reflectorFileName, componentId, 1 + alphabetSize, values, out, err)) {
    return false;
  }
  if (values) copyWiring(*values, 1, reflector.wiring);
  return true;
}

bool setupPlugboard(Plugboard& plugboard, std::int32_t componentId, std::int32_t cableCount,
                    bool generate, std::ostream& out, std::ostream& err) {
  if (!generate) return loadPlugboard(plugboard, componentId, out, err);
  plugboard = Plugboard{};
  generatePlugboardWiring(plugboard, cableCount);
  return appendComponent(plugboardFileName,
                         componentLine(componentId, plugboard.cableCount, plugboard.wiring), out,
                         err);
}

bool loadPlugboard(Plugboard& plugboard, std::int32_t componentId, std::ostream& out,
                   std::ostream& err) {
  plugboard = Plugboard{};
  std::optional<FieldValues> values;
  if (!loadComponentLine(plugboardFileName, componentId, 2 + alphabetSize, values, out, err)) {
    return false;
  }
  if (values) {
    plugboard.cableCount = (*values)[1];
    copyWiring(*values, 2, plugboard.wiring);
  }
  return true;
}

}  // namespace vexilo
