// Reading back what a unit wrote to or left in the streams it was given.
#ifndef VEXILO_TESTS_SUPPORT_STREAMS_H_
#define VEXILO_TESTS_SUPPORT_STREAMS_H_

#include <algorithm>
#include <istream>
#include <iterator>
#include <ostream>
#include <sstream>
#include <string>

namespace vexilo::testing {

// Counts the lines that `action` writes to the error stream it is given.
template <typename Action>
long errorLines(Action action) {
  std::ostringstream err;
  action(err);
  const std::string diagnostics = err.str();
  return std::count(diagnostics.begin(), diagnostics.end(), '\n');
}

// What is left of `in` after a read, which may have failed.
inline std::string restOf(std::istream& in) {
  in.clear();
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace vexilo::testing

#endif  // VEXILO_TESTS_SUPPORT_STREAMS_H_
