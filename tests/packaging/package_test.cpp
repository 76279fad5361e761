// The Debian package that cpack builds: its metadata, its files, and the program it installs.
#include <sys/stat.h>

#include <filesystem>
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

// The package installed by dpkg into a fresh temporary root, with a database of its own; the
// libraries it depends on are those of the running system.
class PackageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    package_ = packageFile();
    ASSERT_FALSE(package_.empty()) << "no package in " << VEXILO_PACKAGE_DIR;
    root_ = directory_.path() / "root";
    fs::create_directories(root_ / "var/lib/dpkg/info");
    fs::create_directories(root_ / "var/lib/dpkg/updates");
    writeFile(root_ / "var/lib/dpkg/status", "");
    const CommandRun install =
        runCommand("dpkg --root=" + shellQuoted(root_.string()) +
                   " --force-depends --force-not-root --log=/dev/null --install " +
                   shellQuoted(package_.string()) + " 2>&1");
    ASSERT_EQ(install.exitStatus, 0) << install.output;
  }

  ScopedTempDir directory_;
  fs::path package_;
  fs::path root_;
};

TEST_F(PackageTest, LintianFindsNothingAndTheMetadataNamesTheProgramAndItsLibraries) {
  // Neither errors nor warnings; notes of the informational kind are not shown.
  const CommandRun lintian = runCommand("lintian --fail-on error,warning " +
                                        shellQuoted(package_.string()) + " 2>/dev/null");
  EXPECT_EQ(lintian.exitStatus, 0) << lintian.output;
  EXPECT_EQ(lintian.output, "");

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
  // The project's own address, no placeholder of a reserved domain.
  EXPECT_EQ(maintainer.find(".example>"), std::string::npos) << maintainer;

  // The first line is the summary; the long description follows on lines indented by a blank.
  const std::string description = field(package_, "Description");
  // The synopsis is the manual page's.
  const std::string synopsis = description.substr(0, description.find('\n'));
  EXPECT_NE(readFile(VEXILO_MAN_PAGE_SOURCE).find("\nvexilo \\- " + synopsis + "\n"),
            std::string::npos)
      << synopsis;
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

TEST_F(PackageTest, InstallsTheStrippedProgramTheCompressedManualPageAndTheCopyright) {
  struct stat program {};
  ASSERT_EQ(::stat((root_ / "usr/bin/vexilo").c_str(), &program), 0);
  EXPECT_EQ(program.st_mode & 07777, 0755u);
  const CommandRun symbols =
      runCommand("file -b " + shellQuoted((root_ / "usr/bin/vexilo").string()));
  EXPECT_NE(symbols.output.find(", stripped"), std::string::npos) << symbols.output;

  // gzip -9n: neither a file name (flag 0x08) nor a time in the header.
  for (const auto& [compressed, source] :
       {std::pair{root_ / "usr/share/man/man1/vexilo.1.gz", fs::path(VEXILO_MAN_PAGE_SOURCE)},
        std::pair{root_ / "usr/share/doc/vexilo/changelog.gz",
                  fs::path(VEXILO_SOURCE_DIR) / "cmake/debian-changelog"}}) {
    const std::string bytes = readFile(compressed);
    ASSERT_GT(bytes.size(), 10u) << compressed;
    EXPECT_EQ(bytes.substr(0, 3), "\x1f\x8b\x08") << compressed;
    EXPECT_EQ(bytes.substr(3, 5), std::string(5, '\0')) << compressed;
    EXPECT_EQ(runCommand("gzip -dc " + shellQuoted(compressed.string())).output, readFile(source))
        << compressed;
  }

  // Debian's machine-readable copyright, carrying the licence of LICENSE line for line.
  const std::string copyright = readFile(root_ / "usr/share/doc/vexilo/copyright");
  EXPECT_TRUE(copyright.starts_with("Format: https://www.debian.org/doc/packaging-manuals/"))
      << copyright;
  EXPECT_NE(copyright.find("\nLicense: Expat\n"), std::string::npos) << copyright;
  const std::string license = readFile(fs::path(VEXILO_SOURCE_DIR) / "LICENSE");
  const std::string holder = "Copyright (c) ";
  const std::size_t holderAt = license.find(holder) + holder.size();
  ASSERT_GE(holderAt, holder.size()) << license;
  EXPECT_NE(
      copyright.find("\nCopyright: " +
                     license.substr(holderAt, license.find('\n', holderAt) - holderAt) + "\n"),
      std::string::npos)
      << copyright;
  for (const std::string& line : splitLines(license.substr(license.find("Permission")))) {
    EXPECT_NE(copyright.find("\n " + (line.empty() ? "." : line) + "\n"), std::string::npos)
        << line;
  }

  // dpkg finds every installed file as the package's checksums say.
  const CommandRun verify =
      runCommand("dpkg --root=" + shellQuoted(root_.string()) + " --verify vexilo 2>&1");
  EXPECT_EQ(verify.exitStatus, 0) << verify.output;
  EXPECT_EQ(verify.output, "");

  // Every file and folder in the archive belongs to root, as Debian requires.
  const CommandRun listing = runCommand("dpkg-deb -c " + shellQuoted(package_.string()));
  ASSERT_EQ(listing.exitStatus, 0);
  EXPECT_NE(listing.output.find("./usr/bin/vexilo\n"), std::string::npos) << listing.output;
  EXPECT_NE(listing.output.find("./usr/share/man/man1/vexilo.1.gz\n"), std::string::npos)
      << listing.output;
  EXPECT_NE(listing.output.find("./usr/bin/vexilo-break\n"), std::string::npos) << listing.output;
  EXPECT_NE(listing.output.find("./usr/share/man/man1/vexilo-break.1.gz\n"), std::string::npos)
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

TEST_F(PackageTest, InstalledProgramPlaysTheReadmeSessionFromAnEmptyDirectory) {
  const ScopedTempDir empty;
  const std::vector<ProgramRun> runs =
      playSession(readmeSession(readFile(VEXILO_README)), (root_ / "usr/bin/vexilo").string());
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_NE(runs[1].standardOutput.find(linePrompt + "hello, world!\n"), std::string::npos)
      << runs[1].standardOutput;
}

}  // namespace
}  // namespace vexilo::testing
