// Plain text files of the store: reading them line by line, appending a line, and reading the
// numbers that stand in their fields.
#ifndef VEXILO_STORE_TEXT_FILE_H_
#define VEXILO_STORE_TEXT_FILE_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vexilo {

// The number at the start of `text` in `base` (10 or 16): leading white space is skipped, one
// optional sign is taken, then the digits of the base up to the first other character. No digit,
// or a value outside the signed 32-bit range, gives nullopt. A "0x" prefix is not taken.
std::optional<std::int32_t> parseInteger(std::string_view text, int base);

// Stands for "no number" in the result of `parseIntegerValue`; no 32-bit integer has this value.
inline constexpr std::int64_t notAnInteger = INT64_MIN;

// As `parseInteger`, with `notAnInteger` in place of nullopt: a plain integer comes back in a
// register, which counts where every line of a large file is parsed.
std::int64_t parseIntegerValue(std::string_view text, int base);

inline std::optional<std::int32_t> parseInteger(std::string_view text, int base) {
  const std::int64_t value = parseIntegerValue(text, base);
  if (value == notAnInteger) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

// Splits `line` at every comma into at most `fields.size()` fields and returns how many it found
// (fields after the last slot are dropped unread). An empty field stays empty.
template <typename FieldArray>
std::size_t splitFields(std::string_view line, FieldArray& fields) {
  std::size_t count = 0;
  std::size_t start = 0;
  while (count < fields.size()) {
    const std::size_t comma = line.find(',', start);
    fields[count++] =
        line.substr(start, comma == std::string_view::npos ? line.npos : comma - start);
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return count;
}

enum class LineReadOutcome { unableToOpen, finished, stopped };

// Called for each line, without its line end, with its number counted from 1; returns false to stop
// reading. A last line without a line end is visited like any other.
using LineVisitor = std::function<bool(std::string_view line, std::int64_t lineNumber)>;

// Reads the regular file `fileName` from the top, line by line. `unableToOpen` when it does not
// exist, is not a regular file or cannot be read at all; a read error later ends the reading
// (reported on standard error) as if the file ended there.
LineReadOutcome forEachLine(const std::string& fileName, const LineVisitor& visit);

// Called for each line, without its line end, last line first, with the offset in the file of the
// line's first byte; returns false to stop reading.
using BackwardLineVisitor = std::function<bool(std::string_view line, std::int64_t lineStart)>;

// Reads the regular file `fileName` from its end, line by line, last line first: the same lines
// as `forEachLine` visits, in the opposite order, reading no more of the file than the lines
// visited. `unableToOpen` as for `forEachLine`; a read error ends the reading (reported on
// standard error) as if the file began there.
LineReadOutcome forEachLineBackward(const std::string& fileName, const BackwardLineVisitor& visit);

// The number of line ends in the first `length` bytes of `fileName`, that is the number of lines
// before a line that starts at offset `length`. Counts what can be read when the file is shorter
// or cannot be read to there.
std::int64_t countLineEnds(const std::string& fileName, std::int64_t length);

// Reports on standard error that line `lineNumber` of `fileName` was passed over, and why.
void reportPassedOverLine(std::string_view fileName, std::int64_t lineNumber,
                          std::string_view reason);

// Marks a store line whose ID cannot be read.
inline constexpr std::int64_t unreadableLineId = -1;

// The ID at the start of a store line, read in `base`, or `unreadableLineId` when there is no
// number there or it is negative (IDs in the store never are). Reading stops at the comma that
// ends the ID field, as at any other character that is no digit.
std::int64_t lineIdOf(std::string_view line, int base);

// As `lineIdOf`, and reports an unreadable ID as line `lineNumber` of `fileName` passed over.
std::int64_t readLineId(std::string_view fileName, std::string_view line, std::int64_t lineNumber,
                        int base);

}  // namespace vexilo

#endif  // VEXILO_STORE_TEXT_FILE_H_
