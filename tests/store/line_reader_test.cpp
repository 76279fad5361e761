#include "store/line_reader.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/scoped_temp_dir.h"

namespace vexilo {
namespace {

using testing::ScopedTempDir;
using testing::writeFile;

TEST(LineReaderTest, ParseIntegerTakesWhiteSpaceASignAndTheDigitsOfTheBase) {
  struct Case {
    const char* text;
    int base;
    std::optional<std::int32_t> expected;
  };
  const Case cases[] = {
      {"7", 10, 7},
      {"007", 10, 7},
      {"+7", 10, 7},
      {" \t7", 10, 7},
      {"7\r", 10, 7},
      {"7abc", 10, 7},
      {"-5", 10, -5},
      {"-0", 10, 0},
      {"2147483647", 10, INT32_MAX},
      {"-2147483648", 10, INT32_MIN},
      {"2147483648", 10, std::nullopt},
      {"-2147483649", 10, std::nullopt},
      {"99999999999999999999999999", 10, std::nullopt},
      {"", 10, std::nullopt},
      {" ", 10, std::nullopt},
      {"+", 10, std::nullopt},
      {"-", 10, std::nullopt},
      {"+-5", 10, std::nullopt},
      {"- 5", 10, std::nullopt},
      {"abc", 10, std::nullopt},
      {"1f", 16, 31},
      {"1F", 16, 31},
      {"01F", 16, 31},
      {"0001F", 16, 31},
      {"1F,3,0", 16, 31},
      {"\n 1F", 16, 31},
      {"1g", 16, 1},
      {"0x1F", 16, 31},
      {" +0X1f,2", 16, 31},
      {"-0x1F", 16, -31},
      {"0x", 16, 0},
      {"0xg", 16, 0},
      {"00x1F", 16, 0},
      {"0x1F", 10, 0},
      {"FFFFF", 16, 0xFFFFF},
      {"7FFFFFFF", 16, INT32_MAX},
      {"80000000", 16, std::nullopt},
      {"-80000000", 16, INT32_MIN},
      {"-01", 16, -1},
      {"xyz", 16, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(parseInteger(c.text, c.base), c.expected) << '"' << c.text << "\" base " << c.base;
  }
}

const std::string fileName = "lines.txt";

// A line as the numbers of its fields, "." for a field without one: "7 . 3".
std::string fieldsOf(LineCursor& line) {
  std::string fields;
  while (line.hasField()) {
    const std::optional<std::int32_t> number = line.readNumberField(10);
    if (!fields.empty()) fields += ' ';
    fields += number ? std::to_string(*number) : ".";
  }
  return fields;
}

struct VisitedLine {
  std::string fields;
  std::int64_t start;  // offset of the line's first byte; line number when read forwards
  bool operator==(const VisitedLine&) const = default;
};

std::ostream& operator<<(std::ostream& out, const VisitedLine& line) {
  return out << '"' << line.fields << "\" at " << line.start;
}

std::vector<VisitedLine> readLines(bool backward, LineReadOutcome* outcome = nullptr) {
  std::vector<VisitedLine> lines;
  const auto visit = [&](LineCursor& line, std::int64_t start) {
    lines.push_back({fieldsOf(line), start});
    return true;
  };
  std::ostringstream err;
  const LineReadOutcome read =
      backward ? forEachLineBackward(fileName, visit, err) : forEachLine(fileName, visit, err);
  if (outcome != nullptr) *outcome = read;
  EXPECT_EQ(err.str(), "");
  return lines;
}

// The lines read forwards, last first, each with the offset where it starts, which must be what
// reading backwards visits.
void expectBackwardReadingMirrorsForward(const std::string& text) {
  std::vector<VisitedLine> expected = readLines(false);
  std::int64_t start = 0;
  for (VisitedLine& line : expected) {
    line.start = start;
    start = static_cast<std::int64_t>(text.find('\n', static_cast<std::size_t>(start))) + 1;
  }
  std::reverse(expected.begin(), expected.end());
  EXPECT_EQ(readLines(true), expected) << "contents of " << text.size() << " bytes";
}

TEST(LineReaderTest, ReadsEachFieldsNumberWhateverTheLengthOfTheLine) {
  const ScopedTempDir dir;
  const std::string blanks(200000, ' ');  // longer than one read block, and than two
  const std::string zeros(200000, '0');
  struct Case {
    std::string contents;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"", {}},
      {"\n", {"."}},
      {"1\n2", {"1", "2"}},
      {"1\r\n2\r\n", {"1", "2"}},
      {"\n\n3\n", {".", ".", "3"}},
      {"1,2,,3,\n-4,x5,6y", {"1 2 . 3 .", "-4 . 6"}},
      {"7" + blanks + ",8\n9", {"7 8", "9"}},
      {blanks + "5," + zeros + "6," + zeros + "\n", {"5 6 0"}},
      {"1,2" + std::string(200000, 'x') + ",3\n4", {"1 2 3", "4"}},
      {"2147483647,-2147483648,2147483648," + zeros + "99999999999",
       {"2147483647 -2147483648 . ."}},
  };
  for (const Case& c : cases) {
    writeFile(fileName, c.contents);
    std::vector<std::string> fields;
    for (const VisitedLine& line : readLines(false)) fields.push_back(line.fields);
    EXPECT_EQ(fields, c.lines) << c.contents.size() << " bytes";
    expectBackwardReadingMirrorsForward(c.contents);
  }
}

TEST(LineReaderTest, ReadingBackwardsVisitsTheLinesOfForwardReadingInManyRandomFiles) {
  std::mt19937 random(65536);
  std::uniform_int_distribution<int> lineCount(0, 40);
  std::uniform_int_distribution<int> shortLength(0, 12);
  std::uniform_int_distribution<int> longLength(60000, 140000);
  const ScopedTempDir dir;
  for (int draw = 0; draw < 40; ++draw) {
    std::string text;
    const int lines = lineCount(random);
    for (int line = 0; line < lines; ++line) {
      text += std::to_string(line);
      const int length = random() % 8 == 0 ? longLength(random) : shortLength(random);
      text += std::string(static_cast<std::size_t>(length), line % 3 == 0 ? ',' : ' ');
      if (line + 1 < lines || random() % 2 == 0) text += '\n';
    }
    writeFile(fileName, text);
    expectBackwardReadingMirrorsForward(text);
  }
}

TEST(LineReaderTest, StopsWhenAskedAndNamesWhatCannotBeOpened) {
  const ScopedTempDir dir;
  writeFile(fileName, "1\n2\n3\n");
  std::vector<std::string> seen;
  const auto visitTwo = [&](LineCursor& line, std::int64_t) {
    seen.push_back(fieldsOf(line));
    return seen.size() < 2;
  };
  EXPECT_EQ(forEachLine(fileName, visitTwo), LineReadOutcome::stopped);
  EXPECT_EQ(forEachLineBackward(fileName, visitTwo), LineReadOutcome::stopped);
  EXPECT_EQ(seen, (std::vector<std::string>{"1", "2", "3"}));

  std::filesystem::create_directory("folder.txt");
  for (const bool backward : {false, true}) {
    std::ostringstream err;
    const auto neverCalled = [](LineCursor&, std::int64_t) {
      ADD_FAILURE() << "a line was visited";
      return true;
    };
    const auto read = [&](const std::string& name) {
      return backward ? forEachLineBackward(name, neverCalled, err)
                      : forEachLine(name, neverCalled, err);
    };
    // A store file that does not exist yet is a new store: nothing is said about it.
    EXPECT_EQ(read("absent.txt"), LineReadOutcome::unableToOpen);
    EXPECT_EQ(read("folder.txt"), LineReadOutcome::unableToOpen);
    EXPECT_EQ(err.str(), "vexilo: cannot open folder.txt: Is a directory\n");
  }
}

TEST(LineReaderTest, NamesTenPassedOverLinesThenCountsTheRest) {
  std::ostringstream err;
  {
    PassedOverLines passedOver("store.txt", err);
    for (int line = 1; line <= 12; ++line) passedOver.add(line * 2, "its ID cannot be read");
  }
  std::string expected;
  for (int line = 1; line <= 10; ++line) {
    expected += "vexilo: store.txt: line " + std::to_string(line * 2) +
                " passed over: its ID cannot be read\n";
  }
  expected += "vexilo: store.txt: 2 more lines passed over\n";
  EXPECT_EQ(err.str(), expected);
}

// A line longer than the block read so far is not in memory; every other line is, whole, until a
// field of it is read.
TEST(LineReaderTest, LineInMemoryIsTheWholeLineUntilAFieldIsRead) {
  ScopedTempDir directory;
  const std::string longLine(200000, '7');
  writeFile("lines.txt", "1,2,3\n" + longLine + "\n4,5\n");
  std::vector<std::string> seen;
  forEachLine("lines.txt", [&](LineCursor& line, std::int64_t) {
    const std::optional<std::string_view> whole = line.lineInMemory();
    seen.push_back(whole ? std::string(*whole) : "(not in memory)");
    line.readNumberField(10);
    EXPECT_FALSE(line.lineInMemory());
    return true;
  });
  EXPECT_EQ(seen, (std::vector<std::string>{"1,2,3", "(not in memory)", "4,5"}));
  LineCursor text("8,9\nrest");
  EXPECT_EQ(text.lineInMemory(), std::optional<std::string_view>("8,9"));
}

TEST(LineReaderTest, CountLineEndsCountsOnlyTheGivenStart) {
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
