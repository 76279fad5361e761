// Costs of enciphering: one letter through the letter-by-letter path, building the table of all
// machine positions, counting the letters of a text, and a megabyte of running text through
// `encipherText` either way.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <random>
#include <sstream>
#include <string>

#include "core/cipher_table.h"
#include "core/signal_path.h"
#include "core/text_cipher.h"
#include "core/text_loops.h"
#include "tests/support/test_machines.h"

namespace vexilo {
namespace {

Machine sampleMachine() {
  std::mt19937 random(42);
  return testing::randomMachine(random, 10);
}

// A mebibyte of words of 1 to 10 letters, some capitalised, with blanks, punctuation, numbers
// and line ends between them.
std::string sampleText() {
  std::mt19937 random(7);
  std::string text;
  std::size_t lineLength = 0;
  while (text.size() < (1U << 20)) {
    const std::size_t length = 1 + random() % 10;
    for (std::size_t letter = 0; letter < length; ++letter) {
      const bool capital = (letter == 0 && random() % 6 == 0);
      text += static_cast<char>((capital ? 'A' : 'a') + random() % 26);
    }
    if (random() % 8 == 0) text += ",.;!?"[random() % 5];
    if (random() % 30 == 0) (text += ' ') += std::to_string(random() % 10000);
    lineLength += length + 1;
    if (lineLength > 70) {
      text += '\n';
      lineLength = 0;
    } else {
      text += ' ';
    }
  }
  text.resize(1U << 20);
  return text;
}

void BM_QuickEncryptAndStepPerLetter(benchmark::State& state) {
  Machine machine = sampleMachine();
  std::int32_t index = 0;
  for (auto _ : state) {
    index = encipherAndStep(machine, index);
    benchmark::DoNotOptimize(index);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_QuickEncryptAndStepPerLetter);

// Argument 1: with the rows that the loops of one byte at a time read; 0: without.
void BM_BuildCipherTable(benchmark::State& state) {
  const Machine machine = sampleMachine();
  CipherTableKey key;
  tableApplies(machine, key);
  const bool withRows = state.range(0) != 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(buildCipherTable(key, withRows));
  }
}
BENCHMARK(BM_BuildCipherTable)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

// One mebibyte of text in blocks of `state.range(0)` bytes, as file mode hands them over.
void BM_EncipherTextPerMebibyte(benchmark::State& state) {
  Machine machine = sampleMachine();
  const std::string text = sampleText();
  const auto blockSize = static_cast<std::size_t>(state.range(0));
  CipherTableCache cipherTable;
  std::string enciphered;
  std::ostringstream failureLines;
  for (auto _ : state) {
    for (std::size_t start = 0; start < text.size(); start += blockSize) {
      enciphered.clear();
      encipherText(machine, cipherTable, std::string_view(text).substr(start, blockSize),
                   enciphered, failureLines);
      benchmark::DoNotOptimize(enciphered.data());
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_EncipherTextPerMebibyte)->Arg(1 << 16)->Arg(80)->Unit(benchmark::kMillisecond);

// Each text loop alone over a mebibyte, in place, as file mode runs it on a block (argument: the
// loop's place in `allTextLoops`), to see which is the fastest on a processor.
void BM_EncipherFromPositionPerMebibyte(benchmark::State& state) {
  const TextLoop loop = allTextLoops[static_cast<std::size_t>(state.range(0))];
  state.SetLabel(std::string(textLoopName(loop)));
  if (!whyTextLoopCannotRun(loop).empty()) {
    state.SkipWithError(std::string(whyTextLoopCannotRun(loop)).c_str());
    return;
  }
  CipherTableCache cipherTable;
  CipherTableKey key;
  tableApplies(sampleMachine(), key);
  const std::uint8_t* table = cipherTableFor(cipherTable, key, loop);
  std::string text = sampleText();
  std::int32_t position = 0;
  for (auto _ : state) {
    position = encipherFromPositionWith(loop, table, position, text, text.data());
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_EncipherFromPositionPerMebibyte)
    ->DenseRange(0, static_cast<int>(allTextLoops.size()) - 1)
    ->Unit(benchmark::kMicrosecond);

void BM_CountLettersPerMebibyte(benchmark::State& state) {
  const std::string text = sampleText();
  for (auto _ : state) benchmark::DoNotOptimize(countLetters(text));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_CountLettersPerMebibyte)->Unit(benchmark::kMicrosecond);

void BM_EncipherTextLetterByLetterPerMebibyte(benchmark::State& state) {
  Machine machine = sampleMachine();
  const std::string text = sampleText();
  std::string enciphered;
  std::ostringstream failureLines;
  for (auto _ : state) {
    enciphered.clear();
    encipherTextLetterByLetter(machine, text, enciphered, failureLines);
    benchmark::DoNotOptimize(enciphered.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_EncipherTextLetterByLetterPerMebibyte)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vexilo

BENCHMARK_MAIN();
