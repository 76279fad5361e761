#include "break/break_command.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "break/candidate_machine.h"
#include "break/english_statistics.h"
#include "break/search.h"
#include "break/search_progress.h"
#include "break/store_contents.h"
#include "core/letter.h"
#include "core/text_cipher.h"
#include "settings/output_file.h"

namespace vexilo {
namespace {

constexpr std::size_t defaultTop = 5;
constexpr std::size_t largestTop = 1000;
// Characters of deciphered text shown on each line.
constexpr std::size_t shownTextLength = 60;
// More choices of components than this would take many minutes: the search is refused.
constexpr std::uint64_t largestComponentSearch = 1'000'000'000;

struct Options {
  std::string ciphertextFile;
  bool haveCiphertextFile = false;
  std::string storeDirectory;
  std::optional<std::string> crib;
  bool components = false;
  std::size_t top = defaultTop;
  std::optional<std::string> decipherFile;
};

void writeUsage(std::ostream& out) {
  out << "Usage: vexilo-break [OPTION]... FILE\n"
         "Finds the setting of vexilo's store that enciphered FILE (- for standard input):\n"
         "every setting is tried from its start position, as every run of vexilo starts, and\n"
         "the candidates whose text reads most like English are shown, best first, one to a\n"
         "line: the setting ID, the score and the start of the deciphered text.\n"
         "\n"
         "Options:\n"
         "  --crib WORD     keep only the machines that give WORD somewhere in the message\n"
         "  --components    ignore the registry: try every choice of three different rotors,\n"
         "                  a reflector and a plugboard (shown as PB,R1,R2,R3,REF)\n"
         "  --top N         show the N best (default 5, at most 1000)\n"
         "  --decipher OUT  write the whole deciphered text of the best to OUT\n"
         "  --store DIR     the store's four files are in DIR (default: the working directory)\n"
         "  --help          show this text and exit\n"
         "  --version       show the version and exit\n"
         "\n"
         "Exit status: 0 when candidates are shown, 1 when the message cannot be broken (no\n"
         "store, no letters, a crib that fits nowhere), 2 for a wrong command line.\n"
         "The whole manual: man vexilo-break\n";
}

int usageError(std::ostream& err, std::string_view problem) {
  err << "vexilo-break: " << problem << "\nTry 'vexilo-break --help' for more information.\n";
  return breakUsageError;
}

int failure(std::ostream& err, std::string_view problem) {
  err << "vexilo-break: " << problem << '\n';
  return breakFailed;
}

// Parses the arguments into `options`; the exit status for a wrong command line, or nullopt.
std::optional<int> parseArguments(std::span<const char* const> arguments, Options& options,
                                  std::ostream& err) {
  bool optionsEnded = false;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    std::string_view argument(arguments[i]);
    if (optionsEnded || argument == "-" || !argument.starts_with("-")) {
      if (options.haveCiphertextFile) {
        return usageError(err, "one ciphertext only, but '" + std::string(argument) +
                                   "' comes after '" + options.ciphertextFile + "'");
      }
      options.ciphertextFile = std::string(argument);
      options.haveCiphertextFile = true;
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
      continue;
    }
    std::optional<std::string_view> attached;
    if (const std::size_t equals = argument.find('='); equals != std::string_view::npos) {
      attached = argument.substr(equals + 1);
      argument = argument.substr(0, equals);
    }
    const bool takesValue = argument == "--crib" || argument == "--top" ||
                            argument == "--decipher" || argument == "--store";
    if (!takesValue && attached) {
      return usageError(err, "option '" + std::string(argument) + "' takes no value");
    }
    std::string value;
    if (takesValue) {
      if (attached) {
        value = std::string(*attached);
      } else if (i + 1 < arguments.size()) {
        value = arguments[++i];
      } else {
        return usageError(err, "option '" + std::string(argument) + "' needs a value");
      }
    }
    if (argument == "--crib") {
      if (value.empty() || wordLetters(value).empty()) {
        return usageError(err,
                          "the crib must be a word of the letters a to z, not '" + value + "'");
      }
      options.crib = value;
    } else if (argument == "--top") {
      std::size_t top = 0;
      const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), top);
      if (error != std::errc{} || end != value.data() + value.size() || top < 1 ||
          top > largestTop) {
        return usageError(err, "--top takes a number from 1 to " + std::to_string(largestTop) +
                                   ", not '" + value + "'");
      }
      options.top = top;
    } else if (argument == "--decipher") {
      if (value.empty()) return usageError(err, "--decipher needs a file name");
      options.decipherFile = value;
    } else if (argument == "--store") {
      if (value.empty()) return usageError(err, "--store needs a directory");
      options.storeDirectory = value;
    } else if (argument == "--components") {
      options.components = true;
    } else {
      return usageError(err, "unknown option '" + std::string(argument) + "'");
    }
  }
  if (!options.haveCiphertextFile) return usageError(err, "no ciphertext file given");
  return std::nullopt;
}

