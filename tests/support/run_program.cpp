#include "tests/support/run_program.h"

#include <sstream>
#include <string>
#include <vector>

namespace vexilo::testing {

std::vector<std::string> programCommand(const std::string& program) {
  std::vector<std::string> words;
  std::istringstream launcher(VEXILO_LAUNCHER);
  for (std::string word; launcher >> word;) words.push_back(word);
  words.push_back(program);
  return words;
}

std::string programCommandLine(const std::string& program) {
  std::string line;
  for (const std::string& word : programCommand(program)) {
    if (!line.empty()) line += ' ';
    line += word;
  }
  return line;
}

}  // namespace vexilo::testing
