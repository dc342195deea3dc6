// A campaign's rows as the store writes and reads them: each row as one CSV
// line whose numbers read back to the bit, and a CSV read back as it
// streams by, every row drawn again and compared (files/campaign_csv.h).
#include "files/campaign_csv.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <limits>

#include "ascent/campaign_store.h"
#include "ascent/errors.h"
#include "ascent/sensitivity.h"
#include "ascent/writers.h"
#include "mission/input_file.h"

namespace ascent {

namespace {

// The columns after the outputs: where an in-flight guidance decided.
constexpr std::size_t decisionColumns = 3;

}  // namespace

namespace {

// The store reads its rows back line by line (resume, merge): a line end in
// a text becomes a space, and a drawn value that overflowed is written "inf",
// which reads back as itself; every other cell as appendCsvCell writes it.
void appendStoredCell(std::string& line, const Value& value) {
  if (value.kind() == Value::Kind::Real && std::isinf(value.real())) {
    appendExact(line, value.real());
    return;
  }
  if (value.kind() != Value::Kind::Text ||
      value.text().find_first_of(",\"\n\r") == std::string::npos) {
    appendCsvCell(line, value);
    return;
  }
  line += '"';
  for (char c : value.text()) {
    if (c == '"') line += '"';
    line += c == '\n' || c == '\r' ? ' ' : c;
  }
  line += '"';
}

// The cells of a line as appendStoredCell writes them; false if a quoted
// cell does not end.
bool splitCsvLine(std::string_view line, std::vector<std::string>& fields) {
  std::string field;
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == '"' && field.empty()) {
      quoted = true;
    } else if (c == ',') {
      fields.push_back(std::move(field));
      field.clear();
    } else {
      field += c;
    }
  }
  fields.push_back(std::move(field));
  return !quoted;
}

// A number as the store writes it; with `emptyIsNan` an empty cell is NaN.
bool parseStoredNumber(const std::string& text, double& value, bool emptyIsNan,
                       std::string& reason) {
  if (text.empty() && emptyIsNan) {
    value = std::nan("");
    return true;
  }
  if (text == "inf" || text == "-inf") {
    value = text[0] == '-' ? -HUGE_VAL : HUGE_VAL;
    return true;
  }
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ptr != text.data() + text.size() || text.empty() ||
      (result.ec != std::errc() && result.ec != std::errc::result_out_of_range)) {
    reason = "'" + text + "' is not a number";
    return false;
  }
  if (result.ec == std::errc::result_out_of_range) {
    reason = "'" + text + "' is out of the range of numbers";
    return false;
  }
  return true;
}

bool parseRunIndex(const std::string& run, std::uint64_t& value, std::string& reason) {
  const auto parsed = std::from_chars(run.data(), run.data() + run.size(), value);
  if (parsed.ptr != run.data() + run.size() || run.empty() ||
      (parsed.ec != std::errc() && parsed.ec != std::errc::result_out_of_range)) {
    reason = "'" + run + "' is not a run index";
    return false;
  }
  if (parsed.ec == std::errc::result_out_of_range) {
    reason = "the run " + run + " is outside 0 to " +
             std::to_string(std::numeric_limits<std::uint64_t>::max());
    return false;
  }
  return true;
}

bool parseFlightClass(const std::string& outcome, FlightClass& flightClass, std::string& reason) {
  for (FlightClass c : {FlightClass::Orbit, FlightClass::Suborbital, FlightClass::Escape,
                        FlightClass::Abandoned, FlightClass::Failed}) {
    if (outcome == flightClassName(c)) {
      flightClass = c;
      return true;
    }
  }
  reason = "'" + outcome + "' is not an outcome";
  return false;
}

// The verdict of a run's targeting, or none for an empty cell.
bool parseTargeting(const std::string& text, std::optional<Verdict>& targeting,
                    std::string& reason) {
  targeting.reset();
  if (text.empty()) return true;
  for (int v = 0; v <= static_cast<int>(Verdict::NoPropellantLeft); ++v) {
    if (text == verdictName(static_cast<Verdict>(v))) {
      targeting = static_cast<Verdict>(v);
      return true;
    }
  }
  reason = "'" + text + "' is not a verdict of targeting";
  return false;
}

}  // namespace

