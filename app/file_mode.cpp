#include "app/file_mode.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "app/progress.h"
#include "core/text_cipher.h"
#include "core/text_loops.h"
#include "settings/output_file.h"
#include "settings/registry.h"
#include "settings/typed_input.h"
#include "store/file_location.h"
#include "store/file_system.h"
#include "system/memory_and_threads.h"

namespace vexilo {
namespace {

// Blocks large enough that the work per block (two system calls, three hand-overs between the
// threads) is small beside the work per byte: paired runs on 256 MiB took a tenth to a third less
// time with 1 MiB than with 128 KiB. There are three: one per thread and one read ahead.
constexpr std::size_t blockSize = std::size_t{1} << 20;
constexpr std::size_t blockCount = 3;

// The blocks' bytes, one after another in one piece of memory, left as they are made (a file
// shorter than a block never touches the rest). The piece starts at a boundary of 2 MiB, where
// the system is asked for pages of that size; blocks start at page boundaries, as the page
// cache's pages do: some processors (AMD's among them) copy between the two at a fraction of
// their speed when the two are aligned differently, and reads and writes are such copies.
constexpr std::size_t blockMemorySize = std::size_t{4} << 20;
constexpr std::align_val_t blockMemoryAlignment{std::size_t{2} << 20};
static_assert(blockCount * blockSize <= blockMemorySize);
static_assert(blockSize % 4096 == 0);

struct FreeBlockMemory {
  void operator()(char* bytes) const { ::operator delete[](bytes, blockMemoryAlignment); }
};
using BlockMemory = std::unique_ptr<char[], FreeBlockMemory>;

// When there is not enough memory the program ends, as for any allocation.
BlockMemory newBlockMemory() {
  BlockMemory memory(static_cast<char*>(::operator new[](blockMemorySize, blockMemoryAlignment)));
  // Advice only: refused, it leaves the ordinary pages.
  (void)adviseHugePages(memory.get(), blockMemorySize);
  return memory;
}

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
  const OpenFile& input;
  const OpenFile& output;
  const std::uint8_t* table;
  ProgressIndicator& progress;

  std::mutex readMutex{};
  char* firstBlock = nullptr;  // read before the output was opened; taken as block 0
  std::size_t firstBlockLength = 0;
  std::size_t blocksRead = 0;
  bool inputEnded = false;
  std::optional<Error> readError{};

  Turn placing{};             // to take the machine position
  std::int32_t position = 0;  // at the start of the block whose turn it is
  bool lastWasLineEnd = true;

  Turn writing{};
  std::optional<Error> writeError{};
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
        const Result<std::size_t> got = readSome(pipeline.input.get(), block, blockSize);
        if (!got) pipeline.readError = got.error();
        length = got ? *got : 0;
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
    if (!pipeline.writeError) {
      if (const Status written = writeAll(pipeline.output.get(), text); !written) {
        pipeline.writeError = written.error();
        pipeline.writeFailed.store(true, std::memory_order_relaxed);
      }
    }
    passTurn(pipeline.writing, turn);
  }
}

// What enciphering the input came to.
struct Transfer {
  std::optional<Error> readError{};
  std::optional<Error> writeError{};
  bool lastWasLineEnd = true;
};

// Enciphers through `table` on two threads, the first block already read into `blocks`.
Transfer encipherWithTable(Machine& machine, const CipherTableKey& key, const std::uint8_t* table,
                           const OpenFile& input, const OpenFile& output, char* blocks,
                           std::size_t firstBlockLength, ProgressIndicator& progress) {
  BlockPipeline pipeline{input, output, table, progress};
  pipeline.firstBlock = blocks;
  pipeline.firstBlockLength = firstBlockLength;
  pipeline.position = machine.rotor1Steps;
  // Without a second thread, this one does all the work, more slowly.
  struct Helper {
    BlockPipeline* pipeline;
    char* block;
  } helper{&pipeline, blocks + 2 * blockSize};
  {
    const SecondThread other(
        [](void* argument) {
          const auto* given = static_cast<Helper*>(argument);
          runBlocks(*given->pipeline, given->block);
        },
        &helper);
    runBlocks(pipeline, blocks + blockSize);
  }
  moveMachineTo(machine, key, pipeline.position);
  return {pipeline.readError, pipeline.writeError, pipeline.lastWasLineEnd};
}

