// How hard the system tests push: the sanitizer build and a cross build under qemu-user run each
// program many times slower, so they make fewer runs of the same kinds. And what a library
// preloaded into the program (tests/support/full_disk.cpp) needs of the sanitizer.
#ifndef VEXILO_TESTS_SYSTEM_SYSTEM_LIMITS_H_
#define VEXILO_TESTS_SYSTEM_SYSTEM_LIMITS_H_

#include <cstdlib>
#include <string>
#include <vector>

namespace vexilo::testing {

#ifdef VEXILO_SYSTEM_TESTS_QUICK
inline constexpr bool quickSystemTests = true;
#else
inline constexpr bool quickSystemTests = false;
#endif

// `full` runs in the release build, `quick` in the sanitizer and cross builds.
constexpr int runsFor(int full, int quick) { return quickSystemTests ? quick : full; }

// The sanitizer's runtime must accept a library loaded ahead of it.
inline std::string sanitizerOptions() {
  const char* given = std::getenv("ASAN_OPTIONS");
  return std::string("ASAN_OPTIONS=") + (given == nullptr ? "" : given) +
         ":verify_asan_link_order=0";
}

// The environment that preloads the faults library, with `settings` of it.
inline std::vector<std::string> preloadedFaults(const std::vector<std::string>& settings) {
  std::vector<std::string> environment = {"LD_PRELOAD=" VEXILO_FULL_DISK_LIBRARY,
                                          sanitizerOptions()};
  environment.insert(environment.end(), settings.begin(), settings.end());
  return environment;
}

}  // namespace vexilo::testing

#endif  // VEXILO_TESTS_SYSTEM_SYSTEM_LIMITS_H_
