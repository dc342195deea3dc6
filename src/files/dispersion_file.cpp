#include <toml++/toml.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <iterator>
#include <map>
#include <set>
#include <sstream>

#include "ascent/files.h"
#include "ascent/text.h"
#include "files/output_set.h"
#include "files/toml_problem.h"
#include "mission/hash.h"
#include "study/campaign/draws.h"

namespace ascent {

namespace {

// Problems of one file, each with its FILE:LINE.
struct Problems {
  std::string name;
  std::vector<std::string> list;
  std::vector<std::pair<std::uint32_t, std::size_t>> order;  // line, position
  void add(const toml::node& node, const std::string& what) { add(node.source().begin.line, what); }
  void add(std::uint32_t line, const std::string& what) {
    order.emplace_back(line, list.size());
    list.push_back(name + ':' + std::to_string(line) + ": " + what);
  }
  // The problems in the order of their lines.
  std::vector<std::string> byLine() const {
    std::vector<std::pair<std::uint32_t, std::size_t>> sorted = order;
    std::stable_sort(sorted.begin(), sorted.end());
    std::vector<std::string> lines;
    for (const auto& entry : sorted) lines.push_back(list[entry.second]);
    return lines;
  }
};

std::string shown(const toml::node& node) {
  std::ostringstream text;
  node.visit([&text](const auto& value) { text << value; });
  return text.str();
}

// A finite number, or a problem.
bool readNumber(const toml::node& node, const std::string& field, Problems& problems,
                double& value) {
  if (!node.is_number()) {
    problems.add(node, field + " = " + shown(node) + " is not a number");
    return false;
  }
  // An integer of any size is a number too, rounded as a real would be.
  const std::optional<std::int64_t> whole = node.value_exact<std::int64_t>();
  value = whole ? static_cast<double>(*whole) : node.value<double>().value_or(0);
  if (!std::isfinite(value)) {
    problems.add(node, field + " = " + shown(node) + " is not a finite number");
    return false;
  }
  return true;
}

Distribution distributionOf(std::string_view name, bool& known) {
  known = true;
  if (name == "normal") return Distribution::Normal;
  if (name == "uniform") return Distribution::Uniform;
  if (name == "truncated_normal") return Distribution::TruncatedNormal;
  known = false;
  return Distribution::Normal;
}

std::string canonicalText(const DispersionFile& file) {
  std::string text;
  for (const Dispersion& d : file.dispersions) {
    text += d.key + ' ' + std::string(distributionName(d.distribution)) + ' ' + exactText(d.sigma) +
            ' ' + exactText(d.lower) + ' ' + exactText(d.upper) +
            (d.relative ? " relative" : " absolute") +
            // Unknown, the default, adds nothing: a file's hash is what it was.
            (d.known == Knowledge::Unknown ? "" : " " + std::string(knowledgeName(d.known))) + '\n';
  }
  for (const Correlation& c : file.correlations) {
    text += "correlation " + file.dispersions[c.first].key + ' ' + file.dispersions[c.second].key +
            ' ' + exactText(c.coefficient) + '\n';
  }
  return text;
}

// A dispersed key -> its position among the dispersions read.
using KeyIndex = std::map<std::string, std::size_t>;

// One [[dispersion]] table as it is read: `complete` while it can still
// become a dispersion of the file.
struct DispersionReader {
  const toml::table& entry;
  Problems& problems;
  Dispersion d;
  bool complete = true;
  bool known = false;  // the distribution is one of normal, uniform, truncated_normal

  void reject(const toml::node& node, const std::string& what) {
    problems.add(node, what);
    complete = false;
  }
  bool usesSigma() const { return known && d.distribution != Distribution::Uniform; }
  bool usesBounds() const { return known && d.distribution != Distribution::Normal; }
  std::string kind() const { return known ? std::string(distributionName(d.distribution)) : ""; }