// What the search and the shown lines read of the ciphertext: its first `analysedLetterLimit`
// letters and its first `shownTextLength` bytes. A file is read no further than that, so a
// ciphertext of any size costs the same memory.
struct CiphertextHead {
  std::vector<std::uint8_t> letters;
  std::string start;
  bool empty = true;
};

// Adds `bytes` to `head`; true once it holds all it can.
bool addToHead(std::string_view bytes, CiphertextHead& head) {
  head.empty = head.empty && bytes.empty();
  for (const char character : bytes) {
    if (head.start.size() < shownTextLength) head.start += character;
    const std::int32_t index = letterIndex(character);
    if (index >= 0 && head.letters.size() < analysedLetterLimit) {
      head.letters.push_back(static_cast<std::uint8_t>(index));
    }
    if (head.letters.size() == analysedLetterLimit && head.start.size() == shownTextLength) {
      return true;
    }
  }
  return false;
}

constexpr std::size_t ciphertextBlockSize = std::size_t{1} << 20;

// Reads the head of `fileName`, or for "-" the whole of `in` into `standardInput` (which cannot
// be read twice) and its head; false, with a note, when it cannot be read.
bool readCiphertextHead(const std::string& fileName, std::istream& in, std::string& standardInput,
                        CiphertextHead& head, std::ostream& err) {
  if (fileName == "-") {
    std::ostringstream whole;
    whole << in.rdbuf();
    standardInput = whole.str();
    addToHead(standardInput, head);
    return true;
  }
  const Result<OpenedFile> file = openFile(fileName, OpenMode::reading);
  if (!file) {
    reportFileError(err, "cannot open", fileName, file.error());
    return false;
  }
  std::vector<char> buffer(ciphertextBlockSize);
  for (;;) {
    const Result<std::size_t> count = readSome(file->file.get(), buffer.data(), buffer.size());
    if (!count) {
      reportFileError(err, "cannot read", fileName, count.error());
      return false;
    }
    if (*count == 0) return true;
    if (addToHead(std::string_view(buffer.data(), *count), head)) return true;
  }
}

// Opens the file of --decipher, emptied: refused when it is the ciphertext file or a file of the
// store, which writing would destroy. Nothing, with a note, when it cannot be opened.
std::optional<OpenFile> openDecipheredFile(const Options& options, std::ostream& err) {
  const Result<OpenedFile> input = options.ciphertextFile == "-"
                                       ? Result<OpenedFile>(OpenedFile{})
                                       : openFile(options.ciphertextFile, OpenMode::reading);
  if (!input) {
    reportFileError(err, "cannot open", options.ciphertextFile, input.error());
    return std::nullopt;
  }
  Result<OpenFile> output = openOutput(*options.decipherFile, input->file, options.storeDirectory);
  if (!output) {
    reportFileError(err, "cannot open", *options.decipherFile, output.error());
    return std::nullopt;
  }
  return std::move(*output);
}

