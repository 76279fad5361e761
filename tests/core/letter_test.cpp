#include "core/letter.h"

#include <gtest/gtest.h>

namespace vexilo {
namespace {

TEST(LetterTest, IndexToLetterGivesLowerCaseLettersAndTheCharacterBeforeA) {
  EXPECT_EQ(indexToLetter(0), 'a');
  EXPECT_EQ(indexToLetter(25), 'z');
  EXPECT_EQ(indexToLetter(-1), '`');
  // Regression: a value near the top of the 32-bit range overflowed when 97 was added signed.
  EXPECT_EQ(static_cast<unsigned char>(indexToLetter(INT32_MAX)),
            static_cast<unsigned char>((0x7FFFFFFFU + 97U) & 0xFFU));
  EXPECT_EQ(static_cast<unsigned char>(indexToLetter(INT32_MIN)), 97U);
}

TEST(LetterTest, LetterIndexFoldsOnlyTheAsciiLetters) {
  for (int i = 0; i < alphabetSize; ++i) {
    EXPECT_EQ(letterIndex(static_cast<char>('a' + i)), i);
    EXPECT_EQ(letterIndex(static_cast<char>('A' + i)), i);
  }
  for (int code = 0; code < 256; ++code) {
    const bool isLetter = (code >= 'a' && code <= 'z') || (code >= 'A' && code <= 'Z');
    if (!isLetter) {
      EXPECT_EQ(letterIndex(static_cast<char>(code)), -1) << "code " << code;
    }
  }
}

}  // namespace
}  // namespace vexilo