  // key = "part.name": a vehicle key that is a real number, dispersed once; returns its node.
  const toml::node* readKey(const KeyIndex& index) {
    const toml::node* keyNode = entry.get("key");
    if (keyNode == nullptr || !keyNode->is_string()) {
      reject(entry, "a dispersion needs key = \"part.name\" (a vehicle key)");
      return keyNode;
    }
    d.key = keyNode->value<std::string>().value_or("");
    const VehicleKey* key = findVehicleKey(d.key);
    if (key == nullptr) {
      reject(*keyNode,
             "unknown vehicle key '" + d.key + "'" + didYouMean(d.key, vehicleKeyNames()));
    } else if (key->domain == KeyDomain::Count) {
      reject(*keyNode, d.key + " is a whole number and cannot be dispersed");
    } else if (index.count(d.key) != 0) {
      reject(*keyNode, d.key + " is dispersed twice");
    }
    return keyNode;
  }

  void readDistribution() {
    const toml::node* distributionNode = entry.get("distribution");
    if (distributionNode == nullptr || !distributionNode->is_string()) {
      reject(entry,
             "a dispersion needs distribution = \"normal\", \"uniform\" or "
             "\"truncated_normal\"");
      return;
    }
    const std::string name = distributionNode->value<std::string>().value_or("");
    d.distribution = distributionOf(name, known);
    if (!known) {
      reject(*distributionNode,
             "distribution '" + name + "' is not one of normal, uniform, truncated_normal");
    }
  }

  void checkFieldNames() {
    for (const auto& [field, node] : entry) {
      const std::string_view name = field.str();
      if (name != "key" && name != "distribution" && name != "sigma" && name != "bounds" &&
          name != "relative" && name != "known") {
        reject(node, "unknown field '" + std::string(name) +
                         "' in a dispersion (key, distribution, sigma, bounds, relative, known)");
      }
    }
  }

  // A sigma that is not a finite number is a problem of the file (readNumber
  // reports it) that leaves the dispersion complete.
  void readSigma() {
    if (const toml::node* sigma = entry.get("sigma")) {
      if (known && !usesSigma()) {
        reject(*sigma, "sigma is not used by a uniform distribution (bounds are)");
      } else if (readNumber(*sigma, "sigma", problems, d.sigma) && !(d.sigma > 0)) {
        reject(*sigma, "sigma = " + shown(*sigma) + " must be > 0");
      }
    } else if (usesSigma()) {
      reject(entry, "a " + kind() + " dispersion needs sigma");
    }
  }

  void readBounds() {
    const toml::node* bounds = entry.get("bounds");
    if (bounds == nullptr) {
      if (usesBounds()) reject(entry, "a " + kind() + " dispersion needs bounds = [lower, upper]");
      return;
    }
    const toml::array* pair = bounds->as_array();
    if (known && !usesBounds()) {
      reject(*bounds, "bounds are not used by a normal distribution (use truncated_normal)");
    } else if (pair == nullptr || pair->size() != 2) {
      reject(*bounds, "bounds = " + shown(*bounds) + " must be two numbers [lower, upper]");
    } else if (readNumber(*pair->get(0), "bounds", problems, d.lower) &&
               readNumber(*pair->get(1), "bounds", problems, d.upper)) {
      if (!(d.lower < d.upper)) {
        reject(*bounds, "bounds = " + shown(*bounds) + " are out of order (lower < upper)");
      }
    } else {
      complete = false;
    }
  }

  // known = "vehicle" | "launch_day" | "unknown": when the value is known.
  void readKnown() {
    const toml::node* known = entry.get("known");
    if (known == nullptr) return;
    const std::string name = known->value<std::string>().value_or("");
    const auto names = knowledgeNames();
    const auto at = std::find(names.begin(), names.end(), name);
    if (!known->is_string() || at == names.end()) {
      reject(*known, "known = " + shown(*known) + " is not one of vehicle, launch_day, unknown" +
                         didYouMean(name, names));
      return;
    }
    d.known = static_cast<Knowledge>(at - names.begin());
  }