// A broken machine goes letter by letter, its failure lines to `out` as they arise; the first
// block is already read into `block`, and `enciphered` has room for a block.
Transfer encipherLetterByLetter(Machine& machine, const OpenFile& input, const OpenFile& output,
                                char* block, std::size_t firstBlockLength, std::string& enciphered,
                                ProgressIndicator& progress, std::ostream& out) {
  Transfer transfer;
  Result<std::size_t> got = firstBlockLength;
  while (got && *got > 0) {
    progress.advance(*got);
    const std::string_view text(block, *got);
    enciphered.clear();
    encipherTextLetterByLetter(machine, text, enciphered, out);
    transfer.lastWasLineEnd = text.back() == '\n';
    if (const Status written = writeAll(output.get(), enciphered); !written) {
      transfer.writeError = written.error();
      return transfer;
    }
    got = readSome(input.get(), block, blockSize);
  }
  if (!got) transfer.readError = got.error();
  return transfer;
}

// Ends every line of the output with a line end, also when the input's last line has none; an
// output cut off by a read error gets none, so that it does not look complete. Then says what
// failed.
FileModeOutcome finishOutput(Transfer& transfer, const OpenFile& output,
                             const std::string& inputName, const std::string& outputName,
                             ProgressIndicator& progress, std::ostream& err) {
  if (!transfer.lastWasLineEnd && !transfer.readError && !transfer.writeError) {
    if (const Status written = writeAll(output.get(), "\n"); !written) {
      transfer.writeError = written.error();
    }
  }
  // The notes go on a line of their own, not after the indicator's.
  progress.clear();
  if (transfer.writeError) reportFileError(err, "write error on", outputName, *transfer.writeError);
  if (transfer.readError) reportFileError(err, "read error in", inputName, *transfer.readError);
  return transfer.writeError || transfer.readError ? FileModeOutcome::outputUnwritten
                                                   : FileModeOutcome::done;
}

}  // namespace

FileModeOutcome runFileMode(Machine& machine, CipherTableCache& cipherTable, std::istream& in,
                            std::ostream& out, std::ostream& err) {
  out << "enter name of file you wish to encrypt\n";
  std::string inputName;
  // A name that the end of input cuts off was never finished: it is not opened.
  const TypedFileName typedInput = readTypedFileName(in, inputName);
  if (typedInput == TypedFileName::ended) return FileModeOutcome::inputEnded;
  if (typedInput == TypedFileName::unclosed) {
    reportFileError(err, "cannot open", inputName, ownError(OwnReason::quoteNotClosed));
    writeUnableToOpenFile(out);
    return FileModeOutcome::inputUnusable;
  }

  const Result<OpenedFile> input = openFile(inputName, OpenMode::reading);
  const BlockMemory blocks = newBlockMemory();
  // The first block is read at once, so that a file that opens but cannot be read (a directory)
  // is refused like one that does not open.
  const Result<std::size_t> firstBlock =
      input ? readSome(input->file.get(), blocks.get(), blockSize) : input.error();
  if (!firstBlock) {
    reportFileError(err, input ? "read error in" : "cannot open", inputName, firstBlock.error());
    writeUnableToOpenFile(out);
    return FileModeOutcome::inputUnusable;
  }
  // All the memory the work takes is taken before the output is opened: when there is not enough,
  // the program ends with the output file as it was. An empty file moves nothing and needs no
  // table (nor the time to build it).
  CipherTableKey key;
  const std::uint8_t* table =
      *firstBlock > 0 && tableApplies(machine, key) ? cipherTableFor(cipherTable, key) : nullptr;
  std::string enciphered;
  if (table == nullptr && *firstBlock > 0) enciphered.reserve(blockSize);

  out << "name of file you want to output encryped file to\n";
  std::string outputName;
  const TypedFileName typedOutput = readTypedFileName(in, outputName);
  if (typedOutput == TypedFileName::ended) return FileModeOutcome::inputEnded;
  const Result<OpenFile> output = typedOutput == TypedFileName::unclosed
                                      ? ownError(OwnReason::quoteNotClosed)
                                      : openOutput(outputName, input->file);
  if (!output) {
    reportFileError(err, "cannot open", outputName, output.error());
    writeUnableToOpenFile(out);
    return FileModeOutcome::outputUnwritten;
  }

  ProgressIndicator progress(input->file.get());
  Transfer transfer = table != nullptr
                          ? encipherWithTable(machine, key, table, input->file, *output,
                                              blocks.get(), *firstBlock, progress)
                          : encipherLetterByLetter(machine, input->file, *output, blocks.get(),
                                                   *firstBlock, enciphered, progress, out);
  return finishOutput(transfer, *output, inputName, outputName, progress, err);
}

}  // namespace vexilo