std::string campaignCsvLine(const CampaignRowSchema& schema, const CampaignRow& row) {
  std::string line;
  bool first = true;
  for (const Field<CampaignRow>& field : schema.fields()) {
    if (!first) line += ',';
    first = false;
    appendStoredCell(line, field.get(row));
  }
  return line + '\n';
}

bool parseCampaignCsvRow(std::string_view line, std::size_t keyCount, CampaignRow& row,
                         std::string& reason, bool design) {
  const std::size_t expected =
      1 + (design ? 2 : 0) + keyCount + 3 + campaignOutputCount + decisionColumns;
  std::vector<std::string> fields;
  if (!splitCsvLine(line, fields) || fields.size() != expected) {
    reason =
        "a row has " + std::to_string(fields.size()) + " fields, not " + std::to_string(expected);
    return false;
  }
  if (!parseRunIndex(fields[0], row.run, reason)) return false;
  row.design.reset();
  if (design) {
    DesignPoint point{fields[1], 0};
    if (!parseRunIndex(fields[2], point.row, reason)) return false;
    row.design = point;
    fields.erase(fields.begin() + 1, fields.begin() + 3);
  }
  row.values.resize(keyCount);
  for (std::size_t k = 0; k < keyCount; ++k) {
    if (!parseStoredNumber(fields[1 + k], row.values[k], false, reason)) return false;
  }
  if (!parseFlightClass(fields[1 + keyCount], row.flightClass, reason)) return false;
  row.reason = fields[2 + keyCount];
  if (!parseTargeting(fields[3 + keyCount], row.targeting, reason)) return false;
  for (std::size_t k = 0; k < campaignOutputCount; ++k) {
    if (!parseStoredNumber(fields[4 + keyCount + k], row.outputs[k], true, reason)) return false;
  }
  double* decision[decisionColumns] = {&row.decisionTime_s, &row.decisionAltitude_m,
                                       &row.decisionSpeed_mps};
  for (std::size_t k = 0; k < decisionColumns; ++k) {
    if (!parseStoredNumber(fields[4 + keyCount + campaignOutputCount + k], *decision[k], true,
                           reason)) {
      return false;
    }
  }
  return true;
}
namespace {

// The keys of a campaign with these columns: all but run, outcome, reason,
// targeting and the outputs.
std::size_t keyCountOf(const std::string& columns) {
  const std::size_t commas =
      static_cast<std::size_t>(std::count(columns.begin(), columns.end(), ',')) -
      (columns.starts_with("run,matrix,row,") ? 2 : 0);
  constexpr std::size_t fixed = 3 + campaignOutputCount + decisionColumns;
  return commas >= fixed ? commas - fixed : 0;
}

// The lines of a file, each at most maxRowBytes long: a campaign's CSV is
// read as it streams by, never whole, so its size has no limit but its
// lines have one.
class LineReader {
 public:
  explicit LineReader(std::string path) : path_(std::move(path)) {
    do {
      fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) throwSystemError(errno, "cannot open", path_);
  }
  ~LineReader() { ::close(fd_); }
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // The next line without its end; false at the end of the file. `ended`:
  // the line had its end (a last line without one may be cut short).
  bool next(std::string_view& line, bool& ended) {
    for (;;) {
      const std::size_t end = buffer_.find('\n', start_);
      if (end != std::string::npos) {
        line = std::string_view(buffer_).substr(start_, end - start_);
        start_ = end + 1;
        ended = true;
        return true;
      }
      if (buffer_.size() - start_ > maxRowBytes) {
        throw Error(EFBIG, "cannot read " + path_ + ": a line is " + sizeLimitText(maxRowBytes));
      }
      buffer_.erase(0, start_);
      start_ = 0;
      if (!fill()) break;
    }
    if (buffer_.empty()) return false;
    line = buffer_;
    start_ = buffer_.size();
    ended = false;
    return true;
  }

 private:
  static constexpr std::size_t maxRowBytes = std::size_t{1} << 20;
  bool fill() {
    char chunk[1 << 16];
    for (;;) {
      const ssize_t n = ::read(fd_, chunk, sizeof chunk);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) throwSystemError(errno, "cannot read", path_);
      buffer_.append(chunk, static_cast<std::size_t>(n));
      return n > 0;
    }
  }
  std::string path_;
  int fd_ = -1;
  std::string buffer_;
  std::size_t start_ = 0;
};