// Writes the whole ciphertext enciphered again by `machine` from its start to `output`, named
// `outName`, a block at a time; false, with a note, when it cannot be read or written.
bool writeDeciphered(const std::string& fileName, const std::string& standardInput, Machine machine,
                     const OpenFile& output, const std::string& outName, std::ostream& err) {
  CipherTableCache cache;
  std::string deciphered;
  std::ostringstream noFailures;
  const auto writeText = [&](std::string_view text) {
    deciphered.clear();
    encipherText(machine, cache, text, deciphered, noFailures);
    const Status written = writeAll(output.get(), deciphered);
    if (!written) reportFileError(err, "write error on", outName, written.error());
    return static_cast<bool>(written);
  };
  if (fileName == "-") return writeText(standardInput);
  const Result<OpenedFile> input = openFile(fileName, OpenMode::reading);
  if (!input) {
    reportFileError(err, "cannot open", fileName, input.error());
    return false;
  }
  std::vector<char> buffer(ciphertextBlockSize);
  for (;;) {
    const Result<std::size_t> count = readSome(input->file.get(), buffer.data(), buffer.size());
    if (!count) {
      reportFileError(err, "cannot read", fileName, count.error());
      return false;
    }
    if (*count == 0) return true;
    if (!writeText(std::string_view(buffer.data(), *count))) return false;
  }
}

std::string settingIdText(std::int32_t settingId) {
  char text[16];
  std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(settingId));
  return text;
}

// One candidate as it is shown: its name, the five entries of its components in their lists.
struct Shown {
  std::string name;
  std::array<std::int32_t, 5> entries{};  // plugboard, rotor 1, 2, 3, reflector
  float score = 0;
};

// The machine of `entries` as the library enciphers with it.
Machine machineOf(const StoreMachines& store, const std::array<std::int32_t, 5>& entries) {
  const auto wiring = [](const ComponentList& list, std::int32_t entry) -> const ByteWiring& {
    return list.wirings[static_cast<std::size_t>(entry)];
  };
  return libraryMachine(wiring(store.plugboards, entries[0]), wiring(store.rotors, entries[1]),
                        wiring(store.rotors, entries[2]), wiring(store.rotors, entries[3]),
                        wiring(store.reflectors, entries[4]));
}

// The start of the text that `machine` gives for `text`, on one line.
std::string shownText(Machine machine, std::string_view text) {
  std::string deciphered;
  std::ostringstream noFailures;
  encipherTextLetterByLetter(machine, text, deciphered, noFailures);
  for (char& character : deciphered) {
    const auto byte = static_cast<unsigned char>(character);
    if (byte < 0x20 || byte == 0x7F) character = ' ';
  }
  while (!deciphered.empty() && deciphered.back() == ' ') deciphered.pop_back();
  return deciphered;
}

std::string describePlacements(const std::vector<std::int32_t>& placements, std::size_t possible) {
  std::string text = std::to_string(placements.size()) + " of " + std::to_string(possible) +
                     " places (starting at letter";
  text += placements.size() == 1 ? " " : "s ";
  for (std::size_t i = 0; i < placements.size(); ++i) {
    if (i > 0) text += ", ";
    text += std::to_string(placements[i] + 1);
  }
  return text + ")";
}

// Reads the store: the three component files on a second thread while this one reads the registry
// (unless it is not wanted). Notes keep the order of the files.
bool readStore(const Options& options, StoreMachines& store, std::ostream& err) {
  std::ostringstream componentNotes;
  bool componentsRead = false;
  std::string missing;
  const auto readComponents = [&] {
    componentsRead = true;
    const std::pair<StoreFile, ComponentList*> files[] = {
        {StoreFile::rotors, &store.rotors},
        {StoreFile::reflectors, &store.reflectors},
        {StoreFile::plugboards, &store.plugboards}};
    for (const auto& [kind, list] : files) {
      if (!readComponentFile(options.storeDirectory, kind, *list, componentNotes)) {
        componentsRead = false;
        if (missing.empty()) missing = storeFilePath(options.storeDirectory, kind);
      }
    }
    store.rotorTables = rotorTablesOf(store.rotors);
  };
  bool registryRead = true;
  std::ostringstream registryNotes;
  {
    std::thread components(readComponents);
    if (!options.components) {
      registryRead = readRegistry(options.storeDirectory, store.settings, registryNotes);
    }
    components.join();
  }
  err << componentNotes.str() << registryNotes.str();
  if (!componentsRead) {
    failure(err, "no store: " + missing + " cannot be read");
    return false;
  }
  if (!registryRead) {
    failure(err, "no store: " + storeFilePath(options.storeDirectory, StoreFile::registry) +
                     " cannot be read (--components needs only the component files)");
    return false;
  }
  return true;
}

