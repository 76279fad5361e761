// Standard output through a buffer of the program's own, which remembers why a write failed: a
// session whose output is lost (a full disk, /dev/full) then ends with a note and status 1 rather
// than silently.
#ifndef VEXILO_APP_STANDARD_OUTPUT_H_
#define VEXILO_APP_STANDARD_OUTPUT_H_

#include <array>
#include <iostream>
#include <span>
#include <streambuf>

#include "store/file_system.h"

namespace vexilo {

// Buffers what is written and passes it to `file` when full, when flushed and when it goes. The
// first failed write ends the program at once with status 1 and a note on standard error naming
// the reason ("write error on standard output: ...").
class DescriptorOutputBuffer : public std::streambuf {
 public:
  explicit DescriptorOutputBuffer(FileHandle file);
  ~DescriptorOutputBuffer() override;
  DescriptorOutputBuffer(const DescriptorOutputBuffer&) = delete;
  DescriptorOutputBuffer& operator=(const DescriptorOutputBuffer&) = delete;

 protected:
  int_type overflow(int_type character) override;
  std::streamsize xsputn(const char* text, std::streamsize count) override;
  int sync() override;

 private:
  void flushBuffer();

  FileHandle file_;
  std::array<char, 1 << 16> buffer_{};
};

// Runs what the command line `arguments` ask for (see runCommandLine) on the process's standard
// streams (see console.h) and returns its exit status. When standard output cannot be written the
// program ends at once with status 1, which is said on standard error. A closed pipe ends the
// program by its signal as usual on POSIX systems; where the caller ignores that signal, and on
// Windows, it is a write error like any other. When memory runs out the program
// ends at once with "vexilo: out of memory" on standard error and status 1, having flushed what it
// had written.
int runOnStandardStreams(std::span<const char* const> arguments);

}  // namespace vexilo

#endif  // VEXILO_APP_STANDARD_OUTPUT_H_
