// Standard output through a buffer of the program's own, which remembers why a write failed: a
// session whose output is lost (a full disk, /dev/full) then ends with a note and status 1 rather
// than silently.
#ifndef VEXILO_APP_STANDARD_OUTPUT_H_
#define VEXILO_APP_STANDARD_OUTPUT_H_

#include <array>
#include <iostream>
#include <optional>
#include <span>
#include <streambuf>
#include <string_view>

#include "system/files.h"
#include "system/result.h"

namespace vexilo {

// Buffers what is written and passes it to `file` when full, when flushed and when it goes. After
// the first failed write the rest is dropped; the stream using it does not go bad.
class DescriptorOutputBuffer : public std::streambuf {
 public:
  explicit DescriptorOutputBuffer(FileHandle file);
  ~DescriptorOutputBuffer() override;
  DescriptorOutputBuffer(const DescriptorOutputBuffer&) = delete;
  DescriptorOutputBuffer& operator=(const DescriptorOutputBuffer&) = delete;

  // Why the first failed write failed; nothing while none failed.
  const std::optional<Error>& writeError() const { return writeError_; }

 protected:
  int_type overflow(int_type character) override;
  std::streamsize xsputn(const char* text, std::streamsize count) override;
  int sync() override;

 private:
  void flushBuffer();
  void write(std::string_view text);

  FileHandle file_;
  std::optional<Error> writeError_;
  std::array<char, 1 << 16> buffer_{};
};

// Runs what the command line `arguments` ask for (see runCommandLine) on the process's standard
// streams (see console.h) and returns its exit status, or 1 when standard output could not be
// written, which is then said on standard error. A closed pipe ends the program by its signal as
// usual on POSIX systems; where the caller ignores that signal, and on Windows, it is a write
// error like any other. When memory runs out the program
// ends at once with "vexilo: out of memory" on standard error and status 1, having flushed what it
// had written.
int runOnStandardStreams(std::span<const char* const> arguments);

}  // namespace vexilo

#endif  // VEXILO_APP_STANDARD_OUTPUT_H_
