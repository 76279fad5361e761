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

#include "store/file_system.h"
#include "store/windows_calls.h"

namespace vexilo::testing {
namespace {

// The exit code that killProgram and the time limit give a program, as a shell reports one that
// SIGKILL ended; vexilo itself never exits with it.
constexpr UINT killedExitCode = 137;

// The exit code of a program that could not be started, as a shell reports it.
constexpr int notStartedExitCode = 127;

std::wstring wide(const std::string& text) { return wideText(text).value_or(std::wstring()); }

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

struct Pipe {
  FileDescriptor read;
  FileDescriptor write;
};

// A pipe whose handles no program inherits.
Pipe makePipe() {
  HANDLE read = nullptr;
  HANDLE write = nullptr;
  if (!::CreatePipe(&read, &write, nullptr, 0)) std::abort();
  return {FileDescriptor(fileHandleOf(read)), FileDescriptor(fileHandleOf(write))};
}

// Starts `program` with `input`, `output` and `error` as its standard streams; the process handle,
// or null (and a line on the test's standard error) when it cannot be started.
HANDLE spawn(const std::string& program, const ProgramOptions& options, HANDLE input, HANDLE output,
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
  // Wine now and then fails to start a program with an internal error when many start at once:
  // it is tried again, a few times.
  bool started = false;
  DWORD reason = ERROR_INTERNAL_ERROR;
  for (int attempt = 0; attempt < 5 && !started && reason == ERROR_INTERNAL_ERROR; ++attempt) {
    if (attempt > 0) ::Sleep(50);
    started =
        ::CreateProcessW(wide(words.front()).c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                         CREATE_UNICODE_ENVIRONMENT |
                             (options.startsPrograms ? CREATE_NO_WINDOW : DETACHED_PROCESS) |
                             EXTENDED_STARTUPINFO_PRESENT,
                         environment.data(), directory.empty() ? nullptr : directory.c_str(),
                         &startup.StartupInfo, &process);
    if (!started) reason = ::GetLastError();
  }
  ::DeleteProcThreadAttributeList(attributeList);
  for (HANDLE handle : inherited) ::CloseHandle(handle);
  if (!started) {
    std::cerr << "cannot start " << words.front() << ": error " << reason << "\n";
    return nullptr;
  }
  ::CloseHandle(process.hThread);
  return process.hProcess;
}

// Where output that nobody reads goes.
FileDescriptor nowhere() {
  return FileDescriptor(
      fileHandleOf(::CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr)));
}

// The standard error that the options give, or none.
HANDLE givenStandardError(const ProgramOptions& options) {
  return options.standardErrorTo < 0
             ? nullptr
             : reinterpret_cast<HANDLE>(::_get_osfhandle(options.standardErrorTo));
}

// Writes `text` into `pipe` and closes it; stops early when the program has closed its end.
void writeInto(FileDescriptor pipe, const std::string& text) { writeAll(pipe.get(), text); }

// Reads `pipe` to its end into `text`.
void readAll(FileDescriptor pipe, std::string& text) {
  char buffer[1 << 16];
  for (std::int64_t got; (got = readSome(pipe.get(), buffer, sizeof buffer)) > 0;) {
    text.append(buffer, static_cast<std::size_t>(got));
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
  const FileDescriptor discarded = nowhere();
  const HANDLE error = givenStandardError(options);
  const HANDLE process =
      spawn(program, options, handleOf(toChild.read.get()), handleOf(discarded.get()),
            error != nullptr ? error : handleOf(discarded.get()));
  toChild.read = FileDescriptor();
  // The input is far smaller than the pipe's buffer: the write does not wait for the program.
  writeInto(std::move(toChild.write), standardInput);
  return {process == nullptr ? -1 : reinterpret_cast<std::intptr_t>(process)};
}

void killProgram(const StartedProgram& program) {
  // Fails, and changes nothing, when the program has ended already.
  ::TerminateProcess(reinterpret_cast<HANDLE>(program.process), killedExitCode);
}

ProgramEnd waitForProgram(const StartedProgram& program) {
  if (program.process == -1) return {notStartedExitCode, false};
  const HANDLE process = reinterpret_cast<HANDLE>(program.process);
  ::WaitForSingleObject(process, INFINITE);
  DWORD code = 0;
  ::GetExitCodeProcess(process, &code);
  const ProgramEnd end =
      code == killedExitCode ? ProgramEnd{-1, true} : ProgramEnd{exitStatusOf(process), false};
  ::CloseHandle(process);
  return end;
}

ProgramRun runProgram(const std::string& standardInput, double timeLimitSeconds,
                      const std::string& program, const ProgramOptions& options) {
  Pipe toChild = makePipe();
  Pipe fromChildOut = makePipe();
  Pipe fromChildErr = makePipe();
  const HANDLE givenError = givenStandardError(options);
  const HANDLE started =
      spawn(program, options, handleOf(toChild.read.get()), handleOf(fromChildOut.write.get()),
            givenError != nullptr ? givenError : handleOf(fromChildErr.write.get()));
  // Only the program holds the other ends now: each pipe ends when the program closes its end or
  // ends itself.
  toChild.read = FileDescriptor();
  fromChildOut.write = FileDescriptor();
  fromChildErr.write = FileDescriptor();

  ProgramRun run;
  if (started == nullptr) {
    run.exitStatus = notStartedExitCode;
    return run;
  }
  const FileDescriptor process(fileHandleOf(started));
  std::thread writer(writeInto, std::move(toChild.write), std::cref(standardInput));
  std::thread errorReader(readAll, std::move(fromChildErr.read), std::ref(run.standardError));
  std::thread outputReader(readAll, std::move(fromChildOut.read), std::ref(run.standardOutput));
  const double limitMilliseconds = std::max(timeLimitSeconds, 0.0) * 1000.0;
  if (::WaitForSingleObject(handleOf(process.get()), static_cast<DWORD>(limitMilliseconds)) ==
      WAIT_TIMEOUT) {
    run.timedOut = true;
    ::TerminateProcess(handleOf(process.get()), killedExitCode);
    ::WaitForSingleObject(handleOf(process.get()), INFINITE);
  }
  writer.join();
  errorReader.join();
  outputReader.join();
  if (!run.timedOut) run.exitStatus = exitStatusOf(handleOf(process.get()));
  return run;
}

}  // namespace vexilo::testing
