// What the Windows files of system/ share about calling the system: handles, names as the wide
// calls take them, and the system's errors as the error numbers the rest of the program knows.
#ifndef VEXILO_SYSTEM_WINDOWS_CALLS_H_
#define VEXILO_SYSTEM_WINDOWS_CALLS_H_

// Keeps <windows.h> from defining min and max, which would break std::min and std::max.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "system/files.h"

namespace vexilo {

// Files are opened with every sharing mode, as POSIX systems share them: another program may
// read, write or remove a file the program has open.
inline constexpr DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

inline HANDLE handleOf(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

// `handle` as a FileHandle; `noFile` for both of the system's ways of saying none (some calls
// return INVALID_HANDLE_VALUE, others null).
inline FileHandle fileHandleOf(HANDLE handle) {
  return handle == nullptr || handle == INVALID_HANDLE_VALUE ? noFile
                                                             : reinterpret_cast<FileHandle>(handle);
}

// `text`, UTF-8, as UTF-16; EILSEQ when it is not UTF-8.
Result<std::wstring> wideText(std::string_view text);

// `text`, UTF-16, as UTF-8 (a lone surrogate becomes U+FFFD).
std::string utf8Text(std::wstring_view text);

// The path that the system opens for `fileName`: its full path, as Windows makes it (the working
// directory before a relative name, "." and ".." taken out, "/" read as "\"), in the form that
// knows no length limit (see `longPathForm`). Fails for a name that can name no file
// (`checkFileName`) and for one that is not UTF-8.
Result<std::wstring> systemPath(const std::string& fileName);

// The error that stands for the system's `code` (GetLastError's by default).
Error errorFrom(DWORD code = ::GetLastError());

// As `errorFrom`, for a failure to open `path`, with the reason POSIX systems give where access to
// a directory was refused: EISDIR.
Error errorForPath(const std::wstring& path, DWORD code = ::GetLastError());

// As `errorForPath`, for a directory on the way to a file, and ENOTDIR where a file stands on the
// way, as on POSIX systems.
Error errorForDirectoryPath(const std::wstring& path, DWORD code = ::GetLastError());

// Whether `file` is open on a directory.
bool isDirectory(HANDLE file);

// Whether the name at `path` is a directory.
bool namesDirectory(const std::wstring& path);

}  // namespace vexilo

#endif  // VEXILO_SYSTEM_WINDOWS_CALLS_H_
