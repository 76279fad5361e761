// The help, written for the system it runs on: on Windows "/?" and "-h" ask for it too, and it
// shows nothing that only a POSIX shell knows.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace vexilo {
namespace {

struct Answer {
  int status = -1;
  std::string output;
  std::string rest;  // of standard input, which the help never reads
};

Answer run(std::vector<const char*> arguments, HelpSystem system) {
  arguments.insert(arguments.begin(), "vexilo");
  std::istringstream in("1\n");
  std::ostringstream out;
  std::ostringstream err;
  Answer answer;
  answer.status = runCommandLine(arguments, in, out, err, system);
  answer.output = out.str();
  answer.rest = in.str().substr(static_cast<std::size_t>(in.tellg()));
  return answer;
}

TEST(CommandLineTest, OnWindowsSlashQuestionMarkAndDashHAnswerAsHelp) {
  const Answer help = run({"--help"}, HelpSystem::windows);
  EXPECT_EQ(help.status, 0);
  for (const char* asked : {"/?", "-h"}) {
    const Answer answer = run({"extra", asked}, HelpSystem::windows);
    EXPECT_EQ(answer.status, 0) << asked;
    EXPECT_EQ(answer.output, help.output) << asked;
    EXPECT_EQ(answer.rest, "1\n") << asked;
  }
}

TEST(CommandLineTest, TheHelpNamesOnlyWhatItsSystemHas) {
  const struct {
    HelpSystem system;
    std::vector<std::string> named;
    std::vector<std::string> notNamed;
  } cases[] = {
      {HelpSystem::windows,
       {"/?", "  vexilo < answers.txt > NUL\n", "\"my letter.txt\"", "manual.html", "manual.txt"},
       {"printf", "/dev/null", "man vexilo", "$"}},
      {HelpSystem::posix,
       {"printf '1\\n4\\nin.txt\\nout.txt\\n1\\n' | vexilo > /dev/null", "\"my letter.txt\"",
        "man vexilo"},
       {"/?", "NUL", "manual.html"}},
  };
  for (const auto& c : cases) {
    const std::string help = run({"--help"}, c.system).output;
    for (const std::string& text : c.named) EXPECT_NE(help.find(text), help.npos) << text;
    for (const std::string& text : c.notNamed) EXPECT_EQ(help.find(text), help.npos) << text;
    std::istringstream lines(help);
    for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 80U) << line;
  }
}

}  // namespace
}  // namespace vexilo
