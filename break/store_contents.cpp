#include "break/store_contents.h"

#include <algorithm>
#include <array>
#include <optional>
#include <span>
#include <string_view>
#include <unordered_set>

#include "settings/registry.h"
#include "store/component_files.h"
#include "store/line_reader.h"

namespace vexilo {
namespace {

// IDs are looked up in a table by ID when it has no more than this many entries per component,
// and by a binary search otherwise (a damaged file with an ID of two billion).
constexpr std::size_t denseEntriesPerComponent = 4;
constexpr std::size_t denseEntriesAlways = 1 << 16;

// IDs below this are marked as seen in a table of bits, larger ones (a damaged file) in a set.
constexpr std::size_t seenInTable = std::size_t{1} << 20;

const std::string& storeFileName(StoreFile file) {
  switch (file) {
    case StoreFile::rotors:
      return rotorFileName;
    case StoreFile::reflectors:
      return reflectorFileName;
    case StoreFile::plugboards:
      return plugboardFileName;
    case StoreFile::registry:
      break;
  }
  return registryFileName;
}

// Reads `line` when it is the plain form that the program writes: an ID of `base` digits and
// `values.size()` decimal fields, digits only, each within 32 signed bits, and nothing else.
// False for any other line, which the caller reads field by field, as `vexilo` reads it: this
// gives the same values for every line it accepts, in a fraction of the time.
bool readPlainLine(std::string_view line, int base, std::int32_t& id,
                   std::span<std::int32_t> values) {
  const char* next = line.data();
  const char* const end = next + line.size();
  const auto number = [&](unsigned digitBase, std::int32_t& value) {
    std::uint64_t magnitude = 0;
    const char* const start = next;
    while (next != end && next - start <= 10) {
      const char character = *next;
      unsigned digit = 16;
      if (character >= '0' && character <= '9') {
        digit = static_cast<unsigned>(character - '0');
      } else if (digitBase == 16 && character >= 'A' && character <= 'F') {
        digit = static_cast<unsigned>(character - 'A' + 10);
      } else if (digitBase == 16 && character >= 'a' && character <= 'f') {
        digit = static_cast<unsigned>(character - 'a' + 10);
      }
      if (digit >= digitBase) break;
      magnitude = magnitude * digitBase + digit;
      ++next;
    }
    if (next == start || next - start > 10 || magnitude > 0x7FFFFFFF) return false;
    value = static_cast<std::int32_t>(magnitude);
    return true;
  };
  if (!number(static_cast<unsigned>(base), id)) return false;
  for (std::int32_t& value : values) {
    if (next == end || *next != ',') return false;
    ++next;
    if (!number(10, value)) return false;
  }
  return next == end;
}

// The IDs already read from one file: small ones in a table of bits that grows as it needs,
// large ones (a damaged file) in a set.
class SeenIds {
 public:
  bool contains(std::int32_t id) const {
    const auto at = static_cast<std::size_t>(id);
    return at < table_.size() ? table_[at] : large_.contains(id);
  }
  void insert(std::int32_t id) {
    const auto at = static_cast<std::size_t>(id);
    if (at >= seenInTable) {
      large_.insert(id);
      return;
    }
    if (at >= table_.size()) table_.resize(std::max(at + 1, table_.size() * 2));
    table_[at] = true;
  }

