// The manifest of a dispersion campaign: what identifies it, written beside
// its rows (files/campaign_store.h, ascent/campaign.h).
#include <toml++/toml.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <sstream>

#include "ascent/campaign_store.h"
#include "ascent/grammar.h"
#include "ascent/writers.h"
#include "files/output_set.h"
#include "files/toml_problem.h"
#include "files/vehicle_file.h"

namespace ascent {

std::string manifestPathFor(const std::string& csvPath) {
  std::string base = csvPath;
  if (base.size() > 4 && base.compare(base.size() - 4, 4, ".csv") == 0) {
    base.resize(base.size() - 4);
  }
  return base + ".manifest.toml";
}

namespace {

// The limit as the manifest holds it: none when the guidance targets each
// run before launch.
std::string limitText(const CampaignManifest& m) {
  const bool limited = m.guidance == GuidanceMode::Fixed || m.guidance == GuidanceMode::InFlight;
  return limited ? exactText(m.limit_deg) : std::string();
}

// The guidance a manifest names; the words of the manifests written before
// the guidance had its modes ("limit", "retarget") read as the modes they were.
bool readGuidance(const std::string& text, GuidanceMode& guidance) {
  const std::string word = text == "limit" ? "fixed" : text == "retarget" ? "omniscient" : text;
  const auto names = guidanceNames();
  const auto at = std::find(names.begin(), names.end(), word);
  if (at == names.end()) return false;
  guidance = static_cast<GuidanceMode>(at - names.begin());
  return true;
}

// The knowledge classes of "vehicle,launch_day".
bool readKnown(const std::string& text, unsigned& known) {
  known = 0;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    const std::string word = text.substr(start, comma - start);
    const auto names = knowledgeNames();
    const auto at = std::find(names.begin(), names.end(), word);
    if (at == names.end() || *at == "unknown") return false;
    known |= 1u << static_cast<unsigned>(at - names.begin());
    start = comma + 1;
  }
  return true;
}

// The judging of a manifest that records it; none in one written before.
std::optional<CampaignJudging> readJudging(const toml::table& root, const std::string& path,
                                           std::vector<std::string>& problems) {
  if (root.get("probability") == nullptr) return std::nullopt;
  CampaignJudging judging;
  const std::pair<const char*, double*> numbers[] = {
      {"min_remaining_propellant_kg", &judging.minRemainingPropellant_kg},
      {"probability", &judging.probability},
      {"confidence", &judging.confidence}};
  for (const auto& [key, value] : numbers) {
    const std::string digits = root[key].value_or(std::string());
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), *value);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
      problems.push_back(path + ":1: " + key + " = \"" + digits + "\" is not a number");
    }
  }
  const toml::array* requirements = root["requirements"].as_array();
  if (requirements == nullptr) {
    problems.push_back(path + ":1: the manifest has no requirements");
    return judging;
  }
  for (const toml::node& node : *requirements) {
    try {
      judging.requirements.push_back(parseRequirement(node.value_or(std::string())));
    } catch (const InputError& error) {
      problems.push_back(path + ":1: requirements: " + error.what());
    }
  }
  return judging;
}

}  // namespace

