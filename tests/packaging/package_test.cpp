// The Debian package that cpack builds: its metadata, its files, and the program it installs.
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "gtest/gtest.h"
#include "tests/packaging/packaging_support.h"
#include "tests/support/run_program.h"
#include "tests/support/scoped_temp_dir.h"

namespace vexilo::testing {
namespace {

namespace fs = std::filesystem;

// The one package in the fixture's folder, or an empty path.
fs::path packageFile() {
  fs::path found;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(VEXILO_PACKAGE_DIR, error)) {
    if (entry.path().extension() == ".deb") found = entry.path();
  }
  return found;
}

std::string field(const fs::path& package, const std::string& name) {
  const CommandRun run =
      runCommand("dpkg-deb -f " + shellQuoted(package.string()) + " " + name + " 2>&1");
  EXPECT_EQ(run.exitStatus, 0) << run.output;
  std::string value = run.output;
  while (!value.empty() && value.back() == '\n') value.pop_back();
  return value;
}

// The package unpacked into a fresh temporary root, which is also the working directory.
class PackageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    package_ = packageFile();
    ASSERT_FALSE(package_.empty()) << "no package in " << VEXILO_PACKAGE_DIR;
    root_ = directory_.path() / "root";
    const CommandRun unpack = runCommand("dpkg-deb -x " + shellQuoted(package_.string()) + " " +
                                         shellQuoted(root_.string()) + " 2>&1");
    ASSERT_EQ(unpack.exitStatus, 0) << unpack.output;
  }

  ScopedTempDir directory_;
  fs::path package_;
  fs::path root_;
};

TEST_F(PackageTest, MetadataNamesTheProgramItsMaintainerAndItsLibraries) {
  EXPECT_EQ(field(package_, "Package"), "vexilo");
  EXPECT_EQ(field(package_, "Version"), VEXILO_VERSION);
  EXPECT_EQ(package_.filename().string(),
            "vexilo_" VEXILO_VERSION "_" + field(package_, "Architecture") + ".deb");
  const CommandRun architecture = runCommand("dpkg --print-architecture");
  EXPECT_EQ(field(package_, "Architecture") + "\n", architecture.output);

  const std::string maintainer = field(package_, "Maintainer");
  EXPECT_NE(maintainer.find(" <"), std::string::npos) << maintainer;
  EXPECT_NE(maintainer.find('@'), std::string::npos) << maintainer;
  EXPECT_EQ(maintainer.back(), '>') << maintainer;

  // The first line is the summary; the long description follows on lines indented by a blank.
  const std::string description = field(package_, "Description");
  EXPECT_EQ(description.substr(0, description.find('\n')), VEXILO_DESCRIPTION);
  ASSERT_NE(description.find("\n "), std::string::npos) << description;
  for (std::size_t start = 0; start < description.size();) {
    std::size_t end = description.find('\n', start);
    if (end == std::string::npos) end = description.size();
    EXPECT_LE(end - start, 80u) << description.substr(start, end - start);
    start = end + 1;
  }

  // Found by dpkg-shlibdeps from the libraries the program links, with their least versions.
  const std::string depends = field(package_, "Depends");
  for (const char* library : {"libc6 (>= ", "libstdc++6 (>= ", "libgcc-s1 (>= "}) {
    EXPECT_NE(depends.find(library), std::string::npos) << library << " in " << depends;
  }
  EXPECT_EQ(field(package_, "Section"), "utils");
}

TEST_F(PackageTest, InstallsTheProgramAndTheManualPageOwnedByRoot) {
  struct stat program {};
  ASSERT_EQ(::stat((root_ / "usr/bin/vexilo").c_str(), &program), 0);
  EXPECT_EQ(program.st_mode & 07777, 0755u);

  EXPECT_EQ(readFile(root_ / "usr/share/man/man1/vexilo.1"), readFile(VEXILO_MAN_PAGE_SOURCE));

  // Every file and folder in the archive belongs to root, as Debian requires.
  const CommandRun listing = runCommand("dpkg-deb -c " + shellQuoted(package_.string()));
  ASSERT_EQ(listing.exitStatus, 0);
  EXPECT_NE(listing.output.find("./usr/bin/vexilo\n"), std::string::npos) << listing.output;
  EXPECT_NE(listing.output.find("./usr/share/man/man1/vexilo.1\n"), std::string::npos)
      << listing.output;
  std::size_t lines = 0;
  for (std::size_t start = 0; start < listing.output.size(); ++lines) {
    const std::size_t end = listing.output.find('\n', start);
    const std::string line = listing.output.substr(start, end - start);
    EXPECT_NE(line.find(" root/root "), std::string::npos) << line;
    start = end == std::string::npos ? listing.output.size() : end + 1;
  }
  EXPECT_GE(lines, 2u);
}

TEST_F(PackageTest, InstalledProgramRunsTheExampleSessionLikeTheBuiltOne) {
  writeExampleStore();
  const ProgramRun installed =
      runProgram(exampleSession, 20.0, (root_ / "usr/bin/vexilo").string());
  EXPECT_EQ(installed.exitStatus, 0);
  EXPECT_EQ(installed.standardError, "");
  EXPECT_NE(installed.standardOutput.find("): xzywx, yczfh!\n"), std::string::npos);
  EXPECT_NE(installed.standardOutput.find("): hello, world!\n"), std::string::npos);

  const ProgramRun built = runProgram(exampleSession);
  EXPECT_EQ(installed.standardOutput, built.standardOutput);
  // A specific setting leaves the store as it was.
  EXPECT_EQ(readFile("initalSettings26.txt"), "0,0,0,1,2,0\n");
}

}  // namespace
}  // namespace vexilo::testing
