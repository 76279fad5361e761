// Files on Windows, through the system's wide calls, so that names beyond ASCII (UTF-8 in the
// program) open the files of those names.
#include "system/files.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#include "system/windows_calls.h"

namespace vexilo {
namespace {

// The most that one call reads or writes: a DWORD counts the bytes.
constexpr std::size_t largestTransfer = std::size_t{1} << 30;

struct Access {
  DWORD rights;
  DWORD creation;
  DWORD flags;
};

// Directories open for reading and locking, as on POSIX systems. Appends go to the end of the
// file (`appendAll`). To append, the right to remove the file is asked for where it may be (a
// failed first append takes the file it made away).
constexpr DWORD appending = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
// The access of each `OpenMode`, in its order.
constexpr Access accesses[] = {
    {GENERIC_READ, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS},
    {GENERIC_READ, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS},
    {GENERIC_WRITE, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL},
    {appending | FILE_READ_DATA | DELETE, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL},
    {appending | FILE_READ_DATA, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL},
    {appending, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL},
    {GENERIC_WRITE, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL},
    {GENERIC_WRITE | DELETE, CREATE_NEW, FILE_ATTRIBUTE_NORMAL},
    {GENERIC_WRITE | DELETE, CREATE_NEW, FILE_ATTRIBUTE_NORMAL},
};

Result<OpenedFile> openPath(const std::wstring& path, OpenMode mode) {
  Access access = accesses[static_cast<std::size_t>(mode)];
  // The console, written to, is its screen buffer, which opens for reading and writing.
  const bool console =
      mode == OpenMode::writing &&
      ::CompareStringOrdinal(path.c_str(), -1, L"\\\\.\\CON", -1, TRUE) == CSTR_EQUAL;
  if (console) access.rights = GENERIC_READ | GENERIC_WRITE;
  const HANDLE file = ::CreateFileW(console ? L"CONOUT$" : path.c_str(), access.rights, shareAll,
                                    nullptr, access.creation, access.flags, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD code = ::GetLastError();
    // A symbolic link to a file not made yet (as Wine shows a Linux link) exists, so it cannot be
    // made anew; it is made through the link, as an open that creates a file when absent makes it.
    if (access.creation == CREATE_NEW && code == ERROR_FILE_EXISTS) {
      const HANDLE existing = ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, shareAll, nullptr,
                                            OPEN_EXISTING, access.flags, nullptr);
      if (existing != INVALID_HANDLE_VALUE) {
        ::CloseHandle(existing);
      } else if (::GetLastError() == ERROR_FILE_NOT_FOUND) {
        const HANDLE made = ::CreateFileW(path.c_str(), access.rights, shareAll, nullptr,
                                          OPEN_ALWAYS, access.flags, nullptr);
        if (made == INVALID_HANDLE_VALUE) return errorForPath(path);
        return OpenedFile{OpenFile(fileHandleOf(made)), ::GetLastError() != ERROR_ALREADY_EXISTS};
      }
    }
    return errorForPath(path, code);
  }
  const bool created = access.creation == CREATE_NEW ||
                       (access.creation == OPEN_ALWAYS && ::GetLastError() != ERROR_ALREADY_EXISTS);
  return OpenedFile{OpenFile(fileHandleOf(file)), created};
}

// The path of the directory open on `directory`, in the form that knows no length limit.
Result<std::wstring> pathOf(HANDLE directory) {
  const DWORD needed = ::GetFinalPathNameByHandleW(directory, nullptr, 0, FILE_NAME_NORMALIZED);
  if (needed == 0) return errorFrom();
  std::wstring path(needed, L'\0');
  path.resize(::GetFinalPathNameByHandleW(directory, path.data(), needed, FILE_NAME_NORMALIZED));
  return path;
}

}  // namespace

OpenFile::~OpenFile() {
  if (handle_ != noFile) ::CloseHandle(handleOf(handle_));
}

