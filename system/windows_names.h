// How Windows names split, as plain functions of the text, so that every system tests them. A
// path here is a full path as the system makes it (GetFullPathNameW): "C:\dir\name",
// "\\server\share\dir\name", "\\?\C:\dir\name" (the form that knows no length limit), or a
// device's "\\.\NUL" (the system makes "NUL", "CON" and the other device names so, in any
// directory).
#ifndef VEXILO_SYSTEM_WINDOWS_NAMES_H_
#define VEXILO_SYSTEM_WINDOWS_NAMES_H_

#include <string>
#include <string_view>

namespace vexilo {

// `fullPath` in the form that knows no length limit: "\\?\C:\..." for a drive's path,
// "\\?\UNC\server\share\..." for "\\server\share\..."; a path in that form already and a device's
// path ("\\.\NUL") stay as they are.
std::wstring longPathForm(std::wstring_view fullPath);

// A path as the directory it names a file in and the file's name there.
struct WindowsPathParts {
  std::wstring directory;
  std::wstring name;  // empty when the path ends in a separator: it names a directory
};

// Splits `path` at its last "\". The root of a drive is "C:\", with its separator ("\\?\C:\x" is
// "x" in "\\?\C:\"); a device's path is its name in "\\." ("\\.\NUL" is "NUL" in "\\.").
WindowsPathParts splitWindowsPath(std::wstring_view path);

// Whether `path` is a device's path ("\\.\NUL", "\\.\CON"), which no directory holds.
bool namesADevice(std::wstring_view path);

// Whether `name`, the last part of a path, names a stream of a file ("store.txt::$DATA" is
// store.txt itself) or a device's file ("C:"): a file other than the one the name spells.
bool namesAStream(std::wstring_view name);

}  // namespace vexilo

#endif  // VEXILO_SYSTEM_WINDOWS_NAMES_H_
