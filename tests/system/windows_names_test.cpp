#include "system/windows_names.h"

#include <gtest/gtest.h>

#include <string>

namespace vexilo {
namespace {

std::string narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

TEST(WindowsNamesTest, AFullPathTakesTheFormThatKnowsNoLengthLimit) {
  const struct {
    std::wstring fullPath;
    std::wstring longForm;
  } cases[] = {
      {L"C:\\store\\rotors.txt", L"\\\\?\\C:\\store\\rotors.txt"},
      {L"C:\\", L"\\\\?\\C:\\"},
      {L"\\\\server\\share\\store.txt", L"\\\\?\\UNC\\server\\share\\store.txt"},
      {L"\\\\?\\C:\\store.txt", L"\\\\?\\C:\\store.txt"},
      {L"\\\\?\\UNC\\server\\share\\x", L"\\\\?\\UNC\\server\\share\\x"},
      {L"\\\\.\\NUL", L"\\\\.\\NUL"},
      {L"\\\\.\\CON", L"\\\\.\\CON"},
  };
  for (const auto& given : cases) {
    EXPECT_EQ(narrow(longPathForm(given.fullPath)), narrow(given.longForm))
        << narrow(given.fullPath);
  }
}

TEST(WindowsNamesTest, APathSplitsIntoItsDirectoryAndLastName) {
  const struct {
    std::wstring path;
    std::wstring directory;
    std::wstring name;
  } cases[] = {
      {L"\\\\?\\C:\\store\\rotors.txt", L"\\\\?\\C:\\store", L"rotors.txt"},
      // The root of a drive keeps its separator: "C:" alone is the drive's working directory.
      {L"\\\\?\\C:\\rotors.txt", L"\\\\?\\C:\\", L"rotors.txt"},
      {L"C:\\rotors.txt", L"C:\\", L"rotors.txt"},
      {L"\\\\?\\UNC\\server\\share\\store.txt", L"\\\\?\\UNC\\server\\share", L"store.txt"},
      // A device's name, which the system makes of "NUL" in any directory.
      {L"\\\\.\\NUL", L"\\\\.", L"NUL"},
      {L"\\\\.\\CON", L"\\\\.", L"CON"},
      // A name that ends in a separator names a directory.
      {L"\\\\?\\C:\\store\\", L"\\\\?\\C:\\store", L""},
      {L"rotors.txt", L"", L"rotors.txt"},
  };
  for (const auto& given : cases) {
    const WindowsPathParts parts = splitWindowsPath(given.path);
    EXPECT_EQ(narrow(parts.directory), narrow(given.directory)) << narrow(given.path);
    EXPECT_EQ(narrow(parts.name), narrow(given.name)) << narrow(given.path);
  }
}

// File mode's output NUL was refused as "No such file or directory": a device's path was taken as
// a name in the directory "\\.", which cannot be opened.
TEST(WindowsNamesTest, ADevicesPathNamesADevice) {
  const struct {
    std::wstring path;
    bool device;
  } cases[] = {
      {L"\\\\.\\NUL", true},
      {L"\\\\.\\CON", true},
      {L"\\\\.\\COM1", true},
      {L"\\\\.\\", false},
      {L"\\\\?\\C:\\NUL.txt", false},
      {L"\\\\.\\C:\\store\\rotors.txt", false},
      {L"C:\\NUL", false},
  };
  for (const auto& given : cases)
    EXPECT_EQ(namesADevice(given.path), given.device) << narrow(given.path);
}

TEST(WindowsNamesTest, AColonInALastNameNamesAStream) {
  EXPECT_TRUE(namesAStream(L"store.txt::$DATA"));
  EXPECT_TRUE(namesAStream(L"notes.txt:hidden"));
  EXPECT_FALSE(namesAStream(L"store.txt"));
}

}  // namespace
}  // namespace vexilo
