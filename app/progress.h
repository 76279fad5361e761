// A one-line progress indicator on standard error for file mode runs over large input files. It is
// drawn only for a person watching a terminal: standard output never carries any of it.
#ifndef VEXILO_APP_PROGRESS_H_
#define VEXILO_APP_PROGRESS_H_

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "store/console.h"
#include "store/file_system.h"

namespace vexilo {

// Input files up to this size are enciphered without an indicator.
inline constexpr std::uint64_t progressThresholdBytes = std::uint64_t{64} << 20;

// Time between two redraws of the line.
inline constexpr std::chrono::milliseconds progressRedrawInterval{250};

// The indicator's text for `bytesDone` of `totalBytes` after `elapsed`: "vexilo:  42%" and, once
// some time has passed, the throughput (", 123.4 MiB/s"). The percentage stops at 100.
std::string progressText(std::uint64_t bytesDone, std::uint64_t totalBytes,
                         std::chrono::steady_clock::duration elapsed);

// Clears the line of the indicator drawn last, if it is still shown, taking no memory: for a note
// that must go to standard error at any moment.
void clearShownProgress();

class ProgressIndicator {
 public:
  using Clock = std::chrono::steady_clock;

  // Shown on `terminal` only when it is a terminal and `input` is a regular file larger than
  // `progressThresholdBytes`; otherwise the indicator does nothing at all.
  explicit ProgressIndicator(FileHandle input, FileHandle terminal = standardErrorFile(),
                             Clock::time_point start = Clock::now());
  // Clears the line.
  ~ProgressIndicator();
  ProgressIndicator(const ProgressIndicator&) = delete;
  ProgressIndicator& operator=(const ProgressIndicator&) = delete;

  bool shown() const { return terminal_ != noFile; }

  // Counts `bytes` more of the input as read. The line is drawn at the first call and redrawn
  // (with a carriage return) when `progressRedrawInterval` has passed since it was last drawn.
  void advance(std::uint64_t bytes, Clock::time_point now = Clock::now());

  // Overwrites the line with blanks and returns the cursor to its start; the indicator is then
  // done and draws nothing more.
  void clear();

 private:
  void draw(std::string_view text);

  FileHandle terminal_ = noFile;  // noFile when nothing is to be shown
  std::uint64_t totalBytes_ = 0;
  std::uint64_t bytesDone_ = 0;
  Clock::time_point start_;
  Clock::time_point lastDrawn_;
  bool drawnOnce_ = false;
  std::size_t drawnWidth_ = 0;  // of the line on the terminal, so that a shorter one covers it
};

}  // namespace vexilo

#endif  // VEXILO_APP_PROGRESS_H_
