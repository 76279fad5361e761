#include "break/english_statistics.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>

#include "core/letter.h"

namespace vexilo {
namespace {

// A group never seen in the counted text is not impossible in English: it scores as half a count.
constexpr double unseenCount = 0.5;
constexpr double largestPoints = 255;

}  // namespace

EnglishStatistics statisticsFromCounts(std::string_view counts) {
  std::vector<double> groupCounts(quadgramCount, 0.0);
  double total = 0;
  while (!counts.empty()) {
    const std::size_t lineEnd = counts.find('\n');
    const std::string_view line = counts.substr(0, lineEnd);
    counts = lineEnd == std::string_view::npos ? std::string_view{} : counts.substr(lineEnd + 1);
    if (line.size() < 5) continue;
    std::int32_t letters[4];
    bool allLetters = true;
    for (std::size_t i = 0; i < 4; ++i) {
      letters[i] = line[i] >= 'a' && line[i] <= 'z' ? letterIndex(line[i]) : -1;
      allLetters = allLetters && letters[i] >= 0;
    }
    std::int64_t count = 0;
    const auto [end, error] = std::from_chars(line.data() + 4, line.data() + line.size(), count);
    if (!allLetters || error != std::errc{} || end != line.data() + line.size() || count <= 0) {
      continue;
    }
    groupCounts[quadgramIndex(letters[0], letters[1], letters[2], letters[3])] +=
        static_cast<double>(count);
    total += static_cast<double>(count);
  }
  EnglishStatistics statistics;
  statistics.quadgramPoints.resize(quadgramCount);
  if (total <= 0) return statistics;
  double largestCount = 0;
  for (const double count : groupCounts) largestCount = std::max(largestCount, count);
  const double unseenScore = std::log10(unseenCount / total);
  const double range = std::log10(largestCount / total) - unseenScore;
  statistics.unseenScore = static_cast<float>(unseenScore);
  statistics.pointSize = static_cast<float>(range > 0 ? range / largestPoints : 1);
  for (std::size_t group = 0; group < groupCounts.size(); ++group) {
    if (groupCounts[group] <= 0) continue;
    const double score = std::log10(groupCounts[group] / total);
    const auto points = static_cast<std::int32_t>(
        std::lround((score - unseenScore) / static_cast<double>(statistics.pointSize)));
    statistics.quadgramPoints[group] = static_cast<std::uint8_t>(std::clamp(points, 0, 255));
    statistics.bestPoints =
        std::max<std::int32_t>(statistics.bestPoints, statistics.quadgramPoints[group]);
  }
  return statistics;
}

float scoreOfPoints(const EnglishStatistics& statistics, std::int64_t groups, std::int64_t points) {
  return static_cast<float>(
      static_cast<double>(statistics.unseenScore) * static_cast<double>(groups) +
      static_cast<double>(statistics.pointSize) * static_cast<double>(points));
}

const EnglishStatistics& englishStatistics() {
  static const EnglishStatistics statistics = statisticsFromCounts(englishQuadgramCounts);
  return statistics;
}

}  // namespace vexilo
