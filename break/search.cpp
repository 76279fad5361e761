#include "break/search.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <limits>
#include <thread>

#include "core/letter.h"

namespace vexilo {
namespace {

// Machines handed to a thread at a time: enough that taking them costs nothing, few enough that
// the threads end together and progress is told often.
constexpr std::uint64_t machinesPerTurn = 8192;

// How many machines ahead of the one scored their tables are asked for.
constexpr std::uint64_t lookAhead = 64;

constexpr std::int32_t pruned = std::numeric_limits<std::int32_t>::min();

// Letters deciphered at a time before their groups are scored: the letters of a block do not
// wait for each other, so the processor works on several at once.
constexpr std::size_t blockLetters = 8;

// What every thread reads: the letters, the step of each, and how much the groups after each
// letter could add at most.
struct Analysis {
  const std::vector<std::uint8_t>& letters;
  const std::vector<std::uint8_t>& crib;
  const std::vector<std::int32_t>& placements;
  std::vector<RotorSteps> steps;
  // After the letter at each position, the most points the groups still to come could add.
  std::vector<std::int32_t> bestStillToCome;
  const std::uint8_t* points;
};

Analysis analysisOf(const SearchRequest& request, const EnglishStatistics& english) {
  Analysis analysis{
      request.letters, request.crib, request.placements, {}, {}, english.quadgramPoints.data()};
  const std::size_t count = request.letters.size();
  for (std::size_t position = 0; position < count; ++position) {
    analysis.steps.push_back(rotorStepsAt(static_cast<std::int64_t>(position)));
    // Groups end at letters 3 to count - 1; those after `position` are still to come.
    const std::size_t groupsAfter = count - 1 - position;
    analysis.bestStillToCome.push_back(static_cast<std::int32_t>(groupsAfter) * english.bestPoints);
  }
  return analysis;
}

// The points of `machine`'s text, or `pruned` as soon as they cannot reach `threshold`.
std::int32_t scoreMachine(const CandidateMachine& machine, const Analysis& analysis,
                          std::int32_t threshold) {
  const std::size_t count = analysis.letters.size();
  std::array<std::uint8_t, analysedLetterLimit> plain;
  std::int32_t points = 0;
  MiddleMap middle{};
  for (std::size_t blockStart = 0; blockStart < count; blockStart += blockLetters) {
    const std::size_t blockEnd = std::min(count, blockStart + blockLetters);
    for (std::size_t position = blockStart; position < blockEnd; ++position) {
      const RotorSteps steps = analysis.steps[position];
      if (position % alphabetSize == 0) middle = middleMap(machine, steps.rotor2, steps.rotor3);
      plain[position] =
          encipherLetterThrough(machine, middle, analysis.letters[position], steps.rotor1);
    }
    for (std::size_t position = std::max<std::size_t>(blockStart, 3); position < blockEnd;
         ++position) {
      points += analysis.points[quadgramIndex(plain[position - 3], plain[position - 2],
                                              plain[position - 1], plain[position])];
    }
    if (points + analysis.bestStillToCome[blockEnd - 1] < threshold) return pruned;
  }
  return points;
}

bool fitsCrib(const CandidateMachine& machine, const Analysis& analysis) {
  // The crib's first letter at every placement first: these do not wait for each other. One
  // machine in 25 passes each letter, so few placements get further.
  std::array<std::uint8_t, analysedLetterLimit> first;
  const std::size_t placementCount = analysis.placements.size();
  for (std::size_t i = 0; i < placementCount; ++i) {
    const auto start = static_cast<std::size_t>(analysis.placements[i]);
    first[i] = encipherLetter(machine, analysis.letters[start], analysis.steps[start]);
  }
  const std::size_t length = analysis.crib.size();
  for (std::size_t i = 0; i < placementCount; ++i) {
    if (first[i] != analysis.crib[0]) continue;
    const auto start = static_cast<std::size_t>(analysis.placements[i]);
    std::size_t matched = 1;
    while (matched < length &&
           encipherLetter(machine, analysis.letters[start + matched],
                          analysis.steps[start + matched]) == analysis.crib[matched]) {
      ++matched;
    }
    if (matched == length) return true;
  }
  return false;
}

bool ranksBefore(const Candidate& a, const Candidate& b) {
  return a.points != b.points ? a.points > b.points : a.key < b.key;
}

// The best ones of one thread, best first.
class BestList {
 public:
  explicit BestList(std::size_t size) : size_(size) { list_.reserve(size + 1); }

