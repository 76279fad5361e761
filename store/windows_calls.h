// What the Windows files of the program share about calling the system: names as the wide calls
// take them, and the system's errors as the error numbers the rest of the program knows.
#ifndef VEXILO_STORE_WINDOWS_CALLS_H_
#define VEXILO_STORE_WINDOWS_CALLS_H_

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "store/file_system.h"

namespace vexilo {

inline HANDLE handleOf(FileHandle file) { return reinterpret_cast<HANDLE>(file); }
inline FileHandle fileHandleOf(HANDLE handle) { return reinterpret_cast<FileHandle>(handle); }

// `text`, UTF-8, as UTF-16; nullopt, with errno EILSEQ, when it is not UTF-8.
std::optional<std::wstring> wideText(std::string_view text);

// `text`, UTF-16, as UTF-8 (a lone surrogate becomes U+FFFD).
std::string utf8Text(std::wstring_view text);

// The path that the system opens for `fileName`: its full path, as Windows makes it (the working
// directory before a relative name, "." and ".." taken out, "/" read as "\"), in the form that
// knows no length limit ("\\?\C:\..." or "\\?\UNC\server\share\..."). Nothing, with errno set,
// for a name with a NUL byte (`nameHoldsNul`), an empty name or one that is not UTF-8.
std::optional<std::wstring> systemPath(const std::string& fileName);

// Sets errno to the error number that stands for `error` (GetLastError's by default).
void setErrnoFrom(DWORD error = ::GetLastError());

// As `setErrnoFrom`, for a failure to open `path`, with the reasons POSIX systems give: EISDIR
// where access to a directory was refused, ENOTDIR where a file stands on the way.
void setErrnoForPath(const std::wstring& path, DWORD error = ::GetLastError());

// Whether `file` is open on a directory.
bool isDirectory(HANDLE file);

// Whether the name at `path` is a directory.
bool namesDirectory(const std::wstring& path);

}  // namespace vexilo

#endif  // VEXILO_STORE_WINDOWS_CALLS_H_
