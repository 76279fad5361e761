#include "store/line_reader.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>
#include <vector>

#include "store/file_system.h"

namespace vexilo {
namespace {

// Offset of the last line end in `text`, or npos. Eight bytes are tested at a time, as one word in
// which a byte equal to the line end becomes zero: a byte loop back over a line of a gigabyte
// takes seconds.
std::size_t lastLineEnd(std::string_view text) {
  constexpr std::uint64_t ones = 0x0101010101010101U;
  constexpr std::uint64_t highBits = 0x8080808080808080U;
  std::size_t end = text.size();
  while (end >= sizeof(std::uint64_t)) {
    std::uint64_t word = 0;
    std::memcpy(&word, text.data() + end - sizeof word, sizeof word);
    const std::uint64_t lineEndsZeroed = word ^ (ones * static_cast<std::uint8_t>('\n'));
    if (((lineEndsZeroed - ones) & ~lineEndsZeroed & highBits) != 0) break;
    end -= sizeof word;
  }
  return text.substr(0, end).rfind('\n');
}

constexpr std::size_t readBlockSize = 1 << 16;

// Value of each byte as a digit of base 10 or 16 in either case; 36 for one that is no digit.
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

// White space before a number; the line end is not, since it ends the field.
bool isBlank(int character) {
  return character == ' ' || character == '\t' || character == '\v' || character == '\f' ||
         character == '\r';
}

void noteOpenFailure(std::ostream& err, const std::string& fileName, const Error& error) {
  // A store file that does not exist yet is a new store, not a fault.
  if (error.number != ENOENT) reportFileError(err, "cannot open", fileName, error);
}

// Up to a block of `file` that ends at `end` (the block before it when lines run backwards).
struct BackwardWindow {
  FileHandle file;
  std::vector<char> bytes = std::vector<char>(readBlockSize);
  std::int64_t start = 0;  // file offset of bytes[0]
  std::int64_t end = 0;    // file offset after the last byte held

  // Holds the block that ends at `blockEnd`.
  Status load(std::int64_t blockEnd) {
    const std::int64_t blockStart =
        std::max<std::int64_t>(0, blockEnd - static_cast<std::int64_t>(bytes.size()));
    std::int64_t held = 0;
    while (blockStart + held < blockEnd) {
      const Result<std::size_t> got =
          readSomeAt(file, bytes.data() + held,
                     static_cast<std::size_t>(blockEnd - blockStart - held), blockStart + held);
      if (!got) return got.error();
      if (*got == 0) return errorNumbered(EIO);  // the file shrank under the reading
      held += static_cast<std::int64_t>(*got);
    }
    start = blockStart;
    end = blockEnd;
    return Done{};
  }

