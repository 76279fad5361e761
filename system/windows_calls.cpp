// What the Windows files of system/ share: names as the wide calls take them, and the system's
// errors as the error numbers the rest of the program knows.
#include "system/windows_calls.h"

#include <algorithm>
#include <array>
#include <cerrno>

#include "system/windows_names.h"

namespace vexilo {
namespace {

// The reasons the program can meet, in glibc's words, so that a note reads the same on every
// system.
struct ErrorText {
  int number;
  const char* text;
};
constexpr std::array<ErrorText, 17> errorTexts = {{
    {ENOENT, "No such file or directory"},
    {EACCES, "Permission denied"},
    {EEXIST, "File exists"},
    {EISDIR, "Is a directory"},
    {ENOTDIR, "Not a directory"},
    {ENOSPC, "No space left on device"},
    {EFBIG, "File too large"},
    {EMFILE, "Too many open files"},
    {ENOMEM, "Cannot allocate memory"},
    {ENAMETOOLONG, "File name too long"},
    {ELOOP, "Too many levels of symbolic links"},
    {EILSEQ, "Invalid or incomplete multibyte or wide character"},
    {EPIPE, "Broken pipe"},
    {EBADF, "Bad file descriptor"},
    {EINVAL, "Invalid argument"},
    {EIO, "Input/output error"},
    {EBUSY, "Device or resource busy"},
}};

// The error number that stands for each of the system's codes that the program can meet; EIO for
// any other.
struct ErrorNumber {
  DWORD code;
  int number;
};
// clang-format off
constexpr ErrorNumber errorNumbers[] = {
    {ERROR_FILE_NOT_FOUND, ENOENT}, {ERROR_PATH_NOT_FOUND, ENOENT}, {ERROR_INVALID_DRIVE, ENOENT},
    {ERROR_BAD_NETPATH, ENOENT}, {ERROR_BAD_NET_NAME, ENOENT}, {ERROR_BAD_PATHNAME, ENOENT},
    {ERROR_INVALID_NAME, ENOENT}, {ERROR_ACCESS_DENIED, EACCES}, {ERROR_WRITE_PROTECT, EACCES},
    {ERROR_NETWORK_ACCESS_DENIED, EACCES}, {ERROR_SHARING_VIOLATION, EBUSY},
    {ERROR_LOCK_VIOLATION, EBUSY}, {ERROR_FILE_EXISTS, EEXIST}, {ERROR_ALREADY_EXISTS, EEXIST},
    {ERROR_DIRECTORY, ENOTDIR}, {ERROR_DISK_FULL, ENOSPC}, {ERROR_HANDLE_DISK_FULL, ENOSPC},
    {ERROR_FILE_TOO_LARGE, EFBIG}, {ERROR_TOO_MANY_OPEN_FILES, EMFILE},
    {ERROR_NOT_ENOUGH_MEMORY, ENOMEM}, {ERROR_OUTOFMEMORY, ENOMEM},
    {ERROR_FILENAME_EXCED_RANGE, ENAMETOOLONG}, {ERROR_CANT_RESOLVE_FILENAME, ELOOP},
    {ERROR_NO_UNICODE_TRANSLATION, EILSEQ}, {ERROR_BROKEN_PIPE, EPIPE}, {ERROR_NO_DATA, EPIPE},
    {ERROR_INVALID_HANDLE, EBADF}, {ERROR_INVALID_PARAMETER, EINVAL},
};
// clang-format on

}  // namespace

Result<std::wstring> wideText(std::string_view text) {
  if (text.empty()) return std::wstring();
  const int length = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                           static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) return errorNumbered(EILSEQ);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                        wide.data(), length);
  return wide;
}

std::string utf8Text(std::wstring_view text) {
  if (text.empty()) return std::string();
  const int length = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(std::max(length, 0)), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(),
                        length, nullptr, nullptr);
  return narrow;
}

Result<std::wstring> systemPath(const std::string& fileName) {
  if (Status nameable = checkFileName(fileName); !nameable) return nameable.error();
  const Result<std::wstring> wide = wideText(fileName);
  if (!wide) return wide.error();
  // The working directory may change in between, to a longer one: then the name is made again.
  for (;;) {
    const DWORD needed = ::GetFullPathNameW(wide->c_str(), 0, nullptr, nullptr);
    if (needed == 0) return errorFrom();
    std::wstring full(needed, L'\0');
    const DWORD length = ::GetFullPathNameW(wide->c_str(), needed, full.data(), nullptr);
    if (length == 0) return errorFrom();
    if (length >= needed) continue;
    full.resize(length);
    return longPathForm(full);
  }
}

Error errorFrom(DWORD code) {
  for (const ErrorNumber& known : errorNumbers) {
    if (known.code == code) return Error{known.number, code};
  }
  return Error{EIO, code};
}

Error errorForPath(const std::wstring& path, DWORD code) {
  if (code == ERROR_ACCESS_DENIED && namesDirectory(path)) return Error{EISDIR, code};
  return errorFrom(code);
}

Error errorForDirectoryPath(const std::wstring& path, DWORD code) {
  Error error = errorForPath(path, code);
  if (code != ERROR_PATH_NOT_FOUND) return error;
  // As on POSIX systems, a file where a directory should stand on the way is "Not a directory".
  for (std::size_t end = path.find_last_of(L'\\'); end != std::wstring::npos && end > 0;
       end = path.find_last_of(L'\\', end - 1)) {
    const DWORD attributes = ::GetFileAttributesW(path.substr(0, end).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) continue;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) error.number = ENOTDIR;
    break;
  }
  return error;
}

bool isDirectory(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION information{};
  return ::GetFileInformationByHandle(file, &information) != 0 &&
         (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool namesDirectory(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string systemErrorText(int errorNumber) {
  for (const ErrorText& known : errorTexts) {
    if (known.number == errorNumber) return known.text;
  }
  return "Unknown error " + std::to_string(errorNumber);
}

}  // namespace vexilo
