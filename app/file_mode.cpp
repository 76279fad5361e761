#include "app/file_mode.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>

#include "app/file_mode_system.h"
#include "app/progress.h"
#include "core/text_cipher.h"
#include "core/text_loops.h"
#include "settings/registry.h"
#include "settings/typed_input.h"
#include "store/file_location.h"
#include "store/file_system.h"

namespace vexilo {
namespace {

// Blocks large enough that the work per block (two system calls, three hand-overs between the
// threads) is small beside the work per byte: paired runs on 256 MiB took a tenth to a third less
// time with 1 MiB than with 128 KiB. There are three: one per thread and one read ahead.
constexpr std::size_t blockSize = std::size_t{1} << 20;
constexpr std::size_t blockCount = 3;

// The three blocks lie one after another in the memory of `newBlockMemory`.
static_assert(blockCount * blockSize <= blockMemorySize);
static_assert(blockSize % 4096 == 0 && blockMemoryAlignment % 4096 == 0);

// A turn that passes from block to block in the order of their numbers (modulo 2^32): the block
// whose turn it is owns what the turn guards.
struct Turn {
  std::atomic<std::uint32_t> next{0};
  std::mutex mutex{};
  std::condition_variable passed{};
};

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
  char* firstBlock = nullptr;  // read before the output was opened; taken as block 0
  std::size_t firstBlockLength = 0;
  std::size_t blocksRead = 0;
  bool inputEnded = false;
  int readError = 0;

  Turn placing{};             // to take the machine position
  std::int32_t position = 0;  // at the start of the block whose turn it is
  bool lastWasLineEnd = true;

  Turn writing{};
  int writeError = 0;
  // Set with the first failed write: no block is read after it.
  std::atomic<bool> writeFailed{false};
};

// How long a thread waiting for its turn checks before it sleeps: a turn about to be passed is
// taken without the round trip of sleeping and waking. Only briefly: where other programs keep
// every processor busy, a thread that checks for long takes processor time from the thread that
// is to pass the turn (checking for a millisecond made file mode three times slower beside two
// busy programs on two processors). The sleep is a condition variable's: the waits of the standard
// library's atomics give up the processor as they wait, which left the woken thread behind the
// other programs (1.7 times slower beside the same two).
constexpr std::chrono::microseconds turnCheckLimit{50};

// Tells the processor that this is a wait loop, where it has an instruction for that.
inline void relaxInWaitLoop() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#elif defined(__aarch64__) || defined(__arm__)
  __asm__ __volatile__("yield");
#endif
}

// Waits until it is block `number`'s turn: checks for `turnCheckLimit`, then sleeps.
void waitForTurn(Turn& turn, std::uint32_t number) {
  const auto giveUp = std::chrono::steady_clock::now() + turnCheckLimit;
  do {
    for (int check = 0; check < 64; ++check) {
      if (turn.next.load(std::memory_order_acquire) == number) return;
      relaxInWaitLoop();
    }
  } while (std::chrono::steady_clock::now() < giveUp);
  std::unique_lock lock(turn.mutex);
  turn.passed.wait(lock, [&] { return turn.next.load(std::memory_order_acquire) == number; });
}

void passTurn(Turn& turn, std::uint32_t number) {
  {
    // Under the mutex, so that a thread about to sleep either sees the new turn or is woken.
    const std::lock_guard lock(turn.mutex);
    turn.next.store(number + 1, std::memory_order_release);
  }
  turn.passed.notify_all();
}