  const char* at(std::int64_t offset) const { return bytes.data() + (offset - start); }
};

}  // namespace

LineCursor::LineCursor(std::string_view text)
    : next_(text.data()), end_(text.data() + text.size()) {}

LineCursor::LineCursor(FileHandle file, char* buffer, std::size_t bufferSize, std::int64_t offset,
                       std::int64_t limit)
    : file_(file), buffer_(buffer), bufferSize_(bufferSize), fileOffset_(offset), limit_(limit) {}

bool LineCursor::refill() {
  if (file_ == noFile || fileOffset_ >= limit_) return false;
  const auto wanted =
      static_cast<std::size_t>(std::min<std::int64_t>(limit_ - fileOffset_, bufferSize_));
  const Result<std::size_t> got = readSomeAt(file_, buffer_, wanted, fileOffset_);
  if (!got || *got == 0) {
    if (!got) readError_ = got.error();
    file_ = noFile;
    return false;
  }
  next_ = buffer_;
  end_ = buffer_ + *got;
  fileOffset_ += static_cast<std::int64_t>(*got);
  return true;
}

int LineCursor::peek() {
  if (lineEnded_ || (next_ == end_ && !refill())) return -1;
  return static_cast<unsigned char>(*next_);
}

void LineCursor::skipRestOfField() {
  afterNumber_ = false;
  for (;;) {
    // Most fields end right after their number; a long one is searched a block at a time.
    const char* stop = next_;
    const char* const quickEnd = end_ - next_ > 16 ? next_ + 16 : end_;
    while (stop != quickEnd && *stop != ',' && *stop != '\n') ++stop;
    if (stop == quickEnd && stop != end_) {
      const auto rest = static_cast<std::size_t>(end_ - stop);
      const char* lineEnd = static_cast<const char*>(std::memchr(stop, '\n', rest));
      const char* comma = static_cast<const char*>(std::memchr(
          stop, ',', static_cast<std::size_t>((lineEnd == nullptr ? end_ : lineEnd) - stop)));
      stop = comma != nullptr ? comma : lineEnd != nullptr ? lineEnd : end_;
    }
    if (stop != end_) {
      next_ = stop + 1;
      if (*stop == '\n') {
        fieldAhead_ = false;
        lineEnded_ = true;
      }
      return;
    }
    next_ = end_;
    if (!refill()) {
      fieldAhead_ = false;
      lineEnded_ = true;
      return;
    }
  }
}

bool LineCursor::hasField() {
  if (afterNumber_) skipRestOfField();
  return fieldAhead_;
}

std::optional<std::int32_t> LineCursor::readNumberField(int base) {
  if (!hasField()) return std::nullopt;
  int character = peek();
  while (isBlank(character)) {
    ++next_;
    character = peek();
  }
  bool negative = false;
  if (character == '+' || character == '-') {
    negative = character == '-';
    ++next_;
    character = peek();
  }
  // Past the magnitude of the smallest 32-bit value no further digit brings a number back into
  // range; the digits are still passed over to the end of the field.
  constexpr std::uint64_t largestMagnitude = std::uint64_t{1} << 31;
  const auto digitBase = static_cast<unsigned>(base);
  std::uint64_t magnitude = 0;
  int digits = 0;
  while (character >= 0) {
    const unsigned digit = digitValues[static_cast<std::size_t>(character)];
    if (digit >= digitBase) break;
    ++digits;
    if (magnitude <= largestMagnitude) magnitude = magnitude * digitBase + digit;
    ++next_;
    character = peek();
    // A hexadecimal number may start with "0x" or "0X", as the standard conversion takes it; "0x"
    // without a digit after it is the number 0, the rest of the field passed over.
    if (base == 16 && digits == 1 && magnitude == 0 && (character == 'x' || character == 'X')) {
      ++next_;
      character = peek();
    }
  }
  const bool anyDigit = digits > 0;
  // The rest of the field is passed over only when another field is asked for: a line whose ID
  // is all that is read is passed over by one search for its end.
  afterNumber_ = true;
  if (!anyDigit || magnitude > largestMagnitude) return std::nullopt;
  if (negative) return static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude));
  if (magnitude == largestMagnitude) return std::nullopt;
  return static_cast<std::int32_t>(magnitude);
}

void LineCursor::skipLine() {
  afterNumber_ = false;
  while (!lineEnded_) {
    const void* found = next_ == end_ ? nullptr : std::memchr(next_, '\n', end_ - next_);
    if (found != nullptr) {
      next_ = static_cast<const char*>(found) + 1;
      lineEnded_ = true;
    } else if (!refill()) {
      next_ = end_;
      lineEnded_ = true;
    }
  }
  fieldAhead_ = false;
}

std::optional<std::string_view> LineCursor::lineInMemory() const {
  if (afterNumber_ || lineEnded_ || !fieldAhead_) return std::nullopt;
  const auto held = static_cast<std::size_t>(end_ - next_);
  if (held == 0) return file_ == noFile ? std::optional<std::string_view>("") : std::nullopt;
  const char* lineEnd = static_cast<const char*>(std::memchr(next_, '\n', held));
  if (lineEnd != nullptr) return std::string_view(next_, static_cast<std::size_t>(lineEnd - next_));
  // Without a line end the line is whole only when nothing more is to be read.
  if (file_ == noFile) return std::string_view(next_, held);
  return std::nullopt;
}

bool LineCursor::startLine() {
  afterNumber_ = false;
  lineEnded_ = false;
  fieldAhead_ = true;
  return next_ != end_ || refill();
}

std::optional<std::int32_t> parseInteger(std::string_view text, int base) {
  // A text is no store line: a line end in it is white space like any other.
  while (!text.empty() && (isBlank(text.front()) || text.front() == '\n')) text.remove_prefix(1);
  LineCursor cursor(text);
  return cursor.readNumberField(base);
}

std::optional<std::int32_t> readLineId(LineCursor& line, int base) {
  const std::optional<std::int32_t> id = line.readNumberField(base);
  if (id && *id < 0) return std::nullopt;
  return id;
}

std::optional<std::string_view> readNumberFields(LineCursor& line, std::span<std::int32_t> values) {
  for (std::int32_t& value : values) {
    if (!line.hasField()) return "it has too few fields";
    const std::optional<std::int32_t> number = line.readNumberField(10);
    if (!number) return "a field cannot be read as a number";
    value = *number;
  }
  return std::nullopt;
}

