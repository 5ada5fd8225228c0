#include "loops/closed_loops.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

namespace quarvel {
namespace {

// A path of samples 1..last: x is the cycled quantity, y the other one.
struct Path {
  const std::vector<double>& x;
  const std::vector<double>& y;
  const std::vector<double>& t;
  std::size_t last = 0;
};

// The last sample of the walk: N, or the sample before the first that is not finite.
std::size_t LastFiniteSample(const Path& path) {
  const std::size_t n = std::min({path.x.size(), path.y.size(), path.t.size()});
  for (std::size_t j = 1; j < n; ++j) {
    if (!std::isfinite(path.x[j]) || !std::isfinite(path.y[j]) || !std::isfinite(path.t[j])) {
      return j - 1;
    }
  }
  return n == 0 ? 0 : n - 1;
}

// Sums of one loop's segments: the trapezoidal integral of y dx, its error terms, and the
// ranges of x and y.
struct LoopSums {
  double work = 0.0;
  double absoluteWork = 0.0;  // sum of |ybar dx|
  double corners = 0.0;       // sum of |dx dy| / 2
  int32_t segments = 0;
  double xMin = std::numeric_limits<double>::infinity();
  double xMax = -std::numeric_limits<double>::infinity();
  double yMin = std::numeric_limits<double>::infinity();
  double yMax = -std::numeric_limits<double>::infinity();

  void Point(double x, double y) {
    xMin = std::min(xMin, x);
    xMax = std::max(xMax, x);
    yMin = std::min(yMin, y);
    yMax = std::max(yMax, y);
  }
  void Segment(double x0, double y0, double x1, double y1) {
    const double dx = x1 - x0;
    const double ybar = 0.5 * (y1 + y0);
    work += dx * ybar;
    absoluteWork += std::fabs(dx * ybar);
    corners += 0.5 * std::fabs(dx * (y1 - y0));
    ++segments;
    Point(x1, y1);
  }
};

// The loop that starts at reversal `start`, turns at `turn` and returns to x[start] within the
// segment from sample close - 1 to close.
ClosedLoop MakeLoop(const Path& path, CycleKind kind, std::size_t start, std::size_t turn,
                    std::size_t close) {
  const double target = path.x[start];
  const double fraction = (target - path.x[close - 1]) / (path.x[close] - path.x[close - 1]);
  const double yClose = path.y[close - 1] + fraction * (path.y[close] - path.y[close - 1]);

  LoopSums sums;
  sums.Point(path.x[start], path.y[start]);
  for (std::size_t j = start; j + 1 < close; ++j) {
    sums.Segment(path.x[j], path.y[j], path.x[j + 1], path.y[j + 1]);
  }
  sums.Segment(path.x[close - 1], path.y[close - 1], target, yClose);

  const double sign = kind == CycleKind::Displacement ? 1.0 : -1.0;
  ClosedLoop loop;
  loop.kind = kind;
  loop.startSample = static_cast<int32_t>(start);
  loop.turnSample = static_cast<int32_t>(turn);
  loop.closeSample = static_cast<int32_t>(close);
  loop.closeFraction = fraction;
  loop.startTime = path.t[start];
  loop.turnTime = path.t[turn];
  loop.closeTime = path.t[close - 1] + fraction * (path.t[close] - path.t[close - 1]);
  const double xRange = sums.xMax - sums.xMin;
  const double yRange = sums.yMax - sums.yMin;
  loop.displacementRange = kind == CycleKind::Displacement ? xRange : yRange;
  loop.forceRange = kind == CycleKind::Displacement ? yRange : xRange;
  loop.work = sign * sums.work;
  loop.scale = kRoundOffFactor * sums.segments * std::numeric_limits<double>::epsilon() *
                   sums.absoluteWork +
               sums.corners;
  loop.violation = loop.work < -loop.scale;
  return loop;
}

}  // namespace

std::vector<ClosedLoop> FindClosedLoops(const ResponseHistory& response, CycleKind kind) {
  const bool displacement = kind == CycleKind::Displacement;
  Path path{displacement ? response.U : response.F, displacement ? response.F : response.U,
            response.T};
  path.last = LastFiniteSample(path);
  const std::vector<double>& x = path.x;

  std::vector<ClosedLoop> loops;
  // The reversals whose loops are still open, oldest first. Each lies strictly within the
  // x-range of the two before it, since a walk beyond that range closes their loop.
  std::vector<std::size_t> open;
  int direction = 0;       // of the current run: +1 up, -1 down, 0 before the first move
  std::size_t extreme = 1;  // where the current run first reached its farthest x
  for (std::size_t j = 2; j <= path.last; ++j) {
    if (x[j] == x[j - 1]) continue;
    const int step = x[j] > x[j - 1] ? 1 : -1;
    if (direction != 0 && step != direction) open.push_back(extreme);
    direction = step;
    extreme = j;
    // The run moves from the newest reversal back towards the one before it; reaching that
    // one's x closes their loop, and then perhaps the loop around it.
    while (open.size() >= 2) {
      const std::size_t start = open[open.size() - 2];
      const bool back = direction > 0 ? x[j] >= x[start] : x[j] <= x[start];
      if (!back) break;
      loops.push_back(MakeLoop(path, kind, start, open.back(), j));
      open.resize(open.size() - 2);
    }
  }
  return loops;
}

}  // namespace quarvel
