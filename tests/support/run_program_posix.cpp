// Runs programs on POSIX systems: fork, exec, and poll over the three pipes.
#include "tests/support/run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

namespace vexilo::testing {
namespace {

void setNonBlocking(int descriptor) {
  ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) | O_NONBLOCK);
}

// Starts `program` with the given descriptors as its standard input, output and error.
pid_t spawn(const std::string& program, const ProgramOptions& options, int input, int output,
            int error) {
  // Made before the fork: the child of a program with threads may only make async-signal-safe
  // calls. A variable of the options takes the place of the test's own of that name.
  std::vector<std::string> environment = options.environment;
  for (char** variable = environ; *variable != nullptr; ++variable) {
    const std::string_view name(*variable, std::strcspn(*variable, "="));
    const bool replaced = std::any_of(
        options.environment.begin(), options.environment.end(), [&](const std::string& given) {
          return given.compare(0, name.size() + 1, std::string(name) + "=") == 0;
        });
    if (!replaced) environment.emplace_back(*variable);
  }
  std::vector<std::string> words =
      options.hostProgram ? std::vector<std::string>{program} : programCommand(program);
  // The emulator, a program of the host, would take the target's loader variables as its own:
  // it passes them on to the program it runs instead.
  if (words.size() > 1) {
    std::erase_if(environment, [&](const std::string& variable) {
      if (!variable.starts_with("LD_")) return false;
      words.insert(words.end() - 1, {"-E", variable});
      return true;
    });
  }
  std::vector<char*> environmentPointers;
  for (std::string& variable : environment) environmentPointers.push_back(variable.data());
  environmentPointers.push_back(nullptr);
  words.insert(words.end(), options.arguments.begin(), options.arguments.end());
  std::vector<char*> arguments;
  for (std::string& word : words) arguments.push_back(word.data());
  arguments.push_back(nullptr);

  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(input, 0);
    ::dup2(output, 1);
    ::dup2(error, 2);
    // The program starts with its three streams alone, whatever the test inherited: a limit on
    // open files then means the same under ctest as in a shell.
    ::close_range(3, ~0U, 0);
    if (!options.workingDirectory.empty() && ::chdir(options.workingDirectory.c_str()) != 0) {
      ::_exit(126);
    }
    if (options.fileSizeLimit) {
      const rlimit limit{*options.fileSizeLimit, *options.fileSizeLimit};
      ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (options.addressSpaceLimit) {
      const rlimit limit{*options.addressSpaceLimit, *options.addressSpaceLimit};
      ::setrlimit(RLIMIT_AS, &limit);
    }
    if (options.openFileLimit) {
      const rlimit limit{*options.openFileLimit, *options.openFileLimit};
      ::setrlimit(RLIMIT_NOFILE, &limit);
    }
    // The program starts with the signals it would get from a shell: none ignored.
    ::signal(SIGPIPE, SIG_DFL);
    ::execve(arguments[0], arguments.data(), environmentPointers.data());
    ::_exit(127);
  }
  return child;
}

}  // namespace

StartedProgram startProgram(const std::string& standardInput, const std::string& program,
                            const ProgramOptions& options) {
  int toChild[2];
  if (::pipe2(toChild, O_CLOEXEC) != 0) std::abort();
  const int nowhere = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  const pid_t child = spawn(program, options, toChild[0], nowhere,
                            options.standardErrorTo >= 0 ? options.standardErrorTo : nowhere);
  ::close(nowhere);
  ::close(toChild[0]);
  // The input must be far smaller than a pipe's buffer.
  ::signal(SIGPIPE, SIG_IGN);
  [[maybe_unused]] const ssize_t put =
      ::write(toChild[1], standardInput.data(), standardInput.size());
  ::close(toChild[1]);
  return {child};
}

void killProgram(const StartedProgram& program) {
  ::kill(static_cast<pid_t>(program.process), SIGKILL);
}

ProgramEnd waitForProgram(const StartedProgram& program) {
  int status = 0;
  ::waitpid(static_cast<pid_t>(program.process), &status, 0);
  ProgramEnd end;
  if (WIFEXITED(status)) end.exitStatus = WEXITSTATUS(status);
  end.killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
  return end;
}

ProgramRun runProgram(const std::string& standardInput, double timeLimitSeconds,
                      const std::string& program, const ProgramOptions& options) {
  int toChild[2];
  int fromChildOut[2];
  int fromChildErr[2];
  if (::pipe2(toChild, O_CLOEXEC) != 0 || ::pipe2(fromChildOut, O_CLOEXEC) != 0 ||
      ::pipe2(fromChildErr, O_CLOEXEC) != 0) {
    std::abort();
  }
  const bool captureError = options.standardErrorTo < 0;
  const pid_t child = spawn(program, options, toChild[0], fromChildOut[1],
                            captureError ? fromChildErr[1] : options.standardErrorTo);
  ::close(toChild[0]);
  ::close(fromChildOut[1]);
  ::close(fromChildErr[1]);
  setNonBlocking(toChild[1]);
  setNonBlocking(fromChildOut[0]);
  setNonBlocking(fromChildErr[0]);
  ::signal(SIGPIPE, SIG_IGN);

  ProgramRun run;
  std::size_t written = 0;
  int inputDescriptor = toChild[1];
  if (standardInput.empty()) {
    ::close(inputDescriptor);
    inputDescriptor = -1;
  }
  bool outOpen = true;
  bool errOpen = captureError;
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                            std::chrono::duration<double>(timeLimitSeconds));
  char buffer[1 << 16];
  while (outOpen || errOpen) {
    const auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (remaining.count() <= 0) {
      run.timedOut = true;
      ::kill(child, SIGKILL);
      break;
    }
    pollfd fds[3] = {
        {fromChildOut[0], POLLIN, 0}, {fromChildErr[0], POLLIN, 0}, {inputDescriptor, POLLOUT, 0}};
    fds[0].fd = outOpen ? fromChildOut[0] : -1;
    fds[1].fd = errOpen ? fromChildErr[0] : -1;
    ::poll(fds, 3, static_cast<int>(remaining.count()));
    if (fds[2].revents & (POLLOUT | POLLERR | POLLHUP)) {
      const ssize_t put =
          ::write(inputDescriptor, standardInput.data() + written, standardInput.size() - written);
      if (put > 0) written += static_cast<std::size_t>(put);
      if (put < 0 && errno != EAGAIN) written = standardInput.size();
      if (written == standardInput.size()) {
        ::close(inputDescriptor);
        inputDescriptor = -1;
      }
    }
    for (int stream = 0; stream < 2; ++stream) {
      if (!(fds[stream].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      const ssize_t got = ::read(fds[stream].fd, buffer, sizeof buffer);
      if (got > 0) {
        (stream == 0 ? run.standardOutput : run.standardError)
            .append(buffer, static_cast<size_t>(got));
      } else if (got == 0 || errno != EAGAIN) {
        (stream == 0 ? outOpen : errOpen) = false;
      }
    }
  }
  if (inputDescriptor >= 0) ::close(inputDescriptor);
  ::close(fromChildOut[0]);
  ::close(fromChildErr[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (WIFEXITED(status)) run.exitStatus = WEXITSTATUS(status);
  return run;
}

}  // namespace vexilo::testing
