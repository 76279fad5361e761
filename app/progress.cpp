#include "app/progress.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>

#include "store/file_system.h"

namespace vexilo {
namespace {

// Time after which a throughput figure means something.
constexpr std::chrono::milliseconds throughputDelay{50};

// Writes the indicator's text into `text` and returns its length.
std::size_t formatProgress(std::uint64_t bytesDone, std::uint64_t totalBytes,
                           std::chrono::steady_clock::duration elapsed,
                           std::array<char, 64>& text) {
  const unsigned percent = totalBytes == 0 || bytesDone >= totalBytes
                               ? 100
                               : static_cast<unsigned>(100.0 * static_cast<double>(bytesDone) /
                                                       static_cast<double>(totalBytes));
  int length = std::snprintf(text.data(), text.size(), "vexilo: %3u%%", percent);
  const double seconds = std::chrono::duration<double>(elapsed).count();
  if (elapsed >= throughputDelay) {
    const double mebibytesPerSecond = static_cast<double>(bytesDone) / (1 << 20) / seconds;
    length += std::snprintf(text.data() + length, text.size() - static_cast<std::size_t>(length),
                            ", %.1f MiB/s", mebibytesPerSecond);
  }
  return std::min(static_cast<std::size_t>(length), text.size() - 1);
}

// The indicator on the terminal now, for a note that must clear its line at any moment.
ProgressIndicator* shownIndicator = nullptr;

}  // namespace

std::string progressText(std::uint64_t bytesDone, std::uint64_t totalBytes,
                         std::chrono::steady_clock::duration elapsed) {
  std::array<char, 64> text{};
  return std::string(text.data(), formatProgress(bytesDone, totalBytes, elapsed, text));
}

void clearShownProgress() {
  if (shownIndicator != nullptr) shownIndicator->clear();
}

ProgressIndicator::ProgressIndicator(FileHandle input, FileHandle terminal, Clock::time_point start)
    : start_(start), lastDrawn_(start) {
  const Result<std::uint64_t> inputSize = regularFileSize(input);
  if (isTerminal(terminal) && inputSize && *inputSize > progressThresholdBytes) {
    terminal_ = terminal;
    totalBytes_ = *inputSize;
  }
}

ProgressIndicator::~ProgressIndicator() { clear(); }

void ProgressIndicator::advance(std::uint64_t bytes, Clock::time_point now) {
  if (!shown()) return;
  bytesDone_ += bytes;
  if (drawnOnce_ && now - lastDrawn_ < progressRedrawInterval) return;
  drawnOnce_ = true;
  lastDrawn_ = now;
  shownIndicator = this;
  std::array<char, 64> text{};
  draw(std::string_view(text.data(), formatProgress(bytesDone_, totalBytes_, now - start_, text)));
}

// Drawing and clearing take no memory: the line is cleared also when memory has run out.
void ProgressIndicator::clear() {
  if (shownIndicator == this) shownIndicator = nullptr;
  if (!shown()) return;
  if (drawnWidth_ > 0) {
    std::array<char, 66> blank{};
    blank.fill(' ');
    blank.front() = '\r';
    blank[drawnWidth_ + 1] = '\r';
    // A terminal that refuses the blank keeps the line: nothing more is to be done about it.
    (void)writeAll(terminal_, std::string_view(blank.data(), drawnWidth_ + 2));
  }
  terminal_ = noFile;
}

void ProgressIndicator::draw(std::string_view text) {
  // Blanks after a shorter text cover what is left of the line before it.
  if (text.size() > drawnWidth_) drawnWidth_ = text.size();
  std::array<char, 65> line{};
  line.fill(' ');
  line.front() = '\r';
  text.copy(line.data() + 1, text.size());
  // A terminal that refuses the line gets no more of them.
  if (!writeAll(terminal_, std::string_view(line.data(), drawnWidth_ + 1))) {
    terminal_ = noFile;
  }
}

}  // namespace vexilo