 private:
  std::vector<bool> table_;
  std::unordered_set<std::int32_t> large_;
};

// Reads `line` of a store file whose IDs are in `base` into `fields` (decimal), as `vexilo` reads
// it: only the first readable line of an ID counts, since that is the one `vexilo` loads for it.
// Returns the line's ID, or nullopt for a line passed over (noted on `passedOver` when it cannot
// be read) or one whose ID came before.
std::optional<std::int32_t> readFirstLineOfId(LineCursor& line, std::int64_t lineNumber, int base,
                                              std::span<std::int32_t> fields, SeenIds& seen,
                                              PassedOverLines& passedOver) {
  std::int32_t plainId = 0;
  const std::optional<std::string_view> inMemory = line.lineInMemory();
  const bool plain = inMemory && readPlainLine(*inMemory, base, plainId, fields);
  const std::optional<std::int32_t> id = plain ? plainId : readLineId(line, base);
  if (!id) {
    passedOver.add(lineNumber, "its ID cannot be read");
    return std::nullopt;
  }
  if (seen.contains(*id)) return std::nullopt;
  if (!plain) {
    if (const auto unreadable = readNumberFields(line, fields)) {
      passedOver.add(lineNumber, *unreadable);
      return std::nullopt;
    }
  }
  seen.insert(*id);
  return id;
}

void buildIndex(ComponentList& list) {
  std::vector<std::pair<std::int32_t, std::int32_t>> sorted;
  sorted.reserve(list.ids.size());
  for (std::size_t entry = 0; entry < list.ids.size(); ++entry) {
    sorted.emplace_back(list.ids[entry], static_cast<std::int32_t>(entry));
  }
  std::sort(sorted.begin(), sorted.end());
  const std::int64_t largestId = sorted.empty() ? -1 : sorted.back().first;
  if (static_cast<std::uint64_t>(largestId + 1) <=
      denseEntriesAlways + denseEntriesPerComponent * sorted.size()) {
    list.denseIndex.assign(static_cast<std::size_t>(largestId + 1), componentMissing);
    for (const auto& [id, entry] : sorted) list.denseIndex[static_cast<std::size_t>(id)] = entry;
  } else {
    list.sortedIndex = std::move(sorted);
  }
}

}  // namespace

std::int32_t findComponent(const ComponentList& list, std::int32_t componentId) {
  if (componentId < 0) return componentMissing;
  if (!list.denseIndex.empty() || list.sortedIndex.empty()) {
    const auto id = static_cast<std::size_t>(componentId);
    return id < list.denseIndex.size() ? list.denseIndex[id] : componentMissing;
  }
  const auto found = std::lower_bound(list.sortedIndex.begin(), list.sortedIndex.end(),
                                      std::pair<std::int32_t, std::int32_t>{componentId, 0});
  return found != list.sortedIndex.end() && found->first == componentId ? found->second
                                                                        : componentMissing;
}

std::string storeFilePath(const std::string& directory, StoreFile file) {
  if (directory.empty()) return storeFileName(file);
  const char last = directory.back();
  const bool separated = last == '/' || last == '\\';
  return directory + (separated ? "" : "/") + storeFileName(file);
}

bool readComponentFile(const std::string& directory, StoreFile kind, ComponentList& list,
                       std::ostream& err) {
  const std::string fileName = storeFilePath(directory, kind);
  const bool plugboard = kind == StoreFile::plugboards;
  SeenIds seen;
  {
    PassedOverLines passedOver(fileName, err);
    const auto visit = [&](LineCursor& line, std::int64_t lineNumber) {
      std::array<std::int32_t, 1 + alphabetSize> fields{};
      const std::span<std::int32_t> wanted =
          plugboard ? std::span(fields) : std::span(fields).subspan(1);
      const std::optional<std::int32_t> id =
          readFirstLineOfId(line, lineNumber, 10, wanted, seen, passedOver);
      if (!id) return true;
      Wiring wiring{};
      std::copy(fields.begin() + 1, fields.end(), wiring.begin());
      const bool usable = kind == StoreFile::rotors       ? isRotorWiring(wiring)
                          : kind == StoreFile::reflectors ? isReflectorWiring(wiring)
                                                          : isPlugboardWiring(wiring);
      list.ids.push_back(*id);
      list.wirings.push_back(usable ? byteWiring(wiring) : ByteWiring{});
      list.usable.push_back(usable);
      return true;
    };
    if (forEachLine(fileName, visit, err) == LineReadOutcome::unableToOpen) return false;
  }
  buildIndex(list);
  return true;
}

bool readRegistry(const std::string& directory, std::vector<RegistrySetting>& settings,
                  std::ostream& err) {
  const std::string fileName = storeFilePath(directory, StoreFile::registry);
  SeenIds seen;
  PassedOverLines passedOver(fileName, err);
  const auto visit = [&](LineCursor& line, std::int64_t lineNumber) {
    std::array<std::int32_t, 5> fields{};
    const std::optional<std::int32_t> id =
        readFirstLineOfId(line, lineNumber, 16, fields, seen, passedOver);
    if (!id) return true;
    settings.push_back({*id, fields[0], fields[1], fields[2], fields[3], fields[4]});
    return true;
  };
  return forEachLine(fileName, visit, err) != LineReadOutcome::unableToOpen;
}

std::vector<RotorTables> rotorTablesOf(const ComponentList& list) {
  std::vector<RotorTables> tables(list.wirings.size());
  for (std::size_t entry = 0; entry < tables.size(); ++entry) {
    if (list.usable[entry]) tables[entry] = rotorTables(list.wirings[entry]);
  }
  return tables;
}

}  // namespace vexilo
