// The file system on Windows, through the system's wide calls, so that names beyond ASCII (UTF-8
// in the program) open the files of those names. Files are opened with every sharing mode, as
// POSIX systems share them: another program may read, write or remove a file the program has open.
#include "store/file_system.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <utility>

#include "store/windows_calls.h"

namespace vexilo {
namespace {

constexpr DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The most that one call reads or writes: a DWORD counts the bytes.
constexpr std::size_t largestTransfer = std::size_t{1} << 30;

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

// The error number that stands for a system error.
int errorNumberOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_NAME:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_NETWORK_ACCESS_DENIED:
      return EACCES;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EBUSY;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_DIRECTORY:
      return ENOTDIR;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_FILE_TOO_LARGE:
      return EFBIG;
    case ERROR_TOO_MANY_OPEN_FILES:
      return EMFILE;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return ENOMEM;
    case ERROR_FILENAME_EXCED_RANGE:
      return ENAMETOOLONG;
    case ERROR_CANT_RESOLVE_FILENAME:
      return ELOOP;
    case ERROR_NO_UNICODE_TRANSLATION:
      return EILSEQ;
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
      return EPIPE;
    case ERROR_INVALID_HANDLE:
      return EBADF;
    case ERROR_INVALID_PARAMETER:
      return EINVAL;
    default:
      return EIO;
  }
}

// Opens `fileName` with `access`, as `creation` says; with errno set on failure, EISDIR where a
// directory stands that cannot be opened that way.
FileDescriptor openWith(const std::string& fileName, DWORD access, DWORD creation, DWORD flags) {
  const std::optional<std::wstring> path = systemPath(fileName);
  if (!path) return FileDescriptor();
  const HANDLE file =
      ::CreateFileW(path->c_str(), access, shareAll, nullptr, creation, flags, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_ACCESS_DENIED && namesDirectory(*path)) {
      errno = EISDIR;
    } else {
      setErrnoFrom(error);
    }
    return FileDescriptor();
  }
  return FileDescriptor(fileHandleOf(file));
}

// Keeps `file` only when it is a regular file: a file on a disk, not a directory, a console or a
// device.
FileDescriptor regularOnly(FileDescriptor file) {
  if (!file.isOpen()) return file;
  const HANDLE handle = handleOf(file.get());
  if (isDirectory(handle)) {
    errno = EISDIR;
    return FileDescriptor();
  }
  if (::GetFileType(handle) != FILE_TYPE_DISK) {
    errno = notARegularFile;
    return FileDescriptor();
  }
  return file;
}

}  // namespace

std::optional<std::wstring> wideText(std::string_view text) {
  if (text.empty()) return std::wstring();
  const int length = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                           static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) {
    errno = EILSEQ;
    return std::nullopt;
  }
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

