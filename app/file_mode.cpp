#include "app/file_mode.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "app/progress.h"
#include "core/text_cipher.h"
#include "store/text_file.h"

namespace vexilo {
namespace {

constexpr std::size_t blockSize = 1 << 16;

struct DescriptorCloser {
  int descriptor;
  ~DescriptorCloser() {
    if (descriptor >= 0) ::close(descriptor);
  }
};

// Reads up to `buffer.size()` bytes; -1 on a read error.
ssize_t readBlock(int descriptor, std::vector<char>& buffer) {
  for (;;) {
    const ssize_t got = ::read(descriptor, buffer.data(), buffer.size());
    if (got >= 0 || errno != EINTR) return got;
  }
}

bool sameFile(int inputDescriptor, const std::string& outputName) {
  struct stat input {};
  struct stat output {};
  return ::fstat(inputDescriptor, &input) == 0 && ::stat(outputName.c_str(), &output) == 0 &&
         input.st_dev == output.st_dev && input.st_ino == output.st_ino;
}

void reportError(std::string_view what, const std::string& fileName) {
  std::cerr << "vexilo: " << what << ' ' << fileName << ": " << std::strerror(errno) << '\n';
}

}  // namespace

FileModeOutcome runFileMode(Machine& machine, std::istream& in, std::ostream& out) {
  out << "enter name of file you wish to encrypt\n";
  std::string inputfile;
  // A name that the end of input cuts off was never finished: it is not opened.
  if (!(in >> inputfile) || in.eof()) return FileModeOutcome::inputEnded;

  const DescriptorCloser fin{::open(inputfile.c_str(), O_RDONLY | O_CLOEXEC)};
  std::vector<char> block(blockSize);
  // The first block is read at once, so that a file that opens but cannot be read (a directory)
  // is refused like one that does not open.
  const ssize_t firstBlock = fin.descriptor < 0 ? -1 : readBlock(fin.descriptor, block);
  if (firstBlock < 0) {
    out << unableToOpenFileMessage << '\n';
    return FileModeOutcome::inputUnusable;
  }

  out << "name of file you want to output encryped file to\n";
  std::string outputfile;
  if (!(in >> outputfile) || in.eof()) return FileModeOutcome::inputEnded;
  // Opening the input itself for writing would truncate it before it is read.
  if (sameFile(fin.descriptor, outputfile)) {
    out << unableToOpenFileMessage << '\n';
    return FileModeOutcome::done;
  }
  const DescriptorCloser fout{
      ::open(outputfile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666)};
  if (fout.descriptor < 0) {
    out << unableToOpenFileMessage << '\n';
    return FileModeOutcome::done;
  }

  std::string enciphered;
  enciphered.reserve(blockSize);
  bool writeFailed = false;
  bool lastWasLineEnd = true;
  ssize_t got = firstBlock;
  ProgressIndicator progress(fin.descriptor);
  while (got > 0) {
    progress.advance(static_cast<std::uint64_t>(got));
    const std::string_view text(block.data(), static_cast<std::size_t>(got));
    enciphered.clear();
    encipherText(machine, text, enciphered, out);
    lastWasLineEnd = text.back() == '\n';
    if (!writeFailed && !writeAll(fout.descriptor, enciphered)) {
      reportError("write error on", outputfile);
      writeFailed = true;
    }
    got = readBlock(fin.descriptor, block);
  }
  if (got < 0) reportError("read error on", inputfile);
  // Every line of the output ends in a line end, also when the input's last line has none.
  if (!lastWasLineEnd && !writeFailed && !writeAll(fout.descriptor, "\n")) {
    reportError("write error on", outputfile);
  }
  return FileModeOutcome::done;
}

}  // namespace vexilo
