#include "app/file_mode.h"

#include <fcntl.h>
#include <pthread.h>

#include <cerrno>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <string_view>
#include <utility>

#include "app/progress.h"
#include "core/text_cipher.h"
#include "core/text_loops.h"
#include "settings/registry.h"
#include "settings/typed_input.h"
#include "store/file_system.h"

namespace vexilo {
namespace {

// Blocks large enough that the work per block (two system calls, three hand-overs between the
// threads) is small beside the work per byte: paired runs on 256 MiB took a tenth to a third less
// time with 1 MiB than with 128 KiB. Three of them are in memory at once at most.
constexpr std::size_t blockSize = std::size_t{1} << 20;

// A block's bytes, left as they are made: the read fills them, and a file shorter than a block
// never touches (so never maps) the rest. They start at a page boundary, as the page cache's pages
// do: some processors (AMD's among them) copy between the two at a fraction of their speed when
// the two are aligned differently, and reads and writes are such copies.
constexpr std::align_val_t blockAlignment{4096};
struct FreeBlock {
  void operator()(char* bytes) const { ::operator delete[](bytes, blockAlignment); }
};
using Block = std::unique_ptr<char[], FreeBlock>;
Block newBlock() { return Block(static_cast<char*>(::operator new[](blockSize, blockAlignment))); }

// What the threads of the table path share. Blocks are read in turn and numbered; each thread
// counts the letters of the block it read, outside the lock, and then, in the order of the
// numbers, takes the machine position at the block's first byte from the blocks before it;
// whichever thread read a block enciphers it, and blocks are written in the order of their
// numbers: one thread reads and writes while the other enciphers.
struct BlockPipeline {
  const FileDescriptor& input;
  const FileDescriptor& output;
  const std::uint8_t* table;
  ProgressIndicator& progress;

  std::mutex readMutex{};
  Block firstBlock{};  // read before the output was opened; taken as block 0
  std::size_t firstBlockLength = 0;
  std::size_t blocksRead = 0;
  bool inputEnded = false;
  int readError = 0;

  std::mutex positionMutex{};
  std::condition_variable positionTurn{};
  std::size_t blocksPlaced = 0;
  std::int32_t position = 0;  // at the start of block `blocksPlaced`
  bool lastWasLineEnd = true;

