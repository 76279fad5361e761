// How much a text reads like English: the log probability of each group of four letters. The
// counts, break/english_quadgrams.txt, were made by break/make_english_statistics.sh from "The
// Devil's Dictionary" by Ambrose Bierce (1911, in the public domain), as Debian's package
// dict-devil ships it; they are built into the program, which needs no data file when it runs.
#ifndef VEXILO_BREAK_ENGLISH_STATISTICS_H_
#define VEXILO_BREAK_ENGLISH_STATISTICS_H_

#include <cstdint>
#include <string_view>
#include <vector>

namespace vexilo {

// The number of groups of four letters: 26 * 26 * 26 * 26.
inline constexpr std::int32_t quadgramCount = 26 * 26 * 26 * 26;

// The index of the group of letter indices a, b, c, d (each 0 to 25): a * 26^3 + b * 26^2 + ...
constexpr std::int32_t quadgramIndex(std::int32_t a, std::int32_t b, std::int32_t c,
                                     std::int32_t d) {
  return ((a * 26 + b) * 26 + c) * 26 + d;
}

// A group's score is log10 of its share of all groups counted; a group never counted gets that of
// half a count, the lowest score. The search adds scores as points, small whole numbers: a group
// scores `unseenScore` + `pointSize` * its points, 0 to 255, so that the table fits a processor's
// second-level cache and sums are exact.
struct EnglishStatistics {
  // The points of each group, by `quadgramIndex`.
  std::vector<std::uint8_t> quadgramPoints;
  // The largest entry: no group scores more, so k groups still to come add at most k times it.
  std::int32_t bestPoints = 0;
  float unseenScore = 0;
  float pointSize = 1;
};

// The score of `groups` groups of four letters that together have `points`.
float scoreOfPoints(const EnglishStatistics& statistics, std::int64_t groups, std::int64_t points);

// The counts built into the program, as break/english_quadgrams.txt holds them.
extern const std::string_view englishQuadgramCounts;

// The statistics of `counts`, one group of four letters a line, its lower-case letters then its
// count in decimal ("tion843"). A line of another shape is passed over.
EnglishStatistics statisticsFromCounts(std::string_view counts);

// The statistics of the built-in counts, made at the first call (by one thread, once).
const EnglishStatistics& englishStatistics();

}  // namespace vexilo

#endif  // VEXILO_BREAK_ENGLISH_STATISTICS_H_
