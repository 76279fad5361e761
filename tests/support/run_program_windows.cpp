// Runs programs on Windows: CreateProcessW with pipes for the three standard streams, each pipe
// served by a thread of its own, and the time limit kept by waiting on the process.
#include "tests/support/run_program.h"

#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <cwctype>
#include <filesystem>
#include <iostream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace vexilo::testing {
namespace {

// The exit code that killProgram and the time limit give a program, as a shell reports one that
// SIGKILL ended; vexilo itself never exits with it.
constexpr UINT killedExitCode = 137;

// The exit code of a program that could not be started, as a shell reports it.
constexpr int notStartedExitCode = 127;

std::wstring wide(const std::string& text) {
  if (text.empty()) return {};
  const int length =
      ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring result(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(),
                        length);
  return result;
}

// `word` quoted so that the program's start-up code (CommandLineToArgvW's rules) reads it back
// as one argument: backslashes count only before a quote.
std::wstring quoted(const std::wstring& word) {
  if (!word.empty() && word.find_first_of(L" \t\n\v\"") == std::wstring::npos) return word;
  std::wstring result = L"\"";
  for (auto character = word.begin();; ++character) {
    std::size_t backslashes = 0;
    for (; character != word.end() && *character == L'\\'; ++character) ++backslashes;
    if (character == word.end()) {
      result.append(backslashes * 2, L'\\');
      break;
    }
    result.append(*character == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    result += *character;
  }
  return result + L'"';
}

// The name of an environment entry "NAME=value", in upper case: Windows' names ignore case.
std::wstring variableName(const std::wstring& entry) {
  // A name may start with '=' (the working directories of drives, "=C:=C:\...").
  std::wstring name = entry.substr(0, entry.find(L'=', 1));
  std::transform(name.begin(), name.end(), name.begin(),
                 [](wchar_t character) { return std::towupper(character); });
  return name;
}

// The test's environment with the options' variables in place of its own of the same names, as
// a block of entries each ended by a NUL, sorted by name as Windows asks, ended by another NUL.
std::wstring environmentBlock(const std::vector<std::string>& given) {
  std::vector<std::wstring> entries;
  for (const std::string& variable : given) entries.push_back(wide(variable));
  wchar_t* const own = ::GetEnvironmentStringsW();
  for (const wchar_t* entry = own; *entry != L'\0'; entry += std::wcslen(entry) + 1) {
    const std::wstring name = variableName(entry);
    if (std::none_of(entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(given.size()),
                     [&](const std::wstring& mine) { return variableName(mine) == name; })) {
      entries.emplace_back(entry);
    }
  }
  ::FreeEnvironmentStringsW(own);
  std::stable_sort(entries.begin(), entries.end(), [](const auto& left, const auto& right) {
    return variableName(left) < variableName(right);
  });
  std::wstring block;
  for (const std::wstring& entry : entries) block += entry + L'\0';
  return block + L'\0';
}

// A handle that closes itself.
class Handle {
 public:
  Handle() = default;
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() { close(); }
  Handle(Handle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  Handle& operator=(Handle&& other) noexcept {
    if (this != &other) {
      close();
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }

  HANDLE get() const { return handle_; }
  HANDLE release() { return std::exchange(handle_, nullptr); }
  void close() {
    if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
    handle_ = nullptr;
  }

 private:
  HANDLE handle_ = nullptr;
};

struct Pipe {
  Handle read;
  Handle write;
};

// A pipe whose handles no program inherits.
Pipe makePipe() {
  HANDLE read = nullptr;
  HANDLE write = nullptr;
  if (!::CreatePipe(&read, &write, nullptr, 0)) std::abort();
  return {Handle(read), Handle(write)};
}

// Starts `program` with `input`, `output` and `error` as its standard streams; the process handle,
// or nothing (and a line on the test's standard error) when it cannot be started.
Handle spawn(const std::string& program, const ProgramOptions& options, HANDLE input, HANDLE output,
             HANDLE error) {
  std::vector<std::string> words = programCommand(program);
  words.insert(words.end(), options.arguments.begin(), options.arguments.end());
  std::wstring commandLine;
  for (const std::string& word : words) {
    if (!commandLine.empty()) commandLine += L' ';
    commandLine += quoted(wide(word));
  }
  std::wstring environment = environmentBlock(options.environment);
  const std::wstring directory =
      options.workingDirectory.empty()
          ? std::wstring()
          : std::filesystem::absolute(wide(options.workingDirectory)).wstring();

  // The program inherits these three handles and no other (PROC_THREAD_ATTRIBUTE_HANDLE_LIST):
  // neither the pipes of a program that another thread starts at the same moment, which it would
  // hold open, nor the files that the test has open, which the C library opens inheritable.
  HANDLE inherited[3] = {};
  const HANDLE given[3] = {input, output, error};
  for (int stream = 0; stream < 3; ++stream) {
    if (!::DuplicateHandle(::GetCurrentProcess(), given[stream], ::GetCurrentProcess(),
                           &inherited[stream], 0, TRUE, DUPLICATE_SAME_ACCESS)) {
      std::abort();
    }
  }
  SIZE_T size = 0;
  ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
  std::vector<char> attributes(size);
  const auto attributeList = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributes.data());
  if (!::InitializeProcThreadAttributeList(attributeList, 1, 0, &size) ||
      !::UpdateProcThreadAttribute(attributeList, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited,
                                   sizeof inherited, nullptr, nullptr)) {
    std::abort();
  }
  STARTUPINFOEXW startup{};
  startup.StartupInfo.cb = sizeof startup;
  startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
  startup.StartupInfo.hStdInput = inherited[0];
  startup.StartupInfo.hStdOutput = inherited[1];
  startup.StartupInfo.hStdError = inherited[2];
  startup.lpAttributeList = attributeList;
  PROCESS_INFORMATION process{};
  const bool started =
      ::CreateProcessW(wide(words.front()).c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                       CREATE_UNICODE_ENVIRONMENT | DETACHED_PROCESS | EXTENDED_STARTUPINFO_PRESENT,
                       environment.data(), directory.empty() ? nullptr : directory.c_str(),
                       &startup.StartupInfo, &process);
  const DWORD reason = ::GetLastError();
  ::DeleteProcThreadAttributeList(attributeList);
  for (HANDLE handle : inherited) ::CloseHandle(handle);
  if (!started) {
    std::cerr << "cannot start " << words.front() << ": error " << reason << "\n";
    return {};
  }
  ::CloseHandle(process.hThread);
  return Handle(process.hProcess);
}

// Where output that nobody reads goes.
Handle nowhere() {
  return Handle(::CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr));
}

// The standard error that the options give, or none.
HANDLE givenStandardError(const ProgramOptions& options) {
  return options.standardErrorTo < 0
             ? nullptr
             : reinterpret_cast<HANDLE>(::_get_osfhandle(options.standardErrorTo));
}

// Writes `text` whole into `pipe` and closes it; stops early when the program has closed its end.
void writeAll(Handle pipe, const std::string& text) {
  for (std::size_t written = 0; written < text.size();) {
    DWORD put = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - written, 1 << 16));
    if (!::WriteFile(pipe.get(), text.data() + written, chunk, &put, nullptr)) break;
    written += put;
  }
}

