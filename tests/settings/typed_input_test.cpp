// File names as they are typed: one word, or in double quotes with blanks.
#include "settings/typed_input.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tests/support/streams.h"

namespace vexilo {
namespace {

using testing::restOf;

TEST(TypedInputTest, AFileNameIsOneWordOrRunsFromADoubleQuoteToTheNextOnItsLine) {
  const struct {
    std::string typed;
    TypedFileName outcome;
    std::string name;
    std::string rest;  // what is left in the stream
  } cases[] = {
      {"plain.txt\nout.txt\n", TypedFileName::taken, "plain.txt", "\nout.txt\n"},
      {"  in.txt out.txt\n", TypedFileName::taken, "in.txt", " out.txt\n"},
      {"\"my letter.txt\"\n1\n", TypedFileName::taken, "my letter.txt", "\n1\n"},
      {" \"C:\\Users\\Ann Lee\\a b.txt\" \"x y\"\n", TypedFileName::taken,
       "C:\\Users\\Ann Lee\\a b.txt", " \"x y\"\n"},
      {"\"Zo\xc3\xab M\xc3\xbcller.txt\"\n", TypedFileName::taken, "Zo\xc3\xab M\xc3\xbcller.txt",
       "\n"},
      {"\"\"\n", TypedFileName::taken, "", "\n"},
      {"\"a\tb\rc\"", TypedFileName::taken, "a\tb\rc", ""},
      {"my\"quote\".txt\n", TypedFileName::taken, "my\"quote\".txt", "\n"},
      {"my letter.txt\n", TypedFileName::taken, "my", " letter.txt\n"},
      {"\"my letter.txt\n\"next\"\n", TypedFileName::unclosed, "\"my letter.txt", "\n\"next\"\n"},
      {"\"\n", TypedFileName::unclosed, "\"", "\n"},
      {"\"cut off", TypedFileName::ended, "", ""},
      {"cut-off", TypedFileName::ended, "cut-off", ""},
      {"  \n ", TypedFileName::ended, "", ""},
  };
  for (const auto& c : cases) {
    std::istringstream in(c.typed);
    std::string name = "old";
    EXPECT_EQ(readTypedFileName(in, name), c.outcome) << c.typed;
    if (c.outcome != TypedFileName::ended) {
      EXPECT_EQ(name, c.name) << c.typed;
    }
    EXPECT_EQ(restOf(in), c.rest) << c.typed;
  }
}

TEST(TypedInputTest, AQuotedNameKeepsItsFirstBytesAndIsReadToItsClosingQuote) {
  std::istringstream in("\"" + std::string(typedWordLimit + 10, 'n') + " x\"\nrest");
  std::string name;
  EXPECT_EQ(readTypedFileName(in, name), TypedFileName::taken);
  EXPECT_EQ(name, std::string(typedWordLimit, 'n'));
  EXPECT_EQ(restOf(in), "\nrest");
}

}  // namespace
}  // namespace vexilo