// Notes the components of `list` (of the kind named `kinds`) that have the wiring of an earlier
// one: machines that differ only there give one text, and tie.
void noteSameWirings(const ComponentList& list, std::string_view kinds, std::ostream& err) {
  std::map<std::string_view, std::vector<std::int32_t>> idsOfWiring;
  for (std::size_t entry = 0; entry < list.wirings.size(); ++entry) {
    if (!list.usable[entry]) continue;
    const auto& wiring = list.wirings[entry];
    const std::string_view bytes(reinterpret_cast<const char*>(wiring.data()), wiring.size());
    idsOfWiring[bytes].push_back(list.ids[entry]);
  }
  for (const auto& [wiring, ids] : idsOfWiring) {
    if (ids.size() < 2) continue;
    std::string named;
    for (std::size_t i = 0; i < ids.size(); ++i) {
      named += (i == 0 ? "" : i + 1 == ids.size() ? " and " : ", ") + std::to_string(ids[i]);
    }
    err << "vexilo-break: " << kinds << ' ' << named
        << " have one wiring: machines that differ only there give one text\n";
  }
}

}  // namespace

int runBreak(std::span<const char* const> arguments, std::istream& in, std::ostream& out,
             std::ostream& err, FileHandle progressTerminal) {
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string_view argument(arguments[i]);
    if (argument == "--") break;
    if (argument == "--help") {
      writeUsage(out);
      return breakSucceeded;
    }
    if (argument == "--version") {
      out << "vexilo-break " VEXILO_VERSION "\n";
      return breakSucceeded;
    }
  }
  Options options;
  if (const std::optional<int> status = parseArguments(arguments, options, err)) return *status;

  std::string standardInput;
  CiphertextHead head;
  if (!readCiphertextHead(options.ciphertextFile, in, standardInput, head, err)) {
    return breakFailed;
  }
  const std::string shownName =
      options.ciphertextFile == "-" ? "standard input" : options.ciphertextFile;
  if (head.empty) return failure(err, shownName + " is empty: there is nothing to break");
  // The file of the deciphered text is judged before the search, which may take long.
  std::optional<OpenFile> decipheredFile;
  if (options.decipherFile) {
    decipheredFile = openDecipheredFile(options, err);
    if (!decipheredFile) return breakFailed;
  }
  SearchRequest request;
  request.letters = head.letters;
  request.top = options.top;
  if (request.letters.empty()) {
    return failure(err, shownName + " holds no letters: there is nothing to break");
  }
  if (options.crib) {
    request.crib = wordLetters(*options.crib);
    if (request.crib.size() > request.letters.size()) {
      return failure(
          err, "the crib '" + *options.crib + "' has " + std::to_string(request.crib.size()) +
                   " letters, more than the message's " + std::to_string(request.letters.size()));
    }
    request.placements = cribPlacements(request.letters, request.crib);
    const std::size_t possible = request.letters.size() - request.crib.size() + 1;
    if (request.placements.empty()) {
      return failure(err, "the crib '" + *options.crib + "' can stand nowhere: at each of the " +
                              std::to_string(possible) +
                              " places a letter of it would stand over itself");
    }
    err << "vexilo-break: the crib '" << *options.crib << "' can stand at "
        << describePlacements(request.placements, possible) << "; no letter becomes itself\n";
  }

  StoreMachines store;
  if (!readStore(options, store, err)) return breakFailed;
  const EnglishStatistics& english = englishStatistics();
  const unsigned threads = std::max(1u, std::thread::hardware_concurrency());

  SearchOutcome outcome;
  ComponentChoices choices;
  if (options.components) {
    choices = componentChoices(store);
    const std::string kinds = std::to_string(choices.rotors.size()) + " rotors, " +
                              std::to_string(choices.reflectors.size()) + " reflectors and " +
                              std::to_string(choices.plugboards.size()) + " plugboards";
    if (choices.countOverflows || choices.count > largestComponentSearch) {
      return failure(err, "more than " + groupedNumber(largestComponentSearch) +
                              " choices of components (" + kinds +
                              "): too many to try; try the registry instead");
    }
    if (choices.count == 0) {
      return failure(err, "no choice of components to try (" + kinds +
                              "): a machine needs three different rotors, a reflector and a "
                              "plugboard");
    }
    err << "vexilo-break: " << groupedNumber(choices.count) << " choices of components to try ("
        << kinds << ")\n";
    noteSameWirings(store.plugboards, "plugboards", err);
    noteSameWirings(store.rotors, "rotors", err);
    noteSameWirings(store.reflectors, "reflectors", err);
    SearchProgressLine progress(choices.count, "machines", progressTerminal);
    outcome = searchComponents(store, choices, request, english, threads,
                               [&progress](std::uint64_t tried) { progress.update(tried); });
  } else {
    if (store.settings.empty()) return failure(err, "the registry holds no settings to try");
    resolveSettings(store, threads);
    SearchProgressLine progress(store.settings.size(), "settings", progressTerminal);
    outcome = searchSettings(store, request, english, threads,
                             [&progress](std::uint64_t tried) { progress.update(tried); });
    if (outcome.notTried > 0) {
      err << "vexilo-break: " << groupedNumber(outcome.notTried)
          << " settings not tried: a component of theirs is missing from the store or cannot "
             "serve as one\n";
    }
  }
  if (options.crib) {
    err << "vexilo-break: " << groupedNumber(outcome.fitCrib) << " of "
        << groupedNumber(outcome.tried) << (options.components ? " machines" : " settings")
        << " give '" << *options.crib << "' at one of those places\n";
  }
  if (outcome.best.empty()) {
    return failure(err, options.crib ? "no machine gives the crib '" + *options.crib + "'"
                                     : "no setting could be tried");
  }

  std::vector<Shown> shown;
  for (const Candidate& candidate : outcome.best) {
    Shown line;
    line.score = scoreOfPoints(english, groupCount(request.letters.size()), candidate.points);
    if (options.components) {
      line.entries = choiceEntries(choices, candidate.key);
      const ComponentList* lists[] = {&store.plugboards, &store.rotors, &store.rotors,
                                      &store.rotors, &store.reflectors};
      for (std::size_t i = 0; i < line.entries.size(); ++i) {
        if (i > 0) line.name += ',';
        line.name += std::to_string(lists[i]->ids[static_cast<std::size_t>(line.entries[i])]);
      }
    } else {
      const RegistrySetting& setting = store.settings[static_cast<std::size_t>(candidate.key)];
      line.name = settingIdText(setting.settingId);
      line.entries = {setting.plugboard, setting.rotor1, setting.rotor2, setting.rotor3,
                      setting.reflector};
    }
    shown.push_back(line);
  }
  std::size_t nameWidth = 0;
  for (const Shown& line : shown) nameWidth = std::max(nameWidth, line.name.size());
  for (const Shown& line : shown) {
    char score[32];
    std::snprintf(score, sizeof score, "%8.1f", static_cast<double>(line.score));
    out << line.name << std::string(nameWidth - line.name.size(), ' ') << ' ' << score << "  "
        << shownText(machineOf(store, line.entries), head.start) << '\n';
  }
  out.flush();
  if (!out) return failure(err, "cannot write standard output");

  if (options.decipherFile && !writeDeciphered(options.ciphertextFile, standardInput,
                                               machineOf(store, shown.front().entries),
                                               *decipheredFile, *options.decipherFile, err)) {
    return breakFailed;
  }
  return breakSucceeded;
}

}  // namespace vexilo