Result<OpenedFile> openFile(const std::string& fileName, OpenMode mode) {
  const Result<std::wstring> path = systemPath(fileName);
  if (!path) return path.error();
  return openPath(*path, mode);
}

Result<OpenFile> openAt(const OpenFile& directory, const std::string& name, OpenMode mode) {
  Result<std::wstring> path = pathOf(handleOf(directory.get()));
  if (!path) return path.error();
  if (name != ".") {
    const Result<std::wstring> wideName = wideText(name);
    if (!wideName) return wideName.error();
    *path += L'\\' + *wideName;
  }
  Result<OpenedFile> opened = openPath(*path, mode);
  if (!opened) return opened.error();
  return std::move(opened->file);
}

// Only a file on a disk has an identity and a size; a console or a pipe is another kind of file.
Result<FileStatus> statusOf(FileHandle file) {
  if (::GetFileType(handleOf(file)) != FILE_TYPE_DISK) return FileStatus{FileKind::other};
  BY_HANDLE_FILE_INFORMATION information{};
  if (!::GetFileInformationByHandle(handleOf(file), &information)) return errorFrom();
  if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return FileStatus{FileKind::directory};
  }
  return FileStatus{FileKind::regular,
                    (std::uint64_t{information.nFileSizeHigh} << 32) | information.nFileSizeLow};
}

Result<FileIdentity> identityOf(FileHandle file) {
  BY_HANDLE_FILE_INFORMATION information{};
  if (!::GetFileInformationByHandle(handleOf(file), &information)) return errorFrom();
  return FileIdentity{
      information.dwVolumeSerialNumber,
      (std::uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow};
}

Result<std::size_t> readSome(FileHandle file, char* buffer, std::size_t size) {
  DWORD got = 0;
  if (!::ReadFile(handleOf(file), buffer, static_cast<DWORD>(std::min(size, largestTransfer)), &got,
                  nullptr)) {
    const DWORD code = ::GetLastError();
    // A pipe whose writer has gone has ended.
    if (code == ERROR_BROKEN_PIPE || code == ERROR_HANDLE_EOF) return std::size_t{0};
    if (isDirectory(handleOf(file))) return Error{EISDIR, code};
    return errorFrom(code);
  }
  return std::size_t{got};
}

Result<std::size_t> readSomeAt(FileHandle file, char* buffer, std::size_t size,
                               std::int64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(offset));
  at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
  DWORD got = 0;
  if (!::ReadFile(handleOf(file), buffer, static_cast<DWORD>(std::min(size, largestTransfer)), &got,
                  &at)) {
    const DWORD code = ::GetLastError();
    if (code == ERROR_HANDLE_EOF) return std::size_t{0};
    return errorFrom(code);
  }
  return std::size_t{got};
}

Status writeAll(FileHandle file, std::string_view text) {
  while (!text.empty()) {
    DWORD written = 0;
    if (!::WriteFile(handleOf(file), text.data(),
                     static_cast<DWORD>(std::min(text.size(), largestTransfer)), &written,
                     nullptr)) {
      return errorFrom();
    }
    if (written == 0) return errorNumbered(EIO);
    text.remove_prefix(written);
  }
  return Done{};
}

Status appendAll(FileHandle file, std::string_view text) {
  if (!::SetFilePointerEx(handleOf(file), LARGE_INTEGER{}, nullptr, FILE_END)) return errorFrom();
  return writeAll(file, text);
}

Status flushToDisk(FileHandle file) {
  if (!::FlushFileBuffers(handleOf(file))) return errorFrom();
  return Done{};
}

Status cutBack(FileHandle file, std::int64_t length) {
  LARGE_INTEGER end{};
  end.QuadPart = length;
  if (!::SetFilePointerEx(handleOf(file), end, nullptr, FILE_BEGIN) ||
      !::SetEndOfFile(handleOf(file))) {
    return errorFrom();
  }
  return Done{};
}

}  // namespace vexilo
