#include "store/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <iostream>
#include <limits>
#include <vector>

namespace vexilo {
namespace {

constexpr std::size_t readBlockSize = 1 << 16;

// Closes the descriptor when the reading or writing function returns, whichever way.
struct DescriptorCloser {
  int descriptor;
  ~DescriptorCloser() { ::close(descriptor); }
};

bool isSpace(char character) {
  return character == ' ' || (character >= '\t' && character <= '\r');
}

bool isRegularFile(int descriptor) {
  struct stat status {};
  return ::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode);
}

void reportSystemError(std::string_view what, std::string_view fileName) {
  std::cerr << "vexilo: " << what << ' ' << fileName << ": " << std::strerror(errno) << '\n';
}

// A file of the store opens without blocking (a FIFO in its place must not hang the program) and
// must be a regular file (a device in its place must not feed it endless data).
int openStoreFile(const std::string& fileName, int flags) {
  const int descriptor = ::open(fileName.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0666);
  if (descriptor < 0) return -1;
  if (!isRegularFile(descriptor)) {
    ::close(descriptor);
    return -1;
  }
  return descriptor;
}

bool endsWithoutLineEnd(int descriptor) {
  struct stat status {};
  if (::fstat(descriptor, &status) != 0 || status.st_size == 0) return false;
  char last = '\n';
  // A file opened for writing only cannot be checked; it is taken to end in a line end.
  return ::pread(descriptor, &last, 1, status.st_size - 1) == 1 && last != '\n';
}

}  // namespace

std::optional<std::int32_t> parseInteger(std::string_view text, int base) {
  std::size_t position = 0;
  while (position < text.size() && isSpace(text[position])) ++position;
  bool negative = false;
  if (position < text.size() && (text[position] == '+' || text[position] == '-')) {
    negative = text[position] == '-';
    ++position;
  }
  std::uint64_t magnitude = 0;
  const char* first = text.data() + position;
  const auto [end, error] = std::from_chars(first, text.data() + text.size(), magnitude, base);
  if (error != std::errc() || end == first) return std::nullopt;
  constexpr auto largest = static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());
  if (negative) {
    if (magnitude > largest + 1) return std::nullopt;
    return static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude));
  }
  if (magnitude > largest) return std::nullopt;
  return static_cast<std::int32_t>(magnitude);
}

std::string_view firstField(std::string_view line) { return line.substr(0, line.find(',')); }

LineReadOutcome forEachLine(const std::string& fileName, const LineVisitor& visit) {
  const int descriptor = openStoreFile(fileName, O_RDONLY);
  if (descriptor < 0) return LineReadOutcome::unableToOpen;
  const DescriptorCloser closer{descriptor};

  std::vector<char> buffer(readBlockSize);
  std::size_t filled = 0;     // bytes held in the buffer
  std::size_t lineStart = 0;  // start of the line not yet ended
  std::int64_t lineNumber = 0;
  bool anyRead = false;
  for (;;) {
    if (filled == buffer.size()) {
      if (lineStart > 0) {
        std::memmove(buffer.data(), buffer.data() + lineStart, filled - lineStart);
        filled -= lineStart;
        lineStart = 0;
      } else {
        buffer.resize(buffer.size() * 2);  // one line fills the whole buffer
      }
    }
    const ssize_t got = ::read(descriptor, buffer.data() + filled, buffer.size() - filled);
    if (got < 0) {
      if (errno == EINTR) continue;
      if (!anyRead) return LineReadOutcome::unableToOpen;
      reportSystemError("read error in", fileName);
      break;
    }
    anyRead = true;
    if (got == 0) break;
    std::size_t scanFrom = filled;
    filled += static_cast<std::size_t>(got);
    while (const void* found = std::memchr(buffer.data() + scanFrom, '\n', filled - scanFrom)) {
      const auto lineEnd = static_cast<std::size_t>(static_cast<const char*>(found) - buffer.data());
      if (!visit(std::string_view(buffer.data() + lineStart, lineEnd - lineStart), ++lineNumber)) {
        return LineReadOutcome::stopped;
      }
      lineStart = lineEnd + 1;
      scanFrom = lineStart;
    }
  }
  if (lineStart < filled &&
      !visit(std::string_view(buffer.data() + lineStart, filled - lineStart), ++lineNumber)) {
    return LineReadOutcome::stopped;
  }
  return LineReadOutcome::finished;
}

bool appendToFile(const std::string& fileName, std::string_view text) {
  int descriptor = openStoreFile(fileName, O_RDWR | O_APPEND | O_CREAT);
  if (descriptor < 0 && errno == EACCES) {
    descriptor = openStoreFile(fileName, O_WRONLY | O_APPEND | O_CREAT);
  }
  if (descriptor < 0) return false;
  const DescriptorCloser closer{descriptor};

  std::string record;
  record.reserve(text.size() + 1);
  if (endsWithoutLineEnd(descriptor)) record += '\n';
  record += text;
  std::string_view rest = record;
  while (!rest.empty()) {
    const ssize_t written = ::write(descriptor, rest.data(), rest.size());
    if (written <= 0) {
      if (written < 0 && errno == EINTR) continue;
      reportSystemError("write error on", fileName);
      return true;
    }
    rest.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

void reportPassedOverLine(std::string_view fileName, std::int64_t lineNumber,
                          std::string_view reason) {
  std::cerr << "vexilo: " << fileName << ": line " << lineNumber << " passed over: " << reason
            << '\n';
}

}  // namespace vexilo
