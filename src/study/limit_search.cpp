#include "study/limit_search.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace ascent {

namespace {

// Typical slope of the rising stretch (m of average altitude per degree of
// limit), for the first step before two orbits give a secant.
constexpr double nominalSlope_m_per_deg = 15e3;
// Steps while bracketing, in degrees: never so small that the unevenness of
// the altitude dominates the secant, never so large that the step jumps the
// whole rising stretch.
constexpr double minBracketStep_deg = 0.05;
constexpr double maxBracketStep_deg = 8;
constexpr double noOrbitStep_deg = 3;
// The secant through two orbits below the target undershoots on the concave
// rising stretch; stepping a little further brackets the target sooner.
constexpr double upwardOvershoot = 1.3;
// The bracket is given up as a jump across the target when it is this narrow.
constexpr double jumpWidth_deg = 1e-9;
// The altitude is uneven in teeth a hundredth of a degree wide whose edges can
// jump across the whole tolerance window, so a bracket can close on an edge
// instead of a crossing. A bracket whose ends differ ten times more steeply
// than the bracket first found holds such an edge; the nearest crossings are
// then on the teeth either side of it.
constexpr double jumpSlopeFactor = 10;
constexpr int maxSidesteps = 8;
// How finely the start of a flat top below the target is located.
constexpr double flatEdgeWidth_deg = 0.1;

struct Point {
  double x = 0;  // limit, degrees
  bool reached = false;
  double g = 0;  // average altitude minus target, m (reached only)
};

enum class Side { Below, Hit, Above };

class Search {
 public:
  Search(const std::function<LimitProbe(double)>& fly, const LimitSearchOptions& options)
      : fly_(fly), options_(options) {}

  bool budgetLeft() const { return static_cast<int>(result_.trials.size()) < options_.maxMissions; }

  // Flies one mission; true when it is within the tolerance.
  bool fly(double x) {
    LimitProbe probe = fly_(x);
    if (!std::isfinite(probe.averageAltitude_m)) probe.reached = false;
    result_.trials.push_back({x, probe});
    Point p{x, probe.reached,
            probe.reached ? probe.averageAltitude_m - options_.targetAltitude_m : 0};
    points_.push_back(p);
    return side(p) == Side::Hit;
  }

  Side side(const Point& p) const {
    if (!p.reached || p.g < -options_.tolerance_m) return Side::Below;
    if (p.g > options_.tolerance_m) return Side::Above;
    return Side::Hit;
  }

  std::vector<Point> sorted() const {
    std::vector<Point> s = points_;
    std::stable_sort(s.begin(), s.end(), [](const Point& a, const Point& b) { return a.x < b.x; });
    return s;
  }

  // Two neighbouring limits on opposite sides of the target, the one
  // below first when there are several crossings (the rising stretch).
  std::optional<std::pair<Point, Point>> bracket() const {
    const std::vector<Point> s = sorted();
    std::optional<std::pair<Point, Point>> any;
    for (std::size_t i = 0; i + 1 < s.size(); ++i) {
      const Side left = side(s[i]), right = side(s[i + 1]);
      if (left == Side::Below && right == Side::Above) return std::pair{s[i], s[i + 1]};
      if (left == Side::Above && right == Side::Below && !any) any = std::pair{s[i], s[i + 1]};
    }
    return any;
  }

  LimitSearchResult run();

 private:
  std::optional<LimitVerdict> bracketTarget();
  std::optional<LimitVerdict> searchFlatEdge(const std::vector<Point>& s);
  LimitVerdict closeIn(Point lo, Point hi);
  LimitVerdict sidestep(double left, double right);
  void finish(LimitVerdict verdict);

