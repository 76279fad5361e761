// Where a name leads on Windows. The system makes a name a full path before it opens it (the
// working directory before a relative name, "." and ".." taken out); opening the directory and the
// file then follows junctions and symbolic links to the end. A file is known by its volume's serial
// number and its file index, so that other spellings of one directory (another case, ".\", a UNC
// path, the "\\?\" form) lead to the same place. A symbolic link to a file not made yet stands for
// itself here, not for the target that creating the file would make (Windows' links are rare, and
// making one takes a right that users lack).
#include "system/names.h"

#include <cerrno>

#include "system/windows_calls.h"
#include "system/windows_names.h"

namespace vexilo {
namespace {

// Opens what `path` names, a file or a directory, only to learn what it is.
OpenFile openToLookAt(const std::wstring& path) {
  return OpenFile(fileHandleOf(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, shareAll, nullptr,
                                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)));
}

}  // namespace

Result<FileLocation> locateFile(const std::string& fileName) {
  const Result<std::wstring> path = systemPath(fileName);
  if (!path) return path.error();
  // A device (NUL, CON and the rest) is in no directory; it is opened as the system opens it.
  if (namesADevice(*path)) {
    FileLocation device;
    device.name = utf8Text(path->substr(4));
    return device;
  }
  const WindowsPathParts parts = splitWindowsPath(*path);
  // A name that ends in a separator names a directory, never a file to write.
  if (parts.name.empty()) return errorNumbered(namesDirectory(*path) ? EISDIR : ENOENT);
  if (namesAStream(parts.name)) return errorNumbered(EINVAL);

  FileLocation location;
  location.directory = openToLookAt(parts.directory);
  if (!location.directory.isOpen()) return errorForDirectoryPath(parts.directory);
  const Result<FileIdentity> directoryIdentity = identityOf(location.directory.get());
  if (!directoryIdentity) return directoryIdentity.error();
  location.directoryIdentity = *directoryIdentity;
  const OpenFile file = openToLookAt(*path);
  if (file.isOpen()) {
    const Result<FileIdentity> identity = identityOf(file.get());
    if (!identity) return identity.error();
    location.file = *identity;
  } else if (const DWORD code = ::GetLastError(); code != ERROR_FILE_NOT_FOUND) {
    return errorFrom(code);
  }
  location.name = utf8Text(parts.name);
  return location;
}

// Names are told apart as the system tells them: without regard to case.
bool sameName(const std::string& first, const std::string& second) {
  const Result<std::wstring> firstName = wideText(first);
  const Result<std::wstring> secondName = wideText(second);
  return firstName && secondName &&
         ::CompareStringOrdinal(firstName->c_str(), static_cast<int>(firstName->size()),
                                secondName->c_str(), static_cast<int>(secondName->size()),
                                TRUE) == CSTR_EQUAL;
}

// Through the open handle, which removes the file and not a link that led to it. Where the handle
// may not remove it, the caller empties the file instead.
Status removeName(const FileLocation&, const OpenFile& file) {
  FILE_DISPOSITION_INFO remove{};
  remove.DeleteFile = TRUE;
  if (!::SetFileInformationByHandle(handleOf(file.get()), FileDispositionInfo, &remove,
                                    sizeof remove)) {
    return errorFrom();
  }
  return Done{};
}

// NTFS writes a new name to its journal by itself; FlushFileBuffers on a directory would need the
// right to write to it, which the program does not ask for.
void flushDirectory(const FileLocation&) {}

}  // namespace vexilo
