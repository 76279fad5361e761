// The search: every machine of the store tried from its start position on the first letters of
// the ciphertext, scored by how much its text reads like English, with the best kept. Each machine
// deciphers only as many letters as it needs (a guessed word is checked letter by letter, and a
// score stops as soon as it can no longer reach the best ones), on every core.
#ifndef VEXILO_BREAK_SEARCH_H_
#define VEXILO_BREAK_SEARCH_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "break/candidate_machine.h"
#include "break/english_statistics.h"
#include "break/store_contents.h"

namespace vexilo {

// Only the first this many letters of a ciphertext are scored and searched for a guessed word:
// enough for any statistics, and all within the first 676 letters, before rotor 3 first turns.
inline constexpr std::size_t analysedLetterLimit = 300;

// The letter indices of `word`, or an empty vector when it holds anything but the letters a to z in
// either case.
std::vector<std::uint8_t> wordLetters(std::string_view word);

// The placements of `crib` over `letters` (the position of its first letter, from 0) where no
// letter of the crib stands over the same letter: the machine never enciphers a letter to itself,
// so the crib can stand only there. Empty when the crib is longer than the letters.
std::vector<std::int32_t> cribPlacements(const std::vector<std::uint8_t>& letters,
                                         const std::vector<std::uint8_t>& crib);

// What to look for.
struct SearchRequest {
  std::vector<std::uint8_t> letters;     // the analysed letters of the ciphertext
  std::vector<std::uint8_t> crib;        // empty for none
  std::vector<std::int32_t> placements;  // of the crib, from `cribPlacements`
  std::size_t top = 5;                   // how many of the best machines to keep
};

// One machine tried: its key (the index of a setting in the registry, or the number of a choice of
// components, see `ComponentChoices`) and its points, those of its text's groups of four letters
// (`scoreOfPoints` makes them the sum of the groups' log10 probabilities).
struct Candidate {
  std::uint64_t key = 0;
  std::int32_t points = 0;
};

// Called now and then, from the thread that started the search, with the number of machines tried
// so far.
using SearchProgress = std::function<void(std::uint64_t tried)>;

// The components of the store that can serve, by kind, as the search reads them.
struct StoreMachines {
  ComponentList rotors;
  ComponentList reflectors;
  ComponentList plugboards;
  std::vector<RotorTables> rotorTables;
  // The registry's settings; after `resolveSettings` their fields hold entries, not IDs.
  std::vector<RegistrySetting> settings;
};

// Turns the five component IDs of every setting into their entries in the component lists, on
// `threads` threads, so that the search reads no index: all five become `componentMissing` when
// one of the components is not in the store or cannot serve as one.
void resolveSettings(StoreMachines& store, unsigned threads);

// The machine of setting `settings[index]` after `resolveSettings`; false when it has none.
bool settingMachine(const StoreMachines& store, std::size_t index, CandidateMachine& machine);

// Every ordered choice of three different usable rotors, a usable reflector and a usable plugboard,
// numbered plugboard first and reflector last, as a registry line orders them: choice 0 is the
// first of each, and the reflector changes fastest.
struct ComponentChoices {
  std::vector<std::int32_t> plugboards;  // entries of the usable ones in their lists
  std::vector<std::int32_t> rotors;
  std::vector<std::int32_t> reflectors;
  // The number of choices; `countOverflows` when it does not fit in 64 bits.
  std::uint64_t count = 0;
  bool countOverflows = false;
};

ComponentChoices componentChoices(const StoreMachines& store);

// The entries in their lists of choice `key`: plugboard, rotor 1, rotor 2, rotor 3, reflector.
std::array<std::int32_t, 5> choiceEntries(const ComponentChoices& choices, std::uint64_t key);

struct SearchOutcome {
  std::vector<Candidate> best;  // best first; ties in order of their keys
  std::uint64_t tried = 0;      // machines tried
  std::uint64_t notTried = 0;   // settings whose components are missing or unusable
  std::uint64_t fitCrib = 0;    // machines that give the crib, when there is one
};

// The best `request.top` settings of the registry (the crib's placements fitting, when there is a
// crib), on `threads` threads in all (the calling one among them).
SearchOutcome searchSettings(const StoreMachines& store, const SearchRequest& request,
                             const EnglishStatistics& english, unsigned threads,
                             const SearchProgress& progress);

// The same over every choice of components.
SearchOutcome searchComponents(const StoreMachines& store, const ComponentChoices& choices,
                               const SearchRequest& request, const EnglishStatistics& english,
                               unsigned threads, const SearchProgress& progress);

// The number of groups of four letters in `letterCount` letters.
std::int64_t groupCount(std::size_t letterCount);

// The points of the text that `machine` gives for `letters`, with no machine stopped early.
std::int32_t englishPoints(const CandidateMachine& machine,
                           const std::vector<std::uint8_t>& letters,
                           const EnglishStatistics& english);

}  // namespace vexilo

#endif  // VEXILO_BREAK_SEARCH_H_
