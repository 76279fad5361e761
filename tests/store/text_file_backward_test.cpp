#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "store/text_file.h"
#include "tests/support/scoped_temp_dir.h"

namespace vexilo {
namespace {

using testing::ScopedTempDir;
using testing::writeFile;

const std::string fileName = "lines.txt";

struct VisitedLine {
  std::string text;
  std::int64_t start;
  bool operator==(const VisitedLine&) const = default;
};

std::ostream& operator<<(std::ostream& out, const VisitedLine& line) {
  return out << '"' << line.text << "\" at " << line.start;
}

// The lines `forEachLine` visits, last first, each with the offset where it starts.
std::vector<VisitedLine> forwardLinesReversed(const std::string& contents) {
  std::vector<VisitedLine> lines;
  std::int64_t offset = 0;
  EXPECT_EQ(forEachLine(fileName,
                        [&](std::string_view line, std::int64_t) {
                          lines.push_back({std::string(line), offset});
                          offset += static_cast<std::int64_t>(line.size()) + 1;
                          return true;
                        }),
            LineReadOutcome::finished);
  EXPECT_GE(static_cast<std::int64_t>(contents.size()) + 1, offset);
  return {lines.rbegin(), lines.rend()};
}

std::vector<VisitedLine> backwardLines() {
  std::vector<VisitedLine> lines;
  EXPECT_EQ(forEachLineBackward(fileName,
                                [&](std::string_view line, std::int64_t start) {
                                  lines.push_back({std::string(line), start});
                                  return true;
                                }),
            LineReadOutcome::finished);
  return lines;
}

TEST(TextFileBackwardTest, VisitsTheLinesThatForwardReadingVisitsInReverse) {
  const std::string longLine(200000, 'x');  // longer than a read block, and than two
  const std::string blockSized(65535, 'y');
  const std::vector<std::string> contents = {
      "",
      "\n",
      "\n\n",
      "a",
      "a\n",
      "a\nb",
      "a\nb\n",
      "0,1\n\n2,3\n",
      "\n\nlast",
      "carriage\r\nreturns\r\n",
      longLine,
      longLine + "\n",
      "short\n" + longLine,
      longLine + "\n" + longLine + "\n\n" + longLine,
      blockSized + "\n" + "after",
      "before\n" + blockSized + "\n",
      "z" + blockSized + "\n",
      std::string(65536, '\n'),
  };
  for (const std::string& text : contents) {
    const ScopedTempDir dir;
    writeFile(fileName, text);
    const std::vector<VisitedLine> expected = forwardLinesReversed(text);
    EXPECT_EQ(backwardLines(), expected) << "contents of " << text.size() << " bytes";
  }
}

TEST(TextFileBackwardTest, VisitsTheSameLinesAsForwardReadingInManyRandomFiles) {
  std::mt19937 random(65536);
  std::uniform_int_distribution<int> lineCount(0, 40);
  std::uniform_int_distribution<int> shortLength(0, 12);
  std::uniform_int_distribution<int> longLength(60000, 140000);
  for (int draw = 0; draw < 40; ++draw) {
    std::string text;
    const int lines = lineCount(random);
    for (int line = 0; line < lines; ++line) {
      const int length = random() % 8 == 0 ? longLength(random) : shortLength(random);
      text += std::string(static_cast<std::size_t>(length), static_cast<char>('a' + line % 26));
      if (line + 1 < lines || random() % 2 == 0) text += '\n';
    }
    const ScopedTempDir dir;
    writeFile(fileName, text);
    EXPECT_EQ(backwardLines(), forwardLinesReversed(text)) << "draw " << draw;
  }
}

TEST(TextFileBackwardTest, StopsWhenTheVisitorSaysSo) {
  const ScopedTempDir dir;
  writeFile(fileName, "one\ntwo\nthree\n");
  std::vector<std::string> seen;
  EXPECT_EQ(forEachLineBackward(fileName,
                                [&](std::string_view line, std::int64_t) {
                                  seen.emplace_back(line);
                                  return seen.size() < 2;
                                }),
            LineReadOutcome::stopped);
  EXPECT_EQ(seen, (std::vector<std::string>{"three", "two"}));
}

TEST(TextFileBackwardTest, AFileThatCannotBeReadIsUnableToOpen) {
  const ScopedTempDir dir;
  const auto neverCalled = [](std::string_view, std::int64_t) {
    ADD_FAILURE() << "a line was visited";
    return true;
  };
  EXPECT_EQ(forEachLineBackward("absent.txt", neverCalled), LineReadOutcome::unableToOpen);
  std::filesystem::create_directory("folder.txt");
  EXPECT_EQ(forEachLineBackward("folder.txt", neverCalled), LineReadOutcome::unableToOpen);
}

TEST(TextFileBackwardTest, CountLineEndsCountsOnlyTheGivenStart) {
  const ScopedTempDir dir;
  std::string text;
  for (int line = 0; line < 20000; ++line) text += "line " + std::to_string(line) + "\n";
  writeFile(fileName, text);
  const struct {
    std::int64_t length;
    std::int64_t lineEnds;
  } cases[] = {
      {0, 0},
      {1, 0},
      {7, 1},  // "line 0\n"
      {static_cast<std::int64_t>(text.size()) - 1, 19999},
      {static_cast<std::int64_t>(text.size()), 20000},
      {static_cast<std::int64_t>(text.size()) + 100, 20000},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(countLineEnds(fileName, c.length), c.lineEnds) << "length " << c.length;
  }
  EXPECT_EQ(countLineEnds("absent.txt", 10), 0);
}

}  // namespace
}  // namespace vexilo
