#include "store/text_file.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/scoped_temp_dir.h"

namespace vexilo {
namespace {

using testing::readFile;
using testing::ScopedTempDir;
using testing::writeFile;

TEST(TextFileTest, ParseIntegerTakesWhiteSpaceASignAndTheDigitsOfTheBase) {
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
      {"1g", 16, 1},
      {"0x1F", 16, 0},
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

std::vector<std::string> linesOf(const std::string& fileName, LineReadOutcome& outcome) {
  std::vector<std::string> lines;
  outcome = forEachLine(fileName, [&](std::string_view line, std::int64_t lineNumber) {
    EXPECT_EQ(lineNumber, static_cast<std::int64_t>(lines.size()) + 1);
    lines.emplace_back(line);
    return true;
  });
  return lines;
}

TEST(TextFileTest, ForEachLineVisitsEveryLineIncludingALastOneWithoutLineEnd) {
  const ScopedTempDir dir;
  struct Case {
    std::string contents;
    std::vector<std::string> lines;
  };
  const std::string longLine(200000, 'x');  // longer than one read block
  const Case cases[] = {
      {"", {}},
      {"\n", {""}},
      {"a\nb", {"a", "b"}},
      {"a\r\nb\r\n", {"a\r", "b\r"}},
      {"\n\nc\n", {"", "", "c"}},
      {"1\n" + longLine + "\n2", {"1", longLine, "2"}},
  };
  for (const Case& c : cases) {
    writeFile("lines.txt", c.contents);
    LineReadOutcome outcome{};
    EXPECT_EQ(linesOf("lines.txt", outcome), c.lines) << c.contents.size();
    EXPECT_EQ(outcome, LineReadOutcome::finished);
  }
  std::string many;
  std::vector<std::string> expected;
  for (int n = 0; n < 30000; ++n) {  // lines that straddle the read blocks
    expected.push_back(std::to_string(n * 7));
    many += expected.back() + '\n';
  }
  writeFile("lines.txt", many);
  LineReadOutcome outcome{};
  EXPECT_EQ(linesOf("lines.txt", outcome), expected);
}

TEST(TextFileTest, ForEachLineStopsWhenAskedAndCannotOpenAbsentFilesOrFolders) {
  const ScopedTempDir dir;
  writeFile("lines.txt", "a\nb\nc\n");
  int visits = 0;
  EXPECT_EQ(forEachLine("lines.txt", [&](std::string_view, std::int64_t) { return ++visits < 2; }),
            LineReadOutcome::stopped);
  EXPECT_EQ(visits, 2);
  LineReadOutcome outcome{};
  EXPECT_TRUE(linesOf("absent.txt", outcome).empty());
  EXPECT_EQ(outcome, LineReadOutcome::unableToOpen);
  std::filesystem::create_directory("folder.txt");
  EXPECT_TRUE(linesOf("folder.txt", outcome).empty());
  EXPECT_EQ(outcome, LineReadOutcome::unableToOpen);
}

}  // namespace
}  // namespace vexilo
