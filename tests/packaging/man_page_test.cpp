// The manual page: it formats without warnings, and its examples, and the README's sample session,
// are the program's real output.
#include <string>
#include <utility>
#include <vector>

#include "gtest/gtest.h"
#include "tests/e2e/e2e_support.h"
#include "tests/packaging/documented_session.h"
#include "tests/packaging/packaging_support.h"
#include "tests/support/run_program.h"
#include "tests/support/scoped_temp_dir.h"

namespace vexilo::testing {
namespace {

TEST(ManPageTest, FormatsWithoutAnyWarning) {
  for (const char* page : {VEXILO_MAN_PAGE_SOURCE, VEXILO_BREAK_MAN_PAGE_SOURCE}) {
    const CommandRun run = runCommand("groff -man -ww -z " + shellQuoted(page) + " 2>&1");
    EXPECT_EQ(run.exitStatus, 0) << page;
    EXPECT_EQ(run.output, "") << page;
  }
}

// From an empty directory, as a newcomer starts: the prompts and messages are the program's own,
// and setting 0, chosen by its ID in a second run, deciphers the first run's line.
TEST(SampleSessionTest, ReadmeAndManualPageSessionsAreTheProgramsOwnOutput) {
  const std::pair<const char*, std::vector<SessionLine>> documents[] = {
      {"README.md", readmeSession(readFile(VEXILO_README))},
      {"man/vexilo.1", manualSession(readFile(VEXILO_MAN_PAGE_SOURCE))}};
  for (const auto& [document, session] : documents) {
    SCOPED_TRACE(document);
    const ScopedTempDir directory;
    const std::vector<ProgramRun> runs = playSession(session);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_NE(runs[1].standardOutput.find(linePrompt + "hello, world!\n"), std::string::npos)
        << runs[1].standardOutput;
  }
}

TEST(ManPageTest, MenusAndTraceShownInTheDescriptionAreTheProgramsOwnOutput) {
  const ScopedTempDir directory;
  writeExampleStore();
  // Setting 0, the letter a in descriptive mode, then exit.
  const ProgramRun run = runProgram("2\n0\n2\na\n-\n1\n");
  ASSERT_EQ(run.exitStatus, 0);

  std::size_t checked = 0;
  for (const ExampleBlock& block : exampleBlocks(readFile(VEXILO_MAN_PAGE_SOURCE))) {
    if (block.section != "DESCRIPTION") continue;
    for (const SessionLine& line : block.lines) {
      EXPECT_EQ(line.typed, "");
      EXPECT_NE(run.standardOutput.find(line.written), std::string::npos)
          << "not in the program's output: \"" << line.written << "\"";
      ++checked;
    }
  }
  EXPECT_GE(checked, 7u) << "the two menus and the trace";
}

TEST(ManPageTest, NamesTheFourStoreFilesAsTheProgramOpensThem) {
  const std::string page = readFile(VEXILO_MAN_PAGE_SOURCE);
  for (const std::string& name : {rotorFile, reflectorFile, plugboardFile, registryFile}) {
    EXPECT_NE(page.find(std::string(".I ") + name + "\n"), std::string::npos) << name;
  }
  // An empty directory: each of them is created by the first random setting.
  const ScopedTempDir directory;
  ASSERT_EQ(runProgram("1\n").exitStatus, 0);
  for (const std::string& name : {rotorFile, reflectorFile, plugboardFile, registryFile}) {
    EXPECT_NE(readFile(name), "<absent>") << name;
  }
}

// A version once lived in several places that nothing held together.
TEST(ManPageTest, ChangeLogsAndManualNameTheVersionThatTheProgramPrints) {
  ProgramOptions version;
  version.arguments = {"--version"};
  EXPECT_EQ(runProgram("", 20.0, VEXILO_BINARY, version).standardOutput,
            "vexilo " VEXILO_VERSION "\n");
  const std::string changeLog = readFile(VEXILO_SOURCE_DIR "/CHANGELOG.md");
  const std::size_t unreleased = changeLog.find("\n## [Unreleased]\n");
  EXPECT_EQ(changeLog.find("\n## [", unreleased + 1),
            changeLog.find("\n## [" VEXILO_VERSION "] - "))
      << "the latest version of CHANGELOG.md";
  EXPECT_TRUE(readFile(VEXILO_SOURCE_DIR "/cmake/debian-changelog")
                  .starts_with("vexilo (" VEXILO_VERSION ") "));
  EXPECT_NE(readFile(VEXILO_MAN_PAGE_SOURCE).find(" \"vexilo " VEXILO_VERSION "\" "),
            std::string::npos);
}

}  // namespace
}  // namespace vexilo::testing
