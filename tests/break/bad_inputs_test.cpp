// What the built vexilo-break does with input it cannot break, with a wrong command line, and with
// --help and --version: one table, each case in a fresh directory.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/run_program.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/store_fixture.h"

namespace vexilo::testing {
namespace {

enum class Store { none, known, knownWithBadLine };

struct BadInputCase {
  const char* name;
  Store store;
  const char* message;  // written to message.txt, and given as standard input
  std::vector<std::string> arguments;
  int exitStatus;
  const char* standardErrorHolds;   // "" for no standard error at all
  const char* standardOutputStart;  // "" for no standard output at all
};

const BadInputCase badInputCases[] = {
    {"no store",
     Store::none,
     "qzvne kpcwm",
     {"message.txt"},
     1,
     "vexilo-break: no store: ExistingRotorSettings26.txt cannot be read\n",
     ""},
    {"no registry with --components",
     Store::none,
     "qzvne kpcwm",
     {"--components", "message.txt"},
     1,
     "no store",
     ""},
    {"no ciphertext file",
     Store::known,
     "",
     {"missing.txt"},
     1,
     "vexilo-break: cannot open missing.txt: No such file or directory\n",
     ""},
    {"empty ciphertext",
     Store::known,
     "",
     {"message.txt"},
     1,
     "vexilo-break: message.txt is empty: there is nothing to break\n",
     ""},
    {"ciphertext without letters",
     Store::known,
     "12, 34!\n",
     {"message.txt"},
     1,
     "vexilo-break: message.txt holds no letters: there is nothing to break\n",
     ""},
    {"empty standard input",
     Store::known,
     "",
     {"-"},
     1,
     "vexilo-break: standard input is empty: there is nothing to break\n",
     ""},
    {"crib longer than the message",
     Store::known,
     "qzv ne",
     {"--crib", "weather", "message.txt"},
     1,
     "vexilo-break: the crib 'weather' has 7 letters, more than the message's 5\n",
     ""},
    {"crib that can stand nowhere",
     Store::known,
     "aaaa",
     {"--crib", "xa", "message.txt"},
     1,
     "the crib 'xa' can stand nowhere",
     ""},
    {"crib with a non-letter",
     Store::known,
     "qzvne kpcwm",
     {"--crib", "dawn!", "message.txt"},
     2,
     "vexilo-break: the crib must be a word of the letters a to z, not 'dawn!'\n",
     ""},
    {"empty crib",
     Store::known,
     "qzvne kpcwm",
     {"--crib=", "message.txt"},
     2,
     "the crib must be a word",
     ""},
    {"unknown option",
     Store::known,
     "qzvne",
     {"--fast", "message.txt"},
     2,
     "vexilo-break: unknown option '--fast'\n",
     ""},
    {"top of 0",
     Store::known,
     "qzvne",
     {"--top", "0", "message.txt"},
     2,
     "--top takes a number from 1 to 1000, not '0'",
     ""},
    {"option without its value",
     Store::known,
     "qzvne",
     {"message.txt", "--store"},
     2,
     "option '--store' needs a value",
     ""},
    {"no ciphertext given", Store::known, "qzvne", {}, 2, "no ciphertext file given", ""},
    {"two ciphertexts",
     Store::known,
     "qzvne",
     {"message.txt", "other.txt"},
     2,
     "one ciphertext only",
     ""},
    // --decipher once emptied whatever file it was given, the ciphertext and the store's too.
    {"--decipher onto the registry",
     Store::known,
     "qzvne kpcwm",
     {"--decipher", "initalSettings26.txt", "message.txt"},
     1,
     "vexilo-break: cannot open initalSettings26.txt: it is a file of the store\n",
     ""},
    {"--decipher onto the ciphertext",
     Store::known,
     "qzvne kpcwm",
     {"--decipher", "./message.txt", "message.txt"},
     1,
     "vexilo-break: cannot open ./message.txt: it is the input file\n",
     ""},
    {"--components on the known store",
     Store::known,
     "qzvne kpcwm",
     {"--components", "-"},
     0,
     "vexilo-break: 12 choices of components to try (3 rotors, 1 reflectors and 2 plugboards)\n",
     ""},
    {"unreadable registry line",
     Store::knownWithBadLine,
     "qzvne kpcwm",
     {"message.txt"},
     0,
     "vexilo-break: initalSettings26.txt: line 5 passed over: its ID cannot be read\n",
     ""},
    {"setting with a missing rotor",
     Store::known,
     "qzvne kpcwm",
     {"--top", "9", "-"},
     0,
     "vexilo-break: 1 settings not tried: a component of theirs is missing from the store or "
     "cannot serve as one\n",
     ""},
    {"help", Store::none, "", {"--help"}, 0, "", "Usage: vexilo-break [OPTION]... FILE\n"},
    {"version",
     Store::none,
     "",
     {"message.txt", "--version"},
     0,
     "",
     "vexilo-break " VEXILO_VERSION "\n"},
};

TEST(BreakBadInputsTest, EachCaseEndsWithItsMessageAndStatus) {
  for (const BadInputCase& testCase : badInputCases) {
    ScopedTempDir directory;
    if (testCase.store != Store::none) writeKnownStore();
    if (testCase.store == Store::knownWithBadLine) {
      writeFile(registryFile, knownRegistry() + "zz,0,0,1,2,0\n");
    }
    if (std::string(testCase.name) != "no ciphertext file") {
      writeFile("message.txt", testCase.message);
    }
    ProgramOptions options;
    options.arguments = testCase.arguments;
    const ProgramRun run = runProgram(testCase.message, 60.0, VEXILO_BREAK_BINARY, options);
    EXPECT_EQ(run.exitStatus, testCase.exitStatus) << testCase.name << "\n" << run.standardError;
    const std::string holds = testCase.standardErrorHolds;
    if (holds.empty()) {
      EXPECT_EQ(run.standardError, "") << testCase.name;
    } else {
      EXPECT_NE(run.standardError.find(holds), std::string::npos)
          << testCase.name << ": standard error is\n"
          << run.standardError;
    }
    if (std::string(testCase.name) != "no ciphertext file") {
      EXPECT_EQ(readFile("message.txt"), testCase.message) << testCase.name;
    }
    if (testCase.store == Store::known) {
      EXPECT_EQ(readFile(registryFile), knownRegistry()) << testCase.name;
    }
    const std::string start = testCase.standardOutputStart;
    if (testCase.exitStatus != 0) {
      EXPECT_EQ(run.standardOutput, "") << testCase.name;
    } else if (!start.empty()) {
      EXPECT_EQ(run.standardOutput.substr(0, start.size()), start)
          << testCase.name << ": standard output is\n"
          << run.standardOutput;
    }
  }
}

}  // namespace
}  // namespace vexilo::testing