  // Below this a machine cannot enter the list.
  std::int32_t threshold() const { return list_.size() < size_ ? pruned : list_.back().points; }

  void offer(const Candidate& candidate) {
    if (size_ == 0) return;
    if (list_.size() == size_ && !ranksBefore(candidate, list_.back())) return;
    list_.insert(std::upper_bound(list_.begin(), list_.end(), candidate, ranksBefore), candidate);
    if (list_.size() > size_) list_.pop_back();
  }

  const std::vector<Candidate>& list() const { return list_; }

 private:
  std::size_t size_;
  std::vector<Candidate> list_;
};

// Runs `machineOf(key, machine)` for keys 0 to count - 1 on `threads` threads and keeps the best.
template <typename MachineOf>
SearchOutcome search(std::uint64_t count, const MachineOf& machineOf, const SearchRequest& request,
                     const EnglishStatistics& english, unsigned threads,
                     const SearchProgress& progress) {
  const Analysis analysis = analysisOf(request, english);
  std::atomic<std::uint64_t> nextTurn{0};
  std::atomic<std::uint64_t> tried{0};
  std::atomic<std::uint64_t> notTried{0};
  std::atomic<std::uint64_t> fitCrib{0};
  // The best threshold any thread has: a machine below it is below the best of that thread alone.
  std::atomic<std::int32_t> sharedThreshold{pruned};
  const bool withCrib = !request.crib.empty();
  threads = std::max(1u, threads);
  std::vector<BestList> lists(threads, BestList(request.top));

  const auto work = [&](unsigned thread) {
    BestList& best = lists[thread];
    for (;;) {
      const std::uint64_t first = nextTurn.fetch_add(machinesPerTurn);
      if (first >= count) break;
      const std::uint64_t end = std::min(count, first + machinesPerTurn);
      std::uint64_t skipped = 0;
      std::uint64_t fitting = 0;
      std::int32_t threshold =
          std::max(best.threshold(), sharedThreshold.load(std::memory_order_relaxed));
      // Machines are found some keys ahead and their tables asked for, so that the memory
      // brings them in while earlier machines are scored: the store's tables are far larger than
      // the processor's caches, and a machine's five are anywhere in them.
      std::array<CandidateMachine, lookAhead> ahead{};
      std::array<bool, lookAhead> found{};
      const auto fetch = [&](std::uint64_t key) {
        const std::size_t slot = key % lookAhead;
        found[slot] = key < end && machineOf(key, ahead[slot]);
        if (!found[slot]) return;
        // A rotor's tables are one cache line; a 26-byte wiring may cross into a second. (In a
        // function of their own GCC takes these for a call without effect, and drops them.)
        const CandidateMachine& machine = ahead[slot];
        __builtin_prefetch(machine.rotor1);
        __builtin_prefetch(machine.rotor2);
        __builtin_prefetch(machine.rotor3);
        __builtin_prefetch(machine.plugboard);
        __builtin_prefetch(machine.plugboard->data() + alphabetSize - 1);
        __builtin_prefetch(machine.reflector);
        __builtin_prefetch(machine.reflector->data() + alphabetSize - 1);
      };
      for (std::uint64_t key = first; key < first + lookAhead; ++key) fetch(key);
      for (std::uint64_t key = first; key < end; ++key) {
        const std::size_t slot = key % lookAhead;
        const bool usable = found[slot];
        const CandidateMachine machine = ahead[slot];
        fetch(key + lookAhead);
        if (!usable) {
          ++skipped;
          continue;
        }
        if (withCrib) {
          if (!fitsCrib(machine, analysis)) continue;
          ++fitting;
        }
        const std::int32_t points = scoreMachine(machine, analysis, threshold);
        if (points == pruned) continue;
        best.offer({key, points});
        const std::int32_t own = best.threshold();
        if (own > threshold) threshold = own;
      }
      std::int32_t shared = sharedThreshold.load(std::memory_order_relaxed);
      while (best.threshold() > shared &&
             !sharedThreshold.compare_exchange_weak(shared, best.threshold())) {
      }
      notTried += skipped;
      fitCrib += fitting;
      const std::uint64_t done = tried.fetch_add(end - first) + (end - first);
      if (thread == 0 && progress) progress(done);
    }
  };
  {
    std::vector<std::thread> others;
    for (unsigned thread = 1; thread < threads; ++thread) others.emplace_back(work, thread);
    work(0);
    for (std::thread& other : others) other.join();
  }

  SearchOutcome outcome;
  for (const BestList& list : lists) {
    outcome.best.insert(outcome.best.end(), list.list().begin(), list.list().end());
  }
  std::sort(outcome.best.begin(), outcome.best.end(), ranksBefore);
  if (outcome.best.size() > request.top) outcome.best.resize(request.top);
  outcome.notTried = notTried;
  outcome.fitCrib = fitCrib;
  outcome.tried = count - outcome.notTried;
  return outcome;
}

bool entryUsable(const ComponentList& list, std::int32_t entry) {
  return entry != componentMissing && list.usable[static_cast<std::size_t>(entry)];
}

std::vector<std::int32_t> usableEntries(const ComponentList& list) {
  std::vector<std::int32_t> entries;
  for (std::size_t entry = 0; entry < list.usable.size(); ++entry) {
    if (list.usable[entry]) entries.push_back(static_cast<std::int32_t>(entry));
  }
  return entries;
}

// a * b, or false when it does not fit in 64 bits.
bool multiply(std::uint64_t& a, std::uint64_t b) {
  if (b != 0 && a > std::numeric_limits<std::uint64_t>::max() / b) return false;
  a *= b;
  return true;
}

}  // namespace

std::vector<std::uint8_t> wordLetters(std::string_view word) {
  std::vector<std::uint8_t> letters;
  for (const char character : word) {
    const std::int32_t index = letterIndex(character);
    if (index < 0) return {};
    letters.push_back(static_cast<std::uint8_t>(index));
  }
  return letters;
}

std::vector<std::int32_t> cribPlacements(const std::vector<std::uint8_t>& letters,
                                         const std::vector<std::uint8_t>& crib) {
  std::vector<std::int32_t> placements;
  if (crib.empty() || crib.size() > letters.size()) return placements;
  for (std::size_t start = 0; start + crib.size() <= letters.size(); ++start) {
    bool possible = true;
    for (std::size_t i = 0; i < crib.size() && possible; ++i) {
      possible = letters[start + i] != crib[i];
    }
    if (possible) placements.push_back(static_cast<std::int32_t>(start));
  }
  return placements;
}

void resolveSettings(StoreMachines& store, unsigned threads) {
  const auto resolve = [&store](std::size_t first, std::size_t end) {
    for (std::size_t index = first; index < end; ++index) {
      RegistrySetting& setting = store.settings[index];
      const std::int32_t plugboard = findComponent(store.plugboards, setting.plugboard);
      const std::int32_t rotor1 = findComponent(store.rotors, setting.rotor1);
      const std::int32_t rotor2 = findComponent(store.rotors, setting.rotor2);
      const std::int32_t rotor3 = findComponent(store.rotors, setting.rotor3);
      const std::int32_t reflector = findComponent(store.reflectors, setting.reflector);
      const bool usable = entryUsable(store.plugboards, plugboard) &&
                          entryUsable(store.rotors, rotor1) && entryUsable(store.rotors, rotor2) &&
                          entryUsable(store.rotors, rotor3) &&
                          entryUsable(store.reflectors, reflector);
      if (usable) {
        setting = {setting.settingId, plugboard, rotor1, rotor2, rotor3, reflector};
      } else {
        setting = {setting.settingId, componentMissing, componentMissing,
                   componentMissing,  componentMissing, componentMissing};
      }
    }
  };
  threads = std::max(1u, threads);
  const std::size_t count = store.settings.size();
  std::vector<std::thread> others;
  for (unsigned thread = 1; thread < threads; ++thread) {
    others.emplace_back(resolve, count * thread / threads, count * (thread + 1) / threads);
  }
  resolve(0, count / threads);
  for (std::thread& other : others) other.join();
}

bool settingMachine(const StoreMachines& store, std::size_t index, CandidateMachine& machine) {
  const RegistrySetting& setting = store.settings[index];
  if (setting.rotor1 == componentMissing) return false;
  machine.plugboard = &store.plugboards.wirings[static_cast<std::size_t>(setting.plugboard)];
  machine.rotor1 = &store.rotorTables[static_cast<std::size_t>(setting.rotor1)];
  machine.rotor2 = &store.rotorTables[static_cast<std::size_t>(setting.rotor2)];
  machine.rotor3 = &store.rotorTables[static_cast<std::size_t>(setting.rotor3)];
  machine.reflector = &store.reflectors.wirings[static_cast<std::size_t>(setting.reflector)];
  return true;
}

ComponentChoices componentChoices(const StoreMachines& store) {
  ComponentChoices choices;
  choices.plugboards = usableEntries(store.plugboards);
  choices.rotors = usableEntries(store.rotors);
  choices.reflectors = usableEntries(store.reflectors);
  const std::uint64_t rotors = choices.rotors.size();
  std::uint64_t count = choices.plugboards.size();
  const bool fits = rotors >= 3 && multiply(count, rotors) && multiply(count, rotors - 1) &&
                    multiply(count, rotors - 2) && multiply(count, choices.reflectors.size());
  choices.count = rotors >= 3 && fits ? count : 0;
  choices.countOverflows = rotors >= 3 && !fits;
  return choices;
}

std::array<std::int32_t, 5> choiceEntries(const ComponentChoices& choices, std::uint64_t key) {
  const std::uint64_t rotors = choices.rotors.size();
  const std::uint64_t reflector = key % choices.reflectors.size();
  key /= choices.reflectors.size();
  std::uint64_t third = key % (rotors - 2);
  key /= rotors - 2;
  std::uint64_t second = key % (rotors - 1);
  key /= rotors - 1;
  const std::uint64_t first = key % rotors;
  const std::uint64_t plugboard = key / rotors;
  // The second rotor is numbered among the rotors other than the first, the third among those
  // other than both.
  if (second >= first) ++second;
  const std::uint64_t low = std::min(first, second);
  const std::uint64_t high = std::max(first, second);
  if (third >= low) ++third;
  if (third >= high) ++third;
  return {choices.plugboards[plugboard], choices.rotors[first], choices.rotors[second],
          choices.rotors[third], choices.reflectors[reflector]};
}

SearchOutcome searchSettings(const StoreMachines& store, const SearchRequest& request,
                             const EnglishStatistics& english, unsigned threads,
                             const SearchProgress& progress) {
  const auto machineOf = [&store](std::uint64_t key, CandidateMachine& machine) {
    return settingMachine(store, static_cast<std::size_t>(key), machine);
  };
  return search(store.settings.size(), machineOf, request, english, threads, progress);
}

SearchOutcome searchComponents(const StoreMachines& store, const ComponentChoices& choices,
                               const SearchRequest& request, const EnglishStatistics& english,
                               unsigned threads, const SearchProgress& progress) {
  const auto machineOf = [&store, &choices](std::uint64_t key, CandidateMachine& machine) {
    const std::array<std::int32_t, 5> entries = choiceEntries(choices, key);
    machine.plugboard = &store.plugboards.wirings[static_cast<std::size_t>(entries[0])];
    machine.rotor1 = &store.rotorTables[static_cast<std::size_t>(entries[1])];
    machine.rotor2 = &store.rotorTables[static_cast<std::size_t>(entries[2])];
    machine.rotor3 = &store.rotorTables[static_cast<std::size_t>(entries[3])];
    machine.reflector = &store.reflectors.wirings[static_cast<std::size_t>(entries[4])];
    return true;
  };
  return search(choices.count, machineOf, request, english, threads, progress);
}

std::int64_t groupCount(std::size_t letterCount) {
  return letterCount < 4 ? 0 : static_cast<std::int64_t>(letterCount) - 3;
}

std::int32_t englishPoints(const CandidateMachine& machine,
                           const std::vector<std::uint8_t>& letters,
                           const EnglishStatistics& english) {
  SearchRequest request;
  request.letters = letters;
  return scoreMachine(machine, analysisOf(request, english), pruned);
}

}  // namespace vexilo