std::string manifestToml(const CampaignManifest& m) {
  auto quoted = [](const std::string& text) {
    std::ostringstream out;
    out << toml::value<std::string>(text);
    return out.str();
  };
  std::string text =
      "# An ascent dispersion campaign: the rows of the CSV beside this file.\n"
      "schema = 1\n";
  text += "program = " + quoted(m.program) + '\n';
  text += "seed = " + quoted(std::to_string(m.seed)) + '\n';
  text += "dispersion_file = " + quoted(m.dispersionFile) + '\n';
  text += "dispersion_hash = " + quoted(m.dispersionHash) + '\n';
  text += "vehicle_file = " + quoted(m.vehicleFile) + '\n';
  text += "vehicle_hash = " + quoted(m.vehicleHash) + '\n';
  text += "thrust_file = " + quoted(m.thrustFile) + '\n';
  text += "thrust_hash = " + quoted(m.thrustHash) + '\n';
  text += "turn_time_s = " + quoted(exactText(m.turnTime_s)) + '\n';
  text += "guidance = " + quoted(std::string(guidanceName(m.guidance))) + '\n';
  text += "know = " + quoted(knownText(m.known)) + '\n';
  text += "predictor = " + quoted(m.predictor) + '\n';
  text += "limit_deg = " + quoted(limitText(m)) + '\n';
  text += "target = " + quoted(m.target) + '\n';
  text += "columns = " + quoted(m.columns) + '\n';
  // A sensitivity study's design: N rows of each matrix.
  if (m.designRows > 0) text += "design_rows = " + quoted(std::to_string(m.designRows)) + '\n';
  text += "first_run = " + quoted(std::to_string(m.firstRun)) + '\n';
  text += "end_run = " + quoted(std::to_string(m.endRun)) + '\n';
  if (!m.judging) return text;
  // How the summary judged the runs: not part of the campaign's identity.
  const CampaignJudging& j = *m.judging;
  text += "min_remaining_propellant_kg = " + quoted(exactText(j.minRemainingPropellant_kg)) + '\n';
  text += "probability = " + quoted(exactText(j.probability)) + '\n';
  text += "confidence = " + quoted(exactText(j.confidence)) + '\n';
  text += "requirements = [";
  for (std::size_t i = 0; i < j.requirements.size(); ++i) {
    text += (i > 0 ? ", " : "") + quoted(j.requirements[i].text);
  }
  return text + "]\n";
}

CampaignManifest readManifest(const std::string& path) {
  const std::string text = readInputFile(path);
  std::vector<std::string> problems;
  toml::table root;
  try {
    root = toml::parse(text, path);
  } catch (const toml::parse_error& error) {
    throw InputError(
        {path + ':' + std::to_string(error.source().begin.line) + ": " + tomlProblem(error, text)});
  }
  CampaignManifest m;
  auto string = [&](const char* key, std::string& value) {
    const toml::node* node = root.get(key);
    if (node == nullptr || !node->is_string()) {
      problems.push_back(path + ":1: the manifest has no " + key);
      return;
    }
    value = node->value<std::string>().value_or("");
  };
  // Numbers are held as text, each in its exact form.
  auto number = [&](const char* key, auto& value, const char* what) {
    std::string digits;
    string(key, digits);
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty()) return;
    if (result.ptr != digits.data() + digits.size() ||
        (result.ec != std::errc() && result.ec != std::errc::result_out_of_range)) {
      problems.push_back(path + ":1: " + key + " = \"" + digits + "\" is not " + what);
    } else if (result.ec == std::errc::result_out_of_range) {
      problems.push_back(path + ":1: " + key + " = \"" + digits + "\" is out of range");
    }
  };
  std::string guidance, limit, known;
  string("program", m.program);
  number("seed", m.seed, "a whole number");
  string("dispersion_file", m.dispersionFile);
  string("dispersion_hash", m.dispersionHash);
  string("vehicle_file", m.vehicleFile);
  string("vehicle_hash", m.vehicleHash);
  string("thrust_file", m.thrustFile);
  string("thrust_hash", m.thrustHash);
  number("turn_time_s", m.turnTime_s, "a number");
  string("guidance", guidance);
  if (!guidance.empty() && !readGuidance(guidance, m.guidance)) {
    problems.push_back(path + ":1: guidance = \"" + guidance +
                       "\" is not fixed, before_launch, in_flight or omniscient");
  }
  // Written before the guidance had its modes: no knowledge, no predictor.
  if (root.get("know") != nullptr) {
    string("know", known);
    if (!readKnown(known, m.known)) {
      problems.push_back(path + ":1: know = \"" + known +
                         "\" is not a list of vehicle, launch_day");
    }
  }
  if (root.get("predictor") != nullptr) string("predictor", m.predictor);
  if (m.guidance == GuidanceMode::Fixed || m.guidance == GuidanceMode::InFlight) {
    number("limit_deg", m.limit_deg, "a number");
  } else {
    string("limit_deg", limit);
  }
  string("target", m.target);
  string("columns", m.columns);
  if (root.get("design_rows") != nullptr) number("design_rows", m.designRows, "a whole number");
  number("first_run", m.firstRun, "a whole number");
  number("end_run", m.endRun, "a whole number");
  m.judging = readJudging(root, path, problems);
  if (!problems.empty()) throw InputError(problems);
  return m;
}

