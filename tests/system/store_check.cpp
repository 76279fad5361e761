#include "tests/system/store_check.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <sstream>

#include "tests/support/scoped_temp_dir.h"

namespace vexilo::testing {
namespace {

std::vector<std::string> splitAtCommas(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = line.find(',', start);
    fields.push_back(line.substr(start, comma == std::string::npos ? comma : comma - start));
    if (comma == std::string::npos) return fields;
    start = comma + 1;
  }
}

// The value of a field written in its shortest form in `base`, or nullopt.
std::optional<std::int32_t> shortestNumber(const std::string& field, int base) {
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value, base);
  if (error != std::errc() || end != field.data() + field.size()) return std::nullopt;
  char written[16];
  if (base == 16) {
    std::snprintf(written, sizeof written, "%X", static_cast<unsigned>(value));
  } else {
    std::snprintf(written, sizeof written, "%d", value);
  }
  if (field != written) return std::nullopt;
  return value;
}

// The lines of a store file, each checked to end in a line end and to hold `fieldCount` numbers
// in shortest form, the first with ID equal to its line index.
std::vector<std::vector<std::int32_t>> readStoreFile(const std::string& fileName,
                                                     std::size_t fieldCount, int idBase,
                                                     std::vector<std::string>& faults) {
  std::string contents = readFile(fileName);
  if (contents == "<absent>") contents.clear();
  if (!contents.empty() && contents.back() != '\n') {
    faults.push_back(fileName + ": the last line has no line end");
  }
  std::vector<std::vector<std::int32_t>> records;
  for (const std::string& line : splitLines(contents)) {
    const std::string where = fileName + " line " + std::to_string(records.size() + 1) + " \"" +
                              line.substr(0, 200) + "\": ";
    const std::vector<std::string> fields = splitAtCommas(line);
    if (fields.size() != fieldCount) {
      faults.push_back(where + std::to_string(fields.size()) + " fields");
      records.emplace_back();
      continue;
    }
    std::vector<std::int32_t> values;
    for (std::size_t field = 0; field < fields.size(); ++field) {
      const auto value = shortestNumber(fields[field], field == 0 ? idBase : 10);
      if (!value) {
        faults.push_back(where + "field " + std::to_string(field + 1) + " is not a number");
        break;
      }
      values.push_back(*value);
    }
    if (values.size() == fieldCount && values[0] != static_cast<std::int32_t>(records.size())) {
      faults.push_back(where + "its ID is not its line index");
    }
    records.push_back(values.size() == fieldCount ? values : std::vector<std::int32_t>{});
  }
  return records;
}

// Entries `first` to `first` + 25 of `values` as a wiring; empty when the record was unreadable.
std::vector<std::int32_t> wiringOf(const std::vector<std::int32_t>& values, std::size_t first) {
  if (values.size() < first + 26) return {};
  return {values.begin() + static_cast<std::ptrdiff_t>(first),
          values.begin() + static_cast<std::ptrdiff_t>(first + 26)};
}

bool isPermutation(const std::vector<std::int32_t>& wiring) {
  std::vector<std::int32_t> sorted = wiring;
  std::sort(sorted.begin(), sorted.end());
  for (std::int32_t entry = 0; entry < 26; ++entry) {
    if (sorted[static_cast<std::size_t>(entry)] != entry) return false;
  }
  return true;
}

bool isInvolution(const std::vector<std::int32_t>& wiring) {
  if (!isPermutation(wiring)) return false;
  for (std::size_t entry = 0; entry < 26; ++entry) {
    if (wiring[static_cast<std::size_t>(wiring[entry])] != static_cast<std::int32_t>(entry)) {
      return false;
    }
  }
  return true;
}

std::size_t fixedPoints(const std::vector<std::int32_t>& wiring) {
  std::size_t count = 0;
  for (std::size_t entry = 0; entry < 26; ++entry) {
    if (wiring[entry] == static_cast<std::int32_t>(entry)) ++count;
  }
  return count;
}

}  // namespace

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  std::string line;
  while (std::getline(stream, line)) lines.push_back(line);
  return lines;
}

StoreReport checkStore() {
  StoreReport report;
  auto& faults = report.faults;
  const auto rotors = readStoreFile("ExistingRotorSettings26.txt", 27, 10, faults);
  const auto reflectors = readStoreFile("ExistingReflectorSettings26.txt", 27, 10, faults);
  const auto plugboards = readStoreFile("ExistingPlugBoardSettings26.txt", 28, 10, faults);
  const auto registry = readStoreFile("initalSettings26.txt", 6, 16, faults);
  report.rotors = rotors.size();
  report.reflectors = reflectors.size();
  report.plugboards = plugboards.size();

  for (std::size_t id = 0; id < rotors.size(); ++id) {
    const auto wiring = wiringOf(rotors[id], 1);
    if (!wiring.empty() && (!isPermutation(wiring) || fixedPoints(wiring) != 0)) {
      faults.push_back("rotor " + std::to_string(id) + " is no fixed-point-free permutation");
    }
  }
  for (std::size_t id = 0; id < reflectors.size(); ++id) {
    const auto wiring = wiringOf(reflectors[id], 1);
    if (!wiring.empty() && (!isInvolution(wiring) || fixedPoints(wiring) != 0)) {
      faults.push_back("reflector " + std::to_string(id) + " is not 13 pairs");
    }
  }
  for (std::size_t id = 0; id < plugboards.size(); ++id) {
    const auto wiring = wiringOf(plugboards[id], 2);
    if (wiring.empty()) continue;
    const std::int32_t cables = plugboards[id][1];
    if (cables < 0 || cables > 13 || !isInvolution(wiring) ||
        fixedPoints(wiring) != 26 - 2 * static_cast<std::size_t>(cables)) {
      faults.push_back("plugboard " + std::to_string(id) + " does not swap its cables' letters");
    }
  }
  for (std::size_t id = 0; id < registry.size(); ++id) {
    const auto& line = registry[id];
    if (line.size() != 6) continue;
    const StoredSetting setting{line[2], line[3], line[4], line[5], line[1]};
    const auto stored = [](std::int32_t component, std::size_t count) {
      return component >= 0 && static_cast<std::size_t>(component) < count;
    };
    if (!stored(setting.R1, rotors.size()) || !stored(setting.R2, rotors.size()) ||
        !stored(setting.R3, rotors.size()) || !stored(setting.REF, reflectors.size()) ||
        !stored(setting.PB, plugboards.size()) || setting.R1 == setting.R2 ||
        setting.R1 == setting.R3 || setting.R2 == setting.R3) {
      faults.push_back("setting " + std::to_string(id) + " names components that are not stored");
    }
    report.settings[static_cast<std::int32_t>(id)] = setting;
  }
  return report;
}

std::optional<PrintedSetting> printedSetting(const std::string& standardOutput) {
  const std::vector<std::string> lines = splitLines(standardOutput);
  for (std::size_t line = 0; line + 2 < lines.size(); ++line) {
    if (lines[line] != "               Your Settings") continue;
    std::istringstream values(lines[line + 2]);
    std::string id;
    PrintedSetting printed;
    auto& setting = printed.setting;
    if (!(values >> id >> setting.R1 >> setting.R2 >> setting.R3 >> setting.REF >> setting.PB)) {
      return std::nullopt;
    }
    const auto [end, error] = std::from_chars(id.data(), id.data() + id.size(), printed.id, 16);
    if (error != std::errc() || end != id.data() + id.size()) return std::nullopt;
    return printed;
  }
  return std::nullopt;
}

}  // namespace vexilo::testing
