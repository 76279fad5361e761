// The manual page: it formats without warnings, and its examples are the program's real output.
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "tests/packaging/packaging_support.h"
#include "tests/support/run_program.h"
#include "tests/support/scoped_temp_dir.h"

namespace vexilo::testing {
namespace {

// One line of an example block, split into what the program writes and what the user types (set
// in bold).
struct ExampleLine {
  std::string written;  // with a gap ("\n") where typed text stood
  std::string typed;
};

struct ExampleBlock {
  std::string section;  // the .SH heading the block stands under
  std::vector<ExampleLine> lines;
};

ExampleLine parseExampleLine(const std::string& source) {
  ExampleLine line;
  bool bold = false;
  for (std::size_t i = 0; i < source.size(); ++i) {
    if (source[i] != '\\' || i + 1 == source.size()) {
      (bold ? line.typed : line.written) += source[i];
      continue;
    }
    const char escaped = source[++i];
    if (escaped == 'f' && i + 1 < source.size()) {
      const bool wasBold = bold;
      bold = source[++i] == 'B';
      if (wasBold && !bold) line.written += '\n';
    } else if (escaped == '-') {
      (bold ? line.typed : line.written) += '-';
    } else if (escaped == 'e') {
      (bold ? line.typed : line.written) += '\\';
    } else if (escaped != '&') {
      ADD_FAILURE() << "unexpected escape \\" << escaped << " in example line: " << source;
    }
  }
  return line;
}

std::vector<ExampleBlock> exampleBlocks(const std::string& page) {
  std::vector<ExampleBlock> blocks;
  std::string section;
  bool inBlock = false;
  for (std::size_t start = 0; start < page.size();) {
    const std::size_t end = page.find('\n', start);
    const std::string line = page.substr(start, end - start);
    start = end == std::string::npos ? page.size() : end + 1;
    if (line.starts_with(".SH ")) section = line.substr(4);
    if (line == ".EX") {
      inBlock = true;
      blocks.push_back({section, {}});
    } else if (line == ".EE") {
      inBlock = false;
    } else if (inBlock) {
      blocks.back().lines.push_back(parseExampleLine(line));
    }
  }
  return blocks;
}

// Each piece of written text, in order, is found in `output` after the piece before it.
void expectPiecesInOrder(const std::vector<ExampleLine>& lines, const std::string& output) {
  std::size_t position = 0;
  for (const ExampleLine& line : lines) {
    for (std::size_t start = 0; start < line.written.size();) {
      std::size_t end = line.written.find('\n', start);
      if (end == std::string::npos) end = line.written.size();
      const std::string piece = line.written.substr(start, end - start);
      start = end + 1;
      if (piece.empty()) continue;
      const std::size_t found = output.find(piece, position);
      ASSERT_NE(found, std::string::npos)
          << "not in the program's output (in this order): \"" << piece << "\"\n"
          << output;
      position = found + piece.size();
    }
  }
}

TEST(ManPageTest, FormatsWithoutAnyWarning) {
  const CommandRun run =
      runCommand("groff -man -ww -z " + shellQuoted(VEXILO_MAN_PAGE_SOURCE) + " 2>&1");
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.output, "");
}

TEST(ManPageTest, ExampleSessionIsTheProgramsOwnOutput) {
  const ScopedTempDir directory;
  writeExampleStore();
  const ProgramRun run = runProgram(exampleSession);
  ASSERT_EQ(run.exitStatus, 0);

  std::vector<ExampleLine> session;
  std::string typed;
  for (const ExampleBlock& block : exampleBlocks(readFile(VEXILO_MAN_PAGE_SOURCE))) {
    if (block.section != "EXAMPLES") continue;
    for (const ExampleLine& line : block.lines) {
      session.push_back(line);
      if (!line.typed.empty()) typed += line.typed + "\n";
    }
  }
  ASSERT_FALSE(session.empty());
  EXPECT_EQ(typed, exampleSession) << "the answers in bold are the session's input";
  expectPiecesInOrder(session, run.standardOutput);
}

TEST(ManPageTest, MenusAndTraceShownInTheDescriptionAreTheProgramsOwnOutput) {
  const ScopedTempDir directory;
  writeExampleStore();
  // Setting 0, the letter a in descriptive mode, then exit.
  const ProgramRun run = runProgram("2\n0\n2\na\n-\n1\n");
  ASSERT_EQ(run.exitStatus, 0);

  std::size_t checked = 0;
  for (const ExampleBlock& block : exampleBlocks(readFile(VEXILO_MAN_PAGE_SOURCE))) {
    if (block.section != "DESCRIPTION") continue;
    for (const ExampleLine& line : block.lines) {
      EXPECT_EQ(line.typed, "");
      EXPECT_NE(run.standardOutput.find(line.written), std::string::npos)
          << "not in the program's output: \"" << line.written << "\"";
      ++checked;
    }
  }
  EXPECT_GE(checked, 7u) << "the two menus and the trace";
}

TEST(ManPageTest, NamesTheFourStoreFilesAsTheProgramOpensThem) {
  const std::string page = readFile(VEXILO_MAN_PAGE_SOURCE);
  for (const char* name : {"ExistingRotorSettings26.txt", "ExistingReflectorSettings26.txt",
                           "ExistingPlugBoardSettings26.txt", "initalSettings26.txt"}) {
    EXPECT_NE(page.find(std::string(".I ") + name + "\n"), std::string::npos) << name;
  }
  // An empty directory: each of them is created by the first random setting.
  const ScopedTempDir directory;
  ASSERT_EQ(runProgram("1\n").exitStatus, 0);
  for (const char* name : {"ExistingRotorSettings26.txt", "ExistingReflectorSettings26.txt",
                           "ExistingPlugBoardSettings26.txt", "initalSettings26.txt"}) {
    EXPECT_NE(readFile(name), "<absent>") << name;
  }
}

}  // namespace
}  // namespace vexilo::testing
