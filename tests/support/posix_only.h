// Tests that need means that POSIX systems have and Windows lacks (a library preloaded into the
// program, resource limits, signals, fork, a POSIX shell, symbolic links, FIFOs, other users): on
// Windows they are reported as skipped, with what they need.
#ifndef VEXILO_TESTS_SUPPORT_POSIX_ONLY_H_
#define VEXILO_TESTS_SUPPORT_POSIX_ONLY_H_

#include <gtest/gtest.h>

namespace vexilo::testing {

#ifdef _WIN32
inline constexpr bool posixSystem = false;
#else
inline constexpr bool posixSystem = true;
#endif

}  // namespace vexilo::testing

// In a test's body (GTEST_SKIP returns from it): on Windows, skips the test with the reason
// "needs `what`, which Windows lacks". The body's own calls of POSIX functions, where it makes
// any, stand in `#ifndef _WIN32`.
#define VEXILO_NEEDS_POSIX(what)        \
  if (::vexilo::testing::posixSystem) { \
  } else                                \
    GTEST_SKIP() << "needs " << (what) << ", which Windows lacks"

#endif  // VEXILO_TESTS_SUPPORT_POSIX_ONLY_H_