  std::mutex writeMutex{};
  std::condition_variable writeTurn{};
  std::size_t nextToWrite = 0;
  int writeError = 0;
};

// Reads, enciphers and writes blocks into and from `block` until the input ends.
void runBlocks(BlockPipeline& pipeline, Block& block) {
  for (;;) {
    std::size_t number = 0;
    std::size_t length = 0;
    {
      const std::lock_guard lock(pipeline.readMutex);
      if (pipeline.inputEnded) return;
      if (pipeline.blocksRead == 0) {
        block.swap(pipeline.firstBlock);
        length = pipeline.firstBlockLength;
      } else {
        const ssize_t got = readSome(pipeline.input.get(), block.get(), blockSize);
        if (got < 0) pipeline.readError = errno;
        length = got < 0 ? 0 : static_cast<std::size_t>(got);
      }
      if (length == 0) {
        pipeline.inputEnded = true;
        return;
      }
      number = pipeline.blocksRead++;
      pipeline.progress.advance(length);
    }
    const std::string_view text(block.get(), length);
    const std::size_t letters = countLetters(text);
    std::int32_t start = 0;
    {
      std::unique_lock lock(pipeline.positionMutex);
      pipeline.positionTurn.wait(lock, [&] { return pipeline.blocksPlaced == number; });
      start = pipeline.position;
      pipeline.position =
          static_cast<std::int32_t>((static_cast<std::size_t>(start) + letters) % machinePeriod);
      pipeline.lastWasLineEnd = text.back() == '\n';
      ++pipeline.blocksPlaced;
    }
    pipeline.positionTurn.notify_all();
    encipherFromPosition(pipeline.table, start, text, block.get());
    {
      std::unique_lock lock(pipeline.writeMutex);
      pipeline.writeTurn.wait(lock, [&] { return pipeline.nextToWrite == number; });
      // After a failed write nothing more is written, but the input is still read to its end:
      // the machine moves on by every letter of the file.
      if (pipeline.writeError == 0 && !writeAll(pipeline.output.get(), text)) {
        pipeline.writeError = errno;
      }
      ++pipeline.nextToWrite;
    }
    pipeline.writeTurn.notify_all();
  }
}

}  // namespace

FileModeOutcome runFileMode(Machine& machine, CipherTableCache& cipherTable, std::istream& in,
                            std::ostream& out, std::ostream& err) {
  out << "enter name of file you wish to encrypt\n";
  std::string inputfile;
  // A name that the end of input cuts off was never finished: it is not opened.
  if (!readTypedWord(in, inputfile) || in.eof()) return FileModeOutcome::inputEnded;

  const FileDescriptor fin = openFile(inputfile, O_RDONLY);
  Block block = newBlock();
  // The first block is read at once, so that a file that opens but cannot be read (a directory)
  // is refused like one that does not open.
  const ssize_t firstBlock = fin.isOpen() ? readSome(fin.get(), block.get(), blockSize) : -1;
  if (firstBlock < 0) {
    reportFileError(err, fin.isOpen() ? "read error in" : "cannot open", inputfile, errno);
    writeUnableToOpenFile(out);
    return FileModeOutcome::inputUnusable;
  }
  // All the memory the work takes is taken before the output is opened: when there is not enough,
  // the program ends with the output file as it was. An empty file moves nothing and needs no
  // table (nor the time to build it).
  CipherTableKey key;
  const std::uint8_t* table =
      firstBlock > 0 && tableApplies(machine, key) ? cipherTableFor(cipherTable, key) : nullptr;
  Block otherBlock = table != nullptr ? newBlock() : nullptr;
  Block ownBlock = table != nullptr ? newBlock() : nullptr;
  std::string enciphered;
  if (table == nullptr && firstBlock > 0) enciphered.reserve(blockSize);

  out << "name of file you want to output encryped file to\n";
  std::string outputfile;
  if (!readTypedWord(in, outputfile) || in.eof()) return FileModeOutcome::inputEnded;
  // Opening the input itself for writing would truncate it before it is read.
  if (isSameFile(fin, outputfile)) {
    reportProblem(err, "cannot open " + outputfile + ": it is the input file");
    writeUnableToOpenFile(out);
    return FileModeOutcome::done;
  }
  // The store holds the user's keys: enciphered text over one of its files would lose them.
  if (namesStoreFile(outputfile)) {
    reportProblem(err, "cannot open " + outputfile + ": it is a file of the store");
    writeUnableToOpenFile(out);
    return FileModeOutcome::done;
  }
  const FileDescriptor fout = openFile(outputfile, O_WRONLY | O_CREAT | O_TRUNC);
  if (!fout.isOpen()) {
    reportFileError(err, "cannot open", outputfile, errno);
    writeUnableToOpenFile(out);
    return FileModeOutcome::done;
  }

  ProgressIndicator progress(fin.get());
  int readError = 0;
  int writeError = 0;
  bool lastWasLineEnd = true;
  if (table != nullptr) {
    BlockPipeline pipeline{fin, fout, table, progress};
    pipeline.firstBlock = std::move(block);
    pipeline.firstBlockLength = static_cast<std::size_t>(firstBlock);
    pipeline.position = machine.rotor1Steps;
    // The second thread is made with the system's own call, which reports a failure (a limit on
    // threads, say) instead of throwing: one thread then does all the work, more slowly.
    struct Helper {
      BlockPipeline* pipeline;
      Block* block;
    } helper{&pipeline, &otherBlock};
    pthread_t other{};
    const bool helped = ::pthread_create(
                            &other, nullptr,
                            [](void* argument) -> void* {
                              const auto* given = static_cast<Helper*>(argument);
                              runBlocks(*given->pipeline, *given->block);
                              return nullptr;
                            },
                            &helper) == 0;
    runBlocks(pipeline, ownBlock);
    if (helped) ::pthread_join(other, nullptr);
    moveMachineTo(machine, key, pipeline.position);
    readError = pipeline.readError;
    writeError = pipeline.writeError;
    lastWasLineEnd = pipeline.lastWasLineEnd;
  } else {
    // A broken machine goes letter by letter, its failure lines to `out` as they arise.
    ssize_t got = firstBlock;
    while (got > 0) {
      progress.advance(static_cast<std::uint64_t>(got));
      const std::string_view text(block.get(), static_cast<std::size_t>(got));
      enciphered.clear();
      encipherTextLetterByLetter(machine, text, enciphered, out);
      lastWasLineEnd = text.back() == '\n';
      if (writeError == 0 && !writeAll(fout.get(), enciphered)) writeError = errno;
      got = readSome(fin.get(), block.get(), blockSize);
    }
    if (got < 0) readError = errno;
  }
  // Every line of the output ends in a line end, also when the input's last line has none; an
  // output cut off by a read error gets none, so that it does not look complete.
  if (!lastWasLineEnd && readError == 0 && writeError == 0 && !writeAll(fout.get(), "\n")) {
    writeError = errno;
  }
  // The notes go on a line of their own, not after the indicator's.
  progress.clear();
  if (writeError != 0) reportFileError(err, "write error on", outputfile, writeError);
  if (readError != 0) reportFileError(err, "read error in", inputfile, readError);
  return FileModeOutcome::done;
}

}  // namespace vexilo
