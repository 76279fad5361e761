#include "store/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
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

// Value of each character as a digit of base 10 or 16 in either case; 36 for one that is no digit.
constexpr std::array<std::uint8_t, 256> digitValues = [] {
  std::array<std::uint8_t, 256> values{};
  for (auto& value : values) value = 36;
  for (int digit = 0; digit < 10; ++digit) values['0' + digit] = static_cast<std::uint8_t>(digit);
  for (int letter = 0; letter < 26; ++letter) {
    values['a' + letter] = static_cast<std::uint8_t>(10 + letter);
    values['A' + letter] = static_cast<std::uint8_t>(10 + letter);
  }
  return values;
}();

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

}  // namespace

std::int64_t parseIntegerValue(std::string_view text, int base) {
  const char* next = text.data();
  const char* const end = next + text.size();
  while (next != end && isSpace(*next)) ++next;
  bool negative = false;
  if (next != end && (*next == '+' || *next == '-')) {
    negative = *next == '-';
    ++next;
  }
  // Past the magnitude of the smallest 32-bit value no further digit can bring a number back into
  // range, so the digits need not be read to their end.
  constexpr std::uint64_t largestMagnitude = std::uint64_t{1} << 31;
  const auto digitBase = static_cast<unsigned>(base);
  const char* const digitsStart = next;
  std::uint64_t magnitude = 0;
  for (; next != end; ++next) {
    const unsigned digit = digitValues[static_cast<unsigned char>(*next)];
    if (digit >= digitBase) break;
    magnitude = magnitude * digitBase + digit;
    if (magnitude > largestMagnitude) return notAnInteger;
  }
  if (next == digitsStart) return notAnInteger;
  if (negative) return -static_cast<std::int64_t>(magnitude);
  if (magnitude == largestMagnitude) return notAnInteger;
  return static_cast<std::int64_t>(magnitude);
}

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
      const auto lineEnd =
          static_cast<std::size_t>(static_cast<const char*>(found) - buffer.data());
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

LineReadOutcome forEachLineBackward(const std::string& fileName, const BackwardLineVisitor& visit) {
  const int descriptor = openStoreFile(fileName, O_RDONLY);
  if (descriptor < 0) return LineReadOutcome::unableToOpen;
  const DescriptorCloser closer{descriptor};
  struct stat status {};
  if (::fstat(descriptor, &status) != 0) return LineReadOutcome::unableToOpen;

  // `buffer` holds the bytes of the file from `windowStart` up to `lineEnd`, the end of the line
  // not yet visited (its line end or the end of the file).
  std::vector<char> buffer;
  std::int64_t windowStart = status.st_size;
  std::int64_t lineEnd = status.st_size;
  bool lastByteChecked = false;
  for (;;) {
    const auto held = static_cast<std::size_t>(lineEnd - windowStart);
    const char* const lineEndInBuffer = buffer.data() + held;
    const void* found = held == 0 ? nullptr : ::memrchr(buffer.data(), '\n', held);
    if (found == nullptr && windowStart > 0) {
      // The line begins before the bytes held: read the block before them. A line longer than
      // the block at least doubles the read, so a long line is read in linear time.
      const std::int64_t blockLength =
          std::min<std::int64_t>(windowStart, std::max<std::int64_t>(readBlockSize, held));
      std::vector<char> extended(static_cast<std::size_t>(blockLength) + held);
      std::size_t got = 0;
      while (got < static_cast<std::size_t>(blockLength)) {
        const ssize_t read =
            ::pread(descriptor, extended.data() + got, static_cast<std::size_t>(blockLength) - got,
                    windowStart - blockLength + static_cast<std::int64_t>(got));
        if (read < 0 && errno == EINTR) continue;
        if (read <= 0) {
          if (buffer.empty()) return LineReadOutcome::unableToOpen;
          if (read < 0) reportSystemError("read error in", fileName);
          return LineReadOutcome::finished;
        }
        got += static_cast<std::size_t>(read);
      }
      if (held > 0) std::memcpy(extended.data() + blockLength, buffer.data(), held);
      buffer = std::move(extended);
      windowStart -= blockLength;
      continue;
    }
    if (!lastByteChecked) {
      // A line end as the file's last byte ends the last line; it starts no empty line after it.
      lastByteChecked = true;
      if (held > 0 && buffer[held - 1] == '\n') {
        --lineEnd;
        continue;
      }
      if (held == 0) return LineReadOutcome::finished;  // an empty file
    }
    const char* const lineStart =
        found == nullptr ? buffer.data() : static_cast<const char*>(found) + 1;
    const std::int64_t lineStartInFile = windowStart + (lineStart - buffer.data());
    if (!visit(std::string_view(lineStart, static_cast<std::size_t>(lineEndInBuffer - lineStart)),
               lineStartInFile)) {
      return LineReadOutcome::stopped;
    }
    if (found == nullptr) return LineReadOutcome::finished;  // that was the first line
    lineEnd = lineStartInFile - 1;
  }
}

std::int64_t countLineEnds(const std::string& fileName, std::int64_t length) {
  const int descriptor = openStoreFile(fileName, O_RDONLY);
  if (descriptor < 0) return 0;
  const DescriptorCloser closer{descriptor};
  std::vector<char> buffer(readBlockSize);
  std::int64_t lineEnds = 0;
  std::int64_t counted = 0;
  while (counted < length) {
    const auto wanted =
        static_cast<std::size_t>(std::min<std::int64_t>(length - counted, readBlockSize));
    const ssize_t got = ::read(descriptor, buffer.data(), wanted);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    lineEnds += std::count(buffer.data(), buffer.data() + got, '\n');
    counted += got;
  }
  return lineEnds;
}

void reportPassedOverLine(std::string_view fileName, std::int64_t lineNumber,
                          std::string_view reason) {
  std::cerr << "vexilo: " << fileName << ": line " << lineNumber << " passed over: " << reason
            << '\n';
}

std::int64_t lineIdOf(std::string_view line, int base) {
  const std::int64_t id = parseIntegerValue(line, base);
  return id < 0 ? unreadableLineId : id;  // `notAnInteger` is negative too
}

std::int64_t readLineId(std::string_view fileName, std::string_view line, std::int64_t lineNumber,
                        int base) {
  const std::int64_t id = lineIdOf(line, base);
  if (id == unreadableLineId) reportPassedOverLine(fileName, lineNumber, "its ID cannot be read");
  return id;
}

}  // namespace vexilo
