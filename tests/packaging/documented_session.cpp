#include "tests/packaging/documented_session.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "gtest/gtest.h"
#include "tests/e2e/e2e_support.h"
#include "tests/support/scoped_temp_dir.h"

namespace vexilo::testing {
namespace {

SessionLine parseExampleLine(const std::string& source) {
  SessionLine line;
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

bool isLetter(char c) { return c >= 'a' && c <= 'z'; }

// Where `piece` first stands in `output` from `position` on, or npos. When `anyLetter`, a letter
// a to z of the piece matches any letter a to z.
std::size_t findPiece(const std::string& output, const std::string& piece, std::size_t position,
                      bool anyLetter) {
  if (!anyLetter) return output.find(piece, position);
  for (std::size_t at = position; at + piece.size() <= output.size(); ++at) {
    std::size_t i = 0;
    while (i < piece.size() &&
           (output[at + i] == piece[i] || (isLetter(output[at + i]) && isLetter(piece[i])))) {
      ++i;
    }
    if (i == piece.size()) return at;
  }
  return std::string::npos;
}

// The text between its first and last character that is not a blank.
std::string_view trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

using Replacements = std::vector<std::pair<std::string, std::string>>;

// Runs `program` on the typed lines of `lines` and checks its output against their written text.
ProgramRun playRun(const std::vector<SessionLine>& lines, const std::string& program,
                   Replacements& replacements) {
  std::string input;
  std::vector<bool> replaced(lines.size(), false);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].typed.empty()) continue;
    std::string typed = lines[i].typed;
    for (const auto& [documented, written] : replacements) {
      if (typed == documented) typed = written;
    }
    replaced[i] = typed != lines[i].typed;
    input += typed + "\n";
  }
  const ProgramRun run = runProgram(input, 20.0, program);
  EXPECT_EQ(run.exitStatus, 0) << input;
  EXPECT_EQ(run.standardError, "") << input;

  const std::string& output = run.standardOutput;
  std::size_t position = 0;
  bool afterPrompt = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const SessionLine& line = lines[i];
    const bool anyLetter = afterPrompt || line.written.find(" --> ") != std::string::npos;
    // Typed text of the session's own machine gives, once replaced, the session's very answer.
    afterPrompt = !line.typed.empty() && line.written.ends_with(": \n") && !replaced[i];
    for (const std::string& piece : splitLines(line.written)) {
      if (trimmed(piece).empty() || trimmed(piece) == "...") continue;
      const std::size_t found = findPiece(output, piece, position, anyLetter);
      if (found == std::string::npos) {
        ADD_FAILURE() << "not in the program's output (in this order): \"" << piece << "\"\n"
                      << output;
        return run;
      }
      if (output.compare(found, piece.size(), piece) != 0) {
        replacements.emplace_back(piece, output.substr(found, piece.size()));
      }
      position = found + piece.size();
    }
  }
  return run;
}

}  // namespace

std::vector<ExampleBlock> exampleBlocks(const std::string& page) {
  std::vector<ExampleBlock> blocks;
  std::string section;
  bool inBlock = false;
  for (const std::string& line : splitLines(page)) {
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

std::vector<SessionLine> manualSession(const std::string& page) {
  std::vector<SessionLine> session;
  for (const ExampleBlock& block : exampleBlocks(page)) {
    if (block.section == "EXAMPLES")
      session.insert(session.end(), block.lines.begin(), block.lines.end());
  }
  return session;
}

std::vector<SessionLine> readmeSession(const std::string& readme) {
  const std::size_t heading = readme.find("\n## A session");
  const std::size_t open = readme.find("\n```text\n", heading);
  if (heading == std::string::npos || open == std::string::npos) return {};
  const std::size_t start = open + 9;
  const std::size_t close = readme.find("\n```", start - 1);

  // The questions whose answer is typed on the next line: each ends in a line end.
  std::vector<std::string> questions;
  for (const std::string& text : {setupMenu, idPrompt, modeMenu, stopQuestion, resetQuestion,
                                  exitQuestion, inputFilePrompt, outputFilePrompt}) {
    questions.push_back(splitLines(text).back());
  }
  std::vector<SessionLine> session;
  bool answerLine = false;
  for (const std::string& line : splitLines(readme.substr(start, close - start))) {
    if (line.starts_with("$ ")) {
      session.push_back({"$ \n", line.substr(2)});
    } else if (answerLine) {
      session.push_back({"\n", line});
    } else if (line.starts_with(letterPrompt) || line.starts_with(linePrompt)) {
      const std::size_t promptSize =
          (line.starts_with(letterPrompt) ? letterPrompt : linePrompt).size();
      session.push_back({line.substr(0, promptSize) + "\n", line.substr(promptSize)});
    } else {
      session.push_back({line, ""});
    }
    answerLine = std::find(questions.begin(), questions.end(), line) != questions.end();
  }
  return session;
}

std::vector<ProgramRun> playSession(const std::vector<SessionLine>& session,
                                    const std::string& program) {
  std::vector<ProgramRun> runs;
  Replacements replacements;
  if (!session.empty() && !session.front().written.starts_with("$ ")) {
    ADD_FAILURE() << "the session does not open with a shell line";
    return runs;
  }
  for (std::size_t first = 0; first < session.size();) {
    std::size_t end = first + 1;
    while (end < session.size() && !session[end].written.starts_with("$ ")) ++end;
    const std::string& command = session[first].typed;
    const std::vector<SessionLine> lines(session.begin() + first + 1, session.begin() + end);
    first = end;
    if (command == "vexilo" || command == "$vexilo") {
      runs.push_back(playRun(lines, program, replacements));
    } else if (command.starts_with("cat ")) {
      std::string shown;
      for (const SessionLine& line : lines) shown += line.written + "\n";
      EXPECT_EQ(readFile(command.substr(4)), shown) << command;
    }
  }
  return runs;
}

}  // namespace vexilo::testing
