// A one-line progress indicator on standard error for searches longer than a second: machines
// tried, their rate, and the time left. Drawn only for a person watching a terminal: standard
// output never carries any of it. (The indicator of `vexilo`'s file mode counts bytes of a file;
// this one counts machines.)
#ifndef VEXILO_BREAK_SEARCH_PROGRESS_H_
#define VEXILO_BREAK_SEARCH_PROGRESS_H_

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "store/file_system.h"

namespace vexilo {

// Searches shorter than this show nothing; the line appears when it has passed.
inline constexpr std::chrono::milliseconds searchProgressDelay{1000};
inline constexpr std::chrono::milliseconds searchProgressRedrawInterval{250};

// The text: "vexilo-break: 523,000 of 1,048,575 settings tried, 1.2 million a second, 0.4 s left".
// `what` names the machines ("settings", "machines").
std::string searchProgressText(std::uint64_t tried, std::uint64_t total, std::string_view what,
                               std::chrono::steady_clock::duration elapsed);

// `count` with its thousands separated by commas: "1,048,575".
std::string groupedNumber(std::uint64_t count);

class SearchProgressLine {
 public:
  using Clock = std::chrono::steady_clock;

  // Draws on `terminal` only when it is a terminal (a console on Windows).
  SearchProgressLine(std::uint64_t total, std::string_view what, FileHandle terminal,
                     Clock::time_point start = Clock::now());
  // Clears the line.
  ~SearchProgressLine();
  SearchProgressLine(const SearchProgressLine&) = delete;
  SearchProgressLine& operator=(const SearchProgressLine&) = delete;

  // Draws the line for `tried` machines, once `searchProgressDelay` has passed since the start and
  // then every `searchProgressRedrawInterval`.
  void update(std::uint64_t tried, Clock::time_point now = Clock::now());

  // Overwrites the line with blanks; nothing is drawn after it.
  void clear();

 private:
  FileHandle terminal_ = noFile;
  std::uint64_t total_ = 0;
  std::string what_;
  Clock::time_point start_;
  Clock::time_point lastDrawn_;
  std::size_t drawnWidth_ = 0;
};

}  // namespace vexilo

#endif  // VEXILO_BREAK_SEARCH_PROGRESS_H_