std::optional<std::wstring> systemPath(const std::string& fileName) {
  if (!canNameAFile(fileName)) return std::nullopt;
  const std::optional<std::wstring> wide = wideText(fileName);
  if (!wide) return std::nullopt;
  const DWORD needed = ::GetFullPathNameW(wide->c_str(), 0, nullptr, nullptr);
  if (needed == 0) {
    setErrnoFrom();
    return std::nullopt;
  }
  std::wstring full(needed, L'\0');
  full.resize(::GetFullPathNameW(wide->c_str(), needed, full.data(), nullptr));
  // Device names (\\.\NUL) and paths given in the long form already stay as they are.
  if (full.starts_with(L"\\\\?\\") || full.starts_with(L"\\\\.\\")) return full;
  if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

void setErrnoFrom(DWORD error) { errno = errorNumberOf(error); }

void setErrnoForPath(const std::wstring& path, DWORD error) {
  if (error == ERROR_ACCESS_DENIED && namesDirectory(path)) {
    errno = EISDIR;
    return;
  }
  setErrnoFrom(error);
  if (error != ERROR_PATH_NOT_FOUND) return;
  // As on POSIX systems, a file where a directory should stand on the way is "Not a directory".
  for (std::size_t end = path.find_last_of(L'\\'); end != std::wstring::npos && end > 0;
       end = path.find_last_of(L'\\', end - 1)) {
    const DWORD attributes = ::GetFileAttributesW(path.substr(0, end).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) continue;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) errno = ENOTDIR;
    return;
  }
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

FileDescriptor::~FileDescriptor() {
  if (handle_ != noFile) ::CloseHandle(handleOf(handle_));
}

std::string systemErrorText(int errorNumber) {
  for (const ErrorText& known : errorTexts) {
    if (known.number == errorNumber) return known.text;
  }
  return "Unknown error " + std::to_string(errorNumber);
}

// Directories open too, as on POSIX systems: reading one then fails with EISDIR.
FileDescriptor openFile(const std::string& fileName) {
  return openWith(fileName, GENERIC_READ, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
}

FileDescriptor openForWriting(const std::string& fileName) {
  return openWith(fileName, GENERIC_WRITE, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL);
}

FileDescriptor openStoreFile(const std::string& fileName) {
  return regularOnly(openWith(fileName, GENERIC_READ, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS));
}

// Asks for the right to remove the file (a failed first append takes the file it made away) and to
// read it back, and makes do without either where they are refused. Appends go to the end of the
// file (`appendAll`) under the store's lock.
FileDescriptor openForAppending(const std::string& fileName, bool& created, bool& readable) {
  constexpr DWORD writing = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
  for (const DWORD access :
       {writing | FILE_READ_DATA | DELETE, writing | FILE_READ_DATA, writing}) {
    FileDescriptor file = openWith(fileName, access, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL);
    if (file.isOpen()) {
      created = ::GetLastError() != ERROR_ALREADY_EXISTS;
      readable = (access & FILE_READ_DATA) != 0;
      return regularOnly(std::move(file));
    }
    // Another program may hold the file without letting it be removed: the right to remove it is
    // then not asked for.
    if (errno != EACCES && errno != EBUSY) break;
  }
  return FileDescriptor();
}

std::optional<std::uint64_t> regularFileSize(FileHandle file) {
  const HANDLE handle = handleOf(file);
  LARGE_INTEGER size{};
  if (::GetFileType(handle) != FILE_TYPE_DISK || isDirectory(handle) ||
      !::GetFileSizeEx(handle, &size)) {
    return std::nullopt;
  }
  return static_cast<std::uint64_t>(size.QuadPart);
}

std::int64_t readSome(FileHandle file, char* buffer, std::size_t size) {
  DWORD got = 0;
  if (!::ReadFile(handleOf(file), buffer, static_cast<DWORD>(std::min(size, largestTransfer)), &got,
                  nullptr)) {
    const DWORD error = ::GetLastError();
    // A pipe whose writer has gone has ended.
    if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) return 0;
    if (isDirectory(handleOf(file))) {
      errno = EISDIR;
    } else {
      setErrnoFrom(error);
    }
    return -1;
  }
  return got;
}

std::int64_t readSomeAt(FileHandle file, char* buffer, std::size_t size, std::int64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(offset));
  at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
  DWORD got = 0;
  if (!::ReadFile(handleOf(file), buffer, static_cast<DWORD>(std::min(size, largestTransfer)), &got,
                  &at)) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_HANDLE_EOF) return 0;
    setErrnoFrom(error);
    return -1;
  }
  return got;
}

bool writeAll(FileHandle file, std::string_view text) {
  while (!text.empty()) {
    DWORD written = 0;
    if (!::WriteFile(handleOf(file), text.data(),
                     static_cast<DWORD>(std::min(text.size(), largestTransfer)), &written,
                     nullptr)) {
      setErrnoFrom();
      return false;
    }
    if (written == 0) {
      errno = EIO;
      return false;
    }
    text.remove_prefix(written);
  }
  return true;
}

bool appendAll(FileHandle file, std::string_view text) {
  if (!::SetFilePointerEx(handleOf(file), LARGE_INTEGER{}, nullptr, FILE_END)) {
    setErrnoFrom();
    return false;
  }
  return writeAll(file, text);
}

bool flushToDisk(FileHandle file) {
  if (::FlushFileBuffers(handleOf(file))) return true;
  setErrnoFrom();
  return false;
}

bool cutBack(FileHandle file, std::int64_t length) {
  LARGE_INTEGER end{};
  end.QuadPart = length;
  if (::SetFilePointerEx(handleOf(file), end, nullptr, FILE_BEGIN) &&
      ::SetEndOfFile(handleOf(file))) {
    return true;
  }
  setErrnoFrom();
  return false;
}

}  // namespace vexilo
