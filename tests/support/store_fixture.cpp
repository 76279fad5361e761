#include "tests/support/store_fixture.h"

#include <filesystem>
#include <sstream>

#include "tests/support/run_program.h"
#include "tests/support/scoped_temp_dir.h"

namespace vexilo::testing {
namespace {

Table affine(int factor, int offset) {
  Table table{};
  for (int i = 0; i < 26; ++i) table[i] = (factor * i + offset) % 26;
  return table;
}

// The records of a store file, line by line; an empty one for a line that is no record. Faults go
// to `faults`.
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
    const auto record = storeRecord(line, fieldCount, idBase);
    if (!record) {
      faults.push_back(where + "not " + std::to_string(fieldCount) + " numbers in shortest form");
    } else if ((*record)[0] != static_cast<std::int32_t>(records.size())) {
      faults.push_back(where + "its ID is not its line index");
    }
    records.push_back(record.value_or(std::vector<std::int32_t>{}));
  }
  return records;
}

// Entries `first` to `first` + 25 of `values` as a wiring; nullopt when the record was unreadable.
std::optional<Table> wiringOf(const std::vector<std::int32_t>& values, std::size_t first) {
  if (values.size() < first + 26) return std::nullopt;
  Table table{};
  for (std::size_t i = 0; i < 26; ++i) table[i] = values[first + i];
  return table;
}

}  // namespace

std::string joinTable(const Table& table) {
  std::string text;
  for (int i = 0; i < 26; ++i) {
    if (i > 0) text += ',';
    text += std::to_string(table[i]);
  }
  return text;
}

Table shiftRotor() { return affine(1, 1); }
Table tripleRotor() { return affine(3, 5); }
Table scrambledRotor() {
  return {7, 20, 14, 0,  19, 2,  25, 11, 4,  23, 1,  16, 9,
          5, 22, 12, 18, 3,  24, 13, 8,  17, 6,  10, 15, 21};
}
Table halfTurnReflector() { return affine(1, 13); }
Table plainPlugboard() { return affine(1, 0); }

Table twoCablePlugboard() {
  Table table = plainPlugboard();
  table[0] = 2;
  table[2] = 0;
  table[1] = 25;
  table[25] = 1;
  return table;
}

Table unfilledTable() {
  Table table{};
  table[0] = -1;
  return table;
}

std::string knownRotorFile() {
  return "0," + joinTable(shiftRotor()) + "\n1," + joinTable(tripleRotor()) + "\n2," +
         joinTable(scrambledRotor()) + "\n";
}

std::string knownReflectorFile() { return "0," + joinTable(halfTurnReflector()) + "\n"; }

std::string knownPlugboardFile() {
  return "0,0," + joinTable(plainPlugboard()) + "\n1,2," + joinTable(twoCablePlugboard()) + "\n";
}

std::string knownRegistry() { return "0,0,0,1,2,0\n1A,1,0,1,2,0\n1B,1,2,0,1,0\n1C,1,0,9,2,0\n"; }

void writeKnownStore() {
  writeFile(rotorFile, knownRotorFile());
  writeFile(reflectorFile, knownReflectorFile());
  writeFile(plugboardFile, knownPlugboardFile());
  writeFile(registryFile, knownRegistry());
}

void writeExampleStore() {
  for (const std::string& file : storeFiles) {
    writeFile(file, readFile(std::filesystem::path(VEXILO_EXAMPLE_STORE) / file));
  }
}

StoreReport checkStore(const std::string& directory) {
  StoreReport report;
  auto& faults = report.faults;
  const std::string in = directory + "/";
  const auto rotors = readStoreFile(in + rotorFile, 27, 10, faults);
  const auto reflectors = readStoreFile(in + reflectorFile, 27, 10, faults);
  const auto plugboards = readStoreFile(in + plugboardFile, 28, 10, faults);
  const auto registry = readStoreFile(in + registryFile, 6, 16, faults);
  report.rotors = rotors.size();
  report.reflectors = reflectors.size();
  report.plugboards = plugboards.size();

  for (std::size_t id = 0; id < rotors.size(); ++id) {
    const auto wiring = wiringOf(rotors[id], 1);
    if (wiring && !isRotorWithoutFixedPoint(*wiring)) {
      faults.push_back("rotor " + std::to_string(id) + " is no fixed-point-free permutation");
    }
  }
  for (std::size_t id = 0; id < reflectors.size(); ++id) {
    const auto wiring = wiringOf(reflectors[id], 1);
    if (wiring && !isReflector(*wiring)) {
      faults.push_back("reflector " + std::to_string(id) + " is not 13 pairs");
    }
  }
  for (std::size_t id = 0; id < plugboards.size(); ++id) {
    const auto wiring = wiringOf(plugboards[id], 2);
    if (wiring && !isPlugboardWithCables(*wiring, plugboards[id][1])) {
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

std::vector<std::string> faultsAfterRun(const ProgramRun& run, bool mustBeStored,
                                        const std::string& directory) {
  StoreReport store = checkStore(directory);
  const auto printed = printedSetting(run.standardOutput);
  if (!printed) {
    store.faults.push_back("no setting printed in:\n" + run.standardOutput.substr(0, 2000));
    return store.faults;
  }
  const std::string name = "setting " + std::to_string(printed->id);
  const auto stored = store.settings.find(printed->id);
  const bool isStored = stored != store.settings.end();
  if (!isStored && mustBeStored) store.faults.push_back(name + " is not stored");
  if (isStored && !(stored->second == printed->setting)) {
    store.faults.push_back(name + " is stored otherwise than printed");
  }
  if (run.exitStatus != (isStored ? 0 : 1)) {
    store.faults.push_back(name + (isStored ? " is" : " is not") + " stored, and the run ended " +
                           "with status " + std::to_string(run.exitStatus) + ":\n" +
                           run.standardError.substr(0, 2000));
  }
  return store.faults;
}

void linkStoreFiles(const std::string& from, const std::string& to) {
  std::filesystem::create_directories(from);
  std::filesystem::create_directories(to);
  for (const std::string& name : storeFiles) {
    std::filesystem::create_symlink("../" + to + "/" + name, from + "/" + name);
  }
}

std::vector<std::string> lostStoreLinks(const std::string& from, const std::string& to) {
  std::vector<std::string> lost;
  for (const std::string& name : storeFiles) {
    std::error_code error;
    if (std::filesystem::read_symlink(from + "/" + name, error) != "../" + to + "/" + name) {
      lost.push_back(from + "/" + name + " is no longer a link to ../" + to + "/" + name);
    }
  }
  return lost;
}

}  // namespace vexilo::testing