// Why `row` is not the design's run it says it is: its matrix and row, or a
// value its seed does not draw there.
std::string designProblem(const CampaignRow& row, const Sampler& sampler,
                          const std::vector<SensitivityFactor>& factors,
                          const CampaignManifest& manifest, std::vector<double>& drawn) {
  const std::uint64_t runs = manifest.designRows * (factors.size() + 2);
  if (row.run >= runs) {
    return "run " + std::to_string(row.run) + " is outside the design's " + std::to_string(runs);
  }
  const DesignPoint point = designPoint(row.run, manifest.designRows, factors.size());
  if (!row.design || row.design->matrix != point.matrix || row.design->row != point.row) {
    return "run " + std::to_string(row.run) + " is the design's " + point.matrix + " row " +
           std::to_string(point.row);
  }
  drawn.resize(sampler.dispersions().size());
  drawDesignRun(sampler, factors, manifest.seed, manifest.designRows, row.run, drawn);
  for (std::size_t k = 0; k < drawn.size() && k < row.values.size(); ++k) {
    if (row.values[k] == drawn[k]) continue;
    return "run " + std::to_string(row.run) + ": " + sampler.dispersions()[k].key + " = " +
           exactText(row.values[k]) + " is not the value the study's seed " +
           std::to_string(manifest.seed) + " draws (" + exactText(drawn[k]) + ")";
  }
  return "";
}

}  // namespace

// Reads a campaign CSV: the header, then rows with consecutive run indices
// from `firstRun`, each drawn again and compared with the values it holds.
// With `dropCutShort` a last line without its end is a row cut short and is
// left out; any other line that is not a row of this campaign is an input
// error.
void readCampaignCsv(const std::string& path, const CampaignManifest& manifest,
                     const Sampler& sampler, std::uint64_t firstRun, bool dropCutShort,
                     const std::function<void(const CampaignRow&, std::string_view)>& onRow) {
  LineReader in(path);
  const std::size_t keyCount = keyCountOf(manifest.columns);
  const bool design = manifest.designRows > 0;
  const std::vector<SensitivityFactor> factors =
      design ? sensitivityFactors(sampler.dispersions(), sampler.correlations())
             : std::vector<SensitivityFactor>();
  if (sampler.dispersions().size() != keyCount) {
    throw InputError({path + ": its keys are not those of its dispersion file"});
  }
  std::string_view line;
  bool ended = false;
  std::size_t number = 0;
  std::uint64_t expected = firstRun;
  CampaignRow row;
  std::vector<double> drawn(keyCount);
  std::string reason;
  while (in.next(line, ended)) {
    ++number;
    const bool cutShort = !ended;
    if (number == 1) {
      if (line != manifest.columns) {
        throw InputError({path + ":1: the columns are not those of this campaign"});
      }
      continue;
    }
    if (!parseCampaignCsvRow(line, keyCount, row, reason, design) || row.run != expected) {
      if (cutShort && dropCutShort) break;
      if (reason.empty()) {
        reason = "run " + std::to_string(row.run) + " where run " + std::to_string(expected) +
                 " was expected";
      }
      throw InputError({path + ':' + std::to_string(number) + ": " + reason});
    }
    if (cutShort && dropCutShort) break;
    reason = design ? designProblem(row, sampler, factors, manifest, drawn)
                    : drawnValuesProblem(row, sampler, manifest.seed, drawn);
    if (!reason.empty()) throw InputError({path + ':' + std::to_string(number) + ": " + reason});
    onRow(row, line);
    ++expected;
  }
}

std::string drawnValuesProblem(const CampaignRow& row, const Sampler& sampler, std::uint64_t seed,
                               std::vector<double>& drawn) {
  drawn.resize(sampler.dispersions().size());
  sampler.draw(seed, row.run, drawn);
  for (std::size_t k = 0; k < drawn.size() && k < row.values.size(); ++k) {
    // Written in their shortest exact form, the values read back to the bit.
    if (row.values[k] == drawn[k]) continue;
    return "run " + std::to_string(row.run) + ": " + sampler.dispersions()[k].key + " = " +
           exactText(row.values[k]) + " is not the value the campaign's seed " +
           std::to_string(seed) + " draws (" + exactText(drawn[k]) + ")";
  }
  return "";
}

}  // namespace ascent
