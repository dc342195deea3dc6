#include "files/vehicle_file.h"

#include <toml++/toml.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>

#include "ascent/ascent.h"
#include "ascent/text.h"
#include "files/output_set.h"
#include "files/toml_problem.h"

namespace ascent {

namespace {

constexpr std::int64_t vehicleSchema = 1;
// A vehicle file is a few kilobytes; anything far larger is not one.
constexpr std::size_t maxVehicleFileSize = 1 << 20;

// A number as TOML writes it: always with a decimal point or exponent, so it
// reads back as a float; the non-finite never occur in a valid vehicle.
std::string tomlNumber(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
  std::string text = exactText(value);
  if (text.find_first_of(".eE") == std::string::npos) text += ".0";
  return text;
}

// A number of the file: a TOML integer of any size is one too, rounded to
// the nearest double as a real written with its digits would be.
std::optional<double> numberOf(const toml::node& node) {
  if (const std::optional<std::int64_t> whole = node.value_exact<std::int64_t>()) {
    return static_cast<double>(*whole);
  }
  if (node.is_floating_point()) return node.value<double>();
  return std::nullopt;
}

// A number as the file writes it: beyond 2^53, where a double holds only
// some integers, an integer with the digits written.
std::string numberText(const toml::node& node, double value) {
  const std::optional<std::int64_t> whole = node.value_exact<std::int64_t>();
  if (whole && std::fabs(value) >= 9007199254740992.0) return std::to_string(*whole);
  return exactText(value);
}

std::string where(const std::string& name, const toml::node& node) {
  const auto line = node.source().begin.line;
  return name + ":" + std::to_string(line);
}

class Reader {
 public:
  explicit Reader(std::string name) : name_(std::move(name)) {}

  VehicleFile read(std::string_view text) {
    VehicleFile file;
    file.path = name_;
    toml::table root;
    try {
      root = toml::parse(text, name_);
    } catch (const toml::parse_error& error) {
      throw InputError({name_ + ":" + std::to_string(error.source().begin.line) + ": " +
                        tomlProblem(error, text)});
    }
    Vehicle& v = file.vehicle;
    v = Vehicle::defaults();
    const toml::node* schema = root.get("schema");
    if (schema == nullptr) {
      problem(name_ + ":1: schema = 1 is missing (the format of this file)");
    } else if (schema->value<std::int64_t>() != vehicleSchema) {
      problem(where(name_, *schema) + ": schema must be 1, the format this program reads");
    }
    for (auto&& [part, node] : root) {
      if (part.str() == "schema") continue;
      const toml::table* table = node.as_table();
      if (table == nullptr) {
        problem(where(name_, node) + ": '" + std::string(part.str()) +
                "' is not a table of the vehicle" + didYouMean(part.str(), vehicleKeyNames()));
        continue;
      }
      for (auto&& [key, value] : *table) readKey(v, std::string(part.str()), key, value);
    }
    deriveKeys(file);
    // Values outside their domain were reported above and left at their
    // defaults; what remains are the rules between keys.
    for (const std::string& p : vehicleProblems(v)) problems_.push_back(name_ + ": " + p);
    if (!problems_.empty()) {
      // In the order of the file's lines, whatever order the tables were read in.
      std::stable_sort(
          problems_.begin(), problems_.end(),
          [this](const std::string& a, const std::string& b) { return lineOf(a) < lineOf(b); });
      throw InputError(problems_);
    }
    file.changedKeys = changedVehicleKeys(v);
    return file;
  }

 private:
  void problem(std::string text) { problems_.push_back(std::move(text)); }

  // The line of a problem "NAME:LINE: ..."; problems without one come last.
  std::size_t lineOf(const std::string& problem) const {
    if (problem.compare(0, name_.size() + 1, name_ + ":") != 0) return SIZE_MAX;
    std::size_t line = 0;
    const char* begin = problem.data() + name_.size() + 1;
    const auto [end, error] = std::from_chars(begin, problem.data() + problem.size(), line);
    return error == std::errc() && end != begin ? line : SIZE_MAX;
  }

  void readKey(Vehicle& v, const std::string& part, const toml::key& key, const toml::node& node) {
    const std::string dotted = part + "." + std::string(key.str());
    if (dotted == "aero.drag_table") {
      readDragTable(v, node);
      return;
    }
    const VehicleKey* known = findVehicleKey(dotted);
    if (known == nullptr) {
      problem(where(name_, node) + ": unknown key " + dotted +
              didYouMean(dotted, vehicleKeyNames()));
      return;
    }
    const std::optional<double> value = numberOf(node);
    if (!value) {
      problem(where(name_, node) + ": " + dotted + " must be a number (" +
              std::string(known->unit) + ")");
      return;
    }
    if (!inDomain(known->domain, *value)) {
      problem(where(name_, node) + ": " + dotted + " = " + numberText(node, *value) + ": must be " +
              std::string(domainText(known->domain)));
      return;
    }
    known->set(v, *value);
    given_.push_back(dotted);
    givenWhere_.push_back(where(name_, node));
  }