// Reads, enciphers and writes blocks into and from `block` until the input ends.
void runBlocks(BlockPipeline& pipeline, char* block) {
  for (;;) {
    std::size_t number = 0;
    std::size_t length = 0;
    {
      const std::lock_guard lock(pipeline.readMutex);
      if (pipeline.inputEnded || pipeline.writeFailed.load(std::memory_order_relaxed)) return;
      if (pipeline.blocksRead == 0) {
        std::swap(block, pipeline.firstBlock);
        length = pipeline.firstBlockLength;
      } else {
        const std::int64_t got = readSome(pipeline.input.get(), block, blockSize);
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
    const std::string_view text(block, length);
    const std::size_t letters = countLetters(text);
    const auto turn = static_cast<std::uint32_t>(number);
    waitForTurn(pipeline.placing, turn);
    const std::int32_t start = pipeline.position;
    pipeline.position =
        static_cast<std::int32_t>((static_cast<std::size_t>(start) + letters) % machinePeriod);
    pipeline.lastWasLineEnd = text.back() == '\n';
    passTurn(pipeline.placing, turn);
    encipherFromPosition(pipeline.table, start, text, block);
    waitForTurn(pipeline.writing, turn);
    // After a failed write nothing more is written or read: an endless input would be read for
    // ever. The blocks read by then still move the machine on by their letters.
    if (pipeline.writeError == 0 && !writeAll(pipeline.output.get(), text)) {
      pipeline.writeError = errno;
      pipeline.writeFailed.store(true, std::memory_order_relaxed);
    }
    passTurn(pipeline.writing, turn);
  }
}

// Why the file at `location` may not take file mode's output: the input, which opening it for
// writing would empty before it is read, or a file of the store, which holds the user's keys.
// Null when it may.
const char* whyNotAnOutput(const FileLocation& location, const FileDescriptor& input) {
  if (location.file && location.file == identityOf(input)) return "it is the input file";
  if (namesStoreFile(location)) return "it is a file of the store";
  return nullptr;
}

// Says that the output `fileName` is not written, for `reason`.
FileModeOutcome refuseOutput(const std::string& fileName, std::string_view reason,
                             std::ostream& out, std::ostream& err) {
  reportFileError(err, "cannot open", fileName, reason);
  writeUnableToOpenFile(out);
  return FileModeOutcome::outputUnwritten;
}

}  // namespace

FileModeOutcome runFileMode(Machine& machine, CipherTableCache& cipherTable, std::istream& in,
                            std::ostream& out, std::ostream& err) {
  out << "enter name of file you wish to encrypt\n";
  std::string inputfile;
  // A name that the end of input cuts off was never finished: it is not opened.
  const TypedFileName typedInput = readTypedFileName(in, inputfile);
  if (typedInput == TypedFileName::ended) return FileModeOutcome::inputEnded;
  if (typedInput == TypedFileName::unclosed) {
    reportFileError(err, "cannot open", inputfile, unclosedQuoteReason);
    writeUnableToOpenFile(out);
    return FileModeOutcome::inputUnusable;
  }

  const FileDescriptor fin = openFile(inputfile);
  const BlockMemory blocks = newBlockMemory();
  char* const block = blocks.get();
  // The first block is read at once, so that a file that opens but cannot be read (a directory)
  // is refused like one that does not open.
  const std::int64_t firstBlock = fin.isOpen() ? readSome(fin.get(), block, blockSize) : -1;
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
  std::string enciphered;
  if (table == nullptr && firstBlock > 0) enciphered.reserve(blockSize);

  out << "name of file you want to output encryped file to\n";
  std::string outputfile;
  const TypedFileName typedOutput = readTypedFileName(in, outputfile);
  if (typedOutput == TypedFileName::ended) return FileModeOutcome::inputEnded;
  if (typedOutput == TypedFileName::unclosed) {
    return refuseOutput(outputfile, unclosedQuoteReason, out, err);
  }
  // The output is judged before it is opened, so that a file of the store not made yet is not made
  // by the open; and after, by the file the system opened, should the name lead elsewhere by then.
  // It is emptied only once it has passed.
  std::optional<FileLocation> target = locateFile(outputfile);
  if (!target) return refuseOutput(outputfile, errorText(errno), out, err);
  if (const char* refusal = whyNotAnOutput(*target, fin)) {
    return refuseOutput(outputfile, refusal, out, err);
  }
  const FileDescriptor fout = openForWriting(outputfile);
  if (!fout.isOpen()) return refuseOutput(outputfile, errorText(errno), out, err);
  target->file = identityOf(fout);
  if (const char* refusal = whyNotAnOutput(*target, fin)) {
    return refuseOutput(outputfile, refusal, out, err);
  }
  // A file already empty is not cut: on ext4 a cut to nothing has the whole new content written
  // out when the file is closed, which took file mode twice its time.
  if (regularFileSize(fout.get()).value_or(0) > 0 && !cutBack(fout.get(), 0)) {
    return refuseOutput(outputfile, errorText(errno), out, err);
  }

  ProgressIndicator progress(fin.get());
  int readError = 0;
  int writeError = 0;
  bool lastWasLineEnd = true;
  if (table != nullptr) {
    BlockPipeline pipeline{fin, fout, table, progress};
    pipeline.firstBlock = block;
    pipeline.firstBlockLength = static_cast<std::size_t>(firstBlock);
    pipeline.position = machine.rotor1Steps;
    // Without a second thread, this one does all the work, more slowly.
    struct Helper {
      BlockPipeline* pipeline;
      char* block;
    } helper{&pipeline, block + 2 * blockSize};
    {
      const SecondThread other(
          [](void* argument) {
            const auto* given = static_cast<Helper*>(argument);
            runBlocks(*given->pipeline, given->block);
          },
          &helper);
      runBlocks(pipeline, block + blockSize);
    }
    moveMachineTo(machine, key, pipeline.position);
    readError = pipeline.readError;
    writeError = pipeline.writeError;
    lastWasLineEnd = pipeline.lastWasLineEnd;
  } else {
    // A broken machine goes letter by letter, its failure lines to `out` as they arise.
    std::int64_t got = firstBlock;
    while (got > 0) {
      progress.advance(static_cast<std::uint64_t>(got));
      const std::string_view text(block, static_cast<std::size_t>(got));
      enciphered.clear();
      encipherTextLetterByLetter(machine, text, enciphered, out);
      lastWasLineEnd = text.back() == '\n';
      if (!writeAll(fout.get(), enciphered)) {
        writeError = errno;
        break;
      }
      got = readSome(fin.get(), block, blockSize);
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
  return writeError != 0 || readError != 0 ? FileModeOutcome::outputUnwritten
                                           : FileModeOutcome::done;
}

}  // namespace vexilo