LineReadOutcome forEachLine(const std::string& fileName, const LineVisitor& visit,
                            std::ostream& err) {
  const Result<OpenFile> file = openStoreFile(fileName);
  if (!file) {
    noteOpenFailure(err, fileName, file.error());
    return LineReadOutcome::unableToOpen;
  }
  std::vector<char> buffer(readBlockSize);
  LineCursor cursor(file->get(), buffer.data(), buffer.size(), 0,
                    std::numeric_limits<std::int64_t>::max());
  std::int64_t lineNumber = 0;
  LineReadOutcome outcome = LineReadOutcome::finished;
  while (cursor.startLine()) {
    if (!visit(cursor, ++lineNumber)) {
      outcome = LineReadOutcome::stopped;
      break;
    }
    cursor.skipLine();
  }
  if (cursor.readError()) {
    reportFileError(err, "read error in", fileName, *cursor.readError());
    // A file of which nothing at all can be read counts as one that cannot be opened.
    if (lineNumber == 0) return LineReadOutcome::unableToOpen;
  }
  return outcome;
}

LineReadOutcome forEachLineBackward(const std::string& fileName, const BackwardLineVisitor& visit,
                                    std::ostream& err) {
  const Result<OpenFile> file = openStoreFile(fileName);
  const Result<std::uint64_t> size = file ? regularFileSize(file->get()) : file.error();
  if (!size) {
    noteOpenFailure(err, fileName, size.error());
    return LineReadOutcome::unableToOpen;
  }
  const auto fileSize = static_cast<std::int64_t>(*size);
  if (fileSize == 0) return LineReadOutcome::finished;

  BackwardWindow window{file->get()};
  // Lines longer than the window are read forwards again from their start, into a block of their
  // own; only as much of them as the visitor asks for.
  std::vector<char> longLine(readBlockSize);
  bool anyVisited = false;
  const auto readFailed = [&](const Error& error) {
    reportFileError(err, "read error in", fileName, error);
    return anyVisited ? LineReadOutcome::finished : LineReadOutcome::unableToOpen;
  };

  if (Status loaded = window.load(fileSize); !loaded) return readFailed(loaded.error());
  // A line end as the file's last byte ends the last line; it starts no empty line after it.
  std::int64_t lineEnd = fileSize;
  if (*window.at(lineEnd - 1) == '\n') --lineEnd;
  for (;;) {
    std::int64_t lineStart = 0;
    for (std::int64_t searchEnd = lineEnd; searchEnd > 0;) {
      if (searchEnd <= window.start || searchEnd > window.end) {
        if (Status loaded = window.load(searchEnd); !loaded) return readFailed(loaded.error());
      }
      const char* const from = window.at(window.start);
      const std::size_t found =
          lastLineEnd(std::string_view(from, static_cast<std::size_t>(searchEnd - window.start)));
      if (found != std::string_view::npos) {
        lineStart = window.start + static_cast<std::int64_t>(found) + 1;
        break;
      }
      searchEnd = window.start;
    }
    const bool held = lineStart >= window.start && lineEnd <= window.end;
    LineCursor cursor =
        held ? LineCursor(std::string_view(window.at(lineStart),
                                           static_cast<std::size_t>(lineEnd - lineStart)))
             : LineCursor(file->get(), longLine.data(), longLine.size(), lineStart, lineEnd);
    anyVisited = true;
    if (!visit(cursor, lineStart)) return LineReadOutcome::stopped;
    if (cursor.readError()) return readFailed(*cursor.readError());
    if (lineStart == 0) return LineReadOutcome::finished;
    lineEnd = lineStart - 1;
  }
}

std::int64_t countLineEnds(const std::string& fileName, std::int64_t length) {
  const Result<OpenFile> file = openStoreFile(fileName);
  if (!file) return 0;
  std::vector<char> buffer(readBlockSize);
  std::int64_t lineEnds = 0;
  std::int64_t counted = 0;
  while (counted < length) {
    const auto wanted =
        static_cast<std::size_t>(std::min<std::int64_t>(length - counted, readBlockSize));
    const Result<std::size_t> got = readSome(file->get(), buffer.data(), wanted);
    if (!got || *got == 0) break;
    lineEnds += std::count(buffer.data(), buffer.data() + *got, '\n');
    counted += static_cast<std::int64_t>(*got);
  }
  return lineEnds;
}

PassedOverLines::PassedOverLines(std::string_view fileName, std::ostream& err)
    : fileName_(fileName), err_(err) {}

PassedOverLines::~PassedOverLines() {
  if (count_ <= passedOverLinesNamed) return;
  reportProblem(err_, std::string(fileName_) + ": " +
                          std::to_string(count_ - passedOverLinesNamed) +
                          " more lines passed over");
}

void PassedOverLines::add(std::int64_t lineNumber, std::string_view reason) {
  if (++count_ > passedOverLinesNamed) return;
  reportProblem(err_, std::string(fileName_) + ": line " + std::to_string(lineNumber) +
                          " passed over: " + std::string(reason));
}

}  // namespace vexilo
