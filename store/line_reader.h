// Reading the store's text files a line at a time, forwards or from the end, in memory that does
// not grow with the lines: a line of a gigabyte costs no more than a short one, and time grows only
// with the bytes read. A cursor reads each line's comma-separated fields front to back, taking the
// number at the start of a field and passing over the rest of it.
#ifndef VEXILO_STORE_LINE_READER_H_
#define VEXILO_STORE_LINE_READER_H_

#include <cstdint>
#include <functional>
#include <iostream>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "store/file_system.h"

namespace vexilo {

// The fields of one line, read front to back. A line has at least one field (an empty line has one
// empty field); each comma starts another.
class LineCursor {
 public:
  // A cursor over `text`, held in memory, as one line.
  explicit LineCursor(std::string_view text);
  // A cursor over the bytes of `file` from `offset` up to `limit`, read into `buffer` (of
  // `bufferSize` bytes) as they are needed.
  LineCursor(FileHandle file, char* buffer, std::size_t bufferSize, std::int64_t offset,
             std::int64_t limit);

  // True while the line has a field that has not been read.
  bool hasField();

  // The number at the start of the next field, as the standard conversion reads it: white space is
  // skipped, one optional sign is taken, in base 16 an optional "0x" or "0X", then the digits of
  // `base` (10 or 16, either case) up to the first other character; whatever follows in the field
  // is passed over. nullopt when the field has no digit there, when the value does not fit in 32
  // signed bits, or when no field is left.
  std::optional<std::int32_t> readNumberField(int base);

  // Moves past the rest of the line and its line end, if it has one.
  void skipLine();

  // At the start of a line (before any field is read), the whole line without its line end when
  // it is all in memory already; nullopt otherwise (a long line, or one that runs past the block
  // read so far). Reads nothing and moves nothing: for a reader that takes the common line the
  // quick way and leaves any other to the fields.
  std::optional<std::string_view> lineInMemory() const;

  // Starts the next line; false when no byte is left.
  bool startLine();

  // Why a read failed, nothing while none failed; reading stops at a failed read as at the end of
  // the file.
  const std::optional<Error>& readError() const { return readError_; }

 private:
  bool refill();
  int peek();
  void skipRestOfField();

  const char* next_ = nullptr;
  const char* end_ = nullptr;
  FileHandle file_ = noFile;  // noFile once nothing more is to be read
  char* buffer_ = nullptr;
  std::size_t bufferSize_ = 0;
  std::int64_t fileOffset_ = 0;  // where the next read starts
  std::int64_t limit_ = 0;       // no byte at or after this offset is read
  bool fieldAhead_ = true;
  bool lineEnded_ = false;
  bool afterNumber_ = false;  // within a field, past its number
  std::optional<Error> readError_;
};

// The number at the start of `text`, read as `LineCursor::readNumberField` reads a field.
std::optional<std::int32_t> parseInteger(std::string_view text, int base);

// The ID in the first field of a store line, read in `base`; nullopt when there is no number there
// or it is negative (no ID in the store is).
std::optional<std::int32_t> readLineId(LineCursor& line, int base);

// Reads the line's next `values.size()` fields as decimal numbers into `values`. Returns nullopt
// when all were read, or why the line cannot be: "it has too few fields" or "a field cannot be
// read as a number".
std::optional<std::string_view> readNumberFields(LineCursor& line, std::span<std::int32_t> values);

enum class LineReadOutcome { unableToOpen, finished, stopped };

// Called for each line with a cursor at its start and its number counted from 1; returns false to
// stop reading. A last line without a line end is visited like any other.
using LineVisitor = std::function<bool(LineCursor& line, std::int64_t lineNumber)>;

// Reads the store file `fileName` from the top, line by line. `unableToOpen` when it cannot be
// opened, is not a regular file or cannot be read at all: a note on `err` names the file and the
// reason, unless the file does not exist. A read error later on is noted too and ends the reading
// as if the file ended there.
LineReadOutcome forEachLine(const std::string& fileName, const LineVisitor& visit,
                            std::ostream& err = std::cerr);

// Called for each line, last line first, with a cursor at its start and the offset in the file of
// its first byte; returns false to stop reading.
using BackwardLineVisitor = std::function<bool(LineCursor& line, std::int64_t lineStart)>;

// Reads the store file `fileName` from its end: the same lines as `forEachLine` visits, in the
// opposite order, reading little more of the file than the lines visited. Failures as for
// `forEachLine`.
LineReadOutcome forEachLineBackward(const std::string& fileName, const BackwardLineVisitor& visit,
                                    std::ostream& err = std::cerr);

// The number of line ends in the first `length` bytes of `fileName`, that is the number of lines
// before a line that starts at offset `length`; counts what can be read when less can.
std::int64_t countLineEnds(const std::string& fileName, std::int64_t length);

// How many passed-over lines of one read are named one by one.
inline constexpr std::int64_t passedOverLinesNamed = 10;

// The notes on `err` about the lines of one file that one read passes over: the first
// `passedOverLinesNamed` as "vexilo: FILE: line N passed over: REASON", then, when the report
// goes, one line "vexilo: FILE: N more lines passed over" for the rest.
class PassedOverLines {
 public:
  PassedOverLines(std::string_view fileName, std::ostream& err);
  ~PassedOverLines();
  PassedOverLines(const PassedOverLines&) = delete;
  PassedOverLines& operator=(const PassedOverLines&) = delete;

  void add(std::int64_t lineNumber, std::string_view reason);

 private:
  std::string_view fileName_;
  std::ostream& err_;
  std::int64_t count_ = 0;
};

}  // namespace vexilo

#endif  // VEXILO_STORE_LINE_READER_H_