// Reads `pipe` to its end into `text`.
void readAll(Handle pipe, std::string& text) {
  char buffer[1 << 16];
  DWORD got = 0;
  while (::ReadFile(pipe.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
    text.append(buffer, got);
  }
}

// The exit status of the ended `process`: its exit code, or -1 for the status of an exception.
int exitStatusOf(HANDLE process) {
  DWORD code = 0;
  ::GetExitCodeProcess(process, &code);
  return code >= 0xC0000000 ? -1 : static_cast<int>(code);
}

}  // namespace

StartedProgram startProgram(const std::string& standardInput, const std::string& program,
                            const ProgramOptions& options) {
  Pipe toChild = makePipe();
  const Handle discarded = nowhere();
  const HANDLE error = givenStandardError(options);
  Handle process = spawn(program, options, toChild.read.get(), discarded.get(),
                         error != nullptr ? error : discarded.get());
  toChild.read.close();
  // The input is far smaller than the pipe's buffer: the write does not wait for the program.
  writeAll(std::move(toChild.write), standardInput);
  return {process.get() == nullptr ? -1 : reinterpret_cast<std::intptr_t>(process.release())};
}

void killProgram(const StartedProgram& program) {
  // Fails, and changes nothing, when the program has ended already.
  ::TerminateProcess(reinterpret_cast<HANDLE>(program.process), killedExitCode);
}

ProgramEnd waitForProgram(const StartedProgram& program) {
  if (program.process == -1) return {notStartedExitCode, false};
  const Handle process(reinterpret_cast<HANDLE>(program.process));
  ::WaitForSingleObject(process.get(), INFINITE);
  DWORD code = 0;
  ::GetExitCodeProcess(process.get(), &code);
  if (code == killedExitCode) return {-1, true};
  return {exitStatusOf(process.get()), false};
}

ProgramRun runProgram(const std::string& standardInput, double timeLimitSeconds,
                      const std::string& program, const ProgramOptions& options) {
  Pipe toChild = makePipe();
  Pipe fromChildOut = makePipe();
  Pipe fromChildErr = makePipe();
  const HANDLE givenError = givenStandardError(options);
  const Handle process = spawn(program, options, toChild.read.get(), fromChildOut.write.get(),
                               givenError != nullptr ? givenError : fromChildErr.write.get());
  // Only the program holds the other ends now: each pipe ends when the program closes its end or
  // ends itself.
  toChild.read.close();
  fromChildOut.write.close();
  fromChildErr.write.close();

  ProgramRun run;
  if (process.get() == nullptr) {
    run.exitStatus = notStartedExitCode;
    return run;
  }
  std::thread writer(writeAll, std::move(toChild.write), std::cref(standardInput));
  std::thread errorReader(readAll, std::move(fromChildErr.read), std::ref(run.standardError));
  std::thread outputReader(readAll, std::move(fromChildOut.read), std::ref(run.standardOutput));
  const double limitMilliseconds = std::max(timeLimitSeconds, 0.0) * 1000.0;
  if (::WaitForSingleObject(process.get(), static_cast<DWORD>(limitMilliseconds)) == WAIT_TIMEOUT) {
    run.timedOut = true;
    ::TerminateProcess(process.get(), killedExitCode);
    ::WaitForSingleObject(process.get(), INFINITE);
  }
  writer.join();
  errorReader.join();
  outputReader.join();
  if (!run.timedOut) run.exitStatus = exitStatusOf(process.get());
  return run;
}

}  // namespace vexilo::testing
