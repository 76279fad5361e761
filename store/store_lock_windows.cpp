// The store's lock on Windows: a named mutex for each directory and file of the store, named after
// its identity (the volume's serial number and the file index), so that runs that reach one store
// by different spellings or links take the same mutexes. The system gives a mutex back when the
// process that holds it dies (the next run then takes it as abandoned, which is still the turn).
// The mutexes are the machine's, in its global namespace and open to every user who has logged
// on, so that runs of other users and other sessions (a scheduled task, remote desktop) take
// turns too; runs on other machines that share a store over the network are not kept apart.
#include "store/store_lock.h"

#include <windows.h>
// After windows.h, whose declarations it takes.
#include <sddl.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <optional>

#include "store/file_location.h"
#include "store/windows_calls.h"

namespace vexilo {
namespace {

// The mutex of the file with `identity`.
std::wstring mutexName(const FileIdentity& identity) {
  wchar_t name[64];
  std::swprintf(name, std::size(name), L"Global\\vexilo-store-%08llx-%016llx",
                static_cast<unsigned long long>(identity.device),
                static_cast<unsigned long long>(identity.index));
  return name;
}

}  // namespace

StoreLock::StoreLock(std::span<const std::string> fileNames, std::ostream& err) {
  // The reason that the first lock failed for is the one worth saying; later ones follow from it.
  int firstError = 0;
  const auto failed = [&] {
    if (firstError == 0) firstError = errno;
  };
  std::vector<FileIdentity> identities;
  const FileDescriptor workingDirectory(fileHandleOf(::CreateFileW(
      L".", FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)));
  if (!workingDirectory.isOpen()) setErrnoFrom();
  if (const std::optional<FileIdentity> identity =
          workingDirectory.isOpen() ? identityOf(workingDirectory) : std::nullopt) {
    identities.push_back(*identity);
  } else {
    failed();
  }
  for (const std::string& name : fileNames) {
    // A name that leads nowhere will get no file either: that append fails by itself.
    const std::optional<FileLocation> location = locateFile(name);
    if (!location) continue;
    identities.push_back(location->directoryIdentity);
    if (location->file) identities.push_back(*location->file);
  }
  // One order for every run, so that two runs that share some of these never wait for each other
  // in a circle; a file named twice is locked once.
  std::sort(identities.begin(), identities.end());
  identities.erase(std::unique(identities.begin(), identities.end()), identities.end());
  // Any user who has logged on may wait for a mutex and give it back; the system and the
  // administrators may do anything with it.
  PSECURITY_DESCRIPTOR forEveryUser = nullptr;
  ::ConvertStringSecurityDescriptorToSecurityDescriptorW(
      L"D:(A;;GA;;;SY)(A;;GA;;;BA)(A;;0x00100001;;;AU)", SDDL_REVISION_1, &forEveryUser, nullptr);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, forEveryUser, FALSE};
  for (const FileIdentity& identity : identities) {
    const HANDLE made = ::CreateMutexExW(&attributes, mutexName(identity).c_str(), 0,
                                         SYNCHRONIZE | MUTEX_MODIFY_STATE);
    if (made == nullptr) {
      setErrnoFrom();
      failed();
      continue;
    }
    FileDescriptor mutex(fileHandleOf(made));
    const DWORD waited = ::WaitForSingleObject(handleOf(mutex.get()), INFINITE);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
      setErrnoFrom();
      failed();
      continue;
    }
    locked_.push_back(std::move(mutex));
  }
  ::LocalFree(forEveryUser);
  if (firstError != 0) {
    reportProblem(err, "the store cannot be locked: " + errorText(firstError));
    held_ = false;
  }
}

// A mutex is given back by the thread that holds it, before its handle is closed.
StoreLock::~StoreLock() {
  for (const FileDescriptor& mutex : locked_) ::ReleaseMutex(handleOf(mutex.get()));
}

}  // namespace vexilo
