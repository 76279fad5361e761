// How hard the system tests push: the sanitizer build and a cross build under qemu-user run each
// program many times slower, so they make fewer runs of the same kinds.
#ifndef VEXILO_TESTS_SYSTEM_SYSTEM_LIMITS_H_
#define VEXILO_TESTS_SYSTEM_SYSTEM_LIMITS_H_

namespace vexilo::testing {

#ifdef VEXILO_SYSTEM_TESTS_QUICK
inline constexpr bool quickSystemTests = true;
#else
inline constexpr bool quickSystemTests = false;
#endif

// `full` runs in the release build, `quick` in the sanitizer and cross builds.
constexpr int runsFor(int full, int quick) { return quickSystemTests ? quick : full; }

}  // namespace vexilo::testing

#endif  // VEXILO_TESTS_SYSTEM_SYSTEM_LIMITS_H_
