#include "cli/progress_bar.h"

#include <cstdio>
#include <unistd.h>

#include "solve/time_left.h"
#include "text/number_text.h"

namespace quarvel::cli {
namespace {

using Clock = std::chrono::steady_clock;

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f s", seconds);
  return text;
}

}  // namespace

ProgressBar::ProgressBar() : enabled_(::isatty(STDERR_FILENO) == 1), start_(Clock::now()) {}

void ProgressBar::Update(const StudyProgress& progress, const std::string& prefix) {
  if (!enabled_) return;
  const int done = progress.index + 1;
  Update(done, progress.count,
         prefix + "value " + std::to_string(done) + "/" + std::to_string(progress.count) +
             "  x = " + FormatDefault(progress.x));
}

void ProgressBar::Update(int64_t done, int64_t count, const std::string& what) {
  if (!enabled_) return;
  const auto now = Clock::now();
  const bool last = done >= count;
  // Redrawing a terminal line a thousand times a second slows the study down for nothing.
  if (drawn_ && !last && now - lastDraw_ < std::chrono::milliseconds(100)) return;
  lastDraw_ = now;
  const double elapsed = std::chrono::duration<double>(now - start_).count();
  const double remaining =
      SecondsLeft(elapsed, static_cast<double>(done), static_cast<double>(count - done));
  std::fprintf(stderr, "\r%s  elapsed %s  remaining %s   ", what.c_str(),
               Seconds(elapsed).c_str(), Seconds(remaining).c_str());
  std::fflush(stderr);
  drawn_ = true;
}

void ProgressBar::Finish() {
  if (drawn_) std::fputc('\n', stderr);
  drawn_ = false;
}

}  // namespace quarvel::cli
