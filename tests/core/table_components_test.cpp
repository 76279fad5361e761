// The reflector and the plugboard: records that hold one wiring and look entries up in it.
#include <gtest/gtest.h>

#include <climits>
#include <type_traits>

#include "core/plugboard.h"
#include "core/reflector.h"
#include "tests/support/store_fixture.h"

namespace vexilo {
namespace {

template <typename Component>
class TableComponentTest : public ::testing::Test {};
using TableComponents = ::testing::Types<Reflector, Plugboard>;
TYPED_TEST_SUITE(TableComponentTest, TableComponents);

TYPED_TEST(TableComponentTest, NewRecordHoldsMinusOneThenZerosAndSize26) {
  const TypeParam component;
  const Wiring unfilled = testing::unfilledTable();
  EXPECT_EQ(component.id, -1);
  EXPECT_EQ(component.wiring, unfilled);
  EXPECT_EQ(component.size, 26);
  if constexpr (std::is_same_v<TypeParam, Plugboard>) {
    EXPECT_EQ(component.cableCount, 0);
  }
}

TYPED_TEST(TableComponentTest, LookupsInsideAndOutsideTheTable) {
  TypeParam component;
  for (int i = 0; i < alphabetSize; ++i) component.wiring[i] = 25 - i;
  for (int i = 0; i < alphabetSize; ++i) {
    EXPECT_EQ(forwardLookup(component, i), 25 - i);
    EXPECT_EQ(checkedLookup(component, static_cast<std::uint32_t>(i)), 25 - i);
  }
  for (const std::int32_t index : {-1, 26, INT32_MIN, INT32_MAX}) {
    EXPECT_EQ(forwardLookup(component, index), -1) << index;
    EXPECT_EQ(checkedLookup(component, static_cast<std::uint32_t>(index)), INT32_MIN) << index;
  }
  // Neither a smaller nor a larger size reads outside the table.
  component.size = 0;
  EXPECT_EQ(forwardLookup(component, 0), -1);
  EXPECT_EQ(checkedLookup(component, 0), INT32_MIN);
  component.size = 40;
  EXPECT_EQ(forwardLookup(component, 30), -1);
  EXPECT_EQ(checkedLookup(component, 30), INT32_MIN);
}

}  // namespace
}  // namespace vexilo
