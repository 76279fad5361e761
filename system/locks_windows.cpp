// Locks on Windows: a named mutex for each file, named after its identity (the volume's serial
// number and the file index), so that runs that reach one file by different spellings or links
// take the same mutex. The system gives a mutex back when the process that holds it dies (the next
// run then takes it as abandoned, which is still the turn). The mutexes are the machine's, in its
// global namespace and open to every user who has logged on, so that runs of other users and
// other sessions (a scheduled task, remote desktop) take turns too; runs on other machines that
// share a store over the network are not kept apart.
#include "system/locks.h"

#include "system/windows_calls.h"
// After windows.h, whose declarations it takes.
#include <sddl.h>

#include <cstdio>
#include <iterator>
#include <string>

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

// Any user who has logged on may wait for a mutex and give it back; the system and the
// administrators may do anything with it.
HANDLE mutexForEveryUser(const FileIdentity& identity) {
  PSECURITY_DESCRIPTOR forEveryUser = nullptr;
  ::ConvertStringSecurityDescriptorToSecurityDescriptorW(
      L"D:(A;;GA;;;SY)(A;;GA;;;BA)(A;;0x00100001;;;AU)", SDDL_REVISION_1, &forEveryUser, nullptr);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, forEveryUser, FALSE};
  const HANDLE mutex = ::CreateMutexExW(&attributes, mutexName(identity).c_str(), 0,
                                        SYNCHRONIZE | MUTEX_MODIFY_STATE);
  const DWORD code = ::GetLastError();
  ::LocalFree(forEveryUser);
  ::SetLastError(code);
  return mutex;
}

}  // namespace

// A mutex is given back by the thread that holds it, before its handle is closed.
HeldLock::~HeldLock() {
  if (mutex_ == 0) return;
  ::ReleaseMutex(reinterpret_cast<HANDLE>(mutex_));
  ::CloseHandle(reinterpret_cast<HANDLE>(mutex_));
}

Result<HeldLock> lockWhole(const OpenFile&, const FileIdentity& identity) {
  const HANDLE mutex = mutexForEveryUser(identity);
  if (mutex == nullptr) return errorFrom();
  const DWORD waited = ::WaitForSingleObject(mutex, INFINITE);
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
    const Error error = errorFrom();
    ::CloseHandle(mutex);
    return error;
  }
  return HeldLock(reinterpret_cast<std::intptr_t>(mutex));
}

}  // namespace vexilo
