#include "core/reflector.h"

#include <gtest/gtest.h>

#include <climits>

namespace vexilo {
namespace {

TEST(ReflectorTest, NewReflectorHoldsMinusOneThenZerosAndSize26) {
  const Reflector reflector;
  Wiring unfilled{};
  unfilled[0] = -1;
  EXPECT_EQ(reflector.id, -1);
  EXPECT_EQ(reflector.wiring, unfilled);
  EXPECT_EQ(reflector.size, 26);
}

TEST(ReflectorTest, LookupsInsideAndOutsideTheTable) {
  Reflector reflector;
  for (int i = 0; i < alphabetSize; ++i) reflector.wiring[i] = i ^ 1;
  for (int i = 0; i < alphabetSize; ++i) {
    EXPECT_EQ(forwardLookup(reflector, i), i ^ 1);
    EXPECT_EQ(checkedLookup(reflector, static_cast<std::uint32_t>(i)), i ^ 1);
  }
  for (const std::int32_t index : {-1, 26, INT32_MIN, INT32_MAX}) {
    EXPECT_EQ(forwardLookup(reflector, index), -1) << index;
    EXPECT_EQ(checkedLookup(reflector, static_cast<std::uint32_t>(index)), INT32_MIN) << index;
  }
  reflector.size = 40;
  EXPECT_EQ(forwardLookup(reflector, 30), -1);
  EXPECT_EQ(checkedLookup(reflector, 30), INT32_MIN);
}

}  // namespace
}  // namespace vexilo