  void readRelative() {
    const toml::node* relative = entry.get("relative");
    if (relative == nullptr) return;
    if (!relative->is_boolean()) {
      reject(*relative, "relative = " + shown(*relative) + " must be true or false");
    } else {
      d.relative = relative->value<bool>().value_or(false);
    }
  }
};

// Adds the entry's dispersion to `file` if it is complete; `index` gets its
// key, complete or not.
void readDispersion(const toml::table& entry, Problems& problems, const Vehicle& nominal,
                    KeyIndex& index, DispersionFile& file) {
  DispersionReader reader{entry, problems, {}, true, false};
  const toml::node* keyNode = reader.readKey(index);
  reader.readDistribution();
  reader.checkFieldNames();
  reader.readSigma();
  reader.readBounds();
  reader.readRelative();
  reader.readKnown();
  const Dispersion& d = reader.d;
  if (reader.complete && d.relative && findVehicleKey(d.key)->get(nominal) == 0) {
    reader.reject(*keyNode, d.key + " is 0 in the nominal vehicle: give an absolute dispersion");
  }
  // Each run's vehicle takes its drawn keys as given and derives the rest
  // (Sampler::apply): a key that follows from others cannot be drawn alone.
  if (const std::string_view relation = refusedAloneRelation(d.key); !relation.empty()) {
    reader.reject(*keyNode, d.key + " follows from " + std::string(relation) +
                                ": disperse upper.mass_kg, core.saj_mass_kg or core.las_mass_kg");
  }
  if (!d.key.empty() && index.count(d.key) == 0) index[d.key] = file.dispersions.size();
  if (reader.complete) file.dispersions.push_back(d);
}

toml::table parseToml(std::string_view text, Problems& problems) {
  try {
    return toml::parse(text, problems.name);
  } catch (const toml::parse_error& error) {
    problems.add(error.source().begin.line, tomlProblem(error, text));
    throw InputError(problems.byLine());
  }
}

void checkTopLevel(const toml::table& root, Problems& problems) {
  const toml::node* schema = root.get("schema");
  if (schema == nullptr) {
    problems.add(1, "schema = 1 is missing");
  } else if (schema->value<std::int64_t>().value_or(0) != 1 || !schema->is_integer()) {
    problems.add(*schema, "schema = " + shown(*schema) + " is not 1");
  }
  for (const auto& [field, node] : root) {
    const std::string_view key = field.str();
    if (key != "schema" && key != "dispersion" && key != "correlation") {
      problems.add(node, "unknown field '" + std::string(key) +
                             "' (schema, [[dispersion]], [[correlation]])");
    }
  }
}

KeyIndex readDispersions(const toml::table& root, Problems& problems, const Vehicle& nominal,
                         DispersionFile& file) {
  KeyIndex index;
  std::size_t entries = 0;
  if (const toml::node* list = root.get("dispersion")) {
    const toml::array* array = list->as_array();
    if (array == nullptr || !array->is_array_of_tables()) {
      problems.add(*list, "dispersion must be a list of tables: [[dispersion]]");
    } else {
      for (const toml::node& entry : *array) {
        ++entries;
        readDispersion(*entry.as_table(), problems, nominal, index, file);
      }
    }
  }
  if (entries == 0 && problems.list.empty()) problems.add(1, "no [[dispersion]] is given");
  return index;
}

// The correlations read so far: their pairs of dispersions, and their lines.
struct CorrelationsRead {
  std::set<std::pair<std::size_t, std::size_t>> pairs;
  std::vector<std::uint32_t> lines;
};

void readCorrelation(const toml::table& entry, Problems& problems, const KeyIndex& index,
                     DispersionFile& file, CorrelationsRead& read) {
  for (const auto& [field, value] : entry) {
    if (field.str() != "keys" && field.str() != "coefficient") {
      problems.add(value, "unknown field '" + std::string(field.str()) +
                              "' in a correlation (keys, coefficient)");
    }
  }
  const toml::array* keys = entry.get_as<toml::array>("keys");
  const toml::node* coefficient = entry.get("coefficient");
  if (keys == nullptr || keys->size() != 2 || !keys->is_homogeneous<std::string>()) {
    problems.add(entry, "a correlation needs keys = [\"first.key\", \"second.key\"]");
    return;
  }
  std::size_t ends[2] = {};
  bool found = true;
  for (std::size_t k = 0; k < 2; ++k) {
    const std::string key = keys->get(k)->value<std::string>().value_or("");
    const auto at = index.find(key);
    if (at == index.end()) {
      problems.add(*keys, "'" + key + "' is not a dispersed key");
      found = false;
    } else {
      ends[k] = at->second;
    }
  }
  double value = 0;
  if (coefficient == nullptr) {
    problems.add(entry, "a correlation needs a coefficient");
    return;
  }
  if (!readNumber(*coefficient, "coefficient", problems, value) || !found) return;
  if (ends[0] == ends[1]) {
    problems.add(*keys, "a correlation needs two different keys");
  } else if (!(std::fabs(value) < 1)) {
    problems.add(*coefficient,
                 "coefficient = " + shown(*coefficient) + " must lie strictly within -1..1");
  } else if (!read.pairs.insert(std::minmax(ends[0], ends[1])).second) {
    problems.add(*keys, "the correlation of these keys is given twice");
  } else {
    file.correlations.push_back({ends[0], ends[1], value});
    read.lines.push_back(entry.source().begin.line);
  }
}

// Returns the line of each correlation added to `file`.
std::vector<std::uint32_t> readCorrelations(const toml::table& root, Problems& problems,
                                            const KeyIndex& index, DispersionFile& file) {
  CorrelationsRead read;
  if (const toml::node* list = root.get("correlation")) {
    const toml::array* array = list->as_array();
    if (array == nullptr || !array->is_array_of_tables()) {
      problems.add(*list, "correlation must be a list of tables: [[correlation]]");
    } else {
      for (const toml::node& node : *array) {
        readCorrelation(*node.as_table(), problems, index, file, read);
      }
    }
  }
  return read.lines;
}

// The correlation matrix must have a Cholesky factor, or no draws have it.
void checkPositiveDefinite(const DispersionFile& file,
                           const std::vector<std::uint32_t>& correlationLines, Problems& problems) {
  const std::size_t n = file.dispersions.size();
  std::vector<double> matrix(n * n, 0.0), lower;
  for (std::size_t i = 0; i < n; ++i) matrix[i * n + i] = 1;
  for (const Correlation& c : file.correlations) {
    matrix[c.first * n + c.second] = matrix[c.second * n + c.first] = c.coefficient;
  }
  std::size_t failedRow = 0;
  if (choleskyFactor(matrix, n, lower, failedRow)) return;
  std::uint32_t line = 1;
  for (std::size_t j = 0; j < file.correlations.size(); ++j) {
    const Correlation& c = file.correlations[j];
    if (c.first == failedRow || c.second == failedRow) line = correlationLines[j];
  }
  problems.add(line,
               "the correlations are not positive definite (no set of draws has "
               "them; the matrix fails at " +
                   file.dispersions[failedRow].key + ")");
  throw InputError(problems.byLine());
}

}  // namespace

DispersionFile parseDispersionText(std::string_view text, const std::string& name,
                                   const Vehicle& nominal) {
  Problems problems{name, {}, {}};
  const toml::table root = parseToml(text, problems);
  DispersionFile file;
  file.path = name;
  checkTopLevel(root, problems);
  const KeyIndex index = readDispersions(root, problems, nominal, file);
  const std::vector<std::uint32_t> correlationLines = readCorrelations(root, problems, index, file);
  if (!problems.list.empty()) throw InputError(problems.byLine());
  checkPositiveDefinite(file, correlationLines, problems);
  file.hash = hashText(fnv1a(canonicalText(file)));
  return file;
}

DispersionFile readDispersionFile(const std::string& path, const Vehicle& nominal) {
  return parseDispersionText(readInputFile(path), path, nominal);
}

}  // namespace ascent
