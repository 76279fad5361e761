#include "app/file_mode.h"

#include <fcntl.h>

#include <cerrno>
#include <string>
#include <string_view>
#include <vector>

#include "app/progress.h"
#include "core/text_cipher.h"
#include "store/file_system.h"

namespace vexilo {
namespace {

constexpr std::size_t blockSize = 1 << 16;

}  // namespace

FileModeOutcome runFileMode(Machine& machine, std::istream& in, std::ostream& out,
                            std::ostream& err) {
  out << "enter name of file you wish to encrypt\n";
  std::string inputfile;
  // A name that the end of input cuts off was never finished: it is not opened.
  if (!(in >> inputfile) || in.eof()) return FileModeOutcome::inputEnded;

  const FileDescriptor fin = openFile(inputfile, O_RDONLY);
  std::vector<char> block(blockSize);
  // The first block is read at once, so that a file that opens but cannot be read (a directory)
  // is refused like one that does not open.
  const ssize_t firstBlock = fin.isOpen() ? readSome(fin.get(), block.data(), block.size()) : -1;
  if (firstBlock < 0) {
    reportFileError(err, fin.isOpen() ? "read error in" : "cannot open", inputfile, errno);
    writeUnableToOpenFile(out);
    return FileModeOutcome::inputUnusable;
  }

  out << "name of file you want to output encryped file to\n";
  std::string outputfile;
  if (!(in >> outputfile) || in.eof()) return FileModeOutcome::inputEnded;
  // Opening the input itself for writing would truncate it before it is read.
  if (isSameFile(fin, outputfile)) {
    reportProblem(err, "cannot open " + outputfile + ": it is the input file");
    writeUnableToOpenFile(out);
    return FileModeOutcome::done;
  }
  const FileDescriptor fout = openFile(outputfile, O_WRONLY | O_CREAT | O_TRUNC);
  if (!fout.isOpen()) {
    reportFileError(err, "cannot open", outputfile, errno);
    writeUnableToOpenFile(out);
    return FileModeOutcome::done;
  }

  CipherTableCache cipherTable;
  std::string enciphered;
  enciphered.reserve(blockSize);
  bool writeFailed = false;
  bool lastWasLineEnd = true;
  ssize_t got = firstBlock;
  ProgressIndicator progress(fin.get());
  const auto write = [&](std::string_view text) {
    if (writeFailed) return;
    if (!writeAll(fout.get(), text)) {
      reportFileError(err, "write error on", outputfile, errno);
      writeFailed = true;
    }
  };
  while (got > 0) {
    progress.advance(static_cast<std::uint64_t>(got));
    const std::string_view text(block.data(), static_cast<std::size_t>(got));
    enciphered.clear();
    encipherText(machine, cipherTable, text, enciphered, out);
    lastWasLineEnd = text.back() == '\n';
    write(enciphered);
    got = readSome(fin.get(), block.data(), block.size());
  }
  if (got < 0) reportFileError(err, "read error in", inputfile, errno);
  // Every line of the output ends in a line end, also when the input's last line has none.
  if (!lastWasLineEnd) write("\n");
  return FileModeOutcome::done;
}

}  // namespace vexilo
