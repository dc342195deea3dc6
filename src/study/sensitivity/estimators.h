// The estimators of a variance-based sensitivity study: Sobol indices from a
// Saltelli design, Spearman rank correlations, each with a 95 % interval.
// Pure functions over spans of one output's values; NaN marks a run that has
// no value for the output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace ascent {

// The Saltelli design (Saltelli et al. 2010, Comput. Phys. Commun. 181, 259):
// matrices A and B of N rows, and for each factor i the matrix A_B^(i), A with
// the column of factor i taken from B; N (d + 2) runs for d factors. Run r
// belongs to block r / N (0 for A, 1 for B, 2 + i for A_B^(i)), row r % N, so
// that each matrix's values of an output are the contiguous runs
// [block N, block N + N) of its column, the spans the estimators take.
enum class SaltelliMatrix { A, B, AB };

struct SaltelliRun {
  SaltelliMatrix matrix = SaltelliMatrix::A;
  std::size_t factor = 0;  // the i of A_B^(i); 0 for A and B
  std::size_t row = 0;
};

// Throws InputError when run >= rows * (factors + 2).
SaltelliRun saltelliRun(std::size_t run, std::size_t rows, std::size_t factors);

// Whether the run takes factor `factor`'s value from B's row run.row (else from A's).
bool takesFromB(const SaltelliRun& run, std::size_t factor);

// The values of A, B and A_B^(i) in one output's column of the N (d + 2)
// runs, the spans sobolIndices takes. Throws InputError when the
// column does not hold N (d + 2) values, N > 0, or factor >= d.
struct SaltelliColumns {
  std::span<const double> a, b, abi;
};
SaltelliColumns saltelliColumns(std::span<const double> column, std::size_t factors,
                                std::size_t factor);

// A point estimate with its 95 % interval.
struct IntervalEstimate {
  double value = 0;
  double low = 0;
  double high = 0;
};

// The resamples of the percentile bootstrap of a study, shared by all its
// factors and outputs. Resample b draws N rows with replacement, the k-th
// being floor(floor(u 2^32) N / 2^32) with u = uniformDraw(seed, b, k). A
// thousand resamples (each bound the 26th value from its end) put the Monte
// Carlo error of a bound near 4 % of the interval's half-width. They are
// drawn a block at a time and the block serves every factor and output
// before the next is drawn: 4 bytes per row and resample of a block, rather
// than 4 kB per row for all of them (16 MB for N = 4096), so the memory the
// bootstrap takes is less than the outputs' own columns.
class BootstrapResamples {
 public:
  static constexpr std::size_t defaultCount = 1000;
  static constexpr std::size_t block = 16;

  // Throws InputError for no rows, no resamples or rows > 2^32.
  BootstrapResamples(std::uint64_t seed, std::size_t rows, std::size_t count = defaultCount);

  std::size_t rows() const { return rows_; }
  std::size_t count() const { return count_; }
  // Resamples first <= b < first + n, one after another, into `drawn`.
  void draw(std::size_t first, std::size_t n, std::vector<std::uint32_t>& drawn) const;

 private:
  std::uint64_t seed_;
  std::size_t rows_;
  std::size_t count_;
};

// The first-order and total Sobol indices of one factor for one output.
//
// The tuples used are the rows j where fA_j, fB_j and fABi_j are all finite,
// n of them, leftOut = N - n. With m = exactSum{fA_j, fB_j} / (2n) (the sum of
// the 2n values correctly rounded, then divided), and every operation below
// one double operation rounded to nearest:
//   a_j = fA_j - m,  b_j = fB_j - m,  d_j = fABi_j - fA_j,
//   Q = exactSum{a_j a_j, b_j b_j},  P = exactSum{b_j d_j},  T = exactSum{d_j d_j}.
// The variance V = Q / (2n) divides by 2n, the count of values; the first
// order V_i = P / n (Saltelli et al. 2010, Table 2 (b)), the total
// V_Ti = T / (2n) (Jansen 1999, Comput. Phys. Commun. 117, 35), and
//   first = V_i / V = (2 P) / Q,  total = V_Ti / V = T / Q.
// Centring on m keeps the first order's noise from scaling with the output's
// mean. Neither index has a value when n < 2, Q is not a positive number or
// one of the sums is not finite (an overflow).
//
// The interval is the percentile bootstrap over the rows: each resample
// recomputes both indices on its rows that are used (centred on their own
// mean, with plain double sums in a fixed order), so the count of rows left
// out varies between resamples as between studies. The bounds are the
// (j + 1)-th smallest and largest of the resamples' values, j = floor(0.025
// count); a resample of fewer than 2 used rows or zero variance has no value
// and is not counted.
struct SobolIndices {
  std::size_t tuples = 0;  // used
  std::size_t leftOut = 0;
  std::optional<IntervalEstimate> first;
  std::optional<IntervalEstimate> total;
};

// The indices of each of `columns` (one output's, one factor each), all
// bootstrapped on the same resamples. Throws InputError unless each span has
// resamples.rows() values.
std::vector<SobolIndices> sobolIndices(std::span<const SaltelliColumns> columns,
                                       const BootstrapResamples& resamples);
inline SobolIndices sobolIndices(const SaltelliColumns& c, const BootstrapResamples& resamples) {
  return sobolIndices(std::span<const SaltelliColumns>(&c, 1), resamples).front();
}

// Spearman's rank correlation: Pearson's coefficient of the ranks, ties
// given their average rank, over the pairs where neither value is NaN.
// With r = (n + 1) / 2 the mean rank,
//   rho = Sxy / sqrt(Sxx Syy),  Sxy = exactSum{(rx_j - r)(ry_j - r)}, ...
// and the 95 % interval tanh(atanh(rho) -+ 1.959963984540054 s) with
// s = sqrt(1.06 / (n - 3)) (Fieller, Hartley & Pearson 1957, Biometrika 44,
// 470). No value with fewer than 4 pairs or a constant column.
struct RankCorrelation {
  std::size_t pairs = 0;  // used
  std::size_t leftOut = 0;
  std::optional<IntervalEstimate> rho;
};

// Throws InputError when the spans' lengths differ.
RankCorrelation spearman(std::span<const double> x, std::span<const double> y);

}  // namespace ascent
