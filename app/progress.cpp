#include "app/progress.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string_view>

#include "store/file_system.h"

namespace vexilo {
namespace {

// Time after which a throughput figure means something.
constexpr std::chrono::milliseconds throughputDelay{50};

}  // namespace

std::string progressText(std::uint64_t bytesDone, std::uint64_t totalBytes,
                         std::chrono::steady_clock::duration elapsed) {
  const unsigned percent = totalBytes == 0 || bytesDone >= totalBytes
                               ? 100
                               : static_cast<unsigned>(100.0 * static_cast<double>(bytesDone) /
                                                       static_cast<double>(totalBytes));
  char text[64];
  int length = std::snprintf(text, sizeof text, "vexilo: %3u%%", percent);
  const double seconds = std::chrono::duration<double>(elapsed).count();
  if (elapsed >= throughputDelay) {
    const double mebibytesPerSecond = static_cast<double>(bytesDone) / (1 << 20) / seconds;
    length += std::snprintf(text + length, sizeof text - static_cast<std::size_t>(length),
                            ", %.1f MiB/s", mebibytesPerSecond);
  }
  return std::string(text, static_cast<std::size_t>(length));
}

ProgressIndicator::ProgressIndicator(int inputDescriptor, int terminalDescriptor,
                                     Clock::time_point start)
    : start_(start), lastDrawn_(start) {
  const std::optional<std::uint64_t> inputSize = regularFileSize(inputDescriptor);
  if (::isatty(terminalDescriptor) == 1 && inputSize && *inputSize > progressThresholdBytes) {
    terminalDescriptor_ = terminalDescriptor;
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
  draw(progressText(bytesDone_, totalBytes_, now - start_));
}

void ProgressIndicator::clear() {
  if (!shown()) return;
  if (drawnWidth_ > 0) {
    std::string blank(drawnWidth_ + 2, ' ');
    blank.front() = '\r';
    blank.back() = '\r';
    writeAll(terminalDescriptor_, blank);
  }
  terminalDescriptor_ = -1;
}

void ProgressIndicator::draw(const std::string& text) {
  // Blanks after a shorter text cover what is left of the line before it.
  if (text.size() > drawnWidth_) drawnWidth_ = text.size();
  std::string line = "\r" + text;
  line.append(drawnWidth_ - text.size(), ' ');
  // A terminal that refuses the line gets no more of them.
  if (!writeAll(terminalDescriptor_, line)) terminalDescriptor_ = -1;
}

}  // namespace vexilo