  // The keys left out that follow from those given; a given value that
  // disagrees with them is a problem or a warning at its line.
  void deriveKeys(VehicleFile& file) {
    VehicleDerivation derivation = deriveVehicleKeys(Vehicle::defaults(), file.vehicle, given_);
    for (const KeyConflict& conflict : derivation.conflicts) {
      const auto at = std::find(given_.begin(), given_.end(), conflict.key) - given_.begin();
      const std::string& line = givenWhere_[static_cast<std::size_t>(at)];
      if (conflict.refused) {
        problem(line + ": " + conflict.text());
      } else {
        file.warnings.push_back(line + ": warning: " + conflict.text());
      }
    }
    file.derivedKeys = std::move(derivation.derived);
  }

  void readDragTable(Vehicle& v, const toml::node& node) {
    const toml::array* rows = node.as_array();
    if (rows == nullptr || rows->empty()) {
      problem(where(name_, node) +
              ": aero.drag_table must be an array of rows { mach, cd, fall, over_mach }");
      return;
    }
    std::vector<DragRow> table;
    for (const toml::node& rowNode : *rows) {
      const toml::table* row = rowNode.as_table();
      if (row == nullptr) {
        problem(where(name_, rowNode) +
                ": aero.drag_table: each row is { mach = ..., cd = ..., fall = ..., over_mach = "
                "... }");
        return;
      }
      DragRow r{0, 0, 0, 1};
      for (auto&& [key, value] : *row) {
        const std::string name(key.str());
        double* field = name == "mach"        ? &r.mach
                        : name == "cd"        ? &r.cd
                        : name == "fall"      ? &r.fall
                        : name == "over_mach" ? &r.over_mach
                                              : nullptr;
        const std::optional<double> number = numberOf(value);
        if (field == nullptr) {
          problem(where(name_, value) + ": aero.drag_table: unknown column '" + name +
                  "' (mach, cd, fall, over_mach)");
        } else if (!number) {
          problem(where(name_, value) + ": aero.drag_table: " + name + " must be a number");
        } else {
          *field = *number;
        }
      }
      if (row->get("mach") == nullptr || row->get("cd") == nullptr) {
        problem(where(name_, rowNode) + ": aero.drag_table: a row needs mach and cd");
      }
      table.push_back(r);
    }
    v.aero.drag_table = std::move(table);
  }

  std::string name_;
  std::vector<std::string> problems_;
  std::vector<std::string> given_;       // the keys set, in the order read
  std::vector<std::string> givenWhere_;  // "FILE:LINE" of each
};

std::string readVehicleText(const std::string& path) {
  return readInputFile(path, maxVehicleFileSize);
}

}  // namespace

VehicleFile parseVehicleText(std::string_view text, const std::string& name) {
  return Reader(name).read(text);
}

VehicleFile readVehicleFile(const std::string& path) {
  return parseVehicleText(readVehicleText(path), path);
}

std::string vehicleToml(const Vehicle& vehicle) {
  std::string out =
      "# A launch vehicle for ascent. Keep only the keys you change: every key\n"
      "# left out takes the default value shown here. Units are in the key names.\n"
      "schema = 1\n";
  std::string_view part;
  for (const VehicleKey& k : vehicleKeys()) {
    const std::string_view keyPart = k.key.substr(0, k.key.find('.'));
    if (keyPart != part) {
      part = keyPart;
      out += "\n[" + std::string(part) + "]\n";
    }
    out += "# " + std::string(k.comment) + " (" + std::string(k.unit) + "; " +
           std::string(domainText(k.domain)) + ")\n";
    // Counts as TOML integers, everything else as floats.
    const double value = k.get(vehicle);
    const std::string text = k.domain == KeyDomain::Count && inDomain(k.domain, value)
                                 ? exactText(value)
                                 : tomlNumber(value);
    out += std::string(k.key.substr(k.key.find('.') + 1)) + " = " + text + "\n";
    if (k.key == "aero.drag_scale") {
      out +=
          "# Drag coefficient over Mach number: from each row's Mach number on (inclusive),\n"
          "# cd - (M - mach) * fall / over_mach, up to the next row; the last row is flat.\n"
          "drag_table = [\n";
      for (const DragRow& row : vehicle.aero.drag_table) {
        out += "  { mach = " + tomlNumber(row.mach) + ", cd = " + tomlNumber(row.cd) +
               ", fall = " + tomlNumber(row.fall) + ", over_mach = " + tomlNumber(row.over_mach) +
               " },\n";
      }
      out += "]\n";
    }
  }
  return out;
}

}  // namespace ascent