  const std::function<LimitProbe(double)>& fly_;
  const LimitSearchOptions& options_;
  LimitSearchResult result_;
  std::vector<Point> points_;
  int noOrbitSteps_ = 0;
  int flatSteps_ = 0;
};

double clampStep(double dx) {
  return std::clamp(dx, minBracketStep_deg, maxBracketStep_deg);
}

// Flies outward from the trials until two neighbours straddle the target.
// Returns a verdict when the search ends before that.
std::optional<LimitVerdict> Search::bracketTarget() {
  while (!bracket()) {
    if (!budgetLeft()) return LimitVerdict::NotConverged;
    const std::vector<Point> s = sorted();
    // Every trial is on one side: all below (or no orbit), or all above.
    if (side(s.front()) == Side::Below) {
      const Point& top = s.back();
      const bool flat =
          s.size() >= 2 && top.reached && s[s.size() - 2].reached && s[s.size() - 2].g == top.g;
      if (flat || top.x >= options_.highest_deg) {
        if (!top.reached) return LimitVerdict::Unreachable;
        if (auto verdict = searchFlatEdge(s)) return verdict;
        continue;
      }
      double dx;
      if (!top.reached) {
        dx = std::max(noOrbitStep_deg * std::ldexp(1.0, noOrbitSteps_++), minBracketStep_deg);
      } else {
        const Point* previous =
            s.size() >= 2 && s[s.size() - 2].reached ? &s[s.size() - 2] : nullptr;
        const double slope = previous != nullptr && previous->g < top.g
                                 ? (top.g - previous->g) / (top.x - previous->x)
                                 : nominalSlope_m_per_deg;
        dx = -top.g / slope * upwardOvershoot;
      }
      // Above the no-orbit region the step may be long: whatever it lands on
      // (the rising stretch or the flat top) brackets or narrows the target.
      if (top.reached) dx = clampStep(dx);
      if (fly(std::min(top.x + dx, options_.highest_deg))) return LimitVerdict::Converged;
    } else {
      const Point& bottom = s.front();
      if (bottom.x <= options_.lowest_deg) return LimitVerdict::NotConverged;
      const Point& next = s.size() >= 2 ? s[1] : bottom;
      double dx;
      if (s.size() >= 2 && next.g == bottom.g) {
        // Still on the flat top: the rising stretch is further down, maybe
        // far; double the step, up to half the way to the lowest limit.
        dx = std::clamp(bottom.g / nominalSlope_m_per_deg * std::ldexp(1.0, ++flatSteps_),
                        minBracketStep_deg,
                        std::max((bottom.x - options_.lowest_deg) / 2, minBracketStep_deg));
      } else {
        const double slope = s.size() >= 2 && next.g > bottom.g
                                 ? (next.g - bottom.g) / (next.x - bottom.x)
                                 : nominalSlope_m_per_deg;
        dx = clampStep(bottom.g / slope);
      }
      if (fly(std::max(bottom.x - dx, options_.lowest_deg))) {
        return LimitVerdict::Converged;
      }
    }
  }
  return std::nullopt;
}

// The altitude is flat below the target at the highest limits flown: locate
// where the flat top starts (a crossing found on the way resumes the search).
std::optional<LimitVerdict> Search::searchFlatEdge(const std::vector<Point>& s) {
  const double flat = s.back().g;
  std::size_t first = s.size() - 1;
  while (first > 0 && s[first - 1].reached && s[first - 1].g == flat) --first;
  if (first == 0 && s[0].x - options_.lowest_deg > flatEdgeWidth_deg) {
    // Nothing flown below the flat top yet: try the middle of the range.
    if (fly((options_.lowest_deg + s[0].x) / 2)) return LimitVerdict::Converged;
    return std::nullopt;
  }
  // (Flat down to the lowest limits: the whole range is the flat top.)
  double below = first == 0 ? s[0].x : s[first - 1].x, onTop = s[first].x;
  while (onTop - below > flatEdgeWidth_deg) {
    if (!budgetLeft()) break;
    const double x = (below + onTop) / 2;
    if (fly(x)) return LimitVerdict::Converged;
    const Point& p = points_.back();
    if (side(p) == Side::Above) return std::nullopt;  // a bump over the target: bracketed
    if (p.reached && p.g == flat) {
      onTop = x;
    } else {
      below = x;
    }
  }
  result_.flatTop = first + 1 < s.size() || onTop < s[first].x;
  result_.flatAltitude_m = flat + options_.targetAltitude_m;
  result_.flatFrom_deg = onTop;
  return LimitVerdict::Unreachable;
}

// Brent's method on a bracket (after R. P. Brent, Algorithms for Minimization
// without Derivatives, 1973, chapter 4): inverse quadratic or secant steps
// while they stay well inside the bracket and shrink it fast enough,
// bisection otherwise, and always bisection while a bracket end has no orbit
// to interpolate.
LimitVerdict Search::closeIn(Point lo, Point hi) {
  auto magnitude = [](const Point& p) {
    return p.reached ? std::fabs(p.g) : std::numeric_limits<double>::infinity();
  };
  Point b = magnitude(lo) <= magnitude(hi) ? lo : hi;  // best estimate
  Point c = magnitude(lo) <= magnitude(hi) ? hi : lo;  // contrapoint, across the target
  Point a = c;                                         // previous best
  double d = b.x - a.x, e = d;
  const double coarseSlope =
      lo.reached && hi.reached ? std::fabs((hi.g - lo.g) / (hi.x - lo.x)) : nominalSlope_m_per_deg;
  for (;;) {
    if (b.reached && c.reached &&
        std::fabs(b.g - c.g) > jumpSlopeFactor * coarseSlope * std::fabs(b.x - c.x)) {
      return sidestep(std::min(b.x, c.x), std::max(b.x, c.x));
    }
    if (magnitude(c) < magnitude(b)) {
      a = b;
      b = c;
      c = a;
    }
    const double tol1 =
        2 * std::numeric_limits<double>::epsilon() * std::fabs(b.x) + 0.5 * jumpWidth_deg;
    const double xm = 0.5 * (c.x - b.x);
    if (std::fabs(xm) <= tol1) {
      result_.jumpsAcross = true;
      return LimitVerdict::NotConverged;
    }
    if (!budgetLeft()) return LimitVerdict::NotConverged;
    const bool interpolate = a.reached && b.reached && c.reached;
    if (interpolate && std::fabs(e) >= tol1 && std::fabs(a.g) > std::fabs(b.g)) {
      double p, q;
      const double s = b.g / a.g;
      if (a.x == c.x) {
        p = 2 * xm * s;
        q = 1 - s;
      } else {
        const double qa = a.g / c.g, r = b.g / c.g;
        p = s * (2 * xm * qa * (qa - r) - (b.x - a.x) * (r - 1));
        q = (qa - 1) * (r - 1) * (s - 1);
      }
      if (p > 0) {
        q = -q;
      } else {
        p = -p;
      }
      if (2 * p < std::min(3 * xm * q - std::fabs(tol1 * q), std::fabs(e * q))) {
        e = d;
        d = p / q;
      } else {
        d = xm;
        e = d;
      }
    } else {
      d = xm;
      e = d;
    }
    a = b;
    const double x = std::fabs(d) > tol1 ? b.x + d : b.x + std::copysign(tol1, xm);
    if (fly(x)) return LimitVerdict::Converged;
    b = points_.back();
    // Keep the contrapoint across the target from the new best.
    if ((side(b) == Side::Above) == (side(c) == Side::Above)) {
      c = a;
      d = b.x - a.x;
      e = d;
    }
  }
}

// Flies on both sides of an edge at doubling distances, for a point of the
// neighbouring teeth within the tolerance.
LimitVerdict Search::sidestep(double left, double right) {
  double h = right - left;
  for (int k = 0; k < maxSidesteps; ++k, h *= 2) {
    for (double x : {left - h, right + h}) {
      if (!budgetLeft()) return LimitVerdict::NotConverged;
      if (x < options_.lowest_deg || x > options_.highest_deg) continue;
      if (fly(x)) return LimitVerdict::Converged;
    }
  }
  result_.jumpsAcross = true;
  return LimitVerdict::NotConverged;
}

void Search::finish(LimitVerdict verdict) {
  result_.verdict = verdict;
  const auto& trials = result_.trials;
  result_.best = trials.size();
  bool anyReached = false;
  for (std::size_t i = 0; i < trials.size(); ++i) {
    const LimitProbe& probe = trials[i].probe;
    if (!probe.reached) continue;
    const double error = std::fabs(probe.averageAltitude_m - options_.targetAltitude_m);
    if (result_.best == trials.size() ||
        error <
            std::fabs(trials[result_.best].probe.averageAltitude_m - options_.targetAltitude_m)) {
      result_.best = i;
    }
    if (!anyReached || probe.averageAltitude_m > result_.highestAltitude_m ||
        (probe.averageAltitude_m == result_.highestAltitude_m &&
         trials[i].limit_deg < result_.highestAt_deg)) {
      result_.highestAltitude_m = probe.averageAltitude_m;
      result_.highestAt_deg = trials[i].limit_deg;
    }
    anyReached = true;
  }
  if (verdict == LimitVerdict::Converged) result_.best = trials.size() - 1;
}

LimitSearchResult Search::run() {
  LimitVerdict verdict = LimitVerdict::NotConverged;
  if (budgetLeft()) {
    const double first =
        std::clamp(options_.firstGuess_deg, options_.lowest_deg, options_.highest_deg);
    if (fly(first)) {
      verdict = LimitVerdict::Converged;
    } else if (auto ended = bracketTarget()) {
      verdict = *ended;
    } else {
      const auto [lo, hi] = *bracket();
      verdict = closeIn(lo, hi);
    }
  }
  finish(verdict);
  return result_;
}

}  // namespace

LimitSearchResult searchLimit(const std::function<LimitProbe(double limit_deg)>& fly,
                              const LimitSearchOptions& options) {
  return Search(fly, options).run();
}

}  // namespace ascent
