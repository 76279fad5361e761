#include "break/search_progress.h"

#include <cstdio>

#include "system/console.h"

namespace vexilo {

std::string groupedNumber(std::uint64_t count) {
  std::string digits = std::to_string(count);
  for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
  return digits;
}

std::string searchProgressText(std::uint64_t tried, std::uint64_t total, std::string_view what,
                               std::chrono::steady_clock::duration elapsed) {
  std::string text = "vexilo-break: " + groupedNumber(tried) + " of " + groupedNumber(total) + " " +
                     std::string(what) + " tried";
  const double seconds = std::chrono::duration<double>(elapsed).count();
  if (seconds <= 0 || tried == 0) return text;
  const double rate = static_cast<double>(tried) / seconds;
  const double left = static_cast<double>(total > tried ? total - tried : 0) / rate;
  char figures[64];
  std::snprintf(figures, sizeof figures, ", %.1f million a second, %.0f s left", rate / 1e6, left);
  return text + figures;
}

SearchProgressLine::SearchProgressLine(std::uint64_t total, std::string_view what,
                                       FileHandle terminal, Clock::time_point start)
    : total_(total), what_(what), start_(start), lastDrawn_(start) {
  if (isTerminal(terminal)) terminal_ = terminal;
}

SearchProgressLine::~SearchProgressLine() { clear(); }

void SearchProgressLine::update(std::uint64_t tried, Clock::time_point now) {
  if (terminal_ == noFile || now - start_ < searchProgressDelay) return;
  if (drawnWidth_ > 0 && now - lastDrawn_ < searchProgressRedrawInterval) return;
  lastDrawn_ = now;
  std::string text = searchProgressText(tried, total_, what_, now - start_);
  const std::size_t width = text.size();
  if (width < drawnWidth_) text.append(drawnWidth_ - width, ' ');
  drawnWidth_ = std::max(drawnWidth_, width);
  (void)writeAll(terminal_, "\r" + text);
}

void SearchProgressLine::clear() {
  if (terminal_ != noFile && drawnWidth_ > 0) {
    (void)writeAll(terminal_, "\r" + std::string(drawnWidth_, ' ') + "\r");
  }
  terminal_ = noFile;
}

}  // namespace vexilo
