// Where a name leads on Windows. The system makes a name a full path before it opens it (the
// working directory before a relative name, "." and ".." taken out); opening the directory and the
// file then follows junctions and symbolic links to the end. A file is known by its volume's serial
// number and its file index, so that other spellings of one directory (another case, ".\", a UNC
// path, the "\\?\" form) lead to the same place. A symbolic link to a file not made yet stands for
// itself here, not for the target that creating the file would make (Windows' links are rare, and
// making one takes a right that users lack).
#include "store/file_location.h"

#include <windows.h>

#include <cerrno>

#include "store/windows_calls.h"

namespace vexilo {
namespace {

constexpr DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opens what `path` names, a file or a directory, only to learn what it is.
HANDLE openToLookAt(const std::wstring& path) {
  return ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, shareAll, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

std::optional<FileIdentity> identityOfHandle(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION information{};
  if (!::GetFileInformationByHandle(file, &information)) {
    setErrnoFrom();
    return std::nullopt;
  }
  return FileIdentity{
      information.dwVolumeSerialNumber,
      (std::uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow};
}

}  // namespace

std::optional<FileIdentity> identityOf(const FileDescriptor& file) {
  return identityOfHandle(handleOf(file.get()));
}

std::optional<FileLocation> locateFile(const std::string& fileName) {
  const std::optional<std::wstring> path = systemPath(fileName);
  if (!path) return std::nullopt;
  const std::size_t lastSeparator = path->find_last_of(L'\\');
  const std::wstring name = path->substr(lastSeparator + 1);
  std::wstring parent = path->substr(0, lastSeparator);
  // A name that ends in a separator names a directory, never a file to write.
  if (name.empty()) {
    errno = namesDirectory(*path) ? EISDIR : ENOENT;
    return std::nullopt;
  }
  // A colon in a name names a stream of a file ("store.txt::$DATA" is store.txt itself) or a
  // device's file: a file other than the one that the name spells.
  if (name.find(L':') != std::wstring::npos) {
    errno = EINVAL;
    return std::nullopt;
  }
  // The root of a drive is "C:\", not "C:".
  if (parent.ends_with(L':')) parent += L'\\';

  FileLocation location;
  location.directory = FileDescriptor(fileHandleOf(openToLookAt(parent)));
  if (!location.directory.isOpen()) {
    setErrnoForPath(parent);
    return std::nullopt;
  }
  const std::optional<FileIdentity> directoryIdentity = identityOf(location.directory);
  if (!directoryIdentity) return std::nullopt;
  location.directoryIdentity = *directoryIdentity;
  const FileDescriptor file(fileHandleOf(openToLookAt(*path)));
  if (file.isOpen()) {
    location.file = identityOf(file);
    if (!location.file) return std::nullopt;
  } else if (const DWORD error = ::GetLastError(); error != ERROR_FILE_NOT_FOUND) {
    setErrnoFrom(error);
    return std::nullopt;
  }
  location.name = utf8Text(name);
  return location;
}

bool sameFile(const FileLocation& first, const FileLocation& second) {
  if (first.file || second.file) return first.file == second.file;
  if (first.directoryIdentity != second.directoryIdentity) return false;
  const std::optional<std::wstring> firstName = wideText(first.name);
  const std::optional<std::wstring> secondName = wideText(second.name);
  // Names are told apart as the system tells them: without regard to case.
  return firstName && secondName &&
         ::CompareStringOrdinal(firstName->c_str(), static_cast<int>(firstName->size()),
                                secondName->c_str(), static_cast<int>(secondName->size()),
                                TRUE) == CSTR_EQUAL;
}

bool removeFileAt(const FileLocation& location, const FileDescriptor& file) {
  const std::optional<FileIdentity> identity = identityOf(file);
  if (!identity || location.file != identity) {
    errno = ENOENT;
    return false;
  }
  // Through the open handle, which removes the file and not a link that led to it. Where the
  // handle may not remove it, the caller empties the file instead.
  FILE_DISPOSITION_INFO remove{};
  remove.DeleteFile = TRUE;
  if (::SetFileInformationByHandle(handleOf(file.get()), FileDispositionInfo, &remove,
                                   sizeof remove)) {
    return true;
  }
  setErrnoFrom();
  return false;
}

// NTFS writes a new name to its journal by itself; FlushFileBuffers on a directory would need the
// right to write to it, which the program does not ask for.
void flushDirectory(const FileLocation&) {}

}  // namespace vexilo
