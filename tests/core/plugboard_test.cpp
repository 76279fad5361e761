#include "core/plugboard.h"

#include <gtest/gtest.h>

#include <climits>

namespace vexilo {
namespace {

TEST(PlugboardTest, NewPlugboardIsLikeTheOtherRecords) {
  const Plugboard plugboard;
  Wiring unfilled{};
  unfilled[0] = -1;
  EXPECT_EQ(plugboard.id, -1);
  EXPECT_EQ(plugboard.wiring, unfilled);
  EXPECT_EQ(plugboard.cableCount, 0);
  EXPECT_EQ(plugboard.size, 26);
}

TEST(PlugboardTest, LookupsInsideAndOutsideTheTable) {
  Plugboard plugboard;
  for (int i = 0; i < alphabetSize; ++i) plugboard.wiring[i] = 25 - i;
  EXPECT_EQ(forwardLookup(plugboard, 0), 25);
  EXPECT_EQ(checkedLookup(plugboard, 25), 0);
  for (const std::int32_t index : {-1, 26, INT32_MIN, INT32_MAX}) {
    EXPECT_EQ(forwardLookup(plugboard, index), -1) << index;
    EXPECT_EQ(checkedLookup(plugboard, static_cast<std::uint32_t>(index)), INT32_MIN) << index;
  }
  plugboard.size = 0;
  EXPECT_EQ(forwardLookup(plugboard, 0), -1);
  EXPECT_EQ(checkedLookup(plugboard, 0), INT32_MIN);
}

}  // namespace
}  // namespace vexilo
