#include "app/standard_output.h"

#include <cerrno>
#include <cstdlib>
#include <new>
#include <string>
#include <string_view>

#include "app/command_line.h"
#include "app/main_loop.h"
#include "app/progress.h"
#include "store/console.h"
#include "store/file_system.h"

namespace vexilo {

DescriptorOutputBuffer::DescriptorOutputBuffer(FileHandle file) : file_(file) {
  setp(buffer_.data(), buffer_.data() + buffer_.size());
}

DescriptorOutputBuffer::~DescriptorOutputBuffer() { flushBuffer(); }

namespace {

// Ends the program at once with status 1, having said why on standard error: the rest of the
// session's output would be lost too, and reading on, an endless input would never end. Whatever
// the disposition of SIGPIPE, and on every system, a closed pipe ends the program here.
[[noreturn]] void endAfterWriteError(int errorNumber) {
  clearShownProgress();
  reportProblem(std::cerr, "write error on standard output: " + errorText(errorNumber));
  std::_Exit(1);
}

}  // namespace

void DescriptorOutputBuffer::flushBuffer() {
  const std::string_view held(pbase(), static_cast<std::size_t>(pptr() - pbase()));
  // Emptied first: the end after a failed write (and the end when memory runs out, which flushes)
  // finds nothing left to write.
  setp(buffer_.data(), buffer_.data() + buffer_.size());
  if (!held.empty() && !writeAll(file_, held)) endAfterWriteError(errno);
}

DescriptorOutputBuffer::int_type DescriptorOutputBuffer::overflow(int_type character) {
  flushBuffer();
  if (!traits_type::eq_int_type(character, traits_type::eof())) {
    *pptr() = traits_type::to_char_type(character);
    pbump(1);
  }
  return traits_type::not_eof(character);
}

std::streamsize DescriptorOutputBuffer::xsputn(const char* text, std::streamsize count) {
  const auto room = static_cast<std::streamsize>(epptr() - pptr());
  if (count <= room) {
    traits_type::copy(pptr(), text, static_cast<std::size_t>(count));
    pbump(static_cast<int>(count));
    return count;
  }
  // A text larger than the room left goes out at once, after what is held.
  flushBuffer();
  if (!writeAll(file_, std::string_view(text, static_cast<std::size_t>(count)))) {
    endAfterWriteError(errno);
  }
  return count;
}

int DescriptorOutputBuffer::sync() {
  flushBuffer();
  return 0;
}

namespace {

// Standard output of the running session, for the end when memory runs out.
DescriptorOutputBuffer* sessionOutput = nullptr;

constexpr std::string_view outOfMemoryNote = "vexilo: out of memory\n";

// Called by every allocation that finds no memory, in place of the exception it would throw: ends
// the program at once, taking no memory, with what the session wrote so far flushed. The store
// stays whole: an append has its line ready before it writes, and takes nothing between a failed
// write and cutting the file back.
void endOutOfMemory() {
  clearShownProgress();
  if (sessionOutput != nullptr) sessionOutput->pubsync();
  writeAll(standardErrorFile(), outOfMemoryNote);
  std::_Exit(1);
}

// Set before the program's own objects are made when it starts, which already take memory.
[[gnu::constructor(101)]] void endOutOfMemoryFromTheStart() {
  std::set_new_handler(endOutOfMemory);
}

}  // namespace

int runOnStandardStreams(std::span<const char* const> arguments) {
  prepareStandardStreams();
  // Unsynchronised streams keep file and line output fast; standard input stays tied to the
  // output, so every prompt is shown before its answer is read.
  std::ios::sync_with_stdio(false);
  DescriptorOutputBuffer outputBuffer(standardOutputFile());
  sessionOutput = &outputBuffer;
  std::ostream out(&outputBuffer);
  std::istream in(standardInputBuffer());
  in.tie(&out);
  std::cerr.tie(&out);
  const int status = runCommandLine(arguments, in, out, std::cerr);
  out.flush();
  std::cerr.tie(nullptr);
  sessionOutput = nullptr;
  return status;
}

}  // namespace vexilo
