// Whole sessions whose standard input is cut short at every byte: each cut run must end at once
// with status 0, having written the start of what the whole session writes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/console_texts.h"
#include "tests/support/run_program.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/store_fixture.h"

namespace vexilo::testing {
namespace {

// A cut run must end this soon: it only has to notice the end of its input.
constexpr double cutRunTimeLimit = 2.0;

// The known store, whose setting 100000 uses rotors 0, 1, 2, reflector 0 and plugboard 0. The
// last registry line, FFFFE, cannot be loaded, and every random pick lies in 0 to FFFFE, so a
// random setting always fails with "something went wrong, please try again".
void writeStore() {
  writeKnownStore();
  writeFile(registryFile, "100000,0,0,1,2,0\nFFFFE,x\n");
  writeFile("in.txt", "First line.\nSecond LINE, with more!\nlast line without end");
}

struct Session {
  const char* name;
  std::string input;
  int exitStatus = 0;  // of the whole session; a cut one ends with 0, or 1 after a refused output
};

const std::vector<Session> storedSettingSessions = {
    {"every dialogue branch, then quick mode",
     "xyz 1\n2\n-1\n2 -01\n21A\n1\n2\n100000\n1\naB7c-\n1\n"},
    {"descriptive mode, menu answers that are no mode, reset, negative mode",
     "2 100000\n9\n0\nfoo\n99999999999\n2\nhello-\n2\n1\n-3\n1\n"},
    {"line mode twice, with an empty line and a reset refused",
     "2 100000\n3\nHello, World!\n2\n\n1\n2\n2\n3\nabc\n1\n1\n"},
    {"file mode, the output named as the input, then a missing input",
     "2 100000\n4\nin.txt\nout.txt\n2\n1\n4\nin.txt\nin.txt\n2\n2\n4\nmissing.txt\n", 1},
};

int cutPointsTried = 0;

void expectPrefixOfWholeRun(const std::string& cutInput, const ProgramRun& cut,
                            const std::string& wholeOutput, const char* sessionName) {
  ++cutPointsTried;
  ASSERT_FALSE(cut.timedOut) << sessionName << ", input cut to \"" << cutInput << "\"";
  const bool outputRefused =
      cut.standardOutput.find(outputFilePrompt + unableToOpen) != std::string::npos;
  ASSERT_EQ(cut.exitStatus, outputRefused ? 1 : 0)
      << sessionName << ", input cut to \"" << cutInput << "\"";
  ASSERT_TRUE(wholeOutput.starts_with(cut.standardOutput))
      << sessionName << ", input cut to \"" << cutInput << "\" wrote:\n"
      << cut.standardOutput << "\nwhole session wrote:\n"
      << wholeOutput;
}

TEST(CutInputTest, SessionsWithAStoredSettingCutAtEveryByteWriteAPrefix) {
  for (const Session& session : storedSettingSessions) {
    std::string wholeOutput;
    {
      ScopedTempDir directory;
      writeStore();
      const ProgramRun whole = runProgram(session.input);
      ASSERT_EQ(whole.exitStatus, session.exitStatus) << session.name;
      wholeOutput = whole.standardOutput;
    }
    for (std::size_t cut = 0; cut < session.input.size(); ++cut) {
      ScopedTempDir directory;
      writeStore();
      const std::string cutInput = session.input.substr(0, cut);
      expectPrefixOfWholeRun(cutInput, runProgram(cutInput, cutRunTimeLimit), wholeOutput,
                             session.name);
      if (::testing::Test::HasFatalFailure()) return;
    }
  }
}

// Words, numbers and lines cut off by the end of input were once taken as typed: a cut setting
// ID was looked up ("ID not found"), a cut file name opened, a cut line enciphered.
TEST(CutInputTest, AnAnswerThatTheEndOfInputCutsOffIsNotTaken) {
  struct Case {
    std::string input;
    std::string expectedEnd;  // the last text written
    const char* fileNotMade;  // a file the cut name must not create, or nullptr
  };
  const Case cases[] = {
      {"2 10", idPrompt, nullptr},
      {"2 100000\n1", modeMenu, nullptr},
      {"2 100000\n-", modeMenu, nullptr},
      {"2 100000\n3\nHel", linePrompt, nullptr},
      {"2 100000\n4\nin.t", inputFilePrompt, nullptr},
      {"2 100000\n4\nin.txt\nou", outputFilePrompt, "ou"},
  };
  for (const Case& c : cases) {
    ScopedTempDir directory;
    writeStore();
    const ProgramRun run = runProgram(c.input, cutRunTimeLimit);
    EXPECT_EQ(run.exitStatus, 0) << c.input;
    EXPECT_TRUE(run.standardOutput.ends_with(c.expectedEnd))
        << "input \"" << c.input << "\" wrote:\n"
        << run.standardOutput;
    if (c.fileNotMade != nullptr) {
      EXPECT_EQ(readFile(c.fileNotMade), "<absent>") << c.input;
    }
  }
}

// A random setting in an empty directory is always setting 0, made of new components whose
// wirings differ from run to run. So each cut run is compared with the whole session run on the
// store that the cut run made, choosing setting 0 by its ID instead.
TEST(CutInputTest, RandomSettingSessionCutAtEveryByteWritesAPrefix) {
  const std::string randomChoice = "1\n";
  const std::string rest = "1\nab-\n2\n2\n3\nSome text.\n1\n2\n1\n2\nq-\n1\n";
  const std::string input = randomChoice + rest;
  std::string emptyStoreLines;
  for (int file = 0; file < 4; ++file) emptyStoreLines += unableToOpen;
  for (std::size_t cut = 0; cut <= input.size(); ++cut) {
    ScopedTempDir directory;
    const std::string cutInput = input.substr(0, cut);
    const ProgramRun cutRun = runProgram(cutInput, cutRunTimeLimit);
    std::string wholeOutput = setupMenu;
    if (readFile(registryFile) != "<absent>") {
      const ProgramRun byId = runProgram("2\n0\n" + rest);
      ASSERT_EQ(byId.exitStatus, 0);
      // Drop the menu and the ID prompt that choosing by ID shows.
      std::size_t afterPrompt = 0;
      for (int line = 0; line < 3; ++line)
        afterPrompt = byId.standardOutput.find('\n', afterPrompt) + 1;
      wholeOutput += emptyStoreLines + byId.standardOutput.substr(afterPrompt);
    }
    expectPrefixOfWholeRun(cutInput, cutRun, wholeOutput, "random setting");
    if (::testing::Test::HasFatalFailure()) return;
  }
  std::cout << "cut points tried over all sessions so far: " << cutPointsTried << "\n";
}

}  // namespace
}  // namespace vexilo::testing