namespace {

// A file the manifest beside `csvPath` names: as named, or else (a relative
// name that is not there) in the folder of the CSV.
std::string besideCsv(const std::string& name, const std::string& csvPath) {
  std::error_code error;
  const std::filesystem::path named(name);
  if (named.is_absolute() || std::filesystem::exists(named, error)) return name;
  const std::filesystem::path beside = std::filesystem::path(csvPath).parent_path() / named;
  return std::filesystem::exists(beside, error) ? beside.string() : name;
}

Sampler samplerOn(const CampaignManifest& manifest, const std::string& csvPath,
                  const Vehicle* given) {
  try {
    Vehicle nominal = given != nullptr ? *given : Vehicle::defaults();
    std::string vehicleName = given != nullptr ? "the vehicle given" : "the default vehicle";
    if (given == nullptr && !manifest.vehicleFile.empty()) {
      vehicleName = besideCsv(manifest.vehicleFile, csvPath);
      nominal = readVehicleFile(vehicleName).vehicle;
    }
    if (vehicleHash(nominal) != manifest.vehicleHash) {
      throw InputError({csvPath + ": its runs were not drawn with " + vehicleName + " (hash " +
                        vehicleHash(nominal) + ", the manifest's " + manifest.vehicleHash + ")"});
    }
    const DispersionFile dispersions =
        readDispersionFile(besideCsv(manifest.dispersionFile, csvPath), nominal);
    if (dispersions.hash != manifest.dispersionHash) {
      throw InputError({csvPath + ": its runs were not drawn from " + dispersions.path + " (hash " +
                        dispersions.hash + ", the manifest's " + manifest.dispersionHash + ")"});
    }
    return Sampler(nominal, dispersions.dispersions, dispersions.correlations);
  } catch (const InputError&) {
    throw;
  } catch (const Error& error) {
    throw Error(error.code(), csvPath + ": cannot draw its runs again: " + error.what());
  }
}

}  // namespace

Sampler campaignSampler(const CampaignManifest& manifest, const std::string& csvPath) {
  return samplerOn(manifest, csvPath, nullptr);
}

Sampler campaignSamplerOn(const CampaignManifest& manifest, const std::string& csvPath,
                          const Vehicle& nominal) {
  return samplerOn(manifest, csvPath, &nominal);
}

std::string manifestDifference(const CampaignManifest& a, const CampaignManifest& b) {
  const std::pair<const char*, bool> fields[] = {
      {"program version", a.program == b.program},
      {"seed", a.seed == b.seed},
      {"dispersion file", a.dispersionHash == b.dispersionHash},
      {"vehicle", a.vehicleHash == b.vehicleHash},
      {"thrust file", a.thrustHash == b.thrustHash},
      {"turn time", exactText(a.turnTime_s) == exactText(b.turnTime_s)},
      {"guidance", a.guidance == b.guidance},
      {"knowledge", a.known == b.known},
      {"predictor", a.predictor == b.predictor},
      {"limit", limitText(a) == limitText(b)},
      {"targeting settings", a.target == b.target},
      {"columns", a.columns == b.columns},
      {"design", a.designRows == b.designRows},
  };
  for (const auto& [name, same] : fields) {
    if (!same) return name;
  }
  return "";
}

}  // namespace ascent
